// The bancos kind's registration: its page in the main window.
#include "PaginaBancos.h"
#include "Paginas.h"

RegistroPaginas paginas_bancos() {
    RegistroPaginas r;
    r.paginas = [](TDatos& datos, QString& nombreFichero) {
        return QList<PaginaRegistrada>{{6, new PaginaBancos(datos, nombreFichero)}};
    };
    return r;
}
