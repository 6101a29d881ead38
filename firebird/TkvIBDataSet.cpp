#include "TkvIBDataSet.h"

#include <QDateTime>

#include "TListaAccesoCampos.h"
#include "UserChannel.h"
#include "WorkingSet.h"

using qd::DataSetError;
using qd::fb::Error;
using qd::fb::Statement;

namespace {

void cursor(bool on) {
    if (qd::UserChannel* channel = qd::UserChannel::current()) channel->waitCursor(on);
}

} // namespace

TkvIBDataSet::TkvIBDataSet(qd::fb::Attachment* db, qd::fb::Transaction* tr, QObject* parent)
    : QObject(parent), db_(db), tr_(tr), select_(db, tr) {}

TkvIBDataSet::~TkvIBDataSet() {
    try {
        close();
    } catch (...) {
    }
}

void TkvIBDataSet::syncSelect() {
    if (select_.sql() == SelectSQL) return;
    // A new text keeps the values already given to parameters of the same name.
    QList<std::pair<QString, QVariant>> kept;
    if (!select_.sql().isEmpty())
        for (const QString& n : select_.paramNames())
            kept.append({n, select_.paramByName(n).value()});
    select_.setSql(SelectSQL);
    for (const auto& [n, v] : kept)
        if (select_.hasParam(n)) select_.paramByName(n).setVariant(v);
}

qd::fb::Param& TkvIBDataSet::paramByName(const QString& name) {
    syncSelect();
    return select_.paramByName(name);
}

void TkvIBDataSet::requireActive() const {
    if (!active()) throw DataSetError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

// --- hooks -------------------------------------------------------------------------------------

void TkvIBDataSet::doBeforeOpen() {
    cursor(true);
}

void TkvIBDataSet::doAfterOpen() {
    cursor(false);
    FModificado = false;
    qd::trimWorkingSet();
}

void TkvIBDataSet::doAfterClose() {
    select_.unprepare();
    if (tr_ && tr_->active() && FControlTransacciones) tr_->commitRetaining();
    qd::trimWorkingSet();
}

void TkvIBDataSet::doBeforeEdit() {
    FModificado = true;
    if (FControlTransacciones && FCommitOnPost) Commit(false);
}

void TkvIBDataSet::doBeforeInsert() {
    if (FControlTransacciones && FCommitOnPost) FModificado = true;
}

void TkvIBDataSet::doAfterInsert() {
    EstadoAnterior = 1;
    if (afterInsert) afterInsert(*this);
}

void TkvIBDataSet::doAfterEdit() {
    EstadoAnterior = 2;
    if (afterEdit) afterEdit(*this);
}

void TkvIBDataSet::doBeforePost() {
    FModificado = true;
    for (int i = 0; i < fieldCount(); ++i) {
        if (kinds_[std::size_t(i)] != Statement::ColumnKind::Text) continue;
        QVariant& v = buffer_[std::size_t(i)];
        if (!v.isNull() && v.toString().isEmpty()) v = QVariant();
    }
    EstadoAnterior = state_ == State::Insert ? 1 : state_ == State::Edit ? 2 : 0;
    if (FControlAuditoria) {
        const bool inserting = state_ == State::Insert;
        const int user =
            fieldIndex(inserting ? QStringLiteral("UsuarioAlta") : QStringLiteral("UsuarioModificacion"));
        const int date =
            fieldIndex(inserting ? QStringLiteral("FechaAlta") : QStringLiteral("FechaModificacion"));
        if (user >= 0 && date >= 0) {
            buffer_[std::size_t(user)] = FIdUsuarioActivo;
            buffer_[std::size_t(date)] = QDateTime::currentDateTime();
        }
    }
    if (beforePost) beforePost(*this);
}

void TkvIBDataSet::doAfterPost() {
    cursor(false);
    if (FControlTransacciones && FCommitOnPost) Commit(FAvisoCommit);
    if (afterPost) afterPost(*this);
}

void TkvIBDataSet::doBeforeCancel() {
    FModificado = false;
}

void TkvIBDataSet::doBeforeDelete() {
    if (state_ == State::Edit || state_ == State::Insert) cancel();
    EstoyEnBorrado = true;
    FModificado = true;
    if (FControlTransacciones) Commit(false);
}

void TkvIBDataSet::doAfterDelete() {
    cursor(false);
    FModificado = true;
    if (FCommitOnDelete && FControlTransacciones) Commit(false);
    EstoyEnBorrado = false;
}

void TkvIBDataSet::doBeforeScroll() {
    if (FCommitOnScroll && FControlTransacciones && !EstoyEnBorrado) Commit(FAvisoCommit);
}

void TkvIBDataSet::doOnNewRecord() {
    for (int i = 0; i < fieldCount(); ++i)
        if (kinds_[std::size_t(i)] == Statement::ColumnKind::Float && buffer_[std::size_t(i)].isNull())
            buffer_[std::size_t(i)] = 0.0;
    if (onNewRecord) onNewRecord(*this);
}

// --- open and close ----------------------------------------------------------------------------

void TkvIBDataSet::open() {
    if (active()) return;
    doBeforeOpen();
    try {
        syncSelect();
        select_.execute();
        fieldNames_.clear();
        kinds_.clear();
        for (int i = 0; i < select_.fieldCount(); ++i) {
            fieldNames_ << select_.field(i).name();
            kinds_.push_back(select_.columnKind(i));
        }
        rows_.clear();
        for (; !select_.eof(); select_.next()) {
            Row row;
            row.reserve(std::size_t(select_.fieldCount()));
            for (int i = 0; i < select_.fieldCount(); ++i)
                row.push_back(select_.field(i).asVariant());
            rows_.push_back(std::move(row));
        }
        select_.close();
    } catch (...) {
        cursor(false);
        throw;
    }
    if (PrimeraVez) {
        try {
            FListaCampos.build(name, fieldNames_, TListaAccesoCampos::global());
            PrimeraVez = false;
        } catch (const std::exception& e) {
            if (qd::UserChannel* channel = qd::UserChannel::current())
                channel->message(qd::MessageKind::Plain, QString::fromUtf8(e.what()));
        }
    }
    state_ = State::Browse;
    cur_ = rows_.empty() ? -1 : 0;
    eof_ = bof_ = rows_.empty();
    bof_ = true;
    doAfterOpen();
    emit reset();
}

void TkvIBDataSet::close() {
    if (!active()) return;
    if (state_ == State::Edit || state_ == State::Insert) cancel();
    state_ = State::Inactive;
    rows_.clear();
    buffer_.clear();
    oldBuffer_.clear();
    cur_ = -1;
    eof_ = bof_ = true;
    select_.close();
    doAfterClose();
    emit reset();
}

// --- navigation --------------------------------------------------------------------------------

void TkvIBDataSet::checkBrowse() {
    requireActive();
    if (state_ == State::Edit || state_ == State::Insert) post();
}

void TkvIBDataSet::scrollTo(int row) {
    if (row == cur_) return;
    doBeforeScroll();
    cur_ = row;
    if (afterScroll) afterScroll(*this);
    emit currentChanged(cur_);
}

void TkvIBDataSet::first() {
    checkBrowse();
    if (!rows_.empty()) scrollTo(0);
    eof_ = rows_.empty();
    bof_ = true;
}

void TkvIBDataSet::last() {
    checkBrowse();
    if (!rows_.empty()) scrollTo(int(rows_.size()) - 1);
    eof_ = true;
    bof_ = rows_.empty();
}

void TkvIBDataSet::next() {
    checkBrowse();
    bof_ = false;
    if (cur_ + 1 < int(rows_.size())) {
        scrollTo(cur_ + 1);
        eof_ = false;
    } else {
        eof_ = true;
    }
}

void TkvIBDataSet::prior() {
    checkBrowse();
    eof_ = false;
    if (cur_ > 0) {
        scrollTo(cur_ - 1);
        bof_ = false;
    } else {
        bof_ = true;
    }
}

int TkvIBDataSet::recNo() const {
    if (state_ == State::Insert) return int(rows_.size()) + 1;
    return cur_ + 1;
}

void TkvIBDataSet::setRecNo(int recNo) {
    checkBrowse();
    if (recNo < 1 || recNo > int(rows_.size())) return;
    scrollTo(recNo - 1);
    eof_ = bof_ = false;
}

bool TkvIBDataSet::locate(const QString& field, const QVariant& value) {
    checkBrowse();
    const int col = fieldIndex(field);
    if (col < 0) throw DataSetError(QStringLiteral("%1: Field '%2' not found").arg(name, field));
    for (int r = 0; r < int(rows_.size()); ++r) {
        const QVariant& v = rows_[std::size_t(r)][std::size_t(col)];
        const bool equal = (v.isNull() || value.isNull()) ? (v.isNull() && value.isNull())
                           : (v.typeId() == QMetaType::QString || value.typeId() == QMetaType::QString)
                               ? v.toString() == value.toString()
                               : QVariant::compare(v, value) == QPartialOrdering::Equivalent;
        if (equal) {
            scrollTo(r);
            eof_ = bof_ = false;
            return true;
        }
    }
    return false;
}

// --- fields ------------------------------------------------------------------------------------

int TkvIBDataSet::fieldIndex(const QString& fieldName) const {
    for (int i = 0; i < fieldNames_.size(); ++i)
        if (fieldNames_[i].compare(fieldName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant TkvIBDataSet::value(const QString& field) const {
    const int col = fieldIndex(field);
    if (col < 0) throw DataSetError(QStringLiteral("%1: Field '%2' not found").arg(name, field));
    if (state_ == State::Edit || state_ == State::Insert) return buffer_[std::size_t(col)];
    if (cur_ < 0 || cur_ >= int(rows_.size())) return QVariant();
    return rows_[std::size_t(cur_)][std::size_t(col)];
}

void TkvIBDataSet::setValue(const QString& field, const QVariant& v) {
    const int col = fieldIndex(field);
    if (col < 0) throw DataSetError(QStringLiteral("%1: Field '%2' not found").arg(name, field));
    if (state_ != State::Edit && state_ != State::Insert)
        throw DataSetError(QStringLiteral("Dataset not in edit or insert mode"));
    buffer_[std::size_t(col)] = v;
}

QVariant TkvIBDataSet::valueAt(int row, int col) const {
    if (row < 0 || row >= int(rows_.size()) || col < 0 || col >= fieldCount()) return QVariant();
    if (row == cur_ && state_ == State::Edit) return buffer_[std::size_t(col)];
    return rows_[std::size_t(row)][std::size_t(col)];
}

void TkvIBDataSet::setValueAt(int row, int col, const QVariant& v) {
    if (col < 0 || col >= fieldCount()) throw DataSetError(QStringLiteral("Field index out of range"));
    setRecNo(row + 1);
    edit();
    setValue(fieldNames_[col], v);
    post();
}

// --- editing -----------------------------------------------------------------------------------

Statement& TkvIBDataSet::writer(std::unique_ptr<Statement>& st, const QString& sql, const char* what) {
    if (sql.trimmed().isEmpty())
        throw DataSetError(QStringLiteral("%1: no %2 statement").arg(name, QLatin1String(what)));
    if (!st) st = std::make_unique<Statement>(db_, tr_);
    st->setSql(sql);
    return *st;
}

void TkvIBDataSet::bindRow(Statement& st, const Row& newValues, const Row& oldValues) {
    for (const QString& p : st.paramNames()) {
        int col = fieldIndex(p);
        if (col >= 0) {
            st.paramByName(p).setVariant(newValues[std::size_t(col)]);
            continue;
        }
        if (p.startsWith(QLatin1String("OLD_"), Qt::CaseInsensitive)) {
            col = fieldIndex(p.mid(4));
            if (col >= 0) {
                st.paramByName(p).setVariant(oldValues[std::size_t(col)]);
                continue;
            }
        }
        st.paramByName(p).setNull();
    }
}

void TkvIBDataSet::append() {
    checkBrowse();
    doBeforeInsert();
    buffer_.assign(std::size_t(fieldCount()), QVariant());
    oldBuffer_ = buffer_;
    state_ = State::Insert;
    eof_ = bof_ = false;
    doOnNewRecord();
    doAfterInsert();
}

void TkvIBDataSet::edit() {
    requireActive();
    if (state_ == State::Edit || state_ == State::Insert) return;
    if (cur_ < 0 || cur_ >= int(rows_.size()))
        throw DataSetError(QStringLiteral("Cannot edit an empty dataset"));
    doBeforeEdit();
    buffer_ = oldBuffer_ = rows_[std::size_t(cur_)];
    state_ = State::Edit;
    doAfterEdit();
}

void TkvIBDataSet::post() {
    requireActive();
    if (state_ != State::Edit && state_ != State::Insert) return;
    doBeforePost();
    if (state_ == State::Insert) {
        Statement& st = writer(insert_, InsertSQL, "insert");
        bindRow(st, buffer_, oldBuffer_);
        st.execute();
        rows_.push_back(std::move(buffer_));
        cur_ = int(rows_.size()) - 1;
        state_ = State::Browse;
        emit rowInserted(cur_);
        emit currentChanged(cur_);
    } else {
        Statement& st = writer(modify_, ModifySQL, "modify");
        bindRow(st, buffer_, oldBuffer_);
        st.execute();
        rows_[std::size_t(cur_)] = std::move(buffer_);
        state_ = State::Browse;
        emit rowChanged(cur_);
    }
    buffer_.clear();
    oldBuffer_.clear();
    doAfterPost();
}

void TkvIBDataSet::cancel() {
    requireActive();
    if (state_ != State::Edit && state_ != State::Insert) return;
    doBeforeCancel();
    if (state_ == State::Insert) eof_ = bof_ = rows_.empty();
    buffer_.clear();
    oldBuffer_.clear();
    state_ = State::Browse;
}

void TkvIBDataSet::del() {
    requireActive();
    if (state_ == State::Insert) { // deleting a record still being appended only discards it
        cancel();
        return;
    }
    if (rows_.empty()) return;
    doBeforeDelete();
    if (cur_ < 0 || cur_ >= int(rows_.size())) {
        EstoyEnBorrado = false;
        return;
    }
    try {
        Statement& st = writer(delete_, DeleteSQL, "delete");
        const Row& row = rows_[std::size_t(cur_)];
        bindRow(st, row, row);
        st.execute();
    } catch (...) {
        EstoyEnBorrado = false;
        cursor(false);
        throw;
    }
    const int row = cur_;
    rows_.erase(rows_.begin() + row);
    cur_ = rows_.empty() ? -1 : std::min(row, int(rows_.size()) - 1);
    eof_ = bof_ = rows_.empty();
    emit rowRemoved(row);
    doAfterDelete();
}

void TkvIBDataSet::refresh() {
    checkBrowse();
    if (cur_ < 0 || cur_ >= int(rows_.size()) || RefreshSQL.trimmed().isEmpty()) return;
    Statement& st = writer(refresh_, RefreshSQL, "refresh");
    Row& row = rows_[std::size_t(cur_)];
    bindRow(st, row, row);
    st.execute();
    if (!st.eof()) {
        for (int i = 0; i < st.fieldCount(); ++i) {
            const int col = fieldIndex(st.field(i).name());
            if (col >= 0) row[std::size_t(col)] = st.field(i).asVariant();
        }
    }
    st.close();
    emit rowChanged(cur_);
}

// --- transaction control -----------------------------------------------------------------------

bool TkvIBDataSet::Commit(bool Aviso) {
    if (!tr_ || !tr_->active() || !FModificado || !FControlTransacciones) return true;
    if (Aviso && !FTextoAvisoCommit.isEmpty()) {
        qd::UserChannel* channel = qd::UserChannel::current();
        if (channel && !channel->ask(FTextoAvisoCommit)) {
            Rollback(false);
            return false;
        }
    }
    try {
        tr_->commitRetaining();
        qd::trimWorkingSet();
        cursor(false);
        FModificado = false;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TkvIBDataSet::Rollback(bool Aviso) {
    if (!tr_ || !tr_->active() || !FModificado || !FControlTransacciones) return true;
    if (Aviso && !FTextoAvisoRollback.isEmpty()) {
        qd::UserChannel* channel = qd::UserChannel::current();
        if (channel && !channel->ask(FTextoAvisoRollback)) return false;
    }
    try {
        tr_->rollbackRetaining();
        qd::trimWorkingSet();
        cursor(false);
        FModificado = false;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
