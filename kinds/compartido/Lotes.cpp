// The lot of a delivery-note line. A lot is found by its number and article or created
// (its ID the inserted row's; no expiry date stays null), then linked to the line with the line's
// quantities. Sales and purchases differ only in their tables.
#include "Lotes.h"

#include "FbError.h"
#include "SentenciasPreparadas.h"

#include <optional>

namespace {

using qd::fb::Statement;

struct LadoLote {
    const char* enlace; // INSERT of the lot-line link
    const char* linea;  // UPDATE of the line's associated lots
};

const LadoLote kVenta{
    "INSERT INTO LOTESLINEAALBVENTA (LOTE, LINEAALBVENTA, CANTIDADPEDIDASTOCK1, CANTIDADPEDIDASTOCK2) "
    "VALUES (:LOTE, :LINEA, :CANTIDADPEDIDASTOCK1, :CANTIDADPEDIDASTOCK2)",
    "UPDATE LineasAlbaranVenta LAV SET LAV.LotesAsociados = :Lotes WHERE LAV.IdLineasAlbaranVenta = "
    ":Linea"};
const LadoLote kCompra{
    "INSERT INTO LOTESLINEAALBCOMPRA (LOTE, LINEAALBCOMPRA, CANTIDADPEDIDASTOCK1, "
    "CANTIDADPEDIDASTOCK2) VALUES (:LOTE, :LINEA, :CANTIDADPEDIDASTOCK1, :CANTIDADPEDIDASTOCK2)",
    "UPDATE LineasAlbaranCompra LAC SET LAC.LotesAsociados = :Lotes WHERE LAC.IdLineasAlbaranCompra "
    "= :Linea"};

} // namespace

int Lotes::Buscar_Lote(int IdArticulo, const QString& NumeroLote) {
    std::optional<Statement> propia;
    Statement& s = SentenciasPreparadas::para(
        d, propia,
        QStringLiteral("SELECT IDLOTES FROM LOTES WHERE NUMEROLOTE = :Lote AND ARTICULO = :Articulo"));
    s.paramByName(QStringLiteral("Lote")).setString(NumeroLote);
    s.paramByName(QStringLiteral("Articulo")).setInt(IdArticulo);
    d.IBTransaction1.ensureStarted();
    const int id = TDatos::Id_Encontrado(s);
    return id;
}

int Lotes::InsertarNumeroLote(int IdArticulo, int IdLineaAlbaran, const QString& NumeroLote,
                              const QVariant& FechaCaducidad, double Cant1, double Cant2, bool compra) {
    const LadoLote& lado = compra ? kCompra : kVenta;
    int lote = Buscar_Lote(IdArticulo, NumeroLote);
    if (lote == 0) {
        // A new lot; an existing one is used as it is (its expiry date is not changed).
        std::optional<Statement> propia;
        Statement& s = SentenciasPreparadas::para(
            d, propia,
            QStringLiteral("INSERT INTO LOTES (NUMEROLOTE, DISPONIBLE, FECHACADUCIDAD, ARTICULO, "
                           "USUARIOCREACION, PRECIOCOSTELOTE, "
                           "PRECIOMEDIOCOSTEARTICULO, PRECIOCOSTELOTEINICIAL) VALUES (:NUMEROLOTE, 1, "
                           ":FECHACADUCIDAD, :ARTICULO, "
                           ":USUARIOCREACION, 0, 0, 0) RETURNING IDLOTES"));
        s.paramByName(QStringLiteral("NUMEROLOTE")).setString(NumeroLote);
        s.paramByName(QStringLiteral("FECHACADUCIDAD")).setVariant(FechaCaducidad);
        s.paramByName(QStringLiteral("ARTICULO")).setInt(IdArticulo);
        s.paramByName(QStringLiteral("USUARIOCREACION")).setInt(d.IdUsuario);
        d.IBTransaction1.ensureStarted();
        s.execute();
        lote = int(s.field(0).asInt());
        s.close();
    }
    d.Ejecutar_Sentencia(QString::fromLatin1(lado.enlace), {{QStringLiteral("LOTE"), lote},
                                                            {QStringLiteral("LINEA"), IdLineaAlbaran},
                                                            {QStringLiteral("CANTIDADPEDIDASTOCK1"), Cant1},
                                                            {QStringLiteral("CANTIDADPEDIDASTOCK2"), Cant2}});
    d.Ejecutar_Sentencia(QString::fromLatin1(lado.linea), {{QStringLiteral("Lotes"), QString::number(lote)},
                                                           {QStringLiteral("Linea"), IdLineaAlbaran}});
    return lote;
}
