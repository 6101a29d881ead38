// qdimport --kind bancos: the "Clientes - Bancos" page's options on the command line.
#include "CamposClientes.h"
#include "DatosClientes.h"
#include "ImportacionBancos.h"
#include "TipoImportacion.h"

#include <memory>

namespace qd::cli {

namespace {

Pasos prepararBancos(TDatos& d, const QCommandLineParser& p) {
    const qd::FieldList campos =
        listaMarcada(qd::domicileFieldList(), p, QStringLiteral("cuentas bancarias"));
    auto k = std::make_shared<ImportacionBancos>(d);
    return Pasos{[k](const QString& libro) { return k->cargarBancos(libro); },
                 [k, campos](const qd::OpcionesMotor& motor) {
                     return resultadoClientes(k->confirmarBancos(campos, motor));
                 }};
}

TipoImportacion tipoBancos() {
    TipoImportacion t;
    t.nombre = QStringLiteral("bancos");
    t.descripcion = QStringLiteral("Cuentas bancarias de clientes (domicilios de cobro)");
    t.preparar = &prepararBancos;
    return t;
}

} // namespace

QList<TipoImportacion> tipos_bancos() {
    return {tipoBancos()};
}

} // namespace qd::cli
