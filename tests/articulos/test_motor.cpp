// The row engine's options on the article import against copies of the template database: dry
// run, keep going past a refused row, bulk commits (in process and through qdimport, killed half-way).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "CamposArticulos.h"
#include "ConsultasPrueba.h"
#include "DatosConectados.h"
#include "RecordingChannel.h"
#include "Sheet.h"
#include "TDatos.h"
#include "TempDatabase.h"
#include "Workbook.h"

namespace {

using qd::test::consultar;
using qd::test::ejecutar;

qint64 numero(qd::fb::Attachment& a, const QString& sql) {
    return consultar(a, sql).value(0).value(0).toLongLong();
}

// Counts and sums of every table an article import touches, masters included.
QStringList estado(const qd::test::TempDatabase& db) {
    auto a = db.attach();
    const char* consultas[] = {
        "SELECT COUNT(*), SUM(IDARTICULOS), SUM(PRECIOMEDIOCOSTE), SUM(PRECIOULTIMACOMPRA), "
        "SUM(CHAR_LENGTH(NOMBRE)) FROM ARTICULOS",
        "SELECT COUNT(*), SUM(STOCKACTUAL1), SUM(STOCKINICIAL1) FROM ARTICULOSALMACEN",
        "SELECT COUNT(*), SUM(IDTARIFASARTICULOS) FROM TARIFASARTICULOS",
        "SELECT COUNT(*), SUM(IMPORTEVENTA), SUM(IMPORTEVENTACONIVA) FROM INTERVALOSTARIFASARTICULOS",
        "SELECT COUNT(*), SUM(IDFAMILIASARTICULOS) FROM FAMILIASARTICULOS",
        "SELECT COUNT(*), SUM(IDMARCAS) FROM MARCAS",
        "SELECT COUNT(*), SUM(IDGAMAS) FROM GAMAS",
        "SELECT COUNT(*), SUM(IDFABRICANTES) FROM FABRICANTES",
    };
    QStringList r;
    for (const char* sql : consultas) {
        QStringList celdas;
        for (const QVariant& v : consultar(*a, QString::fromLatin1(sql)).value(0))
            celdas << v.toString();
        r << celdas.join(QLatin1Char(' '));
    }
    return r;
}

int idPorCodigo(qd::fb::Attachment& a, const QString& tabla, const QString& codigo) {
    const auto filas =
        consultar(a, QStringLiteral("SELECT ID%1 FROM %1 WHERE CODIGO = '%2'").arg(tabla, codigo));
    return filas.isEmpty() ? -1 : filas.first().first().toInt();
}

// The four modes in the demo's price list and warehouse, every field of the first run ticked.
struct Importacion {
    qd::OpcionesArticulos o = qd::OpcionesArticulos::desdeModos(true, true, true, true);
    qd::FieldList campos = qd::articleFieldList();

    explicit Importacion(const qd::test::TempDatabase& db) {
        auto a = db.attach();
        o.Tarifa_Ventas = idPorCodigo(*a, QStringLiteral("TARIFAS"), QStringLiteral("PVP"));
        o.Almacen = idPorCodigo(*a, QStringLiteral("ALMACENES"), QStringLiteral("CEN"));
        for (int i = 0; i <= 20; ++i)
            campos.setChecked(i, true);
        campos.setInitialTicks();
        qd::setArticleControls(campos, {true, true, true, true});
    }
};

using Conexion = qd::test::DatosConectados;

const QString kDemo = QStringLiteral(QD_DEMO_LIBRO);

// A dry run of the demo workbook, loaded as the page loads it (its created masters pending): the
// database is left as it was, and the counters are those of the real run that follows.
TEST(MotorArticulos, SimulacionNoGuardaNadaYCuentaComoLaReal) {
    qd::test::TempDatabase db;
    Importacion im(db);
    const QStringList antes = estado(db);

    Conexion c(db);
    c.d.Empezar_Carga();
    c.articulos.cargarArticulos(kDemo, im.o);
    qd::OpcionesMotor simular;
    simular.simular = true;
    const auto s = c.articulos.confirmarArticulos(im.o, im.campos, simular);
    EXPECT_TRUE(s.texto.startsWith(QStringLiteral("Simulación: no se ha guardado nada.\r\n")))
        << s.texto.toStdString();
    EXPECT_TRUE(s.motor.simulado);
    EXPECT_EQ(estado(db), antes);

    c.d.Empezar_Carga();
    c.articulos.cargarArticulos(kDemo, im.o);
    const auto r = c.articulos.confirmarArticulos(im.o, im.campos);
    EXPECT_FALSE(r.texto.contains(QStringLiteral("Simulación")));
    EXPECT_EQ(s.texto, QStringLiteral("Simulación: no se ha guardado nada.\r\n") + r.texto);
    EXPECT_GT(r.Nuevos, 0);
    const QStringList despues = estado(db);
    EXPECT_NE(despues[0], antes[0]); // the articles
    EXPECT_NE(despues[4], antes[4]); // the family the load creates
}

// What the load created stays when the page goes back without confirming ("Atrás" commits it, as
// the module always did) and goes when it is discarded.
TEST(MotorArticulos, CargaPendienteSeGuardaOSeDescarta) {
    for (const bool descartar : {false, true}) {
        qd::test::TempDatabase db;
        Importacion im(db);
        const QString familias =
            QStringLiteral("SELECT COUNT(*) FROM FAMILIASARTICULOS WHERE CODIGO = 'HOGAR'");
        Conexion c(db);
        c.d.Empezar_Carga();
        c.articulos.cargarArticulos(kDemo, im.o);
        auto a = db.attach();
        EXPECT_EQ(numero(*a, familias), 0) << "pending until the choice";
        c.d.Terminar_Carga(descartar);
        EXPECT_EQ(numero(*a, familias), descartar ? 0 : 1);
    }
}

// Ten new articles on sheet rows 2 to 11; the database refuses the one on row 5 (a check the test
// adds).
QString libroConFilaRechazada(const QTemporaryDir& dir) {
    QString texto = QStringLiteral("CODIGO;NOMBRE;PVP;STOCK\n");
    for (int i = 1; i <= 10; ++i)
        texto += QStringLiteral("Q%1;%2;%3;%4\n")
                     .arg(i, 2, 10, QLatin1Char('0'))
                     .arg(i == 4 ? QStringLiteral("RECHAZADO") : QStringLiteral("Nombre %1").arg(i))
                     .arg(i)
                     .arg(i * 2);
    const QString ruta = dir.filePath(QStringLiteral("rechazo.csv"));
    QFile f(ruta);
    f.open(QIODevice::WriteOnly);
    f.write(texto.toUtf8());
    return ruta;
}

void rechazarFila(const qd::test::TempDatabase& db) {
    auto a = db.attach();
    ejecutar(*a, QStringLiteral("ALTER TABLE ARTICULOS ADD CONSTRAINT CHK_PRUEBA_RECHAZO CHECK "
                                "(NOMBRE IS NULL OR NOMBRE <> 'RECHAZADO')"));
}

TEST(MotorArticulos, FilaRechazada) {
    struct Caso {
        const char* nombre;
        qd::OpcionesMotor motor;
        bool error;      // the refused row stops the run
        int escritos;    // articles Q.. in the database afterwards
        bool incidencia; // row 5 is told and kept in the result
    };
    const Caso casos[] = {
        {"continuar", {false, true, 0}, false, 9, true},
        {"continuar y lote 3", {false, true, 3}, false, 9, true},
        {"simular y continuar", {true, true, 0}, false, 0, true},
        // Without keep going the row stops the run; bulk commits keep the rows before it, whole.
        {"lote 3", {false, false, 3}, true, 3, false},
    };
    QTemporaryDir dir;
    const QString libro = libroConFilaRechazada(dir);
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.nombre);
        qd::test::TempDatabase db;
        rechazarFila(db);
        Importacion im(db);
        {
            Conexion c(db);
            c.articulos.cargarArticulos(libro, im.o);
            qd::ResumenArticulos r;
            QString error;
            try {
                r = c.articulos.confirmarArticulos(im.o, im.campos, k.motor);
            } catch (const std::exception& e) {
                error = TDatos::Texto_Error(e);
            }
            EXPECT_EQ(!error.isEmpty(), k.error) << error.toStdString();
            QStringList incidencias; // the rows' incidences (the absent fields are told too)
            for (const QString& i : c.canal.incidences())
                if (i.startsWith(QStringLiteral("Fila "))) incidencias << i;
            if (k.incidencia) {
                ASSERT_EQ(incidencias.size(), 1);
                EXPECT_TRUE(incidencias[0].startsWith(QStringLiteral("Fila 5: ")))
                    << incidencias[0].toStdString();
                EXPECT_TRUE(incidencias[0].contains(QStringLiteral("CHK_PRUEBA_RECHAZO")));
                ASSERT_EQ(r.motor.fallidas.size(), 1);
                EXPECT_EQ(r.motor.fallidas[0].filaLibro, 5);
                EXPECT_TRUE(r.motor.fallidas[0].motivo.contains(QStringLiteral("CHK_PRUEBA_RECHAZO")));
                EXPECT_EQ(r.motor.filasConErrores, 1);
                EXPECT_EQ(r.Nuevos, 9);
                EXPECT_TRUE(r.texto.endsWith(QStringLiteral("\r\nFilas con errores: 1")))
                    << r.texto.toStdString();
            } else {
                EXPECT_TRUE(incidencias.isEmpty());
            }
        }
        auto a = db.attach();
        EXPECT_EQ(numero(*a, QStringLiteral("SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO STARTING WITH 'Q'")),
                  k.escritos);
        // A written row is whole: its stock and price are there; the refused one left nothing.
        EXPECT_EQ(numero(*a, QStringLiteral("SELECT COUNT(*) FROM ARTICULOSALMACEN AA JOIN ARTICULOS A ON "
                                            "A.IDARTICULOS = AA.ARTICULOCARACTERISTICA WHERE A.CODIGO "
                                            "STARTING WITH 'Q' AND AA.STOCKACTUAL1 > 0")),
                  k.escritos);
    }
}

// Another program holding an article's record: with keep going the conflict is a row with errors
// that names the workbook row and the code, and the other rows are written; without it, the
// stopping error names them.
TEST(MotorArticulos, ConflictoDeBloqueoNombraFilaYCodigo) {
    QTemporaryDir dir;
    const QString libro = libroConFilaRechazada(dir); // no check added: every row is acceptable
    for (const bool seguir : {true, false}) {
        SCOPED_TRACE(seguir ? "continuar" : "sin continuar");
        qd::test::TempDatabase db;
        {
            auto a = db.attach();
            ejecutar(*a,
                     QStringLiteral(
                         "INSERT INTO ARTICULOS (CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES ('Q04', 'Antes', 1)"));
        }
        auto otro = db.attach();
        qd::fb::Transaction bloqueo(otro.get(), {QStringLiteral("read_committed"),
                                                 QStringLiteral("rec_version"), QStringLiteral("nowait")});
        {
            qd::fb::Statement s(otro.get(), &bloqueo);
            s.setSql(QStringLiteral("UPDATE ARTICULOS SET NOMBRE = 'Otro programa' WHERE CODIGO = 'Q04'"));
            bloqueo.start();
            s.execute();
        }
        Importacion im(db);
        Conexion c(db);
        c.articulos.cargarArticulos(libro, im.o);
        qd::OpcionesMotor motor;
        motor.continuar = seguir;
        QString error;
        qd::ResumenArticulos r;
        try {
            r = c.articulos.confirmarArticulos(im.o, im.campos, motor);
        } catch (const std::exception& e) {
            error = TDatos::Texto_Error(e);
        }
        bloqueo.rollback();
        if (seguir) {
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
            EXPECT_EQ(r.motor.filasConErrores, 1);
            EXPECT_TRUE(c.canal.incidences().filter(QStringLiteral("Fila 5: código Q04: ")).size() == 1)
                << c.canal.incidences().join('\n').toStdString();
            EXPECT_TRUE(r.texto.endsWith(QStringLiteral("Filas con errores: 1")));
        } else {
            EXPECT_TRUE(error.startsWith(QStringLiteral("Fila 5 (código Q04)"))) << error.toStdString();
        }
        auto a = db.attach();
        EXPECT_EQ(numero(*a, QStringLiteral("SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO STARTING WITH 'Q'")),
                  seguir ? 10 : 4);
    }
}

int qdimport(const QStringList& argumentos, QString* salida) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(QD_QDIMPORT), argumentos);
    p.waitForFinished(300000);
    *salida = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QStringList argumentosBase(const qd::test::TempDatabase& db, const QTemporaryDir& dir) {
    return {QStringLiteral("--database"),  db.path(),
            QStringLiteral("--create"),    QStringLiteral("--update"),
            QStringLiteral("--excel-ini"), dir.filePath(QStringLiteral("no-hay.ini"))};
}

// qdimport --continuar: the incidence is printed, and a run with errors does not exit 0.
TEST(QdimportMotor, ContinuarTerminaConCodigoTres) {
    QTemporaryDir dir;
    qd::test::TempDatabase db;
    rechazarFila(db);
    QString salida;
    EXPECT_EQ(qdimport(argumentosBase(db, dir) << QStringLiteral("--continuar") << libroConFilaRechazada(dir),
                       &salida),
              3)
        << salida.toStdString();
    EXPECT_TRUE(salida.contains(QStringLiteral("[incidencia] Fila 5: "))) << salida.toStdString();
    EXPECT_TRUE(salida.contains(QStringLiteral("Filas con errores: 1")));
    {
        auto a = db.attach();
        EXPECT_EQ(numero(*a, QStringLiteral("SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO STARTING WITH 'Q'")),
                  9);
    }

    // The refused row is exported beside the workbook as it was read, with its reason.
    const QStringList exportados =
        QDir(dir.path()).entryList({QStringLiteral("rechazo_errores_*.xlsx")}, QDir::Files);
    ASSERT_EQ(exportados.size(), 1);
    const QString exportado = dir.filePath(exportados.first());
    EXPECT_TRUE(salida.contains(exportado)) << salida.toStdString();
    {
        const auto libro = qd::wb::Workbook::open(exportado);
        const qd::wb::Sheet& hoja = libro->activeSheet();
        ASSERT_EQ(hoja.lastRow(), 2);
        EXPECT_EQ(hoja.text(1, 1), QStringLiteral("CODIGO"));
        EXPECT_EQ(hoja.text(1, 5), QStringLiteral("Error"));
        EXPECT_EQ(hoja.text(2, 1), QStringLiteral("Q04"));
        EXPECT_EQ(hoja.text(2, 2), QStringLiteral("RECHAZADO"));
        EXPECT_TRUE(hoja.text(2, 5).contains(QStringLiteral("CHK_PRUEBA_RECHAZO")))
            << hoja.text(2, 5).toStdString();
    }
    // Once the cause is mended, the export imports with the same options and writes that row.
    {
        auto a = db.attach();
        ejecutar(*a, QStringLiteral("ALTER TABLE ARTICULOS DROP CONSTRAINT CHK_PRUEBA_RECHAZO"));
    }
    EXPECT_EQ(qdimport(argumentosBase(db, dir) << QStringLiteral("--continuar") << exportado, &salida), 0)
        << salida.toStdString();
    auto a = db.attach();
    EXPECT_EQ(numero(*a, QStringLiteral("SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO STARTING WITH 'Q'")),
              10);
}

// Bulk commits of 1,000 rows, the importer killed (SIGKILL) half-way: the database opens with whole
// batches only, and running the same workbook again completes it without duplicates.
TEST(QdimportMotor, LoteMatadoAMitadYRepetido) {
    QTemporaryDir dir;
    qd::test::TempDatabase db;
    const QString libro = dir.filePath(QStringLiteral("grande.csv"));
    {
        QByteArray texto = "CODIGO;NOMBRE\n";
        for (int i = 0; i < 20000; ++i)
            texto += QStringLiteral("K%1;Articulo %2\n").arg(i, 6, 10, QLatin1Char('0')).arg(i).toLatin1();
        QFile f(libro);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(texto);
    }
    const QStringList argumentos = argumentosBase(db, dir)
                                   << QStringLiteral("--lote") << QStringLiteral("1000") << libro;
    {
        QProcess p;
        p.start(QStringLiteral(QD_QDIMPORT), argumentos);
        ASSERT_TRUE(p.waitForStarted());
        QByteArray salida;
        while (!salida.contains("Guardadas 3000 filas") && p.state() == QProcess::Running)
            if (p.waitForReadyRead(60000)) salida += p.readAllStandardOutput();
        ASSERT_TRUE(salida.contains("Guardadas 3000 filas")) << salida.constData();
        p.kill(); // SIGKILL
        p.waitForFinished();
        EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
    }
    const QString contar = QStringLiteral("SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO STARTING WITH 'K'");
    {
        auto a = db.attach();
        const qint64 hechos = numero(*a, contar);
        EXPECT_EQ(hechos % 1000, 0) << hechos;
        EXPECT_GE(hechos, 3000);
        EXPECT_LT(hechos, 20000);
    }
    QString salida;
    ASSERT_EQ(qdimport(argumentos, &salida), 0) << salida.toStdString();
    auto a = db.attach();
    EXPECT_EQ(numero(*a, contar), 20000);
    EXPECT_EQ(numero(*a, QStringLiteral(
                             "SELECT COUNT(DISTINCT CODIGO) FROM ARTICULOS WHERE CODIGO STARTING WITH 'K'")),
              20000);
}

} // namespace
