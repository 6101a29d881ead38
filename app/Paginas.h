#pragma once
// The import pages of the main window and the tab each one fills. A new kind's page adds a row
// in crearPaginasImportacion().

#include <QList>
#include <QString>

class PaginaImportacion;
class TDatos;

struct PaginaRegistrada {
    int pestana;               // index in JvPageControlGeneral
    PaginaImportacion* pagina; // owned by the caller (placed in the tab's layout)
};

QList<PaginaRegistrada> crearPaginasImportacion(TDatos& datos, QString& nombreFichero);
