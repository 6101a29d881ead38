// The verification window driven offscreen: its buttons, the work list's loads, the workbook pass
// and its colours, an edit by hand, ordering by a column; the page's button that opens it; and
// qdimport's report, which lists the rows the window shows in red.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTableView>

#include "FixtureVerificarReferencias.h"
#include "ModeloReferenciasAVerificar.h"
#include "PaginaTarifaProveedor.h"
#include "TFormVerificarReferenciasProveedor.h"
#include "TkvDBEditLookup.h"

namespace {

using namespace verificar;

TFormVerificarReferenciasProveedor::Origen origen(const Fixture& fx) {
    TFormVerificarReferenciasProveedor::Origen o;
    const auto op = fx.opciones();
    o.IdProveedor = op.IdProveedor;
    o.CodigoProveedor = op.CodigoProveedor;
    o.NombreProveedor = op.NombreProveedor;
    o.fichero = fx.libro;
    o.FilaTitulos = op.FilaTitulos;
    o.Enlaces = op.Enlaces;
    return o;
}

int columna(const char* campo) {
    const auto& cs = ModeloReferenciasAVerificar::columnas();
    for (int c = 0; c < cs.size(); ++c)
        if (cs[c].campo == QLatin1String(campo)) return c;
    return -1;
}

// The codes of the rows drawn in red (the active row aside, which is always white on blue).
QSet<QString> filasEnRojo(ModeloReferenciasAVerificar& m) {
    m.setFilaActiva(-1);
    QSet<QString> r;
    for (int f = 0; f < m.rowCount(); ++f)
        if (m.data(m.index(f, 0), Qt::ForegroundRole).value<QColor>() == QColor(Qt::red))
            r << m.data(m.index(f, columna("CODIGO")), Qt::DisplayRole).toString().trimmed();
    return r;
}

int filaDe(ModeloReferenciasAVerificar& m, ImportacionTarifaProveedor& d, int articulo) {
    auto& ds = d.tArticulos_Ref_A_Verificar;
    for (int f = 0; f < m.rowCount(); ++f)
        if (ds.valueAt(f, ds.fieldIndex(QStringLiteral("ARTICULO"))).toInt() == articulo) return f;
    return -1;
}

TEST(VentanaVerificarReferencias, CargaVerificaColoreaYSeCorrigeAMano) {
    Fixture fx, informe;
    QSet<QString> rojas;
    {
        Conexion cx(fx.db);
        TFormVerificarReferenciasProveedor v(cx.tarifa);
        v.ponerOrigen(origen(fx));
        v.show();
        for (const char* b : {"CargarArticulosAVerificar", "CargarExcel", "SpeedButton7", "BotonConfirmar",
                              "SpeedButtonCerrar"}) {
            auto* boton = v.findChild<QPushButton*>(QString::fromLatin1(b));
            ASSERT_NE(boton, nullptr) << b;
            EXPECT_TRUE(boton->isVisible()) << b;
        }
        for (const char* c : {"ActualizarArticulosProveedor", "ActualizarProveedorHabitual",
                              "CheckBoxActualizarNombreArticulo", "CheckBoxCodigoEAN", "CheckBoxCatalogoWeb",
                              "CheckBoxVolverActualizar"}) {
            auto* casilla = v.findChild<QCheckBox*>(QString::fromLatin1(c));
            ASSERT_NE(casilla, nullptr) << c;
            EXPECT_TRUE(casilla->isVisible() && !casilla->isChecked()) << c;
        }
        EXPECT_EQ(v.productosAVisualizar()->count(), 8);
        EXPECT_EQ(v.etiquetaRegistros()->text(), QStringLiteral("Nº. Reg.:  0"));

        cx.canal.scriptAnswers({false});
        v.findChild<QPushButton*>(QStringLiteral("CargarArticulosAVerificar"))->click();
        EXPECT_EQ(cx.canal.questions().size(), 1);
        EXPECT_EQ(v.etiquetaRegistros()->text(), QStringLiteral("Nº. Reg.:  4"));
        // Another entry reloads without asking.
        v.productosAVisualizar()->setCurrentIndex(1); // "  Verificados"
        EXPECT_EQ(cx.canal.questions().size(), 1);
        EXPECT_EQ(v.etiquetaRegistros()->text(), QStringLiteral("Nº. Reg.:  0"));
        v.productosAVisualizar()->setCurrentIndex(0);

        v.findChild<QLineEdit*>(QStringLiteral("kvDBEditPrefijoReferencia"))->setText(QStringLiteral("PX"));
        v.findChild<QPushButton*>(QStringLiteral("CargarExcel"))->click();
        auto& m = *v.modelo();
        ASSERT_EQ(m.rowCount(), 4);
        rojas = filasEnRojo(m);
        EXPECT_EQ(rojas.size(), 2); // A (other EAN) and C (reference in another case)
        const int fa = filaDe(m, cx.tarifa, fx.a), fb = filaDe(m, cx.tarifa, fx.b),
                  fe = filaDe(m, cx.tarifa, fx.e);
        EXPECT_EQ(m.data(m.index(fb, 0), Qt::ForegroundRole).value<QColor>(), QColor(42, 42, 42));
        EXPECT_EQ(m.data(m.index(fa, 0), Qt::BackgroundRole).value<QColor>(), QColor(204, 223, 200));
        EXPECT_FALSE(m.data(m.index(fe, 0), Qt::BackgroundRole).isValid());
        EXPECT_EQ(m.data(m.index(fa, columna("ENCONTRADO_SN")), Qt::CheckStateRole).toInt(), Qt::Checked);
        m.setFilaActiva(fe);
        EXPECT_EQ(m.data(m.index(fe, 0), Qt::BackgroundRole).value<QColor>(), QColor(0, 128, 192));

        // Ticked by hand: posted at once, and the row counts as manual.
        EXPECT_TRUE(m.setData(m.index(fe, columna("VERIFICADO_SN")), Qt::Checked, Qt::CheckStateRole));
        EXPECT_FALSE(m.flags(m.index(fe, columna("ENCONTRADO_SN"))) & Qt::ItemIsUserCheckable);

        // Ordering by "Actualizado" keeps the rows shown.
        v.ordenar(columna("ACTUALIZADO_SN"), true);
        EXPECT_EQ(m.rowCount(), 4);
        v.findChild<QPushButton*>(QStringLiteral("SpeedButtonCerrar"))->click();
        EXPECT_FALSE(cx.tarifa.tArticulos_Ref_A_Verificar.active());
    }
    {
        auto c = fx.db.attach();
        EXPECT_EQ(
            consultar(*c, QStringLiteral("SELECT VERIFICADO_SN, MANUAL_SN FROM ARTICULOS_REF_A_VERIFICAR "
                                         "WHERE ARTICULO = %1")
                              .arg(fx.e))
                .value(0),
            (QVariantList{1, 1}));
    }

    // qdimport's report lists the rows the window drew in red.
    QProcess p;
    p.start(QStringLiteral(QD_QDIMPORT),
            {QStringLiteral("--database"), informe.db.path(), QStringLiteral("--kind"),
             QStringLiteral("verificar-referencias"), QStringLiteral("--proveedor"), informe.codigoProveedor,
             QStringLiteral("--prefijo"), QStringLiteral("PX"), QStringLiteral("--enlace"),
             QStringLiteral("REF=REFERENCIA_PROVEEDOR,EAN=CODIGOEAN,NOMBRE=NOMBRE_ARTICULO"), informe.libro});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QSet<QString> impresas;
    for (const QString& l : QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (l.count(QLatin1Char('\t')) >= 4) impresas << l.section(QLatin1Char('\t'), 0, 0).trimmed();
    EXPECT_EQ(impresas, rojas);
}

TEST(VentanaVerificarReferencias, ElBotonDeLaPaginaLaAbrePorElProveedorElegido) {
    Fixture fx;
    Conexion cx(fx.db);
    QString fichero;
    PaginaTarifaProveedor pagina(cx.d, fichero);
    pagina.show();
    pagina.alMostrarPrimeraVez();
    ASSERT_TRUE(pagina.botonVerificar()->isVisible());
    int abiertas = 0;
    pagina.mostrarVerificacion = [&](TFormVerificarReferenciasProveedor& v) {
        ++abiertas;
        EXPECT_EQ(v.opciones().IdProveedor, fx.proveedor);
        EXPECT_TRUE(v.opciones().Enlaces.isEmpty()); // nothing linked on the page yet
    };
    pagina.botonVerificar()->click();
    EXPECT_EQ(abiertas, 0);
    EXPECT_TRUE(cx.canal.messages().contains(
        QStringLiteral("Debe indicarse el Proveedor a Importar los nuevos Precios.")));
    pagina.lookupProveedor()->setText(fx.codigoProveedor);
    pagina.lookupProveedor()->ConfirmarCambios();
    pagina.botonVerificar()->click();
    EXPECT_EQ(abiertas, 1);
}

} // namespace
