#include "AvisosLectura.h"

#include "Sheet.h"
#include "TDatos.h"
#include "UserChannel.h"

namespace qd {

void avisosLectura(const wb::Sheet& hoja, UserChannel& canal) {
    // Rows read with damage (a CSV with bytes that are not text) are read as well as can be; the
    // user is told which.
    for (const wb::DamagedRow& d : hoja.damagedRows())
        canal.incidence(QStringLiteral("Fila %1: %2").arg(d.row).arg(d.reason));
    // Numbers the file leaves in doubt are read one way; the user is told which way.
    for (const wb::CellNote& n : hoja.cellNotes())
        canal.incidence(TDatos::Texto_Incidencia(n.row, wb::columnLetters(n.column), n.text, n.reason));
    if (const qsizetype resto = hoja.cellNoteCount() - qsizetype(hoja.cellNotes().size()); resto > 0)
        canal.incidence(QStringLiteral("Y %1 celdas más con números de lectura dudosa.").arg(resto));
}

} // namespace qd
