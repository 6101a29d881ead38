#include "PaginaDLR.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "CanalPagina.h"
#include "TDatos.h"
#include "TkvDBGrid.h"

namespace {

PaginaImportacion::Definicion definicionDLR() {
    PaginaImportacion::Definicion d;
    d.paginas = "JvPageControl3";
    d.selector = "JvFilenameEditHojaAlbaranesDLR";
    d.grid = "kvDBGridAlbaranesDLR";
    d.splitter = "SplitterAlbaranesDLR";
    d.panelBotones = "PanelBotonesAlbaranesDLR";
    d.etiquetaPanel = "LabelPanelBotonesAlbaranesDLR";
    d.textoConfirmar = "Verificar e Importar Albaranes";
    d.objetoConfirmar = "kvBotonConfirmarAlbaranesDLR";
    d.bloqueaEnProceso = false; // the main window's busy state locks the first pages only
    return d;
}

} // namespace

PaginaDLR::PaginaDLR(TDatos& datos, QString& nombreFichero, QWidget* parent)
    : PaginaImportacion(datos, nombreFichero, definicionDLR(), parent) {
    setObjectName(QStringLiteral("PaginaDLR"));
    grid()->setTabla(&importacion_.kvRxMDAlbaranesDLR);
    QList<ModeloRxMemoryData::Columna> columnas;
    for (const auto& def : importacion_.kvRxMDAlbaranesDLR.fieldDefs())
        columnas.append({def.name, def.label, false});
    grid()->setColumnas(columnas);

    auto* capa = static_cast<QVBoxLayout*>(areaOpciones()->layout()); // the area's own column
    capa->addWidget(new QLabel(
        QStringLiteral("Columnas del informe: Pedido (serie y número del albarán), Línea, Código, Artículo, "
                       "U./C., Cajas Pedidas, "
                       "Cajas Preps., Und. Preps, Peso Prep., Cliente, Lote y Fecha de caducidad.")));
    cargar_ = new QPushButton(QStringLiteral("2º Paso : Cargar XLS"));
    cargar_->setObjectName(QStringLiteral("ButtonCargarXLSAlbaranesDLR"));
    capa->addWidget(cargar_, 0, Qt::AlignLeft);
    capa->addStretch(1);
    connect(cargar_, &QPushButton::clicked, this, [this] { pulsarCargar(); });

    comprobar_ = new QPushButton(QStringLiteral("Comprobar errores y Listarlos"));
    comprobar_->setObjectName(QStringLiteral("kvBotonComprobarErroresAlbaranesDLR"));
    static_cast<QHBoxLayout*>(panelBotones()->layout())->insertWidget(1, comprobar_);
    connect(comprobar_, &QPushButton::clicked, this, &PaginaDLR::pulsarComprobar);
    alCambiarModo(false);
}

void PaginaDLR::alCambiarModo(bool ocupado) {
    if (comprobar_) comprobar_->setVisible(ocupado);
}

void PaginaDLR::pulsarComprobar() {
    if (ocupado() || !cargado()) return;
    {
        CanalPagina canal(datos(), [this](const QString& texto) { Estado(texto); });
        try {
            importacion_.procesarDLR(false);
        } catch (const std::exception& e) {
            mostrarError(e);
        }
    }
    if (mostrarIncidencias) mostrarIncidencias();
}

void PaginaDLR::cargar(const QString& fichero) {
    importacion_.cargarDLR(fichero);
}

void PaginaDLR::confirmar() {
    importacion_.procesarDLR(true, opcionesMotor());
}

void PaginaDLR::vaciarStaging() {
    importacion_.kvRxMDAlbaranesDLR.close();
}
