// The import kinds of the headless importer, one row each.
#include "TipoImportacion.h"

namespace qd::cli {

TipoImportacion tipoArticulos();

QList<TipoImportacion> tiposImportacion() {
    return {tipoArticulos()};
}

} // namespace qd::cli
