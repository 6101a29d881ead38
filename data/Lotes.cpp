#include "Lotes.h"

#include "FbStatement.h"
#include "FbTransaction.h"

namespace qd::lotes {

int buscarOCrear(fb::Attachment& db, fb::Transaction& t, const QString& numero, int articulo,
                 const QDateTime& caducidad, int usuario) {
    t.ensureStarted();
    fb::Statement buscar(&db, &t);
    buscar.setSql(QStringLiteral("SELECT IDLOTES FROM LOTES WHERE (NUMEROLOTE = :NUMEROLOTE) AND (ARTICULO = "
                                 ":ARTICULO) ORDER BY IDLOTES"));
    buscar.paramByName(QStringLiteral("NUMEROLOTE")).setString(numero);
    buscar.paramByName(QStringLiteral("ARTICULO")).setInt(articulo);
    buscar.execute();
    const int existente = buscar.eof() ? 0 : int(buscar.field(0).asInt());
    buscar.close();
    if (existente != 0) return existente;

    fb::Statement insertar(&db, &t);
    insertar.setSql(QStringLiteral("INSERT INTO LOTES (NUMEROLOTE, DISPONIBLE, FECHACADUCIDAD, ARTICULO, "
                                   "USUARIOCREACION, PRECIOCOSTELOTE, "
                                   "PRECIOMEDIOCOSTEARTICULO, PRECIOCOSTELOTEINICIAL) VALUES (:NUMEROLOTE, "
                                   "1, :FECHACADUCIDAD, :ARTICULO, "
                                   ":USUARIOCREACION, 0, 0, 0) RETURNING IDLOTES"));
    insertar.paramByName(QStringLiteral("NUMEROLOTE")).setString(numero);
    insertar.paramByName(QStringLiteral("FECHACADUCIDAD")).setDateTime(caducidad);
    insertar.paramByName(QStringLiteral("ARTICULO")).setInt(articulo);
    insertar.paramByName(QStringLiteral("USUARIOCREACION")).setInt(usuario);
    insertar.execute();
    return int(insertar.fieldByName(QStringLiteral("IDLOTES")).asInt());
}

void enlazar(fb::Attachment& db, fb::Transaction& t, Lado lado, int lote, int linea, double cantidad1,
             double cantidad2) {
    const bool venta = lado == Lado::Venta;
    t.ensureStarted();
    fb::Statement unir(&db, &t);
    unir.setSql(
        venta ? QStringLiteral("INSERT INTO LOTESLINEAALBVENTA (LOTE, LINEAALBVENTA, CANTIDADPEDIDASTOCK1, "
                               "CANTIDADPEDIDASTOCK2) VALUES (:LOTE, :LINEA, :CANT1, :CANT2)")
              : QStringLiteral("INSERT INTO LOTESLINEAALBCOMPRA (LOTE, LINEAALBCOMPRA, CANTIDADPEDIDASTOCK1, "
                               "CANTIDADPEDIDASTOCK2) VALUES (:LOTE, :LINEA, :CANT1, :CANT2)"));
    unir.paramByName(QStringLiteral("LOTE")).setInt(lote);
    unir.paramByName(QStringLiteral("LINEA")).setInt(linea);
    unir.paramByName(QStringLiteral("CANT1")).setDouble(cantidad1);
    unir.paramByName(QStringLiteral("CANT2")).setDouble(cantidad2);
    unir.execute();

    fb::Statement linea_(&db, &t);
    linea_.setSql(venta
                      ? QStringLiteral("UPDATE LineasAlbaranVenta LAV SET LAV.LotesAsociados = :Lotes WHERE "
                                       "LAV.IdLineasAlbaranVenta = :Linea")
                      : QStringLiteral("UPDATE LineasAlbaranCompra LAC SET LAC.LotesAsociados = :Lotes WHERE "
                                       "LAC.IdLineasAlbaranCompra = :Linea"));
    linea_.paramByName(QStringLiteral("Lotes")).setString(QString::number(lote));
    linea_.paramByName(QStringLiteral("Linea")).setInt(linea);
    linea_.execute();
}

} // namespace qd::lotes
