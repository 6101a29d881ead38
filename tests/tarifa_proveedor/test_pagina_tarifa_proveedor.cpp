// The "Tarifas Proveedor" page driven offscreen: the steps' button states, the linking over the
// chosen title row, the load and the confirmation with their options; the page and qdimport leave
// the same database.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "FixtureTarifaProveedor.h"
#include "PaginaTarifaProveedor.h"
#include "TJvFilenameEdit.h"
#include "TkvDBEditLookup.h"
#include "TkvDBGrid.h"

namespace {

using namespace tarifa_proveedor;

QString codigoProveedor(const Fixture& fx) {
    auto c = fx.db.attach();
    return qd::test::consultar(
               *c,
               QStringLiteral("SELECT CODIGO FROM PROVEEDORES WHERE IDPROVEEDORES = %1").arg(fx.proveedor))
        .value(0)
        .value(0)
        .toString()
        .trimmed();
}

bool huboMensaje(const qd::RecordingChannel& canal, const QString& texto) {
    for (const auto& e : canal.entries())
        if (e.call == qd::RecordingChannel::Call::Message && e.text == texto) return true;
    return false;
}

TEST(PaginaTarifaProveedor, PageAndHeadlessImporterLeaveTheSameDatabase) {
    Fixture propio, cli;
    const QString codigo = codigoProveedor(propio);
    ASSERT_EQ(codigo, codigoProveedor(cli));
    {
        Conexion cx(propio.db);
        QString fichero;
        PaginaTarifaProveedor pagina(cx.d, fichero);
        pagina.resize(1366, 768);
        pagina.show();
        pagina.alMostrarPrimeraVez();
        // No links yet: only the linking is offered.
        EXPECT_TRUE(pagina.botonEnlazar()->isEnabled());
        EXPECT_FALSE(pagina.botonCargar()->isEnabled());
        EXPECT_TRUE(pagina.botonCargar()->isVisible());

        pagina.selector()->setText(cli.libro); // the path both runs write in the observations
        pagina.filaTitulos()->setValue(3);
        QStringList ofrecidos;
        pagina.elegirEnlaces = [&ofrecidos](const QStringList& titulos) {
            ofrecidos = titulos;
            return QStringList{QStringLiteral("REF<-->REFERENCIA_PROVEEDOR"),
                               QStringLiteral("PRECIO<-->PRECIO"), QStringLiteral("EAN<-->CODIGOEAN")};
        };
        pagina.botonEnlazar()->click();
        EXPECT_EQ(ofrecidos,
                  (QStringList{QStringLiteral("REF"), QStringLiteral("PRECIO NETO"), QStringLiteral("PRECIO"),
                               QStringLiteral("EAN"), QStringLiteral("NOMBRE")}));
        EXPECT_TRUE(pagina.etiquetaColumnasOK()->isVisible());
        EXPECT_TRUE(pagina.botonCargar()->isEnabled());
        EXPECT_FALSE(pagina.botonEnlazar()->isEnabled());
        EXPECT_TRUE(pagina.casillaDtosEnCostoReal()->isEnabled());

        // Without a supplier the load is refused and the links stay.
        pagina.botonCargar()->click();
        EXPECT_TRUE(huboMensaje(
            cx.canal, QStringLiteral("Debe indicarse el Proveedor a Importar los nuevos Precios.")));
        EXPECT_EQ(pagina.enlaces().size(), 3);
        EXPECT_FALSE(pagina.ocupado());

        pagina.lookupProveedor()->setText(codigo);
        pagina.lookupProveedor()->ConfirmarCambios();
        pagina.casillaAplicarDtos()->setChecked(true);
        pagina.dto(0)->setText(QStringLiteral("10.0")); // either decimal separator
        pagina.dto(1)->setText(QStringLiteral("5,0"));
        pagina.casillaDtosEnCostoReal()->setChecked(true);
        pagina.prefijo()->setText(QStringLiteral("AB"));
        EXPECT_EQ(pagina.opciones().Dtos, (std::array<double, 3>{10, 5, 0}));
        pagina.botonCargar()->click();
        EXPECT_EQ(pagina.etiquetaRegistros()->text(), QStringLiteral("Nº. Reg.:  2"));
        EXPECT_TRUE(pagina.etiquetaTarifasOK()->isVisible());
        auto* grid = pagina.findChild<TkvDBGrid*>(QStringLiteral("kvDBGrid"));
        ASSERT_NE(grid, nullptr);
        EXPECT_TRUE(grid->isVisible());
        EXPECT_EQ(grid->model()->rowCount(), 2);

        // The confirmation's options beside "&Actualizar Precios Proveedor".
        ASSERT_TRUE(pagina.casillaCostesFicha()->isVisible());
        pagina.casillaCostesFicha()->setChecked(true);
        pagina.casillaFormatoEAN()->setChecked(true);
        ASSERT_TRUE(pagina.botonConfirmar()->isVisible());
        pagina.botonConfirmar()->click();
        EXPECT_FALSE(pagina.ocupado());
        EXPECT_TRUE(huboMensaje(
            cx.canal,
            QStringLiteral("¡¡ PROCESO TERMINADO !!\r\n\r\nActualizados: 2\r\nFormatos creados: 1")));
    }
    const auto [codigoSalida, salida] = cli.qdimport(codigo);
    ASSERT_EQ(codigoSalida, 3) << salida.toStdString(); // the rows the page also leaves unwritten
    Fixture::esperarMismasTablas(propio, cli);
}

// A title row with no title in columns A to C offers no linking; another title row asks for the
// links again.
TEST(PaginaTarifaProveedor, TitleRowWithoutTitlesAndAnotherRowAskForTheLinksAgain) {
    Fixture fx;
    Conexion cx(fx.db);
    QString fichero;
    PaginaTarifaProveedor pagina(cx.d, fichero);
    pagina.show();
    pagina.alMostrarPrimeraVez();
    pagina.selector()->setText(fx.libro);
    int abierta = 0;
    pagina.elegirEnlaces = [&abierta](const QStringList&) {
        ++abierta;
        return QStringList{QStringLiteral("REF<-->REFERENCIA_PROVEEDOR")};
    };
    pagina.filaTitulos()->setValue(2);
    pagina.botonEnlazar()->click();
    EXPECT_EQ(abierta, 0);
    EXPECT_FALSE(pagina.botonCargar()->isEnabled());
    pagina.filaTitulos()->setValue(3);
    pagina.botonEnlazar()->click();
    EXPECT_EQ(abierta, 1);
    EXPECT_TRUE(pagina.botonCargar()->isEnabled());
    pagina.filaTitulos()->setValue(4);
    EXPECT_TRUE(pagina.enlaces().isEmpty());
    EXPECT_FALSE(pagina.botonCargar()->isEnabled());
    EXPECT_FALSE(pagina.etiquetaColumnasOK()->isVisible());
}

// "Eliminar Espacios en las Referencias Proveedor": asked first; then the supplier's references
// lose their blanks.
TEST(PaginaTarifaProveedor, RemovingBlanksAsksFirst) {
    Fixture fx;
    {
        auto c = fx.db.attach();
        qd::test::ejecutar(*c,
                           QStringLiteral("UPDATE ARTICULOSPROVEEDORES SET REFERENCIA_PROVEEDOR = 'X Y 1' "
                                          "WHERE ARTICULO = %1 AND PROVEEDOR = %2")
                               .arg(fx.b)
                               .arg(fx.proveedor));
    }
    Conexion cx(fx.db);
    QString fichero;
    PaginaTarifaProveedor pagina(cx.d, fichero);
    pagina.alMostrarPrimeraVez();
    pagina.lookupProveedor()->setText(codigoProveedor(fx));
    pagina.lookupProveedor()->ConfirmarCambios();
    cx.canal.scriptAnswers({false, true});
    pagina.botonEliminarEspacios()->click();
    EXPECT_EQ(fx.ficha(fx.b).value(4).toString(), QStringLiteral("X Y 1"));
    pagina.botonEliminarEspacios()->click();
    EXPECT_EQ(fx.ficha(fx.b).value(4).toString(), QStringLiteral("XY1"));
}

} // namespace
