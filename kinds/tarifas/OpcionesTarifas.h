#pragma once
// The sales price-list import's options (the price list each of the three price columns feeds;
// 0: none) and what its writer counts.

#include <QString>

#include "OpcionesMotor.h"

namespace qd {

struct OpcionesTarifas {
    int IDTarifa1 = 0, IDTarifa2 = 0, IDTarifa3 = 0;
};

struct ResumenTarifas {
    int Actualizados = 0;  // prices written
    int NoEncontrados = 0; // rows whose article code matches no article
    int FueraDeTarifa = 0; // prices of articles that are not in the chosen price list
    int ConErrores = 0;    // prices the database refused
    QString texto;         // the summary shown at the end
    ResultadoMotor motor;
};

} // namespace qd
