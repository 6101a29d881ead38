// The workbook held by the data module: open, used range, release, and what the article loader
// stages from real workbooks written by a spreadsheet program, in every format.
#include <gtest/gtest.h>

#include "ImportacionArticulos.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TempDatabase.h"
#include "Workbook.h"
#include "WorkbookError.h"

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(QD_FIXTURES "/") + name;
}

class HolderTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        datos.setCanal(&canal);
        datos.Iniciar(1, 1, bd.path(), 1, "SYSDBA", "masterkey", "", "ART", 0, 0);
        ASSERT_TRUE(datos.Conectar());
    }
    // Opens a fixture and stages it as the article load does (matching by code).
    int stage(const char* name) {
        return articulos.cargarArticulos(fixture(QString("%1.%2").arg(name, GetParam())), {});
    }
    qd::test::TempDatabase bd;
    qd::RecordingChannel canal;
    TDatos datos;
    ImportacionArticulos articulos{datos};
};

} // namespace

TEST_P(HolderTest, NothingHeldReadsZero) {
    EXPECT_EQ(datos.Ultima_Fila_Excel(), 0);
    EXPECT_EQ(datos.Ultima_Columna_Excel(), 0);
    datos.Destruir_Excel(); // releasing nothing is harmless
}

TEST_P(HolderTest, AnEmptyFirstCellInRowTwoStagesNothing) {
    EXPECT_EQ(stage("fila2vacia"), 0);
}

TEST_P(HolderTest, AHeaderOnlySheetStagesNothing) {
    EXPECT_EQ(stage("solocabecera"), 0);
    EXPECT_EQ(datos.Ultima_Fila_Excel(), 1);
}

TEST_P(HolderTest, TheSheetSavedActiveIsRead) {
    ASSERT_EQ(stage("tipos"), 2);
    articulos.kvRxMDArticulos.first();
    EXPECT_EQ(articulos.kvRxMDArticulos.value("CODIGO").toString(), "S1");
    EXPECT_EQ(articulos.kvRxMDArticulos.value("NOMBRE").toString(), "Segunda hoja");
    articulos.kvRxMDArticulos.next();
    EXPECT_EQ(articulos.kvRxMDArticulos.value("NOMBRE").toString(), "ñ");
}

TEST_P(HolderTest, OpeningAnotherWorkbookReleasesTheFirst) {
    datos.CargarExcel(fixture(QString("tipos.%1").arg(GetParam())));
    EXPECT_EQ(datos.Ultima_Fila_Excel(), 3);
    datos.CargarExcel(fixture(QString("solocabecera.%1").arg(GetParam())));
    EXPECT_EQ(datos.Ultima_Fila_Excel(), 1);
    EXPECT_EQ(datos.Ultima_Columna_Excel(), 3);
    datos.Destruir_Excel();
    EXPECT_EQ(datos.Ultima_Fila_Excel(), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, HolderTest, ::testing::Values("xlsx", "xls", "ods"));

TEST(Holder, FormattedEmptyCellsRaiseTheLastUsedRowAndColumn) {
    for (const char* ext : {"xlsx", "xls", "ods"}) {
        // The first sheet of this workbook has formatted, empty cells below and right of its data.
        auto libro = qd::wb::Workbook::open(fixture(QString("tipos.%1").arg(ext)));
        EXPECT_EQ(libro->sheet(0).lastRow(), 8) << ext;
        EXPECT_EQ(libro->sheet(0).lastColumn(), 13) << ext;
    }
}

TEST(Holder, AFileThatIsNoWorkbookFailsWithAMessageNamingIt) {
    TDatos datos;
    ImportacionArticulos articulos{datos};
    const QString ruta = fixture("make_sources.py");
    try {
        datos.CargarExcel(ruta);
        FAIL() << "a script is not a workbook";
    } catch (const qd::wb::Error& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("make_sources.py")) << e.what();
    }
    EXPECT_FALSE(datos.hayExcel());
    EXPECT_EQ(datos.Ultima_Fila_Excel(), 0);
}
