#pragma once
// The supplier price-list fixture: a copy of the template database with two supplier records set
// to known values and a small workbook with its titles on row 3 (columns B to F).
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <utility>

#include "ConsultasPrueba.h"
#include "DatosConectados.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TempDatabase.h"

namespace tarifa_proveedor {

using qd::test::consultar;
using qd::test::ejecutar;

using Conexion = qd::test::DatosConectados;

// Two supplier records of one supplier, set to known values: A (usual supplier, card reference
// abc-9, stored reference "-12ab", no format) and B (stored reference "xy-7" in lower case).
struct Fixture {
    qd::test::TempDatabase db;
    int proveedor = 0, a = 0, b = 0;
    QTemporaryDir dir;
    QString libro;

    Fixture() {
        auto c = db.attach();
        const auto fila =
            consultar(*c, QStringLiteral("SELECT PROVEEDOR, MIN(ARTICULO), MAX(ARTICULO) FROM "
                                         "ARTICULOSPROVEEDORES WHERE EMPRESA = 1 GROUP BY PROVEEDOR "
                                         "HAVING COUNT(*) >= 2 ROWS 1"))
                .value(0);
        proveedor = fila.value(0).toInt();
        a = fila.value(1).toInt();
        b = fila.value(2).toInt();
        ejecutar(*c, QStringLiteral(
                         "UPDATE ARTICULOSPROVEEDORES SET REFERENCIA_PROVEEDOR = '-12ab', PRECIO = 50, "
                         "DESCUENTO = 10, DESCUENTO1 = 10, DESCUENTO2 = 0, DESCUENTO3 = 0, COSTOREAL = 45, "
                         "CATALOGOWEB_SN = 0, ID_FORMATO = NULL WHERE ARTICULO = %1 AND PROVEEDOR = %2")
                         .arg(a)
                         .arg(proveedor));
        ejecutar(*c, QStringLiteral(
                         "UPDATE ARTICULOSPROVEEDORES SET REFERENCIA_PROVEEDOR = 'xy-7', PRECIO = 70, "
                         "DESCUENTO = 0, DESCUENTO1 = 0, DESCUENTO2 = 0, DESCUENTO3 = 0, ID_FORMATO = NULL "
                         "WHERE ARTICULO = %1 AND PROVEEDOR = %2")
                         .arg(b)
                         .arg(proveedor));
        ejecutar(*c,
                 QStringLiteral("UPDATE ARTICULOS SET PROVEEDORHABITUAL = %1, REFERENCIAPROVEEDOR = 'abc-9', "
                                "DOBLESTOCK = 0 WHERE IDARTICULOS = %2")
                     .arg(proveedor)
                     .arg(a));
        // Row 3 holds the titles from column B; "PRECIO NETO" stands left of "PRECIO". Row 6
        // matches nothing; row 7 has no cell in the first title column.
        libro = dir.filePath(QStringLiteral("tarifa.csv"));
        QFile f(libro);
        f.open(QIODevice::WriteOnly);
        f.write("Tarifa 2026;;;;;\n"
                ";;;;;\n"
                ";REF;PRECIO NETO;PRECIO;EAN;NOMBRE\n"
                ";ab-12AB;999;100;8400000000011;Uno\n"
                ";XY-7;999;80;;Dos\n"
                ";NOPE;1;2;;Tres\n"
                ";;5;6;;Cuatro\n");
    }

    qd::OpcionesTarifaProveedor opciones() const {
        qd::OpcionesTarifaProveedor o;
        o.IdProveedor = proveedor;
        o.CodigoProveedor = QStringLiteral("P");
        o.NombreProveedor = QStringLiteral("PROV");
        o.FilaTitulos = 3;
        o.Enlaces = {QStringLiteral("REF<-->REFERENCIA_PROVEEDOR"), QStringLiteral("PRECIO<-->PRECIO"),
                     QStringLiteral("EAN<-->CODIGOEAN")};
        o.PrefijoReferencia = QStringLiteral("AB");
        o.Fichero = libro;
        return o;
    }

    // qdimport on this database and workbook with the options opciones() stands for, discounts 10
    // and 5 in the real cost, new EAN formats and the card's costs, and `mas`: its exit code and
    // what it printed.
    std::pair<int, QString> qdimport(const QString& codigoProveedor, const QStringList& mas = {}) const {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(QD_QDIMPORT),
                QStringList{QStringLiteral("--database"), db.path(), QStringLiteral("--kind"),
                            QStringLiteral("tarifa-proveedor"), QStringLiteral("--proveedor"),
                            codigoProveedor, QStringLiteral("--fila-titulos"), QStringLiteral("3"),
                            QStringLiteral("--enlace"),
                            QStringLiteral("REF=REFERENCIA_PROVEEDOR,PRECIO=PRECIO,EAN=CODIGOEAN"),
                            QStringLiteral("--prefijo"), QStringLiteral("AB"), QStringLiteral("--dto1"),
                            QStringLiteral("10"), QStringLiteral("--dto2"), QStringLiteral("5"),
                            QStringLiteral("--dtos-en-costo-real"), QStringLiteral("--formato-ean"),
                            QStringLiteral("--costes-ficha")} +
                    mas + QStringList{libro});
        if (!p.waitForFinished(300000)) return {-1, QStringLiteral("qdimport no terminó")};
        return {p.exitCode(), QString::fromLocal8Bit(p.readAll())};
    }

    // The supplier records, formats and articles of two fixtures' databases are the same (dates and
    // remarks aside).
    static void esperarMismasTablas(const Fixture& x, const Fixture& y) {
        const QStringList fechas{QStringLiteral("FECHA"), QStringLiteral("OBSERVACIONES")};
        for (const QString& tabla : {QStringLiteral("ARTICULOSPROVEEDORES"), QStringLiteral("FORMATOS"),
                                     QStringLiteral("ARTICULOS")})
            EXPECT_EQ(qd::test::volcarTabla(x.db.path(), tabla, fechas),
                      qd::test::volcarTabla(y.db.path(), tabla, fechas))
                << tabla.toStdString();
    }

    QVariantList ficha(int articulo) const {
        auto c = db.attach();
        return consultar(
                   *c, QStringLiteral("SELECT PRECIO, PVPRECOMENDADO, COSTOREAL, DESCUENTO, "
                                      "REFERENCIA_PROVEEDOR, CATALOGOWEB_SN, ID_FORMATO, OBSERVACIONES FROM "
                                      "ARTICULOSPROVEEDORES WHERE ARTICULO = %1 AND PROVEEDOR = %2")
                           .arg(articulo)
                           .arg(proveedor))
            .value(0);
    }
};

} // namespace tarifa_proveedor
