// qdimport --kind direcciones: the "Direcciones Clientes" page's options on the command line.
#include "CamposClientes.h"
#include "DatosClientes.h"
#include "ImportacionDirecciones.h"

#include "TipoImportacion.h"
#include <memory>

namespace qd::cli {

namespace {

Pasos prepararDirecciones(TDatos& d, const QCommandLineParser& p) {
    const qd::OpcionesClientes o = leerOpcionesClientes(d, p);
    const qd::FieldList campos = listaMarcada(qd::addressFieldList(), p, QStringLiteral("direcciones"));
    auto k = std::make_shared<ImportacionDirecciones>(d);
    return Pasos{[k, o](const QString& libro) { return k->cargarDirecciones(libro, o); },
                 [k, o, campos](const qd::OpcionesMotor& motor) {
                     return resultadoClientes(k->confirmarDirecciones(o, campos, motor));
                 }};
}

} // namespace

TipoImportacion tipoDirecciones() {
    TipoImportacion t;
    t.nombre = QStringLiteral("direcciones");
    t.descripcion = QStringLiteral("Direcciones de envío de clientes");
    t.opciones = opcionesDatosClientes({});
    t.preparar = &prepararDirecciones;
    return t;
}

QList<TipoImportacion> tipos_direcciones() {
    return {tipoDirecciones()};
}

} // namespace qd::cli
