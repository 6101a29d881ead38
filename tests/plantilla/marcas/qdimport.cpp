// qdimport --kind marcas: the toy kind's row in the importer's table.
#include <memory>

#include "ImportacionMarcas.h"
#include "MotorFilas.h"
#include "TipoImportacion.h"

namespace qd::cli {

QList<TipoImportacion> tipos_marcas() {
    TipoImportacion juguete;
    juguete.nombre = QStringLiteral("marcas");
    juguete.opciones = {QCommandLineOption(QStringLiteral("solo-codigo"), QStringLiteral("Sólo el código."))};
    juguete.preparar = [](TDatos& d, const QCommandLineParser& p) {
        auto marcas = std::make_shared<ImportacionMarcas>(d);
        auto campos = std::make_shared<qd::FieldList>(listaMarcas());
        if (p.isSet(QStringLiteral("solo-codigo"))) campos->setChecked(1, false);
        return Pasos{[marcas](const QString& libro) { return marcas->cargar(libro); },
                     [marcas, campos](const qd::OpcionesMotor& motor) {
                         return marcas->datos.Con_Motor(motor, [&](qd::MotorFilas& engine) {
                             marcas->confirmar(*campos);
                             return engine.resultado();
                         });
                     }};
    };
    return {juguete};
}

} // namespace qd::cli
