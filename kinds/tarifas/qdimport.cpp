// qdimport --kind tarifas: the "Tarifas" page's options on the command line.
#include "ImportacionTarifas.h"

#include "TipoImportacion.h"
#include <memory>

namespace qd::cli {

namespace {

Pasos preparar(TDatos& d, const QCommandLineParser& p) {
    qd::OpcionesTarifas o;
    int* ids[3] = {&o.IDTarifa1, &o.IDTarifa2, &o.IDTarifa3};
    for (int n = 0; n < 3; ++n) {
        const QString opcion = QStringLiteral("tarifa%1").arg(n + 1);
        if (!p.isSet(opcion)) continue; // no list: the column is not written, as on the page
        const int id = idPorCodigo(d, QStringLiteral("TARIFAS"), p.value(opcion));
        if (id < 0)
            throw ErrorOpciones(
                QStringLiteral("--%1: no hay ninguna tarifa con el código «%2» en el grupo de empresas %3")
                    .arg(opcion, p.value(opcion))
                    .arg(d.IdGrupoEmpresas));
        *ids[n] = id;
    }
    if (o.IDTarifa1 == 0 && o.IDTarifa2 == 0 && o.IDTarifa3 == 0)
        throw ErrorOpciones(QStringLiteral("indique al menos una tarifa: --tarifa1, --tarifa2 o --tarifa3"));
    auto k = std::make_shared<ImportacionTarifas>(d);
    return Pasos{[k](const QString& libro) { return k->cargarTarifas(libro); },
                 [k, o](const qd::OpcionesMotor& motor) {
                     const qd::ResumenTarifas r = k->confirmarTarifas(o, motor);
                     qd::ResultadoMotor m = r.motor;
                     m.filasConErrores = r.ConErrores;
                     return m;
                 }};
}

} // namespace

TipoImportacion tipoTarifas() {
    TipoImportacion t;
    t.nombre = QStringLiteral("tarifas");
    t.descripcion = QStringLiteral("Precios de tarifas de venta (primer intervalo)");
    for (int n = 1; n <= 3; ++n)
        t.opciones << QCommandLineOption(
            QStringLiteral("tarifa%1").arg(n),
            QStringLiteral("Tarifas: código de la tarifa del grupo que recibe los precios de la columna %1.")
                .arg(2 * n + 1),
            QStringLiteral("codigo"));
    t.preparar = &preparar;
    return t;
}

QList<TipoImportacion> tipos_tarifas() {
    return {tipoTarifas()};
}

} // namespace qd::cli
