#pragma once
// The options of the client, delivery-address and contact imports, the defaults of new clients
// (chosen in the defaults window or by code in qdimport) and what a run of these writers counts.

#include <QString>

#include "OpcionesMotor.h"

namespace qd {

// IDs given to a new client (and to codes that are not found) when the workbook does not say.
struct DatosDefectoClientes {
    int GrupoEmpresas = 0, RegimenIVA = 0, FormaPago = 0, Cartera = 0, Tarifa = 0, Moneda = 0;
    friend bool operator==(const DatosDefectoClientes&, const DatosDefectoClientes&) = default;
};

// What the client writer's auxiliary step stores besides the CLIENTES row (list entries 23 to 26).
struct AuxiliaresCliente {
    bool bancos = false, agente = false, zona = false, ruta = false;
    bool alguno() const { return bancos || agente || zona || ruta; }
};

struct OpcionesClientes {
    bool SoloNuevos = false; // existing records are not written
    DatosDefectoClientes defectos;
};

// The counts of a client, address or contact run.
struct ResumenClientes {
    int Nuevos = 0, Actualizados = 0;
    int Omitidos = 0;    // existing records left alone (only new ones)
    int ConErrores = 0;  // rows the database refused
    int Descartadas = 0; // rows the load did not stage
    int TotalRegistros = 0;
    QString texto; // the summary shown at the end
    ResultadoMotor motor;
};

} // namespace qd
