#pragma once
// An editable dataset: rows read by a select statement and kept in memory, changes written
// back through the insert, modify and delete statements, a row re-read through the refresh
// statement. The statements name their values ":FIELD" (the new value) and ":OLD_FIELD" (the
// value the row had when it was read).
//
// With transaction control on, the dataset commits its transaction retaining the context at
// the moments its settings name (after a post, after a delete, when scrolling), optionally
// after a confirmation question; its own commit and rollback errors are swallowed (false).
//
// The hooks run the module's conventions and then the optional handlers below. recNo() runs
// from 1 (0 when empty); next() on the last row stays there and sets eof().

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "FbStatement.h"
#include "TkvListaCampos.h"
#include "TkvRxMemoryData.h" // qd::DataSetError

class TkvIBDataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    TkvIBDataSet(qd::fb::Attachment* db, qd::fb::Transaction* tr, QObject* parent = nullptr);
    ~TkvIBDataSet() override;

    QString SelectSQL;
    QString InsertSQL;
    QString ModifySQL;
    QString DeleteSQL;
    QString RefreshSQL;
    qd::fb::Transaction* transaction() const { return tr_; }

    // Parameters of the select statement (kept across opens).
    qd::fb::Param& paramByName(const QString& name);

    void open();
    void close();
    bool active() const { return state_ != State::Inactive; }
    State state() const { return state_; }

    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return rows_.empty(); }
    int recNo() const;
    void setRecNo(int recNo);
    int recordCount() const { return int(rows_.size()); }
    // Moves to the first row whose field equals the value (texts: exact); false when none.
    bool locate(const QString& field, const QVariant& value);

    void append();
    void insert() { append(); }
    void edit();
    void post();
    void cancel();
    void del();
    void refresh(); // re-reads the current row through the refresh statement

    QStringList fieldNames() const { return fieldNames_; }
    int fieldCount() const { return int(fieldNames_.size()); }
    int fieldIndex(const QString& name) const;  // -1 when absent, case-insensitive
    QVariant value(const QString& field) const; // current row (or the row being edited)
    void setValue(const QString& field, const QVariant& v);
    bool isNull(const QString& field) const { return value(field).isNull(); }
    QVariant valueAt(int row, int col) const;
    // Edits one value of a row as edit/set/post would (for grids).
    void setValueAt(int row, int col, const QVariant& v);

    bool Commit(bool Aviso);
    bool Rollback(bool Aviso);

    // Published settings.
    bool FControlTransacciones = false;
    bool FCommitOnPost = false;
    bool FCommitOnDelete = false;
    bool FCommitOnScroll = false;
    bool FAvisoCommit = false;
    QString FTextoAvisoCommit;
    QString FTextoAvisoRollback;
    bool FControlAuditoria = false;
    int FIdUsuarioActivo = -1;

    bool FModificado = false;
    bool EstoyEnBorrado = false;
    int EstadoAnterior = 0;
    bool PrimeraVez = true;
    TkvListaCampos FListaCampos;
    QString name;

    // Handlers run by the hooks after the module's own steps.
    std::function<void(TkvIBDataSet&)> onNewRecord;
    std::function<void(TkvIBDataSet&)> afterEdit;
    std::function<void(TkvIBDataSet&)> afterInsert;
    std::function<void(TkvIBDataSet&)> beforePost;
    std::function<void(TkvIBDataSet&)> afterPost;
    std::function<void(TkvIBDataSet&)> afterScroll;

signals:
    void reset();
    void rowChanged(int row);
    void rowInserted(int row);
    void rowRemoved(int row);
    void currentChanged(int row);

protected:
    virtual void doAfterClose();
    virtual void doAfterDelete();
    virtual void doAfterEdit();
    virtual void doAfterInsert();
    virtual void doAfterOpen();
    virtual void doAfterPost();
    virtual void doBeforeCancel();
    virtual void doBeforeDelete();
    virtual void doBeforeEdit();
    virtual void doBeforeInsert();
    virtual void doBeforeOpen();
    virtual void doBeforePost();
    virtual void doBeforeScroll();
    virtual void doOnNewRecord();

private:
    using Row = std::vector<QVariant>;
    void requireActive() const;
    void checkBrowse();
    void scrollTo(int row);
    void syncSelect();
    qd::fb::Statement& writer(std::unique_ptr<qd::fb::Statement>& st, const QString& sql, const char* what);
    void bindRow(qd::fb::Statement& st, const Row& newValues, const Row& oldValues);

    qd::fb::Attachment* db_;
    qd::fb::Transaction* tr_;
    qd::fb::Statement select_;
    std::unique_ptr<qd::fb::Statement> insert_, modify_, delete_, refresh_;
    QStringList fieldNames_;
    std::vector<qd::fb::Statement::ColumnKind> kinds_;
    std::vector<Row> rows_;
    Row buffer_;
    Row oldBuffer_;
    State state_ = State::Inactive;
    int cur_ = -1;
    bool eof_ = true;
    bool bof_ = true;
};
