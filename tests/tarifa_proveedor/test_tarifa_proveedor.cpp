// The supplier price-list import against copies of the template database: a small workbook with
// its titles on row 3 (columns B to F), linked columns, the staged values beside the stored ones,
// and the confirmation's effect on the supplier record, the article card and its formats.
#include <gtest/gtest.h>

#include "FixtureTarifaProveedor.h"

namespace {

using namespace tarifa_proveedor;
using qd::test::consultar;
using qd::test::ejecutar;

// Finds the staged row of an article.
bool irA(TkvRxMemoryData& t, int articulo) {
    for (t.first(); !t.eof(); t.next())
        if (t.value(QStringLiteral("IdArticulo")).toInt() == articulo) return true;
    return t.recordCount() > 0 && t.value(QStringLiteral("IdArticulo")).toInt() == articulo;
}

TEST(TarifaProveedor, CargaEnlazaColumnasYGuardaValoresAnteriores) {
    Fixture fx;
    Conexion cx(fx.db);
    auto o = fx.opciones();
    o.AplicarDtos = true;
    o.Dtos = {10, 5, 0};
    o.DtosEnCostoReal = true;
    // Only the two references of the supplier's records are staged; the prefix is taken off
    // its start only, and stored references match whatever their case.
    ASSERT_EQ(cx.tarifa.cargarTarifaProveedor(fx.libro, o), 2);
    auto& t = cx.tarifa.RxTarifaProveedor;
    ASSERT_TRUE(irA(t, fx.a));
    EXPECT_EQ(t.value(QStringLiteral("REFERENCIA_PROVEEDOR")).toString(), QStringLiteral("AB-12AB"));
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("PRECIO")).toDouble(), 100); // "PRECIO", not "PRECIO NETO"
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("ANTERIOR_PRECIO")).toDouble(), 50);
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("ANTERIOR_COSTOREAL")).toDouble(), 45);
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("DESCUENTO")).toDouble(), 14.5);
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("COSTOREAL")).toDouble(), 85.5);
    EXPECT_EQ(t.value(QStringLiteral("IdProveedorHabitual")).toInt(), fx.proveedor);
    ASSERT_TRUE(irA(t, fx.b));
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("ANTERIOR_PRECIO")).toDouble(), 70);
    // The unmatched row is told, not silently lost, naming the column by its title on row 3.
    EXPECT_TRUE(
        cx.canal.incidences().join(QLatin1Char('\n')).contains(QStringLiteral("Fila 6, columna REF: «NOPE»")))
        << cx.canal.incidences().join(QLatin1Char('\n')).toStdString();

    // A missing supplier or no links stop the load with the user's text.
    auto sin = o;
    sin.IdProveedor = 0;
    EXPECT_THROW(cx.tarifa.cargarTarifaProveedor(fx.libro, sin), qd::ErrorImportacion);
    sin = o;
    sin.Enlaces = {QStringLiteral("NO ESTA<-->PRECIO")};
    EXPECT_THROW(cx.tarifa.cargarTarifaProveedor(fx.libro, sin), qd::ErrorImportacion);
}

// Total discount and real cost: every positive discount counts in both, in turn.
TEST(TarifaProveedor, DescuentosYCostoReal) {
    Fixture fx;
    Conexion cx(fx.db);
    struct Caso {
        std::array<double, 3> dtos;
        bool enCosto;
        double total, costo;
    };
    const Caso casos[] = {
        {{10, 5, 0}, true, 14.5, 85.5}, {{0, 10, 5}, true, 14.5, 85.5},   {{10, 5, 0}, false, 14.5, 100},
        {{0, 0, 0}, true, 0, 100},      {{12.5, 0, 0}, true, 12.5, 87.5},
    };
    for (const Caso& c : casos) {
        auto o = fx.opciones();
        o.AplicarDtos = true;
        o.Dtos = c.dtos;
        o.DtosEnCostoReal = c.enCosto;
        cx.tarifa.cargarTarifaProveedor(fx.libro, o);
        auto& t = cx.tarifa.RxTarifaProveedor;
        ASSERT_TRUE(irA(t, fx.a));
        SCOPED_TRACE(QStringLiteral("%1/%2/%3").arg(c.dtos[0]).arg(c.dtos[1]).arg(c.dtos[2]).toStdString());
        EXPECT_DOUBLE_EQ(t.value(QStringLiteral("DESCUENTO")).toDouble(), c.total);
        EXPECT_DOUBLE_EQ(t.value(QStringLiteral("COSTOREAL")).toDouble(), c.costo);
    }
    // Without new discounts the stored ones stay.
    auto o = fx.opciones();
    cx.tarifa.cargarTarifaProveedor(fx.libro, o);
    ASSERT_TRUE(irA(cx.tarifa.RxTarifaProveedor, fx.a));
    EXPECT_DOUBLE_EQ(cx.tarifa.RxTarifaProveedor.value(QStringLiteral("DESCUENTO")).toDouble(), 10);
    // Typed discounts take a comma or a point.
    EXPECT_DOUBLE_EQ(qd::OpcionesTarifaProveedor::leerDescuento(QStringLiteral("12,5")), 12.5);
    EXPECT_DOUBLE_EQ(qd::OpcionesTarifaProveedor::leerDescuento(QStringLiteral("12.5")), 12.5);
    EXPECT_DOUBLE_EQ(qd::OpcionesTarifaProveedor::leerDescuento(QStringLiteral("x")), 0);
    EXPECT_DOUBLE_EQ(ImportacionTarifaProveedor::Redondear(12.3456, 2), 12.35);
    EXPECT_DOUBLE_EQ(ImportacionTarifaProveedor::Redondear(-2.5, 0), -3);
}

// The price cell of A's row (row 4) and A's stored discount against what the load makes of them:
// an empty price keeps the stored one, a price that is no number or does not fit its column and a
// discount outside 0 to 100 % refuse the row, each told with the row, the column and the value.
TEST(TarifaProveedor, PreciosVaciosOImposiblesYDescuentosFueraDeRango) {
    Fixture fx;
    Conexion cx(fx.db);
    struct Caso {
        const char* precio; // the cell as written in the ';' file
        double descuento1;  // A's stored first discount
        bool cargada;       // A's row staged
        double staged;      // its price when staged
        const char* incidencia;
    };
    const Caso casos[] = {
        {"", 10, true, 50, "Fila 4, columna PRECIO: «» está vacía: se mantienen el precio guardado (50)"},
        {"1.234,5", 10, true, 1234.5, nullptr},
        {"\"12,5\"", 10, true, 12.5, nullptr},
        {"abc", 10, false, 0, "Fila 4, columna PRECIO: «abc» no es un precio; la fila no se carga."},
        {"1e300", 10, false, 0,
         "Fila 4: PRECIO «1e+300»: no cabe en la columna PRECIO (hasta ±9999999999999,99); la fila no se "
         "carga."},
        {"100", 120, false, 0,
         "Fila 4: DESCUENTO1 «120»: un descuento va de 0 a 100 %; la fila no se carga."},
        {"100", -5, false, 0, "Fila 4: DESCUENTO1 «-5»: un descuento va de 0 a 100 %"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.precio);
        // through the import's own transaction, which sees it at once
        cx.d.Ejecutar_Sentencia(QStringLiteral("UPDATE ARTICULOSPROVEEDORES SET DESCUENTO1 = :D WHERE "
                                               "ARTICULO = :A AND PROVEEDOR = :P"),
                                {{QStringLiteral("D"), c.descuento1},
                                 {QStringLiteral("A"), fx.a},
                                 {QStringLiteral("P"), fx.proveedor}});
        const QString libro = fx.dir.filePath(QStringLiteral("precios.csv"));
        QFile f(libro);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(";;;;;\n;;;;;\n;REF;PRECIO NETO;PRECIO;EAN;NOMBRE\n;ab-12AB;1;") + c.precio +
                ";;Uno\n;XY-7;1;80;;Dos\n");
        f.close();
        cx.canal.clear();
        auto o = fx.opciones();
        o.DtosEnCostoReal = true;
        EXPECT_EQ(cx.tarifa.cargarTarifaProveedor(libro, o), c.cargada ? 2 : 1);
        auto& t = cx.tarifa.RxTarifaProveedor;
        EXPECT_EQ(irA(t, fx.a), c.cargada);
        if (c.cargada) {
            EXPECT_DOUBLE_EQ(t.value(QStringLiteral("PRECIO")).toDouble(), c.staged);
            EXPECT_DOUBLE_EQ(t.value(QStringLiteral("COSTOREAL")).toDouble(),
                             ImportacionTarifaProveedor::Redondear(c.staged * 0.9, 2));
        }
        const QString incidencias = cx.canal.incidences().join(QLatin1Char('\n'));
        if (c.incidencia)
            EXPECT_TRUE(incidencias.contains(QString::fromUtf8(c.incidencia))) << incidencias.toStdString();
        else
            EXPECT_FALSE(incidencias.contains(QStringLiteral("Fila 4"))) << incidencias.toStdString();
    }
    // A discount typed in the options outside 0 to 100 % stops the load before it starts.
    auto o = fx.opciones();
    o.AplicarDtos = true;
    o.Dtos = {10, 150, 0};
    EXPECT_THROW(cx.tarifa.cargarTarifaProveedor(fx.libro, o), qd::ErrorImportacion);
    // Rounding a price too large for decimals keeps it instead of overflowing.
    EXPECT_DOUBLE_EQ(ImportacionTarifaProveedor::Redondear(1e300, 2), 1e300);
    EXPECT_DOUBLE_EQ(ImportacionTarifaProveedor::Redondear(-1e17, 2), -1e17);
}

TEST(TarifaProveedor, ConfirmacionActualizaFichaTarjetaYFormatos) {
    Fixture fx;
    Conexion cx(fx.db);
    auto o = fx.opciones();
    o.AplicarDtos = true;
    o.Dtos = {10, 5, 0};
    o.DtosEnCostoReal = true;
    o.CodigoEAN = true;
    o.CostosEnFicha = true;
    o.CatalogoWEB = true;
    ASSERT_EQ(cx.tarifa.cargarTarifaProveedor(fx.libro, o), 2);

    // A dry run leaves everything as it was.
    qd::OpcionesMotor simular;
    simular.simular = true;
    cx.tarifa.confirmarTarifaProveedor(o, simular);
    EXPECT_DOUBLE_EQ(fx.ficha(fx.a).value(0).toDouble(), 50);

    const auto r = cx.tarifa.confirmarTarifaProveedor(o);
    EXPECT_EQ(r.Actualizados, 2);
    EXPECT_TRUE(r.texto.contains(QStringLiteral("¡¡ PROCESO TERMINADO !!")));
    const auto fa = fx.ficha(fx.a);
    EXPECT_DOUBLE_EQ(fa.value(0).toDouble(), 100);
    EXPECT_DOUBLE_EQ(fa.value(1).toDouble(), 100);
    EXPECT_DOUBLE_EQ(fa.value(2).toDouble(), 85.5);
    EXPECT_DOUBLE_EQ(fa.value(3).toDouble(), 14.5);
    EXPECT_EQ(fa.value(4).toString().trimmed(), QStringLiteral("-12AB")); // as it matched
    EXPECT_EQ(fa.value(5).toInt(), 1);
    EXPECT_TRUE(fa.value(7).toString().startsWith(QStringLiteral("Importación Excel: [")));
    auto c = fx.db.attach();
    // A new principal format with the workbook's EAN, linked; an empty EAN creates none.
    const auto formato =
        consultar(*c, QStringLiteral("SELECT CODIGO, PRINCIPALSN, SIGLAFORMATO, ARTICULO FROM "
                                     "FORMATOS WHERE IDFORMATOS = %1")
                          .arg(fa.value(6).toInt()))
            .value(0);
    EXPECT_EQ(formato.value(0).toString().trimmed(), QStringLiteral("8400000000011"));
    EXPECT_EQ(formato.value(1).toInt(), 1);
    EXPECT_EQ(formato.value(2).toString().trimmed(), QStringLiteral("Und"));
    EXPECT_EQ(formato.value(3).toInt(), fx.a);
    EXPECT_TRUE(fx.ficha(fx.b).value(6).isNull());
    // The card: usual supplier's reference and the costs.
    const auto art =
        consultar(*c, QStringLiteral("SELECT REFERENCIAPROVEEDOR, PRECIOULTIMACOMPRA FROM ARTICULOS "
                                     "WHERE IDARTICULOS = %1")
                          .arg(fx.a))
            .value(0);
    EXPECT_EQ(art.value(0).toString().trimmed(), QStringLiteral("-12AB"));
    EXPECT_DOUBLE_EQ(art.value(1).toDouble(), 85.5);

    // The same list loads again after its confirmation: the reference written still matches.
    EXPECT_EQ(cx.tarifa.cargarTarifaProveedor(fx.libro, o), 2);
}

// A record of another company is not looked up, so a confirmation never reports it as written.
TEST(TarifaProveedor, SoloFichasDeLaEmpresa) {
    Fixture fx;
    {
        auto c = fx.db.attach();
        ejecutar(*c, QStringLiteral("UPDATE ARTICULOSPROVEEDORES SET EMPRESA = 2 WHERE ARTICULO = %1 AND "
                                    "PROVEEDOR = %2")
                         .arg(fx.b)
                         .arg(fx.proveedor));
    }
    Conexion cx(fx.db);
    auto o = fx.opciones();
    EXPECT_EQ(cx.tarifa.cargarTarifaProveedor(fx.libro, o), 1);
    const auto r = cx.tarifa.confirmarTarifaProveedor(o);
    EXPECT_EQ(r.Actualizados, 1);
    EXPECT_DOUBLE_EQ(fx.ficha(fx.b).value(0).toDouble(), 70);
}

// A reference matches a record's own reference or its article card's, whatever their case and
// trailing blanks; of the records it matches, the one of an article the supplier usually supplies
// is taken. A reference longer than any stored one matches nothing and stops nothing.
TEST(TarifaProveedor, ReferenciaDeFichaOTarjetaYProveedorHabitual) {
    Fixture fx;
    {
        auto c = fx.db.attach();
        // "ABC-9" is now A's card reference and B's record reference (with blanks after it); B
        // is the article the supplier usually supplies.
        ejecutar(*c, QStringLiteral("UPDATE ARTICULOSPROVEEDORES SET REFERENCIA_PROVEEDOR = 'abc-9  ' WHERE "
                                    "ARTICULO = %1 AND PROVEEDOR = %2")
                         .arg(fx.b)
                         .arg(fx.proveedor));
        ejecutar(
            *c,
            QStringLiteral("UPDATE ARTICULOS SET PROVEEDORHABITUAL = NULL WHERE IDARTICULOS = %1").arg(fx.a));
        ejecutar(*c, QStringLiteral("UPDATE ARTICULOS SET PROVEEDORHABITUAL = %1 WHERE IDARTICULOS = %2")
                         .arg(fx.proveedor)
                         .arg(fx.b));
    }
    const QString libro = fx.dir.filePath(QStringLiteral("referencias.csv"));
    {
        QFile f(libro);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("REF;PRECIO\n"
                "Abc-9;10\n"
                "-12ab;20\n"
                "REFERENCIA-DEMASIADO-LARGA;30\n");
    }
    Conexion cx(fx.db);
    auto o = fx.opciones();
    o.FilaTitulos = 1;
    o.PrefijoReferencia.clear();
    o.Enlaces = {QStringLiteral("REF<-->REFERENCIA_PROVEEDOR"), QStringLiteral("PRECIO<-->PRECIO")};
    ASSERT_EQ(cx.tarifa.cargarTarifaProveedor(libro, o), 2);
    auto& t = cx.tarifa.RxTarifaProveedor;
    t.first();
    EXPECT_EQ(t.value(QStringLiteral("IdArticulo")).toInt(), fx.b);
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("PRECIO")).toDouble(), 10);
    t.next();
    EXPECT_EQ(t.value(QStringLiteral("IdArticulo")).toInt(), fx.a);
    EXPECT_DOUBLE_EQ(t.value(QStringLiteral("PRECIO")).toDouble(), 20);
    EXPECT_TRUE(cx.canal.incidences().join(QLatin1Char('\n')).contains(QStringLiteral("Fila 4")))
        << cx.canal.incidences().join(QLatin1Char('\n')).toStdString();
}

// qdimport with the same workbook, links and options leaves the database as the in-process run.
TEST(TarifaProveedor, QdimportDejaLaMismaBaseDeDatos) {
    Fixture propio, cli;
    const auto ajustar = [](qd::OpcionesTarifaProveedor o) {
        o.AplicarDtos = true;
        o.Dtos = {10, 5, 0};
        o.DtosEnCostoReal = true;
        o.CodigoEAN = true;
        o.CostosEnFicha = true;
        return o;
    };
    {
        Conexion cx(propio.db);
        const auto o = ajustar(propio.opciones());
        auto o2 = o;
        o2.Fichero = cli.libro; // the path both runs write in the observations
        cx.tarifa.cargarTarifaProveedor(cli.libro, o2);
        cx.tarifa.confirmarTarifaProveedor(o2);
    }
    QString codigo;
    {
        auto c = cli.db.attach();
        codigo =
            consultar(
                *c,
                QStringLiteral("SELECT CODIGO FROM PROVEEDORES WHERE IDPROVEEDORES = %1").arg(cli.proveedor))
                .value(0)
                .value(0)
                .toString()
                .trimmed();
    }
    const auto [codigoSalida, salida] = cli.qdimport(codigo, {QStringLiteral("--mostrar-cambios")});
    ASSERT_EQ(codigoSalida, 3) << salida.toStdString(); // a reference the supplier has not: a row not written
    EXPECT_TRUE(salida.contains(QStringLiteral("PRECIO 50.00 -> 100.00"))) << salida.toStdString();
    Fixture::esperarMismasTablas(propio, cli);
}

} // namespace

namespace {

// "Actualizar P.V.P. en las Tarifas seleccionadas": the interval from 1 of the article in each
// chosen list takes the supplier's price, with VAT, profit over the real cost and the discount
// typed (none typed: the interval keeps its own); a list without the article gets nothing.
TEST(TarifaProveedor, ActualizarTarifasEscribeElIntervaloDesde1) {
    Fixture fx;
    int tarifa = 0, sinArticulo = 0;
    double iva = 0;
    {
        auto c = fx.db.attach();
        const auto fila =
            consultar(*c, QStringLiteral("SELECT TA.TARIFA, T.PORCENTAJEIVA FROM TARIFASARTICULOS TA "
                                         "JOIN INTERVALOSTARIFASARTICULOS I ON I.TARIFAARTICULO = "
                                         "TA.IDTARIFASARTICULOS AND I.DESDE = 1 JOIN ARTICULOS A ON "
                                         "A.IDARTICULOS = TA.ARTICULO JOIN TABLAIVA T ON T.IDTABLAIVA = "
                                         "A.IVA WHERE TA.ARTICULO = %1 ROWS 1")
                              .arg(fx.a))
                .value(0);
        ASSERT_FALSE(fila.isEmpty());
        tarifa = fila.value(0).toInt();
        iva = fila.value(1).toDouble();
        ejecutar(*c,
                 QStringLiteral("UPDATE INTERVALOSTARIFASARTICULOS SET PORCENTAJEDESCUENTO = 3 WHERE "
                                "TARIFAARTICULO IN (SELECT IDTARIFASARTICULOS FROM TARIFASARTICULOS WHERE "
                                "ARTICULO = %1 AND TARIFA = %2)")
                     .arg(fx.a)
                     .arg(tarifa));
        sinArticulo =
            consultar(*c, QStringLiteral("SELECT MIN(IDTARIFAS) FROM TARIFAS WHERE IDTARIFAS NOT IN "
                                         "(SELECT TARIFA FROM TARIFASARTICULOS WHERE ARTICULO = %1)")
                              .arg(fx.a))
                .value(0)
                .value(0)
                .toInt();
    }
    Conexion cx(fx.db);
    auto o = fx.opciones();
    o.IDTarifa = {tarifa, sinArticulo, 0};
    o.ActualizarTarifas = true;
    ASSERT_EQ(cx.tarifa.cargarTarifaProveedor(fx.libro, o), 2);
    const auto r = cx.tarifa.confirmarTarifaProveedor(o);
    auto c = fx.db.attach();
    const auto intervalo =
        consultar(*c, QStringLiteral("SELECT I.IMPORTEVENTA, I.IMPORTEVENTACONIVA, "
                                     "I.PORCENTAJEDESCUENTO FROM INTERVALOSTARIFASARTICULOS I JOIN "
                                     "TARIFASARTICULOS TA ON I.TARIFAARTICULO = TA.IDTARIFASARTICULOS "
                                     "WHERE I.DESDE = 1 AND TA.ARTICULO = %1 AND TA.TARIFA = %2")
                          .arg(fx.a)
                          .arg(tarifa))
            .value(0);
    EXPECT_DOUBLE_EQ(intervalo.value(0).toDouble(), 100);
    EXPECT_NEAR(intervalo.value(1).toDouble(), 100 + iva, 0.001);
    EXPECT_DOUBLE_EQ(intervalo.value(2).toDouble(), 3); // no discount typed: the interval's own
    if (sinArticulo > 0) {
        EXPECT_EQ(
            consultar(*c, QStringLiteral("SELECT COUNT(*) FROM TARIFASARTICULOS WHERE ARTICULO = %1 AND "
                                         "TARIFA = %2")
                              .arg(fx.a)
                              .arg(sinArticulo))
                .value(0)
                .value(0)
                .toInt(),
            0);
    }
    EXPECT_GE(r.TarifasActualizadas, 1);
}

// Written: an empty price leaves A's record (price, recommended price) and its sales price list as
// they were; a price whose price-list result does not fit the interval's column refuses the whole
// row (its supplier record too), and the next row is written.
TEST(TarifaProveedor, PrecioVacioNoCambiaNadaYResultadoFueraDeRangoRechazaLaFila) {
    Fixture fx;
    int tarifa = 0;
    auto intervalo = [&](int articulo) {
        auto c = fx.db.attach();
        return consultar(*c, QStringLiteral("SELECT I.IMPORTEVENTA FROM INTERVALOSTARIFASARTICULOS I JOIN "
                                            "TARIFASARTICULOS TA ON I.TARIFAARTICULO = TA.IDTARIFASARTICULOS "
                                            "WHERE I.DESDE = 1 AND TA.ARTICULO = %1 AND TA.TARIFA = %2")
                                 .arg(articulo)
                                 .arg(tarifa))
            .value(0)
            .value(0);
    };
    {
        auto c = fx.db.attach();
        tarifa = consultar(*c, QStringLiteral("SELECT MIN(TA.TARIFA) FROM TARIFASARTICULOS TA JOIN "
                                              "INTERVALOSTARIFASARTICULOS I ON I.TARIFAARTICULO = "
                                              "TA.IDTARIFASARTICULOS AND I.DESDE = 1 WHERE TA.ARTICULO = %1")
                                   .arg(fx.a))
                     .value(0)
                     .value(0)
                     .toInt();
        ejecutar(*c, QStringLiteral("UPDATE ARTICULOSPROVEEDORES SET PVPRECOMENDADO = 66 WHERE ARTICULO = %1 "
                                    "AND PROVEEDOR = %2")
                         .arg(fx.a)
                         .arg(fx.proveedor));
    }
    ASSERT_GT(tarifa, 0);
    const QVariant antes = intervalo(fx.a);
    const struct {
        const char* precioA;
        QVariantList fichaA; // PRECIO, PVPRECOMENDADO, COSTOREAL after the run
        QVariant intervaloA;
        const char* incidencia;
    } casos[] = {
        {"", {50.0, 66.0, 45.0}, antes, "está vacía"},
        // 5e12 fits the record's price; the price list's price with its three decimals does not
        {"5000000000000",
         {50.0, 66.0, 45.0},
         antes,
         "IMPORTEVENTA «5000000000000»: no cabe en la columna IMPORTEVENTA"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.precioA);
        const QString libro = fx.dir.filePath(QStringLiteral("precios.csv"));
        QFile f(libro);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(";;;;;\n;;;;;\n;REF;PRECIO NETO;PRECIO;EAN;NOMBRE\n;ab-12AB;1;") + caso.precioA +
                ";;Uno\n;XY-7;1;80;;Dos\n");
        f.close();
        Conexion cx(fx.db);
        auto o = fx.opciones();
        o.DtosEnCostoReal = true;
        o.IDTarifa = {tarifa, 0, 0};
        o.ActualizarTarifas = true;
        ASSERT_EQ(cx.tarifa.cargarTarifaProveedor(libro, o), 2);
        qd::OpcionesMotor motor;
        motor.continuar = true;
        cx.tarifa.confirmarTarifaProveedor(o, motor);
        EXPECT_EQ(fx.ficha(fx.a).mid(0, 3), caso.fichaA);
        EXPECT_EQ(intervalo(fx.a), caso.intervaloA);
        EXPECT_EQ(fx.ficha(fx.b).value(0), QVariant(80.0)) << "the next row is written";
        const QString incidencias = cx.canal.incidences().join(QLatin1Char('\n'));
        EXPECT_TRUE(incidencias.contains(QString::fromUtf8(caso.incidencia))) << incidencias.toStdString();
    }
}

} // namespace
