#pragma once
// What the article page tests share: a data module connected to a copy of the template
// database, talking through a recorder, and small helpers to run and read SQL.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "ConsultasPrueba.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TempDatabase.h"

namespace prueba {

class Entorno {
public:
    Entorno();
    ~Entorno();

    qd::test::TempDatabase db;
    qd::RecordingChannel canal;
    TDatos datos;

    // Runs one statement with positional values (":P0", ":P1"…) on the data module's
    // connection and commits.
    void ejecutar(const QString& sql, const QVariantList& valores = {});
    // The first column of the first row of a query, null when there is none.
    QVariant valor(const QString& sql, const QVariantList& valores = {});
};

using qd::test::volcarTabla;

} // namespace prueba
