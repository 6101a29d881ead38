// The delivery-note line transfer: the load by header names with the four article searches and
// the serial-number check, edit and verify, "Importar Todo" refused, sales and purchase lines
// written and recalculated, the line-incidence file.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "ConsultasPrueba.h"
#include "ErrorImportacion.h"
#include "ImportacionLineas.h"
#include "LibroPrueba.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TempDatabase.h"

namespace {

QVariant Q(const char* s) {
    return QString::fromUtf8(s);
}

struct Conexion {
    qd::test::TempDatabase db;
    qd::RecordingChannel canal;
    TDatos d;
    ImportacionLineas lineas{d};
    QTemporaryDir dir;

    explicit Conexion(const char* opcion, int albaran) {
        d.setCanal(&canal);
        qd::UserChannel::setCurrent(&canal);
        d.Iniciar(1, 1, db.path(), 1, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                  QString::fromLatin1(opcion), albaran, 1);
        d.Conectar();
        d.actualizarEsquema();
    }
    ~Conexion() { qd::UserChannel::setCurrent(nullptr); }

    qd::OpcionesLineas opciones(int buscarPor) const {
        qd::OpcionesLineas o;
        o.Opcion = d.Opcion;
        o.Albaran = d.Albaran_LAVC;
        o.Almacen = d.Almacen_LAVC;
        o.BuscarPor = buscarPor;
        o.CarpetaIncidencias = dir.path();
        return o;
    }
    int cargar(const QList<QVariantList>& filas, int buscarPor) {
        const QString ruta = dir.filePath(QStringLiteral("lineas.xlsx"));
        qd::test::escribirLibro(ruta, filas);
        return lineas.cargarLineas(ruta, opciones(buscarPor));
    }
    QList<QVariantList> filas(const QString& sql) {
        auto a = db.attach();
        return qd::test::consultar(*a, sql);
    }
    // Per staged line: its IDARTICULOS and VALIDO.
    QList<QPair<QVariant, bool>> estado() {
        QList<QPair<QVariant, bool>> r;
        auto& t = lineas.kvRxMDLAV;
        for (t.first(); !t.eof(); t.next())
            r << qMakePair(t.value(QStringLiteral("IDARTICULOS")),
                           t.value(QStringLiteral("VALIDO")).toBool());
        return r;
    }
};

using Estado = QList<QPair<QVariant, bool>>;

// Each search mode finds the demo's article 1 (10001, EAN 8412345000010, reference «TU 0001»
// on the article and on supplier 1's record) and misses an unknown key; the EAN mode also takes
// a format code (the box format «18412345000010»). Titles match in any letter case.
TEST(CargaLineas, EverySearchModeFindsAndMisses) {
    struct Caso {
        const char* opcion;
        int albaran;
        int modo;
        const char* titulo;
        QVariant hallado, otro;
    };
    const QList<Caso> casos{
        {"LAV", 5, 0, "codigo", Q("10001"), Q("NOEXISTE")},
        {"LAV", 5, 1, "CodigoEan", Q("8412345000010"), Q("18412345000034")},
        {"LAV", 5, 2, "REFERENCIA_PROVEEDOR", Q("TU 0001"), Q("XX")},
        {"LAC", 1, 3, "REFERENCIA_PROVEEDOR", Q("TU 0001"), Q("EH0001")}, // EH0001 is another supplier's
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.modo);
        Conexion x(c.opcion, c.albaran);
        ASSERT_EQ(x.cargar({{Q(c.titulo), Q("NOMBRE"), Q("CANTIDAD1")},
                            {c.hallado, Q("uno"), 2.0},
                            {Q("ZZZ-NADA"), Q("dos"), 1.0},
                            {c.otro, Q("tres"), 1.0}},
                           c.modo),
                  3);
        const Estado e = x.estado();
        EXPECT_EQ(e[0], qMakePair(QVariant(1), true));
        EXPECT_EQ(e[1], qMakePair(QVariant(), false));
        if (c.modo == 1)
            EXPECT_EQ(e[2], qMakePair(QVariant(3), true)) << "a format code finds its article";
        else
            EXPECT_EQ(e[2], qMakePair(QVariant(), false));
        x.lineas.kvRxMDLAV.first();
        EXPECT_EQ(x.lineas.kvRxMDLAV.value(QStringLiteral("PRECIOULTIMACOMPRA")).toDouble(), 4.9);
    }
}

// Columns after the first empty title are never read; a row with an empty first cell ends the
// load; a serial number already on a sales line makes a sales line red, not a purchase line; a
// value that does not convert stores 0 in a float field.
TEST(CargaLineas, HeaderStopRowStopAndSerialNumbersBySide) {
    const QList<QVariantList> libro{{Q("CODIGO"), Q("NUMEROSERIE"), Q("CANTIDAD1"), QVariant(), Q("PRECIO")},
                                    {Q("10004"), Q("VT2400004-0002"), Q("abc"), QVariant(), 9.0},
                                    {Q("10004"), Q("VT2400004-0001"), 1.0, QVariant(), 9.0},
                                    {QVariant(), Q("x"), 1.0},
                                    {Q("10001"), QVariant(), 1.0}};
    Conexion venta("LAV", 5);
    ASSERT_EQ(venta.cargar(libro, 0), 2);
    EXPECT_EQ(venta.estado(), (Estado{{4, false}, {4, true}}));
    auto& t = venta.lineas.kvRxMDLAV;
    t.first();
    EXPECT_EQ(t.value(QStringLiteral("CANTIDAD1")), QVariant(0.0));
    EXPECT_TRUE(t.value(QStringLiteral("PRECIO")).isNull() ||
                t.value(QStringLiteral("PRECIO")).toDouble() == 0);

    Conexion compra("LAC", 2);
    ASSERT_EQ(compra.cargar(libro, 0), 2);
    // VT2400004-0001 and -0002 both sit on purchase lines.
    EXPECT_EQ(compra.estado(), (Estado{{4, false}, {4, false}}));
}

// An edit marks the line; "Importar Todo" refuses until Verificar; a change of search mode
// re-matches every line under the new mode.
TEST(VerificarLineas, EditRefusesUntilVerifiedAndModeChangeRematches) {
    Conexion x("LAV", 5);
    x.cargar({{Q("CODIGO"), Q("CODIGOEAN"), Q("CANTIDAD1"), Q("PRECIO")},
              {Q("10001"), Q("8412345000027"), 1.0, 1.0},
              {Q("NADA"), Q("8412345000034"), 1.0, 1.0}},
             0);
    EXPECT_EQ(x.estado(), (Estado{{1, true}, {QVariant(), false}}));
    x.lineas.Editar_Linea(2, QStringLiteral("CODIGO"), Q("10005"));
    EXPECT_FALSE(x.lineas.Lineas_Listas());
    qd::OpcionesLineas o = x.opciones(0);
    try {
        x.lineas.confirmarLineas(o);
        ADD_FAILURE() << "an edited line must refuse the import";
    } catch (const qd::ErrorImportacion& e) {
        EXPECT_EQ(e.texto(), ImportacionLineas::textoLineasNoListas());
    }
    EXPECT_EQ(x.filas(QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5"))[0][0],
              0);
    x.lineas.Verificar_Lineas();
    EXPECT_EQ(x.estado(), (Estado{{1, true}, {5, true}}));
    EXPECT_TRUE(x.lineas.Lineas_Listas());
    x.lineas.BuscarArticuloPor = 1;
    x.lineas.Verificar_Lineas();
    EXPECT_EQ(x.estado(), (Estado{{2, true}, {3, true}}));
}

// Sales note 5 (client 4: footer discount 2 %, general regime without surcharge, payment with a
// 10 % advance). 10001 (VAT 10 %) 3 × 10; 10003 (VAT 21 %) 2 × 5 less 10 %; a quantity-0 line
// and an unknown article go to the file. By hand:
//   10 % group 30 − 2 % = 29.40, VAT 2.94;  21 % group 9 − 2 % = 8.82, VAT 1.8522
//   base 38.22, VAT 4.7922, amount 43.0122, commercial discount 0.78, advance 4.
TEST(ImportarLineas, SalesValidLinesWrittenFileAndTotals) {
    Conexion x("LAV", 5);
    x.cargar({{Q("CODIGO"), Q("NOMBRE"), Q("CANTIDAD1"), Q("PRECIO"), Q("DESCUENTO")},
              {Q("10001"), Q("Uno"), 3.0, 10.0, 0.0},
              {Q("10003"), Q("Tres"), 2.0, 5.0, 10.0},
              {Q("10005"), Q("Sin cantidad"), 0.0, 4.0, 0.0},
              {Q("NADA"), Q("Desconocido"), 1.0, 2.5, 0.0}},
             0);
    qd::OpcionesLineas o = x.opciones(0);
    EXPECT_THROW(x.lineas.confirmarLineas(o), qd::ErrorImportacion) << "Importar Todo with an invalid line";
    o.SoloValidas = true;
    const qd::ResumenLineas r = x.lineas.confirmarLineas(o);
    EXPECT_EQ(r.Escritas, 2);
    EXPECT_EQ(r.NoValidas, 1);
    EXPECT_EQ(r.SinCantidad, 1);
    EXPECT_TRUE(r.Recalculado);
    EXPECT_TRUE(r.texto.startsWith(QStringLiteral("Importación de líneas TERMINADA")));

    const auto lineas = x.filas(
        QStringLiteral("SELECT ARTICULO, CANTIDADSTOCK1, PORCENTAJEIVA, PORCENTAJERECARGO, IMPORTELINEA FROM "
                       "LINEASALBARANVENTA WHERE ALBARANVENTA = 5 ORDER BY ARTICULO"));
    ASSERT_EQ(lineas.size(), 2);
    EXPECT_EQ(lineas[0][0].toInt(), 1);
    EXPECT_DOUBLE_EQ(lineas[0][2].toDouble(), 10);
    EXPECT_DOUBLE_EQ(lineas[0][3].toDouble(), 0) << "the regime applies no surcharge";
    EXPECT_NEAR(lineas[0][4].toDouble(), 30, 1e-9);
    EXPECT_NEAR(lineas[1][4].toDouble(), 9, 1e-9);

    const auto cab = x.filas(QStringLiteral("SELECT BASEIMPONIBLE, IMPORTEIVA, IMPORTEALBARAN, "
                                            "IMPORTEDESCUENTOCOMERCIAL, IMPORTEENTREGADOINICIAL "
                                            "FROM ALBARANESVENTA WHERE IDALBARANESVENTA = 5"));
    EXPECT_NEAR(cab[0][0].toDouble(), 38.22, 1e-9);
    EXPECT_NEAR(cab[0][1].toDouble(), 4.7922, 1e-9);
    EXPECT_NEAR(cab[0][2].toDouble(), 43.0122, 1e-9);
    EXPECT_NEAR(cab[0][3].toDouble(), 0.78, 1e-9);
    EXPECT_EQ(cab[0][4].toInt(), 4);

    QFile f(r.FicheroIncidencias);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString texto = QString::fromLatin1(f.readAll());
    EXPECT_EQ(
        texto,
        QStringLiteral(
            "-- INCIDENCIAS LÍNEAS ALBARAN DE VENTA --\r\n"
            "CODIGO            DESCRIPCION          \r\n\r\n"
            "10005             Sin cantidad         Cant1: 0 Cant2: 0 Desc.: 0 PVP:   4 NºSR.:  Lote:  \r\n"
            "NADA              Desconocido          Cant1: 1 Cant2: 0 Desc.: 0 PVP:   2.5 NºSR.:  Lote:  "
            "\r\n"));

    // The same table imported again (after an error outside the lines, say) adds nothing.
    const qd::ResumenLineas otra = x.lineas.confirmarLineas(o);
    EXPECT_EQ(otra.Escritas, 0);
    EXPECT_EQ(x.filas(QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5"))[0][0],
              2);
}

// Purchase note 2 (supplier 4): a price other than the last purchase price is listed with
// «PVP: » and written all the same; the supplier's reference goes with the line; the note is
// recalculated by the host's procedure.
TEST(ImportarLineas, PurchaseLinesWithPriceLogAndRecalculation) {
    Conexion x("LAC", 2);
    x.cargar({{Q("REFERENCIA_PROVEEDOR"), Q("NOMBRE"), Q("CANTIDAD1"), Q("PRECIO")},
              {Q("EH0001"), Q("Cuatro"), 2.0, 30.0},
              {Q("EH0001"), Q("Cuatro igual"), 1.0, 32.34}},
             3);
    EXPECT_EQ(x.estado(), (Estado{{4, true}, {4, true}}));
    const qd::ResumenLineas r = x.lineas.confirmarLineas(x.opciones(3));
    EXPECT_EQ(r.Escritas, 2);
    const auto lineas = x.filas(QStringLiteral(
        "SELECT CANTIDADSTOCK1, PRECIO, IMPORTELINEA, REFERENCIAARTICULOPROVEED FROM LINEASALBARANCOMPRA "
        "WHERE ALBARANCOMPRA = 2 ORDER BY IDLINEASALBARANCOMPRA"));
    ASSERT_EQ(lineas.size(), 2);
    EXPECT_NEAR(lineas[0][2].toDouble(), 60, 1e-9);
    EXPECT_EQ(lineas[0][3].toString().trimmed(), QStringLiteral("EH0001"));
    const auto cab =
        x.filas(QStringLiteral("SELECT BASEIMPONIBLE FROM ALBARANESCOMPRA WHERE IDALBARANESCOMPRA = 2"));
    EXPECT_NEAR(cab[0][0].toDouble(), 92.34, 1e-9);
    QFile f(r.FicheroIncidencias);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList texto = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
    EXPECT_EQ(texto.value(1), QStringLiteral("REFERENCIA PROVEEDDESCRIPCION          "));
    EXPECT_EQ(texto.value(3),
              QStringLiteral("EH0001            Cuatro               Cant1: 2 Cant2: 0 Desc.: 0 "
                             "PVP: 30 NºSR.:  Lote: "));
    EXPECT_EQ(texto.value(4), QString()) << "an equal price is not listed";
}

// A dry run writes nothing and leaves the note as it was.
// New lines go on from the note's last line number, one after another, on either side, and a
// purchase note's line totals are those of all its lines at the end.
TEST(ImportarLineas, NumberingGoesOnFromTheNotesLastLine) {
    for (const char* lado : {"LAV", "LAC"}) {
        SCOPED_TRACE(lado);
        const bool venta = QLatin1String(lado) == QLatin1String("LAV");
        const QString tabla =
            venta ? QStringLiteral("LINEASALBARANVENTA") : QStringLiteral("LINEASALBARANCOMPRA");
        const QString albaran = venta ? QStringLiteral("ALBARANVENTA") : QStringLiteral("ALBARANCOMPRA");
        Conexion x(lado, 1);
        const int ultima =
            x.filas(QStringLiteral("SELECT MAX(NUMEROLINEA) FROM %1 WHERE %2 = 1").arg(tabla, albaran))[0][0]
                .toInt();
        ASSERT_GT(ultima, 0) << "the demo's note 1 has lines";
        x.cargar({{Q("CODIGO"), Q("NOMBRE"), Q("CANTIDAD1"), Q("PRECIO")},
                  {Q("10001"), Q("Uno"), 3.0, 10.0},
                  {Q("10003"), Q("Tres"), 2.0, 5.0},
                  {Q("10001"), Q("Uno otra vez"), 1.0, 7.5}},
                 0);
        const qd::ResumenLineas r = x.lineas.confirmarLineas(x.opciones(0));
        EXPECT_EQ(r.Escritas, 3);
        const auto nuevas =
            x.filas(QStringLiteral("SELECT NUMEROLINEA FROM %1 WHERE %2 = 1 AND NUMEROLINEA > %3 "
                                   "ORDER BY ID%1")
                        .arg(tabla, albaran)
                        .arg(ultima));
        ASSERT_EQ(nuevas.size(), 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(nuevas[i][0].toInt(), ultima + 1 + i);
        if (!venta) {
            const auto suma = x.filas(QStringLiteral(
                "SELECT A.IMPORTEBRUTO, A.IMPORTEDESCUENTOLINEAS, (SELECT SUM(L.IMPORTEBRUTO) FROM "
                "LINEASALBARANCOMPRA L WHERE L.ALBARANCOMPRA = 1) FROM ALBARANESCOMPRA A WHERE "
                "A.IDALBARANESCOMPRA = 1"));
            EXPECT_DOUBLE_EQ(suma[0][0].toDouble(), suma[0][2].toDouble());
        }
    }
}

TEST(ImportarLineas, DryRunLeavesTheNote) {
    Conexion x("LAV", 5);
    x.cargar({{Q("CODIGO"), Q("CANTIDAD1"), Q("PRECIO")}, {Q("10001"), 3.0, 10.0}}, 0);
    qd::OpcionesMotor m;
    m.simular = true;
    const qd::ResumenLineas r = x.lineas.confirmarLineas(x.opciones(0), m);
    EXPECT_TRUE(r.motor.simulado);
    EXPECT_FALSE(r.Recalculado);
    EXPECT_EQ(x.filas(QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5"))[0][0],
              0);
}

// qdimport --kind lineas leaves the database the data layer leaves; without --solo-validas an
// invalid line refuses the run and nothing is written.
TEST(ImportarLineas, HeadlessImporterLeavesTheSameDatabase) {
    const QList<QVariantList> filas{{Q("CODIGO"), Q("NOMBRE"), Q("CANTIDAD1"), Q("PRECIO"), Q("DESCUENTO")},
                                    {Q("10001"), Q("Uno"), 3.0, 10.0, 0.0},
                                    {Q("10003"), Q("Tres"), 2.0, 5.0, 10.0},
                                    {Q("NADA"), Q("Desconocido"), 1.0, 2.5, 0.0}};
    Conexion x("LAV", 5);
    x.cargar(filas, 0);
    qd::OpcionesLineas o = x.opciones(0);
    o.SoloValidas = true;
    x.lineas.confirmarLineas(o);
    const QString libro = x.dir.filePath(QStringLiteral("lineas.xlsx"));

    qd::test::TempDatabase cli;
    auto qdimport = [&](QStringList extra) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        QStringList args{QStringLiteral("--database"),
                         cli.path(),
                         QStringLiteral("--kind"),
                         QStringLiteral("lineas"),
                         QStringLiteral("--opcion"),
                         QStringLiteral("LAV"),
                         QStringLiteral("--albaran"),
                         QStringLiteral("5"),
                         QStringLiteral("--almacen-lav"),
                         QStringLiteral("1"),
                         QStringLiteral("--carpeta-incidencias"),
                         x.dir.path()};
        p.start(QStringLiteral(QD_QDIMPORT), args + extra + QStringList{libro});
        EXPECT_TRUE(p.waitForFinished(120000));
        return qMakePair(p.exitCode(), QString::fromUtf8(p.readAll()));
    };
    const auto rechazo = qdimport({});
    EXPECT_EQ(rechazo.first, 2) << rechazo.second.toStdString();
    EXPECT_TRUE(rechazo.second.contains(ImportacionLineas::textoLineasNoListas()))
        << rechazo.second.toStdString();
    const auto hecho = qdimport({QStringLiteral("--solo-validas")});
    ASSERT_EQ(hecho.first, 0) << hecho.second.toStdString();
    EXPECT_TRUE(hecho.second.contains(QStringLiteral("Líneas traspasadas: 2"))) << hecho.second.toStdString();
    for (const char* tabla : {"LINEASALBARANVENTA", "ALBARANESVENTA", "MOVIMIENTOSALMACEN"})
        EXPECT_EQ(qd::test::volcarTabla(x.db.path(), QString::fromLatin1(tabla), {"FECHA"}),
                  qd::test::volcarTabla(cli.path(), QString::fromLatin1(tabla), {"FECHA"}))
            << tabla;

    // The same command again leaves the rows out and names them; --repetir writes them again.
    const auto lineas = [&cli] {
        auto a = cli.attach();
        return qd::test::consultar(*a, QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE "
                                                      "ALBARANVENTA = 5"))[0][0]
            .toInt();
    };
    const auto otra = qdimport({QStringLiteral("--solo-validas")});
    EXPECT_EQ(otra.first, 0) << otra.second.toStdString();
    for (const char* texto : {"Líneas traspasadas: 0", "Líneas ya importadas: 2",
                              "[incidencia] Filas 2-3: ya importadas de este libro en este albarán"})
        EXPECT_TRUE(otra.second.contains(QString::fromUtf8(texto))) << texto << "\n"
                                                                    << otra.second.toStdString();
    EXPECT_EQ(lineas(), 2);
    const auto repetida = qdimport({QStringLiteral("--solo-validas"), QStringLiteral("--repetir")});
    EXPECT_EQ(repetida.first, 0) << repetida.second.toStdString();
    EXPECT_EQ(lineas(), 4);

    // A warehouse that does not exist (the last --almacen-lav counts) refuses the run.
    const auto almacen =
        qdimport({QStringLiteral("--solo-validas"), QStringLiteral("--almacen-lav"), QStringLiteral("99")});
    EXPECT_EQ(almacen.first, 2) << almacen.second.toStdString();
    EXPECT_TRUE(almacen.second.contains(QStringLiteral("No existe el almacén 99")))
        << almacen.second.toStdString();
    EXPECT_EQ(lineas(), 4);
}

// 3,000 sales lines through qdimport, the importer killed (SIGKILL) once 1,000 rows are committed,
// then the same command again: at the kill every committed line is recorded and no other; after the
// second run every workbook row is exactly one line of the note, and the lines, the note and the
// stock are those one clean run leaves. Per-row commits and bulk commits alike.
TEST(ImportarLineas, KilledHalfWayAndRunAgainWritesEveryRowOnce) {
    QTemporaryDir dir;
    const QString libro = dir.filePath(QStringLiteral("tres_mil.xlsx"));
    {
        QList<QVariantList> filas{{Q("CODIGO"), Q("CANTIDAD1"), Q("PRECIO")}};
        for (int i = 0; i < 3000; ++i)
            filas << QVariantList{QString::number(10001 + i % 20), double(1 + i % 7), double(1 + i % 13)};
        qd::test::escribirLibro(libro, filas);
    }
    const auto argumentos = [&](const qd::test::TempDatabase& db, const char* lote) {
        return QStringList{QStringLiteral("--database"),
                           db.path(),
                           QStringLiteral("--kind"),
                           QStringLiteral("lineas"),
                           QStringLiteral("--opcion"),
                           QStringLiteral("LAV"),
                           QStringLiteral("--albaran"),
                           QStringLiteral("5"),
                           QStringLiteral("--almacen-lav"),
                           QStringLiteral("1"),
                           QStringLiteral("--carpeta-incidencias"),
                           dir.path(),
                           QStringLiteral("--lote"),
                           QString::fromLatin1(lote),
                           libro};
    };
    const auto ejecutar = [](const QStringList& args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(QD_QDIMPORT), args);
        EXPECT_TRUE(p.waitForFinished(300000));
        return qMakePair(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                         QString::fromUtf8(p.readAll()));
    };
    const auto contar = [](const qd::test::TempDatabase& db, const char* sql) {
        auto a = db.attach();
        return qd::test::consultar(*a, QString::fromLatin1(sql))[0][0].toInt();
    };
    const char* lineasNota = "SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5";
    const char* registradas =
        "SELECT COUNT(*) FROM QD_LINEAS_IMPORTADAS R JOIN LINEASALBARANVENTA L ON L.IDLINEASALBARANVENTA = "
        "R.LINEA WHERE R.ALBARAN = 5";
    // Each workbook row with its line, the note, and the stock of every article in every warehouse.
    const auto estado = [](const qd::test::TempDatabase& db) {
        auto a = db.attach();
        QStringList r;
        for (const QVariantList& f : qd::test::consultar(
                 *a, QStringLiteral("SELECT R.FILA, L.NUMEROLINEA, L.ARTICULO, L.CANTIDADSTOCK1, L.PRECIO, "
                                    "L.IMPORTELINEA FROM QD_LINEAS_IMPORTADAS R JOIN LINEASALBARANVENTA L ON "
                                    "L.IDLINEASALBARANVENTA = R.LINEA WHERE R.ALBARAN = 5 ORDER BY R.FILA, "
                                    "L.NUMEROLINEA")))
            r << QVariant(f).toStringList().join(QLatin1Char('|'));
        for (const QVariantList& f : qd::test::consultar(
                 *a, QStringLiteral("SELECT ALMACEN, ARTICULOCARACTERISTICA, STOCKACTUAL1, STOCKACTUAL2 FROM "
                                    "ARTICULOSALMACEN ORDER BY ALMACEN, ARTICULOCARACTERISTICA")))
            r << QVariant(f).toStringList().join(QLatin1Char('|'));
        return r + qd::test::volcarTabla(db.path(), QStringLiteral("ALBARANESVENTA"), {"FECHA"});
    };

    qd::test::TempDatabase limpia;
    const auto limpio = ejecutar(argumentos(limpia, "0"));
    ASSERT_EQ(limpio.first, 0) << limpio.second.toStdString();
    const QStringList esperado = estado(limpia);
    ASSERT_EQ(contar(limpia, lineasNota), 3000);

    for (const char* lote : {"1", "250"}) {
        SCOPED_TRACE(lote);
        qd::test::TempDatabase db;
        {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(QStringLiteral(QD_QDIMPORT), argumentos(db, lote));
            ASSERT_TRUE(p.waitForStarted());
            QByteArray salida;
            while (!salida.contains("Guardadas 1000 filas") && p.state() == QProcess::Running)
                if (p.waitForReadyRead(60000)) salida += p.readAll();
            ASSERT_TRUE(salida.contains("Guardadas 1000 filas")) << salida.constData();
            p.kill(); // SIGKILL
            p.waitForFinished();
            ASSERT_EQ(p.exitStatus(), QProcess::CrashExit);
        }
        const int escritas = contar(db, lineasNota);
        EXPECT_GE(escritas, 1000);
        EXPECT_LT(escritas, 3000) << "killed before the end";
        if (QLatin1String(lote) == QLatin1String("250")) {
            EXPECT_EQ(escritas % 250, 0);
        }
        EXPECT_EQ(contar(db, registradas), escritas) << "a line is committed with its record, never without";

        const auto otra = ejecutar(argumentos(db, lote));
        ASSERT_EQ(otra.first, 0) << otra.second.toStdString();
        EXPECT_TRUE(otra.second.contains(QStringLiteral("Líneas traspasadas: %1").arg(3000 - escritas)))
            << otra.second.toStdString();
        EXPECT_TRUE(otra.second.contains(QStringLiteral("Líneas ya importadas: %1").arg(escritas)));
        EXPECT_EQ(contar(db, lineasNota), 3000);
        const QStringList hay = estado(db);
        qsizetype i = 0;
        while (i < hay.size() && i < esperado.size() && hay[i] == esperado[i])
            ++i;
        EXPECT_TRUE(hay == esperado) << "first difference: «" << hay.value(i).toStdString() << "», expected «"
                                     << esperado.value(i).toStdString() << "»";
    }
}

TEST(LotesYSeries, WarrantyDateEndsOnTheMonthsLastDay) {
    const QList<QPair<QDate, QDate>> casos{{QDate(2024, 1, 31), QDate(2024, 4, 30)},
                                           {QDate(2023, 11, 30), QDate(2024, 2, 29)},
                                           {QDate(2022, 11, 30), QDate(2023, 2, 28)},
                                           {QDate(2024, 3, 8), QDate(2024, 6, 8)}};
    for (const auto& [fecha, garantia] : casos)
        EXPECT_EQ(ImportacionLineas::Fecha_Garantia(fecha), garantia)
            << fecha.toString(Qt::ISODate).toStdString();
}

// Sales note 5 (dated 8 March 2024): a lot shared by two lines is created once (no expiry date:
// null) and linked to each with its quantities; the same number for another article is another
// lot; a new serial number is created on its line with the warranty date; the same serial number
// twice in the sheet makes the second line invalid; a serial number bought earlier and never sold
// is attached to the new line.
TEST(LotesYSeries, SalesLotsAndSerialNumbers) {
    Conexion x("LAV", 5);
    x.cargar({{Q("CODIGO"), Q("CANTIDAD1"), Q("PRECIO"), Q("LOTE"), Q("NUMEROSERIE")},
              {Q("10001"), 3.0, 10.0, Q("L-1"), QVariant()},
              {Q("10001"), 2.0, 10.0, Q("L-1"), QVariant()},
              {Q("10003"), 1.0, 5.0, Q("L-1"), QVariant()},
              {Q("10004"), 1.0, 40.0, QVariant(), Q("S-NUEVO")},
              {Q("10004"), 1.0, 40.0, QVariant(), Q("S-NUEVO")},
              {Q("10004"), 1.0, 40.0, QVariant(), Q("VT2400004-0001")}},
             0);
    EXPECT_EQ(x.estado(), (Estado{{1, true}, {1, true}, {3, true}, {4, true}, {4, false}, {4, true}}));
    qd::OpcionesLineas o = x.opciones(0);
    o.SoloValidas = true;
    const qd::ResumenLineas r = x.lineas.confirmarLineas(o);
    EXPECT_EQ(r.Escritas, 5);
    EXPECT_EQ(r.ConErrores, 0) << x.canal.incidences().join(QLatin1Char('\n')).toStdString();

    const auto lotes = x.filas(QStringLiteral(
        "SELECT L.ARTICULO, L.FECHACADUCIDAD, LL.CANTIDADPEDIDASTOCK1, LV.LOTESASOCIADOS, L.IDLOTES FROM "
        "LOTESLINEAALBVENTA LL JOIN LOTES L ON L.IDLOTES = LL.LOTE JOIN LINEASALBARANVENTA LV ON "
        "LV.IDLINEASALBARANVENTA = LL.LINEAALBVENTA WHERE L.NUMEROLOTE = 'L-1' ORDER BY "
        "LV.IDLINEASALBARANVENTA"));
    ASSERT_EQ(lotes.size(), 3);
    EXPECT_EQ(lotes[0][4], lotes[1][4]) << "the second line reuses the lot";
    EXPECT_NE(lotes[0][4], lotes[2][4]) << "another article, another lot";
    EXPECT_TRUE(lotes[0][1].isNull()) << "no expiry date stores null";
    EXPECT_EQ(lotes[0][2].toDouble(), 3);
    EXPECT_EQ(lotes[1][2].toDouble(), 2);
    EXPECT_EQ(lotes[0][3].toString(), lotes[0][4].toString());

    const auto serie = x.filas(QStringLiteral(
        "SELECT NS.FECHAGARANTIAVENTA, LV.NUMEROSDESERIE FROM NUMEROSSERIE NS JOIN LINEASALBARANVENTA LV ON "
        "LV.IDLINEASALBARANVENTA = NS.LINEAALBARANVENTA WHERE NS.NUMEROSERIE = 'S-NUEVO'"));
    ASSERT_EQ(serie.size(), 1);
    EXPECT_EQ(serie[0][0].toDate(), QDate(2024, 6, 8));
    EXPECT_EQ(serie[0][1].toString(), QStringLiteral("S-NUEVO"));
    const auto comprada = x.filas(QStringLiteral(
        "SELECT LV.ALBARANVENTA FROM NUMEROSSERIE NS JOIN LINEASALBARANVENTA LV ON LV.IDLINEASALBARANVENTA = "
        "NS.LINEAALBARANVENTA WHERE NS.NUMEROSERIE = 'VT2400004-0001'"));
    ASSERT_EQ(comprada.size(), 1);
    EXPECT_EQ(comprada[0][0].toInt(), 5);
}

// A line whose lot cannot be stored ("€" is not in the database's character set) is not written at
// all: no line, no stock movement, no stock change stays behind, and it is counted and named; the
// next line is written. Run twice, the failed line is still not there and the good one is there twice
// (a second run of the same workbook is its own matter).
TEST(ImportarLineas, ALineThatFailsHalfWayLeavesNoTrace) {
    Conexion x("LAV", 5);
    const auto lineas = [&x] {
        return x.filas(QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5"))[0][0]
            .toInt();
    };
    const auto stock = [&x](int articulo) {
        return x
            .filas(QStringLiteral("SELECT COALESCE(SUM(STOCKACTUAL1), 0) FROM ARTICULOSALMACEN WHERE "
                                  "ARTICULOCARACTERISTICA = %1")
                       .arg(articulo))[0][0]
            .toDouble();
    };
    const int antes = lineas();
    const double stock3 = stock(3);
    x.cargar({{Q("CODIGO"), Q("CANTIDAD1"), Q("PRECIO"), Q("LOTE")},
              {Q("10003"), 2.0, 5.0, Q("L\u20ac")},
              {Q("10001"), 1.0, 10.0, QVariant()}},
             0);
    const qd::ResumenLineas r = x.lineas.confirmarLineas(x.opciones(0));
    EXPECT_EQ(r.Escritas, 1);
    EXPECT_EQ(r.ConErrores, 1);
    EXPECT_EQ(lineas(), antes + 1) << "only the good line";
    EXPECT_DOUBLE_EQ(stock(3), stock3) << "the failed line's stock movement is gone with it";
    ASSERT_EQ(x.d.Filas_No_Escritas.size(), 1u);
    EXPECT_EQ(x.d.Filas_No_Escritas[0].fila, 2);
}

// The same workbook, renamed, imported again into the same note: its rows are left out (asked
// once), counted, named in one incidence and listed as not written, and no stock moves. A row whose
// line was deleted from the note since is written again without asking; answered «Sí», the rows are
// written again on purpose; the workbook with one cell changed is another workbook.
TEST(ImportarLineas, ASecondRunOfTheSameWorkbookLeavesItsRowsOut) {
    Conexion x("LAV", 5);
    QList<QVariantList> libro{{Q("CODIGO"), Q("CANTIDAD1"), Q("PRECIO")},
                              {Q("10001"), 3.0, 10.0},
                              {Q("10003"), 2.0, 5.0},
                              {Q("NADA"), 1.0, 1.0},
                              {Q("10005"), 1.0, 4.0}};
    x.cargar(libro, 0);
    qd::OpcionesLineas o = x.opciones(0);
    o.SoloValidas = true;
    ASSERT_EQ(x.lineas.confirmarLineas(o).Escritas, 3);
    const auto lineas = [&x] {
        return x.filas(QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5"))[0][0]
            .toInt();
    };
    const QString sqlStock =
        QStringLiteral("SELECT ARTICULOCARACTERISTICA, STOCKACTUAL1 FROM ARTICULOSALMACEN "
                       "WHERE ALMACEN = 1 AND ARTICULOCARACTERISTICA IN (1, 3, 5) ORDER BY 1");
    const auto stock = x.filas(sqlStock);
    const QString renombrado = x.dir.filePath(QStringLiteral("otro nombre.xlsx"));
    ASSERT_TRUE(QFile::copy(x.dir.filePath(QStringLiteral("lineas.xlsx")), renombrado));
    // Another session (a new window or qdimport) on the renamed copy.
    const auto otraVez = [&](const QString& ruta, QList<bool> respuestas) {
        ImportacionLineas otra{x.d};
        otra.cargarLineas(ruta, o);
        x.canal.clear();
        x.canal.scriptAnswers(respuestas);
        return otra.confirmarLineas(o);
    };

    qd::ResumenLineas r = otraVez(renombrado, {false});
    EXPECT_EQ(r.Escritas, 0);
    EXPECT_EQ(r.YaImportadas, 3);
    EXPECT_EQ(r.NoValidas, 1);
    EXPECT_EQ(r.ConErrores, 0);
    EXPECT_EQ(x.canal.questions(),
              QStringList{QStringLiteral("Las filas 2-3, 5 de este libro ya se importaron en este albarán. "
                                         "¿Importarlas otra vez?")});
    EXPECT_EQ(x.canal.incidences(),
              QStringList{QStringLiteral("Filas 2-3, 5: ya importadas de este libro en este albarán (líneas "
                                         "1-3); no se han traspasado otra vez.")});
    EXPECT_TRUE(r.texto.contains(QStringLiteral("Líneas ya importadas: 3"))) << r.texto.toStdString();
    // Rows already in the note are done: not rows to import again, so not in the export.
    EXPECT_TRUE(x.d.Filas_No_Escritas.empty());
    EXPECT_EQ(lineas(), 3);
    EXPECT_EQ(x.filas(sqlStock), stock) << "no stock moved";

    // Row 3's line deleted from the note since: that row alone is written, without a question.
    {
        auto a = x.db.attach();
        qd::test::ejecutar(*a, QStringLiteral("DELETE FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5 AND "
                                              "NUMEROLINEA = 2"));
    }
    r = otraVez(renombrado, {});
    EXPECT_EQ(r.Escritas, 1);
    EXPECT_EQ(r.YaImportadas, 2);
    EXPECT_EQ(x.canal.questions().size(), 1) << "rows 2 and 5 are still there";
    EXPECT_EQ(x.filas(QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5 AND "
                                     "ARTICULO = 3"))[0][0]
                  .toInt(),
              1);

    r = otraVez(renombrado, {true});
    EXPECT_EQ(r.Escritas, 3) << "answered «Sí»: written again on purpose";
    EXPECT_EQ(r.YaImportadas, 0);
    EXPECT_EQ(lineas(), 6);

    libro[4][2] = 4.5;
    x.cargar(libro, 0);
    x.canal.clear();
    EXPECT_EQ(x.lineas.confirmarLineas(o).Escritas, 3);
    EXPECT_TRUE(x.canal.questions().isEmpty()) << "another workbook";
    EXPECT_EQ(lineas(), 9);
}

// A delivery note of the launch's side or a warehouse that does not exist refuses the load naming
// the value, before the workbook is read; the write checks again and writes nothing.
TEST(ImportarLineas, ANoteOrWarehouseThatDoesNotExistIsRefused) {
    struct Caso {
        const char* opcion;
        int albaran, almacen;
        const char* texto;
    };
    const QString almacen99 = QStringLiteral(
        "No existe el almacén 99: las líneas y sus movimientos de stock irían a un almacén que no existe.");
    const QList<Caso> casos{{"LAV", 99, 1, "No existe el albarán de venta 99."},
                            {"LAC", 99, 1, "No existe el albarán de compra 99."},
                            {"LAV", 5, 99, nullptr},
                            {"LAC", 2, 99, nullptr}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.opcion + std::to_string(c.albaran) + "/" + std::to_string(c.almacen));
        Conexion x(c.opcion, c.albaran);
        x.d.Almacen_LAVC = c.almacen;
        try {
            x.cargar({{Q("CODIGO"), Q("CANTIDAD1")}, {Q("10001"), 1.0}}, 0);
            ADD_FAILURE() << "the load must be refused";
        } catch (const qd::ErrorImportacion& e) {
            EXPECT_EQ(e.texto(), c.texto ? QString::fromUtf8(c.texto) : almacen99);
        }
        EXPECT_FALSE(x.d.hayExcel()) << "refused before the workbook is read";
    }
    Conexion x("LAV", 5);
    x.cargar({{Q("CODIGO"), Q("CANTIDAD1")}, {Q("10001"), 1.0}}, 0);
    qd::OpcionesLineas o = x.opciones(0);
    o.Almacen = 99;
    EXPECT_THROW(x.lineas.confirmarLineas(o), qd::ErrorImportacion);
    EXPECT_EQ(
        x.filas(QStringLiteral("SELECT COUNT(*) FROM MOVIMIENTOSALMACEN WHERE ALMACEN = 99"))[0][0].toInt(),
        0);
    EXPECT_EQ(x.filas(QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANVENTA WHERE ALBARANVENTA = 5"))[0][0],
              0);
}

// Purchase note 2 (supplier 4, dated 8 March 2024): a lot number the article already has
// (L2402-0101, from note 1) is reused; a new one is created with its expiry date; a new serial
// number is created on its line with the purchase warranty date; the same number twice in the
// sheet, and one already on a purchase line, make those lines invalid; a quantity of -1 is a
// return (the serial number is not available afterwards); a quantity 0 line is written.
TEST(LotesYSeries, PurchaseLotsAndSerialNumbers) {
    Conexion x("LAC", 2);
    const double caducidad = 45688; // 31 January 2025
    x.cargar({{Q("CODIGO"), Q("CANTIDAD1"), Q("PRECIO"), Q("LOTE"), Q("FECHACADUCIDAD"), Q("NUMEROSERIE")},
              {Q("10001"), 5.0, 4.9, Q("L2402-0101"), QVariant(), QVariant()},
              {Q("10001"), 2.0, 4.9, Q("LC-NUEVO"), caducidad, QVariant()},
              {Q("10004"), 1.0, 32.34, QVariant(), QVariant(), Q("S-COMPRA")},
              {Q("10004"), 1.0, 32.34, QVariant(), QVariant(), Q("S-COMPRA")},
              {Q("10004"), 1.0, 32.34, QVariant(), QVariant(), Q("VT2400004-0001")},
              {Q("10004"), -1.0, 32.34, QVariant(), QVariant(), Q("S-DEVUELTA")},
              {Q("10001"), 0.0, 4.9, QVariant(), QVariant(), QVariant()}},
             0);
    EXPECT_EQ(x.estado(),
              (Estado{{1, true}, {1, true}, {4, true}, {4, false}, {4, false}, {4, true}, {1, true}}));
    qd::OpcionesLineas o = x.opciones(0);
    o.SoloValidas = true;
    const qd::ResumenLineas r = x.lineas.confirmarLineas(o);
    EXPECT_EQ(r.Escritas, 5);
    EXPECT_EQ(r.ConErrores, 0) << x.canal.incidences().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(x.filas(QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANCOMPRA WHERE ALBARANCOMPRA = 2 AND "
                                     "CANTIDADSTOCK1 = 0"))[0][0]
                  .toInt(),
              1)
        << "a purchase line with quantity 0 is written";

    const QString lotes = QStringLiteral(
        "SELECT L.IDLOTES, L.FECHACADUCIDAD, LL.CANTIDADPEDIDASTOCK1, LC.LOTESASOCIADOS, LC.ALBARANCOMPRA "
        "FROM "
        "LOTESLINEAALBCOMPRA LL JOIN LOTES L ON L.IDLOTES = LL.LOTE JOIN LINEASALBARANCOMPRA LC ON "
        "LC.IDLINEASALBARANCOMPRA = LL.LINEAALBCOMPRA WHERE L.NUMEROLOTE = '%1' ORDER BY LC.ALBARANCOMPRA");
    const auto existente = x.filas(lotes.arg(QStringLiteral("L2402-0101")));
    ASSERT_EQ(existente.size(), 2) << "note 1's line and the new one";
    EXPECT_EQ(existente[0][0], existente[1][0]) << "the lot the article had is reused";
    EXPECT_EQ(existente[1][2].toDouble(), 5);
    EXPECT_EQ(existente[1][3].toString(), existente[1][0].toString());
    const auto nuevo = x.filas(lotes.arg(QStringLiteral("LC-NUEVO")));
    ASSERT_EQ(nuevo.size(), 1);
    EXPECT_EQ(nuevo[0][1].toDate(), QDate(2025, 1, 31));
    EXPECT_EQ(nuevo[0][2].toDouble(), 2);
    EXPECT_EQ(nuevo[0][3].toString(), nuevo[0][0].toString()) << "the line names the lot it was given";

    const QString serie = QStringLiteral(
        "SELECT NS.FECHAGARANTIACOMPRA, NS.FECHAGARANTIAVENTA, NS.DISPONIBLE, LC.NUMEROSDESERIE, "
        "LC.ALBARANCOMPRA, M.ESDEVOLUCION FROM NUMEROSSERIE NS JOIN LINEASALBARANCOMPRA LC ON "
        "LC.IDLINEASALBARANCOMPRA = NS.LINEAALBARANCOMPRA JOIN MOVIMIENTOSNUMEROSSERIE M ON M.NUMEROSERIE = "
        "NS.IDNUMEROSSERIE AND M.LINEAALBARANCOMPRA = LC.IDLINEASALBARANCOMPRA WHERE NS.NUMEROSERIE = '%1'");
    const auto compra = x.filas(serie.arg(QStringLiteral("S-COMPRA")));
    ASSERT_EQ(compra.size(), 1);
    EXPECT_EQ(compra[0][0].toDate(), QDate(2024, 6, 8));
    EXPECT_TRUE(compra[0][1].isNull()) << "no sale warranty on a purchase";
    EXPECT_EQ(compra[0][2].toInt(), 1);
    EXPECT_EQ(compra[0][3].toString().trimmed(), QStringLiteral("S-COMPRA"));
    EXPECT_EQ(compra[0][4].toInt(), 2);
    EXPECT_EQ(compra[0][5].toInt(), 0);
    const auto devuelta = x.filas(serie.arg(QStringLiteral("S-DEVUELTA")));
    ASSERT_EQ(devuelta.size(), 1);
    EXPECT_EQ(devuelta[0][2].toInt(), 0) << "a returned serial number is not available";
    EXPECT_EQ(devuelta[0][5].toInt(), 1);
    // The serial number already bought stays on its first line only.
    EXPECT_EQ(x.filas(QStringLiteral("SELECT COUNT(*) FROM LINEASALBARANCOMPRA WHERE ALBARANCOMPRA = 2 AND "
                                     "NUMEROSDESERIE = 'VT2400004-0001'"))[0][0]
                  .toInt(),
              0);
}

} // namespace
