// Sales price lists: rows kept when column 3 is a number, three lists at once, a price of 0 left
// alone and a negative one written, the price with VAT at the full rate, articles not found or not
// in a list told; the page and qdimport leave the same database.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QPushButton>

#include "Conexion.h"
#include "PaginaTarifas.h"
#include "TJvFilenameEdit.h"
#include "TkvDBEditLookup.h"
#include "TkvDBGrid.h"

namespace {

using prueba::Conexion;

QVariant Q(const char* s) {
    return QString::fromUtf8(s);
}

// First-interval prices (without and with VAT) of an article in a price list.
QVariantList precio(Conexion& c, const char* articulo, const char* tarifa) {
    return c
        .filas(QStringLiteral(
                   "SELECT I.IMPORTEVENTA, I.IMPORTEVENTACONIVA FROM ARTICULOS A JOIN TARIFASARTICULOS TA ON "
                   "TA.ARTICULO = A.IDARTICULOS JOIN TARIFAS T ON T.IDTARIFAS = TA.TARIFA JOIN "
                   "INTERVALOSTARIFASARTICULOS I ON I.TARIFAARTICULO = TA.IDTARIFASARTICULOS WHERE "
                   "I.DESDE = 1 AND A.CODIGO = '%1' AND T.CODIGO = '%2'")
                   .arg(QString::fromLatin1(articulo), QString::fromLatin1(tarifa)))
        .value(0);
}

const QList<QVariantList> kLibro{
    {Q("CODIGO"), Q("NOMBRE"), Q("P1"), QVariant(), Q("P2"), QVariant(), Q("P3")},
    {QVariant(), QVariant(), Q("General"), QVariant(), Q("Mayoristas"), QVariant(), Q("Sin tarifa")},
    {Q("10001"), Q("IVA 10 %"), 10.0, QVariant(), 0.0, QVariant(), 99.0},
    {Q("10003"), Q("IVA 21 %"), 10.0, QVariant(), -2.0, QVariant(), QVariant()},
    {Q("10002"), Q("IVA 10,5 %"), 10.0, QVariant(), 5.0, QVariant(), QVariant()},
    {Q("NOEXISTE"), Q("no existe"), 5.0, QVariant(), 5.0, QVariant(), QVariant()},
    {Q("nota"), Q("una fila de texto"), Q("sin precio"), QVariant(), QVariant(), QVariant(), QVariant()},
};

// 10002 at 10.5 % VAT and out of the wholesale list.
void preparar(Conexion& c) {
    c.ejecutar(
        QStringLiteral("INSERT INTO TABLAIVA (IDTABLAIVA, CODIGO, NOMBRE, PORCENTAJEIVA) VALUES (9, '105', "
                       "'PRUEBA', 10.5)"));
    c.ejecutar(QStringLiteral("UPDATE ARTICULOS SET IVA = 9 WHERE CODIGO = '10002'"));
    c.ejecutar(QStringLiteral(
        "DELETE FROM TARIFASARTICULOS WHERE TARIFA = 2 AND ARTICULO = (SELECT IDARTICULOS FROM "
        "ARTICULOS WHERE CODIGO = '10002')"));
}

TEST(Tarifas, ThreeListsVatAndSkippedPrices) {
    Conexion c;
    preparar(c);
    const QVariantList mayoristas1 = precio(c, "10001", "MAY");
    ASSERT_EQ(c.tarifas.cargarTarifas(c.libro(QStringLiteral("tarifas.xlsx"), kLibro)), 4);
    EXPECT_EQ(
        c.tarifas.Titulos_Precios_Tarifas(),
        (QStringList{QStringLiteral("GENERAL"), QStringLiteral("MAYORISTAS"), QStringLiteral("SIN TARIFA")}));
    qd::OpcionesTarifas o;
    o.IDTarifa1 = 1; // PVP
    o.IDTarifa2 = 2; // MAY; column 7 has no list and is not written
    const auto r = c.tarifas.confirmarTarifas(o);
    EXPECT_EQ(r.Actualizados, 4);
    EXPECT_EQ(r.NoEncontrados, 1);
    EXPECT_EQ(r.FueraDeTarifa, 1);
    EXPECT_EQ(precio(c, "10001", "PVP"), (QVariantList{10.0, 11.0}));
    EXPECT_EQ(precio(c, "10001", "MAY"), mayoristas1) << "a price of 0 leaves the list's price";
    EXPECT_EQ(precio(c, "10003", "PVP"), (QVariantList{10.0, 12.1}));
    EXPECT_EQ(precio(c, "10003", "MAY"), (QVariantList{-2.0, -2.42})) << "a negative price is written";
    EXPECT_EQ(precio(c, "10002", "PVP"), (QVariantList{10.0, 11.05})) << "10.5 % counts whole";
    const QString incidencias = c.canal.incidences().join(QLatin1Char('\n'));
    EXPECT_TRUE(incidencias.contains(QStringLiteral("Fila 6: «NOEXISTE» no es el código de ningún artículo")))
        << incidencias.toStdString();
    EXPECT_TRUE(
        incidencias.contains(QStringLiteral("Fila 5: el artículo 10002 no está en la tarifa del precio 2")))
        << incidencias.toStdString();
}

// A ';' file with a decimal comma and thousands points: an empty price cell of a chosen list leaves
// that list's price and is told; a price whose price with VAT the interval's column cannot hold
// refuses the whole row, its other list's price too.
TEST(Tarifas, EmptyPricesAreKeptAndPricesOutOfRangeRefuseTheRow) {
    Conexion c;
    const QVariantList may1 = precio(c, "10001", "MAY"), pvp2 = precio(c, "10002", "PVP"),
                       may2 = precio(c, "10002", "MAY");
    const QString libro = c.dir.filePath(QStringLiteral("tarifas.csv"));
    QFile f(libro);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("CODIGO;NOMBRE;P1;;P2\n"
            ";;General;;Mayoristas\n"
            "10001;Uno;12,5;;\n"
            "10003;Tres;1.234;;7\n"
            "10002;Dos;9.500.000.000.000;;3\n");
    f.close();
    ASSERT_EQ(c.tarifas.cargarTarifas(libro), 3);
    qd::OpcionesTarifas o;
    o.IDTarifa1 = 1; // PVP
    o.IDTarifa2 = 2; // MAY
    const auto r = c.tarifas.confirmarTarifas(o);
    EXPECT_EQ(r.Actualizados, 3);
    EXPECT_EQ(r.ConErrores, 1);
    EXPECT_EQ(precio(c, "10001", "PVP"), (QVariantList{12.5, 13.75}));
    EXPECT_EQ(precio(c, "10001", "MAY"), may1) << "an empty price leaves the list's price";
    EXPECT_EQ(precio(c, "10003", "PVP").value(0), QVariant(1234.0)) << "1.234 with a decimal comma";
    EXPECT_EQ(precio(c, "10003", "MAY").value(0), QVariant(7.0));
    EXPECT_EQ(precio(c, "10002", "PVP"), pvp2) << "the refused row writes nothing";
    EXPECT_EQ(precio(c, "10002", "MAY"), may2);
    const QString incidencias = c.canal.incidences().join(QLatin1Char('\n'));
    for (const char* texto :
         {"Fila 3, columna P2: «» está vacía: el precio de la tarifa 2 no cambia.",
          "Fila 5, columna P1: «9500000000000» precio 1, IMPORTEVENTACONIVA «10450000000000»: no cabe en la "
          "columna IMPORTEVENTACONIVA (hasta ±9999999999999,99); la fila no se escribe."})
        EXPECT_TRUE(incidencias.contains(QString::fromUtf8(texto))) << incidencias.toStdString();
    EXPECT_FALSE(incidencias.contains(QStringLiteral("leído"))) << "the file shows its decimal comma";

    // Without a number that settles it, "1.500" is read as 1500 and the load says so.
    QFile g(libro);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly | QIODevice::Truncate));
    g.write("CODIGO;NOMBRE;P1\n;;General\n10001;Uno;1.500\n");
    g.close();
    c.canal.clear();
    ASSERT_EQ(c.tarifas.cargarTarifas(libro), 1);
    EXPECT_TRUE(c.canal.incidences()
                    .join(QLatin1Char('\n'))
                    .contains(QStringLiteral("Fila 3, columna C: «1.500» se ha leído como 1500, con el punto "
                                             "como separador de millares")))
        << c.canal.incidences().join(QLatin1Char('\n')).toStdString();
}

// Loaded, reviewed and written through the page, then the same through qdimport.
TEST(Tarifas, PageAndHeadlessImporterLeaveTheSameDatabase) {
    Conexion gui;
    preparar(gui);
    const QString libro = gui.libro(QStringLiteral("tarifas.xlsx"), kLibro);
    {
        QString fichero;
        PaginaTarifas pagina(gui.d, fichero);
        pagina.show();
        pagina.alMostrarPrimeraVez();
        for (const auto& [n, codigo] : {std::pair{0, "PVP"}, std::pair{1, "MAY"}}) {
            pagina.lookup(n)->setText(QString::fromLatin1(codigo));
            pagina.lookup(n)->ConfirmarCambios();
        }
        ASSERT_EQ(pagina.opciones().IDTarifa2, 2);
        pagina.selector()->setText(libro);
        pagina.botonCargar()->click();
        auto* grid = pagina.findChild<TkvDBGrid*>(QStringLiteral("kvDBGridTarifas"));
        EXPECT_EQ(grid->model()->rowCount(), 4);
        EXPECT_EQ(grid->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("GENERAL"));
        auto* importar = pagina.findChild<QPushButton*>(QStringLiteral("kvBotonConfirmarTarifas"));
        ASSERT_TRUE(importar->isVisible());
        importar->click();
        EXPECT_FALSE(pagina.ocupado());
    }
    qd::test::TempDatabase cli;
    {
        auto a = cli.attach();
        for (const char* sql :
             {"INSERT INTO TABLAIVA (IDTABLAIVA, CODIGO, NOMBRE, PORCENTAJEIVA) VALUES (9, '105', "
              "'PRUEBA', 10.5)",
              "UPDATE ARTICULOS SET IVA = 9 WHERE CODIGO = '10002'",
              "DELETE FROM TARIFASARTICULOS WHERE TARIFA = 2 AND ARTICULO = (SELECT IDARTICULOS FROM "
              "ARTICULOS WHERE CODIGO = '10002')"})
            qd::test::ejecutar(*a, QString::fromLatin1(sql));
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(QD_QDIMPORT),
            {QStringLiteral("--database"), cli.path(), QStringLiteral("--kind"), QStringLiteral("tarifas"),
             QStringLiteral("--tarifa1"), QStringLiteral("PVP"), QStringLiteral("--tarifa2"),
             QStringLiteral("MAY"), libro});
    ASSERT_TRUE(p.waitForFinished(120000));
    ASSERT_EQ(p.exitCode(), 3) << QString::fromUtf8(p.readAll()).toStdString(); // rows not written: exit 3
    EXPECT_EQ(qd::test::volcarTabla(gui.db.path(), QStringLiteral("INTERVALOSTARIFASARTICULOS")),
              qd::test::volcarTabla(cli.path(), QStringLiteral("INTERVALOSTARIFASARTICULOS")));
}

} // namespace
