#include "PaginaDatosClientes.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "FieldList.h"
#include "TDatos.h"
#include "TFormConfiguracionDatosDefecto.h"
#include "TkvDBGrid.h"

QString PaginaDatosClientes::pasos(const char* tercerPaso) {
    return QStringLiteral(
               "Pasos a seguir:\r\n\r\n1) Seleccione el fichero Excel a importar\r\n\r\n2) Marque los "
               "campos a tener en cuenta durante el proceso.\r\n\r\n3) %1\r\n\r\n4) Pulse el Botón "
               "\"Cargar XLS\"")
        .arg(QString::fromUtf8(tercerPaso));
}

PaginaImportacion::Definicion PaginaDatosClientes::definicion(const char* paginas, const char* selector,
                                                              const char* vistaPrevia, const char* lista,
                                                              qd::FieldList (*crear)(), const char* grid,
                                                              bool bloquea) {
    PaginaImportacion::Definicion d;
    d.paginas = paginas;
    d.selector = selector;
    d.vistaPrevia = vistaPrevia;
    d.listaCampos = lista;
    d.crearLista = crear;
    d.bloqueaEnProceso = bloquea; // the main window's busy state locks the first pages only
    d.unPaso = true;
    d.grid = grid;
    d.splitter = "SplitterClientes";
    d.panelBotones = "PanelBotones";
    d.etiquetaPanel = "LabelCancelar";
    d.tituloCampos = "Campos a tener presentes";
    return d;
}

PaginaDatosClientes::PaginaDatosClientes(TDatos& datos, QString& nombreFichero, const Definicion& definicion,
                                         const Textos& textos, QWidget* parent)
    : PaginaImportacion(datos, nombreFichero, definicion, parent), textos_(textos) {
    setObjectName(QString::fromLatin1(textos.objeto));

    auto* capa = static_cast<QVBoxLayout*>(areaOpciones()->layout()); // the area's own column
    if (textos.soloNuevos) {
        soloNuevos_ = new QCheckBox(QString::fromUtf8(textos.textoSoloNuevos));
        soloNuevos_->setObjectName(QString::fromLatin1(textos.soloNuevos));
        capa->addWidget(soloNuevos_);
    }
    cargar_ = new QPushButton(QStringLiteral("4º Paso : Cargar XLS"));
    cargar_->setObjectName(QString::fromLatin1(textos.botonCargar));
    ayuda_ = new QPushButton(QStringLiteral("?"));
    ayuda_->setObjectName(QString::fromLatin1(textos.botonAyuda));
    ayuda_->setToolTip(QStringLiteral("Ayuda"));
    auto* fila = new QHBoxLayout;
    fila->addWidget(cargar_);
    fila->addWidget(ayuda_);
    fila->addStretch(1);
    capa->addLayout(fila);
    capa->addStretch(1);
    connect(cargar_, &QPushButton::clicked, this, [this] { pulsarCargar(); });
    connect(ayuda_, &QPushButton::clicked, this, &PaginaDatosClientes::pulsarAyuda);
}

void PaginaDatosClientes::mostrarTabla(TkvRxMemoryData& tabla) {
    grid()->setTabla(&tabla);
    QList<ModeloRxMemoryData::Columna> columnas;
    for (const auto& def : tabla.fieldDefs())
        if (def.visible) columnas.append({def.name, def.label.isEmpty() ? def.name : def.label, false});
    grid()->setColumnas(columnas);
}

void PaginaDatosClientes::pulsarAyuda() {
    datos().canal().message(qd::MessageKind::Information, textos_.ayuda);
}

qd::OpcionesClientes PaginaDatosClientes::opciones() const {
    qd::OpcionesClientes o;
    o.SoloNuevos = soloNuevos_ != nullptr && soloNuevos_->isChecked();
    o.defectos = defectos_;
    return o;
}

bool PaginaDatosClientes::antesDeCargar() {
    if (textos_.soloNuevos == nullptr) return true; // bank accounts: no defaults to ask for
    const std::optional<qd::DatosDefectoClientes> d =
        pedirDatosDefecto ? pedirDatosDefecto() : TFormConfiguracionDatosDefecto::pedir(datos(), window());
    if (!d) return false; // cancelled: the import does not run
    defectos_ = *d;
    return true;
}
