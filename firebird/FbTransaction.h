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
    // Commits and keeps the transaction's context; does nothing while the transaction is held.
    void commitRetaining();
    // Commits retaining even while held (the holder's own commits).
    void forceCommitRetaining();
    void rollback();
    void rollbackRetaining();
    bool active() const { return handle_ != 0; }
    // Starts the transaction when it is not active (statements call it before they run).
    void ensureStarted() {
        if (!active()) start();
    }

    // A hold keeps the work of the transaction pending: while one is in place, commitRetaining()
    // commits nothing, so every "make it permanent now" of the code that runs meanwhile is left to
    // the holder (a dry run rolls back, a bulk run commits every N rows, a row under a savepoint
    // keeps it). Holds nest; commit(), rollback() and the retaining rollback are not affected.
    class Hold {
    public:
        explicit Hold(Transaction& t) : t_(t) { ++t_.holds_; }
        ~Hold() { --t_.holds_; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        Transaction& t_;
    };
    bool held() const { return holds_ > 0; }

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
    int holds_ = 0;
};

} // namespace qd::fb
