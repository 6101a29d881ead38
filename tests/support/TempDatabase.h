#pragma once
// A database of its own for one test, in a temporary folder removed with the object.
//
//   qd::test::TempDatabase db;                 // a copy of the template database (schema + demo data)
//   qd::test::TempDatabase db(QString());      // an empty dialect-1 ISO8859_1 database
//   qd::test::TempDatabase db(sqlScript);      // an empty database, then the script run by isql-fb
//
// Connect with db.path() and db.params() (SYSDBA, ISO8859_1), or use db.attach().

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "FbAttachment.h"

namespace qd::test {

class TempDatabase {
public:
    TempDatabase();                               // copy of the template; throws when it is missing
    explicit TempDatabase(const QString& script); // a new database, then the script (isql-fb)

    QString path() const { return path_; }
    QStringList params() const;
    // A new open attachment to this database.
    std::unique_ptr<qd::fb::Attachment> attach() const;

    static QString templatePath();

private:
    QTemporaryDir dir_;
    QString path_;
};

// Runs a script with isql-fb on a database (dialect 1). Throws std::runtime_error with isql's
// output when it fails.
void runIsqlScript(const QString& databasePath, const QString& script);

} // namespace qd::test
