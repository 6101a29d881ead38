#pragma once
// The article import's options (one struct for the load and the write, named as the writer's
// arguments) and the writer's counters.

#include <QString>

#include "OpcionesMotor.h"

namespace qd {

struct OpcionesArticulos {
    int Tarifa_Ventas = 0;
    int Almacen = 0;
    int NumeroIntervalos = 3;
    bool ActualizarPVPs = false, SoloNuevos = false, ActualizarStock = false, Intervalos = false,
         SoloActualizar = false, SoloPvpStock = false, OpcionBusqueda = true, PonerStockActual = true,
         UsarTopeIntervalo = false, ActualizarCosteInical = false;
    // The four mode buttons (create, update, prices, stock) → options, as the page derives them.
    static OpcionesArticulos desdeModos(bool alta, bool actualizar, bool pvp, bool stock);
};

struct ResumenArticulos {
    int Nuevos = 0, Actualizados = 0, PVPModificados = 0, IntervalosModificados = 0, StockModificado = 0;
    int TotalRegistros = 0; // the staged record the loop stood on when it ended
    QString texto;          // the summary shown at the end
    ResultadoMotor motor;   // the rows with errors and the rows not written, the dry run's mark
};

} // namespace qd
