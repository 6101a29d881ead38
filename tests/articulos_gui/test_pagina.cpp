// The article page's rules: mode buttons → hidden options and panels, the load button, the
// match radios and "Dar de Alta", the field list following the controls, the page states.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "CamposArticulos.h"
#include "PaginaArticulos.h"
#include "RecordingChannel.h"
#include "TJvFilenameEdit.h"
#include "TkvDBGrid.h"
#include "VistaPreviaLibro.h"

namespace {

class PaginaTest : public ::testing::Test {
protected:
    PaginaTest() : pagina(datos, nombreFichero) {
        datos.setCanal(&canal);
        pagina.ticksIniciales();
    }
    ~PaginaTest() override { datos.setCanal(nullptr); }

    template <typename T> T* w(const char* nombre) {
        T* x = pagina.findChild<T*>(QString::fromLatin1(nombre));
        EXPECT_NE(x, nullptr) << nombre;
        return x;
    }
    QPushButton* b(const char* nombre) { return w<QPushButton>(nombre); }
    bool marcada(const char* nombre) { return w<QCheckBox>(nombre)->isChecked(); }
    bool tick(int pos) { return pagina.listaCampos().isChecked(pos); }
    void pulsar(const char* nombre) { b(nombre)->click(); }

    qd::RecordingChannel canal;
    TDatos datos;
    QString nombreFichero;
    PaginaArticulos pagina;
};

TEST_F(PaginaTest, ModeButtonsDeriveTheHiddenOptions) {
    struct Caso {
        bool a, c, p, s;
    };
    // Every combination of the four modes.
    for (int m = 0; m < 16; ++m) {
        const Caso k{bool(m & 1), bool(m & 2), bool(m & 4), bool(m & 8)};
        SCOPED_TRACE(testing::Message()
                     << "alta=" << k.a << " campos=" << k.c << " pvp=" << k.p << " stock=" << k.s);
        const char* nombres[] = {"kvBotonAlta", "kvBotonCostes", "kvBotonPVP", "kvBotonStock"};
        const bool quiero[] = {k.a, k.c, k.p, k.s};
        for (int i = 0; i < 4; ++i)
            if (b(nombres[i])->isChecked() != quiero[i]) pulsar(nombres[i]);

        const auto esperado = qd::OpcionesArticulos::desdeModos(k.a, k.c, k.p, k.s);
        EXPECT_EQ(marcada("suiCBSoloNuevosArticulos"), esperado.SoloNuevos);
        EXPECT_EQ(marcada("suiCbSoloActualizar"), esperado.SoloActualizar);
        EXPECT_EQ(marcada("suiCBSoloPvpStock"), esperado.SoloPvpStock);
        EXPECT_EQ(marcada("suiCBActualizarPVP"), k.p);
        EXPECT_EQ(marcada("suiCBActualizarStock"), k.s);
        // The table of resulting options.
        if (k.a && !k.c) {
            EXPECT_TRUE(esperado.SoloNuevos && !esperado.SoloActualizar && !esperado.SoloPvpStock);
        }
        if (k.c && !k.a) {
            EXPECT_TRUE(!esperado.SoloNuevos && esperado.SoloActualizar && !esperado.SoloPvpStock);
        }
        if (k.a && k.c) {
            EXPECT_TRUE(!esperado.SoloNuevos && !esperado.SoloActualizar && !esperado.SoloPvpStock);
        }
        if (!k.a && !k.c && (k.p || k.s)) {
            EXPECT_TRUE(esperado.SoloPvpStock);
        }

        const auto o = pagina.opciones();
        EXPECT_EQ(o.SoloNuevos, esperado.SoloNuevos);
        EXPECT_EQ(o.SoloActualizar, esperado.SoloActualizar);
        EXPECT_EQ(o.SoloPvpStock, esperado.SoloPvpStock);
        EXPECT_EQ(o.ActualizarPVPs, k.p);
        EXPECT_EQ(o.ActualizarStock, k.s);

        // Panels are shown exactly while their mode is on; captions bold while down.
        EXPECT_EQ(w<QGroupBox>("PanelAlta")->isVisibleTo(&pagina), k.a);
        EXPECT_EQ(w<QGroupBox>("PanelActualizacion")->isVisibleTo(&pagina), k.c);
        EXPECT_EQ(w<QGroupBox>("PanelPVP")->isVisibleTo(&pagina), k.p);
        EXPECT_EQ(w<QGroupBox>("PanelStock")->isVisibleTo(&pagina), k.s);
        EXPECT_EQ(b("kvBotonPVP")->font().bold(), k.p);
        // The load button only while a mode is on.
        EXPECT_EQ(b("ButtonCargarXLSArticulos")->isEnabled(), k.a || k.c || k.p || k.s);
        // The hidden boxes are never shown.
        EXPECT_FALSE(w<QCheckBox>("suiCBSoloPvpStock")->isVisibleTo(&pagina));
    }
    EXPECT_EQ(b("ButtonCargarXLSArticulos")->text(), QStringLiteral("5º Paso :   Previsualizar Excel    >>"));
}

TEST_F(PaginaTest, MatchBySupplierReferenceForbidsCreating) {
    auto* porCodigo = w<QRadioButton>("rbPorCodigo");
    auto* porReferencia = w<QRadioButton>("rbPorReferencia");
    EXPECT_TRUE(porCodigo->isChecked());
    pulsar("kvBotonAlta");
    pulsar("kvBotonCostes");
    ASSERT_TRUE(b("kvBotonAlta")->isChecked());

    porReferencia->click();
    EXPECT_FALSE(b("kvBotonAlta")->isEnabled());
    EXPECT_FALSE(b("kvBotonAlta")->isChecked()) << "the create mode goes off";
    EXPECT_FALSE(w<QGroupBox>("PanelAlta")->isVisibleTo(&pagina));
    EXPECT_TRUE(marcada("suiCbSoloActualizar")) << "update alone now";
    EXPECT_FALSE(tick(qd::ArticleFields::kCodigo));
    EXPECT_TRUE(tick(qd::ArticleFields::kReferenciaProveedor));
    EXPECT_FALSE(pagina.opciones().OpcionBusqueda);

    // Switching "Actualizar Campos" off selects the match by code again.
    pulsar("kvBotonCostes");
    EXPECT_TRUE(porCodigo->isChecked());
    EXPECT_TRUE(b("kvBotonAlta")->isEnabled());
    EXPECT_TRUE(tick(qd::ArticleFields::kCodigo));
    EXPECT_TRUE(pagina.opciones().OpcionBusqueda);
}

TEST_F(PaginaTest, FieldListFollowsTheModes) {
    auto& lista = pagina.listaCampos();
    // Initial ticks: CODIGO ticked, 21 to 25 unticked.
    for (int pos : {21, 22, 23, 24, 25})
        EXPECT_FALSE(tick(pos)) << pos;
    EXPECT_TRUE(tick(qd::ArticleFields::kCodigo));

    for (int pos : {12, 17, 18, 19})
        lista.setChecked(pos, false);
    pulsar("kvBotonAlta");
    for (int pos : {12, 17, 18, 19})
        EXPECT_TRUE(tick(pos)) << pos;

    pulsar("kvBotonPVP");
    EXPECT_TRUE(tick(qd::ArticleFields::kPvp));
    EXPECT_TRUE(tick(qd::ArticleFields::kPvpConIva));
    EXPECT_FALSE(tick(qd::ArticleFields::kSeparador));
    pulsar("kvBotonStock");
    EXPECT_TRUE(tick(qd::ArticleFields::kStock));
    pulsar("kvBotonPVP");
    EXPECT_FALSE(tick(qd::ArticleFields::kPvp));
    EXPECT_FALSE(tick(qd::ArticleFields::kPvpConIva));
    pulsar("kvBotonStock");
    EXPECT_FALSE(tick(qd::ArticleFields::kStock));

    // The statements come from the ticks.
    for (int i = 0; i < lista.count(); ++i)
        lista.setChecked(i, false);
    lista.setChecked(qd::ArticleFields::kGrupoEmpresas, true);
    const qd::SentenciasSql sentencias = pagina.Preparar_Sentencias_Articulos();
    EXPECT_EQ(
        sentencias.insert,
        QStringLiteral(
            "INSERT INTO ARTICULOS (\r\nGRUPOEMPRESAS, CONCEPTO)\r\nVALUES (\r\n:GRUPOEMPRESAS, 1);\r\n"));
    EXPECT_EQ(sentencias.update, QStringLiteral("UPDATE ARTICULOS SET \r\nGRUPOEMPRESAS= :GRUPOEMPRESAS\r\n"
                                                "where (IDARTICULOS = :OLD_IDARTICULOS);\r\n"));
}

TEST_F(PaginaTest, IntervalOptionsAndStates) {
    auto* intervalos = w<QCheckBox>("suiCBActualizarIntervalos");
    auto* num = w<QLineEdit>("ENumIntervalos");
    EXPECT_EQ(num->text(), QStringLiteral("3"));
    EXPECT_FALSE(num->isEnabled());
    intervalos->click();
    EXPECT_TRUE(num->isEnabled());
    num->setText(QStringLiteral("5"));
    w<QRadioButton>("rbStockInicial")->click();
    w<QCheckBox>("chkTopesIntervalos")->click();
    w<QCheckBox>("chkActualizarPMCInicial")->click();
    bool ok = false;
    const auto o = pagina.opciones(&ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(o.NumeroIntervalos, 5);
    EXPECT_TRUE(o.Intervalos);
    EXPECT_FALSE(o.PonerStockActual);
    EXPECT_TRUE(o.UsarTopeIntervalo);
    EXPECT_TRUE(o.ActualizarCosteInical);
    EXPECT_EQ(o.Tarifa_Ventas, 0); // no price list chosen
    EXPECT_EQ(o.Almacen, 0);
    intervalos->click();
    EXPECT_FALSE(num->isEnabled());

    // A count that is not an integer stops the confirmation before anything is written.
    num->setText(QStringLiteral("tres"));
    pagina.opciones(&ok);
    EXPECT_FALSE(ok);
    pagina.kvBotonConfirmarClick();
    ASSERT_EQ(canal.messages(qd::MessageKind::Error).size(), 1);
    EXPECT_TRUE(canal.messages(qd::MessageKind::Error).first().contains(QStringLiteral("tres")));

    // Busy and configuration states.
    auto* grid = w<TkvDBGrid>("kvDBGridArticulos");
    pagina.modoProceso(true);
    EXPECT_TRUE(grid->isVisibleTo(&pagina));
    EXPECT_TRUE(b("kvBotonAtras")->isVisibleTo(&pagina));
    EXPECT_TRUE(b("kvBotonConfirmar")->isVisibleTo(&pagina));
    EXPECT_FALSE(w<QWidget>("PageControlArticulos")->isEnabled());
    EXPECT_FALSE(w<QWidget>("JvFilenameEditHojaExcel")->isEnabled());
    EXPECT_EQ(w<QLabel>("LabelPanelBotonesArticulos")->text(),
              QStringLiteral("Pulse   Ctrl+Alt+C   para cancelar el proceso en curso   "));
    EXPECT_FALSE(w<QLabel>("PanelFichero")->isVisibleTo(&pagina));
    pagina.modoProceso(false);
    EXPECT_FALSE(grid->isVisibleTo(&pagina));
    EXPECT_TRUE(grid->isReadOnly());
    EXPECT_FALSE(b("kvBotonConfirmar")->isVisibleTo(&pagina));
    EXPECT_TRUE(w<QWidget>("PageControlArticulos")->isEnabled());
    EXPECT_TRUE(w<QLabel>("LabelPanelBotonesArticulos")->text().isEmpty());
}

TEST_F(PaginaTest, FileSelectorHelpAndGridColumns) {
    // Without a connection the load is refused with one message, before any dialog.
    int dialogos = 0;
    pagina.selector()->dialogo = [&dialogos] {
        ++dialogos;
        return QString();
    };
    pulsar("kvBotonPVP");
    pulsar("ButtonCargarXLSArticulos");
    EXPECT_EQ(dialogos, 0);
    ASSERT_EQ(canal.messages(qd::MessageKind::Error), QStringList{TDatos::textoSinConexion()});
    EXPECT_TRUE(nombreFichero.isEmpty());
    EXPECT_FALSE(w<QWidget>("kvDBGridArticulos")->isVisibleTo(&pagina)) << "still configuring";
    canal.clear();

    pagina.selector()->dialogo = [] { return QStringLiteral("/tmp/elegido.xlsx"); };
    pagina.selector()->boton()->click();
    EXPECT_EQ(nombreFichero, QStringLiteral("/tmp/elegido.xlsx"));

    pulsar("kvBotonAyudaArticulos");
    ASSERT_EQ(canal.messages(qd::MessageKind::Information).size(), 1);
    EXPECT_EQ(canal.messages(qd::MessageKind::Information).first(), PaginaArticulos::textoAyuda());
    EXPECT_TRUE(
        PaginaArticulos::textoAyuda().startsWith(QStringLiteral("Pasos a seguir:\r\n\r\n1) Seleccione")));
    EXPECT_TRUE(PaginaArticulos::textoAyuda().endsWith(QStringLiteral("5) Pulse el Botón \"Cargar XLS\"")));

    auto* grid = w<TkvDBGrid>("kvDBGridArticulos");
    auto* m = grid->model();
    ASSERT_EQ(m->columnCount(), 30);
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Código"));
    EXPECT_EQ(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Part-Number "));
    EXPECT_EQ(m->headerData(29, Qt::Horizontal).toString(), QStringLiteral("Tope Int. 2"));
    EXPECT_TRUE(grid->modelo()->esColumnaCasilla(grid->modelo()->columnaDeCampo(QStringLiteral("USOVENTA"))));
    EXPECT_FALSE(grid->modelo()->esColumnaCasilla(grid->modelo()->columnaDeCampo(QStringLiteral("PVP"))));
}

TEST_F(PaginaTest, PreviewPageShowsTheChosenWorkbook) {
    auto* paginas = w<QTabWidget>("PageControlArticulos");
    auto* vista = w<VistaPreviaLibro>("OleContainerArticulos");
    ASSERT_EQ(paginas->count(), 2);
    EXPECT_EQ(paginas->tabText(1), QStringLiteral("Previsualizar Excel"));

    // No workbook chosen: the selector's dialog opens first; cancelled, nothing is shown.
    int dialogos = 0;
    pagina.selector()->dialogo = [&dialogos] {
        ++dialogos;
        return QString();
    };
    paginas->setCurrentIndex(1);
    EXPECT_EQ(dialogos, 1);
    EXPECT_TRUE(vista->fileName().isEmpty());
    paginas->setCurrentIndex(0);

    nombreFichero = QStringLiteral(QD_DATOS_ARTGUI "/articulos.csv");
    paginas->setCurrentIndex(1);
    EXPECT_EQ(dialogos, 1);
    EXPECT_EQ(vista->fileName(), nombreFichero);
    EXPECT_TRUE(vista->lastError().isEmpty()) << vista->lastError().toStdString();
    paginas->setCurrentIndex(0); // leaving the preview empties it
    EXPECT_TRUE(vista->fileName().isEmpty());
}

} // namespace
