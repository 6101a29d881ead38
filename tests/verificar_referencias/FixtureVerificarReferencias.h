#pragma once
// The reference verification fixture: a copy of the template database where one supplier
// usually supplies four articles (A to C and E) and has a record for a fifth (D) that another
// supplier usually supplies; A also has the supplier's record in a second company. The workbook
// (titles on row 1) gives references with the prefix PX.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "ConsultasPrueba.h"
#include "DatosConectados.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TempDatabase.h"

namespace verificar {

using qd::test::consultar;
using qd::test::ejecutar;

using Conexion = qd::test::DatosConectados;

// Records of the supplier: A "C-1" (format with EAN 8400000000011; company 2: "OTRA"), B no
// reference (card "HB-2"), C "c-3" in lower case, D "D-4" (usual supplier another), E "E-5".
struct Fixture {
    qd::test::TempDatabase db;
    int proveedor = 0;
    int a = 0, b = 0, c = 0, d = 0, e = 0;
    QString codigoProveedor;
    QTemporaryDir dir;
    QString libro;
    static constexpr int kFormatoA = 900001;

    Fixture() {
        auto cx = db.attach();
        const auto p = consultar(*cx, QStringLiteral("SELECT FIRST 1 IDPROVEEDORES, CODIGO FROM PROVEEDORES "
                                                     "ORDER BY IDPROVEEDORES"))
                           .value(0);
        proveedor = p.value(0).toInt();
        codigoProveedor = p.value(1).toString().trimmed();
        const auto arts =
            consultar(*cx, QStringLiteral("SELECT FIRST 5 IDARTICULOS FROM ARTICULOS ORDER BY CODIGO"));
        a = arts.value(0).value(0).toInt();
        b = arts.value(1).value(0).toInt();
        c = arts.value(2).value(0).toInt();
        d = arts.value(3).value(0).toInt();
        e = arts.value(4).value(0).toInt();
        ejecutar(*cx, QStringLiteral("DELETE FROM ARTICULOSPROVEEDORES WHERE PROVEEDOR = %1").arg(proveedor));
        ejecutar(*cx,
                 QStringLiteral("UPDATE ARTICULOS SET PROVEEDORHABITUAL = NULL WHERE PROVEEDORHABITUAL = %1")
                     .arg(proveedor));
        ejecutar(*cx,
                 QStringLiteral("INSERT INTO FORMATOS (IDFORMATOS, CODIGO, NOMBRE, ARTICULO, PRINCIPALSN, "
                                "UNIDADESSTOCK1, UNIDADESSTOCK2, SIGLAFORMATO) VALUES (%1, "
                                "'8400000000011', 'A', %2, 1, 1, 0, 'Und')")
                     .arg(kFormatoA)
                     .arg(a));
        auto registro = [&](int articulo, int empresa, const QString& ref, const QString& formato) {
            ejecutar(*cx, QStringLiteral("INSERT INTO ARTICULOSPROVEEDORES (ARTICULO, PROVEEDOR, EMPRESA, "
                                         "REFERENCIA_PROVEEDOR, CATALOGOWEB_SN, ID_FORMATO) VALUES "
                                         "(%1, %2, %3, %4, 0, %5)")
                              .arg(articulo)
                              .arg(proveedor)
                              .arg(empresa)
                              .arg(ref.isEmpty() ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(ref),
                                   formato.isEmpty() ? QStringLiteral("NULL") : formato));
        };
        registro(a, 1, QStringLiteral("C-1"), QString::number(kFormatoA));
        registro(a, 2, QStringLiteral("OTRA"), QString());
        registro(b, 1, QString(), QString());
        registro(c, 1, QStringLiteral("c-3"), QString());
        registro(d, 1, QStringLiteral("D-4"), QString());
        registro(e, 1, QStringLiteral("E-5"), QString());
        auto ficha = [&](int articulo, const QString& ref) {
            ejecutar(*cx, QStringLiteral("UPDATE ARTICULOS SET PROVEEDORHABITUAL = %1, REFERENCIAPROVEEDOR = "
                                         "'%2', NOMBRE = 'ORIGINAL %3' WHERE IDARTICULOS = %3")
                              .arg(proveedor)
                              .arg(ref)
                              .arg(articulo));
        };
        ficha(a, QStringLiteral("HA-1"));
        ficha(b, QStringLiteral("HB-2"));
        ficha(c, QStringLiteral("HC-3"));
        ficha(e, QStringLiteral("HE-5"));
        libro = dir.filePath(QStringLiteral("referencias.csv"));
        QFile f(libro);
        f.open(QIODevice::WriteOnly);
        f.write("REF;EAN;NOMBRE\n"
                "PXC-1;8400000000099;Nombre A excel\n"
                "hb-2;8400000000022;" +
                QByteArray(60, 'b') +
                "\n"
                "PXC-3;;Nombre C\n"
                "ZZZ;1;Nada\n");
    }

    qd::OpcionesVerificarReferencias opciones() const {
        qd::OpcionesVerificarReferencias o;
        o.IdProveedor = proveedor;
        o.CodigoProveedor = codigoProveedor;
        o.NombreProveedor = QStringLiteral("PROV");
        o.FilaTitulos = 1;
        o.Enlaces = {QStringLiteral("REF<-->REFERENCIA_PROVEEDOR"), QStringLiteral("EAN<-->CODIGOEAN"),
                     QStringLiteral("NOMBRE<-->NOMBRE_ARTICULO")};
        o.PrefijoReferencia = QStringLiteral("PX");
        return o;
    }

    // REFERENCIA_PROVEEDOR of the supplier's record of an article in a company.
    QVariant referencia(int articulo, int empresa = 1) const {
        auto cx = db.attach();
        return consultar(*cx, QStringLiteral("SELECT REFERENCIA_PROVEEDOR FROM ARTICULOSPROVEEDORES WHERE "
                                             "ARTICULO = %1 AND PROVEEDOR = %2 AND EMPRESA = %3")
                                  .arg(articulo)
                                  .arg(proveedor)
                                  .arg(empresa))
            .value(0)
            .value(0);
    }
    // REFERENCIAPROVEEDOR and NOMBRE of an article card.
    QVariantList ficha(int articulo) const {
        auto cx = db.attach();
        return consultar(*cx, QStringLiteral("SELECT REFERENCIAPROVEEDOR, NOMBRE FROM ARTICULOS WHERE "
                                             "IDARTICULOS = %1")
                                  .arg(articulo))
            .value(0);
    }
};

// Moves the work list to an article's row; false when it is not shown.
inline bool irA(TkvIBDataSet& ds, int articulo) {
    return ds.recordCount() > 0 && ds.locate(QStringLiteral("ARTICULO"), articulo);
}

} // namespace verificar
