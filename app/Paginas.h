#pragma once
// The pages and windows each import kind brings to the main window. Every kind's folder defines
// one registration, `RegistroPaginas paginas_<kind>()`; the list of kinds is kept in one place
// (kinds/CMakeLists.txt), so adding a kind adds its folder and one line there.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class PaginaImportacion;
class QWidget;
class TDatos;

namespace qd {
class UserChannel;
}

// A help panel under a page: its object name, the .rtf file beside the program that replaces its
// built-in text, and that text. A panel `encadenado` shares one guard with the others like it: the
// first of them whose file is missing ends the loading of files, and those after it keep their
// built-in texts.
struct PanelAyuda {
    const char* objeto = nullptr;
    const char* fichero = nullptr;
    QString (*texto)() = nullptr;
    bool encadenado = false;
};

struct PaginaRegistrada {
    int pestana;               // index in JvPageControlGeneral
    PaginaImportacion* pagina; // owned by the caller (placed in the tab's layout)
    PanelAyuda ayuda{};        // objeto null: the page has no help panel
};

// A window a launch option opens instead of the main window's pages (the delivery-note transfer):
// it runs modally, and the module ends when it closes.
struct VentanaLanzamiento {
    QStringList opciones;    // the launch codes (OPCION) that open it
    bool tamanoFijo = false; // the main window refuses resize requests meanwhile
    std::function<void(TDatos& datos, qd::UserChannel& canal,
                       std::function<void(QWidget*)> mostrarIncidencias)>
        abrir;
};

struct RegistroPaginas {
    std::function<QList<PaginaRegistrada>(TDatos& datos, QString& nombreFichero)> paginas;
    QList<VentanaLanzamiento> ventanas;
};

// Every kind's registration, in the order of the kinds.
QList<RegistroPaginas> registrosPaginas();
QList<PaginaRegistrada> crearPaginasImportacion(TDatos& datos, QString& nombreFichero);
// The window a launch code opens; nullptr when it opens the main window's pages.
const VentanaLanzamiento* ventanaLanzamiento(const QString& opcion);
