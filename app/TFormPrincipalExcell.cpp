#include "TFormPrincipalExcell.h"

#include "DialogoHistorial.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include "GuiChannel.h"
#include "MostrarIncidencias.h"
#include "PaginaImportacion.h"
#include "Paginas.h"
#include "RtfReader.h"
#include "TDatos.h"
#include "TsuiCheckListBox.h"

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
    setWindowTitle(QStringLiteral("Importación de datos MSExcel a Quenda SQL"));

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
    accionCancelar_->setEnabled(false); // nothing runs yet
    auto* historial = menu->addAction(QStringLiteral("Historial de importaciones"));
    historial->setObjectName(QStringLiteral("HistorialImportaciones"));
    connect(historial, &QAction::triggered, this, [this] {
        if (!datos_.IBDatabase.connected()) {
            canal_->message(qd::MessageKind::Error, TDatos::textoSinConexion());
            return;
        }
        DialogoHistorial dialogo(datos_, this);
        dialogo.exec();
    });

    crearPaginas();

    if (args.isEmpty()) {
        canal_->message(qd::MessageKind::Error,
                        QStringLiteral("Este módulo sólo puede ejecutarse desde Quenda SQL."));
        terminar_ = true;
        return;
    }

    auto arg = [&args](int i) { return i < args.size() ? args.at(i) : QString(); };
    datos_.Iniciar(TDatos::aEntero(arg(0)), TDatos::aEntero(arg(1)), arg(2), TDatos::aEntero(arg(3)), arg(4),
                   arg(5), arg(6), arg(7), TDatos::aEntero(arg(8)), TDatos::aEntero(arg(9)));

    datos_.Conectar();

    if (datos_.Usuario == QLatin1String("SYSDBA")) datos_.actualizarEsquema();

    const int opcion = indiceOpcion(datos_.Opcion);
    if (const VentanaLanzamiento* ventana = ventanaLanzamiento(datos_.Opcion)) {
        setWindowState(Qt::WindowMinimized);
        resize(20, 10);
        if (ventana->tamanoFijo) setFixedSize(size()); // resize requests are refused meanwhile
        ventana->abrir(datos_, *canal_, [this](QWidget* sobre) {
            if (!HayIncidenciasFichero || ListaIncidencias.isEmpty()) return;
            qd::gui::showIncidences(sobre, ListaIncidencias);
            HayIncidenciasFichero = false;
        });
        terminar_ = true; // closing the window ends the module
        return;
    }
    JvPageControlGeneral->setCurrentIndex(opcion < 0 ? 0 : opcion);
    JvPageControlGeneralChange(JvPageControlGeneral->currentIndex());
    // Maximized at start; restored, a size that still fits a small screen.
    resize(tamanoNormal());
    setWindowState(Qt::WindowMaximized);
}

TFormPrincipalExcell::~TFormPrincipalExcell() {
    if (mostrada_)
        for (PaginaImportacion* p : std::as_const(paginasImportacion_))
            p->alCerrar();
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
    for (int i = 0; i < JvPageControlGeneral->count(); ++i)
        JvPageControlGeneral->tabBar()->setTabData(i, 1);

    // Each page with its help panel (its built-in text; the show handler replaces it with the
    // help file when present).
    for (const PaginaRegistrada& r : crearPaginasImportacion(datos_, Nombre_Fichero)) {
        anadirPagina(r.pestana, r.pagina);
        if (!r.ayuda.objeto) continue;
        auto* panel = new QTextBrowser;
        panel->setObjectName(QString::fromLatin1(r.ayuda.objeto));
        panel->setReadOnly(true);
        panel->setMaximumHeight(160);
        panel->setHtml(r.ayuda.texto());
        pagina(r.pestana)->layout()->addWidget(panel);
        panelesAyuda_[r.pestana] = panel;
        ayudas_.append({r.pestana, r.ayuda});
    }
}

void TFormPrincipalExcell::anadirPagina(int pestana, PaginaImportacion* p) {
    static_cast<QVBoxLayout*>(pagina(pestana)->layout())->insertWidget(0, p, 1);
    p->cambiarModoVentana = [this](bool ocupado) {
        if (ocupado)
            Modo_Proceso();
        else
            Modo_Configuracion();
    };
    connect(p, &PaginaImportacion::bucleEnCurso, this, &TFormPrincipalExcell::bucleEnCurso);
    p->mostrarIncidencias = [this] {
        if (!ListaIncidencias.isEmpty()) Mostrar_Incidencias();
    };
    paginasImportacion_[pestana] = p;
}

void TFormPrincipalExcell::bucleEnCurso(bool enCurso) {
    bucles_ = qMax(0, bucles_ + (enCurso ? 1 : -1));
    accionCancelar_->setEnabled(bucles_ > 0);
    canal_->setAvisoCancelar(bucles_ > 0);
}

QSize TFormPrincipalExcell::tamanoNormal() const {
    QSize tamano(1280, 720);
    if (const QScreen* pantalla = screen() ? screen() : QGuiApplication::primaryScreen())
        tamano = tamano.boundedTo(pantalla->availableGeometry().size() * 0.95);
    return tamano;
}

QTextBrowser* TFormPrincipalExcell::panelAyuda(int pagina) const {
    return panelesAyuda_.value(pagina);
}

void TFormPrincipalExcell::cargarPanelesAyuda(const QString& carpeta) {
    // A panel of its own is optional; the chained ones share one guard: the first one missing ends
    // the step and the panels after it keep their built-in texts.
    for (const auto& [pestana, ayuda] : std::as_const(ayudas_)) {
        QTextDocument documento;
        if (qd::RtfReader::readFile(QDir(carpeta).filePath(QString::fromLatin1(ayuda.fichero)), &documento))
            panelesAyuda_[pestana]->setHtml(documento.toHtml());
        else if (ayuda.encadenado)
            return;
    }
}

QWidget* TFormPrincipalExcell::pagina(int indice) const {
    return JvPageControlGeneral->widget(indice);
}

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
    // Each page's first-show work: ticks (Excel.ini for the articles), initial ticks, lookups.
    for (PaginaImportacion* p : std::as_const(paginasImportacion_))
        p->alMostrarPrimeraVez();
    cargarPanelesAyuda(QCoreApplication::applicationDirPath());
}

void TFormPrincipalExcell::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
}

void TFormPrincipalExcell::pedirCierre() {
    datos_.Abortar_Proceso = true;
    close();
}

void TFormPrincipalExcell::Mostrar_Incidencias() {
    if (!HayIncidenciasFichero) return;
    qd::gui::showIncidences(this, ListaIncidencias);
}

void TFormPrincipalExcell::Modo_Proceso() {
    for (PaginaImportacion* p : std::as_const(paginasImportacion_))
        p->modoProceso(true);
}

void TFormPrincipalExcell::Modo_Configuracion() {
    for (PaginaImportacion* p : std::as_const(paginasImportacion_))
        p->modoProceso(false);
}
