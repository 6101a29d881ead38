#include "DigitosControl.h"

#include <optional>

namespace qd {

namespace {

// The weights from the rightmost digit leftwards.
constexpr int kPesos[10] = {6, 3, 7, 9, 10, 5, 8, 4, 2, 1};

std::optional<int> digito(const QString& s) {
    if (s.isEmpty() || s.size() > 10) return std::nullopt;
    int suma = 0;
    for (int k = 0; k < s.size(); ++k) {
        const QChar c = s.at(s.size() - 1 - k);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        suma += (c.unicode() - '0') * kPesos[k];
    }
    const int r = 11 - suma % 11;
    return r == 11 ? 0 : r == 10 ? 1 : r;
}

// Letters to their numbers (A = 10 … Z = 35), digits as they are.
QString aDigitos(const QString& s) {
    QString r;
    r.reserve(s.size() * 2);
    for (const QChar c : s) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            r += QString::number(c.unicode() - 'A' + 10);
        else
            r += c;
    }
    return r;
}

// The remainder modulo 97 of a long decimal text, in pieces that keep every step within 32 bits.
int modulo97(const QString& digitos) {
    int resto = 0;
    int i = 0;
    const int n = int(digitos.size());
    int pieza = std::min(9, n);
    while (i < n) {
        const QString trozo = (i == 0 ? QString() : QString::number(resto)) + digitos.mid(i, pieza);
        resto = int(trozo.toLongLong() % 97);
        i += pieza;
        pieza = resto >= 10 ? 7 : 8;
    }
    return resto;
}

bool letra(QChar c) {
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

} // namespace

QString CalculoDigitoControl(const QString& CodEntidad, const QString& CodSucursal,
                             const QString& CodCuenta) {
    if (CodEntidad.isEmpty() || CodSucursal.isEmpty() || CodCuenta.isEmpty()) return {};
    const auto primero = digito(CodEntidad + CodSucursal);
    const auto segundo = digito(CodCuenta);
    if (!primero || !segundo) return {};
    return QString::number(*primero) + QString::number(*segundo);
}

QString Calcular_Digito_Control_IBAN(const QString& Pais, const QString& Cuenta,
                                     bool Devolver_Solo_DigitoControl) {
    const QString cuenta = Cuenta.trimmed();
    if (cuenta.isEmpty() || cuenta.size() > 34) return {};
    QString dada;
    for (const QChar c : cuenta)
        dada += (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ? QChar(c.unicode() - 'a' + 'A') : c;
    QString limpia;
    for (const QChar c : dada)
        if (letra(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))) limpia += c;
    if (limpia.isEmpty()) return {};

    QString pais = Pais.trimmed().toUpper();
    QString bban = limpia;
    if (limpia.size() >= 2 && letra(limpia.at(0)) && letra(limpia.at(1))) {
        // Already an IBAN: its own country, its check digits computed again.
        if (limpia.size() < 4 || letra(limpia.at(2)) || letra(limpia.at(3))) return {};
        pais = limpia.left(2);
        bban = limpia.mid(4);
        dada = bban;
    }
    if (pais.isEmpty()) pais = QStringLiteral("ES");
    const int resto = modulo97(aDigitos(bban + pais + QStringLiteral("00")));
    const QString dc = QStringLiteral("%1").arg(98 - resto, 2, 10, QLatin1Char('0'));
    return Devolver_Solo_DigitoControl ? dc : pais + dc + dada;
}

QString Cifras(const QString& texto, int cuantas) {
    QString r;
    for (const QChar c : texto) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('-')) continue;
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return {};
        r += c;
    }
    return r.size() == cuantas ? r : QString();
}

bool IbanValido(const QString& iban) {
    QString s;
    for (const QChar c : iban.toUpper())
        if (letra(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))) s += c;
    if (s.size() < 5 || s.size() > 34 || !letra(s.at(0)) || !letra(s.at(1))) return false;
    return modulo97(aDigitos(s.mid(4) + s.left(4))) == 1;
}

} // namespace qd
