#pragma once
// The values the database's numeric columns hold, read from their declarations, so that a value
// the database would refuse or store wrongly (an overflow, digits it cannot keep) is refused by
// the import first, naming the row, the column and the value.
#include <QHash>
#include <QString>

#include <optional>

class TDatos;

namespace qd {

class LimitesColumnas {
public:
    explicit LimitesColumnas(TDatos& datos) : d_(datos) {}

    // The largest magnitude TABLA.COLUMNA keeps when the module writes `decimales` decimals:
    // NUMERIC/DECIMAL(p, s) up to 10^(p-s) (exclusive); SMALLINT, INTEGER, BIGINT to their size;
    // DOUBLE PRECISION to the 15 significant digits it keeps exactly (FLOAT 7), of which
    // `decimales` go to the decimals. Read once per column; a column the database does not
    // declare is taken as DOUBLE PRECISION.
    double limite(const QString& tabla, const QString& columna, int decimales);

    // Nothing when `valor` fits; otherwise why not, for the user: "no cabe en la columna
    // COSTOREAL (hasta ±9999999999999,99)". A value that is not finite never fits.
    std::optional<QString> fuera(const QString& tabla, const QString& columna, double valor, int decimales);

    // The number as the user reads it: a decimal comma, no thousands separators, up to 15
    // significant digits ("1e+300" for what has no other short form).
    static QString texto(double valor);

private:
    TDatos& d_;
    QHash<QString, double> limites_; // "TABLA.COLUMNA/decimales" → limit
};

} // namespace qd
