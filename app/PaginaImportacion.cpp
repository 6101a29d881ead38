#include "PaginaImportacion.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "BloqueoImportacion.h"
#include "CambioVistaPrevia.h"
#include "CanalPagina.h"
#include "FilasNoEscritas.h"
#include "HistorialImportaciones.h"
#include "TDatos.h"
#include "TJvFilenameEdit.h"
#include "TUPClickSplitter.h"
#include "TkvDBGrid.h"
#include "TsuiCheckListBox.h"
#include "VistaPreviaLibro.h"

namespace {

// Marks the page busy for the length of a step, and frees it again however the step ends.
class Ocupacion {
public:
    explicit Ocupacion(std::function<void(bool)> poner) : poner_(std::move(poner)) { poner_(true); }
    ~Ocupacion() { poner_(false); }
    Ocupacion(const Ocupacion&) = delete;
    Ocupacion& operator=(const Ocupacion&) = delete;

private:
    std::function<void(bool)> poner_;
};

const QString kTextoCancelar = QStringLiteral("Pulse   Ctrl+Alt+C   para cancelar el proceso en curso   ");

QString nombre(const char* texto) {
    return QString::fromLatin1(texto);
}

} // namespace

PaginaImportacion::PaginaImportacion(TDatos& datos, QString& nombreFichero, const Definicion& definicion,
                                     QWidget* parent)
    : QWidget(parent), datos_(datos), nombreFichero_(nombreFichero), definicion_(definicion) {
    // The page does not hold the main window to its own minimum size (the window is shrunk to a
    // few pixels while a delivery-note transfer runs).
    setMinimumSize(1, 1);
    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(0, 0, 0, 0);
    paginas_ = new QTabWidget;
    paginas_->setObjectName(nombre(definicion.paginas));

    // The configuration page: the workbook selector over the field list and the kind's options.
    configuracion_ = new QWidget;
    configuracion_->setObjectName(nombre(definicion.hojaConfiguracion));
    auto* conf = new QVBoxLayout(configuracion_);
    selector_ = new TJvFilenameEdit;
    selector_->setObjectName(nombre(definicion.selector));
    auto* filaFichero = new QHBoxLayout;
    auto* etiquetaFichero = new QLabel(QString::fromUtf8(definicion.etiquetaFichero));
    if (definicion.objetoEtiquetaFichero)
        etiquetaFichero->setObjectName(nombre(definicion.objetoEtiquetaFichero));
    etiquetaFichero->setBuddy(selector_->edit());
    filaFichero->addWidget(etiquetaFichero);
    filaFichero->addWidget(selector_, 1);
    conf->addLayout(filaFichero);
    // The shared workbook path follows the selector.
    connect(selector_, &TJvFilenameEdit::ficheroElegido, this, [this](const QString& path) {
        nombreFichero_ = path;
        alCambiarFichero();
    });

    auto* cuerpo = new QHBoxLayout;
    conf->addLayout(cuerpo, 1);
    if (definicion.listaCampos != nullptr && definicion.crearLista != nullptr) {
        lista_ = std::make_unique<qd::FieldList>(definicion.crearLista());
        caja_ = new TsuiCheckListBox;
        caja_->setObjectName(nombre(definicion.listaCampos));
        caja_->setFieldList(lista_.get());
        if (definicion.grupoCampos) {
            auto* grupo = new QGroupBox(QString::fromUtf8(definicion.tituloCampos));
            grupo->setObjectName(nombre(definicion.grupoCampos));
            auto* capa = new QVBoxLayout(grupo);
            capa->addWidget(caja_);
            cuerpo->addWidget(grupo);
        } else {
            auto* columna = new QVBoxLayout;
            columna->addWidget(new QLabel(QString::fromUtf8(definicion.tituloCampos)));
            columna->addWidget(caja_, 1);
            cuerpo->addLayout(columna);
        }
    }
    // The kind's options scroll rather than crush when the window is small.
    opciones_ = new QWidget;
    opciones_->setObjectName(QStringLiteral("AreaOpciones"));
    auto* capaOpciones = new QVBoxLayout(opciones_);
    capaOpciones->setContentsMargins(0, 0, 0, 0);
    auto* desplazable = new QScrollArea;
    desplazable->setObjectName(QStringLiteral("ScrollOpciones"));
    desplazable->setWidgetResizable(true);
    desplazable->setFrameShape(QFrame::NoFrame);
    desplazable->setWidget(opciones_);
    cuerpo->addWidget(desplazable, 1);
    paginas_->addTab(configuracion_, QStringLiteral("Configuración"));

    if (definicion.vistaPrevia != nullptr) {
        vistaPrevia_ = new VistaPreviaLibro;
        vistaPrevia_->setObjectName(nombre(definicion.vistaPrevia));
        vistaPrevia_->setToolTip(VistaPreviaLibro::hintText());
        QWidget* hoja = vistaPrevia_;
        if (definicion.hojaVistaPrevia) {
            hoja = new QWidget;
            hoja->setObjectName(nombre(definicion.hojaVistaPrevia));
            auto* capa = new QVBoxLayout(hoja);
            capa->setContentsMargins(0, 0, 0, 0);
            capa->addWidget(vistaPrevia_);
        }
        paginas_->addTab(hoja, QStringLiteral("Previsualizar Excel"));
        connect(paginas_, &QTabWidget::currentChanged, this, &PaginaImportacion::cambioPaginaInterna);
    }

    if (definicion.grid != nullptr)
        construirRevision(principal);
    else
        principal->addWidget(paginas_);
    modoProceso(false);
}

PaginaImportacion::~PaginaImportacion() {
    if (caja_ != nullptr) caja_->setFieldList(nullptr);
}

void PaginaImportacion::construirRevision(QVBoxLayout* principal) {
    // A click on the bar folds the options away and the next one brings them back.
    splitter_ = new TUPClickSplitter(Qt::Vertical);
    splitter_->setObjectName(nombre(definicion_.splitter));
    splitter_->setChildrenCollapsible(true);
    splitter_->addWidget(paginas_);
    grid_ = new TkvDBGrid;
    grid_->setObjectName(nombre(definicion_.grid));
    grid_->EnterToTab = true;
    grid_->MoveByRow = true;
    grid_->setReadOnly(true);
    grid_->setVisible(false);
    splitter_->addWidget(grid_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 3);
    principal->addWidget(splitter_, 1);

    // Button panel: the kind's own buttons at the left, the cancel hint, "Atrás" and "Confirmar".
    panelBotones_ = new QWidget;
    panelBotones_->setObjectName(nombre(definicion_.panelBotones));
    auto* capaBotones = new QHBoxLayout(panelBotones_);
    capaBotones->setContentsMargins(4, 2, 4, 2);
    etiquetaPanel_ = new QLabel;
    etiquetaPanel_->setObjectName(nombre(definicion_.etiquetaPanel));
    capaBotones->addWidget(etiquetaPanel_, 1);
    construirOpcionesMotor(capaBotones);
    if (definicion_.unPaso) {
        // The load button runs the whole import: the dry run is chosen before it.
        casillaSimular_ = new QCheckBox(QStringLiteral("Simular"));
        casillaSimular_->setObjectName(QStringLiteral("chkSimular"));
        casillaSimular_->setToolTip(botonSimular_->toolTip());
        capaBotones->addWidget(casillaSimular_);
        botonSimular_->setVisible(false);
    } else {
        botonAtras_ = new QPushButton(QStringLiteral("Atrás"));
        botonAtras_->setObjectName(QStringLiteral("kvBotonAtras"));
        botonConfirmar_ = new QPushButton(QString::fromUtf8(definicion_.textoConfirmar));
        botonConfirmar_->setObjectName(QString::fromLatin1(definicion_.objetoConfirmar));
        capaBotones->addWidget(botonAtras_);
        capaBotones->addWidget(botonSimular_);
        capaBotones->addWidget(botonConfirmar_);
    }
    principal->addWidget(panelBotones_);

    barraEstado_ = new QStatusBar;
    barraEstado_->setObjectName(QStringLiteral("suiStatusBar1"));
    barraEstado_->setSizeGripEnabled(false);
    panelTexto_ = new QLabel;
    panelTexto_->setObjectName(QStringLiteral("PanelTexto"));
    panelFichero_ = new QLabel;
    panelFichero_->setObjectName(QStringLiteral("PanelFichero"));
    barraEstado_->addWidget(panelTexto_, 1);
    barraEstado_->addPermanentWidget(panelFichero_);
    principal->addWidget(barraEstado_);

    // Through the virtual entry points, so a kind may add its own checks first.
    if (botonAtras_) connect(botonAtras_, &QPushButton::clicked, this, [this] { pulsarAtras(); });
    if (botonConfirmar_) connect(botonConfirmar_, &QPushButton::clicked, this, [this] { pulsarConfirmar(); });
    alCambiarFichero();
}

// ---------------------------------------------------------------------------------------------
// States.

void PaginaImportacion::modoProceso(bool ocupado) {
    if (definicion_.bloqueaEnProceso) {
        paginas_->setEnabled(!ocupado);
        selector_->setEnabled(!ocupado);
    }
    if (grid_ != nullptr && definicion_.unPaso) {
        // The grid shows the last load; the options are set before the press.
        panelFichero_->setVisible(!ocupado);
        grid_->setVisible(grid_->modelo() != nullptr && cargado_);
        for (QWidget* w : {static_cast<QWidget*>(casillaSimular_), static_cast<QWidget*>(casillaContinuar_),
                           static_cast<QWidget*>(casillaVaciar_), static_cast<QWidget*>(etiquetaLote_),
                           static_cast<QWidget*>(cajaLote_)})
            w->setEnabled(!ocupado);
        etiquetaPanel_->setText(ocupado ? kTextoCancelar : QString());
    } else if (grid_ != nullptr) {
        if (!ocupado) grid_->setReadOnly(true);
        grid_->setVisible(ocupado);
        panelFichero_->setVisible(!ocupado); // busy: the status bar is one text panel
        botonAtras_->setVisible(ocupado);
        botonConfirmar_->setVisible(ocupado);
        botonConfirmar_->setEnabled(cargado_);
        // Engine options.
        for (QWidget* w : {static_cast<QWidget*>(botonSimular_), static_cast<QWidget*>(casillaContinuar_),
                           static_cast<QWidget*>(casillaVaciar_), static_cast<QWidget*>(etiquetaLote_),
                           static_cast<QWidget*>(cajaLote_)})
            w->setVisible(ocupado);
        botonSimular_->setEnabled(cargado_);
        etiquetaPanel_->setText(ocupado ? kTextoCancelar : QString());
    }
    alCambiarModo(ocupado);
}

void PaginaImportacion::ponerOcupado(bool ocupado) {
    ocupado_ = ocupado;
    emit bucleEnCurso(ocupado);
}

void PaginaImportacion::ponerModo(bool ocupado) {
    if (cambiarModoVentana)
        cambiarModoVentana(ocupado);
    else
        modoProceso(ocupado);
}

void PaginaImportacion::Estado(const QString& texto) {
    if (panelTexto_ == nullptr) return;
    panelTexto_->setText(texto);
    panelTexto_->repaint();
}

QString PaginaImportacion::textoEstado() const {
    return panelTexto_ ? panelTexto_->text() : QString();
}

void PaginaImportacion::plegarOpciones(bool plegar) {
    if (splitter_ == nullptr || plegar == plegadas_) return;
    if (plegar) {
        tamanosSplitter_ = splitter_->sizes();
        int total = 0;
        for (int t : tamanosSplitter_)
            total += t;
        splitter_->setSizes({0, qMax(total, 1)});
    } else if (!tamanosSplitter_.isEmpty()) {
        splitter_->setSizes(tamanosSplitter_);
    }
    plegadas_ = plegar;
}

void PaginaImportacion::mostrarError(const std::exception& e) {
    datos_.canal().message(qd::MessageKind::Error, TDatos::Texto_Error(e));
}

void PaginaImportacion::alCambiarFichero() {
    if (panelFichero_ == nullptr) return;
    panelFichero_->setText(nombreFichero_.isEmpty() ? QString() : QFileInfo(nombreFichero_).fileName());
    panelFichero_->setToolTip(nombreFichero_);
}

void PaginaImportacion::cambioPaginaInterna(int indice) {
    const int anterior = paginaInterna_;
    paginaInterna_ = indice;
    qd::gui::cambiarPaginaVistaPrevia(datos_, nombreFichero_, *selector_, *vistaPrevia_, anterior, indice);
}

void PaginaImportacion::alMostrarPrimeraVez() {
    if (lista_ == nullptr) return;
    lista_->setInitialTicks();
    caja_->refresh();
}

// ---------------------------------------------------------------------------------------------
// The road of an import.

bool PaginaImportacion::conectadoOAviso() {
    if (datos_.IBDatabase.connected()) return true;
    datos_.canal().message(qd::MessageKind::Error, TDatos::textoSinConexion());
    return false;
}

void PaginaImportacion::pulsarCargar() {
    if (ocupado_) return;
    datos_.Abortar_Proceso = false;
    if (!conectadoOAviso()) return;
    // Options that would refuse the confirmation refuse the load already, before any row is read.
    if (!validarConfirmacion()) return;
    // The file loaded is the one the box shows: a typed path once it names a file; with the box
    // empty, the window's current workbook (shown in the box) or, without one, the dialog's choice.
    QString error;
    QString fichero = selector_->ficheroParaCargar(&error);
    if (!error.isEmpty()) {
        datos_.canal().message(qd::MessageKind::Error, error);
        return;
    }
    if (fichero.isEmpty() && !nombreFichero_.isEmpty()) {
        selector_->setText(nombreFichero_);
        fichero = nombreFichero_;
    }
    if (fichero.isEmpty()) {
        selector_->abrirDialogo();
        fichero = selector_->text().isEmpty() ? QString() : nombreFichero_;
    }
    if (fichero.isEmpty()) return;
    if (!antesDeCargar()) return;
    bool fallo = false;
    {
        Ocupacion ocupacion([this](bool on) { ponerOcupado(on); });
        CanalPagina canal(datos_, [this](const QString& texto) { Estado(texto); });
        cargado_ = false;
        ponerModo(true);
        plegarOpciones(true);
        try {
            // One import of the kind at a time on the database, from the load to the end of the run.
            if (!tipoImportacion().isEmpty()) {
                bloqueo_ = std::make_unique<qd::BloqueoImportacion>(datos_.IBDatabase, tipoImportacion());
                if (!bloqueo_->aviso().isEmpty())
                    datos_.canal().message(qd::MessageKind::Warning, bloqueo_->aviso());
            }
            // The run in the history, its changes journalled from the load on (the masters it creates).
            canal.anotarIncidencias(&incidenciasRun_);
            empezarRegistro(fichero);
            // The masters the load creates wait for the choice between "Confirmar" and "Simular".
            datos_.Empezar_Carga();
            cargar(fichero);
            cargado_ = true;
            ficheroCargado_ = fichero;
        } catch (const std::exception& e) {
            fallo = true;
            mostrarError(e);
            terminarRegistro(TDatos::Texto_Error(e), {}, false);
        }
        if (grid_) {
            grid_->modelo()->sincronizar();
            grid_->ajustarColumnas();
        }
    }
    if (definicion_.unPaso) {
        // No review: the write follows the load, and everything is shown at the end.
        if (!fallo) ejecutarConfirmacion();
        terminarUnPaso();
        return;
    }
    // What the load could not take is shown before the review.
    if (mostrarIncidencias) mostrarIncidencias();
    // A load that failed leaves nothing to confirm: back to the configuration.
    if (fallo)
        pulsarAtras();
    else if (botonConfirmar_) {
        botonConfirmar_->setEnabled(true);
        botonSimular_->setEnabled(true);
    }
}

void PaginaImportacion::pulsarConfirmar() {
    if (definicion_.unPaso || ocupado_ || !validarConfirmacion() || !conectadoOAviso() || !cargado_) return;
    ejecutarConfirmacion();
    if (mostrarIncidencias) mostrarIncidencias();
    pulsarAtras();
}

void PaginaImportacion::terminarUnPaso() {
    try {
        datos_.Terminar_Carga(false);
    } catch (const std::exception& e) {
        mostrarError(e);
    }
    terminarRegistro({}, {}, false);
    bloqueo_.reset();
    if (mostrarIncidencias) mostrarIncidencias();
    if (grid_) {
        grid_->modelo()->sincronizar();
        grid_->ajustarColumnas();
    }
    plegarOpciones(false);
    ponerModo(false);
    datos_.Destruir_Excel();
}

void PaginaImportacion::ejecutarConfirmacion() {
    {
        Ocupacion ocupacion([this](bool on) { ponerOcupado(on); });
        CanalPagina canal(datos_, [this](const QString& texto) { Estado(texto); });
        canal.anotarIncidencias(&incidenciasRun_);
        datos_.Ultimo_Desenlace = {};
        QString error;
        try {
            confirmar();
        } catch (const std::exception& e) {
            // What was written before the error stays written; the run is over either way.
            error = TDatos::Texto_Error(e);
            mostrarError(e);
        }
        // The rows not written, for the user to fix and import again.
        const QString ruta = qd::exportarFilasNoEscritas(datos_, ficheroCargado_, opcionesMotor().simular);
        terminarRegistro(error, ruta, true);
        if (!ruta.isEmpty() &&
            datos_.canal().ask(
                QStringLiteral("Las filas que no se han escrito están en «%1», con su motivo en la "
                               "columna Error.\r\n¿Desea abrir ese libro?")
                    .arg(ruta)))
            QDesktopServices::openUrl(QUrl::fromLocalFile(ruta));
    }
}

void PaginaImportacion::pulsarAtras() {
    if (ocupado_) return;
    // Without a confirmation, what the load created stays, as it always did.
    try {
        datos_.Terminar_Carga(false);
    } catch (const std::exception& e) {
        mostrarError(e);
    }
    terminarRegistro({}, {}, false); // a load never confirmed: what it created stays, in the history
    vaciarStaging();
    cargado_ = false;
    bloqueo_.reset();
    if (grid_) grid_->modelo()->sincronizar();
    plegarOpciones(false);
    ponerModo(false);
    Estado(QString());
    datos_.Destruir_Excel();
}

// ---------------------------------------------------------------------------------------------
// The run in the history.

void PaginaImportacion::empezarRegistro(const QString& fichero) {
    terminarRegistro({}, {}, false);
    incidenciasRun_.clear();
    qd::InicioImportacion inicio;
    inicio.tipo = tipoImportacion().isEmpty() ? datos_.Opcion : tipoImportacion();
    inicio.programa = QStringLiteral("ventana");
    inicio.libro = fichero;
    QStringList marcados;
    if (lista_)
        for (int i = 0; i < lista_->count(); ++i)
            if (lista_->isChecked(i)) marcados << lista_->item(i);
    inicio.opciones =
        QStringLiteral("Página %1").arg(objectName()) +
        (marcados.isEmpty() ? QString() : QStringLiteral("; campos: ") + marcados.join(QLatin1Char(',')));
    inicio.usuario = datos_.Usuario;
    inicio.idUsuario = datos_.IdUsuario;
    registro_ = std::make_unique<qd::RegistroImportacion>(datos_.IBDatabase, inicio);
    if (!registro_->aviso().isEmpty() && !registro_->sinHistorial())
        datos_.canal().message(qd::MessageKind::Warning, registro_->aviso());
}

void PaginaImportacion::terminarRegistro(const QString& error, const QString& ficheroErrores, bool escrito) {
    if (!registro_) return;
    qd::DesenlaceImportacion d = qd::desenlaceImportacion(datos_, error, incidenciasRun_, ficheroErrores);
    const qd::OpcionesMotor o = opcionesMotor();
    if (escrito) {
        d.simulada = o.simular;
        QStringList mas;
        if (o.simular) mas << QStringLiteral("Simular");
        if (o.continuar) mas << QStringLiteral("Continuar tras errores");
        if (o.lote > 0) mas << QStringLiteral("Guardar cada %1 filas").arg(o.lote);
        d.masOpciones = mas.join(QStringLiteral(", "));
    } else if (error.isEmpty()) {
        // Loaded and never confirmed (only the masters the load created were written).
        d.estado = qd::EstadoImportacion::Cancelada;
        d.resumen = QStringLiteral("Cargada y no confirmada.");
    }
    registro_->terminar(d);
    registro_.reset();
}

// ---------------------------------------------------------------------------------------------
// Engine options: dry run, keep going, bulk commits.

void PaginaImportacion::construirOpcionesMotor(QHBoxLayout* capa) {
    casillaContinuar_ = new QCheckBox(QStringLiteral("Continuar tras errores"));
    casillaContinuar_->setObjectName(QStringLiteral("chkContinuarTrasErrores"));
    casillaContinuar_->setToolTip(
        QStringLiteral("Una fila que la base de datos rechaza se deshace sola, se anota como incidencia "
                       "con su fila y el texto del error, y el proceso sigue."));
    casillaVaciar_ = new QCheckBox(QStringLiteral("Las celdas vacías borran el valor"));
    casillaVaciar_->setObjectName(QStringLiteral("chkCeldasVaciasBorran"));
    casillaVaciar_->setToolTip(
        QStringLiteral("Al actualizar, una celda vacía escribe un texto vacío o 0. Sin marcar, una celda "
                       "vacía, un código que no existe o una columna que falta dejan el valor guardado "
                       "como está. Un código (familia, forma de pago…) nunca se borra con una celda vacía."));
    etiquetaLote_ = new QLabel(QStringLiteral("Guardar cada"));
    cajaLote_ = new QSpinBox;
    cajaLote_->setObjectName(QStringLiteral("spinGuardarCadaFilas"));
    cajaLote_->setRange(0, 1000000);
    cajaLote_->setSingleStep(500);
    cajaLote_->setSpecialValueText(QStringLiteral("fila"));
    cajaLote_->setSuffix(QStringLiteral(" filas"));
    cajaLote_->setToolTip(QStringLiteral("Guardar cada N filas en lugar de tras cada fila: mucho más rápido; "
                                         "una interrupción pierde como mucho las filas desde el último "
                                         "guardado, y repetir la importación la completa."));
    etiquetaLote_->setBuddy(cajaLote_);
    botonSimular_ = new QPushButton(QStringLiteral("Simular"));
    botonSimular_->setObjectName(QStringLiteral("kvBotonSimular"));
    botonSimular_->setToolTip(
        QStringLiteral("Hace la importación y la deshace al final: muestra el resumen y "
                       "las incidencias sin guardar nada."));
    capa->addWidget(casillaContinuar_);
    capa->addWidget(casillaVaciar_);
    capa->addWidget(etiquetaLote_);
    capa->addWidget(cajaLote_);
    connect(botonSimular_, &QPushButton::clicked, this, [this] { pulsarSimular(); });
}

qd::OpcionesMotor PaginaImportacion::opcionesMotor() const {
    qd::OpcionesMotor o;
    o.simular = simulando_ || (casillaSimular_ != nullptr && casillaSimular_->isChecked());
    if (casillaContinuar_ != nullptr) o.continuar = casillaContinuar_->isChecked();
    if (casillaVaciar_ != nullptr) o.vaciar = casillaVaciar_->isChecked();
    if (cajaLote_ != nullptr) o.lote = cajaLote_->value();
    return o;
}

void PaginaImportacion::pulsarSimular() {
    if (ocupado_) return;
    simulando_ = true;
    struct Fin {
        bool& b;
        ~Fin() { b = false; }
    } fin{simulando_};
    pulsarConfirmar();
}
