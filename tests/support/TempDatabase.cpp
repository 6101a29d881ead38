#include "TempDatabase.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <stdexcept>

namespace qd::test {

QString TempDatabase::templatePath() {
    return QStringLiteral(QD_TEMPLATE_DB);
}

TempDatabase::TempDatabase() {
    if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary folder");
    path_ = dir_.filePath(QStringLiteral("prueba.fdb"));
    const QString source = templatePath();
    if (!QFile::exists(source) || QFile(source).size() == 0)
        throw std::runtime_error(("template database missing: " + source).toStdString());
    if (!QFile::copy(source, path_)) throw std::runtime_error("cannot copy the template database");
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
}

TempDatabase::TempDatabase(const QString& script) {
    if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary folder");
    path_ = dir_.filePath(QStringLiteral("prueba.fdb"));
    {
        qd::fb::Attachment db(path_, params());
        db.create();
        db.close();
    }
    if (!script.trimmed().isEmpty()) runIsqlScript(path_, script);
}

QStringList TempDatabase::params() const {
    return {QStringLiteral("USER_NAME=SYSDBA"), QStringLiteral("PASSWORD=masterkey"),
            QStringLiteral("lc_ctype=ISO8859_1")};
}

std::unique_ptr<qd::fb::Attachment> TempDatabase::attach() const {
    auto db = std::make_unique<qd::fb::Attachment>(path_, params());
    db->open();
    return db;
}

void runIsqlScript(const QString& databasePath, const QString& script) {
    QString isql = QStringLiteral(QD_ISQL);
    if (isql.isEmpty() || !QFile::exists(isql))
        isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (isql.isEmpty()) throw std::runtime_error("isql-fb not found");
    QProcess p;
    p.start(isql,
            {QStringLiteral("-q"), QStringLiteral("-b"), QStringLiteral("-sqldialect"), QStringLiteral("1"),
             QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-password"),
             QStringLiteral("masterkey"), QStringLiteral("-ch"), QStringLiteral("ISO8859_1"), databasePath});
    if (!p.waitForStarted()) throw std::runtime_error("cannot start isql-fb");
    QString text = script;
    if (!text.trimmed().endsWith(QLatin1Char(';'))) text += QLatin1Char(';');
    text += QStringLiteral("\nCOMMIT;\n");
    p.write(text.toLatin1());
    p.closeWriteChannel();
    p.waitForFinished(120000);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(
            ("isql-fb failed: " + p.readAllStandardError() + p.readAllStandardOutput()).toStdString());
}

} // namespace qd::test
