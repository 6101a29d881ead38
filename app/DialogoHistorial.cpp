#include "DialogoHistorial.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>

#include "DeshacerImportacion.h"
#include "ErrorImportacion.h"
#include "TDatos.h"

DialogoHistorial::DialogoHistorial(TDatos& datos, QWidget* parent) : QDialog(parent), datos_(datos) {
    setObjectName(QStringLiteral("DialogoHistorial"));
    setWindowTitle(QStringLiteral("Historial de importaciones"));
    resize(900, 600);
    auto* principal = new QVBoxLayout(this);
    auto* filtros = new QHBoxLayout;
    tipo_ = new QComboBox;
    tipo_->setObjectName(QStringLiteral("cbTipoHistorial"));
    usarDesde_ = new QCheckBox(QStringLiteral("Desde"));
    usarHasta_ = new QCheckBox(QStringLiteral("Hasta"));
    desde_ = new QDateEdit(QDate::currentDate().addDays(-30));
    hasta_ = new QDateEdit(QDate::currentDate());
    for (QDateEdit* f : {desde_, hasta_})
        f->setCalendarPopup(true);
    filtros->addWidget(new QLabel(QStringLiteral("Tipo:")));
    filtros->addWidget(tipo_);
    filtros->addWidget(usarDesde_);
    filtros->addWidget(desde_);
    filtros->addWidget(usarHasta_);
    filtros->addWidget(hasta_);
    filtros->addStretch();
    principal->addLayout(filtros);

    tabla_ = new QTableWidget(0, 8);
    tabla_->setObjectName(QStringLiteral("tablaHistorial"));
    tabla_->setHorizontalHeaderLabels({QStringLiteral("Nº"), QStringLiteral("Inicio"), QStringLiteral("Fin"),
                                       QStringLiteral("Tipo"), QStringLiteral("Estado"),
                                       QStringLiteral("Usuario"), QStringLiteral("Equipo"),
                                       QStringLiteral("Libro")});
    tabla_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabla_->setSelectionMode(QAbstractItemView::SingleSelection);
    tabla_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabla_->horizontalHeader()->setStretchLastSection(true);
    principal->addWidget(tabla_, 2);
    detalle_ = new QPlainTextEdit;
    detalle_->setObjectName(QStringLiteral("detalleHistorial"));
    detalle_->setReadOnly(true);
    principal->addWidget(detalle_, 1);

    auto* botones = new QHBoxLayout;
    deshacer_ = new QPushButton(QStringLiteral("Deshacer importación"));
    deshacer_->setObjectName(QStringLiteral("btnDeshacerImportacion"));
    eliminar_ = new QPushButton(QStringLiteral("Eliminar diario"));
    eliminar_->setObjectName(QStringLiteral("btnEliminarDiario"));
    eliminar_->setToolTip(
        QStringLiteral("La importación sigue en el historial, pero ya no se podrá deshacer."));
    auto* cerrar = new QPushButton(QStringLiteral("Cerrar"));
    botones->addWidget(deshacer_);
    botones->addWidget(eliminar_);
    botones->addStretch();
    botones->addWidget(cerrar);
    principal->addLayout(botones);

    connect(cerrar, &QPushButton::clicked, this, &QDialog::accept);
    connect(deshacer_, &QPushButton::clicked, this, [this] { pulsarDeshacer(); });
    connect(eliminar_, &QPushButton::clicked, this, [this] { pulsarEliminarDiario(); });
    connect(tabla_, &QTableWidget::itemSelectionChanged, this, [this] { alCambiarSeleccion(); });
    connect(tipo_, &QComboBox::currentIndexChanged, this, [this] { actualizar(); });
    for (QCheckBox* c : {usarDesde_, usarHasta_})
        connect(c, &QCheckBox::toggled, this, [this] { actualizar(); });
    for (QDateEdit* f : {desde_, hasta_})
        connect(f, &QDateEdit::dateChanged, this, [this] { actualizar(); });

    // The kinds found in the history, for the filter.
    tipo_->blockSignals(true);
    tipo_->addItem(QStringLiteral("(todos)"), QString());
    try {
        QStringList tipos;
        for (const qd::FilaHistorial& f : qd::listarHistorial(datos_.IBDatabase))
            if (!tipos.contains(f.tipo)) tipos << f.tipo;
        tipos.sort();
        for (const QString& t : tipos)
            tipo_->addItem(t, t);
    } catch (const std::exception&) {
    }
    tipo_->blockSignals(false);
    actualizar();
}

void DialogoHistorial::actualizar() {
    qd::FiltroHistorial filtro;
    filtro.tipo = tipo_->currentData().toString();
    if (usarDesde_->isChecked()) filtro.desde = desde_->date();
    if (usarHasta_->isChecked()) filtro.hasta = hasta_->date();
    filas_.clear();
    try {
        filas_ = qd::listarHistorial(datos_.IBDatabase, filtro);
    } catch (const std::exception& e) {
        detalle_->setPlainText(QStringLiteral("No se puede leer el historial: ") + TDatos::Texto_Error(e));
    }
    tabla_->setRowCount(int(filas_.size()));
    const auto fecha = [](const QDateTime& t) {
        return t.isValid() ? t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString();
    };
    for (int i = 0; i < filas_.size(); ++i) {
        const qd::FilaHistorial& f = filas_[i];
        const QStringList celdas{QString::number(f.id),
                                 fecha(f.inicio),
                                 fecha(f.fin),
                                 f.tipo,
                                 f.estado + (f.simulada ? QStringLiteral(" (simulación)") : QString()) +
                                     (f.deshecha.isValid() ? QStringLiteral(" (deshecha)") : QString()),
                                 f.usuario,
                                 f.equipo,
                                 f.libro};
        for (int c = 0; c < celdas.size(); ++c)
            tabla_->setItem(i, c, new QTableWidgetItem(celdas[c]));
    }
    if (!filas_.isEmpty()) tabla_->selectRow(0);
    alCambiarSeleccion();
}

const qd::FilaHistorial* DialogoHistorial::seleccionada() const {
    const int fila = tabla_->currentRow();
    return fila >= 0 && fila < filas_.size() && !tabla_->selectedItems().isEmpty() ? &filas_[fila] : nullptr;
}

void DialogoHistorial::alCambiarSeleccion() {
    const qd::FilaHistorial* f = seleccionada();
    const QString motivo = f ? f->motivoSinDeshacer() : QString();
    deshacer_->setEnabled(f && motivo.isEmpty());
    deshacer_->setToolTip(f && !motivo.isEmpty() ? motivo : QString());
    eliminar_->setEnabled(f && f->diario);
    if (f) detalle_->setPlainText(f->detalle());
}

void DialogoHistorial::pulsarDeshacer() {
    const qd::FilaHistorial* f = seleccionada();
    if (!f) return;
    const int id = f->id;
    if (!datos_.canal().ask(
            QStringLiteral(
                "¿Deshacer la importación %1 (%2, %3)? Cada fila que cambió vuelve a como estaba antes.")
                .arg(id)
                .arg(f->tipo, f->inicio.toString(QStringLiteral("dd/MM/yyyy HH:mm")))))
        return;
    qd::OpcionesDeshacer o;
    o.programa = QStringLiteral("ventana");
    o.usuario = datos_.Usuario;
    o.idUsuario = datos_.IdUsuario;
    try {
        qd::InformeDeshacer informe = qd::deshacerImportacion(datos_.IBDatabase, id, o);
        if (!informe.hecho && !informe.conflictos.isEmpty()) {
            if (!datos_.canal().ask(informe.texto() +
                                    QStringLiteral("\r\n\r\n¿Deshacer el resto y dejar esas filas "
                                                   "como están?"))) {
                actualizar();
                return;
            }
            o.forzar = true;
            informe = qd::deshacerImportacion(datos_.IBDatabase, id, o);
        }
        datos_.canal().message(qd::MessageKind::Information, informe.texto());
    } catch (const std::exception& e) {
        datos_.canal().message(qd::MessageKind::Error,
                               QStringLiteral("No se ha deshecho nada.\r\n") + TDatos::Texto_Error(e));
    }
    actualizar();
}

void DialogoHistorial::pulsarEliminarDiario() {
    const qd::FilaHistorial* f = seleccionada();
    if (!f) return;
    if (!datos_.canal().ask(
            QStringLiteral("¿Eliminar el diario de la importación %1? Seguirá en el historial, pero "
                           "ya no se podrá deshacer.")
                .arg(f->id)))
        return;
    try {
        qd::borrarDiario(datos_.IBDatabase, f->id);
    } catch (const std::exception& e) {
        datos_.canal().message(qd::MessageKind::Error, TDatos::Texto_Error(e));
    }
    actualizar();
}
