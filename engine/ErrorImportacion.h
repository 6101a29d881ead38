#pragma once
// An import refused or stopped for a reason of the module's own (not a database or reader error):
// its text is what the user is shown.

#include <QString>

#include <stdexcept>

namespace qd {

class ErrorImportacion : public std::runtime_error {
public:
    explicit ErrorImportacion(const QString& texto)
        : std::runtime_error(texto.toStdString()), texto_(texto) {}
    const QString& texto() const { return texto_; }

private:
    QString texto_;
};

// A row the kind's own rules refuse while it is being written (a required value missing on an
// insert, a value out of its column's range…): the row loop undoes what the row wrote, counts it
// as not written with this text and goes on, whatever the run's options. The text says why,
// naming the column where there is one; the loop adds the workbook row.
class FilaRechazada : public ErrorImportacion {
public:
    using ErrorImportacion::ErrorImportacion;
};

} // namespace qd
