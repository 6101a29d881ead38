// The client import. The staging table kvRxMDClientes with its new-record defaults, its
// loader CargarRxClientes with the code lookups of BuscarID_Clientes, the writer Insertar_Clientes,
// and the defaults of new clients (the defaults window's choice, or qdimport's codes).
#include "ImportacionClientes.h"

#include "CamposClientes.h"
#include "DigitosControl.h"
#include "FbError.h"
#include "Sheet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

using Tipo = TkvRxMemoryData::FieldType;
using qd::fb::Statement;

const QString kCodigo = QStringLiteral("CODIGO");
const QString kNombre = QStringLiteral("NOMBRE");
const QString kRazonSocial = QStringLiteral("RAZONSOCIAL");
const QString kCarteraCampo = QStringLiteral("CARTERA");
const QString kGrupoEmpresas = QStringLiteral("GRUPOEMPRESAS");

// The staged fields bound to the INSERT or UPDATE (a name the statement lacks is skipped).
const QStringList kParametrosCliente{
    "CODIGO",    "NOMBRE",    "RAZONSOCIAL", "DIRECCION",   "LOCALIDAD",     "CODIGOPOSTAL",
    "PROVINCIA", "PAIS",      "EMAIL1",      "EMAIL2",      "PAGINAWEB",     "OBSERVACIONES",
    "TELEFONO1", "TELEFONO2", "FAX",         "NIF",         "GRUPOEMPRESAS", "TARIFA",
    "FORMAPAGO", "CARTERA",   "REGIMENIVA",  "TIPOCLIENTE", "GRUPOCLIENTES", "MONEDA"};

const QString kBuscarCliente = QStringLiteral("SELECT IDCLIENTES FROM CLIENTES WHERE CODIGO = :ParCodigo");

// The built INSERT with the new row's ID returned.
QString conRetorno(QString insert, const QString& clave) {
    insert = insert.trimmed();
    if (insert.endsWith(QLatin1Char(';'))) insert.chop(1);
    return insert + QStringLiteral(" RETURNING ") + clave;
}

} // namespace

ImportacionClientes::ImportacionClientes(TDatos& datos) : ComunClientes(datos) {
    Definir_kvRxMDClientes();
}

void ImportacionClientes::Definir_kvRxMDClientes() {
    auto& t = kvRxMDClientes;
    t.name = QStringLiteral("kvRxMDClientes");
    auto campo = [&t](const char* nombre, Tipo tipo, int tam, const QString& etiqueta, bool visible = true) {
        t.addField({QString::fromLatin1(nombre), tipo, tam, etiqueta, {}, false, visible});
    };
    campo("CODIGO", Tipo::String, 7, QStringLiteral("Código"));
    campo("NOMBRE", Tipo::String, 50, QStringLiteral("Descripción"));
    campo("RAZONSOCIAL", Tipo::String, 35, QStringLiteral("Razón Social"));
    campo("NIF", Tipo::String, 12, QStringLiteral("N.I.F."));
    campo("DIRECCION", Tipo::String, 1024, QStringLiteral("Dirección"));
    campo("LOCALIDAD", Tipo::String, 35, QStringLiteral("Localidad"));
    campo("PROVINCIA", Tipo::String, 25, QStringLiteral("Provincia"));
    campo("CODIGOPOSTAL", Tipo::String, 10, QStringLiteral("C.P."));
    campo("TELEFONO1", Tipo::String, 15, QStringLiteral("Telef.1"));
    campo("NOMBREBANCO", Tipo::String, 35, QStringLiteral("Nombre Banco"));
    campo("CODIGOBANCO", Tipo::String, 4, QStringLiteral("Banco"));
    campo("CODIGOSUCURSAL", Tipo::String, 4, QStringLiteral("Sucursal"));
    campo("DC", Tipo::String, 2, QStringLiteral("DC"));
    campo("NUMEROCUENTA", Tipo::String, 10, QStringLiteral("Nº Cuenta"));
    campo("OBSERVACIONES", Tipo::String, 1024, QStringLiteral("Observaciones"), false);
    campo("PAIS", Tipo::String, 25, QStringLiteral("Pais"), false);
    campo("TELEFONO2", Tipo::String, 15, QStringLiteral("Telef.2"), false);
    campo("FAX", Tipo::String, 15, QStringLiteral("FAX"), false);
    campo("EMAIL1", Tipo::String, 128, QStringLiteral("Email1"), false);
    campo("EMAIL2", Tipo::String, 128, QStringLiteral("Email2"), false);
    campo("PAGINAWEB", Tipo::String, 128, QStringLiteral("Pág. Web"), false);
    campo("TARIFA", Tipo::Integer, 0, QString(), false);
    campo("FORMAPAGO", Tipo::Integer, 0, QString(), false);
    campo("CARTERA", Tipo::Integer, 0, QString(), false);
    campo("REGIMENIVA", Tipo::Integer, 0, QString(), false);
    campo("TIPOCLIENTE", Tipo::Integer, 0, QString(), false);
    campo("GRUPOCLIENTES", Tipo::Integer, 0, QString(), false);
    campo("MONEDA", Tipo::Integer, 0, QString(), false);
    campo("GRUPOEMPRESAS", Tipo::Integer, 0, QStringLiteral("Cód. Grupo Empresas"), false);
    campo("AGENTEVENTA", Tipo::Integer, 0, QString(), false);
    campo("ZONA", Tipo::Integer, 0, QString(), false);
    campo("RUTA", Tipo::Integer, 0, QString(), false);
    campo("Cod_AgenteVenta", Tipo::String, 4, QStringLiteral("Cód. Agente Venta"));
    campo("Cod_Zona", Tipo::String, 4, QStringLiteral("Cód. Zona"));
    campo("Cod_Ruta", Tipo::String, 4, QStringLiteral("Cód. Ruta"));
    // A new row starts with the chosen defaults.
    t.onNewRecord = [this](TkvRxMemoryData& r) {
        r.setValue(QStringLiteral("TARIFA"), TarifaDef);
        r.setValue(QStringLiteral("FORMAPAGO"), FormaPagoDef);
        r.setValue(kCarteraCampo, CarteraDef);
        r.setValue(QStringLiteral("REGIMENIVA"), RegimenIVADef);
        r.setValue(QStringLiteral("MONEDA"), MonedaDef);
        r.setValue(kGrupoEmpresas, GrupoEmpresasDef);
    };
}

// ---------------------------------------------------------------------------------------------
// Load.

int ImportacionClientes::cargarClientes(const QString& fichero, const OpcionesClientes& o) {
    d.Exigir_Conexion();
    ponerDatosDefecto(o.defectos);
    d.canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    d.CargarExcel(fichero);
    d.canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxClientes();
    return kvRxMDClientes.recordCount();
}

void ImportacionClientes::CargarRxClientes() {
    Cargar_Filas_Codificadas(kvRxMDClientes, {0, 1, 2, 3, 4, 5, 6, 8, 9, 10}, false,
                             QStringLiteral("CLIENTES"));
}

// ---------------------------------------------------------------------------------------------
// Write.

ComunClientes::ResumenClientes ImportacionClientes::confirmarClientes(const OpcionesClientes& o,
                                                                      const qd::FieldList& campos,
                                                                      const qd::OpcionesMotor& motor) {
    d.Exigir_Conexion();
    ponerDatosDefecto(o.defectos);
    d.canal().status(QStringLiteral("Construyendo sentencias SQL de Inserción y Actualización"));
    // An update sets only the ticked fields the workbook has a column for.
    const qd::SentenciasSql sentencias =
        qd::prepararSentenciasClientes(campos, qd::clientesPresentes(d.Cabeceras_Presentes(kvRxMDClientes)));
    if (!o.SoloNuevos) d.Avisar_Campos_Ausentes(sentencias);
    d.canal().status(QStringLiteral("Importando datos de Clientes a la Base de Datos"));
    ResumenClientes r = d.Con_Motor(motor, [&](qd::MotorFilas&) {
        return Insertar_Clientes(o.SoloNuevos, sentencias, qd::auxiliaresCliente(campos));
    });
    d.canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

ComunClientes::ResumenClientes ImportacionClientes::Insertar_Clientes(bool SoloNuevos,
                                                                      const qd::SentenciasSql& sentencias,
                                                                      const qd::AuxiliaresCliente& aux) {
    ResumenClientes r;
    r.Descartadas = descartadasCarga_;
    TkvRxMemoryData& t = kvRxMDClientes;
    Statement buscar(&d.IBDatabase, &d.IBTransaction1);
    Statement insertar(&d.IBDatabase, &d.IBTransaction1);
    Statement actualizar(&d.IBDatabase, &d.IBTransaction1);
    buscar.setSql(kBuscarCliente);
    insertar.setSql(conRetorno(sentencias.insert, QStringLiteral("IDCLIENTES")));
    actualizar.setSql(sentencias.update);

    auto cuentas = [&r] { return Cuentas_Clientes(r); };
    auto auxiliares = [&](int id) {
        if (!aux.alguno() || id == 0) return;
        try {
            InsertarDatosAuxiliaresCliente(id, aux);
        } catch (const std::exception& e) {
            // The client row is written; what its auxiliary data could not store is told.
            d.canal().incidence(QStringLiteral("Fila %1 (código %2): %3")
                                    .arg(d.Fila_Hoja(t, t.recNo()))
                                    .arg(t.value(kCodigo).toString(), TDatos::Texto_Error(e)));
        }
    };

    TDatos::RecorridoFilas recorrido;
    recorrido.cuentas = cuentas;
    recorrido.codigo = [&t] { return t.value(kCodigo).toString(); };
    recorrido.trasError = TDatos::TrasError::Mostrar;
    recorrido.escribir = [&] {
        buscar.paramByName(QStringLiteral("ParCodigo")).setString(t.value(kCodigo).toString());
        const int id = TDatos::Id_Encontrado(buscar);
        Statement& sentencia = id != 0 ? actualizar : insertar;
        const bool escribe = id == 0 || (!SoloNuevos && !sentencias.update.isEmpty());
        if (escribe) {
            if (!sentencia.prepared()) sentencia.prepare();
            d.Enlazar_Fila(sentencia, t, kParametrosCliente, id != 0, {},
                           [this](const QString& nombre) -> std::optional<QVariant> {
                               if (nombre == kGrupoEmpresas) return QVariant(d.IdGrupoEmpresas);
                               return std::nullopt;
                           });
            // A client without a name takes its company name.
            // (an update without either keeps the stored name)
            if (sentencia.hasParam(kNombre) && t.value(kNombre).toString().isEmpty() &&
                !(id != 0 && d.Sin_Valor(t, kRazonSocial)))
                sentencia.paramByName(kNombre).setVariant(t.value(kRazonSocial).toString().left(50));
            if (id == 0 && sentencia.hasParam(kNombre) &&
                sentencia.paramByName(kNombre).value().toString().trimmed().isEmpty())
                throw qd::FilaRechazada(
                    QStringLiteral("columnas NOMBRE y RAZONSOCIAL: un cliente nuevo necesita un "
                                   "nombre; la fila no se escribe."));
        }
        if (id != 0) {
            if (SoloNuevos) {
                ++r.Omitidos;
            } else if (escribe) {
                sentencia.paramByName(QStringLiteral("OLD_IDCLIENTES")).setInt(id);
                sentencia.execute();
                ++r.Actualizados;
            }
            auxiliares(id);
            return;
        }
        insertar.execute();
        const int nuevo = insertar.eof() ? 0 : int(insertar.field(0).asInt());
        ++r.Nuevos;
        auxiliares(nuevo);
    };
    const TDatos::FinRecorrido fin = d.Recorrer_Filas(t, recorrido);
    r.ConErrores = fin.conErrores;
    r.TotalRegistros = t.active() ? t.recNo() : 0;
    r.texto = d.Terminar_Resumen(cuentas(), fin.cancelado, &r.motor);
    d.canal().message(qd::MessageKind::Information, r.texto);
    return r;
}
