#pragma once
// The sales price-list import: up to three price lists at once (columns 3, 5 and 7).
#include <QString>
#include <QStringList>
#include <QVariant>

#include "LimitesColumnas.h"
#include "OpcionesTarifas.h"
#include "TDatos.h"

class ImportacionTarifas {
public:
    explicit ImportacionTarifas(TDatos& datos);
    ImportacionTarifas(const ImportacionTarifas&) = delete;
    ImportacionTarifas& operator=(const ImportacionTarifas&) = delete;

    TDatos& d; // the data module: connection, channel, shared steps

    using OpcionesTarifas = qd::OpcionesTarifas;
    using ResumenTarifas = qd::ResumenTarifas;
    TkvRxMemoryData kvRxTarifas; // staging table of the sales price-list import
    int cargarTarifas(const QString& fichero);
    ResumenTarifas confirmarTarifas(const OpcionesTarifas& o, const qd::OpcionesMotor& motor = {});
    // Rows 2 on whose column 3 is a number: code (1), name (2), prices (3, 5 and 7).
    void CargarRxTarifas();
    // The captions of the three price columns (row 2 of columns 3, 5 and 7, upper-cased).
    QStringList Titulos_Precios_Tarifas() const;
    ResumenTarifas InsertarTarifas(const OpcionesTarifas& o);

private:
    void Definir_kvRxTarifas();
    QStringList titulosTarifas_;
    qd::LimitesColumnas limites_{d};
    int descartadasCarga_ = 0;
};
