// The client import: the defaults of new clients, the loader's columns (codes, defaults and null,
// the account split, the first-column stop), the statements the ticks give, insert and update by
// code with only-new, and the dry run.
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

// The demo's tables: group G01 (1); VAT regimes EXE (3) is the lowest code; payment CON (1) with
// portfolio 3, R30 (2) with 2; price lists MAY (2) and PVP (1) of group 1; currencies EUR (1), USD (2).
TEST(DatosDefecto, LowestCodesByDefaultAndCodesWhenGiven) {
    Conexion c;
    EXPECT_EQ(c.clientes.datosDefectoIniciales(), (qd::DatosDefectoClientes{1, 3, 1, 3, 2, 1}));
    EXPECT_EQ(c.clientes.datosDefectoPorCodigo(QStringLiteral("G01"), QStringLiteral("GEN"),
                                               QStringLiteral("R30"), QStringLiteral("PVP"),
                                               QStringLiteral("USD")),
              (qd::DatosDefectoClientes{1, 1, 2, 2, 1, 2}));
    // A payment method without a portfolio gives portfolio 0.
    c.ejecutar(QStringLiteral("UPDATE FORMASPAGO SET CARTERA = NULL WHERE CODIGO = 'TRA'"));
    EXPECT_EQ(c.clientes.datosDefectoPorCodigo({}, {}, QStringLiteral("TRA"), {}, {}).Cartera, 0);
    try {
        c.clientes.datosDefectoPorCodigo({}, {}, {}, QStringLiteral("NOEXISTE"), {});
        ADD_FAILURE() << "an unknown code must be refused";
    } catch (const qd::ErrorImportacion& e) {
        EXPECT_TRUE(e.texto().contains(QStringLiteral("NOEXISTE"))) << e.texto().toStdString();
    }
}

TEST(SentenciasClientes, TicksGiveTheColumnsAndNeverTheAuxiliaryEntries) {
    qd::FieldList l = qd::clientFieldList();
    l.setAllChecked(false);
    for (const char* n : {"GRUPOEMPRESAS", "CODIGO", "NOMBRE", "NIF", "BANCOS", "ZONA"})
        l.setChecked(l.indexOf(QString::fromLatin1(n)), true);
    const qd::SentenciasSql s = qd::prepararSentenciasClientes(l);
    EXPECT_EQ(s.insert,
              QStringLiteral(
                  "INSERT INTO CLIENTES (\r\nGRUPOEMPRESAS,\r\nCODIGO,\r\nNOMBRE,\r\nNIF, CARTERA, "
                  "FACTURAAGRUPADA, FACTURAACUMULADA, FACTURAPORALBARAN)\r\nVALUES (\r\n:GRUPOEMPRESAS,\r\n"
                  ":CODIGO,\r\n:NOMBRE,\r\n:NIF,:CARTERA,  1, 0, 0);\r\n"));
    EXPECT_EQ(s.update,
              QStringLiteral("UPDATE ClienteS SET \r\nGRUPOEMPRESAS= :GRUPOEMPRESAS,\r\nCODIGO= :CODIGO,\r\n"
                             "NOMBRE= :NOMBRE,\r\nNIF= :NIF\r\nwhere (IDCLIENTES = :OLD_IDCLIENTES);\r\n"));
    const qd::AuxiliaresCliente a = qd::auxiliaresCliente(l);
    EXPECT_TRUE(a.bancos && a.zona);
    EXPECT_FALSE(a.agente || a.ruta);
    // Every entry ticked: still no auxiliary entry in either statement.
    const qd::SentenciasSql t = qd::prepararSentenciasClientes(todos(qd::clientFieldList()));
    for (const char* n : {"BANCOS", "AGENTEVENTA", "ZONA", "RUTA"}) {
        EXPECT_FALSE(t.insert.contains(QString::fromLatin1(n))) << n;
        EXPECT_FALSE(t.update.contains(QString::fromLatin1(n))) << n;
    }
}

// One workbook through the loader: coded columns in any letter case (found, default, null), the
// account in one column (its header exactly "CuentaBancoCCC"), the name from the company name, and
// the load ending at the first empty cell of column 1.
TEST(CargaClientes, CodedColumnsAccountAndFirstColumnStop) {
    Conexion c;
    const QString libro = c.libro(
        QStringLiteral("clientes.xlsx"),
        {{Q("CODIGO"), Q("nombre"), Q("RAZONSOCIAL"), Q("cod_fpago"), Q("COD_TARIFA"), Q("COD_TIPOCLIENTE"),
          Q("Cod_Zona"), Q("CuentaBancoCCC"), Q("Cuenta Banco CCC"), Q("COD_MONEDA")},
         {Q("CLI1"), Q("Uno"), Q("Uno SL"), Q("R30"), Q("PVP"), Q("EMPR"), Q("VAL"),
          Q("00490001510000123456"), Q("11112222333333333333"), Q("USD")},
         {Q("CLI2"), QVariant(), Q("Dos SA"), Q("XXX"), Q("ZZZ"), Q("NOPE"), Q("NUE"), QVariant(), QVariant(),
          Q("QQQ")},
         {QVariant(), Q("sin código: fin de la carga")},
         {Q("CLI9"), Q("no se carga")}});
    qd::OpcionesClientes o;
    o.defectos = {1, 1, 4, 1, 2, 1}; // payment TRA with portfolio 1, price list MAY, EUR
    ASSERT_EQ(c.clientes.cargarClientes(libro, o), 2);

    TkvRxMemoryData& t = c.clientes.kvRxMDClientes;
    struct Esperado {
        const char* campo;
        QVariant uno, dos;
    };
    const Esperado tabla[] = {
        {"NOMBRE", Q("Uno"), Q("")}, // an empty name cell stays empty (the writer sends the company name)
        {"FORMAPAGO", 2, 4},         // found; not found: the default
        {"CARTERA", 2, 1},           // the payment method's portfolio; the default portfolio
        {"TARIFA", 1, 2},
        {"MONEDA", 2, 1},
        {"TIPOCLIENTE", 2, QVariant()}, // no default: null
        {"ZONA", 1, QVariant()},
        {"Cod_Zona", Q("VAL"), Q("NUE")}, // the code stays for the auxiliary step
        {"CODIGOBANCO", Q("0049"), QVariant()},
        {"CODIGOSUCURSAL", Q("0001"), QVariant()},
        {"DC", Q("51"), QVariant()},
        {"NUMEROCUENTA", Q("0000123456"), QVariant()},
        {"GRUPOEMPRESAS", 1, 1},
        {"REGIMENIVA", 1, 1}, // no column: the default of the new record
    };
    for (int fila = 1; fila <= 2; ++fila) {
        t.setRecNo(fila);
        for (const Esperado& e : tabla) {
            const QVariant v = t.value(QString::fromLatin1(e.campo));
            const QVariant& esperado = fila == 1 ? e.uno : e.dos;
            EXPECT_EQ(v.isNull(), esperado.isNull()) << e.campo << " row " << fila;
            if (!esperado.isNull()) {
                EXPECT_EQ(v.toString(), esperado.toString()) << e.campo << " row " << fila;
            }
        }
    }
    // Codes not found are told: with the default taken, or left empty.
    const QString incidencias = c.canal.incidences().join(QLatin1Char('\n'));
    for (const char* s : {"Fila 3, columna cod_fpago: «XXX» no existe; un registro nuevo toma el valor por "
                          "defecto y uno que ya existe conserva el suyo.",
                          "Fila 3, columna COD_TARIFA: «ZZZ» no existe; un registro nuevo toma el valor por "
                          "defecto y uno que ya existe conserva el suyo.",
                          "Fila 3, columna COD_TIPOCLIENTE: «NOPE» no existe; no se escribe."})
        EXPECT_TRUE(incidencias.contains(QString::fromUtf8(s))) << s << "\n" << incidencias.toStdString();

    // Written: the name from the company name, the portfolio and the invoicing flags of new clients.
    const auto r = c.clientes.confirmarClientes(o, todos(qd::clientFieldList()));
    EXPECT_EQ(r.Nuevos, 2);
    EXPECT_TRUE(r.texto.startsWith(QStringLiteral("Proceso terminado.\r\n"))) << r.texto.toStdString();
    EXPECT_TRUE(r.texto.contains(QStringLiteral("Con errores: 0"))) << r.texto.toStdString();
    EXPECT_EQ(c.filas(QStringLiteral(
                  "SELECT CODIGO, NOMBRE, CARTERA, FACTURAAGRUPADA, FACTURAACUMULADA, TIPOCLIENTE "
                  "FROM CLIENTES WHERE CODIGO IN ('CLI1', 'CLI2') ORDER BY CODIGO")),
              (QList<QVariantList>{{Q("CLI1"), Q("Uno"), 2, 1, 0, 2},
                                   {Q("CLI2"), Q("Dos SA"), 1, 1, 0, QVariant()}}));
}

// A payment method without a portfolio gives the client none, never the portfolio of the row before.
TEST(CargaClientes, PaymentMethodWithoutPortfolio) {
    Conexion c;
    c.ejecutar(QStringLiteral("UPDATE FORMASPAGO SET CARTERA = NULL WHERE CODIGO = 'TRA'"));
    qd::OpcionesClientes o;
    o.defectos = c.clientes.datosDefectoIniciales();
    ASSERT_EQ(c.clientes.cargarClientes(
                  c.libro(QStringLiteral("fp.xlsx"),
                          {{Q("CODIGO"), Q("COD_FPAGO")}, {Q("FP1"), Q("R30")}, {Q("FP2"), Q("TRA")}}),
                  o),
              2);
    c.clientes.kvRxMDClientes.setRecNo(1);
    EXPECT_EQ(c.clientes.kvRxMDClientes.value(QStringLiteral("CARTERA")).toInt(), 2);
    c.clientes.kvRxMDClientes.setRecNo(2);
    EXPECT_EQ(c.clientes.kvRxMDClientes.value(QStringLiteral("FORMAPAGO")).toInt(), 4);
    EXPECT_TRUE(c.clientes.kvRxMDClientes.value(QStringLiteral("CARTERA")).isNull());
}

// The columns end at the first empty header: those after it are not read, and the user is told.
TEST(CargaClientes, ColumnsAfterAnEmptyHeaderAreNotRead) {
    Conexion c;
    const QString libro =
        c.libro(QStringLiteral("hueco.xlsx"),
                {{Q("CODIGO"), Q("NOMBRE"), QVariant(), Q("NIF")}, {Q("H1"), Q("Uno"), Q("x"), Q("B1")}});
    ASSERT_EQ(c.clientes.cargarClientes(libro, {}), 1);
    c.clientes.kvRxMDClientes.first();
    EXPECT_TRUE(c.clientes.kvRxMDClientes.value(QStringLiteral("NIF")).isNull());
    EXPECT_TRUE(
        c.canal.incidences().join(QLatin1Char('\n')).contains(QStringLiteral("Las columnas NIF no se leen")));
}

// A workbook without a CODIGO column stages nothing; each row is told and kept for the export.
TEST(CargaClientes, WithoutCodeColumnNothingIsStaged) {
    Conexion c;
    const QString libro = c.libro(QStringLiteral("sin_codigo.xlsx"),
                                  {{Q("NOMBRE"), Q("NIF")}, {Q("Uno"), Q("B1")}, {Q("Dos"), Q("B2")}});
    EXPECT_EQ(c.clientes.cargarClientes(libro, {}), 0);
    EXPECT_EQ(c.d.Filas_No_Escritas.size(), 2u);
    EXPECT_TRUE(c.canal.incidences().join(QLatin1Char('\n')).contains(QStringLiteral("Filas 2 a 3")));
}

// Update by code: only the ticked fields the workbook has are written (a name the workbook does
// not give is kept); with only-new, an existing client is left as it is and counted. The same code
// twice: the second row updates the client the first inserted.
TEST(EscrituraClientes, UpdateOnlyNewAndRepeatedCode) {
    Conexion c;
    const qd::FieldList campos = todos(qd::clientFieldList());
    qd::OpcionesClientes o;
    o.defectos = c.clientes.datosDefectoIniciales();
    c.clientes.cargarClientes(c.libro(QStringLiteral("alta.xlsx"), {{Q("CODIGO"), Q("NOMBRE"), Q("NIF")},
                                                                    {Q("CLI1"), Q("Primero"), Q("B1")},
                                                                    {Q("CLI1"), Q("Segundo"), Q("B2")}}),
                              o);
    auto r = c.clientes.confirmarClientes(o, campos);
    EXPECT_EQ(r.Nuevos, 1);
    EXPECT_EQ(r.Actualizados, 1);
    EXPECT_EQ(c.valor(QStringLiteral("SELECT COUNT(*) FROM CLIENTES WHERE CODIGO = 'CLI1'")).toInt(), 1);

    const QString nif = c.libro(QStringLiteral("nif.xlsx"), {{Q("CODIGO"), Q("NIF")}, {Q("CLI1"), Q("B9")}});
    c.clientes.cargarClientes(nif, o);
    r = c.clientes.confirmarClientes(o, campos);
    EXPECT_EQ(r.Actualizados, 1);
    EXPECT_EQ(c.filas(QStringLiteral("SELECT NOMBRE, NIF FROM CLIENTES WHERE CODIGO = 'CLI1'")),
              (QList<QVariantList>{{Q("Segundo"), Q("B9")}}));

    o.SoloNuevos = true;
    c.clientes.cargarClientes(
        c.libro(QStringLiteral("nif2.xlsx"), {{Q("CODIGO"), Q("NIF")}, {Q("CLI1"), Q("B0")}}), o);
    r = c.clientes.confirmarClientes(o, campos);
    EXPECT_EQ(r.Omitidos, 1);
    EXPECT_EQ(r.Actualizados, 0);
    EXPECT_EQ(c.valor(QStringLiteral("SELECT NIF FROM CLIENTES WHERE CODIGO = 'CLI1'")).toString(),
              QStringLiteral("B9"));
}

// A row the database refuses is shown, left unwritten and counted; the run goes on and its summary
// says so.
TEST(EscrituraClientes, RefusedRowIsCountedAndTheRunGoesOn) {
    Conexion c;
    c.ejecutar(QStringLiteral("ALTER TABLE CLIENTES ADD CONSTRAINT CK_NIF_PRUEBA CHECK (NIF <> 'MALO')"));
    qd::OpcionesClientes o;
    o.defectos = c.clientes.datosDefectoIniciales();
    c.clientes.cargarClientes(c.libro(QStringLiteral("malo.xlsx"), {{Q("CODIGO"), Q("NOMBRE"), Q("NIF")},
                                                                    {Q("CLI1"), Q("Uno"), Q("B1")},
                                                                    {Q("CLI2"), Q("Dos"), Q("MALO")},
                                                                    {Q("CLI3"), Q("Tres"), Q("B3")}}),
                              o);
    const auto r = c.clientes.confirmarClientes(o, todos(qd::clientFieldList()));
    EXPECT_EQ(r.Nuevos, 2);
    EXPECT_EQ(r.ConErrores, 1);
    EXPECT_TRUE(r.texto.contains(QStringLiteral("Con errores: 1"))) << r.texto.toStdString();
    ASSERT_EQ(c.canal.messages(qd::MessageKind::Error).size(), 1);
    EXPECT_TRUE(c.canal.messages(qd::MessageKind::Error).first().startsWith(QStringLiteral("Fila 3: ")));
    ASSERT_EQ(c.d.Filas_No_Escritas.size(), 1u);
    EXPECT_EQ(c.d.Filas_No_Escritas.front().fila, 3);
}

// A dry run leaves the database as it was and counts what the real run then does.
TEST(EscrituraClientes, DryRunChangesNothingAndCountsAsTheRealRun) {
    Conexion c;
    qd::OpcionesClientes o;
    o.defectos = c.clientes.datosDefectoIniciales();
    const QString libro = c.libro(QStringLiteral("simular.xlsx"),
                                  {{Q("CODIGO"), Q("NOMBRE")}, {Q("CLI1"), Q("Uno")}, {Q("CLI2"), Q("Dos")}});
    const QStringList antes = qd::test::volcarTabla(c.db.path(), QStringLiteral("CLIENTES"), {"FECHAALTA"});
    qd::OpcionesMotor simular;
    simular.simular = true;
    c.d.Empezar_Carga();
    c.clientes.cargarClientes(libro, o);
    const auto s = c.clientes.confirmarClientes(o, todos(qd::clientFieldList()), simular);
    EXPECT_TRUE(s.motor.simulado);
    EXPECT_EQ(qd::test::volcarTabla(c.db.path(), QStringLiteral("CLIENTES"), {"FECHAALTA"}), antes);
    c.clientes.cargarClientes(libro, o);
    const auto r = c.clientes.confirmarClientes(o, todos(qd::clientFieldList()));
    EXPECT_EQ(s.Nuevos, r.Nuevos);
    EXPECT_EQ(s.texto, QStringLiteral("Simulación: no se ha guardado nada.\r\n") + r.texto);
}

} // namespace
