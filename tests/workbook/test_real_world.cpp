// Real workbooks from the test data of public spreadsheet libraries, kept beside the project (never in
// it) with a table of what each must give: ../shared/corpus/real-world/README.md. Skipped where that
// folder is absent.

#include "Workbook.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <functional>

using namespace qd::wb;

namespace {

const QString kFolder = QStringLiteral(QD_WB_REAL_WORLD);

struct RealCase {
    const char* file;
    std::function<void(const Workbook&)> check;
};

// Every text of every sheet.
void forEachText(const Workbook& wb, const std::function<void(const QString&)>& f) {
    for (int i = 0; i < wb.sheetCount(); ++i) {
        const Sheet& s = wb.sheet(i);
        for (int r = 1; r <= s.lastRow(); ++r)
            for (int c = 1; c <= s.lastColumn(); ++c)
                if (const Cell cell = s.cell(r, c); cell.type == CellType::Text) f(cell.text);
    }
}

void noCarriageReturns(const Workbook& wb) {
    forEachText(wb, [](const QString& t) { EXPECT_FALSE(t.contains(u'\r')) << t.toStdString(); });
}

auto text(int row, int column, const char* expected) {
    return [=](const Workbook& wb) {
        EXPECT_EQ(wb.activeSheet().cell(row, column).text, QString::fromUtf8(expected));
    };
}

TEST(RealWorld, WorkbooksGiveWhatTheirTableSays) {
    if (!QFileInfo(kFolder).isDir()) GTEST_SKIP() << "no folder " << kFolder.toStdString();
    const RealCase cases[] = {
        {"poi/WrongFormulaRecordType.xls",
         [](const Workbook& wb) {
             const Sheet& s = wb.activeSheet();
             EXPECT_EQ(s.cell(4, 1).number, 3);
             EXPECT_EQ(s.cell(4, 2).number, 2);
             // stored 38353 in a 1904-system workbook: the latest of the dates above it
             EXPECT_EQ(s.cell(4, 3).date(), QDateTime(QDate(2009, 1, 2), QTime(0, 0)));
         }},
        {"poi/stress002.xlsx", noCarriageReturns},
        {"poi/57523.xlsx", noCarriageReturns},
        {"poi/XSSFSheet.copyRows.xlsx", noCarriageReturns},
        {"calamine/richtext-namespaced.xlsx", text(1, 1, "inline string\nLine 2\nLine 3")},
        // "_x000D_" then a raw line end: the escaped carriage return stays
        {"poi/60289.xlsx", text(2, 2, "Rich Text\r\nTest")},
        {"calamine/has_x000D_.xlsx", text(1, 1, "ABC\r\nDEF")},
        {"poi/50833.xls", text(1, 1, "test cell value")},
        {"calamine/issue_385.xls", [](const Workbook& wb) { EXPECT_EQ(wb.sheetCount(), 1); }},
        {"poi/protect.xlsx",
         [](const Workbook& wb) {
             EXPECT_TRUE(wb.activeSheet().cell(4, 2).text.startsWith(u"При запуске"));
         }},
        {"poi/58616.xlsx", text(1, 1, "EPQ Manual Template v2.3.19 Daika")},
        {"poi/46904.xls", text(1, 1, "NAVNETYPE")},
        {"poi/BOOK_in_capitals.xls", text(1, 1, "301. Exposures by Counterparty and Agreement Detail")},
        {"calamine/capitalized_wbook_stream.xls", [](const Workbook& wb) { EXPECT_EQ(wb.sheetCount(), 1); }},
        {"calamine/date_iso.xlsx",
         [](const Workbook& wb) {
             const Sheet& s = wb.activeSheet();
             EXPECT_EQ(s.cell(1, 1).date(), QDateTime(QDate(2021, 1, 1), QTime(0, 0)));
             EXPECT_EQ(s.cell(2, 1).date(), QDateTime(QDate(2021, 1, 1), QTime(10, 10, 10)));
             EXPECT_EQ(s.cell(3, 1).type, CellType::Date);
             EXPECT_EQ(s.cell(3, 1).date().time(), QTime(10, 10, 10));
         }},
        {"poi/64508.xlsx", text(1, 1, "Partner ID ( ID za DDV )")},
        {"poi/64667.xlsx", text(1, 1, "Partner ID ( ID za DDV )")},
        {"calamine/empty_shared_string_value.xlsx",
         [](const Workbook& wb) {
             const Sheet& s = wb.activeSheet();
             EXPECT_EQ(s.cell(2, 1).text, QStringLiteral("Alice"));
             EXPECT_TRUE(s.cell(2, 2).isEmpty());
             EXPECT_EQ(s.cell(3, 2).text, QStringLiteral("Berlin"));
         }},
        {"poi/61045_govdocs1_626534.xls",
         [](const Workbook& wb) { EXPECT_TRUE(wb.activeSheet().cell(4, 1).text.contains(u"TABLE F-2")); }},
        {"calamine/gh548_incorrect_sst_unique_count.xls", text(2, 2, "Title:")},
        {"poi/49609.xlsx", text(1, 2, "Cycle")},
        {"calamine/issue_530.xlsx", [](const Workbook& wb) { EXPECT_GT(wb.activeSheet().lastRow(), 1); }},
        {"poi/46368.xls",
         [](const Workbook& wb) {
             int longest = 0;
             forEachText(wb, [&](const QString& t) { longest = std::max(longest, int(t.size())); });
             EXPECT_EQ(longest, 32770);
         }},
        {"poi/duplicate-filename.xlsx", text(1, 1, "v1")}, // the first of the two entries
    };
    for (const RealCase& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = kFolder + u'/' + QLatin1String(c.file);
        if (!QFileInfo::exists(path)) continue; // the table may grow before the files do
        try {
            c.check(*Workbook::open(path));
        } catch (const Error& e) {
            ADD_FAILURE() << e.message().toStdString();
        }
    }
}

// Its data inflates to something else than its directory's size and checksum say: damage, not a
// workbook to read with a made-up part.
TEST(RealWorld, AnEntryThatInflatesPastItsDeclaredSizeIsDamage) {
    const QString path = kFolder + QStringLiteral("/calamine/issue252.xlsx");
    if (!QFileInfo::exists(path)) GTEST_SKIP() << "no " << path.toStdString();
    try {
        Workbook::open(path);
        ADD_FAILURE() << "read";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::Damaged) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("más largo de lo que declara el directorio")));
    }
}

} // namespace
