// Check digits of bank accounts: published examples, the edge cases of the normalisation, and the
// property that a computed IBAN always validates.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "DigitosControl.h"

namespace {

TEST(DigitosControl, NationalCheckDigits) {
    const struct {
        const char *banco, *sucursal, *cuenta, *dc;
    } casos[] = {
        {"2100", "0418", "0200051332", "45"},
        {"2100", "0813", "0123456789", "61"},
        {"0049", "1500", "1234567892", "05"},
        {"0000", "0000", "0000000000", "00"},
        {"2100", "0418", "", ""},
        {"21A0", "0418", "0200051332", ""},  // not digits: no result
        {"2100", "0418", "02000513321", ""}, // more than 10 digits
    };
    for (const auto& c : casos)
        EXPECT_EQ(qd::CalculoDigitoControl(QString::fromLatin1(c.banco), QString::fromLatin1(c.sucursal),
                                           QString::fromLatin1(c.cuenta)),
                  QString::fromLatin1(c.dc))
            << c.banco << c.sucursal << c.cuenta;
}

// An account is its digits once blanks and dashes are left out, exactly as many as asked.
TEST(DigitosControl, AccountDigits) {
    const struct {
        const char *texto, *cifras;
    } casos[] = {
        {"21000418450200051332", "21000418450200051332"},
        {"2100 0418-45 0200051332", "21000418450200051332"},
        {"ABCD0418XX0200051332", ""},
        {"2100041845020005133'2", ""},
        {"210004184502000513", ""},
        {"210004184502000513321", ""},
        {"2100.0418.45.0200051332", ""},
        {"", ""},
    };
    for (const auto& c : casos)
        EXPECT_EQ(qd::CuentaNacional(QString::fromLatin1(c.texto)), QString::fromLatin1(c.cifras)) << c.texto;
    EXPECT_EQ(qd::Cifras(QStringLiteral("4-5"), 2), QStringLiteral("45"));
    EXPECT_EQ(qd::Cifras(QStringLiteral("045"), 2), QString());
}

TEST(DigitosControl, IbanCheckDigits) {
    const struct {
        const char *pais, *cuenta, *dc;
    } casos[] = {
        {"ES", "21000418450200051332", "91"},
        {"ES", "21000813610123456789", "79"},
        {"ES", "00491500051234567892", "60"},
        {"", "21000418450200051332", "91"},        // no country: ES
        {" es ", "2100-0418 45 0200051332", "91"}, // separators ignored
        {"ES", "00000000000000000000", "82"},
        {"ES", "", ""},
        {"ES", "123456789012345678901234567890123456", ""}, // more than 34 characters
        {"XX", "ES0021000418450200051332", "91"},           // already an IBAN: its own country
        {"ES", "ESX121000418450200051332", ""},             // a letter in the third place
    };
    for (const auto& c : casos)
        EXPECT_EQ(qd::Calcular_Digito_Control_IBAN(QString::fromLatin1(c.pais), QString::fromLatin1(c.cuenta),
                                                   true),
                  QString::fromLatin1(c.dc))
            << c.pais << " " << c.cuenta;
    EXPECT_EQ(
        qd::Calcular_Digito_Control_IBAN(QStringLiteral("ES"), QStringLiteral("21000418450200051332"), false),
        QStringLiteral("ES9121000418450200051332"));
    EXPECT_TRUE(qd::IbanValido(QStringLiteral("ES91 2100 0418 4502 0005 1332")));
    EXPECT_FALSE(qd::IbanValido(QStringLiteral("ES92 2100 0418 4502 0005 1332")));
}

// Whatever the account and country, the IBAN computed validates (modulo 97 = 1), including
// accounts whose pieces leave a remainder of 0 on the way.
TEST(DigitosControl, ComputedIbanAlwaysValidates) {
    QRandomGenerator azar(20261210);
    const char* paises[] = {"ES", "PT", "FR", "DE", "GB", "AD"};
    for (int i = 0; i < 2000; ++i) {
        QString cuenta;
        const int largo = 8 + int(azar.bounded(22));
        for (int k = 0; k < largo; ++k)
            cuenta += QChar(k % 7 == 3 && azar.bounded(2) ? 'A' + int(azar.bounded(26))
                                                          : '0' + int(azar.bounded(10)));
        const QString pais = QString::fromLatin1(paises[i % 6]);
        const QString iban = qd::Calcular_Digito_Control_IBAN(pais, cuenta, false);
        ASSERT_TRUE(qd::IbanValido(iban)) << iban.toStdString();
    }
}

} // namespace
