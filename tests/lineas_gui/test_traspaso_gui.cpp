// The delivery-note line transfer window, driven offscreen through its real widgets: the sales and
// purchase roads (load, colours, "Importar Todo" refused, the valid lines imported, the line log
// handed to the viewer, the end window), an edit in the grid re-verified, the same workbook through
// the window and through qdimport, and the LAV launch that notifies a fake host and ends.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <functional>

#include "ConsultasPrueba.h"
#include "LibroPrueba.h"
#include "RecordingChannel.h"
#include "ServidorX.h"
#include "TDatos.h"
#include "TFormAyudaRapida.h"
#include "TFormFinProceso.h"
#include "TFormMensajeTraspasoLAVC.h"
#include "TFormPrincipalExcell.h"
#include "TJvFilenameEdit.h"
#include "TempDatabase.h"
#include "TkvDBGrid.h"

namespace {

QVariant Q(const char* s) {
    return QString::fromUtf8(s);
}

// Closes every modal window but the transfer window itself, and keeps what each one said.
class Cerrador : public QObject {
public:
    Cerrador() {
        connect(&timer_, &QTimer::timeout, this, &Cerrador::revisar);
        timer_.start(5);
    }
    QStringList mensajes;    // the message boxes' texts
    QStringList finProceso;  // the end windows' details
    QStringList incidencias; // the incidence windows' texts

private:
    void revisar() {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr || qobject_cast<TFormMensajeTraspasoLAVC*>(w)) return;
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            mensajes << box->text();
            box->done(QMessageBox::Ok);
        } else if (auto* fin = qobject_cast<TFormFinProceso*>(w)) {
            finProceso << fin->detalle();
            fin->botonAceptar()->click();
        } else if (auto* ayuda = qobject_cast<TFormAyudaRapida*>(w)) {
            incidencias << ayuda->RichEdit1()->toPlainText();
            ayuda->reject();
        } else if (auto* d = qobject_cast<QDialog*>(w)) {
            d->reject();
        }
    }
    QTimer timer_;
};

QPushButton* boton(QWidget* v, const char* nombre) {
    auto* b = v->findChild<QPushButton*>(QString::fromLatin1(nombre));
    EXPECT_NE(b, nullptr) << nombre;
    return b;
}

// A database copy, a data module connected to it and a transfer window on it; the viewer and the
// incidence folder are the test's.
struct Traspaso {
    qd::test::TempDatabase db;
    qd::RecordingChannel canal;
    TDatos d;
    QTemporaryDir dir;
    std::unique_ptr<TFormMensajeTraspasoLAVC> v;
    QStringList abiertos; // files handed to the viewer

    Traspaso(const char* opcion, int albaran) {
        d.setCanal(&canal);
        qd::UserChannel::setCurrent(&canal);
        d.Iniciar(1, 1, db.path(), 1, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                  QString::fromLatin1(opcion), albaran, 1);
        d.Conectar();
        d.actualizarEsquema();
        abrir();
    }
    // A new transfer window in place of the one there is (as the module started again).
    void abrir() {
        v.reset();
        v = std::make_unique<TFormMensajeTraspasoLAVC>(d, canal);
        v->carpetaIncidencias = dir.path();
        v->abrirFichero = [this](const QString& ruta) {
            abiertos << ruta;
            return true;
        };
        v->show();
    }
    ~Traspaso() {
        v.reset();
        qd::UserChannel::setCurrent(nullptr);
    }

    QString libro(const QList<QVariantList>& filas, const char* nombre = "lineas.xlsx") {
        const QString ruta = dir.filePath(QString::fromLatin1(nombre));
        qd::test::escribirLibro(ruta, filas);
        return ruta;
    }
    void cargar(const QString& ruta) {
        v->selectorFichero()->setText(ruta);
        boton(v.get(), "ButtonCargarXLSLAV")->click();
    }
    int filas(const QString& sql) {
        auto a = db.attach();
        return qd::test::consultar(*a, sql).value(0).value(0).toInt();
    }
    QList<QVariantList> consulta(const QString& sql) {
        auto a = db.attach();
        return qd::test::consultar(*a, sql);
    }
    // Saves what the window shows when QD_CAPTURAS names a folder (to look at the layout).
    void captura(const char* nombre) const {
        const QString carpeta = qEnvironmentVariable("QD_CAPTURAS");
        if (!carpeta.isEmpty()) v->grab().save(QDir(carpeta).filePath(QString::fromLatin1(nombre)));
    }
};

// Sales note 5: page 0 offers three search modes; loading with no file is refused; the loaded
// lines are coloured (black: the price is the last purchase price 4.9, green: another price,
// red: no article); "Importar Todo" refuses; "Importar Líneas Validas" writes the valid lines,
// hands the line log to the viewer, shows the end window and closes the window.
TEST(TraspasoGui, SalesRoad) {
    Traspaso x("LAV", 5);
    auto* v = x.v.get();
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Traspaso Lineas Albarán de Venta"));
    EXPECT_EQ(v->paginas()->currentIndex(), 0);
    for (const char* nombre : {"ButtonCargarXLSLAV", "SpeedButtonCancelarSalir"})
        EXPECT_TRUE(boton(v, nombre)->isVisible()) << nombre;
    EXPECT_TRUE(v->selectorFichero()->isVisible());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(v->modosBusqueda()->button(i)->isVisible()) << i;
    EXPECT_FALSE(v->modosBusqueda()->button(3)->isVisible()) << "the supplier-article mode is for purchases";
    EXPECT_TRUE(v->modosBusqueda()->button(0)->isChecked());
    x.captura("traspaso_pagina0.png");

    boton(v, "ButtonCargarXLSLAV")->click();
    EXPECT_EQ(x.canal.messages().value(0), QStringLiteral("Debes de seleccionar el fichero Excell"));
    EXPECT_EQ(v->paginas()->currentIndex(), 0);

    x.cargar(x.libro({{Q("CODIGO"), Q("NOMBRE"), Q("CANTIDAD1"), Q("PRECIO"), Q("LOTE")},
                      {Q("10001"), Q("Uno"), 3.0, 4.9, Q("L-GUI")},
                      {Q("10003"), Q("Tres"), 2.0, 5.0, QVariant()},
                      {Q("NADA"), Q("Desconocido"), 1.0, 2.5, QVariant()}}));
    ASSERT_EQ(v->paginas()->currentIndex(), 1);
    EXPECT_EQ(v->grid()->model()->rowCount(), 3);
    EXPECT_EQ(v->grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral(" Código"));
    EXPECT_TRUE(v->barraEstado()->currentMessage().contains(QStringLiteral("Datos Incorporados")));
    for (const char* nombre : {"kvBotonAtras", "kvBotonVerificar", "kvBoton3", "kvBotonImportarTodo",
                               "kvBotonImportarIncidencias"})
        EXPECT_TRUE(boton(v, nombre)->isVisible()) << nombre;
    EXPECT_TRUE(v->grid()->isVisible());
    EXPECT_EQ(v->colorLinea(0), TFormMensajeTraspasoLAVC::colorValida());
    EXPECT_EQ(v->colorLinea(1), TFormMensajeTraspasoLAVC::colorPrecioDistinto());
    EXPECT_EQ(v->colorLinea(2), TFormMensajeTraspasoLAVC::colorNoValida());
    x.captura("traspaso_pagina1.png");

    boton(v, "kvBotonImportarTodo")->click();
    EXPECT_EQ(x.canal.messages().last(), ImportacionLineas::textoLineasNoListas());
    EXPECT_EQ(x.filas("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5"), 0);
    EXPECT_TRUE(v->isVisible());

    Cerrador cerrar;
    boton(v, "kvBotonImportarIncidencias")->click();
    EXPECT_EQ(v->result(), QDialog::Accepted);
    EXPECT_FALSE(v->isVisible()) << "the window closes at the end of the import";
    ASSERT_EQ(cerrar.finProceso.size(), 1);
    EXPECT_TRUE(cerrar.finProceso[0].contains(QStringLiteral("Líneas traspasadas: 2")))
        << cerrar.finProceso[0].toStdString();
    EXPECT_EQ(x.filas("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5"), 2);
    EXPECT_EQ(x.filas("SELECT COUNT(*) FROM LOTES L JOIN LOTESLINEAALBVENTA LL ON LL.LOTE = L.IDLOTES "
                      "WHERE L.NUMEROLOTE = 'L-GUI' AND LL.CANTIDADPEDIDASTOCK1 = 3"),
              1);
    EXPECT_EQ(x.abiertos, QStringList{QDir(x.dir.path()).filePath("IncidenciasLineasAlbaran.txt")});
    EXPECT_TRUE(x.canal.statuses().contains(QStringLiteral("\r\n\r\n\r\nRecalculando el Albarán ...")));
}

// The same workbook transferred twice to the same note: the second window asks once whether to
// transfer its rows again; «No» leaves the note as it was and the end window counts them. A
// warehouse that does not exist refuses the load, its message naming it.
TEST(TraspasoGui, SecondTransferOfTheSameWorkbookAsksOnce) {
    Traspaso x("LAV", 5);
    const QString ruta = x.libro({{Q("CODIGO"), Q("NOMBRE"), Q("CANTIDAD1"), Q("PRECIO")},
                                  {Q("10001"), Q("Uno"), 3.0, 4.9},
                                  {Q("10003"), Q("Tres"), 2.0, 5.0}});
    const QString lineas = QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5");
    Cerrador cerrar;
    x.cargar(ruta);
    boton(x.v.get(), "kvBotonImportarTodo")->click();
    ASSERT_EQ(x.filas(lineas), 2);

    x.abrir();
    x.canal.clear();
    x.canal.scriptAnswers({false});
    x.cargar(ruta);
    boton(x.v.get(), "kvBotonImportarTodo")->click();
    EXPECT_EQ(x.canal.questions(),
              QStringList{QStringLiteral(
                  "Las filas 2-3 de este libro ya se importaron en este albarán. ¿Importarlas otra vez?")});
    EXPECT_EQ(x.filas(lineas), 2);
    ASSERT_EQ(cerrar.finProceso.size(), 2);
    EXPECT_TRUE(cerrar.finProceso[1].contains(QStringLiteral("Líneas ya importadas: 2")))
        << cerrar.finProceso[1].toStdString();

    x.d.Almacen_LAVC = 99;
    x.abrir();
    x.cargar(ruta);
    EXPECT_EQ(x.canal.messages().last(),
              QStringLiteral("No existe el almacén 99: las líneas y sus movimientos de stock irían a un "
                             "almacén que no existe."));
    EXPECT_EQ(x.v->paginas()->currentIndex(), 0);
}

// Purchase note 2 (supplier 4): the fourth search mode finds the supplier-article reference; the
// serial number and the lot of the valid lines are written with their line; a serial number
// already on a purchase line is red and is left out.
TEST(TraspasoGui, PurchaseRoadWithSerialNumberAndLot) {
    Traspaso x("LAC", 2);
    auto* v = x.v.get();
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Traspaso Lineas Albarán de Compra"));
    ASSERT_TRUE(v->modosBusqueda()->button(3)->isVisible());
    v->modosBusqueda()->button(3)->click();
    EXPECT_EQ(x.v->importacion().BuscarArticuloPor, 3);
    x.cargar(x.libro(
        {{Q("REFERENCIA_PROVEEDOR"), Q("NOMBRE"), Q("CANTIDAD1"), Q("PRECIO"), Q("NUMEROSERIE"), Q("LOTE")},
         {Q("EH0001"), Q("Con serie"), 1.0, 32.34, Q("S-GUI-1"), QVariant()},
         {Q("EH0001"), Q("Con lote"), 2.0, 30.0, QVariant(), Q("LG-1")},
         {Q("EH0001"), Q("Serie comprada"), 1.0, 32.34, Q("VT2400004-0003"), QVariant()}}));
    EXPECT_EQ(v->grid()->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral(" Ref. Proveedor"));
    EXPECT_EQ(v->colorLinea(0), TFormMensajeTraspasoLAVC::colorValida());
    EXPECT_EQ(v->colorLinea(1), TFormMensajeTraspasoLAVC::colorPrecioDistinto());
    EXPECT_EQ(v->colorLinea(2), TFormMensajeTraspasoLAVC::colorNoValida());

    Cerrador cerrar;
    boton(v, "kvBotonImportarIncidencias")->click();
    EXPECT_EQ(v->result(), QDialog::Accepted);
    EXPECT_EQ(x.filas("SELECT COUNT(*) FROM LINEASALBARANCOMPRA WHERE ALBARANCOMPRA = 2"), 2);
    const auto serie = x.consulta(
        "SELECT LC.ALBARANCOMPRA, LC.NUMEROSDESERIE, NS.FECHAGARANTIACOMPRA FROM NUMEROSSERIE NS JOIN "
        "LINEASALBARANCOMPRA LC ON LC.IDLINEASALBARANCOMPRA = NS.LINEAALBARANCOMPRA WHERE NS.NUMEROSERIE = "
        "'S-GUI-1'");
    ASSERT_EQ(serie.size(), 1);
    EXPECT_EQ(serie[0][0].toInt(), 2);
    EXPECT_EQ(serie[0][1].toString().trimmed(), QStringLiteral("S-GUI-1"));
    EXPECT_EQ(serie[0][2].toDate(), QDate(2024, 6, 8));
    EXPECT_EQ(x.filas("SELECT COUNT(*) FROM LOTES L JOIN LOTESLINEAALBCOMPRA LL ON LL.LOTE = L.IDLOTES "
                      "WHERE L.NUMEROLOTE = 'LG-1' AND L.ARTICULO = 4 AND LL.CANTIDADPEDIDASTOCK1 = 2"),
              1);
    // The red line and the line whose price is not the last purchase price are in the log.
    ASSERT_EQ(x.abiertos.size(), 1);
    const QString log = qd::test::leerTexto(x.abiertos[0]);
    EXPECT_TRUE(log.contains(QStringLiteral("Serie comprada"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Con lote"))) << log.toStdString();
}

// A value typed into a grid cell marks the line edited: "Importar Todo" refuses until
// "Verificar" has matched the line again; then the line is valid and goes.
TEST(TraspasoGui, GridEditIsReverifiedBeforeImportarTodo) {
    Traspaso x("LAV", 5);
    auto* v = x.v.get();
    x.cargar(
        x.libro({{Q("CODIGO"), Q("NOMBRE"), Q("CANTIDAD1"), Q("PRECIO")}, {Q("NADA"), Q("Uno"), 2.0, 4.9}}));
    ASSERT_EQ(v->colorLinea(0), TFormMensajeTraspasoLAVC::colorNoValida());

    TkvDBGrid* g = v->grid();
    const QModelIndex celda = g->model()->index(0, 0);
    g->setCurrentIndex(celda);
    QTest::keyClick(g, Qt::Key_1, Qt::NoModifier, '1'); // typing starts the edit
    auto* editor = qobject_cast<QLineEdit*>(g->indexWidget(g->currentIndex()));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("0001"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    auto& t = x.v->importacion().kvRxMDLAV;
    t.first();
    EXPECT_EQ(t.value(QStringLiteral("CODIGO")).toString(), QStringLiteral("10001"));
    EXPECT_TRUE(t.value(QStringLiteral("MODIFICADO")).toBool());

    {
        // the quick help of the page says what each of its three buttons does, and leaves the lines
        Cerrador cerrar;
        ASSERT_TRUE(boton(v, "kvBoton3")->isVisible());
        boton(v, "kvBoton3")->click();
        ASSERT_EQ(cerrar.incidencias.size(), 1);
        for (const char* b : {"Verificar:", "Importar Todo:", "Importar Líneas Validas:", "NEGRO o VERDE"})
            EXPECT_TRUE(cerrar.incidencias[0].contains(QString::fromUtf8(b))) << b;
        EXPECT_TRUE(v->isVisible());
        EXPECT_TRUE(t.value(QStringLiteral("MODIFICADO")).toBool());
    }

    boton(v, "kvBotonImportarTodo")->click();
    EXPECT_EQ(x.canal.messages().last(), ImportacionLineas::textoLineasNoListas());
    EXPECT_TRUE(v->isVisible());

    boton(v, "kvBotonVerificar")->click();
    t.first();
    EXPECT_FALSE(t.value(QStringLiteral("MODIFICADO")).toBool());
    EXPECT_EQ(v->colorLinea(0), TFormMensajeTraspasoLAVC::colorValida());

    Cerrador cerrar;
    boton(v, "kvBotonImportarTodo")->click();
    EXPECT_EQ(v->result(), QDialog::Accepted);
    EXPECT_EQ(x.filas("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5 AND ARTICULO = 1"), 1);
    EXPECT_TRUE(x.abiertos.isEmpty()) << "no line log when every line went";
}

// An error outside the lines (here the delivery note deleted by another program after the load)
// is shown and leaves the window open on its lines: no end window, no line log, nothing written.
TEST(TraspasoGui, AnErrorOutsideTheLinesLeavesTheWindowOpen) {
    Traspaso x("LAV", 5);
    x.cargar(x.libro({{Q("CODIGO"), Q("CANTIDAD1"), Q("PRECIO")}, {Q("10001"), 1.0, 4.9}}));
    ASSERT_EQ(x.v->paginas()->currentIndex(), 1);
    {
        auto a = x.db.attach();
        qd::test::ejecutar(*a, QStringLiteral("DELETE FROM ALBARANESVENTA WHERE IDALBARANESVENTA = 5"));
    }
    const int antes = x.filas("SELECT COUNT(*) FROM LINEASALBARANVENTA");
    Cerrador cerrar;
    boton(x.v.get(), "kvBotonImportarTodo")->click();
    EXPECT_EQ(x.canal.messages(qd::MessageKind::Error).value(0),
              QStringLiteral("No existe el albarán de venta 5."));
    EXPECT_TRUE(x.v->isVisible());
    EXPECT_TRUE(x.v->isEnabled());
    EXPECT_EQ(x.v->paginas()->currentIndex(), 1);
    EXPECT_EQ(x.v->grid()->model()->rowCount(), 1);
    EXPECT_TRUE(cerrar.finProceso.isEmpty());
    EXPECT_TRUE(x.abiertos.isEmpty());
    EXPECT_EQ(x.filas("SELECT COUNT(*) FROM LINEASALBARANVENTA"), antes);
}

// The same workbook (a lot, a serial number, an unknown article, a quantity 0) through the window
// and through qdimport --solo-validas leaves the same database.
TEST(TraspasoGui, WindowAndHeadlessImporterLeaveTheSameDatabase) {
    Traspaso x("LAV", 5);
    const QString ruta = x.libro(
        {{Q("CODIGO"), Q("NOMBRE"), Q("CANTIDAD1"), Q("PRECIO"), Q("DESCUENTO"), Q("LOTE"), Q("NUMEROSERIE")},
         {Q("10001"), Q("Uno"), 3.0, 10.0, 0.0, Q("L-IGUAL"), QVariant()},
         {Q("10003"), Q("Tres"), 2.0, 5.0, 10.0, QVariant(), QVariant()},
         {Q("10004"), Q("Cuatro"), 1.0, 45.0, 0.0, QVariant(), Q("S-IGUAL")},
         {Q("10005"), Q("Cero"), 0.0, 4.0, 0.0, QVariant(), QVariant()},
         {Q("NADA"), Q("Desconocido"), 1.0, 2.5, 0.0, QVariant(), QVariant()}});
    x.cargar(ruta);
    {
        Cerrador cerrar;
        boton(x.v.get(), "kvBotonImportarIncidencias")->click();
    }
    ASSERT_EQ(x.v->result(), QDialog::Accepted);

    qd::test::TempDatabase cli;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QTemporaryDir carpeta;
    p.start(QStringLiteral(QD_QDIMPORT),
            {"--database", cli.path(), "--kind", "lineas", "--opcion", "LAV", "--albaran", "5",
             "--almacen-lav", "1", "--solo-validas", "--carpeta-incidencias", carpeta.path(), ruta});
    ASSERT_TRUE(p.waitForFinished(120000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    for (const char* tabla : {"LINEASALBARANVENTA", "ALBARANESVENTA", "MOVIMIENTOSALMACEN", "LOTES",
                              "LOTESLINEAALBVENTA", "NUMEROSSERIE"})
        EXPECT_EQ(qd::test::volcarTabla(x.db.path(), QString::fromLatin1(tabla), {"FECHA"}),
                  qd::test::volcarTabla(cli.path(), QString::fromLatin1(tabla), {"FECHA"}))
            << tabla;
    EXPECT_EQ(qd::test::leerTexto(QDir(x.dir.path()).filePath("IncidenciasLineasAlbaran.txt")),
              qd::test::leerTexto(QDir(carpeta.path()).filePath("IncidenciasLineasAlbaran.txt")));
}

QStringList parametros(const QString& bd, const char* opcion) {
    return {"1", "1", bd, "1", "SYSDBA", "masterkey", "", QString::fromLatin1(opcion), "5", "1"};
}

// Runs `paso` on the launch's transfer window once it is shown (it runs modally inside the main
// window's constructor).
void conducir(const std::function<void(TFormMensajeTraspasoLAVC*)>& paso) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, paso] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* t = qobject_cast<TFormMensajeTraspasoLAVC*>(w); t && t->isVisible()) {
                timer->stop();
                timer->deleteLater();
                paso(t);
                return;
            }
    });
    timer->start();
}

// Launched with LAV: the main window runs the transfer window modally; at the end of the import
// the host is notified once and the module ends.
// "Cancelar y Salir" ends it too, with nothing written and no message to the host.
TEST(TraspasoGui, LaunchImportsNotifiesTheHostAndEnds) {
    ServidorX servidor;
    std::string error;
    if (!servidor.arrancar(error)) GTEST_SKIP() << error;
    AnfitrionFalso anfitrion(servidor.display());
    ASSERT_TRUE(anfitrion.abierto());
    const QByteArray displayAntes = qgetenv("DISPLAY");
    qputenv("DISPLAY", QByteArray::fromStdString(servidor.display()));

    qd::test::TempDatabase db;
    QTemporaryDir dir;
    const QString ruta = dir.filePath("lineas.xlsx");
    qd::test::escribirLibro(ruta, {{Q("CODIGO"), Q("NOMBRE"), Q("CANTIDAD1"), Q("PRECIO")},
                                   {Q("10001"), Q("Uno"), 3.0, 4.9},
                                   {Q("10004"), Q("Serie vendida"), 1.0, 45.0}});
    Cerrador cerrar;
    QStringList abiertos;
    bool conducido = false;
    conducir([&](TFormMensajeTraspasoLAVC* v) {
        v->carpetaIncidencias = dir.path();
        v->abrirFichero = [&abiertos](const QString& r) {
            abiertos << r;
            return true;
        };
        v->selectorFichero()->setText(ruta);
        boton(v, "ButtonCargarXLSLAV")->click();
        boton(v, "kvBotonImportarTodo")->click();
        conducido = true;
    });
    {
        TDatos datos;
        TFormPrincipalExcell ventana(datos, parametros(db.path(), "LAV"));
        EXPECT_TRUE(conducido);
        EXPECT_TRUE(ventana.terminarAplicacion()) << "closing the transfer window ends the module";
    }
    EXPECT_EQ(cerrar.finProceso.size(), 1);
    EXPECT_EQ(anfitrion.mensajesRecibidos(), 1);
    auto a = db.attach();
    EXPECT_EQ(qd::test::consultar(*a, "SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5")[0][0]
                  .toInt(),
              2);

    // Cancelar y Salir: nothing written, the host not told.
    conducir([](TFormMensajeTraspasoLAVC* v) { boton(v, "SpeedButtonCancelarSalir")->click(); });
    {
        TDatos datos;
        TFormPrincipalExcell ventana(datos, parametros(db.path(), "LAC"));
        EXPECT_TRUE(ventana.terminarAplicacion());
    }
    EXPECT_EQ(anfitrion.mensajesRecibidos(200), 0);
    if (displayAntes.isEmpty())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", displayAntes);
}

} // namespace
