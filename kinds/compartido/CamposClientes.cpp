#include "CamposClientes.h"

#include "FieldList.h"

namespace qd {

SentenciasSql prepararSentenciasClientes(const FieldList& clientes,
                                         const std::optional<QSet<QString>>& presentes) {
    StatementShape shape = StatementShape::forTable(
        QStringLiteral("CLIENTES"), QStringLiteral("IDCLIENTES"),
        QStringLiteral(", CARTERA, FACTURAAGRUPADA, FACTURAACUMULADA, FACTURAPORALBARAN)"),
        QStringLiteral(",:CARTERA,  1, 0, 0);"), 0, ClientFields::kObservaciones);
    shape.updateHead = QStringLiteral("UPDATE ClienteS SET ");
    return construirSentencias(clientes.items(), clientes.ticks(), shape, presentes);
}

QSet<QString> clientesPresentes(const QSet<QString>& cabeceras) {
    static const QList<QPair<QString, QString>> kCodificadas{{"COD_TARIFA", "TARIFA"},
                                                             {"COD_FPAGO", "FORMAPAGO"},
                                                             {"COD_REGIMENIVA", "REGIMENIVA"},
                                                             {"COD_TIPOCLIENTE", "TIPOCLIENTE"},
                                                             {"COD_GRUPOCADENA", "GRUPOCLIENTES"},
                                                             {"COD_MONEDA", "MONEDA"},
                                                             {"COD_GRUPOEMPRESA", "GRUPOEMPRESAS"}};
    QSet<QString> presentes = cabeceras;
    for (const auto& [columna, campo] : kCodificadas)
        if (cabeceras.contains(columna)) presentes.insert(campo);
    if (cabeceras.contains(QStringLiteral("RAZONSOCIAL"))) presentes.insert(QStringLiteral("NOMBRE"));
    return presentes;
}

SentenciasSql prepararSentenciasProveedores(const FieldList& proveedores,
                                            const std::optional<QSet<QString>>& presentes) {
    StatementShape shape =
        StatementShape::forTable(QStringLiteral("PROVEEDORES"), QStringLiteral("IDPROVEEDORES"),
                                 QStringLiteral(", CARTERA)"), QStringLiteral(",:CARTERA);"));
    shape.lastItemLines = [](const QString& item, QStringList& columnas, QStringList& valores,
                             QStringList& updates) {
        if (item != QLatin1String("BANCOS")) return false;
        columnas << QStringLiteral("CARTERA, NOMBREBANCO, CODIGOBANCO, CODIGOSUCURSAL, DC, NUMEROCUENTA, "
                                   "IBAN_CODIGOPAIS, IBAN_DCIBAN)");
        valores << QStringLiteral(":CARTERA, :NOMBREBANCO, :CODIGOBANCO, :CODIGOSUCURSAL, :DC, "
                                  ":NUMEROCUENTA, :IBAN_CODIGOPAIS, :IBAN_DCIBAN);");
        // An update writes the bank name and the account parts the row gives (null: the stored
        // one stays), and always the IBAN the writer worked out for the account stored.
        updates << QStringLiteral("NOMBREBANCO = COALESCE(:NOMBREBANCO, NOMBREBANCO),")
                << QStringLiteral("CODIGOBANCO = COALESCE(:CODIGOBANCO, CODIGOBANCO),")
                << QStringLiteral("CODIGOSUCURSAL = COALESCE(:CODIGOSUCURSAL, CODIGOSUCURSAL),")
                << QStringLiteral("DC = COALESCE(:DC, DC),")
                << QStringLiteral("NUMEROCUENTA = COALESCE(:NUMEROCUENTA, NUMEROCUENTA),")
                << QStringLiteral("IBAN_CODIGOPAIS = :IBAN_CODIGOPAIS,")
                << QStringLiteral("IBAN_DCIBAN = :IBAN_DCIBAN");
        return true;
    };
    return construirSentencias(proveedores.items(), proveedores.ticks(), shape, presentes);
}

QSet<QString> proveedoresPresentes(const QSet<QString>& cabeceras) {
    QSet<QString> presentes = clientesPresentes(cabeceras);
    for (const char* c :
         {"CUENTABANCOCCC", "CODIGOBANCO", "CODIGOSUCURSAL", "DC", "NUMEROCUENTA", "NOMBREBANCO"})
        if (cabeceras.contains(QString::fromLatin1(c))) presentes.insert(QStringLiteral("BANCOS"));
    return presentes;
}

AuxiliaresCliente auxiliaresCliente(const FieldList& clientes) {
    AuxiliaresCliente a;
    a.bancos = clientes.isChecked(ClientFields::kBancos);
    a.agente = clientes.isChecked(ClientFields::kAgenteVenta);
    a.zona = clientes.isChecked(ClientFields::kZona);
    a.ruta = clientes.isChecked(ClientFields::kRuta);
    return a;
}

SentenciasSql prepararSentenciasDirecciones(const FieldList& direcciones,
                                            const std::optional<QSet<QString>>& presentes) {
    StatementShape shape =
        StatementShape::forTable(QStringLiteral("DIRECCIONESENVIO"), QStringLiteral("IDDIRECCIONESENVIO"),
                                 QStringLiteral(", CLIENTE)"), QStringLiteral(", :CLIENTE);"), 2);
    shape.insertHead = QStringLiteral("INSERT INTO DIRECCIONESENVIO (NOMBRE, ");
    shape.valuesHead = QStringLiteral("VALUES (:NOMBRE, ");
    shape.updateHead = QStringLiteral("UPDATE DIRECCIONESENVIO SET NOMBRE = :NOMBRE,");
    return construirSentencias(direcciones.items(), direcciones.ticks(), shape, presentes);
}

SentenciasSql prepararSentenciasContactos(const FieldList& contactos,
                                          const std::optional<QSet<QString>>& presentes) {
    StatementShape shape =
        StatementShape::forTable(QStringLiteral("PERSONASCONTACTO"), QStringLiteral("IDPERSONASCONTACTO"),
                                 QStringLiteral(", CLIENTE)"), QStringLiteral(", :CLIENTE);"), 1);
    shape.updateHead = QStringLiteral("UPDATE PERSONASCONTACTO SET CLIENTE = :CLIENTE,");
    shape.columnName = [](const QString& item) {
        return item == QLatin1String("TELEFONO") ? QStringLiteral("EXTENSION") : item;
    };
    return construirSentencias(contactos.items(), contactos.ticks(), shape, presentes);
}

bool hayCamposMarcados(const FieldList& lista, int desde) {
    for (int p = desde; p < lista.count(); ++p)
        if (lista.isChecked(p)) return true;
    return false;
}

namespace {

const QString kClientHint =
    QStringLiteral("En el proceso de Inserción y Modificación de Clientes,\r\nSOLO se tendrán en cuenta los "
                   "campos marcados. ");
} // namespace

FieldList clientFieldList() {
    return keyColumnFieldList(
        {"GRUPOEMPRESAS", "CODIGO",    "NOMBRE",      "RAZONSOCIAL",   "DIRECCION",     "LOCALIDAD",
         "CODIGOPOSTAL",  "PROVINCIA", "PAIS",        "TELEFONO1",     "TELEFONO2",     "FAX",
         "EMAIL1",        "EMAIL2",    "PAGINAWEB",   "NIF",           "TARIFA",        "FORMAPAGO",
         "REGIMENIVA",    "MONEDA",    "TIPOCLIENTE", "GRUPOCLIENTES", "OBSERVACIONES", "BANCOS",
         "AGENTEVENTA",   "ZONA",      "RUTA"},
        kClientHint);
}

FieldList addressFieldList() {
    return keyColumnFieldList({"COD_CLIENTE", "NOMBRE_ENVIO", "DIRECCION", "LOCALIDAD", "CODIGOPOSTAL",
                               "PROVINCIA", "PAIS", "TELEFONO1", "TELEFONO2", "FAX", "EMAIL1", "EMAIL2",
                               "PAGINAWEB", "OBSERVACIONES"},
                              kClientHint);
}

FieldList contactFieldList() {
    return keyColumnFieldList({"COD_CLIENTE", "GRUPOEMPRESAS", "NOMBRE", "CARGO", "TELEFONO", "TELEFONOMOVIL",
                               "FAX", "EMAIL1", "OBSERVACIONES"},
                              kClientHint);
}

FieldList supplierFieldList() {
    return keyColumnFieldList(
        {"GRUPOEMPRESAS", "CODIGO",    "NOMBRE",        "RAZONSOCIAL", "DIRECCION", "LOCALIDAD",
         "CODIGOPOSTAL",  "PROVINCIA", "PAIS",          "TELEFONO1",   "TELEFONO2", "FAX",
         "EMAIL1",        "EMAIL2",    "PAGINAWEB",     "NIF",         "TARIFA",    "FORMAPAGO",
         "REGIMENIVA",    "MONEDA",    "OBSERVACIONES", "BANCOS"},
        QStringLiteral("En el proceso de Inserción y Modificación de Proveedores,\r\nSOLO se "
                       "tendrán en cuenta los campos marcados. "));
}

FieldList domicileFieldList() {
    return keyColumnFieldList(
        {"CODIGO", "CUENTABANCOCCC", "NOMBREBANCO", "IBAN_PAIS / IBAN_DC"},
        QStringLiteral("En el proceso de Inserción y Modificación de las Cuentas Contables,\r\nSOLO "
                       "se tendrán en cuenta los campos marcados. "));
}

} // namespace qd
