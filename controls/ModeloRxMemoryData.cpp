#include "ModeloRxMemoryData.h"

#include <QDateTime>
#include <QLocale>

namespace {

using FieldType = TkvRxMemoryData::FieldType;

bool esFlotante(FieldType t) {
    return t == FieldType::Float || t == FieldType::Currency;
}

// Decimals and grouping of a display format such as "#,##0.00"; -1 decimals: none given.
void leerFormato(const QString& formato, int& decimales, bool& grupos) {
    decimales = -1;
    grupos = false;
    if (formato.isEmpty()) return;
    grupos = formato.contains(QLatin1Char(','));
    const auto punto = formato.indexOf(QLatin1Char('.'));
    if (punto < 0) {
        decimales = 0;
        return;
    }
    decimales = 0;
    for (auto i = punto + 1;
         i < formato.size() && (formato[i] == QLatin1Char('0') || formato[i] == QLatin1Char('#')); ++i)
        ++decimales;
}

} // namespace

ModeloRxMemoryData::ModeloRxMemoryData(QObject* parent) : QAbstractTableModel(parent) {
    lote_.setSingleShot(true);
    lote_.setInterval(150);
    connect(&lote_, &QTimer::timeout, this, &ModeloRxMemoryData::sincronizar);
}

void ModeloRxMemoryData::setTabla(TkvRxMemoryData* tabla) {
    for (const auto& c : conexiones_)
        disconnect(c);
    conexiones_.clear();
    tabla_ = tabla;
    if (tabla_) {
        conexiones_ << connect(tabla_, &TkvRxMemoryData::reset, this, &ModeloRxMemoryData::reiniciar);
        conexiones_ << connect(tabla_, &TkvRxMemoryData::rowInserted, this,
                               &ModeloRxMemoryData::alInsertarFila);
        conexiones_ << connect(tabla_, &TkvRxMemoryData::rowChanged, this,
                               &ModeloRxMemoryData::alCambiarFila);
        conexiones_ << connect(tabla_, &TkvRxMemoryData::rowRemoved, this, &ModeloRxMemoryData::alQuitarFila);
        conexiones_ << connect(tabla_, &QObject::destroyed, this, [this] {
            beginResetModel();
            tabla_ = nullptr;
            campos_.clear();
            filas_ = 0;
            endResetModel();
        });
    }
    reiniciar();
}

void ModeloRxMemoryData::setColumnas(const QList<Columna>& columnas) {
    beginResetModel();
    columnas_ = columnas;
    recalcularCampos();
    filas_ = tabla_ ? tabla_->recordCount() : 0;
    endResetModel();
}

void ModeloRxMemoryData::recalcularCampos() {
    campos_.clear();
    if (!tabla_) return;
    if (columnas_.isEmpty()) {
        const auto& defs = tabla_->fieldDefs();
        for (int i = 0; i < defs.size(); ++i)
            if (defs[i].visible) campos_ << i;
        return;
    }
    for (const auto& c : columnas_)
        campos_ << tabla_->fieldIndex(c.campo);
}

void ModeloRxMemoryData::reiniciar() {
    lote_.stop();
    beginResetModel();
    recalcularCampos();
    filas_ = tabla_ ? tabla_->recordCount() : 0;
    endResetModel();
}

void ModeloRxMemoryData::sincronizar() {
    lote_.stop();
    if (!tabla_) return;
    const int total = tabla_->recordCount();
    if (total > filas_) {
        beginInsertRows({}, filas_, total - 1);
        filas_ = total;
        endInsertRows();
    } else if (total < filas_) {
        reiniciar();
    }
}

void ModeloRxMemoryData::alInsertarFila(int fila) {
    if (!tabla_) return;
    if (fila >= filas_) {
        // Appended at the end: announced with the next batch.
        if (!lote_.isActive()) lote_.start();
        return;
    }
    // Inserted among the rows the views know: they learn of it as a full refresh.
    reiniciar();
}

void ModeloRxMemoryData::alCambiarFila(int fila) {
    if (fila < 0 || fila >= filas_ || campos_.isEmpty()) return;
    emit dataChanged(index(fila, 0), index(fila, int(campos_.size()) - 1));
}

void ModeloRxMemoryData::alQuitarFila(int fila) {
    if (!tabla_) return;
    if (fila < 0 || fila >= filas_) {
        sincronizar();
        return;
    }
    beginRemoveRows({}, fila, fila);
    --filas_;
    endRemoveRows();
    sincronizar();
}

int ModeloRxMemoryData::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : filas_;
}

int ModeloRxMemoryData::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(campos_.size());
}

int ModeloRxMemoryData::campoDeColumna(int columna) const {
    return columna >= 0 && columna < campos_.size() ? campos_[columna] : -1;
}

int ModeloRxMemoryData::columnaDeCampo(const QString& campo) const {
    if (!tabla_) return -1;
    const int indice = tabla_->fieldIndex(campo);
    return indice < 0 ? -1 : int(campos_.indexOf(indice));
}

bool ModeloRxMemoryData::esColumnaFlotante(int columna) const {
    const int campo = campoDeColumna(columna);
    return tabla_ && campo >= 0 && esFlotante(tabla_->fieldDefs()[campo].type);
}

bool ModeloRxMemoryData::esColumnaCasilla(int columna) const {
    return !columnas_.isEmpty() && columna >= 0 && columna < columnas_.size() && columnas_[columna].casilla;
}

QString ModeloRxMemoryData::textoValor(const TkvRxMemoryData::FieldDef& def, const QVariant& valor) {
    if (valor.isNull() || !valor.isValid()) return {};
    const QLocale locale;
    switch (def.type) {
    case FieldType::Float:
    case FieldType::Currency: {
        int decimales = -1;
        bool grupos = false;
        leerFormato(def.displayFormat, decimales, grupos);
        QLocale l = locale;
        l.setNumberOptions(grupos ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
        if (decimales >= 0) return l.toString(valor.toDouble(), 'f', decimales);
        return l.toString(valor.toDouble(), 'g', 15);
    }
    case FieldType::Integer:
    case FieldType::SmallInt: {
        QLocale l = locale;
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l.toString(valor.toLongLong());
    }
    case FieldType::DateTime: {
        const QDateTime dt = valor.toDateTime();
        if (dt.time() == QTime(0, 0)) return locale.toString(dt.date(), QLocale::ShortFormat);
        return locale.toString(dt, QLocale::ShortFormat);
    }
    case FieldType::Boolean:
        return valor.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::String:
        break;
    }
    return valor.toString();
}

QVariant ModeloRxMemoryData::data(const QModelIndex& index, int role) const {
    if (!tabla_ || !index.isValid() || index.row() >= filas_) return {};
    const int campo = campoDeColumna(index.column());
    if (campo < 0) return {};
    const QVariant valor = tabla_->valueAt(index.row(), campo);
    const auto& def = tabla_->fieldDefs()[campo];
    if (esColumnaCasilla(index.column())) {
        if (role == Qt::CheckStateRole) {
            if (valor.isNull()) return {};
            return valor.toInt() == 1 ? Qt::Checked : Qt::Unchecked;
        }
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return textoValor(def, valor);
    case Qt::EditRole:
        if (esFlotante(def.type) && !valor.isNull()) {
            QLocale l;
            l.setNumberOptions(QLocale::OmitGroupSeparator);
            return l.toString(valor.toDouble(), 'g', 15);
        }
        return valor.isNull() ? QVariant(QString()) : QVariant(valor.toString());
    case Qt::TextAlignmentRole:
        if (def.type == FieldType::String) return int(Qt::AlignLeft | Qt::AlignVCenter);
        return int(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool ModeloRxMemoryData::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (soloLectura_ || !tabla_ || !index.isValid() || index.row() >= filas_) return false;
    const int campo = campoDeColumna(index.column());
    if (campo < 0) return false;
    QVariant nuevo = value;
    if (esColumnaCasilla(index.column())) {
        if (role != Qt::CheckStateRole) return false;
        nuevo = value.toInt() == Qt::Checked ? 1 : 0;
    } else if (role != Qt::EditRole) {
        return false;
    } else if (esFlotante(tabla_->fieldDefs()[campo].type)) {
        // Typed in the user's locale ("1,5" with a comma separator).
        const QString texto = value.toString().trimmed();
        if (texto.isEmpty()) {
            nuevo = QVariant();
        } else {
            bool ok = false;
            QLocale l;
            const double d = l.toDouble(texto, &ok);
            if (!ok) return false;
            nuevo = d;
        }
    }
    try {
        tabla_->setValueAt(index.row(), campo, nuevo);
    } catch (const qd::DataSetError&) {
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

QVariant ModeloRxMemoryData::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole) return section + 1;
        return {};
    }
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    if (!columnas_.isEmpty() && section < columnas_.size() && !columnas_[section].titulo.isEmpty())
        return columnas_[section].titulo;
    const int campo = campoDeColumna(section);
    if (!tabla_ || campo < 0) return section < columnas_.size() ? columnas_[section].campo : QString();
    const auto& def = tabla_->fieldDefs()[campo];
    return def.label.isEmpty() ? def.name : def.label;
}

Qt::ItemFlags ModeloRxMemoryData::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (soloLectura_ || campoDeColumna(index.column()) < 0) return f;
    if (esColumnaCasilla(index.column())) return f | Qt::ItemIsUserCheckable;
    return f | Qt::ItemIsEditable;
}
