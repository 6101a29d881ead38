// The defaults window and the client pages, driven offscreen: the window's first choices, cancel,
// and one press of the page's load button against the same workbook through qdimport.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include "Conexion.h"
#include "PaginaBancos.h"
#include "PaginaClientes.h"
#include "PaginaContactos.h"
#include "PaginaDirecciones.h"
#include "PaginaProveedores.h"
#include "TFormConfiguracionDatosDefecto.h"
#include "TJvFilenameEdit.h"
#include "TkvDBEditLookup.h"
#include "TkvDBGrid.h"

namespace {

using prueba::Conexion;

QVariant Q(const char* s) {
    return QString::fromUtf8(s);
}

// Presses a button of the modal window that opens next.
void pulsarEnLaVentana(const char* boton) {
    QTimer::singleShot(0, [boton] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        modal->findChild<QPushButton*>(QString::fromLatin1(boton))->click();
    });
}

TEST(VentanaDatosDefecto, StartsOnTheLowestCodesWithTheirNames) {
    Conexion c;
    TFormConfiguracionDatosDefecto v(c.d);
    v.FormShow();
    EXPECT_EQ(v.valores(), (qd::DatosDefectoClientes{1, 3, 1, 3, 2, 1}));
    EXPECT_EQ(v.valores(), c.clientes.datosDefectoIniciales()) << "the window and qdimport start alike";
    EXPECT_EQ(v.lookup(3)->text().trimmed(), QStringLiteral("MAY"));
    EXPECT_EQ(v.nombre(3)->text(), QStringLiteral("TARIFA MAYORISTAS"));
    EXPECT_EQ(v.nombre(4)->text(), QStringLiteral("EURO"));
    // Choosing another payment method takes its portfolio.
    v.lookup(2)->setText(QStringLiteral("R30"));
    v.lookup(2)->ConfirmarCambios();
    EXPECT_EQ(v.valores().FormaPago, 2);
    EXPECT_EQ(v.valores().Cartera, 2);

    pulsarEnLaVentana("kvBotonCancelar");
    EXPECT_FALSE(TFormConfiguracionDatosDefecto::pedir(c.d).has_value());
    pulsarEnLaVentana("kvBotonIniciarImportacion");
    EXPECT_EQ(TFormConfiguracionDatosDefecto::pedir(c.d), c.clientes.datosDefectoIniciales());
}

TEST(PaginaClientes, CancellingTheDefaultsLoadsNothing) {
    Conexion c;
    QString fichero;
    PaginaClientes pagina(c.d, fichero);
    pagina.alMostrarPrimeraVez();
    pagina.selector()->setText(c.libro(QStringLiteral("c.xlsx"), {{Q("CODIGO")}, {Q("NUEVO")}}));
    pulsarEnLaVentana("kvBotonCancelar");
    pagina.botonCargar()->click();
    EXPECT_EQ(pagina.importacion().kvRxMDClientes.recordCount(), 0);
    EXPECT_EQ(c.valor(QStringLiteral("SELECT COUNT(*) FROM CLIENTES WHERE CODIGO = 'NUEVO'")).toInt(), 0);
}

// One press of "4º Paso : Cargar XLS" writes the workbook; qdimport with the same options leaves the
// same database.
TEST(PaginaClientes, PageAndHeadlessImporterLeaveTheSameDatabase) {
    const QList<QVariantList> filas{
        {Q("CODIGO"), Q("NOMBRE"), Q("NIF"), Q("COD_FPAGO"), Q("COD_TARIFA"), Q("COD_REGIMENIVA"),
         Q("LOCALIDAD")},
        {Q("PG1"), Q("Uno"), Q("B1"), Q("R30"), Q("PVP"), Q("GEN"), Q("Alcoy")},
        {Q("PG2"), Q("Dos"), Q("B2"), Q("NOEXISTE"), QVariant(), QVariant(), Q("Elda")},
        {Q("1001"), Q("Cambiado"), Q("B3"), QVariant(), QVariant(), QVariant(), Q("Gandía")},
    };
    Conexion gui;
    const QString libro = gui.libro(QStringLiteral("clientes.xlsx"), filas);
    {
        QString fichero;
        PaginaClientes pagina(gui.d, fichero);
        pagina.resize(1000, 700);
        pagina.show();
        pagina.alMostrarPrimeraVez();
        pagina.casillaSoloNuevos()->setChecked(false);
        pagina.selector()->setText(libro);
        pulsarEnLaVentana("kvBotonIniciarImportacion");
        pagina.botonCargar()->click();
        EXPECT_EQ(pagina.textoEstado(), QStringLiteral("Proceso terminado."));
        EXPECT_FALSE(pagina.ocupado());
        auto* grid = pagina.findChild<TkvDBGrid*>(QStringLiteral("kvDBGridClientes"));
        EXPECT_TRUE(grid->isVisible()) << "the grid shows the rows loaded";
        EXPECT_EQ(grid->model()->rowCount(), 3);
    }
    const QStringList informacion = gui.canal.messages(qd::MessageKind::Information);
    ASSERT_EQ(informacion.size(), 1) << gui.canal.messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(informacion.first().contains(QStringLiteral("Nuevos: 2\r\nActualizados: 1")))
        << informacion.first().toStdString();

    qd::test::TempDatabase cli; // not attached here: the embedded engine keeps a file to one process
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(QD_QDIMPORT), {QStringLiteral("--database"), cli.path(), QStringLiteral("--kind"),
                                          QStringLiteral("clientes"), libro});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString salida = QString::fromUtf8(p.readAll());
    ASSERT_EQ(p.exitCode(), 0) << salida.toStdString();
    EXPECT_TRUE(salida.contains(QStringLiteral("Nuevos: 2"))) << salida.toStdString();
    EXPECT_EQ(qd::test::volcarTabla(gui.db.path(), QStringLiteral("CLIENTES"), {"FECHAALTA"}),
              qd::test::volcarTabla(cli.path(), QStringLiteral("CLIENTES"), {"FECHAALTA"}));
}

} // namespace
