#pragma once
// Undoing an import run from its journal (DiarioImportaciones.h): every row the run changed goes
// back to what it was before the run (rows it inserted are deleted, rows it updated get their
// earlier values back, rows it deleted come back), the rows the database's procedures and
// triggers wrote during the run included. All in one transaction: all or nothing.
//
// A row the run changed that something changed after it (another value now, deleted, created
// again), and a row the run inserted that a row the run did not write now uses (an article on a
// later delivery note), is a conflict: the undo writes nothing and lists them, unless `forzar`
// says to undo the rest and leave those rows as they are.
//
// The undo is recorded in the history as a run of its own (DESHACE = the run undone) and journalled
// like any run; the run undone is marked as undone (DESHECHA, DESHECHA_POR). It takes the lock of
// the run's kind, so that it never runs beside an import of that kind.

#include <QList>
#include <QString>

namespace qd::fb {
class Attachment;
}

namespace qd {

struct OpcionesDeshacer {
    bool simular = false; // everything is checked and done, then rolled back
    bool forzar = false;  // the rows in conflict are left as they are, the rest is undone
    QString programa;     // who asks: "ventana" or "qdimport"
    QString usuario;
    int idUsuario = 0;
};

struct ConflictoDeshacer {
    QString tabla;
    QString clave;            // "IDARTICULOS=301"
    QString columna;          // empty when the conflict is about the whole row
    QString valorImportacion; // what the run wrote
    QString valorAhora;       // what the row holds now
    QString motivo;           // for a whole row: why
    QString texto() const;
};

struct InformeDeshacer {
    int importacion = 0;
    int deshacer = 0;   // the undo's own run in the history (0 when nothing was written)
    bool hecho = false; // written and committed
    bool simulado = false;
    QList<ConflictoDeshacer> conflictos;
    int borradas = 0;    // rows the run inserted, deleted
    int restauradas = 0; // rows the run updated, given their earlier values
    int recreadas = 0;   // rows the run deleted, back again
    int omitidas = 0;    // rows left as they are (conflicts, forced)
    QString texto() const;
};

// Undoes run `importacion`. Throws ErrorImportacion when it cannot be undone (unknown, a dry run,
// already undone, its journal removed, an import of its kind running) and what the database
// refuses (the transaction is rolled back: nothing is written). Conflicts without `forzar` are
// not an exception: the report lists them and hecho is false.
InformeDeshacer deshacerImportacion(qd::fb::Attachment& conexion, int importacion,
                                    const OpcionesDeshacer& opciones);

} // namespace qd
