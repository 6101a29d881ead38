#pragma once
// Showing and saving the incidence list of the main window (Mostrar_Incidencias).

#include <QString>
#include <QStringList>

class QWidget;

namespace qd::gui {

// Brings the application to the front, writes `list` to the incidence file (replacing any
// earlier one), shows the lines modally in a TFormAyudaRapida whose information line says
// where the file was written, and empties `list` when the window closes (also when something
// failed). When the file cannot be written the window still shows the incidences, and its
// information line gives the path and the reason instead. The caller checks and resets
// HayIncidenciasFichero. `path` empty: Incidencias::defaultPath().
void showIncidences(QWidget* parent, QStringList& list, const QString& path = {});

} // namespace qd::gui
