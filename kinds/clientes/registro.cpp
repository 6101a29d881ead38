// The clientes kind's registration: its page in the main window.
#include "AyudaClientes.h"
#include "PaginaClientes.h"
#include "Paginas.h"

RegistroPaginas paginas_clientes() {
    RegistroPaginas r;
    r.paginas = [](TDatos& datos, QString& nombreFichero) {
        return QList<PaginaRegistrada>{
            {1,
             new PaginaClientes(datos, nombreFichero),
             {"RichEditAyudaClientes", "Ayuda_Excel_Clientes.rtf", &qd::textoPanelAyudaClientes, true}}};
    };
    return r;
}
