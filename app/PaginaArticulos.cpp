#include "PaginaArticulos.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDebug>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "CambioVistaPrevia.h"
#include "ConstruirSentencias.h"
#include "ExcelIni.h"
#include "FbError.h"
#include "ModuleFiles.h"
#include "TFormAyuda.h"
#include "TJvFilenameEdit.h"
#include "TextosAyuda.h"
#include "TkvDBEditLookup.h"
#include "TkvDBGrid.h"
#include "TsuiCheckListBox.h"
#include "VistaPreviaLibro.h"
#include "WorkbookError.h"

namespace {

// Marks the page busy for the length of a handler, and frees it again however the handler ends.
class Ocupacion {
public:
    explicit Ocupacion(bool& flag) : flag_(flag) { flag_ = true; }
    ~Ocupacion() { flag_ = false; }
    Ocupacion(const Ocupacion&) = delete;
    Ocupacion& operator=(const Ocupacion&) = delete;

private:
    bool& flag_;
};

QPushButton* botonModo(const QString& nombre, const QString& titulo) {
    auto* b = new QPushButton(titulo);
    b->setObjectName(nombre);
    b->setCheckable(true);
    return b;
}

QGroupBox* panel(const QString& nombre, const QString& titulo) {
    auto* g = new QGroupBox(titulo);
    g->setObjectName(nombre);
    g->setVisible(false);
    return g;
}

QCheckBox* casillaOculta(QWidget* padre, const QString& nombre, const QString& titulo) {
    auto* c = new QCheckBox(titulo, padre);
    c->setObjectName(nombre);
    c->setVisible(false);
    return c;
}

// The grid's columns and titles, in order; AFECTASTOCK, USOCOMPRA and USOVENTA as check boxes.
QList<ModeloRxMemoryData::Columna> columnasGrid() {
    return {
        {QStringLiteral("CODIGO"), QStringLiteral("Código"), false},
        {QStringLiteral("NOMBRE"), QStringLiteral("Descripción"), false},
        {QStringLiteral("CODIGOEAN"), QStringLiteral("Código EAN"), false},
        {QStringLiteral("PARTNUMBER"), QStringLiteral("Part-Number "), false},
        {QStringLiteral("PRECIOMEDIOCOSTE"), QStringLiteral("P.M.C."), false},
        {QStringLiteral("PRECIOMEDIOCOSTEESTANDARD"), QStringLiteral("P.M.C Standar"), false},
        {QStringLiteral("PRECIOULTIMACOMPRA"), QStringLiteral("P.U.C."), false},
        {QStringLiteral("REFERENCIAPROVEEDOR"), QStringLiteral("Ref. Proveedor"), false},
        {QStringLiteral("IVA"), QStringLiteral("ID IVA"), false},
        {QStringLiteral("PVP"), QStringLiteral("P.V.P."), false},
        {QStringLiteral("PVPCONIVA"), QStringLiteral("P.V.P. (+IVA)"), false},
        {QStringLiteral("PROVEEDORHABITUAL"), QStringLiteral("Cód. Proveedor"), false},
        {QStringLiteral("MARCA"), QStringLiteral("Cód. Marca"), false},
        {QStringLiteral("GAMA"), QStringLiteral("Cód. Gama"), false},
        {QStringLiteral("FAMILIA"), QStringLiteral("Cód. Familia"), false},
        {QStringLiteral("FABRICANTE"), QStringLiteral("Cód. Fabricante"), false},
        {QStringLiteral("GRUPOEMPRESAS"), QStringLiteral("Cód. Grupo Empresas"), false},
        {QStringLiteral("AFECTASTOCK"), QStringLiteral("Afecta al Stock"), true},
        {QStringLiteral("USOCOMPRA"), QStringLiteral("Usar en Compras"), true},
        {QStringLiteral("USOVENTA"), QStringLiteral("Usar en Ventas"), true},
        {QStringLiteral("OBSERVACIONES"), QStringLiteral("Observaciones"), false},
        {QStringLiteral("PALET_EURO_CAJAS"), QStringLiteral("Nº Palet Euro"), false},
        {QStringLiteral("INTER1"), QStringLiteral("Interv. 1"), false},
        {QStringLiteral("INTER1IVA"), QStringLiteral("Interv. 1 + IVA"), false},
        {QStringLiteral("INTER2"), QStringLiteral("Interv. 2"), false},
        {QStringLiteral("INTER2IVA"), QStringLiteral("Interv. 2 + IVA"), false},
        {QStringLiteral("INTER3"), QStringLiteral("Interv. 3"), false},
        {QStringLiteral("INTER3IVA"), QStringLiteral("Interv. 3 + IVA"), false},
        {QStringLiteral("TOPE_INTERVALO1"), QStringLiteral("Tope Int. 1"), false},
        {QStringLiteral("TOPE_INTERVALO2"), QStringLiteral("Tope Int. 2"), false},
    };
}

const QString kTextoCancelar = QStringLiteral("Pulse   Ctrl+Alt+C   para cancelar el proceso en curso   ");

} // namespace

PaginaArticulos::PaginaArticulos(TDatos& datos, QString& nombreFichero, QWidget* parent)
    : QWidget(parent), datos_(datos), nombreFichero_(nombreFichero), listaCampos_(qd::articleFieldList()) {
    setObjectName(QStringLiteral("PaginaArticulos"));
    // The page does not hold the main window to its own minimum size (the window is shrunk to a
    // few pixels while a delivery-note transfer runs).
    setMinimumSize(1, 1);
    construir();
    modoProceso(false);
}

PaginaArticulos::~PaginaArticulos() {
    // The check-list box is a child widget and goes after this body; unbind it from the list
    // that is about to go.
    if (suiCheckListBoxCampos) suiCheckListBoxCampos->setFieldList(nullptr);
}

QString PaginaArticulos::textoAyuda() {
    return QStringLiteral(
        "Pasos a seguir:\r\n\r\n1) Seleccione el fichero Excel a importar\r\n\r\n2) Seleccione la Tarifa de "
        "Venta\r\n\r\n3) Marque los campos a tener en cuenta durante el proceso.\r\n\r\n4) Decida si desea "
        "incorporar todos los artículos o sólo los nuevos, y si desea o no, actualizar el stock.\r\n\r\n5) "
        "Pulse "
        "el Botón \"Cargar XLS\"");
}

// ---------------------------------------------------------------------------------------------
// Building the page.

void PaginaArticulos::construir() {
    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(0, 0, 0, 0);

    SplitterArticulos = new QSplitter(Qt::Vertical, this);
    SplitterArticulos->setObjectName(QStringLiteral("SplitterArticulos"));
    SplitterArticulos->setChildrenCollapsible(true);

    PageControlArticulos = new QTabWidget;
    PageControlArticulos->setObjectName(QStringLiteral("PageControlArticulos"));
    TabSheetConfiguracion = construirConfiguracion();
    PageControlArticulos->addTab(TabSheetConfiguracion, QStringLiteral("Configuración"));

    TabSheetPrevisualizar = new QWidget;
    TabSheetPrevisualizar->setObjectName(QStringLiteral("TabSheetPrevisualizarArticulos"));
    auto* capaVista = new QVBoxLayout(TabSheetPrevisualizar);
    capaVista->setContentsMargins(0, 0, 0, 0);
    vistaPrevia_ = new VistaPreviaLibro;
    vistaPrevia_->setObjectName(QStringLiteral("OleContainerArticulos"));
    vistaPrevia_->setToolTip(VistaPreviaLibro::hintText());
    capaVista->addWidget(vistaPrevia_);
    PageControlArticulos->addTab(TabSheetPrevisualizar, QStringLiteral("Previsualizar Excel"));
    connect(PageControlArticulos, &QTabWidget::currentChanged, this, &PaginaArticulos::cambioPaginaInterna);

    SplitterArticulos->addWidget(PageControlArticulos);
    construirGrid();
    SplitterArticulos->addWidget(kvDBGridArticulos);
    SplitterArticulos->setStretchFactor(0, 1);
    SplitterArticulos->setStretchFactor(1, 3);
    principal->addWidget(SplitterArticulos, 1);

    // Button panel: the cancel hint, help, "Atrás" and "Confirmar".
    PanelBotonesArticulos = new QWidget;
    PanelBotonesArticulos->setObjectName(QStringLiteral("PanelBotonesArticulos"));
    auto* capaBotones = new QHBoxLayout(PanelBotonesArticulos);
    capaBotones->setContentsMargins(4, 2, 4, 2);
    kvBotonAyudaArticulos = new QPushButton(QStringLiteral("?"));
    kvBotonAyudaArticulos->setObjectName(QStringLiteral("kvBotonAyudaArticulos"));
    kvBotonAyudaArticulos->setToolTip(QStringLiteral("Ayuda"));
    kvBotonAyudaAmpliada = new QPushButton(QStringLiteral("Ayuda Ampliada"));
    kvBotonAyudaAmpliada->setObjectName(QStringLiteral("kvBotonAyudaAmpliada"));
    LabelPanelBotones = new QLabel;
    LabelPanelBotones->setObjectName(QStringLiteral("LabelPanelBotonesArticulos"));
    kvBotonAtras = new QPushButton(QStringLiteral("Atrás"));
    kvBotonAtras->setObjectName(QStringLiteral("kvBotonAtras"));
    kvBotonConfirmar = new QPushButton(QStringLiteral("Confirmar"));
    kvBotonConfirmar->setObjectName(QStringLiteral("kvBotonConfirmar"));
    capaBotones->addWidget(kvBotonAyudaArticulos);
    capaBotones->addWidget(kvBotonAyudaAmpliada);
    capaBotones->addWidget(LabelPanelBotones, 1);
    capaBotones->addWidget(kvBotonAtras);
    capaBotones->addWidget(kvBotonConfirmar);
    principal->addWidget(PanelBotonesArticulos);

    suiStatusBar1 = new QStatusBar;
    suiStatusBar1->setObjectName(QStringLiteral("suiStatusBar1"));
    suiStatusBar1->setSizeGripEnabled(false);
    PanelTexto = new QLabel;
    PanelTexto->setObjectName(QStringLiteral("PanelTexto"));
    PanelFichero = new QLabel;
    PanelFichero->setObjectName(QStringLiteral("PanelFichero"));
    suiStatusBar1->addWidget(PanelTexto, 1);
    suiStatusBar1->addPermanentWidget(PanelFichero);
    principal->addWidget(suiStatusBar1);

    connect(kvBotonAyudaArticulos, &QPushButton::clicked, this, &PaginaArticulos::kvBotonAyudaArticulosClick);
    connect(kvBotonAyudaAmpliada, &QPushButton::clicked, this, &PaginaArticulos::kvBotonAyudaAmpliadaClick);
    connect(kvBotonAtras, &QPushButton::clicked, this, &PaginaArticulos::kvBotonAtrasClick);
    connect(kvBotonConfirmar, &QPushButton::clicked, this, &PaginaArticulos::kvBotonConfirmarClick);
    alCambiarFichero();
}

QWidget* PaginaArticulos::construirConfiguracion() {
    auto* pagina = new QWidget;
    pagina->setObjectName(QStringLiteral("TabSheetConfiguracionArticulos"));
    auto* capa = new QVBoxLayout(pagina);

    // Workbook selector: typing a path does not choose it; only the dialog does.
    JvFilenameEditHojaExcel = new TJvFilenameEdit;
    JvFilenameEditHojaExcel->setObjectName(QStringLiteral("JvFilenameEditHojaExcel"));
    connect(JvFilenameEditHojaExcel, &TJvFilenameEdit::ficheroElegido, this, [this](const QString& path) {
        nombreFichero_ = path;
        alCambiarFichero();
    });
    auto* filaFichero = new QHBoxLayout;
    auto* etiquetaFichero = new QLabel(QStringLiteral("1º Paso :   Fichero Excel"));
    etiquetaFichero->setObjectName(QStringLiteral("LabelFicheroExcel"));
    etiquetaFichero->setBuddy(JvFilenameEditHojaExcel->edit());
    filaFichero->addWidget(etiquetaFichero);
    filaFichero->addWidget(JvFilenameEditHojaExcel, 1);
    capa->addLayout(filaFichero);

    auto* cuerpo = new QHBoxLayout;
    capa->addLayout(cuerpo, 1);

    // Field list.
    auto* grupoCampos = new QGroupBox(QStringLiteral("Campos"));
    grupoCampos->setObjectName(QStringLiteral("GroupBoxCampos"));
    auto* capaCampos = new QVBoxLayout(grupoCampos);
    suiCheckListBoxCampos = new TsuiCheckListBox;
    suiCheckListBoxCampos->setObjectName(QStringLiteral("suiCheckListBoxCampos"));
    suiCheckListBoxCampos->setFieldList(&listaCampos_);
    capaCampos->addWidget(suiCheckListBoxCampos);
    cuerpo->addWidget(grupoCampos);

    // Modes and their panels.
    auto* derecha = new QVBoxLayout;
    cuerpo->addLayout(derecha, 1);
    auto* filaModos = new QHBoxLayout;
    kvBotonAlta = botonModo(QStringLiteral("kvBotonAlta"), QStringLiteral("Dar de Alta"));
    kvBotonCostes = botonModo(QStringLiteral("kvBotonCostes"), QStringLiteral("Actualizar Campos"));
    kvBotonPVP = botonModo(QStringLiteral("kvBotonPVP"), QStringLiteral("Actualizar PVP"));
    kvBotonStock = botonModo(QStringLiteral("kvBotonStock"), QStringLiteral("Actualizar Stock"));
    for (QPushButton* b : {kvBotonAlta, kvBotonCostes, kvBotonPVP, kvBotonStock}) {
        filaModos->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, b] { kvBotonModoClick(b); });
    }
    derecha->addLayout(filaModos);

    PanelAlta = panel(QStringLiteral("PanelAlta"), QStringLiteral("Alta de Artículos"));
    auto* capaAlta = new QVBoxLayout(PanelAlta);
    capaAlta->addWidget(new QLabel(QStringLiteral("Se darán de alta los artículos que no existan.")));

    PanelActualizacion =
        panel(QStringLiteral("PanelActualizacion"), QStringLiteral("Actualización de Campos"));
    auto* capaAct = new QVBoxLayout(PanelActualizacion);
    rbPorCodigo = new QRadioButton(QStringLiteral("Por código de Artículos"));
    rbPorCodigo->setObjectName(QStringLiteral("rbPorCodigo"));
    rbPorReferencia = new QRadioButton(QStringLiteral("Por Referencia de Proveedor"));
    rbPorReferencia->setObjectName(QStringLiteral("rbPorReferencia"));
    rbPorCodigo->setChecked(true);
    capaAct->addWidget(rbPorCodigo);
    capaAct->addWidget(rbPorReferencia);
    connect(rbPorCodigo, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rbPorCodigoClick();
    });
    connect(rbPorReferencia, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rbPorReferenciaClick();
    });

    PanelPVP = panel(QStringLiteral("PanelPVP"), QStringLiteral("Actualización de PVP"));
    auto* capaPvp = new QGridLayout(PanelPVP);
    auto* etiquetaTarifa = new QLabel(QStringLiteral("Tarifa"));
    etiquetaTarifa->setObjectName(QStringLiteral("LabelTarifa"));
    kvDBEditLookupTarifas = new TkvDBEditLookup;
    kvDBEditLookupTarifas->setObjectName(QStringLiteral("kvDBEditLookupTarifas"));
    LabelNombreTarifa = new QLabel;
    LabelNombreTarifa->setObjectName(QStringLiteral("LabelNombreTarifa"));
    suiCBActualizarIntervalos = new QCheckBox(QStringLiteral("Intervalos de Tarifas"));
    suiCBActualizarIntervalos->setObjectName(QStringLiteral("suiCBActualizarIntervalos"));
    ENumIntervalos = new QLineEdit(QStringLiteral("3"));
    ENumIntervalos->setObjectName(QStringLiteral("ENumIntervalos"));
    ENumIntervalos->setEnabled(false);
    ENumIntervalos->setMaximumWidth(60);
    chkTopesIntervalos = new QCheckBox(QStringLiteral("Actualizar topes Intervalos"));
    chkTopesIntervalos->setObjectName(QStringLiteral("chkTopesIntervalos"));
    capaPvp->addWidget(etiquetaTarifa, 0, 0);
    capaPvp->addWidget(kvDBEditLookupTarifas, 0, 1);
    capaPvp->addWidget(LabelNombreTarifa, 0, 2);
    capaPvp->addWidget(suiCBActualizarIntervalos, 1, 0, 1, 2);
    capaPvp->addWidget(ENumIntervalos, 1, 2, Qt::AlignLeft);
    capaPvp->addWidget(chkTopesIntervalos, 2, 0, 1, 3);
    connect(suiCBActualizarIntervalos, &QCheckBox::toggled, ENumIntervalos, &QLineEdit::setEnabled);

    PanelStock = panel(QStringLiteral("PanelStock"), QStringLiteral("Actualización de Stock"));
    auto* capaStock = new QGridLayout(PanelStock);
    auto* etiquetaAlmacen = new QLabel(QStringLiteral("Almacén"));
    etiquetaAlmacen->setObjectName(QStringLiteral("LabelAlmacen"));
    kvDBEditLookupAlmacen = new TkvDBEditLookup;
    kvDBEditLookupAlmacen->setObjectName(QStringLiteral("kvDBEditLookupAlmacen"));
    LabelNombreAlmacen = new QLabel;
    LabelNombreAlmacen->setObjectName(QStringLiteral("LabelNombreAlmacen"));
    kvrdgrpStock = new QGroupBox;
    kvrdgrpStock->setObjectName(QStringLiteral("kvrdgrpStock"));
    auto* capaRadios = new QVBoxLayout(kvrdgrpStock);
    rbStockActual = new QRadioButton(QStringLiteral("Stock = Stock Actual"));
    rbStockActual->setObjectName(QStringLiteral("rbStockActual"));
    rbStockInicial = new QRadioButton(QStringLiteral("Stock = Stock Inicial"));
    rbStockInicial->setObjectName(QStringLiteral("rbStockInicial"));
    rbStockActual->setChecked(true);
    capaRadios->addWidget(rbStockActual);
    capaRadios->addWidget(rbStockInicial);
    chkActualizarPMCInicial = new QCheckBox(QStringLiteral("P.M.C Inicial = P.M.Coste"));
    chkActualizarPMCInicial->setObjectName(QStringLiteral("chkActualizarPMCInicial"));
    capaStock->addWidget(etiquetaAlmacen, 0, 0);
    capaStock->addWidget(kvDBEditLookupAlmacen, 0, 1);
    capaStock->addWidget(LabelNombreAlmacen, 0, 2);
    capaStock->addWidget(kvrdgrpStock, 1, 0, 1, 3);
    capaStock->addWidget(chkActualizarPMCInicial, 2, 0, 1, 3);

    for (QGroupBox* g : {PanelAlta, PanelActualizacion, PanelPVP, PanelStock})
        derecha->addWidget(g);
    derecha->addStretch(1);

    // Options the writer reads, derived from the mode buttons; never shown.
    suiCBSoloNuevosArticulos = casillaOculta(pagina, QStringLiteral("suiCBSoloNuevosArticulos"),
                                             QStringLiteral("Incorporar sólo los nuevos artículos"));
    suiCbSoloActualizar = casillaOculta(pagina, QStringLiteral("suiCbSoloActualizar"),
                                        QStringLiteral("Solo actualizar artículos"));
    suiCBActualizarPVP =
        casillaOculta(pagina, QStringLiteral("suiCBActualizarPVP"), QStringLiteral("Actualizar PVP"));
    suiCBActualizarStock =
        casillaOculta(pagina, QStringLiteral("suiCBActualizarStock"), QStringLiteral("Actualizar Stock"));
    suiCBSoloPvpStock = casillaOculta(pagina, QStringLiteral("suiCBSoloPvpStock"),
                                      QStringLiteral("Sólo Actualizar PVP o Stock"));

    // Lookups: price list and warehouse of the launch company group.
    const auto opcionesLookup = TkvDBEditLookup::TOpciones(TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas);
    kvDBEditLookupTarifas->setDataBase(&datos_.IBDatabase, &datos_.IBTransaction1);
    kvDBEditLookupTarifas->setSQL(
        {QStringLiteral("SELECT CODIGO, NOMBRE, IDTARIFAS"), QStringLiteral("FROM TARIFAS")});
    kvDBEditLookupTarifas->setOpcionesBusqueda(opcionesLookup);
    kvDBEditLookupTarifas->FormatoCampos = {QStringLiteral("CODIGO@4@Código"),
                                            QStringLiteral("NOMBRE@30@Nombre")};
    kvDBEditLookupTarifas->Caption_Ventana = QStringLiteral("Tarifas de Venta");
    kvDBEditLookupTarifas->Etiqueta = true;
    kvDBEditLookupTarifas->setEtiqueta1(etiquetaTarifa);
    kvDBEditLookupTarifas->OnConfirmarCambios = [this](TkvDBEditLookup& l) {
        idTarifa_ = l.DataSetResultado().value(QStringLiteral("IDTARIFAS")).toInt();
        LabelNombreTarifa->setText(l.DataSetResultado().value(QStringLiteral("NOMBRE")).toString());
    };
    kvDBEditLookupAlmacen->setDataBase(&datos_.IBDatabase, &datos_.IBTransaction1);
    kvDBEditLookupAlmacen->setSQL(
        {QStringLiteral("SELECT CODIGO, NOMBRE, IDALMACENES"), QStringLiteral("FROM ALMACENES")});
    kvDBEditLookupAlmacen->setOpcionesBusqueda(opcionesLookup);
    kvDBEditLookupAlmacen->FormatoCampos = {QStringLiteral("CODIGO@4@Código"),
                                            QStringLiteral("NOMBRE@30@Nombre")};
    kvDBEditLookupAlmacen->Caption_Ventana = QStringLiteral("Almacenes");
    kvDBEditLookupAlmacen->Etiqueta = true;
    kvDBEditLookupAlmacen->setEtiqueta1(etiquetaAlmacen);
    kvDBEditLookupAlmacen->OnConfirmarCambios = [this](TkvDBEditLookup& l) {
        idAlmacen_ = l.DataSetResultado().value(QStringLiteral("IDALMACENES")).toInt();
        LabelNombreAlmacen->setText(l.DataSetResultado().value(QStringLiteral("NOMBRE")).toString());
    };

    // The load button, enabled while a mode is on.
    auto* filaCarga = new QHBoxLayout;
    filaCarga->addStretch(1);
    ButtonCargarXLSArticulos = new QPushButton(QStringLiteral("5º Paso :   Previsualizar Excel    >>"));
    ButtonCargarXLSArticulos->setObjectName(QStringLiteral("ButtonCargarXLSArticulos"));
    ButtonCargarXLSArticulos->setEnabled(false);
    filaCarga->addWidget(ButtonCargarXLSArticulos);
    capa->addLayout(filaCarga);
    connect(ButtonCargarXLSArticulos, &QPushButton::clicked, this,
            &PaginaArticulos::ButtonCargarXLSArticulosClick);

    return pagina;
}

void PaginaArticulos::construirGrid() {
    kvDBGridArticulos = new TkvDBGrid;
    kvDBGridArticulos->setObjectName(QStringLiteral("kvDBGridArticulos"));
    kvDBGridArticulos->EnterToTab = true;
    kvDBGridArticulos->MoveByRow = true;
    kvDBGridArticulos->setTabla(&datos_.kvRxMDArticulos);
    kvDBGridArticulos->setColumnas(columnasGrid());
    kvDBGridArticulos->setReadOnly(true);
    kvDBGridArticulos->setVisible(false);
}

// ---------------------------------------------------------------------------------------------
// Page states.

void PaginaArticulos::modoProceso(bool busy) {
    PageControlArticulos->setEnabled(!busy);
    JvFilenameEditHojaExcel->setEnabled(!busy);
    if (!busy) kvDBGridArticulos->setReadOnly(true);
    kvDBGridArticulos->setVisible(busy);
    PanelFichero->setVisible(!busy); // busy: the status bar is one text panel
    kvBotonAtras->setVisible(busy);
    kvBotonConfirmar->setVisible(busy);
    LabelPanelBotones->setText(busy ? kTextoCancelar : QString());
}

void PaginaArticulos::Estado(const QString& texto) {
    PanelTexto->setText(texto);
    PanelTexto->repaint();
}

QString PaginaArticulos::textoEstado() const {
    return PanelTexto->text();
}

void PaginaArticulos::plegarOpciones(bool plegar) {
    if (plegar == plegadas_) return;
    if (plegar) {
        tamanosSplitter_ = SplitterArticulos->sizes();
        int total = 0;
        for (int t : tamanosSplitter_)
            total += t;
        SplitterArticulos->setSizes({0, qMax(total, 1)});
    } else if (!tamanosSplitter_.isEmpty()) {
        SplitterArticulos->setSizes(tamanosSplitter_);
    }
    plegadas_ = plegar;
}

void PaginaArticulos::mostrarError(const std::exception& e) {
    datos_.canal().message(qd::MessageKind::Error, TDatos::Texto_Error(e));
}

void PaginaArticulos::alCambiarFichero() {
    PanelFichero->setText(nombreFichero_.isEmpty() ? QString() : QFileInfo(nombreFichero_).fileName());
    PanelFichero->setToolTip(nombreFichero_);
}

// ---------------------------------------------------------------------------------------------
// Mode buttons, radios and the field list.

void PaginaArticulos::kvBotonModoClick(QPushButton* boton) {
    // The button has already toggled itself.
    if (boton == kvBotonAlta) {
        // Creating is not allowed while matching by supplier reference.
        if (rbPorReferencia->isChecked()) kvBotonAlta->setChecked(false);
    } else if (boton == kvBotonCostes) {
        if (!kvBotonCostes->isChecked()) rbPorCodigo->setChecked(true);
    }
    derivarOpciones();
}

void PaginaArticulos::derivarOpciones() {
    const bool a = kvBotonAlta->isChecked();
    const bool c = kvBotonCostes->isChecked();
    const bool p = kvBotonPVP->isChecked();
    const bool s = kvBotonStock->isChecked();
    suiCBActualizarPVP->setChecked(p);
    suiCBSoloPvpStock->setChecked((p || s) && !(a || c));
    suiCBSoloNuevosArticulos->setChecked(a);
    suiCbSoloActualizar->setChecked(c);
    suiCBActualizarStock->setChecked(s);
    if (a && c) {
        suiCBSoloNuevosArticulos->setChecked(false);
        suiCbSoloActualizar->setChecked(false);
    }
    PanelAlta->setVisible(a);
    PanelActualizacion->setVisible(c);
    PanelPVP->setVisible(p);
    PanelStock->setVisible(s);
    for (QPushButton* b : {kvBotonAlta, kvBotonCostes, kvBotonPVP, kvBotonStock}) {
        QFont f = b->font();
        f.setBold(b->isChecked());
        b->setFont(f);
    }
    ButtonCargarXLSArticulos->setEnabled(a || c || p || s);
    actualizarControlesLista();
}

void PaginaArticulos::rbPorCodigoClick() {
    kvBotonAlta->setEnabled(true);
    actualizarControlesLista();
}

void PaginaArticulos::rbPorReferenciaClick() {
    kvBotonAlta->setEnabled(false);
    if (kvBotonAlta->isChecked()) {
        kvBotonAlta->setChecked(false);
        derivarOpciones();
    }
    actualizarControlesLista();
}

void PaginaArticulos::actualizarControlesLista() {
    qd::ArticleControls controles;
    controles.porCodigo = rbPorCodigo->isChecked();
    controles.alta = kvBotonAlta->isChecked();
    controles.pvp = kvBotonPVP->isChecked();
    controles.stock = kvBotonStock->isChecked();
    if (!(controles == listaCampos_.articleControls())) listaCampos_.setArticleControls(controles);
}

// ---------------------------------------------------------------------------------------------
// Field ticks, statements, lookups.

void PaginaArticulos::cargarTicks() {
    qd::ExcelIni::loadArticleTicks(listaCampos_, qd::moduleFilePath(QStringLiteral("Excel.ini")));
}

void PaginaArticulos::guardarTicks() const {
    QString error;
    if (!qd::ExcelIni::saveArticleTicks(listaCampos_, qd::moduleFilePath(QStringLiteral("Excel.ini")),
                                        &error))
        qWarning().noquote() << error;
}

void PaginaArticulos::ticksIniciales() {
    listaCampos_.setInitialTicks();
    // The page's controls hold their state: the ticks that follow them are applied again.
    listaCampos_.setArticleControls(listaCampos_.articleControls());
    listaCampos_.applyRules();
}

void PaginaArticulos::precargarLookups() {
    for (TkvDBEditLookup* l : {kvDBEditLookupTarifas, kvDBEditLookupAlmacen}) {
        l->ValorGrupoEmpresas = datos_.IdGrupoEmpresas;
        l->CargarDataSetResultadoSinVentana(QString(), true, true, false);
    }
}

void PaginaArticulos::Preparar_Sentencias_Articulos() {
    const qd::SentenciasSql s = qd::prepararSentenciasArticulos(listaCampos_);
    datos_.InsertArticulos = s.insert;
    datos_.UpdateArticulos = s.update;
}

TDatos::OpcionesArticulos PaginaArticulos::opciones(bool* ok) const {
    TDatos::OpcionesArticulos o;
    o.Tarifa_Ventas = idTarifa_;
    o.Almacen = idAlmacen_;
    bool entero = false;
    o.NumeroIntervalos = ENumIntervalos->text().trimmed().toInt(&entero);
    if (!entero) o.NumeroIntervalos = 0;
    if (ok) *ok = entero;
    o.ActualizarPVPs = suiCBActualizarPVP->isChecked();
    o.SoloNuevos = suiCBSoloNuevosArticulos->isChecked();
    o.ActualizarStock = suiCBActualizarStock->isChecked();
    o.Intervalos = suiCBActualizarIntervalos->isChecked();
    o.SoloActualizar = suiCbSoloActualizar->isChecked();
    o.SoloPvpStock = suiCBSoloPvpStock->isChecked();
    o.OpcionBusqueda = rbPorCodigo->isChecked();
    o.PonerStockActual = rbStockActual->isChecked();
    o.UsarTopeIntervalo = chkTopesIntervalos->isChecked();
    o.ActualizarCosteInical = chkActualizarPMCInicial->isChecked();
    return o;
}

// ---------------------------------------------------------------------------------------------
// Workbook selector and preview.

void PaginaArticulos::JvFilenameEditHojaExcelButtonClick() {
    JvFilenameEditHojaExcel->abrirDialogo();
}

void PaginaArticulos::cambioPaginaInterna(int indice) {
    const int anterior = paginaInterna_;
    paginaInterna_ = indice;
    qd::gui::cambiarPaginaVistaPrevia(datos_, nombreFichero_, *JvFilenameEditHojaExcel, *vistaPrevia_,
                                      anterior, indice);
}

// ---------------------------------------------------------------------------------------------
// Load, confirm, back, help.

void PaginaArticulos::ButtonCargarXLSArticulosClick() {
    if (ocupado_) return;
    datos_.Abortar_Proceso = false;
    if (nombreFichero_.isEmpty()) JvFilenameEditHojaExcelButtonClick();
    if (nombreFichero_.isEmpty()) return;
    Ocupacion ocupacion(ocupado_);
    if (Modo_Proceso)
        Modo_Proceso();
    else
        modoProceso(true);
    try {
        Estado(QStringLiteral("Cargando datos del fichero Excel"));
        datos_.CargarExcel(nombreFichero_);
        Estado(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
        plegarOpciones(true);
        datos_.CargarRxArticulos(rbPorCodigo->isChecked(), chkTopesIntervalos->isChecked());
        kvDBGridArticulos->modelo()->sincronizar();
        Estado(QStringLiteral(
            "Datos incorporados a tabla temporal, pulse el botón CONFIRMAR para continuar el proceso."));
    } catch (const std::exception& e) {
        // What was staged stays in the grid; "Atrás" returns to the options.
        kvDBGridArticulos->modelo()->sincronizar();
        mostrarError(e);
    }
}

void PaginaArticulos::kvBotonConfirmarClick() {
    if (ocupado_) return;
    Ocupacion ocupacion(ocupado_);
    Estado(QStringLiteral("Construyendo sentencias SQL de Inserción y Actualización"));
    Preparar_Sentencias_Articulos();
    Estado(QStringLiteral("Importando datos de Artículos a la Base de Datos"));
    bool ok = false;
    const TDatos::OpcionesArticulos o = opciones(&ok);
    if (!ok) {
        datos_.canal().message(
            qd::MessageKind::Error,
            QStringLiteral("'%1' no es un valor entero válido").arg(ENumIntervalos->text()));
        return;
    }
    try {
        datos_.Insertar_Articulos(o); // shows its own summary
    } catch (const std::exception& e) {
        // The rows written before the failure stay written; the page stays busy until "Atrás".
        mostrarError(e);
        return;
    }
    Estado(QStringLiteral("Proceso terminado."));
    if (Modo_Configuracion)
        Modo_Configuracion();
    else
        modoProceso(false);
    ocupado_ = false;
    kvBotonAtrasClick();
}

void PaginaArticulos::kvBotonAtrasClick() {
    if (ocupado_) return;
    datos_.kvRxMDArticulos.close();
    plegarOpciones(false);
    if (Modo_Configuracion)
        Modo_Configuracion();
    else
        modoProceso(false);
    Estado(QString());
    datos_.Destruir_Excel();
}

void PaginaArticulos::kvBotonAyudaArticulosClick() {
    datos_.canal().message(qd::MessageKind::Information, textoAyuda());
}

void PaginaArticulos::kvBotonAyudaAmpliadaClick() {
    if (mostrarAyudaAmpliada) {
        mostrarAyudaAmpliada();
        return;
    }
    TFormAyuda ayuda(window());
    ayuda.setTitulo(QStringLiteral("Ayuda de Importación de Artículos"));
    ayuda.setHtml(qd::textoAyudaAmpliadaArticulos());
    ayuda.exec();
}
