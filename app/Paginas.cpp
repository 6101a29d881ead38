#include "Paginas.h"

#include "CamposArticulos.h"
#include "PaginaArticulos.h"
#include "PaginaClientes.h"
#include "PaginaImportacion.h"
#include "PaginaTarifas.h"

namespace {

// The frames of the kinds still to be built: file selector, preview and field list.
PaginaImportacion::Definicion marco(const char* paginas, const char* selector, const char* vistaPrevia,
                                    const char* listaCampos, qd::FieldList (*crearLista)(), bool bloquea) {
    PaginaImportacion::Definicion d;
    d.paginas = paginas;
    d.selector = selector;
    d.vistaPrevia = vistaPrevia;
    d.listaCampos = listaCampos;
    d.crearLista = crearLista;
    d.bloqueaEnProceso = bloquea;
    return d;
}

} // namespace

QList<PaginaRegistrada> crearPaginasImportacion(TDatos& datos, QString& nombreFichero) {
    QList<PaginaRegistrada> paginas;
    paginas.append({0, new PaginaArticulos(datos, nombreFichero)});
    paginas.append({1, new PaginaClientes(datos, nombreFichero)});
    paginas.append({3, new PaginaDirecciones(datos, nombreFichero)});
    paginas.append({4, new PaginaContactos(datos, nombreFichero)});
    paginas.append({5, new PaginaProveedores(datos, nombreFichero)});
    paginas.append({6, new PaginaBancos(datos, nombreFichero)});
    paginas.append({9, new PaginaTarifas(datos, nombreFichero)});
    const struct {
        int pestana;
        PaginaImportacion::Definicion definicion;
    } marcos[] = {
        {8, marco("JvPageControl3", "JvFilenameEditHojaAlbaranesDLR", nullptr, nullptr, nullptr, false)},
    };
    for (const auto& m : marcos)
        paginas.append({m.pestana, new PaginaImportacion(datos, nombreFichero, m.definicion)});
    return paginas;
}
