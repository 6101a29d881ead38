// The article import. The staging table kvRxMDArticulos, its loader CargarRxArticulos
// with the code lookups of BuscarID_Articulos, and the writer Insertar_Articulos with the stock,
// initial cost, price and interval updates.
#include "ImportacionArticulos.h"

#include "CamposArticulos.h"

#include "FbError.h"
#include "Sheet.h"

#include <array>
#include <utility>

namespace {

using Tipo = TkvRxMemoryData::FieldType;
using qd::fb::Statement;

const QString kFormatoImporte = QStringLiteral("#,##0.00");

// Headers whose cell is a code turned into an ID, in the order of BuscarID_Articulos' index.
const std::array<QString, 7> kCabecerasBusqueda{
    QStringLiteral("FAMILIA"),       QStringLiteral("IVA"),        QStringLiteral("MARCA"),
    QStringLiteral("GAMA"),          QStringLiteral("FABRICANTE"), QStringLiteral("PROVEEDORHABITUAL"),
    QStringLiteral("GRUPOEMPRESAS"),
};

const std::array<QString, 7> kSelectBusqueda{
    QStringLiteral("SELECT IDFAMILIASARTICULOS as ID FROM FAMILIASARTICULOS"),
    QStringLiteral("SELECT IDTABLAIVA as ID FROM TABLAIVA"),
    QStringLiteral("SELECT IDMARCAS as ID FROM MARCAS"),
    QStringLiteral("SELECT IDGAMAS as ID FROM GAMAS"),
    QStringLiteral("SELECT IDFABRICANTES as ID FROM FABRICANTES"),
    QStringLiteral("SELECT IDPROVEEDORES as ID FROM PROVEEDORES"),
    QStringLiteral("SELECT IDGRUPOSEMPRESAS as ID FROM GRUPOSEMPRESAS"),
};

// Creation of a missing master record (family, brand, range, manufacturer); empty: not created.
const std::array<QString, 7> kCrearMaestro{
    QStringLiteral("INSERT INTO FAMILIASARTICULOS(CODIGO, NOMBRE, GRUPOEMPRESAS, GRUPOFAMILIA) "
                   "VALUES(:CODIGO, :NOMBRE, :GRUPOEMPRESAS, :GRUPOFAMILIA)"),
    QString(),
    QStringLiteral(
        "INSERT INTO MARCAS(CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES(:CODIGO, :NOMBRE, :GRUPOEMPRESAS)"),
    QStringLiteral(
        "INSERT INTO GAMAS(CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES(:CODIGO, :NOMBRE, :GRUPOEMPRESAS)"),
    QStringLiteral(
        "INSERT INTO FABRICANTES(CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES(:CODIGO, :NOMBRE, :GRUPOEMPRESAS)"),
    QString(),
    QString(),
};

const QString kFamilia = QStringLiteral("FAMILIA");
const QString kCodigo = QStringLiteral("CODIGO");
const QString kReferencia = QStringLiteral("REFERENCIAPROVEEDOR");
const QString kStock = QStringLiteral("STOCK");
const QString kGrupoEmpresas = QStringLiteral("GRUPOEMPRESAS");
const std::array<QString, 3> kIndicadores{QStringLiteral("AFECTASTOCK"), QStringLiteral("USOCOMPRA"),
                                          QStringLiteral("USOVENTA")};

// The staged fields bound to the INSERT or UPDATE, in binding order.
const QStringList kParametrosArticulo{
    QStringLiteral("CODIGO"),
    QStringLiteral("NOMBRE"),
    QStringLiteral("CODIGOEAN"),
    QStringLiteral("PRECIOMEDIOCOSTE"),
    QStringLiteral("PRECIOULTIMACOMPRA"),
    QStringLiteral("REFERENCIAPROVEEDOR"),
    QStringLiteral("OBSERVACIONES"),
    QStringLiteral("UNIDADESCAJA"),
    QStringLiteral("PESOUNIDAD"),
    QStringLiteral("IVA"),
    QStringLiteral("PROVEEDORHABITUAL"),
    QStringLiteral("MARCA"),
    QStringLiteral("GAMA"),
    QStringLiteral("FAMILIA"),
    QStringLiteral("FABRICANTE"),
    QStringLiteral("GRUPOEMPRESAS"),
    QStringLiteral("AFECTASTOCK"),
    QStringLiteral("USOCOMPRA"),
    QStringLiteral("USOVENTA"),
    QStringLiteral("PALET_EURO_CAJAS"),
    QStringLiteral("PRECIOMEDIOCOSTEESTANDARD"),
    QStringLiteral("PARTNUMBER"),
};

const QString kBuscarPorCodigo =
    QStringLiteral("SELECT IDARTICULOS FROM ARTICULOS WHERE CODIGO = :ParCodigo");
const QString kBuscarPorReferencia =
    QStringLiteral("SELECT IDARTICULOS FROM ARTICULOS WHERE REFERENCIAPROVEEDOR = :ParCodigo");

// The workbook carries no maximum or minimum stock: bound null, they keep what is stored.
const QString kStockActual = QStringLiteral(
    "UPDATE ARTICULOSALMACEN SET STOCKMAXIMO1 = COALESCE(:STOCKMAXIMO, STOCKMAXIMO1),     "
    "STOCKMINIMO1 = COALESCE(:STOCKMINIMO, STOCKMINIMO1),     "
    "STOCKACTUAL1 = :STOCKACTUAL WHERE (ALMACEN = :ParAlmacen) AND (ARTICULOCARACTERISTICA = :ParArticulo)");
const QString kStockInicial = QStringLiteral(
    "UPDATE ARTICULOSALMACEN SET STOCKMAXIMO1 = COALESCE(:STOCKMAXIMO, STOCKMAXIMO1),     "
    "STOCKMINIMO1 = COALESCE(:STOCKMINIMO, STOCKMINIMO1),     "
    "STOCKINICIAL1 = :STOCKACTUAL WHERE (ALMACEN = :ParAlmacen) AND (ARTICULOCARACTERISTICA = :ParArticulo)");
const QString kCosteInicial = QStringLiteral(
    "UPDATE ARTICULOS SET PRECIOMEDIOCOSTEINICIAL = :PMCInicial WHERE (IDARTICULOS = :ParArticulo)");

const QString kListaIntervalos =
    QStringList{
        QStringLiteral("Select ITA.Desde from IntervalosTarifasArticulos ITA "),
        QStringLiteral("where tarifaarticulo = (select ta.idtarifasarticulos "),
        QStringLiteral("  from tarifasarticulos ta "),
        QStringLiteral("  WHERE (Tarifa = :ParIdTarifa) AND (Articulo = :ParArticulo) )"),
        QStringLiteral("ORDER BY ITA.desde"),
    }
        .join(QStringLiteral("\r\n"));
// The article's first row in the price list: MIN over an expression, so that the (TARIFA, ARTICULO)
// index finds the article's rows; MIN over the bare ID would walk the primary key from the lowest ID
// of every price list until it met one of the article's rows.
// A price the row does not give (bound null) keeps the stored one.
const QString kPrecioIntervalo = QStringLiteral(
    "UPDATE IntervalosTarifasArticulos SET IMPORTEVENTA = COALESCE(:ParPVP, IMPORTEVENTA),     "
    "IMPORTEVENTACONIVA = COALESCE(:ParPVPConIVA, IMPORTEVENTACONIVA) "
    "WHERE (Desde = :parDesde) AND (TarifaArticulo = (   SELECT MIN(IdTarifasArticulos + 0)   FROM "
    "TarifasArticulos   "
    "WHERE (Tarifa = :ParIdTarifa) AND (Articulo = :ParArticulo) ))");
const QString kPrecioYTopeIntervalo = QStringLiteral(
    "UPDATE IntervalosTarifasArticulos SET IMPORTEVENTA = COALESCE(:ParPVP, IMPORTEVENTA),     "
    "IMPORTEVENTACONIVA = COALESCE(:ParPVPConIVA, IMPORTEVENTACONIVA),     "
    "HASTA = :ParHasta WHERE (Desde = :parDesde) AND (TarifaArticulo = (   SELECT MIN(IdTarifasArticulos + "
    "0)   "
    "FROM TarifasArticulos   WHERE (Tarifa = :ParIdTarifa) AND (Articulo = :ParArticulo) ))");
const QString kContarTarifaArticulo = QStringLiteral(
    "SELECT COUNT(*) AS TOTAL FROM TARIFASARTICULOS WHERE TARIFA=:ParIdTarifa AND ARTICULO=:ParArticulo");
const QString kCrearTarifaArticulo =
    QStringLiteral("INSERT INTO TARIFASARTICULOS (IDTARIFASARTICULOS, CLAVEMARGENBENEFICIO, "
                   "CLAVEMARGENSOBRE, ACTUALIZARFAMILIA, "
                   "LISTARTARIFA, REDONDEO, FECHAACTUALIZACION, PRECIOULTIMOCALCULO, SUMARGASTOS, FECHAALTA, "
                   "TARIFA, ARTICULO) "
                   "VALUES (GEN_ID(GENIDTARIFASARTICULOS,1),'L','C', 1, 1, 0, 'NOW', 0, 0, 'NOW', "
                   ":ParIdTarifa, :ParArticulo) ");

// Every ID a search finds for a text (read whole before anything is written for them).
QList<int> buscarArticulos(Statement& buscar, const QString& texto) {
    QList<int> ids;
    if (!buscar.prepared()) buscar.prepare();
    buscar.paramByName(QStringLiteral("PARCODIGO")).setString(texto);
    buscar.execute();
    while (!buscar.eof()) {
        ids << static_cast<int>(buscar.fieldByName(QStringLiteral("IDARTICULOS")).asInt());
        buscar.next();
    }
    buscar.close();
    return ids;
}

void ejecutar(Statement& s) {
    if (s.cursorOpen()) s.close(); // a read that failed half-way
    if (!s.prepared()) s.prepare();
    s.execute();
}

// The statements of the price and interval update (one prepared object per text, prepared once
// per run) and the two reads of the step. A read commits the shared transaction (retaining) before
// it runs, as every query open of the module does, so what was written so far is permanent.
struct Precios {
    explicit Precios(TDatos& d)
        : datos(d), lista(&d.IBDatabase, &d.IBTransaction1), contar(&d.IBDatabase, &d.IBTransaction1),
          precio(&d.IBDatabase, &d.IBTransaction1), precioTope(&d.IBDatabase, &d.IBTransaction1),
          crearFila(&d.IBDatabase, &d.IBTransaction1) {
        lista.setSql(kListaIntervalos);
        contar.setSql(kContarTarifaArticulo);
        precio.setSql(kPrecioIntervalo);
        precioTope.setSql(kPrecioYTopeIntervalo);
        crearFila.setSql(kCrearTarifaArticulo);
    }

    void enlazar(Statement& s) {
        s.paramByName(QStringLiteral("ParArticulo")).setInt(idArticulo);
        s.paramByName(QStringLiteral("ParIdTarifa")).setInt(tarifa);
    }

    // Runs one price statement for the article and commits retaining: the price is permanent
    // at once.
    void escribir(Statement& s) {
        enlazar(s);
        ejecutar(s);
        datos.IBTransaction1.commitRetaining();
    }

    void escribirPrecio(const QVariant& desde, const QVariant& pvp, const QVariant& pvpConIva) {
        precio.paramByName(QStringLiteral("ParDesde")).setVariant(desde);
        precio.paramByName(QStringLiteral("ParPVP")).setVariant(pvp);
        precio.paramByName(QStringLiteral("ParPVPConIVA")).setVariant(pvpConIva);
        escribir(precio);
    }

    void abrir(Statement& s) {
        if (datos.IBTransaction1.active()) datos.IBTransaction1.commitRetaining();
        enlazar(s);
        ejecutar(s);
    }

    // The DESDE of the article's intervals in the price list, ascending.
    QList<QVariant> intervalos() {
        abrir(lista);
        QList<QVariant> desdes;
        while (!lista.eof()) {
            desdes << lista.fieldByName(QStringLiteral("DESDE")).asVariant();
            lista.next();
        }
        lista.close();
        return desdes;
    }

    bool tieneFilaTarifa() {
        abrir(contar);
        const qint64 total = contar.eof() ? 0 : contar.fieldByName(QStringLiteral("TOTAL")).asInt();
        contar.close();
        return total != 0;
    }

    TDatos& datos;
    Statement lista, contar, precio, precioTope, crearFila;
    int idArticulo = 0;
    int tarifa = 0;
};

QVariant valorStaging(const TkvRxMemoryData& t, const QString& campo) {
    return t.value(campo); // an unknown field throws the dataset's error
}

// A price of the row, or null where the row gives none (the stored price stays).
QVariant precioDado(const TDatos& d, const TkvRxMemoryData& t, const QString& campo) {
    if (t.fieldIndex(campo) < 0) return valorStaging(t, campo); // an interval the table has not: its error
    return d.Sin_Valor(t, campo) ? QVariant() : valorStaging(t, campo);
}

// The price and interval update of one article in the chosen price list.
void actualizarPrecios(ImportacionArticulos& a, Precios& p, const ImportacionArticulos::OpcionesArticulos& o,
                       int idArticulo, ImportacionArticulos::ResumenArticulos& r) {
    TDatos& d = a.d;
    TkvRxMemoryData& t = a.kvRxMDArticulos;
    p.idArticulo = idArticulo;
    p.tarifa = o.Tarifa_Ventas;
    auto aviso = [&d, &t](const std::exception& e) { d.Aviso_Fila(e, t, t.value(kCodigo).toString()); };
    auto inter = [](int k, bool conIva) {
        return QStringLiteral("INTER") + QString::number(k) + (conIva ? QStringLiteral("IVA") : QString());
    };

    if (o.UsarTopeIntervalo) {
        // Limits mode: prices from INTER k, upper limits from TOPE_INTERVALO k.
        const QVariant tope1 = valorStaging(t, QStringLiteral("TOPE_INTERVALO1"));
        if (!tope1.isNull() && tope1.toLongLong() == 1) {
            const QVariant pvp = precioDado(d, t, inter(1, false));
            const QVariant pvpConIva = precioDado(d, t, inter(1, true));
            p.escribirPrecio(1, pvp, pvpConIva);
            return;
        }
        const QList<QVariant> desdes = p.intervalos();
        for (int k = 1; k <= desdes.size() && k <= o.NumeroIntervalos; ++k) {
            try {
                QVariant hasta = 9999999;
                if (k < o.NumeroIntervalos) {
                    const QVariant tope =
                        valorStaging(t, QStringLiteral("TOPE_INTERVALO") + QString::number(k));
                    hasta = tope.isNull() ? QVariant() : QVariant(tope.toLongLong() - 1);
                }
                p.precioTope.paramByName(QStringLiteral("ParDesde")).setVariant(desdes[k - 1]);
                p.precioTope.paramByName(QStringLiteral("ParHasta")).setVariant(hasta);
                p.precioTope.paramByName(QStringLiteral("ParPVP"))
                    .setVariant(precioDado(d, t, inter(k, false)));
                p.precioTope.paramByName(QStringLiteral("ParPVPConIVA"))
                    .setVariant(precioDado(d, t, inter(k, true)));
                p.escribir(p.precioTope);
                ++r.IntervalosModificados;
            } catch (const std::exception& e) {
                aviso(e);
            }
        }
        return;
    }

    if (!d.Sin_Valor(t, QStringLiteral("PVP")) && valorStaging(t, QStringLiteral("PVP")).toDouble() != 0) {
        if (!p.tieneFilaTarifa()) p.escribir(p.crearFila);
        try {
            const QVariant pvp = valorStaging(t, QStringLiteral("PVP"));
            const QVariant pvpConIva = precioDado(d, t, QStringLiteral("PVPCONIVA"));
            p.escribirPrecio(1, pvp, pvpConIva);
            ++r.PVPModificados;
        } catch (const std::exception& e) {
            aviso(e);
        }
    }
    if (o.Intervalos) {
        const QList<QVariant> desdes = p.intervalos();
        for (int k = 1; k <= desdes.size() && k <= o.NumeroIntervalos; ++k) {
            try {
                const QVariant pvp = precioDado(d, t, inter(k, false)); // the price before its VAT twin
                const QVariant pvpConIva = precioDado(d, t, inter(k, true));
                p.escribirPrecio(desdes[k - 1], pvp, pvpConIva);
                ++r.IntervalosModificados;
            } catch (const std::exception& e) {
                aviso(e);
            }
        }
    }
}

} // namespace

ImportacionArticulos::ImportacionArticulos(TDatos& datos) : d(datos) {
    Definir_kvRxMDArticulos();
}

void ImportacionArticulos::Definir_kvRxMDArticulos() {
    auto& t = kvRxMDArticulos;
    t.name = QStringLiteral("kvRxMDArticulos");
    auto campo = [&t](const char* nombre, Tipo tipo, int tam, const QString& etiqueta,
                      const QString& formato = {}) {
        t.addField({QString::fromLatin1(nombre), tipo, tam, etiqueta, formato});
    };
    const QString& f = kFormatoImporte;
    campo("CODIGO", Tipo::String, 18, QStringLiteral("Código"));
    campo("NOMBRE", Tipo::String, 50, QStringLiteral("Descripción"));
    campo("CODIGOEAN", Tipo::String, 18, QStringLiteral("Código EAN"));
    campo("PRECIOMEDIOCOSTE", Tipo::Float, 0, QStringLiteral("P.M.C."), f);
    campo("PRECIOULTIMACOMPRA", Tipo::Float, 0, QStringLiteral("P.U.C."), f);
    campo("REFERENCIAPROVEEDOR", Tipo::String, 18, QStringLiteral("Ref. Proveedor"));
    campo("OBSERVACIONES", Tipo::String, 1024, QStringLiteral("Observaciones"));
    campo("IVA", Tipo::Integer, 0, QStringLiteral("Cód. IVA"));
    campo("PROVEEDORHABITUAL", Tipo::Integer, 0, QStringLiteral("Cód. Proveedor"));
    campo("MARCA", Tipo::Integer, 0, QStringLiteral("Cód. Marca"));
    campo("GAMA", Tipo::Integer, 0, QStringLiteral("Cód. Gama"));
    campo("FAMILIA", Tipo::Integer, 0, QStringLiteral("Cód. Familia"));
    campo("FABRICANTE", Tipo::Integer, 0, QStringLiteral("Cód. Fabricante"));
    campo("GRUPOEMPRESAS", Tipo::Integer, 0, QStringLiteral("Cód. Grupo Empresas"));
    campo("AFECTASTOCK", Tipo::SmallInt, 0, QStringLiteral("Control de Stock"));
    campo("USOCOMPRA", Tipo::SmallInt, 0, QStringLiteral("Usar en Compras"));
    campo("USOVENTA", Tipo::SmallInt, 0, QStringLiteral("Usar en Ventas"));
    campo("PVP", Tipo::Float, 0, QStringLiteral("P.V.P."), f);
    campo("PVPCONIVA", Tipo::Float, 0, QStringLiteral("P.V.P. (+IVA)"), f);
    campo("STOCK", Tipo::Float, 0, QString());
    for (int k = 1; k <= 4; ++k) {
        const QString n = QString::number(k);
        campo(qPrintable(QStringLiteral("INTER") + n), Tipo::Currency, 0, QStringLiteral("Interv. ") + n, f);
        campo(qPrintable(QStringLiteral("INTER") + n + QStringLiteral("IVA")), Tipo::Currency, 0,
              QStringLiteral("Interv. ") + n + QStringLiteral(" + IVA"), f);
    }
    campo("UNIDADESCAJA", Tipo::Float, 0, QString());
    campo("PESOUNIDAD", Tipo::Float, 0, QString());
    campo("PALET_EURO_CAJAS", Tipo::Float, 0, QString());
    campo("PRECIOMEDIOCOSTEESTANDARD", Tipo::Float, 0, QString());
    campo("TOPE_INTERVALO1", Tipo::Integer, 0, QString());
    campo("TOPE_INTERVALO2", Tipo::Integer, 0, QString());
    campo("PARTNUMBER", Tipo::String, 20, QString());
    // New records belong to the launch company group; the table then zeroes the float and
    // small-integer fields.
    t.onNewRecord = [this](TkvRxMemoryData& tabla) { tabla.setValue(kGrupoEmpresas, d.IdGrupoEmpresas); };
}

qd::OpcionesArticulos qd::OpcionesArticulos::desdeModos(bool alta, bool actualizar, bool pvp, bool stock) {
    OpcionesArticulos o;
    o.SoloPvpStock = (pvp || stock) && !(alta || actualizar);
    o.SoloNuevos = alta;
    o.SoloActualizar = actualizar;
    o.ActualizarStock = stock;
    o.ActualizarPVPs = pvp;
    if (alta && actualizar) {
        o.SoloNuevos = false;
        o.SoloActualizar = false;
    }
    return o;
}

QVariant ImportacionArticulos::BuscarID_Articulos(int Tabla_Busqueda, const QString& Codigo_Busqueda) {
    if (Tabla_Busqueda < 0 || Tabla_Busqueda >= int(kSelectBusqueda.size())) return {};
    const auto indice = static_cast<size_t>(Tabla_Busqueda);
    // A load looks the same few codes up again and again: each (table, code) is asked once.
    const QString clave = QString::number(Tabla_Busqueda) + QLatin1Char('|') + Codigo_Busqueda;
    if (const auto it = cacheBusquedas_.constFind(clave); it != cacheBusquedas_.constEnd()) return it.value();

    // The code is compared whole, as it is created: comparing only a prefix would never find a
    // long code again and would create it anew on every load.
    QVariant id = d.Buscar_ID_Codigo(kSelectBusqueda[indice], Codigo_Busqueda);
    if (id.isNull()) {
        if (Tabla_Busqueda == 6) {
            id = d.IdGrupoEmpresas;
        } else if (!kCrearMaestro[indice].isEmpty() && !Codigo_Busqueda.isEmpty()) {
            try {
                QList<QPair<QString, QVariant>> parametros{{kCodigo, Codigo_Busqueda},
                                                           {QStringLiteral("NOMBRE"), Codigo_Busqueda},
                                                           {kGrupoEmpresas, d.IdGrupoEmpresas}};
                if (Tabla_Busqueda == 0) parametros.append({QStringLiteral("GRUPOFAMILIA"), 1});
                d.Ejecutar_Sentencia(kCrearMaestro[indice], parametros);
                id = d.Buscar_ID_Codigo(kSelectBusqueda[indice], Codigo_Busqueda);
            } catch (const std::exception&) {
                id = QVariant(); // not found and not created: null, without a message
            }
        }
    }
    cacheBusquedas_.insert(clave, id);
    return id;
}

void ImportacionArticulos::CargarRxArticulos(bool OpcionBusqueda, bool UsarTopeIntervalo) {
    Q_UNUSED(UsarTopeIntervalo);
    cacheBusquedas_.clear();
    TkvRxMemoryData& t = kvRxMDArticulos;
    std::array<bool, 3> visto{false, false, false}; // AFECTASTOCK, USOCOMPRA, USOVENTA seen
    const QString& campoBusqueda = OpcionBusqueda ? kCodigo : kReferencia;

    // What each column's header means (the same for every row): the staging field it fills,
    // the lookup it goes through, the flag it marks.
    struct Columna {
        int campo = -1, busqueda = -1, indicador = -1;
    };
    QHash<int, Columna> columnas;
    auto columnaDe = [&](int columna, const QString& cabecera) -> const Columna& {
        auto it = columnas.constFind(columna);
        if (it != columnas.constEnd()) return it.value();
        Columna c;
        const QString nombre = cabecera.toUpper();
        for (size_t i = 0; i < kCabecerasBusqueda.size(); ++i)
            if (kCabecerasBusqueda[i] == nombre) c.busqueda = int(i);
        for (size_t i = 0; i < kIndicadores.size(); ++i)
            if (kIndicadores[i] == nombre) c.indicador = int(i);
        c.campo = t.fieldIndex(cabecera); // EsCampoValido: the name without regard to case
        return columnas.insert(columna, c).value();
    };

    // The length of the CODIGO column of each lookup table, read once per load (0: unknown).
    QHash<int, int> tamanos;
    auto tamanoCodigo = [&](int busqueda) {
        if (const auto it = tamanos.constFind(busqueda); it != tamanos.constEnd()) return it.value();
        const QString select = kSelectBusqueda[size_t(busqueda)];
        const QString tabla = select.mid(select.lastIndexOf(QLatin1Char(' ')) + 1);
        int tam = 0;
        try {
            Statement s(&d.IBDatabase, &d.IBTransaction1);
            s.setSql(
                QStringLiteral("SELECT F.RDB$CHARACTER_LENGTH FROM RDB$RELATION_FIELDS R JOIN RDB$FIELDS F "
                               "ON F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE WHERE R.RDB$RELATION_NAME = :Tabla "
                               "AND R.RDB$FIELD_NAME = 'CODIGO'"));
            s.paramByName(QStringLiteral("Tabla")).setString(tabla);
            d.IBTransaction1.ensureStarted();
            s.execute();
            if (!s.eof() && !s.field(0).isNull()) tam = int(s.field(0).asInt());
            s.close();
        } catch (const std::exception&) {
            tam = 0; // unknown: the code goes to the lookup as it is
        }
        tamanos.insert(busqueda, tam);
        return tam;
    };

    // Codes are stored whole and without blanks around them: the article code and the match
    // column; a row whose code does not fit is refused, never cut into another code.
    const int campoCodigo = t.fieldIndex(kCodigo);
    const int campoMatch = t.fieldIndex(campoBusqueda);
    std::vector<int> campoIndicador;
    for (const QString& indicador : kIndicadores)
        campoIndicador.push_back(t.fieldIndex(indicador));
    bool rechazada = false;
    int filaActual = 0, sinBusqueda = 0, primeraSinBusqueda = 0, ultimaSinBusqueda = 0;
    d.Leer_Filas_Excel(
        t,
        [&](int fila, int columna, const QString& cabecera) {
            filaActual = fila;
            const Columna& c = columnaDe(columna, cabecera);
            if (c.indicador >= 0) visto[size_t(c.indicador)] = true;
            if (c.campo < 0) return;
            if (c.busqueda >= 0) {
                const std::optional<QString> texto = d.Texto_Codigo(fila, columna);
                const QString codigo = texto.value_or(QString());
                const int tam = tamanoCodigo(c.busqueda);
                if (!texto) {
                    // Not a code (a date, a boolean, an error): told by Texto_Codigo, not used.
                    TDatos::Poner_Valor_Staging(t, c.campo, QVariant());
                    t.marcar(c.campo, TkvRxMemoryData::SinValor::NoValida);
                } else if (tam > 0 && codigo.size() > tam) {
                    // Never cut into another code (or created cut): the value is refused.
                    TDatos::Poner_Valor_Staging(t, c.campo, QVariant());
                    t.marcar(c.campo, TkvRxMemoryData::SinValor::NoValida);
                    d.Incidencia_Celda(
                        fila, cabecera, codigo,
                        QStringLiteral("tiene %1 caracteres y el código admite %2; no se escribe.")
                            .arg(codigo.size())
                            .arg(tam));
                } else {
                    d.Poner_Busqueda_Staging(t, c.campo, BuscarID_Articulos(c.busqueda, codigo), fila,
                                             columna);
                }
            } else if (c.campo == campoCodigo || c.campo == campoMatch)
                rechazada = !d.Poner_Codigo_Staging(t, c.campo, fila, columna) || rechazada;
            else
                d.Poner_Celda_Staging(t, c.campo, fila, columna);
        },
        [&] {
            // A sheet without one of the three flag columns marks the article for it.
            for (size_t i = 0; i < kIndicadores.size(); ++i)
                if (!visto[i]) t.setValue(campoIndicador[i], 1);
            const bool refusada = std::exchange(rechazada, false);
            if (refusada) return false;
            if ((campoMatch >= 0 ? t.value(campoMatch) : t.value(campoBusqueda)).isNull()) {
                if (sinBusqueda++ == 0) primeraSinBusqueda = filaActual;
                ultimaSinBusqueda = filaActual;
                d.Anotar_Fila_No_Escrita(
                    filaActual, QStringLiteral("Falta la columna %1 por la que se buscan los artículos.")
                                    .arg(campoBusqueda));
                return false;
            }
            return true;
        },
        false, [&t](const QString& cabecera) { return t.fieldIndex(cabecera) >= 0; });
    if (sinBusqueda > 0)
        d.canal().incidence(
            (primeraSinBusqueda == ultimaSinBusqueda
                 ? QStringLiteral("Fila %1").arg(primeraSinBusqueda)
                 : QStringLiteral("Filas %1 a %2").arg(primeraSinBusqueda).arg(ultimaSinBusqueda)) +
            QStringLiteral(": el libro no tiene la columna %1 por la que se buscan los artículos; "
                           "no se carga%2.")
                .arg(campoBusqueda,
                     sinBusqueda == 1 ? QStringLiteral(" la fila") : QStringLiteral("n las filas")));
    cacheBusquedas_.clear();
}

int ImportacionArticulos::cargarArticulos(const QString& fichero, const OpcionesArticulos& o) {
    d.Exigir_Conexion();
    d.canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    d.CargarExcel(fichero);
    d.canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxArticulos(o.OpcionBusqueda, o.UsarTopeIntervalo);
    d.canal().status(QStringLiteral(
        "Datos incorporados a tabla temporal, pulse el botón CONFIRMAR para continuar el proceso."));
    return kvRxMDArticulos.recordCount();
}

ImportacionArticulos::ResumenArticulos
ImportacionArticulos::confirmarArticulos(const OpcionesArticulos& o, const qd::FieldList& campos,
                                         const qd::OpcionesMotor& motor) {
    d.Exigir_Conexion();
    d.canal().status(QStringLiteral("Construyendo sentencias SQL de Inserción y Actualización"));
    // An update sets only the ticked fields the workbook has a column for.
    const qd::SentenciasSql sentencias =
        qd::prepararSentenciasArticulos(campos, d.Cabeceras_Presentes(kvRxMDArticulos));
    if (!o.SoloNuevos && !o.SoloPvpStock) d.Avisar_Campos_Ausentes(sentencias);
    d.canal().status(QStringLiteral("Importando datos de Artículos a la Base de Datos"));
    ResumenArticulos r =
        d.Con_Motor(motor, [&](qd::MotorFilas&) { return Insertar_Articulos(o, sentencias); });
    d.canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

ImportacionArticulos::ResumenArticulos
ImportacionArticulos::Insertar_Articulos(const OpcionesArticulos& o, const qd::SentenciasSql& sentencias) {
    ResumenArticulos r;
    TkvRxMemoryData& t = kvRxMDArticulos;

    Statement buscar(&d.IBDatabase, &d.IBTransaction1);       // the match: by code or by supplier reference
    Statement buscarCodigo(&d.IBDatabase, &d.IBTransaction1); // the article just inserted, by its code
    Statement insertar(&d.IBDatabase, &d.IBTransaction1);
    Statement actualizar(&d.IBDatabase, &d.IBTransaction1);
    Statement stocks(&d.IBDatabase, &d.IBTransaction1);
    Statement coste(&d.IBDatabase, &d.IBTransaction1);
    Precios precios(d);
    buscar.setSql(o.OpcionBusqueda ? kBuscarPorCodigo : kBuscarPorReferencia);
    buscarCodigo.setSql(kBuscarPorCodigo);
    // Prepared once for the whole run (on first use) and executed with new values for every
    // match.
    insertar.setSql(sentencias.insert);
    actualizar.setSql(sentencias.update);
    stocks.setSql(o.PonerStockActual ? kStockActual : kStockInicial);
    coste.setSql(kCosteInicial);
    const QString& campoBusqueda = o.OpcionBusqueda ? kCodigo : kReferencia;

    // A mode whose column the workbook lacks writes nothing for it: said once, before the rows.
    const QSet<QString> presentes = d.Cabeceras_Presentes(t);
    QList<QPair<QString, QString>> sinColumna; // column, what is left unwritten
    if (o.ActualizarStock && !presentes.contains(kStock))
        sinColumna.append({kStock, QStringLiteral("el stock")});
    if (o.ActualizarPVPs && !o.UsarTopeIntervalo && !presentes.contains(QStringLiteral("PVP")))
        sinColumna.append({QStringLiteral("PVP"), QStringLiteral("el P.V.P.")});
    for (const auto& [columna, que] : sinColumna) {
        const QString texto =
            QStringLiteral("El libro no tiene la columna %1: no se escribe %2 de ningún artículo.")
                .arg(columna, que);
        d.canal().status(texto);
        d.canal().incidence(texto);
    }

    // The summary counters as the user reads them (the total: the row the loop stands on).
    auto cuentas = [&r, &t] {
        r.TotalRegistros = t.active() ? t.recNo() : 0;
        return QStringLiteral("Total registros en fichero: ") + QString::number(r.TotalRegistros) +
               QStringLiteral("\r\n") + QStringLiteral("Nuevos: ") + QString::number(r.Nuevos) +
               QStringLiteral("\r\n") + QStringLiteral("Actualizados: ") + QString::number(r.Actualizados) +
               QStringLiteral("\r\n") + QStringLiteral("PVP modificados: ") +
               QString::number(r.PVPModificados) + QStringLiteral("\r\n") +
               QStringLiteral("Intervalos modificados:") + QString::number(r.IntervalosModificados) +
               QStringLiteral("\r\n") + QStringLiteral("Stock modificado: ") +
               QString::number(r.StockModificado);
    };
    TDatos::RecorridoFilas recorrido;
    recorrido.cuentas = cuentas;
    recorrido.codigo = [&t] { return t.value(kCodigo).toString(); };
    recorrido.escribir = [&] {
        QList<int> encontrados = buscarArticulos(buscar, t.value(campoBusqueda).toString());
        if (encontrados.isEmpty()) encontrados << 0; // once, with no article
        bool avisadoBusqueda = false;

        for (const int encontrado : encontrados) {
            int id = encontrado;
            const bool nuevo = id == 0;
            Statement& sentencia = nuevo ? insertar : actualizar;
            // No ticked field in the workbook: nothing to update, the row goes on to its
            // stock and prices.
            const bool sinActualizar = !nuevo && sentencias.update.isEmpty();
            if (!sinActualizar && !sentencia.prepared()) sentencia.prepare();

            if (!sinActualizar)
                d.Enlazar_Fila(
                    sentencia, t, kParametrosArticulo, !nuevo,
                    [&](const QString& nombre) {
                        // Unticked columns are skipped; the match column is missed aloud,
                        // once per row, and the row goes on.
                        if (nombre == campoBusqueda && !avisadoBusqueda) {
                            avisadoBusqueda = true;
                            d.canal().message(qd::MessageKind::Plain,
                                              TDatos::Texto_Falta_Parametro(sentencia, nombre));
                        }
                    },
                    [this](const QString& nombre) -> std::optional<QVariant> {
                        if (nombre == kGrupoEmpresas) return QVariant(d.IdGrupoEmpresas);
                        if (nombre == kIndicadores[0] || nombre == kIndicadores[1] ||
                            nombre == kIndicadores[2])
                            return QVariant(1);
                        return std::nullopt;
                    });

            if (!o.SoloPvpStock) {
                if (id == 0 && !o.SoloActualizar) {
                    d.Exigir_En_Alta(t, {kCodigo, QStringLiteral("NOMBRE")});
                    insertar.execute();
                    ++r.Nuevos;
                    d.IBTransaction1.ensureStarted();
                    const QList<int> nuevos = buscarArticulos(buscarCodigo, t.value(kCodigo).toString());
                    id = nuevos.isEmpty() ? 0 : nuevos.first();
                } else if (id != 0) {
                    if (o.SoloNuevos) {
                        d.Incidencia_Celda(d.Fila_Hoja(t, t.recNo()), d.Cabecera_Campo(t, campoBusqueda),
                                           t.value(campoBusqueda).toString(),
                                           QStringLiteral("ya existe; la fila no se escribe (solo altas)."));
                    } else if (!sentencias.update.isEmpty()) { // no ticked field in the workbook
                        actualizar.paramByName(QStringLiteral("OLD_IDARTICULOS")).setInt(id);
                        actualizar.execute();
                        ++r.Actualizados;
                    }
                }
            }

            const bool sigue = (nuevo && !o.SoloActualizar && !o.SoloPvpStock) || (!o.SoloNuevos && id != 0);
            if (!sigue) continue;

            // Stock and initial cost: only what the row gives (an empty or wrong STOCK cell, or no
            // such column, leaves the stock as it is).
            if (o.ActualizarStock && !d.Sin_Valor(t, kStock)) {
                try {
                    stocks.paramByName(QStringLiteral("ParArticulo")).setInt(id);
                    stocks.paramByName(QStringLiteral("ParAlmacen")).setInt(o.Almacen);
                    stocks.paramByName(QStringLiteral("STOCKMAXIMO")).setNull();
                    stocks.paramByName(QStringLiteral("STOCKMINIMO")).setNull();
                    stocks.paramByName(QStringLiteral("STOCKACTUAL")).setFloat(t.value(kStock).toDouble());
                    ejecutar(stocks);
                    ++r.StockModificado;
                } catch (const std::exception& e) {
                    d.Aviso_Fila(e, t, t.value(kCodigo).toString());
                }
            }
            if (o.ActualizarStock && !d.Sin_Valor(t, QStringLiteral("PRECIOMEDIOCOSTE"))) {
                if (o.ActualizarCosteInical) {
                    coste.paramByName(QStringLiteral("ParArticulo")).setInt(id);
                    coste.paramByName(QStringLiteral("PMCInicial"))
                        .setFloat(t.value(QStringLiteral("PRECIOMEDIOCOSTE")).toDouble());
                    ejecutar(coste);
                    d.IBTransaction1.commitRetaining();
                }
            }

            if (o.ActualizarPVPs) {
                try {
                    d.IBTransaction1.ensureStarted();
                    actualizarPrecios(*this, precios, o, id, r);
                } catch (const std::exception& e) {
                    d.Aviso_Fila(e, t, t.value(kCodigo).toString());
                }
            }
        }
    };
    const TDatos::FinRecorrido fin = d.Recorrer_Filas(t, recorrido);

    r.TotalRegistros = t.active() ? t.recNo() : 0;
    r.texto = d.Terminar_Resumen(cuentas(), fin.cancelado, &r.motor);
    d.canal().message(qd::MessageKind::Information, r.texto);
    return r;
}
