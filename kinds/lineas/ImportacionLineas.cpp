// The delivery-note line transfer. The staging table kvRxMDLAV, its loader CargarLineaLAVC
// with the four article searches and the serial-number check, the verification of lines edited
// by hand, and the writer of sales (LAV) and purchase (LAC) lines with the line-incidence file,
// the recalculation of each line and of the whole delivery note.
#include "ImportacionLineas.h"

#include "FbError.h"
#include "SentenciasPreparadas.h"
#include "Sheet.h"
#include "TkvIBStoredProc.h"
#include "WaitCursor.h"
#include "WorkingSet.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSet>
#include <QStringConverter>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace {

using Tipo = TkvRxMemoryData::FieldType;
using Parametros = QList<QPair<QString, QVariant>>;

const QString kSelectArticulo = QStringLiteral(
    "SELECT A.*, TIVA.PORCENTAJEIVA, TIVA.PORCENTAJERECARGO FROM ARTICULOS A inner join TABLAIVA TIVA "
    "on (A.IVA = TIVA.IDTABLAIVA) WHERE (A.CODIGO = :ParCodigo)");
const QString kSelectArticuloEan =
    QStringLiteral("SELECT A.IDARTICULOS, A.CODIGO FROM ARTICULOS A inner join TABLAIVA TIVA on (A.IVA = "
                   "TIVA.IDTABLAIVA) WHERE (A.CODIGOEAN = :ParCodigo)");
const QString kSelectArticuloFormato = QStringLiteral(
    "SELECT A.IDARTICULOS, A.CODIGO FROM ARTICULOS A inner join TABLAIVA TIVA on (A.IVA = TIVA.IDTABLAIVA) "
    "left join formatos F on (A.IDARTICULOS = F.ARTICULO) WHERE (F.CODIGO = :ParCodigo)");
const QString kSelectArticuloRefProveedor =
    QStringLiteral("SELECT A.IDARTICULOS, A.CODIGO FROM ARTICULOS A inner join TABLAIVA TIVA on (A.IVA = "
                   "TIVA.IDTABLAIVA) WHERE (A.REFERENCIAPROVEEDOR = :ParReferencia)");
const QString kSelectArticuloArtProveedor = QStringLiteral(
    "SELECT A.IDARTICULOS, A.CODIGO FROM ARTICULOSPROVEEDORES AP LEFT JOIN ALBARANESCOMPRA AC ON "
    "(AP.PROVEEDOR = AC.PROVEEDOR) LEFT JOIN ARTICULOS A ON (AP.ARTICULO = A.IDARTICULOS) INNER JOIN "
    "TABLAIVA TIVA ON (A.IVA = TIVA.IDTABLAIVA) WHERE (AC.IDALBARANESCOMPRA = :ParIdAlbaran) AND "
    "(AP.REFERENCIA_PROVEEDOR = :ParReferencia)");
const QString kSerieEnLineaVenta =
    QStringLiteral("SELECT IDNUMEROSSERIE FROM NUMEROSSERIE WHERE (NUMEROSERIE = :ParNumero) AND (ARTICULO = "
                   ":ParArticulo) AND LINEAALBARANVENTA IS NOT NULL");
const QString kSerieEnLineaCompra =
    QStringLiteral("SELECT IDNUMEROSSERIE FROM NUMEROSSERIE WHERE (NUMEROSERIE = :ParNumero) AND (ARTICULO = "
                   ":ParArticulo) AND LINEAALBARANCOMPRA IS NOT NULL");
const QString kRegimenAlbaran = QStringLiteral(
    "SELECT REGIMENESIVA.TIPOIVAFIJO, REGIMENESIVA.APLICARIVASN, REGIMENESIVA.APLICARRECARGOSN, "
    "TABLAIVA.PORCENTAJEIVA, TABLAIVA.PORCENTAJERECARGO FROM ALBARANESVENTA LEFT JOIN REGIMENESIVA ON "
    "(ALBARANESVENTA.REGIMENIVA = REGIMENESIVA.IDREGIMENESIVA) LEFT JOIN TABLAIVA ON "
    "(REGIMENESIVA.TIPOIVAFIJO = TABLAIVA.IDTABLAIVA) WHERE (IDALBARANESVENTA = :ParIdAlbaran)");
const QString kReferenciaProveedor = QStringLiteral(
    "SELECT AP.REFERENCIA_PROVEEDOR FROM ARTICULOSPROVEEDORES AP LEFT JOIN ALBARANESCOMPRA AC ON "
    "(AP.PROVEEDOR = AC.PROVEEDOR) WHERE (AP.ARTICULO = :ParArticulo) AND (AC.IDALBARANESCOMPRA = "
    ":ParIdAlbaran)");
const QString kExisteAlbaranVenta =
    QStringLiteral("SELECT IDALBARANESVENTA FROM ALBARANESVENTA WHERE IDALBARANESVENTA = :ParIdAlbaran");
const QString kExisteAlbaranCompra =
    QStringLiteral("SELECT IDALBARANESCOMPRA FROM ALBARANESCOMPRA WHERE IDALBARANESCOMPRA = :ParIdAlbaran");
const QString kExisteAlmacen =
    QStringLiteral("SELECT IDALMACENES FROM ALMACENES WHERE IDALMACENES = :ParIdAlmacen");

// The module's record of the lines an import wrote: the note and its side ('V' sales, 'C'
// purchases), the line, the workbook (SHA-256 of its content), its sheet row and the run's start.
const QString kTablaRegistro = QStringLiteral("QD_LINEAS_IMPORTADAS");
const QString kRegistrarLinea = QStringLiteral(
    "INSERT INTO QD_LINEAS_IMPORTADAS (LADO, ALBARAN, LIBRO, FILA, LINEA, INICIO) VALUES (:LADO, :ALBARAN, "
    ":LIBRO, :FILA, :LINEA, :INICIO)");
// The rows of a workbook recorded in a note whose line is still in it (a line deleted since then
// does not count), with the line's number in the note.
const QString kFilasRegistradasVenta = QStringLiteral(
    "SELECT R.FILA, L.NUMEROLINEA FROM QD_LINEAS_IMPORTADAS R JOIN LINEASALBARANVENTA L ON "
    "L.IDLINEASALBARANVENTA = R.LINEA AND L.ALBARANVENTA = R.ALBARAN WHERE R.LADO = 'V' AND R.ALBARAN = "
    ":ALBARAN AND R.LIBRO = :LIBRO ORDER BY R.FILA, L.NUMEROLINEA");
const QString kFilasRegistradasCompra = QStringLiteral(
    "SELECT R.FILA, L.NUMEROLINEA FROM QD_LINEAS_IMPORTADAS R JOIN LINEASALBARANCOMPRA L ON "
    "L.IDLINEASALBARANCOMPRA = R.LINEA AND L.ALBARANCOMPRA = R.ALBARAN WHERE R.LADO = 'C' AND R.ALBARAN = "
    ":ALBARAN AND R.LIBRO = :LIBRO ORDER BY R.FILA, L.NUMEROLINEA");

// Numbers in ascending order written as runs: «2-5, 8, 10-12».
QString tramos(const QList<int>& numeros) {
    QStringList partes;
    for (qsizetype i = 0; i < numeros.size();) {
        qsizetype j = i;
        while (j + 1 < numeros.size() && numeros[j + 1] == numeros[j] + 1)
            ++j;
        partes << (j == i ? QString::number(numeros[i])
                          : QStringLiteral("%1-%2").arg(numeros[i]).arg(numeros[j]));
        i = j + 1;
    }
    return partes.join(QStringLiteral(", "));
}

// The article fields a matched line takes from the article.
const QStringList kCamposArticulo{
    "IDARTICULOS", "PRECIOMEDIOCOSTE", "PRECIOULTIMACOMPRA", "PORCENTAJEIVA",  "PORCENTAJERECARGO", "IVA",
    "PESOUNIDAD",  "UNIDADESCAJA",     "UNIDADESPAQUETE",    "ENVASEASOCIADO", "DOBLESTOCK"};

const QString kFichero = QStringLiteral("IncidenciasLineasAlbaran.txt");

// The statements of one line transfer (a load, a verification or a write), each prepared once and
// run again with new values for every line: the queries by their text, the procedures by their
// name (their parameters looked up once). While one is in place for a TDatos, primeraFila and
// procedimiento run through it. It also keeps what goes from line to line: the number the next
// line takes (0: the procedure numbers it) and the purchase note whose line totals are summed once
// at the end of the write instead of after every line.
class Traspaso {
public:
    explicit Traspaso(TDatos& d) : d_(d), previo_(actual_) { actual_ = this; }
    ~Traspaso() { actual_ = previo_; }
    Traspaso(const Traspaso&) = delete;
    Traspaso& operator=(const Traspaso&) = delete;

    // The transfer in place for `d`, if any.
    static Traspaso* de(const TDatos& d) {
        return actual_ != nullptr && &actual_->d_ == &d ? actual_ : nullptr;
    }

    qd::fb::Statement& consulta(const QString& sql) {
        std::unique_ptr<qd::fb::Statement>& s = consultas_[sql];
        if (!s) {
            s = std::make_unique<qd::fb::Statement>(&d_.IBDatabase, &d_.IBTransaction1);
            s->setSql(sql);
        }
        return *s;
    }

    // Runs a procedure as TkvIBStoredProc does (inputs not given are null; a commit retaining
    // after it), its statement prepared on the first call only.
    QVariantMap ejecutar(const QString& nombre, const Parametros& p) {
        Procedimiento& pr = procedimientos_[nombre];
        if (!pr.sentencia) {
            TkvIBStoredProc sp(&d_.IBDatabase, &d_.IBTransaction1);
            sp.setStoredProcName(nombre);
            pr.entradas = sp.inputNames();
            pr.salidas = sp.outputNames();
            QString sql = QStringLiteral("EXECUTE PROCEDURE ") + nombre.trimmed().toUpper();
            if (!pr.entradas.isEmpty())
                sql += QStringLiteral("(:") + pr.entradas.join(QStringLiteral(", :")) + QLatin1Char(')');
            pr.sentencia = std::make_unique<qd::fb::Statement>(&d_.IBDatabase, &d_.IBTransaction1);
            pr.sentencia->setSql(sql);
        }
        qd::fb::Statement& s = *pr.sentencia;
        for (const QString& e : pr.entradas)
            s.paramByName(e).setNull();
        for (const auto& [n, v] : p)
            s.paramByName(n).setVariant(v);
        d_.IBTransaction1.ensureStarted();
        qd::WaitCursor cursor;
        s.execute();
        QVariantMap salida;
        for (const QString& o : pr.salidas) {
            const qd::fb::Field* f = s.findField(o);
            salida.insert(o.toUpper(), f ? f->asVariant() : QVariant());
        }
        if (d_.IBTransaction1.active()) d_.IBTransaction1.commitRetaining();
        qd::trimWorkingSet();
        return salida;
    }

    int numeroLinea = 0;
    int compraPorSumar = 0;

private:
    struct Procedimiento {
        std::unique_ptr<qd::fb::Statement> sentencia;
        QStringList entradas, salidas;
    };
    static inline Traspaso* actual_ = nullptr;
    TDatos& d_;
    Traspaso* previo_;
    std::map<QString, std::unique_ptr<qd::fb::Statement>> consultas_;
    std::map<QString, Procedimiento> procedimientos_;
};

// The first row of a query with its values bound, by upper-case column name; empty when none.
QVariantMap primeraFila(TDatos& d, const QString& sql, const Parametros& p) {
    Traspaso* traspaso = Traspaso::de(d);
    std::optional<qd::fb::Statement> propia;
    if (!traspaso) propia.emplace(&d.IBDatabase, &d.IBTransaction1).setSql(sql);
    qd::fb::Statement& s = traspaso ? traspaso->consulta(sql) : *propia;
    for (const auto& [nombre, valor] : p)
        s.paramByName(nombre).setVariant(valor);
    d.IBTransaction1.ensureStarted();
    s.execute();
    QVariantMap fila;
    if (!s.eof())
        for (int i = 0; i < s.fieldCount(); ++i)
            fila.insert(s.field(i).name().trimmed().toUpper(), s.field(i).asVariant());
    s.close();
    return fila;
}

// Runs a stored procedure with its inputs by name (the others null) and returns its outputs.
QVariantMap procedimiento(TDatos& d, const QString& nombre, const Parametros& p) {
    if (Traspaso* traspaso = Traspaso::de(d)) return traspaso->ejecutar(nombre, p);
    TkvIBStoredProc sp(&d.IBDatabase, &d.IBTransaction1);
    sp.setStoredProcName(nombre);
    for (const auto& [n, v] : p)
        sp.paramByName(n).setVariant(v);
    d.IBTransaction1.ensureStarted();
    sp.Ejecutar();
    QVariantMap salida;
    for (const QString& o : sp.outputNames())
        salida.insert(o.toUpper(), sp.outputByName(o).asVariant());
    return salida;
}

// Padded with spaces and cut to `ancho` characters.
QString columna(const QString& texto, int ancho) {
    return texto.leftJustified(ancho, QLatin1Char(' '), true);
}

// A staged value as the file shows it: floats in general form with the system's decimal separator.
QString textoValor(const QVariant& v) {
    if (v.isNull()) return {};
    if (v.typeId() == QMetaType::Double) {
        QString t = QString::number(v.toDouble(), 'g', 15);
        return t.replace(QLatin1Char('.'), QLocale::system().decimalPoint());
    }
    return v.toString();
}

QString claveBusqueda(int buscarPor) {
    switch (buscarPor) {
    case 0:
        return QStringLiteral("CODIGO");
    case 1:
        return QStringLiteral("CODIGOEAN");
    default:
        return QStringLiteral("REFERENCIA_PROVEEDOR");
    }
}

double num(const TkvRxMemoryData& t, const char* campo) {
    return t.value(QString::fromLatin1(campo)).toDouble();
}

// A sales or purchase line's amounts worked out by its side's procedure, then its commission.
void recalcularLinea(TDatos& d, bool venta, int IdLinea, int IdAlbaran, double Descuento, double Precio,
                     double Cant2, double Cant1, int IdArticulo) {
    const QString linea =
        venta ? QStringLiteral("PARLINEAALBARANVENTA") : QStringLiteral("PARLINEAALBARANCOMPRA");
    const QString albaran = venta ? QStringLiteral("PARALBARANVENTA") : QStringLiteral("PARALBARANCOMPRA");
    const QVariantMap s = procedimiento(d,
                                        venta ? QStringLiteral("PRCALCULOLINEAALBARANVENTA")
                                              : QStringLiteral("PRCALCULOLINEAALBARANCOMPRA"),
                                        {{linea, IdLinea},
                                         {albaran, IdAlbaran},
                                         {QStringLiteral("PARARTICULO"), IdArticulo},
                                         {QStringLiteral("PARCANTIDADSTOCK1"), Cant1},
                                         {QStringLiteral("PARCANTIDADSTOCK2"), Cant2},
                                         {QStringLiteral("PARPRECIODIVISA"), Precio},
                                         {QStringLiteral("PARCAMBIODIVISA"), 1.0},
                                         {QStringLiteral("PARPORCENTAJEIVA"), 0.0},
                                         {QStringLiteral("PARPORCENTAJERECARGO"), 0.0},
                                         {QStringLiteral("PARDESCUENTO1"), Descuento},
                                         {QStringLiteral("PARDESCUENTO2"), 0.0},
                                         {QStringLiteral("PARDESCUENTO3"), 0.0},
                                         {QStringLiteral("PARACTUALIZARBD"), 1}});
    procedimiento(d,
                  venta ? QStringLiteral("PRCALCULOCOMISIONLINEAALBVTA")
                        : QStringLiteral("PRCALCULOCOMISIONLINEAALBCOM"),
                  {{linea, IdLinea},
                   {albaran, IdAlbaran},
                   {QStringLiteral("PARBASECOMISION"), s.value(QStringLiteral("PARBASECOMISION"))}});
}

// What the sales and purchase line procedures take alike: the note and store, the staged line's
// article, quantities, price and discount, the state, and every amount at zero (the line is
// recalculated next). Each side adds its VAT and what is its own.
Parametros parametrosLinea(const TDatos& d, const TkvRxMemoryData& t, const QString& parametroAlbaran,
                           int IdAlbaran, int IdAlmacen) {
    const Traspaso* traspaso = Traspaso::de(d);
    Parametros p{{parametroAlbaran, IdAlbaran},
                 {QStringLiteral("PARALMACEN"), IdAlmacen},
                 {QStringLiteral("PARARTICULO"), t.value(QStringLiteral("IDARTICULOS"))},
                 {QStringLiteral("PARNOMBREARTICULO"), t.value(QStringLiteral("NOMBRE"))},
                 {QStringLiteral("PARCANTIDADSTOCK1"), num(t, "CANTIDAD1")},
                 {QStringLiteral("PARCANTIDADSTOCK2"), num(t, "CANTIDAD2")},
                 {QStringLiteral("PARPRECIO"), num(t, "PRECIO")},
                 {QStringLiteral("PARPRECIODIVISA"), num(t, "PRECIO")},
                 {QStringLiteral("PARDESCUENTO1"), num(t, "DESCUENTO")},
                 {QStringLiteral("PARIMPORTEDESCUENTOS"), num(t, "DESCUENTO")},
                 {QStringLiteral("PARPRECIOMEDIOCOSTE"), num(t, "PRECIOMEDIOCOSTE")},
                 {QStringLiteral("PARUNIDADESCAJA"), num(t, "UNIDADESCAJA")},
                 {QStringLiteral("PARESTADO"), QStringLiteral("P")},
                 {QStringLiteral("PAROBSERVACIONES"), QString()},
                 {QStringLiteral("PARNUMEROLINEA"), traspaso ? traspaso->numeroLinea : 0}};
    for (const char* cero :
         {"PARDESCUENTO2", "PARDESCUENTO3", "PARPORCENTAJEDESCUENTOS", "PARNUMEROBULTOS",
          "PARUNIDADESSUELTAS", "PARCANTIDADCAJAS", "PARCANTIDADFORMATO", "PARUNIDADESFORMATOSTOCK1",
          "PARUNIDADESFORMATOSTOCK2", "PARIMPORTEBRUTO", "PARBASEIMPONIBLE", "PARIMPORTEIVA",
          "PARIMPORTERECARGO", "PARIMPORTELINEA", "PARBASECOMISION", "PARIMPORTECOMISIONES"})
        p.append({QString::fromLatin1(cero), 0.0});
    return p;
}

// The second and later lines of the sheet with the same serial number of the same article are not
// valid: one serial number goes on one line.
void marcarSeriesRepetidas(TkvRxMemoryData& t) {
    QSet<QString> vistas;
    for (t.first(); !t.eof(); t.next()) {
        const QString serie = t.value(QStringLiteral("NUMEROSERIE")).toString();
        const QVariant articulo = t.value(QStringLiteral("IDARTICULOS"));
        if (serie.isEmpty() || articulo.isNull()) continue;
        const QString clave = articulo.toString() + QLatin1Char('|') + serie;
        if (vistas.contains(clave)) {
            t.edit();
            t.setValue(QStringLiteral("VALIDO"), false);
            t.post();
        }
        vistas.insert(clave);
    }
}

} // namespace

ImportacionLineas::ImportacionLineas(TDatos& datos) : Lotes(datos) {
    Definir_kvRxMDLAV();
}

QDate ImportacionLineas::Fecha_Garantia(const QDate& fechaAlbaran) {
    return fechaAlbaran.addMonths(3); // a day the month lacks becomes its last day
}

void ImportacionLineas::InsertarNumeroSerieLinea(bool venta, int IdLinea, int IdAlbaran, int IdAlmacen) {
    const auto& t = kvRxMDLAV;
    const QString serie = t.value(QStringLiteral("NUMEROSERIE")).toString();
    const int articulo = t.value(QStringLiteral("IDARTICULOS")).toInt();
    const double precio = num(t, "PRECIO");
    const QVariantMap cab = primeraFila(
        d,
        venta ? QStringLiteral(
                    "SELECT AV.CLIENTE AS TERCERO, AV.NUMERO, AV.FECHAALBARAN, SD.CODIGO as CODIGOSERIE "
                    "FROM ALBARANESVENTA AV INNER JOIN SERIESDOCUMENTOS SD ON (AV.SERIEDOCUMENTO = "
                    "SD.IDSERIESDOCUMENTOS) WHERE (AV.IDALBARANESVENTA = :PARIDALBARAN)")
              : QStringLiteral(
                    "SELECT AC.PROVEEDOR AS TERCERO, AC.NUMERO, AC.FECHAALBARAN, SD.CODIGO as CODIGOSERIE "
                    "FROM ALBARANESCOMPRA AC INNER JOIN SERIESDOCUMENTOS SD ON (AC.SERIEDOCUMENTO = "
                    "SD.IDSERIESDOCUMENTOS) WHERE (AC.IDALBARANESCOMPRA = :PARIDALBARAN)"),
        {{QStringLiteral("PARIDALBARAN"), IdAlbaran}});
    const QDateTime fechaAlbaran = cab.value(QStringLiteral("FECHAALBARAN")).toDateTime();
    const QDateTime garantia(Fecha_Garantia(fechaAlbaran.date()), QTime(0, 0));
    const QVariantMap mov = primeraFila(
        d,
        venta ? QStringLiteral(
                    "SELECT MOVIMIENTOALMACEN FROM LINEASALBARANVENTA WHERE (IDLINEASALBARANVENTA = :L)")
              : QStringLiteral(
                    "SELECT MOVIMIENTOALMACEN FROM LINEASALBARANCOMPRA WHERE (IDLINEASALBARANCOMPRA = :L)"),
        {{QStringLiteral("L"), IdLinea}});
    const int movimiento = mov.value(QStringLiteral("MOVIMIENTOALMACEN")).toInt();
    const QVariant tercero = cab.value(QStringLiteral("TERCERO"));
    const QVariant codigoSerie = cab.value(QStringLiteral("CODIGOSERIE")).toString().trimmed();
    const QVariant numero = cab.value(QStringLiteral("NUMERO"));
    const QVariant nulo;

    const Parametros busca{{QStringLiteral("ParNumero"), serie}, {QStringLiteral("ParArticulo"), articulo}};
    int id = primeraFila(d,
                         QStringLiteral(
                             "SELECT IDNUMEROSSERIE FROM NUMEROSSERIE WHERE (NUMEROSERIE = :ParNumero) AND "
                             "(ARTICULO = :ParArticulo)"),
                         busca)
                 .value(QStringLiteral("IDNUMEROSSERIE"))
                 .toInt();
    if (id == 0) {
        const QDateTime ahora = QDateTime::currentDateTime();
        id = procedimiento(d, QStringLiteral("PRINSERTARNUMEROSSERIE"),
                           {{QStringLiteral("PARNUMEROSERIE"), serie},
                            {QStringLiteral("PARDISPONIBLE"), 1},
                            {QStringLiteral("PARFECHAGARANTIACOMPRA"), venta ? nulo : QVariant(garantia)},
                            {QStringLiteral("PARFECHAGARANTIAVENTA"), venta ? QVariant(garantia) : nulo},
                            {QStringLiteral("PAROBSERVACIONES"), QString()},
                            {QStringLiteral("PARARTICULO"), articulo},
                            {QStringLiteral("PARALMACEN"), IdAlmacen},
                            {QStringLiteral("PARLINEAALBARANVENTA"), venta ? QVariant(IdLinea) : nulo},
                            {QStringLiteral("PARLINEAALBARANCOMPRA"), venta ? nulo : QVariant(IdLinea)},
                            {QStringLiteral("PARFECHAALTA"), ahora},
                            {QStringLiteral("PARFECHAMODIFICACION"), ahora},
                            {QStringLiteral("PARUSUARIOALTA"), d.IdUsuario},
                            {QStringLiteral("PARUSUARIOMODIFICACION"), d.IdUsuario},
                            {QStringLiteral("PARIDCLIENTE"), venta ? tercero : nulo},
                            {QStringLiteral("PARSERIEVENTA"), venta ? codigoSerie : nulo},
                            {QStringLiteral("PARNUMEROVENTA"), venta ? numero : nulo},
                            {QStringLiteral("PARFECHAVENTA"), venta ? QVariant(fechaAlbaran) : nulo},
                            {QStringLiteral("PARPRECIOVENTA"), venta ? precio : 0.0},
                            {QStringLiteral("PARIDPROVEEDOR"), venta ? nulo : tercero},
                            {QStringLiteral("PARSERIECOMPRA"), venta ? nulo : codigoSerie},
                            {QStringLiteral("PARNUMEROCOMPRA"), venta ? nulo : numero},
                            {QStringLiteral("PARFECHACOMPRA"), venta ? nulo : QVariant(fechaAlbaran)},
                            {QStringLiteral("PARPRECIOCOMPRA"), venta ? 0.0 : precio}})
                 .value(QStringLiteral("PARIDNUMEROSSERIE"))
                 .toInt();
    } else if (!primeraFila(d, venta ? kSerieEnLineaVenta : kSerieEnLineaCompra, busca).isEmpty()) {
        // Already on a line of this side (written since the verification): told, never dropped.
        throw qd::ErrorImportacion(
            QStringLiteral("el número de serie %1 ya está en otra línea de albarán").arg(serie));
    }
    Parametros m{
        {QStringLiteral("PARIDNUMEROSSERIE"), id},
        {QStringLiteral("PARIDMOVIMIENTO"), movimiento},
        {QStringLiteral("PARFECHAGARANTIA"), garantia},
        {venta ? QStringLiteral("PARLINEAALBARANVENTA") : QStringLiteral("PARLINEAALBARANCOMPRA"), IdLinea},
        {QStringLiteral("PARESDEVOLUCION"), num(t, "CANTIDAD1") <= 0 ? 1 : 0}};
    if (venta)
        m << qMakePair(QStringLiteral("PARIDCLIENTE"), tercero)
          << qMakePair(QStringLiteral("PARSERIEVENTA"), codigoSerie)
          << qMakePair(QStringLiteral("PARNUMEROVENTA"), numero)
          << qMakePair(QStringLiteral("PARFECHAVENTA"), QVariant(fechaAlbaran))
          << qMakePair(QStringLiteral("PARPRECIOVENTA"), QVariant(precio));
    procedimiento(
        d, venta ? QStringLiteral("PRINSERTARMOVNSERIEVENTA") : QStringLiteral("PRINSERTARMOVNSERIECOMPRA"),
        m);
    d.Ejecutar_Sentencia(
        venta ? QStringLiteral("UPDATE LINEASALBARANVENTA SET NUMEROSDESERIE = :ParNumero WHERE "
                               "IDLINEASALBARANVENTA = :ParLinea")
              : QStringLiteral("UPDATE LINEASALBARANCOMPRA SET NUMEROSDESERIE = :ParNumero WHERE "
                               "IDLINEASALBARANCOMPRA = :ParLinea"),
        {{QStringLiteral("ParNumero"), serie}, {QStringLiteral("ParLinea"), IdLinea}});
}

void ImportacionLineas::Lote_Y_Serie_Linea(bool venta, int IdLinea, int IdAlbaran, int IdAlmacen) {
    const auto& t = kvRxMDLAV;
    if (!t.value(QStringLiteral("NUMEROSERIE")).toString().isEmpty())
        InsertarNumeroSerieLinea(venta, IdLinea, IdAlbaran, IdAlmacen);
    const QString lote = t.value(QStringLiteral("LOTE")).toString();
    if (!lote.isEmpty()) {
        const QDateTime caducidad = t.value(QStringLiteral("FECHACADUCIDAD")).toDateTime();
        InsertarNumeroLote(t.value(QStringLiteral("IDARTICULOS")).toInt(), IdLinea, lote,
                           caducidad.isValid() ? QVariant(caducidad) : QVariant(), num(t, "CANTIDAD1"),
                           num(t, "CANTIDAD2"), !venta);
    }
}

void ImportacionLineas::Definir_kvRxMDLAV() {
    auto& t = kvRxMDLAV;
    t.name = QStringLiteral("kvRxMDLAV");
    auto campo = [&t](const char* nombre, Tipo tipo, int tam, const QString& etiqueta) {
        t.addField({QString::fromLatin1(nombre), tipo, tam, etiqueta});
    };
    campo("IDARTICULOS", Tipo::Integer, 0, QStringLiteral("Id. Artículo"));
    campo("CODIGO", Tipo::String, 18, QStringLiteral("Código"));
    campo("CODIGOEAN", Tipo::String, 18, QStringLiteral("Código EAN"));
    campo("REFERENCIA_PROVEEDOR", Tipo::String, 18, QStringLiteral("Ref. Proveedor"));
    campo("NOMBRE", Tipo::String, 1024, QStringLiteral("Descripción"));
    campo("CANTIDAD1", Tipo::Float, 0, QStringLiteral("Cant. 1"));
    campo("CANTIDAD2", Tipo::Float, 0, QStringLiteral("Cant. 2"));
    campo("DESCUENTO", Tipo::Float, 0, QStringLiteral("Desc."));
    campo("PRECIO", Tipo::Float, 0, QStringLiteral("Precio"));
    campo("NUMEROSERIE", Tipo::String, 20, QStringLiteral("Nº Serie"));
    campo("LOTE", Tipo::String, 25, QStringLiteral("Lote"));
    campo("FECHACADUCIDAD", Tipo::DateTime, 0, QStringLiteral("Fecha Cad."));
    campo("PRECIOMEDIOCOSTE", Tipo::Float, 0, QStringLiteral("P.M.C."));
    campo("PRECIOULTIMACOMPRA", Tipo::Float, 0, QStringLiteral("P.U.C."));
    campo("PORCENTAJEIVA", Tipo::Float, 0, QStringLiteral("% IVA"));
    campo("PORCENTAJERECARGO", Tipo::Float, 0, QStringLiteral("% Rec."));
    campo("IVA", Tipo::Integer, 0, QStringLiteral("IVA"));
    campo("PESOUNIDAD", Tipo::Float, 0, QStringLiteral("Peso"));
    campo("UNIDADESCAJA", Tipo::Float, 0, QStringLiteral("Uds. Caja"));
    campo("UNIDADESPAQUETE", Tipo::Float, 0, QStringLiteral("Uds. Paquete"));
    campo("ENVASEASOCIADO", Tipo::Integer, 0, QStringLiteral("Envase"));
    campo("DOBLESTOCK", Tipo::SmallInt, 0, QStringLiteral("Doble Stock"));
    campo("VALIDO", Tipo::Boolean, 0, QStringLiteral("Válido"));
    campo("MODIFICADO", Tipo::Boolean, 0, QStringLiteral("Modificado"));
    // Set once the line is in the delivery note: a second import of the same table skips it.
    campo("TRASPASADO", Tipo::Boolean, 0, QStringLiteral("Traspasado"));
    t.onNewRecord = [](TkvRxMemoryData& r) {
        r.setValue(QStringLiteral("CANTIDAD1"), 0.0);
        r.setValue(QStringLiteral("CANTIDAD2"), 0.0);
    };
}

QString ImportacionLineas::Huella_Libro(const QString& fichero) {
    QFile f(fichero);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash h(QCryptographicHash::Sha256);
    if (!h.addData(&f)) return {};
    return QString::fromLatin1(h.result().toHex());
}

void ImportacionLineas::Comprobar_Lanzamiento(const OpcionesLineas& o) {
    const bool venta = o.venta();
    if (primeraFila(d, venta ? kExisteAlbaranVenta : kExisteAlbaranCompra,
                    {{QStringLiteral("ParIdAlbaran"), o.Albaran}})
            .isEmpty())
        throw qd::ErrorImportacion(QStringLiteral("No existe el albarán de %1 %2.")
                                       .arg(venta ? QStringLiteral("venta") : QStringLiteral("compra"))
                                       .arg(o.Albaran));
    // The lines and their stock movements go to this warehouse: one that does not exist would
    // leave stock nowhere.
    if (primeraFila(d, kExisteAlmacen, {{QStringLiteral("ParIdAlmacen"), o.Almacen}}).isEmpty())
        throw qd::ErrorImportacion(
            QStringLiteral(
                "No existe el almacén %1: las líneas y sus movimientos de stock irían a un almacén "
                "que no existe.")
                .arg(o.Almacen));
}

bool ImportacionLineas::Hay_Registro_Lineas() {
    return !primeraFila(
                d,
                QStringLiteral("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = "
                               ":ParTabla"),
                {{QStringLiteral("ParTabla"), kTablaRegistro}})
                .isEmpty();
}

std::map<int, int> ImportacionLineas::Filas_Ya_Importadas(bool venta, int IdAlbaran) {
    std::map<int, int> filas;
    qd::fb::Statement s(&d.IBDatabase, &d.IBTransaction1);
    s.setSql(venta ? kFilasRegistradasVenta : kFilasRegistradasCompra);
    s.paramByName(QStringLiteral("ALBARAN")).setInt(IdAlbaran);
    s.paramByName(QStringLiteral("LIBRO")).setString(HuellaLibro);
    d.IBTransaction1.ensureStarted();
    // A row written more than once on purpose names its last line.
    for (s.execute(); !s.eof(); s.next())
        filas[int(s.field(0).asInt())] = int(s.field(1).asInt());
    s.close();
    return filas;
}

int ImportacionLineas::cargarLineas(const QString& fichero, const OpcionesLineas& o) {
    d.Exigir_Conexion();
    if (fichero.trimmed().isEmpty())
        throw qd::ErrorImportacion(QStringLiteral("Debes de seleccionar el fichero Excell"));
    Comprobar_Lanzamiento(o);
    d.Opcion = o.venta() ? QStringLiteral("LAV") : QStringLiteral("LAC");
    d.Albaran_LAVC = o.Albaran;
    d.Almacen_LAVC = o.Almacen;
    BuscarArticuloPor = o.BuscarPor;
    BuscarArticuloPorIncidencias = o.BuscarPor;
    d.canal().status(QStringLiteral("  Cargando datos del fichero Excel"));
    d.CargarExcel(fichero);
    HuellaLibro = Huella_Libro(fichero);
    d.canal().status(QStringLiteral("  Incorporando datos del fichero Excel a tabla temporal"));
    CargarLineaLAVC();
    d.canal().status(QStringLiteral("  Datos Incorporados del fichero Excel a tabla temporal"));
    return kvRxMDLAV.recordCount();
}

void ImportacionLineas::CargarLineaLAVC() {
    auto& t = kvRxMDLAV;
    TotalRegistrosExcel = 0;
    if (!d.hayExcel()) {
        t.close();
        t.open();
        return;
    }
    // Columns up to the first empty header, at most 50.
    const qd::wb::Sheet& hoja = d.hojaExcel();
    int ultima = 0;
    while (ultima < 50 && !hoja.text(1, ultima + 1).isEmpty())
        ++ultima;
    std::vector<int> campos(static_cast<size_t>(ultima) + 1, -1);
    for (int c = 1; c <= ultima; ++c)
        campos[static_cast<size_t>(c)] = t.fieldIndex(hoja.text(1, c).trimmed());
    const int noEditables = t.fieldIndex(QStringLiteral("VALIDO"));
    const Traspaso traspaso(d);
    try {
        d.Leer_Filas_Excel(
            t,
            [&](int fila, int col, const QString&) {
                TotalRegistrosExcel = fila;
                if (col > ultima) return;
                const int campo = campos[static_cast<size_t>(col)];
                // The match decides VALIDO, MODIFICADO and the article's fields, never the sheet.
                if (campo < 0 || campo >= noEditables || kCamposArticulo.contains(t.fieldDefs()[campo].name))
                    return;
                d.Poner_Celda_Staging(t, campo, fila, col);
            },
            [&] {
                t.setValue(QStringLiteral("VALIDO"), true);
                Emparejar_Linea();
                return true;
            });
    } catch (const std::exception& e) {
        if (t.state() == TkvRxMemoryData::State::Insert) t.cancel();
        d.canal().incidence(QStringLiteral("Error durante la carga de datos: ") + TDatos::Texto_Error(e));
    }
    marcarSeriesRepetidas(t);
}

void ImportacionLineas::Emparejar_Linea() {
    auto& t = kvRxMDLAV;
    const QVariant codigo = t.value(QStringLiteral("CODIGO"));
    const QString ean = t.value(QStringLiteral("CODIGOEAN")).toString();
    const QString referencia = t.value(QStringLiteral("REFERENCIA_PROVEEDOR")).toString();
    QString codigoHallado;
    auto buscar = [&](const QString& sql, const Parametros& p) {
        const QVariantMap f = primeraFila(d, sql, p);
        if (f.value(QStringLiteral("IDARTICULOS")).toInt() == 0) return false;
        codigoHallado = f.value(QStringLiteral("CODIGO")).toString();
        return true;
    };
    bool hallado = false;
    switch (BuscarArticuloPor) {
    case 0:
        codigoHallado = codigo.toString();
        hallado = !codigo.isNull();
        break;
    case 1:
        hallado = !ean.isEmpty() && (buscar(kSelectArticuloEan, {{QStringLiteral("ParCodigo"), ean}}) ||
                                     buscar(kSelectArticuloFormato, {{QStringLiteral("ParCodigo"), ean}}));
        break;
    case 2:
        hallado = !referencia.isEmpty() &&
                  buscar(kSelectArticuloRefProveedor, {{QStringLiteral("ParReferencia"), referencia}});
        break;
    default:
        hallado = !referencia.isEmpty() && d.Opcion == QStringLiteral("LAC") &&
                  buscar(kSelectArticuloArtProveedor, {{QStringLiteral("ParIdAlbaran"), d.Albaran_LAVC},
                                                       {QStringLiteral("ParReferencia"), referencia}});
        break;
    }
    QVariantMap articulo;
    if (hallado) {
        articulo = primeraFila(d, kSelectArticulo, {{QStringLiteral("ParCodigo"), codigoHallado}});
        hallado = !articulo.value(QStringLiteral("IDARTICULOS")).isNull();
    }
    bool valido = hallado;
    const QString serie = t.value(QStringLiteral("NUMEROSERIE")).toString();
    if (hallado && !serie.isEmpty()) {
        const QVariantMap enLinea =
            primeraFila(d, d.Opcion == QStringLiteral("LAC") ? kSerieEnLineaCompra : kSerieEnLineaVenta,
                        {{QStringLiteral("ParNumero"), serie},
                         {QStringLiteral("ParArticulo"), articulo.value(QStringLiteral("IDARTICULOS"))}});
        if (!enLinea.isEmpty()) valido = false;
    }
    t.setValue(QStringLiteral("VALIDO"), valido);
    for (const QString& c : kCamposArticulo)
        t.setValue(c, hallado ? articulo.value(c) : QVariant());
}

void ImportacionLineas::Verificar_Lineas() {
    auto& t = kvRxMDLAV;
    if (!t.active()) return;
    const Traspaso traspaso(d);
    for (t.first(); !t.eof(); t.next()) {
        t.edit();
        t.setValue(QStringLiteral("MODIFICADO"), false);
        t.setValue(QStringLiteral("VALIDO"), true);
        try {
            Emparejar_Linea();
        } catch (...) {
            t.cancel();
            throw;
        }
        t.post();
    }
    marcarSeriesRepetidas(t);
}

void ImportacionLineas::Editar_Linea(int recNo, const QString& campo, const QVariant& valor) {
    auto& t = kvRxMDLAV;
    t.setRecNo(recNo);
    t.edit();
    t.setValue(QStringLiteral("MODIFICADO"), true);
    TDatos::Poner_Valor_Staging(t, t.fieldIndex(campo), valor);
    t.post();
}

void ImportacionLineas::Linea_Editada(int fila) {
    auto& t = kvRxMDLAV;
    const int modificado = t.fieldIndex(QStringLiteral("MODIFICADO"));
    if (fila < 0 || fila >= t.recordCount() || t.valueAt(fila, modificado).toBool()) return;
    t.setValueAt(fila, modificado, true);
}

ImportacionLineas::EstadoLinea ImportacionLineas::Estado_Linea(int fila) const {
    const auto& t = kvRxMDLAV;
    if (fila < 0 || fila >= t.recordCount()) return EstadoLinea::NoValida;
    if (!t.valueAt(fila, t.fieldIndex(QStringLiteral("VALIDO"))).toBool()) return EstadoLinea::NoValida;
    const QVariant ultima = t.valueAt(fila, t.fieldIndex(QStringLiteral("PRECIOULTIMACOMPRA")));
    const QVariant precio = t.valueAt(fila, t.fieldIndex(QStringLiteral("PRECIO")));
    return ultima.toDouble() != precio.toDouble() ? EstadoLinea::PrecioDistinto : EstadoLinea::Valida;
}

bool ImportacionLineas::Lineas_Listas() const {
    const auto& t = kvRxMDLAV;
    if (!t.active()) return true;
    const int valido = t.fieldIndex(QStringLiteral("VALIDO"));
    const int modificado = t.fieldIndex(QStringLiteral("MODIFICADO"));
    for (int r = 0; r < t.recordCount(); ++r)
        if (!t.valueAt(r, valido).toBool() || t.valueAt(r, modificado).toBool()) return false;
    return true;
}

QString ImportacionLineas::textoLineasNoListas() {
    return QStringLiteral(
        "Tienes Lineas no VALIDAS o MODIFICADAS en la Tablas. Tiene que volver a verificar.");
}

QString ImportacionLineas::Cabecera_Incidencias_LAVC(bool venta, int buscarPor) {
    QString clave = QStringLiteral("CODIGO");
    if (buscarPor == 1) clave = venta ? QStringLiteral("CODIGOEAN") : QStringLiteral("CODIEAN");
    if (buscarPor >= 2) clave = QStringLiteral("REFERENCIA PROVEEDOR");
    return columna(clave, 18) + columna(QStringLiteral("DESCRIPCION"), 21);
}

QString ImportacionLineas::Linea_Incidencia_LAVC(bool /*venta*/, bool precioDistinto) const {
    const auto& t = kvRxMDLAV;
    auto v = [&t](const char* c) { return textoValor(t.value(QString::fromLatin1(c))); };
    return columna(textoValor(t.value(claveBusqueda(BuscarArticuloPorIncidencias))), 18) +
           columna(v("NOMBRE"), 21) + QStringLiteral("Cant1: ") + v("CANTIDAD1") +
           QStringLiteral(" Cant2: ") + v("CANTIDAD2") + QStringLiteral(" Desc.: ") + v("DESCUENTO") +
           (precioDistinto ? QStringLiteral(" PVP: ") : QStringLiteral(" PVP:   ")) + v("PRECIO") +
           QStringLiteral(" NºSR.: ") + v("NUMEROSERIE") +
           (precioDistinto ? QStringLiteral(" Lote: ") : QStringLiteral(" Lote:  ")) + v("LOTE");
}

int ImportacionLineas::InsertarLineaAlbaranVenta(int IdAlbaran, int IdAlmacen) {
    const auto& t = kvRxMDLAV;
    // The note's VAT regime may fix the VAT type; without a regime, no VAT and no surcharge.
    const QVariantMap r = primeraFila(d, kRegimenAlbaran, {{QStringLiteral("ParIdAlbaran"), IdAlbaran}});
    const int fijo = r.value(QStringLiteral("TIPOIVAFIJO")).toInt();
    QVariant iva = t.value(QStringLiteral("IVA"));
    double porIva = num(t, "PORCENTAJEIVA"), porRecargo = num(t, "PORCENTAJERECARGO");
    if (fijo != 0) {
        iva = fijo;
        porIva = r.value(QStringLiteral("PORCENTAJEIVA")).toDouble();
        porRecargo = r.value(QStringLiteral("PORCENTAJERECARGO")).toDouble();
    }
    if (r.value(QStringLiteral("APLICARIVASN")).toInt() == 0) porIva = 0;
    if (r.value(QStringLiteral("APLICARRECARGOSN")).toInt() == 0) porRecargo = 0;
    Parametros p = parametrosLinea(d, t, QStringLiteral("PARALBARANVENTA"), IdAlbaran, IdAlmacen);
    p += {{QStringLiteral("PARIVA"), iva},
          {QStringLiteral("PARPORCENTAJEIVA"), porIva},
          {QStringLiteral("PARPORCENTAJERECARGO"), porRecargo},
          {QStringLiteral("PARTIPODIMENSIONARTICULO"), QStringLiteral("A")},
          {QStringLiteral("PARPORCENTAJEMINMARGEN"), 0.0},
          {QStringLiteral("PARLARGO"), 0.0},
          {QStringLiteral("PARANCHO"), 0.0},
          {QStringLiteral("PARALTO"), 0.0},
          {QStringLiteral("PARUNIDADES"), 0.0},
          {QStringLiteral("INSERTAR_ARTICULO_ASOCIADO"), 1}};
    const QVariantMap salida = procedimiento(d, QStringLiteral("PRINSERTARLINEAALBARANVENTA"), p);
    const int id = salida.value(QStringLiteral("PARIDLINEAALBARANVENTA")).toInt();
    RecalcularLinea(id, IdAlbaran, num(t, "DESCUENTO"), num(t, "PRECIO"), num(t, "CANTIDAD2"),
                    num(t, "CANTIDAD1"), t.value(QStringLiteral("IDARTICULOS")).toInt());
    Lote_Y_Serie_Linea(true, id, IdAlbaran, IdAlmacen);
    return id;
}

int ImportacionLineas::InsertarLineaAlbaranCompra(int IdAlbaran, int IdAlmacen) {
    const auto& t = kvRxMDLAV;
    const QVariantMap ref =
        primeraFila(d, kReferenciaProveedor,
                    {{QStringLiteral("ParArticulo"), t.value(QStringLiteral("IDARTICULOS"))},
                     {QStringLiteral("ParIdAlbaran"), IdAlbaran}});
    Parametros p = parametrosLinea(d, t, QStringLiteral("PARALBARANCOMPRA"), IdAlbaran, IdAlmacen);
    p += {{QStringLiteral("PARIVA"), t.value(QStringLiteral("IVA"))},
          {QStringLiteral("PARPORCENTAJEIVA"), num(t, "PORCENTAJEIVA")},
          {QStringLiteral("PARPORCENTAJERECARGO"), 0.0},
          {QStringLiteral("PARGASTOPROPORCIONAL"), 0.0},
          {QStringLiteral("PARREFERENCIAARTICULOPROVEED"),
           ref.value(QStringLiteral("REFERENCIA_PROVEEDOR")).toString()}};
    const QVariantMap salida = procedimiento(d, QStringLiteral("PRINSERTARLINEAALBARANCOMPRA"), p);
    const int id = salida.value(QStringLiteral("PARIDLINEAALBARANCOMPRA")).toInt();
    RecalcularLineaCompra(id, IdAlbaran, num(t, "DESCUENTO"), num(t, "PRECIO"), num(t, "CANTIDAD2"),
                          num(t, "CANTIDAD1"), t.value(QStringLiteral("IDARTICULOS")).toInt());
    Lote_Y_Serie_Linea(false, id, IdAlbaran, IdAlmacen);
    return id;
}

void ImportacionLineas::RecalcularLinea(int IdLinea, int IdAlbaran, double Descuento, double Precio,
                                        double Cant2, double Cant1, int IdArticulo) {
    recalcularLinea(d, true, IdLinea, IdAlbaran, Descuento, Precio, Cant2, Cant1, IdArticulo);
}

void ImportacionLineas::RecalcularLineaCompra(int IdLinea, int IdAlbaran, double Descuento, double Precio,
                                              double Cant2, double Cant1, int IdArticulo) {
    recalcularLinea(d, false, IdLinea, IdAlbaran, Descuento, Precio, Cant2, Cant1, IdArticulo);
    // The note's line totals: in a transfer once at its end (each sum reads every line of the note),
    // else now.
    if (Traspaso* traspaso = Traspaso::de(d))
        traspaso->compraPorSumar = IdAlbaran;
    else
        procedimiento(d, QStringLiteral("PRCALCULOALBARANLINEASCOMPRA"),
                      {{QStringLiteral("PARALBARANCOMPRA"), IdAlbaran}});
}

void ImportacionLineas::ReCalcularAlbaran(int IdAlbaran) {
    procedimiento(d, QStringLiteral("PRCALCULOALBARANVENTA_EXCEL"),
                  {{QStringLiteral("PARALBARANVENTA"), IdAlbaran}});
}

void ImportacionLineas::ReCalcularAlbaranCompra(int IdAlbaran) {
    procedimiento(d, QStringLiteral("PRCALCULOALBARANCOMPRA"),
                  {{QStringLiteral("PARALBARANCOMPRA"), IdAlbaran}});
}

ImportacionLineas::ResumenLineas ImportacionLineas::confirmarLineas(const OpcionesLineas& o,
                                                                    const qd::OpcionesMotor& opcionesMotor) {
    d.Exigir_Conexion();
    auto& t = kvRxMDLAV;
    const bool venta = o.venta();
    if (!o.SoloValidas && !Lineas_Listas()) throw qd::ErrorImportacion(textoLineasNoListas());
    Comprobar_Lanzamiento(o);
    d.Destruir_Excel();

    // Which line goes in: not yet written in this session, valid, and (sales) with a quantity.
    auto seEscribe = [&t, venta] {
        return !t.value(QStringLiteral("TRASPASADO")).toBool() &&
               t.value(QStringLiteral("VALIDO")).toBool() && !(venta && num(t, "CANTIDAD1") == 0);
    };
    // Each line written is recorded with the workbook's identity and its sheet row, in the line's
    // own savepoint: a line undone or lost in a crash leaves no record, a committed line always
    // has one. The rows of this workbook already written into this note are left out (after a
    // crash, the run writes only the rows still missing) unless the user wants them again.
    const QDateTime inicio = QDateTime::currentDateTime();
    const bool registrar = !HuellaLibro.isEmpty() && Hay_Registro_Lineas();
    if (!HuellaLibro.isEmpty() && !registrar)
        d.canal().incidence(QStringLiteral(
            "Falta la tabla QD_LINEAS_IMPORTADAS, que el módulo instala al iniciarse con el usuario SYSDBA: "
            "las líneas no quedan registradas y otra importación de este libro las traspasaría otra vez."));
    std::map<int, int> yaImportadas; // sheet row -> the note's line number it became
    if (registrar) {
        const std::map<int, int> registradas = Filas_Ya_Importadas(venta, o.Albaran);
        if (!registradas.empty())
            for (t.first(); !t.eof(); t.next()) {
                const int fila = d.Fila_Hoja(t, t.recNo());
                const auto r = registradas.find(fila);
                if (r != registradas.end() && seEscribe()) yaImportadas.insert(*r);
            }
        if (!yaImportadas.empty()) {
            bool repetir = o.Repetir == qd::RepetirImportadas::Si;
            if (o.Repetir == qd::RepetirImportadas::Preguntar) {
                QList<int> filas;
                for (const auto& [fila, linea] : yaImportadas)
                    filas << fila;
                repetir = d.canal().ask(
                    (filas.size() == 1
                         ? QStringLiteral("La fila %1 de este libro ya se importó en este albarán. "
                                          "¿Importarla otra vez?")
                         : QStringLiteral("Las filas %1 de este libro ya se importaron en este "
                                          "albarán. ¿Importarlas otra vez?"))
                        .arg(tramos(filas)),
                    QStringLiteral("Líneas ya importadas"));
            }
            if (repetir) yaImportadas.clear();
        }
    }

    ResumenLineas res;
    QStringList log;
    auto cuentas = [&res] {
        QList<QPair<QString, int>> c{{QStringLiteral("Líneas traspasadas"), res.Escritas},
                                     {QStringLiteral("Líneas no válidas"), res.NoValidas},
                                     {QStringLiteral("Líneas con cantidad 0"), res.SinCantidad},
                                     {QStringLiteral("Líneas con errores"), res.ConErrores}};
        if (res.YaImportadas > 0) c.append({QStringLiteral("Líneas ya importadas"), res.YaImportadas});
        return TDatos::Texto_Resumen(c);
    };
    QList<int> filasOmitidas, lineasOmitidas;
    TDatos::FinRecorrido fin;
    d.Con_Motor(opcionesMotor, [&](qd::MotorFilas&) {
        Traspaso traspaso(d);
        const SentenciasPreparadas preparadas(d); // the lots' and serial numbers' statements
        // The note's last line number, read once and then kept (the procedure would read it for
        // every line); after a line that failed, read again.
        const QString sqlUltima =
            venta ? QStringLiteral("SELECT COALESCE(MAX(NUMEROLINEA), 0) AS ULTIMA FROM LINEASALBARANVENTA "
                                   "WHERE ALBARANVENTA = :ParIdAlbaran")
                  : QStringLiteral("SELECT COALESCE(MAX(NUMEROLINEA), 0) AS ULTIMA FROM LINEASALBARANCOMPRA "
                                   "WHERE ALBARANCOMPRA = :ParIdAlbaran");
        int ultima = -1;
        auto sumarCompra = [&] {
            if (traspaso.compraPorSumar == 0) return;
            procedimiento(d, QStringLiteral("PRCALCULOALBARANLINEASCOMPRA"),
                          {{QStringLiteral("PARALBARANCOMPRA"), std::exchange(traspaso.compraPorSumar, 0)}});
        };
        TDatos::RecorridoFilas r;
        r.cuentas = cuentas;
        r.codigo = [&t] { return t.value(QStringLiteral("CODIGO")).toString(); };
        r.escribir = [&] {
            if (t.value(QStringLiteral("TRASPASADO")).toBool()) return;
            if (!t.value(QStringLiteral("VALIDO")).toBool()) {
                ++res.NoValidas;
                log << Linea_Incidencia_LAVC(venta);
                return;
            }
            // A sales line with no quantity is not written: it is listed, never dropped silently.
            if (venta && num(t, "CANTIDAD1") == 0) {
                ++res.SinCantidad;
                log << Linea_Incidencia_LAVC(venta);
                return;
            }
            const int fila = d.Fila_Hoja(t, t.recNo());
            if (const auto y = yaImportadas.find(fila); y != yaImportadas.end()) {
                ++res.YaImportadas;
                filasOmitidas << fila;
                lineasOmitidas << y->second;
                // Already in the note: done, not a row to import again (the export of rows not
                // written would lead to a duplicate). Told once, below.
                return;
            }
            if (!venta && num(t, "PRECIOULTIMACOMPRA") != num(t, "PRECIO"))
                log << Linea_Incidencia_LAVC(venta, true);
            try {
                if (ultima < 0)
                    ultima = primeraFila(d, sqlUltima, {{QStringLiteral("ParIdAlbaran"), o.Albaran}})
                                 .value(QStringLiteral("ULTIMA"))
                                 .toInt();
                traspaso.numeroLinea = ultima + 1;
                const int linea = venta ? InsertarLineaAlbaranVenta(o.Albaran, o.Almacen)
                                        : InsertarLineaAlbaranCompra(o.Albaran, o.Almacen);
                if (registrar && fila > 0)
                    d.Ejecutar_Sentencia(
                        kRegistrarLinea,
                        {{QStringLiteral("LADO"), venta ? QStringLiteral("V") : QStringLiteral("C")},
                         {QStringLiteral("ALBARAN"), o.Albaran},
                         {QStringLiteral("LIBRO"), HuellaLibro},
                         {QStringLiteral("FILA"), fila},
                         {QStringLiteral("LINEA"), linea},
                         {QStringLiteral("INICIO"), inicio}});
                ultima = traspaso.numeroLinea;
            } catch (const std::exception& e) {
                ultima = -1; // what the failed line left in the note is read again
                // Keep going: the engine undoes the whole line (its savepoint) and lists it.
                if (d.motorEnCurso() && d.motorEnCurso()->opciones().continuar) throw;
                // The line is not written: what it wrote before the failing step (the line, its
                // stock movement) goes with it.
                if (d.motorEnCurso()) d.motorEnCurso()->deshacerFila();
                ++res.ConErrores;
                const QString texto =
                    QStringLiteral(
                        "Error al traspasar el artículo: ID:       %1\r\nCod. Art: %2\r\nArtículo: "
                        "%3\r\nCantidad1: %4\r\nCantidad2: %5\r\nMensaje: %6")
                        .arg(textoValor(t.value(QStringLiteral("IDARTICULOS"))),
                             t.value(QStringLiteral("CODIGO")).toString(),
                             t.value(QStringLiteral("NOMBRE")).toString(),
                             textoValor(t.value(QStringLiteral("CANTIDAD1"))),
                             textoValor(t.value(QStringLiteral("CANTIDAD2"))), TDatos::Texto_Error(e));
                d.canal().incidence(texto);
                d.Anotar_Fila_No_Escrita(d.Fila_Hoja(t, t.recNo()), TDatos::Texto_Error(e));
                return;
            }
            ++res.Escritas;
            t.edit();
            t.setValue(QStringLiteral("TRASPASADO"), true);
            t.post();
        };
        try {
            fin = d.Recorrer_Filas(t, r);
        } catch (...) {
            // What was written stays: so do its totals.
            try {
                sumarCompra();
            } catch (const std::exception&) {
            }
            throw;
        }
        sumarCompra();
        if (!filasOmitidas.isEmpty()) {
            std::sort(lineasOmitidas.begin(), lineasOmitidas.end());
            d.canal().incidence(
                (filasOmitidas.size() == 1
                     ? QStringLiteral("Fila %1: ya importada de este libro en este albarán (línea %2); no se "
                                      "ha traspasado otra vez.")
                     : QStringLiteral("Filas %1: ya importadas de este libro en este albarán (líneas %2); "
                                      "no se han traspasado otra vez."))
                    .arg(tramos(filasOmitidas), tramos(lineasOmitidas)));
        }
        res.texto = d.Terminar_Resumen(cuentas(), fin.cancelado, &res.motor);
    });
    res.ConErrores += res.motor.filasConErrores;

    // The line-incidence file, replacing any earlier one.
    if (!log.isEmpty()) {
        const QString carpeta =
            o.CarpetaIncidencias.isEmpty() ? QCoreApplication::applicationDirPath() : o.CarpetaIncidencias;
        res.FicheroIncidencias = QDir(carpeta).filePath(kFichero);
        QStringList lineas{venta ? QStringLiteral("-- INCIDENCIAS LÍNEAS ALBARAN DE VENTA --")
                                 : QStringLiteral("-- INCIDENCIAS LÍNEAS ALBARAN DE COMPRA --"),
                           Cabecera_Incidencias_LAVC(venta, BuscarArticuloPorIncidencias), QString()};
        lineas << log;
        QFile f(res.FicheroIncidencias);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            QStringEncoder latin1(QStringConverter::Latin1);
            f.write(latin1(lineas.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
        } else {
            d.canal().incidence(
                QStringLiteral("No se ha podido escribir el fichero %1.").arg(res.FicheroIncidencias));
            res.FicheroIncidencias.clear();
        }
    }

    // The whole delivery note; a dry run leaves it as it was.
    if (!opcionesMotor.simular) {
        d.canal().status(QStringLiteral("\r\n\r\n\r\nRecalculando el Albarán ..."));
        if (d.IBTransaction1.active()) d.IBTransaction1.commitRetaining();
        if (venta)
            ReCalcularAlbaran(o.Albaran);
        else
            ReCalcularAlbaranCompra(o.Albaran);
        if (d.IBTransaction1.active()) d.IBTransaction1.commitRetaining();
        res.Recalculado = true;
    }
    res.texto = QStringLiteral("Importación de líneas TERMINADA\r\n\r\n") + res.texto;
    if (!res.FicheroIncidencias.isEmpty())
        res.texto += QStringLiteral("\r\nLíneas no traspasadas en %1").arg(res.FicheroIncidencias);
    d.canal().message(qd::MessageKind::Information, res.texto);
    return res;
}
