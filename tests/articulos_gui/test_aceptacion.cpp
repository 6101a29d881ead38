// One workbook imported through the page (driven as a user would: choose the file, set the
// options, load, confirm) and through the headless importer leaves the same database state.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "BloqueoImportacion.h"
#include "EntornoPrueba.h"
#include "GuiChannel.h"
#include "ModuleFiles.h"
#include "PaginaArticulos.h"
#include "TFormPrincipalExcell.h"
#include "TJvFilenameEdit.h"
#include "TkvDBEditLookup.h"
#include "TkvDBGrid.h"

namespace {

const QString kLibro = QStringLiteral(QD_DATOS_ARTGUI "/articulos.csv");

// Tables an article import writes; server-stamped dates are left out of the comparison.
const QStringList kTablas = {
    QStringLiteral("ARTICULOS"),         QStringLiteral("ARTICULOSALMACEN"),
    QStringLiteral("TARIFASARTICULOS"),  QStringLiteral("INTERVALOSTARIFASARTICULOS"),
    QStringLiteral("FAMILIASARTICULOS"), QStringLiteral("MARCAS")};
const QStringList kOmitir = {QStringLiteral("FECHA")};

class AceptacionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(modulo.isValid());
        qd::setModuleDirOverride(modulo.path()); // no Excel.ini: fields 0 to 20 ticked
    }
    void TearDown() override { qd::setModuleDirOverride(QString()); }

    QTemporaryDir modulo;
};

#ifdef QD_QDIMPORT
TEST_F(AceptacionTest, PageAndHeadlessImporterLeaveTheSameDatabase) {
    // Through the page.
    prueba::Entorno gui;
    const QVariant articulosAntes = gui.valor(QStringLiteral("SELECT COUNT(*) FROM ARTICULOS"));
    {
        QString nombreFichero;
        PaginaArticulos pagina(gui.datos, nombreFichero);
        pagina.resize(1000, 700);
        pagina.show();
        pagina.cargarTicks();
        pagina.ticksIniciales();
        pagina.precargarLookups();

        auto boton = [&pagina](const char* n) {
            return pagina.findChild<QPushButton*>(QString::fromLatin1(n));
        };
        for (const char* modo : {"kvBotonAlta", "kvBotonCostes", "kvBotonPVP", "kvBotonStock"})
            boton(modo)->click();
        pagina.findChild<QCheckBox*>(QStringLiteral("suiCBActualizarIntervalos"))->click();
        pagina.findChild<QCheckBox*>(QStringLiteral("chkActualizarPMCInicial"))->click();
        auto* tarifas = pagina.findChild<TkvDBEditLookup*>(QStringLiteral("kvDBEditLookupTarifas"));
        auto* almacen = pagina.findChild<TkvDBEditLookup*>(QStringLiteral("kvDBEditLookupAlmacen"));
        tarifas->setText(QStringLiteral("may"));
        tarifas->ConfirmarCambios();
        almacen->setText(QStringLiteral("TDA"));
        almacen->ConfirmarCambios();
        ASSERT_EQ(pagina.idTarifa(), 2);
        ASSERT_EQ(pagina.idAlmacen(), 2);

        pagina.selector()->dialogo = [] { return kLibro; };
        boton("ButtonCargarXLSArticulos")->click(); // no file yet: the dialog chooses it, then it loads
        EXPECT_EQ(nombreFichero, kLibro);
        EXPECT_EQ(
            pagina.textoEstado(),
            QStringLiteral(
                "Datos incorporados a tabla temporal, pulse el botón CONFIRMAR para continuar el proceso."));
        auto* grid = pagina.findChild<TkvDBGrid*>(QStringLiteral("kvDBGridArticulos"));
        EXPECT_TRUE(grid->isVisible());
        EXPECT_EQ(grid->model()->rowCount(), 5);
        EXPECT_TRUE(pagina.opcionesPlegadas());
        ASSERT_TRUE(boton("kvBotonConfirmar")->isVisible());

        boton("kvBotonConfirmar")->click();
        EXPECT_TRUE(pagina.textoEstado().isEmpty()) << "\"Atrás\" ends the confirmation";
        EXPECT_FALSE(grid->isVisible());
        EXPECT_FALSE(pagina.opcionesPlegadas());
        EXPECT_EQ(pagina.importacion().kvRxMDArticulos.recordCount(), 0);
    }
    const QStringList mensajes = gui.canal.messages();
    ASSERT_EQ(gui.canal.messages(qd::MessageKind::Information).size(), 1)
        << mensajes.join(QLatin1Char('\n')).toStdString();
    const QString resumen = gui.canal.messages(qd::MessageKind::Information).first();
    EXPECT_TRUE(resumen.startsWith(QStringLiteral("Proceso terminado.\r\n\r\nResumen del proceso:\r\n")));
    EXPECT_TRUE(resumen.contains(QStringLiteral("Nuevos: 3\r\n"))) << resumen.toStdString();
    EXPECT_TRUE(resumen.contains(QStringLiteral("Actualizados: 2\r\n"))) << resumen.toStdString();
    EXPECT_TRUE(gui.canal.messages(qd::MessageKind::Error).isEmpty())
        << mensajes.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(gui.valor(QStringLiteral("SELECT COUNT(*) FROM ARTICULOS")).toInt(),
              articulosAntes.toInt() + 3);
    const QString rutaGui = gui.db.path();

    // Through the headless importer, on a fresh copy of the same database.
    qd::test::TempDatabase cli;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(QD_QDIMPORT),
            {QStringLiteral("--database"), cli.path(), QStringLiteral("--kind"), QStringLiteral("articulos"),
             QStringLiteral("--create"), QStringLiteral("--update"), QStringLiteral("--pvp"),
             QStringLiteral("--stock"), QStringLiteral("--tarifa"), QStringLiteral("MAY"),
             QStringLiteral("--almacen"), QStringLiteral("TDA"), QStringLiteral("--intervalos"),
             QStringLiteral("3"), QStringLiteral("--pmc-inicial"), QStringLiteral("--excel-ini"),
             QDir(modulo.path()).filePath(QStringLiteral("Excel.ini")), kLibro});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString salida = QString::fromUtf8(p.readAll());
    ASSERT_EQ(p.exitCode(), 0) << salida.toStdString();
    EXPECT_TRUE(salida.contains(QStringLiteral("Nuevos: 3"))) << salida.toStdString();

    for (const QString& tabla : kTablas) {
        SCOPED_TRACE(tabla.toStdString());
        const QStringList porPagina = prueba::volcarTabla(rutaGui, tabla, kOmitir);
        const QStringList porConsola = prueba::volcarTabla(cli.path(), tabla, kOmitir);
        EXPECT_EQ(porPagina.size(), porConsola.size());
        for (int i = 0; i < qMin(porPagina.size(), porConsola.size()); ++i)
            ASSERT_EQ(porPagina[i], porConsola[i]) << "row " << i;
    }
}
#endif

// After a failed load or a failed confirmation the page is back in its configuration state:
// options enabled, status cleared, staging table empty, "Confirmar" not available.
TEST_F(AceptacionTest, FailedLoadOrConfirmReturnsToConfiguration) {
    prueba::Entorno gui;
    QString nombreFichero;
    PaginaArticulos pagina(gui.datos, nombreFichero);
    pagina.ticksIniciales();
    auto boton = [&pagina](const char* n) { return pagina.findChild<QPushButton*>(QString::fromLatin1(n)); };
    auto enConfiguracion = [&] {
        EXPECT_TRUE(pagina.findChild<QWidget*>(QStringLiteral("PageControlArticulos"))->isEnabled());
        EXPECT_FALSE(boton("kvBotonConfirmar")->isVisibleTo(&pagina));
        EXPECT_FALSE(boton("kvBotonAtras")->isVisibleTo(&pagina));
        EXPECT_FALSE(pagina.cargado());
        EXPECT_TRUE(pagina.textoEstado().isEmpty()) << pagina.textoEstado().toStdString();
        EXPECT_EQ(pagina.importacion().kvRxMDArticulos.recordCount(), 0);
    };
    boton("kvBotonAlta")->click();

    // A typed path that names nothing is refused before anything else; a corrupt workbook is
    // refused by the reader with a message naming the file.
    QTemporaryDir dir;
    pagina.selector()->setText(dir.filePath(QStringLiteral("no_existe.xlsx")));
    boton("ButtonCargarXLSArticulos")->click();
    ASSERT_EQ(gui.canal.messages(qd::MessageKind::Error).size(), 1);
    EXPECT_TRUE(
        gui.canal.messages(qd::MessageKind::Error).first().contains(QStringLiteral("no_existe.xlsx")));
    enConfiguracion();
    gui.canal.clear();

    const QString corrupto = dir.filePath(QStringLiteral("corrupto.xlsx"));
    {
        QFile f(corrupto);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("PK\x03\x04", 4) + QByteArray(300, 'x'));
    }
    pagina.selector()->setText(corrupto);
    boton("ButtonCargarXLSArticulos")->click();
    ASSERT_EQ(gui.canal.messages(qd::MessageKind::Error).size(), 1);
    EXPECT_TRUE(gui.canal.messages(qd::MessageKind::Error).first().contains(QStringLiteral("corrupto.xlsx")));
    enConfiguracion();
    boton("kvBotonConfirmar")->click(); // nothing was loaded: nothing runs
    EXPECT_TRUE(gui.canal.messages(qd::MessageKind::Information).isEmpty());

    // A writer error (here: a unique index the test adds, broken by the last row) reaches the page with
    // the database's own text; the run is over and the page is back in configuration.
    pagina.selector()->setText(kLibro);
    boton("ButtonCargarXLSArticulos")->click();
    ASSERT_EQ(pagina.importacion().kvRxMDArticulos.recordCount(), 5);
    EXPECT_TRUE(boton("kvBotonConfirmar")->isEnabled());
    gui.canal.clear();
    gui.ejecutar(QStringLiteral("CREATE UNIQUE INDEX UQ_PRUEBA_NOMBRE ON ARTICULOS (NOMBRE)"));
    gui.ejecutar(QStringLiteral("UPDATE ARTICULOS SET NOMBRE = :P0 WHERE CODIGO = '10005'"),
                 {QStringLiteral("BAYETAS MICROFIBRA «HOGAR»")});
    boton("kvBotonConfirmar")->click();
    ASSERT_EQ(gui.canal.messages(qd::MessageKind::Error).size(), 1)
        << gui.canal.log().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(
        gui.canal.messages(qd::MessageKind::Error).first().contains(QStringLiteral("UQ_PRUEBA_NOMBRE")));
    EXPECT_TRUE(gui.canal.messages(qd::MessageKind::Information).isEmpty()) << "no summary after a failure";
    enConfiguracion();
    // The rows before the failing one stay written.
    EXPECT_EQ(gui.valor(QStringLiteral("SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO IN ('ZN001', 'ZN002')"))
                  .toInt(),
              2);
}

// The window on a database it cannot open: each action that needs the database is refused with
// exactly one message; nothing is staged; the lookups stay empty without messages.
TEST_F(AceptacionTest, NotConnectedRefusesEachActionOnce) {
    qputenv("QD_MENSAJES_SIN_VENTANA", "1"); // the connection error box of the start-up
    QTemporaryDir dir;
    TDatos datos;
    TFormPrincipalExcell ventana(datos, {QStringLiteral("1"), QStringLiteral("1"),
                                         dir.filePath(QStringLiteral("no_existe.fdb")), QStringLiteral("1"),
                                         QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                                         QStringLiteral("ART"), QStringLiteral("0"), QStringLiteral("0")});
    qd::RecordingChannel canal;
    datos.setCanal(&canal);
    ventana.show();
    auto* pagina = qobject_cast<PaginaArticulos*>(ventana.paginaImportacion(0));
    ASSERT_NE(pagina, nullptr);
    EXPECT_TRUE(canal.messages().isEmpty()) << "first show: lookups stay empty without a message";
    pagina->selector()->setText(kLibro);
    pagina->findChild<QPushButton*>(QStringLiteral("kvBotonAlta"))->click();
    pagina->findChild<QPushButton*>(QStringLiteral("ButtonCargarXLSArticulos"))->click();
    EXPECT_EQ(canal.messages(), QStringList{TDatos::textoSinConexion()});
    EXPECT_EQ(pagina->importacion().kvRxMDArticulos.recordCount(), 0);
    EXPECT_FALSE(pagina->cargado());
    canal.clear();
    pagina->kvBotonConfirmarClick();
    EXPECT_EQ(canal.messages(), QStringList{TDatos::textoSinConexion()});
    canal.clear();
    auto* almacen = pagina->findChild<TkvDBEditLookup*>(QStringLiteral("kvDBEditLookupAlmacen"));
    almacen->setText(QStringLiteral("CEN"));
    almacen->ConfirmarCambios();
    EXPECT_TRUE(canal.messages().isEmpty()) << canal.log().join(QLatin1Char('\n')).toStdString();
    datos.setCanal(&ventana.canal());
    qunsetenv("QD_MENSAJES_SIN_VENTANA");
}

TEST_F(AceptacionTest, MainWindowShowsThePageAndKeepsItsTicks) {
    qd::test::TempDatabase bd;
    TDatos datos;
    {
        TFormPrincipalExcell ventana(datos, {QStringLiteral("1"), QStringLiteral("1"), bd.path(),
                                             QStringLiteral("1"), QStringLiteral("SYSDBA"),
                                             QStringLiteral("masterkey"), QString(), QStringLiteral("ART"),
                                             QStringLiteral("0"), QStringLiteral("0")});
        auto* pagina = qobject_cast<PaginaArticulos*>(ventana.paginaImportacion(0));
        ASSERT_NE(pagina, nullptr);
        EXPECT_TRUE(ventana.pagina(0)->isAncestorOf(pagina));
        ventana.show(); // first show: Excel.ini ticks, initial ticks, lookups preloaded

        // The first price list and warehouse of the group, by code.
        EXPECT_EQ(pagina->findChild<TkvDBEditLookup*>(QStringLiteral("kvDBEditLookupTarifas"))->text(),
                  QStringLiteral("MAY"));
        EXPECT_EQ(pagina->idTarifa(), 2);
        EXPECT_EQ(pagina->findChild<TkvDBEditLookup*>(QStringLiteral("kvDBEditLookupAlmacen"))->text(),
                  QStringLiteral("CEN"));
        EXPECT_EQ(pagina->idAlmacen(), 1);
        EXPECT_TRUE(pagina->listaCampos().isChecked(qd::ArticleFields::kPartNumber)); // no Excel.ini: ticked

        auto* grid = pagina->findChild<TkvDBGrid*>(QStringLiteral("kvDBGridArticulos"));
        ventana.Modo_Proceso();
        EXPECT_TRUE(grid->isVisible());
        ventana.Modo_Configuracion();
        EXPECT_FALSE(grid->isVisible());

        pagina->listaCampos().userSetChecked(qd::ArticleFields::kPartNumber, false);
    }
    // Destroying the window writes the ticks.
    QFile ini(QDir(modulo.path()).filePath(QStringLiteral("Excel.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("PrecioMedioCoste=0"));
}

// One import of a kind at a time: while another program's article import runs, the page refuses
// to load, once, and stays in configuration; afterwards it loads.
TEST_F(AceptacionTest, AnotherArticleImportRunningRefusesTheLoad) {
    prueba::Entorno gui;
    QString nombreFichero;
    PaginaArticulos pagina(gui.datos, nombreFichero);
    pagina.ticksIniciales();
    pagina.findChild<QPushButton*>(QStringLiteral("kvBotonAlta"))->click();
    pagina.selector()->setText(kLibro);
    {
        auto otra = gui.db.attach();
        const qd::BloqueoImportacion enCurso(*otra, QStringLiteral("articulos"));
        pagina.ButtonCargarXLSArticulosClick();
        EXPECT_EQ(gui.canal.messages(qd::MessageKind::Error),
                  QStringList{qd::BloqueoImportacion::textoEnCurso(QStringLiteral("articulos"))});
        EXPECT_FALSE(pagina.cargado());
        EXPECT_EQ(pagina.importacion().kvRxMDArticulos.recordCount(), 0);
    }
    pagina.ButtonCargarXLSArticulosClick();
    EXPECT_TRUE(pagina.cargado());
    pagina.kvBotonAtrasClick();
}

// What a load could not take is shown at its end and saved in the module's incidence file.
TEST_F(AceptacionTest, IncidencesOfALoadAreShownAndSaved) {
    qputenv("QD_MENSAJES_SIN_VENTANA", "1"); // the incidence window is saved and logged only
    qd::test::TempDatabase bd;
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("iva.csv"));
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("CODIGO;NOMBRE;IVA\r\nZI1;Con IVA desconocido;99\r\n");
    }
    TDatos datos;
    {
        TFormPrincipalExcell ventana(datos, {QStringLiteral("1"), QStringLiteral("1"), bd.path(),
                                             QStringLiteral("1"), QStringLiteral("SYSDBA"),
                                             QStringLiteral("masterkey"), QString(), QStringLiteral("ART"),
                                             QStringLiteral("0"), QStringLiteral("0")});
        ventana.show();
        auto* pagina = qobject_cast<PaginaArticulos*>(ventana.paginaImportacion(0));
        ASSERT_NE(pagina, nullptr);
        pagina->findChild<QPushButton*>(QStringLiteral("kvBotonAlta"))->click();
        pagina->selector()->setText(csv);
        pagina->ButtonCargarXLSArticulosClick();
        EXPECT_TRUE(pagina->cargado());
        EXPECT_TRUE(ventana.ListaIncidencias.isEmpty()) << "shown, then emptied";
        pagina->kvBotonAtrasClick();
    }
    QFile fichero(QDir(modulo.path()).filePath(QStringLiteral("Incidencias_Excel.txt")));
    ASSERT_TRUE(fichero.open(QIODevice::ReadOnly));
    const QString texto = QString::fromLatin1(fichero.readAll());
    EXPECT_TRUE(texto.contains(QStringLiteral("columna IVA"))) << texto.toStdString();
    qunsetenv("QD_MENSAJES_SIN_VENTANA");
}

// A recorder that lets a test act while a loop lets window messages through, as a user clicking
// in the window during a load or a write would.
class CanalConAcciones : public qd::RecordingChannel {
public:
    std::function<void(int)> alProcesar; // receives the number of the processEvents() call

protected:
    void processEvents() override {
        qd::RecordingChannel::processEvents();
        if (alProcesar) alProcesar(eventsCount());
    }
};

TEST_F(AceptacionTest, ButtonsPressedWhileALoopRunsAreRefusedAndCancelStopsTheLoad) {
    prueba::Entorno gui;
    CanalConAcciones canal;
    gui.datos.setCanal(&canal);
    QString nombreFichero = kLibro;
    PaginaArticulos pagina(gui.datos, nombreFichero);
    pagina.ticksIniciales();
    auto boton = [&pagina](const char* n) { return pagina.findChild<QPushButton*>(QString::fromLatin1(n)); };
    boton("kvBotonAlta")->click();

    // Ctrl+Alt+C during the load: it stops after the current row; the rows staged stay.
    canal.cancelAfterEvents(2, &gui.datos.Abortar_Proceso);
    boton("ButtonCargarXLSArticulos")->click();
    EXPECT_EQ(pagina.importacion().kvRxMDArticulos.recordCount(), 2);
    EXPECT_EQ(pagina.findChild<TkvDBGrid*>(QStringLiteral("kvDBGridArticulos"))->model()->rowCount(), 2);
    pagina.kvBotonAtrasClick();

    // The next load clears the flag and reads everything.
    boton("ButtonCargarXLSArticulos")->click();
    ASSERT_EQ(pagina.importacion().kvRxMDArticulos.recordCount(), 5);

    // "Atrás", "Confirmar" and the load button pressed while the writer runs do nothing: the
    // staging table stays under the writer and every row is written once.
    int intentos = 0;
    canal.alProcesar = [&](int) {
        ++intentos;
        boton("kvBotonAtras")->click();
        boton("kvBotonConfirmar")->click();
        pagina.ButtonCargarXLSArticulosClick();
    };
    canal.clear();
    boton("kvBotonConfirmar")->click();
    canal.alProcesar = nullptr;
    EXPECT_GT(intentos, 0);
    ASSERT_EQ(canal.messages(qd::MessageKind::Information).size(), 1)
        << canal.log().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(
        canal.messages(qd::MessageKind::Information).first().contains(QStringLiteral("Nuevos: 3\r\n")));
    EXPECT_EQ(
        gui.valor(QStringLiteral("SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO STARTING WITH 'ZN'")).toInt(),
        3);
    EXPECT_EQ(pagina.importacion().kvRxMDArticulos.recordCount(), 0)
        << "the confirmation's own \"Atrás\" still runs";
    gui.datos.setCanal(&gui.canal);
}

} // namespace

namespace {

// The lookups of the article page in the main window, used with mouse and keyboard: a chosen
// price list survives switching its mode off and on; an unknown warehouse code clears the name,
// holds no record and refuses the load and "Confirmar" with a message naming it.
TEST_F(AceptacionTest, LookupsHoldOnlyWhatTheyShow) {
    qd::test::TempDatabase bd;
    TDatos datos;
    TFormPrincipalExcell ventana(datos,
                                 {QStringLiteral("1"), QStringLiteral("1"), bd.path(), QStringLiteral("1"),
                                  QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                                  QStringLiteral("ART"), QStringLiteral("0"), QStringLiteral("0")});
    qd::RecordingChannel canal;
    datos.setCanal(&canal);
    ventana.setWindowState(Qt::WindowNoState);
    ventana.resize(1366, 768);
    ventana.show();
    ventana.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    auto* pagina = qobject_cast<PaginaArticulos*>(ventana.paginaImportacion(0));
    ASSERT_NE(pagina, nullptr);
    auto boton = [pagina](const char* n) { return pagina->findChild<QPushButton*>(QString::fromLatin1(n)); };
    auto etiqueta = [pagina](const char* n) { return pagina->findChild<QLabel*>(QString::fromLatin1(n)); };
    auto* tarifas = pagina->findChild<TkvDBEditLookup*>(QStringLiteral("kvDBEditLookupTarifas"));
    auto* almacen = pagina->findChild<TkvDBEditLookup*>(QStringLiteral("kvDBEditLookupAlmacen"));
    auto escribir = [](TkvDBEditLookup* l, const QString& texto) {
        l->setFocus(Qt::MouseFocusReason);
        l->selectAll();
        QTest::keyClicks(l, texto);
        QTest::keyClick(l, Qt::Key_Tab);
    };
    QTest::mouseClick(boton("kvBotonAlta"), Qt::LeftButton);
    QTest::mouseClick(boton("kvBotonPVP"), Qt::LeftButton);
    QTest::mouseClick(boton("kvBotonStock"), Qt::LeftButton);
    ASSERT_TRUE(tarifas->resuelto());
    ASSERT_EQ(pagina->idTarifa(), 2); // preloaded: MAY, the first by code

    escribir(tarifas, QStringLiteral("pvp"));
    EXPECT_EQ(tarifas->text(), QStringLiteral("PVP"));
    EXPECT_EQ(pagina->idTarifa(), 1);
    for (int vez = 0; vez < 2; ++vez) {
        QTest::mouseClick(boton("kvBotonPVP"), Qt::LeftButton);
        QTest::mouseClick(boton("kvBotonPVP"), Qt::LeftButton);
    }
    ASSERT_TRUE(boton("kvBotonPVP")->isChecked());
    EXPECT_EQ(tarifas->text(), QStringLiteral("PVP"));
    EXPECT_EQ(pagina->idTarifa(), 1);
    EXPECT_EQ(etiqueta("LabelNombreTarifa")->text(), QStringLiteral("TARIFA GENERAL"));
    EXPECT_TRUE(tarifas->resuelto());

    // Typing un-resolves at once; an unknown code stays unresolved after leaving.
    almacen->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(almacen, Qt::Key_End);
    QTest::keyClicks(almacen, QStringLiteral("X"));
    EXPECT_FALSE(almacen->resuelto());
    EXPECT_EQ(pagina->idAlmacen(), 0);
    escribir(almacen, QStringLiteral("ZZZ"));
    EXPECT_EQ(almacen->text(), QStringLiteral("ZZZ"));
    EXPECT_FALSE(almacen->resuelto());
    EXPECT_TRUE(etiqueta("LabelNombreAlmacen")->text().isEmpty());
    EXPECT_EQ(pagina->idAlmacen(), 0);
    EXPECT_EQ(pagina->opciones().Almacen, 0);

    const QString aviso = QStringLiteral("El almacén «ZZZ» no existe: elija un almacén válido.");
    pagina->selector()->setText(kLibro);
    QTest::mouseClick(boton("ButtonCargarXLSArticulos"), Qt::LeftButton);
    EXPECT_EQ(canal.messages(), QStringList{aviso});
    EXPECT_FALSE(pagina->cargado());
    EXPECT_EQ(pagina->importacion().kvRxMDArticulos.recordCount(), 0);

    // A known code again: the load runs. A code that goes unknown before "Confirmar" (the window
    // cannot get there with the options locked, a program can) still refuses it, and nothing is
    // written.
    canal.clear();
    escribir(almacen, QStringLiteral("tda"));
    EXPECT_EQ(pagina->idAlmacen(), 2);
    EXPECT_EQ(etiqueta("LabelNombreAlmacen")->text(), QStringLiteral("TIENDA RUZAFA"));
    QTest::mouseClick(boton("ButtonCargarXLSArticulos"), Qt::LeftButton);
    ASSERT_TRUE(pagina->cargado()) << canal.log().join(QLatin1Char('\n')).toStdString();
    almacen->setText(QStringLiteral("ZZZ"));
    almacen->ConfirmarCambios();
    const QStringList articulos = prueba::volcarTabla(bd.path(), QStringLiteral("ARTICULOS"), kOmitir);
    canal.clear();
    QTest::mouseClick(boton("kvBotonConfirmar"), Qt::LeftButton);
    EXPECT_EQ(canal.messages(), QStringList{aviso});
    EXPECT_TRUE(pagina->cargado()) << "still staged";
    EXPECT_EQ(prueba::volcarTabla(bd.path(), QStringLiteral("ARTICULOS"), kOmitir), articulos);

    // An empty price list code with "Actualizar PVP" on names the lookup too.
    pagina->kvBotonAtrasClick();
    escribir(almacen, QStringLiteral("CEN"));
    tarifas->setFocus(Qt::MouseFocusReason);
    tarifas->clear();
    QTest::keyClick(tarifas, Qt::Key_Tab);
    canal.clear();
    QTest::mouseClick(boton("ButtonCargarXLSArticulos"), Qt::LeftButton);
    EXPECT_EQ(canal.messages(), QStringList{QStringLiteral("Elija una tarifa de venta válida.")});
    datos.setCanal(&ventana.canal());
}

} // namespace

namespace {

// "Cancelar proceso" is offered while a load or a write runs, and only then: not while the page
// just shows the staged rows. While it is offered the progress window says how to cancel, and
// Ctrl+Alt+C stops the load.
TEST_F(AceptacionTest, CancelIsOfferedOnlyWhileALoopRuns) {
    qd::test::TempDatabase bd;
    TDatos datos;
    TFormPrincipalExcell ventana(datos,
                                 {QStringLiteral("1"), QStringLiteral("1"), bd.path(), QStringLiteral("1"),
                                  QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                                  QStringLiteral("ART"), QStringLiteral("0"), QStringLiteral("0")});
    CanalConAcciones canal;
    datos.setCanal(&canal);
    ventana.show();
    ventana.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    auto* pagina = qobject_cast<PaginaArticulos*>(ventana.paginaImportacion(0));
    ASSERT_NE(pagina, nullptr);
    QAction* cancelar = ventana.accionCancelar();
    auto boton = [pagina](const char* n) { return pagina->findChild<QPushButton*>(QString::fromLatin1(n)); };
    EXPECT_FALSE(cancelar->isEnabled()) << "nothing runs at start";
    QTest::keyClick(&ventana, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(datos.Abortar_Proceso) << "the shortcut does nothing while nothing runs";

    boton("kvBotonAlta")->click();
    pagina->selector()->setText(kLibro);
    int vistos = 0;
    bool siempreActiva = true;
    canal.alProcesar = [&](int) {
        ++vistos;
        siempreActiva = siempreActiva && cancelar->isEnabled() && ventana.canal().avisoCancelar();
    };
    boton("ButtonCargarXLSArticulos")->click();
    EXPECT_GT(vistos, 0);
    EXPECT_TRUE(siempreActiva) << "enabled during the load";
    ASSERT_TRUE(pagina->cargado());
    EXPECT_FALSE(cancelar->isEnabled()) << "the staged rows are only shown";
    EXPECT_FALSE(ventana.canal().avisoCancelar());

    vistos = 0;
    boton("kvBotonConfirmar")->click();
    EXPECT_GT(vistos, 0);
    EXPECT_TRUE(siempreActiva) << "enabled during the write";
    EXPECT_FALSE(cancelar->isEnabled());

    // Ctrl+Alt+C while the load runs reaches the enabled action and stops the load.
    int filas = 0;
    canal.alProcesar = [&](int) {
        if (++filas == 2) QTest::keyClick(&ventana, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    };
    boton("ButtonCargarXLSArticulos")->click();
    canal.alProcesar = nullptr;
    EXPECT_TRUE(datos.Abortar_Proceso);
    EXPECT_EQ(pagina->importacion().kvRxMDArticulos.recordCount(), 2);
    EXPECT_FALSE(cancelar->isEnabled());
    pagina->kvBotonAtrasClick();
    datos.setCanal(&ventana.canal());
}

} // namespace
