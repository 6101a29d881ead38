#include "ModuleFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace qd {

namespace {

QString& overrideDir() {
    static QString dir;
    return dir;
}

bool isWritableDir(const QString& dir) {
    const QFileInfo info(dir);
    return !dir.isEmpty() && info.isDir() && info.isWritable();
}

} // namespace

void setModuleDirOverride(const QString& dir) {
    overrideDir() = dir;
}

QString moduleDir(ModuleFileKind kind) {
    QString fixed = overrideDir();
    if (fixed.isEmpty()) fixed = qEnvironmentVariable("QD_MODULE_DIR");
    if (!fixed.isEmpty()) {
        QDir().mkpath(fixed);
        return fixed;
    }

    if (QCoreApplication::instance() != nullptr) {
        const QString programDir = QCoreApplication::applicationDirPath();
        if (isWritableDir(programDir)) return programDir;
    }
    const QString fallback = QStandardPaths::writableLocation(
        kind == ModuleFileKind::Config ? QStandardPaths::AppConfigLocation : QStandardPaths::AppDataLocation);
    if (!fallback.isEmpty()) QDir().mkpath(fallback);
    return fallback;
}

QString moduleFilePath(const QString& name, ModuleFileKind kind) {
    return QDir(moduleDir(kind)).filePath(name);
}

QString moduleFilePath(const QString& name) {
    return moduleFilePath(name, name.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive)
                                    ? ModuleFileKind::Config
                                    : ModuleFileKind::Data);
}

} // namespace qd
