// The tarifa_proveedor kind's registration: its page in the main window.
#include "PaginaTarifaProveedor.h"
#include "Paginas.h"

RegistroPaginas paginas_tarifa_proveedor() {
    RegistroPaginas r;
    r.paginas = [](TDatos& datos, QString& nombreFichero) {
        return QList<PaginaRegistrada>{{7, new PaginaTarifaProveedor(datos, nombreFichero)}};
    };
    return r;
}
