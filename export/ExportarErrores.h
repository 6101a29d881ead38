#pragma once
// The rows an import did not write, exported for the user to fix and import again.
//
// exportarFilasConError() writes `<name>_errores.xlsx` beside the source workbook, or in the
// user's data folder (QStandardPaths::AppDataLocation, created when missing) when the source's
// folder cannot be written. The workbook holds one sheet: the source's header row, then each given
// row as it was read (numbers as numbers, text as text, booleans as booleans, dates as day serials
// with a date format; an error cell as its name in text), and a last column "Error" with the reason.
// Rows are written in sheet order; a row given twice gets its reasons joined by "; ".

#include <QDateTime>
#include <QString>

#include <stdexcept>
#include <vector>

namespace qd::wb {
class Sheet;
}

namespace qd {

// A sheet row the import did not write, and why (in the user's words).
struct FilaConError {
    int fila; // sheet row, from 1
    QString motivo;
};

// The export could not be written anywhere; the text names the paths tried and the cause.
class ErrorExportacion : public std::runtime_error {
public:
    explicit ErrorExportacion(const QString& texto)
        : std::runtime_error(texto.toStdString()), texto_(texto) {}
    const QString& texto() const { return texto_; }

private:
    QString texto_;
};

// The header of the column that holds each row's reason.
inline const QString kColumnaError = QStringLiteral("Error");

// `<folder of libroOrigen>/<its name without suffix>_errores_AAAAMMDD-HHMMSS.xlsx` (a dry run's:
// `…_errores_simulacion_AAAAMMDD-HHMMSS.xlsx`): every run's export is a file of its own.
QString rutaFilasConError(const QString& libroOrigen, const QDateTime& momento, bool simulacion = false);

// Writes the export of `filas` read from `hoja` (the sheet held for the source `libroOrigen`), with
// row `filaCabecera` as the header, and returns the path written: a new file, never written through
// a link or over an earlier file ("-2", "-3"… before the suffix when the run's name is taken).
// Throws ErrorExportacion when neither folder can be written. An empty `filas` still writes the
// header and "Error".
QString exportarFilasConError(const QString& libroOrigen, const qd::wb::Sheet& hoja, int filaCabecera,
                              const std::vector<FilaConError>& filas, bool simulacion = false,
                              const QDateTime& momento = {});

} // namespace qd
