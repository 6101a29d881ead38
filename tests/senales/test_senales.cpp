// Orderly end on SIGTERM, SIGHUP and SIGINT. Each case runs a process of its own (the probe, the
// window under the offscreen platform, the headless importer), sends it the signal and checks
// how it ended and what the database holds afterwards.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <sys/types.h>

#include "FbStatement.h"
#include "FbTransaction.h"
#include "TempDatabase.h"

namespace {

const char* nombreSenal(int senal) {
    return senal == SIGTERM ? "SIGTERM" : senal == SIGHUP ? "SIGHUP" : senal == SIGINT ? "SIGINT" : "?";
}

// Runs the probe and returns its "key=value" lines.
QHash<QString, QString> sonda(const QStringList& argumentos) {
    QProcess p;
    p.start(QStringLiteral(QD_SONDA), argumentos);
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << argumentos.join(' ').toStdString();
    EXPECT_EQ(p.exitCode(), 0) << argumentos.join(' ').toStdString();
    QHash<QString, QString> valores;
    for (const QString& linea : QString::fromLocal8Bit(p.readAllStandardOutput()).split('\n')) {
        const qsizetype igual = linea.indexOf('=');
        if (igual > 0) valores.insert(linea.left(igual), linea.mid(igual + 1));
    }
    return valores;
}

// Waits until `condicion` holds, letting the process's output in; false after `ms`.
template <class F> bool esperar(QProcess& p, int ms, F condicion) {
    QElapsedTimer reloj;
    reloj.start();
    while (!condicion()) {
        if (reloj.elapsed() > ms || p.state() == QProcess::NotRunning) return condicion();
        p.waitForReadyRead(50);
    }
    return true;
}

// True when the process has the file open (the embedded engine holds the database it attached).
bool tieneAbierto(qint64 pid, const QString& fichero) {
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    const QString buscado = QFileInfo(fichero).canonicalFilePath();
    for (const QFileInfo& fd : fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == buscado) return true;
    return false;
}

qint64 contar(const qd::test::TempDatabase& bd, const QString& sql) {
    auto db = bd.attach();
    qd::fb::Transaction tr(db.get());
    qd::fb::Statement st(db.get(), &tr);
    st.setSql(sql);
    st.execute();
    return st.field(0).asInt();
}

} // namespace

// ---- the client library and the shared piece, in the probe --------------------------------------

TEST(Apagado, TheEngineTakesSigintAndSigtermAtTheFirstAttachEvenAFailedOne) {
    qd::test::TempDatabase bd;
    const QString noExiste = QDir::temp().filePath(QStringLiteral("no/existe/bd.fdb"));
    for (const QString& ruta : {bd.path(), noExiste}) {
        const auto v = sonda({ruta == noExiste ? "fallido" : "motor", ruta});
        EXPECT_EQ(v["conectada"], ruta == noExiste ? "0" : "1");
        for (const char* s : {"SIGTERM", "SIGHUP", "SIGINT"})
            EXPECT_EQ(v[QStringLiteral("antes_") + s], "programa") << s;
        EXPECT_EQ(v["despues_SIGTERM"], "otro") << ruta.toStdString();
        EXPECT_EQ(v["despues_SIGINT"], "otro") << ruta.toStdString();
        EXPECT_EQ(v["despues_SIGHUP"], "programa") << "SIGHUP stays the program's";
    }
}

TEST(Apagado, ASignalIsToldOnceAndTheConnectionSurvivesBeforeAndAfterRestoring) {
    qd::test::TempDatabase bd;
    for (int senal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(nombreSenal(senal));
        const auto v = sonda({"tomar", bd.path(), QString::number(senal)});
        // In front of the engine's handler (SIGTERM, SIGINT): the engine's shutdown is refused,
        // the program hears of the signal once, not once from each path.
        EXPECT_EQ(v["avisos1"], "1");
        EXPECT_EQ(v["responde1"], "1") << v["error"].toStdString();
        EXPECT_EQ(v["restaurados"], "2"); // SIGTERM and SIGINT, never SIGHUP
        EXPECT_EQ(v["restaurados_otra_vez"], "0");
        EXPECT_EQ(v["avisos2"], "2");
        EXPECT_EQ(v["responde2"], "1") << v["error"].toStdString();
        EXPECT_EQ(v["vacio"], "1");
        EXPECT_EQ(v["desconectada"], "1") << v["error"].toStdString();
    }
}

TEST(Apagado, WithoutAnyEngineTheSignalReachesFlagAndPipe) {
    const auto v = sonda({"sin_motor", QString::number(SIGHUP)});
    EXPECT_EQ(v["avisos"], "1");
    EXPECT_EQ(v["pedido"], "1");
    EXPECT_EQ(v["senal"], QString::number(SIGHUP));
    EXPECT_EQ(v["byte"], QString::number(SIGHUP));
}

// ---- the window -----------------------------------------------------------------------------------

namespace {

struct CasoVentana {
    int senal;
    bool baseCorrecta;       // false: a path that does not exist, its error box open
    bool mensajesSinVentana; // QD_MENSAJES_SIN_VENTANA=1 (boxes to the log only)
};

void PrintTo(const CasoVentana& c, std::ostream* os) {
    *os << nombreSenal(c.senal) << (c.baseCorrecta ? "" : ", wrong database path")
        << (c.mensajesSinVentana ? ", boxes to the log" : ", real boxes");
}

class Ventana : public ::testing::TestWithParam<CasoVentana> {};

} // namespace

TEST_P(Ventana, ASignalEndsTheWindowInOrder) {
    const CasoVentana c = GetParam();
    qd::test::TempDatabase bd;
    QTemporaryDir carpeta; // the module's files (Excel.ini)
    const QString ruta = c.baseCorrecta ? bd.path() : carpeta.filePath(QStringLiteral("no/existe.fdb"));

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QD_MODULE_DIR", carpeta.path());
    if (c.mensajesSinVentana)
        env.insert("QD_MENSAJES_SIN_VENTANA", "1");
    else
        env.remove("QD_MENSAJES_SIN_VENTANA");
    p.setProcessEnvironment(env);
    p.start(QString(QD_BIN_DIR) + "/ModuloImpExcelQDSQL",
            {"1", "1", ruta, "1", "sysdba", "masterkey", "texto", "ART", "0", "0"});
    ASSERT_TRUE(p.waitForStarted());
    QString err;
    if (c.baseCorrecta) {
        // Attached; then the start-up ends and the window is shown.
        ASSERT_TRUE(esperar(p, 20000, [&] { return tieneAbierto(p.processId(), ruta); }));
        QThread::msleep(2000);
    } else {
        // The connection error box is open (modal, nobody closes it) once its text is logged.
        ASSERT_TRUE(esperar(p, 20000, [&] {
            err += QString::fromLocal8Bit(p.readAllStandardError());
            return err.contains("Error al conectar con");
        })) << err.toStdString();
        QThread::msleep(500);
    }
    ASSERT_EQ(p.state(), QProcess::Running) << err.toStdString();

    QElapsedTimer reloj;
    reloj.start();
    ASSERT_EQ(::kill(static_cast<pid_t>(p.processId()), c.senal), 0);
    const bool terminado = p.waitForFinished(10000);
    if (!terminado) p.kill();
    ASSERT_TRUE(terminado) << "still running 10 s after the signal";
    err += QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_LT(reloj.elapsed(), 10000);
    EXPECT_TRUE(
        err.contains(QStringLiteral("[signal] Recibida %1: el módulo termina.").arg(nombreSenal(c.senal))))
        << err.toStdString();

    if (c.baseCorrecta) {
        // The window's state was saved and the database was left in order.
        EXPECT_TRUE(QFile::exists(carpeta.filePath("Excel.ini")));
        EXPECT_GT(contar(bd, "SELECT COUNT(*) FROM RDB$RELATIONS"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Senales, Ventana,
                         ::testing::Values(CasoVentana{SIGTERM, true, true}, CasoVentana{SIGHUP, true, true},
                                           CasoVentana{SIGINT, true, true},
                                           CasoVentana{SIGTERM, false, false}),
                         [](const auto& info) {
                             return std::string(nombreSenal(info.param.senal)) +
                                    (info.param.baseCorrecta ? "" : "_ConLaCajaDeErrorAbierta");
                         });

// ---- the headless importer --------------------------------------------------------------------------

namespace {

class Importador : public ::testing::TestWithParam<int> {};

constexpr int kFilas = 20000;

QString nombreArticulo(int i) {
    return QStringLiteral("Artículo de señal %1").arg(i);
}

} // namespace

TEST_P(Importador, ASignalMidImportStopsAfterTheRowAndKeepsWhatWasCommitted) {
    const int senal = GetParam();
    qd::test::TempDatabase bd;
    QTemporaryDir carpeta;
    const QString libro = carpeta.filePath("articulos.csv");
    {
        QFile f(libro);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray texto = "CODIGO;NOMBRE\r\n";
        for (int i = 0; i < kFilas; ++i)
            texto +=
                QStringLiteral("S%1;%2\r\n").arg(i, 7, 10, QLatin1Char('0')).arg(nombreArticulo(i)).toUtf8();
        f.write(texto);
    }

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QD_MODULE_DIR", carpeta.path());
    p.setProcessEnvironment(env);
    p.start(QString(QD_BIN_DIR) + "/qdimport",
            {"--database", bd.path(), "--create", "--fields", "CODIGO,NOMBRE", libro});
    QString out;
    ASSERT_TRUE(esperar(p, 30000, [&] {
        out += QString::fromLocal8Bit(p.readAllStandardOutput());
        return out.contains("Importando datos de Artículos a la Base de Datos");
    })) << out.toStdString();
    QThread::msleep(300); // the writer commits row by row meanwhile
    ASSERT_EQ(p.state(), QProcess::Running) << "the import ended before the signal";

    QElapsedTimer reloj;
    reloj.start();
    ASSERT_EQ(::kill(static_cast<pid_t>(p.processId()), senal), 0);
    const bool terminado = p.waitForFinished(10000);
    if (!terminado) p.kill();
    ASSERT_TRUE(terminado) << "still running 10 s after the signal";
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    out += QString::fromLocal8Bit(p.readAllStandardOutput());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1) << err.toStdString();

    // The summary is printed and counts what was written.
    const QRegularExpressionMatch nuevos = QRegularExpression("Nuevos: (\\d+)").match(err);
    ASSERT_TRUE(err.contains("Resumen del proceso:") && nuevos.hasMatch()) << err.toStdString();

    // A new connection sees every committed row, in order and whole.
    auto db = bd.attach();
    qd::fb::Transaction tr(db.get());
    qd::fb::Statement st(db.get(), &tr);
    st.setSql("SELECT CODIGO, NOMBRE FROM ARTICULOS WHERE CODIGO STARTING WITH 'S0' ORDER BY CODIGO");
    st.execute();
    int filas = 0;
    for (; !st.eof(); st.next(), ++filas) {
        ASSERT_EQ(st.field(0).asString().trimmed(),
                  QStringLiteral("S%1").arg(filas, 7, 10, QLatin1Char('0')));
        ASSERT_EQ(st.field(1).asString().trimmed(), nombreArticulo(filas));
    }
    EXPECT_GT(filas, 0);
    EXPECT_LT(filas, kFilas);
    EXPECT_EQ(nuevos.captured(1).toInt(), filas);
}

INSTANTIATE_TEST_SUITE_P(Senales, Importador, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const auto& info) { return std::string(nombreSenal(info.param)); });

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
