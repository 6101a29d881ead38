// Delivery addresses and contacts: the row's client by its code, an address or contact being the
// one of that client with that name, the columns a workbook must have, the fiscal address filled
// from a delivery address, names and surnames, the telephone written as EXTENSION, the dry run.
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

// Two clients, DIR1 without a fiscal address and DIR2 with one.
void dosClientes(Conexion& c) {
    c.ejecutar(QStringLiteral(
        "INSERT INTO CLIENTES (GRUPOEMPRESAS, CODIGO, NOMBRE) VALUES (1, 'DIR1', 'Sin dirección')"));
    c.ejecutar(QStringLiteral("INSERT INTO CLIENTES (GRUPOEMPRESAS, CODIGO, NOMBRE, DIRECCION, LOCALIDAD) "
                              "VALUES (1, 'DIR2', 'Con dirección', 'Calle Fiscal 9', 'Elche')"));
}

TEST(Direcciones, SameNameForTwoClientsUnknownClientAndFiscalAddress) {
    Conexion c;
    dosClientes(c);
    const QString libro =
        c.libro(QStringLiteral("direcciones.xlsx"),
                {{Q("COD_CLIENTE"), Q("NOMBRE_ENVIO"), Q("DIRECCION"), Q("LOCALIDAD"), Q("PROVINCIA"),
                  Q("TELEFONO1")},
                 {Q("DIR1"), Q("Almacén"), Q("Calle Uno 1"), Q("Alcoy"), Q("Alicante"), Q("600")},
                 {Q("DIR2"), Q("Almacén"), Q("Calle Dos 2"), Q("Elda"), Q("Alicante"), Q("700")},
                 {Q("NOEXISTE"), Q("Almacén"), Q("Calle Tres"), Q("X"), Q("Y"), Q("800")}});
    qd::OpcionesClientes o;
    EXPECT_EQ(c.direcciones.cargarDirecciones(libro, o), 2);
    EXPECT_TRUE(c.canal.incidences().join(QLatin1Char('\n')).contains(QStringLiteral("Fila 4: ")));
    auto r = c.direcciones.confirmarDirecciones(o, todos(qd::addressFieldList()));
    EXPECT_EQ(r.Nuevos, 2);
    EXPECT_EQ(r.Descartadas, 1);
    EXPECT_TRUE(r.texto.contains(QStringLiteral("Descartados al cargar: 1"))) << r.texto.toStdString();
    // Each client has its own address of that name.
    EXPECT_EQ(c.filas(QStringLiteral(
                  "SELECT C.CODIGO, D.NOMBRE, D.DIRECCION FROM DIRECCIONESENVIO D JOIN CLIENTES C ON "
                  "C.IDCLIENTES = D.CLIENTE WHERE C.CODIGO IN ('DIR1', 'DIR2') ORDER BY C.CODIGO")),
              (QList<QVariantList>{{Q("DIR1"), Q("Almacén"), Q("Calle Uno 1")},
                                   {Q("DIR2"), Q("Almacén"), Q("Calle Dos 2")}}));
    // The client without a fiscal address takes its delivery address; the other keeps its own.
    EXPECT_EQ(
        c.filas(QStringLiteral("SELECT CODIGO, DIRECCION, LOCALIDAD FROM CLIENTES WHERE CODIGO IN ('DIR1', "
                               "'DIR2') ORDER BY CODIGO")),
        (QList<QVariantList>{{Q("DIR1"), Q("Calle Uno 1"), Q("Alcoy")},
                             {Q("DIR2"), Q("Calle Fiscal 9"), Q("Elche")}}));

    // Again: the same addresses are updated, not added; with only-new, left alone.
    c.direcciones.cargarDirecciones(libro, o);
    r = c.direcciones.confirmarDirecciones(o, todos(qd::addressFieldList()));
    EXPECT_EQ(r.Actualizados, 2);
    o.SoloNuevos = true;
    c.direcciones.cargarDirecciones(libro, o);
    r = c.direcciones.confirmarDirecciones(o, todos(qd::addressFieldList()));
    EXPECT_EQ(r.Omitidos, 2);
    EXPECT_EQ(
        c.valor(QStringLiteral("SELECT COUNT(*) FROM DIRECCIONESENVIO D JOIN CLIENTES C ON C.IDCLIENTES = "
                               "D.CLIENTE WHERE C.CODIGO IN ('DIR1', 'DIR2')"))
            .toInt(),
        2);
}

// Workbooks and ticks that cannot be written are refused before anything is written.
TEST(Direcciones, RefusedBeforeWriting) {
    Conexion c;
    dosClientes(c);
    const int antes = c.valor(QStringLiteral("SELECT COUNT(*) FROM DIRECCIONESENVIO")).toInt();
    const QString sinLocalidad =
        c.libro(QStringLiteral("sin_localidad.xlsx"),
                {{Q("COD_CLIENTE"), Q("NOMBRE_ENVIO"), Q("DIRECCION"), Q("PROVINCIA")},
                 {Q("DIR1"), Q("A"), Q("B"), Q("C")}});
    try {
        c.direcciones.cargarDirecciones(sinLocalidad, {});
        ADD_FAILURE() << "a workbook without LOCALIDAD must be refused";
    } catch (const qd::ErrorImportacion& e) {
        EXPECT_TRUE(e.texto().contains(QStringLiteral("LOCALIDAD"))) << e.texto().toStdString();
    }
    const QString completo =
        c.libro(QStringLiteral("completo.xlsx"),
                {{Q("COD_CLIENTE"), Q("NOMBRE_ENVIO"), Q("DIRECCION"), Q("LOCALIDAD"), Q("PROVINCIA")},
                 {Q("DIR1"), Q("A"), Q("B"), QVariant(), Q("C")}});
    EXPECT_EQ(c.direcciones.cargarDirecciones(completo, {}), 1); // an empty LOCALIDAD cell is an empty text
    qd::FieldList soloClave = qd::addressFieldList();
    soloClave.setAllChecked(false);
    soloClave.applyRules(); // COD_CLIENTE and NOMBRE_ENVIO only
    EXPECT_THROW(c.direcciones.confirmarDirecciones({}, soloClave), qd::ErrorImportacion);
    EXPECT_EQ(c.valor(QStringLiteral("SELECT COUNT(*) FROM DIRECCIONESENVIO")).toInt(), antes);
}

TEST(Contactos, NameAndSurnamesTelephoneAndOneContactPerClient) {
    Conexion c;
    dosClientes(c);
    const QString libro = c.libro(
        QStringLiteral("contactos.xlsx"),
        {{Q("COD_CLIENTE"), Q("GRUPOEMPRESAS"), Q("NOMBRE"), Q("APELLIDOS"), Q("TELEFONO"), Q("CARGO")},
         {Q("DIR1"), 1, Q("Juan"), Q("García López"), Q("961"), Q("Compras")},
         {Q("DIR2"), 1, Q("Juan"), Q("García López"), Q("962"), Q("Gerente")},
         {Q("DIR2"), 1, Q("Maximiliano Alejandro"), Q("de la Santísima Trinidad"), Q("963"), QVariant()}});
    qd::OpcionesClientes o;
    EXPECT_EQ(c.contactos.cargarContactos(libro, o), 3);
    auto r = c.contactos.confirmarContactos(o, todos(qd::contactFieldList()));
    EXPECT_EQ(r.Nuevos, 3);
    EXPECT_EQ(
        c.filas(QStringLiteral("SELECT C.CODIGO, P.NOMBRE, P.EXTENSION, P.CARGO FROM PERSONASCONTACTO P JOIN "
                               "CLIENTES C ON C.IDCLIENTES = P.CLIENTE WHERE C.CODIGO IN ('DIR1', 'DIR2') "
                               "ORDER BY P.EXTENSION")),
        (QList<QVariantList>{{Q("DIR1"), Q("Juan García López"), Q("961"), Q("Compras")},
                             {Q("DIR2"), Q("Juan García López"), Q("962"), Q("Gerente")},
                             {Q("DIR2"), Q("Maximiliano Alejandro de la Santísi"), Q("963"), Q("")}}));
    // The same rows again update the three contacts, each of its own client.
    c.contactos.cargarContactos(libro, o);
    r = c.contactos.confirmarContactos(o, todos(qd::contactFieldList()));
    EXPECT_EQ(r.Actualizados, 3);
    EXPECT_EQ(
        c.valor(QStringLiteral("SELECT COUNT(*) FROM PERSONASCONTACTO P JOIN CLIENTES C ON C.IDCLIENTES = "
                               "P.CLIENTE WHERE C.CODIGO = 'DIR1'"))
            .toInt(),
        1);
    // Without a GRUPOEMPRESAS column the contacts cannot be written: refused before writing.
    EXPECT_THROW(
        c.contactos.cargarContactos(c.libro(QStringLiteral("sin_grupo.xlsx"),
                                            {{Q("COD_CLIENTE"), Q("NOMBRE")}, {Q("DIR1"), Q("Ana")}}),
                                    o),
        qd::ErrorImportacion);
}

TEST(Direcciones, DryRunOfAddressesAndContactsChangesNothing) {
    Conexion c;
    dosClientes(c);
    auto estado = [&c] {
        return qd::test::volcarTabla(c.db.path(), QStringLiteral("DIRECCIONESENVIO")) +
               qd::test::volcarTabla(c.db.path(), QStringLiteral("PERSONASCONTACTO")) +
               qd::test::volcarTabla(c.db.path(), QStringLiteral("CLIENTES"), {"FECHAALTA"});
    };
    const QStringList antes = estado();
    qd::OpcionesMotor simular;
    simular.simular = true;
    const QString direcciones =
        c.libro(QStringLiteral("d.xlsx"),
                {{Q("COD_CLIENTE"), Q("NOMBRE_ENVIO"), Q("DIRECCION"), Q("LOCALIDAD"), Q("PROVINCIA")},
                 {Q("DIR1"), Q("A"), Q("B"), Q("C"), Q("D")}});
    const QString contactos =
        c.libro(QStringLiteral("c.xlsx"),
                {{Q("COD_CLIENTE"), Q("GRUPOEMPRESAS"), Q("NOMBRE")}, {Q("DIR1"), 1, Q("Ana")}});
    c.d.Empezar_Carga();
    c.direcciones.cargarDirecciones(direcciones, {});
    const auto sd = c.direcciones.confirmarDirecciones({}, todos(qd::addressFieldList()), simular);
    c.d.Empezar_Carga();
    c.contactos.cargarContactos(contactos, {});
    const auto sc = c.contactos.confirmarContactos({}, todos(qd::contactFieldList()), simular);
    EXPECT_EQ(estado(), antes);
    EXPECT_EQ(sd.Nuevos, 1);
    EXPECT_EQ(sc.Nuevos, 1);
    c.direcciones.cargarDirecciones(direcciones, {});
    EXPECT_EQ(c.direcciones.confirmarDirecciones({}, todos(qd::addressFieldList())).Nuevos, sd.Nuevos);
    c.contactos.cargarContactos(contactos, {});
    EXPECT_EQ(c.contactos.confirmarContactos({}, todos(qd::contactFieldList())).Nuevos, sc.Nuevos);
}

} // namespace
