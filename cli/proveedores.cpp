// qdimport --kind proveedores and --kind bancos: the "Proveedores" and "Clientes - Bancos" pages'
// options on the command line.
#include "DatosClientes.h"
#include "TDatos.h"
#include "TipoImportacion.h"

namespace qd::cli {

namespace {

Pasos prepararProveedores(TDatos& d, const QCommandLineParser& p) {
    const qd::OpcionesClientes o = leerOpcionesClientes(d, p);
    const qd::FieldList campos = listaMarcada(qd::supplierFieldList(), p, QStringLiteral("proveedores"));
    return Pasos{[&d, o](const QString& libro) { return d.cargarProveedores(libro, o); },
                 [&d, o, campos](const qd::OpcionesMotor& motor) {
                     return resultadoClientes(d.confirmarProveedores(o, campos, motor));
                 }};
}

Pasos prepararBancos(TDatos& d, const QCommandLineParser& p) {
    const qd::FieldList campos =
        listaMarcada(qd::domicileFieldList(), p, QStringLiteral("cuentas bancarias"));
    return Pasos{[&d](const QString& libro) { return d.cargarBancos(libro); },
                 [&d, campos](const qd::OpcionesMotor& motor) {
                     return resultadoClientes(d.confirmarBancos(campos, motor));
                 }};
}

} // namespace

TipoImportacion tipoProveedores() {
    TipoImportacion t;
    t.nombre = QStringLiteral("proveedores");
    t.descripcion = QStringLiteral("Proveedores (con su cuenta bancaria e IBAN)");
    t.opciones = opcionesDatosClientes({});
    t.preparar = &prepararProveedores;
    return t;
}

TipoImportacion tipoBancos() {
    TipoImportacion t;
    t.nombre = QStringLiteral("bancos");
    t.descripcion = QStringLiteral("Cuentas bancarias de clientes (domicilios de cobro)");
    t.preparar = &prepararBancos;
    return t;
}

} // namespace qd::cli
