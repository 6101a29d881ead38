// One import of a kind at a time on a database: the lock class against two connections, a database
// without its table, and two qdimport processes on one database.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <ibase.h>

#include "BloqueoImportacion.h"
#include "ErrorImportacion.h"
#include "FbAttachment.h"
#include "FbStatement.h"
#include "FbTransaction.h"
#include "TempDatabase.h"

namespace {

const QString kEnCurso =
    QStringLiteral("Ya hay una importación de articulos en curso en esta base de datos.");

QVariant valor(qd::fb::Attachment& a, const QString& sql) {
    qd::fb::Transaction t(&a);
    qd::fb::Statement s(&a, &t);
    s.setSql(sql);
    s.execute();
    const QVariant v = s.field(0).asVariant();
    s.close();
    t.commit();
    return v;
}

// A private root for the embedded engine: the installed plugins and messages, the character sets
// (copied: the engine does not load them through a linked folder), and a configuration that opens
// database files in SuperClassic mode, with the lock files in a folder of its own.
QProcessEnvironment entornoSuperClassic(const QTemporaryDir& dir) {
    const QString raiz = QStringLiteral(QD_FB_ROOT);
    QDir d(dir.path());
    EXPECT_TRUE(d.mkpath("fb/intl") && d.mkpath("fb/lock"));
    for (const char* f : {"plugins", "firebird.msg", "plugins.conf"})
        EXPECT_TRUE(QFile::link(raiz + "/" + f, d.filePath(QStringLiteral("fb/") + f))) << f;
    for (const char* f : {"intl/libfbintl.so", "intl/fbintl.conf"})
        EXPECT_TRUE(QFile::copy(raiz + "/" + f, d.filePath(QStringLiteral("fb/") + f))) << f;
    QFile conf(d.filePath("fb/firebird.conf"));
    EXPECT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("ServerMode = SuperClassic\n");
    conf.close();
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("FIREBIRD", d.filePath("fb"));
    e.insert("FIREBIRD_LOCK", d.filePath("fb/lock"));
    return e;
}

} // namespace

TEST(BloqueoImportacion, ASecondImportOfTheKindIsRefusedUntilTheFirstEnds) {
    qd::test::TempDatabase db;
    auto primera = db.attach();
    auto segunda = db.attach();
    {
        const qd::BloqueoImportacion bloqueo(*primera, "articulos");
        EXPECT_TRUE(bloqueo.tomado());
        EXPECT_TRUE(bloqueo.aviso().isEmpty()) << bloqueo.aviso().toStdString();
        try {
            qd::BloqueoImportacion otro(*segunda, "articulos");
            ADD_FAILURE() << "a second import of the kind ran";
        } catch (const qd::ErrorImportacion& e) {
            EXPECT_EQ(e.texto(), kEnCurso);
        }
        // Another kind runs beside it.
        const qd::BloqueoImportacion clientes(*segunda, "clientes");
        EXPECT_TRUE(clientes.tomado());
    }
    const qd::BloqueoImportacion despues(*segunda, "articulos");
    EXPECT_TRUE(despues.tomado());
    EXPECT_EQ(valor(*primera, "SELECT COUNT(*) FROM QD_IMPORTACIONES").toInt(), 2) << "one row per kind";
}

TEST(BloqueoImportacion, WithoutItsTableTheImportRunsUnprotectedAndSaysSo) {
    qd::test::TempDatabase db{QString()}; // never upgraded: no QD_IMPORTACIONES
    auto a = db.attach();
    const qd::BloqueoImportacion bloqueo(*a, "articulos");
    EXPECT_FALSE(bloqueo.tomado());
    EXPECT_TRUE(
        bloqueo.aviso().startsWith("No se puede impedir que otra importación de articulos se ejecute"))
        << bloqueo.aviso().toStdString();
    EXPECT_TRUE(bloqueo.aviso().contains("Falta la tabla QD_IMPORTACIONES")) << bloqueo.aviso().toStdString();
}

TEST(BloqueoImportacion, TwoQdimportRunsOfOneWorkbookTheSecondIsRefusedAtOnce) {
    QTemporaryDir dir;
    const QString bd = dir.filePath("bd.fdb");
    ASSERT_TRUE(QFile::copy(qd::test::TempDatabase::templatePath(), bd));
    const QString libro = dir.filePath("articulos.csv");
    {
        QFile f(libro);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray texto = "CODIGO;NOMBRE\r\n";
        for (int i = 1; i <= 20000; ++i)
            texto += QStringLiteral("B%1;Artículo %2\r\n").arg(i, 5, 10, QChar('0')).arg(i).toUtf8();
        f.write(texto);
    }
    const QStringList argumentos{"--database", bd, "--create", "--excel-ini", dir.filePath("no-existe.ini"),
                                 libro};
    const QProcessEnvironment entorno = entornoSuperClassic(dir);

    QProcess primera;
    primera.setProcessEnvironment(entorno);
    primera.start(QStringLiteral(QD_QDIMPORT), argumentos);
    // The first run holds the lock once it starts loading.
    QByteArray salidaPrimera;
    while (!salidaPrimera.contains("Cargando datos del fichero Excel") && primera.waitForReadyRead(30000))
        salidaPrimera += primera.readAllStandardOutput();
    ASSERT_TRUE(salidaPrimera.contains("Cargando datos del fichero Excel"))
        << salidaPrimera.toStdString() << primera.readAllStandardError().toStdString();

    QProcess segunda;
    segunda.setProcessEnvironment(entorno);
    QElapsedTimer reloj;
    reloj.start();
    segunda.start(QStringLiteral(QD_QDIMPORT), argumentos);
    ASSERT_TRUE(segunda.waitForFinished(30000));
    const QString errores = QString::fromLocal8Bit(segunda.readAllStandardError());
    EXPECT_EQ(segunda.exitCode(), 2) << errores.toStdString();
    EXPECT_TRUE(errores.contains(kEnCurso)) << errores.toStdString();
    EXPECT_LT(reloj.elapsed(), 10000) << "refused at once, not after waiting";
    EXPECT_EQ(primera.state(), QProcess::Running) << "the first run was still writing";

    ASSERT_TRUE(primera.waitForFinished(240000));
    salidaPrimera += primera.readAllStandardOutput();
    EXPECT_EQ(primera.exitCode(), 0) << primera.readAllStandardError().toStdString();
    EXPECT_TRUE(salidaPrimera.contains("Proceso terminado")) << salidaPrimera.toStdString();

    // Both processes have ended: this process opens the file on its own.
    qd::fb::Attachment a(bd, {"USER_NAME=SYSDBA", "PASSWORD=masterkey", "lc_ctype=ISO8859_1"});
    a.open();
    EXPECT_EQ(valor(a, "SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO STARTING WITH 'B'").toInt(), 20000);
    EXPECT_EQ(
        valor(a, "SELECT COUNT(*) FROM (SELECT CODIGO FROM ARTICULOS GROUP BY CODIGO HAVING COUNT(*) > 1)")
            .toInt(),
        0)
        << "no duplicate code";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int resultado = RUN_ALL_TESTS();
    // The embedded engine is stopped in order before the process ends: left to the exit handlers,
    // its threads could still be running while the process tears down (now and then a crash at exit).
    fb_shutdown(10000, fb_shutrsn_app_stopped);
    return resultado;
}
