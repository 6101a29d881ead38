#pragma once
// A transaction on one attachment, configured by a parameter list that becomes its TPB:
// "read_committed", "rec_version", "no_rec_version", "concurrency", "consistency", "nowait",
// "wait", "read", "write" (the isc_tpb_ names without their prefix).
//
// A transaction still active when the object is destroyed is rolled back, unless
// setCommitOnDestroy(true) was called (then it is committed).

#include <QStringList>

namespace qd::fb {

class Attachment;

class Transaction {
public:
    explicit Transaction(Attachment* db,
                         QStringList params = {QStringLiteral("read_committed"),
                                               QStringLiteral("rec_version"), QStringLiteral("nowait")});
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void setParams(const QStringList& params) { params_ = params; }
    const QStringList& params() const { return params_; }

    void start();
    void commit();
    void commitRetaining();
    void rollback();
    void rollbackRetaining();
    bool active() const { return handle_ != 0; }
    // Starts the transaction when it is not active (statements call it before they run).
    void ensureStarted() {
        if (!active()) start();
    }

    Attachment* attachment() const { return db_; }
    void setCommitOnDestroy(bool on) { commitOnDestroy_ = on; }

    void* handle() { return &handle_; } // isc_tr_handle*

private:
    friend class Attachment;
    void connectionClosed() { handle_ = 0; } // the attachment ended this transaction
    void attachmentDestroyed() {
        handle_ = 0;
        db_ = nullptr;
    }

    Attachment* db_;
    QStringList params_;
    unsigned int handle_ = 0;
    bool commitOnDestroy_ = false;
};

} // namespace qd::fb
