#pragma once
// After an import's confirmation: the rows it did not write (TDatos::Filas_No_Escritas) exported
// beside the source workbook, for the user to fix and import again with the same options.

#include <QString>

class TDatos;

namespace qd {

// Writes the export when there are rows not written and the source sheet is still held; tells
// the user where through the data module's channel (status text and incidence). Returns the path
// written, or an empty text when there was nothing to write or it could not be written (then a
// warning says why).
// `simulacion`: the run was a dry run (its export is named so).
QString exportarFilasNoEscritas(TDatos& datos, const QString& libro, bool simulacion = false);

} // namespace qd
