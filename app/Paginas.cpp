#include "Paginas.h"

#define QD_TIPO(nombre) RegistroPaginas paginas_##nombre();
#include "TiposRegistrados.h"
#undef QD_TIPO

QList<RegistroPaginas> registrosPaginas() {
    QList<RegistroPaginas> registros;
#define QD_TIPO(nombre) registros << paginas_##nombre();
#include "TiposRegistrados.h"
#undef QD_TIPO
    return registros;
}

QList<PaginaRegistrada> crearPaginasImportacion(TDatos& datos, QString& nombreFichero) {
    QList<PaginaRegistrada> paginas;
    for (const RegistroPaginas& r : registrosPaginas())
        if (r.paginas) paginas << r.paginas(datos, nombreFichero);
    return paginas;
}

const VentanaLanzamiento* ventanaLanzamiento(const QString& opcion) {
    static const QList<RegistroPaginas> registros = registrosPaginas();
    for (const RegistroPaginas& r : registros)
        for (const VentanaLanzamiento& v : r.ventanas)
            if (v.opciones.contains(opcion)) return &v;
    return nullptr;
}
