// The proveedores kind's registration: its page in the main window.
#include "PaginaProveedores.h"
#include "Paginas.h"

RegistroPaginas paginas_proveedores() {
    RegistroPaginas r;
    r.paginas = [](TDatos& datos, QString& nombreFichero) {
        return QList<PaginaRegistrada>{{5, new PaginaProveedores(datos, nombreFichero)}};
    };
    return r;
}
