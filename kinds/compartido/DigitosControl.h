#pragma once
// Check digits of bank accounts: the two national check digits of a 20-digit account (bank, branch,
// check digits, account number) and the two IBAN check digits (ISO 13616, modulo 97).

#include <QString>

namespace qd {

// The two national check digits of an account: the first from bank + branch, the second from the
// account number. Empty when any part is empty or is not made of digits (at most 10 of them).
QString CalculoDigitoControl(const QString& CodEntidad, const QString& CodSucursal, const QString& CodCuenta);

// The IBAN check digits of an account (Devolver_Solo_DigitoControl), or the whole IBAN: country,
// check digits and the account as given (upper-cased). Blanks, dashes and other separators are
// ignored; an empty country is "ES". An account already in IBAN form (two letters, two digits, …)
// gets its check digits computed again for its own country. Empty when the account is empty,
// longer than 34 characters, or holds a letter in its third or fourth place after two letters.
QString Calcular_Digito_Control_IBAN(const QString& Pais, const QString& Cuenta,
                                     bool Devolver_Solo_DigitoControl);

// The digits of a text that is exactly `cuantas` digits once its blanks and dashes are dropped
// ("2100 0418-45…"); empty for anything else (a letter, a quote, one digit more or less).
QString Cifras(const QString& texto, int cuantas);
// A national account: 20 digits (bank, branch, check digits, account number), blanks and dashes
// ignored; empty when the text is anything else.
inline QString CuentaNacional(const QString& texto) {
    return Cifras(texto, 20);
}

// Whether an IBAN (separators ignored) is well formed and its check digits are right (modulo 97 = 1).
bool IbanValido(const QString& iban);

} // namespace qd
