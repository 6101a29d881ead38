// The tarifas kind's registration: its page in the main window.
#include "PaginaTarifas.h"
#include "Paginas.h"

RegistroPaginas paginas_tarifas() {
    RegistroPaginas r;
    r.paginas = [](TDatos& datos, QString& nombreFichero) {
        return QList<PaginaRegistrada>{{9, new PaginaTarifas(datos, nombreFichero)}};
    };
    return r;
}
