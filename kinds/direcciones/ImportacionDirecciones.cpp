// The delivery-address import: addresses of existing clients, written insert-or-update by the
// address's name for its client; clients without a fiscal address take one afterwards.
#include "ImportacionDirecciones.h"

#include "CamposClientes.h"
#include "FilasDeCliente.h"

namespace {

using Tipo = TkvRxMemoryData::FieldType;

const ClaseFilasCliente kDirecciones{
    "DIRECCIONESENVIO",
    "IDDIRECCIONESENVIO",
    "las direcciones",
    {"NOMBRE", "DIRECCION", "LOCALIDAD", "PROVINCIA"},
    QStringLiteral("DIRECCION"),
    {"CLIENTE", "NOMBRE", "DIRECCION", "LOCALIDAD", "CODIGOPOSTAL", "PROVINCIA", "PAIS", "TELEFONO1",
     "TELEFONO2", "FAX", "EMAIL1", "EMAIL2", "PAGINAWEB", "OBSERVACIONES"},
    "NOMBRE_ENVIO",
};

void campo(TkvRxMemoryData& t, const char* nombre, Tipo tipo, int tam, const QString& etiqueta,
           bool requerido, bool visible = true) {
    campoFilasCliente(t, nombre, tipo, tam, etiqueta, requerido, visible);
}

} // namespace

ImportacionDirecciones::ImportacionDirecciones(TDatos& datos) : ComunClientes(datos) {
    Definir_kvRxMDDireccionesCli();
}

void ImportacionDirecciones::Definir_kvRxMDDireccionesCli() {
    auto& t = kvRxMDDireccionesCli;
    t.name = QStringLiteral("kvRxMDDireccionesCli");
    campo(t, "NOMBRE", Tipo::String, 50, QStringLiteral("Nombre"), true);
    campo(t, "DIRECCION", Tipo::String, 128, QStringLiteral("Dirección"), true);
    campo(t, "LOCALIDAD", Tipo::String, 35, QStringLiteral("Localidad"), true);
    campo(t, "CODIGOPOSTAL", Tipo::String, 10, QStringLiteral("C.P."), false);
    campo(t, "PROVINCIA", Tipo::String, 25, QStringLiteral("Provincia"), true);
    campo(t, "PAIS", Tipo::String, 25, QStringLiteral("País"), false);
    campo(t, "TELEFONO1", Tipo::String, 15, QStringLiteral("Teléfono1"), false);
    campo(t, "FAX", Tipo::String, 15, QStringLiteral("Fax"), false);
    campo(t, "EMAIL1", Tipo::String, 128, QStringLiteral("E-Mail"), false);
    campo(t, "CLIENTE", Tipo::Integer, 0, QString(), false, false);
    campo(t, "TELEFONO2", Tipo::String, 15, QString(), false, false);
    campo(t, "EMAIL2", Tipo::String, 128, QString(), false, false);
    campo(t, "PAGINAWEB", Tipo::String, 128, QString(), false, false);
    campo(t, "OBSERVACIONES", Tipo::String, 1024, QString(), false, false);
}

int ImportacionDirecciones::cargarDirecciones(const QString& fichero, const OpcionesClientes& o) {
    d.Exigir_Conexion();
    ponerDatosDefecto(o.defectos);
    d.canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    d.CargarExcel(fichero);
    d.canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxDireccionesClientes();
    return kvRxMDDireccionesCli.recordCount();
}

void ImportacionDirecciones::CargarRxDireccionesClientes() {
    cacheBusquedas_.clear();
    cargarFilasCliente(*this, kvRxMDDireccionesCli, kDirecciones);
    descartadasCarga_ = int(d.Filas_No_Escritas.size());
    cacheBusquedas_.clear();
}

ComunClientes::ResumenClientes ImportacionDirecciones::confirmarDirecciones(const OpcionesClientes& o,
                                                                            const qd::FieldList& campos,
                                                                            const qd::OpcionesMotor& motor) {
    d.Exigir_Conexion();
    if (!qd::hayCamposMarcados(campos, 2))
        throw qd::ErrorImportacion(QStringLiteral(
            "Marque algún campo además de COD_CLIENTE y NOMBRE_ENVIO: no hay nada que importar."));
    d.canal().status(QStringLiteral("Construyendo sentencias SQL de Inserción y Actualización"));
    QSet<QString> presentes = d.Cabeceras_Presentes(kvRxMDDireccionesCli);
    const qd::SentenciasSql sentencias = qd::prepararSentenciasDirecciones(campos, presentes);
    if (!o.SoloNuevos) d.Avisar_Campos_Ausentes(sentencias);
    d.canal().status(QStringLiteral("Importando datos de Direcciones de Clientes a la Base de Datos"));
    ResumenClientes r = d.Con_Motor(
        motor, [&](qd::MotorFilas&) { return Insertar_Direcciones_Clientes(o.SoloNuevos, sentencias); });
    // Clients without a fiscal address take one of their delivery addresses (not in a dry run:
    // it runs in a transaction of its own).
    if (!motor.simular) {
        d.canal().status(QStringLiteral("Actualizando datos de Direcciones de Clientes a la Base de Datos"));
        d.Actualizacion_BD(QStringLiteral("EXECUTE PROCEDURE PR_ASIGNAR_DIRENVIO_CLI"));
    }
    d.canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

ComunClientes::ResumenClientes
ImportacionDirecciones::Insertar_Direcciones_Clientes(bool SoloNuevos, const qd::SentenciasSql& sentencias) {
    // An address the database refuses is told as an incidence and the run goes on.
    return escribirFilasCliente(*this, kvRxMDDireccionesCli, kDirecciones, SoloNuevos, sentencias,
                                TDatos::TrasError::Anotar, descartadasCarga_);
}
