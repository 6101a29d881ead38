// The supplier import. The client import applied to PROVEEDORES: the staging table
// kvRxMDProveedores, the client loader restricted to five coded columns (with the account's check
// digits "00" computed), and the writer Insertar_Proveedores with the bank columns and the IBAN.
#include "ImportacionProveedores.h"

#include "CamposClientes.h"
#include "DigitosControl.h"
#include "FbError.h"
#include "Sheet.h"

#include <array>

namespace {

using Tipo = TkvRxMemoryData::FieldType;
using qd::fb::Statement;

const QString kCodigo = QStringLiteral("CODIGO");
const QString kNombre = QStringLiteral("NOMBRE");
const std::array<QString, 4> kPartesCuenta{QStringLiteral("CODIGOBANCO"), QStringLiteral("CODIGOSUCURSAL"),
                                           QStringLiteral("DC"), QStringLiteral("NUMEROCUENTA")};

// The staged fields bound to the INSERT or UPDATE (a name the statement lacks is skipped).
const QStringList kParametrosProveedor{
    "CODIGO",         "NOMBRE",  "RAZONSOCIAL", "DIRECCION",     "LOCALIDAD",     "CODIGOPOSTAL",
    "PROVINCIA",      "PAIS",    "EMAIL1",      "EMAIL2",        "PAGINAWEB",     "TARIFA",
    "FORMAPAGO",      "CARTERA", "REGIMENIVA",  "MONEDA",        "OBSERVACIONES", "TELEFONO1",
    "TELEFONO2",      "FAX",     "NIF",         "GRUPOEMPRESAS", "NOMBREBANCO",   "CODIGOBANCO",
    "CODIGOSUCURSAL", "DC",      "NUMEROCUENTA"};

// Fields a supplier must have, and the workbook columns that can give each.
struct Requerido {
    const char* campo;
    QStringList columnas;
};
const QList<Requerido> kRequeridos{
    {"CODIGO", {"CODIGO"}},
    {"NOMBRE", {"NOMBRE", "RAZONSOCIAL"}},
    {"GRUPOEMPRESAS", {"COD_GRUPOEMPRESA", "GRUPOEMPRESAS"}},
    {"FORMAPAGO", {"COD_FPAGO", "FORMAPAGO"}},
    {"CARTERA", {"COD_FPAGO", "CARTERA"}},
    {"REGIMENIVA", {"COD_REGIMENIVA", "REGIMENIVA"}},
    {"MONEDA", {"COD_MONEDA", "MONEDA"}},
};

} // namespace

ImportacionProveedores::ImportacionProveedores(TDatos& datos) : ComunClientes(datos) {
    Definir_kvRxMDProveedores();
}

void ImportacionProveedores::Definir_kvRxMDProveedores() {
    auto& t = kvRxMDProveedores;
    t.name = QStringLiteral("kvRxMDProveedores");
    auto campo = [&t](const char* nombre, Tipo tipo, int tam, const char* etiqueta = "",
                      bool requerido = false) {
        t.addField({QString::fromLatin1(nombre), tipo, tam, QString::fromUtf8(etiqueta), {}, requerido});
    };
    const Tipo S = Tipo::String, I = Tipo::Integer, P = Tipo::SmallInt, F = Tipo::Float, D = Tipo::DateTime;
    campo("CODIGO", S, 7, "Código", true);
    campo("NOMBRE", S, 35, "Descripción", true);
    campo("RAZONSOCIAL", S, 35, "Razón Social");
    campo("DIRECCION", S, 1024, "Dirección");
    campo("LOCALIDAD", S, 35);
    campo("CODIGOPOSTAL", S, 10, "C.P.");
    campo("PROVINCIA", S, 25);
    campo("PAIS", S, 25);
    campo("TELEFONO1", S, 15, "Telef.1");
    campo("TELEFONO2", S, 15, "Telef.2");
    campo("FAX", S, 15);
    campo("EMAIL1", S, 128);
    campo("EMAIL2", S, 128);
    campo("PAGINAWEB", S, 128, "Pág. Web");
    campo("NIF", S, 12, "N.I.F.");
    campo("INCLUYEPORTES", P, 0);
    campo("PORCENTAJERAPPEL", F, 0);
    campo("IMPORTERAPPEL", F, 0);
    campo("PORCENTAJERETENCIONIRPF", F, 0);
    campo("NOMBREBANCO", S, 35);
    campo("DIRECCIONBANCO", S, 35);
    campo("LOCALIDADBANCO", S, 35);
    campo("CODIGOBANCO", S, 4);
    campo("CODIGOSUCURSAL", S, 4);
    campo("DC", S, 2);
    campo("NUMEROCUENTA", S, 10);
    campo("FORMAENVIO", S, 25);
    for (const char* r : {"REPRESENTANTENOMBRE", "REPRESENTANTEDIRECCION", "REPRESENTANTELOCALIDAD"})
        campo(r, S, 35);
    campo("REPRESENTANTECODIGOPOSTAL", S, 10);
    campo("REPRESENTANTEPROVINCIA", S, 25);
    campo("REPRESENTANTEPAIS", S, 25);
    for (const char* r : {"REPRESENTANTETELEFONO1", "REPRESENTANTETELEFONO2", "REPRESENTANTEFAX"})
        campo(r, S, 15);
    for (const char* r : {"REPRESENTANTEEMAIL1", "REPRESENTANTEEMAIL2", "REPRESENTANTEPAGINAWEB"})
        campo(r, S, 128);
    campo("OBSERVACIONES", S, 1024);
    campo("COPIASFACTURA", P, 0);
    campo("CUENTACONTABLE", S, 10);
    campo("PROVEEDORX", P, 0);
    campo("FECHAALTA", D, 0);
    campo("FECHAMODIFICACION", D, 0);
    campo("USUARIOALTA", I, 0);
    campo("USUARIOMODIFICACION", I, 0);
    campo("GRUPOEMPRESAS", I, 0, "Cód. Grupo Empresas", true);
    campo("TIPORETENCIONIRPF", I, 0);
    campo("TARIFA", I, 0);
    campo("FORMAPAGO", I, 0, "", true);
    campo("BANCOPAGO", I, 0);
    campo("CARTERA", I, 0, "", true);
    campo("REGIMENIVA", I, 0, "", true);
    campo("MONEDA", I, 0, "", true);
    campo("NIF_CLAVE_IDENT_PAIS_RESI", P, 0);
    campo("NIF_CODIGOPAIS", S, 2);
    campo("NIF_NUM_IDENT_PAIS_RESI", S, 20);
    campo("NIF_EXTRANJERO", P, 0);
    for (const char* r : {"DIAFIJOPAGO1", "DIAFIJOPAGO2", "DIAFIJOPAGO3"})
        campo(r, P, 0);
    campo("REGISTROSANITARIO", S, 25);
    campo("BLOQUEADO_SN", P, 0);
}

int ImportacionProveedores::cargarProveedores(const QString& fichero, const OpcionesClientes& o) {
    d.Exigir_Conexion();
    ponerDatosDefecto(o.defectos);
    d.canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    d.CargarExcel(fichero);
    d.canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxProveedores();
    return kvRxMDProveedores.recordCount();
}

void ImportacionProveedores::CargarRxProveedores() {
    // A supplier needs its payment method, portfolio, VAT regime, currency and company group: a
    // workbook without a column for one of them is refused before a row is read.
    const qd::wb::Sheet& hoja = d.hojaExcel();
    QSet<QString> cabeceras;
    for (int c = 1; c <= std::min(d.Ultima_Columna_Excel(), 50) && !hoja.text(1, c).isEmpty(); ++c)
        cabeceras.insert(hoja.text(1, c).toUpper());
    if (d.Ultima_Fila_Excel() >= 2 && !hoja.text(2, 1).isEmpty())
        for (const Requerido& r : kRequeridos) {
            bool hay = false;
            for (const QString& c : r.columnas)
                hay = hay || cabeceras.contains(c);
            if (!hay)
                throw qd::ErrorImportacion(
                    QStringLiteral(
                        "El libro no tiene la columna %1, que necesitan los proveedores; no se ha importado "
                        "nada.")
                        .arg(r.columnas.join(QStringLiteral(" o "))));
        }
    Cargar_Filas_Codificadas(kvRxMDProveedores, {0, 1, 2, 5, 6}, true, QStringLiteral("PROVEEDORES"));
}

ComunClientes::ResumenClientes ImportacionProveedores::confirmarProveedores(const OpcionesClientes& o,
                                                                            const qd::FieldList& campos,
                                                                            const qd::OpcionesMotor& motor) {
    d.Exigir_Conexion();
    ponerDatosDefecto(o.defectos);
    d.canal().status(QStringLiteral("Construyendo sentencias SQL de Inserción y Actualización"));
    const qd::SentenciasSql sentencias = qd::prepararSentenciasProveedores(
        campos, qd::proveedoresPresentes(d.Cabeceras_Presentes(kvRxMDProveedores)));
    if (!o.SoloNuevos) d.Avisar_Campos_Ausentes(sentencias);
    d.canal().status(QStringLiteral("Importando datos de Proveedores a la Base de Datos"));
    const bool bancos = campos.isChecked(qd::SupplierFields::kBancos);
    ResumenClientes r = d.Con_Motor(
        motor, [&](qd::MotorFilas&) { return Insertar_Proveedores(o.SoloNuevos, sentencias, bancos); });
    d.canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

ComunClientes::ResumenClientes
ImportacionProveedores::Insertar_Proveedores(bool SoloNuevos, const qd::SentenciasSql& sentencias,
                                             bool bancos) {
    ResumenClientes r;
    r.Descartadas = descartadasCarga_;
    TkvRxMemoryData& t = kvRxMDProveedores;
    Statement buscar(&d.IBDatabase, &d.IBTransaction1);
    Statement insertar(&d.IBDatabase, &d.IBTransaction1);
    Statement actualizar(&d.IBDatabase, &d.IBTransaction1);
    buscar.setSql(QStringLiteral("SELECT IDPROVEEDORES FROM PROVEEDORES WHERE CODIGO = :ParCodigo"));
    Statement cuentaGuardada(&d.IBDatabase, &d.IBTransaction1);
    cuentaGuardada.setSql(
        QStringLiteral("SELECT CODIGOBANCO, CODIGOSUCURSAL, DC, NUMEROCUENTA, IBAN_CODIGOPAIS, "
                       "IBAN_DCIBAN FROM PROVEEDORES WHERE IDPROVEEDORES = :Id"));
    insertar.setSql(sentencias.insert);
    actualizar.setSql(sentencias.update);

    auto cuentas = [&r] { return Cuentas_Clientes(r); };
    TDatos::RecorridoFilas recorrido;
    recorrido.cuentas = cuentas;
    recorrido.codigo = [&t] { return t.value(kCodigo).toString(); };
    recorrido.trasError = TDatos::TrasError::Mostrar;
    recorrido.escribir = [&] {
        buscar.paramByName(QStringLiteral("ParCodigo")).setString(t.value(kCodigo).toString());
        const int id = TDatos::Id_Encontrado(buscar);
        if (id != 0 && (SoloNuevos || sentencias.update.isEmpty())) {
            if (SoloNuevos) ++r.Omitidos;
            return;
        }
        Statement& sentencia = id != 0 ? actualizar : insertar;
        if (!sentencia.prepared()) sentencia.prepare();
        d.Enlazar_Fila(sentencia, t, kParametrosProveedor, id != 0, {},
                       [this](const QString& nombre) -> std::optional<QVariant> {
                           if (nombre == QLatin1String("GRUPOEMPRESAS")) return QVariant(d.IdGrupoEmpresas);
                           return std::nullopt;
                       });
        // A supplier without a name takes its company name (an update without either keeps it).
        if (sentencia.hasParam(kNombre) && t.value(kNombre).toString().isEmpty() &&
            !(id != 0 && d.Sin_Valor(t, QStringLiteral("RAZONSOCIAL"))))
            sentencia.paramByName(kNombre).setVariant(
                t.value(QStringLiteral("RAZONSOCIAL")).toString().left(35));
        if (id == 0 && sentencia.hasParam(kNombre) &&
            sentencia.paramByName(kNombre).value().toString().trimmed().isEmpty())
            throw qd::FilaRechazada(
                QStringLiteral("columnas NOMBRE y RAZONSOCIAL: un proveedor nuevo necesita un "
                               "nombre; la fila no se escribe."));
        if (bancos && sentencia.hasParam(QStringLiteral("IBAN_CODIGOPAIS")))
            Enlazar_Cuenta(sentencia, id, cuentaGuardada);
        if (id != 0) sentencia.paramByName(QStringLiteral("OLD_IDPROVEEDORES")).setInt(id);
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

void ImportacionProveedores::Enlazar_Cuenta(Statement& sentencia, int id, Statement& guardada) {
    const TkvRxMemoryData& t = kvRxMDProveedores;
    auto texto = [&t](const QString& campo) { return t.value(campo).toString().trimmed(); };
    auto valor = [](const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); };
    // What is stored: the account parts and the IBAN (an existing supplier).
    QStringList guardado(qsizetype(kPartesCuenta.size()) + 2);
    if (id != 0) {
        guardada.paramByName(QStringLiteral("Id")).setInt(id);
        d.IBTransaction1.ensureStarted();
        guardada.execute();
        if (!guardada.eof())
            for (int i = 0; i < guardado.size(); ++i)
                guardado[i] = guardada.field(i).asVariant().toString().trimmed();
        guardada.close();
    }
    // The parts the row gives are written; the others stay as stored (null on a new supplier).
    QString cuenta;
    bool cambia = false;
    for (size_t i = 0; i < kPartesCuenta.size(); ++i) {
        const QString dado = texto(kPartesCuenta[i]);
        sentencia.paramByName(kPartesCuenta[i]).setVariant(valor(dado));
        cambia = cambia || !dado.isEmpty();
        cuenta += dado.isEmpty() ? guardado[qsizetype(i)] : dado;
    }
    sentencia.paramByName(QStringLiteral("NOMBREBANCO"))
        .setVariant(valor(texto(QStringLiteral("NOMBREBANCO"))));
    // The IBAN always goes with the account stored: kept while the account stays, worked out again
    // when it changes, for the country of the row (PAIS), else the stored one, else ES; none for an
    // account that is not whole.
    const QString& paisGuardado = guardado[qsizetype(kPartesCuenta.size())];
    QVariant pais = valor(paisGuardado), dcIban = valor(guardado[qsizetype(kPartesCuenta.size()) + 1]);
    if (cambia) {
        pais = dcIban = QVariant();
        if (!qd::CuentaNacional(cuenta).isEmpty()) {
            const QString nombrePais = texto(QStringLiteral("PAIS"));
            const QString codigo = !nombrePais.isEmpty()     ? Codigo_Pais(nombrePais)
                                   : !paisGuardado.isEmpty() ? paisGuardado
                                                             : QStringLiteral("ES");
            pais = codigo;
            dcIban = qd::Calcular_Digito_Control_IBAN(codigo, cuenta, true);
        }
    }
    sentencia.paramByName(QStringLiteral("IBAN_CODIGOPAIS")).setVariant(pais);
    sentencia.paramByName(QStringLiteral("IBAN_DCIBAN")).setVariant(dcIban);
}
