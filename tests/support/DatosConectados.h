#pragma once
// A data module connected to a test database, talking through a recorder, with the module's own
// tables and procedures installed as the administrator's start-up installs them.
#include <gtest/gtest.h>

#include "ImportacionArticulos.h"
#include "ImportacionTarifaProveedor.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TempDatabase.h"

namespace qd::test {

struct DatosConectados {
    qd::RecordingChannel canal;
    TDatos d;
    ImportacionArticulos articulos{d};
    ImportacionTarifaProveedor tarifa{d};
    explicit DatosConectados(const TempDatabase& db) {
        d.setCanal(&canal);
        qd::UserChannel::setCurrent(&canal);
        d.Iniciar(1, 1, db.path(), 1, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                  QStringLiteral("ART"), 0, 0);
        EXPECT_TRUE(d.Conectar());
        d.actualizarEsquema();
    }
    ~DatosConectados() { qd::UserChannel::setCurrent(nullptr); }
    DatosConectados(const DatosConectados&) = delete;
    DatosConectados& operator=(const DatosConectados&) = delete;
};

} // namespace qd::test
