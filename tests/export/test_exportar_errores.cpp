// The workbook of rows not written: our readers read each exported row back cell for cell, it lands
// in the user's data folder when the source's folder cannot be written, and the article loader
// stages it again with its "Error" column ignored.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "ExportarErrores.h"
#include "ImportacionArticulos.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TempDatabase.h"
#include "Workbook.h"

namespace {

QString fixture(const QString& nombre) {
    return QStringLiteral(QD_WB_FIXTURES "/") + nombre;
}

// Copies a file into `dir` and returns the copy's path.
QString copiar(const QString& origen, const QTemporaryDir& dir) {
    const QString destino = dir.filePath(QFileInfo(origen).fileName());
    QFile::remove(destino);
    EXPECT_TRUE(QFile::copy(origen, destino)) << origen.toStdString();
    return destino;
}

void escribirTexto(const QString& ruta, const QByteArray& contenido) {
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contenido);
}

std::string describir(const qd::wb::Cell& c) {
    return QStringLiteral("%1 %2 «%3» %4")
        .arg(int(c.type))
        .arg(c.number, 0, 'g', 17)
        .arg(c.text)
        .arg(c.boolean)
        .toStdString();
}

// The cell as the export must give it back: everything as read, an error value as its name in text.
qd::wb::Cell esperada(const qd::wb::Cell& c) {
    return c.type == qd::wb::CellType::Error ? qd::wb::Cell::ofText(c.text) : c;
}

bool iguales(const qd::wb::Cell& a, const qd::wb::Cell& b) {
    return a.type == b.type && a.number == b.number && a.text == b.text && a.boolean == b.boolean;
}

} // namespace

TEST(ExportarErrores, ReadersGiveBackTheHeaderAndEachRowAsItWasRead) {
    struct Caso {
        const char* fichero;
        int hoja;
        std::vector<qd::FilaConError> filas;
    };
    // The "Datos" sheet holds every cell type (numbers, text with leading zeros, line breaks and
    // outer blanks, dates, times, booleans, formula results, an error value) and formatted empty
    // cells that widen its used range; simple.csv holds a code with leading zeros.
    const std::vector<Caso> casos{
        {"tipos.xlsx", 0, {{3, "Familia XX no existe"}, {2, "Precio no válido"}, {3, "Sin IVA"}}},
        {"tipos.xls", 0, {{2, "a"}, {4, "b"}}},
        {"tipos.ods", 0, {{2, "a"}, {3, "b"}, {4, "c"}}},
        {"simple.csv", 0, {{3, "Código repetido"}}},
    };
    QTemporaryDir dir;
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.fichero);
        const QString origen = copiar(fixture(caso.fichero), dir);
        const auto libro = qd::wb::Workbook::open(origen);
        const qd::wb::Sheet& hoja = libro->sheet(caso.hoja);

        const QString ruta = qd::exportarFilasConError(origen, hoja, 1, caso.filas);
        EXPECT_TRUE(QRegularExpression(
                        QRegularExpression::anchoredPattern(
                            QRegularExpression::escape(dir.filePath(QFileInfo(origen).completeBaseName())) +
                            "_errores_\\d{8}-\\d{6}(-\\d+)?\\.xlsx"))
                        .match(ruta)
                        .hasMatch())
            << ruta.toStdString();
        const auto exportado = qd::wb::Workbook::open(ruta);
        ASSERT_EQ(exportado->format(), qd::wb::Workbook::Format::Xlsx);
        ASSERT_EQ(exportado->sheetCount(), 1);
        const qd::wb::Sheet& leida = exportado->activeSheet();
        EXPECT_EQ(leida.name(), hoja.name());

        // Rows in sheet order, each once, a row given twice with both reasons.
        std::map<int, QString> filas;
        for (const auto& f : caso.filas)
            filas[f.fila] = filas.count(f.fila) ? filas[f.fila] + "; " + f.motivo : f.motivo;
        std::vector<std::pair<int, QString>> orden{{1, "Error"}};
        orden.insert(orden.end(), filas.begin(), filas.end());

        int ancho = 0; // the last column with a value in the rows exported
        for (const auto& [origenFila, motivo] : orden)
            for (int c = 1; c <= hoja.lastColumn(); ++c)
                if (!hoja.cell(origenFila, c).isEmpty()) ancho = std::max(ancho, c);
        EXPECT_EQ(leida.lastRow(), int(orden.size()));
        EXPECT_EQ(leida.lastColumn(), ancho + 1) << "no empty columns before \"Error\"";
        for (size_t i = 0; i < orden.size(); ++i) {
            const int fila = int(i) + 1;
            for (int c = 1; c <= ancho; ++c) {
                const qd::wb::Cell a = esperada(hoja.cell(orden[i].first, c));
                EXPECT_TRUE(iguales(leida.cell(fila, c), a))
                    << "row " << orden[i].first << " column " << c << ": " << describir(leida.cell(fila, c))
                    << " instead of " << describir(a);
            }
            EXPECT_EQ(leida.cell(fila, ancho + 1).type, qd::wb::CellType::Text);
            EXPECT_EQ(leida.text(fila, ancho + 1), orden[i].second);
        }
    }
}

// Every run's export is a new file: a link, an earlier export or a dry run's at its name is left
// as it is, and the run's export takes the next free name.
TEST(ExportarErrores, ANewFileEveryRunNeverThroughALink) {
    QTemporaryDir dir;
    const QString origen = copiar(fixture("simple.csv"), dir);
    const auto libro = qd::wb::Workbook::open(origen);
    const QDateTime momento(QDate(2026, 12, 11), QTime(10, 30, 0));
    const QString nombre = qd::rutaFilasConError(origen, momento);
    EXPECT_TRUE(nombre.endsWith("/simple_errores_20261211-103000.xlsx")) << nombre.toStdString();
    EXPECT_TRUE(qd::rutaFilasConError(origen, momento, true)
                    .endsWith("/simple_errores_simulacion_20261211-103000.xlsx"));

    const QString victima = dir.filePath("victima.txt");
    escribirTexto(victima, "intacto");
    ASSERT_TRUE(QFile::link(victima, nombre));
    const QString ruta =
        qd::exportarFilasConError(origen, libro->activeSheet(), 1, {{2, "x"}}, false, momento);
    EXPECT_TRUE(ruta.endsWith("/simple_errores_20261211-103000-2.xlsx")) << ruta.toStdString();
    EXPECT_EQ(qd::wb::Workbook::open(ruta)->activeSheet().text(2, 1), "A001");
    QFile f(victima);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("intacto"));
    EXPECT_TRUE(QFileInfo(nombre).isSymLink());
    const QString tercera =
        qd::exportarFilasConError(origen, libro->activeSheet(), 1, {{2, "y"}}, false, momento);
    EXPECT_TRUE(tercera.endsWith("-3.xlsx")) << tercera.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList({".*.tmp"}, QDir::Files | QDir::Hidden).size(), 0)
        << "nothing aside left";
}

TEST(ExportarErrores, AFolderThatCannotBeWrittenSendsItToTheUserDataFolder) {
    QTemporaryDir datos;
    qputenv("XDG_DATA_HOME", QFile::encodeName(datos.path()));
    QTemporaryDir dir;
    const auto libro = qd::wb::Workbook::open(copiar(fixture("simple.csv"), dir));
    // Not even the administrator can create files in /proc; the data folder does not exist yet.
    const QString ruta = qd::exportarFilasConError("/proc/simple.csv", libro->activeSheet(), 1, {{2, "x"}});
    EXPECT_TRUE(ruta.startsWith(datos.path() + "/")) << ruta.toStdString();
    EXPECT_TRUE(ruta.contains("/simple_errores_")) << ruta.toStdString();
    EXPECT_EQ(qd::wb::Workbook::open(ruta)->activeSheet().text(2, 1), "A001");

    // Neither folder: a clear error naming both, and nothing left behind.
    qputenv("XDG_DATA_HOME", "/proc/no/existe");
    try {
        qd::exportarFilasConError("/proc/simple.csv", libro->activeSheet(), 1, {{2, "x"}});
        ADD_FAILURE() << "no error";
    } catch (const qd::ErrorExportacion& e) {
        EXPECT_TRUE(e.texto().startsWith("No se pudo escribir el libro con las filas no importadas."));
        EXPECT_TRUE(e.texto().contains("/proc/simple_errores_")) << e.texto().toStdString();
        EXPECT_TRUE(e.texto().contains("/proc/no/existe")) << e.texto().toStdString();
    }
    qunsetenv("XDG_DATA_HOME");
}

TEST(ExportarErrores, TheArticleLoaderStagesTheExportAndIgnoresItsErrorColumn) {
    QTemporaryDir dir;
    const QString origen = dir.filePath("articulos.csv");
    escribirTexto(origen, "CODIGO;NOMBRE;PVP\r\n"
                          "E001;Primero;1,5\r\n"
                          "0002;Segundo;2\r\n"
                          "E003;Tercero;3\r\n");
    const auto libro = qd::wb::Workbook::open(origen);
    const QString ruta =
        qd::exportarFilasConError(origen, libro->activeSheet(), 1, {{3, "uno"}, {4, "Error de prueba"}});

    qd::test::TempDatabase db;
    qd::RecordingChannel canal;
    TDatos d;
    ImportacionArticulos articulos{d};
    d.setCanal(&canal);
    d.Iniciar(1, 1, db.path(), 1, "SYSDBA", "masterkey", QString(), "ART", 0, 0);
    ASSERT_TRUE(d.Conectar());
    qd::OpcionesArticulos o;
    EXPECT_EQ(articulos.cargarArticulos(ruta, o), 2);
    TkvRxMemoryData& t = articulos.kvRxMDArticulos;
    EXPECT_LT(t.fieldIndex("Error"), 0) << "no staging field is named after the reason column";
    ASSERT_EQ(t.recordCount(), 2);
    t.first();
    EXPECT_EQ(t.value("CODIGO").toString(), "0002");
    EXPECT_EQ(t.value("NOMBRE").toString(), "Segundo");
    t.next();
    EXPECT_EQ(t.value("CODIGO").toString(), "E003");
}
