#include "BloqueoImportacion.h"

#include "ErrorImportacion.h"
#include "FbAttachment.h"
#include "FbError.h"
#include "FbStatement.h"

namespace qd {

namespace {

// The kind's row is created the first time, committed at once so that every connection sees it.
// The transaction waits: two first runs at the same moment create it once, the second one's
// insert then fails on the key and that failure is harmless.
void crearFila(qd::fb::Attachment& conexion, const QString& tipo) {
    qd::fb::Transaction t(
        &conexion, {QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("wait")});
    qd::fb::Statement s(&conexion, &t);
    s.setSql(QStringLiteral("MERGE INTO QD_IMPORTACIONES D "
                            "USING (SELECT CAST(:Tipo AS VARCHAR(30)) AS TIPO FROM RDB$DATABASE) N "
                            "ON D.TIPO = N.TIPO WHEN NOT MATCHED THEN INSERT (TIPO) VALUES (N.TIPO)"));
    s.paramByName(QStringLiteral("Tipo")).setString(tipo);
    s.execute();
    t.commit();
}

QString textoSinBloqueo(const QString& tipo, const qd::fb::Error& e) {
    QString texto = QStringLiteral("No se puede impedir que otra importación de %1 se ejecute a la vez en "
                                   "esta base de datos: la importación sigue sin esa protección.")
                        .arg(tipo);
    if (e.sqlCode() == -204)
        texto +=
            QStringLiteral("\r\nFalta la tabla QD_IMPORTACIONES, que el módulo instala al iniciarse con el "
                           "usuario SYSDBA.");
    return texto + QStringLiteral("\r\n") + e.message();
}

} // namespace

BloqueoImportacion::BloqueoImportacion(qd::fb::Attachment& conexion, const QString& tipo)
    : transaccion_(&conexion, {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                               QStringLiteral("nowait"), QStringLiteral("write")}) {
    try {
        crearFila(conexion, tipo);
    } catch (const qd::fb::Error&) {
        // Already created by a run starting at the same moment, or the table is missing or
        // closed to this user: the update below tells which.
    }
    try {
        qd::fb::Statement s(&conexion, &transaccion_);
        s.setSql(
            QStringLiteral("UPDATE QD_IMPORTACIONES SET INICIO = CURRENT_TIMESTAMP, USUARIO = CURRENT_USER "
                           "WHERE TIPO = :Tipo"));
        s.paramByName(QStringLiteral("Tipo")).setString(tipo);
        s.execute();
        if (s.rowsAffected() == 1) return; // held until the transaction ends
        throw qd::fb::Error(QStringLiteral("La fila «%1» de QD_IMPORTACIONES no existe.").arg(tipo));
    } catch (const qd::fb::Error& e) {
        if (transaccion_.active()) transaccion_.rollback();
        if (e.isLockConflict()) throw ErrorImportacion(textoEnCurso(tipo));
        aviso_ = textoSinBloqueo(tipo, e);
    }
}

BloqueoImportacion::~BloqueoImportacion() {
    try {
        // Committed: the row keeps when and by whom the last run of the kind was started.
        if (transaccion_.active()) transaccion_.commit();
    } catch (const std::exception&) {
        // The connection is gone, and the lock with it.
    }
}

QString BloqueoImportacion::textoEnCurso(const QString& tipo) {
    return QStringLiteral("Ya hay una importación de %1 en curso en esta base de datos.").arg(tipo);
}

} // namespace qd
