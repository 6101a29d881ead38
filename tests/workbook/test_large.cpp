// Sheets at the format's full height, and parts large enough that the readers see them in several
// windows: values must come out the same wherever a window ends, and faults keep their messages.

#include "StoredZip.h"
#include "Workbook.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <cmath>
#include <cstring>
#include <limits>

using namespace qd::wb;

namespace {

QByteArray xlsx(const QByteArray& sheetXml, const QByteArray& sharedStrings = QByteArray()) {
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"r1\" Type=\"http://x/officeDocument\" Target=\"xl/workbook.xml\"/>"
        "</Relationships>";
    QByteArray bookRels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"s1\" Type=\"http://x/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    if (!sharedStrings.isNull())
        bookRels += "<Relationship Id=\"s2\" Type=\"http://x/sharedStrings\" Target=\"sharedStrings.xml\"/>";
    bookRels += "</Relationships>";
    const QByteArray book = "<workbook><sheets><sheet name=\"H\" r:id=\"s1\" "
                            "xmlns:r=\"http://x/relationships\"/></sheets></workbook>";
    if (sharedStrings.isNull())
        return test::storedZip({{"_rels/.rels", rels},
                                {"xl/workbook.xml", book},
                                {"xl/_rels/workbook.xml.rels", bookRels},
                                {"xl/worksheets/sheet1.xml", sheetXml}});
    return test::storedZip({{"_rels/.rels", rels},
                            {"xl/workbook.xml", book},
                            {"xl/_rels/workbook.xml.rels", bookRels},
                            {"xl/sharedStrings.xml", sharedStrings},
                            {"xl/worksheets/sheet1.xml", sheetXml}});
}

QByteArray worksheet(const QByteArray& rows) {
    return "<?xml version=\"1.0\"?>\n<worksheet><sheetData>" + rows + "</sheetData></worksheet>";
}

} // namespace

TEST(SheetScale, AMillionRowsByFifteenColumnsAreHeldWithEveryType) {
    constexpr int kRows = 1000000;
    Sheet s(QStringLiteral("Artículos"));
    for (int r = 1; r <= kRows; ++r) {
        s.setText(r, 1, QStringLiteral("A%1").arg(r, 7, 10, QLatin1Char('0')));
        for (int c = 2; c <= 12; ++c)
            s.setNumber(r, c, r * 0.25 + c);
        s.setCell(r, 13, Cell::ofDate(40000 + r % 1000 + 0.5));
        s.setCell(r, 14, r % 3 ? Cell::ofBoolean(r % 2) : Cell::ofError(QStringLiteral("#N/A")));
        s.setText(r, 15, QStringLiteral("Observación nº %1 — €").arg(r));
    }
    EXPECT_EQ(s.lastRow(), kRows);
    EXPECT_EQ(s.lastColumn(), 15);
    EXPECT_EQ(s.valueCount(), qsizetype(kRows) * 15);
    for (const int r : {1, 2, 65535, 65536, 65537, 500000, 999999, kRows}) {
        SCOPED_TRACE(r);
        EXPECT_EQ(s.cell(r, 1).text, QStringLiteral("A%1").arg(r, 7, 10, QLatin1Char('0')));
        EXPECT_EQ(s.cell(r, 7).type, CellType::Number);
        EXPECT_EQ(s.number(r, 7), r * 0.25 + 7);
        EXPECT_EQ(s.cell(r, 13).type, CellType::Date);
        EXPECT_EQ(s.cell(r, 13).number, 40000 + r % 1000 + 0.5);
        EXPECT_EQ(s.cell(r, 14).type, r % 3 ? CellType::Boolean : CellType::Error);
        EXPECT_EQ(s.text(r, 14), r % 3 ? (r % 2 ? QStringLiteral("True") : QStringLiteral("False"))
                                       : QStringLiteral("#N/A"));
        EXPECT_EQ(s.text(r, 15), QStringLiteral("Observación nº %1 — €").arg(r));
        EXPECT_TRUE(s.isEmpty(r, 16));
    }
    EXPECT_TRUE(s.isEmpty(kRows + 1, 1));
}

TEST(SheetScale, NumbersKeepEveryBitAndNaNItsSign) {
    Sheet s;
    const double values[] = {0.0,
                             -0.0,
                             1e308,
                             -4.9e-324,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
    int c = 0;
    for (const double v : values)
        s.setNumber(1, ++c, v);
    s.setNumber(2, 1, std::numeric_limits<double>::quiet_NaN());
    s.setNumber(2, 2, -std::numeric_limits<double>::quiet_NaN());
    double bits;
    const quint64 tagLike = 0x7FF3000000000005ull; // a NaN whose bits look like a stored text
    std::memcpy(&bits, &tagLike, sizeof bits);
    s.setNumber(2, 3, bits);
    c = 0;
    for (const double v : values) {
        EXPECT_EQ(s.cell(1, ++c).type, CellType::Number);
        EXPECT_EQ(std::signbit(s.number(1, c)), std::signbit(v));
        EXPECT_EQ(s.number(1, c), v);
    }
    for (const int col : {1, 2, 3}) {
        EXPECT_EQ(s.cell(2, col).type, CellType::Number) << col;
        EXPECT_TRUE(std::isnan(s.number(2, col))) << col;
    }
    EXPECT_TRUE(std::signbit(s.number(2, 2)));
}

// Over a megabyte of worksheet and shared strings: tags, texts with references, CDATA and comments
// fall across the scanner's window boundaries at every offset the padding gives them.
TEST(LargeParts, ValuesAreTheSameWhereverAWindowEnds) {
    constexpr int kRows = 30000;
    QByteArray rows, strings = "<sst>";
    for (int r = 1; r <= kRows; ++r) {
        const QByteArray n = QByteArray::number(r);
        rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"s\"><v>" + QByteArray::number(r - 1) +
                "</v></c><c r=\"B" + n + "\" t=\"inlineStr\"><is><t>x&amp;" + n +
                "<![CDATA[<&>]]></t></is></c><!-- " + QByteArray(r % 7, '-') + " --><c r=\"C" + n +
                "\" s=\"0\" t=\"n\"><v>" + n + ".5</v></c></row>";
        strings += "<si><t>s&#233;" + n + "</t></si>";
    }
    strings += "</sst>";
    const QByteArray sheetXml = worksheet(rows);
    ASSERT_GT(sheetXml.size(), 3 << 20);
    const auto wb = Workbook::fromMemory(xlsx(sheetXml, strings), QStringLiteral("grande.xlsx"));
    const Sheet& s = wb->activeSheet();
    ASSERT_EQ(s.lastRow(), kRows);
    ASSERT_EQ(s.valueCount(), qsizetype(kRows) * 3);
    for (int r = 1; r <= kRows; ++r) {
        const QString n = QString::number(r);
        ASSERT_EQ(s.text(r, 1), QStringLiteral("sé") + n) << r;
        ASSERT_EQ(s.text(r, 2), QStringLiteral("x&") + n + QStringLiteral("<&>")) << r;
        ASSERT_EQ(s.number(r, 3), r + 0.5) << r;
    }
}

TEST(LargeParts, FaultsFarIntoAPartNameTheirLine) {
    QByteArray rows;
    for (int r = 1; r <= 40000; ++r)
        rows += "<row r=\"" + QByteArray::number(r) + "\"><c t=\"n\"><v>" + QByteArray(20, '1') +
                "</v></c></row>\n";
    const QByteArray bad = "<row r=\"40001\"><c><v>uno</v></c></row>";
    try {
        Workbook::fromMemory(xlsx(worksheet(rows + bad)), QStringLiteral("malo.xlsx"));
        FAIL() << "read";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::Damaged);
        EXPECT_TRUE(e.message().contains(u"número «uno» no válido en A40001, línea 40002"))
            << e.message().toStdString();
    }
}

TEST(LargeParts, SharedStringFaultsComeBeforeWorksheetFaults) {
    QByteArray strings = "<sst>";
    for (int i = 0; i < 100000; ++i)
        strings += "<si><t>t" + QByteArray::number(i) + "</t></si>";
    const QByteArray brokenStrings = strings + "<si><t>sin cerrar</sst>";
    strings += "</sst>";
    const QByteArray farIndex =
        worksheet("<row r=\"1\"><c t=\"s\"><v>99999</v></c><c t=\"s\"><v>100000</v></c></row>"
                  "<row r=\"2\"><c><v>dos</v></c></row>");
    struct Case {
        const char* what;
        QByteArray strings;
        const char* expected;
    };
    const Case cases[] = {
        {"index past the table", strings, "índice de texto compartido 100000 fuera de rango en B1"},
        {"broken table", brokenStrings, "sharedStrings.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            Workbook::fromMemory(xlsx(farIndex, c.strings), QStringLiteral("t.xlsx"));
            ADD_FAILURE() << "read";
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.expected))) << e.message().toStdString();
        }
    }
}

TEST(LargeParts, DamageOfTheEntryIsReportedBeforeWhatItDidToTheXml) {
    QByteArray rows;
    for (int r = 1; r <= 50000; ++r)
        rows += "<row><c><v>" + QByteArray::number(r) + "</v></c></row>";
    QByteArray file = xlsx(worksheet("<row><c><v>roto</v></c></row>" + rows));
    // the worksheet's CRC in its local header and in the central directory
    const qsizetype local = file.indexOf("xl/worksheets/sheet1.xml") - 30;
    const QByteArray crc = file.mid(local + 14, 4);
    QByteArray wrong = crc;
    wrong[0] = char(wrong[0] ^ 0x55);
    file.replace(local + 14, 4, wrong);
    const qsizetype central = file.lastIndexOf(crc);
    ASSERT_GT(central, local);
    file.replace(central, 4, wrong);
    try {
        Workbook::fromMemory(file, QStringLiteral("crc.xlsx"));
        FAIL() << "read";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains(u"suma de control")) << e.message().toStdString();
    }
}
