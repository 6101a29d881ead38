// The import kinds of the headless importer: every kind's folder defines one registration,
// `QList<TipoImportacion> tipos_<kind>()`; the list of kinds is kept in kinds/CMakeLists.txt.
#include "TipoImportacion.h"

namespace qd::cli {

#define QD_TIPO(nombre) QList<TipoImportacion> tipos_##nombre();
#include "TiposRegistrados.h"
#undef QD_TIPO

QList<TipoImportacion> tiposImportacion() {
    QList<TipoImportacion> tipos;
#define QD_TIPO(nombre) tipos << tipos_##nombre();
#include "TiposRegistrados.h"
#undef QD_TIPO
    return tipos;
}

} // namespace qd::cli
