// TDatos: the client import. The staging table kvRxMDClientes with its new-record defaults, its
// loader CargarRxClientes with the code lookups of BuscarID_Clientes, the writer Insertar_Clientes,
// and the defaults of new clients (the defaults window's choice, or qdimport's codes).
#include "TDatos.h"

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

// Coded columns, compared without regard to case, in the order of BuscarID_Clientes' index
// (position 7 is never looked up).
const std::array<QString, 11> kColumnasCodigo{
    QStringLiteral("COD_TARIFA"),       QStringLiteral("COD_FPAGO"),       QStringLiteral("COD_REGIMENIVA"),
    QStringLiteral("COD_TIPOCLIENTE"),  QStringLiteral("COD_GRUPOCADENA"), QStringLiteral("COD_MONEDA"),
    QStringLiteral("COD_GRUPOEMPRESA"), QStringLiteral("NOVALE"),          QStringLiteral("COD_ZONA"),
    QStringLiteral("COD_RUTA"),         QStringLiteral("COD_AGENTEVENTA"),
};
constexpr int kNoVale = 7;

bool kColumnasCodigo_contiene(const QString& nombre) {
    return std::find(kColumnasCodigo.begin(), kColumnasCodigo.end(), nombre) != kColumnasCodigo.end();
}

const std::array<QString, 11> kSelectBusqueda{
    QStringLiteral("SELECT IDTARIFAS as ID FROM TARIFAS"),
    QStringLiteral("SELECT IDFORMASPAGO as ID, CARTERA FROM FORMASPAGO"),
    QStringLiteral("SELECT IDREGIMENESIVA as ID FROM REGIMENESIVA"),
    QStringLiteral("SELECT IDTIPOSCLIENTES as ID FROM TIPOSCLIENTES"),
    QStringLiteral("SELECT IDGRUPOSCLIENTES as ID FROM GRUPOSCLIENTES"),
    QStringLiteral("SELECT IDMONEDAS as ID FROM MONEDAS"),
    QStringLiteral("SELECT IDGRUPOSEMPRESAS as ID FROM GRUPOSEMPRESAS"),
    QStringLiteral("SELECT IDCLIENTES as ID FROM CLIENTES"),
    QStringLiteral("SELECT IDZONAS as ID FROM ZONAS"),
    QStringLiteral("SELECT IDRUTAS as ID FROM RUTAS"),
    QStringLiteral("SELECT IDAGENTESVENTA as ID FROM AGENTESVENTA"),
};

// The staged field each coded column fills, and the field its code itself goes into (zone, route
// and agent: the auxiliary step creates the codes that do not exist yet).
const std::array<const char*, 11> kCampoBusqueda{"TARIFA",        "FORMAPAGO", "REGIMENIVA",    "TIPOCLIENTE",
                                                 "GRUPOCLIENTES", "MONEDA",    "GRUPOEMPRESAS", nullptr,
                                                 "ZONA",          "RUTA",      "AGENTEVENTA"};
const std::array<const char*, 11> kCampoCodigo{nullptr,    nullptr,    nullptr,          nullptr,
                                               nullptr,    nullptr,    nullptr,          nullptr,
                                               "Cod_Zona", "Cod_Ruta", "Cod_AgenteVenta"};

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

// The defaults window's statements, one text per line as the window's lookups take them.
const std::array<QStringList, 5> kSelectDefecto{
    QStringList{"SELECT CODIGO,", "NOMBRE,", "IDGRUPOSEMPRESAS", "FROM GRUPOSEMPRESAS"},
    QStringList{"SELECT RI.CODIGO,", "RI.NOMBRE,", "RI.IDREGIMENESIVA,", "RI.APLICARIVASN,",
                "RI.APLICARRECARGOSN,", "RI.TIPOIVAFIJO,", "TIVA.PORCENTAJEIVA,", "TIVA.PORCENTAJERECARGO",
                "FROM REGIMENESIVA RI", "LEFT OUTER JOIN TablaIva TIVA",
                "ON (RI.TIPOIVAFIJO = TIVA.IDTABLAIVA)"},
    QStringList{"SELECT FP.CODIGO,", "FP.NOMBRE,", "FP.IDFORMASPAGO,", "CAR.IdCarteras,",
                "CAR.Codigo as CodigoCartera,", "CAR.Nombre as NombreCartera", "FROM FormasPago FP",
                "LEFT OUTER JOIN CARTERAS CAR", "ON (FP.Cartera = CAR.IdCarteras)"},
    QStringList{"SELECT CODIGO,", "NOMBRE,", "IDTARIFAS", "FROM TARIFAS"},
    QStringList{"SELECT CODIGO,", "NOMBRE,", "IDMONEDAS", "FROM MONEDAS"},
};
const std::array<const char*, 5> kCodigoDefecto{"CODIGO", "RI.CODIGO", "FP.CODIGO", "CODIGO", "CODIGO"};
const std::array<const char*, 5> kNombreDefecto{"Grupo de Empresas", "Régimen IVA", "Forma de Pago", "Tarifa",
                                                "Moneda"};

} // namespace

void TDatos::Definir_kvRxMDClientes() {
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
// Defaults of new clients.

void TDatos::ponerDatosDefecto(const qd::DatosDefectoClientes& d) {
    GrupoEmpresasDef = d.GrupoEmpresas;
    RegimenIVADef = d.RegimenIVA;
    FormaPagoDef = d.FormaPago;
    CarteraDef = d.Cartera;
    TarifaDef = d.Tarifa;
    MonedaDef = d.Moneda;
}

qd::DatosDefectoClientes TDatos::datosDefecto() const {
    return {GrupoEmpresasDef, RegimenIVADef, FormaPagoDef, CarteraDef, TarifaDef, MonedaDef};
}

QString TDatos::Cuentas_Clientes(const ResumenClientes& r) {
    return Texto_Resumen({{QStringLiteral("Nuevos"), r.Nuevos},
                          {QStringLiteral("Actualizados"), r.Actualizados},
                          {QStringLiteral("Existentes no modificados"), r.Omitidos},
                          {QStringLiteral("Con errores"), r.ConErrores},
                          {QStringLiteral("Descartados al cargar"), r.Descartadas}});
}

QStringList TDatos::lineasDatosDefecto(int cual) {
    if (cual < 0 || cual >= int(kSelectDefecto.size())) return {};
    return kSelectDefecto[size_t(cual)];
}

QString TDatos::selectDatosDefecto(int cual) {
    if (cual < 0 || cual >= int(kSelectDefecto.size())) return {};
    return kSelectDefecto[size_t(cual)].join(QLatin1Char(' '));
}

namespace {

// One row of a defaults statement: by code, or (empty code) the lowest code. Price lists are
// those of the launch company group; the company group prefers the launch one.
QList<QVariant> filaDefecto(TDatos& d, int cual, const QString& codigo, const QString& id1,
                            const QString& id2 = {}) {
    Statement s(&d.IBDatabase, &d.IBTransaction1);
    QString sql = TDatos::selectDatosDefecto(cual);
    const QString columnaCodigo = QString::fromLatin1(kCodigoDefecto[size_t(cual)]);
    QStringList condiciones;
    if (!codigo.isEmpty()) condiciones << columnaCodigo + QStringLiteral(" = :Codigo");
    if (cual == 3) condiciones << QStringLiteral("GRUPOEMPRESAS = :Grupo");
    if (!condiciones.isEmpty()) sql += QStringLiteral(" WHERE ") + condiciones.join(QStringLiteral(" AND "));
    if (cual == 0 && codigo.isEmpty())
        sql += QStringLiteral(" ORDER BY CASE WHEN IDGRUPOSEMPRESAS = :Grupo THEN 0 ELSE 1 END, CODIGO");
    else
        sql += QStringLiteral(" ORDER BY ") + columnaCodigo;
    s.setSql(sql);
    if (!codigo.isEmpty()) s.paramByName(QStringLiteral("Codigo")).setString(codigo);
    if (s.hasParam(QStringLiteral("Grupo"))) s.paramByName(QStringLiteral("Grupo")).setInt(d.IdGrupoEmpresas);
    d.IBTransaction1.ensureStarted();
    s.execute();
    QList<QVariant> fila;
    if (!s.eof()) {
        fila << s.fieldByName(id1).asVariant();
        if (!id2.isEmpty()) fila << s.fieldByName(id2).asVariant();
    }
    s.close();
    return fila;
}

} // namespace

qd::DatosDefectoClientes TDatos::datosDefectoPorCodigo(const QString& grupoEmpresas,
                                                       const QString& regimenIva, const QString& formaPago,
                                                       const QString& tarifa, const QString& moneda) {
    Exigir_Conexion();
    qd::DatosDefectoClientes d;
    auto uno = [&](int cual, const QString& codigo, const QString& id, int& destino, const QString& id2 = {},
                   int* destino2 = nullptr) {
        QList<QVariant> fila;
        try {
            fila = filaDefecto(*this, cual, codigo.trimmed(), id, id2);
        } catch (const qd::fb::Error&) {
            if (codigo.trimmed().isEmpty()) throw;
            // A code longer than the column is no code of the table.
        }
        if (fila.isEmpty()) {
            if (!codigo.trimmed().isEmpty())
                throw qd::ErrorImportacion(QStringLiteral("%1: no existe el código «%2».")
                                               .arg(QString::fromUtf8(kNombreDefecto[size_t(cual)]), codigo));
            return;
        }
        destino = fila.value(0).toInt();
        if (destino2) *destino2 = fila.value(1).toInt(); // no portfolio: 0
    };
    uno(0, grupoEmpresas, QStringLiteral("IDGRUPOSEMPRESAS"), d.GrupoEmpresas);
    uno(1, regimenIva, QStringLiteral("IDREGIMENESIVA"), d.RegimenIVA);
    uno(2, formaPago, QStringLiteral("IDFORMASPAGO"), d.FormaPago, QStringLiteral("IDCARTERAS"), &d.Cartera);
    uno(3, tarifa, QStringLiteral("IDTARIFAS"), d.Tarifa);
    uno(4, moneda, QStringLiteral("IDMONEDAS"), d.Moneda);
    return d;
}

qd::DatosDefectoClientes TDatos::datosDefectoIniciales() {
    return datosDefectoPorCodigo({}, {}, {}, {}, {});
}

// ---------------------------------------------------------------------------------------------
// Load.

int TDatos::cargarClientes(const QString& fichero, const OpcionesClientes& o) {
    Exigir_Conexion();
    ponerDatosDefecto(o.defectos);
    canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    CargarExcel(fichero);
    canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxClientes();
    return kvRxMDClientes.recordCount();
}

QVariant TDatos::BuscarID_Clientes(int Tabla_Busqueda, const QString& Codigo_Busqueda) {
    if (Tabla_Busqueda < 0 || Tabla_Busqueda >= int(kSelectBusqueda.size())) return {};
    const auto indice = static_cast<size_t>(Tabla_Busqueda);
    // A load looks the same few codes up again and again: each (table, code) is asked once.
    const QString clave = QStringLiteral("C%1|").arg(Tabla_Busqueda) + Codigo_Busqueda;
    const QString claveCartera = clave + QStringLiteral("|cartera");
    const QString claveHallado = clave + QStringLiteral("|hallado");
    if (const auto it = cacheBusquedas_.constFind(clave); it != cacheBusquedas_.constEnd()) {
        if (Tabla_Busqueda == 1) IdCarteraAsociada = cacheBusquedas_.value(claveCartera);
        busquedaHallada_ = cacheBusquedas_.value(claveHallado).toBool();
        return it.value();
    }

    QVariant id;
    QVariant cartera;
    bool encontrado = false;
    try {
        Consulta.close();
        const QString texto = kSelectBusqueda[indice] + QStringLiteral(" WHERE (CODIGO = :ParCodigo)");
        if (Consulta.sql() != texto) Consulta.setSql(texto);
        Consulta.paramByName(QStringLiteral("ParCodigo")).setString(Codigo_Busqueda);
        Consulta.open();
        if (!Consulta.eof()) {
            encontrado = true;
            id = Consulta.fieldByName(QStringLiteral("ID")).asVariant();
            // A payment method without a portfolio gives none (never the previous row's).
            if (Tabla_Busqueda == 1) cartera = Consulta.fieldByName(kCarteraCampo).asVariant();
        }
        Consulta.close();
    } catch (const std::exception&) {
        encontrado = false; // a lookup that fails finds nothing, without a message
        try {
            Consulta.close();
        } catch (const std::exception&) {
        }
    }
    busquedaHallada_ = encontrado && !id.isNull();
    cacheBusquedas_.insert(claveHallado, busquedaHallada_);
    if (!busquedaHallada_) {
        switch (Tabla_Busqueda) {
        case 0:
            id = TarifaDef;
            break;
        case 1:
            id = FormaPagoDef;
            cartera = CarteraDef;
            break;
        case 2:
            id = RegimenIVADef;
            break;
        case 5:
            id = MonedaDef;
            break;
        case 6:
            id = GrupoEmpresasDef;
            break;
        default:
            id = QVariant();
            break;
        }
    }
    if (Tabla_Busqueda == 1) {
        IdCarteraAsociada = cartera;
        cacheBusquedas_.insert(claveCartera, cartera);
    }
    cacheBusquedas_.insert(clave, id);
    return id;
}

void TDatos::CargarRxClientes() {
    Cargar_Filas_Codificadas(kvRxMDClientes, {0, 1, 2, 3, 4, 5, 6, 8, 9, 10}, false);
}

void TDatos::Cargar_Filas_Codificadas(TkvRxMemoryData& t, const QList<int>& codificadas, bool calcularDC) {
    cacheBusquedas_.clear();
    // What each column's header means (the same for every row).
    struct Columna {
        int busqueda = -1, campo = -1, campoCodigo = -1;
        bool cuenta = false, codigo = false;
    };
    QHash<int, Columna> columnas;
    auto columnaDe = [&](int columna, const QString& cabecera) -> const Columna& {
        auto it = columnas.constFind(columna);
        if (it != columnas.constEnd()) return it.value();
        Columna c;
        const QString nombre = cabecera.toUpper();
        for (size_t i = 0; i < kColumnasCodigo.size(); ++i)
            if (kColumnasCodigo[i] == nombre && int(i) != kNoVale && codificadas.contains(int(i))) {
                c.busqueda = int(i);
                c.campo = t.fieldIndex(QString::fromLatin1(kCampoBusqueda[i]));
                if (kCampoCodigo[i]) c.campoCodigo = t.fieldIndex(QString::fromLatin1(kCampoCodigo[i]));
            }
        if (c.busqueda < 0 && !kColumnasCodigo_contiene(nombre)) {
            c.campo = t.fieldIndex(cabecera); // a staging field by name, without regard to case
            c.codigo = c.campo >= 0 && c.campo == t.fieldIndex(kCodigo);
            // The account in one column, as written (letter case included).
            c.cuenta = c.campo < 0 && cabecera == QLatin1String("CuentaBancoCCC");
        }
        return columnas.insert(columna, c).value();
    };

    bool rechazada = false;
    int filaActual = 0, sinCodigo = 0, primeraSinCodigo = 0, ultimaSinCodigo = 0;
    const int campoCartera = t.fieldIndex(kCarteraCampo);
    Leer_Filas_Excel(
        t,
        [&](int fila, int columna, const QString& cabecera) {
            filaActual = fila;
            const Columna& c = columnaDe(columna, cabecera);
            const qd::wb::Sheet& hoja = hojaExcel();
            if (c.busqueda >= 0) {
                const QString codigo = hoja.text(fila, columna).trimmed();
                const QVariant id = BuscarID_Clientes(c.busqueda, codigo);
                if (c.campoCodigo >= 0) {
                    // Zones, routes and agents that do not exist are created by the auxiliary step.
                    Poner_Valor_Celda(t, c.campoCodigo, codigo, fila, columna);
                    Poner_Valor_Staging(t, c.campo, id);
                    return;
                }
                Poner_Busqueda_Staging(t, c.campo, id, fila, columna);
                if (c.busqueda == 1) Poner_Valor_Staging(t, campoCartera, IdCarteraAsociada);
                // A code that is not found takes the chosen default: the user is told.
                if (!id.isNull() && !codigo.isEmpty() && !busquedaHallada_)
                    Incidencia_Celda(fila, cabecera, codigo,
                                     QStringLiteral("no existe; se toma el valor por defecto."));
            } else if (c.codigo) {
                rechazada = !Poner_Codigo_Staging(t, c.campo, fila, columna) || rechazada;
            } else if (c.campo >= 0) {
                Poner_Celda_Staging(t, c.campo, fila, columna);
            } else if (c.cuenta) {
                const qd::wb::Cell& celda = hoja.cell(fila, columna);
                QString cuenta = hoja.text(fila, columna).trimmed();
                if (celda.type == qd::wb::CellType::Number) {
                    // An account typed as a number: its leading zeros are gone, and past 15 digits
                    // so are its last ones.
                    if (celda.number < 0 || celda.number >= 1e15 ||
                        celda.number != std::floor(celda.number)) {
                        Incidencia_Celda(
                            fila, cabecera, cuenta,
                            QStringLiteral("es un número que no guarda las 20 cifras de la cuenta; "
                                           "escríbala como texto. Se deja vacía."));
                        return;
                    }
                    cuenta = QString::number(qint64(celda.number)).rightJustified(20, QLatin1Char('0'));
                }
                if (cuenta.isEmpty()) return;
                Poner_Valor_Celda(t, t.fieldIndex(QStringLiteral("CODIGOBANCO")), cuenta.mid(0, 4), fila,
                                  columna);
                Poner_Valor_Celda(t, t.fieldIndex(QStringLiteral("CODIGOSUCURSAL")), cuenta.mid(4, 4), fila,
                                  columna);
                Poner_Valor_Celda(t, t.fieldIndex(QStringLiteral("DC")), cuenta.mid(8, 2), fila, columna);
                Poner_Valor_Celda(t, t.fieldIndex(QStringLiteral("NUMEROCUENTA")), cuenta.mid(10, 10), fila,
                                  columna);
                if (cuenta.size() != 20)
                    Incidencia_Celda(fila, cabecera, cuenta,
                                     QStringLiteral("no tiene 20 caracteres; se reparte tal como está."));
                // Check digits "00": computed from the bank, the branch and the account number.
                if (calcularDC && cuenta.mid(8, 2) == QLatin1String("00")) {
                    const QString dc =
                        qd::CalculoDigitoControl(cuenta.mid(0, 4), cuenta.mid(4, 4), cuenta.mid(10, 10));
                    if (dc.isEmpty())
                        Incidencia_Celda(
                            fila, cabecera, cuenta,
                            QStringLiteral("no es una cuenta de cifras: sus dígitos de control «00» no se "
                                           "pueden calcular y se dejan así."));
                    else
                        Poner_Valor_Staging(t, t.fieldIndex(QStringLiteral("DC")), dc);
                }
            }
        },
        [&] {
            if (t.value(kNombre).isNull()) t.setValue(kNombre, t.value(kRazonSocial));
            if (std::exchange(rechazada, false)) return false;
            if (t.value(kCodigo).isNull()) {
                if (sinCodigo++ == 0) primeraSinCodigo = filaActual;
                ultimaSinCodigo = filaActual;
                Anotar_Fila_No_Escrita(filaActual, QStringLiteral("Falta la columna CODIGO."));
                return false;
            }
            return true;
        },
        true);
    if (sinCodigo > 0)
        canal().incidence(
            (primeraSinCodigo == ultimaSinCodigo
                 ? QStringLiteral("Fila %1").arg(primeraSinCodigo)
                 : QStringLiteral("Filas %1 a %2").arg(primeraSinCodigo).arg(ultimaSinCodigo)) +
            QStringLiteral(": el libro no tiene la columna CODIGO; no se carga%1.")
                .arg(sinCodigo == 1 ? QStringLiteral(" la fila") : QStringLiteral("n las filas")));
    descartadasCarga_ = int(Filas_No_Escritas.size());
    cacheBusquedas_.clear();
}

// ---------------------------------------------------------------------------------------------
// Write.

TDatos::ResumenClientes TDatos::confirmarClientes(const OpcionesClientes& o, const qd::FieldList& campos,
                                                  const qd::OpcionesMotor& motor) {
    Exigir_Conexion();
    ponerDatosDefecto(o.defectos);
    canal().status(QStringLiteral("Construyendo sentencias SQL de Inserción y Actualización"));
    // An update sets only the ticked fields the workbook has a column for.
    const qd::SentenciasSql sentencias =
        qd::prepararSentenciasClientes(campos, qd::clientesPresentes(Cabeceras_Presentes(kvRxMDClientes)));
    if (!o.SoloNuevos) Avisar_Campos_Ausentes(sentencias);
    canal().status(QStringLiteral("Importando datos de Clientes a la Base de Datos"));
    ResumenClientes r = Con_Motor(motor, [&](qd::MotorFilas&) {
        return Insertar_Clientes(o.SoloNuevos, sentencias, qd::auxiliaresCliente(campos));
    });
    canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

TDatos::ResumenClientes TDatos::Insertar_Clientes(bool SoloNuevos, const qd::SentenciasSql& sentencias,
                                                  const qd::AuxiliaresCliente& aux) {
    ResumenClientes r;
    r.Descartadas = descartadasCarga_;
    TkvRxMemoryData& t = kvRxMDClientes;
    Statement buscar(&IBDatabase, &IBTransaction1);
    Statement insertar(&IBDatabase, &IBTransaction1);
    Statement actualizar(&IBDatabase, &IBTransaction1);
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
            canal().incidence(QStringLiteral("Fila %1 (código %2): %3")
                                  .arg(Fila_Hoja(t, t.recNo()))
                                  .arg(t.value(kCodigo).toString(), Texto_Error(e)));
        }
    };

    RecorridoFilas recorrido;
    recorrido.cuentas = cuentas;
    recorrido.codigo = [&t] { return t.value(kCodigo).toString(); };
    recorrido.trasError = TrasError::Mostrar;
    recorrido.escribir = [&] {
        buscar.paramByName(QStringLiteral("ParCodigo")).setString(t.value(kCodigo).toString());
        const int id = Id_Encontrado(buscar);
        Statement& sentencia = id != 0 ? actualizar : insertar;
        const bool escribe = id == 0 || (!SoloNuevos && !sentencias.update.isEmpty());
        if (escribe) {
            if (!sentencia.prepared()) sentencia.prepare();
            Enlazar_Desde_Staging(sentencia, t, kParametrosCliente, {},
                                  [this](const QString& nombre) -> std::optional<QVariant> {
                                      if (nombre == kGrupoEmpresas) return QVariant(IdGrupoEmpresas);
                                      return std::nullopt;
                                  });
            // A client without a name takes its company name.
            if (sentencia.hasParam(kNombre) && t.value(kNombre).toString().isEmpty())
                sentencia.paramByName(kNombre).setVariant(t.value(kRazonSocial).toString().left(50));
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
    const FinRecorrido fin = Recorrer_Filas(t, recorrido);
    r.ConErrores = fin.conErrores;
    r.TotalRegistros = t.active() ? t.recNo() : 0;
    r.texto = Terminar_Resumen(cuentas(), fin.cancelado, &r.motor);
    canal().message(qd::MessageKind::Information, r.texto);
    return r;
}
