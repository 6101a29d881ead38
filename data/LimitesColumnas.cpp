#include "LimitesColumnas.h"

#include "TDatos.h"

#include <cmath>
#include <limits>

namespace qd {

namespace {
// RDB$FIELDS.RDB$FIELD_TYPE
constexpr int kSmallint = 7, kInteger = 8, kFloat = 10, kBigint = 16, kDouble = 27;
} // namespace

double LimitesColumnas::limite(const QString& tabla, const QString& columna, int decimales) {
    const QString clave = QStringLiteral("%1.%2/%3").arg(tabla, columna).arg(decimales);
    if (const auto it = limites_.constFind(clave); it != limites_.cend()) return *it;

    int tipo = kDouble, precision = 0, escala = 0;
    if (d_.IBDatabase.connected()) {
        qd::fb::Statement q(&d_.IBDatabase, &d_.IBTransaction1);
        q.setSql(QStringLiteral("SELECT F.RDB$FIELD_TYPE, F.RDB$FIELD_PRECISION, F.RDB$FIELD_SCALE "
                                "FROM RDB$RELATION_FIELDS R JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = "
                                "R.RDB$FIELD_SOURCE WHERE R.RDB$RELATION_NAME = :TABLA AND "
                                "R.RDB$FIELD_NAME = :COLUMNA"));
        q.paramByName(QStringLiteral("TABLA")).setString(tabla.toUpper());
        q.paramByName(QStringLiteral("COLUMNA")).setString(columna.toUpper());
        q.execute();
        if (!q.eof()) {
            tipo = int(q.field(0).asInt());
            precision = q.field(1).isNull() ? 0 : int(q.field(1).asInt());
            escala = q.field(2).isNull() ? 0 : int(q.field(2).asInt());
        }
        q.close();
    }
    const double factor = std::pow(10.0, -escala); // scale is 0 or negative
    double limite;
    if (precision > 0)
        limite = std::pow(10.0, precision + escala); // NUMERIC(p, s), also when kept as a double
    else if (tipo == kSmallint)
        limite = 32768 / factor;
    else if (tipo == kInteger)
        limite = 2147483648.0 / factor;
    else if (tipo == kBigint)
        limite = 9223372036854775808.0 / factor;
    else if (tipo == kFloat)
        limite = std::pow(10.0, 7 - decimales);
    else
        limite = std::pow(10.0, 15 - decimales);
    limites_.insert(clave, limite);
    return limite;
}

std::optional<QString> LimitesColumnas::fuera(const QString& tabla, const QString& columna, double valor,
                                              int decimales) {
    const double l = limite(tabla, columna, decimales);
    if (std::isfinite(valor) && std::fabs(valor) < l) return std::nullopt;
    // The largest value kept, with the decimals written: below 10^13, 9999999999999,99.
    QString tope = QString::number(l - std::pow(10.0, -decimales), 'f', decimales);
    tope.replace(u'.', u',');
    return QStringLiteral("no cabe en la columna %1 (hasta ±%2)").arg(columna, tope);
}

QString LimitesColumnas::texto(double valor) {
    QString t = QString::number(valor, 'g', 15);
    t.replace(u'.', u',');
    return t;
}

} // namespace qd
