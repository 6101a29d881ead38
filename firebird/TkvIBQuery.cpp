#include "TkvIBQuery.h"

#include "TListaAccesoCampos.h"
#include "UserChannel.h"
#include "WaitCursor.h"
#include "WorkingSet.h"

using qd::fb::Error;
using qd::fb::Field;

TkvIBQuery::TkvIBQuery(qd::fb::Attachment* db, qd::fb::Transaction* tr, bool bidirectional)
    : stmt_(db, tr), bidirectional_(bidirectional) {}

TkvIBQuery::~TkvIBQuery() {
    try {
        close();
    } catch (...) {
    }
}

void TkvIBQuery::setSql(const QString& sql) {
    close();
    stmt_.setSql(sql);
}

qd::fb::Param& TkvIBQuery::paramByName(const QString& name) {
    return stmt_.paramByName(name);
}

void TkvIBQuery::prepare() {
    stmt_.prepare();
}

void TkvIBQuery::unprepare() {
    stmt_.unprepare();
}

void TkvIBQuery::PrepararQuery() {
    if (!stmt_.prepared()) stmt_.prepare();
}

void TkvIBQuery::doBeforeOpen() {
    if (qd::UserChannel* channel = qd::UserChannel::current()) channel->waitCursor(true);
    try {
        // Everything written so far in the shared transaction becomes permanent before a read.
        if (transaction() && transaction()->active()) transaction()->commitRetaining();
        PrepararQuery();
    } catch (const Error& e) {
        if (qd::UserChannel* channel = qd::UserChannel::current())
            channel->message(qd::MessageKind::Plain, e.message());
    }
    if (PrimeraVez && stmt_.prepared()) {
        QStringList names;
        for (int i = 0; i < stmt_.fieldCount(); ++i)
            names << stmt_.field(i).name();
        FListaCampos.build(name, names, TListaAccesoCampos::global());
        PrimeraVez = false;
    }
}

void TkvIBQuery::doAfterOpen() {
    if (qd::UserChannel* channel = qd::UserChannel::current()) channel->waitCursor(false);
    qd::trimWorkingSet();
}

void TkvIBQuery::doAfterClose() {
    stmt_.unprepare();
}

void TkvIBQuery::open() {
    if (active_) return;
    doBeforeOpen();
    try {
        stmt_.execute();
    } catch (...) {
        if (qd::UserChannel* channel = qd::UserChannel::current()) channel->waitCursor(false);
        throw;
    }
    active_ = true;
    rows_.clear();
    current_.clear();
    allFetched_ = false;
    fetched_ = stmt_.eof() ? 0 : 1;
    eof_ = stmt_.eof();
    cur_ = eof_ ? -1 : 0;
    if (bidirectional_) {
        if (!eof_) {
            rows_.emplace_back();
            auto& row = rows_.back();
            for (int i = 0; i < stmt_.fieldCount(); ++i)
                row.push_back(stmt_.field(i).asVariant());
        } else {
            allFetched_ = true;
        }
        loadCurrent();
    }
    doAfterOpen();
}

void TkvIBQuery::close() {
    if (!active_) return;
    active_ = false;
    rows_.clear();
    current_.clear();
    cur_ = -1;
    eof_ = true;
    stmt_.close();
    doAfterClose();
}

void TkvIBQuery::execSql() {
    close();
    stmt_.execute();
}

bool TkvIBQuery::fetchRow() {
    if (allFetched_) return false;
    stmt_.next();
    if (stmt_.eof()) {
        allFetched_ = true;
        return false;
    }
    ++fetched_;
    rows_.emplace_back();
    auto& row = rows_.back();
    for (int i = 0; i < stmt_.fieldCount(); ++i)
        row.push_back(stmt_.field(i).asVariant());
    return true;
}

void TkvIBQuery::loadCurrent() {
    current_.clear();
    for (int i = 0; i < stmt_.fieldCount(); ++i) {
        QVariant v;
        if (cur_ >= 0 && cur_ < int(rows_.size())) v = rows_[std::size_t(cur_)][std::size_t(i)];
        current_.emplace_back(stmt_.field(i).name(), v);
    }
}

void TkvIBQuery::first() {
    if (!active_) throw Error(QStringLiteral("La consulta no está abierta."), 0, 0, {}, sql());
    if (bidirectional_) {
        cur_ = rows_.empty() ? -1 : 0;
        eof_ = rows_.empty();
        loadCurrent();
        return;
    }
    if (cur_ <= 0) return;
    // One-directional: start again from the first row.
    stmt_.execute();
    fetched_ = stmt_.eof() ? 0 : 1;
    eof_ = stmt_.eof();
    cur_ = eof_ ? -1 : 0;
}

void TkvIBQuery::next() {
    if (!active_ || eof_) return;
    if (bidirectional_) {
        if (cur_ + 1 < int(rows_.size()) || fetchRow()) {
            ++cur_;
            loadCurrent();
        } else {
            eof_ = true;
        }
        return;
    }
    stmt_.next();
    if (stmt_.eof()) {
        eof_ = true;
    } else {
        ++fetched_;
        ++cur_;
    }
}

bool TkvIBQuery::eof() const {
    return !active_ || eof_;
}

bool TkvIBQuery::isEmpty() const {
    return !active_ || fetched_ == 0;
}

const Field* TkvIBQuery::findField(const QString& fieldName) const {
    if (!bidirectional_) return stmt_.findField(fieldName);
    const int i = stmt_.fieldIndex(fieldName);
    return (i < 0 || i >= int(current_.size())) ? nullptr : &current_[std::size_t(i)];
}

const Field& TkvIBQuery::fieldByName(const QString& fieldName) const {
    const Field* f = findField(fieldName);
    if (!f)
        throw Error(QStringLiteral("No existe el campo %1 en la consulta.").arg(fieldName), 0, 0, {}, sql());
    return *f;
}

int TkvIBQuery::fieldCount() const {
    return stmt_.fieldCount();
}

const Field& TkvIBQuery::field(int i) const {
    if (!bidirectional_) return stmt_.field(i);
    if (i < 0 || i >= int(current_.size()))
        throw Error(QStringLiteral("No existe el campo número %1.").arg(i), 0, 0, {}, sql());
    return current_[std::size_t(i)];
}

int TkvIBQuery::recNo() const {
    return (active_ && cur_ >= 0) ? cur_ + 1 : 0;
}

int TkvIBQuery::recordCount() {
    if (!active_) return 0;
    if (bidirectional_) {
        while (fetchRow()) {
        }
        return int(rows_.size());
    }
    return fetched_;
}
