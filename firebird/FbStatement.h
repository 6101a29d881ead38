#pragma once
// A prepared SQL statement with named parameters and result fields.
//
// Parameters are written ":Name" in the SQL text. The text is scanned once (outside '..' and
// ".." literals and -- / /* */ comments): each ":Name" becomes a "?" position, and a name used
// twice binds both positions. Names compare case-insensitively. setParamCheck(false) sends the
// text as written (procedure bodies that use ":VARIABLE").
//
// Values can be set before prepare(); they are kept and applied at every execute(), so a
// statement is prepared once and executed many times with new values.
//
// Texts travel in the connection character set (ISO 8859-1). A text that Latin-1 cannot
// represent is refused with an Error naming the value, never altered.
//
// The statement runs in its transaction; prepare() and execute() start the transaction when it
// is not active.

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

#include "FbAttachment.h"
#include "FbError.h"
#include "FbTransaction.h"

namespace qd::fb {

class Statement;

// One input parameter. Every position of the same name shares one Param.
class Param {
public:
    explicit Param(QString name = {}, Statement* owner = nullptr) : name_(std::move(name)), owner_(owner) {}

    void setInt(qint64 v) { value_ = QVariant(v); }
    void setDouble(double v) { value_ = QVariant(v); }
    // Full double precision: a float parameter is not rounded to single precision.
    void setFloat(double v) { value_ = QVariant(v); }
    void setString(const QString& v); // throws Error when the text cannot travel in the charset
    void setDateTime(const QDateTime& v) { value_ = v.isValid() ? QVariant(v) : QVariant(); }
    void setDate(const QDate& v) { value_ = v.isValid() ? QVariant(v) : QVariant(); }
    void setBool(bool v) { value_ = QVariant(v ? 1 : 0); }
    void setNull() { value_ = QVariant(); }
    // Null/invalid variant → NULL; strings are checked as in setString.
    void setVariant(const QVariant& v);

    bool isNull() const { return value_.isNull(); }
    QVariant value() const { return value_; }
    const QString& name() const { return name_; }

private:
    QString name_;
    Statement* owner_;
    QVariant value_;
};

// A result column of the current row (or a value kept after the statement moved on).
class Field {
public:
    Field() = default;
    // A detached field holding a value (used by the datasets' row buffers).
    Field(QString name, QVariant value) : name_(std::move(name)), value_(std::move(value)), hasValue_(true) {}

    bool isNull() const;
    qint64 asInt() const; // rounded to the nearest integer for scaled/float columns
    double asDouble() const;
    QString asString() const; // CHAR as the server gives it (padded)
    QDateTime asDateTime() const;
    QDate asDate() const { return asDateTime().date(); }
    QVariant asVariant() const; // null → null QVariant
    QString name() const { return name_; }

private:
    friend class Statement;
    QString name_;
    QVariant value_;        // detached value
    bool hasValue_ = false; // true: value_ holds the value; false: read the statement's buffer
    Statement* owner_ = nullptr;
    int index_ = -1;
};

class Statement {
public:
    // The kind of a result column, from its declared type.
    enum class ColumnKind { Integer, Float, Text, DateTime, Blob, Boolean, Other };

    Statement(Attachment* db, Transaction* tr);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void setSql(const QString& sql);
    const QString& sql() const { return sql_; }
    void setParamCheck(bool on);
    bool paramCheck() const { return paramCheck_; }

    Attachment* attachment() const { return db_; }
    Transaction* transaction() const { return tr_; }
    void setTransaction(Transaction* tr);

    void prepare();
    bool prepared() const { return prepared_; }
    // Closes the cursor and marks the statement unprepared. The server-side request is kept for
    // the same text on the same connection, so preparing that text again costs nothing (a query
    // opened and closed once per row); freeHandle() or a new text releases it.
    void unprepare();

    Param& paramByName(const QString& name); // throws Error when there is no such parameter
    Param& param(int index);                 // in order of first appearance
    int paramCount() const { return int(params_.size()); }
    bool hasParam(const QString& name) const;
    QStringList paramNames() const;

    // DML/DDL/EXECUTE PROCEDURE; a SELECT opens its cursor and fetches the first row.
    void execute();
    bool eof() const { return eof_; }
    void next();  // fetches the next row of an open cursor
    void close(); // closes an open cursor (the statement stays prepared)
    void freeHandle();

    const Field& fieldByName(const QString& name) const; // throws Error when absent
    const Field* findField(const QString& name) const;   // nullptr when absent
    int fieldCount() const { return int(fields_.size()); }
    const Field& field(int i) const;
    int fieldIndex(const QString& name) const; // -1 when absent
    ColumnKind columnKind(int i) const;        // prepared statements only
    long rowsAffected() const;
    bool isSelect() const;
    bool cursorOpen() const { return cursorOpen_; }

private:
    friend class Field;
    friend class Param;
    friend class Attachment;
    struct Impl;

    void parseSql();
    void ensureParsed() {
        if (!parsed_) parseSql();
    }
    void bindInputs();
    bool fetch();
    QVariant readColumn(int index) const;
    [[noreturn]] void raise(const void* status) const;
    void connectionClosed();
    void attachmentDestroyed();

    Attachment* db_;
    Transaction* tr_;
    QString sql_;
    QString serverSql_; // the text sent: ":Name" replaced by "?"
    bool paramCheck_ = true;
    bool parsed_ = false;
    bool prepared_ = false;
    bool serverPrepared_ = false; // the handle holds a request for preparedText_
    QByteArray preparedText_;
    bool cursorOpen_ = false;
    bool eof_ = true;
    std::vector<std::unique_ptr<Param>> params_; // one per distinct name (or per "?" position)
    std::vector<int> positions_;                 // position → index into params_
    QHash<QString, int> paramIndex_;             // upper-cased name → index into params_
    std::vector<Field> fields_;
    QHash<QString, int> fieldIndex_; // upper-cased name → column
    std::unique_ptr<Impl> d_;
};

} // namespace qd::fb
