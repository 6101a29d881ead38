#include "TFormPrincipalExcell.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "GuiChannel.h"
#include "MostrarIncidencias.h"
#include "TDatos.h"
#include "TFormMensajeTraspasoLAVC.h"

namespace {

struct DefinicionPagina {
    const char* objeto;
    const char* titulo;
};

// Pages in order: index, object name, caption.
const DefinicionPagina kPaginas[] = {
    {"TabSheetImportacionArticulos", "Artículos"},
    {"TabSheetImportacionClientes", "Clientes"},
    {"TabSheetImportacionLAV", "Líneas de Albarán"},
    {"TabSheetDireccionesClientes", "Direcciones Clientes"},
    {"TabSheetContactosClientes", "Contactos Clientes"},
    {"TabSheetProveedores", "Proveedores"},
    {"TabSheetBancosClientes", "Clientes - Bancos"},
    {"TabSheetTarifasProveedor", "Tarifas Proveedor"},
    {"TabSheetAlbaranesDLR", "Albaranes DLR"},
    {"TabSheetTarifas", "Tarifas"},
};

} // namespace

int TFormPrincipalExcell::indiceOpcion(const QString& opcion) {
    static const QStringList codigos{QStringLiteral("ART"), QStringLiteral("CLI"), QStringLiteral("LAV"),
                                     QStringLiteral("DIR"), QStringLiteral("CON"), QStringLiteral("PRO"),
                                     QStringLiteral("CTA"), QStringLiteral("LAC"), QStringLiteral("LAVDLR")};
    return static_cast<int>(codigos.indexOf(opcion)); // exact, case-sensitive; -1 when unknown
}

TFormPrincipalExcell::TFormPrincipalExcell(TDatos& datos, const QStringList& args, QWidget* parent)
    : QMainWindow(parent), datos_(datos) {
    setObjectName(QStringLiteral("FormPrincipalExcell"));
    setWindowTitle(QStringLiteral(" Importación de datos MSExcel a Quenda SQL"));

    // State used by the supplier price-list page, and the empty incidence list.
    IdProveedor = 0;
    CodigoProveedor.clear();
    NombreProveedor.clear();
    IdFamilia = 0;
    IdMarca = 0;
    CamposEnlazadosSN = false;
    ListaIncidencias.clear();

    canal_ = std::make_unique<GuiChannel>(this, ListaIncidencias, HayIncidenciasFichero,
                                          [this](const QString& texto, int panel) {
                                              Q_UNUSED(panel);
                                              statusBar()->showMessage(texto);
                                          });
    qd::UserChannel::setCurrent(canal_.get());
    datos_.setCanal(canal_.get());

    auto* menu = menuBar()->addMenu(QStringLiteral("Opciones"));
    accionCancelar_ = menu->addAction(QStringLiteral("Cancelar proceso"));
    accionCancelar_->setObjectName(QStringLiteral("CancelarProceso"));
    accionCancelar_->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));
    accionCancelar_->setShortcutContext(Qt::ApplicationShortcut);
    connect(accionCancelar_, &QAction::triggered, this, [this] { datos_.Abortar_Proceso = true; });

    crearPaginas();

    if (args.isEmpty()) {
        canal_->message(qd::MessageKind::Error, QStringLiteral("Este módulo sólo puede ejecutarse desde Quenda SQL."));
        terminar_ = true;
        return;
    }

    auto arg = [&args](int i) { return i < args.size() ? args.at(i) : QString(); };
    datos_.Iniciar(TDatos::aEntero(arg(0)), TDatos::aEntero(arg(1)), arg(2), TDatos::aEntero(arg(3)), arg(4),
                   arg(5), arg(6), arg(7), TDatos::aEntero(arg(8)), TDatos::aEntero(arg(9)));

    datos_.Conectar();

    if (datos_.Usuario == QLatin1String("SYSDBA")) datos_.actualizarEsquema();

    const int opcion = indiceOpcion(datos_.Opcion);
    if (opcion == 2 || opcion == 7) {
        setWindowState(Qt::WindowMinimized);
        resize(20, 10);
        if (opcion == 2) setFixedSize(size()); // resize requests are refused in the sales transfer
        auto* traspaso = new TFormMensajeTraspasoLAVC(datos_, *canal_, nullptr);
        traspaso->exec();
        delete traspaso;
        terminar_ = true; // closing the transfer window ends the module
        return;
    }
    JvPageControlGeneral->setCurrentIndex(opcion < 0 ? 0 : opcion);
    JvPageControlGeneralChange(JvPageControlGeneral->currentIndex());
    setWindowState(Qt::WindowMaximized);
}

TFormPrincipalExcell::~TFormPrincipalExcell() {
    datos_.Destruir_Excel();
    if (qd::UserChannel::current() == canal_.get()) qd::UserChannel::setCurrent(nullptr);
    datos_.setCanal(nullptr);
}

void TFormPrincipalExcell::crearPaginas() {
    JvPageControlGeneral = new QTabWidget(this);
    JvPageControlGeneral->setObjectName(QStringLiteral("JvPageControlGeneral"));
    for (const auto& p : kPaginas) {
        auto* pagina = new QWidget;
        pagina->setObjectName(QString::fromLatin1(p.objeto));
        auto* layout = new QVBoxLayout(pagina);
        layout->setContentsMargins(4, 4, 4, 4);
        JvPageControlGeneral->addTab(pagina, QString::fromUtf8(p.titulo));
    }
    setCentralWidget(JvPageControlGeneral);
    connect(JvPageControlGeneral, &QTabWidget::currentChanged, this,
            &TFormPrincipalExcell::JvPageControlGeneralChange);
    for (int i = 0; i < JvPageControlGeneral->count(); ++i) JvPageControlGeneral->tabBar()->setTabData(i, 1);
}

QWidget* TFormPrincipalExcell::pagina(int indice) const { return JvPageControlGeneral->widget(indice); }

int TFormPrincipalExcell::indiceImagen(int pagina) const {
    return JvPageControlGeneral->tabBar()->tabData(pagina).toInt();
}

void TFormPrincipalExcell::JvPageControlGeneralChange(int indice) {
    const QIcon abierta = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon cerrada = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (int i = 0; i < JvPageControlGeneral->count(); ++i) {
        const int imagen = (i <= 4 && i == indice) ? 0 : 1;
        JvPageControlGeneral->tabBar()->setTabData(i, imagen);
        JvPageControlGeneral->setTabIcon(i, imagen == 0 ? abierta : cerrada);
    }
    // Showing one of the first five pages clears the cancel flag.
    if (indice >= 0 && indice <= 4) datos_.Abortar_Proceso = false;
}

void TFormPrincipalExcell::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!mostrada_) {
        mostrada_ = true;
        FormShow();
    }
}

void TFormPrincipalExcell::FormShow() {
    // Field ticks, lookups and help panels are loaded by the pages as they are built.
}

void TFormPrincipalExcell::closeEvent(QCloseEvent* event) { QMainWindow::closeEvent(event); }

void TFormPrincipalExcell::Mostrar_Incidencias() {
    if (!HayIncidenciasFichero) return;
    qd::gui::showIncidences(this, ListaIncidencias);
}

void TFormPrincipalExcell::Modo_Proceso() {}

void TFormPrincipalExcell::Modo_Configuracion() {}
