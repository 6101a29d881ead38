// The direcciones kind's registration: its page in the main window.
#include "AyudaDirecciones.h"
#include "PaginaDirecciones.h"
#include "Paginas.h"

RegistroPaginas paginas_direcciones() {
    RegistroPaginas r;
    r.paginas = [](TDatos& datos, QString& nombreFichero) {
        return QList<PaginaRegistrada>{{3,
                                        new PaginaDirecciones(datos, nombreFichero),
                                        {"RichEditAyudaDirClientes", "Ayuda_Excel_DirClientes.rtf",
                                         &qd::textoPanelAyudaDirClientes, true}}};
    };
    return r;
}
