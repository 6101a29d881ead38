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

#include "AyudaArticulos.h"
#include "CambioVistaPrevia.h"
#include "ConstruirSentencias.h"
#include "ExcelIni.h"
#include "FbError.h"
#include "ModuleFiles.h"
#include "TFormAyuda.h"
#include "TJvFilenameEdit.h"
#include "TkvDBEditLookup.h"
#include "TkvDBGrid.h"
#include "TkvGroupBox.h"
#include "TsuiCheckListBox.h"
#include "VistaPreviaLibro.h"
#include "WorkbookError.h"

namespace {

QPushButton* botonModo(const QString& nombre, const QString& titulo) {
    auto* b = new QPushButton(titulo);
    b->setObjectName(nombre);
    b->setCheckable(true);
    return b;
}

QGroupBox* panel(const QString& nombre, const QString& titulo) {
    auto* g = new TkvGroupBox(titulo);
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

} // namespace

namespace {

const PaginaImportacion::Definicion& definicionArticulos() {
    static const PaginaImportacion::Definicion d = [] {
        PaginaImportacion::Definicion x;
        x.paginas = "PageControlArticulos";
        x.selector = "JvFilenameEditHojaExcel";
        x.vistaPrevia = "OleContainerArticulos";
        x.listaCampos = "suiCheckListBoxCampos";
        x.crearLista = &qd::articleFieldList;
        x.bloqueaEnProceso = true;
        x.grid = "kvDBGridArticulos";
        x.splitter = "SplitterArticulos";
        x.panelBotones = "PanelBotonesArticulos";
        x.etiquetaPanel = "LabelPanelBotonesArticulos";
        x.hojaConfiguracion = "TabSheetConfiguracionArticulos";
        x.hojaVistaPrevia = "TabSheetPrevisualizarArticulos";
        x.etiquetaFichero = "1º Paso :   Fichero Excel";
        x.objetoEtiquetaFichero = "LabelFicheroExcel";
        x.grupoCampos = "GroupBoxCampos";
        x.tituloCampos = "Campos";
        return x;
    }();
    return d;
}

} // namespace

PaginaArticulos::PaginaArticulos(TDatos& datos, QString& nombreFichero, QWidget* parent)
    : PaginaImportacion(datos, nombreFichero, definicionArticulos(), parent) {
    setObjectName(QStringLiteral("PaginaArticulos"));
    grid()->setTabla(&importacion_.kvRxMDArticulos);
    grid()->setColumnas(columnasGrid());

    // Help buttons at the left of the button panel.
    kvBotonAyudaArticulos = new QPushButton(QStringLiteral("?"));
    kvBotonAyudaArticulos->setObjectName(QStringLiteral("kvBotonAyudaArticulos"));
    kvBotonAyudaArticulos->setToolTip(QStringLiteral("Ayuda"));
    kvBotonAyudaAmpliada = new QPushButton(QStringLiteral("Ayuda Ampliada"));
    kvBotonAyudaAmpliada->setObjectName(QStringLiteral("kvBotonAyudaAmpliada"));
    auto* capaBotones = static_cast<QHBoxLayout*>(panelBotones()->layout());
    capaBotones->insertWidget(0, kvBotonAyudaArticulos);
    capaBotones->insertWidget(1, kvBotonAyudaAmpliada);
    connect(kvBotonAyudaArticulos, &QPushButton::clicked, this, &PaginaArticulos::kvBotonAyudaArticulosClick);
    connect(kvBotonAyudaAmpliada, &QPushButton::clicked, this, &PaginaArticulos::kvBotonAyudaAmpliadaClick);

    construirOpciones();
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
// Building the options.

void PaginaArticulos::construirOpciones() {
    // Modes and their panels.
    auto* derecha = static_cast<QVBoxLayout*>(areaOpciones()->layout());
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
    capaPvp->setColumnStretch(2, 1); // the name takes the room left, the code keeps its width
    connect(suiCBActualizarIntervalos, &QCheckBox::toggled, ENumIntervalos, &QLineEdit::setEnabled);

    PanelStock = panel(QStringLiteral("PanelStock"), QStringLiteral("Actualización de Stock"));
    auto* capaStock = new QGridLayout(PanelStock);
    auto* etiquetaAlmacen = new QLabel(QStringLiteral("Almacén"));
    etiquetaAlmacen->setObjectName(QStringLiteral("LabelAlmacen"));
    kvDBEditLookupAlmacen = new TkvDBEditLookup;
    kvDBEditLookupAlmacen->setObjectName(QStringLiteral("kvDBEditLookupAlmacen"));
    LabelNombreAlmacen = new QLabel;
    LabelNombreAlmacen->setObjectName(QStringLiteral("LabelNombreAlmacen"));
    kvrdgrpStock = new TkvGroupBox;
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
    capaStock->setColumnStretch(2, 1);
    // A code edit as wide as a few codes; the names beside them are never cut.
    for (TkvDBEditLookup* l : {kvDBEditLookupTarifas, kvDBEditLookupAlmacen})
        l->setMaximumWidth(l->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 10 + l->WidthButton() + 12);

    for (QGroupBox* g : {PanelAlta, PanelActualizacion, PanelPVP, PanelStock})
        derecha->addWidget(g);

    // Options the writer reads, derived from the mode buttons; never shown.
    suiCBSoloNuevosArticulos = casillaOculta(areaOpciones(), QStringLiteral("suiCBSoloNuevosArticulos"),
                                             QStringLiteral("Incorporar sólo los nuevos artículos"));
    suiCbSoloActualizar = casillaOculta(areaOpciones(), QStringLiteral("suiCbSoloActualizar"),
                                        QStringLiteral("Solo actualizar artículos"));
    suiCBActualizarPVP =
        casillaOculta(areaOpciones(), QStringLiteral("suiCBActualizarPVP"), QStringLiteral("Actualizar PVP"));
    suiCBActualizarStock = casillaOculta(areaOpciones(), QStringLiteral("suiCBActualizarStock"),
                                         QStringLiteral("Actualizar Stock"));
    suiCBSoloPvpStock = casillaOculta(areaOpciones(), QStringLiteral("suiCBSoloPvpStock"),
                                      QStringLiteral("Sólo Actualizar PVP o Stock"));

    // Lookups: price list and warehouse of the launch company group.
    const auto opcionesLookup = TkvDBEditLookup::TOpciones(TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas);
    kvDBEditLookupTarifas->setDataBase(&datos().IBDatabase, &datos().IBTransaction1);
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
    kvDBEditLookupAlmacen->setDataBase(&datos().IBDatabase, &datos().IBTransaction1);
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
    // A lookup whose text is no longer a confirmed code holds no record: its name and ID go.
    connect(kvDBEditLookupTarifas, &TkvDBEditLookup::resueltoCambiado, this, [this](bool resuelto) {
        if (resuelto) return;
        idTarifa_ = 0;
        LabelNombreTarifa->clear();
    });
    connect(kvDBEditLookupAlmacen, &TkvDBEditLookup::resueltoCambiado, this, [this](bool resuelto) {
        if (resuelto) return;
        idAlmacen_ = 0;
        LabelNombreAlmacen->clear();
    });

    // The load button, enabled while a mode is on.
    auto* filaCarga = new QHBoxLayout;
    filaCarga->addStretch(1);
    ButtonCargarXLSArticulos = new QPushButton(QStringLiteral("5º Paso :   Previsualizar Excel    >>"));
    ButtonCargarXLSArticulos->setObjectName(QStringLiteral("ButtonCargarXLSArticulos"));
    ButtonCargarXLSArticulos->setEnabled(false);
    filaCarga->addWidget(ButtonCargarXLSArticulos);
    derecha->addLayout(filaCarga);
    derecha->addStretch(1);
    connect(ButtonCargarXLSArticulos, &QPushButton::clicked, this,
            &PaginaArticulos::ButtonCargarXLSArticulosClick);
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
    // The options come from one rule; the hidden boxes show what it gave.
    const auto o = qd::OpcionesArticulos::desdeModos(a, c, p, s);
    suiCBActualizarPVP->setChecked(o.ActualizarPVPs);
    suiCBSoloPvpStock->setChecked(o.SoloPvpStock);
    suiCBSoloNuevosArticulos->setChecked(o.SoloNuevos);
    suiCbSoloActualizar->setChecked(o.SoloActualizar);
    suiCBActualizarStock->setChecked(o.ActualizarStock);
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
    if (!(controles == qd::articleControls(listaCampos()))) qd::setArticleControls(listaCampos(), controles);
}

// ---------------------------------------------------------------------------------------------
// Field ticks, statements, lookups.

void PaginaArticulos::cargarTicks() {
    qd::ExcelIni::loadArticleTicks(listaCampos(), qd::moduleFilePath(QStringLiteral("Excel.ini")));
}

void PaginaArticulos::guardarTicks() const {
    QString error;
    if (!qd::ExcelIni::saveArticleTicks(*PaginaImportacion::listaCampos(),
                                        qd::moduleFilePath(QStringLiteral("Excel.ini")), &error))
        qWarning().noquote() << error;
}

void PaginaArticulos::ticksIniciales() {
    listaCampos().setInitialTicks();
    // The page's controls hold their state: the ticks that follow them are applied again.
    qd::setArticleControls(listaCampos(), qd::articleControls(listaCampos()));
    listaCampos().applyRules();
}

void PaginaArticulos::precargarLookups() {
    // Without a connection the lookups stay empty, without a message each.
    if (!datos().IBDatabase.connected()) return;
    for (TkvDBEditLookup* l : {kvDBEditLookupTarifas, kvDBEditLookupAlmacen}) {
        l->ValorGrupoEmpresas = datos().IdGrupoEmpresas;
        l->CargarDataSetResultadoSinVentana(QString(), true, true, false);
    }
}

void PaginaArticulos::alMostrarPrimeraVez() {
    cargarTicks();
    ticksIniciales();
    precargarLookups();
}

qd::SentenciasSql PaginaArticulos::Preparar_Sentencias_Articulos() const {
    return qd::prepararSentenciasArticulos(*PaginaImportacion::listaCampos());
}

qd::OpcionesArticulos PaginaArticulos::opciones(bool* ok) const {
    qd::OpcionesArticulos o =
        qd::OpcionesArticulos::desdeModos(kvBotonAlta->isChecked(), kvBotonCostes->isChecked(),
                                          kvBotonPVP->isChecked(), kvBotonStock->isChecked());
    o.Tarifa_Ventas = idTarifa_;
    o.Almacen = idAlmacen_;
    bool entero = false;
    o.NumeroIntervalos = ENumIntervalos->text().trimmed().toInt(&entero);
    if (!entero) o.NumeroIntervalos = 0;
    if (ok) *ok = entero;
    o.Intervalos = suiCBActualizarIntervalos->isChecked();
    o.OpcionBusqueda = rbPorCodigo->isChecked();
    o.PonerStockActual = rbStockActual->isChecked();
    o.UsarTopeIntervalo = chkTopesIntervalos->isChecked();
    o.ActualizarCosteInical = chkActualizarPMCInicial->isChecked();
    return o;
}

// ---------------------------------------------------------------------------------------------
// The import's steps, help.

void PaginaArticulos::JvFilenameEditHojaExcelButtonClick() {
    selector()->abrirDialogo();
}

void PaginaArticulos::cargar(const QString& fichero) {
    importacion_.cargarArticulos(fichero, opciones());
}

bool PaginaArticulos::validarConfirmacion() {
    bool ok = false;
    opciones(&ok);
    if (!ok) {
        datos().canal().message(
            qd::MessageKind::Error,
            QStringLiteral("'%1' no es un valor entero válido").arg(ENumIntervalos->text()));
        return false;
    }
    // The price list and the warehouse the chosen modes write to must be records the user sees.
    if (kvBotonPVP->isChecked() && !kvDBEditLookupTarifas->resuelto()) {
        const QString codigo = kvDBEditLookupTarifas->text().trimmed();
        datos().canal().message(qd::MessageKind::Error,
                                codigo.isEmpty() ? QStringLiteral("Elija una tarifa de venta válida.")
                                                 : QStringLiteral("La tarifa «%1» no existe: elija una "
                                                                  "tarifa válida.")
                                                       .arg(codigo));
        return false;
    }
    if (kvBotonStock->isChecked() && !kvDBEditLookupAlmacen->resuelto()) {
        const QString codigo = kvDBEditLookupAlmacen->text().trimmed();
        datos().canal().message(qd::MessageKind::Error,
                                codigo.isEmpty() ? QStringLiteral("Elija un almacén válido.")
                                                 : QStringLiteral("El almacén «%1» no existe: elija un "
                                                                  "almacén válido.")
                                                       .arg(codigo));
        return false;
    }
    return true;
}

void PaginaArticulos::confirmar() {
    importacion_.confirmarArticulos(opciones(), listaCampos(), opcionesMotor()); // shows its own summary
}

void PaginaArticulos::vaciarStaging() {
    importacion_.kvRxMDArticulos.close();
}

void PaginaArticulos::kvBotonAyudaArticulosClick() {
    datos().canal().message(qd::MessageKind::Information, textoAyuda());
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
