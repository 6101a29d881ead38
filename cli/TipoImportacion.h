#pragma once
// The headless importer's table of import kinds. A kind names itself for --kind, adds its own
// options, and turns the parsed options into its two steps (load, confirm) over the data module.
// Adding a kind adds a file with its TipoImportacion and a row in tiposImportacion().

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

#include "OpcionesMotor.h"

class TDatos;

namespace qd::cli {

// kConErrores: the run went to its end with rows the database refused (--continuar).
enum Salida { kCorrecto = 0, kCancelado = 1, kFallo = 2, kConErrores = 3 };

// A kind's options that cannot be used: the text says why; the importer exits with kFallo.
class ErrorOpciones : public std::runtime_error {
public:
    explicit ErrorOpciones(const QString& texto) : std::runtime_error(texto.toStdString()), texto_(texto) {}
    const QString& texto() const { return texto_; }

private:
    QString texto_;
};

// A kind's run with its options fixed: stage the workbook, then write what was staged with the
// engine options of the command line (--simular, --continuar, --lote).
struct Pasos {
    std::function<int(const QString& libro)> cargar; // returns the staged rows
    std::function<qd::ResultadoMotor(const qd::OpcionesMotor& motor)> confirmar;
};

struct TipoImportacion {
    QString nombre;      // the value of --kind
    QString descripcion; // one line for --help
    QList<QCommandLineOption> opciones;
    // Reads the kind's options (throws ErrorOpciones when they cannot be used).
    std::function<Pasos(TDatos& datos, const QCommandLineParser& p)> preparar;
};

// The kinds the importer knows, in the order --help lists them.
QList<TipoImportacion> tiposImportacion();

// The importer: parses `argumentos` (without the program name), runs the chosen kind on the
// database and returns the exit status. `tipos` is the table of kinds.
int ejecutar(const QStringList& argumentos, const QList<TipoImportacion>& tipos);

// Shared by the kinds' option readers.
void error(const QString& texto);
// An integer option: its value, or `porDefecto` when unset; ErrorOpciones when not an integer.
int entero(const QCommandLineParser& p, const QString& opcion, int porDefecto);
// The ID of a row of the company group by its code (price lists, warehouses, …); -1 when none.
int idPorCodigo(TDatos& d, const QString& tabla, const QString& codigo);

} // namespace qd::cli
