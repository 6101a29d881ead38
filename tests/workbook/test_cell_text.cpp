// The standard variant-to-text conversion and the date serials.

#include "Sheet.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace qd::wb;

namespace {

TEST(CellText, NumbersKeep15DigitsAndTheLocaleDecimalSeparator) {
    const QLocale es(QLocale::Spanish, QLocale::Spain);
    const QLocale c = QLocale::c();
    struct Case {
        double value;
        const char* spanish;
        const char* plain;
    } const cases[] = {
        {1001, "1001", "1001"}, // integral: no decimals, no group separator
        {1234567.5, "1234567,5", "1234567.5"},
        {0.1 + 0.2, "0,3", "0.3"}, // 15 significant digits
        {-2.5, "-2,5", "-2.5"},
        {1e-7, "1E-7", "1E-7"},
        {123456789012345678.0, "1,23456789012346E17", "1.23456789012346E17"},
        {-0.0, "0", "0"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(numberText(k.value, es), QString::fromUtf8(k.spanish)) << k.value;
        EXPECT_EQ(numberText(k.value, c), QString::fromUtf8(k.plain)) << k.value;
    }
}

TEST(CellText, EveryTypeThroughTheDefaultLocale) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    Sheet s(QStringLiteral("H"));
    s.setCell(1, 1, Cell::ofBoolean(true));
    s.setCell(1, 2, Cell::ofBoolean(false));
    s.setCell(1, 3, Cell::ofDate(dateTimeToSerial(QDateTime(QDate(2024, 3, 5), QTime(0, 0)))));
    s.setCell(1, 4, Cell::ofDate(dateTimeToSerial(QDateTime(QDate(2024, 3, 5), QTime(9, 5, 7)))));
    s.setCell(1, 5, Cell::ofError(QStringLiteral("#N/A")));
    s.setCell(1, 6, Cell::ofNumber(3.25));
    EXPECT_EQ(s.text(1, 1), QStringLiteral("True"));
    EXPECT_EQ(s.text(1, 2), QStringLiteral("False"));
    EXPECT_EQ(s.text(1, 3), QStringLiteral("5/3/2024"));
    EXPECT_EQ(s.text(1, 4), QStringLiteral("5/3/2024 9:05:07"));
    EXPECT_EQ(s.text(1, 5), QStringLiteral("#N/A"));
    EXPECT_EQ(s.text(1, 6), QStringLiteral("3,25"));
    EXPECT_EQ(s.text(1, 7), QString());
    QLocale::setDefault(QLocale::c());
}

TEST(DateSerial, SpreadsheetCountIncludingTheFictitiousLeapDay) {
    struct Case {
        double serial;
        QDate date;
    } const cases[] = {
        {1, QDate(1900, 1, 1)},  {59, QDate(1900, 2, 28)},   {60, QDate(1900, 2, 28)},
        {61, QDate(1900, 3, 1)}, {36526, QDate(2000, 1, 1)}, {45351, QDate(2024, 2, 29)},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(serialToDateTime(k.serial).date(), k.date) << k.serial;
        if (k.serial != 60) {
            EXPECT_EQ(dateTimeToSerial(QDateTime(k.date, QTime(0, 0))), k.serial) << k.serial;
        }
    }
    // times round to the millisecond, so float noise does not show as 12:29:59.999
    EXPECT_EQ(serialToDateTime(45351.520833333336).time(), QTime(12, 30));
    EXPECT_FALSE(serialToDateTime(1e12).isValid());
}

TEST(ColumnLetters, AsTheSpreadsheetNamesThem) {
    EXPECT_EQ(columnLetters(1), QStringLiteral("A"));
    EXPECT_EQ(columnLetters(26), QStringLiteral("Z"));
    EXPECT_EQ(columnLetters(27), QStringLiteral("AA"));
    EXPECT_EQ(columnLetters(702), QStringLiteral("ZZ"));
    EXPECT_EQ(columnLetters(703), QStringLiteral("AAA"));
    EXPECT_EQ(columnLetters(16384), QStringLiteral("XFD"));
}

} // namespace
