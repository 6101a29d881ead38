// A path that is not a regular file (a FIFO, a device, a link to one, a folder) given to the
// headless importer is refused at once: the importer neither blocks on it nor reads it forever.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TempDatabase.h"

namespace {

TEST(Qdimport, PathsThatAreNotFilesAreRefusedAtOnce) {
    qd::test::TempDatabase db;
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("tuberia.xlsx"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString enlace = dir.filePath(QStringLiteral("enlace.xlsx"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), enlace));

    for (const QString& ruta : {fifo, QStringLiteral("/dev/zero"), enlace, dir.path()}) {
        SCOPED_TRACE(ruta.toStdString());
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        QElapsedTimer reloj;
        reloj.start();
        p.start(QStringLiteral(QD_QDIMPORT),
                {QStringLiteral("--database"), db.path(), QStringLiteral("--create"), ruta});
        const bool termino = p.waitForFinished(20000);
        if (!termino) p.kill();
        ASSERT_TRUE(termino) << "qdimport still running";
        const QString salida = QString::fromLocal8Bit(p.readAll());
        EXPECT_EQ(p.exitCode(), 2) << salida.toStdString();
        EXPECT_TRUE(salida.contains(QStringLiteral("no es un fichero")) ||
                    salida.contains(QStringLiteral("es una")) || salida.contains(QStringLiteral("es un")))
            << salida.toStdString();
        // Refused before the database is opened.
        EXPECT_LT(reloj.elapsed(), 2000); // about 0.1 s; slack for a busy machine
    }
}

} // namespace
