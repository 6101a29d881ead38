#pragma once
// The DLR confirmation of delivery notes: the logistics report staged sorted by order and
// article, checked, and the lots of its lines attached to the notes it completes.
#include <QString>
#include <QStringList>
#include <QVariant>

#include "Lotes.h"
#include "OpcionesDLR.h"

class ImportacionDLR : public Lotes {
public:
    explicit ImportacionDLR(TDatos& datos);
    ImportacionDLR(const ImportacionDLR&) = delete;
    ImportacionDLR& operator=(const ImportacionDLR&) = delete;

    using ResumenDLR = qd::ResumenDLR;
    TkvRxMemoryData kvRxMDAlbaranesDLR; // staging table of the DLR report, sorted by order and article
    int cargarDLR(const QString& fichero);
    void CargarRxAlbaranesDLR();
    // Checks every staged row and lists the problems; with `Importar`, attaches the lots of the lines
    // that check out and completes the delivery notes whose lines all do (under the engine options).
    ResumenDLR procesarDLR(bool Importar, const qd::OpcionesMotor& motor = {});
    ResumenDLR Procesar_AlbaranesDLR(bool Importar);

private:
    void Definir_kvRxMDAlbaranesDLR();
    int descartadasCarga_ = 0;
};
