// DLR confirmation: lots of 4 + 6 against a line of 10 attached, 9 against 10 refused, a failing
// line keeping its note unconfirmed while the good lines are written, a three-letter series, an
// empty expiry date, 0.1 + 0.2 against 0.3, and the check-only run writing nothing.
#include <gtest/gtest.h>

#include <QProcess>

#include "Conexion.h"

namespace {

using prueba::Conexion;

QVariant Q(const char* s) {
    return QString::fromUtf8(s);
}

const QVariantList kCabecera{Q("Pedido"),     Q("Línea"), Q("Código"),
                             Q("Und. Preps"), Q("Lote"),  Q("Fecha de caducidad")};

// Note A2: lines 10006 (10 units), 10013 (3 units, made 0.3), 10008 (6 units). Note ALB15: 10011 (50).
void lotes(Conexion& c) {
    c.ejecutar(
        QStringLiteral("UPDATE LINEASALBARANVENTA SET CANTIDADSTOCK1 = 0.3 WHERE IDLINEASALBARANVENTA = 7"));
    for (const char* sql : {"INSERT INTO LOTES (NUMEROLOTE, ARTICULO) VALUES ('L1', 6)",
                            "INSERT INTO LOTES (NUMEROLOTE, ARTICULO) VALUES ('L2', 6)",
                            "INSERT INTO LOTES (NUMEROLOTE, ARTICULO) VALUES ('L3', 13)",
                            "INSERT INTO LOTES (NUMEROLOTE, ARTICULO) VALUES ('L4', 8)"})
        c.ejecutar(QString::fromLatin1(sql));
}

TEST(DLR, GroupsUnitsNotesAndCheckOnly) {
    Conexion c;
    lotes(c);
    const QString libro =
        c.libro(QStringLiteral("dlr.xlsx"), {kCabecera,
                                             {Q("A2"), 1, Q("10006"), 4.0, Q("L1"), Q("2027-05-31")},
                                             {Q("ALB15"), 1, Q("10011"), 50.0, Q("L2402-0111"), QVariant()},
                                             {Q("A2"), 2, Q("10013"), 0.1, Q("L3"), QVariant()},
                                             {Q("A2"), 1, Q("10006"), 6.0, Q("L2"), Q("31/05/2027")},
                                             {Q("A2"), 2, Q("10013"), 0.2, Q("L3"), QVariant()},
                                             {Q("A2"), 3, Q("10008"), 5.0, Q("L4"), QVariant()}});
    ASSERT_EQ(c.dlr.cargarDLR(libro), 6);
    auto estado = [&c] {
        return qd::test::volcarTabla(c.db.path(), QStringLiteral("LOTESLINEAALBVENTA")) +
               qd::test::volcarTabla(c.db.path(), QStringLiteral("ALBARANESVENTA"));
    };
    const QStringList antes = estado();
    const auto comprobar = c.dlr.procesarDLR(false);
    EXPECT_EQ(comprobar.LineasConIncidencias, 1);
    EXPECT_EQ(estado(), antes) << "checking writes nothing";
    const QString incidencias = c.canal.incidences().join(QLatin1Char('\n'));
    EXPECT_TRUE(incidencias.contains(QStringLiteral("Articulo: 10008")) &&
                incidencias.contains(QStringLiteral("Las unidades pedidas de la línea no coinciden.")))
        << incidencias.toStdString();

    const auto r = c.dlr.procesarDLR(true);
    EXPECT_EQ(r.LineasEscritas, 3);
    EXPECT_EQ(r.AlbaranesCompletados, 1) << "ALB15 completed, A2 not (its 10008 line fails)";
    EXPECT_EQ(c.filas(QStringLiteral(
                  "SELECT LOTESASOCIADOS FROM LINEASALBARANVENTA WHERE IDLINEASALBARANVENTA IN (6, 7, "
                  "5, 8) ORDER BY IDLINEASALBARANVENTA")),
              (QList<QVariantList>{{QVariant()}, {Q(" L1 L2")}, {Q(" L3 L3")}, {Q(" L2402-0111")}}));
    EXPECT_EQ(c.filas(QStringLiteral("SELECT IDALBARANESVENTA, ESTADO_CONFIRMACION FROM ALBARANESVENTA WHERE "
                                     "IDALBARANESVENTA IN (2, 3) ORDER BY 1")),
              (QList<QVariantList>{{2, 0}, {3, 1}}));
    EXPECT_EQ(c.valor(QStringLiteral(
                          "SELECT SUM(CANTIDADPEDIDASTOCK1) FROM LOTESLINEAALBVENTA WHERE LINEAALBVENTA = 6"))
                  .toDouble(),
              10.0);
}

TEST(DLR, HeadlessCheckOnlyExitsWithIncidences) {
    Conexion c;
    lotes(c);
    const QString libro =
        c.libro(QStringLiteral("dlr.xlsx"), {kCabecera, {Q("A2"), 1, Q("10006"), 9.0, Q("L1"), QVariant()}});
    qd::test::TempDatabase cli;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(QD_QDIMPORT), {QStringLiteral("--database"), cli.path(), QStringLiteral("--kind"),
                                          QStringLiteral("dlr"), QStringLiteral("--comprobar"), libro});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString salida = QString::fromUtf8(p.readAll());
    EXPECT_EQ(p.exitCode(), 3) << salida.toStdString();
    EXPECT_TRUE(salida.contains(QStringLiteral("El Lote del Artículo no existe."))) << salida.toStdString();
}

} // namespace
