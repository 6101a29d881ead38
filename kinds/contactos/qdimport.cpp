// qdimport --kind contactos: the "Contactos Clientes" page's options on the command line.
#include "CamposClientes.h"
#include "DatosClientes.h"
#include "ImportacionContactos.h"
#include "TipoImportacion.h"

#include <memory>

namespace qd::cli {

namespace {

Pasos prepararContactos(TDatos& d, const QCommandLineParser& p) {
    const qd::OpcionesClientes o = leerOpcionesClientes(d, p);
    const qd::FieldList campos = listaMarcada(qd::contactFieldList(), p, QStringLiteral("contactos"));
    auto k = std::make_shared<ImportacionContactos>(d);
    return Pasos{[k, o](const QString& libro) { return k->cargarContactos(libro, o); },
                 [k, o, campos](const qd::OpcionesMotor& motor) {
                     return resultadoClientes(k->confirmarContactos(o, campos, motor));
                 }};
}

TipoImportacion tipoContactos() {
    TipoImportacion t;
    t.nombre = QStringLiteral("contactos");
    t.descripcion = QStringLiteral("Contactos de clientes");
    t.opciones = opcionesDatosClientes({});
    t.preparar = &prepararContactos;
    return t;
}

} // namespace

QList<TipoImportacion> tipos_contactos() {
    return {tipoContactos()};
}

} // namespace qd::cli
