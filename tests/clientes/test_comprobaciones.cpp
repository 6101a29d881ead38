// What a row of the client family brings is checked before anything is stored, in every kind
// where it applies: a code longer than its column is refused (never cut, never created cut), an ID
// given directly must be in its table, and an account is 20 digits.
#include <gtest/gtest.h>

#include "CamposClientes.h"
#include "Conexion.h"
#include "DigitosControl.h"
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

enum class Tipo { Clientes, Proveedores, Direcciones, Contactos, Bancos };

const char* nombre(Tipo t) {
    switch (t) {
    case Tipo::Clientes:
        return "clientes";
    case Tipo::Proveedores:
        return "proveedores";
    case Tipo::Direcciones:
        return "direcciones";
    case Tipo::Contactos:
        return "contactos";
    case Tipo::Bancos:
        return "bancos";
    }
    return "";
}

TkvRxMemoryData& tabla(Conexion& c, Tipo t) {
    switch (t) {
    case Tipo::Clientes:
        return c.clientes.kvRxMDClientes;
    case Tipo::Proveedores:
        return c.proveedores.kvRxMDProveedores;
    case Tipo::Direcciones:
        return c.direcciones.kvRxMDDireccionesCli;
    case Tipo::Contactos:
        return c.contactos.kvRxMDContactosCli;
    case Tipo::Bancos:
        break;
    }
    return c.bancos.kvRxMDDomiciliosCobro;
}

// A sheet of one row through a kind's loader: the case's column first, then those the kind needs
// that the case does not give. Returns the rows staged.
int cargar(Conexion& c, Tipo t, const QString& cabecera, const QVariant& valor) {
    static int n = 0;
    QList<std::pair<const char*, QVariant>> base;
    switch (t) {
    case Tipo::Clientes:
        base = {{"CODIGO", Q("CX1")}, {"NOMBRE", Q("Uno")}};
        break;
    case Tipo::Proveedores:
        base = {{"CODIGO", Q("PX1")},     {"NOMBRE", Q("Uno")},    {"COD_REGIMENIVA", Q("GEN")},
                {"COD_MONEDA", Q("EUR")}, {"COD_FPAGO", Q("R30")}, {"COD_GRUPOEMPRESA", Q("G01")}};
        if (cabecera == QLatin1String("GRUPOEMPRESAS")) base.removeLast();
        break;
    case Tipo::Direcciones:
        base = {{"COD_CLIENTE", Q("1001")},
                {"NOMBRE_ENVIO", Q("Almacén")},
                {"DIRECCION", Q("Calle 1")},
                {"LOCALIDAD", Q("Alcoy")},
                {"PROVINCIA", Q("Alicante")}};
        break;
    case Tipo::Contactos:
        base = {{"COD_CLIENTE", Q("1001")}, {"NOMBRE", Q("Ana")}, {"GRUPOEMPRESAS", 1}};
        break;
    case Tipo::Bancos:
        base = {{"Codigo", Q("1001")}, {"CuentaBancoCCC", Q("21000418450200051332")}};
        break;
    }
    QVariantList cab{cabecera}, fila{valor};
    for (const auto& [columna, v] : base)
        if (cabecera != QLatin1String(columna)) {
            cab << Q(columna);
            fila << v;
        }
    const QString libro = c.libro(QStringLiteral("libro%1.xlsx").arg(++n), {cab, fila});
    qd::OpcionesClientes o;
    o.defectos = c.clientes.datosDefectoIniciales();
    switch (t) {
    case Tipo::Clientes:
        return c.clientes.cargarClientes(libro, o);
    case Tipo::Proveedores:
        return c.proveedores.cargarProveedores(libro, o);
    case Tipo::Direcciones:
        return c.direcciones.cargarDirecciones(libro, o);
    case Tipo::Contactos:
        return c.contactos.cargarContactos(libro, o);
    case Tipo::Bancos:
        return c.bancos.cargarBancos(libro);
    }
    return -1;
}

struct Caso {
    Tipo tipo;
    const char* cabecera;
    QVariant valor;
    int cargadas;
    const char* incidencia; // a text one incidence holds (none expected when null)
    const char* campo;      // a staged field of the row loaded …
    QVariant esperado = {}; // … and the value it holds
};

// One connection serves every case of a test: a load writes nothing, and each starts afresh.
void comprobar(Conexion& c, const Caso& k) {
    c.canal.clear();
    const int cargadas = cargar(c, k.tipo, QString::fromLatin1(k.cabecera), k.valor);
    const QString incidencias = c.canal.incidences().join(QLatin1Char('\n'));
    const std::string que =
        std::string(nombre(k.tipo)) + " " + k.cabecera + " " + k.valor.toString().toStdString();
    EXPECT_EQ(cargadas, k.cargadas) << que << "\n" << incidencias.toStdString();
    if (k.incidencia) {
        EXPECT_TRUE(incidencias.contains(QString::fromUtf8(k.incidencia)))
            << que << ": " << k.incidencia << "\n"
            << incidencias.toStdString();
    } else {
        EXPECT_TRUE(incidencias.isEmpty()) << que << "\n" << incidencias.toStdString();
    }
    // A row not loaded is kept for the export of the rows not written.
    EXPECT_EQ(int(c.d.Filas_No_Escritas.size()), 1 - k.cargadas) << que;
    if (k.campo && cargadas == 1) {
        TkvRxMemoryData& t = tabla(c, k.tipo);
        t.first();
        const QVariant v = t.value(QString::fromLatin1(k.campo));
        EXPECT_EQ(v.isNull(), k.esperado.isNull()) << que << " " << k.campo;
        if (!k.esperado.isNull()) {
            EXPECT_EQ(v.toString(), k.esperado.toString()) << que << " " << k.campo;
        }
    }
}

// A code longer than its column: a row's own key refuses the row; a coded column's code is not
// used (its field left empty), and the row is refused only when the field is one it must have.
TEST(Comprobaciones, CodesLongerThanTheirColumnAreNeverCut) {
    const Caso casos[] = {
        {Tipo::Clientes, "COD_ZONA", Q("ZONALARGA"), 1,
         "Fila 2, columna COD_ZONA: «ZONALARGA» tiene 9 caracteres y el código admite 4; no se usa.",
         "Cod_Zona"},
        {Tipo::Clientes, "COD_RUTA", Q("RUTALARGA"), 1, "«RUTALARGA» tiene 9 caracteres y el código admite 4",
         "Cod_Ruta"},
        {Tipo::Clientes, "cod_agenteventa", Q("AGENTE1"), 1,
         "columna cod_agenteventa: «AGENTE1» tiene 7 caracteres y el código admite 4; no se usa.",
         "Cod_AgenteVenta"},
        // Not taken as an unknown code either: no default in its place.
        {Tipo::Clientes, "COD_TARIFA", Q("TARIFALARGA"), 1,
         "«TARIFALARGA» tiene 11 caracteres y el código admite 7; no se usa.", "TARIFA"},
        {Tipo::Clientes, "COD_FPAGO", Q("CONTADO"), 1, "«CONTADO» tiene 7 caracteres y el código admite 4",
         "CARTERA"},
        {Tipo::Clientes, "COD_ZONA", Q("ALI"), 1, nullptr, "ZONA", 2},
        {Tipo::Clientes, "CODIGO", Q("CLIENTE12"), 0,
         "«CLIENTE12» tiene 9 caracteres y el código admite 7; la fila no se carga.", nullptr},
        {Tipo::Proveedores, "COD_FPAGO", Q("CONTADO"), 0,
         "«CONTADO» tiene 7 caracteres y el código admite 4; la fila no se carga.", nullptr},
        {Tipo::Proveedores, "COD_TARIFA", Q("TARIFALARGA"), 1, "; no se usa.", "TARIFA"},
        {Tipo::Proveedores, "CODIGO", Q("PROVEE12"), 0, "tiene 8 caracteres y el código admite 7", nullptr},
        {Tipo::Direcciones, "COD_CLIENTE", Q("CLIENTE12"), 0,
         "Fila 2: Columna COD_CLIENTE: «CLIENTE12» tiene 9 caracteres y el código admite 7. La fila no se "
         "carga.",
         nullptr},
        {Tipo::Contactos, "COD_CLIENTE", Q("CLIENTE12"), 0,
         "«CLIENTE12» tiene 9 caracteres y el código admite 7. La fila no se carga.", nullptr},
        {Tipo::Bancos, "Codigo", Q("CLIENTE12"), 0,
         "«CLIENTE12» tiene 9 caracteres y el código admite 7; la fila no se carga.", nullptr},
    };
    Conexion c;
    for (const Caso& k : casos)
        comprobar(c, k);
}

// Codes that do not fit create nothing and change nothing: no zone, route or agent made of their
// first characters, and an existing client keeps its own.
TEST(Comprobaciones, NoMasterIsCreatedFromACutCode) {
    Conexion c;
    auto cuantos = [&c] {
        return c
            .valor(QStringLiteral("SELECT (SELECT COUNT(*) FROM ZONAS) + (SELECT COUNT(*) FROM RUTAS) + "
                                  "(SELECT COUNT(*) FROM AGENTESVENTA) FROM RDB$DATABASE"))
            .toInt();
    };
    const int antes = cuantos();
    qd::OpcionesClientes o;
    o.defectos = c.clientes.datosDefectoIniciales();
    c.clientes.cargarClientes(
        c.libro(QStringLiteral("largos.xlsx"),
                {{Q("CODIGO"), Q("NOMBRE"), Q("COD_ZONA"), Q("COD_RUTA"), Q("COD_AGENTEVENTA")},
                 {Q("1001"), Q("BAR EL PUERTO"), Q("ZONALARGA"), Q("RUTALARGA"), Q("AGENTELARGO")},
                 {Q("LG1"), Q("Nuevo"), Q("ZONALARGA"), Q("RUTALARGA"), Q("AGENTELARGO")}}),
        o);
    const auto r = c.clientes.confirmarClientes(o, todos(qd::clientFieldList()));
    EXPECT_EQ(r.Nuevos + r.Actualizados, 2);
    EXPECT_EQ(cuantos(), antes);
    EXPECT_EQ(
        c.filas(QStringLiteral("SELECT CODIGO, ZONA, AGENTEVENTA, (SELECT COUNT(*) FROM CLIENTESRUTAS R "
                               "WHERE R.CLIENTE = C.IDCLIENTES) FROM CLIENTES C WHERE CODIGO IN ('1001', "
                               "'LG1') ORDER BY CODIGO")),
        (QList<QVariantList>{{Q("1001"), 1, 1, 1}, {Q("LG1"), QVariant(), QVariant(), 0}}));
    // Nor when asked directly.
    EXPECT_THROW(c.clientes.Buscar_O_Crear_Auxiliar(ImportacionClientes::TablaAuxiliar::Zona,
                                                    QStringLiteral("ZONALARGA")),
                 qd::ErrorImportacion);
}

// An ID a row gives directly must be in its table: otherwise the row is refused, except a client's
// or supplier's company group, which is the launch one (told).
TEST(Comprobaciones, IdsGivenDirectlyMustExist) {
    const Caso casos[] = {
        {Tipo::Contactos, "GRUPOEMPRESAS", 99, 0,
         "Fila 2: Columna GRUPOEMPRESAS: «99» no es el número de ningún grupo de empresas (GRUPOSEMPRESAS). "
         "La "
         "fila no se carga.",
         nullptr},
        {Tipo::Contactos, "GRUPOEMPRESAS", 1, 1, nullptr, "GRUPOEMPRESAS", 1},
        {Tipo::Direcciones, "CLIENTE", 9999, 0, "«9999» no es el número de ningún cliente (CLIENTES)",
         nullptr},
        {Tipo::Direcciones, "CLIENTE", 1, 1, nullptr, "CLIENTE", 1},
        {Tipo::Clientes, "TARIFA", 999, 0,
         "Fila 2, columna TARIFA: «999» no es el número de ninguna tarifa (TARIFAS); la fila no se carga.",
         nullptr},
        {Tipo::Clientes, "FORMAPAGO", Q("abc"), 0, "«abc» no es el número de ninguna forma de pago", nullptr},
        {Tipo::Clientes, "MONEDA", 2, 1, nullptr, "MONEDA", 2},
        {Tipo::Clientes, "GRUPOEMPRESAS", 99, 1,
         "«99» no es el número de ningún grupo de empresas (GRUPOSEMPRESAS); se toma el grupo de empresas de "
         "la "
         "sesión (1).",
         "GRUPOEMPRESAS", 1},
        {Tipo::Clientes, "GRUPOEMPRESAS", Q("G01"), 1, "se toma el grupo de empresas de la sesión (1).",
         "GRUPOEMPRESAS", 1},
        {Tipo::Proveedores, "CARTERA", 77, 0, "«77» no es el número de ninguna cartera (CARTERAS)", nullptr},
        {Tipo::Proveedores, "GRUPOEMPRESAS", 99, 1, "se toma el grupo de empresas de la sesión (1).",
         "GRUPOEMPRESAS", 1},
    };
    Conexion c;
    for (const Caso& k : casos)
        comprobar(c, k);
}

// An account is 20 digits, blanks and dashes between them left out; anything else is refused in
// every kind that reads one: a bank-account row is not loaded, a client or supplier keeps no account
// from it. Each part in a column of its own has its own number of digits.
TEST(Comprobaciones, AnAccountIsTwentyDigits) {
    const struct {
        const char* cuenta;
        bool valida;
    } cuentas[] = {
        {"21000418450200051332", true},   {"2100 0418-45 0200051332", true}, {"ABCD0418XX0200051332", false},
        {"2100041845020005133'2", false}, // 21 characters, a quote among them
        {"210004184502000513", false},    {"210004184502000513320", false},
    };
    Conexion c;
    for (const auto& k : cuentas)
        for (const Tipo t : {Tipo::Clientes, Tipo::Proveedores, Tipo::Bancos}) {
            const bool fila = k.valida || t != Tipo::Bancos;
            comprobar(c, {t, "CuentaBancoCCC", Q(k.cuenta), fila ? 1 : 0,
                          k.valida ? nullptr : "no es una cuenta de 20 cifras",
                          fila ? "NUMEROCUENTA" : nullptr, k.valida ? Q("0200051332") : QVariant()});
        }
    const Caso partes[] = {
        {Tipo::Proveedores, "CODIGOBANCO", Q("21A0"), 1,
         "Fila 2, columna CODIGOBANCO: «21A0» no son 4 cifras; no se usa.", "CODIGOBANCO"},
        {Tipo::Clientes, "NUMEROCUENTA", Q("020005133"), 1, "no son 10 cifras; no se usa.", "NUMEROCUENTA"},
        {Tipo::Clientes, "DC", Q("4-5"), 1, nullptr, "DC", Q("45")},
        // An account typed as a number cannot keep its 20 digits.
        {Tipo::Bancos, "CuentaBancoCCC", 21000418450200051332.0, 0,
         "escríbala como texto; la fila no se carga.", nullptr},
    };
    for (const Caso& k : partes)
        comprobar(c, k);
}

// The bank-account sheet: headers read as written, the IBAN always computed for the account (the
// country given, the one named, or ES) and check digits given that do not match it refused.
TEST(Comprobaciones, BankSheetHeadersAndIban) {
    Conexion c;
    c.bancos.cargarBancos(
        c.libro(QStringLiteral("minusculas.xlsx"), {{Q("Codigo"), Q("cuentabancoccc"), Q("NombreBanco")},
                                                    {Q("1001"), Q("21000418450200051332"), Q("Caixa")}}));
    EXPECT_TRUE(c.canal.incidences()
                    .join(QLatin1Char('\n'))
                    .contains(QStringLiteral("La columna «cuentabancoccc» no se lee: en esta hoja las "
                                             "cabeceras se escriben exactamente así, "
                                             "mayúsculas y minúsculas incluidas: «CuentaBancoCCC».")))
        << c.canal.incidences().join(QLatin1Char('\n')).toStdString();
    c.bancos.confirmarBancos(todos(qd::domicileFieldList()));
    const QString texto = c.canal.incidences().join(QLatin1Char('\n'));
    EXPECT_TRUE(texto.contains(QStringLiteral("Fila 2: la fila no trae cuenta (columna CuentaBancoCCC)")))
        << texto.toStdString();
    EXPECT_FALSE(texto.contains(QStringLiteral("incompleta")));

    const QString libro =
        c.libro(QStringLiteral("iban.xlsx"),
                {{Q("Codigo"), Q("CuentaBancoCCC"), Q("Iban_Pais"), Q("Iban_DC")},
                 {Q("1001"), Q("21000418450200051332"), QVariant(), QVariant()}, // no country anywhere: ES
                 {Q("1002"), Q("21000418450200051332"), Q("pt"), QVariant()},    // the country given
                 {Q("1003"), Q("21000418450200051332"), Q("ES"), Q("91")},       // given and right
                 {Q("1004"), Q("21000418450200051332"), Q("ES"), Q("XX")},
                 {Q("1005"), Q("21000418450200051332"), Q("ES"), Q("92")},
                 {Q("1006"), Q("21000418450200051332"), Q("ESP"), QVariant()}});
    EXPECT_EQ(c.bancos.cargarBancos(libro), 3);
    const QString incidencias = c.canal.incidences().join(QLatin1Char('\n'));
    for (const char* s :
         {"Fila 5, columna Iban_DC: «XX» no son los dos dígitos de control de un IBAN",
          "Fila 6, columna Iban_DC: «92» no son los dígitos de control del IBAN de la cuenta en ES "
          "(son 91); la fila no se carga.",
          "Fila 7, columna Iban_Pais: «ESP» no es el código de dos letras de un país"})
        EXPECT_TRUE(incidencias.contains(QString::fromUtf8(s))) << s << "\n" << incidencias.toStdString();
    c.bancos.confirmarBancos(todos(qd::domicileFieldList()));
    EXPECT_EQ(
        c.filas(QStringLiteral("SELECT C.CODIGO, D.IBAN_CODIGOPAIS, D.IBAN_DCIBAN FROM DOMICILIOSCOBRO D "
                               "JOIN CLIENTES C ON C.IDCLIENTES = D.CLIENTE WHERE D.NUMEROCUENTA = "
                               "'0200051332' ORDER BY C.CODIGO")),
        (QList<QVariantList>{
            {Q("1001"), Q("ES"), Q("91")}, {Q("1002"), Q("PT"), Q("86")}, {Q("1003"), Q("ES"), Q("91")}}));
}

} // namespace
