#include "FbStatement.h"

#include <QLocale>
#include <QTimeZone>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ibase.h>
#include <limits>

namespace qd::fb {

namespace {

constexpr qint64 kMjdEpochJulianDay = 2400001; // 1858-11-17, day 0 of the server's dates

XSQLDA* allocSqlda(int n) {
    const int count = n < 1 ? 1 : n;
    auto* da = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(count)));
    if (!da) throw std::bad_alloc();
    da->version = SQLDA_VERSION1;
    da->sqln = short(count);
    return da;
}

struct SqldaDeleter {
    void operator()(XSQLDA* da) const { std::free(da); }
};
using SqldaPtr = std::unique_ptr<XSQLDA, SqldaDeleter>;

qint64 pow10(int n) {
    qint64 r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

QDate decodeDate(ISC_DATE d) {
    return QDate::fromJulianDay(qint64(d) + kMjdEpochJulianDay);
}

QTime decodeTime(ISC_TIME t) {
    return QTime::fromMSecsSinceStartOfDay(int(t / 10));
}

ISC_DATE encodeDate(const QDate& d) {
    return ISC_DATE(d.toJulianDay() - kMjdEpochJulianDay);
}

ISC_TIME encodeTime(const QTime& t) {
    return ISC_TIME(t.isValid() ? t.msecsSinceStartOfDay() : 0) * 10;
}

// Exact decimal text of a scaled integer ("12.50" → "12.5"; trailing zeros dropped).
QString scaledToString(qint64 v, int scale) {
    if (scale >= 0) return QString::number(v * pow10(scale));
    const bool negative = v < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(v) : quint64(v);
    QString digits = QString::number(magnitude);
    const int decimals = -scale;
    if (digits.size() <= decimals) digits.prepend(QString(decimals - digits.size() + 1, QLatin1Char('0')));
    QString text = digits.left(digits.size() - decimals) + QLatin1Char('.') + digits.right(decimals);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return negative ? QLatin1Char('-') + text : text;
}

QString doubleToString(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

bool isIdentChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Buffers of one prepared statement.

struct Statement::Impl {
    isc_stmt_handle handle = 0;
    SqldaPtr in;
    SqldaPtr out;
    int stmtType = 0;
    // Declared input types (the XSQLVARs are rewritten at every execute).
    struct Declared {
        short type;
        short scale;
        short subtype;
        short len;
    };
    std::vector<Declared> declared;
    std::vector<std::vector<char>> inBuf;
    std::vector<short> inInd;
    std::vector<std::vector<char>> outBuf;
    std::vector<short> outInd;
    // Row-level cache of blob texts (read on demand).
    mutable std::vector<QVariant> blobCache;
    mutable std::vector<bool> blobCached;
};

// ---------------------------------------------------------------------------------------------
// Param

void Param::setString(const QString& v) {
    if (owner_ && !(owner_->db_ && owner_->db_->utf8())) {
        for (QChar c : v) {
            if (c.unicode() > 0xFF) {
                throw Error(
                    QStringLiteral("El valor \"%1\" del parámetro %2 contiene caracteres que no se pueden "
                                   "guardar en la base de datos (juego de caracteres ISO8859_1).")
                        .arg(v, name_),
                    0, 0, QString(), owner_->sql());
            }
        }
    }
    value_ = QVariant(v);
}

void Param::setVariant(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        value_ = QVariant();
        return;
    }
    switch (v.typeId()) {
    case QMetaType::QString:
        setString(v.toString());
        break;
    case QMetaType::Bool:
        setBool(v.toBool());
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
        setInt(v.toLongLong());
        break;
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (v.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            setDouble(v.toDouble());
        else
            setInt(v.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        setDouble(v.toDouble());
        break;
    case QMetaType::QDateTime:
        setDateTime(v.toDateTime());
        break;
    case QMetaType::QDate:
        setDate(v.toDate());
        break;
    case QMetaType::QByteArray:
        value_ = v;
        break;
    default:
        if (v.canConvert<QString>())
            setString(v.toString());
        else
            throw Error(QStringLiteral("Tipo de valor no admitido para el parámetro %1.").arg(name_));
    }
}

// ---------------------------------------------------------------------------------------------
// Field

bool Field::isNull() const {
    if (hasValue_ || !owner_) return value_.isNull();
    const XSQLVAR& var = owner_->d_->out->sqlvar[index_];
    return (var.sqltype & 1) && *var.sqlind == -1;
}

QVariant Field::asVariant() const {
    if (hasValue_ || !owner_) return value_;
    return owner_->readColumn(index_);
}

qint64 Field::asInt() const {
    if (!hasValue_ && owner_) {
        const XSQLVAR& var = owner_->d_->out->sqlvar[index_];
        if ((var.sqltype & 1) && *var.sqlind == -1) return 0;
        if (var.sqlscale == 0) {
            switch (var.sqltype & ~1) {
            case SQL_SHORT:
                return *reinterpret_cast<const short*>(var.sqldata);
            case SQL_LONG:
                return *reinterpret_cast<const ISC_LONG*>(var.sqldata);
            case SQL_INT64:
                return *reinterpret_cast<const ISC_INT64*>(var.sqldata);
            default:
                break;
            }
        }
    }
    const QVariant v = asVariant();
    if (v.isNull()) return 0;
    switch (v.typeId()) {
    case QMetaType::Double:
        return std::llround(v.toDouble());
    case QMetaType::QString: {
        bool ok = false;
        const QString s = v.toString().trimmed();
        const qint64 i = s.toLongLong(&ok);
        if (ok) return i;
        const double d = s.toDouble(&ok);
        if (ok) return std::llround(d);
        throw Error(QStringLiteral("'%1' no es un valor entero válido (campo %2).").arg(s, name_));
    }
    default:
        return v.toLongLong();
    }
}

double Field::asDouble() const {
    const QVariant v = asVariant();
    if (v.isNull()) return 0;
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const QString s = v.toString().trimmed();
        const double d = s.toDouble(&ok);
        if (!ok) throw Error(QStringLiteral("'%1' no es un valor numérico válido (campo %2).").arg(s, name_));
        return d;
    }
    if (v.typeId() == QMetaType::QDateTime) {
        // Days since 1899-12-30 with the time as a fraction, like a spreadsheet date.
        const QDateTime dt = v.toDateTime();
        return double(QDate(1899, 12, 30).daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
    }
    return v.toDouble();
}

QString Field::asString() const {
    if (!hasValue_ && owner_) {
        const XSQLVAR& var = owner_->d_->out->sqlvar[index_];
        if ((var.sqltype & 1) && *var.sqlind == -1) return QString();
        const bool utf8 = owner_->db_ && owner_->db_->utf8();
        switch (var.sqltype & ~1) {
        case SQL_TEXT:
            return utf8 ? QString::fromUtf8(var.sqldata, var.sqllen)
                        : QString::fromLatin1(var.sqldata, var.sqllen);
        case SQL_VARYING: {
            const auto len = *reinterpret_cast<const unsigned short*>(var.sqldata);
            return utf8 ? QString::fromUtf8(var.sqldata + 2, len) : QString::fromLatin1(var.sqldata + 2, len);
        }
        case SQL_SHORT:
            return scaledToString(*reinterpret_cast<const short*>(var.sqldata), var.sqlscale);
        case SQL_LONG:
            return scaledToString(*reinterpret_cast<const ISC_LONG*>(var.sqldata), var.sqlscale);
        case SQL_INT64:
            return scaledToString(*reinterpret_cast<const ISC_INT64*>(var.sqldata), var.sqlscale);
        default:
            break;
        }
    }
    const QVariant v = asVariant();
    if (v.isNull()) return QString();
    switch (v.typeId()) {
    case QMetaType::Double:
        return doubleToString(v.toDouble());
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QByteArray:
        return QString::fromLatin1(v.toByteArray());
    default:
        return v.toString();
    }
}

QDateTime Field::asDateTime() const {
    const QVariant v = asVariant();
    if (v.isNull()) return QDateTime();
    switch (v.typeId()) {
    case QMetaType::QDateTime:
        return v.toDateTime();
    case QMetaType::QDate:
        return QDateTime(v.toDate(), QTime(0, 0));
    case QMetaType::QTime:
        return QDateTime(QDate(1899, 12, 30), v.toTime());
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        for (const char* f :
             {"yyyy-MM-dd hh:mm:ss", "yyyy-MM-dd", "dd/MM/yyyy hh:mm:ss", "dd/MM/yyyy", "dd.MM.yyyy"}) {
            const QDateTime dt = QDateTime::fromString(s, QLatin1String(f));
            if (dt.isValid()) return dt;
        }
        throw Error(QStringLiteral("'%1' no es una fecha válida (campo %2).").arg(s, name_));
    }
    default:
        throw Error(QStringLiteral("El campo %1 no es una fecha.").arg(name_));
    }
}

// ---------------------------------------------------------------------------------------------
// Statement

Statement::Statement(Attachment* db, Transaction* tr) : db_(db), tr_(tr), d_(std::make_unique<Impl>()) {
    if (db_) db_->attach(this);
}

Statement::~Statement() {
    try {
        freeHandle();
    } catch (...) {
    }
    if (db_) db_->detach(this);
}

void Statement::setTransaction(Transaction* tr) {
    if (tr == tr_) return;
    close();
    tr_ = tr;
}

void Statement::connectionClosed() {
    // The server freed the statement with the attachment: forget the handle.
    d_->handle = 0;
    prepared_ = false;
    serverPrepared_ = false;
    cursorOpen_ = false;
    eof_ = true;
}

void Statement::attachmentDestroyed() {
    connectionClosed();
    db_ = nullptr;
}

void Statement::raise(const void* status) const {
    throw Error::fromStatus(status, sql_);
}

void Statement::setSql(const QString& sql) {
    if (sql == sql_ && parsed_) return;
    unprepare();
    sql_ = sql;
    parsed_ = false;
    params_.clear();
    positions_.clear();
    paramIndex_.clear();
}

void Statement::setParamCheck(bool on) {
    if (on == paramCheck_) return;
    unprepare();
    paramCheck_ = on;
    parsed_ = false;
    params_.clear();
    positions_.clear();
    paramIndex_.clear();
}

void Statement::parseSql() {
    params_.clear();
    positions_.clear();
    paramIndex_.clear();
    if (!paramCheck_) {
        serverSql_ = sql_;
        parsed_ = true;
        return;
    }
    QString out;
    out.reserve(sql_.size());
    const qsizetype n = sql_.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql_[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) { // literal or quoted name, doubled quote inside
            const qsizetype start = i++;
            while (i < n) {
                if (sql_[i] == c) {
                    if (i + 1 < n && sql_[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out += QStringView(sql_).mid(start, i - start);
        } else if (c == QLatin1Char('-') && i + 1 < n && sql_[i + 1] == QLatin1Char('-')) {
            const qsizetype start = i;
            while (i < n && sql_[i] != QLatin1Char('\n'))
                ++i;
            out += QStringView(sql_).mid(start, i - start);
        } else if (c == QLatin1Char('/') && i + 1 < n && sql_[i + 1] == QLatin1Char('*')) {
            const qsizetype start = i;
            const qsizetype end = sql_.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            out += QStringView(sql_).mid(start, i - start);
        } else if (c == QLatin1Char(':') && i + 1 < n && isIdentChar(sql_[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && isIdentChar(sql_[j]))
                ++j;
            const QString name = sql_.mid(i + 1, j - i - 1);
            const QString key = name.toUpper();
            auto it = paramIndex_.constFind(key);
            int index;
            if (it == paramIndex_.constEnd()) {
                index = int(params_.size());
                params_.push_back(std::make_unique<Param>(name, this));
                paramIndex_.insert(key, index);
            } else {
                index = it.value();
            }
            positions_.push_back(index);
            out += QLatin1Char('?');
            i = j;
        } else if (c == QLatin1Char('?')) {
            const int index = int(params_.size());
            params_.push_back(std::make_unique<Param>(QString::number(index + 1), this));
            positions_.push_back(index);
            out += c;
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    serverSql_ = out;
    parsed_ = true;
}

Param& Statement::paramByName(const QString& name) {
    ensureParsed();
    auto it = paramIndex_.constFind(name.toUpper());
    if (it == paramIndex_.constEnd())
        throw Error(QStringLiteral("No existe el parámetro %1 en la sentencia.").arg(name), 0, 0, QString(),
                    sql_);
    return *params_[std::size_t(it.value())];
}

Param& Statement::param(int index) {
    ensureParsed();
    if (index < 0 || index >= int(params_.size()))
        throw Error(QStringLiteral("No existe el parámetro número %1 en la sentencia.").arg(index), 0, 0,
                    QString(), sql_);
    return *params_[std::size_t(index)];
}

bool Statement::hasParam(const QString& name) const {
    const_cast<Statement*>(this)->ensureParsed();
    return paramIndex_.contains(name.toUpper());
}

QStringList Statement::paramNames() const {
    const_cast<Statement*>(this)->ensureParsed();
    QStringList names;
    for (const auto& p : params_)
        names << p->name();
    return names;
}

void Statement::prepare() {
    if (prepared_) return;
    if (!db_ || !db_->connected())
        throw Error(QStringLiteral("La base de datos no está conectada."), 0, 0, {}, sql_);
    if (!tr_) throw Error(QStringLiteral("La sentencia no tiene transacción."), 0, 0, {}, sql_);
    ensureParsed();
    QByteArray text;
    if (db_->utf8()) {
        text = serverSql_.toUtf8();
    } else {
        for (QChar c : serverSql_)
            if (c.unicode() > 0xFF)
                throw Error(
                    QStringLiteral("La sentencia contiene caracteres que no se pueden enviar a la base de "
                                   "datos (juego de caracteres ISO8859_1)."),
                    0, 0, {}, sql_);
        text = serverSql_.toLatin1();
    }
    if (serverPrepared_ && d_->handle && text == preparedText_) {
        // Same text, request still on the server: only the values are bound again.
        prepared_ = true;
        eof_ = true;
        return;
    }
    serverPrepared_ = false;
    tr_->ensureStarted();
    ISC_STATUS_ARRAY status;
    auto* dbh = static_cast<isc_db_handle*>(db_->handle());
    auto* trh = static_cast<isc_tr_handle*>(tr_->handle());
    Impl& d = *d_;
    if (!d.handle && isc_dsql_allocate_statement(status, dbh, &d.handle)) raise(status);
    const unsigned short dialect = (unsigned short)db_->dialect();
    if (isc_dsql_prepare(status, trh, &d.handle, 0, text.constData(), dialect, nullptr)) raise(status);

    // Statement type.
    const char typeItem[] = {isc_info_sql_stmt_type};
    char info[16] = {};
    if (isc_dsql_sql_info(status, &d.handle, sizeof typeItem, typeItem, sizeof info, info)) raise(status);
    d.stmtType = 0;
    if (info[0] == isc_info_sql_stmt_type) {
        const short len = short(isc_vax_integer(info + 1, 2));
        d.stmtType = int(isc_vax_integer(info + 3, len));
    }

    // Output columns.
    d.out.reset(allocSqlda(20));
    if (isc_dsql_describe(status, &d.handle, 1, d.out.get())) raise(status);
    if (d.out->sqld > d.out->sqln) {
        d.out.reset(allocSqlda(d.out->sqld));
        if (isc_dsql_describe(status, &d.handle, 1, d.out.get())) raise(status);
    }
    const int nOut = d.out->sqld;
    d.outBuf.assign(std::size_t(nOut), {});
    d.outInd.assign(std::size_t(nOut), 0);
    fields_.clear();
    fields_.resize(std::size_t(nOut));
    fieldIndex_.clear();
    for (int i = 0; i < nOut; ++i) {
        XSQLVAR& var = d.out->sqlvar[i];
        std::size_t size = std::size_t(var.sqllen);
        if ((var.sqltype & ~1) == SQL_VARYING) size += 2;
        d.outBuf[std::size_t(i)].assign(size + 1, 0);
        var.sqldata = d.outBuf[std::size_t(i)].data();
        var.sqltype = short(var.sqltype | 1);
        var.sqlind = &d.outInd[std::size_t(i)];
        Field& f = fields_[std::size_t(i)];
        f.name_ = QString::fromLatin1(var.aliasname, var.aliasname_length);
        f.owner_ = this;
        f.index_ = i;
        const QString key = f.name_.toUpper();
        if (!fieldIndex_.contains(key)) fieldIndex_.insert(key, i);
    }
    d.blobCache.assign(std::size_t(nOut), QVariant());
    d.blobCached.assign(std::size_t(nOut), false);

    // Input parameters.
    d.in.reset(allocSqlda(int(positions_.size()) + 1));
    if (isc_dsql_describe_bind(status, &d.handle, 1, d.in.get())) raise(status);
    if (d.in->sqld > d.in->sqln) {
        d.in.reset(allocSqlda(d.in->sqld));
        if (isc_dsql_describe_bind(status, &d.handle, 1, d.in.get())) raise(status);
    }
    const int nIn = d.in->sqld;
    if (!paramCheck_) {
        // Positional parameters only ("?" in the text as written).
        params_.clear();
        positions_.clear();
        paramIndex_.clear();
        for (int i = 0; i < nIn; ++i) {
            params_.push_back(std::make_unique<Param>(QString::number(i + 1), this));
            positions_.push_back(i);
        }
    } else if (nIn != int(positions_.size())) {
        throw Error(QStringLiteral("La sentencia tiene %1 parámetros y el servidor espera %2.")
                        .arg(positions_.size())
                        .arg(nIn),
                    0, 0, {}, sql_);
    }
    d.declared.resize(std::size_t(nIn));
    d.inBuf.assign(std::size_t(nIn), {});
    d.inInd.assign(std::size_t(nIn), 0);
    for (int i = 0; i < nIn; ++i) {
        const XSQLVAR& var = d.in->sqlvar[i];
        d.declared[std::size_t(i)] = {short(var.sqltype & ~1), var.sqlscale, var.sqlsubtype, var.sqllen};
    }
    prepared_ = true;
    serverPrepared_ = true;
    preparedText_ = text;
    eof_ = true;
}

void Statement::unprepare() {
    if (!prepared_) return;
    close();
    prepared_ = false;
}

void Statement::freeHandle() {
    close();
    prepared_ = false;
    serverPrepared_ = false;
    if (d_->handle) {
        ISC_STATUS_ARRAY status;
        isc_stmt_handle h = d_->handle;
        d_->handle = 0;
        if (db_ && db_->connected()) isc_dsql_free_statement(status, &h, DSQL_drop);
    }
}

void Statement::close() {
    if (!cursorOpen_) return;
    cursorOpen_ = false;
    eof_ = true;
    if (d_->handle && db_ && db_->connected()) {
        ISC_STATUS_ARRAY status;
        if (isc_dsql_free_statement(status, &d_->handle, DSQL_close)) raise(status);
    }
}

bool Statement::isSelect() const {
    return d_->stmtType == isc_info_sql_stmt_select || d_->stmtType == isc_info_sql_stmt_select_for_upd;
}

void Statement::bindInputs() {
    Impl& d = *d_;
    const int nIn = d.in ? d.in->sqld : 0;
    const bool utf8 = db_->utf8();
    for (int i = 0; i < nIn; ++i) {
        XSQLVAR& var = d.in->sqlvar[i];
        const Impl::Declared& decl = d.declared[std::size_t(i)];
        Param& p = *params_[std::size_t(positions_[std::size_t(i)])];
        std::vector<char>& buf = d.inBuf[std::size_t(i)];
        short& ind = d.inInd[std::size_t(i)];
        var.sqlind = &ind;
        var.sqlscale = decl.scale;
        var.sqlsubtype = decl.subtype;
        const QVariant v = p.value();

        auto setBytes = [&](short type, const void* src, std::size_t len) {
            buf.resize(std::max<std::size_t>(len, 1));
            if (len) std::memcpy(buf.data(), src, len);
            var.sqltype = short(type | 1);
            var.sqllen = short(len);
            var.sqldata = buf.data();
            ind = 0;
        };
        auto setText = [&](const QByteArray& bytes) {
            if (decl.type == SQL_BLOB) {
                ISC_STATUS_ARRAY status;
                isc_blob_handle blob = 0;
                ISC_QUAD id{};
                if (isc_create_blob2(status, static_cast<isc_db_handle*>(db_->handle()),
                                     static_cast<isc_tr_handle*>(tr_->handle()), &blob, &id, 0, nullptr))
                    raise(status);
                qsizetype off = 0;
                while (off < bytes.size()) {
                    const auto chunk =
                        static_cast<unsigned short>(std::min<qsizetype>(bytes.size() - off, 32000));
                    if (isc_put_segment(status, &blob, chunk, bytes.constData() + off)) {
                        ISC_STATUS_ARRAY ignored;
                        isc_cancel_blob(ignored, &blob);
                        raise(status);
                    }
                    off += chunk;
                }
                if (isc_close_blob(status, &blob)) raise(status);
                setBytes(SQL_BLOB, &id, sizeof id);
                var.sqlscale = 0;
                return;
            }
            if (bytes.size() > 32765)
                throw Error(QStringLiteral("El valor del parámetro %1 es demasiado largo (%2 caracteres).")
                                .arg(p.name())
                                .arg(bytes.size()),
                            0, 0, {}, sql_);
            setBytes(SQL_TEXT, bytes.constData(), std::size_t(bytes.size()));
            var.sqlscale = 0;
            if (decl.type != SQL_TEXT && decl.type != SQL_VARYING) var.sqlsubtype = 0;
        };
        auto setString = [&](const QString& s) { setText(utf8 ? s.toUtf8() : s.toLatin1()); };
        auto setDouble = [&](double x) {
            setBytes(SQL_DOUBLE, &x, sizeof x);
            var.sqlscale = 0;
        };
        auto setTimestamp = [&](const QDate& date, const QTime& time) {
            switch (decl.type) {
            case SQL_TYPE_DATE: {
                ISC_DATE dd = encodeDate(date);
                setBytes(SQL_TYPE_DATE, &dd, sizeof dd);
                break;
            }
            case SQL_TYPE_TIME: {
                ISC_TIME tt = encodeTime(time);
                setBytes(SQL_TYPE_TIME, &tt, sizeof tt);
                break;
            }
            case SQL_TEXT:
            case SQL_VARYING:
                setString(QDateTime(date, time).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
                return;
            default: {
                ISC_TIMESTAMP ts{encodeDate(date), encodeTime(time)};
                setBytes(SQL_TIMESTAMP, &ts, sizeof ts);
                break;
            }
            }
            var.sqlscale = 0;
        };
        auto setInteger = [&](qint64 x) {
            switch (decl.type) {
            case SQL_SHORT:
            case SQL_LONG:
            case SQL_INT64: {
                if (decl.scale < 0) {
                    const qint64 f = pow10(-decl.scale);
                    if (x > std::numeric_limits<qint64>::max() / f ||
                        x < std::numeric_limits<qint64>::min() / f) {
                        setDouble(double(x));
                        return;
                    }
                    x *= f;
                }
                if (decl.type == SQL_SHORT && x >= SHRT_MIN && x <= SHRT_MAX) {
                    short s = short(x);
                    setBytes(SQL_SHORT, &s, sizeof s);
                } else if (decl.type != SQL_INT64 && x >= INT_MIN && x <= INT_MAX) {
                    ISC_LONG l = ISC_LONG(x);
                    setBytes(SQL_LONG, &l, sizeof l);
                } else if (decl.type == SQL_INT64) {
                    ISC_INT64 l = x;
                    setBytes(SQL_INT64, &l, sizeof l);
                } else {
                    // Out of range for the column: let the server report the overflow.
                    setDouble(double(x) / double(pow10(-decl.scale)));
                }
                return;
            }
            case SQL_TEXT:
            case SQL_VARYING:
            case SQL_BLOB:
                setString(QString::number(x));
                return;
            case SQL_BOOLEAN: {
                FB_BOOLEAN b = x ? FB_TRUE : FB_FALSE;
                setBytes(SQL_BOOLEAN, &b, sizeof b);
                return;
            }
            default:
                setDouble(double(x));
                return;
            }
        };

        if (v.isNull()) {
            const std::size_t size = std::size_t(decl.len) + (decl.type == SQL_VARYING ? 2 : 0);
            buf.assign(std::max<std::size_t>(size, 8), 0);
            var.sqltype = short(decl.type | 1);
            var.sqllen = decl.len;
            var.sqldata = buf.data();
            ind = -1;
            continue;
        }
        switch (v.typeId()) {
        case QMetaType::QString:
            setString(v.toString());
            break;
        case QMetaType::QByteArray:
            setText(v.toByteArray());
            break;
        case QMetaType::LongLong:
        case QMetaType::Int:
            setInteger(v.toLongLong());
            break;
        case QMetaType::Double: {
            const double x = v.toDouble();
            switch (decl.type) {
            case SQL_SHORT:
            case SQL_LONG:
            case SQL_INT64: {
                const double scaled = std::round(x * double(pow10(-decl.scale)));
                if (std::isfinite(scaled) && std::fabs(scaled) < 9.2e18) {
                    const qint64 raw = qint64(scaled);
                    if (decl.type == SQL_SHORT && raw >= SHRT_MIN && raw <= SHRT_MAX) {
                        short s = short(raw);
                        setBytes(SQL_SHORT, &s, sizeof s);
                        break;
                    }
                    if (decl.type != SQL_INT64 && raw >= INT_MIN && raw <= INT_MAX) {
                        ISC_LONG l = ISC_LONG(raw);
                        setBytes(SQL_LONG, &l, sizeof l);
                        break;
                    }
                    if (decl.type == SQL_INT64) {
                        ISC_INT64 l = raw;
                        setBytes(SQL_INT64, &l, sizeof l);
                        break;
                    }
                }
                setDouble(x); // the server reports the overflow
                break;
            }
            case SQL_TEXT:
            case SQL_VARYING:
            case SQL_BLOB:
                setString(doubleToString(x));
                break;
            case SQL_BOOLEAN: {
                FB_BOOLEAN b = x != 0 ? FB_TRUE : FB_FALSE;
                setBytes(SQL_BOOLEAN, &b, sizeof b);
                break;
            }
            default:
                setDouble(x);
                break;
            }
            break;
        }
        case QMetaType::QDateTime: {
            const QDateTime dt = v.toDateTime();
            setTimestamp(dt.date(), dt.time());
            break;
        }
        case QMetaType::QDate:
            setTimestamp(v.toDate(), QTime(0, 0));
            break;
        default:
            setString(v.toString());
            break;
        }
    }
}

void Statement::execute() {
    if (!tr_) throw Error(QStringLiteral("La sentencia no tiene transacción."), 0, 0, {}, sql_);
    if (!prepared_) prepare();
    close();
    tr_->ensureStarted();
    bindInputs();
    Impl& d = *d_;
    ISC_STATUS_ARRAY status;
    auto* trh = static_cast<isc_tr_handle*>(tr_->handle());
    const unsigned short dialect = (unsigned short)db_->dialect();
    XSQLDA* in = d.in->sqld > 0 ? d.in.get() : nullptr;
    std::fill(d.blobCached.begin(), d.blobCached.end(), false);
    if (isSelect()) {
        if (isc_dsql_execute(status, trh, &d.handle, dialect, in)) raise(status);
        cursorOpen_ = true;
        eof_ = false;
        next();
    } else if (d.stmtType == isc_info_sql_stmt_exec_procedure && d.out->sqld > 0) {
        if (isc_dsql_execute2(status, trh, &d.handle, dialect, in, d.out.get())) raise(status);
        eof_ = false;
    } else {
        if (isc_dsql_execute(status, trh, &d.handle, dialect, in)) raise(status);
        eof_ = true;
    }
}

void Statement::next() {
    if (!cursorOpen_) {
        eof_ = true;
        return;
    }
    Impl& d = *d_;
    ISC_STATUS_ARRAY status;
    std::fill(d.blobCached.begin(), d.blobCached.end(), false);
    const ISC_STATUS rc = isc_dsql_fetch(status, &d.handle, (unsigned short)db_->dialect(), d.out.get());
    if (rc == 100) {
        eof_ = true;
        return;
    }
    if (rc) raise(status);
    eof_ = false;
}

const Field& Statement::fieldByName(const QString& name) const {
    const Field* f = findField(name);
    if (!f)
        throw Error(QStringLiteral("No existe el campo %1 en el resultado de la sentencia.").arg(name), 0, 0,
                    {}, sql_);
    return *f;
}

const Field* Statement::findField(const QString& name) const {
    auto it = fieldIndex_.constFind(name.toUpper());
    return it == fieldIndex_.constEnd() ? nullptr : &fields_[std::size_t(it.value())];
}

int Statement::fieldIndex(const QString& name) const {
    return fieldIndex_.value(name.toUpper(), -1);
}

const Field& Statement::field(int i) const {
    if (i < 0 || i >= int(fields_.size()))
        throw Error(QStringLiteral("No existe el campo número %1.").arg(i), 0, 0, {}, sql_);
    return fields_[std::size_t(i)];
}

Statement::ColumnKind Statement::columnKind(int i) const {
    if (!prepared_ || i < 0 || i >= int(fields_.size())) return ColumnKind::Other;
    const XSQLVAR& var = d_->out->sqlvar[i];
    switch (var.sqltype & ~1) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return var.sqlscale == 0 ? ColumnKind::Integer : ColumnKind::Float;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return ColumnKind::Float;
    case SQL_TEXT:
    case SQL_VARYING:
        return ColumnKind::Text;
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
        return ColumnKind::DateTime;
    case SQL_BLOB:
        return var.sqlsubtype == 1 ? ColumnKind::Text : ColumnKind::Blob;
    case SQL_BOOLEAN:
        return ColumnKind::Boolean;
    default:
        return ColumnKind::Other;
    }
}

long Statement::rowsAffected() const {
    if (!prepared_ || !d_->handle) return 0;
    ISC_STATUS_ARRAY status;
    const char item[] = {isc_info_sql_records};
    char info[64] = {};
    if (isc_dsql_sql_info(status, &d_->handle, sizeof item, item, sizeof info, info)) raise(status);
    if (info[0] != isc_info_sql_records) return 0;
    long total = 0;
    long selected = 0;
    const char* p = info + 3;
    while (p < info + sizeof info && *p != isc_info_end) {
        const char kind = *p++;
        const short len = short(isc_vax_integer(p, 2));
        p += 2;
        const long count = long(isc_vax_integer(p, len));
        p += len;
        if (kind == isc_info_req_select_count)
            selected = count;
        else
            total += count;
    }
    return isSelect() ? selected : total;
}

QVariant Statement::readColumn(int index) const {
    const Impl& d = *d_;
    const XSQLVAR& var = d.out->sqlvar[index];
    if ((var.sqltype & 1) && *var.sqlind == -1) return QVariant();
    const bool utf8 = db_ && db_->utf8();
    auto scaled = [&](qint64 raw) -> QVariant {
        if (var.sqlscale == 0) return raw;
        return double(raw) / double(pow10(-var.sqlscale));
    };
    switch (var.sqltype & ~1) {
    case SQL_TEXT:
        return utf8 ? QString::fromUtf8(var.sqldata, var.sqllen)
                    : QString::fromLatin1(var.sqldata, var.sqllen);
    case SQL_VARYING: {
        const auto len = *reinterpret_cast<const unsigned short*>(var.sqldata);
        return utf8 ? QString::fromUtf8(var.sqldata + 2, len) : QString::fromLatin1(var.sqldata + 2, len);
    }
    case SQL_SHORT:
        return var.sqlscale == 0 ? QVariant(int(*reinterpret_cast<const short*>(var.sqldata)))
                                 : scaled(*reinterpret_cast<const short*>(var.sqldata));
    case SQL_LONG:
        return var.sqlscale == 0 ? QVariant(int(*reinterpret_cast<const ISC_LONG*>(var.sqldata)))
                                 : scaled(*reinterpret_cast<const ISC_LONG*>(var.sqldata));
    case SQL_INT64:
        return scaled(*reinterpret_cast<const ISC_INT64*>(var.sqldata));
    case SQL_FLOAT:
        return double(*reinterpret_cast<const float*>(var.sqldata));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return *reinterpret_cast<const double*>(var.sqldata);
    case SQL_TIMESTAMP: {
        const auto* ts = reinterpret_cast<const ISC_TIMESTAMP*>(var.sqldata);
        return QDateTime(decodeDate(ts->timestamp_date), decodeTime(ts->timestamp_time));
    }
    case SQL_TYPE_DATE:
        return decodeDate(*reinterpret_cast<const ISC_DATE*>(var.sqldata));
    case SQL_TYPE_TIME:
        return decodeTime(*reinterpret_cast<const ISC_TIME*>(var.sqldata));
    case SQL_BOOLEAN:
        return bool(*reinterpret_cast<const FB_BOOLEAN*>(var.sqldata));
    case SQL_BLOB: {
        if (d.blobCached[std::size_t(index)]) return d.blobCache[std::size_t(index)];
        ISC_QUAD id = *reinterpret_cast<const ISC_QUAD*>(var.sqldata);
        ISC_STATUS_ARRAY status;
        isc_blob_handle blob = 0;
        if (isc_open_blob2(status, static_cast<isc_db_handle*>(db_->handle()),
                           static_cast<isc_tr_handle*>(tr_->handle()), &blob, &id, 0, nullptr))
            raise(status);
        QByteArray bytes;
        char chunk[8192];
        for (;;) {
            unsigned short got = 0;
            const ISC_STATUS rc = isc_get_segment(status, &blob, &got, sizeof chunk, chunk);
            if (rc && rc != isc_segment) {
                if (rc == isc_segstr_eof) break;
                ISC_STATUS_ARRAY ignored;
                isc_close_blob(ignored, &blob);
                raise(status);
            }
            bytes.append(chunk, got);
        }
        if (isc_close_blob(status, &blob)) raise(status);
        QVariant value;
        if (var.sqlsubtype == 1)
            value = utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
        else
            value = bytes;
        d.blobCache[std::size_t(index)] = value;
        d.blobCached[std::size_t(index)] = true;
        return value;
    }
    default:
        throw Error(QStringLiteral("Tipo de columna no admitido (%1) en el campo %2.")
                        .arg(var.sqltype & ~1)
                        .arg(fields_[std::size_t(index)].name_),
                    0, 0, {}, sql_);
    }
}

} // namespace qd::fb
