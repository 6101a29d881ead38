// The import kinds of the headless importer, one row each.
#include "TipoImportacion.h"

namespace qd::cli {

TipoImportacion tipoArticulos();
TipoImportacion tipoClientes();
TipoImportacion tipoDirecciones();
TipoImportacion tipoContactos();
TipoImportacion tipoProveedores();
TipoImportacion tipoBancos();
TipoImportacion tipoTarifas();
TipoImportacion tipoDLR();
TipoImportacion tipoLineas();
TipoImportacion tipoTarifaProveedor();
TipoImportacion tipoVerificarReferencias();

QList<TipoImportacion> tiposImportacion() {
    return {tipoArticulos(),
            tipoClientes(),
            tipoDirecciones(),
            tipoContactos(),
            tipoProveedores(),
            tipoBancos(),
            tipoTarifas(),
            tipoDLR(),
            tipoLineas(),
            tipoTarifaProveedor(),
            tipoVerificarReferencias()};
}

} // namespace qd::cli
