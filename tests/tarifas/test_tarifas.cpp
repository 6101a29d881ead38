// Sales price lists: rows kept when column 3 is a number, three lists at once, a price of 0 left
// alone and a negative one written, the price with VAT at the full rate, articles not found or not
// in a list told; the page and qdimport leave the same database.
#include <gtest/gtest.h>

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
