// The articulos kind's registration: its page in the main window.
#include "AyudaArticulos.h"
#include "PaginaArticulos.h"
#include "Paginas.h"

RegistroPaginas paginas_articulos() {
    RegistroPaginas r;
    r.paginas = [](TDatos& datos, QString& nombreFichero) {
        return QList<PaginaRegistrada>{
            {0,
             new PaginaArticulos(datos, nombreFichero),
             {"RichEditAyudaArticulos", "Ayuda_Excel.rtf", &qd::textoPanelAyudaArticulos, false}}};
    };
    return r;
}
