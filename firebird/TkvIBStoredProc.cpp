#include "TkvIBStoredProc.h"

#include <optional>

#include "WaitCursor.h"
#include "WorkingSet.h"

using qd::fb::Error;
using qd::fb::Field;

TkvIBStoredProc::TkvIBStoredProc(qd::fb::Attachment* db, qd::fb::Transaction* tr) : stmt_(db, tr) {}

TkvIBStoredProc::~TkvIBStoredProc() = default;

void TkvIBStoredProc::setStoredProcName(const QString& name) {
    if (name == name_) return;
    stmt_.unprepare();
    name_ = name;
    metadataLoaded_ = false;
    inputs_.clear();
    outputs_.clear();
    results_.clear();
}

void TkvIBStoredProc::loadMetadata() {
    if (metadataLoaded_) return;
    if (name_.isEmpty()) throw Error(QStringLiteral("No se ha indicado el procedimiento almacenado."));
    const QString procName = name_.trimmed().toUpper();
    qd::fb::Statement meta(stmt_.attachment(), stmt_.transaction());
    meta.setSql(QStringLiteral(
        "SELECT TRIM(RDB$PARAMETER_NAME), RDB$PARAMETER_TYPE FROM RDB$PROCEDURE_PARAMETERS "
        "WHERE RDB$PROCEDURE_NAME = :NOMBRE ORDER BY RDB$PARAMETER_TYPE, RDB$PARAMETER_NUMBER"));
    meta.paramByName(QStringLiteral("NOMBRE")).setString(procName);
    QStringList inputs;
    QStringList outputs;
    for (meta.execute(); !meta.eof(); meta.next()) {
        const QString param = meta.field(0).asString().trimmed();
        (meta.field(1).asInt() == 0 ? inputs : outputs) << param;
    }
    meta.close();
    QString sql = QStringLiteral("EXECUTE PROCEDURE ") + procName;
    if (!inputs.isEmpty()) {
        QStringList markers;
        for (const QString& p : inputs)
            markers << QLatin1Char(':') + p;
        sql += QLatin1Char('(') + markers.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    stmt_.setSql(sql);
    inputs_ = inputs;
    outputs_ = outputs;
    results_.clear();
    for (const QString& o : outputs_)
        results_.emplace_back(o, QVariant());
    metadataLoaded_ = true;
}

qd::fb::Param& TkvIBStoredProc::paramByName(const QString& name) {
    loadMetadata();
    return stmt_.paramByName(name);
}

bool TkvIBStoredProc::hasParam(const QString& name) {
    loadMetadata();
    return stmt_.hasParam(name);
}

QStringList TkvIBStoredProc::inputNames() {
    loadMetadata();
    return inputs_;
}

QStringList TkvIBStoredProc::outputNames() {
    loadMetadata();
    return outputs_;
}

const Field& TkvIBStoredProc::outputByName(const QString& name) const {
    for (const Field& f : results_)
        if (f.name().compare(name, Qt::CaseInsensitive) == 0) return f;
    throw Error(
        QStringLiteral("No existe el parámetro de salida %1 en el procedimiento %2.").arg(name, name_));
}

void TkvIBStoredProc::Preparar() {
    loadMetadata();
    // Commit what was written so far, keeping the transaction; prepare even when that failed and
    // report the commit error afterwards.
    std::optional<Error> commitError;
    qd::fb::Transaction* tr = stmt_.transaction();
    if (tr && tr->active()) {
        try {
            tr->commitRetaining();
        } catch (const Error& e) {
            commitError = e;
        }
    }
    stmt_.prepare();
    if (commitError) throw *commitError;
}

void TkvIBStoredProc::Ejecutar() {
    loadMetadata();
    qd::WaitCursor cursor;
    try {
        stmt_.execute();
        for (Field& out : results_) {
            const Field* f = stmt_.findField(out.name());
            out = Field(out.name(), f ? f->asVariant() : QVariant());
        }
        qd::fb::Transaction* tr = stmt_.transaction();
        if (tr && tr->active()) tr->commitRetaining();
        qd::trimWorkingSet();
        stmt_.unprepare();
    } catch (...) {
        stmt_.unprepare();
        throw;
    }
}

void TkvIBStoredProc::unprepare() {
    stmt_.unprepare();
}
