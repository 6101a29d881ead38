// Workbooks written by a real spreadsheet program (see fixtures/regenerate.sh): the same content read
// from .xlsx, .xls and .ods, the values of every cell type, the edge cases the loaders depend on,
// CSV files and the errors for files that are not workbooks.

#include "SheetDump.h"
#include "Workbook.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <cmath>

using namespace qd::wb;

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(QD_WB_FIXTURES "/") + name;
}

// Numbers as 15 significant digits: the program keeps 15 digits in .xlsx/.ods and the full double
// in .xls.
QString comparable(const Cell& c) {
    if (c.type == CellType::Number || c.type == CellType::Date)
        return SheetDump::typeName(c) + QLatin1Char(' ') + QString::number(c.number, 'g', 15);
    return SheetDump::typeName(c) + QLatin1Char(' ') + SheetDump::valueText(c);
}

struct Fixture {
    const char* name;
    int activeSheet;
    int sheets;
};

void PrintTo(const Fixture& f, std::ostream* os) {
    *os << f.name;
}

class SameContentInEveryFormat : public ::testing::TestWithParam<Fixture> {};

TEST_P(SameContentInEveryFormat, CellsTypesAndUsedRangeMatch) {
    const Fixture f = GetParam();
    const auto xlsx = Workbook::open(fixture(QStringLiteral("%1.xlsx").arg(QLatin1String(f.name))));
    const auto xls = Workbook::open(fixture(QStringLiteral("%1.xls").arg(QLatin1String(f.name))));
    const auto ods = Workbook::open(fixture(QStringLiteral("%1.ods").arg(QLatin1String(f.name))));
    for (const Workbook* wb : {xlsx.get(), xls.get(), ods.get()}) {
        ASSERT_EQ(wb->sheetCount(), f.sheets);
        EXPECT_EQ(wb->activeSheetIndex(), f.activeSheet);
    }
    for (int s = 0; s < f.sheets; ++s) {
        const Sheet& a = xlsx->sheet(s);
        for (const Workbook* wb : {xls.get(), ods.get()}) {
            const Sheet& b = wb->sheet(s);
            SCOPED_TRACE(QStringLiteral("%1 sheet %2 format %3")
                             .arg(QLatin1String(f.name))
                             .arg(s)
                             .arg(int(wb->format()))
                             .toStdString());
            EXPECT_EQ(a.name(), b.name());
            EXPECT_EQ(a.lastRow(), b.lastRow());
            EXPECT_EQ(a.lastColumn(), b.lastColumn());
            for (int r = 1; r <= std::max(a.lastRow(), b.lastRow()); ++r) {
                for (int c = 1; c <= std::max(a.lastColumn(), b.lastColumn()); ++c) {
                    Cell expected = a.cell(r, c);
                    if (wb->format() == Workbook::Format::Xls && expected.type == CellType::Boolean) {
                        expected.type = CellType::Number; // how the program writes booleans to .xls
                        expected.number = expected.boolean ? 1 : 0;
                    }
                    EXPECT_EQ(comparable(expected), comparable(b.cell(r, c)))
                        << "row " << r << " column " << c;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SameContentInEveryFormat,
                         ::testing::Values(Fixture{"tipos", 1, 2}, Fixture{"fechas1904", 0, 1},
                                           Fixture{"fila2vacia", 0, 1}, Fixture{"solocabecera", 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

class TypedCells : public ::testing::TestWithParam<const char*> {};

// Every type of cell, from each format: the first sheet of "tipos".
TEST_P(TypedCells, ValuesAndTypes) {
    const auto wb = Workbook::open(fixture(QStringLiteral("tipos.") + QLatin1String(GetParam())));
    const Sheet& s = wb->sheet(0);
    EXPECT_EQ(s.name(), QStringLiteral("Datos"));
    // formatted empty cells below and right of the data widen the used range
    EXPECT_EQ(s.lastRow(), 8);
    EXPECT_EQ(s.lastColumn(), 13);
    EXPECT_TRUE(s.cell(8, 13).isEmpty());

    EXPECT_EQ(s.value(2, 1), QVariant(QStringLiteral("A001")));
    EXPECT_EQ(s.text(2, 2), QStringLiteral("Ñandú ácido 5€"));
    EXPECT_EQ(s.cell(2, 3).type, CellType::Number);
    EXPECT_EQ(s.value(2, 3), QVariant(1001.0));
    EXPECT_EQ(s.cell(2, 5).type, CellType::Date);
    EXPECT_EQ(s.value(2, 5).toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    EXPECT_EQ(s.value(2, 6).toDateTime(), QDateTime(QDate(2024, 3, 15), QTime(10, 30)));
    EXPECT_EQ(s.cell(2, 7).type, CellType::Date); // a time of day
    EXPECT_EQ(s.value(2, 7).toDateTime().time(), QTime(12, 30));
    EXPECT_EQ(s.cell(2, 9).number, 2002);                          // a formula's cached number
    EXPECT_EQ(s.value(2, 10), QVariant(QStringLiteral("A001-x"))); // a formula's cached text
    EXPECT_EQ(s.cell(2, 11).type, CellType::Error);
    EXPECT_EQ(s.text(2, 11), QStringLiteral("#DIV/0!"));
    EXPECT_DOUBLE_EQ(s.cell(2, 12).number, 0.125);              // percentage
    EXPECT_EQ(s.value(3, 1), QVariant(QStringLiteral("0012"))); // text that looks like a number
    EXPECT_EQ(s.text(3, 2), QStringLiteral("línea1\nlínea2"));
    EXPECT_EQ(s.value(3, 3), QVariant(-2.5));
    EXPECT_EQ(s.text(4, 1), QStringLiteral("O'Brien \"comillas\""));
    EXPECT_EQ(s.text(4, 2), QStringLiteral("  espacios  "));
    EXPECT_TRUE(s.cell(3, 6).isEmpty());
    EXPECT_FALSE(s.value(3, 6).isValid());
    if (wb->format() != Workbook::Format::Xls) {
        EXPECT_EQ(s.value(2, 8), QVariant(true));
        EXPECT_EQ(s.value(3, 8), QVariant(false));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, TypedCells, ::testing::Values("xlsx", "xls", "ods"));

TEST(Fixtures, SecondSheetSavedActiveIsTheActiveSheet) {
    for (const char* ext : {"xlsx", "xls", "ods"}) {
        const auto wb = Workbook::open(fixture(QStringLiteral("tipos.") + QLatin1String(ext)));
        EXPECT_EQ(wb->activeSheet().name(), QStringLiteral("Segunda")) << ext;
        EXPECT_EQ(wb->activeSheet().text(3, 2), QStringLiteral("ñ")) << ext;
    }
}

TEST(Fixtures, DatesOfThe1904SystemReadAsTheSameDates) {
    for (const char* ext : {"xlsx", "xls", "ods"}) {
        const auto wb = Workbook::open(fixture(QStringLiteral("fechas1904.") + QLatin1String(ext)));
        const Sheet& s = wb->activeSheet();
        EXPECT_EQ(s.value(2, 2).toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(0, 0))) << ext;
        EXPECT_EQ(s.value(3, 2).toDateTime(), QDateTime(QDate(1904, 1, 2), QTime(0, 0))) << ext;
        EXPECT_EQ(s.value(4, 2).toDateTime(), QDateTime(QDate(2000, 1, 1), QTime(12, 0))) << ext;
    }
}

TEST(Fixtures, EmptyFirstCellOfRow2AndHeaderOnlySheet) {
    for (const char* ext : {"xlsx", "xls", "ods"}) {
        const auto gap = Workbook::open(fixture(QStringLiteral("fila2vacia.") + QLatin1String(ext)));
        EXPECT_TRUE(gap->activeSheet().text(2, 1).isEmpty()) << ext;
        EXPECT_EQ(gap->activeSheet().text(3, 1), QStringLiteral("C3")) << ext;
        EXPECT_EQ(gap->activeSheet().lastRow(), 3) << ext;
        const auto header = Workbook::open(fixture(QStringLiteral("solocabecera.") + QLatin1String(ext)));
        EXPECT_EQ(header->activeSheet().lastRow(), 1) << ext;
        EXPECT_EQ(header->activeSheet().lastColumn(), 3) << ext;
        EXPECT_EQ(header->activeSheet().text(1, 1), QStringLiteral("codigo")) << ext;
    }
}

TEST(Csv, SeparatorDecimalsQuotesAndEncodings) {
    const auto semi = Workbook::open(fixture(QStringLiteral("simple.csv")));
    const Sheet& s = semi->activeSheet();
    EXPECT_EQ(s.lastRow(), 3);
    EXPECT_EQ(s.lastColumn(), 3);
    EXPECT_EQ(s.text(2, 2), QStringLiteral("Ñandú"));
    EXPECT_EQ(s.value(2, 3), QVariant(12.5));
    EXPECT_EQ(s.value(3, 1), QVariant(QStringLiteral("0012")));
    EXPECT_EQ(s.text(3, 2), QStringLiteral("con ; separador"));

    const auto comma = Workbook::open(fixture(QStringLiteral("coma.csv")));
    EXPECT_EQ(comma->activeSheet().text(2, 2), QStringLiteral("linea \"uno\""));
    EXPECT_EQ(comma->activeSheet().value(2, 3), QVariant(7.25));

    const auto ansi = Workbook::open(fixture(QStringLiteral("ansi.csv")));
    EXPECT_EQ(ansi->activeSheet().text(2, 2), QStringLiteral("España €"));
}

TEST(Errors, EachFailureNamesTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto write = [&](const QString& name, const QByteArray& data) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return dir.filePath(name);
    };
    struct Case {
        QString path;
        Error::Kind kind;
        QString name;
    };
    const Case cases[] = {
        {dir.filePath(QStringLiteral("no_existe.xlsx")), Error::Kind::Missing,
         QStringLiteral("no_existe.xlsx")},
        {write(QStringLiteral("vacio.xls"), QByteArray()), Error::Kind::Empty, QStringLiteral("vacio.xls")},
        {write(QStringLiteral("nota.xlsx"), "hola\n"), Error::Kind::NotAWorkbook,
         QStringLiteral("nota.xlsx")},
        {dir.path(), Error::Kind::Unreadable, QDir(dir.path()).dirName()},
    };
    for (const Case& c : cases) {
        try {
            Workbook::open(c.path);
            ADD_FAILURE() << "no error for " << c.path.toStdString();
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.path.toStdString();
            EXPECT_TRUE(e.message().contains(QStringLiteral("«%1»").arg(c.name)))
                << e.message().toStdString();
        }
    }
}

TEST(SheetStorage, SparseCellsFarRightAndOutOfRange) {
    Sheet s(QStringLiteral("H"));
    s.setCell(5, Workbook::kMaxColumns, Cell::ofText(QStringLiteral("lejos")));
    s.setCell(5, 1, Cell::ofNumber(3));
    EXPECT_EQ(s.text(5, Workbook::kMaxColumns), QStringLiteral("lejos"));
    EXPECT_EQ(s.value(5, 1), QVariant(3.0));
    EXPECT_EQ(s.lastRow(), 5);
    EXPECT_EQ(s.lastColumn(), Workbook::kMaxColumns);
    for (auto [r, c] : {std::pair{0, 1}, {1, 0}, {-1, -1}, {6, 1}, {5, 2}, {Workbook::kMaxRows + 1, 1}})
        EXPECT_TRUE(s.cell(r, c).isEmpty()) << r << "," << c;
    EXPECT_EQ(s.valueCount(), 2);
}

} // namespace
