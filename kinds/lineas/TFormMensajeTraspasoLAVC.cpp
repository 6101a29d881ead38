#include "TFormMensajeTraspasoLAVC.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "TDatos.h"
#include "TFormAyudaRapida.h"
#include "TFormFinProceso.h"
#include "TJvFilenameEdit.h"
#include "TkvDBGrid.h"
#include "UserChannel.h"

// While the window loads, verifies or imports, the data module talks through this channel:
// everything goes on to the window's channel, status texts are also shown in the window's status
// bar, and (while importing) the closing summary is kept for the end window instead of a box.
class TFormMensajeTraspasoLAVC::Canal final : public qd::UserChannel {
public:
    Canal(TFormMensajeTraspasoLAVC& ventana, bool importando)
        : ventana_(ventana), interno_(&ventana.datos_.canal()), importando_(importando) {
        ventana_.datos_.setCanal(this);
    }
    ~Canal() override { ventana_.datos_.setCanal(interno_); }
    Canal(const Canal&) = delete;
    Canal& operator=(const Canal&) = delete;

    QString resumen; // the summary of the import, when it reached its end

    void message(qd::MessageKind kind, const QString& text, const QString& caption) override {
        if (importando_ && kind == qd::MessageKind::Information) {
            resumen = text;
            return;
        }
        interno_->message(kind, text, caption);
    }
    bool ask(const QString& text, const QString& caption) override { return interno_->ask(text, caption); }
    void status(const QString& text, int panel) override {
        ventana_.Estado(text);
        interno_->status(text, panel);
    }
    void progressOpen(int maximum) override { interno_->progressOpen(maximum); }
    void progressStep(const QString& label) override { interno_->progressStep(label); }
    void progressClose() override { interno_->progressClose(); }
    void incidence(const QString& line) override { interno_->incidence(line); }
    void waitCursor(bool on) override { interno_->waitCursor(on); }

protected:
    void processEvents() override { interno_->processEventsAndCancelled(); }

private:
    TFormMensajeTraspasoLAVC& ventana_;
    qd::UserChannel* interno_;
    bool importando_;
};

namespace {

const char* const kModos[] = {" Cód. Artículo", " Cód. EAN / Cód Formato",
                              " Ref. Proveedor (Ficha Artículo) ", " Ref. Artículo Proveedor"};

// Paints every cell of a line in its line's colour, and tells the window about each value the
// user types into a cell.
class DelegadoLineas : public QStyledItemDelegate {
public:
    DelegadoLineas(std::function<QColor(int)> color, std::function<void(int)> editada, QObject* parent)
        : QStyledItemDelegate(parent), color_(std::move(color)), editada_(std::move(editada)) {}

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        const QVariant antes = model->data(index, Qt::EditRole);
        QStyledItemDelegate::setModelData(editor, model, index);
        if (model->data(index, Qt::EditRole) != antes) editada_(index.row());
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QColor c = color_(index.row());
        option->palette.setColor(QPalette::Base, Qt::white);
        option->palette.setColor(QPalette::Text, c);
        option->backgroundBrush = QBrush(Qt::white);
    }

private:
    std::function<QColor(int)> color_;
    std::function<void(int)> editada_;
};

QPushButton* boton(const QString& texto, const char* nombre, const QString& color = {}) {
    auto* b = new QPushButton(texto);
    b->setObjectName(QString::fromLatin1(nombre));
    if (!color.isEmpty())
        b->setStyleSheet(
            QStringLiteral("QPushButton { background-color: %1; color: white; font-weight: bold; "
                           "padding: 4px 12px; }")
                .arg(color));
    return b;
}

} // namespace

TFormMensajeTraspasoLAVC::AbrirFichero& TFormMensajeTraspasoLAVC::abridorPorDefecto() {
    static AbrirFichero abridor = [](const QString& ruta) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(ruta));
    };
    return abridor;
}

TFormMensajeTraspasoLAVC::TFormMensajeTraspasoLAVC(TDatos& datos, qd::UserChannel& canal, QWidget* parent)
    : QDialog(parent), abrirFichero(abridorPorDefecto()), datos_(datos), canal_(canal) {
    setObjectName(QStringLiteral("FormMensajeTraspasoLAVC"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(980, 600);

    LabelBanner = new QLabel;
    LabelBanner->setObjectName(QStringLiteral("LabelBanner"));
    QFont f = LabelBanner->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.4);
    LabelBanner->setFont(f);
    LabelBanner->setStyleSheet(
        QStringLiteral("QLabel { color: white; background-color: #1f4e79; padding: 8px; }"));

    PageControl = new QStackedWidget;
    PageControl->setObjectName(QStringLiteral("PageControl"));
    crearPagina0();
    crearPagina1();

    StatusBar = new QStatusBar;
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);

    auto* capa = new QVBoxLayout(this);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->setSpacing(0);
    capa->addWidget(LabelBanner);
    capa->addWidget(PageControl, 1);
    capa->addWidget(StatusBar);
    FormShow(); // captions and search modes are ready before the first show too
}

TFormMensajeTraspasoLAVC::~TFormMensajeTraspasoLAVC() = default;

void TFormMensajeTraspasoLAVC::crearPagina0() {
    auto* pagina = new QWidget;
    pagina->setObjectName(QStringLiteral("TabSheetVistaOrdenes"));
    auto* capa = new QVBoxLayout(pagina);

    MemoAyuda = new QTextBrowser;
    MemoAyuda->setObjectName(QStringLiteral("MemoAyuda"));
    MemoAyuda->setReadOnly(true);
    MemoAyuda->setHtml(QStringLiteral(
        "<p><b>1º Paso:</b> elija el fichero con las líneas del albarán. La fila 1 lleva los títulos de "
        "las columnas; cada fila siguiente es una línea, hasta la primera fila con la primera celda vacía. "
        "Se leen las columnas hasta el primer título vacío.</p>"
        "<p><b>Columnas obligatorias:</b></p><ul>"
        "<li>CODIGO, CODIGOEAN o REFERENCIA_PROVEEDOR (según cómo se busque el artículo)</li>"
        "<li>NOMBRE</li><li>CANTIDAD1</li><li>CANTIDAD2</li>"
        "<li>PRECIO (en EUROS y SIN IVA incluido)</li></ul>"
        "<p><b>Columnas opcionales:</b> DESCUENTO, NUMEROSERIE, LOTE, FECHACADUCIDAD.</p>"
        "<p>Cualquier otra columna se ignora.</p>"
        "<p><b>2º Paso:</b> elija cómo buscar el artículo de cada línea y pulse «2º Paso : Cargar XLS». "
        "Después revise las líneas, corríjalas si hace falta, verifíquelas e impórtelas.</p>"));

    auto* fichero = new QHBoxLayout;
    auto* etiqueta = new QLabel(QStringLiteral("1º Paso : Fichero Excel"));
    JvOpenDialogLAV = new TJvFilenameEdit;
    JvOpenDialogLAV->setObjectName(QStringLiteral("JvOpenDialogLAV"));
    etiqueta->setBuddy(JvOpenDialogLAV->edit());
    fichero->addWidget(etiqueta);
    fichero->addWidget(JvOpenDialogLAV, 1);

    auto* grupo = new QGroupBox(QStringLiteral("    Buscar Artículo Por    "));
    grupo->setObjectName(QStringLiteral("kvDBRadioGroupBuscarArticuloPor"));
    kvDBRadioGroupBuscarArticuloPor = grupo;
    grupoBusqueda_ = new QButtonGroup(this);
    auto* rejilla = new QGridLayout(grupo);
    for (int i = 0; i < 4; ++i) {
        auto* rb = new QRadioButton(QString::fromUtf8(kModos[i]));
        rb->setObjectName(QStringLiteral("rbBuscarArticuloPor%1").arg(i));
        grupoBusqueda_->addButton(rb, i);
        rejilla->addWidget(rb, i / 2, i % 2); // two columns
    }
    connect(grupoBusqueda_, &QButtonGroup::idClicked, this,
            [this](int id) { lineas_.BuscarArticuloPor = id; });

    ButtonCargarXLSLAV = boton(QStringLiteral("2º Paso : Cargar XLS"), "ButtonCargarXLSLAV");
    SpeedButtonCancelarSalir = boton(QStringLiteral("Cancelar y Salir"), "SpeedButtonCancelarSalir");
    ButtonCargarXLSLAV->setDefault(true);
    connect(ButtonCargarXLSLAV, &QPushButton::clicked, this,
            &TFormMensajeTraspasoLAVC::ButtonCargarXLSLAVClick);
    connect(SpeedButtonCancelarSalir, &QPushButton::clicked, this,
            &TFormMensajeTraspasoLAVC::SpeedButtonCancelarSalirClick);
    auto* botones = new QHBoxLayout;
    botones->addWidget(ButtonCargarXLSLAV);
    botones->addStretch(1);
    botones->addWidget(SpeedButtonCancelarSalir);

    capa->addWidget(MemoAyuda, 1);
    capa->addLayout(fichero);
    capa->addWidget(grupo);
    capa->addLayout(botones);
    PageControl->addWidget(pagina);
}

void TFormMensajeTraspasoLAVC::crearPagina1() {
    auto* pagina = new QWidget;
    pagina->setObjectName(QStringLiteral("TabSheetVistaAcumulados"));
    auto* capa = new QVBoxLayout(pagina);

    kvDBGridLineasLAV = new TkvDBGrid;
    kvDBGridLineasLAV->setObjectName(QStringLiteral("kvDBGridLineasLAV"));
    kvDBGridLineasLAV->EnterToTab = true;
    kvDBGridLineasLAV->GuardarColumnas = false;
    kvDBGridLineasLAV->setTabla(&lineas_.kvRxMDLAV);
    kvDBGridLineasLAV->setItemDelegate(new DelegadoLineas([this](int fila) { return colorLinea(fila); },
                                                          [this](int fila) { lineas_.Linea_Editada(fila); },
                                                          kvDBGridLineasLAV));
    Columnas_Grid(0);

    auto* leyenda = new QVBoxLayout;
    const struct {
        const char* texto;
        QColor color;
    } lineas[] = {
        {"* Las líneas de color NEGRO son las que se han encontrado el artículo. (Se Importarán estas "
         "líneas) ",
         colorValida()},
        {"* Las líneas de color ROJO son las que no se han encontrado el artículo. (NO se Importarán estas "
         "líneas) ",
         colorNoValida()},
        {"* Las líneas de color VERDE son las que el precio de última compra es distinto al precio indicado. "
         "(Se Importarán estas líneas)",
         colorPrecioDistinto()}};
    for (const auto& l : lineas) {
        auto* e = new QLabel(QString::fromUtf8(l.texto));
        e->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(l.color.name()));
        leyenda->addWidget(e);
    }

    kvBotonAtras = boton(QStringLiteral("Atrás"), "kvBotonAtras");
    kvBotonVerificar = boton(QStringLiteral("Verificar"), "kvBotonVerificar");
    kvBotonVerificar->setToolTip(QStringLiteral("Validar las líneas Modificadas manualmente "));
    kvBoton3 = boton(QString(), "kvBoton3");
    kvBoton3->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    kvBoton3->setToolTip(QStringLiteral("Ayuda"));
    kvBotonImportarTodo =
        boton(QStringLiteral("Importar Todo"), "kvBotonImportarTodo", QStringLiteral("#2e7d32"));
    kvBotonImportarIncidencias = boton(QStringLiteral("Importar Líneas Validas"),
                                       "kvBotonImportarIncidencias", QStringLiteral("#ef6c00"));
    connect(kvBotonAtras, &QPushButton::clicked, this, &TFormMensajeTraspasoLAVC::kvBotonAtrasClick);
    connect(kvBotonVerificar, &QPushButton::clicked, this, &TFormMensajeTraspasoLAVC::kvBotonVerificarClick);
    connect(kvBoton3, &QPushButton::clicked, this, &TFormMensajeTraspasoLAVC::kvBoton3Click);
    connect(kvBotonImportarTodo, &QPushButton::clicked, this,
            &TFormMensajeTraspasoLAVC::kvBotonImportarTodoClick);
    connect(kvBotonImportarIncidencias, &QPushButton::clicked, this,
            &TFormMensajeTraspasoLAVC::kvBotonImportarIncidenciasClick);
    auto* botones = new QHBoxLayout;
    botones->addWidget(kvBotonAtras);
    botones->addWidget(kvBotonVerificar);
    botones->addWidget(kvBoton3);
    botones->addStretch(1);
    botones->addWidget(kvBotonImportarTodo);
    botones->addWidget(kvBotonImportarIncidencias);

    capa->addWidget(kvDBGridLineasLAV, 1);
    capa->addLayout(leyenda);
    capa->addLayout(botones);
    PageControl->addWidget(pagina);
}

void TFormMensajeTraspasoLAVC::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!mostrada_) {
        mostrada_ = true;
        FormShow();
    }
}

void TFormMensajeTraspasoLAVC::FormShow() {
    const bool venta = datos_.Opcion == QLatin1String("LAV");
    setWindowTitle(venta ? QStringLiteral("Traspaso Lineas Albarán de Venta")
                         : QStringLiteral("Traspaso Lineas Albarán de Compra"));
    LabelBanner->setText(venta ? QStringLiteral("Traspaso Líneas Albarán de Venta")
                               : QStringLiteral("Traspaso Lineas Albarán de Compra"));
    PageControl->setCurrentIndex(0);
    // The supplier-article reference is offered for purchases only.
    grupoBusqueda_->button(3)->setVisible(!venta);
    grupoBusqueda_->button(0)->setChecked(true);
    lineas_.BuscarArticuloPor = 0;
}

void TFormMensajeTraspasoLAVC::Columnas_Grid(int buscarPor) {
    const struct {
        const char* campo;
        int ancho;
        const char* titulo;
    } resto[] = {{"NOMBRE", 30, " Descripción"}, {"CANTIDAD1", 10, " Cant. 1"},
                 {"CANTIDAD2", 10, " Cant. 2"},  {"PRECIO", 10, " Precio"},
                 {"DESCUENTO", 10, " Desc."},    {"NUMEROSERIE", 17, " Nº Serie"},
                 {"LOTE", 20, " Lote"},          {"FECHACADUCIDAD", 15, " Fecha Cad."}};
    QList<ModeloRxMemoryData::Columna> columnas;
    QList<int> anchos;
    if (buscarPor == 0)
        columnas.append({QStringLiteral("CODIGO"), QStringLiteral(" Código"), false});
    else if (buscarPor == 1)
        columnas.append({QStringLiteral("CODIGOEAN"), QStringLiteral(" Código EAN"), false});
    else
        columnas.append({QStringLiteral("REFERENCIA_PROVEEDOR"), QStringLiteral(" Ref. Proveedor"), false});
    anchos << 18;
    for (const auto& c : resto) {
        columnas.append({QString::fromLatin1(c.campo), QString::fromUtf8(c.titulo), false});
        anchos << c.ancho;
    }
    kvDBGridLineasLAV->setColumnas(columnas);
    const int caracter = kvDBGridLineasLAV->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int i = 0; i < anchos.size(); ++i)
        kvDBGridLineasLAV->setColumnWidth(i, anchos[i] * caracter + 8);
}

QColor TFormMensajeTraspasoLAVC::colorLinea(int fila) const {
    switch (lineas_.Estado_Linea(fila)) {
    case ImportacionLineas::EstadoLinea::NoValida:
        return colorNoValida();
    case ImportacionLineas::EstadoLinea::PrecioDistinto:
        return colorPrecioDistinto();
    case ImportacionLineas::EstadoLinea::Valida:
        break;
    }
    return colorValida();
}

void TFormMensajeTraspasoLAVC::Estado(const QString& texto) {
    StatusBar->showMessage(texto.trimmed());
    StatusBar->repaint();
}

void TFormMensajeTraspasoLAVC::mostrarError(const std::exception& e) {
    canal_.message(qd::MessageKind::Error, TDatos::Texto_Error(e));
}

void TFormMensajeTraspasoLAVC::ButtonCargarXLSLAVClick() {
    QString error;
    const QString fichero = JvOpenDialogLAV->ficheroParaCargar(&error);
    if (fichero.isEmpty()) {
        canal_.message(qd::MessageKind::Warning,
                       error.isEmpty() ? QStringLiteral("Debes de seleccionar el fichero Excell") : error);
        return;
    }
    qd::OpcionesLineas o;
    o.Opcion = datos_.Opcion;
    o.Albaran = datos_.Albaran_LAVC;
    o.Almacen = datos_.Almacen_LAVC;
    o.BuscarPor = lineas_.BuscarArticuloPor;
    Columnas_Grid(o.BuscarPor);
    PageControl->setCurrentIndex(1);
    Canal canal(*this, false);
    try {
        lineas_.cargarLineas(fichero, o);
        kvDBGridLineasLAV->modelo()->sincronizar();
    } catch (const std::exception& e) {
        mostrarError(e);
        PageControl->setCurrentIndex(0);
    }
}

void TFormMensajeTraspasoLAVC::kvBotonAtrasClick() {
    PageControl->setCurrentIndex(0);
}

void TFormMensajeTraspasoLAVC::kvBotonVerificarClick() {
    Canal canal(*this, false);
    try {
        lineas_.Verificar_Lineas();
    } catch (const std::exception& e) {
        mostrarError(e);
    }
    kvDBGridLineasLAV->viewport()->update();
}

void TFormMensajeTraspasoLAVC::kvBotonImportarTodoClick() {
    if (!lineas_.Lineas_Listas()) {
        canal_.message(qd::MessageKind::Warning, ImportacionLineas::textoLineasNoListas());
        return;
    }
    Importar(false);
}

void TFormMensajeTraspasoLAVC::kvBotonImportarIncidenciasClick() {
    Importar(true);
}

void TFormMensajeTraspasoLAVC::Importar(bool soloValidas) {
    qd::OpcionesLineas o;
    o.Opcion = datos_.Opcion;
    o.Albaran = datos_.Albaran_LAVC;
    o.Almacen = datos_.Almacen_LAVC;
    o.BuscarPor = lineas_.BuscarArticuloPor;
    o.SoloValidas = soloValidas;
    o.CarpetaIncidencias = carpetaIncidencias;
    qd::ResumenLineas r;
    QString resumen;
    setEnabled(false);
    {
        Canal canal(*this, true);
        try {
            r = lineas_.confirmarLineas(o);
            resumen = canal.resumen;
        } catch (const std::exception& e) {
            // The window stays open; the lines written are marked and are not written again.
            setEnabled(true);
            mostrarError(e);
            if (mostrarIncidencias) mostrarIncidencias();
            kvDBGridLineasLAV->viewport()->update();
            return;
        }
    }
    setEnabled(true);
    if (!r.FicheroIncidencias.isEmpty() && abrirFichero) abrirFichero(r.FicheroIncidencias);
    if (mostrarIncidencias) mostrarIncidencias();
    activateWindow();
    raise();
    {
        TFormFinProceso fin(this);
        fin.setDetalle(resumen.section(QStringLiteral("\r\n\r\n"), 1));
        fin.exec();
    }
    datos_.Msg_QuendaSQL();
    accept(); // the module ends with this window
}

void TFormMensajeTraspasoLAVC::kvBoton3Click() {
    TFormAyudaRapida ayuda(this);
    ayuda.setWindowTitle(QStringLiteral("  Ayuda Importación Líneas Albarán"));
    ayuda.setTitulo(QStringLiteral("Ayuda Importación Líneas Albarán"));
    ayuda.resize(540, ayuda.height());
    const struct {
        const char* texto;
        bool encabezado;
    } lineas[] = {
        {"", false},
        {"Verificar:", true},
        {"", false},
        {"     Sirve para verificar las líneas modificadas en la propia tabla.", false},
        {"", false},
        {"Importar Todo:", true},
        {"", false},
        {"     Se pasarán todas las líneas, pero para Iniciar el proceso de Importación nos obligará ",
         false},
        {"     a que se han todas validas, es decir, que estén de color NEGRO o VERDE.", false},
        {"     Además si modificamos alguna línea también nos obligara a verificarlas antes de Iniciar el "
         "proceso de Importación.",
         false},
        {"", false},
        {"Importar Líneas Validas:", true},
        {"", false},
        {"     Nos permite iniciar el proceso de Importación aunque tengamos líneas no VALIDAS (ROJAS)",
         false},
        {"     pero SOLOS se pasarán las líneas de color NEGRO o VERDE.", false},
        {"", false},
    };
    for (const auto& l : lineas)
        ayuda.appendLine(QString::fromUtf8(l.texto), l.encabezado);
    ayuda.exec();
}

void TFormMensajeTraspasoLAVC::SpeedButtonCancelarSalirClick() {
    reject(); // nothing is written; the module ends with this window
}
