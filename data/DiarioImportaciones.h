#pragma once
// The journal of the import runs: what every run changed in the database, row by row, so that a
// run can be undone.
//
// Each table the imports write (directly, or through the database's own procedures and triggers)
// has a journal table QDD_<table> with the same columns and five of its own: QD_ID (one number per
// change, from the generator QD_GEN_DIARIO, in the order the changes happened), QD_IMPORTACION (the
// run, QD_HISTORIAL.ID), QD_OPERACION ('I' insert, 'U' update, 'D' delete), QD_IMAGEN ('A' the
// row before the change, 'N' the row after it; after an insert only its key) and QD_TRANSACCION (the
// transaction of the change: a row the run inserted was changed since when the transaction of its
// current version, RDB$RECORD_VERSION, is another one). An AFTER trigger QDJ_<table> on the table writes
// them, in the transaction of the change, only while the connection carries a run's number in its
// session context (USER_SESSION, QD_IMPORTACION): for every other program's writes it does nothing.
// The journal keeps the values in the table's own types, so blobs and Latin-1 texts come back as
// they were.
//
// The journal tables and triggers are made at the administrator's start-up from the tables'
// columns as they are in the database (instalarDiario), and made again when a table's columns
// change; QD_DIARIO_TABLAS lists them.

#include <QString>
#include <QStringList>

namespace qd::fb {
class Attachment;
}

namespace qd {

// The tables the imports write, in the host database, and the ones its procedures and triggers
// write during an import.
const QStringList& tablasDiario();

// Makes (or brings up to date) the journal table and the trigger of every table of tablasDiario()
// that exists in the database. Needs the upgrade's QD_DIARIO_TABLAS and QD_GEN_DIARIO; throws what
// the database refuses.
void instalarDiario(qd::fb::Attachment& conexion);

// The journal table of a table, and its trigger.
QString tablaDiario(const QString& tabla);
QString disparadorDiario(const QString& tabla);

// Whether the database has the journal (the history table and at least one journalled table).
bool hayDiario(qd::fb::Attachment& conexion);

// The run whose changes the connection journals: set at a run's start, cleared at its end
// (RDB$SET_CONTEXT('USER_SESSION', 'QD_IMPORTACION', …): the whole connection, every transaction,
// however it commits). The object clears it when it goes, however the run ends.
class DiarioEnCurso {
public:
    DiarioEnCurso(qd::fb::Attachment& conexion, int importacion);
    ~DiarioEnCurso();
    DiarioEnCurso(const DiarioEnCurso&) = delete;
    DiarioEnCurso& operator=(const DiarioEnCurso&) = delete;

    // Sets (a run's number) or clears (0) the connection's run.
    static void poner(qd::fb::Attachment& conexion, int importacion);

private:
    qd::fb::Attachment& conexion_;
};

} // namespace qd
