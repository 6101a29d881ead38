// Suppliers: create and update by code, check digits "00" computed, the IBAN written with the
// account when the row names its country and kept when it does not, a workbook without a column a
// supplier needs refused before any write; and the page against qdimport.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include "CamposClientes.h"
#include "Conexion.h"
#include "DigitosControl.h"
#include "ErrorImportacion.h"
#include "FieldList.h"
#include "PaginaBancos.h"
#include "PaginaClientes.h"
#include "PaginaContactos.h"
#include "PaginaDirecciones.h"
#include "PaginaProveedores.h"
#include "TJvFilenameEdit.h"

namespace {

using prueba::Conexion;

QVariant Q(const char* s) {
    return QString::fromUtf8(s);
}

qd::FieldList todos(qd::FieldList lista) {
    lista.setInitialTicks();
    return lista;
}

const QVariantList kCabecera{Q("CODIGO"),         Q("NOMBRE"),     Q("COD_FPAGO"),
                             Q("COD_REGIMENIVA"), Q("COD_MONEDA"), Q("COD_GRUPOEMPRESA"),
                             Q("CuentaBancoCCC"), Q("PAIS"),       Q("COD_TIPOCLIENTE")};

QList<QVariantList> proveedor(Conexion& c, const char* codigo) {
    return c.filas(
        QStringLiteral("SELECT NOMBRE, FORMAPAGO, CARTERA, CODIGOBANCO, DC, NUMEROCUENTA, IBAN_CODIGOPAIS, "
                       "IBAN_DCIBAN FROM PROVEEDORES WHERE CODIGO = '%1'")
            .arg(QString::fromLatin1(codigo)));
}

TEST(Proveedores, CreateUpdateCheckDigitsAndIban) {
    Conexion c;
    qd::OpcionesClientes o;
    o.defectos = c.clientes.datosDefectoIniciales();
    c.proveedores.cargarProveedores(
        c.libro(QStringLiteral("alta.xlsx"), {kCabecera,
                                              {Q("PV1"), Q("Uno"), Q("R30"), Q("GEN"), Q("EUR"), Q("G01"),
                                               Q("21000418000200051332"), Q("España"), Q("NOPE")}}),
        o);
    auto r = c.proveedores.confirmarProveedores(o, todos(qd::supplierFieldList()));
    EXPECT_EQ(r.Nuevos, 1);
    EXPECT_EQ(proveedor(c, "PV1"),
              (QList<QVariantList>{{Q("Uno"), 2, 2, Q("2100"), Q("45"), Q("0200051332"), Q("ES"), Q("91")}}));

    // Updated by code: a new account without a country takes its IBAN in the stored country; the
    // portfolio is set on creation only.
    c.proveedores.cargarProveedores(c.libro(QStringLiteral("cambio.xlsx"),
                                            {kCabecera,
                                             {Q("PV1"), Q("Uno bis"), Q("CON"), Q("GEN"), Q("EUR"), Q("G01"),
                                              Q("21000418450200051333"), QVariant(), QVariant()}}),
                                    o);
    r = c.proveedores.confirmarProveedores(o, todos(qd::supplierFieldList()));
    EXPECT_EQ(r.Actualizados, 1);
    EXPECT_EQ(
        proveedor(c, "PV1"),
        (QList<QVariantList>{{Q("Uno bis"), 1, 2, Q("2100"), Q("45"), Q("0200051333"), Q("ES"),
                              qd::Calcular_Digito_Control_IBAN(
                                  QStringLiteral("ES"), QStringLiteral("21000418450200051333"), true)}}));
}

// The IBAN always matches the account stored: worked out again whenever the account changes (for
// the row's country, else the stored one, else ES) and kept while it does not; an update writes
// only the account parts the row gives, and empty account cells leave the stored account.
TEST(Proveedores, IbanAlwaysMatchesTheStoredAccount) {
    Conexion c;
    // P001 is stored with 0081 0216 71 0001234567, ES 89; P002 has no account.
    c.ejecutar(
        QStringLiteral("UPDATE PROVEEDORES SET CODIGOBANCO = '2100', CODIGOSUCURSAL = '0418', DC = '45', "
                       "NUMEROCUENTA = '0200051332', IBAN_CODIGOPAIS = 'PT', IBAN_DCIBAN = '86' WHERE "
                       "CODIGO = 'P002'"));
    qd::OpcionesClientes o;
    o.defectos = c.clientes.datosDefectoIniciales();
    auto importar = [&](const QVariantList& cabecera, const QList<QVariantList>& filas) {
        static int n = 0;
        QList<QVariantList> libro{QVariantList{Q("CODIGO"), Q("NOMBRE"), Q("COD_FPAGO"), Q("COD_REGIMENIVA"),
                                               Q("COD_MONEDA"), Q("COD_GRUPOEMPRESA")} +
                                  cabecera};
        for (const QVariantList& f : filas)
            libro << QVariantList{f.value(0), Q("Nombre"), Q("R30"), Q("GEN"), Q("EUR"), Q("G01")} + f.mid(1);
        c.proveedores.cargarProveedores(c.libro(QStringLiteral("iban%1.xlsx").arg(++n), libro), o);
        c.proveedores.confirmarProveedores(o, todos(qd::supplierFieldList()));
    };
    auto cuenta = [&c](const char* codigo) {
        return c
            .filas(QStringLiteral("SELECT NOMBREBANCO, CODIGOBANCO, CODIGOSUCURSAL, DC, NUMEROCUENTA, "
                                  "IBAN_CODIGOPAIS, IBAN_DCIBAN FROM PROVEEDORES WHERE CODIGO = '%1'")
                       .arg(QString::fromLatin1(codigo)))
            .value(0);
    };
    // A new account, no country in the row: the stored country (ES, PT), or ES for a new supplier.
    importar({Q("CuentaBancoCCC"), Q("PAIS")}, {{Q("P001"), Q("21000418450200051332"), QVariant()},
                                                {Q("P002"), Q("00491500051234567892"), Q("")},
                                                {Q("PV9"), Q("00491500051234567892"), QVariant()}});
    EXPECT_EQ(cuenta("P001"), (QVariantList{Q("BANCO SABADELL"), Q("2100"), Q("0418"), Q("45"),
                                            Q("0200051332"), Q("ES"), Q("91")}));
    EXPECT_EQ(
        cuenta("P002").mid(5),
        (QVariantList{Q("PT"), qd::Calcular_Digito_Control_IBAN(
                                   QStringLiteral("PT"), QStringLiteral("00491500051234567892"), true)}));
    EXPECT_EQ(cuenta("PV9").mid(5), (QVariantList{Q("ES"), Q("60")}));
    // Only the bank name, or empty account cells: the account and its IBAN stay.
    importar({Q("NOMBREBANCO"), Q("CuentaBancoCCC")}, {{Q("P001"), Q("Caixa"), QVariant()}});
    EXPECT_EQ(cuenta("P001"),
              (QVariantList{Q("Caixa"), Q("2100"), Q("0418"), Q("45"), Q("0200051332"), Q("ES"), Q("91")}));
    // One part: the rest as stored, the IBAN of the whole account.
    importar({Q("NUMEROCUENTA")}, {{Q("P001"), Q("0123456789")}});
    EXPECT_EQ(cuenta("P001").mid(1, 4), (QVariantList{Q("2100"), Q("0418"), Q("45"), Q("0123456789")}));
    // Whatever the steps, every stored IBAN is right for its account.
    for (const QVariantList& f : c.filas(QStringLiteral(
             "SELECT CODIGO, IBAN_CODIGOPAIS || IBAN_DCIBAN || CODIGOBANCO || CODIGOSUCURSAL || "
             "DC || NUMEROCUENTA FROM PROVEEDORES WHERE NUMEROCUENTA IS NOT NULL")))
        EXPECT_TRUE(qd::IbanValido(f.value(1).toString()))
            << f.value(0).toString().toStdString() << " " << f.value(1).toString().toStdString();
}

TEST(Proveedores, MissingRequiredColumnIsRefusedBeforeWriting) {
    Conexion c;
    const int antes = c.valor(QStringLiteral("SELECT COUNT(*) FROM PROVEEDORES")).toInt();
    try {
        c.proveedores.cargarProveedores(
            c.libro(QStringLiteral("sin_moneda.xlsx"),
                    {{Q("CODIGO"), Q("NOMBRE"), Q("COD_FPAGO"), Q("COD_REGIMENIVA"), Q("COD_GRUPOEMPRESA")},
                     {Q("PV9"), Q("Nueve"), Q("R30"), Q("GEN"), Q("G01")}}),
            {});
        ADD_FAILURE() << "a workbook without the currency must be refused";
    } catch (const qd::ErrorImportacion& e) {
        EXPECT_TRUE(e.texto().contains(QStringLiteral("COD_MONEDA o MONEDA"))) << e.texto().toStdString();
    }
    EXPECT_EQ(c.valor(QStringLiteral("SELECT COUNT(*) FROM PROVEEDORES")).toInt(), antes);
}

// The same workbooks through the "Proveedores" and "Clientes - Bancos" pages and through qdimport
// leave the same database.
TEST(Proveedores, PagesAndHeadlessImporterLeaveTheSameDatabase) {
    const QList<QVariantList> proveedores{kCabecera,
                                          {Q("PG1"), Q("Uno"), Q("R30"), Q("GEN"), Q("EUR"), Q("G01"),
                                           Q("21000418000200051332"), Q("España"), QVariant()},
                                          {Q("P001"), Q("Cambiado"), Q("CON"), Q("GEN"), Q("USD"), Q("G01"),
                                           QVariant(), QVariant(), QVariant()}};
    const QList<QVariantList> bancos{{Q("Codigo"), Q("CuentaBancoCCC"), Q("NombreBanco"), Q("Pais")},
                                     {Q("1001"), Q("21000418450200051332"), Q("Caixa"), Q("Portugal")}};
    Conexion gui;
    const QString libroProveedores = gui.libro(QStringLiteral("proveedores.xlsx"), proveedores);
    const QString libroBancos = gui.libro(QStringLiteral("bancos.xlsx"), bancos);
    {
        QString fichero;
        PaginaProveedores pagina(gui.d, fichero);
        pagina.alMostrarPrimeraVez();
        pagina.selector()->setText(libroProveedores);
        QTimer::singleShot(0, [] {
            QApplication::activeModalWidget()
                ->findChild<QPushButton*>(QStringLiteral("kvBotonIniciarImportacion"))
                ->click();
        });
        pagina.botonCargar()->click();
        PaginaBancos bancosPagina(gui.d, fichero);
        bancosPagina.alMostrarPrimeraVez();
        bancosPagina.selector()->setText(libroBancos);
        bancosPagina.botonCargar()->click();
    }
    EXPECT_TRUE(gui.canal.messages(qd::MessageKind::Error).isEmpty())
        << gui.canal.messages().join(QLatin1Char('\n')).toStdString();

    qd::test::TempDatabase cli;
    for (const auto& [kind, libro] :
         {std::pair{"proveedores", libroProveedores}, std::pair{"bancos", libroBancos}}) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(QD_QDIMPORT), {QStringLiteral("--database"), cli.path(),
                                              QStringLiteral("--kind"), QString::fromLatin1(kind), libro});
        ASSERT_TRUE(p.waitForFinished(120000));
        ASSERT_EQ(p.exitCode(), 0) << QString::fromUtf8(p.readAll()).toStdString();
    }
    for (const char* tabla : {"PROVEEDORES", "DOMICILIOSCOBRO"})
        EXPECT_EQ(qd::test::volcarTabla(gui.db.path(), QString::fromLatin1(tabla), {"FECHAALTA"}),
                  qd::test::volcarTabla(cli.path(), QString::fromLatin1(tabla), {"FECHAALTA"}))
            << tabla;
}

} // namespace
