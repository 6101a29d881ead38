#pragma once
// Lots of an article and their link to a delivery-note line, shared by every kind that writes
// delivery-note lines. All statements run in the given transaction with their values bound.

#include <QDateTime>
#include <QString>

namespace qd::fb {
class Attachment;
class Transaction;
} // namespace qd::fb

namespace qd::lotes {

enum class Lado { Venta, Compra };

// The ID of the article's lot with that number: the existing one (left unchanged), or a new lot
// (available, costs 0, created by `usuario`) whose ID is the one its insertion returns. A null
// expiry date stores null.
int buscarOCrear(fb::Attachment& db, fb::Transaction& t, const QString& numero, int articulo,
                 const QDateTime& caducidad, int usuario);

// Links the lot to the line with the line's quantities and records it as the line's lot.
void enlazar(fb::Attachment& db, fb::Transaction& t, Lado lado, int lote, int linea, double cantidad1,
             double cantidad2);

} // namespace qd::lotes
