// qdimport --kind proveedores: the "Proveedores" page's options on the command line.
#include "CamposClientes.h"
#include "DatosClientes.h"
#include "ImportacionProveedores.h"

#include "TipoImportacion.h"
#include <memory>

namespace qd::cli {

namespace {

Pasos prepararProveedores(TDatos& d, const QCommandLineParser& p) {
    const qd::OpcionesClientes o = leerOpcionesClientes(d, p);
    const qd::FieldList campos = listaMarcada(qd::supplierFieldList(), p, QStringLiteral("proveedores"));
    auto k = std::make_shared<ImportacionProveedores>(d);
    return Pasos{[k, o](const QString& libro) { return k->cargarProveedores(libro, o); },
                 [k, o, campos](const qd::OpcionesMotor& motor) {
                     return resultadoClientes(k->confirmarProveedores(o, campos, motor));
                 }};
}

} // namespace

namespace {

TipoImportacion tipoProveedores() {
    TipoImportacion t;
    t.nombre = QStringLiteral("proveedores");
    t.descripcion = QStringLiteral("Proveedores (con su cuenta bancaria e IBAN)");
    t.opciones = opcionesDatosClientes({});
    t.preparar = &prepararProveedores;
    return t;
}

} // namespace

QList<TipoImportacion> tipos_proveedores() {
    return {tipoProveedores()};
}

} // namespace qd::cli
