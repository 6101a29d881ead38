// The import kinds of the headless importer, one row each.
#include "TipoImportacion.h"

namespace qd::cli {

TipoImportacion tipoArticulos();
TipoImportacion tipoTarifaProveedor();

QList<TipoImportacion> tiposImportacion() {
    return {tipoArticulos(), tipoTarifaProveedor()};
}

} // namespace qd::cli
