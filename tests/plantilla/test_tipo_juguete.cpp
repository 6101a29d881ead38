// A toy kind, "marcas", built only for this test as a folder (marcas/) the way every kind is: its
// class over the shared pieces, its page derived from the page base placed in the real main window,
// and its row in the headless importer's table of kinds, each taken here by one line.

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ConstruirSentencias.h"
#include "ConsultasPrueba.h"
#include "FieldList.h"
#include "GuiChannel.h"
#include "ImportacionMarcas.h"
#include "MotorFilas.h"
#include "PaginaMarcas.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TFormPrincipalExcell.h"
#include "TJvFilenameEdit.h"
#include "TempDatabase.h"
#include "TipoImportacion.h"
#include "TkvDBGrid.h"

namespace qd::cli {
QList<TipoImportacion> tipos_marcas(); // defined in marcas/qdimport.cpp
}

namespace {

QString escribirCsv(const QTemporaryDir& dir, const QByteArray& contenido) {
    const QString ruta = dir.filePath(QStringLiteral("marcas.csv"));
    QFile f(ruta);
    f.open(QIODevice::WriteOnly);
    f.write(contenido);
    return ruta;
}

int marcasQueEmpiezanPor(const qd::test::TempDatabase& db, const char* prefijo) {
    auto a = db.attach();
    return qd::test::consultar(
               *a, QStringLiteral("SELECT COUNT(*) FROM MARCAS WHERE CODIGO STARTING WITH '%1'").arg(prefijo))
        .first()
        .first()
        .toInt();
}

TEST(TipoJuguete, APageDerivedFromTheBaseRunsInTheMainWindow) {
    qd::test::TempDatabase db;
    QTemporaryDir dir;
    const QString csv = escribirCsv(dir, "CODIGO;NOMBRE\r\nJG1;Juguete uno\r\nJG2;Juguete dos\r\n");
    TDatos datos;
    ImportacionMarcas marcas(datos);
    int cerradas = 0;
    {
        TFormPrincipalExcell ventana(datos, {QStringLiteral("1"), QStringLiteral("1"), db.path(),
                                             QStringLiteral("1"), QStringLiteral("SYSDBA"),
                                             QStringLiteral("masterkey"), QString(), QStringLiteral("ART"),
                                             QStringLiteral("0"), QStringLiteral("0")});
        auto* pagina = new PaginaMarcas(datos, ventana.Nombre_Fichero, marcas);
        pagina->cerrada = &cerradas;
        ventana.anadirPagina(2, pagina);
        ventana.show();
        EXPECT_EQ(pagina->mostrada, 1);
        EXPECT_TRUE(pagina->listaCampos()->isChecked(2));

        qd::RecordingChannel canal;
        datos.setCanal(&canal);
        pagina->selector()->setText(csv);
        pagina->pulsarCargar();
        EXPECT_TRUE(pagina->cargado());
        EXPECT_EQ(pagina->grid()->model()->rowCount(), 2);
        // The window's busy state reaches the other pages.
        EXPECT_FALSE(ventana.paginaImportacion(0)->paginas()->isEnabled());
        pagina->botonConfirmar()->click();
        EXPECT_EQ(pagina->escritas, 2);
        EXPECT_FALSE(pagina->cargado());
        EXPECT_TRUE(ventana.paginaImportacion(0)->paginas()->isEnabled());
        EXPECT_TRUE(canal.messages(qd::MessageKind::Error).isEmpty()) << canal.log().join('\n').toStdString();
        datos.setCanal(&ventana.canal());
        EXPECT_EQ(cerradas, 0);
    }
    EXPECT_EQ(cerradas, 1) << "the window's end reaches the page";
    EXPECT_EQ(marcasQueEmpiezanPor(db, "JG"), 2);
}

TEST(TipoJuguete, ARowInTheTableOfKindsRunsHeadless) {
    qd::test::TempDatabase db;
    QTemporaryDir dir;
    const QString csv =
        escribirCsv(dir, "CODIGO;NOMBRE\r\nJC1;Consola uno\r\nJC2;Consola dos\r\nJC3;Tres\r\n");

    QList<qd::cli::TipoImportacion> tipos = qd::cli::tiposImportacion();
    tipos << qd::cli::tipos_marcas(); // the toy kind's one registration line
    EXPECT_EQ(qd::cli::ejecutar({QStringLiteral("--database"), db.path(), QStringLiteral("--kind"),
                                 QStringLiteral("marcas"), QStringLiteral("--solo-codigo"), csv},
                                tipos),
              qd::cli::kCorrecto);
    EXPECT_EQ(marcasQueEmpiezanPor(db, "JC"), 3);
    auto a = db.attach();
    EXPECT_TRUE(qd::test::consultar(*a, QStringLiteral("SELECT NOMBRE FROM MARCAS WHERE CODIGO = 'JC1'"))
                    .first()
                    .first()
                    .isNull())
        << "NOMBRE unticked by the kind's own option";
    // The article kind is still in the table next to it.
    EXPECT_EQ(qd::cli::ejecutar({QStringLiteral("--database"), db.path(), QStringLiteral("--kind"),
                                 QStringLiteral("articulos"), csv},
                                tipos),
              qd::cli::kFallo)
        << "articles without a mode";
}

} // namespace

int main(int argc, char** argv) {
    // Real widgets without a display (also while CTest lists the tests).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
