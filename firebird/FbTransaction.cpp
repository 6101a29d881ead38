#include "FbTransaction.h"

#include <ibase.h>

#include "FbAttachment.h"
#include "FbError.h"

namespace qd::fb {

Transaction::Transaction(Attachment* db, QStringList params) : db_(db), params_(std::move(params)) {
    if (db_) db_->attach(this);
}

Transaction::~Transaction() {
    if (active()) {
        try {
            if (commitOnDestroy_)
                commit();
            else
                rollback();
        } catch (...) {
        }
    }
    if (db_) db_->detach(this);
}

static QByteArray buildTpb(const QStringList& params) {
    QByteArray tpb;
    tpb.append(char(isc_tpb_version3));
    for (const QString& raw : params) {
        const QString p = raw.trimmed().toLower();
        if (p == QLatin1String("read_committed"))
            tpb.append(char(isc_tpb_read_committed));
        else if (p == QLatin1String("rec_version"))
            tpb.append(char(isc_tpb_rec_version));
        else if (p == QLatin1String("no_rec_version"))
            tpb.append(char(isc_tpb_no_rec_version));
        else if (p == QLatin1String("concurrency"))
            tpb.append(char(isc_tpb_concurrency));
        else if (p == QLatin1String("consistency"))
            tpb.append(char(isc_tpb_consistency));
        else if (p == QLatin1String("nowait"))
            tpb.append(char(isc_tpb_nowait));
        else if (p == QLatin1String("wait"))
            tpb.append(char(isc_tpb_wait));
        else if (p == QLatin1String("read"))
            tpb.append(char(isc_tpb_read));
        else if (p == QLatin1String("write"))
            tpb.append(char(isc_tpb_write));
        else if (!p.isEmpty())
            throw Error(QStringLiteral("Parámetro de transacción desconocido: %1").arg(raw));
    }
    return tpb;
}

void Transaction::start() {
    if (!db_) throw Error(QStringLiteral("La transacción no tiene base de datos."));
    if (active()) throw Error(QStringLiteral("La transacción ya está activa."));
    if (!db_->connected()) throw Error(QStringLiteral("La base de datos no está conectada."));
    const QByteArray tpb = buildTpb(params_);
    ISC_STATUS_ARRAY status;
    isc_tr_handle tr = 0;
    if (isc_start_transaction(status, &tr, 1, static_cast<isc_db_handle*>(db_->handle()), int(tpb.size()),
                              tpb.constData()))
        throw Error::fromStatus(status);
    handle_ = tr;
}

namespace {
void requireActive(const Transaction& t) {
    if (!t.active()) throw Error(QStringLiteral("La transacción no está activa."));
}
} // namespace

void Transaction::commit() {
    requireActive(*this);
    ISC_STATUS_ARRAY status;
    isc_tr_handle tr = handle_;
    if (isc_commit_transaction(status, &tr)) throw Error::fromStatus(status);
    handle_ = 0;
}

void Transaction::commitRetaining() {
    requireActive(*this);
    if (held()) return;
    forceCommitRetaining();
}

void Transaction::forceCommitRetaining() {
    requireActive(*this);
    ISC_STATUS_ARRAY status;
    isc_tr_handle tr = handle_;
    if (isc_commit_retaining(status, &tr)) throw Error::fromStatus(status);
}

void Transaction::rollback() {
    requireActive(*this);
    ISC_STATUS_ARRAY status;
    isc_tr_handle tr = handle_;
    if (isc_rollback_transaction(status, &tr)) throw Error::fromStatus(status);
    handle_ = 0;
}

void Transaction::rollbackRetaining() {
    requireActive(*this);
    ISC_STATUS_ARRAY status;
    isc_tr_handle tr = handle_;
    if (isc_rollback_retaining(status, &tr)) throw Error::fromStatus(status);
}

} // namespace qd::fb
