// Excel.ini: the article ticks between runs.

#include "CamposArticulos.h"
#include "ExcelIni.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using qd::ExcelIni;
using qd::FieldList;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// One run of the main window: the list as it is when the window is first shown.
FieldList startRun(const QString& iniPath) {
    FieldList list = qd::articleFieldList();
    ExcelIni::loadArticleTicks(list, iniPath);
    list.setInitialTicks();
    return list;
}

} // namespace

class ExcelIniTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("Excel.ini"); }
};

TEST_F(ExcelIniTest, FirstRunWithoutTheFile) {
    const FieldList list = startRun(path());
    for (int p = 0; p <= 20; ++p)
        EXPECT_TRUE(list.isChecked(p)) << p;
    for (int p = 21; p <= 25; ++p)
        EXPECT_FALSE(list.isChecked(p)) << p;
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(ExcelIniTest, NewFileHasTheSectionAndTheShiftedKeys) {
    FieldList list = startRun(path());
    list.userSetChecked(qd::ArticleFields::kPartNumber, false);
    ASSERT_TRUE(ExcelIni::saveArticleTicks(list, path()));
    EXPECT_EQ(readAll(path()),
              "[Articulos]\r\nGrupoEmpresas=1\r\nCodigo=1\r\nNombre=1\r\nCodigoEAN=1\r\n"
              "PrecioMedioCoste=0\r\nPrecioUltimaCompra=1\r\nReferenciaProveedor=1\r\n"
              "Observaciones=1\r\nProveedorHabitual=1\r\nUNIDADESCAJA=1\r\nPESOUNIDAD=1\r\nIVA=1\r\n"
              "Marca=1\r\nGama=1\r\nFamilia=1\r\nFabricante=1\r\nAfectaStock=1\r\nUsoCompra=1\r\n"
              "UsoVenta=1\r\nPalet_Euro_cajas=1\r\nPrecioMedioCosteEstandard=1\r\n");
}

TEST_F(ExcelIniTest, TicksSurviveToTheNextRunByPosition) {
    FieldList first = startRun(path());
    first.userSetChecked(qd::ArticleFields::kPartNumber, false);
    first.userSetChecked(qd::ArticleFields::kPrecioMedioCosteEstandard, true); // has no key
    first.userSetChecked(20, false);                                           // PALET_EURO_CAJAS
    ASSERT_TRUE(ExcelIni::saveArticleTicks(first, path()));

    const FieldList next = startRun(path());
    EXPECT_FALSE(next.isChecked(qd::ArticleFields::kPartNumber));
    EXPECT_TRUE(next.isChecked(5)); // PRECIOMEDIOCOSTE, from "PrecioUltimaCompra"
    EXPECT_FALSE(next.isChecked(20));
    EXPECT_FALSE(next.isChecked(qd::ArticleFields::kPrecioMedioCosteEstandard));
    EXPECT_TRUE(readAll(path()).contains("\r\nPrecioMedioCosteEstandard=0\r\n"));

    // The key "PrecioUltimaCompra" holds PRECIOMEDIOCOSTE's tick, not PRECIOULTIMACOMPRA's.
    writeAll(path(), "[Articulos]\r\nPrecioUltimaCompra=0\r\n");
    const FieldList shifted = startRun(path());
    EXPECT_FALSE(shifted.isChecked(5));
    EXPECT_TRUE(shifted.isChecked(6));
}

TEST_F(ExcelIniTest, CodigoStartsTickedWhateverTheFileSays) {
    writeAll(path(), "[Articulos]\r\nCodigo=0\r\nGrupoEmpresas=0\r\n");
    const FieldList list = startRun(path());
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kCodigo));
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kGrupoEmpresas)); // until the first tick change
}

TEST(ExcelIniValues, ValuesReadAsTicks) {
    const struct {
        const char* value;
        bool ticked;
    } cases[] = {{"0", false},   {"1", true},   {"2", true},    {"-1", true},     {"00", false},
                 {" 0 ", false}, {"$0", false}, {"0x0", false}, {"$1F", true},    {"abc", true},
                 {"", true},     {"1.0", true}, {"0 1", true},  {"\"0\"", false}, {"99999999999", true}};
    for (const auto& c : cases) {
        const QByteArray content = QByteArray("[Articulos]\r\nNombre=") + c.value + "\r\n";
        EXPECT_EQ(ExcelIni::valueToTick(ExcelIni::readValue(content, "Articulos", "Nombre")), c.ticked)
            << "'" << c.value << "'";
    }
    EXPECT_TRUE(ExcelIni::valueToTick(std::nullopt));
}

TEST(ExcelIniValues, SectionsAndKeysIgnoreCaseAndOtherSections) {
    const QByteArray content =
        "; comment\n[Otros]\nNombre=0\n[ ARTICULOS ]\nnombre = 0\nCodigo=1\n[Mas]\nCodigo=0\n";
    EXPECT_EQ(ExcelIni::readValue(content, "Articulos", "Nombre"), QString("0"));
    EXPECT_EQ(ExcelIni::readValue(content, "Articulos", "Codigo"), QString("1"));
    EXPECT_EQ(ExcelIni::readValue(content, "Articulos", "IVA"), std::nullopt);
    EXPECT_EQ(ExcelIni::readValue(content, "Nada", "Codigo"), std::nullopt);
}

TEST_F(ExcelIniTest, SavingKeepsOtherSectionsAndLines) {
    writeAll(path(), "[Otros]\nClave=valor \xe9\n\n[articulos]\ncodigo=0\nExtra=7\n\n[Fin]\nX=1");
    FieldList list = qd::articleFieldList();
    ASSERT_TRUE(ExcelIni::saveArticleTicks(list, path()));
    const QByteArray out = readAll(path());
    EXPECT_TRUE(out.startsWith("[Otros]\r\nClave=valor \xe9\r\n\r\n[articulos]\r\nCodigo=1\r\nExtra=7\r\n"
                               "GrupoEmpresas=1\r\nNombre=1\r\n"));
    // The last key holds PALET_EURO_CAJAS (ticked), not PRECIOMEDIOCOSTEESTANDARD.
    EXPECT_TRUE(out.endsWith("PrecioMedioCosteEstandard=1\r\n\r\n[Fin]\r\nX=1\r\n"));
    EXPECT_EQ(out.count("Codigo="), 1);

    // A file without the section gets it at the end.
    writeAll(path(), "[Otros]\r\nA=1\r\n");
    ASSERT_TRUE(ExcelIni::saveArticleTicks(list, path()));
    EXPECT_TRUE(readAll(path()).startsWith("[Otros]\r\nA=1\r\n\r\n[Articulos]\r\nGrupoEmpresas=1\r\n"));
}

TEST_F(ExcelIniTest, UnreadableOrUnwritableFile) {
    // A folder where the file should be: cannot be read (all ticked) nor written (error reported).
    ASSERT_TRUE(QDir(dir.path()).mkdir("Excel.ini"));
    FieldList list = qd::articleFieldList();
    list.setAllChecked(false);
    ExcelIni::loadArticleTicks(list, path());
    for (int p = 0; p <= 20; ++p)
        EXPECT_TRUE(list.isChecked(p)) << p;
    QString error;
    EXPECT_FALSE(ExcelIni::saveArticleTicks(list, path(), &error));
    EXPECT_TRUE(error.contains(path()));
}
