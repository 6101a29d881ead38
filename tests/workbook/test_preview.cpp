// The preview page: the active sheet read-only with spreadsheet headers, errors shown in place, and
// a double click handing the file to the spreadsheet program.

#include "VistaPreviaLibro.h"
#include "WorkbookSheetModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QtTest>

class TestVistaPreviaLibro : public QObject {
    Q_OBJECT
private slots:
    void showsTheActiveSheetReadOnlyWithSpreadsheetHeaders() {
        VistaPreviaLibro w;
        QVERIFY(w.loadFile(QStringLiteral(QD_WB_FIXTURES "/tipos.xlsx")));
        WorkbookSheetModel* m = w.model();
        QCOMPARE(m->sheet()->name(), QStringLiteral("Segunda"));
        QCOMPARE(m->rowCount(), 3);
        QCOMPARE(m->columnCount(), 2);
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("B"));
        QCOMPARE(m->headerData(2, Qt::Vertical).toString(), QStringLiteral("3"));
        QCOMPARE(m->data(m->index(2, 1)).toString(), QStringLiteral("ñ"));
        QVERIFY(!(m->flags(m->index(0, 0)) & Qt::ItemIsEditable));
        QCOMPARE(w.view()->editTriggers(), QAbstractItemView::NoEditTriggers);

        m->setWorkbook(m->workbook(), 0); // the other sheet: wider used range, right-aligned numbers
        QCOMPARE(m->columnCount(), 13);
        QCOMPARE(m->headerData(12, Qt::Horizontal).toString(), QStringLiteral("M"));
        QCOMPARE(m->data(m->index(1, 2), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
    }

    void unreadableFileShowsItsMessage() {
        VistaPreviaLibro w;
        QVERIFY(!w.loadFile(QStringLiteral(QD_WB_FIXTURES "/no_existe.xlsx")));
        QVERIFY(w.lastError().contains(QStringLiteral("«no_existe.xlsx»")));
        QCOMPARE(w.model()->rowCount(), 0);
        w.clear();
        QVERIFY(w.lastError().isEmpty());
        QVERIFY(w.fileName().isEmpty());
    }

    void doubleClickOpensTheFile() {
        VistaPreviaLibro w;
        QUrl opened;
        w.setOpenHandler([&](const QUrl& url) {
            opened = url;
            return true;
        });
        QSignalSpy spy(&w, &VistaPreviaLibro::ficheroAbierto);
        const QString path = QStringLiteral(QD_WB_FIXTURES "/fila2vacia.ods");
        QVERIFY(w.loadFile(path));
        w.resize(400, 300);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseDClick(w.view()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(opened, QUrl::fromLocalFile(path));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(w.view()->toolTip(), VistaPreviaLibro::hintText());
    }
};

QTEST_MAIN(TestVistaPreviaLibro)
#include "test_preview.moc"
