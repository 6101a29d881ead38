#include "ModeloReferenciasAVerificar.h"

#include <QColor>
#include <QFont>

#include "ImportacionTarifaProveedor.h"

namespace {

using Columna = ModeloReferenciasAVerificar::Columna;

} // namespace

const QList<Columna>& ModeloReferenciasAVerificar::columnas() {
    static const QList<Columna> c{
        {QStringLiteral("VERIFICADO_SN"), 10, QStringLiteral("Verificado"), true, true},
        {QStringLiteral("REFERENCIA_PROVEEDOR"), 18, QStringLiteral("Referencia~(Artículos Proveedor)"),
         false, true},
        {QStringLiteral("REFERENCIA_PROV_HABITUAL"), 18,
         QStringLiteral("Ref. Prov. Habitual~(Ficha Artículos)"), false, true},
        {QStringLiteral("EXCEL_REFERENCIA_PROVEEDOR"), 18, QStringLiteral("Referencia~(Excel)"), false,
         false},
        {QStringLiteral("MANUAL_SN"), 10, QStringLiteral("Manual"), true, false},
        {QStringLiteral("CODIGO"), 14, QStringLiteral("Código~(Ficha Artículos)"), false, true},
        {QStringLiteral("NOMBRE"), 35, QStringLiteral("Nombre Artículo~(Ficha Artículos)"), false, true},
        {QStringLiteral("EXCEL_NOMBRE"), 35, QStringLiteral("Nombre Artículo~(Excel)"), false, false},
        {QStringLiteral("CODIGOFORMATO"), 15, QStringLiteral("Código EAN~(Formatos)"), false, false},
        {QStringLiteral("EXCEL_CODIGOEAN"), 15, QStringLiteral("Código EAN~(Excel)"), false, false},
        {QStringLiteral("CATALOGO_WEB"), 10, QStringLiteral("Catálogo Web"), true, true},
        {QStringLiteral("ENCONTRADO_SN"), 10, QStringLiteral("Encontrado"), true, false},
        {QStringLiteral("ACTUALIZADO_SN"), 10, QStringLiteral("Actualizado"), true, false},
    };
    return c;
}

QString ModeloReferenciasAVerificar::claveOrden(int columna) {
    if (columna < 0 || columna >= columnas().size()) return QStringLiteral("AV.CODIGO");
    const QString& campo = columnas()[columna].campo;
    return campo == QLatin1String("CODIGOFORMATO") ? QStringLiteral("FORMATOS.CODIGO")
                                                   : QStringLiteral("AV.") + campo;
}

ModeloReferenciasAVerificar::ModeloReferenciasAVerificar(ImportacionTarifaProveedor& tarifa, QObject* parent)
    : QAbstractTableModel(parent), tarifa_(tarifa), datos_(tarifa.d) {
    TkvIBDataSet* d = &tarifa_.tArticulos_Ref_A_Verificar;
    auto todo = [this] {
        beginResetModel();
        endResetModel();
    };
    connect(d, &TkvIBDataSet::reset, this, todo);
    connect(d, &TkvIBDataSet::rowInserted, this, todo);
    connect(d, &TkvIBDataSet::rowRemoved, this, todo);
    connect(d, &TkvIBDataSet::rowChanged, this,
            [this](int fila) { emit dataChanged(index(fila, 0), index(fila, columnCount() - 1)); });
}

TkvIBDataSet& ModeloReferenciasAVerificar::ds() const {
    return tarifa_.tArticulos_Ref_A_Verificar;
}

QVariant ModeloReferenciasAVerificar::valor(int fila, const QString& campo) const {
    const int i = ds().fieldIndex(campo);
    return i < 0 ? QVariant() : ds().valueAt(fila, i);
}

int ModeloReferenciasAVerificar::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !ds().active() ? 0 : ds().recordCount();
}

int ModeloReferenciasAVerificar::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columnas().size());
}

QVariant ModeloReferenciasAVerificar::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Columna& c = columnas()[index.column()];
    const int fila = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (c.casilla) return {};
        return valor(fila, c.campo);
    case Qt::CheckStateRole:
        if (!c.casilla) return {};
        return valor(fila, c.campo).toInt() == 1 ? Qt::Checked : Qt::Unchecked;
    case Qt::ForegroundRole:
        if (fila == filaActiva_) return QColor(Qt::white);
        return tarifa_.Referencia_Difiere(fila) ? QColor(Qt::red) : QColor(42, 42, 42);
    case Qt::BackgroundRole:
        if (fila == filaActiva_) return QColor(0, 128, 192);
        if (valor(fila, QStringLiteral("VERIFICADO_SN")).toInt() == 1) return QColor(204, 223, 200);
        return {};
    case Qt::FontRole:
        if (fila == filaActiva_) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    case Qt::TextAlignmentRole:
        return c.casilla ? QVariant(Qt::AlignCenter) : QVariant();
    default:
        return {};
    }
}

QVariant ModeloReferenciasAVerificar::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString(columnas()[section].titulo).replace(QLatin1Char('~'), QLatin1Char('\n'));
}

Qt::ItemFlags ModeloReferenciasAVerificar::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const Columna& c = columnas()[index.column()];
    if (c.editable) f |= c.casilla ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return f;
}

bool ModeloReferenciasAVerificar::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount()) return false;
    const Columna& c = columnas()[index.column()];
    if (!c.editable) return false;
    QVariant v;
    if (c.casilla && role == Qt::CheckStateRole)
        v = value.toInt() == Qt::Checked ? 1 : 0;
    else if (!c.casilla && role == Qt::EditRole)
        v = value.toString().trimmed();
    else
        return false;
    try {
        ds().setValueAt(index.row(), ds().fieldIndex(c.campo), v);
    } catch (const std::exception& e) {
        if (ds().state() != TkvIBDataSet::State::Browse) ds().cancel();
        datos_.canal().message(qd::MessageKind::Error, TDatos::Texto_Error(e));
        return false;
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

void ModeloReferenciasAVerificar::setFilaActiva(int fila) {
    const int antes = filaActiva_;
    filaActiva_ = fila;
    for (int f : {antes, fila})
        if (f >= 0 && f < rowCount()) emit dataChanged(index(f, 0), index(f, columnCount() - 1));
}
