// The contact import: contact persons of existing clients, written insert-or-update by the
// contact's name for its client.
#include "ImportacionContactos.h"

#include "CamposClientes.h"
#include "FilasDeCliente.h"

namespace {

using Tipo = TkvRxMemoryData::FieldType;

const ClaseFilasCliente kContactos{
    "PERSONASCONTACTO",
    "IDPERSONASCONTACTO",
    "los contactos",
    {"NOMBRE", "GRUPOEMPRESAS"},
    QStringLiteral("NOMBRE"),
    {"CLIENTE", "NOMBRE", "CARGO", "TELEFONOMOVIL", "FAX", "EMAIL1", "OBSERVACIONES", "GRUPOEMPRESAS"},
    nullptr,
    true,
};

void campo(TkvRxMemoryData& t, const char* nombre, Tipo tipo, int tam, const QString& etiqueta,
           bool requerido, bool visible = true) {
    campoFilasCliente(t, nombre, tipo, tam, etiqueta, requerido, visible);
}

} // namespace

ImportacionContactos::ImportacionContactos(TDatos& datos) : ComunClientes(datos) {
    Definir_kvRxMDContactosCli();
}

void ImportacionContactos::Definir_kvRxMDContactosCli() {
    auto& t = kvRxMDContactosCli;
    t.name = QStringLiteral("kvRxMDContactosCli");
    campo(t, "NOMBRE", Tipo::String, 35, QStringLiteral("Nombre"), true);
    campo(t, "CARGO", Tipo::String, 35, QStringLiteral("Cargo"), false);
    campo(t, "TELEFONO", Tipo::String, 15, QStringLiteral("Teléfono"), false);
    campo(t, "TELEFONOMOVIL", Tipo::String, 15, QStringLiteral("Teléfono Móvil"), false);
    campo(t, "FAX", Tipo::String, 15, QStringLiteral("FAX"), false);
    campo(t, "EMAIL1", Tipo::String, 128, QStringLiteral("Email"), false);
    campo(t, "OBSERVACIONES", Tipo::String, 1024, QStringLiteral("Observaciones"), false);
    campo(t, "GRUPOEMPRESAS", Tipo::Integer, 0, QStringLiteral("Cód. Grupo Empresas"), true, false);
    campo(t, "CLIENTE", Tipo::Integer, 0, QString(), false, false);
}

int ImportacionContactos::cargarContactos(const QString& fichero, const OpcionesClientes& o) {
    d.Exigir_Conexion();
    ponerDatosDefecto(o.defectos);
    d.canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    d.CargarExcel(fichero);
    d.canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxContactosClientes();
    return kvRxMDContactosCli.recordCount();
}

void ImportacionContactos::CargarRxContactosClientes() {
    cacheBusquedas_.clear();
    cargarFilasCliente(*this, kvRxMDContactosCli, kContactos);
    descartadasCarga_ = int(d.Filas_No_Escritas.size());
    cacheBusquedas_.clear();
}

ComunClientes::ResumenClientes ImportacionContactos::confirmarContactos(const OpcionesClientes& o,
                                                                        const qd::FieldList& campos,
                                                                        const qd::OpcionesMotor& motor) {
    d.Exigir_Conexion();
    if (!qd::hayCamposMarcados(campos, 1))
        throw qd::ErrorImportacion(
            QStringLiteral("Marque algún campo además de COD_CLIENTE: no hay nada que importar."));
    d.canal().status(QStringLiteral("Construyendo sentencias SQL de Inserción y Actualización"));
    const qd::SentenciasSql sentencias =
        qd::prepararSentenciasContactos(campos, d.Cabeceras_Presentes(kvRxMDContactosCli));
    if (!o.SoloNuevos) d.Avisar_Campos_Ausentes(sentencias);
    d.canal().status(QStringLiteral("Importando datos de Contactos de Clientes a la Base de Datos"));
    ResumenClientes r = d.Con_Motor(
        motor, [&](qd::MotorFilas&) { return Insertar_Contactos_Clientes(o.SoloNuevos, sentencias); });
    d.canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

ComunClientes::ResumenClientes
ImportacionContactos::Insertar_Contactos_Clientes(bool SoloNuevos, const qd::SentenciasSql& sentencias) {
    return escribirFilasCliente(*this, kvRxMDContactosCli, kContactos, SoloNuevos, sentencias,
                                TDatos::TrasError::Mostrar, descartadasCarga_);
}
