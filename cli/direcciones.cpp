// qdimport --kind direcciones and --kind contactos: the "Direcciones Clientes" and "Contactos
// Clientes" pages' options on the command line.
#include "DatosClientes.h"
#include "TDatos.h"
#include "TipoImportacion.h"

namespace qd::cli {

namespace {

Pasos prepararDirecciones(TDatos& d, const QCommandLineParser& p) {
    const qd::OpcionesClientes o = leerOpcionesClientes(d, p);
    const qd::FieldList campos = listaMarcada(qd::addressFieldList(), p, QStringLiteral("direcciones"));
    return Pasos{[&d, o](const QString& libro) { return d.cargarDirecciones(libro, o); },
                 [&d, o, campos](const qd::OpcionesMotor& motor) {
                     return resultadoClientes(d.confirmarDirecciones(o, campos, motor));
                 }};
}

Pasos prepararContactos(TDatos& d, const QCommandLineParser& p) {
    const qd::OpcionesClientes o = leerOpcionesClientes(d, p);
    const qd::FieldList campos = listaMarcada(qd::contactFieldList(), p, QStringLiteral("contactos"));
    return Pasos{[&d, o](const QString& libro) { return d.cargarContactos(libro, o); },
                 [&d, o, campos](const qd::OpcionesMotor& motor) {
                     return resultadoClientes(d.confirmarContactos(o, campos, motor));
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

TipoImportacion tipoContactos() {
    TipoImportacion t;
    t.nombre = QStringLiteral("contactos");
    t.descripcion = QStringLiteral("Contactos de clientes");
    t.opciones = opcionesDatosClientes({});
    t.preparar = &prepararContactos;
    return t;
}

} // namespace qd::cli
