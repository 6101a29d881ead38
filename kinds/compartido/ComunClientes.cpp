// What the client-family kinds share: the defaults of new clients (the defaults window's choice,
// or qdimport's codes), the coded look-ups of BuscarID_Clientes and the loader of coded rows, the
// collection domicile of an account and the country of a name.
#include "ComunClientes.h"

#include "CamposClientes.h"
#include "DigitosControl.h"
#include "FbError.h"
#include "SentenciasPreparadas.h"
#include "Sheet.h"

#include <optional>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

using qd::fb::Statement;

const QString kCodigo = QStringLiteral("CODIGO");
const QString kNombre = QStringLiteral("NOMBRE");
const QString kRazonSocial = QStringLiteral("RAZONSOCIAL");
const QString kCarteraCampo = QStringLiteral("CARTERA");

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

// ---------------------------------------------------------------------------------------------
// Defaults of new clients.

void ComunClientes::ponerDatosDefecto(const qd::DatosDefectoClientes& d) {
    GrupoEmpresasDef = d.GrupoEmpresas;
    RegimenIVADef = d.RegimenIVA;
    FormaPagoDef = d.FormaPago;
    CarteraDef = d.Cartera;
    TarifaDef = d.Tarifa;
    MonedaDef = d.Moneda;
}

qd::DatosDefectoClientes ComunClientes::datosDefecto() const {
    return {GrupoEmpresasDef, RegimenIVADef, FormaPagoDef, CarteraDef, TarifaDef, MonedaDef};
}

QString ComunClientes::Cuentas_Clientes(const ResumenClientes& r) {
    return TDatos::Texto_Resumen({{QStringLiteral("Nuevos"), r.Nuevos},
                                  {QStringLiteral("Actualizados"), r.Actualizados},
                                  {QStringLiteral("Existentes no modificados"), r.Omitidos},
                                  {QStringLiteral("Con errores"), r.ConErrores},
                                  {QStringLiteral("Descartados al cargar"), r.Descartadas}});
}

QStringList ComunClientes::lineasDatosDefecto(int cual) {
    if (cual < 0 || cual >= int(kSelectDefecto.size())) return {};
    return kSelectDefecto[size_t(cual)];
}

QString ComunClientes::selectDatosDefecto(int cual) {
    if (cual < 0 || cual >= int(kSelectDefecto.size())) return {};
    return kSelectDefecto[size_t(cual)].join(QLatin1Char(' '));
}

namespace {

// One row of a defaults statement: by code, or (empty code) the lowest code. Price lists are
// those of the launch company group; the company group prefers the launch one.
QList<QVariant> filaDefecto(TDatos& d, int cual, const QString& codigo, const QString& id1,
                            const QString& id2 = {}) {
    Statement s(&d.IBDatabase, &d.IBTransaction1);
    QString sql = ComunClientes::selectDatosDefecto(cual);
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

qd::DatosDefectoClientes ComunClientes::datosDefectoPorCodigo(const QString& grupoEmpresas,
                                                              const QString& regimenIva,
                                                              const QString& formaPago, const QString& tarifa,
                                                              const QString& moneda) {
    d.Exigir_Conexion();
    qd::DatosDefectoClientes defectos;
    auto uno = [&](int cual, const QString& codigo, const QString& id, int& destino, const QString& id2 = {},
                   int* destino2 = nullptr) {
        QList<QVariant> fila;
        try {
            fila = filaDefecto(d, cual, codigo.trimmed(), id, id2);
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
    uno(0, grupoEmpresas, QStringLiteral("IDGRUPOSEMPRESAS"), defectos.GrupoEmpresas);
    uno(1, regimenIva, QStringLiteral("IDREGIMENESIVA"), defectos.RegimenIVA);
    uno(2, formaPago, QStringLiteral("IDFORMASPAGO"), defectos.FormaPago, QStringLiteral("IDCARTERAS"),
        &defectos.Cartera);
    uno(3, tarifa, QStringLiteral("IDTARIFAS"), defectos.Tarifa);
    uno(4, moneda, QStringLiteral("IDMONEDAS"), defectos.Moneda);
    return defectos;
}

qd::DatosDefectoClientes ComunClientes::datosDefectoIniciales() {
    return datosDefectoPorCodigo({}, {}, {}, {}, {});
}

// ---------------------------------------------------------------------------------------------
// Load.

QVariant ComunClientes::BuscarID_Clientes(int Tabla_Busqueda, const QString& Codigo_Busqueda) {
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
        d.Consulta.close();
        const QString texto = kSelectBusqueda[indice] + QStringLiteral(" WHERE (CODIGO = :ParCodigo)");
        if (d.Consulta.sql() != texto) d.Consulta.setSql(texto);
        d.Consulta.paramByName(QStringLiteral("ParCodigo")).setString(Codigo_Busqueda);
        d.Consulta.open();
        if (!d.Consulta.eof()) {
            encontrado = true;
            id = d.Consulta.fieldByName(QStringLiteral("ID")).asVariant();
            // A payment method without a portfolio gives none (never the previous row's).
            if (Tabla_Busqueda == 1) cartera = d.Consulta.fieldByName(kCarteraCampo).asVariant();
        }
        d.Consulta.close();
    } catch (const std::exception&) {
        encontrado = false; // a lookup that fails finds nothing, without a message
        try {
            d.Consulta.close();
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

namespace {

// The tables of the staged fields that hold another table's ID, and how the user calls them.
struct TablaId {
    const char* campo;
    const char* tabla;
    const char* clave;
    const char* nombre;
};
const TablaId kTablasId[] = {
    {"TARIFA", "TARIFAS", "IDTARIFAS", "ninguna tarifa"},
    {"FORMAPAGO", "FORMASPAGO", "IDFORMASPAGO", "ninguna forma de pago"},
    {"CARTERA", "CARTERAS", "IDCARTERAS", "ninguna cartera"},
    {"REGIMENIVA", "REGIMENESIVA", "IDREGIMENESIVA", "ningún régimen de IVA"},
    {"TIPOCLIENTE", "TIPOSCLIENTES", "IDTIPOSCLIENTES", "ningún tipo de cliente"},
    {"GRUPOCLIENTES", "GRUPOSCLIENTES", "IDGRUPOSCLIENTES", "ningún grupo de clientes"},
    {"MONEDA", "MONEDAS", "IDMONEDAS", "ninguna moneda"},
    {"GRUPOEMPRESAS", "GRUPOSEMPRESAS", "IDGRUPOSEMPRESAS", "ningún grupo de empresas"},
    {"CLIENTE", "CLIENTES", "IDCLIENTES", "ningún cliente"},
};

const TablaId* tablaId(const QString& campo) {
    for (const TablaId& t : kTablasId)
        if (campo.compare(QLatin1String(t.campo), Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

// The parts of an account, each a column of its own in the staging tables that have them.
const std::array<QString, 4> kPartesCuenta{QStringLiteral("CODIGOBANCO"), QStringLiteral("CODIGOSUCURSAL"),
                                           QStringLiteral("DC"), QStringLiteral("NUMEROCUENTA")};

// The table a coded column's code is looked up in (the last word of its statement).
QString tablaBusqueda(int busqueda) {
    const QString& select = kSelectBusqueda[size_t(busqueda)];
    return select.mid(select.lastIndexOf(QLatin1Char(' ')) + 1);
}

} // namespace

int ComunClientes::Codigo_No_Cabe(const QString& codigo, const QString& tabla, int tope) {
    int admite = columnasBD.longitud(tabla, kCodigo);
    if (tope > 0 && (admite == 0 || tope < admite)) admite = tope;
    return admite > 0 && codigo.size() > admite ? admite : 0;
}

QString ComunClientes::Texto_Codigo_Largo(const QString& codigo, int admite) {
    return QStringLiteral("tiene %1 caracteres y el código admite %2").arg(codigo.size()).arg(admite);
}

bool ComunClientes::Es_Campo_Id(const QString& campo) {
    return tablaId(campo) != nullptr;
}

QString ComunClientes::Poner_Id_Staging(TkvRxMemoryData& t, int campo, int fila, int columna) {
    const TablaId* tabla = tablaId(t.fieldDefs().at(campo).name);
    const qd::wb::Sheet& hoja = d.hojaExcel();
    const QString texto = hoja.text(fila, columna).trimmed();
    if (tabla == nullptr || texto.isEmpty()) {
        d.Poner_Celda_Staging(t, campo, fila, columna);
        return {};
    }
    const qd::wb::Cell celda = hoja.cell(fila, columna);
    bool esNumero = false;
    qint64 id = 0;
    if (celda.type == qd::wb::CellType::Number) {
        esNumero = celda.number == std::floor(celda.number) && std::fabs(celda.number) < 2147483648.0;
        id = esNumero ? qint64(celda.number) : 0;
    } else {
        id = texto.toLongLong(&esNumero);
    }
    const QString nombreTabla = QString::fromLatin1(tabla->tabla);
    if (esNumero && columnasBD.existe(nombreTabla, QString::fromLatin1(tabla->clave), id)) {
        TDatos::Poner_Valor_Staging(t, campo, QVariant(id));
        return {};
    }
    TDatos::Poner_Valor_Staging(t, campo, QVariant());
    return QStringLiteral("no es el número de %1 (%2)").arg(QString::fromUtf8(tabla->nombre), nombreTabla);
}

void ComunClientes::Cargar_Filas_Codificadas(TkvRxMemoryData& t, const QList<int>& codificadas,
                                             bool calcularDC, const QString& tablaDestino) {
    cacheBusquedas_.clear();
    columnasBD.olvidar();
    // What each column's header means (the same for every row).
    struct Columna {
        int busqueda = -1, campo = -1, campoCodigo = -1;
        bool cuenta = false, codigo = false, id = false, parteCuenta = false;
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
            c.id = c.campo >= 0 && Es_Campo_Id(t.fieldDefs().at(c.campo).name);
            c.parteCuenta = c.campo >= 0 && std::find(kPartesCuenta.begin(), kPartesCuenta.end(), nombre) !=
                                                kPartesCuenta.end();
            // The account in one column, as written (letter case included).
            c.cuenta = c.campo < 0 && cabecera == QLatin1String("CuentaBancoCCC");
        }
        return columnas.insert(columna, c).value();
    };

    bool rechazada = false;
    QString motivoFila; // why the row in progress is not loaded (the first reason found)
    int filaActual = 0, sinCodigo = 0, primeraSinCodigo = 0, ultimaSinCodigo = 0;
    const int campoCartera = t.fieldIndex(kCarteraCampo);
    const int campoGrupo = t.fieldIndex(QStringLiteral("GRUPOEMPRESAS"));
    // A value that makes the row unusable: told now, and the row is not loaded.
    auto rechazar = [&](int fila, const QString& cabecera, const QString& valor, const QString& que) {
        d.Incidencia_Celda(fila, cabecera, valor, que + QStringLiteral("; la fila no se carga."));
        if (motivoFila.isEmpty())
            motivoFila = QStringLiteral("Columna %1: «%2» %3.").arg(cabecera, valor, que);
    };
    d.Leer_Filas_Excel(
        t,
        [&](int fila, int columna, const QString& cabecera) {
            filaActual = fila;
            const Columna& c = columnaDe(columna, cabecera);
            const qd::wb::Sheet& hoja = d.hojaExcel();
            if (c.busqueda >= 0) {
                const std::optional<QString> esCodigo = d.Texto_Codigo(fila, columna);
                if (!esCodigo) {
                    // Not a code (told): the field is left as the record has it.
                    TDatos::Poner_Valor_Staging(t, c.campo, QVariant());
                    if (c.campo >= 0) t.marcar(c.campo, TkvRxMemoryData::SinValor::NoValida);
                    return;
                }
                const QString& codigo = *esCodigo;
                const int tope = c.campoCodigo >= 0 ? t.fieldDefs().at(c.campoCodigo).size : 0;
                if (const int admite = Codigo_No_Cabe(codigo, tablaBusqueda(c.busqueda), tope)) {
                    // Never cut into another code, nor created cut: the code is not used.
                    const QString que = Texto_Codigo_Largo(codigo, admite);
                    if (c.campo >= 0 && t.fieldDefs().at(c.campo).required)
                        return rechazar(fila, cabecera, codigo, que);
                    TDatos::Poner_Valor_Staging(t, c.campo, QVariant());
                    TDatos::Poner_Valor_Staging(t, c.campoCodigo, QVariant());
                    if (c.campo >= 0) t.marcar(c.campo, TkvRxMemoryData::SinValor::NoValida);
                    if (c.busqueda == 1) TDatos::Poner_Valor_Staging(t, campoCartera, QVariant());
                    d.Incidencia_Celda(fila, cabecera, codigo, que + QStringLiteral("; no se usa."));
                    return;
                }
                const QVariant id = BuscarID_Clientes(c.busqueda, codigo);
                if (c.campoCodigo >= 0) {
                    // Zones, routes and agents that do not exist are created by the auxiliary step.
                    d.Poner_Valor_Celda(t, c.campoCodigo, codigo, fila, columna);
                    TDatos::Poner_Valor_Staging(t, c.campo, id);
                    return;
                }
                d.Poner_Busqueda_Staging(t, c.campo, id, fila, columna);
                if (c.busqueda == 1) TDatos::Poner_Valor_Staging(t, campoCartera, IdCarteraAsociada);
                // A code that is not found (or an empty cell) gives a new record the chosen default;
                // an existing one keeps its own. The user is told of the code not found.
                if (c.campo < 0) {
                } else if (codigo.isEmpty())
                    t.marcar(c.campo, TkvRxMemoryData::SinValor::Vacia);
                else if (!busquedaHallada_)
                    t.marcar(c.campo, TkvRxMemoryData::SinValor::NoValida);
                if (!id.isNull() && !codigo.isEmpty() && !busquedaHallada_)
                    d.Incidencia_Celda(
                        fila, cabecera, codigo,
                        QStringLiteral("no existe; un registro nuevo toma el valor por defecto y "
                                       "uno que ya existe conserva el suyo."));
            } else if (c.codigo) {
                const QString codigo = hoja.text(fila, columna).trimmed();
                if (const int admite = Codigo_No_Cabe(codigo, tablaDestino, t.fieldDefs().at(c.campo).size)) {
                    rechazada = true;
                    d.Incidencia_Celda(fila, cabecera, codigo,
                                       Texto_Codigo_Largo(codigo, admite) +
                                           QStringLiteral("; la fila no se carga."));
                    d.Anotar_Fila_No_Escrita(fila,
                                             QStringLiteral("Columna %1: «%2» %3.")
                                                 .arg(cabecera, codigo, Texto_Codigo_Largo(codigo, admite)));
                    return;
                }
                rechazada = !d.Poner_Codigo_Staging(t, c.campo, fila, columna) || rechazada;
            } else if (c.id) {
                const QString que = Poner_Id_Staging(t, c.campo, fila, columna);
                if (que.isEmpty()) return;
                const QString valor = hoja.text(fila, columna).trimmed();
                if (c.campo != campoGrupo) return rechazar(fila, cabecera, valor, que);
                // A client or supplier always belongs to a company group: the launch one.
                TDatos::Poner_Valor_Staging(t, c.campo, d.IdGrupoEmpresas);
                d.Incidencia_Celda(fila, cabecera, valor,
                                   que + QStringLiteral("; se toma el grupo de empresas de la sesión (%1).")
                                             .arg(d.IdGrupoEmpresas));
            } else if (c.parteCuenta) {
                const QString texto = hoja.text(fila, columna).trimmed();
                if (texto.isEmpty()) return d.Poner_Celda_Staging(t, c.campo, fila, columna);
                const int cifras = t.fieldDefs().at(c.campo).size;
                const QString parte = qd::Cifras(texto, cifras);
                TDatos::Poner_Valor_Staging(t, c.campo, parte.isEmpty() ? QVariant() : QVariant(parte));
                if (parte.isEmpty())
                    d.Incidencia_Celda(fila, cabecera, texto,
                                       QStringLiteral("no son %1 cifras; no se usa.").arg(cifras));
            } else if (c.campo >= 0) {
                d.Poner_Celda_Staging(t, c.campo, fila, columna);
            } else if (c.cuenta) {
                const qd::wb::Cell& celda = hoja.cell(fila, columna);
                const QString texto = hoja.text(fila, columna).trimmed();
                QString cuenta;
                if (celda.type == qd::wb::CellType::Number) {
                    // An account typed as a number: its leading zeros are gone, and past 15 digits
                    // so are its last ones.
                    if (celda.number < 0 || celda.number >= 1e15 ||
                        celda.number != std::floor(celda.number)) {
                        d.Incidencia_Celda(
                            fila, cabecera, texto,
                            QStringLiteral("es un número que no guarda las 20 cifras de la cuenta; "
                                           "escríbala como texto. No se usa."));
                        return;
                    }
                    cuenta = QString::number(qint64(celda.number)).rightJustified(20, QLatin1Char('0'));
                } else {
                    if (texto.isEmpty()) return;
                    cuenta = qd::CuentaNacional(texto);
                    if (cuenta.isEmpty()) {
                        d.Incidencia_Celda(fila, cabecera, texto,
                                           QStringLiteral("no es una cuenta de 20 cifras; no se usa."));
                        return;
                    }
                }
                QString dc = cuenta.mid(8, 2);
                // Check digits "00": computed from the bank, the branch and the account number.
                if (calcularDC && dc == QLatin1String("00"))
                    dc = qd::CalculoDigitoControl(cuenta.mid(0, 4), cuenta.mid(4, 4), cuenta.mid(10, 10));
                TDatos::Poner_Valor_Staging(t, t.fieldIndex(kPartesCuenta[0]), cuenta.mid(0, 4));
                TDatos::Poner_Valor_Staging(t, t.fieldIndex(kPartesCuenta[1]), cuenta.mid(4, 4));
                TDatos::Poner_Valor_Staging(t, t.fieldIndex(kPartesCuenta[2]), dc);
                TDatos::Poner_Valor_Staging(t, t.fieldIndex(kPartesCuenta[3]), cuenta.mid(10, 10));
            }
        },
        [&] {
            if (t.value(kNombre).isNull()) t.setValue(kNombre, t.value(kRazonSocial));
            if (std::exchange(rechazada, false)) {
                motivoFila.clear();
                return false;
            }
            if (!motivoFila.isEmpty()) {
                d.Anotar_Fila_No_Escrita(filaActual, std::exchange(motivoFila, QString()));
                return false;
            }
            if (t.value(kCodigo).isNull()) {
                if (sinCodigo++ == 0) primeraSinCodigo = filaActual;
                ultimaSinCodigo = filaActual;
                d.Anotar_Fila_No_Escrita(filaActual, QStringLiteral("Falta la columna CODIGO."));
                return false;
            }
            return true;
        },
        true,
        [&t](const QString& cabecera) {
            return kColumnasCodigo_contiene(cabecera.toUpper()) || t.fieldIndex(cabecera) >= 0 ||
                   cabecera == QLatin1String("CuentaBancoCCC");
        });
    if (sinCodigo > 0)
        d.canal().incidence(
            (primeraSinCodigo == ultimaSinCodigo
                 ? QStringLiteral("Fila %1").arg(primeraSinCodigo)
                 : QStringLiteral("Filas %1 a %2").arg(primeraSinCodigo).arg(ultimaSinCodigo)) +
            QStringLiteral(": el libro no tiene la columna CODIGO; no se carga%1.")
                .arg(sinCodigo == 1 ? QStringLiteral(" la fila") : QStringLiteral("n las filas")));
    descartadasCarga_ = int(d.Filas_No_Escritas.size());
    cacheBusquedas_.clear();
}

// ---------------------------------------------------------------------------------------------
// Write.

// ---------------------------------------------------------------------------------------------
// The collection domicile of an account, and countries.

namespace {

using qd::fb::Statement;

} // namespace

QVariant ComunClientes::primero(TDatos& d, const QString& sql,
                                const QList<QPair<QString, QVariant>>& parametros) {
    std::optional<Statement> propia;
    Statement& s = SentenciasPreparadas::para(d, propia, sql);
    for (const auto& [nombre, valor] : parametros)
        s.paramByName(nombre).setVariant(valor);
    d.IBTransaction1.ensureStarted();
    s.execute();
    const QVariant v = s.eof() ? QVariant() : s.field(0).asVariant();
    s.close();
    return v;
}

namespace {

// A text used as a literal part of a LIKE pattern (its "%", "_" and "\" match themselves).
QString literalLike(const QString& texto) {
    QString r;
    for (const QChar c : texto) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) r += QLatin1Char('\\');
        r += c;
    }
    return r;
}

} // namespace

QString ComunClientes::Codigo_Pais(const QString& NombrePais) {
    const QString nombre = NombrePais.trimmed().toUpper();
    // No country named: the home country (any row would do for an empty pattern).
    if (nombre.isEmpty()) return QStringLiteral("ES");
    const QVariant codigo = primero(
        d, QStringLiteral("SELECT CODIGO FROM PAISES WHERE NOMBRE LIKE :Patron ESCAPE '\\' ORDER BY CODIGO"),
        {{QStringLiteral("Patron"), QStringLiteral("%") + literalLike(nombre) + QStringLiteral("%")}});
    const QString texto = codigo.toString().trimmed();
    return texto.isEmpty() ? QStringLiteral("ES") : texto;
}

bool ComunClientes::Insertar_Domicilio_Cobro(int IdCliente, const DomicilioCobro& domicilio) {
    // The placeholder account of a new client goes.
    d.Ejecutar_Sentencia(
        QStringLiteral("DELETE FROM DOMICILIOSCOBRO WHERE CODIGOBANCO = :Banco AND CODIGOSUCURSAL = "
                       ":Sucursal AND CLIENTE = :Cliente"),
        {{QStringLiteral("Banco"), QStringLiteral("0000")},
         {QStringLiteral("Sucursal"), QStringLiteral("0000")},
         {QStringLiteral("Cliente"), IdCliente}});
    const int cuantos =
        primero(d,
                QStringLiteral("SELECT COUNT(IDDOMICILIOSCOBRO) AS CANTIDAD FROM DOMICILIOSCOBRO "
                               "WHERE CLIENTE = :Cliente"),
                {{QStringLiteral("Cliente"), IdCliente}})
            .toInt();
    if (cuantos > 0) {
        // The same account is kept once (name and IBAN play no part).
        const int iguales =
            primero(d,
                    QStringLiteral(
                        "SELECT COUNT(IDDOMICILIOSCOBRO) AS CANTIDAD FROM DOMICILIOSCOBRO WHERE CLIENTE = "
                        ":Cliente AND CODIGOBANCO = :Banco AND CODIGOSUCURSAL = :Sucursal AND DC = :DC AND "
                        "NUMEROCUENTA = :Cuenta"),
                    {{QStringLiteral("Cliente"), IdCliente},
                     {QStringLiteral("Banco"), domicilio.banco},
                     {QStringLiteral("Sucursal"), domicilio.sucursal},
                     {QStringLiteral("DC"), domicilio.dc},
                     {QStringLiteral("Cuenta"), domicilio.cuenta}})
                .toInt();
        if (iguales > 0) return false;
    }
    const QString nombre = domicilio.nombre.trimmed().isEmpty() ? domicilio.banco : domicilio.nombre.left(35);
    // The first account of a client is its principal one.
    d.Ejecutar_Sentencia(
        QStringLiteral("INSERT INTO DOMICILIOSCOBRO (NOMBRE, CODIGOBANCO, CODIGOSUCURSAL, DC, NUMEROCUENTA, "
                       "IBAN_CODIGOPAIS, IBAN_DCIBAN, DOMICILIOPRINCIPAL, CLIENTE) VALUES (:Nombre, :Banco, "
                       ":Sucursal, :DC, :Cuenta, :Pais, :DCIban, :Principal, :Cliente)"),
        {{QStringLiteral("Nombre"), nombre},
         {QStringLiteral("Banco"), domicilio.banco},
         {QStringLiteral("Sucursal"), domicilio.sucursal},
         {QStringLiteral("DC"), domicilio.dc},
         {QStringLiteral("Cuenta"), domicilio.cuenta},
         {QStringLiteral("Pais"), domicilio.paisIban},
         {QStringLiteral("DCIban"), domicilio.dcIban},
         {QStringLiteral("Principal"), cuantos == 0 ? 1 : 0},
         {QStringLiteral("Cliente"), IdCliente}});
    return true;
}
