#pragma once
// One import of a kind at a time on a database.
//
// The lock is the kind's row of the module table QD_IMPORTACIONES, updated in a transaction of its
// own (read committed, nowait) on the run's attachment and held until the object goes: a second
// import of the same kind, on any connection to the same database, finds the row locked and is
// refused at once. The engine ends the transaction when the attachment or the process ends, so a
// run that dies leaves nothing locked.
//
//   qd::BloqueoImportacion bloqueo(datos.IBDatabase, QStringLiteral("articulos"));
//   if (!bloqueo.aviso().isEmpty()) canal.message(qd::MessageKind::Warning, bloqueo.aviso());
//   ... load and write ...
//
// When the table is missing (a database the administrator never started the module on) or the user
// may not update it, the import runs without the lock: aviso() says so, tomado() is false.

#include <QString>

#include "FbTransaction.h"

namespace qd {

namespace fb {
class Attachment;
}

class BloqueoImportacion {
public:
    // Takes the lock of `tipo` (the kind's code, the same from every program: "articulos").
    // Throws ErrorImportacion with textoEnCurso(tipo) when another import of the kind holds it.
    BloqueoImportacion(qd::fb::Attachment& conexion, const QString& tipo);
    ~BloqueoImportacion(); // releases the lock
    BloqueoImportacion(const BloqueoImportacion&) = delete;
    BloqueoImportacion& operator=(const BloqueoImportacion&) = delete;

    bool tomado() const { return transaccion_.active(); }
    // Empty when the lock was taken; otherwise why the import runs without it, for the user.
    const QString& aviso() const { return aviso_; }

    // «Ya hay una importación de <tipo> en curso en esta base de datos.»
    static QString textoEnCurso(const QString& tipo);

private:
    qd::fb::Transaction transaccion_;
    QString aviso_;
};

} // namespace qd
