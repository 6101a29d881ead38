#pragma once
// A connection to one database (an attachment). Owns its handle; closes it on destruction.

#include <QString>
#include <QStringList>
#include <vector>

namespace qd::fb {

class Transaction;
class Statement;

class Attachment {
public:
    Attachment() = default;
    explicit Attachment(const QString& databaseName, const QStringList& params = {});
    ~Attachment();
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;
    // Moving is allowed only while no transaction or statement uses this attachment.
    Attachment(Attachment&& other) noexcept;
    Attachment& operator=(Attachment&& other) noexcept;

    void setDatabaseName(const QString& name) { databaseName_ = name; }
    QString databaseName() const { return databaseName_; }
    // Connection parameters "NAME=value" (USER_NAME, PASSWORD, lc_ctype, ROLE_NAME, SQL_DIALECT,
    // FORCE_WRITE); they are read at open().
    QStringList& params() { return params_; }
    const QStringList& params() const { return params_; }

    void open();
    // Ends the transactions still running on this attachment (rolled back) and detaches.
    void close();
    bool connected() const { return handle_ != 0; }

    int dialect() const { return dialect_; } // SQL dialect of the statements (1)
    void setDialect(int dialect) { dialect_ = dialect; }
    // True when the connection character set is UTF8; otherwise texts travel as ISO 8859-1.
    bool utf8() const { return utf8_; }

    void* handle() { return &handle_; } // isc_db_handle*

    // Creates an empty database file (used by tests and tools); the attachment stays open.
    void create(int pageSize = 8192, const QString& defaultCharset = QStringLiteral("ISO8859_1"));

private:
    friend class Transaction;
    friend class Statement;
    void attach(Transaction* t) { transactions_.push_back(t); }
    void detach(Transaction* t);
    void attach(Statement* s) { statements_.push_back(s); }
    void detach(Statement* s);

    QString databaseName_;
    QStringList params_;
    unsigned int handle_ = 0;
    int dialect_ = 1;
    bool utf8_ = false;
    std::vector<Transaction*> transactions_;
    std::vector<Statement*> statements_;
};

} // namespace qd::fb
