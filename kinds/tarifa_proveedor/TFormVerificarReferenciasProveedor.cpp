#include "TFormVerificarReferenciasProveedor.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include "ImportacionTarifaProveedor.h"
#include "ModeloReferenciasAVerificar.h"
#include "TkvDBEditLookup.h"

using Opciones = qd::OpcionesVerificarReferencias;

TFormVerificarReferenciasProveedor::TFormVerificarReferenciasProveedor(ImportacionTarifaProveedor& tarifa,
                                                                       QWidget* parent)
    : QDialog(parent), tarifa_(tarifa), datos_(tarifa.d) {
    setObjectName(QStringLiteral("FormVerificarReferenciasProveedor"));
    setWindowTitle(QStringLiteral("Verificación de Referencias de Proveedor"));
    resize(1200, 700);
    auto* capa = new QVBoxLayout(this);

    proveedor_ = new QLabel;
    proveedor_->setObjectName(QStringLiteral("LabelProveedor"));
    proveedor_->setStyleSheet(QStringLiteral("font-weight: bold"));
    capa->addWidget(proveedor_);

    // Scope, prefix, the rows shown and the loads.
    auto* arriba = new QHBoxLayout;
    auto* grupoAmbito = new QGroupBox(QStringLiteral(" Verificar por Ref. Proveedor a... "));
    auto* capaAmbito = new QGridLayout(grupoAmbito);
    const char* nombres[] = {"RadioButtonPorReferencia", "RadioButtonFamilias", "RadioButtonmarcas"};
    const QString textos[] = {QStringLiteral(" Todos"), QStringLiteral(" Solo a la Familia"),
                              QStringLiteral(" Solo a la Marca")};
    auto* botonesAmbito = new QButtonGroup(this);
    for (int n = 0; n < 3; ++n) {
        ambitos_[n] = new QRadioButton(textos[n]);
        ambitos_[n]->setObjectName(QString::fromLatin1(nombres[n]));
        botonesAmbito->addButton(ambitos_[n], n);
        capaAmbito->addWidget(ambitos_[n], n, 0);
    }
    ambitos_[0]->setChecked(true);
    familia_ = nuevoLookup("kvDBEditLookupFamilia", ImportacionTarifaProveedor::lineasBusquedaFamilia(),
                           QStringLiteral("Familias"));
    marca_ = nuevoLookup("kvDBEditLookupMarca", ImportacionTarifaProveedor::lineasBusquedaMarca(),
                         QStringLiteral("Marcas"));
    familia_->OnConfirmarCambios = [this](TkvDBEditLookup& lk) {
        IdFamilia = lk.DataSetResultado().value(QStringLiteral("IDFAMILIASARTICULOS")).toInt();
    };
    marca_->OnConfirmarCambios = [this](TkvDBEditLookup& lk) {
        IdMarca = lk.DataSetResultado().value(QStringLiteral("IDMARCAS")).toInt();
    };
    connect(familia_, &TkvDBEditLookup::resueltoCambiado, this, [this](bool r) {
        if (!r) IdFamilia = 0;
    });
    connect(marca_, &TkvDBEditLookup::resueltoCambiado, this, [this](bool r) {
        if (!r) IdMarca = 0;
    });
    capaAmbito->addWidget(familia_, 1, 1);
    capaAmbito->addWidget(marca_, 2, 1);
    connect(botonesAmbito, &QButtonGroup::idClicked, this, [this] { ponerAmbito(); });
    ponerAmbito();
    arriba->addWidget(grupoAmbito);

    auto* centro = new QGridLayout;
    centro->addWidget(new QLabel(QStringLiteral("Prefijo Referencia")), 0, 0);
    prefijo_ = new QLineEdit;
    prefijo_->setObjectName(QStringLiteral("kvDBEditPrefijoReferencia"));
    centro->addWidget(prefijo_, 0, 1);
    centro->addWidget(new QLabel(QStringLiteral("Productos a Visualizar")), 1, 0);
    visualizar_ = new QComboBox;
    visualizar_->setObjectName(QStringLiteral("ComboBoxProductosAVisualizar"));
    visualizar_->addItems(Opciones::entradasVisualizar());
    centro->addWidget(visualizar_, 1, 1);
    auto* cargas = new QHBoxLayout;
    cargas->addWidget(boton("CargarArticulosAVerificar", QStringLiteral("&Cargar Artículos"),
                            QStringLiteral("Carga Todos los Artículos, los Artículos de una Familia o los "
                                           "Artículos de un Marca")));
    cargas->addWidget(boton("CargarExcel", QStringLiteral("&Cargar Excel")));
    cargas->addWidget(
        boton("SpeedButton7", QStringLiteral("Eliminar Espacios en las Referencias Proveedor")));
    centro->addLayout(cargas, 2, 0, 1, 2);
    arriba->addLayout(centro);

    // What "&Actualizar" writes.
    auto* grupoOpciones = new QGroupBox(QStringLiteral(" Opciones de Actualización "));
    auto* capaOpciones = new QVBoxLayout(grupoOpciones);
    capaOpciones->setSpacing(0);
    artProv_ = casilla("ActualizarArticulosProveedor",
                       QStringLiteral("Actualizar Referencia en Artículos Proveedor"));
    habitual_ =
        casilla("ActualizarProveedorHabitual", QStringLiteral("Actualizar Referencia Proveedor Habitual"));
    nombre_ = casilla("CheckBoxActualizarNombreArticulo",
                      QStringLiteral("Actualizar Nombre Artículo = Nombre Artículo Excel"));
    ean_ = casilla("CheckBoxCodigoEAN", QStringLiteral("Generar Formato Código EAN"));
    catalogo_ =
        casilla("CheckBoxCatalogoWeb", QStringLiteral("Marcar los productos verificados para Catálogo WEB"));
    volver_ = casilla("CheckBoxVolverActualizar",
                      QStringLiteral("Volver Actualizar las Referencias de los Productos ya Actualizados"));
    for (QCheckBox* c : {artProv_, habitual_, nombre_, ean_, catalogo_, volver_})
        capaOpciones->addWidget(c);
    arriba->addWidget(grupoOpciones, 1);
    capa->addLayout(arriba);

    modelo_ = new ModeloReferenciasAVerificar(tarifa_, this);
    rejilla_ = new QTableView;
    rejilla_->setObjectName(QStringLiteral("kvDBGrid"));
    rejilla_->setModel(modelo_);
    rejilla_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rejilla_->setSelectionMode(QAbstractItemView::SingleSelection);
    rejilla_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
    // The active row: blue with white bold text (the model gives the bold font and the colours).
    rejilla_->setStyleSheet(QStringLiteral(
        "QTableView { selection-background-color: rgb(0, 128, 192); selection-color: white; }"));
    rejilla_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    rejilla_->horizontalHeader()->setSectionsClickable(true);
    const int ancho = fontMetrics().averageCharWidth();
    // Each column as wide as its characters, and never narrower than its title's longest line.
    for (int c = 0; c < ModeloReferenciasAVerificar::columnas().size(); ++c) {
        const auto& col = ModeloReferenciasAVerificar::columnas()[c];
        int titulo = 0;
        for (const QString& linea : col.titulo.split(QLatin1Char('~')))
            titulo = std::max(titulo, fontMetrics().horizontalAdvance(linea));
        rejilla_->setColumnWidth(c, std::max(col.ancho * ancho, titulo) + 24);
    }
    rejilla_->installEventFilter(this);
    capa->addWidget(rejilla_, 1);
    connect(
        rejilla_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& actual) { modelo_->setFilaActiva(actual.isValid() ? actual.row() : -1); });
    connect(modelo_, &QAbstractItemModel::modelReset, this, [this] { modelo_->setFilaActiva(-1); });

    menuOrden_ = new QMenu(this);
    menuOrden_->setObjectName(QStringLiteral("PopupMenuExtracto"));
    QAction* asc = menuOrden_->addAction(QString());
    asc->setObjectName(QStringLiteral("OrdenarelCampoAscendente"));
    asc->setData(1);
    menuOrden_->addSeparator();
    QAction* desc = menuOrden_->addAction(QString());
    desc->setObjectName(QStringLiteral("OrdenarelCampoDescendente"));
    desc->setData(2);
    connect(rejilla_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { menuTitulo(c); });

    auto* abajo = new QHBoxLayout;
    registros_ = new QLabel(QStringLiteral("Nº. Reg.:  0"));
    registros_->setObjectName(QStringLiteral("LabelNumeroRegistros"));
    abajo->addWidget(registros_);
    abajo->addStretch(1);
    abajo->addWidget(boton("BotonConfirmar", QStringLiteral("&Actualizar")));
    abajo->addWidget(boton("SpeedButtonCerrar", QStringLiteral("&Cerrar"), QStringLiteral("Cerrar ventana")));
    capa->addLayout(abajo);

    connect(findChild<QPushButton*>(QStringLiteral("CargarArticulosAVerificar")), &QPushButton::clicked, this,
            [this] { cargarArticulos(); });
    connect(findChild<QPushButton*>(QStringLiteral("CargarExcel")), &QPushButton::clicked, this,
            [this] { cargarExcel(); });
    connect(findChild<QPushButton*>(QStringLiteral("SpeedButton7")), &QPushButton::clicked, this,
            [this] { eliminarEspacios(); });
    connect(findChild<QPushButton*>(QStringLiteral("BotonConfirmar")), &QPushButton::clicked, this,
            [this] { actualizar(); });
    connect(findChild<QPushButton*>(QStringLiteral("SpeedButtonCerrar")), &QPushButton::clicked, this,
            &QDialog::reject);
    // Another entry reloads the list without asking.
    connect(visualizar_, &QComboBox::currentIndexChanged, this, [this] {
        if (!mostrada_) return;
        PreguntarSN = false;
        cargarArticulos();
    });
}

QPushButton* TFormVerificarReferenciasProveedor::boton(const char* nombre, const QString& texto,
                                                       const QString& ayuda) {
    auto* b = new QPushButton(texto);
    b->setObjectName(QString::fromLatin1(nombre));
    b->setAutoDefault(false);
    if (!ayuda.isEmpty()) b->setToolTip(ayuda);
    return b;
}

QCheckBox* TFormVerificarReferenciasProveedor::casilla(const char* nombre, const QString& texto) {
    auto* c = new QCheckBox(texto);
    c->setObjectName(QString::fromLatin1(nombre));
    return c;
}

TkvDBEditLookup* TFormVerificarReferenciasProveedor::nuevoLookup(const char* nombre,
                                                                 const QStringList& lineas,
                                                                 const QString& titulo) {
    auto* l = new TkvDBEditLookup;
    l->setObjectName(QString::fromLatin1(nombre));
    l->setDataBase(&datos_.IBDatabase, &datos_.IBTransaction1);
    l->setSQL(lineas);
    l->setOpcionesBusqueda(TkvDBEditLookup::TOpciones(TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas));
    l->FormatoCampos = {QStringLiteral("CODIGO@10@Código"), QStringLiteral("NOMBRE@40@Nombre")};
    l->Caption_Ventana = titulo;
    l->ValorGrupoEmpresas = datos_.IdGrupoEmpresas;
    return l;
}

void TFormVerificarReferenciasProveedor::ponerOrigen(const Origen& o) {
    origen_ = o;
    IdFamilia = o.IdFamilia;
    IdMarca = o.IdMarca;
    familia_->setText(o.textoFamilia);
    marca_->setText(o.textoMarca);
    ambitos_[o.ambito == Opciones::Ambito::Familia ? 1
             : o.ambito == Opciones::Ambito::Marca ? 2
                                                   : 0]
        ->setChecked(true);
    ponerAmbito();
    proveedor_->setText(QStringLiteral("Proveedor: %1 - %2").arg(o.CodigoProveedor, o.NombreProveedor));
}

void TFormVerificarReferenciasProveedor::ponerAmbito() {
    for (auto [l, activo] :
         {std::pair{familia_, ambitos_[1]->isChecked()}, std::pair{marca_, ambitos_[2]->isChecked()}}) {
        l->setEnabled(activo);
        l->setStyleSheet(activo ? QStringLiteral("background: white") : QString());
    }
}

Opciones TFormVerificarReferenciasProveedor::opciones() const {
    Opciones o;
    o.IdProveedor = origen_.IdProveedor;
    o.CodigoProveedor = origen_.CodigoProveedor;
    o.NombreProveedor = origen_.NombreProveedor;
    o.ambito = ambitos_[1]->isChecked()   ? Opciones::Ambito::Familia
               : ambitos_[2]->isChecked() ? Opciones::Ambito::Marca
                                          : Opciones::Ambito::Todos;
    o.IdFamilia = IdFamilia;
    o.IdMarca = IdMarca;
    o.visualizar = static_cast<Opciones::Visualizar>(std::max(0, visualizar_->currentIndex()));
    o.Orden = FieldName;
    o.Descendente = descendente_;
    o.FilaTitulos = origen_.FilaTitulos;
    o.Enlaces = origen_.Enlaces;
    o.PrefijoReferencia = prefijo_->text();
    o.ActualizarArticulosProveedor = artProv_->isChecked();
    o.ActualizarProveedorHabitual = habitual_->isChecked();
    o.ActualizarNombreArticulo = nombre_->isChecked();
    o.CodigoEAN = ean_->isChecked();
    o.CatalogoWeb = catalogo_->isChecked();
    o.VolverActualizar = volver_->isChecked();
    return o;
}

void TFormVerificarReferenciasProveedor::mostrarCuenta() {
    const auto& ds = tarifa_.tArticulos_Ref_A_Verificar;
    registros_->setText(QStringLiteral("Nº. Reg.:  %1").arg(ds.active() ? ds.recordCount() : 0));
    if (modelo_->rowCount() > 0) rejilla_->setCurrentIndex(modelo_->index(0, 0));
}

void TFormVerificarReferenciasProveedor::error(const std::exception& e) {
    datos_.canal().message(dynamic_cast<const qd::ErrorImportacion*>(&e) ? qd::MessageKind::Warning
                                                                         : qd::MessageKind::Error,
                           TDatos::Texto_Error(e));
}

void TFormVerificarReferenciasProveedor::abrir() {
    try {
        tarifa_.Abrir_Referencias_A_Verificar(opciones());
    } catch (const std::exception& e) {
        error(e);
    }
    mostrarCuenta();
}

void TFormVerificarReferenciasProveedor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (mostrada_) return;
    visualizar_->setCurrentIndex(0);
    mostrada_ = true;
    if (!tarifa_.tArticulos_Ref_A_Verificar.active() && datos_.IBDatabase.connected()) {
        FieldName = QStringLiteral("AV.CODIGO");
        abrir();
    }
    mostrarCuenta();
    PreguntarSN = true;
}

void TFormVerificarReferenciasProveedor::done(int r) {
    if (tarifa_.tArticulos_Ref_A_Verificar.active()) tarifa_.tArticulos_Ref_A_Verificar.close();
    QDialog::done(r);
}

void TFormVerificarReferenciasProveedor::cargarArticulos() {
    FieldName = QStringLiteral("AV.CODIGO");
    descendente_ = false;
    const bool preguntar = PreguntarSN;
    PreguntarSN = true;
    try {
        tarifa_.cargarReferenciasAVerificar(opciones(), preguntar);
    } catch (const std::exception& e) {
        error(e);
    }
    mostrarCuenta();
}

void TFormVerificarReferenciasProveedor::cargarExcel() {
    try {
        tarifa_.verificarReferenciasExcel(origen_.fichero, opciones());
    } catch (const std::exception& e) {
        error(e);
    }
    mostrarCuenta();
}

void TFormVerificarReferenciasProveedor::eliminarEspacios() {
    if (origen_.IdProveedor <= 0) {
        datos_.canal().message(qd::MessageKind::Warning,
                               QStringLiteral("Debe indicarse el Proveedor a Importar los nuevos Precios."));
        return;
    }
    if (!datos_.canal().ask(
            QStringLiteral("Este proceso Eliminará los Escacios en blanco de las Referencias de "
                           "Proveedor.\r\n¿ Deseas Continuar y eliminar los Espacios ?")))
        return;
    try {
        tarifa_.Eliminar_Espacios_Referencias(origen_.IdProveedor);
    } catch (const std::exception& e) {
        error(e);
    }
}

void TFormVerificarReferenciasProveedor::actualizar() {
    try {
        tarifa_.actualizarReferenciasVerificadas(opciones());
    } catch (const std::exception& e) {
        error(e);
    }
    mostrarCuenta();
}

void TFormVerificarReferenciasProveedor::ordenar(int columna, bool descendente) {
    FieldName = ModeloReferenciasAVerificar::claveOrden(columna);
    descendente_ = descendente;
    abrir();
}

void TFormVerificarReferenciasProveedor::menuTitulo(int columna) {
    if (columna < 0 || columna >= modelo_->columnCount()) return;
    if (modelo_->rowCount() > 0)
        rejilla_->setCurrentIndex(modelo_->index(rejilla_->currentIndex().row(), columna));
    const QString titulo = ModeloReferenciasAVerificar::columnas()[columna].titulo;
    const QList<QAction*> acciones = menuOrden_->actions();
    acciones.first()->setText(QStringLiteral("Ordenar Ascendente por el Campo:   ") + titulo);
    acciones.last()->setText(QStringLiteral("Ordenar Descendente por el Campo:   ") + titulo);
    if (QAction* a = menuOrden_->exec(QCursor::pos())) ordenar(columna, a->data().toInt() == 2);
}

bool TFormVerificarReferenciasProveedor::eventFilter(QObject* watched, QEvent* event) {
    // Delete removes the current row of the work list, after a confirmation.
    if (watched == rejilla_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        auto& ds = tarifa_.tArticulos_Ref_A_Verificar;
        const int fila = rejilla_->currentIndex().row();
        if (ds.active() && fila >= 0 && fila < ds.recordCount() &&
            datos_.canal().ask(QStringLiteral("¿ Desea eliminar el registro ?"))) {
            try {
                ds.setRecNo(fila + 1);
                ds.del();
            } catch (const std::exception& e) {
                error(e);
            }
            mostrarCuenta();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
