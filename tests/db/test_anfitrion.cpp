// The host procedures of the stand-in do what the module relies on: a new line with its stock
// movement and id, the line's amounts written on request, the agents' commission, serial numbers
// linked to lines, the purchase note's totals and the average cost.

#include <gtest/gtest.h>

#include "BdPrueba.h"

using qd::test::BdPrueba;

namespace {

// A sales line for demo note 5 (client 1004, whose agent A02 earns 2.5 %), article 1 (10 % VAT)
// from warehouse 1.
QVariantMap lineaVenta() {
    return {{"PARALBARANVENTA", 5},          {"PARALMACEN", 1},   {"PARARTICULO", 1},
            {"PARNOMBREARTICULO", "ACEITE"}, {"PARIVA", 2},       {"PARPORCENTAJEIVA", 10.0},
            {"PARCANTIDADSTOCK1", 4.0},      {"PARPRECIO", 12.5}, {"PARPRECIODIVISA", 12.5},
            {"PARDESCUENTO1", 20.0},         {"PARESTADO", "P"},  {"INSERTAR_ARTICULO_ASOCIADO", 1}};
}

QVariantMap calculoVenta(int linea, double cantidad, int actualizar) {
    return {{"PARLINEAALBARANVENTA", linea}, {"PARALBARANVENTA", 5},     {"PARARTICULO", 1},
            {"PARCANTIDADSTOCK1", cantidad}, {"PARCANTIDADSTOCK2", 0.0}, {"PARPRECIODIVISA", 12.5},
            {"PARCAMBIODIVISA", 1.0},        {"PARPORCENTAJEIVA", 0.0},  {"PARPORCENTAJERECARGO", 0.0},
            {"PARDESCUENTO1", 20.0},         {"PARDESCUENTO2", 0.0},     {"PARDESCUENTO3", 0.0},
            {"PARACTUALIZARBD", actualizar}};
}

} // namespace

TEST(ProcedimientosAnfitrion, SalesLineGetsItsMovementAmountsAndCommission) {
    BdPrueba bd;
    const double stockAntes = bd.valor("SELECT STOCKACTUAL1 FROM ARTICULOSALMACEN WHERE ALMACEN = 1 AND "
                                       "ARTICULOCARACTERISTICA = 1")
                                  .toDouble();

    const int linea =
        bd.procedimiento("PRINSERTARLINEAALBARANVENTA", lineaVenta())["PARIDLINEAALBARANVENTA"].toInt();
    ASSERT_GT(linea, 0);
    const QVariantMap l =
        bd.fila("SELECT L.ALBARANVENTA, L.NUMEROLINEA, M.ARTICULO, M.ALMACEN, M.CANTIDADSTOCK1 "
                "FROM LINEASALBARANVENTA L INNER JOIN MOVIMIENTOSALMACEN M "
                "ON (M.IDMOVIMIENTOSALMACEN = L.MOVIMIENTOALMACEN) WHERE L.IDLINEASALBARANVENTA = :L",
                {{"L", linea}});
    EXPECT_EQ(qd::test::texto(l), "ALBARANVENTA=5; ALMACEN=1; ARTICULO=1; CANTIDADSTOCK1=-4; NUMEROLINEA=1");
    EXPECT_DOUBLE_EQ(bd.valor("SELECT STOCKACTUAL1 FROM ARTICULOSALMACEN WHERE ALMACEN = 1 AND "
                              "ARTICULOCARACTERISTICA = 1")
                         .toDouble(),
                     stockAntes - 4);

    // Without writing: the figures come back, the line keeps its zero amounts.
    QVariantMap r = bd.procedimiento("PRCALCULOLINEAALBARANVENTA", calculoVenta(linea, 8, 0));
    EXPECT_DOUBLE_EQ(r["PARIMPORTEBRUTO"].toDouble(), 100);
    EXPECT_DOUBLE_EQ(bd.valor("SELECT IMPORTELINEA FROM LINEASALBARANVENTA WHERE IDLINEASALBARANVENTA = :L",
                              {{"L", linea}})
                         .toDouble(),
                     0);

    // Writing: 4 × 12.5 = 50, 20 % off = 40, VAT at the line's own 10 % = 4.
    r = bd.procedimiento("PRCALCULOLINEAALBARANVENTA", calculoVenta(linea, 4, 1));
    EXPECT_DOUBLE_EQ(r["PARBASECOMISION"].toDouble(), 40);
    EXPECT_EQ(
        qd::test::texto(
            bd.fila("SELECT IMPORTEBRUTO, IMPORTEDESCUENTOS, IMPORTELINEA, IMPORTEIVA, "
                    "PORCENTAJEDESCUENTOS FROM LINEASALBARANVENTA WHERE IDLINEASALBARANVENTA = :L",
                    {{"L", linea}})),
        "IMPORTEBRUTO=50; IMPORTEDESCUENTOS=10; IMPORTEIVA=4; IMPORTELINEA=40; PORCENTAJEDESCUENTOS=20");

    r = bd.procedimiento(
        "PRCALCULOCOMISIONLINEAALBVTA",
        {{"PARLINEAALBARANVENTA", linea}, {"PARALBARANVENTA", 5}, {"PARBASECOMISION", 40.0}});
    EXPECT_DOUBLE_EQ(r["PARIMPORTECOMISIONES"].toDouble(), 1.0);
    // Recalculating the commission replaces it instead of adding a second one.
    bd.procedimiento("PRCALCULOCOMISIONLINEAALBVTA",
                     {{"PARLINEAALBARANVENTA", linea}, {"PARALBARANVENTA", 5}, {"PARBASECOMISION", 40.0}});
    EXPECT_EQ(
        qd::test::texto(bd.fila("SELECT COUNT(*) AS N, SUM(IMPORTECOMISION) AS TOTAL, MAX(AGENTE) AS AGENTE "
                                "FROM AGENTESLINEASALBARANVENTA WHERE LINEAALBARANVENTA = :L",
                                {{"L", linea}})),
        "AGENTE=2; N=1; TOTAL=1");
}

TEST(ProcedimientosAnfitrion, SerialNumberIsCreatedAndLinkedToTheLine) {
    BdPrueba bd;
    const int linea =
        bd.procedimiento("PRINSERTARLINEAALBARANVENTA", lineaVenta())["PARIDLINEAALBARANVENTA"].toInt();
    const int serie = bd.procedimiento("PRINSERTARNUMEROSSERIE", {{"PARNUMEROSERIE", "SN-1"},
                                                                  {"PARDISPONIBLE", 1},
                                                                  {"PARARTICULO", 1},
                                                                  {"PARALMACEN", 1}})["PARIDNUMEROSSERIE"]
                          .toInt();
    ASSERT_GT(serie, 0);
    EXPECT_TRUE(
        bd.valor("SELECT LINEAALBARANVENTA FROM NUMEROSSERIE WHERE IDNUMEROSSERIE = :S", {{"S", serie}})
            .isNull());

    bd.procedimiento("PRINSERTARMOVNSERIEVENTA",
                     {{"PARIDNUMEROSSERIE", serie}, {"PARLINEAALBARANVENTA", linea}, {"PARESDEVOLUCION", 0}});
    EXPECT_EQ(bd.valor("SELECT LINEAALBARANVENTA FROM NUMEROSSERIE WHERE IDNUMEROSSERIE = :S", {{"S", serie}})
                  .toInt(),
              linea);
    EXPECT_EQ(bd.valor("SELECT COUNT(*) FROM MOVIMIENTOSNUMEROSSERIE WHERE NUMEROSERIE = :S", {{"S", serie}})
                  .toInt(),
              1);

    // A serial number that does not exist is an error, not a silent no-op.
    EXPECT_THROW(
        bd.procedimiento("PRINSERTARMOVNSERIEVENTA",
                         {{"PARIDNUMEROSSERIE", 0}, {"PARLINEAALBARANVENTA", linea}, {"PARESDEVOLUCION", 0}}),
        std::exception);
}

TEST(ProcedimientosAnfitrion, PurchaseNoteTotalsAndAverageCost) {
    BdPrueba bd;
    bd.ejecutar(
        "UPDATE ALBARANESCOMPRA SET IMPORTEALBARAN = 0, BASEIMPONIBLE = 0 WHERE IDALBARANESCOMPRA = 1");
    bd.procedimiento("PRCALCULOALBARANCOMPRA", {{"PARALBARANCOMPRA", 1}});
    const QVariantMap lineas = bd.fila("SELECT SUM(IMPORTELINEA) AS BASE, SUM(IMPORTEIVA) AS IVA FROM "
                                       "LINEASALBARANCOMPRA WHERE ALBARANCOMPRA = 1");
    const QVariantMap cabecera =
        bd.fila("SELECT BASEIMPONIBLE, IMPORTEIVA, IMPORTEALBARAN FROM ALBARANESCOMPRA "
                "WHERE IDALBARANESCOMPRA = 1");
    EXPECT_GT(lineas["BASE"].toDouble(), 0);
    EXPECT_NEAR(cabecera["BASEIMPONIBLE"].toDouble(), lineas["BASE"].toDouble(), 1e-9);
    EXPECT_NEAR(cabecera["IMPORTEALBARAN"].toDouble(), lineas["BASE"].toDouble() + lineas["IVA"].toDouble(),
                1e-9);

    // Quantity 0: the net price itself. 10 units at 9 net over the stock at the old cost: the
    // weighted average.
    EXPECT_DOUBLE_EQ(bd.procedimiento("PRCALCULOPMC", {{"PARARTICULO", 1},
                                                       {"PARCANTIDAD", 0.0},
                                                       {"PARPRECIO", 10.0},
                                                       {"PARDESCUENTOS", 10.0}})["PARPMC"]
                         .toDouble(),
                     9);
    bd.ejecutar("UPDATE ARTICULOSALMACEN SET STOCKACTUAL1 = 15 WHERE ARTICULOCARACTERISTICA = 1");
    bd.ejecutar("UPDATE ARTICULOS SET PRECIOMEDIOCOSTE = 4 WHERE IDARTICULOS = 1");
    EXPECT_DOUBLE_EQ(bd.procedimiento("PRCALCULOPMC", {{"PARARTICULO", 1},
                                                       {"PARCANTIDAD", 10.0},
                                                       {"PARPRECIO", 10.0},
                                                       {"PARDESCUENTOS", 10.0}})["PARPMC"]
                         .toDouble(),
                     (30 * 4 + 10 * 9) / 40.0);
}
