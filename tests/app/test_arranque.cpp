// Start-up of the module: the launch contract, the connection, the schema upgrade and the pages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include "FbStatement.h"
#include "GuiChannel.h"
#include "ModalCloser.h"
#include "PaginaImportacion.h"
#include "TDatos.h"
#include "TFormPrincipalExcell.h"
#include "TJvFilenameEdit.h"
#include "TempDatabase.h"
#include "VistaPreviaLibro.h"

namespace {

QStringList parametros(const QString& bd, const QString& usuario, const QString& opcion) {
    return {"1", "1", bd, "1", usuario, "masterkey", "texto libre", opcion, "0", "0"};
}

// Number of the module's own objects present in the database.
int objetosPropios(const QString& bd) {
    qd::fb::Attachment db(bd, {"USER_NAME=SYSDBA", "PASSWORD=masterkey", "lc_ctype=ISO8859_1"});
    db.open();
    qd::fb::Transaction tr(&db);
    qd::fb::Statement st(&db, &tr);
    st.setSql(
        "SELECT (SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME IN "
        "('PRCALCULOALBARANVENTA_EXCEL', 'PR_ASIGNAR_DIRENVIO_CLI', 'PRLIMPIARESPACIOSENREFERECIAS')) + "
        "(SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'ARTICULOS_REF_A_VERIFICAR') "
        "AS N FROM RDB$DATABASE");
    st.execute();
    return static_cast<int>(st.fieldByName("N").asInt());
}

} // namespace

TEST(Arranque, TenPagesWithTheirCaptionsAndAScreenshot) {
    qd::test::TempDatabase bd;
    ModalCloser cerrar;
    TDatos datos;
    TFormPrincipalExcell ventana(datos, parametros(bd.path(), "sysdba", "ART"));
    ASSERT_FALSE(ventana.terminarAplicacion());
    ventana.show();
    QApplication::processEvents();
    EXPECT_TRUE(cerrar.textos.isEmpty()) << cerrar.textos.join('\n').toStdString();
    const QStringList esperadas{
        "Artículos",   "Clientes",          "Líneas de Albarán", "Direcciones Clientes", "Contactos Clientes",
        "Proveedores", "Clientes - Bancos", "Tarifas Proveedor", "Albaranes DLR",        "Tarifas"};
    QTabWidget* paginas = ventana.paginas();
    ASSERT_EQ(paginas->count(), esperadas.size());
    for (int i = 0; i < esperadas.size(); ++i)
        EXPECT_EQ(paginas->tabText(i), esperadas[i]) << i;
    EXPECT_EQ(paginas->widget(0)->objectName(), "TabSheetImportacionArticulos");
    EXPECT_EQ(paginas->widget(8)->objectName(), "TabSheetAlbaranesDLR");
    EXPECT_EQ(ventana.windowTitle(), "Importación de datos MSExcel a Quenda SQL");
    EXPECT_TRUE(datos.IBDatabase.connected());
    const QImage captura = ventana.grab().toImage();
    EXPECT_FALSE(captura.isNull());
    captura.save(QDir::temp().filePath("qd_ventana_principal.png"));
}

TEST(Arranque, OperationCodeChoosesThePage) {
    qd::test::TempDatabase bd;
    struct Caso {
        const char* codigo;
        int pagina;
    };
    const Caso casos[] = {{"ART", 0}, {"art", 0}, {"ART ", 0}, {"", 0},    {"CLI", 1},   {"DIR", 3},
                          {"CON", 4}, {"PRO", 5}, {"CTA", 6},  {"XYZ", 0}, {"LAVDLR", 8}};
    ModalCloser cerrar;
    for (const Caso& c : casos) {
        TDatos datos;
        TFormPrincipalExcell ventana(datos, parametros(bd.path(), "sysdba", c.codigo));
        EXPECT_FALSE(ventana.terminarAplicacion()) << c.codigo;
        EXPECT_EQ(ventana.paginas()->currentIndex(), c.pagina) << c.codigo;
        // The active page among the first five shows image 0, every other one image 1.
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(ventana.indiceImagen(i), (i == c.pagina && i <= 4) ? 0 : 1) << c.codigo << " " << i;
    }
    EXPECT_TRUE(cerrar.textos.isEmpty());
}

TEST(Arranque, ParametersAreConvertedAndMissingOnesReadEmpty) {
    qd::test::TempDatabase bd;
    ModalCloser cerrar;
    TDatos datos;
    TFormPrincipalExcell ventana(
        datos, {"x1", "2", bd.path(), "abc", "sysdba", "masterkey", "", "CTA", "12a", " 7"});
    EXPECT_EQ(datos.IdEmpresa, 0);
    EXPECT_EQ(datos.IdGrupoEmpresas, 2);
    EXPECT_EQ(datos.IdUsuario, 0);
    EXPECT_EQ(datos.Albaran_LAVC, 0);
    EXPECT_EQ(datos.Almacen_LAVC, 7);
    EXPECT_EQ(datos.TextoLibre, "");
    EXPECT_EQ(ventana.paginas()->currentIndex(), 6);

    TDatos pocos;
    TFormPrincipalExcell ventana2(pocos, {"3", "4", bd.path()}); // fewer than ten: the rest are empty
    EXPECT_EQ(pocos.IdEmpresa, 3);
    EXPECT_EQ(pocos.Opcion, "");
    EXPECT_EQ(pocos.Almacen_LAVC, 0);
    EXPECT_EQ(ventana2.paginas()->currentIndex(), 0);
}

TEST(Arranque, ShowingOneOfTheFirstFivePagesClearsTheCancelFlag) {
    qd::test::TempDatabase bd;
    ModalCloser cerrar;
    TDatos datos;
    TFormPrincipalExcell ventana(datos, parametros(bd.path(), "sysdba", "ART"));
    ventana.show();
    ventana.bucleEnCurso(true); // the action is only offered while a loop runs
    ventana.accionCancelar()->trigger();
    ventana.bucleEnCurso(false);
    EXPECT_TRUE(datos.Abortar_Proceso);
    ventana.paginas()->setCurrentIndex(7);
    EXPECT_TRUE(datos.Abortar_Proceso);
    ventana.paginas()->setCurrentIndex(2);
    EXPECT_FALSE(datos.Abortar_Proceso);
}

TEST(Arranque, AdministratorInstallsTheModuleObjectsOnEveryStart) {
    qd::test::TempDatabase bd;
    ModalCloser cerrar;
    {
        TDatos datos;
        TFormPrincipalExcell ventana(datos, parametros(bd.path(), "sysdba", "ART"));
    }
    EXPECT_EQ(objetosPropios(bd.path()), 0) << "only SYSDBA, written exactly so, upgrades";
    {
        TDatos datos;
        TFormPrincipalExcell ventana(datos, parametros(bd.path(), "SYSDBA", "ART"));
    }
    EXPECT_EQ(objetosPropios(bd.path()), 4);
    {
        // Second start: the table exists already; that failure stays silent.
        TDatos datos;
        TFormPrincipalExcell ventana(datos, parametros(bd.path(), "SYSDBA", "ART"));
        EXPECT_TRUE(datos.IBDatabase.connected());
    }
    EXPECT_EQ(objetosPropios(bd.path()), 4);
    EXPECT_TRUE(cerrar.textos.isEmpty()) << cerrar.textos.join('\n').toStdString();
}

TEST(Arranque, UpgradeStatementsAreSentWithoutParameterParsing) {
    const QStringList s = TDatos::sentenciasActualizacion();
    ASSERT_EQ(s.size(), 17);
    EXPECT_TRUE(s[0].startsWith("CREATE OR ALTER PROCEDURE PRCALCULOALBARANVENTA_EXCEL ("));
    EXPECT_TRUE(s[0].endsWith("END"));
    EXPECT_EQ(s[1], "GRANT EXECUTE ON PROCEDURE PRCALCULOALBARANVENTA_EXCEL TO PUBLIC;");
    EXPECT_TRUE(s[2].contains("  INTO :AUXCLIENTE\r\n"));
    EXPECT_EQ(s[7], "GRANT ALL ON ARTICULOS_REF_A_VERIFICAR TO PUBLIC WITH GRANT OPTION;");
    for (const QString& t : s)
        EXPECT_FALSE(t.contains(QRegularExpression("[^\\r]\\n"))) << t.left(60).toStdString();
}

TEST(Arranque, AWrongDatabaseShowsOneConnectionErrorAndTheWindowStillOpens) {
    ModalCloser cerrar;
    TDatos datos;
    const QString ruta = QDir::temp().filePath("no/existe/bd.fdb");
    TFormPrincipalExcell ventana(datos, parametros(ruta, "SYSDBA", "CLI"));
    EXPECT_FALSE(ventana.terminarAplicacion());
    EXPECT_FALSE(datos.IBDatabase.connected());
    EXPECT_EQ(ventana.paginas()->currentIndex(), 1);
    // One box, not one per upgrade statement: the upgrade is skipped while there is no connection.
    ASSERT_EQ(cerrar.textos.size(), 1);
    EXPECT_TRUE(cerrar.textos[0].startsWith("Error al conectar con " + ruta + "\r\n"))
        << cerrar.textos[0].toStdString();
    EXPECT_GT(cerrar.textos[0].size(), QString("Error al conectar con " + ruta + "\r\n").size());
}

TEST(Arranque, TransferCodesRunTheTransferWindowAndEnd) {
    qd::test::TempDatabase bd;
    for (const char* codigo : {"LAV", "LAC"}) {
        ModalCloser cerrar;
        TDatos datos;
        TFormPrincipalExcell ventana(datos, parametros(bd.path(), "sysdba", codigo));
        EXPECT_TRUE(ventana.terminarAplicacion()) << codigo;
        EXPECT_EQ(cerrar.cerrados, 1) << codigo;
        const QSize antes = ventana.size();
        ventana.resize(400, 300);
        if (QString(codigo) == "LAV")
            EXPECT_EQ(ventana.size(), antes) << "resize refused for LAV";
        else
            EXPECT_EQ(ventana.width(), 400) << "resize allowed for LAC";
    }
}

TEST(Arranque, WithoutParametersTheProgramRefusesToRun) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QD_MENSAJES_SIN_VENTANA", "1"); // message boxes go to stderr only
    p.setProcessEnvironment(env);
    p.start(QString(QD_BIN_DIR) + "/ModuloImpExcelQDSQL", {});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains("Este módulo sólo puede ejecutarse desde Quenda SQL.")) << err.toStdString();
    EXPECT_FALSE(err.contains("Error al conectar")) << err.toStdString();
    EXPECT_EQ(err.count("Este módulo"), 1);
}

TEST(Ventana, CtrlAltCStopsALoopAfterTheCurrentRow) {
    qd::test::TempDatabase bd;
    ModalCloser cerrar;
    TDatos datos;
    TFormPrincipalExcell ventana(datos, parametros(bd.path(), "sysdba", "ART"));
    ventana.show();
    ventana.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    ventana.bucleEnCurso(true); // the loop announces itself: "Cancelar proceso" is offered
    int filas = 0;
    for (int fila = 1; fila <= 10; ++fila) {
        ++filas;
        if (fila == 3)
            QTimer::singleShot(0, &ventana, [&ventana] {
                QTest::keyClick(&ventana, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
            });
        if (ventana.canal().processEventsAndCancelled()) break;
    }
    ventana.bucleEnCurso(false);
    EXPECT_EQ(filas, 3);
    EXPECT_FALSE(ventana.accionCancelar()->isEnabled());
    // The flag stays set until a page among the first five is shown.
    EXPECT_TRUE(datos.Abortar_Proceso);
    ventana.paginas()->setCurrentIndex(4);
    EXPECT_FALSE(datos.Abortar_Proceso);
}

TEST(Ventana, BusyStateLocksTheOptionsOfTheFirstPagesOnly) {
    qd::test::TempDatabase bd;
    ModalCloser cerrar;
    TDatos datos;
    TFormPrincipalExcell ventana(datos, parametros(bd.path(), "sysdba", "ART"));
    ventana.show();
    ventana.Modo_Proceso();
    for (int p : {1, 3, 4})
        EXPECT_FALSE(ventana.paginaImportacion(p)->paginas()->isEnabled()) << p;
    for (int p : {5, 6})
        EXPECT_TRUE(ventana.paginaImportacion(p)->paginas()->isEnabled()) << p;
    ventana.Modo_Configuracion();
    for (int p : {1, 3, 4, 5, 6})
        EXPECT_TRUE(ventana.paginaImportacion(p)->paginas()->isEnabled()) << p;
}

TEST(Ventana, TheWorkbookPathFollowsASelectorsDialogOrFinishedEdit) {
    qd::test::TempDatabase bd;
    ModalCloser cerrar;
    TDatos datos;
    TFormPrincipalExcell ventana(datos, parametros(bd.path(), "sysdba", "CLI"));
    ventana.show();
    TJvFilenameEdit* clientes = ventana.findChild<TJvFilenameEdit*>("JvFilenameEditHojaExcelClientes");
    TJvFilenameEdit* bancos = ventana.findChild<TJvFilenameEdit*>("JvFilenameEditHojaExcelCuentasContables");
    ASSERT_NE(clientes, nullptr);
    ASSERT_NE(bancos, nullptr);
    clientes->edit()->setText("/tmp/escrito_a_mano.xls");
    EXPECT_EQ(ventana.Nombre_Fichero, ""); // still typing
    emit clientes->edit()->editingFinished();
    EXPECT_EQ(ventana.Nombre_Fichero, "/tmp/escrito_a_mano.xls");
    EXPECT_TRUE(TJvFilenameEdit::filtros().startsWith("Libros admitidos (*.xls *.xlsx *.ods *.csv);;"));
    bancos->dialogo = [] { return QString("/tmp/elegido.xlsx"); };
    bancos->boton()->click();
    EXPECT_EQ(ventana.Nombre_Fichero, "/tmp/elegido.xlsx"); // one path for the whole window
    bancos->dialogo = [] { return QString(); };             // a cancelled dialog changes nothing
    bancos->boton()->click();
    EXPECT_EQ(ventana.Nombre_Fichero, "/tmp/elegido.xlsx");
}

TEST(Ventana, PreviewPageShowsTheChosenWorkbook) {
    qd::test::TempDatabase bd;
    QTemporaryDir dir;
    const QString csv = dir.filePath("clientes.csv");
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("CODIGO;NOMBRE\r\nC1;Ferretería Pérez\r\n");
    f.close();
    ModalCloser cerrar;
    TDatos datos;
    TFormPrincipalExcell ventana(datos, parametros(bd.path(), "sysdba", "DIR"));
    ventana.show();
    PaginaImportacion* dir3 = ventana.paginaImportacion(3);
    dir3->selector()->dialogo = [csv] { return csv; };
    dir3->paginas()->setCurrentIndex(1); // no file yet: the page's own dialog is opened first
    EXPECT_EQ(ventana.Nombre_Fichero, csv);
    EXPECT_EQ(dir3->vistaPrevia()->objectName(), "OleContainerDirClientes");
    EXPECT_EQ(dir3->vistaPrevia()->fileName(), csv);
    dir3->paginas()->setCurrentIndex(0);
}

TEST(Ventana, HelpPanelsLoadTheirFilesUntilTheFirstMissingOne) {
    qd::test::TempDatabase bd;
    QTemporaryDir dir;
    auto escribir = [&dir](const char* nombre, const char* texto) {
        QFile f(dir.filePath(nombre));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("{\\rtf1\\ansi ") + texto + "\\par}");
    };
    escribir("Ayuda_Excel.rtf", "Ayuda de articulos del fichero");
    escribir("Ayuda_Excel_DirClientes.rtf", "Ayuda de direcciones del fichero");
    ModalCloser cerrar;
    TDatos datos;
    TFormPrincipalExcell ventana(datos, parametros(bd.path(), "sysdba", "ART"));
    const QString clientesAntes = ventana.panelAyuda(1)->toPlainText();
    const QString direccionesAntes = ventana.panelAyuda(3)->toPlainText();
    ventana.cargarPanelesAyuda(dir.path());
    EXPECT_EQ(ventana.panelAyuda(0)->toPlainText().trimmed(), "Ayuda de articulos del fichero");
    // "Ayuda_Excel_Clientes.rtf" is missing: it and the panels after it keep their built-in text.
    EXPECT_EQ(ventana.panelAyuda(1)->toPlainText(), clientesAntes);
    EXPECT_EQ(ventana.panelAyuda(3)->toPlainText(), direccionesAntes);
    EXPECT_FALSE(clientesAntes.isEmpty());
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
