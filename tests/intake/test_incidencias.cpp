// The incidence file and where the module's files live.

#include "Incidencias.h"
#include "ModuleFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(Incidencias, EachWriteReplacesTheFileWithItsOwnLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Incidencias_Excel.txt");

    const qd::IncidenceFileResult first =
        qd::Incidencias::write({"Albarán 12: artículo A-1 no existe", "Línea 3 sin cantidad", "third"}, path);
    ASSERT_TRUE(first.ok) << first.error.toStdString();
    EXPECT_EQ(first.path, path);
    EXPECT_EQ(
        readAll(path),
        QString("Albarán 12: artículo A-1 no existe\r\nLínea 3 sin cantidad\r\nthird\r\n").toLocal8Bit());

    ASSERT_TRUE(qd::Incidencias::write({"solo esta"}, path).ok);
    EXPECT_EQ(readAll(path), "solo esta\r\n");

    ASSERT_TRUE(qd::Incidencias::write({}, path).ok);
    EXPECT_EQ(readAll(path), "");
}

TEST(Incidencias, FailureGivesPathAndReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath("no/such/folder/Incidencias_Excel.txt");
    const qd::IncidenceFileResult r = qd::Incidencias::write({"x"}, path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.path, path);
    EXPECT_FALSE(r.error.isEmpty());
}

TEST(ModuleFiles, OverrideAndEnvironmentChooseTheFolder) {
    QTemporaryDir dir;
    const QString fixed = dir.filePath("modulo");
    qd::setModuleDirOverride(fixed);
    EXPECT_EQ(qd::moduleFilePath("Excel.ini"), QDir(fixed).filePath("Excel.ini"));
    EXPECT_EQ(qd::Incidencias::defaultPath(), QDir(fixed).filePath("Incidencias_Excel.txt"));
    EXPECT_TRUE(QFileInfo(fixed).isDir()); // created on demand
    qd::setModuleDirOverride({});

    qputenv("QD_MODULE_DIR", dir.path().toLocal8Bit());
    EXPECT_EQ(qd::moduleFilePath("IncidenciasLineasAlbaran.txt"),
              QDir(dir.path()).filePath("IncidenciasLineasAlbaran.txt"));
    qunsetenv("QD_MODULE_DIR");
}
