#pragma once
// What a run of the DLR delivery-note confirmation counts.

#include <QString>

#include "OpcionesMotor.h"

namespace qd {

struct ResumenDLR {
    int LineasEscritas = 0;       // delivery-note lines whose lots were attached
    int AlbaranesCompletados = 0; // delivery notes marked as completed
    int LineasConIncidencias = 0; // lines left as they were, with the reason listed
    QString texto;                // the summary shown at the end
    ResultadoMotor motor;
};

} // namespace qd
