// The history of the import runs and their undo, through qdimport on a copy of the template
// database: a run that creates and updates is undone to the state before it in every table the
// imports write (the rows the database's own triggers wrote included); rows changed after the run
// stop the undo, or are left as they are when forced; a run killed in the middle is undone like any
// other; other programs' writes are never journalled.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ConsultasPrueba.h"
#include "DiarioImportaciones.h"
#include "LibroPrueba.h"
#include "TempDatabase.h"

namespace {

QVariant Q(const char* texto) {
    return QString::fromUtf8(texto);
}

struct Salida {
    int codigo = -1;
    QString texto;
};

struct Bd {
    qd::test::TempDatabase db;
    QTemporaryDir dir;

    Bd() {
        // The administrator's start-up installs the history and the journal.
        const Salida s = qdimport({QStringLiteral("--historial")});
        EXPECT_EQ(s.codigo, 0) << s.texto.toStdString();
    }

    Salida qdimport(const QStringList& argumentos, QProcess* proceso = nullptr) {
        QProcess propio;
        QProcess& p = proceso ? *proceso : propio;
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert(QStringLiteral("QD_MODULE_DIR"), dir.path());
        p.setProcessEnvironment(entorno);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(QD_QDIMPORT),
                QStringList{QStringLiteral("--database"), db.path()} + argumentos);
        if (proceso) return {};
        EXPECT_TRUE(p.waitForFinished(300000));
        return {p.exitCode(), QString::fromUtf8(p.readAll())};
    }

    QString libro(const QString& nombre, const QList<QVariantList>& filas) {
        const QString ruta = dir.filePath(nombre);
        qd::test::escribirLibro(ruta, filas);
        return ruta;
    }

    // Every table the imports write, each row as text, sorted.
    QMap<QString, QStringList> volcado() {
        QMap<QString, QStringList> r;
        for (const QString& t : qd::tablasDiario()) {
            QStringList filas = qd::test::volcarTabla(db.path(), t);
            filas.sort();
            r.insert(t, filas);
        }
        return r;
    }

    QList<QVariantList> filas(const QString& sql) {
        auto a = db.attach();
        return qd::test::consultar(*a, sql);
    }
    QVariant valor(const QString& sql) { return filas(sql).value(0).value(0); }
    void ejecutar(const QString& sql) {
        auto a = db.attach();
        qd::test::ejecutar(*a, sql);
    }
};

int idImportacion(const Salida& s) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Importación (\\d+) del historial")).match(s.texto);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// The tables whose dumps differ, for the failure message.
QStringList diferentes(const QMap<QString, QStringList>& a, const QMap<QString, QStringList>& b) {
    QStringList r;
    for (auto it = a.begin(); it != a.end(); ++it)
        if (b.value(it.key()) != it.value()) r << it.key();
    return r;
}

const QStringList kArticulos{QStringLiteral("--kind"),    QStringLiteral("articulos"),
                             QStringLiteral("--create"),  QStringLiteral("--update"),
                             QStringLiteral("--pvp"),     QStringLiteral("--stock"),
                             QStringLiteral("--tarifa"),  QStringLiteral("PVP"),
                             QStringLiteral("--almacen"), QStringLiteral("CEN")};

// An existing article renamed and moved to a family the run creates, two new ones; stock and
// prices for all three (the new articles' stock rows and price intervals come from the database's
// triggers).
QString libroArticulos(Bd& b) {
    return b.libro(QStringLiteral("articulos.xlsx"),
                   {{Q("CODIGO"), Q("NOMBRE"), Q("FAMILIA"), Q("STOCK"), Q("PVP"), Q("PVPCONIVA")},
                    {Q("10001"), Q("Renombrado"), Q("NUEVA"), 7, 5, 6.05},
                    {Q("Z901"), Q("Nuevo uno"), Q("NUEVA"), 3, 10, 12.1},
                    {Q("Z902"), Q("Nuevo dos, ñandú"), Q("ALIM"), 2, 20, 24.2},
                    {Q("Z903"), Q("Nuevo tres"), Q("ALIM"), 1, 30, 36.3}});
}

TEST(Historial, AnArticleRunIsRecordedAndItsUndoRestoresEveryTable) {
    Bd b;
    const auto antes = b.volcado();
    const Salida run = b.qdimport(kArticulos + QStringList{libroArticulos(b)});
    ASSERT_EQ(run.codigo, 0) << run.texto.toStdString();
    const int id = idImportacion(run);
    ASSERT_GT(id, 0) << run.texto.toStdString();
    const auto despues = b.volcado();
    for (const char* t : {"ARTICULOS", "ARTICULOSALMACEN", "TARIFASARTICULOS", "INTERVALOSTARIFASARTICULOS",
                          "FAMILIASARTICULOS"})
        EXPECT_NE(antes.value(QString::fromLatin1(t)), despues.value(QString::fromLatin1(t))) << t;

    // Recorded: kind, status, the workbook's size and digest, the options without the password.
    const QVariantList h = b.filas(QStringLiteral("SELECT TIPO, ESTADO, PROGRAMA, SIMULADA, TAMANO, SHA256, "
                                                  "OPCIONES, DIARIO, FIN FROM QD_HISTORIAL WHERE ID = %1")
                                       .arg(id))
                               .value(0);
    ASSERT_EQ(h.size(), 9);
    EXPECT_EQ(h[0].toString(), "articulos");
    EXPECT_EQ(h[1].toString(), "terminada");
    EXPECT_EQ(h[2].toString(), "qdimport");
    EXPECT_EQ(h[3].toInt(), 0);
    EXPECT_EQ(h[4].toLongLong(), QFileInfo(b.dir.filePath("articulos.xlsx")).size());
    EXPECT_EQ(h[5].toString().size(), 64);
    EXPECT_TRUE(h[6].toString().contains("--tarifa PVP"));
    EXPECT_EQ(h[7].toInt(), 1);
    EXPECT_TRUE(h[8].isValid());
    const Salida lista =
        b.qdimport({QStringLiteral("--historial"), QStringLiteral("--kind"), QStringLiteral("articulos")});
    EXPECT_TRUE(lista.texto.contains(QStringLiteral("%1\t").arg(id))) << lista.texto.toStdString();
    EXPECT_FALSE(
        b.qdimport({QStringLiteral("--historial"), QStringLiteral("--kind"), QStringLiteral("clientes")})
            .texto.contains(QStringLiteral("\tarticulos\t")));

    // Another program's writes are not journalled.
    const int diario = b.valor(QStringLiteral("SELECT COUNT(*) FROM QDD_ARTICULOS")).toInt();
    b.ejecutar(QStringLiteral("UPDATE ARTICULOS SET OBSERVACIONES = 'otro programa' WHERE CODIGO = '10002'"));
    EXPECT_EQ(b.valor(QStringLiteral("SELECT COUNT(*) FROM QDD_ARTICULOS")).toInt(), diario);
    b.ejecutar(QStringLiteral("UPDATE ARTICULOS SET OBSERVACIONES = NULL WHERE CODIGO = '10002'"));

    // A dry undo writes nothing.
    const Salida simulada =
        b.qdimport({QStringLiteral("--deshacer"), QString::number(id), QStringLiteral("--simular")});
    EXPECT_EQ(simulada.codigo, 0) << simulada.texto.toStdString();
    EXPECT_TRUE(simulada.texto.contains(QStringLiteral("Simulación"))) << simulada.texto.toStdString();
    EXPECT_EQ(b.volcado(), despues);

    const Salida deshacer = b.qdimport({QStringLiteral("--deshacer"), QString::number(id)});
    ASSERT_EQ(deshacer.codigo, 0) << deshacer.texto.toStdString();
    EXPECT_TRUE(deshacer.texto.contains(QStringLiteral("Filas borradas:"))) << deshacer.texto.toStdString();
    const auto deshecho = b.volcado();
    EXPECT_EQ(deshecho, antes) << diferentes(antes, deshecho).join(' ').toStdString();

    // Once undone, it cannot be undone again; the undo is in the history as a run of its own.
    const Salida otra = b.qdimport({QStringLiteral("--deshacer"), QString::number(id)});
    EXPECT_EQ(otra.codigo, 2);
    EXPECT_TRUE(otra.texto.contains(QStringLiteral("Ya se deshizo"))) << otra.texto.toStdString();
    EXPECT_EQ(b.valor(QStringLiteral("SELECT COUNT(*) FROM QD_HISTORIAL WHERE DESHACE = %1").arg(id)).toInt(),
              1);
}

TEST(Historial, AClientRunIsUndoneWithTheRowsItDeletedAndTheMastersItCreated) {
    Bd b;
    const auto antes = b.volcado();
    const QString libro =
        b.libro(QStringLiteral("clientes.xlsx"),
                {{Q("CODIGO"), Q("NOMBRE"), Q("RAZONSOCIAL"), Q("Cod_Zona"), Q("CuentaBancoCCC")},
                 {Q("1001"), Q("Cliente cambiado"), Q("Cambiado SL"), Q("NZ1"), Q("00490001510000123456")},
                 {Q("CLN1"), Q("Nuevo"), Q("Nuevo SA"), Q("NZ1"), Q("21000418450200051332")}});
    const Salida run = b.qdimport({QStringLiteral("--kind"), QStringLiteral("clientes"), libro});
    ASSERT_EQ(run.codigo, 0) << run.texto.toStdString();
    const int id = idImportacion(run);
    ASSERT_GT(id, 0) << run.texto.toStdString();
    const auto despues = b.volcado();
    EXPECT_NE(antes.value("CLIENTES"), despues.value("CLIENTES"));
    EXPECT_NE(antes.value("DOMICILIOSCOBRO"), despues.value("DOMICILIOSCOBRO"));

    const Salida deshacer = b.qdimport({QStringLiteral("--deshacer"), QString::number(id)});
    ASSERT_EQ(deshacer.codigo, 0) << deshacer.texto.toStdString();
    const auto deshecho = b.volcado();
    EXPECT_EQ(deshecho, antes) << diferentes(antes, deshecho).join(' ').toStdString();
}

// Delivery-note lines written through the database's procedures: the lines, their stock movements
// and the warehouse stock, the lots (found or created) and their links, a serial number and its
// movement, the agents' commissions and the note's recalculated totals all go back.
TEST(Historial, ALineRunWithLotsAndSerialNumbersIsUndone) {
    Bd b;
    const auto antes = b.volcado();
    const QString libro = b.libro(QStringLiteral("lineas.xlsx"),
                                  {{Q("CODIGO"), Q("CANTIDAD1"), Q("PRECIO"), Q("LOTE"), Q("NUMEROSERIE")},
                                   {Q("10001"), 3.0, 10.0, Q("L-1"), QVariant()},
                                   {Q("10003"), 1.0, 5.0, Q("L-1"), QVariant()},
                                   {Q("10004"), 1.0, 40.0, QVariant(), Q("S-NUEVO")},
                                   {Q("10004"), 1.0, 40.0, QVariant(), Q("VT2400004-0001")}});
    const Salida run =
        b.qdimport({QStringLiteral("--kind"), QStringLiteral("lineas"), QStringLiteral("--opcion"),
                    QStringLiteral("LAV"), QStringLiteral("--albaran"), QStringLiteral("5"),
                    QStringLiteral("--almacen-lav"), QStringLiteral("1"),
                    QStringLiteral("--carpeta-incidencias"), b.dir.path(), libro});
    ASSERT_EQ(run.codigo, 0) << run.texto.toStdString();
    const int id = idImportacion(run);
    ASSERT_GT(id, 0) << run.texto.toStdString();
    const auto despues = b.volcado();
    for (const char* t : {"LINEASALBARANVENTA", "ALBARANESVENTA", "MOVIMIENTOSALMACEN", "ARTICULOSALMACEN",
                          "LOTES", "LOTESLINEAALBVENTA", "NUMEROSSERIE", "MOVIMIENTOSNUMEROSSERIE"})
        EXPECT_NE(antes.value(QString::fromLatin1(t)), despues.value(QString::fromLatin1(t))) << t;

    const Salida deshacer = b.qdimport({QStringLiteral("--deshacer"), QString::number(id)});
    ASSERT_EQ(deshacer.codigo, 0) << deshacer.texto.toStdString();
    const auto deshecho = b.volcado();
    EXPECT_EQ(deshecho, antes) << diferentes(antes, deshecho).join(' ').toStdString();
}

// Rows changed after the run: the undo refuses and names them, writing nothing; forced, it undoes
// the rest and leaves them.
TEST(Historial, ConflictsStopTheUndoOrAreLeftWhenForced) {
    Bd b;
    const auto antes = b.volcado();
    const Salida run = b.qdimport(kArticulos + QStringList{libroArticulos(b)});
    ASSERT_EQ(run.codigo, 0) << run.texto.toStdString();
    const int id = idImportacion(run);
    // Another user renames the article the run updated and one it created, and puts another new one
    // on a delivery note.
    b.ejecutar(QStringLiteral("UPDATE ARTICULOS SET NOMBRE = 'Cambiado luego' WHERE CODIGO = '10001'"));
    b.ejecutar(QStringLiteral("UPDATE ARTICULOS SET NOMBRE = 'Otro nombre' WHERE CODIGO = 'Z902'"));
    b.ejecutar(QStringLiteral("INSERT INTO LINEASALBARANVENTA (ALBARANVENTA, NUMEROLINEA, ARTICULO) "
                              "SELECT 5, 99, IDARTICULOS FROM ARTICULOS WHERE CODIGO = 'Z901'"));
    const auto despues = b.volcado();

    const Salida rechazo = b.qdimport({QStringLiteral("--deshacer"), QString::number(id)});
    EXPECT_EQ(rechazo.codigo, 2);
    EXPECT_TRUE(rechazo.texto.contains(QStringLiteral("ARTICULOS (IDARTICULOS=1), NOMBRE: la importación "
                                                      "escribió «Renombrado», ahora es «Cambiado luego»")))
        << rechazo.texto.toStdString();
    EXPECT_TRUE(rechazo.texto.contains(QStringLiteral("la creó la importación y se modificó después")))
        << rechazo.texto.toStdString();
    EXPECT_TRUE(rechazo.texto.contains(QStringLiteral("ahora la usa LINEASALBARANVENTA")))
        << rechazo.texto.toStdString();
    EXPECT_EQ(b.volcado(), despues);

    const Salida forzado =
        b.qdimport({QStringLiteral("--deshacer"), QString::number(id), QStringLiteral("--forzar")});
    ASSERT_EQ(forzado.codigo, 0) << forzado.texto.toStdString();
    EXPECT_TRUE(forzado.texto.contains(QStringLiteral("Filas dejadas como están:")))
        << forzado.texto.toStdString();
    // The renamed articles keep their new names; the used one stays with its stock rows, prices and
    // family; the third new article is gone with its own.
    EXPECT_EQ(b.valor(QStringLiteral("SELECT NOMBRE FROM ARTICULOS WHERE CODIGO = '10001'")).toString(),
              "Cambiado luego");
    EXPECT_EQ(b.valor(QStringLiteral("SELECT NOMBRE FROM ARTICULOS WHERE CODIGO = 'Z902'")).toString(),
              "Otro nombre");
    EXPECT_EQ(b.valor(QStringLiteral("SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO = 'Z903'")).toInt(), 0);
    EXPECT_EQ(b.valor(QStringLiteral("SELECT COUNT(*) FROM ARTICULOSALMACEN S JOIN ARTICULOS A ON "
                                     "A.IDARTICULOS = S.ARTICULOCARACTERISTICA WHERE A.CODIGO = 'Z901'"))
                  .toInt(),
              2);
    EXPECT_EQ(
        b.valor(QStringLiteral("SELECT COUNT(*) FROM INTERVALOSTARIFASARTICULOS I JOIN TARIFASARTICULOS T ON "
                               "T.IDTARIFASARTICULOS = I.TARIFAARTICULO JOIN ARTICULOS A ON A.IDARTICULOS = "
                               "T.ARTICULO WHERE A.CODIGO = 'Z901'"))
            .toInt(),
        3);
    EXPECT_EQ(
        b.valor(QStringLiteral("SELECT COUNT(*) FROM FAMILIASARTICULOS WHERE CODIGO = 'NUEVA'")).toInt(), 1);
    // Everything else is as before the run: the stock and price of the renamed article too.
    EXPECT_EQ(
        b.valor(
            QStringLiteral("SELECT STOCKACTUAL1 FROM ARTICULOSALMACEN WHERE ARTICULOCARACTERISTICA = 1 AND "
                           "ALMACEN = 1")),
        b.valor(QStringLiteral(
                    "SELECT STOCKACTUAL1 FROM QDD_ARTICULOSALMACEN WHERE QD_IMPORTACION = %1 AND "
                    "QD_IMAGEN = 'A' AND ARTICULOCARACTERISTICA = 1 AND ALMACEN = 1 ORDER BY QD_ID ROWS 1")
                    .arg(id)));
    const auto ahora = b.volcado();
    const QStringList tocadas{"ARTICULOS",         "ARTICULOSALMACEN",
                              "TARIFASARTICULOS",  "INTERVALOSTARIFASARTICULOS",
                              "FAMILIASARTICULOS", "LINEASALBARANVENTA"};
    for (auto it = antes.begin(); it != antes.end(); ++it) {
        if (!tocadas.contains(it.key())) {
            EXPECT_EQ(ahora.value(it.key()), it.value()) << it.key().toStdString();
        }
    }
    EXPECT_EQ(ahora.value("ARTICULOS").size(), antes.value("ARTICULOS").size() + 2);
}

// What cannot be undone says why: a dry run, a run whose journal was removed (by the user or by
// age), a run that does not exist.
TEST(Historial, RunsThatCannotBeUndoneSayWhy) {
    Bd b;
    const QString libro = libroArticulos(b);
    const Salida simulada = b.qdimport(kArticulos + QStringList{QStringLiteral("--simular"), libro});
    ASSERT_EQ(simulada.codigo, 0) << simulada.texto.toStdString();
    const Salida real = b.qdimport(kArticulos + QStringList{libro});
    ASSERT_EQ(real.codigo, 0) << real.texto.toStdString();
    const Salida vieja = b.qdimport(kArticulos + QStringList{libro});
    ASSERT_EQ(vieja.codigo, 0) << vieja.texto.toStdString();
    EXPECT_EQ(b.qdimport({QStringLiteral("--borrar-diario"), QString::number(idImportacion(real))}).codigo,
              0);
    // Older than the days Excel.ini allows: its journal goes at the next run's start.
    QFile ini(b.dir.filePath(QStringLiteral("Excel.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Historial]\r\nDiasDiario=5\r\n");
    ini.close();
    b.ejecutar(QStringLiteral("UPDATE QD_HISTORIAL SET INICIO = INICIO - 6 WHERE ID = %1")
                   .arg(idImportacion(vieja)));
    EXPECT_EQ(b.qdimport(kArticulos + QStringList{QStringLiteral("--simular"), libro}).codigo, 0);

    struct Caso {
        int id;
        const char* motivo;
    };
    for (const Caso& c :
         {Caso{idImportacion(simulada), "Es una simulación"},
          Caso{idImportacion(real), "Su diario de cambios se eliminó"},
          Caso{idImportacion(vieja), "Su diario de cambios se eliminó"}, Caso{9999, "No existe"}}) {
        const Salida s = b.qdimport({QStringLiteral("--deshacer"), QString::number(c.id)});
        EXPECT_EQ(s.codigo, 2) << c.motivo;
        EXPECT_TRUE(s.texto.contains(QString::fromUtf8(c.motivo))) << s.texto.toStdString();
    }
    EXPECT_EQ(b.valor(QStringLiteral("SELECT COUNT(*) FROM QDD_ARTICULOS WHERE QD_IMPORTACION IN (%1, %2)")
                          .arg(idImportacion(real))
                          .arg(idImportacion(vieja)))
                  .toInt(),
              0);
    const Salida detalle =
        b.qdimport({QStringLiteral("--detalle"), QString::number(idImportacion(simulada))});
    EXPECT_TRUE(detalle.texto.contains(QStringLiteral("Tipo: articulos (simulación)")))
        << detalle.texto.toStdString();
}

// kill -9 in the middle of a run with bulk commits: what it committed is undone like any run, and
// the history shows it unfinished.
TEST(Historial, AKilledRunIsUndoneToTheStateBeforeIt) {
    Bd b;
    QList<QVariantList> filas{{Q("CODIGO"), Q("NOMBRE"), Q("STOCK"), Q("PVP")}};
    for (int i = 1; i <= 4000; ++i)
        filas << QVariantList{QStringLiteral("K%1").arg(i, 5, 10, QLatin1Char('0')),
                              QStringLiteral("Matado %1").arg(i), i % 7, i};
    filas << QVariantList{Q("10002"), Q("Existente cambiado"), 9, 1.5};
    const QString libro = b.libro(QStringLiteral("grande.xlsx"), filas);
    const auto antes = b.volcado();

    QProcess p;
    b.qdimport(kArticulos + QStringList{QStringLiteral("--lote"), QStringLiteral("100"), libro}, &p);
    ASSERT_TRUE(p.waitForStarted());
    // Killed once some lots are committed (the embedded database admits one process at a time: the
    // run's own status lines tell).
    QString salida;
    while (!salida.contains(QStringLiteral("Guardadas 300 filas")) && p.state() == QProcess::Running)
        if (p.waitForReadyRead(1000)) salida += QString::fromUtf8(p.readAll());
    ASSERT_EQ(p.state(), QProcess::Running) << "the run ended before it could be killed";
    p.kill();
    p.waitForFinished();
    const int escritos =
        b.valor(QStringLiteral("SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO STARTING WITH 'K'")).toInt();
    ASSERT_GE(escritos, 300);
    ASSERT_LT(escritos, 4000);

    const QVariantList h =
        b.filas(QStringLiteral("SELECT ID, ESTADO, FIN FROM QD_HISTORIAL ORDER BY ID DESC")).value(0);
    ASSERT_EQ(h.size(), 3);
    EXPECT_EQ(h[1].toString(), "en curso");
    EXPECT_TRUE(h[2].isNull());
    const Salida deshacer = b.qdimport({QStringLiteral("--deshacer"), h[0].toString()});
    ASSERT_EQ(deshacer.codigo, 0) << deshacer.texto.toStdString();
    const auto deshecho = b.volcado();
    EXPECT_EQ(deshecho, antes) << diferentes(antes, deshecho).join(' ').toStdString();
}

} // namespace
