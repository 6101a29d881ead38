// The demo database, the module's upgrade statements and the two small procedures they install.

#include <gtest/gtest.h>

#include "BdPrueba.h"

using qd::test::BdPrueba;
using qd::test::texto;

namespace {

const QStringList kObjetosPropios{"PRCALCULOALBARANVENTA_EXCEL", "PR_ASIGNAR_DIRENVIO_CLI",
                                  "PRLIMPIARESPACIOSENREFERECIAS"};
// The module's indexes on the suite's tables, with their columns.
const QList<QPair<QString, QString>> kIndicesPropios{
    {"QDIMP_PERSONASCONTACTO_CLI_NOM", "CLIENTE,NOMBRE"},
    {"QDIMP_ARTICULOSALMACEN_ARTICULO", "ARTICULOCARACTERISTICA"},
    {"QDIMP_AGENTESLINEASALBVTA_LINEA", "LINEAALBARANVENTA"},
    {"QDIMP_AGENTESLINEASALBCOM_LINEA", "LINEAALBARANCOMPRA"},
};
constexpr int kSentencias = 17;

// The columns of an index, in order, joined by commas; empty when there is no such index.
QString columnasIndice(BdPrueba& bd, const QString& indice) {
    return bd
        .valor("SELECT LIST(TRIM(RDB$FIELD_NAME), ',') FROM (SELECT RDB$FIELD_NAME FROM RDB$INDEX_SEGMENTS "
               "WHERE RDB$INDEX_NAME = :I ORDER BY RDB$FIELD_POSITION)",
               {{"I", indice}})
        .toString();
}

} // namespace

TEST(BaseDemo, HoldsTheCompanyAndOnlyTheModuleTableOfRunningImports) {
    BdPrueba bd;
    for (const QString& p : kObjetosPropios)
        EXPECT_FALSE(bd.existeProcedimiento(p)) << p.toStdString();
    EXPECT_FALSE(bd.existeTabla("ARTICULOS_REF_A_VERIFICAR"));
    EXPECT_TRUE(bd.existeTabla("QD_IMPORTACIONES"));

    // Accented texts survive the trip through the ISO8859_1 connection.
    EXPECT_EQ(bd.valor("SELECT NOMBRE FROM PAISES WHERE CODIGO = 'ES'").toString(), QString("ESPAÑA"));
    EXPECT_EQ(bd.valor("SELECT CODIGO FROM PAISES WHERE NOMBRE LIKE :P", {{"P", "%PORTUGAL%"}}).toString(),
              "PT");

    EXPECT_EQ(bd.valor("SELECT COUNT(*) FROM ARTICULOS").toInt(), 300);
    EXPECT_EQ(bd.valor("SELECT COUNT(*) FROM ARTICULOS A WHERE (SELECT COUNT(*) FROM ARTICULOSALMACEN S "
                       "WHERE S.ARTICULOCARACTERISTICA = A.IDARTICULOS) <> 2")
                  .toInt(),
              0)
        << "every article has a stock row in each of the two warehouses";
    EXPECT_EQ(
        bd.valor("SELECT COUNT(*) FROM CLIENTES C WHERE NOT EXISTS (SELECT 1 FROM DOMICILIOSCOBRO D "
                 "WHERE D.CLIENTE = C.IDCLIENTES AND D.CODIGOBANCO = '0000' AND D.CODIGOSUCURSAL = '0000')")
            .toInt(),
        0)
        << "every client starts with the placeholder account";
    auto iva = bd.fila("SELECT PORCENTAJEIVA, PORCENTAJERECARGO FROM TABLAIVA WHERE CODIGO = '21'");
    EXPECT_DOUBLE_EQ(iva["PORCENTAJEIVA"].toDouble(), 21);
    EXPECT_DOUBLE_EQ(iva["PORCENTAJERECARGO"].toDouble(), 5.2);

    // Records created without an identifier take it from the generators the module reads back.
    bd.ejecutar("INSERT INTO ZONAS (CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES ('NUE', 'NUE', 1)");
    EXPECT_EQ(bd.valor("SELECT FIRST 1 GEN_ID(GenIdZonas, 0) AS IdZonas FROM ZONAS").toInt(),
              bd.valor("SELECT IDZONAS FROM ZONAS WHERE CODIGO = 'NUE'").toInt());
}

TEST(Actualizacion, TextsAreTheOnesTheModuleSends) {
    const QStringList s = BdPrueba::sentenciasActualizacion();
    ASSERT_EQ(s.size(), kSentencias);
    for (const QString& t : s) {
        EXPECT_FALSE(t.endsWith("\r\n")) << t.toStdString();
        EXPECT_EQ(t.count('\n'), t.count("\r\n")) << "lines are joined by CR LF";
    }
    EXPECT_TRUE(s[0].startsWith("CREATE OR ALTER PROCEDURE PRCALCULOALBARANVENTA_EXCEL (\r\n"));
    EXPECT_TRUE(s[0].endsWith("\r\nEND"));
    EXPECT_EQ(s[1], "GRANT EXECUTE ON PROCEDURE PRCALCULOALBARANVENTA_EXCEL TO PUBLIC;");
    EXPECT_EQ(s[3], "GRANT EXECUTE ON PROCEDURE PR_ASIGNAR_DIRENVIO_CLI TO PUBLIC;");
    EXPECT_EQ(s[5], "GRANT EXECUTE ON PROCEDURE PRLIMPIARESPACIOSENREFERECIAS TO PUBLIC;");
    EXPECT_EQ(s[7], "GRANT ALL ON ARTICULOS_REF_A_VERIFICAR TO PUBLIC WITH GRANT OPTION;");
    EXPECT_TRUE(s[8].startsWith("CREATE TABLE QD_IMPORTACIONES (\r\n"));
    EXPECT_EQ(s[9], "GRANT ALL ON QD_IMPORTACIONES TO PUBLIC;");
    EXPECT_TRUE(s[13].startsWith("CREATE TABLE QD_LINEAS_IMPORTADAS (\r\n"));
    EXPECT_EQ(s[14], "GRANT ALL ON QD_LINEAS_IMPORTADAS TO PUBLIC;");

    const QStringList direcciones = s[2].split("\r\n");
    ASSERT_GE(direcciones.size(), 29);
    EXPECT_EQ(direcciones[0], "CREATE OR ALTER PROCEDURE PR_ASIGNAR_DIRENVIO_CLI");
    EXPECT_EQ(direcciones[18],
              "    INTO :AUXNOMBRE, :AUXDIRECCION, :AUXLOCALIDAD, :AUXPROVINCIA, :AUXCP, :AUXTELEFONO;");
    EXPECT_EQ(direcciones[19], "");
    EXPECT_EQ(direcciones.last(), "END");

    const QStringList limpiar = s[4].split("\r\n");
    ASSERT_EQ(limpiar.size(), 9);
    EXPECT_EQ(limpiar[6],
              "  UPDATE ARTICULOSPROVEEDORES SET REFERENCIA_PROVEEDOR = "
              "f_bigstrreplace(REFERENCIA_PROVEEDOR,\" \",\"\") WHERE (PROVEEDOR = :PARIDPROVEEDOR);");

    const QStringList tabla = s[6].split("\r\n");
    ASSERT_EQ(tabla.size(), 19);
    EXPECT_EQ(tabla[0], "CREATE TABLE ARTICULOS_REF_A_VERIFICAR (");
    EXPECT_EQ(tabla[10], "    ENCONTRADO_SN               TKVLOGICO DEFAULT 0 NOT NULL,");
    EXPECT_EQ(tabla[18],
              "CONSTRAINT PKARTICULOS_REF_A_VERIFICAR PRIMARY KEY (ARTICULO, PROVEEDOR, EMPRESA));");
}

TEST(Actualizacion, InstallsTheModuleObjectsAndCanRunAgain) {
    BdPrueba bd;
    // The table of running imports is in the stand-in already (tests and the demo lock with it).
    std::vector<bool> primera = bd.actualizar();
    std::vector<bool> esperadoPrimera(kSentencias, true);
    esperadoPrimera[8] = false;
    EXPECT_EQ(primera, esperadoPrimera);
    for (const QString& p : kObjetosPropios)
        EXPECT_TRUE(bd.existeProcedimiento(p)) << p.toStdString();
    EXPECT_TRUE(bd.existeTabla("ARTICULOS_REF_A_VERIFICAR"));
    EXPECT_TRUE(bd.existeTabla("QD_LINEAS_IMPORTADAS"));
    for (const auto& [indice, columnas] : kIndicesPropios)
        EXPECT_EQ(columnasIndice(bd, indice), columnas) << indice.toStdString();

    // A second start redefines the procedures; only the existing tables refuse, harmlessly. An
    // index that exists is left as it is, without an error.
    std::vector<bool> segunda = bd.actualizar();
    std::vector<bool> esperado(kSentencias, true);
    esperado[6] = false;
    esperado[8] = false;
    esperado[13] = false;
    EXPECT_EQ(segunda, esperado);
    for (const auto& [indice, columnas] : kIndicesPropios)
        EXPECT_EQ(columnasIndice(bd, indice), columnas) << indice.toStdString();

    bd.ejecutar("INSERT INTO ARTICULOS_REF_A_VERIFICAR (ARTICULO, PROVEEDOR, EMPRESA, CODIGO, NOMBRE) "
                "VALUES (1, 1, 1, '10001', 'ACEITE')");
    auto r = bd.fila("SELECT ENCONTRADO_SN, VERIFICADO_SN, MANUAL_SN, ACTUALIZADO_SN, CATALOGO_WEB "
                     "FROM ARTICULOS_REF_A_VERIFICAR");
    for (auto it = r.begin(); it != r.end(); ++it)
        EXPECT_EQ(it.value().toInt(), 0) << it.key().toStdString();
}

TEST(LimpiarEspacios, RemovesTheBlanksOfOneSupplierOnly) {
    BdPrueba bd;
    bd.actualizar();
    // Article 3 belongs to supplier 3 (reference "QL 0001") but also has a record for supplier 1.
    bd.ejecutar("INSERT INTO ARTICULOSPROVEEDORES (ARTICULO, PROVEEDOR, EMPRESA, REFERENCIA_PROVEEDOR) "
                "VALUES (3, 1, 1, ' X 9 9 ')");
    ASSERT_GT(bd.valor("SELECT COUNT(*) FROM ARTICULOS WHERE PROVEEDORHABITUAL = 1 AND REFERENCIAPROVEEDOR "
                       "CONTAINING ' '")
                  .toInt(),
              0);

    bd.ejecutar("EXECUTE PROCEDURE PRLIMPIARESPACIOSENREFERECIAS(:PARIDPROVEEDOR);", {{"PARIDPROVEEDOR", 1}});

    EXPECT_EQ(
        bd.valor("SELECT COUNT(*) FROM ARTICULOSPROVEEDORES WHERE PROVEEDOR = 1 AND REFERENCIA_PROVEEDOR "
                 "CONTAINING ' '")
            .toInt(),
        0);
    EXPECT_EQ(bd.valor("SELECT COUNT(*) FROM ARTICULOS WHERE PROVEEDORHABITUAL = 1 AND REFERENCIAPROVEEDOR "
                       "CONTAINING ' '")
                  .toInt(),
              0);
    EXPECT_EQ(bd.valor("SELECT REFERENCIAPROVEEDOR FROM ARTICULOS WHERE IDARTICULOS = 1").toString(),
              "TU0001");
    EXPECT_EQ(
        bd.valor("SELECT REFERENCIA_PROVEEDOR FROM ARTICULOSPROVEEDORES WHERE ARTICULO = 3 AND PROVEEDOR = 1")
            .toString(),
        "X99");
    // Supplier 3 keeps its blanks, on its records and on its articles' cards.
    EXPECT_EQ(bd.valor("SELECT REFERENCIAPROVEEDOR FROM ARTICULOS WHERE IDARTICULOS = 3").toString(),
              "QL 0001");
    EXPECT_EQ(
        bd.valor("SELECT REFERENCIA_PROVEEDOR FROM ARTICULOSPROVEEDORES WHERE ARTICULO = 3 AND PROVEEDOR = 3")
            .toString(),
        "QL 0001");
}

TEST(AsignarDireccionEnvio, FillsOnlyClientsWithoutAddressThatHaveADeliveryAddress) {
    BdPrueba bd;
    bd.actualizar();
    const QString sql = "SELECT DIRECCION, LOCALIDAD, PROVINCIA, CODIGOPOSTAL, TELEFONO1 FROM CLIENTES "
                        "WHERE CODIGO = :C";
    const QVariantMap antes1001 = bd.fila(sql, {{"C", "1001"}});
    const QVariantMap antes1012 = bd.fila(sql, {{"C", "1012"}});
    ASSERT_TRUE(antes1012["DIRECCION"].isNull());
    ASSERT_EQ(antes1012["LOCALIDAD"].toString(), "Valencia");

    bd.ejecutarSinParametros("EXECUTE PROCEDURE PR_ASIGNAR_DIRENVIO_CLI");

    // 1011 had no address and one delivery address: it takes that one.
    const QVariantMap c1011 = bd.fila(sql, {{"C", "1011"}});
    EXPECT_EQ(c1011["DIRECCION"].toString(), QString("Polígono Alcodar, nave 9"));
    EXPECT_EQ(c1011["LOCALIDAD"].toString(), "Gandia");
    EXPECT_EQ(c1011["PROVINCIA"].toString(), "Valencia");
    EXPECT_EQ(c1011["CODIGOPOSTAL"].toString(), "46701");
    EXPECT_EQ(c1011["TELEFONO1"].toString(), "962870011");
    // 1012 comes right after 1011 and has no delivery address: nothing of 1011's, nothing erased.
    EXPECT_EQ(texto(bd.fila(sql, {{"C", "1012"}})), texto(antes1012));
    // 1001 has its own address and a delivery address: untouched.
    EXPECT_EQ(texto(bd.fila(sql, {{"C", "1001"}})), texto(antes1001));
}
