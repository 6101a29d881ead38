// The dlr kind's registration: its page in the main window.
#include "PaginaDLR.h"
#include "Paginas.h"

RegistroPaginas paginas_dlr() {
    RegistroPaginas r;
    r.paginas = [](TDatos& datos, QString& nombreFichero) {
        return QList<PaginaRegistrada>{{8, new PaginaDLR(datos, nombreFichero)}};
    };
    return r;
}
