#pragma once
// A copy of the demo database with one open connection, for the database tests.

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FbAttachment.h"
#include "FbTransaction.h"
#include "TempDatabase.h"

namespace qd::test {

class BdPrueba {
public:
    BdPrueba();
    ~BdPrueba();

    // Runs one statement with named parameters and commits it.
    void ejecutar(const QString& sql, const QVariantMap& parametros = {});
    // Runs one text as written (no ":Name" parameters, procedure bodies) and commits it.
    void ejecutarSinParametros(const QString& sql);
    // Executes a procedure by name with the given inputs (the others null); returns its outputs.
    QVariantMap procedimiento(const QString& nombre, const QVariantMap& entradas);
    // The first column of the first row (null when there is no row).
    QVariant valor(const QString& sql, const QVariantMap& parametros = {});
    // The columns of the first row by name (empty when there is no row).
    QVariantMap fila(const QString& sql, const QVariantMap& parametros = {});

    // The ten upgrade statements as the module sends them; the result of each run.
    static QStringList sentenciasActualizacion();
    std::vector<bool> actualizar();

    // Whether a procedure or a table of that name exists.
    bool existeProcedimiento(const QString& nombre);
    bool existeTabla(const QString& nombre);

    const TempDatabase& fichero() const { return bd_; }

private:
    TempDatabase bd_;
    std::unique_ptr<qd::fb::Attachment> conexion_;
    std::unique_ptr<qd::fb::Transaction> transaccion_;
};

// "NAME=value; ..." of a row, for readable failure messages.
std::string texto(const QVariantMap& fila);

} // namespace qd::test
