// Clients' bank accounts and the client auxiliary data: the placeholder account replaced, an
// account kept once, the first one principal, the IBAN from the country whatever the column order;
// agents, zones and routes created once and reused, each new one with its own ID.
#include <gtest/gtest.h>

#include "CamposClientes.h"
#include "Conexion.h"
#include "ErrorImportacion.h"
#include "FieldList.h"

namespace {

using prueba::Conexion;

QVariant Q(const char* s) {
    return QString::fromUtf8(s);
}

qd::FieldList todos(qd::FieldList lista) {
    lista.setInitialTicks();
    return lista;
}

QList<QVariantList> domicilios(Conexion& c, const char* codigo) {
    return c.filas(
        QStringLiteral(
            "SELECT D.NOMBRE, D.CODIGOBANCO, D.DC, D.NUMEROCUENTA, D.IBAN_CODIGOPAIS, D.IBAN_DCIBAN, "
            "D.DOMICILIOPRINCIPAL FROM DOMICILIOSCOBRO D JOIN CLIENTES C ON C.IDCLIENTES = "
            "D.CLIENTE WHERE C.CODIGO = '%1' ORDER BY D.IDDOMICILIOSCOBRO")
            .arg(QString::fromLatin1(codigo)));
}

// The demo client 1001 has only the placeholder account.
TEST(Bancos, PlaceholderReplacedAccountKeptOnceCountryInAnyColumn) {
    Conexion c;
    ASSERT_EQ(domicilios(c, "1001").size(), 1);
    const QString libro = c.libro(
        QStringLiteral("bancos.xlsx"),
        {{Q("Codigo"), Q("Pais"), Q("CuentaBancoCCC"), Q("NombreBanco")},
         {Q("1001"), Q("portugal"), Q("21000418450200051332"), Q("Caixa")}, // the country before the account
         {Q("1001"), Q("portugal"), Q("21000418450200051332"), Q("Otra vez")},
         {Q("1001"), QVariant(), Q("00491500000000000000"), QVariant()}, // no country: ES; "00" computed
         {Q("NOEXISTE"), Q(""), Q("21000418450200051332"), Q("X")},
         {Q("1001"), Q(""), Q("2100"), Q("Incompleta")}});
    // The client code longer than its column and the account of 4 digits are refused at once.
    EXPECT_EQ(c.bancos.cargarBancos(libro), 3);
    const auto r = c.bancos.confirmarBancos(todos(qd::domicileFieldList()));
    EXPECT_EQ(r.Nuevos, 2);
    EXPECT_EQ(r.Omitidos, 1);
    EXPECT_EQ(domicilios(c, "1001"),
              (QList<QVariantList>{{Q("Caixa"), Q("2100"), Q("45"), Q("0200051332"), Q("PT"), Q("86"), 1},
                                   {Q("0049"), Q("0049"), Q("00"), Q("0000000000"), Q("ES"), Q("90"), 0}}));
    // The rows not written are told and kept for the export.
    EXPECT_EQ(c.d.Filas_No_Escritas.size(), 2u);
}

// A row whose account cannot be stored after the client's placeholder account was taken away
// ("€" is not in the database's character set) stops the run and leaves nothing of itself: the
// client keeps its placeholder account.
TEST(Bancos, ARowThatFailsHalfWayLeavesNoTrace) {
    Conexion c;
    ASSERT_EQ(domicilios(c, "1001").size(), 1);
    c.bancos.cargarBancos(
        c.libro(QStringLiteral("b.xlsx"), {{Q("Codigo"), Q("CuentaBancoCCC"), Q("NombreBanco")},
                                           {Q("1001"), Q("21000418450200051332"), Q("Caja \u20ac")}}));
    EXPECT_ANY_THROW(c.bancos.confirmarBancos(todos(qd::domicileFieldList())));
    EXPECT_EQ(domicilios(c, "1001").size(), 1) << "the placeholder account is still there";
}

TEST(Bancos, NothingIsWrittenWithoutTheFourEntries) {
    Conexion c;
    c.bancos.cargarBancos(c.libro(QStringLiteral("b.xlsx"), {{Q("Codigo"), Q("CuentaBancoCCC")},
                                                             {Q("1001"), Q("21000418450200051332")}}));
    qd::FieldList l = todos(qd::domicileFieldList());
    l.setChecked(2, false);
    EXPECT_THROW(c.bancos.confirmarBancos(l), qd::ErrorImportacion);
    EXPECT_EQ(domicilios(c, "1001").size(), 1);
}

// Agents, zones and routes that do not exist are created once, with the code as name, and the next
// client with the same codes uses them; the client's account becomes its domicile.
TEST(AuxiliaresCliente, CreatedOnceAndReused) {
    Conexion c;
    const int agentes = c.valor(QStringLiteral("SELECT COUNT(*) FROM AGENTESVENTA")).toInt();
    qd::OpcionesClientes o;
    o.defectos = c.clientes.datosDefectoIniciales();
    c.clientes.cargarClientes(
        c.libro(QStringLiteral("aux.xlsx"),
                {{Q("CODIGO"), Q("NOMBRE"), Q("COD_AGENTEVENTA"), Q("COD_ZONA"), Q("COD_RUTA"),
                  Q("CuentaBancoCCC"), Q("PAIS")},
                 {Q("AX1"), Q("Uno"), Q("N01"), Q("NZ"), Q("NR"), Q("21000418450200051332"), Q("")},
                 {Q("AX2"), Q("Dos"), Q("N01"), Q("NZ"), Q("NR"), QVariant(), QVariant()},
                 {Q("AX3"), Q("Tres"), QVariant(), Q("VAL"), QVariant(), QVariant(), QVariant()}}),
        o);
    c.clientes.confirmarClientes(o, todos(qd::clientFieldList()));
    EXPECT_EQ(c.valor(QStringLiteral("SELECT COUNT(*) FROM AGENTESVENTA")).toInt(), agentes + 1);
    EXPECT_EQ(
        c.filas(QStringLiteral("SELECT NOMBRE, EMPRESA, TIPOAGENTE FROM AGENTESVENTA WHERE CODIGO = 'N01'")),
        (QList<QVariantList>{{Q("N01"), 1, Q("Preventa")}}));
    EXPECT_EQ(c.filas(QStringLiteral(
                  "SELECT C.CODIGO, A.CODIGO, Z.CODIGO FROM CLIENTES C LEFT JOIN AGENTESVENTA A ON "
                  "A.IDAGENTESVENTA = C.AGENTEVENTA LEFT JOIN ZONAS Z ON Z.IDZONAS = C.ZONA WHERE "
                  "C.CODIGO STARTING WITH 'AX' ORDER BY C.CODIGO")),
              (QList<QVariantList>{{Q("AX1"), Q("N01"), Q("NZ")},
                                   {Q("AX2"), Q("N01"), Q("NZ")},
                                   {Q("AX3"), QVariant(), Q("VAL")}}));
    EXPECT_EQ(c.valor(QStringLiteral("SELECT COUNT(*) FROM ZONAS WHERE CODIGO = 'NZ'")).toInt(), 1);
    EXPECT_EQ(c.valor(QStringLiteral(
                          "SELECT COUNT(*) FROM CLIENTESRUTAS CR JOIN RUTAS R ON R.IDRUTAS = CR.RUTA WHERE "
                          "R.CODIGO = 'NR'"))
                  .toInt(),
              2);
    EXPECT_EQ(domicilios(c, "AX1"),
              (QList<QVariantList>{{Q("2100"), Q("2100"), Q("45"), Q("0200051332"), Q("ES"), Q("91"), 1}}));
}

// Two connections creating agents at once each get the ID of their own row.
TEST(AuxiliaresCliente, ConcurrentInsertsGetTheirOwnIds) {
    Conexion c;
    TDatos otro;
    ImportacionClientes otroClientes{otro};
    otro.setCanal(&c.canal);
    otro.Iniciar(1, 1, c.db.path(), 1, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                 QStringLiteral("CLI"), 0, 0);
    ASSERT_TRUE(otro.Conectar());
    const int a =
        c.clientes.Buscar_O_Crear_Auxiliar(ImportacionClientes::TablaAuxiliar::Agente, QStringLiteral("C1"));
    const int b = otroClientes.Buscar_O_Crear_Auxiliar(ImportacionClientes::TablaAuxiliar::Agente,
                                                       QStringLiteral("C2"));
    const int a2 =
        c.clientes.Buscar_O_Crear_Auxiliar(ImportacionClientes::TablaAuxiliar::Agente, QStringLiteral("C3"));
    c.d.IBTransaction1.commit();
    otro.IBTransaction1.commit();
    EXPECT_NE(a, b);
    EXPECT_NE(a2, b);
    EXPECT_EQ(c.valor(QStringLiteral("SELECT IDAGENTESVENTA FROM AGENTESVENTA WHERE CODIGO = 'C1'")).toInt(),
              a);
    EXPECT_EQ(c.valor(QStringLiteral("SELECT IDAGENTESVENTA FROM AGENTESVENTA WHERE CODIGO = 'C2'")).toInt(),
              b);
    EXPECT_EQ(c.valor(QStringLiteral("SELECT IDAGENTESVENTA FROM AGENTESVENTA WHERE CODIGO = 'C3'")).toInt(),
              a2);
}

} // namespace
