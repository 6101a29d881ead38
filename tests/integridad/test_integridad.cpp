// An import changes only what the workbook gives. Each case writes a record with a first workbook,
// then runs a second one (an update with empty cells, codes that match nothing, absent columns,
// blank keys…) and reads the record back: what the second workbook did not give is as it was.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "ConsultasPrueba.h"
#include "FbAttachment.h"
#include "LibroPrueba.h"
#include "TempDatabase.h"
#include "Workbook.h"

#include <sys/stat.h>

namespace {

using qd::test::consultar;
using Filas = QList<QVariantList>;

const QVariant kVacia; // an empty cell

struct Resultado {
    int codigo = -1;
    QString salida;
};

Resultado qdimport(const QString& bd, const QStringList& argumentos, const QString& libro) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(QD_QDIMPORT),
            QStringList{QStringLiteral("--database"), bd, QStringLiteral("--excel-ini"),
                        bd + QStringLiteral(".no-existe.ini")} +
                argumentos + QStringList{libro});
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAll())};
}

QString texto(const QVariant& v) {
    if (v.isNull()) return QStringLiteral("<null>");
    if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble());
    return v.toString().trimmed();
}

struct Caso {
    const char* nombre;
    QStringList argumentos;     // the kind and its options, both runs
    Filas antes;                // the first workbook: writes the record
    QString sql;                // run between the two (a stored value the workbook does not carry)
    Filas libro;                // the second workbook
    QStringList masArgumentos;  // options of the second run only (all of them when they name the kind)
    QString consulta;           // one row
    QStringList esperado;       // its values after the second run
    QString enSalida{};         // a text the second run prints
    bool nadaImportado = false; // the second run imports nothing (exit 2)
};

void PrintTo(const Caso& c, std::ostream* os) {
    *os << c.nombre;
}

const QStringList kArticulos{QStringLiteral("--kind"), QStringLiteral("articulos"),
                             QStringLiteral("--create"), QStringLiteral("--update")};
const QString kArticulo = QStringLiteral("SELECT A.NOMBRE, A.CODIGOEAN, A.PRECIOMEDIOCOSTE, F.CODIGO FROM "
                                         "ARTICULOS A LEFT JOIN FAMILIASARTICULOS F "
                                         "ON F.IDFAMILIASARTICULOS = A.FAMILIA WHERE A.CODIGO = 'ZT1'");
const Filas kArticuloAntes{{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("CODIGOEAN"),
                            QStringLiteral("PRECIOMEDIOCOSTE"), QStringLiteral("FAMILIA")},
                           {QStringLiteral("ZT1"), QStringLiteral("Nombre"), QStringLiteral("8400000000001"),
                            5.5, QStringLiteral("FZT")}};
const Filas kArticuloVacio{{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("CODIGOEAN"),
                            QStringLiteral("PRECIOMEDIOCOSTE"), QStringLiteral("FAMILIA")},
                           {QStringLiteral("ZT1"), kVacia, QStringLiteral(" "), kVacia, kVacia}};

const QStringList kClientes{QStringLiteral("--kind"), QStringLiteral("clientes")};
const Filas kClienteAntes{{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("COD_FPAGO"),
                           QStringLiteral("COD_TARIFA"), QStringLiteral("EMAIL1")},
                          {QStringLiteral("ZC1"), QStringLiteral("Cliente"), QStringLiteral("R30"),
                           QStringLiteral("PVP"), QStringLiteral("a@b.es")}};
const QString kCliente =
    QStringLiteral("SELECT C.NOMBRE, F.CODIGO, T.CODIGO, C.EMAIL1 FROM CLIENTES C LEFT JOIN FORMASPAGO F ON "
                   "F.IDFORMASPAGO = "
                   "C.FORMAPAGO LEFT JOIN TARIFAS T ON T.IDTARIFAS = C.TARIFA WHERE C.CODIGO = 'ZC1'");

std::vector<Caso> casos() {
    return {
        {"ArticuloCeldasVacias",
         kArticulos,
         kArticuloAntes,
         {},
         kArticuloVacio,
         {},
         kArticulo,
         {"Nombre", "8400000000001", "5.5", "FZT"}},
        {"ArticuloCeldasVaciasConVaciar",
         kArticulos,
         kArticuloAntes,
         {},
         kArticuloVacio,
         {QStringLiteral("--vaciar")},
         kArticulo,
         {"", "", "0", "FZT"}},
        {"ArticuloCodigosQueNoExisten",
         kArticulos,
         {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("PROVEEDORHABITUAL")},
          {QStringLiteral("ZT2"), QStringLiteral("Dos"), QStringLiteral("P001")}},
         {},
         {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("PROVEEDORHABITUAL"),
           QStringLiteral("IVA")},
          {QStringLiteral("ZT2"), QStringLiteral("Dos bis"), QStringLiteral("NOHAY"),
           QStringLiteral("NOHAY")}},
         {},
         QStringLiteral("SELECT A.NOMBRE, P.CODIGO, A.IVA FROM ARTICULOS A LEFT JOIN PROVEEDORES P ON "
                        "P.IDPROVEEDORES = A.PROVEEDORHABITUAL WHERE A.CODIGO = 'ZT2'"),
         {"Dos bis", "P001", "<null>"},
         QStringLiteral("«NOHAY» no existe; no se escribe.")},
        {"ArticuloModosSinSuColumna",
         kArticulos + QStringList{QStringLiteral("--stock"), QStringLiteral("--almacen"),
                                  QStringLiteral("CEN"), QStringLiteral("--pvp"), QStringLiteral("--tarifa"),
                                  QStringLiteral("PVP")},
         {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("PVP"),
           QStringLiteral("PVPCONIVA"), QStringLiteral("STOCK")},
          {QStringLiteral("ZT3"), QStringLiteral("Tres"), 5.0, 6.05, 77.0}},
         QStringLiteral("UPDATE ARTICULOSALMACEN SET STOCKMAXIMO1 = 200, STOCKMINIMO1 = 10 WHERE "
                        "ARTICULOCARACTERISTICA = (SELECT IDARTICULOS FROM ARTICULOS WHERE CODIGO = 'ZT3')"),
         {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("PVP")},
          {QStringLiteral("ZT3"), QStringLiteral("Tres"), 7.0}},
         {},
         QStringLiteral(
             "SELECT AA.STOCKACTUAL1, AA.STOCKMAXIMO1, AA.STOCKMINIMO1, I.IMPORTEVENTA, "
             "I.IMPORTEVENTACONIVA FROM ARTICULOS A JOIN ARTICULOSALMACEN AA ON "
             "AA.ARTICULOCARACTERISTICA = A.IDARTICULOS AND AA.ALMACEN = 1 JOIN TARIFASARTICULOS TA "
             "ON TA.ARTICULO = A.IDARTICULOS AND TA.TARIFA = 1 JOIN INTERVALOSTARIFASARTICULOS I ON "
             "I.TARIFAARTICULO = TA.IDTARIFASARTICULOS AND I.DESDE = 1 WHERE A.CODIGO = 'ZT3'"),
         {"77", "200", "10", "7", "6.05"},
         QStringLiteral("El libro no tiene la columna STOCK: no se escribe el stock de ningún artículo.")},
        {"ArticuloStockQueNoEsNumero",
         kArticulos +
             QStringList{QStringLiteral("--stock"), QStringLiteral("--almacen"), QStringLiteral("CEN")},
         {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("STOCK")},
          {QStringLiteral("ZT4"), QStringLiteral("Cuatro"), 77.0}},
         {},
         {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("STOCK")},
          {QStringLiteral("ZT4"), QStringLiteral("Cuatro"), QStringLiteral("diez")}},
         {},
         QStringLiteral(
             "SELECT AA.STOCKACTUAL1 FROM ARTICULOS A JOIN ARTICULOSALMACEN AA ON "
             "AA.ARTICULOCARACTERISTICA = A.IDARTICULOS AND AA.ALMACEN = 1 WHERE A.CODIGO = 'ZT4'"),
         {"77"},
         QStringLiteral("«diez» no es un valor válido para el campo; no se escribe.")},
        {"ArticuloReferenciaEnBlancoNoEsClave",
         kArticulos,
         {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("REFERENCIAPROVEEDOR")},
          {QStringLiteral("ZT5"), QStringLiteral("Cinco"), kVacia},
          {QStringLiteral("ZT6"), QStringLiteral("Seis"), kVacia}},
         {},
         {{QStringLiteral("REFERENCIAPROVEEDOR"), QStringLiteral("NOMBRE"), QStringLiteral("CODIGO")},
          {QStringLiteral(" "), QStringLiteral("Renombrado"), QStringLiteral("ZT9")}},
         {QStringLiteral("--kind"), QStringLiteral("articulos"), QStringLiteral("--update"),
          QStringLiteral("--match"), QStringLiteral("referencia")},
         QStringLiteral("SELECT COUNT(*) FROM ARTICULOS WHERE NOMBRE = 'Renombrado'"),
         {"0"},
         QStringLiteral("está vacía y es la clave que identifica el registro; la fila no se carga."),
         true},
        {"ArticuloCodigosQueNoSonTexto",
         kArticulos,
         {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("FAMILIA")},
          {1234567890123.0, QStringLiteral("Número"), QDate(2024, 3, 1)},
          {true, QStringLiteral("Lógico"), kVacia}},
         {},
         {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")},
          {QStringLiteral("ZT8"), QStringLiteral("Ocho")}},
         {},
         QStringLiteral(
             "SELECT (SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO = '1234567890123' AND FAMILIA IS "
             "NULL), (SELECT COUNT(*) FROM ARTICULOS WHERE CODIGO IN ('True', 'TRUE', '1')), (SELECT "
             "COUNT(*) FROM FAMILIASARTICULOS WHERE CODIGO LIKE '%2024%') FROM RDB$DATABASE"),
         {"1", "0", "0"}},
        {"ClienteCodigosVaciosYQueNoExisten",
         kClientes,
         kClienteAntes,
         {},
         {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("COD_FPAGO"),
           QStringLiteral("COD_TARIFA"), QStringLiteral("EMAIL1")},
          {QStringLiteral("ZC1"), kVacia, QStringLiteral("XXX"), kVacia, kVacia}},
         {},
         kCliente,
         {"Cliente", "R30", "PVP", "a@b.es"}},
        {"DireccionCeldasVacias",
         {QStringLiteral("--kind"), QStringLiteral("direcciones")},
         {{QStringLiteral("COD_CLIENTE"), QStringLiteral("NOMBRE"), QStringLiteral("DIRECCION"),
           QStringLiteral("LOCALIDAD"), QStringLiteral("PROVINCIA")},
          {QStringLiteral("1001"), QStringLiteral("Almacén"), QStringLiteral("Calle 1"),
           QStringLiteral("Sueca"), QStringLiteral("Valencia")}},
         {},
         {{QStringLiteral("COD_CLIENTE"), QStringLiteral("NOMBRE"), QStringLiteral("DIRECCION"),
           QStringLiteral("LOCALIDAD"), QStringLiteral("PROVINCIA")},
          {QStringLiteral("1001"), QStringLiteral("Almacén"), QStringLiteral("Calle 2"), kVacia,
           QStringLiteral(" ")}},
         {},
         QStringLiteral(
             "SELECT D.DIRECCION, D.LOCALIDAD, D.PROVINCIA FROM DIRECCIONESENVIO D JOIN CLIENTES C ON "
             "C.IDCLIENTES = D.CLIENTE WHERE C.CODIGO = '1001' AND D.NOMBRE = 'Almacén'"),
         {"Calle 2", "Sueca", "Valencia"}},
        {"ContactoCeldasVacias",
         {QStringLiteral("--kind"), QStringLiteral("contactos")},
         {{QStringLiteral("COD_CLIENTE"), QStringLiteral("NOMBRE"), QStringLiteral("GRUPOEMPRESAS"),
           QStringLiteral("TELEFONO"), QStringLiteral("EMAIL1")},
          {QStringLiteral("1001"), QStringLiteral("Ana"), 1.0, QStringLiteral("204"),
           QStringLiteral("ana@b.es")}},
         {},
         {{QStringLiteral("COD_CLIENTE"), QStringLiteral("NOMBRE"), QStringLiteral("GRUPOEMPRESAS"),
           QStringLiteral("TELEFONO"), QStringLiteral("EMAIL1")},
          {QStringLiteral("1001"), QStringLiteral("Ana"), 1.0, kVacia, kVacia}},
         {},
         QStringLiteral(
             "SELECT P.EXTENSION, P.EMAIL1 FROM PERSONASCONTACTO P JOIN CLIENTES C ON C.IDCLIENTES = "
             "P.CLIENTE WHERE C.CODIGO = '1001' AND P.NOMBRE = 'Ana'"),
         {"204", "ana@b.es"}},
        {"ProveedorCeldasVacias",
         {QStringLiteral("--kind"), QStringLiteral("proveedores")},
         {{QStringLiteral("CODIGO"), QStringLiteral("GRUPOEMPRESAS"), QStringLiteral("COD_FPAGO"),
           QStringLiteral("COD_REGIMENIVA"), QStringLiteral("COD_MONEDA"), QStringLiteral("NOMBRE"),
           QStringLiteral("NIF"), QStringLiteral("PAIS")},
          {QStringLiteral("ZP1"), 1.0, QStringLiteral("R30"), QStringLiteral("GEN"), QStringLiteral("EUR"),
           QStringLiteral("Proveedor"), QStringLiteral("B12345678"), QStringLiteral("ESPAÑA")}},
         {},
         {{QStringLiteral("CODIGO"), QStringLiteral("GRUPOEMPRESAS"), QStringLiteral("COD_FPAGO"),
           QStringLiteral("COD_REGIMENIVA"), QStringLiteral("COD_MONEDA"), QStringLiteral("NOMBRE"),
           QStringLiteral("NIF"), QStringLiteral("PAIS")},
          {QStringLiteral("ZP1"), 1.0, QStringLiteral("R30"), QStringLiteral("GEN"), QStringLiteral("EUR"),
           kVacia, kVacia, kVacia}},
         {},
         QStringLiteral("SELECT NOMBRE, NIF, PAIS FROM PROVEEDORES WHERE CODIGO = 'ZP1'"),
         {"Proveedor", "B12345678", "ESPAÑA"}},
    };
}

class Integridad : public testing::TestWithParam<Caso> {};

TEST_P(Integridad, LoQueElLibroNoDaSeQuedaComoEstaba) {
    const Caso& c = GetParam();
    qd::test::TempDatabase db;
    QTemporaryDir dir;
    const QString antes = dir.filePath(QStringLiteral("antes.xlsx"));
    const QString libro = dir.filePath(QStringLiteral("libro.xlsx"));
    qd::test::escribirLibro(antes, c.antes);
    qd::test::escribirLibro(libro, c.libro);

    const Resultado primero = qdimport(db.path(), c.argumentos, antes);
    ASSERT_NE(primero.codigo, 2) << primero.salida.toStdString();
    if (!c.sql.isEmpty()) qd::test::ejecutar(*db.attach(), c.sql);
    const bool propios = !c.masArgumentos.isEmpty() && c.masArgumentos.first() == QLatin1String("--kind");
    const Resultado segundo =
        qdimport(db.path(), propios ? c.masArgumentos : c.argumentos + c.masArgumentos, libro);
    if (c.nadaImportado) {
        EXPECT_EQ(segundo.codigo, 2) << segundo.salida.toStdString();
    } else {
        EXPECT_NE(segundo.codigo, 2) << segundo.salida.toStdString();
    }
    if (!c.enSalida.isEmpty()) {
        EXPECT_TRUE(segundo.salida.contains(c.enSalida)) << segundo.salida.toStdString();
    }

    const Filas filas = consultar(*db.attach(), c.consulta);
    ASSERT_EQ(filas.size(), 1) << segundo.salida.toStdString();
    QStringList leido;
    for (const QVariant& v : filas.first())
        leido << texto(v);
    EXPECT_EQ(leido.join(QStringLiteral(" | ")).toStdString(),
              c.esperado.join(QStringLiteral(" | ")).toStdString())
        << segundo.salida.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Casos, Integridad, testing::ValuesIn(casos()),
                         [](const testing::TestParamInfo<Caso>& i) { return std::string(i.param.nombre); });

// A new record needs its name: a row without one is refused, counted, and the others are written.
TEST(IntegridadAltas, UnaAltaSinNombreNoSeEscribe) {
    qd::test::TempDatabase db;
    QTemporaryDir dir;
    const QString libro = dir.filePath(QStringLiteral("libro.xlsx"));
    qd::test::escribirLibro(libro, {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")},
                                    {QStringLiteral("ZN1"), kVacia},
                                    {QStringLiteral("ZN2"), QStringLiteral("Con nombre")}});
    const Resultado r = qdimport(db.path(), kArticulos, libro);
    EXPECT_EQ(r.codigo, 3) << r.salida.toStdString();
    EXPECT_TRUE(
        r.salida.contains(QStringLiteral("Fila 2: columna NOMBRE: un registro nuevo necesita un valor")))
        << r.salida.toStdString();
    const Filas filas = consultar(*db.attach(), QStringLiteral("SELECT CODIGO FROM ARTICULOS WHERE CODIGO "
                                                               "STARTING WITH 'ZN' ORDER BY 1"));
    ASSERT_EQ(filas.size(), 1);
    EXPECT_EQ(filas.first().first().toString(), QStringLiteral("ZN2"));
}

// A title written twice, and launch values the database does not have, refuse the whole import.
TEST(IntegridadLibro, TituloRepetidoYLanzamientoEquivocadoNoEscribenNada) {
    qd::test::TempDatabase db;
    QTemporaryDir dir;
    const QString repetido = dir.filePath(QStringLiteral("repetido.xlsx"));
    qd::test::escribirLibro(repetido,
                            {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("nombre")},
                             {QStringLiteral("ZR1"), QStringLiteral("Uno"), QStringLiteral("Otro")}});
    Resultado r = qdimport(db.path(), kArticulos, repetido);
    EXPECT_EQ(r.codigo, 2) << r.salida.toStdString();
    EXPECT_TRUE(r.salida.contains(QStringLiteral("Las columnas B y C tienen el mismo título")))
        << r.salida.toStdString();

    const QString bueno = dir.filePath(QStringLiteral("bueno.xlsx"));
    qd::test::escribirLibro(bueno,
                            {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("COLOR")},
                             {QStringLiteral("ZR2"), QStringLiteral("Dos"), QStringLiteral("Rojo")}});
    r = qdimport(db.path(), kArticulos + QStringList{QStringLiteral("--grupo"), QStringLiteral("99")}, bueno);
    EXPECT_EQ(r.codigo, 2) << r.salida.toStdString();
    EXPECT_TRUE(r.salida.contains(QStringLiteral("El grupo de empresas 99"))) << r.salida.toStdString();
    r = qdimport(db.path(), kArticulos + QStringList{QStringLiteral("--empresa"), QStringLiteral("77")},
                 bueno);
    EXPECT_EQ(r.codigo, 2) << r.salida.toStdString();
    EXPECT_TRUE(r.salida.contains(QStringLiteral("La empresa 77"))) << r.salida.toStdString();
    EXPECT_TRUE(
        consultar(*db.attach(), QStringLiteral("SELECT 1 FROM ARTICULOS WHERE CODIGO STARTING WITH 'ZR'"))
            .isEmpty());

    // The right launch: written, and the title it does not know is told before the rows.
    r = qdimport(db.path(), kArticulos, bueno);
    EXPECT_EQ(r.codigo, 0) << r.salida.toStdString();
    EXPECT_TRUE(
        r.salida.contains(QStringLiteral("no conoce y no se leen (los títulos deben escribirse como en la "
                                         "ayuda): COLOR.")))
        << r.salida.toStdString();
}

} // namespace

namespace {

// The exit code and the export of rows not written say what happened to every row of the workbook.
TEST(IntegridadSalida, CodigoDeSalidaYFilasNoEscritas) {
    qd::test::TempDatabase db;
    QTemporaryDir dir;

    // Only titles: nothing imported is not a success.
    const QString vacio = dir.filePath(QStringLiteral("vacio.xlsx"));
    qd::test::escribirLibro(vacio, {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")}});
    Resultado r = qdimport(db.path(), kArticulos, vacio);
    EXPECT_EQ(r.codigo, 2) << r.salida.toStdString();
    EXPECT_TRUE(r.salida.contains(QStringLiteral("no tiene filas de datos"))) << r.salida.toStdString();

    // A row dropped at load: the others are written, and the run says it left one out.
    const QString largo = dir.filePath(QStringLiteral("largo.xlsx"));
    qd::test::escribirLibro(largo, {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")},
                                    {QStringLiteral("ZS1"), QStringLiteral("Uno")},
                                    {QStringLiteral("ZS2-CODIGO-DEMASIADO-LARGO"), QStringLiteral("Dos")}});
    r = qdimport(db.path(), kArticulos, largo);
    EXPECT_EQ(r.codigo, 3) << r.salida.toStdString();

    // A stop in the middle: the failing row and every row after it are in the export.
    const QString parada = dir.filePath(QStringLiteral("parada.xlsx"));
    qd::test::escribirLibro(parada, {{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")},
                                     {QStringLiteral("ZS3"), QStringLiteral("Tres")},
                                     {QStringLiteral("ZS4"), QStringLiteral("Cuatro €")},
                                     {QStringLiteral("ZS5"), QStringLiteral("Cinco")},
                                     {QStringLiteral("ZS6"), QStringLiteral("Seis")}});
    r = qdimport(db.path(), kArticulos, parada);
    EXPECT_EQ(r.codigo, 2) << r.salida.toStdString();
    const QStringList exportados =
        QDir(dir.path()).entryList({QStringLiteral("parada_errores_*.xlsx")}, QDir::Files);
    ASSERT_EQ(exportados.size(), 1) << r.salida.toStdString();
    const auto libro = qd::wb::Workbook::open(dir.filePath(exportados.first()));
    const qd::wb::Sheet& hoja = libro->activeSheet();
    ASSERT_EQ(hoja.lastRow(), 4);
    EXPECT_EQ(hoja.text(2, 1), QStringLiteral("ZS4"));
    EXPECT_EQ(hoja.text(3, 1), QStringLiteral("ZS5"));
    EXPECT_TRUE(
        hoja.text(3, 3).startsWith(QStringLiteral("No procesada: la importación se detuvo en la fila 3")))
        << hoja.text(3, 3).toStdString();
    EXPECT_EQ(hoja.text(4, 1), QStringLiteral("ZS6"));

    // A FIFO as Excel.ini is refused at once instead of blocking.
    const QString fifo = dir.filePath(QStringLiteral("Excel.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    r = qdimport(db.path(), kArticulos + QStringList{QStringLiteral("--excel-ini"), fifo}, largo);
    EXPECT_EQ(r.codigo, 2) << r.salida.toStdString();
    EXPECT_TRUE(r.salida.contains(QStringLiteral("no es un fichero normal"))) << r.salida.toStdString();
}

} // namespace
