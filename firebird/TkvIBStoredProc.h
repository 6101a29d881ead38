#pragma once
// Calls a stored procedure by name with named input parameters and reads its outputs.
//
// Preparar() commits the transaction retaining its context and prepares; Ejecutar() shows the
// wait cursor, executes, commits retaining, trims the working set and unprepares. An execution
// error is not committed: the procedure is unprepared and the error reaches the caller. The
// parameter values and the outputs of the last execution survive the unprepare.

#include <QString>
#include <QStringList>
#include <vector>

#include "FbStatement.h"

class TkvIBStoredProc {
public:
    TkvIBStoredProc(qd::fb::Attachment* db, qd::fb::Transaction* tr);
    ~TkvIBStoredProc();

    void setStoredProcName(const QString& name);
    QString storedProcName() const { return name_; }
    qd::fb::Transaction* transaction() const { return stmt_.transaction(); }

    qd::fb::Param& paramByName(const QString& name); // input parameters; throws when absent
    bool hasParam(const QString& name);
    QStringList inputNames();
    QStringList outputNames();
    // Output parameters by name after Ejecutar (null before the first execution).
    const qd::fb::Field& outputByName(const QString& name) const;

    void Preparar();
    void Ejecutar();
    bool prepared() const { return stmt_.prepared(); }
    void unprepare();

private:
    void loadMetadata();

    qd::fb::Statement stmt_;
    QString name_;
    bool metadataLoaded_ = false;
    QStringList inputs_;
    QStringList outputs_;
    std::vector<qd::fb::Field> results_;
};
