// qdimport --kind clientes: the "Clientes" page's options on the command line.
#include "CamposClientes.h"
#include "DatosClientes.h"
#include "ImportacionClientes.h"

#include "TipoImportacion.h"
#include <memory>

namespace qd::cli {

namespace {

Pasos preparar(TDatos& d, const QCommandLineParser& p) {
    const qd::OpcionesClientes o = leerOpcionesClientes(d, p);
    const qd::FieldList campos = listaMarcada(qd::clientFieldList(), p, QStringLiteral("clientes"));
    auto k = std::make_shared<ImportacionClientes>(d);
    return Pasos{[k, o](const QString& libro) { return k->cargarClientes(libro, o); },
                 [k, o, campos](const qd::OpcionesMotor& motor) {
                     return resultadoClientes(k->confirmarClientes(o, campos, motor));
                 }};
}

} // namespace

TipoImportacion tipoClientes() {
    TipoImportacion t;
    t.nombre = QStringLiteral("clientes");
    t.descripcion = QStringLiteral("Clientes (con su cuenta bancaria, agente, zona y ruta)");
    t.opciones = opcionesDatosClientes(QStringLiteral(
        "Clientes, direcciones y contactos: incorporar sólo los nuevos (los que existen no se modifican)."));
    t.preparar = &preparar;
    return t;
}

QList<TipoImportacion> tipos_clientes() {
    return {tipoClientes()};
}

} // namespace qd::cli
