#pragma once
// Lots of delivery-note lines, shared by the line import and the DLR confirmation (each derives
// from it).
#include <QString>
#include <QStringList>
#include <QVariant>

#include "TDatos.h"

class Lotes {
public:
    explicit Lotes(TDatos& datos) : d(datos) {}
    Lotes(const Lotes&) = delete;
    Lotes& operator=(const Lotes&) = delete;

    TDatos& d; // the data module: connection, channel, shared steps

    // The lot of an article by its number; 0 when there is none.
    int Buscar_Lote(int IdArticulo, const QString& NumeroLote);
    // Finds or creates the lot (null expiry date: none) and links it to the sales (or, with
    // `compra`, purchase) delivery-note line with its quantities; returns the lot's ID.
    int InsertarNumeroLote(int IdArticulo, int IdLineaAlbaran, const QString& NumeroLote,
                           const QVariant& FechaCaducidad, double Cant1, double Cant2, bool compra = false);
};
