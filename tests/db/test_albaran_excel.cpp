// PRCALCULOALBARANVENTA_EXCEL, the sales delivery-note recalculation the module installs, on
// small hand-made delivery notes whose figures are worked out by hand below.

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "BdPrueba.h"

using qd::test::BdPrueba;

namespace {

constexpr int kAlbaran = 900;

struct Linea {
    double bruto;
    double descuentos;
    double importe; // ImporteLinea: net of the line's own discounts, before VAT
    double porIva;
    double porRecargo;
    int iva;
    double cantidad = 0;
    double puntoVerde = 0;
};

struct Caso {
    const char* nombre;
    QVariantMap cabecera; // header columns that differ from the plain note below
    std::vector<Linea> lineas;
    QStringList preparacion; // statements run before the note is created
    QVariantMap esperado;    // header column → value after the recalculation
};

void PrintTo(const Caso& c, std::ostream* os) {
    *os << c.nombre;
}

// Company 1 of the demo: carriage VAT type 21 % / 5.2 %, financing VAT type the same, financial
// VAT off. Client 1 has no footer discount, client 2 has 5 %. Payment method 2 has no advance,
// 5 an advance of 10 %. Regime 1 is the general one (no surcharge), 2 the surcharge one.
QVariantMap cabeceraBase() {
    return {{"EMPRESA", 1},
            {"SERIEDOCUMENTO", 1},
            {"NUMERO", 900},
            {"CLIENTE", 1},
            {"FORMAPAGO", 2},
            {"REGIMENIVA", 1},
            {"PORTES", 0.0},
            {"GASTOS", 0.0},
            {"TIPODESCUENTOPP", "P"},
            {"PORCENTAJEDESCUENTOPP", 0.0},
            {"TIPODESCUENTOCOMERCIAL", "P"},
            {"PORCENTAJEDESCUENTOCOMER", 0.0},
            {"IMPORTEDESCUENTOCOMERCIAL", 0.0},
            {"IMPORTEDESCUENTOPP", 0.0},
            {"APLICARIVASN", 1},
            {"APLICARRECARGOSN", 0},
            {"APLICARDTOSOBREIVA", 0},
            {"APLICARFINCSOBREIVA", 0},
            {"PORCENTAJEIVAPORTESGASTOS", 0.0},
            {"PORCENTAJERECARGOPORTESGA", 0.0},
            {"PORCENTAJEFINANCIACION", 0.0}};
}

void crearAlbaran(BdPrueba& bd, const Caso& c) {
    QVariantMap cabecera = cabeceraBase();
    for (auto it = c.cabecera.begin(); it != c.cabecera.end(); ++it)
        cabecera[it.key()] = it.value();
    cabecera["IDALBARANESVENTA"] = kAlbaran;
    const QStringList columnas = cabecera.keys();
    QStringList valores;
    for (const QString& col : columnas)
        valores << ":" + col;
    bd.ejecutar("INSERT INTO ALBARANESVENTA (" + columnas.join(", ") + ") VALUES (" + valores.join(", ") +
                    ")",
                cabecera);
    for (const Linea& l : c.lineas)
        bd.ejecutar(
            "INSERT INTO LINEASALBARANVENTA (ALBARANVENTA, IMPORTEBRUTO, IMPORTEDESCUENTOS, IMPORTELINEA, "
            "PORCENTAJEIVA, PORCENTAJERECARGO, IVA, CANTIDADSTOCK1, PRECIOPUNTOVERDE) VALUES (:A, :B, :D, "
            ":L, :PI, :PR, :I, :C, :V)",
            {{"A", kAlbaran},
             {"B", l.bruto},
             {"D", l.descuentos},
             {"L", l.importe},
             {"PI", l.porIva},
             {"PR", l.porRecargo},
             {"I", l.iva},
             {"C", l.cantidad},
             {"V", l.puntoVerde}});
}

QVariantMap recalcular(BdPrueba& bd, const QStringList& columnas) {
    bd.ejecutar("EXECUTE PROCEDURE PRCALCULOALBARANVENTA_EXCEL(:PARALBARANVENTA)",
                {{"PARALBARANVENTA", kAlbaran}});
    return bd.fila("SELECT " + columnas.join(", ") + " FROM ALBARANESVENTA WHERE IDALBARANESVENTA = :A",
                   {{"A", kAlbaran}});
}

const Linea kMil21{1000, 0, 1000, 21, 5.2, 1};

const std::vector<Caso> kCasos = {
    {"NoLinesStillTaxesTheExpenses",
     {{"PORTES", 10.0}, {"GASTOS", 5.0}},
     {},
     {},
     // Expenses 15 at the company's carriage type (21 %); the general regime has no surcharge.
     {{"IMPORTEBRUTO", 0.0},
      {"IMPORTEDESCUENTOLINEAS", 0.0},
      {"IMPORTEGASTOS", 15.0},
      {"BASEIMPONIBLE", 15.0},
      {"IMPORTEIVA", 3.15},
      {"IMPORTERECARGO", 0.0},
      {"IMPORTEALBARAN", 18.15},
      {"IMPORTEDESCUENTOS", 0.0},
      {"PORCENTAJERECARGOPORTESGA", 0.0}}},
    {"NoLinesKeepTheFooterPercentOfTheHeader",
     {{"PORCENTAJEDESCUENTOCOMER", 7.0}},
     {},
     {},
     {{"PORCENTAJEDESCUENTOCOMER", 7.0}, {"IMPORTEDESCUENTOCOMERCIAL", 0.0}, {"IMPORTEALBARAN", 0.0}}},
    {"EmptyExpensesDoNotCancelCarriage",
     {{"PORTES", 10.0}, {"GASTOS", QVariant()}},
     {},
     {},
     {{"IMPORTEGASTOS", 10.0}, {"BASEIMPONIBLE", 10.0}, {"IMPORTEIVA", 2.1}, {"IMPORTEALBARAN", 12.1}}},
    {"TwoVatGroupsEachTakeTheFooterDiscount",
     {{"PORCENTAJEDESCUENTOCOMER", 10.0}},
     {{110, 10, 100, 21, 0, 1}, {50, 0, 50, 21, 0, 1}, {220, 20, 200, 10, 0, 2}},
     {},
     // 21 %: 150 − 15 = 135, VAT 28.35. 10 %: 200 − 20 = 180, VAT 18.
     {{"IMPORTEBRUTO", 380.0},
      {"IMPORTEDESCUENTOLINEAS", 30.0},
      {"IMPORTEDESCUENTOCOMERCIAL", 35.0},
      {"PORCENTAJEDESCUENTOCOMER", 10.0},
      {"BASEIMPONIBLE", 315.0},
      {"IMPORTEIVA", 46.35},
      {"IMPORTEALBARAN", 361.35},
      {"IMPORTEDESCUENTOS", 65.0}}},
    {"FooterPercentComesFromTheClient",
     {{"CLIENTE", 2}},
     {{200, 0, 200, 21, 0, 1}},
     {},
     {{"IMPORTEDESCUENTOCOMERCIAL", 10.0},
      {"PORCENTAJEDESCUENTOCOMER", 5.0},
      {"BASEIMPONIBLE", 190.0},
      {"IMPORTEIVA", 39.9},
      {"IMPORTEALBARAN", 229.9}}},
    {"PromptPaymentExcludesFinancing",
     {{"PORCENTAJEDESCUENTOPP", 2.0}, {"PORCENTAJEFINANCIACION", 3.0}},
     {kMil21},
     {},
     {{"IMPORTEDESCUENTOPP", 20.0},
      {"PORCENTAJEDESCUENTOPP", 2.0},
      {"BASEIMPONIBLE", 980.0},
      {"IMPORTEIVA", 205.8},
      {"IMPORTEFINANCIACION", 0.0},
      {"PORCENTAJEFINANCIACION", 3.0},
      {"IMPORTEALBARAN", 1185.8},
      {"IMPORTEDESCUENTOS", 20.0}}},
    {"FinancingWithoutFinancialVatIsAddedUntaxed",
     {{"PORCENTAJEFINANCIACION", 3.0}},
     {kMil21},
     {},
     {{"IMPORTEFINANCIACION", 30.0},
      {"BASEIMPONIBLE", 1000.0},
      {"IMPORTEIVA", 210.0},
      {"IMPORTEALBARAN", 1240.0}}},
    {"FinancingOverTheAmountWithVat",
     {{"PORCENTAJEFINANCIACION", 3.0}, {"APLICARFINCSOBREIVA", 1}},
     {kMil21},
     {},
     {{"IMPORTEFINANCIACION", 36.3}, {"BASEIMPONIBLE", 1000.0}, {"IMPORTEALBARAN", 1246.3}}},
    {"FinancialVatPutsFinancingInTheBase",
     {{"PORCENTAJEFINANCIACION", 3.0}},
     {kMil21},
     {"UPDATE EMPRESAS SET APLICARIVAFINANCIACION = 1 WHERE IDEMPRESAS = 1"},
     // Financing 30 bears the financing type's 21 %: 6.3.
     {{"IMPORTEFINANCIACION", 30.0},
      {"BASEIMPONIBLE", 1030.0},
      {"IMPORTEIVA", 216.3},
      {"IMPORTEALBARAN", 1246.3}}},
    {"PromptPaymentOverVat",
     {{"PORCENTAJEDESCUENTOPP", 2.0}, {"APLICARDTOSOBREIVA", 1}},
     {kMil21},
     {},
     {{"IMPORTEDESCUENTOPP", 24.2},
      {"BASEIMPONIBLE", 1000.0},
      {"IMPORTEIVA", 210.0},
      {"IMPORTEALBARAN", 1185.8}}},
    {"PromptPaymentOverVatSkippedWithFinancingPercent",
     {{"PORCENTAJEDESCUENTOPP", 2.0}, {"APLICARDTOSOBREIVA", 1}, {"PORCENTAJEFINANCIACION", 3.0}},
     {kMil21},
     {},
     {{"IMPORTEDESCUENTOPP", 0.0}, {"IMPORTEFINANCIACION", 0.0}, {"IMPORTEALBARAN", 1210.0}}},
    {"AdvanceIsAWholeNumber",
     {{"FORMAPAGO", 5}, {"APLICARIVASN", 0}},
     {{123.45, 0, 123.45, 21, 0, 1}},
     {},
     // 123.45 × 10 % = 12.345 → 12.
     {{"IMPORTEIVA", 0.0}, {"IMPORTEALBARAN", 123.45}, {"IMPORTEENTREGADOINICIAL", 12.0}}},
    {"FixedVatTypeOfTheRegimeTaxesTheExpenses",
     {{"REGIMENIVA", 10}, {"PORTES", 100.0}},
     {},
     {"INSERT INTO REGIMENESIVA (IDREGIMENESIVA, CODIGO, NOMBRE, APLICARIVASN, APLICARRECARGOSN, "
      "TIPOIVAFIJO) "
      "VALUES (10, 'FIJ', 'TIPO FIJO REDUCIDO', 1, 1, 2)"},
     // The regime's 10 % / 1.4 %, not the company's 21 %; its surcharge flag replaces the header's 0.
     {{"BASEIMPONIBLE", 100.0},
      {"IMPORTEIVA", 10.0},
      {"IMPORTERECARGO", 1.4},
      {"PORCENTAJERECARGOPORTESGA", 1.4},
      {"IMPORTEALBARAN", 111.4}}},
    {"SurchargeRegimeTaxesLinesAndExpenses",
     {{"REGIMENIVA", 2}, {"APLICARRECARGOSN", 1}, {"PORTES", 10.0}},
     {{100, 0, 100, 21, 5.2, 1}, {100, 0, 100, 10, 1.4, 2}},
     {},
     {{"BASEIMPONIBLE", 210.0},
      {"IMPORTEIVA", 33.1},
      {"IMPORTERECARGO", 7.12},
      {"PORCENTAJERECARGOPORTESGA", 5.2},
      {"IMPORTEALBARAN", 250.22}}},
    {"CommissionsAndGreenDotAreReportedNotAdded",
     {},
     {{100, 0, 100, 21, 5.2, 1, 10, 0.05}},
     {"INSERT INTO AGENTESLINEASALBARANVENTA (ALBARANVENTA, LINEAALBARANVENTA, AGENTE, IMPORTECOMISION) "
      "VALUES (900, 1, 1, 1.5)",
      "INSERT INTO AGENTESLINEASALBARANVENTA (ALBARANVENTA, LINEAALBARANVENTA, AGENTE, IMPORTECOMISION) "
      "VALUES (900, 2, 2, 2.25)"},
     {{"IMPORTECOMISIONES", 3.75},
      {"BASEPUNTOVERDE", 0.5},
      {"IVAPUNTOVERDE", 0.105},
      {"RECARGOPUNTOVERDE", 0.026},
      {"IMPORTEALBARAN", 121.0}}},
    {"CommercialDiscountAsAnAmountIsSpreadOverTheGroups",
     {{"TIPODESCUENTOCOMERCIAL", "I"}, {"IMPORTEDESCUENTOCOMERCIAL", 30.0}},
     {{200, 0, 200, 21, 0, 1}, {100, 0, 100, 10, 0, 2}},
     {},
     // 30 of 300 is 10 %: 21 % group 180 (VAT 37.8), 10 % group 90 (VAT 9).
     {{"IMPORTEDESCUENTOCOMERCIAL", 30.0},
      {"PORCENTAJEDESCUENTOCOMER", 10.0},
      {"BASEIMPONIBLE", 270.0},
      {"IMPORTEIVA", 46.8},
      {"IMPORTEALBARAN", 316.8}}},
    {"PromptPaymentAsAnAmountExcludesFinancing",
     {{"TIPODESCUENTOPP", "I"}, {"IMPORTEDESCUENTOPP", 20.0}, {"PORCENTAJEFINANCIACION", 3.0}},
     {kMil21},
     {},
     {{"IMPORTEDESCUENTOPP", 20.0},
      {"PORCENTAJEDESCUENTOPP", 2.0},
      {"BASEIMPONIBLE", 980.0},
      {"IMPORTEFINANCIACION", 0.0},
      {"IMPORTEALBARAN", 1185.8}}},
};

class RecalculoAlbaranVenta : public ::testing::TestWithParam<Caso> {};

} // namespace

TEST_P(RecalculoAlbaranVenta, HeaderTotalsMatchTheHandFigures) {
    const Caso& c = GetParam();
    BdPrueba bd;
    bd.ejecutarSinParametros(BdPrueba::sentenciasActualizacion().at(0));
    for (const QString& sql : c.preparacion)
        bd.ejecutar(sql);
    crearAlbaran(bd, c);

    const QStringList columnas = c.esperado.keys();
    const QVariantMap primera = recalcular(bd, columnas);
    for (const QString& col : columnas) {
        ASSERT_TRUE(primera.contains(col)) << col.toStdString();
        EXPECT_FALSE(primera[col].isNull()) << col.toStdString();
        EXPECT_NEAR(primera[col].toDouble(), c.esperado[col].toDouble(), 1e-9) << col.toStdString();
    }
    // The figures it writes are the ones it reads again: a second run changes nothing.
    const QVariantMap segunda = recalcular(bd, columnas);
    for (const QString& col : columnas)
        EXPECT_NEAR(segunda[col].toDouble(), primera[col].toDouble(), 1e-9)
            << "second run, " << col.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Casos, RecalculoAlbaranVenta, ::testing::ValuesIn(kCasos),
                         [](const ::testing::TestParamInfo<Caso>& i) { return std::string(i.param.nombre); });

TEST(RecalculoAlbaranVentaDemo, DemoNoteWithSurchargeAndPromptPayment) {
    // Demo note 2 (A/2): surcharge regime, 2 % prompt payment, lines written by the host's own
    // line procedures: 40.02 at 21/5.2, 78.30 at 10/1.4, 13.50 at 21/5.2.
    BdPrueba bd;
    bd.actualizar();
    bd.ejecutar("EXECUTE PROCEDURE PRCALCULOALBARANVENTA_EXCEL(:P)", {{"P", 2}});
    const QVariantMap r =
        bd.fila("SELECT IMPORTEBRUTO, IMPORTEDESCUENTOLINEAS, IMPORTEDESCUENTOPP, BASEIMPONIBLE, "
                "IMPORTEIVA, IMPORTERECARGO, IMPORTEALBARAN, IMPORTECOMISIONES "
                "FROM ALBARANESVENTA WHERE IDALBARANESVENTA = 2");
    const double base21 = (40.02 + 13.50) * 0.98, base10 = 78.30 * 0.98;
    EXPECT_NEAR(r["IMPORTEBRUTO"].toDouble(), 40.02 + 78.30 + 15.00, 1e-9);
    EXPECT_NEAR(r["IMPORTEDESCUENTOLINEAS"].toDouble(), 1.50, 1e-9);
    EXPECT_NEAR(r["IMPORTEDESCUENTOPP"].toDouble(), (40.02 + 13.50 + 78.30) * 0.02, 1e-9);
    EXPECT_NEAR(r["BASEIMPONIBLE"].toDouble(), base21 + base10, 1e-9);
    EXPECT_NEAR(r["IMPORTEIVA"].toDouble(), base21 * 0.21 + base10 * 0.10, 1e-9);
    EXPECT_NEAR(r["IMPORTERECARGO"].toDouble(), base21 * 0.052 + base10 * 0.014, 1e-9);
    EXPECT_NEAR(r["IMPORTEALBARAN"].toDouble(), base21 * 1.262 + base10 * 1.114, 1e-9);
    EXPECT_NEAR(r["IMPORTECOMISIONES"].toDouble(), 1.00 + 1.96 + 0.34, 1e-9);
}
