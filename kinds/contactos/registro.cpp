// The contactos kind's registration: its page in the main window.
#include "AyudaContactos.h"
#include "PaginaContactos.h"
#include "Paginas.h"

RegistroPaginas paginas_contactos() {
    RegistroPaginas r;
    r.paginas = [](TDatos& datos, QString& nombreFichero) {
        return QList<PaginaRegistrada>{{4,
                                        new PaginaContactos(datos, nombreFichero),
                                        {"RichEditAyudaContClientes", "Ayuda_Excel_ContClientes.rtf",
                                         &qd::textoPanelAyudaContClientes, true}}};
    };
    return r;
}
