#include "PaginaTarifaProveedor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "TDatos.h"
#include "TFormCrearEnlaceEntreColumnas.h"
#include "TFormVerificarReferenciasProveedor.h"
#include "TJvFilenameEdit.h"
#include "TkvDBEditLookup.h"
#include "TkvDBGrid.h"

namespace {

PaginaImportacion::Definicion definicionTarifaProveedor() {
    PaginaImportacion::Definicion d;
    d.paginas = "JvPageControlTarifaProveedor";
    d.selector = "JvFilenameEdit1";
    d.vistaPrevia = "VistaPreviaTarifaProveedor";
    d.grid = "kvDBGrid";
    d.splitter = "SplitterTarifaProveedor";
    d.panelBotones = "PanelBotonesTarifaProveedor";
    d.etiquetaPanel = "LabelPanelBotonesTarifaProveedor";
    d.textoConfirmar = "&Actualizar Precios Proveedor";
    d.objetoConfirmar = "BotonConfirmar";
    d.etiquetaFichero = "1er Paso: Fichero Excel con la tarifa del proveedor:";
    return d;
}

// The grid's colours: the stored values pale green; a real cost (or else a price) that changes,
// once both are rounded to cents, in red and bold beside its stored value.
class ColoresTarifaProveedor : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    TkvDBGrid* grid = nullptr;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const ModeloRxMemoryData* m = grid->modelo();
        TkvRxMemoryData* t = m->tabla();
        const int campo = m->campoDeColumna(index.column());
        if (t == nullptr || campo < 0) return;
        const QString nombre = t->fieldDefs().at(campo).name;
        static const QStringList anteriores{
            QStringLiteral("ANTERIOR_COSTOREAL"),  QStringLiteral("ANTERIOR_PRECIO"),
            QStringLiteral("ANTERIOR_DESCUENTO"),  QStringLiteral("ANTERIOR_DESCUENTO1"),
            QStringLiteral("ANTERIOR_DESCUENTO2"), QStringLiteral("ANTERIOR_DESCUENTO3")};
        if (anteriores.contains(nombre)) option->backgroundBrush = QColor(227, 240, 227);
        auto valor = [t, &index](const char* c) {
            return ImportacionTarifaProveedor::Redondear(
                t->valueAt(index.row(), t->fieldIndex(QString::fromLatin1(c))).toDouble(), 2);
        };
        bool resaltar = false;
        if (valor("ANTERIOR_COSTOREAL") != valor("COSTOREAL"))
            resaltar = nombre == QLatin1String("COSTOREAL") || nombre == QLatin1String("ANTERIOR_COSTOREAL");
        else if (valor("ANTERIOR_PRECIO") != valor("PRECIO"))
            resaltar = nombre == QLatin1String("PRECIO") || nombre == QLatin1String("ANTERIOR_PRECIO");
        if (resaltar) {
            option->palette.setColor(QPalette::Text, Qt::red);
            option->palette.setColor(QPalette::HighlightedText, Qt::red);
            option->font.setBold(true);
        }
    }
};

// A discount as typed: digits and one decimal separator, a comma or a point.
QLineEdit* nuevoDescuento(const QString& nombre) {
    auto* e = new QLineEdit;
    e->setObjectName(nombre);
    e->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^[0-9]*([.,][0-9]*)?$")), e));
    e->setMaximumWidth(70);
    return e;
}

QLabel* paso(const QString& texto) {
    auto* l = new QLabel(texto);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

PaginaTarifaProveedor::PaginaTarifaProveedor(TDatos& datos, QString& nombreFichero, QWidget* parent)
    : PaginaImportacion(datos, nombreFichero, definicionTarifaProveedor(), parent) {
    setObjectName(QStringLiteral("PaginaTarifaProveedor"));
    TkvRxMemoryData& t = importacion_.RxTarifaProveedor;
    grid()->setTabla(&t);
    QList<ModeloRxMemoryData::Columna> columnas;
    for (const char* c : {"REFERENCIA_PROVEEDOR",
                          "Codigo",
                          "Nombre",
                          "PRECIO",
                          "ANTERIOR_PRECIO",
                          "COSTOREAL",
                          "ANTERIOR_COSTOREAL",
                          "DESCUENTO1",
                          "ANTERIOR_DESCUENTO1",
                          "DESCUENTO2",
                          "ANTERIOR_DESCUENTO2",
                          "DESCUENTO3",
                          "ANTERIOR_DESCUENTO3",
                          "DESCUENTO",
                          "ANTERIOR_DESCUENTO",
                          "PMC",
                          "PUC",
                          "CODIGOEAN",
                          "ANTERIOR_CODIGOEAN",
                          "CATALOGOWEB_SN",
                          "CODTarifa1",
                          "CODTarifa2",
                          "CODTarifa3",
                          "PORCENTAJEIVA"}) {
        const QString campo = QString::fromLatin1(c);
        const int i = t.fieldIndex(campo);
        const QString titulo = i < 0 ? campo : t.fieldDefs().at(i).label;
        columnas.append({campo, QString(titulo).replace(QLatin1Char('~'), QLatin1Char('\n')),
                         campo == QLatin1String("CATALOGOWEB_SN")});
    }
    grid()->setColumnas(columnas);
    auto* colores = new ColoresTarifaProveedor(grid());
    colores->grid = grid();
    grid()->setItemDelegate(colores);

    auto* capa = static_cast<QVBoxLayout*>(areaOpciones()->layout()); // the area's own column

    // 1: the supplier.
    proveedor_ = nuevoLookup("kvDBEditLookupProveedor", QStringLiteral("PROVEEDORES"),
                             QStringLiteral("IDPROVEEDORES"), QStringLiteral("Proveedores"), 10, 40);
    nombreProveedorEtiqueta_ = new QLabel;
    nombreProveedorEtiqueta_->setObjectName(QStringLiteral("LabelNombreProveedor"));
    proveedor_->OnConfirmarCambios = [this](TkvDBEditLookup& lk) {
        idProveedor_ = lk.DataSetResultado().value(QStringLiteral("IDPROVEEDORES")).toInt();
        codigoProveedor_ = lk.DataSetResultado().value(QStringLiteral("CODIGO")).toString().trimmed();
        nombreProveedor_ = lk.DataSetResultado().value(QStringLiteral("NOMBRE")).toString().trimmed();
        nombreProveedorEtiqueta_->setText(nombreProveedor_);
    };
    connect(proveedor_, &TkvDBEditLookup::resueltoCambiado, this, [this](bool resuelto) {
        if (resuelto) return;
        idProveedor_ = 0;
        codigoProveedor_.clear();
        nombreProveedor_.clear();
        nombreProveedorEtiqueta_->clear();
    });
    auto* filaProveedor = new QHBoxLayout;
    filaProveedor->addWidget(paso(QStringLiteral("2º Paso: Proveedor:")));
    filaProveedor->addWidget(proveedor_);
    filaProveedor->addWidget(nombreProveedorEtiqueta_, 1);
    capa->addLayout(filaProveedor);

    // 3 and 4: the title row and the links.
    fila_ = new QSpinBox;
    fila_->setObjectName(QStringLiteral("RxSpinEditFila"));
    fila_->setRange(1, 1048576);
    fila_->setValue(1);
    enlazar_ = new QPushButton(QStringLiteral("Crear Enlace entre Columnas"));
    enlazar_->setObjectName(QStringLiteral("BotonEnlazarCampos"));
    columnasOK_ = new QLabel(QStringLiteral("OK"));
    columnasOK_->setObjectName(QStringLiteral("LabelColumnasOK"));
    columnasOK_->setStyleSheet(QStringLiteral("color: green; font-weight: bold"));
    columnasOK_->hide();
    auto* filaTitulos = new QHBoxLayout;
    filaTitulos->addWidget(paso(QStringLiteral("3er Paso: Indicar línea de Título")));
    filaTitulos->addWidget(fila_);
    filaTitulos->addSpacing(12);
    filaTitulos->addWidget(paso(QStringLiteral("4º Paso:")));
    filaTitulos->addWidget(enlazar_);
    filaTitulos->addWidget(columnasOK_);
    filaTitulos->addStretch(1);
    capa->addLayout(filaTitulos);

    // 5: the options and the load.
    auto* grupoAmbito = new QGroupBox(QStringLiteral(" Aplicar Cambios por Ref. Proveedor a... "));
    auto* capaAmbito = new QGridLayout(grupoAmbito);
    const char* nombresAmbito[] = {"RadioButtonPorReferencia", "RadioButtonFamilias", "RadioButtonmarcas"};
    const QString textosAmbito[] = {QStringLiteral(" Todos"), QStringLiteral(" Solo a la Familia"),
                                    QStringLiteral(" Solo a la Marca")};
    auto* botonesAmbito = new QButtonGroup(this);
    for (int n = 0; n < 3; ++n) {
        ambitos_[n] = new QRadioButton(textosAmbito[n]);
        ambitos_[n]->setObjectName(QString::fromLatin1(nombresAmbito[n]));
        botonesAmbito->addButton(ambitos_[n], n);
        capaAmbito->addWidget(ambitos_[n], n, 0);
    }
    ambitos_[0]->setChecked(true);
    familia_ = nuevoLookup("kvDBEditLookupFamilia", QStringLiteral("FAMILIASARTICULOS"),
                           QStringLiteral("IDFAMILIASARTICULOS"), QStringLiteral("Familias"), 10, 40);
    marca_ = nuevoLookup("kvDBEditLookupMarca", QStringLiteral("MARCAS"), QStringLiteral("IDMARCAS"),
                         QStringLiteral("Marcas"), 10, 40);
    familia_->OnConfirmarCambios = [this](TkvDBEditLookup& lk) {
        idFamilia_ = lk.DataSetResultado().value(QStringLiteral("IDFAMILIASARTICULOS")).toInt();
    };
    marca_->OnConfirmarCambios = [this](TkvDBEditLookup& lk) {
        idMarca_ = lk.DataSetResultado().value(QStringLiteral("IDMARCAS")).toInt();
    };
    // A lookup left empty (or on a code of nothing) chooses nothing: the scope is then all.
    connect(familia_, &TkvDBEditLookup::resueltoCambiado, this, [this](bool r) {
        if (!r) idFamilia_ = 0;
    });
    connect(marca_, &TkvDBEditLookup::resueltoCambiado, this, [this](bool r) {
        if (!r) idMarca_ = 0;
    });
    capaAmbito->addWidget(familia_, 1, 1);
    capaAmbito->addWidget(marca_, 2, 1);
    capaAmbito->setColumnStretch(2, 1);
    connect(botonesAmbito, &QButtonGroup::idClicked, this, [this] { ponerAmbito(); });
    ponerAmbito();
    capa->addWidget(paso(QStringLiteral("5º Paso: Opciones y carga de la tarifa")));
    capa->addWidget(grupoAmbito);

    auto* grupoDtos = new QGridLayout;
    aplicarDtos_ = new QCheckBox(QStringLiteral("Aplicar Nuevos Dtos. "));
    aplicarDtos_->setObjectName(QStringLiteral("CheckBoxAplicarDtos"));
    aplicarDtos_->setToolTip(
        QStringLiteral("Si se activa esta opción se aplicarán los nuevos Dtos. que se indiquen en Dto. 1, "
                       "Dto. 2 y Dto. 3\r\nEn el caso que no se active, aplicará los Dtos. ya existentes."));
    grupoDtos->addWidget(aplicarDtos_, 0, 0);
    for (int n = 0; n < 3; ++n) {
        etiquetasDto_[n] = new QLabel(QStringLiteral("Dto. %1").arg(n + 1));
        etiquetasDto_[n]->setObjectName(QStringLiteral("LabelDto_%1").arg(n + 1));
        dtos_[n] = nuevoDescuento(QStringLiteral("kvDBEditDto_%1").arg(n + 1));
        etiquetasDto_[n]->setBuddy(dtos_[n]);
        grupoDtos->addWidget(etiquetasDto_[n], 0, 1 + 2 * n);
        grupoDtos->addWidget(dtos_[n], 0, 2 + 2 * n);
    }
    connect(aplicarDtos_, &QCheckBox::toggled, this, [this] { ponerDtos(); });
    ponerDtos();
    dtosCostoReal_ = new QCheckBox;
    dtosCostoReal_->setObjectName(QStringLiteral("AplicarDtosEnCostoReal"));
    etiquetaCostoReal_ =
        new QLabel(QStringLiteral("COSTO_REAL = ( ( (PRECIO  - % DTO. 1)  - % DTO. 2)  - % DTO. 3)"));
    etiquetaCostoReal_->setObjectName(QStringLiteral("LabelAplicarDtosEnCostoReal"));
    etiquetaCostoReal_->setBuddy(dtosCostoReal_);
    grupoDtos->addWidget(dtosCostoReal_, 1, 0, Qt::AlignRight);
    grupoDtos->addWidget(etiquetaCostoReal_, 1, 1, 1, 6);
    prefijo_ = new QLineEdit;
    prefijo_->setObjectName(QStringLiteral("kvDBEditPrefijoReferencia"));
    prefijo_->setMaximumWidth(120);
    auto* etiquetaPrefijo = new QLabel(QStringLiteral("Prefijo Referencia"));
    etiquetaPrefijo->setBuddy(prefijo_);
    grupoDtos->addWidget(etiquetaPrefijo, 2, 0);
    grupoDtos->addWidget(prefijo_, 2, 1, 1, 2);
    grupoDtos->setColumnStretch(7, 1);
    capa->addLayout(grupoDtos);

    auto* grupoTarifas = new QGroupBox(QStringLiteral("Tarifas de venta"));
    auto* capaTarifas = new QGridLayout(grupoTarifas);
    capaTarifas->addWidget(new QLabel(QStringLiteral("Dtos. Tarifas")), 0, 3);
    for (int n = 0; n < 3; ++n) {
        TkvDBEditLookup* l =
            nuevoLookup(qPrintable(QStringLiteral("kvDBEditLookup%1").arg(n + 1)), QStringLiteral("TARIFAS"),
                        QStringLiteral("IDTARIFAS"), QStringLiteral("Tarifas de Venta"), 4, 35);
        l->FormatoCampos = {QStringLiteral("CODIGO@4@Código"), QStringLiteral("NOMBRE@35@Tarifa")};
        auto* nombre = new QLabel;
        l->OnConfirmarCambios = [this, n, nombre](TkvDBEditLookup& lk) {
            idTarifa_[n] = lk.DataSetResultado().value(QStringLiteral("IDTARIFAS")).toInt();
            codTarifa_[n] = lk.DataSetResultado().value(QStringLiteral("CODIGO")).toString().trimmed();
            nombre->setText(lk.DataSetResultado().value(QStringLiteral("NOMBRE")).toString());
        };
        connect(l, &TkvDBEditLookup::resueltoCambiado, this, [this, n, nombre](bool resuelto) {
            if (resuelto) return;
            idTarifa_[n] = 0;
            codTarifa_[n].clear();
            nombre->clear();
        });
        auto* etiqueta = new QLabel(QStringLiteral("Tarifa %1:").arg(n + 1));
        etiqueta->setBuddy(l);
        dtosTarifa_[n] = nuevoDescuento(QStringLiteral("kvDBEditDtoTarifa_%1").arg(n + 1));
        capaTarifas->addWidget(etiqueta, n + 1, 0);
        capaTarifas->addWidget(l, n + 1, 1);
        capaTarifas->addWidget(nombre, n + 1, 2);
        capaTarifas->addWidget(dtosTarifa_[n], n + 1, 3);
        tarifas_[n] = l;
    }
    capaTarifas->setColumnStretch(2, 1);
    capa->addWidget(grupoTarifas);

    cargar_ = new QPushButton(QStringLiteral("Cargar Tarifa Proveedor"));
    cargar_->setObjectName(QStringLiteral("BotonCargarTarifaProveedor"));
    tarifasOK_ = new QLabel(QStringLiteral("OK"));
    tarifasOK_->setObjectName(QStringLiteral("LabelTarifasOK"));
    tarifasOK_->setStyleSheet(QStringLiteral("color: green; font-weight: bold"));
    tarifasOK_->hide();
    registros_ = new QLabel(QStringLiteral("Nº. Reg.:  0"));
    registros_->setObjectName(QStringLiteral("LabelNumeroRegistros"));
    espacios_ = new QPushButton(QStringLiteral("Eliminar Espacios en las Referencias Proveedor"));
    espacios_->setObjectName(QStringLiteral("SpeedButton7"));
    espacios_->setToolTip(QStringLiteral("Elimina los espacios en blanco de las referencias proveedor en la "
                                         "fichas del Artículo y en Artículos Proveedor"));
    auto* filaCarga = new QHBoxLayout;
    filaCarga->addWidget(cargar_);
    filaCarga->addWidget(tarifasOK_);
    filaCarga->addWidget(registros_);
    filaCarga->addStretch(1);
    filaCarga->addWidget(espacios_);
    verificar_ = new QPushButton(QStringLiteral("Verificar referencias del Proveedor"));
    verificar_->setObjectName(QStringLiteral("SpeedButton8"));
    filaCarga->addWidget(verificar_);
    capa->addLayout(filaCarga);

    // 6: what the confirmation writes besides the supplier record.
    // Shown with the loaded rows, above "&Actualizar Precios Proveedor".
    grupoConfirmar_ =
        new QGroupBox(QStringLiteral("6º Paso: Actualizar los Precios de Artículos Proveedor."));
    grupoConfirmar_->setObjectName(QStringLiteral("GroupBoxConfirmar"));
    auto* capaConfirmar = new QGridLayout(grupoConfirmar_);
    capaConfirmar->setContentsMargins(6, 2, 6, 2);
    capaConfirmar->setVerticalSpacing(0);
    struct Casilla {
        QCheckBox** casilla;
        const char* nombre;
        const char* texto;
    };
    const Casilla casillas[] = {
        {&costesFicha_, "CheckBoxActualizarCostosEnFicha",
         "(5)      Actualizar P.M.C. y P.U.C. en la ficha del Artículo"},
        {&formatoEAN_, "CheckBoxCodigoEAN", "(5)      Generar Formato Código EAN"},
        {&actualizarTarifas_, "CheckBoxActualziarTarifas",
         "(5)      Actualizar  P.V.P.  en las Tarifas seleccionadas"},
        {&catalogoWEB_, "CheckBoxCatalogoWEB", "(5)      Marcar Referencias Proveedor para Catálogo WEB "},
    };
    int f = 0;
    for (const Casilla& c : casillas) {
        *c.casilla = new QCheckBox;
        (*c.casilla)->setObjectName(QString::fromLatin1(c.nombre));
        auto* etiqueta = new QLabel(QString::fromUtf8(c.texto));
        etiqueta->setBuddy(*c.casilla);
        capaConfirmar->addWidget(*c.casilla, f % 2, 3 * (f / 2));
        capaConfirmar->addWidget(etiqueta, f % 2, 3 * (f / 2) + 1);
        ++f;
    }
    auto* ayuda = new QPushButton(QStringLiteral("?"));
    ayuda->setObjectName(QStringLiteral("SpeedButton5"));
    ayuda->setMaximumWidth(30);
    capaConfirmar->addWidget(ayuda, 0, 2);
    capaConfirmar->setColumnMinimumWidth(2, 40);
    capaConfirmar->setColumnStretch(4, 1);
    // Above the button panel, across the page's width (in the panel's row they were cut).
    auto* capaPagina = qobject_cast<QBoxLayout*>(panelBotones()->parentWidget()->layout());
    capaPagina->insertWidget(capaPagina->indexOf(panelBotones()), grupoConfirmar_);
    grupoConfirmar_->hide();
    capa->addStretch(1);

    connect(ayuda, &QPushButton::clicked, this, [this] {
        this->datos().canal().message(
            qd::MessageKind::Information,
            QStringLiteral(
                "\r\n\r\nAntes de Pulsar sobre el botón de Actualizar, marcar la opción:\r\n\r\n      "
                "Actualizar P.M.C. y P.U.C. en la ficha del Artículo.\r\n\r\nAl marcar esta opción, "
                "actualizará con los nuevos precios el P.M.C. y P.U.C. de la ficha del Artículo."));
    });
    connect(enlazar_, &QPushButton::clicked, this, [this] { pulsarEnlazar(); });
    connect(cargar_, &QPushButton::clicked, this, [this] { pulsarCargar(); });
    connect(espacios_, &QPushButton::clicked, this, [this] { pulsarEliminarEspacios(); });
    connect(verificar_, &QPushButton::clicked, this, [this] { pulsarVerificarReferencias(); });
    // Another workbook, or another title row, asks for the links again.
    connect(selector(), &TJvFilenameEdit::ficheroElegido, this, [this](const QString& ruta) {
        if (ruta != ficheroEnlazado_) ficheroElegido();
    });
    connect(fila_, qOverload<int>(&QSpinBox::valueChanged), this, [this] { ficheroElegido(); });

    elegirEnlaces = [this](const QStringList& titulos) {
        TFormCrearEnlaceEntreColumnas ventana(titulos, this);
        ventana.exec();
        return ventana.AceptarSN ? ventana.enlaces() : QStringList();
    };
    ficheroElegido();
}

TkvDBEditLookup* PaginaTarifaProveedor::nuevoLookup(const char* nombre, const QString& tabla,
                                                    const QString& id, const QString& titulo, int anchoCodigo,
                                                    int anchoNombre) {
    auto* l = new TkvDBEditLookup;
    l->setObjectName(QString::fromLatin1(nombre));
    l->setDataBase(&datos().IBDatabase, &datos().IBTransaction1);
    // Table and column names are this program's; the search text is bound by the lookup.
    l->setSQL(
        {QStringLiteral("SELECT CODIGO,"), QStringLiteral("NOMBRE,"), id, QStringLiteral("FROM ") + tabla});
    l->setOpcionesBusqueda(TkvDBEditLookup::TOpciones(TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas));
    l->FormatoCampos = {QStringLiteral("CODIGO@%1@Código").arg(anchoCodigo),
                        QStringLiteral("NOMBRE@%1@Nombre").arg(anchoNombre)};
    l->Caption_Ventana = titulo;
    return l;
}

void PaginaTarifaProveedor::alMostrarPrimeraVez() {
    PaginaImportacion::alMostrarPrimeraVez();
    if (!datos().IBDatabase.connected()) return;
    for (TkvDBEditLookup* l : {proveedor_, familia_, marca_, tarifas_[0], tarifas_[1], tarifas_[2]})
        l->ValorGrupoEmpresas = datos().IdGrupoEmpresas;
}

qd::OpcionesTarifaProveedor PaginaTarifaProveedor::opciones() const {
    qd::OpcionesTarifaProveedor o;
    o.IdProveedor = idProveedor_;
    o.CodigoProveedor = codigoProveedor_;
    o.NombreProveedor = nombreProveedor_;
    o.FilaTitulos = fila_->value();
    o.Enlaces = enlaces_;
    using Ambito = qd::OpcionesTarifaProveedor::Ambito;
    o.ambito = ambitos_[1]->isChecked()   ? Ambito::Familia
               : ambitos_[2]->isChecked() ? Ambito::Marca
                                          : Ambito::Todos;
    o.IdFamilia = idFamilia_;
    o.IdMarca = idMarca_;
    o.AplicarDtos = aplicarDtos_->isChecked();
    for (int n = 0; n < 3; ++n) {
        o.Dtos[size_t(n)] = qd::OpcionesTarifaProveedor::leerDescuento(dtos_[n]->text());
        o.DtosTarifa[size_t(n)] = qd::OpcionesTarifaProveedor::leerDescuento(dtosTarifa_[n]->text());
        o.IDTarifa[size_t(n)] = idTarifa_[n];
        o.CODTarifa[size_t(n)] = codTarifa_[n];
    }
    o.DtosEnCostoReal = dtosCostoReal_->isChecked();
    o.PrefijoReferencia = prefijo_->text();
    o.CostosEnFicha = costesFicha_->isChecked();
    o.CodigoEAN = formatoEAN_->isChecked();
    o.ActualizarTarifas = actualizarTarifas_->isChecked();
    o.CatalogoWEB = catalogoWEB_->isChecked();
    o.Fichero = selector()->text();
    return o;
}

void PaginaTarifaProveedor::ponerAmbito() {
    familia_->setEnabled(ambitos_[1]->isChecked());
    marca_->setEnabled(ambitos_[2]->isChecked());
}

void PaginaTarifaProveedor::ponerDtos() {
    for (int n = 0; n < 3; ++n) {
        etiquetasDto_[n]->setEnabled(aplicarDtos_->isChecked());
        dtos_[n]->setEnabled(aplicarDtos_->isChecked());
    }
}

void PaginaTarifaProveedor::sinEnlaces() {
    enlaces_.clear();
    ficheroEnlazado_.clear();
    columnasOK_->hide();
    tarifasOK_->hide();
}

// Another workbook or another title row: the links are made anew.
void PaginaTarifaProveedor::ficheroElegido() {
    sinEnlaces();
    enlazar_->setEnabled(true);
    cargar_->setEnabled(false);
    dtosCostoReal_->setEnabled(false);
    etiquetaCostoReal_->setEnabled(false);
}

void PaginaTarifaProveedor::pulsarEnlazar() {
    if (ocupado()) return;
    QString error;
    QString fichero = selector()->ficheroParaCargar(&error);
    if (!error.isEmpty()) {
        datos().canal().message(qd::MessageKind::Error, error);
        return;
    }
    if (fichero.isEmpty()) {
        selector()->abrirDialogo();
        fichero = selector()->ficheroParaCargar();
    }
    if (fichero.isEmpty()) return;
    sinEnlaces();
    QStringList titulos;
    try {
        datos().CargarExcel(fichero);
        titulos = importacion_.Titulos_Tarifa_Proveedor(fila_->value());
    } catch (const std::exception& e) {
        mostrarError(e);
        return;
    }
    if (titulos.isEmpty()) {
        datos().canal().message(
            qd::MessageKind::Warning,
            QStringLiteral("La fila %1 no tiene títulos en sus columnas A, B o C: indique la "
                           "línea de título.")
                .arg(fila_->value()));
        return;
    }
    enlaces_ = elegirEnlaces(titulos);
    if (enlaces_.isEmpty()) return;
    ficheroEnlazado_ = fichero;
    columnasOK_->show();
    cargar_->setEnabled(true);
    dtosCostoReal_->setEnabled(true);
    etiquetaCostoReal_->setEnabled(true);
    enlazar_->setEnabled(false);
}

void PaginaTarifaProveedor::pulsarEliminarEspacios() {
    if (ocupado()) return;
    if (idProveedor_ <= 0) {
        datos().canal().message(qd::MessageKind::Warning,
                                QStringLiteral("Debe indicarse el Proveedor a Importar los nuevos Precios."));
        return;
    }
    if (!datos().canal().ask(QStringLiteral(
            "Este proceso Eliminará los Escacios en blanco de las Referencias de Proveedor.\r\n¿ "
            "Deseas Continuar y eliminar los Espacios ?")))
        return;
    try {
        importacion_.Eliminar_Espacios_Referencias(idProveedor_);
    } catch (const std::exception& e) {
        mostrarError(e);
    }
}

void PaginaTarifaProveedor::pulsarVerificarReferencias() {
    if (ocupado()) return;
    if (idProveedor_ <= 0) {
        datos().canal().message(qd::MessageKind::Warning,
                                QStringLiteral("Debe indicarse el Proveedor a Importar los nuevos Precios."));
        return;
    }
    const qd::OpcionesTarifaProveedor o = opciones();
    TFormVerificarReferenciasProveedor::Origen origen;
    origen.IdProveedor = idProveedor_;
    origen.CodigoProveedor = codigoProveedor_;
    origen.NombreProveedor = nombreProveedor_;
    origen.ambito = o.ambito;
    origen.IdFamilia = idFamilia_;
    origen.IdMarca = idMarca_;
    origen.textoFamilia = familia_->text();
    origen.textoMarca = marca_->text();
    // The workbook counts only once its columns are linked.
    if (!enlaces_.isEmpty()) {
        origen.fichero = ficheroEnlazado_;
        origen.FilaTitulos = fila_->value();
        origen.Enlaces = enlaces_;
    }
    TFormVerificarReferenciasProveedor ventana(importacion_, this);
    ventana.ponerOrigen(origen);
    if (mostrarVerificacion)
        mostrarVerificacion(ventana);
    else
        ventana.exec();
}

bool PaginaTarifaProveedor::antesDeCargar() {
    if (idProveedor_ <= 0 || enlaces_.isEmpty()) {
        datos().canal().message(
            qd::MessageKind::Warning,
            idProveedor_ <= 0 ? QStringLiteral("Debe indicarse el Proveedor a Importar los nuevos Precios.")
                              : QStringLiteral("Debe enlazarse los campos antes de cargar los precios."));
        if (!enlaces_.isEmpty()) return false; // a supplier is missing: the links stay
        pulsarEnlazar();
        return false;
    }
    return true;
}

void PaginaTarifaProveedor::cargar(const QString& fichero) {
    const int n = importacion_.cargarTarifaProveedor(fichero, opciones());
    registros_->setText(QStringLiteral("Nº. Reg.:  %1").arg(n));
    tarifasOK_->show();
}

void PaginaTarifaProveedor::confirmar() {
    importacion_.confirmarTarifaProveedor(opciones(), opcionesMotor());
}

void PaginaTarifaProveedor::vaciarStaging() {
    importacion_.RxTarifaProveedor.close();
    registros_->setText(QStringLiteral("Nº. Reg.:  0"));
    tarifasOK_->hide();
}

void PaginaTarifaProveedor::alCambiarModo(bool ocupado) {
    grupoConfirmar_->setVisible(ocupado);
}
