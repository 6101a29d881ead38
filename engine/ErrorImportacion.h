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

} // namespace qd
