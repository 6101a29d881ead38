#pragma once
// What a reader could not read cleanly in a sheet, told to the user.

namespace qd {
class UserChannel;
namespace wb {
class Sheet;
}

// Tells the user, as incidences, the sheet's damaged rows ("Fila 7: …") and the cells read with a
// doubt ("Fila 3, columna B: «1.234» se ha leído como 1234, …"). A loader calls it once per load,
// after the workbook is read (Leer_Filas_Excel does).
void avisosLectura(const wb::Sheet& hoja, UserChannel& canal);

} // namespace qd
