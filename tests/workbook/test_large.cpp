// Sheets at the format's full height, and parts large enough that the readers see them in several
// windows: values must come out the same wherever a window ends, and faults keep their messages.

#include "ReadFailure.h"
#include "StoredZip.h"
#include "Workbook.h"
#include "ZipArchive.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <limits>

using namespace qd::wb;

namespace {

QByteArray xlsx(const QByteArray& sheetXml, const QByteArray& sharedStrings = QByteArray(),
                bool deflate = false) {
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
                                {"xl/worksheets/sheet1.xml", sheetXml}},
                               deflate);
    return test::storedZip({{"_rels/.rels", rels},
                            {"xl/workbook.xml", book},
                            {"xl/_rels/workbook.xml.rels", bookRels},
                            {"xl/sharedStrings.xml", sharedStrings},
                            {"xl/worksheets/sheet1.xml", sheetXml}},
                           deflate);
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
    // stored and compressed, from memory and read in place from a file (the parts then come from
    // the file a piece at a time, on two threads)
    QTemporaryDir dir;
    for (const bool deflate : {false, true}) {
        const QByteArray file = xlsx(sheetXml, strings, deflate);
        const QString path =
            dir.filePath(deflate ? QStringLiteral("comprimido.xlsx") : QStringLiteral("grande.xlsx"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(file);
        f.close();
        for (const auto& wb :
             {Workbook::fromMemory(file, QStringLiteral("grande.xlsx")), Workbook::open(path)}) {
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
    // a large part read as it is inflated, broken at its start, its CRC wrong: .xlsx worksheet and
    // .ods content
    QByteArray rows, odsRows;
    for (int r = 1; r <= 50000; ++r) {
        rows += "<row><c><v>" + QByteArray::number(r) + "</v></c></row>";
        odsRows += "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"" +
                   QByteArray::number(r) + "\"/></table:table-row>";
    }
    const struct {
        const char* part;
        QByteArray file;
        QString name;
    } cases[] = {
        {"xl/worksheets/sheet1.xml", xlsx(worksheet("<row><c><v>roto</v></c></row>" + rows)),
         QStringLiteral("crc.xlsx")},
        {"content.xml", test::odsWithRows("<table:table-row><roto></table:table-row>" + odsRows),
         QStringLiteral("crc.ods")},
    };
    for (const auto& c : cases) {
        QByteArray file = c.file;
        // the part's CRC in its local header and in the central directory
        const qsizetype local = file.indexOf(c.part) - 30;
        const QByteArray crc = file.mid(local + 14, 4);
        QByteArray wrong = crc;
        wrong[0] = char(wrong[0] ^ 0x55);
        file.replace(local + 14, 4, wrong);
        const qsizetype central = file.lastIndexOf(crc);
        ASSERT_GT(central, local) << c.part;
        file.replace(central, 4, wrong);
        try {
            Workbook::fromMemory(file, c.name);
            ADD_FAILURE() << "read " << c.part;
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().contains(u"suma de control")) << e.message().toStdString();
        }
        // and with the right CRC, the XML fault itself, with its line
        try {
            Workbook::fromMemory(c.file, c.name);
            ADD_FAILURE() << "read " << c.part;
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(c.part))) << e.message().toStdString();
        }
    }
}

namespace {

void put16(QByteArray& b, quint16 v) {
    b.append(char(v & 0xFF)).append(char(v >> 8));
}
void put32(QByteArray& b, quint32 v) {
    put16(b, quint16(v & 0xFFFF));
    put16(b, quint16(v >> 16));
}
QByteArray record(quint16 type, const QByteArray& data) {
    QByteArray r;
    put16(r, type);
    put16(r, quint16(data.size()));
    return r + data;
}

// The i-th text of the table: Latin-1 or, every seventh, with characters beyond it; long enough that
// texts run over from one record into the next.
QString xlsText(int i) {
    QString s = QStringLiteral("ARTÍCULO %1 ").arg(i) + QString(i % 50, QLatin1Char('x'));
    if (i % 7 == 0) s += QStringLiteral(" € Ω");
    return s;
}

// A BIFF8 workbook stream of one sheet: texts from the shared table (split across CONTINUE records
// wherever a record fills up, the continuation restarting with its own option byte) and numbers.
QByteArray xlsStream(int rows, int texts) {
    QByteArray sst;
    std::vector<QByteArray> sstRecords;
    put32(sst, quint32(texts));
    put32(sst, quint32(texts));
    auto flush = [&] {
        sstRecords.push_back(record(sstRecords.empty() ? 0x00FC : 0x003C, sst));
        sst.clear();
    };
    for (int i = 0; i < texts; ++i) {
        const QString s = xlsText(i);
        bool wide = false;
        for (QChar c : s)
            wide = wide || c.unicode() > 0xFF;
        if (sst.size() + 3 > 8224) flush();
        put16(sst, quint16(s.size()));
        sst.append(char(wide ? 1 : 0));
        for (qsizetype k = 0; k < s.size(); ++k) {
            if (sst.size() + (wide ? 2 : 1) > 8224) {
                flush();
                sst.append(char(wide ? 1 : 0));
            }
            if (wide)
                put16(sst, s[k].unicode());
            else
                sst.append(char(s[k].unicode()));
        }
    }
    flush();
    auto bof = [](quint16 kind) {
        QByteArray d;
        put16(d, 0x0600);
        put16(d, kind);
        d.append(QByteArray(12, '\0'));
        return record(0x0809, d);
    };
    QByteArray cells;
    for (int r = 0; r < rows; ++r) {
        QByteArray label;
        put16(label, quint16(r));
        put16(label, 0);
        put16(label, 15);
        put32(label, quint32(r % texts));
        cells += record(0x00FD, label);
        QByteArray number;
        put16(number, quint16(r));
        put16(number, 1);
        put16(number, 15);
        const double v = r * 0.25;
        number.append(reinterpret_cast<const char*>(&v), 8);
        cells += record(0x0203, number);
    }
    QByteArray tail;
    for (const QByteArray& rec : sstRecords)
        tail += rec;
    tail += record(0x000A, {});
    QByteArray sheetName;
    sheetName.append(char(1)).append('\0').append('H');
    auto boundSheet = [&](quint32 offset) {
        QByteArray d;
        put32(d, offset);
        d.append('\0').append('\0');
        return record(0x0085, d + sheetName);
    };
    const qsizetype globals = bof(5).size() + boundSheet(0).size() + tail.size();
    return bof(5) + boundSheet(quint32(globals)) + tail + bof(0x10) + cells + record(0x000A, {});
}

// A compound file (512-byte sectors) holding the stream with its sectors stored in pairs in reverse
// order, so that the chain jumps back and forth through the file.
QByteArray compoundFile(QByteArray stream) {
    constexpr quint32 kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatMark = 0xFFFFFFFD;
    stream.append(QByteArray(-stream.size() & 511, '\0'));
    const quint32 n = quint32(stream.size() / 512);
    quint32 fatSectors = 1;
    while (n + 1 + fatSectors > fatSectors * 128)
        ++fatSectors;
    EXPECT_LE(fatSectors, 109u);
    // file sector of the stream's k-th sector: pairs swapped (1 0 3 2 5 4 ...), the odd one last
    auto place = [&](quint32 k) { return (k ^ 1) < n ? (k ^ 1) : k; };
    std::vector<quint32> fat(fatSectors * 128, kFree);
    for (quint32 k = 0; k < n; ++k)
        fat[place(k)] = k + 1 < n ? place(k + 1) : kEnd;
    fat[n] = kEnd; // the directory
    for (quint32 i = 0; i < fatSectors; ++i)
        fat[n + 1 + i] = kFatMark;
    QByteArray header("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    header.append(QByteArray(16, '\0'));
    for (quint16 v : {0x3E, 3, 0xFFFE, 9, 6})
        put16(header, v);
    header.append(QByteArray(6, '\0'));
    for (quint32 v : {0u, fatSectors, n, 0u, 4096u, kEnd, 0u, kEnd, 0u})
        put32(header, v);
    for (quint32 i = 0; i < 109; ++i)
        put32(header, i < fatSectors ? n + 1 + i : kFree);
    auto entry = [](const QString& name, quint8 type, quint32 child, quint32 start, quint32 size) {
        QByteArray e;
        for (QChar c : name)
            put16(e, c.unicode());
        put16(e, 0);
        e.append(QByteArray(64 - e.size(), '\0'));
        put16(e, quint16(2 * (name.size() + 1)));
        e.append(char(type)).append(char(1));
        for (quint32 v : {kFree, kFree, child})
            put32(e, v);
        e.append(QByteArray(36, '\0'));
        put32(e, start);
        put32(e, size);
        put32(e, 0);
        return e;
    };
    QByteArray directory = entry(QStringLiteral("Root Entry"), 5, 1, kEnd, 0) +
                           entry(QStringLiteral("Workbook"), 2, kFree, place(0), quint32(stream.size()));
    directory.append(QByteArray(512 - directory.size(), '\0'));
    QByteArray sectors(stream.size(), '\0');
    for (quint32 k = 0; k < n; ++k)
        std::memcpy(sectors.data() + 512 * place(k), stream.constData() + 512 * k, 512);
    QByteArray fatBytes;
    for (quint32 v : fat)
        put32(fatBytes, v);
    return header + sectors + directory + fatBytes;
}

} // namespace

// An .xls is read in place from its file a window at a time: values must come out as when the
// whole file is in memory, wherever a window, a record or a text ends.
TEST(LargeXls, ReadFromTheFileInPlaceAsFromMemory) {
    const int rows = 60000, texts = 40000;
    const QByteArray file = compoundFile(xlsStream(rows, texts));
    ASSERT_GT(file.size(), 3 * (1 << 20));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grande.xls"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();

    const auto fromFile = Workbook::open(path);
    const auto inMemory = Workbook::fromMemory(file, QStringLiteral("grande.xls"));
    const Sheet& a = fromFile->activeSheet();
    const Sheet& b = inMemory->activeSheet();
    ASSERT_EQ(a.lastRow(), rows);
    ASSERT_EQ(a.lastColumn(), 2);
    for (int r = 1; r <= rows; ++r) {
        ASSERT_EQ(a.text(r, 1), xlsText((r - 1) % texts)) << "fila " << r;
        ASSERT_EQ(a.number(r, 2), (r - 1) * 0.25) << "fila " << r;
        ASSERT_EQ(b.text(r, 1), a.text(r, 1)) << "fila " << r;
    }

    // cut inside the cells: the same fault from the file as from memory
    const QByteArray cut = file.left(file.size() / 2);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(cut);
    f.close();
    QString fromFileError, inMemoryError;
    try {
        Workbook::open(path);
    } catch (const Error& e) {
        fromFileError = e.message();
    }
    try {
        Workbook::fromMemory(cut, QStringLiteral("grande.xls"));
    } catch (const Error& e) {
        inMemoryError = e.message();
    }
    EXPECT_FALSE(fromFileError.isEmpty());
    EXPECT_EQ(fromFileError, inMemoryError);
}

// A part parsed as it streams costs time, not memory: it may pass the cap of a part held whole (a
// sheet at the full height of the format does), while the guard against compression bombs stays.
TEST(LargeParts, APartReadAsItStreamsMayPassTheCapOfAPartHeldWhole) {
    const qint64 declared = qint64(1) << 30; // past the held cap, within the streamed one
    auto zipDeclaring = [&](qsizetype compressed) {
        QByteArray file = test::storedZip({{"hoja.xml", QByteArray(compressed, 'x')}});
        // deflated, and inflating to `declared` bytes, in the local header and in the directory
        const qsizetype central = file.indexOf(QByteArray("PK\x01\x02", 4));
        for (const auto& [method, size] :
             {std::pair{qsizetype(8), qsizetype(22)}, {central + 10, central + 24}}) {
            file[method] = 8;
            for (int i = 0; i < 4; ++i)
                file[size + i] = char((declared >> (8 * i)) & 0xFF);
        }
        return file;
    };
    const ZipArchive zip(zipDeclaring(5 << 20));
    EXPECT_NO_THROW(zip.openStream(QStringLiteral("hoja.xml"), ZipArchive::Use::Streamed));
    try {
        zip.openStream(QStringLiteral("hoja.xml"));
        ADD_FAILURE() << "a part held whole past its cap";
    } catch (const ReadFailure& f) {
        EXPECT_EQ(f.kind, Error::Kind::TooLarge);
        EXPECT_TRUE(f.detail.contains(u"1024 MiB")) << f.detail.toStdString();
    }
    // a ratio no real part has is refused however it is read
    const ZipArchive bomb(zipDeclaring(1 << 20));
    try {
        bomb.openStream(QStringLiteral("hoja.xml"), ZipArchive::Use::Streamed);
        ADD_FAILURE() << "a compression bomb opened";
    } catch (const ReadFailure& f) {
        EXPECT_TRUE(f.detail.contains(u"tasa de compresión")) << f.detail.toStdString();
    }
}
