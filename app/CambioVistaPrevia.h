#pragma once
// What an import page does when its inner page control moves between "Configuración" (index 0)
// and "Previsualizar Excel": going to the preview releases the workbook the data module holds
// (so the file is not held open), asks for a file with the page's own selector when none is
// chosen yet, and shows it; coming back empties the preview.

#include <QString>

class TDatos;
class TJvFilenameEdit;
class VistaPreviaLibro;

namespace qd::gui {

void cambiarPaginaVistaPrevia(TDatos& datos, const QString& nombreFichero, TJvFilenameEdit& selector,
                              VistaPreviaLibro& vista, int anterior, int indice);

} // namespace qd::gui
