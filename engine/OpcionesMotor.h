#pragma once
// The options of the row loop every import kind's writer runs through (MotorFilas), and what the
// loop leaves in the run's result besides the kind's own counters.

#include <QList>
#include <QString>

namespace qd {

struct OpcionesMotor {
    // Dry run: the load and the write run in one transaction that is rolled back at the end.
    bool simular = false;
    // Keep going: a row that the database refuses is undone alone, reported, and the loop goes on.
    bool continuar = false;
    // Bulk commits: the work is committed every `lote` rows (0: after every row).
    int lote = 0;
    // Empty cells clear: on an update an empty cell writes empty text or 0 instead of leaving the
    // stored value as it is (a code or link is never cleared by an empty cell).
    bool vaciar = false;

    // Whether each row runs under a savepoint and the row loop decides when to commit.
    bool controlaCommits() const { return simular || continuar || lote > 0; }
};

// A row the writer did not write: its workbook row and the reason (the database's text).
struct FilaNoEscrita {
    int filaLibro = 0;
    QString motivo;
};

struct ResultadoMotor {
    bool simulado = false;         // nothing was kept
    int filasConErrores = 0;       // rows undone by an error (keep going)
    QList<FilaNoEscrita> fallidas; // those rows, in the order they were met
};

} // namespace qd
