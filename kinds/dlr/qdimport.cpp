// qdimport --kind dlr: the "Albaranes DLR" page on the command line. Without --comprobar it runs
// "Verificar e Importar Albaranes"; with it, "Comprobar errores y Listarlos" (nothing is written).
#include "ImportacionDLR.h"

#include "TipoImportacion.h"
#include <memory>

namespace qd::cli {

namespace {

Pasos preparar(TDatos& d, const QCommandLineParser& p) {
    const bool importar = !p.isSet(QStringLiteral("comprobar"));
    auto k = std::make_shared<ImportacionDLR>(d);
    return Pasos{[k](const QString& libro) { return k->cargarDLR(libro); },
                 [k, importar](const qd::OpcionesMotor& motor) {
                     const qd::ResumenDLR r = k->procesarDLR(importar, motor);
                     qd::ResultadoMotor m = r.motor;
                     // Lines left with incidences: never a plain success.
                     m.filasConErrores = r.LineasConIncidencias;
                     return m;
                 }};
}

} // namespace

TipoImportacion tipoDLR() {
    TipoImportacion t;
    t.nombre = QStringLiteral("dlr");
    t.descripcion = QStringLiteral("Informes DLR que confirman albaranes de venta (lotes de sus líneas)");
    t.opciones = {QCommandLineOption(
        QStringLiteral("comprobar"),
        QStringLiteral("DLR: sólo comprobar y listar las incidencias; no se escribe nada."))};
    t.preparar = &preparar;
    return t;
}

QList<TipoImportacion> tipos_dlr() {
    return {tipoDLR()};
}

} // namespace qd::cli
