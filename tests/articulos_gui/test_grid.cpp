// The data grid over a staging table: titles, check-box columns, read-only mode, the keys that
// move between columns, the decimal key of float columns, cell colours, column views and the
// column layout file.

#include <QFile>
#include <QFocusEvent>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "TkvDBGrid.h"

namespace {

using FT = TkvRxMemoryData::FieldType;

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        tabla.addField({QStringLiteral("CODIGO"), FT::String, 18, QStringLiteral("Código")});
        tabla.addField(
            {QStringLiteral("PRECIO"), FT::Float, 0, QStringLiteral("Precio"), QStringLiteral("#,##0.00")});
        tabla.addField({QStringLiteral("AFECTASTOCK"), FT::SmallInt, 0, QStringLiteral("Control de Stock")});
        tabla.addField({QStringLiteral("NOTA"), FT::String, 20});
        tabla.open();
        for (int i = 0; i < 3; ++i) {
            tabla.append();
            tabla.setValue(QStringLiteral("CODIGO"), QStringLiteral("A%1").arg(i));
            tabla.setValue(QStringLiteral("PRECIO"), 12345.5 * (i + 1));
            tabla.setValue(QStringLiteral("AFECTASTOCK"), i % 2);
            tabla.post();
        }
        grid.setTabla(&tabla);
        grid.setColumnas({{QStringLiteral("CODIGO"), QStringLiteral("Cód."), false},
                          {QStringLiteral("PRECIO"), QString(), false},
                          {QStringLiteral("AFECTASTOCK"), QStringLiteral("Afecta al Stock"), true},
                          {QStringLiteral("NOTA"), QString(), false}});
        grid.resize(600, 300);
        grid.show();
        grid.modelo()->sincronizar();
        grid.setCurrentIndex(grid.model()->index(0, 0));
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QModelIndex actual() const { return grid.currentIndex(); }

    TkvRxMemoryData tabla;
    TkvDBGrid grid;
};

TEST_F(GridTest, TitlesCheckBoxesAndFormats) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    auto* m = grid.model();
    ASSERT_EQ(m->columnCount(), 4);
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Cód."));
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Precio")); // the field's label
    EXPECT_EQ(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("NOTA"));   // no label: the name
    EXPECT_EQ(m->data(m->index(1, 1)).toString(), QStringLiteral("24.691,00"));
    EXPECT_EQ(m->data(m->index(0, 2), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    EXPECT_EQ(m->data(m->index(1, 2), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    EXPECT_TRUE(m->data(m->index(1, 2), Qt::DisplayRole).isNull()); // a check box, no text

    // Read-only: nothing editable, nothing checkable, setData refused.
    grid.setReadOnly(true);
    EXPECT_FALSE(m->flags(m->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(m->flags(m->index(0, 2)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(m->setData(m->index(0, 0), QStringLiteral("X")));
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    grid.setReadOnly(false);
    EXPECT_TRUE(m->setData(m->index(0, 2), int(Qt::Checked), Qt::CheckStateRole));
    EXPECT_EQ(tabla.valueAt(0, 2).toInt(), 1);
}

TEST_F(GridTest, ModelFollowsTheTable) {
    QSignalSpy inserts(grid.model(), &QAbstractItemModel::rowsInserted);
    tabla.append();
    tabla.setValue(QStringLiteral("CODIGO"), QStringLiteral("NUEVO"));
    tabla.post();
    grid.modelo()->sincronizar(); // appended rows are announced in batches
    EXPECT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(inserts.count(), 1);
    EXPECT_EQ(grid.model()->data(grid.model()->index(3, 0)).toString(), QStringLiteral("NUEVO"));
    tabla.close(); // closing empties
    EXPECT_EQ(grid.model()->rowCount(), 0);
}

TEST_F(GridTest, EnterAndTabMoveAcrossColumnsAndRows) {
    struct Caso {
        const char* nombre;
        bool moveByRow;
        int fila, columna; // start
        int tecla;
        Qt::KeyboardModifiers mods;
        int filaEsperada, columnaEsperada;
    };
    const Caso casos[] = {
        {"Enter moves right", true, 0, 0, Qt::Key_Return, Qt::NoModifier, 0, 1},
        {"Tab moves right", true, 0, 1, Qt::Key_Tab, Qt::NoModifier, 0, 2},
        {"Shift+Tab moves left", true, 1, 2, Qt::Key_Backtab, Qt::ShiftModifier, 1, 1},
        {"Enter at last column goes to next row", true, 0, 3, Qt::Key_Return, Qt::NoModifier, 1, 0},
        {"Shift+Tab at first column goes to previous row", true, 1, 0, Qt::Key_Backtab, Qt::ShiftModifier, 0,
         3},
        {"Enter at last column stays without MoveByRow", false, 0, 3, Qt::Key_Return, Qt::NoModifier, 0, 3},
        {"Down is kept without MoveByRow", false, 0, 1, Qt::Key_Down, Qt::NoModifier, 0, 1},
        {"PageDown is kept without MoveByRow", false, 0, 1, Qt::Key_PageDown, Qt::NoModifier, 0, 1},
        {"Down moves with MoveByRow", true, 0, 1, Qt::Key_Down, Qt::NoModifier, 1, 1},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        grid.MoveByRow = c.moveByRow;
        grid.setCurrentIndex(grid.model()->index(c.fila, c.columna));
        QTest::keyClick(&grid, Qt::Key(c.tecla), c.mods);
        EXPECT_EQ(actual().row(), c.filaEsperada);
        EXPECT_EQ(actual().column(), c.columnaEsperada);
    }
    // The window's own key handler still sees a key the grid keeps.
    int vistas = 0;
    grid.onKeyDown = [&vistas](QKeyEvent*) { ++vistas; };
    grid.MoveByRow = false;
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(vistas, 1);
}

TEST_F(GridTest, WithoutEnterToTabTheViewMovesAsUsual) {
    grid.EnterToTab = false;
    grid.setReadOnly(true);
    grid.setCurrentIndex(grid.model()->index(0, 3));
    QTest::keyClick(&grid, Qt::Key_Tab); // the view's own Tab: next item, wrapping to the next row
    EXPECT_EQ(actual().row(), 1);
    EXPECT_EQ(actual().column(), 0);
}

TEST_F(GridTest, DecimalKeyTypesTheLocaleSeparatorInFloatColumns) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    grid.setReadOnly(false);
    grid.setCurrentIndex(grid.model()->index(0, 1));
    QTest::keyClick(&grid, Qt::Key_1, Qt::NoModifier); // starts editing with "1"
    auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral(".5"));
    EXPECT_EQ(editor->text(), QStringLiteral("1,5"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_DOUBLE_EQ(tabla.valueAt(0, 1).toDouble(), 1.5);
    EXPECT_EQ(actual().column(), 2) << "Enter in the editor commits and moves to the next column";

    // A comma is left as it is; the first key of an edit is replaced too.
    grid.setCurrentIndex(grid.model()->index(1, 1));
    QTest::keyClick(&grid, Qt::Key_Period, Qt::NoModifier, '.');
    editor = qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("25"));
    EXPECT_EQ(editor->text(), QStringLiteral(",25"));
    QTest::keyClick(editor, Qt::Key_Escape);

    // In a text column the key stays a point.
    grid.setCurrentIndex(grid.model()->index(0, 3));
    QTest::keyClick(&grid, Qt::Key_A);
    editor = qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral(".b"));
    EXPECT_EQ(editor->text(), QStringLiteral("a.b"));
    QTest::keyClick(editor, Qt::Key_Escape);

    // With a point as the separator, the comma becomes a point.
    grid.setSeparadorDecimal(QLatin1Char('.'));
    QLocale::setDefault(QLocale::c());
    grid.setCurrentIndex(grid.model()->index(2, 1));
    QTest::keyClick(&grid, Qt::Key_2);
    editor = qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral(",75"));
    EXPECT_EQ(editor->text(), QStringLiteral("2.75"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_DOUBLE_EQ(tabla.valueAt(2, 1).toDouble(), 2.75);
}

TEST_F(GridTest, EitherDecimalKeyGivesTheSameNumber) {
    grid.setReadOnly(false);
    const char* escritos[] = {"1.5", "1,5"};
    int fila = 0;
    for (QChar separador : {QLatin1Char(','), QLatin1Char('.')}) {
        grid.setSeparadorDecimal(separador);
        for (const char* escrito : escritos) {
            SCOPED_TRACE(
                QStringLiteral("%1 with '%2'").arg(QLatin1String(escrito)).arg(separador).toStdString());
            QLocale::setDefault(separador == QLatin1Char(',') ? QLocale(QLocale::Spanish, QLocale::Spain)
                                                              : QLocale::c());
            grid.setCurrentIndex(grid.model()->index(fila % 3, 1));
            QTest::keyClick(&grid, Qt::Key_1);
            auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
            ASSERT_NE(editor, nullptr);
            QTest::keyClicks(editor, QString::fromLatin1(escrito + 1));
            QTest::keyClick(editor, Qt::Key_Return);
            QCoreApplication::processEvents();
            EXPECT_DOUBLE_EQ(tabla.valueAt(fila % 3, 1).toDouble(), 1.5);
            ++fila;
        }
    }
}

TEST_F(GridTest, CellColoursAndDrawingHook) {
    grid.OnCalcCellColors = [this](const QString& campo, int fila, QColor& fondo, QColor&, QFont& fuente) {
        if (campo == QStringLiteral("NOTA") && fila == 1) fondo = QColor(200, 0, 0);
        if (fila == grid.filaActiva()) fuente.setBold(true);
    };
    QStringList dibujadas;
    grid.OnDrawColumnCell = [&dibujadas](QPainter*, const QRect&, const QString& campo, int fila,
                                         const QStyleOptionViewItem&) {
        dibujadas << QStringLiteral("%1:%2").arg(campo).arg(fila);
    };
    grid.setCurrentIndex(grid.model()->index(0, 0));
    const QImage imagen = grid.viewport()->grab().toImage();
    const QRect celda = grid.visualRect(grid.model()->index(1, 3));
    EXPECT_EQ(QColor(imagen.pixel(celda.center())), QColor(200, 0, 0));
    EXPECT_NE(QColor(imagen.pixel(grid.visualRect(grid.model()->index(2, 3)).center())), QColor(200, 0, 0));
    EXPECT_TRUE(dibujadas.contains(QStringLiteral("NOTA:2")));
    EXPECT_TRUE(dibujadas.contains(QStringLiteral("CODIGO:0")));
}

TEST_F(GridTest, ColumnViewsAndTitles) {
    grid.CambioVisor(1, {0, 3});
    auto* m = grid.model();
    ASSERT_EQ(m->columnCount(), 2);
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("NOTA"));
    EXPECT_EQ(grid.Visor(), 1);
    // A second view is taken from the first list, not from the view shown.
    grid.CambioVisor(2, {1, 2});
    ASSERT_EQ(m->columnCount(), 2);
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Precio"));
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Afecta al Stock"));
    grid.CambiarDisplayLabel(QStringLiteral("precio"), QStringLiteral("PVP"));
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("PVP"));
    EXPECT_EQ(grid.ListaInicialColumnas().size(), 4);
}

TEST_F(GridTest, ColumnLayoutIsSavedAndRestoredWhenAsked) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto enfocar = [](TkvDBGrid& g, QEvent::Type tipo) {
        QFocusEvent e(tipo, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(&g, &e);
    };
    grid.setObjectName(QStringLiteral("kvDBGridPrueba"));
    grid.ficheroColumnas = dir.filePath(QStringLiteral("Rejillas.ini"));
    // Off, nothing is written.
    enfocar(grid, QEvent::FocusIn);
    enfocar(grid, QEvent::FocusOut);
    EXPECT_FALSE(QFile::exists(grid.ficheroColumnas));

    grid.GuardarColumnas = true;
    enfocar(grid, QEvent::FocusIn);
    grid.CambiarDisplayLabel(QStringLiteral("NOTA"), QStringLiteral("Notas"));
    grid.horizontalHeader()->moveSection(3, 0);
    grid.setColumnWidth(1, grid.fontMetrics().averageCharWidth() * 30);
    enfocar(grid, QEvent::FocusOut);

    // Another grid of the same window and name takes that layout.
    TkvDBGrid otra;
    otra.setObjectName(grid.objectName());
    otra.ficheroColumnas = grid.ficheroColumnas;
    otra.GuardarColumnas = true;
    otra.setTabla(&tabla);
    otra.setColumnas({});
    enfocar(otra, QEvent::FocusIn);
    auto* m = otra.model();
    ASSERT_EQ(m->columnCount(), 4);
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Notas"));
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Cód."));
    EXPECT_EQ(otra.columnWidth(2), otra.fontMetrics().averageCharWidth() * 30);

    // A layout saved for another number of columns is replaced, not applied.
    TkvDBGrid dos;
    dos.setObjectName(grid.objectName());
    dos.ficheroColumnas = grid.ficheroColumnas;
    dos.GuardarColumnas = true;
    dos.setTabla(&tabla);
    dos.setColumnas(
        {{QStringLiteral("PRECIO"), QString(), false}, {QStringLiteral("CODIGO"), QString(), false}});
    enfocar(dos, QEvent::FocusIn);
    ASSERT_EQ(dos.model()->columnCount(), 2);
    EXPECT_EQ(dos.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Precio"));
    QSettings ini(grid.ficheroColumnas, QSettings::IniFormat);
    ini.beginGroup(dos.seccionColumnas());
    EXPECT_EQ(ini.childKeys().size(), 2);
}

} // namespace
