#pragma once
// The row loop's commit and error policy, shared by the writers of every import kind.
//
// A writer calls, for each staged row: empezarFila() before its first statement, filaFallida()
// from its handler when a statement of the row throws, and filaTerminada() when it moves on
// (TDatos::Fin_Fila_Escritura does it); and at the end terminar() (TDatos::FinEscritura does it).
//
// Every row runs under a savepoint: a row whose statement fails is rolled back to it before the
// error goes on, so that a row is written whole or not at all in every mode. The engine holds the
// shared transaction (every commit-retaining of the code that runs meanwhile commits nothing, see
// fb::Transaction::Hold) and commits:
//   - without options: after each row, as the module always did; an error goes on to the caller
//     (what the rows before it wrote stays written);
//   - simular: never; the end rolls everything back (the load's pending work too);
//   - lote N:  every N rows, and at the end however the loop ends (cancel, stopping error);
//   - continuar alone: after each row, as without options.
// With `continuar`, a row whose statement fails is rolled back to its savepoint, told as an
// incidence ("Fila N: <database text>"), counted and kept in the result, and the loop goes on.

#include <QString>
#include <functional>
#include <optional>

#include "FbStatement.h"
#include "FbTransaction.h"
#include "OpcionesMotor.h"

namespace qd {

class UserChannel;

class MotorFilas {
public:
    MotorFilas(fb::Transaction& t, UserChannel& canal, const OpcionesMotor& opciones);
    ~MotorFilas();
    MotorFilas(const MotorFilas&) = delete;
    MotorFilas& operator=(const MotorFilas&) = delete;

    const OpcionesMotor& opciones() const { return opciones_; }
    const ResultadoMotor& resultado() const { return resultado_; }

    // The workbook row of the row in progress, for incidences and the rows not written. Unset, the
    // rows are numbered from 1 in the order the loop meets them.
    std::function<int()> filaLibro;

    void empezarFila();
    // A statement of the row threw with `motivo`. True: the row was undone and recorded, the loop
    // goes on. False: the error must stop the loop (the caller rethrows it).
    bool filaFallida(const QString& motivo);
    // The kind's rules refused the row (FilaRechazada): it is undone, recorded with `motivo` and
    // told as an incidence, and the loop goes on in every mode.
    void filaRechazada(const QString& motivo);
    // The kind's own rule left the row in progress unwritten (already undone and told): it is
    // recorded with the others, without a second incidence.
    void anotarNoEscrita(const QString& motivo);
    // The row's writer handles a failure itself (it counts and tells it) and goes on: what the row
    // wrote is rolled back to its savepoint, nothing is recorded.
    void deshacerFila();
    // A secondary step of the row failed (stock, prices) and the row goes on, as the module does;
    // when the failure is one the user must know (a lock or update conflict) the row counts as a
    // row with errors and is recorded with `motivo` (once per row).
    void errorSecundario(const QString& motivo);
    // The row is over (written or undone): releases its savepoint and commits as the options say.
    void filaTerminada();
    // The end of the run: commits (rolls back in a dry run); errors reach the caller.
    void terminar();
    // The same at an end by an exception: errors are swallowed (the first error is the one to see).
    void terminarEnSilencio() noexcept;

    // The summary text with what the options add: the dry run's notice first, the rows with errors
    // last.
    QString resumen(const QString& texto) const;

private:
    void sentencia(fb::Statement& s);
    void guardar();

    fb::Transaction& t_;
    UserChannel& canal_;
    OpcionesMotor opciones_;
    std::optional<fb::Transaction::Hold> hold_;
    fb::Statement punto_, volver_, soltar_;
    ResultadoMotor resultado_;
    bool enFila_ = false;
    bool errorEnFila_ = false;
    int filas_ = 0;      // rows begun
    int sinGuardar_ = 0; // rows since the last commit
    int guardadas_ = 0;  // rows committed so far (bulk commits)
};

} // namespace qd
