#include "FbAttachment.h"

#include <QFile>
#include <algorithm>
#include <ibase.h>

#include "FbError.h"
#include "FbStatement.h"
#include "FbTransaction.h"

namespace qd::fb {

namespace {

void addString(QByteArray& dpb, char item, const QByteArray& value) {
    dpb.append(item);
    dpb.append(char(std::min<qsizetype>(value.size(), 255)));
    dpb.append(value.left(255));
}

void addInt(QByteArray& dpb, char item, int value) {
    dpb.append(item);
    dpb.append(char(4));
    for (int i = 0; i < 4; ++i)
        dpb.append(char((value >> (8 * i)) & 0xFF));
}

} // namespace

Attachment::Attachment(const QString& databaseName, const QStringList& params)
    : databaseName_(databaseName), params_(params) {}

Attachment::~Attachment() {
    try {
        close();
    } catch (...) {
    }
    for (Transaction* t : transactions_)
        t->attachmentDestroyed();
    for (Statement* s : statements_)
        s->attachmentDestroyed();
}

Attachment::Attachment(Attachment&& other) noexcept
    : databaseName_(std::move(other.databaseName_)), params_(std::move(other.params_)),
      handle_(other.handle_), dialect_(other.dialect_), utf8_(other.utf8_) {
    Q_ASSERT(other.transactions_.empty() && other.statements_.empty());
    other.handle_ = 0;
}

Attachment& Attachment::operator=(Attachment&& other) noexcept {
    if (this != &other) {
        Q_ASSERT(transactions_.empty() && statements_.empty());
        Q_ASSERT(other.transactions_.empty() && other.statements_.empty());
        try {
            close();
        } catch (...) {
        }
        databaseName_ = std::move(other.databaseName_);
        params_ = std::move(other.params_);
        handle_ = other.handle_;
        dialect_ = other.dialect_;
        utf8_ = other.utf8_;
        other.handle_ = 0;
    }
    return *this;
}

void Attachment::detach(Transaction* t) {
    transactions_.erase(std::remove(transactions_.begin(), transactions_.end(), t), transactions_.end());
}

void Attachment::detach(Statement* s) {
    statements_.erase(std::remove(statements_.begin(), statements_.end(), s), statements_.end());
}

static QByteArray buildDpb(const QStringList& params, bool* utf8, int* dialect) {
    QByteArray dpb;
    dpb.append(char(isc_dpb_version1));
    *utf8 = false;
    for (const QString& p : params) {
        const qsizetype eq = p.indexOf(QLatin1Char('='));
        const QString key = (eq < 0 ? p : p.left(eq)).trimmed().toLower();
        const QString value = eq < 0 ? QString() : p.mid(eq + 1);
        if (key == QLatin1String("user_name") || key == QLatin1String("user"))
            addString(dpb, isc_dpb_user_name, value.toUtf8());
        else if (key == QLatin1String("password"))
            addString(dpb, isc_dpb_password, value.toUtf8());
        else if (key == QLatin1String("lc_ctype")) {
            addString(dpb, isc_dpb_lc_ctype, value.toLatin1());
            *utf8 = value.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0;
        } else if (key == QLatin1String("sql_role_name") || key == QLatin1String("role"))
            addString(dpb, isc_dpb_sql_role_name, value.toUtf8());
        else if (key == QLatin1String("force_write")) // 0: asynchronous page writes (creation only)
            addInt(dpb, isc_dpb_force_write, value.toInt());
        else if (key == QLatin1String("sql_dialect"))
            *dialect = value.toInt();
        else if (!key.isEmpty())
            throw Error(QStringLiteral("Parámetro de conexión desconocido: %1").arg(p));
    }
    return dpb;
}

void Attachment::open() {
    if (connected()) return;
    bool utf8 = false;
    int dialect = dialect_;
    const QByteArray dpb = buildDpb(params_, &utf8, &dialect);
    const QByteArray path = QFile::encodeName(databaseName_);
    ISC_STATUS_ARRAY status;
    isc_db_handle db = 0;
    if (isc_attach_database(status, short(path.size()), path.constData(), &db, short(dpb.size()),
                            dpb.constData()))
        throw Error::fromStatus(status);
    handle_ = db;
    utf8_ = utf8;
    dialect_ = dialect;
}

void Attachment::create(int pageSize, const QString& defaultCharset) {
    if (connected()) throw Error(QStringLiteral("La base de datos ya está abierta."));
    bool utf8 = false;
    int dialect = dialect_;
    QByteArray dpb = buildDpb(params_, &utf8, &dialect);
    addInt(dpb, isc_dpb_page_size, pageSize);
    addInt(dpb, isc_dpb_set_db_sql_dialect, dialect);
    addInt(dpb, isc_dpb_sql_dialect, dialect);
    if (!defaultCharset.isEmpty()) addString(dpb, isc_dpb_set_db_charset, defaultCharset.toLatin1());
    const QByteArray path = QFile::encodeName(databaseName_);
    ISC_STATUS_ARRAY status;
    isc_db_handle db = 0;
    if (isc_create_database(status, short(path.size()), path.constData(), &db, short(dpb.size()),
                            dpb.constData(), 0))
        throw Error::fromStatus(status);
    handle_ = db;
    utf8_ = utf8;
    dialect_ = dialect;
}

void Attachment::close() {
    if (!connected()) return;
    for (Statement* s : statements_)
        s->connectionClosed();
    for (Transaction* t : transactions_) {
        if (t->active()) {
            ISC_STATUS_ARRAY status;
            isc_tr_handle h = t->handle_;
            isc_rollback_transaction(status, &h);
        }
        t->connectionClosed();
    }
    ISC_STATUS_ARRAY status;
    isc_db_handle db = handle_;
    handle_ = 0;
    if (isc_detach_database(status, &db)) throw Error::fromStatus(status);
}

} // namespace qd::fb
