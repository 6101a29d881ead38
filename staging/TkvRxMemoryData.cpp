#include "TkvRxMemoryData.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "TListaAccesoCampos.h"
#include "UserChannel.h"

using qd::ConversionError;
using qd::DataSetError;

namespace {

bool isNumericText(const QString& s, double* out) {
    bool ok = false;
    double d = s.toDouble(&ok);
    if (!ok && s.count(QLatin1Char(',')) == 1 && !s.contains(QLatin1Char('.'))) {
        QString t = s;
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        d = t.toDouble(&ok);
    }
    if (ok && !std::isfinite(d)) ok = false;
    if (ok) *out = d;
    return ok;
}

// Days since 1899-12-30 (a spreadsheet date number) to a date-time.
QDateTime fromDateNumber(double days) {
    const double whole = std::floor(days);
    const qint64 msecs = std::llround((days - whole) * 86400000.0);
    return QDateTime(QDate(1899, 12, 30).addDays(qint64(whole)), QTime(0, 0)).addMSecs(msecs);
}

} // namespace

TkvRxMemoryData::TkvRxMemoryData(QObject* parent) : QObject(parent) {}

TkvRxMemoryData::~TkvRxMemoryData() = default;

void TkvRxMemoryData::addField(const FieldDef& def) {
    if (active()) throw DataSetError(QStringLiteral("Cannot perform this operation on an open dataset"));
    if (fieldIndex(def.name) >= 0)
        throw DataSetError(QStringLiteral("Duplicate field name '%1'").arg(def.name));
    defs_.append(def);
    byName_.insert(def.name, int(defs_.size()) - 1);
}

void TkvRxMemoryData::clearFields() {
    if (active()) throw DataSetError(QStringLiteral("Cannot perform this operation on an open dataset"));
    defs_.clear();
    byName_.clear();
    PrimeraVez = true;
}

int TkvRxMemoryData::fieldIndex(const QString& name) const {
    // a name as it was defined is found at once; any other case by comparing each
    if (const auto it = byName_.constFind(name); it != byName_.constEnd()) return it.value();
    for (int i = 0; i < defs_.size(); ++i)
        if (defs_[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TkvRxMemoryData::open() {
    if (active()) return;
    // Before-open: the descriptor list, built on the first open only.
    try {
        if (PrimeraVez) {
            QStringList names;
            for (const FieldDef& d : defs_)
                names << d.name;
            FListaCampos.build(name, names, TListaAccesoCampos::global());
            PrimeraVez = false;
        }
    } catch (const std::exception& e) {
        if (qd::UserChannel* channel = qd::UserChannel::current())
            channel->message(qd::MessageKind::Plain,
                             QStringLiteral("Error en DoBeforeOpen: ") + QString::fromUtf8(e.what()));
    }
    clearRows();
    state_ = State::Browse;
    cur_ = -1;
    eof_ = bof_ = true;
    emit reset();
}

void TkvRxMemoryData::close() {
    if (!active()) return;
    clearRows();
    state_ = State::Inactive;
    cur_ = -1;
    eof_ = bof_ = true;
    emit reset();
}

void TkvRxMemoryData::emptyTable() {
    requireActive();
    clearRows();
    state_ = State::Browse;
    cur_ = -1;
    eof_ = bof_ = true;
    emit reset();
}

void TkvRxMemoryData::clearRows() {
    rows_.reset(std::size_t(defs_.size()) + palabrasMarcas());
    strings_ = qd::wb::StringPool();
    dates_.clear();
    dates_.shrink_to_fit();
    buffer_.clear();
}

quint64 TkvRxMemoryData::pack(int col, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return kNull;
    switch (defs_[col].type) {
    case FieldType::String:
        return strings_.add(v.toString());
    case FieldType::Integer:
    case FieldType::SmallInt:
        return quint64(v.toLongLong());
    case FieldType::Float:
    case FieldType::Currency: {
        double d = v.toDouble();
        if (std::isnan(d)) d = std::numeric_limits<double>::quiet_NaN();
        quint64 bits;
        std::memcpy(&bits, &d, sizeof bits);
        return bits;
    }
    case FieldType::DateTime:
        dates_.push_back(v.toDateTime());
        return dates_.size() - 1;
    case FieldType::Boolean:
        return v.toBool() ? 1 : 0;
    }
    return kNull;
}

QVariant TkvRxMemoryData::unpack(int col, quint64 slot) const {
    if (slot == kNull) return QVariant();
    switch (defs_[col].type) {
    case FieldType::String:
        return strings_.at(quint32(slot));
    case FieldType::Integer:
    case FieldType::SmallInt:
        return int(qint64(slot));
    case FieldType::Float:
    case FieldType::Currency: {
        double d;
        std::memcpy(&d, &slot, sizeof d);
        return d;
    }
    case FieldType::DateTime:
        return dates_[std::size_t(slot)];
    case FieldType::Boolean:
        return slot != 0;
    }
    return QVariant();
}

void TkvRxMemoryData::packRow(const Values& values, quint64* row) {
    for (std::size_t i = 0; i < values.size(); ++i)
        row[i] = pack(int(i), values[i]);
}

TkvRxMemoryData::Values TkvRxMemoryData::unpackRow(const quint64* row) const {
    Values values(std::size_t(defs_.size()));
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = unpack(int(i), row[i]);
    return values;
}

void TkvRxMemoryData::SlotRows::reset(std::size_t width) {
    width_ = width;
    count_ = 0;
    blocks_.clear();
    blocks_.shrink_to_fit();
}

quint64* TkvRxMemoryData::SlotRows::push() {
    if (count_ == blocks_.size() * kBlockRows)
        blocks_.push_back(
            std::make_unique_for_overwrite<quint64[]>(std::max<std::size_t>(width_, 1) * kBlockRows));
    return (*this)[count_++];
}

void TkvRxMemoryData::SlotRows::erase(std::size_t r) {
    for (std::size_t i = r; i + 1 < count_; ++i)
        std::copy_n((*this)[i + 1], width_, (*this)[i]);
    --count_;
}

void TkvRxMemoryData::SlotRows::reorder(const std::vector<std::size_t>& order) {
    SlotRows sorted;
    sorted.reset(width_);
    for (std::size_t from : order)
        std::copy_n((*this)[from], width_, sorted.push());
    *this = std::move(sorted);
}

// Both slots hold a value (not null).
int TkvRxMemoryData::compareSlots(int col, quint64 a, quint64 b) const {
    switch (defs_[col].type) {
    case FieldType::String:
        return QStringView(strings_.view(quint32(a))).compare(strings_.view(quint32(b)), Qt::CaseInsensitive);
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::Boolean:
        return qint64(a) < qint64(b) ? -1 : qint64(a) > qint64(b) ? 1 : 0;
    case FieldType::Float:
    case FieldType::Currency: {
        double x, y;
        std::memcpy(&x, &a, sizeof x);
        std::memcpy(&y, &b, sizeof y);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    case FieldType::DateTime: {
        const QDateTime& x = dates_[std::size_t(a)];
        const QDateTime& y = dates_[std::size_t(b)];
        return x < y ? -1 : y < x ? 1 : 0;
    }
    }
    return 0;
}

void TkvRxMemoryData::requireActive() const {
    if (!active()) throw DataSetError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TkvRxMemoryData::checkBrowse() {
    requireActive();
    if (state_ == State::Edit || state_ == State::Insert) post();
}

void TkvRxMemoryData::append() {
    checkBrowse();
    buffer_.assign(std::size_t(defs_.size()), QVariant());
    marcasBuffer_.assign(std::size_t(defs_.size()), SinValor::No);
    state_ = State::Insert;
    eof_ = bof_ = false;
    // New record: the table's own handler first, then the float and small-integer fields are 0.
    if (onNewRecord) onNewRecord(*this);
    for (int i = 0; i < defs_.size(); ++i)
        if (defs_[i].type == FieldType::Float || defs_[i].type == FieldType::SmallInt)
            buffer_[std::size_t(i)] = defs_[i].type == FieldType::Float ? QVariant(0.0) : QVariant(0);
    touched_.assign(buffer_.size(), false); // what the handler set are defaults, not given values
    EstadoAnterior = 1;                     // after-insert
}

void TkvRxMemoryData::edit() {
    requireActive();
    if (state_ == State::Edit || state_ == State::Insert) return;
    if (cur_ < 0 || cur_ >= int(rows_.size()))
        throw DataSetError(QStringLiteral("Cannot edit an empty dataset"));
    buffer_ = unpackRow(rows_[std::size_t(cur_)]);
    touched_.assign(buffer_.size(), false);
    marcasBuffer_.resize(buffer_.size());
    for (int i = 0; i < defs_.size(); ++i)
        marcasBuffer_[std::size_t(i)] = marcaDe(rows_[std::size_t(cur_)], i);
    state_ = State::Edit;
    EstadoAnterior = 2; // after-edit
}

void TkvRxMemoryData::post() {
    requireActive();
    if (state_ != State::Edit && state_ != State::Insert) return;
    for (int i = 0; i < defs_.size(); ++i) {
        if (defs_[i].required && buffer_[std::size_t(i)].isNull()) {
            const QString label = defs_[i].label.isEmpty() ? defs_[i].name : defs_[i].label;
            throw DataSetError(QStringLiteral("Field '%1' must have a value").arg(label));
        }
    }
    EstadoAnterior = state_ == State::Insert ? 1 : 2;
    if (beforePost) beforePost(*this);
    if (state_ == State::Insert) {
        // packed aside first: a value that cannot be stored leaves no half-filled row behind
        packed_.resize(buffer_.size() + palabrasMarcas());
        packRow(buffer_, packed_.data());
        guardarMarcas(packed_.data());
        std::copy(packed_.cbegin(), packed_.cend(), rows_.push());
        cur_ = int(rows_.size()) - 1;
        state_ = State::Browse;
        buffer_.clear();
        eof_ = bof_ = false;
        emit rowInserted(cur_);
    } else {
        // only the fields set during the edit are stored again: the others keep their slots
        quint64* row = rows_[std::size_t(cur_)];
        for (std::size_t i = 0; i < buffer_.size(); ++i)
            if (touched_[i]) row[i] = pack(int(i), buffer_[i]);
        guardarMarcas(row);
        state_ = State::Browse;
        buffer_.clear();
        emit rowChanged(cur_);
    }
}

void TkvRxMemoryData::cancel() {
    requireActive();
    if (state_ == State::Insert) {
        eof_ = rows_.empty() || cur_ < 0;
        bof_ = eof_;
    }
    buffer_.clear();
    state_ = State::Browse;
}

void TkvRxMemoryData::del() {
    requireActive();
    // Deleting a record still being appended only discards it.
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    // Only when the current record exists: a pending edit is cancelled first.
    if (cur_ < 0 || cur_ >= int(rows_.size())) return;
    if (state_ == State::Edit) cancel();
    const int row = cur_;
    rows_.erase(std::size_t(row));
    emit rowRemoved(row);
    if (rows_.empty()) {
        cur_ = -1;
        eof_ = bof_ = true;
    } else {
        cur_ = std::min(row, int(rows_.size()) - 1);
        eof_ = bof_ = false;
    }
}

void TkvRxMemoryData::first() {
    checkBrowse();
    cur_ = rows_.empty() ? -1 : 0;
    eof_ = bof_ = rows_.empty();
    bof_ = true;
}

void TkvRxMemoryData::last() {
    checkBrowse();
    cur_ = int(rows_.size()) - 1;
    eof_ = true;
    bof_ = rows_.empty();
}

void TkvRxMemoryData::next() {
    checkBrowse();
    bof_ = false;
    if (cur_ + 1 < int(rows_.size())) {
        ++cur_;
        eof_ = false;
    } else {
        eof_ = true;
    }
}

void TkvRxMemoryData::prior() {
    checkBrowse();
    eof_ = false;
    if (cur_ > 0) {
        --cur_;
        bof_ = false;
    } else {
        bof_ = true;
    }
}

void TkvRxMemoryData::setRecNo(int recNo) {
    checkBrowse();
    if (recNo < 1 || recNo > int(rows_.size())) return;
    cur_ = recNo - 1;
    eof_ = bof_ = false;
}

int TkvRxMemoryData::recNo() const {
    if (state_ == State::Insert) return int(rows_.size()) + 1;
    return cur_ + 1;
}

void TkvRxMemoryData::requireField(int col, const QString& fieldName) const {
    if (col < 0 || col >= defs_.size())
        throw DataSetError(QStringLiteral("%1: Field '%2' not found").arg(name, fieldName));
}

QVariant TkvRxMemoryData::value(const QString& field) const {
    const int col = fieldIndex(field);
    requireField(col, field);
    return value(col);
}

QVariant TkvRxMemoryData::value(int col) const {
    requireField(col, QString::number(col));
    if (state_ == State::Edit || state_ == State::Insert) return buffer_[std::size_t(col)];
    if (cur_ < 0 || cur_ >= int(rows_.size())) return QVariant();
    return unpack(col, rows_[std::size_t(cur_)][std::size_t(col)]);
}

void TkvRxMemoryData::setValue(const QString& field, const QVariant& v) {
    const int col = fieldIndex(field);
    requireField(col, field);
    setValue(col, v);
}

void TkvRxMemoryData::setValue(int col, const QVariant& v) {
    requireField(col, QString::number(col));
    if (state_ != State::Edit && state_ != State::Insert)
        throw DataSetError(QStringLiteral("Dataset not in edit or insert mode"));
    buffer_[std::size_t(col)] = convert(defs_[col], v);
    marcasBuffer_[std::size_t(col)] = SinValor::No;
    if (col < int(touched_.size())) touched_[std::size_t(col)] = true;
}

void TkvRxMemoryData::marcarAusentes() {
    if (state_ != State::Edit && state_ != State::Insert)
        throw DataSetError(QStringLiteral("Dataset not in edit or insert mode"));
    for (std::size_t i = 0; i < marcasBuffer_.size() && i < touched_.size(); ++i)
        if (!touched_[i] && marcasBuffer_[i] == SinValor::No) marcasBuffer_[i] = SinValor::Ausente;
}

void TkvRxMemoryData::marcar(int col, SinValor marca) {
    requireField(col, QString::number(col));
    if (state_ != State::Edit && state_ != State::Insert)
        throw DataSetError(QStringLiteral("Dataset not in edit or insert mode"));
    marcasBuffer_[std::size_t(col)] = marca;
}

TkvRxMemoryData::SinValor TkvRxMemoryData::sinValor(int col) const {
    requireField(col, QString::number(col));
    if (state_ == State::Edit || state_ == State::Insert) return marcasBuffer_[std::size_t(col)];
    if (cur_ < 0 || cur_ >= int(rows_.size())) return SinValor::No;
    return marcaDe(rows_[std::size_t(cur_)], col);
}

TkvRxMemoryData::SinValor TkvRxMemoryData::sinValor(const QString& field) const {
    const int col = fieldIndex(field);
    requireField(col, field);
    return sinValor(col);
}

TkvRxMemoryData::SinValor TkvRxMemoryData::sinValorAt(int row, int col) const {
    if (row < 0 || row >= int(rows_.size()) || col < 0 || col >= defs_.size()) return SinValor::No;
    if (row == cur_ && state_ == State::Edit) return marcasBuffer_[std::size_t(col)];
    return marcaDe(rows_[std::size_t(row)], col);
}

void TkvRxMemoryData::guardarMarcas(quint64* row) const {
    quint64* marcas = row + defs_.size();
    std::fill_n(marcas, palabrasMarcas(), quint64(0));
    for (std::size_t i = 0; i < marcasBuffer_.size(); ++i)
        marcas[i / 32] |= quint64(marcasBuffer_[i]) << (2 * (i % 32));
}

TkvRxMemoryData::SinValor TkvRxMemoryData::marcaDe(const quint64* row, int col) const {
    const quint64 palabra = row[std::size_t(defs_.size()) + std::size_t(col) / 32];
    return SinValor((palabra >> (2 * (std::size_t(col) % 32))) & 3u);
}

QVariant TkvRxMemoryData::valueAt(int row, int col) const {
    if (row < 0 || row >= int(rows_.size()) || col < 0 || col >= defs_.size()) return QVariant();
    if (row == cur_ && (state_ == State::Edit)) return buffer_[std::size_t(col)];
    return unpack(col, rows_[std::size_t(row)][std::size_t(col)]);
}

void TkvRxMemoryData::setValueAt(int row, int col, const QVariant& v) {
    if (row < 0 || row >= int(rows_.size())) throw DataSetError(QStringLiteral("Record not found"));
    requireField(col, QString::number(col));
    const QVariant converted = convert(defs_[col], v);
    quint64* fila = rows_[std::size_t(row)];
    fila[std::size_t(col)] = pack(col, converted);
    // A value typed in over a cell without one is a value the user gave.
    fila[std::size_t(defs_.size()) + std::size_t(col) / 32] &= ~(quint64(3) << (2 * (std::size_t(col) % 32)));
    if (row == cur_ && state_ == State::Edit) {
        buffer_[std::size_t(col)] = converted;
        marcasBuffer_[std::size_t(col)] = SinValor::No;
    }
    emit rowChanged(row);
}

void TkvRxMemoryData::sort(const QStringList& fields) {
    checkBrowse();
    std::vector<int> cols;
    for (const QString& f : fields) {
        const int col = fieldIndex(f);
        requireField(col, f);
        cols.push_back(col);
    }
    auto less = [&](std::size_t ra, std::size_t rb) {
        const quint64* a = rows_[ra];
        const quint64* b = rows_[rb];
        for (int col : cols) {
            const quint64 x = a[std::size_t(col)];
            const quint64 y = b[std::size_t(col)];
            if (x == kNull || y == kNull) {
                if ((x == kNull) != (y == kNull)) return x == kNull; // nulls first
                continue;
            }
            const int c = compareSlots(col, x, y);
            if (c != 0) return c < 0;
        }
        return false;
    };
    std::vector<std::size_t> order(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), less);
    rows_.reorder(order);
    ultimoOrden_ = std::move(order);
    cur_ = rows_.empty() ? -1 : 0;
    eof_ = bof_ = rows_.empty();
    emit reset();
}

QVariant TkvRxMemoryData::convert(const FieldDef& def, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QVariant();
    const bool isText = v.typeId() == QMetaType::QString;
    const QString text = isText ? v.toString() : QString();
    if (def.type != FieldType::String && isText && text.trimmed().isEmpty()) return QVariant();
    switch (def.type) {
    case FieldType::String: {
        QString s;
        if (v.typeId() == QMetaType::Double)
            s = QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        else if (v.typeId() == QMetaType::QDateTime)
            s = v.toDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
        else if (v.typeId() == QMetaType::QDate)
            s = v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        else
            s = v.toString();
        if (def.size > 0 && s.size() > def.size) s.truncate(def.size);
        return s;
    }
    case FieldType::Integer:
    case FieldType::SmallInt: {
        qint64 i = 0;
        if (isText) {
            bool ok = false;
            const QString t = text.trimmed();
            i = t.toLongLong(&ok);
            double d = 0;
            if (!ok && isNumericText(t, &d) && d == std::floor(d) && std::fabs(d) < 9e18) {
                i = qint64(d);
                ok = true;
            }
            if (!ok) throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
            const double d = v.toDouble();
            if (!std::isfinite(d) || std::fabs(d) > 9e18)
                throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(d));
            i = std::llround(d);
        } else if (v.typeId() == QMetaType::Bool) {
            i = v.toBool() ? 1 : 0;
        } else {
            bool ok = false;
            i = v.toLongLong(&ok);
            if (!ok)
                throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
        }
        const qint64 lo = def.type == FieldType::SmallInt ? -32768 : std::numeric_limits<qint32>::min();
        const qint64 hi = def.type == FieldType::SmallInt ? 32767 : std::numeric_limits<qint32>::max();
        if (i < lo || i > hi)
            throw ConversionError(
                QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                    .arg(i)
                    .arg(def.name)
                    .arg(lo)
                    .arg(hi));
        return int(i);
    }
    case FieldType::Float:
    case FieldType::Currency: {
        double d = 0;
        if (isText) {
            if (!isNumericText(text.trimmed(), &d))
                throw ConversionError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
        } else if (v.typeId() == QMetaType::QDateTime) {
            throw ConversionError(
                QStringLiteral("'%1' is not a valid floating point value").arg(v.toDateTime().toString()));
        } else {
            bool ok = false;
            d = v.toDouble(&ok);
            if (!ok)
                throw ConversionError(
                    QStringLiteral("'%1' is not a valid floating point value").arg(v.toString()));
        }
        if (def.type == FieldType::Currency) d = std::round(d * 10000.0) / 10000.0;
        return d;
    }
    case FieldType::DateTime: {
        switch (v.typeId()) {
        case QMetaType::QDateTime:
            return v.toDateTime();
        case QMetaType::QDate:
            return QDateTime(v.toDate(), QTime(0, 0));
        case QMetaType::Double:
        case QMetaType::Int:
        case QMetaType::LongLong:
            return fromDateNumber(v.toDouble());
        default:
            break;
        }
        const QString t = text.trimmed();
        for (const char* f :
             {"dd/MM/yyyy hh:mm:ss", "dd/MM/yyyy hh:mm", "dd/MM/yyyy", "d/M/yyyy", "yyyy-MM-dd hh:mm:ss",
              "yyyy-MM-ddThh:mm:ss", "yyyy-MM-dd", "dd-MM-yyyy", "dd.MM.yyyy"}) {
            const QDateTime dt = QDateTime::fromString(t, QLatin1String(f));
            if (dt.isValid()) return dt;
            const QDate date = QDate::fromString(t, QLatin1String(f));
            if (date.isValid()) return QDateTime(date, QTime(0, 0));
        }
        throw ConversionError(QStringLiteral("'%1' is not a valid date and time").arg(t));
    }
    case FieldType::Boolean: {
        if (v.typeId() == QMetaType::Bool) return v.toBool();
        if (isText) {
            const QString t = text.trimmed().toLower();
            if (t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("s") ||
                t == QLatin1String("si") || t == QLatin1String("sí") || t == QLatin1String("yes"))
                return true;
            if (t == QLatin1String("false") || t == QLatin1String("0") || t == QLatin1String("n") ||
                t == QLatin1String("no"))
                return false;
            throw ConversionError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
        }
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok) throw ConversionError(QStringLiteral("'%1' is not a valid boolean value").arg(v.toString()));
        return d != 0;
    }
    }
    return v;
}
