#pragma once
// The one exception type of the database client layer.
//
// It keeps what the database said (every line of the status vector), the numeric codes that
// identify the failure (SQLCODE, the first GDS code and the SQLSTATE) and the SQL text that
// failed, so callers can show the database's own words and tests can tell failures apart.

#include <QByteArray>
#include <QString>
#include <exception>

namespace qd::fb {

class Error : public std::exception {
public:
    Error(QString message, long sqlCode = 0, long gdsCode = 0, QString sqlState = {}, QString statement = {});

    // Builds the error from a client status vector (ISC_STATUS*, opaque here).
    static Error fromStatus(const void* statusVector, const QString& statement = {});

    QString message() const { return message_; }   // the database's own text, all lines
    long sqlCode() const { return sqlCode_; }      // isc_sqlcode
    long gdsCode() const { return gdsCode_; }      // first GDS error code (isc_*)
    QString sqlState() const { return sqlState_; } // 5-character SQLSTATE
    QString statement() const { return statement_; }
    // An update or lock conflict (SQLSTATE class 40, 40001): another transaction holds the row
    // and the transaction was started "nowait".
    bool isLockConflict() const;

    const char* what() const noexcept override { return what_.constData(); }

    // Adds the SQL text to an error raised before it was known.
    void setStatement(const QString& sql);
    // The parameter whose value failed, when known (empty otherwise).
    QString parameter() const { return parameter_; }
    void setParameter(const QString& name) { parameter_ = name; }

private:
    QString message_;
    long sqlCode_ = 0;
    long gdsCode_ = 0;
    QString sqlState_;
    QString statement_;
    QString parameter_;
    QByteArray what_;
};

} // namespace qd::fb
