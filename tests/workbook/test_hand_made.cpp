// Input built by the test: paths that are not regular files, CSV bytes in mixed encodings, CSV numbers
// in both decimal forms, .ods repeat counts, and a sheet whose only cell is in the far corner.

#include "SheetDump.h"
#include "StoredZip.h"
#include "Workbook.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <tuple>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace qd::wb;

namespace {

QByteArray numberCell(int value, const QByteArray& repeat = QByteArray()) {
    QByteArray cell =
        "<table:table-cell office:value-type=\"float\" office:value=\"" + QByteArray::number(value) + "\"";
    if (!repeat.isNull()) cell += " table:number-columns-repeated=\"" + repeat + "\"";
    return cell + "/>";
}

QByteArray emptyCells(const QByteArray& repeat) {
    return "<table:table-cell table:number-columns-repeated=\"" + repeat + "\"/>";
}

// Rows closed the way spreadsheet programs close them: an empty run to the edge of the sheet.
const QByteArray kTrailingRows =
    "<table:table-row table:number-rows-repeated=\"1048574\">" + emptyCells("16384") + "</table:table-row>";

// wbdump on path, given a few seconds: exit code (-1 when it had to be stopped), stdout and stderr.
struct ToolRun {
    int exitCode;
    QString out;
    QString err;
};
ToolRun wbdump(const QString& path) {
    QProcess p;
    p.start(QStringLiteral(QD_WBDUMP), {path});
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished();
        return {-1, QString(), QString()};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST(Errors, PathsThatAreNotRegularFilesAreRefusedWithoutReading) {
#ifndef Q_OS_UNIX
    GTEST_SKIP() << "FIFOs and /dev/zero are Unix things";
#else
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("tuberia.csv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir.filePath(QStringLiteral("ceros.xlsx"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), link));
    const QString folder = dir.filePath(QStringLiteral("carpeta.xls"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const struct {
        QString path;
        QString name;
        const char* what;
    } cases[] = {
        {fifo, QStringLiteral("tuberia.csv"), "tubería"},
        {QStringLiteral("/dev/zero"), QStringLiteral("zero"), "dispositivo"},
        {QStringLiteral("/dev/urandom"), QStringLiteral("urandom"), "dispositivo"},
        {link, QStringLiteral("ceros.xlsx"), "dispositivo"},
        {folder, QStringLiteral("carpeta.xls"), "carpeta"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QElapsedTimer timer;
        timer.start();
        try {
            Workbook::open(c.path);
            ADD_FAILURE() << "read without error";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::Unreadable);
            EXPECT_TRUE(e.message().contains(QStringLiteral("«%1»").arg(c.name)))
                << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.what))) << e.message().toStdString();
        }
        EXPECT_LT(timer.elapsed(), 1000);
    }
    for (const QString& path : {fifo, QStringLiteral("/dev/zero")}) {
        const ToolRun r = wbdump(path);
        EXPECT_EQ(r.exitCode, 1) << path.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("«%1»").arg(QFileInfo(path).fileName())))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("no un fichero normal"))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
#endif
}

TEST(Csv, EncodingIsFoundForTheFileAndDamagedRowsAreListed) {
    const QByteArray utf8Row = "A1;Café ñandú\n";
    const QByteArray latin1Row = "A1;Caf\xE9 \xF1"
                                 "and\xFA\n";
    auto rows = [](const QByteArray& first, const QByteArray& others, const QByteArray& row40, int count) {
        QByteArray out = first;
        for (int row = 2; row <= count; ++row)
            out += row == 40 ? row40 : others;
        return out;
    };
    const struct {
        const char* name;
        QByteArray bytes;
        int rows;
        QString text;   // column 2 of every row but 40
        QString text40; // column 2 of row 40
        std::vector<int> damaged;
    } cases[] = {
        {"ascii",
         QByteArray("A1;Cafe\n").repeated(50),
         50,
         QStringLiteral("Cafe"),
         QStringLiteral("Cafe"),
         {}},
        {"utf8", utf8Row.repeated(50), 50, QStringLiteral("Café ñandú"), QStringLiteral("Café ñandú"), {}},
        {"utf8, one Latin-1 byte in row 40",
         rows(utf8Row, utf8Row, "A1;Caf\xE9 ñandú\n", 50),
         50,
         QStringLiteral("Café ñandú"),
         QStringLiteral("Café ñandú"),
         {40}},
        {"windows-1252",
         rows(latin1Row, latin1Row,
              "A1;Caf\xE9 \xF1"
              "and\xFA \x80\n",
              50),
         50,
         QStringLiteral("Café ñandú"),
         QStringLiteral("Café ñandú €"),
         {}},
        // a BOM keeps the file UTF-8 however many bytes are not
        {"BOM, Windows-1252 in row 40",
         rows("\xEF\xBB\xBF" + utf8Row, utf8Row, latin1Row, 40),
         40,
         QStringLiteral("Café ñandú"),
         QStringLiteral("Café ñandú"),
         {40}},
        // a quoted line break does not start a sheet row
        {"quoted line break before the damage",
         rows("A1;Café ñandú;\"a\nb\"\n", utf8Row, "A1;Caf\xE9 ñandú\n", 45),
         45,
         QStringLiteral("Café ñandú"),
         QStringLiteral("Café ñandú"),
         {40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto wb = Workbook::fromMemory(c.bytes, QStringLiteral("datos.csv"));
        const Sheet& s = wb->activeSheet();
        ASSERT_EQ(s.lastRow(), c.rows);
        for (int row = 1; row <= s.lastRow(); ++row)
            EXPECT_EQ(s.text(row, 2), row == 40 ? c.text40 : c.text) << "row " << row;
        std::vector<int> damaged;
        for (const DamagedRow& d : s.damagedRows()) {
            damaged.push_back(d.row);
            EXPECT_FALSE(d.reason.isEmpty());
        }
        EXPECT_EQ(damaged, c.damaged);
    }
}

TEST(Csv, NumbersAreReadInTheFormTheWholeFileShowsAndDoubtsAreNoted) {
    using Notes = std::vector<std::pair<int, int>>; // (row, column) of the cells noted
    const struct {
        const char* name;
        QByteArray bytes;
        std::vector<QVariant> column2; // rows 1, 2, ...
        Notes notes;
    } cases[] = {
        // nothing in the file but the separator tells the form: read with a decimal comma, noted
        {"';' and only values read both ways",
         "A;1.234\nB;1.500\nC;12\n",
         {1234.0, 1500.0, 12.0},
         {{1, 2}, {2, 2}}},
        {"';' and a decimal comma elsewhere",
         "A;1.234\nB;1.234,56\nC;12,5\nD;0,5\nE;1.234.567\n",
         {1234.0, 1234.56, 12.5, 0.5, 1234567.0},
         {}},
        {"';' with decimal points", "A;1.500\nB;12.5\nC;0.25\nD;1,234.5\n", {1.5, 12.5, 0.25, 1234.5}, {}},
        {"',' with decimal points", "A,1.234\nB,12.5\n", {1.234, 12.5}, {}},
        {"',' and only values read both ways", "A,1.234\nB,7\n", {1.234, 7.0}, {{1, 2}}},
        {"',' with thousands points", "A,1.234\nB,1.234.567\n", {1234.0, 1234567.0}, {}},
        // some numbers of each form: the greater count wins, the others stay text; all noted
        {"both forms",
         "A;12,5\nB;1,25\nC;3.75\nD;1.234\n",
         {12.5, 1.25, QStringLiteral("3.75"), 1234.0},
         {{3, 2}, {4, 2}}},
        {"signs and plain numbers",
         "A;-1.234,5\nB;-12,5\nC;+3\nD;0\nE;-0,25\n",
         {-1234.5, -12.5, 3.0, 0.0, -0.25},
         {}},
        // quoted fields, codes, percentages, dates and near-numbers are text, and no evidence
        {"texts",
         "A;\"1,5\"\nB;007\nC;-007\nD;10%\nE;01/02/"
         "2024\nF;1.2.3\nG;12,\nH;,5\nI;1,23,4\nJ;1e300\nK;01.02.2024\n"
         "L;1.23.456\nM;0.234.567\n",
         {QStringLiteral("1,5"), QStringLiteral("007"), QStringLiteral("-007"), QStringLiteral("10%"),
          QStringLiteral("01/02/2024"), QStringLiteral("1.2.3"), QStringLiteral("12,"), QStringLiteral(",5"),
          QStringLiteral("1,23,4"), QStringLiteral("1e300"), QStringLiteral("01.02.2024"),
          QStringLiteral("1.23.456"), QStringLiteral("0.234.567")},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto wb = Workbook::fromMemory(c.bytes, QStringLiteral("precios.csv"));
        const Sheet& s = wb->activeSheet();
        ASSERT_EQ(s.lastRow(), int(c.column2.size()));
        for (int row = 1; row <= s.lastRow(); ++row)
            EXPECT_EQ(s.value(row, 2), c.column2[size_t(row - 1)]) << "row " << row;
        Notes notes;
        for (const CellNote& n : s.cellNotes()) {
            notes.emplace_back(n.row, n.column);
            // the field as written: the line after "A;"
            EXPECT_EQ(n.text, QString::fromLatin1(c.bytes).split(u'\n')[n.row - 1].mid(2));
            EXPECT_TRUE(n.reason.contains(QStringLiteral("separador"))) << n.reason.toStdString();
        }
        EXPECT_EQ(notes, c.notes);
        EXPECT_EQ(s.cellNoteCount(), qsizetype(c.notes.size()));
    }

    // How a doubt is told, and a file full of them keeps the first few and counts the rest.
    const auto one = Workbook::fromMemory("A;1.234\n", QStringLiteral("precios.csv"));
    ASSERT_EQ(one->activeSheet().cellNotes().size(), 1u);
    EXPECT_EQ(one->activeSheet().cellNotes()[0].reason.toStdString(),
              "se ha leído como 1234, con el punto como separador de millares; el fichero no muestra en "
              "ningún otro número si su separador decimal es la coma o el punto");
    const auto many =
        Workbook::fromMemory(QByteArray("A;1.500\n").repeated(1000), QStringLiteral("precios.csv"));
    EXPECT_EQ(many->activeSheet().cellNotes().size(), size_t(Sheet::kMaxCellNotes));
    EXPECT_EQ(many->activeSheet().cellNoteCount(), 1000);
    EXPECT_EQ(many->activeSheet().value(1000, 2), QVariant(1500.0));
}

TEST(OdsRepeats, CountsThatAreNotPositiveOrPassTheLimitsNameTheCell) {
    const struct {
        QByteArray rows;
        Error::Kind kind;
        const char* where;
    } cases[] = {
        {"<table:table-row>" + numberCell(1) + numberCell(2, "abc") + "</table:table-row>",
         Error::Kind::Damaged, "celda B1"},
        {"<table:table-row>" + numberCell(1) + numberCell(2, "-5") + "</table:table-row>",
         Error::Kind::Damaged, "celda B1"},
        {"<table:table-row/><table:table-row>" + numberCell(2, "0") + "</table:table-row>",
         Error::Kind::Damaged, "celda A2"},
        {"<table:table-row>" + emptyCells("99999999999") + "</table:table-row>", Error::Kind::Damaged,
         "celda A1"},
        {"<table:table-row>" + emptyCells("16385") + "</table:table-row>", Error::Kind::Damaged, "celda A1"},
        {"<table:table-row table:number-rows-repeated=\"x\">" + numberCell(1) + "</table:table-row>",
         Error::Kind::Damaged, "fila 1"},
        {"<table:table-row/><table:table-row table:number-rows-repeated=\"1048577\"/>", Error::Kind::Damaged,
         "fila 2"},
        // values past the edge of the sheet, which used to be dropped or cut
        {"<table:table-row>" + emptyCells("16380") + numberCell(1, "10") + "</table:table-row>",
         Error::Kind::TooLarge, "celda XFA1"},
        {"<table:table-row>" + emptyCells("16384") + numberCell(1) + "</table:table-row>",
         Error::Kind::TooLarge, "celda XFE1"},
        {"<table:table-row table:number-rows-repeated=\"1048576\"/><table:table-row>" + numberCell(1) +
             "</table:table-row>",
         Error::Kind::TooLarge, "celda A1048577"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows.left(200).toStdString());
        try {
            Workbook::fromMemory(test::odsWithRows(c.rows), QStringLiteral("libro.ods"));
            ADD_FAILURE() << "read without error";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), c.kind) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QLatin1String(c.where))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QStringLiteral("«H»"))) << e.message().toStdString();
        }
    }
}

TEST(OdsRepeats, EmptyRunsToTheEdgeAreAcceptedAndValuesKeepTheirColumns) {
    // a value after a repeated run lands after the whole run; empty runs to (and past) the edge, as
    // programs write them for 1,024 or 16,384 columns, are accepted
    const QByteArray rows = "<table:table-row>" + numberCell(1) + emptyCells("2") + numberCell(4, "2") +
                            emptyCells("1019") + "</table:table-row>" + "<table:table-row>" + numberCell(5) +
                            emptyCells("16384") + "</table:table-row>" + kTrailingRows;
    const auto wb = Workbook::fromMemory(test::odsWithRows(rows), QStringLiteral("libro.ods"));
    const Sheet& s = wb->activeSheet();
    EXPECT_EQ(SheetDump::dump(s), QStringLiteral("sheet\tH\nlastRow\t2\nlastColumn\t5\n"
                                                 "1\t1\tnumber\t1\n1\t4\tnumber\t4\n1\t5\tnumber\t4\n"
                                                 "2\t1\tnumber\t5\n"));
}

TEST(SheetStorage, CellsAreVisitedByRowAndColumnWithoutWalkingTheEmptyOnes) {
    Sheet s(QStringLiteral("H"));
    s.setCell(Workbook::kMaxRows, Workbook::kMaxColumns, Cell::ofNumber(7));
    s.setCell(3, 1000, Cell::ofText(QStringLiteral("lejos"))); // apart from the row's dense part
    for (int c = 2; c <= 1200; ++c) {                          // the dense part then grows past it
        if (c != 1000) s.setCell(3, c, Cell::ofNumber(c));
    }
    s.setCell(3, 5000, Cell::ofNumber(5000));
    s.setCell(3, 5000, Cell()); // a blank cell clears a far value too
    std::vector<std::tuple<int, int, QString>> visited;
    s.forEachCell(
        [&](int r, int c, const Cell& cell) { visited.emplace_back(r, c, cellText(cell, QLocale::c())); });
    ASSERT_EQ(visited.size(), size_t(1200));
    EXPECT_EQ(qsizetype(visited.size()), s.valueCount());
    EXPECT_EQ(visited.front(), std::make_tuple(3, 2, QStringLiteral("2")));
    EXPECT_EQ(visited[998], std::make_tuple(3, 1000, QStringLiteral("lejos")));
    EXPECT_EQ(visited.back(),
              std::make_tuple(Workbook::kMaxRows, Workbook::kMaxColumns, QStringLiteral("7")));
    EXPECT_TRUE(std::is_sorted(visited.cbegin(), visited.cend()));
    EXPECT_TRUE(s.cell(3, 5000).isEmpty());
}

TEST(SheetStorage, WbdumpOfALoneCellInTheFarCornerPrintsOnlyThatCell) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("esquina.ods"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(test::odsWithRows("<table:table-row table:number-rows-repeated=\"1048575\">" +
                              emptyCells("16384") + "</table:table-row><table:table-row>" +
                              emptyCells("16383") + numberCell(7) + "</table:table-row>"));
    f.close();
    const ToolRun r = wbdump(path);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              QStringLiteral("sheet\tH\nlastRow\t1048576\nlastColumn\t16384\n1048576\t16384\tnumber\t7\n"));
}

} // namespace

// What a cell of an .ods holds, as the program writes it: references in text and attributes,
// spaces, tabs and line breaks as elements, several paragraphs, notes left out, line ends inside
// the text, a text value given as an attribute, an error from the calculation, numbers, booleans,
// dates and durations.
TEST(OdsCells, TextAndValuesAsTheProgramWritesThem) {
    auto c = [](const QByteArray& attributes, const QByteArray& inner = QByteArray()) {
        return "<table:table-cell " + attributes + ">" + inner + "</table:table-cell>";
    };
    const QByteArray rows =
        "<table:table-row>" +
        c("office:value-type=\"string\"", "<text:p>a &amp; b &lt;c&gt; &#65;&#x42;</text:p>") +
        c("office:value-type=\"string\"",
          "<text:p>uno<text:s text:c=\"3\"/>dos<text:tab/>tres<text:line-break/>cuatro<text:s/>cinco</text:p>"
          "<text:p>segundo <text:span>span</text:span></text:p>") +
        c("office:value-type=\"string\"",
          "<office:annotation><text:p>nota</text:p></office:annotation><text:p>con nota</text:p>") +
        c("office:value-type=\"string\"", "<text:p>crlf\r\nlf\ncr\rfin</text:p>") +
        c("office:value-type=\"string\" office:string-value=\"l1&#10;l2\tcon\r\nfin\"",
          "<text:p>x</text:p>") +
        "</table:table-row><table:table-row>" +
        c("table:formula=\"of:=1/0\" office:value-type=\"float\" office:value=\"0\" "
          "calcext:value-type=\"error\"",
          "<text:p>#DIV/0!</text:p>") +
        c("office:value-type=\"float\" office:value=\"12.5\" calcext:value-type=\"float\"") +
        c("office:value-type=\"currency\" office:value=\" +1e3 \"") +
        c("office:value-type=\"percentage\" office:value=\"1&#46;5\"") +
        c("office:value-type=\"boolean\" office:boolean-value=\"true\"") +
        c("office:value-type=\"date\" office:date-value=\"2024-02-29T12:00:00\"") +
        c("office:value-type=\"time\" office:time-value=\"PT36H\"") + "</table:table-row>";
    const auto wb = Workbook::fromMemory(test::odsWithRows(rows), QStringLiteral("celdas.ods"));
    const Sheet& s = wb->activeSheet();
    const struct {
        int row, column;
        CellType type;
        QVariant value;
    } cases[] = {
        {1, 1, CellType::Text, QStringLiteral("a & b <c> AB")},
        {1, 2, CellType::Text, QStringLiteral("uno   dos\ttres\ncuatro cinco\nsegundo span")},
        {1, 3, CellType::Text, QStringLiteral("con nota")},
        {1, 4, CellType::Text, QStringLiteral("crlf lf cr fin")}, // line ends in a paragraph are spaces
        {1, 5, CellType::Text, QStringLiteral("l1\nl2 con fin")},
        {2, 1, CellType::Error, QStringLiteral("#DIV/0!")},
        {2, 2, CellType::Number, 12.5},
        {2, 3, CellType::Number, 1000.0},
        {2, 4, CellType::Number, 1.5},
        {2, 5, CellType::Boolean, true},
        {2, 6, CellType::Date, 45351.5},
        {2, 7, CellType::Date, 1.5},
    };
    for (const auto& k : cases) {
        const Cell cell = s.cell(k.row, k.column);
        EXPECT_EQ(cell.type, k.type) << k.row << "," << k.column;
        if (k.value.typeId() == QMetaType::QString)
            EXPECT_EQ(cell.text, k.value.toString()) << k.row << "," << k.column;
        else if (k.value.typeId() == QMetaType::Bool)
            EXPECT_EQ(cell.boolean, k.value.toBool()) << k.row << "," << k.column;
        else
            EXPECT_DOUBLE_EQ(cell.number, k.value.toDouble()) << k.row << "," << k.column;
    }
}
