// TDatos: the delivery-address and contact imports. Both stage rows that belong to existing
// clients (found by the code in COD_CLIENTE) and write them insert-or-update, an address or a
// contact being the same when it has the same name for the same client. One loader and one writer
// serve both, told apart by their Clase.
#include "TDatos.h"

#include "CamposClientes.h"
#include "FbError.h"
#include "Sheet.h"

#include <algorithm>
#include <utility>

namespace {

using Tipo = TkvRxMemoryData::FieldType;
using qd::fb::Statement;

const QString kNombre = QStringLiteral("NOMBRE");
const QString kCliente = QStringLiteral("CLIENTE");
constexpr int kBuscarClientePorCodigo = 7; // BuscarID_Clientes: "SELECT IDCLIENTES as ID FROM CLIENTES"

// What tells the two kinds apart.
struct Clase {
    const char* tabla;          // DIRECCIONESENVIO
    const char* clave;          // IDDIRECCIONESENVIO
    const char* nombreDeTipo;   // for the messages: "las direcciones"
    QStringList requeridas;     // staged fields a row needs (the workbook must have their columns)
    QString segundaObligatoria; // besides CLIENTE, the field a kept row must have
    QStringList parametros;     // staged fields bound by name
};

const Clase kDirecciones{
    "DIRECCIONESENVIO",
    "IDDIRECCIONESENVIO",
    "las direcciones",
    {"NOMBRE", "DIRECCION", "LOCALIDAD", "PROVINCIA"},
    QStringLiteral("DIRECCION"),
    {"CLIENTE", "NOMBRE", "DIRECCION", "LOCALIDAD", "CODIGOPOSTAL", "PROVINCIA", "PAIS", "TELEFONO1",
     "TELEFONO2", "FAX", "EMAIL1", "EMAIL2", "PAGINAWEB", "OBSERVACIONES"},
};

const Clase kContactos{
    "PERSONASCONTACTO",
    "IDPERSONASCONTACTO",
    "los contactos",
    {"NOMBRE", "GRUPOEMPRESAS"},
    QStringLiteral("NOMBRE"),
    {"CLIENTE", "NOMBRE", "CARGO", "TELEFONOMOVIL", "FAX", "EMAIL1", "OBSERVACIONES", "GRUPOEMPRESAS"},
};

// The workbook column that fills a staged field besides its own name.
QString otraColumna(const TkvRxMemoryData& t, const QString& campo) {
    if (t.name == QLatin1String("kvRxMDDireccionesCli") && campo == kNombre)
        return QStringLiteral("NOMBRE_ENVIO");
    return {};
}

void campo(TkvRxMemoryData& t, const char* nombre, Tipo tipo, int tam, const QString& etiqueta,
           bool requerido, bool visible = true) {
    t.addField({QString::fromLatin1(nombre), tipo, tam, etiqueta, {}, requerido, visible});
}

} // namespace

void TDatos::Definir_kvRxMDDireccionesCli() {
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

void TDatos::Definir_kvRxMDContactosCli() {
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

namespace {

// The loader of both kinds over the held workbook. A workbook without the column of a field every
// row needs is refused before any row is read.
void cargarFilasCliente(TDatos& d, TkvRxMemoryData& t, const Clase& clase) {
    const qd::wb::Sheet& hoja = d.hojaExcel();
    QSet<QString> cabeceras; // the columns the load reads: up to the first empty header, at most 50
    for (int c = 1; c <= std::min(d.Ultima_Columna_Excel(), 50) && !hoja.text(1, c).isEmpty(); ++c)
        cabeceras.insert(hoja.text(1, c).toUpper());
    if (d.Ultima_Fila_Excel() >= 2 && !hoja.text(2, 1).isEmpty())
        for (const QString& requerido : clase.requeridas) {
            const QString otra = otraColumna(t, requerido);
            if (cabeceras.contains(requerido) || (!otra.isEmpty() && cabeceras.contains(otra))) continue;
            throw qd::ErrorImportacion(
                QStringLiteral("El libro no tiene la columna %1, que necesitan %2; no se ha importado nada.")
                    .arg(otra.isEmpty() ? requerido
                                        : requerido + QStringLiteral(" (o ") + otra + QLatin1Char(')'),
                         QString::fromLatin1(clase.nombreDeTipo)));
        }

    const bool contactos = &clase == &kContactos;
    const int campoCliente = t.fieldIndex(kCliente);
    const int campoNombre = t.fieldIndex(kNombre);
    int filaActual = 0;
    QString motivo; // why the row in progress is not kept
    d.Leer_Filas_Excel(
        t,
        [&](int fila, int columna, const QString& cabecera) {
            filaActual = fila;
            const QString texto = hoja.text(fila, columna);
            if (cabecera.compare(QLatin1String("COD_CLIENTE"), Qt::CaseInsensitive) == 0) {
                const QString codigo = texto.trimmed();
                const QVariant id = d.BuscarID_Clientes(kBuscarClientePorCodigo, codigo);
                TDatos::Poner_Valor_Staging(t, campoCliente, id);
                if (id.isNull())
                    motivo = QStringLiteral("Columna %1: «%2» no es el código de ningún cliente.")
                                 .arg(cabecera, codigo);
            } else if (const int i = t.fieldIndex(cabecera); i >= 0) {
                d.Poner_Celda_Staging(t, i, fila, columna);
            } else if (!contactos && cabecera == QLatin1String("NOMBRE_ENVIO")) {
                d.Poner_Valor_Celda(t, campoNombre, texto, fila, columna);
            } else if (contactos && cabecera == QLatin1String("APELLIDOS") && !texto.trimmed().isEmpty()) {
                // Name and surnames, with a blank between them.
                const QString nombre = t.value(campoNombre).toString().trimmed();
                d.Poner_Valor_Celda(t, campoNombre,
                                    nombre.isEmpty() ? texto.trimmed()
                                                     : nombre + QLatin1Char(' ') + texto.trimmed(),
                                    fila, columna);
            }
        },
        [&] {
            if (motivo.isEmpty() && t.value(campoCliente).isNull())
                motivo = QStringLiteral("Falta la columna COD_CLIENTE con el código del cliente.");
            if (motivo.isEmpty() && t.value(clase.segundaObligatoria).isNull())
                motivo = QStringLiteral("Falta la columna %1.").arg(clase.segundaObligatoria);
            if (motivo.isEmpty()) return true;
            d.canal().incidence(
                QStringLiteral("Fila %1: %2 La fila no se carga.").arg(filaActual).arg(motivo));
            d.Anotar_Fila_No_Escrita(filaActual, std::exchange(motivo, QString()));
            return false;
        },
        true);
}

} // namespace

int TDatos::cargarDirecciones(const QString& fichero, const OpcionesClientes& o) {
    Exigir_Conexion();
    ponerDatosDefecto(o.defectos);
    canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    CargarExcel(fichero);
    canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxDireccionesClientes();
    return kvRxMDDireccionesCli.recordCount();
}

int TDatos::cargarContactos(const QString& fichero, const OpcionesClientes& o) {
    Exigir_Conexion();
    ponerDatosDefecto(o.defectos);
    canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    CargarExcel(fichero);
    canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxContactosClientes();
    return kvRxMDContactosCli.recordCount();
}

void TDatos::CargarRxDireccionesClientes() {
    cacheBusquedas_.clear();
    cargarFilasCliente(*this, kvRxMDDireccionesCli, kDirecciones);
    descartadasCarga_ = int(Filas_No_Escritas.size());
    cacheBusquedas_.clear();
}

void TDatos::CargarRxContactosClientes() {
    cacheBusquedas_.clear();
    cargarFilasCliente(*this, kvRxMDContactosCli, kContactos);
    descartadasCarga_ = int(Filas_No_Escritas.size());
    cacheBusquedas_.clear();
}

TDatos::ResumenClientes TDatos::confirmarDirecciones(const OpcionesClientes& o, const qd::FieldList& campos,
                                                     const qd::OpcionesMotor& motor) {
    Exigir_Conexion();
    if (!qd::hayCamposMarcados(campos, 2))
        throw qd::ErrorImportacion(QStringLiteral(
            "Marque algún campo además de COD_CLIENTE y NOMBRE_ENVIO: no hay nada que importar."));
    canal().status(QStringLiteral("Construyendo sentencias SQL de Inserción y Actualización"));
    QSet<QString> presentes = Cabeceras_Presentes(kvRxMDDireccionesCli);
    const qd::SentenciasSql sentencias = qd::prepararSentenciasDirecciones(campos, presentes);
    if (!o.SoloNuevos) Avisar_Campos_Ausentes(sentencias);
    canal().status(QStringLiteral("Importando datos de Direcciones de Clientes a la Base de Datos"));
    ResumenClientes r = Con_Motor(
        motor, [&](qd::MotorFilas&) { return Insertar_Direcciones_Clientes(o.SoloNuevos, sentencias); });
    // Clients without a fiscal address take one of their delivery addresses (not in a dry run:
    // it runs in a transaction of its own).
    if (!motor.simular) {
        canal().status(QStringLiteral("Actualizando datos de Direcciones de Clientes a la Base de Datos"));
        Actualizacion_BD(QStringLiteral("EXECUTE PROCEDURE PR_ASIGNAR_DIRENVIO_CLI"));
    }
    canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

TDatos::ResumenClientes TDatos::confirmarContactos(const OpcionesClientes& o, const qd::FieldList& campos,
                                                   const qd::OpcionesMotor& motor) {
    Exigir_Conexion();
    if (!qd::hayCamposMarcados(campos, 1))
        throw qd::ErrorImportacion(
            QStringLiteral("Marque algún campo además de COD_CLIENTE: no hay nada que importar."));
    canal().status(QStringLiteral("Construyendo sentencias SQL de Inserción y Actualización"));
    const qd::SentenciasSql sentencias =
        qd::prepararSentenciasContactos(campos, Cabeceras_Presentes(kvRxMDContactosCli));
    if (!o.SoloNuevos) Avisar_Campos_Ausentes(sentencias);
    canal().status(QStringLiteral("Importando datos de Contactos de Clientes a la Base de Datos"));
    ResumenClientes r = Con_Motor(
        motor, [&](qd::MotorFilas&) { return Insertar_Contactos_Clientes(o.SoloNuevos, sentencias); });
    canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

namespace {

// The writer of both kinds: an address or a contact is the one of the row's client with the
// row's name; it is updated (unless only new ones are written) or inserted.
TDatos::ResumenClientes escribirFilasCliente(TDatos& d, TkvRxMemoryData& t, const Clase& clase,
                                             bool soloNuevos, const qd::SentenciasSql& sentencias,
                                             TDatos::TrasError trasError, int descartadas) {
    TDatos::ResumenClientes r;
    r.Descartadas = descartadas;
    const QString tabla = QString::fromLatin1(clase.tabla);
    const QString clave = QString::fromLatin1(clase.clave);
    Statement buscar(&d.IBDatabase, &d.IBTransaction1);
    Statement insertar(&d.IBDatabase, &d.IBTransaction1);
    Statement actualizar(&d.IBDatabase, &d.IBTransaction1);
    buscar.setSql(QStringLiteral("SELECT %1 FROM %2 WHERE NOMBRE = :ParNombre AND CLIENTE = :ParCliente")
                      .arg(clave, tabla));
    insertar.setSql(sentencias.insert);
    actualizar.setSql(sentencias.update);
    const bool conTelefono = t.fieldIndex(QStringLiteral("TELEFONO")) >= 0;

    auto cuentas = [&r] { return TDatos::Cuentas_Clientes(r); };
    TDatos::RecorridoFilas recorrido;
    recorrido.cuentas = cuentas;
    recorrido.codigo = [&t] { return t.value(kNombre).toString(); };
    recorrido.trasError = trasError;
    recorrido.escribir = [&] {
        buscar.paramByName(QStringLiteral("ParNombre")).setVariant(t.value(kNombre));
        buscar.paramByName(QStringLiteral("ParCliente")).setVariant(t.value(kCliente));
        const int id = TDatos::Id_Encontrado(buscar);
        if (id != 0 && (soloNuevos || sentencias.update.isEmpty())) {
            if (soloNuevos) ++r.Omitidos;
            return;
        }
        Statement& sentencia = id != 0 ? actualizar : insertar;
        if (!sentencia.prepared()) sentencia.prepare();
        TDatos::Enlazar_Desde_Staging(sentencia, t, clase.parametros, {}, {});
        // The contact's telephone is the column EXTENSION.
        if (conTelefono && sentencia.hasParam(QStringLiteral("EXTENSION")))
            sentencia.paramByName(QStringLiteral("EXTENSION"))
                .setVariant(t.value(QStringLiteral("TELEFONO")));
        if (id != 0) sentencia.paramByName(QStringLiteral("OLD_") + clave).setInt(id);
        sentencia.execute();
        ++(id != 0 ? r.Actualizados : r.Nuevos);
    };
    const TDatos::FinRecorrido fin = d.Recorrer_Filas(t, recorrido);
    r.ConErrores = fin.conErrores;
    r.TotalRegistros = t.active() ? t.recNo() : 0;
    r.texto = d.Terminar_Resumen(cuentas(), fin.cancelado, &r.motor);
    d.canal().message(qd::MessageKind::Information, r.texto);
    return r;
}

} // namespace

TDatos::ResumenClientes TDatos::Insertar_Direcciones_Clientes(bool SoloNuevos,
                                                              const qd::SentenciasSql& sentencias) {
    // An address the database refuses is told as an incidence and the run goes on.
    return escribirFilasCliente(*this, kvRxMDDireccionesCli, kDirecciones, SoloNuevos, sentencias,
                                TrasError::Anotar, descartadasCarga_);
}

TDatos::ResumenClientes TDatos::Insertar_Contactos_Clientes(bool SoloNuevos,
                                                            const qd::SentenciasSql& sentencias) {
    return escribirFilasCliente(*this, kvRxMDContactosCli, kContactos, SoloNuevos, sentencias,
                                TrasError::Mostrar, descartadasCarga_);
}
