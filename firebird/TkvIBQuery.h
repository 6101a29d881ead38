#pragma once
// A read query over a statement, with the module's conventions: before it opens, the
// transaction is committed retaining its context (so what was written so far becomes
// permanent and visible to other connections), the query is prepared if needed (an error there
// is shown in a message box and the open goes on), the wait cursor is shown while it opens and
// the process working set is trimmed afterwards. Closing unprepares.
//
// The SQL text is set with setSql(). Bidirectional queries keep the rows they fetched, so
// first() goes back and recordCount() gives the total (it fetches the rest); one-directional
// queries read straight from the statement and recordCount() counts the rows fetched so far.
// recNo() runs from 1 (0 when there is no current row).

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "FbStatement.h"
#include "TkvListaCampos.h"

class TkvIBQuery {
public:
    TkvIBQuery(qd::fb::Attachment* db, qd::fb::Transaction* tr, bool bidirectional = true);
    ~TkvIBQuery();
    TkvIBQuery(const TkvIBQuery&) = delete;
    TkvIBQuery& operator=(const TkvIBQuery&) = delete;

    void setSql(const QString& sql); // closes the query and unprepares it first
    const QString& sql() const { return stmt_.sql(); }
    void setBidirectional(bool on) { bidirectional_ = on; }
    bool bidirectional() const { return bidirectional_; }
    qd::fb::Transaction* transaction() const { return stmt_.transaction(); }
    qd::fb::Statement& statement() { return stmt_; }

    qd::fb::Param& paramByName(const QString& name);
    bool hasParam(const QString& name) const { return stmt_.hasParam(name); }

    void open();
    void close();
    bool active() const { return active_; }
    // Runs a statement that returns no rows (UPDATE, DELETE...) with the current parameters.
    void execSql();

    void first();
    void next();
    bool eof() const;
    bool isEmpty() const;

    const qd::fb::Field& fieldByName(const QString& name) const; // current row; throws when absent
    const qd::fb::Field* findField(const QString& name) const;
    int fieldCount() const;
    const qd::fb::Field& field(int i) const;
    int recNo() const;
    int recordCount();

    void prepare();
    void unprepare();
    bool prepared() const { return stmt_.prepared(); }
    void PrepararQuery(); // prepares when not prepared yet

    bool PrimeraVez = true;
    TkvListaCampos FListaCampos;
    QString name;

protected:
    virtual void doBeforeOpen();
    virtual void doAfterOpen();
    virtual void doAfterClose();

private:
    bool fetchRow(); // bidirectional: fetches one more row into the cache
    void loadCurrent();

    qd::fb::Statement stmt_;
    bool bidirectional_;
    bool active_ = false;
    bool eof_ = true;
    int cur_ = -1; // current row index (0-based)
    int fetched_ = 0;
    bool allFetched_ = false;
    std::vector<std::vector<QVariant>> rows_; // bidirectional cache
    std::vector<qd::fb::Field> current_;      // bidirectional: fields of the current row
};
