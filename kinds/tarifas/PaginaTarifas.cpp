#include "PaginaTarifas.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "TDatos.h"
#include "TkvDBEditLookup.h"
#include "TkvDBGrid.h"

namespace {

PaginaImportacion::Definicion definicionTarifas() {
    PaginaImportacion::Definicion d;
    d.paginas = "JvPageControl4";
    d.selector = "JvFilenameEditHojaTarifas";
    d.grid = "kvDBGridTarifas";
    d.splitter = "SplitterTarifas";
    d.panelBotones = "PanelBotonesTarifas";
    d.etiquetaPanel = "LabelPanelBotonesTarifas";
    d.textoConfirmar = "Importar Precios de Tarifas";
    d.objetoConfirmar = "kvBotonConfirmarTarifas";
    d.bloqueaEnProceso = false; // the main window's busy state locks the first pages only
    return d;
}

} // namespace

PaginaTarifas::PaginaTarifas(TDatos& datos, QString& nombreFichero, QWidget* parent)
    : PaginaImportacion(datos, nombreFichero, definicionTarifas(), parent) {
    setObjectName(QStringLiteral("PaginaTarifas"));
    grid()->setTabla(&importacion_.kvRxTarifas);
    ponerColumnas({});

    auto* capa = static_cast<QVBoxLayout*>(areaOpciones()->layout()); // the area's own column
    auto* rejilla = new QGridLayout;
    for (int n = 0; n < 3; ++n) {
        auto* l = new TkvDBEditLookup;
        l->setObjectName(QStringLiteral("kvDBEditLookupTarifa%1").arg(n + 1));
        l->setDataBase(&datos.IBDatabase, &datos.IBTransaction1);
        l->setSQL({QStringLiteral("SELECT CODIGO,"), QStringLiteral("NOMBRE,"), QStringLiteral("IDTARIFAS"),
                   QStringLiteral("FROM TARIFAS")});
        // Price lists of the company group the module was launched for.
        l->setOpcionesBusqueda(TkvDBEditLookup::TOpciones(TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas));
        l->FormatoCampos = {QStringLiteral("CODIGO@4@Código"), QStringLiteral("NOMBRE@35@Tarifa")};
        l->Caption_Ventana = QStringLiteral("Tarifas de Venta");
        auto* etiqueta = new QLabel(QStringLiteral("Tarifa %1:").arg(n + 1));
        etiqueta->setBuddy(l);
        auto* nombre = new QLabel;
        nombre->setObjectName(QStringLiteral("LabelNombreTarifa%1").arg(n + 1));
        l->Etiqueta = true;
        l->setEtiqueta1(etiqueta);
        int* id = n == 0 ? &o_.IDTarifa1 : n == 1 ? &o_.IDTarifa2 : &o_.IDTarifa3;
        l->OnConfirmarCambios = [id, nombre](TkvDBEditLookup& lk) {
            *id = lk.DataSetResultado().value(QStringLiteral("IDTARIFAS")).toInt();
            nombre->setText(lk.DataSetResultado().value(QStringLiteral("NOMBRE")).toString());
        };
        // A lookup left empty or on a code of no list chooses none: its column is not written.
        connect(l, &TkvDBEditLookup::resueltoCambiado, this, [id, nombre](bool resuelto) {
            if (resuelto) return;
            *id = 0;
            nombre->clear();
        });
        rejilla->addWidget(etiqueta, n, 0);
        rejilla->addWidget(l, n, 1);
        rejilla->addWidget(nombre, n, 2);
        lookups_[n] = l;
        nombres_[n] = nombre;
    }
    rejilla->setColumnStretch(2, 1);
    capa->addLayout(rejilla);
    capa->addWidget(
        new QLabel(QStringLiteral("Columnas del libro: 1 código del artículo, 2 nombre, 3, 5 y 7 los "
                                  "precios de las tarifas 1, 2 y 3 (fila 2: sus títulos).")));
    cargar_ = new QPushButton(QStringLiteral("2º Paso : Cargar XLS"));
    cargar_->setObjectName(QStringLiteral("ButtonCargarXLSTarifas"));
    capa->addWidget(cargar_, 0, Qt::AlignLeft);
    capa->addStretch(1);
    connect(cargar_, &QPushButton::clicked, this, [this] { pulsarCargar(); });
}

void PaginaTarifas::alMostrarPrimeraVez() {
    PaginaImportacion::alMostrarPrimeraVez();
    if (!datos().IBDatabase.connected()) return;
    for (TkvDBEditLookup* l : lookups_)
        l->ValorGrupoEmpresas = datos().IdGrupoEmpresas;
}

void PaginaTarifas::ponerColumnas(const QStringList& titulos) {
    auto titulo = [&titulos](int n) {
        const QString t = titulos.value(n);
        return t.isEmpty() ? QStringLiteral("Precio %1").arg(n + 1) : t;
    };
    grid()->setColumnas({{QStringLiteral("CODIGO"), QStringLiteral("Código"), false},
                         {QStringLiteral("NOMBRE"), QStringLiteral("Descripción"), false},
                         {QStringLiteral("PRECIO1"), titulo(0), false},
                         {QStringLiteral("V1"), QString(), false},
                         {QStringLiteral("PRECIO2"), titulo(1), false},
                         {QStringLiteral("V2"), QString(), false},
                         {QStringLiteral("PRECIO3"), titulo(2), false}});
}

void PaginaTarifas::cargar(const QString& fichero) {
    importacion_.cargarTarifas(fichero);
    ponerColumnas(importacion_.Titulos_Precios_Tarifas());
}

void PaginaTarifas::confirmar() {
    importacion_.confirmarTarifas(o_, opcionesMotor());
}

void PaginaTarifas::vaciarStaging() {
    importacion_.kvRxTarifas.close();
}
