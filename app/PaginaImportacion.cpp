#include "PaginaImportacion.h"

#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "CambioVistaPrevia.h"
#include "TJvFilenameEdit.h"
#include "TsuiCheckListBox.h"
#include "VistaPreviaLibro.h"

PaginaImportacion::PaginaImportacion(TDatos& datos, QString& nombreFichero, const Definicion& definicion,
                                     QWidget* parent)
    : QWidget(parent), datos_(datos), nombreFichero_(nombreFichero), definicion_(definicion) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    paginas_ = new QTabWidget(this);
    paginas_->setObjectName(QString::fromLatin1(definicion.paginas));
    layout->addWidget(paginas_);

    configuracion_ = new QWidget;
    configuracion_->setObjectName(QStringLiteral("TabSheetConfiguracion"));
    auto* conf = new QVBoxLayout(configuracion_);
    conf->addWidget(new QLabel(QStringLiteral("Fichero Excel a importar:")));
    selector_ = new TJvFilenameEdit;
    selector_->setObjectName(QString::fromLatin1(definicion.selector));
    conf->addWidget(selector_);
    // The shared workbook path changes only when a selector's dialog closes.
    connect(selector_, &TJvFilenameEdit::ficheroElegido, this,
            [this](const QString& path) { nombreFichero_ = path; });

    if (definicion.listaCampos != nullptr && definicion.crearLista != nullptr) {
        lista_ = std::make_unique<qd::FieldList>(definicion.crearLista());
        caja_ = new TsuiCheckListBox;
        caja_->setObjectName(QString::fromLatin1(definicion.listaCampos));
        caja_->setFieldList(lista_.get());
        conf->addWidget(new QLabel(QStringLiteral("Campos a tener en cuenta:")));
        conf->addWidget(caja_, 1);
    } else {
        conf->addStretch(1);
    }
    paginas_->addTab(configuracion_, QStringLiteral("Configuración"));

    if (definicion.vistaPrevia != nullptr) {
        vistaPrevia_ = new VistaPreviaLibro;
        vistaPrevia_->setObjectName(QString::fromLatin1(definicion.vistaPrevia));
        paginas_->addTab(vistaPrevia_, QStringLiteral("Previsualizar Excel"));
        connect(paginas_, &QTabWidget::currentChanged, this, &PaginaImportacion::cambioPaginaInterna);
    }
}

PaginaImportacion::~PaginaImportacion() {
    if (caja_ != nullptr) caja_->setFieldList(nullptr);
}

void PaginaImportacion::cambioPaginaInterna(int indice) {
    const int anterior = paginaInterna_;
    paginaInterna_ = indice;
    qd::gui::cambiarPaginaVistaPrevia(datos_, nombreFichero_, *selector_, *vistaPrevia_, anterior, indice);
}

void PaginaImportacion::modoProceso(bool ocupado) {
    if (!definicion_.bloqueaEnProceso) return;
    paginas_->setEnabled(!ocupado);
    selector_->setEnabled(!ocupado);
}
