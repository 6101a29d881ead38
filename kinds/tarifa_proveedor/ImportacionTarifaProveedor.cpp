// The supplier price-list import. The staging table RxTarifaProveedor (new values beside
// the stored ones), its loader over a title row the user chooses and the columns the user linked,
// and the confirmation that updates the supplier-article records, the article card, its formats
// and the sales price lists.
#include "ImportacionTarifaProveedor.h"

#include "AvisosLectura.h"
#include "FbError.h"
#include "SentenciasPreparadas.h"
#include "Sheet.h"

#include <QDateTime>
#include <QLocale>
#include <QScopeGuard>
#include <cmath>
#include <optional>

namespace {

using Tipo = TkvRxMemoryData::FieldType;
using qd::fb::Statement;

const QString kSeparadorEnlace = QStringLiteral("<-->");
const QString kReferencia = QStringLiteral("REFERENCIA_PROVEEDOR");

QString lineas(const QStringList& l) {
    return l.join(QStringLiteral("\r\n"));
}

// The supplier-article records of the supplier in the current company whose reference, or the
// article card's supplier reference, is the looked-up one (compared without regard to case).
// Without a reference (porReferencia false): every record of the supplier in the company, in the
// order the look-up by reference meets them, with both references upper-cased as it compares them.
QString sqlBuscarArticulo(qd::OpcionesTarifaProveedor::Ambito ambito, bool porReferencia = true) {
    QStringList l{
        QStringLiteral("SELECT ARTICULOSPROVEEDORES.REFERENCIA_PROVEEDOR, ARTICULOS.REFERENCIAPROVEEDOR,"),
        QStringLiteral(
            "       ARTICULOS.IDARTICULOS, ARTICULOSPROVEEDORES.ARTICULO, ARTICULOSPROVEEDORES.PROVEEDOR,"),
        QStringLiteral("       ARTICULOS.PROVEEDORHABITUAL, ARTICULOSPROVEEDORES.PRECIO, "
                       "ARTICULOSPROVEEDORES.DESCUENTO,"),
        QStringLiteral("       ARTICULOSPROVEEDORES.DESCUENTO1, ARTICULOSPROVEEDORES.DESCUENTO2,"),
        QStringLiteral("       ARTICULOSPROVEEDORES.DESCUENTO3, ARTICULOSPROVEEDORES.COSTOREAL,"),
        QStringLiteral("       ARTICULOSPROVEEDORES.PVPRECOMENDADO, ARTICULOSPROVEEDORES.ID_FORMATO,"),
        QStringLiteral("       ARTICULOSPROVEEDORES.CATALOGOWEB_SN, FORMATOS.CODIGO AS CODIGOFORMATO,"),
        QStringLiteral("       ARTICULOS.CODIGO, ARTICULOS.NOMBRE, ARTICULOS.PRECIOMEDIOCOSTE,"),
        QStringLiteral("       ARTICULOS.PRECIOULTIMACOMPRA, ARTICULOS.PRECIOMEDIOCOSTEESTANDARD,"),
        QStringLiteral("       ARTICULOS.DOBLESTOCK, TABLAIVA.PORCENTAJEIVA%1")
            .arg(porReferencia
                     ? QString()
                     : QStringLiteral(",\r\n       UPPER(ARTICULOSPROVEEDORES.REFERENCIA_PROVEEDOR) "
                                      "AS CLAVE_REGISTRO, UPPER(ARTICULOS.REFERENCIAPROVEEDOR) AS "
                                      "CLAVE_FICHA")),
        QStringLiteral("FROM ARTICULOSPROVEEDORES"),
        QStringLiteral("INNER JOIN ARTICULOS ON (ARTICULOSPROVEEDORES.ARTICULO = ARTICULOS.IDARTICULOS)"),
        QStringLiteral("INNER JOIN TABLAIVA ON (ARTICULOS.IVA = TABLAIVA.IDTABLAIVA)"),
        QStringLiteral("LEFT OUTER JOIN FORMATOS ON (ARTICULOSPROVEEDORES.ID_FORMATO = FORMATOS.IDFORMATOS)"),
        QStringLiteral("WHERE (ARTICULOSPROVEEDORES.PROVEEDOR = :PARPROVEEDOR) AND "
                       "(ARTICULOSPROVEEDORES.EMPRESA = :PAREMPRESA)%1")
            .arg(porReferencia ? QStringLiteral(" AND") : QString()),
    };
    if (porReferencia)
        l << QStringLiteral("  ((UPPER(ARTICULOSPROVEEDORES.REFERENCIA_PROVEEDOR) = :PARREFERENCIA)")
          << QStringLiteral("   OR (UPPER(ARTICULOS.REFERENCIAPROVEEDOR) = :PARREFERENCIA))");
    if (ambito == qd::OpcionesTarifaProveedor::Ambito::Familia)
        l << QStringLiteral(" AND (ARTICULOS.FAMILIA = :PARFAMILIA)");
    else if (ambito == qd::OpcionesTarifaProveedor::Ambito::Marca)
        l << QStringLiteral(" AND (ARTICULOS.MARCA = :PARMARCA)");
    if (!porReferencia) l << QStringLiteral("ORDER BY ARTICULOSPROVEEDORES.RDB$DB_KEY");
    return lineas(l);
}

// The supplier's records read once, by the upper-cased reference of the record and of the article
// card (trailing blanks aside, as the database compares them): a workbook row finds its records in
// the order the look-up by reference would return them, without a scan of the records per row.
class RegistrosProveedor {
public:
    // Reads the rows of a prepared statement with its values bound; without the two key columns
    // the rows are only kept (todas()).
    void leer(Statement& s) {
        s.execute();
        const int registro = s.fieldIndex(QStringLiteral("CLAVE_REGISTRO"));
        const int ficha = s.fieldIndex(QStringLiteral("CLAVE_FICHA"));
        for (int i = 0; i < s.fieldCount(); ++i)
            columnas_.insert(s.field(i).name().trimmed().toUpper(), i);
        while (!s.eof()) {
            std::vector<qd::fb::Field> fila;
            fila.reserve(size_t(s.fieldCount()));
            for (int i = 0; i < s.fieldCount(); ++i)
                fila.emplace_back(s.field(i).name(), s.field(i).asVariant());
            const int n = int(filas_.size());
            filas_.push_back(std::move(fila));
            if (registro < 0 || ficha < 0) {
                s.next();
                continue;
            }
            const QString a = clave(s.field(registro)), b = clave(s.field(ficha));
            if (!s.field(registro).isNull()) porClave_[a].push_back(n);
            if (!s.field(ficha).isNull() && (s.field(registro).isNull() || b != a)) porClave_[b].push_back(n);
            s.next();
        }
        s.close();
    }
    // The records whose reference or card reference is `referencia`, in the look-up's order.
    std::vector<int> buscar(const QString& referencia) const { return porClave_.value(clave(referencia)); }
    std::vector<int> todas() const {
        std::vector<int> v(filas_.size());
        for (size_t i = 0; i < v.size(); ++i)
            v[i] = int(i);
        return v;
    }
    // Whether the database would refuse `referencia` as the look-up's value (longer than the
    // references, or a character the database's character set lacks): the look-up tells why.
    static bool rechazable(const QString& referencia) {
        if (referencia.size() > kLongitudReferencia) return true;
        for (const QChar c : referencia)
            if (c.unicode() > 0xFF) return true;
        return false;
    }
    const qd::fb::Field& campo(int fila, const char* columna) const {
        return filas_[size_t(fila)][size_t(columnas_.value(QString::fromLatin1(columna)))];
    }

private:
    static constexpr int kLongitudReferencia = 18;
    static QString clave(const qd::fb::Field& f) { return clave(f.asString()); }
    static QString clave(QString t) {
        while (t.endsWith(QLatin1Char(' ')))
            t.chop(1);
        return t;
    }
    std::vector<std::vector<qd::fb::Field>> filas_;
    QHash<QString, int> columnas_;
    QHash<QString, std::vector<int>> porClave_;
};

const QString kActualizarFicha = lineas({
    QStringLiteral("update ARTICULOSPROVEEDORES"),
    QStringLiteral("set"),
    QStringLiteral("  COSTOREAL = :COSTOREAL,"),
    QStringLiteral("  DESCUENTO = :DESCUENTO,"),
    QStringLiteral("  DESCUENTO1 = :DESCUENTO1,"),
    QStringLiteral("  DESCUENTO2 = :DESCUENTO2,"),
    QStringLiteral("  DESCUENTO3 = :DESCUENTO3,"),
    QStringLiteral("  PRECIO = :PRECIO,"),
    QStringLiteral("  PVPRECOMENDADO = :PVPRECOMENDADO,"),
    QStringLiteral("  OBSERVACIONES = :OBSERVACIONES,"),
    QStringLiteral("  FECHAULTIMACOMPRA = :FECHAULTIMACOMPRA,"),
    QStringLiteral("  CATALOGOWEB_SN = :CATALOGOWEB_SN,"),
    QStringLiteral("  ID_FORMATO = :ID_FORMATO,"),
    QStringLiteral("  REFERENCIA_PROVEEDOR = :REFERENCIA_PROVEEDOR"),
    QStringLiteral("where"),
    QStringLiteral("  ARTICULO = :OLD_ARTICULO and"),
    QStringLiteral("  EMPRESA = :OLD_EMPRESA and"),
    QStringLiteral("  PROVEEDOR = :OLD_PROVEEDOR"),
});

const QString kReferenciaFicha = QStringLiteral(
    "UPDATE ARTICULOS SET REFERENCIAPROVEEDOR = :PARREFERENCIA WHERE (IDARTICULOS = :PARIDARTICULO);");
const QString kCalculoPmc =
    QStringLiteral("EXECUTE PROCEDURE PRCALCULOPMC(:PARARTICULO, :PARCANTIDAD, :PARPRECIO, :PARDESCUENTOS)");
const QString kCostesFicha = lineas({
    QStringLiteral("UPDATE ARTICULOS"),
    QStringLiteral("   SET PRECIOULTIMACOMPRA = :PUC,"),
    QStringLiteral("       PRECIOMEDIOCOSTE   = :VARPMC"),
    QStringLiteral("WHERE (IDARTICULOS = :PARARTICULO);"),
});
const QString kFormatoPorId =
    QStringLiteral("SELECT CODIGO, IDFORMATOS FROM FORMATOS WHERE (IDFORMATOS = :PARFORMATO);");
const QString kFormatoPorCodigo = QStringLiteral(
    "SELECT CODIGO, IDFORMATOS FROM FORMATOS WHERE ((CODIGO = :PARFORMATO) AND (ARTICULO = :PARARTICULO));");
const QString kCrearFormato = lineas({
    QStringLiteral("INSERT INTO FORMATOS (IDFORMATOS, CODIGO, NOMBRE, OBSERVACIONES, UNIDADESSTOCK1,"),
    QStringLiteral("                      UNIDADESSTOCK2, FECHAALTA, USUARIOALTA, ARTICULO, PRINCIPALSN, "
                   "SIGLAFORMATO)"),
    QStringLiteral("              VALUES (GEN_ID(GenIdFormatos, 1), :CODIGO, :NOMBRE, :OBSERVACIONES, "
                   ":UNIDADESSTOCK1,"),
    QStringLiteral(
        "                      :UNIDADESSTOCK2, :FECHAALTA, :USUARIOALTA, :ARTICULO, :PRINCIPALSN, "
        ":SIGLAFORMATO)"),
    QStringLiteral("RETURNING IDFORMATOS"),
});
const QString kEnlazarFormato = lineas({
    QStringLiteral("UPDATE ARTICULOSPROVEEDORES SET"),
    QStringLiteral("       ID_FORMATO = :ID_FORMATO"),
    QStringLiteral("WHERE"),
    QStringLiteral("  ARTICULO = :OLD_ARTICULO and"),
    QStringLiteral("  EMPRESA = :OLD_EMPRESA and"),
    QStringLiteral("  PROVEEDOR = :OLD_PROVEEDOR"),
});
const QString kBuscarTarifaArticulo = lineas({
    QStringLiteral("SELECT I.PORCENTAJECOMISION, TA.IDTARIFASARTICULOS, TA.SUMARGASTOS,"),
    QStringLiteral("       I.PORCENTAJEDESCUENTO, A.GASTOMEDIO"),
    QStringLiteral("FROM INTERVALOSTARIFASARTICULOS I"),
    QStringLiteral("INNER JOIN TARIFASARTICULOS TA ON ((I.TARIFAARTICULO = TA.IDTARIFASARTICULOS) AND "
                   "(I.DESDE = 1))"),
    QStringLiteral("INNER JOIN ARTICULOS A ON (TA.ARTICULO = A.IDARTICULOS)"),
    QStringLiteral("WHERE ((TA.TARIFA = :PARIDTARIFA) AND (TA.ARTICULO = :PARIDARTICULO))"),
});
const QString kActualizarIntervalo = lineas({
    QStringLiteral("update IntervalosTarifasArticulos set"),
    QStringLiteral("  IMPORTEVENTA = :IMPORTEVENTA,"),
    QStringLiteral("  IMPORTEVENTACONIVA = :IMPORTEVENTACONIVA,"),
    QStringLiteral("  PORCENTAJEBENEFICIO = :PORCENTAJEBENEFICIO,"),
    QStringLiteral("  IMPORTEBENEFICIO = :IMPORTEBENEFICIO,"),
    QStringLiteral("  IMPORTECOMISION = :IMPORTECOMISION,"),
    QStringLiteral("  PORCENTAJEDESCUENTO = :PORCENTAJEDESCUENTO"),
    QStringLiteral("where TARIFAARTICULO = :PARTARIFAARTICULO and DESDE = 1"),
});

} // namespace

QStringList qd::OpcionesTarifaProveedor::camposEnlazables() {
    return {QStringLiteral("REFERENCIA_PROVEEDOR"),
            QStringLiteral("PRECIO"),
            QStringLiteral("DESCUENTO"),
            QStringLiteral("DESCUENTO2"),
            QStringLiteral("DESCUENTO3"),
            QStringLiteral("COSTOREAL"),
            QStringLiteral("CODIGOEAN"),
            QStringLiteral("NOMBRE_ARTICULO")};
}

double qd::OpcionesTarifaProveedor::leerDescuento(const QString& texto) {
    QString t = texto.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    return ok ? v : 0.0;
}

ImportacionTarifaProveedor::ImportacionTarifaProveedor(TDatos& datos) : d(datos) {
    Definir_kvRxMDTarifaProveedor();
}

QString ImportacionTarifaProveedor::Clave_Referencia_Proveedor(const QString& referencia,
                                                               const QString& prefijo) {
    QString r = referencia.trimmed().toUpper();
    const QString p = prefijo.trimmed().toUpper();
    if (!p.isEmpty() && r.startsWith(p)) r = r.mid(p.size()).trimmed();
    return r;
}

double ImportacionTarifaProveedor::Redondear(double valor, int decimales) {
    const double f = std::pow(10.0, -decimales);
    const double h = valor >= 0 ? 0.5 : -0.5;
    // Past 2^52 a double has no fraction left to round, and the integer would overflow.
    if (!(std::fabs(valor / f) < 4503599627370496.0)) return valor;
    return static_cast<double>(static_cast<qint64>(valor / f + h)) * f;
}

std::optional<QString> ImportacionTarifaProveedor::Valores_Fuera_De_Rango(const TkvRxMemoryData& t) {
    const QString tabla = QStringLiteral("ARTICULOSPROVEEDORES");
    for (const char* c : {"DESCUENTO", "DESCUENTO1", "DESCUENTO2", "DESCUENTO3"}) {
        const double v = t.value(QString::fromLatin1(c)).toDouble();
        if (!(v >= 0 && v <= 100))
            return QStringLiteral("%1 «%2»: un descuento va de 0 a 100 %")
                .arg(QString::fromLatin1(c), qd::LimitesColumnas::texto(v));
    }
    for (const char* c : {"PRECIO", "COSTOREAL", "DESCUENTO"}) {
        const double v = t.value(QString::fromLatin1(c)).toDouble();
        if (const auto fuera = limites_.fuera(tabla, QString::fromLatin1(c), v, 2))
            return QStringLiteral("%1 «%2»: %3")
                .arg(QString::fromLatin1(c), qd::LimitesColumnas::texto(v), *fuera);
    }
    return std::nullopt;
}

void ImportacionTarifaProveedor::Definir_kvRxMDTarifaProveedor() {
    auto& t = RxTarifaProveedor;
    t.name = QStringLiteral("RxTarifaProveedor");
    auto campo = [&t](const char* nombre, Tipo tipo, int tam, const QString& etiqueta,
                      const QString& formato = {}) {
        t.addField({QString::fromLatin1(nombre), tipo, tam, etiqueta, formato});
    };
    const QString f = QStringLiteral("#,##0.00");
    const QString p = QStringLiteral("#,##0.00 %");
    campo("REFERENCIA_PROVEEDOR", Tipo::String, 35, QStringLiteral("Ref. Proveedor"));
    campo("Codigo", Tipo::String, 18, QStringLiteral("Código"));
    campo("Nombre", Tipo::String, 50, QStringLiteral("Artículo"));
    campo("PRECIO", Tipo::Float, 0, QStringLiteral("Precio"), f);
    campo("ANTERIOR_PRECIO", Tipo::Float, 0, QStringLiteral("Anterior~Precio"), f);
    campo("COSTOREAL", Tipo::Float, 0, QStringLiteral("Costo Real"), f);
    campo("ANTERIOR_COSTOREAL", Tipo::Float, 0, QStringLiteral("Anterior~Costo Real"), f);
    campo("DESCUENTO1", Tipo::Float, 0, QStringLiteral("Dto. 1"), p);
    campo("ANTERIOR_DESCUENTO1", Tipo::Float, 0, QStringLiteral("Anterior~Dto. 1"), p);
    campo("DESCUENTO2", Tipo::Float, 0, QStringLiteral("Dto. 2"), p);
    campo("ANTERIOR_DESCUENTO2", Tipo::Float, 0, QStringLiteral("Anterior~Dto. 2"), p);
    campo("DESCUENTO3", Tipo::Float, 0, QStringLiteral("Dto. 3"), p);
    campo("ANTERIOR_DESCUENTO3", Tipo::Float, 0, QStringLiteral("Anterior~Dto. 3"), p);
    campo("DESCUENTO", Tipo::Float, 0, QStringLiteral("Total Dtos."), p);
    campo("ANTERIOR_DESCUENTO", Tipo::Float, 0, QStringLiteral("Anterior~Total Dtos."), p);
    campo("PMC", Tipo::Float, 0, QStringLiteral("En Ficha~P.M.C."), f);
    campo("PUC", Tipo::Float, 0, QStringLiteral("En Ficha~P.U.C."), f);
    campo("CODIGOEAN", Tipo::String, 18, QStringLiteral("Cód. EAN"));
    campo("ANTERIOR_CODIGOEAN", Tipo::String, 18, QStringLiteral("Anterior~Cód. EAN"));
    campo("CATALOGOWEB_SN", Tipo::SmallInt, 0, QStringLiteral("Catálogo WEB"));
    campo("CODTarifa1", Tipo::String, 4, QStringLiteral("Tarifa 1"));
    campo("CODTarifa2", Tipo::String, 4, QStringLiteral("Tarifa 2"));
    campo("CODTarifa3", Tipo::String, 4, QStringLiteral("Tarifa 3"));
    campo("PORCENTAJEIVA", Tipo::Float, 0, QStringLiteral("% IVA"));
    campo("ANTERIOR_PVPRECOMENDADO", Tipo::Float, 0, QStringLiteral("Anterior~PVP Recomendado"), f);
    campo("PVP_RECOMENDADO", Tipo::Float, 0, QStringLiteral("PVP~Recomendado"), f);
    campo("IdProveedor", Tipo::Integer, 0, QString());
    campo("IdProveedorHabitual", Tipo::Integer, 0, QString());
    campo("IdArticulo", Tipo::Integer, 0, QString());
    campo("Articulo", Tipo::Integer, 0, QString());
    campo("ANTERIOR_REFERENCIA_PROVEEDOR", Tipo::String, 35, QString());
    campo("IDTarifa1", Tipo::Integer, 0, QString());
    campo("IDTarifa2", Tipo::Integer, 0, QString());
    campo("IDTarifa3", Tipo::Integer, 0, QString());
    campo("ID_FORMATO", Tipo::Integer, 0, QString());
    campo("DOBLESTOCK", Tipo::SmallInt, 0, QString());
    campo("PCE", Tipo::Float, 0, QString());
    campo("REFERENCIAPROVEEDOR", Tipo::String, 18, QString());
    campo("NOMBRE_ARTICULO", Tipo::String, 100, QString());
    // The reference that matched (without the prefix): the one written back, so that the next
    // load of the same list matches it again.
    campo("REFERENCIA_BUSQUEDA", Tipo::String, 35, QString());
    // 1 when the price cell was empty: the stored price stays, and with it the recommended price
    // and the sales price lists.
    campo("PRECIO_GUARDADO", Tipo::SmallInt, 0, QString());
}

QStringList ImportacionTarifaProveedor::Titulos_Tarifa_Proveedor(int filaTitulos) const {
    QStringList titulos;
    if (!d.hayExcel()) return titulos;
    const qd::wb::Sheet& hoja = d.hojaExcel();
    int inicial = 1;
    while (inicial <= 3 && hoja.text(filaTitulos, inicial).trimmed().isEmpty())
        ++inicial;
    if (inicial > 3) return titulos;
    for (int c = inicial; c <= d.Ultima_Columna_Excel(); ++c) {
        const QString t = hoja.text(filaTitulos, c).trimmed().toUpper();
        if (t.isEmpty()) break;
        titulos << t;
    }
    return titulos;
}

ImportacionTarifaProveedor::ColumnasEnlazadas
ImportacionTarifaProveedor::Columnas_Enlazadas(int filaTitulos, const QStringList& enlaces) const {
    const qd::wb::Sheet& hoja = d.hojaExcel();
    const int T = filaTitulos;
    ColumnasEnlazadas r;
    // The titles: contiguous from the first of columns 1 to 3 that holds one.
    r.inicial = 1;
    while (r.inicial <= 3 && hoja.text(T, r.inicial).trimmed().isEmpty())
        ++r.inicial;
    if (r.inicial > 3)
        throw qd::ErrorImportacion(
            QStringLiteral("La fila %1 no tiene títulos en sus columnas A, B o C.").arg(T));
    QHash<QString, int> columnaDe; // title → first column with that title
    for (int c = r.inicial; c <= d.Ultima_Columna_Excel(); ++c) {
        const QString titulo = hoja.text(T, c).trimmed().toUpper();
        if (titulo.isEmpty()) break;
        r.cabeceras << titulo;
        if (!columnaDe.contains(titulo)) columnaDe.insert(titulo, c);
    }

    // Each link names a title of the row exactly and a linkable field.
    const QStringList enlazables = OpcionesTarifaProveedor::camposEnlazables();
    for (const QString& enlace : enlaces) {
        const int sep = enlace.indexOf(kSeparadorEnlace);
        const QString titulo = (sep < 0 ? QString() : enlace.left(sep)).trimmed().toUpper();
        const QString campo =
            (sep < 0 ? QString() : enlace.mid(sep + kSeparadorEnlace.size())).trimmed().toUpper();
        if (sep < 0 || !enlazables.contains(campo))
            throw qd::ErrorImportacion(QStringLiteral("Enlace no válido: «%1».").arg(enlace));
        if (!columnaDe.contains(titulo))
            throw qd::ErrorImportacion(
                QStringLiteral("La columna «%1» no está en la fila de títulos %2.").arg(titulo).arg(T));
        r.columnas << qMakePair(columnaDe.value(titulo), campo);
    }
    return r;
}

int ImportacionTarifaProveedor::cargarTarifaProveedor(const QString& fichero,
                                                      const OpcionesTarifaProveedor& o) {
    d.Exigir_Conexion();
    if (o.IdProveedor <= 0)
        throw qd::ErrorImportacion(
            QStringLiteral("Debe indicarse el Proveedor a Importar los nuevos Precios."));
    if (o.Enlaces.isEmpty())
        throw qd::ErrorImportacion(QStringLiteral("Debe enlazarse los campos antes de cargar los precios."));
    if (o.AplicarDtos)
        for (size_t n = 0; n < o.Dtos.size(); ++n)
            if (!(o.Dtos[n] >= 0 && o.Dtos[n] <= 100))
                throw qd::ErrorImportacion(
                    QStringLiteral("El descuento %1 de las opciones, %2 %, no está entre 0 y 100.")
                        .arg(n + 1)
                        .arg(qd::LimitesColumnas::texto(o.Dtos[n])));
    d.canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    d.CargarExcel(fichero);

    TkvRxMemoryData& t = RxTarifaProveedor;
    t.close();
    t.open();
    d.Filas_No_Escritas.clear();
    const qd::wb::Sheet& hoja = d.hojaExcel();
    const int T = o.FilaTitulos;

    TDatos::CargaHoja& carga = d.cargas_[&t];
    carga = TDatos::CargaHoja{};
    const ColumnasEnlazadas enlazadas = Columnas_Enlazadas(T, o.Enlaces);
    carga.cabeceras = enlazadas.cabeceras;
    qd::avisosLectura(hoja, d.canal());
    const int inicial = enlazadas.inicial;
    const auto& columnas = enlazadas.columnas;
    // Incidences name the columns by their titles on the title row.
    d.filaTitulos_ = T;
    const auto cabecerasFila1 = qScopeGuard([this] { d.filaTitulos_ = 1; });
    int columnaReferencia = 0;
    for (const auto& [c, campo] : columnas)
        if (campo == kReferencia) columnaReferencia = c;

    using Ambito = OpcionesTarifaProveedor::Ambito;
    Ambito ambito = Ambito::Todos;
    if (o.ambito == Ambito::Familia && o.IdFamilia > 0)
        ambito = Ambito::Familia;
    else if (o.ambito == Ambito::Marca && o.IdMarca > 0)
        ambito = Ambito::Marca;
    Statement buscar(&d.IBDatabase, &d.IBTransaction1);
    buscar.setSql(sqlBuscarArticulo(ambito));
    RegistrosProveedor registros;
    {
        Statement todos(&d.IBDatabase, &d.IBTransaction1);
        todos.setSql(sqlBuscarArticulo(ambito, false));
        d.IBTransaction1.ensureStarted();
        todos.prepare();
        todos.paramByName(QStringLiteral("PARPROVEEDOR")).setInt(o.IdProveedor);
        todos.paramByName(QStringLiteral("PAREMPRESA")).setInt(d.IdEmpresa);
        if (ambito == Ambito::Familia) todos.paramByName(QStringLiteral("PARFAMILIA")).setInt(o.IdFamilia);
        if (ambito == Ambito::Marca) todos.paramByName(QStringLiteral("PARMARCA")).setInt(o.IdMarca);
        registros.leer(todos);
    }

    const int L = d.Ultima_Fila_Excel();
    const int N = std::max(0, L - T);
    d.canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    d.canal().progressOpen(N);
    d.Abortar_Proceso = false;
    QString ultima;
    for (int R = T + 1; R <= L; ++R) {
        if (!hoja.text(R, inicial).trimmed().isEmpty()) {
            t.append();
            // Why the row is not loaded (told when found); empty while it is.
            QString rechazo;
            // An empty price cell keeps the stored price: an empty price is no price of 0. (The
            // other number columns are worked out below from the options and the stored record.)
            int columnaPrecioVacia = 0;
            for (const auto& [c, campo] : columnas) {
                const int idx = t.fieldIndex(campo);
                if (campo != QLatin1String("PRECIO")) {
                    if (t.fieldDefs().at(idx).type == Tipo::Float)
                        d.Poner_Celda_Staging(t, idx, R, c);
                    else
                        d.Poner_Valor_Celda(t, idx, hoja.text(R, c).trimmed().toUpper(), R, c);
                    continue;
                }
                const qd::wb::Cell celda = hoja.cell(R, c);
                const QString texto = hoja.text(R, c).trimmed();
                bool numero = celda.type == qd::wb::CellType::Number;
                double valor = celda.number;
                // A price written as text: with a comma, the comma is its decimal separator
                // ("1.234,5"); without one, the point ("12.5").
                if (!numero && !texto.isEmpty())
                    valor = (texto.contains(u',') ? QLocale(QLocale::Spanish) : QLocale::c())
                                .toDouble(texto, &numero);
                if (numero) {
                    t.setValue(idx, valor);
                } else if (texto.isEmpty()) {
                    columnaPrecioVacia = c;
                } else {
                    rechazo =
                        QStringLiteral("Columna %1: «%2» no es un precio").arg(d.Cabecera_Columna(c), texto);
                    d.Incidencia_Celda(R, d.Cabecera_Columna(c), texto,
                                       QStringLiteral("no es un precio; la fila no se carga."));
                }
            }
            const QString referencia = t.value(kReferencia).toString();
            ultima = referencia;
            const QString clave = Clave_Referencia_Proveedor(referencia, o.PrefijoReferencia);
            try {
                // The records of the reference: from those read once, or (a value the database
                // refuses) by the look-up itself, which says why.
                std::vector<int> hallados;
                RegistrosProveedor consultados;
                const RegistrosProveedor* fuente = &registros;
                if (RegistrosProveedor::rechazable(clave)) {
                    d.IBTransaction1.ensureStarted();
                    if (!buscar.prepared()) buscar.prepare();
                    buscar.paramByName(QStringLiteral("PARPROVEEDOR")).setInt(o.IdProveedor);
                    buscar.paramByName(QStringLiteral("PAREMPRESA")).setInt(d.IdEmpresa);
                    buscar.paramByName(QStringLiteral("PARREFERENCIA")).setString(clave);
                    if (ambito == Ambito::Familia)
                        buscar.paramByName(QStringLiteral("PARFAMILIA")).setInt(o.IdFamilia);
                    if (ambito == Ambito::Marca)
                        buscar.paramByName(QStringLiteral("PARMARCA")).setInt(o.IdMarca);
                    consultados.leer(buscar);
                    fuente = &consultados;
                    hallados = consultados.todas();
                } else {
                    hallados = registros.buscar(clave);
                }
                // The article whose usual supplier is this supplier first, else the first found.
                bool hallado = false;
                for (const int fila : hallados) {
                    auto d = [&](const char* c) -> const qd::fb::Field& { return fuente->campo(fila, c); };
                    const bool habitual = d("PROVEEDORHABITUAL").asInt() == o.IdProveedor;
                    if (!hallado || habitual) {
                        hallado = true;
                        auto num = [&](const char* c) { return d(c).isNull() ? 0.0 : d(c).asDouble(); };
                        auto idPositivo = [&](const char* c) {
                            const qint64 v = d(c).isNull() ? 0 : d(c).asInt();
                            return v >= 1 ? QVariant(v) : QVariant();
                        };
                        t.setValue(QStringLiteral("IdArticulo"), d("IDARTICULOS").asInt());
                        t.setValue(QStringLiteral("Codigo"), d("CODIGO").asString().trimmed());
                        t.setValue(QStringLiteral("Nombre"), d("NOMBRE").asString());
                        t.setValue(QStringLiteral("ANTERIOR_CODIGOEAN"), d("CODIGOFORMATO").asVariant());
                        t.setValue(QStringLiteral("ID_FORMATO"), idPositivo("ID_FORMATO"));
                        t.setValue(QStringLiteral("DOBLESTOCK"), static_cast<int>(num("DOBLESTOCK")));
                        t.setValue(QStringLiteral("CATALOGOWEB_SN"), static_cast<int>(num("CATALOGOWEB_SN")));
                        t.setValue(QStringLiteral("ANTERIOR_PRECIO"), num("PRECIO"));
                        t.setValue(QStringLiteral("ANTERIOR_DESCUENTO"), num("DESCUENTO"));
                        t.setValue(QStringLiteral("ANTERIOR_DESCUENTO1"), num("DESCUENTO1"));
                        t.setValue(QStringLiteral("ANTERIOR_DESCUENTO2"), num("DESCUENTO2"));
                        t.setValue(QStringLiteral("ANTERIOR_DESCUENTO3"), num("DESCUENTO3"));
                        t.setValue(QStringLiteral("ANTERIOR_COSTOREAL"), num("COSTOREAL"));
                        t.setValue(QStringLiteral("ANTERIOR_PVPRECOMENDADO"), num("PVPRECOMENDADO"));
                        t.setValue(QStringLiteral("PMC"), Redondear(num("PRECIOMEDIOCOSTE"), 2));
                        t.setValue(QStringLiteral("PUC"), Redondear(num("PRECIOULTIMACOMPRA"), 2));
                        t.setValue(QStringLiteral("PCE"), Redondear(num("PRECIOMEDIOCOSTEESTANDARD"), 2));
                        t.setValue(QStringLiteral("Articulo"), idPositivo("ARTICULO"));
                        t.setValue(QStringLiteral("IdProveedorHabitual"), idPositivo("PROVEEDORHABITUAL"));
                        t.setValue(QStringLiteral("IdProveedor"), idPositivo("PROVEEDOR"));
                        const QString anterior = d("REFERENCIA_PROVEEDOR").asString();
                        t.setValue(QStringLiteral("ANTERIOR_REFERENCIA_PROVEEDOR"),
                                   anterior.isEmpty() ? QVariant() : QVariant(anterior));
                        t.setValue(QStringLiteral("REFERENCIAPROVEEDOR"),
                                   d("REFERENCIAPROVEEDOR").asVariant());
                        t.setValue(QStringLiteral("PORCENTAJEIVA"), num("PORCENTAJEIVA"));
                        for (int n = 0; n < 3; ++n) {
                            const QString k = QString::number(n + 1);
                            const char* col = n == 0 ? "DESCUENTO1" : n == 1 ? "DESCUENTO2" : "DESCUENTO3";
                            t.setValue(QStringLiteral("DESCUENTO") + k,
                                       o.AplicarDtos ? o.Dtos[size_t(n)] : num(col));
                        }
                        if (!o.AplicarDtos) t.setValue(QStringLiteral("DESCUENTO"), num("DESCUENTO"));
                    }
                    if (habitual) break;
                }
                if (hallado) {
                    if (columnaPrecioVacia > 0) {
                        t.setValue(QStringLiteral("PRECIO"), t.value(QStringLiteral("ANTERIOR_PRECIO")));
                        t.setValue(QStringLiteral("PRECIO_GUARDADO"), 1);
                        d.Incidencia_Celda(
                            R, d.Cabecera_Columna(columnaPrecioVacia), QString(),
                            QStringLiteral("está vacía: se mantienen el precio guardado (%1), el PVP "
                                           "recomendado y las tarifas.")
                                .arg(qd::LimitesColumnas::texto(
                                    t.value(QStringLiteral("ANTERIOR_PRECIO")).toDouble())));
                    }
                    t.setValue(QStringLiteral("REFERENCIA_BUSQUEDA"), clave);
                    for (int n = 0; n < 3; ++n) {
                        const QString k = QString::number(n + 1);
                        if (o.IDTarifa[size_t(n)] > 0)
                            t.setValue(QStringLiteral("IDTarifa") + k, o.IDTarifa[size_t(n)]);
                        if (!o.CODTarifa[size_t(n)].isEmpty())
                            t.setValue(QStringLiteral("CODTarifa") + k, o.CODTarifa[size_t(n)]);
                    }
                    const double P = t.value(QStringLiteral("PRECIO")).toDouble();
                    const double d1 = t.value(QStringLiteral("DESCUENTO1")).toDouble();
                    const double d2 = t.value(QStringLiteral("DESCUENTO2")).toDouble();
                    const double d3 = t.value(QStringLiteral("DESCUENTO3")).toDouble();
                    if (o.AplicarDtos) {
                        const double a = d1 / 100 * P;
                        const double b = d2 / 100 * (P - a);
                        const double c = d3 / 100 * (P - a - b);
                        t.setValue(QStringLiteral("DESCUENTO"),
                                   P == 0 ? 0.0 : Redondear(100 * (a + b + c) / P, 2));
                    }
                    // The real cost applies every positive discount in turn, as the total does.
                    double costo = P;
                    if (o.DtosEnCostoReal)
                        for (const double dto : {d1, d2, d3})
                            if (dto > 0) costo -= costo * dto / 100;
                    t.setValue(QStringLiteral("COSTOREAL"), Redondear(costo, 2));
                    if (rechazo.isEmpty())
                        if (const auto fuera = Valores_Fuera_De_Rango(t)) {
                            rechazo = *fuera;
                            d.canal().incidence(
                                QStringLiteral("Fila %1: %2; la fila no se carga.").arg(R).arg(*fuera));
                        }
                }
            } catch (const std::exception& e) {
                buscar.close();
                d.canal().incidence(QStringLiteral("Fila %1: %2").arg(R).arg(TDatos::Texto_Error(e)));
            }
            if (!rechazo.isEmpty()) {
                t.cancel();
                d.Anotar_Fila_No_Escrita(R, rechazo);
            } else if (t.value(QStringLiteral("IdArticulo")).toInt() >= 1) {
                t.post();
                carga.filas.push_back(R);
            } else {
                t.cancel();
                d.Incidencia_Celda(
                    R, columnaReferencia > 0 ? d.Cabecera_Columna(columnaReferencia) : kReferencia,
                    referencia,
                    QStringLiteral("no es referencia de ninguna ficha del proveedor; la fila no se carga."));
                d.Anotar_Fila_No_Escrita(
                    R, QStringLiteral("Referencia sin ficha del proveedor: %1").arg(referencia));
            }
        }
        d.canal().progressStep(
            QStringLiteral("Referencia:  %1\r\n\r\nReg.: %2 de %3").arg(ultima).arg(R - T).arg(N));
        if (d.canal().processEventsAndCancelled()) break;
    }
    d.canal().progressClose();
    t.first();
    d.canal().status(QStringLiteral("Nº. Reg.:  %1").arg(t.recordCount()));
    return t.recordCount();
}

void ImportacionTarifaProveedor::Eliminar_Espacios_Referencias(int idProveedor) {
    d.Exigir_Conexion();
    d.Ejecutar_Sentencia(QStringLiteral("EXECUTE PROCEDURE PRLIMPIARESPACIOSENREFERECIAS(:PARIDPROVEEDOR);"),
                         {{QStringLiteral("PARIDPROVEEDOR"), idProveedor}});
    d.IBTransaction1.commitRetaining();
}

bool ImportacionTarifaProveedor::Actualizar_Intervalo_Tarifa(int idTarifa, int idArticulo, double descuento,
                                                             double costo, double porcentajeIVA,
                                                             double precio) {
    std::optional<Statement> propia;
    Statement& buscar = SentenciasPreparadas::para(d, propia, kBuscarTarifaArticulo);
    d.IBTransaction1.ensureStarted();
    buscar.paramByName(QStringLiteral("PARIDTARIFA")).setInt(idTarifa);
    buscar.paramByName(QStringLiteral("PARIDARTICULO")).setInt(idArticulo);
    buscar.execute();
    if (buscar.eof() || buscar.fieldByName(QStringLiteral("IDTARIFASARTICULOS")).asInt() <= 0) {
        buscar.close();
        return false; // the article is not in that price list: nothing is created
    }
    auto num = [&](const char* c) {
        const auto& f = buscar.fieldByName(QString::fromLatin1(c));
        return f.isNull() ? 0.0 : f.asDouble();
    };
    const qint64 idTarifaArticulo = buscar.fieldByName(QStringLiteral("IDTARIFASARTICULOS")).asInt();
    const double p = precio;
    const double comision = num("PORCENTAJECOMISION");
    double coste = costo;
    if (num("SUMARGASTOS") == 1) coste += num("GASTOMEDIO");
    // No discount given keeps the one the interval has.
    if (descuento == 0) descuento = Redondear(num("PORCENTAJEDESCUENTO"), 2);
    buscar.close();
    const double importeDescuento = p * descuento * 0.01;
    const double beneficio = p - coste - importeDescuento;
    const double neto = p - importeDescuento;
    const double porcentajeBeneficio = (coste == 0 || neto == 0) ? 0.0 : beneficio * 100 / neto;
    const QList<QPair<QString, double>> valores{
        {QStringLiteral("IMPORTEVENTA"), Redondear(p, 3)},
        {QStringLiteral("IMPORTEVENTACONIVA"), Redondear(p + p * porcentajeIVA * 0.01, 3)},
        {QStringLiteral("PORCENTAJEBENEFICIO"), Redondear(porcentajeBeneficio, 3)},
        {QStringLiteral("IMPORTEBENEFICIO"), Redondear(beneficio, 3)},
        {QStringLiteral("IMPORTECOMISION"), Redondear(p * comision * 0.01, 3)},
        {QStringLiteral("PORCENTAJEDESCUENTO"), Redondear(descuento, 3)}};
    // A result the interval's column cannot hold refuses the row (the engine undoes what it wrote).
    for (const auto& [columna, valor] : valores)
        if (const auto fuera =
                limites_.fuera(QStringLiteral("INTERVALOSTARIFASARTICULOS"), columna, valor, 3))
            throw qd::ErrorImportacion(QStringLiteral("tarifa %1, %2 «%3»: %4; la fila no se escribe.")
                                           .arg(idTarifa)
                                           .arg(columna, qd::LimitesColumnas::texto(valor), *fuera));
    QList<QPair<QString, QVariant>> parametros;
    for (const auto& [columna, valor] : valores)
        parametros.append({columna, valor});
    parametros.append({QStringLiteral("PARTARIFAARTICULO"), idTarifaArticulo});
    d.Ejecutar_Sentencia(kActualizarIntervalo, parametros);
    return true;
}

bool ImportacionTarifaProveedor::Asignar_Formato_EAN(const FormatoEAN& f) {
    std::optional<Statement> propia;
    d.IBTransaction1.ensureStarted();
    auto buscarFormato = [&](bool porId) {
        Statement& formato = SentenciasPreparadas::para(d, propia, porId ? kFormatoPorId : kFormatoPorCodigo);
        if (porId)
            formato.paramByName(QStringLiteral("PARFORMATO")).setInt(f.idFormato);
        else {
            formato.paramByName(QStringLiteral("PARFORMATO")).setString(f.ean);
            formato.paramByName(QStringLiteral("PARARTICULO")).setInt(f.idArticulo);
        }
        formato.execute();
        const qint64 id = formato.eof() ? 0 : formato.fieldByName(QStringLiteral("IDFORMATOS")).asInt();
        formato.close();
        return id;
    };
    bool creado = false;
    qint64 hallado = buscarFormato(f.idFormato >= 1);
    if (hallado <= 0) {
        Statement& formato = SentenciasPreparadas::para(d, propia, kCrearFormato);
        const QList<QPair<QString, QVariant>> ps{
            {QStringLiteral("CODIGO"), f.ean},
            {QStringLiteral("NOMBRE"), f.nombre},
            {QStringLiteral("OBSERVACIONES"), f.observaciones},
            {QStringLiteral("UNIDADESSTOCK1"), 1},
            {QStringLiteral("UNIDADESSTOCK2"), f.dobleStock ? 1 : 0},
            {QStringLiteral("FECHAALTA"), QDateTime::currentDateTime()},
            {QStringLiteral("USUARIOALTA"), d.IdUsuario},
            {QStringLiteral("ARTICULO"), f.idArticulo},
            {QStringLiteral("PRINCIPALSN"), 1},
            {QStringLiteral("SIGLAFORMATO"), f.dobleStock ? QStringLiteral("Kg") : QStringLiteral("Und")}};
        for (const auto& [n, valor] : ps)
            formato.paramByName(n).setVariant(valor);
        formato.execute();
        hallado = formato.fieldByName(QStringLiteral("IDFORMATOS")).asInt();
        formato.close();
        creado = true;
    }
    if (hallado > 0 && !(hallado == f.idFormato && f.idFormato != 0))
        d.Ejecutar_Sentencia(kEnlazarFormato, {{QStringLiteral("OLD_ARTICULO"), f.idArticulo},
                                               {QStringLiteral("OLD_EMPRESA"), d.IdEmpresa},
                                               {QStringLiteral("OLD_PROVEEDOR"), f.idProveedor},
                                               {QStringLiteral("ID_FORMATO"), hallado}});
    return creado;
}

ImportacionTarifaProveedor::ResumenTarifaProveedor
ImportacionTarifaProveedor::confirmarTarifaProveedor(const OpcionesTarifaProveedor& o,
                                                     const qd::OpcionesMotor& opcionesMotor) {
    d.Exigir_Conexion();
    d.canal().status(QStringLiteral("Actualizando los Precios de Artículos Proveedor"));
    ResumenTarifaProveedor r = d.Con_Motor(opcionesMotor, [&](qd::MotorFilas&) {
        const SentenciasPreparadas preparadas(d);
        ResumenTarifaProveedor r;
        TkvRxMemoryData& t = RxTarifaProveedor;
        Statement ficha(&d.IBDatabase, &d.IBTransaction1);
        ficha.setSql(kActualizarFicha);
        Statement pmc(&d.IBDatabase, &d.IBTransaction1);
        pmc.setSql(kCalculoPmc);
        const QDateTime ahora = QDateTime::currentDateTime();
        const QString observaciones = QStringLiteral("Importación Excel: [") +
                                      ahora.date().toString(QStringLiteral("dd/MM/yyyy")) +
                                      QStringLiteral("] ") + o.Fichero;
        auto v = [&t](const char* c) { return t.value(QString::fromLatin1(c)); };
        auto escribir = [&] {
            const int idArticulo = v("IdArticulo").toInt();
            const QString referencia = v("REFERENCIA_PROVEEDOR").toString();
            const QList<QPair<QString, QVariant>> clave{{QStringLiteral("OLD_ARTICULO"), idArticulo},
                                                        {QStringLiteral("OLD_EMPRESA"), d.IdEmpresa},
                                                        {QStringLiteral("OLD_PROVEEDOR"), o.IdProveedor}};
            // Values edited after the load are held to the same ranges; nothing of the row is written.
            if (const auto fuera = Valores_Fuera_De_Rango(t))
                throw qd::ErrorImportacion(
                    QStringLiteral("referencia %1: %2; la fila no se escribe.").arg(referencia, *fuera));
            // The supplier record.
            for (const char* c :
                 {"COSTOREAL", "DESCUENTO", "DESCUENTO1", "DESCUENTO2", "DESCUENTO3", "PRECIO"})
                ficha.paramByName(QString::fromLatin1(c)).setVariant(v(c).toDouble());
            const bool precioGuardado = v("PRECIO_GUARDADO").toInt() == 1;
            ficha.paramByName(QStringLiteral("PVPRECOMENDADO"))
                .setVariant(precioGuardado ? v("ANTERIOR_PVPRECOMENDADO").toDouble()
                                           : v("PRECIO").toDouble());
            ficha.paramByName(QStringLiteral("OBSERVACIONES")).setString(observaciones);
            ficha.paramByName(QStringLiteral("FECHAULTIMACOMPRA")).setDateTime(ahora);
            ficha.paramByName(QStringLiteral("CATALOGOWEB_SN"))
                .setInt(o.CatalogoWEB ? 1 : v("CATALOGOWEB_SN").toInt());
            ficha.paramByName(QStringLiteral("ID_FORMATO")).setVariant(v("ID_FORMATO"));
            ficha.paramByName(QStringLiteral("REFERENCIA_PROVEEDOR")).setVariant(v("REFERENCIA_BUSQUEDA"));
            for (const auto& [n, valor] : clave)
                ficha.paramByName(n).setVariant(valor);
            ficha.execute();
            if (ficha.rowsAffected() == 0) {
                // The record is gone (or another company's): nothing of the row is written.
                ++r.SinFicha;
                const QString motivo = QStringLiteral("referencia %1: el artículo ya no tiene ficha del "
                                                      "proveedor en la empresa; no se actualiza.")
                                           .arg(referencia);
                d.canal().incidence(QStringLiteral("Fila %1: %2").arg(d.Fila_Hoja(t, t.recNo())).arg(motivo));
                d.Anotar_Fila_No_Escrita(d.Fila_Hoja(t, t.recNo()), motivo);
            } else {
                ++r.Actualizados;
                // The card's supplier reference follows the usual supplier's.
                const QString tarjeta = v("REFERENCIAPROVEEDOR").toString();
                const QString nueva = v("REFERENCIA_BUSQUEDA").toString();
                if (v("IdProveedorHabitual").toInt() == o.IdProveedor && !tarjeta.isEmpty() &&
                    nueva != tarjeta)
                    d.Ejecutar_Sentencia(kReferenciaFicha, {{QStringLiteral("PARREFERENCIA"), nueva},
                                                            {QStringLiteral("PARIDARTICULO"), idArticulo}});
                if (o.CostosEnFicha) {
                    pmc.paramByName(QStringLiteral("PARARTICULO")).setInt(idArticulo);
                    pmc.paramByName(QStringLiteral("PARCANTIDAD")).setDouble(0);
                    pmc.paramByName(QStringLiteral("PARPRECIO")).setDouble(v("COSTOREAL").toDouble());
                    pmc.paramByName(QStringLiteral("PARDESCUENTOS")).setDouble(0);
                    pmc.execute();
                    const qd::fb::Field* salida = pmc.findField(QStringLiteral("PARPMC"));
                    const QVariant nuevoPmc = salida ? salida->asVariant() : QVariant();
                    d.Ejecutar_Sentencia(kCostesFicha, {{QStringLiteral("PUC"), v("COSTOREAL").toDouble()},
                                                        {QStringLiteral("VARPMC"), nuevoPmc},
                                                        {QStringLiteral("PARARTICULO"), idArticulo}});
                }
                const QString ean = v("CODIGOEAN").toString().trimmed();
                if (o.CodigoEAN && !ean.isEmpty()) {
                    try {
                        FormatoEAN f;
                        f.idArticulo = idArticulo;
                        f.idProveedor = o.IdProveedor;
                        f.idFormato = v("ID_FORMATO").toInt();
                        f.ean = ean;
                        f.nombre = v("Nombre").toString();
                        f.observaciones = QStringLiteral("Ref. Proveedor: [%1] - Proveedor: %2 - %3")
                                              .arg(referencia, o.CodigoProveedor, o.NombreProveedor);
                        f.dobleStock = v("DOBLESTOCK").toInt() != 0;
                        if (Asignar_Formato_EAN(f)) ++r.FormatosCreados;
                    } catch (const std::exception& e) {
                        d.Aviso_Fila(e, t, referencia);
                    }
                }
                if (o.ActualizarTarifas && !precioGuardado)
                    for (int n = 0; n < 3; ++n) {
                        const int idTarifa = v(n == 0   ? "IDTarifa1"
                                               : n == 1 ? "IDTarifa2"
                                                        : "IDTarifa3")
                                                 .toInt();
                        if (idTarifa > 0 &&
                            Actualizar_Intervalo_Tarifa(
                                idTarifa, idArticulo, o.DtosTarifa[size_t(n)], v("COSTOREAL").toDouble(),
                                v("PORCENTAJEIVA").toDouble(), v("PRECIO").toDouble()))
                            ++r.TarifasActualizadas;
                    }
            }
        };
        TDatos::RecorridoFilas recorrido;
        recorrido.escribir = escribir;
        recorrido.cuentas = [&r] { return QStringLiteral("Actualizados: %1").arg(r.Actualizados); };
        recorrido.codigo = [&v] { return v("REFERENCIA_PROVEEDOR").toString(); };
        const bool cancelado = d.Recorrer_Filas(t, recorrido).cancelado;
        if (t.active() && t.recordCount() > 0) t.first();
        r.texto = QStringLiteral("¡¡ PROCESO TERMINADO !!\r\n\r\nActualizados: %1").arg(r.Actualizados);
        if (r.SinFicha > 0)
            r.texto += QStringLiteral("\r\nSin ficha del proveedor (no escritos): %1").arg(r.SinFicha);
        if (o.CodigoEAN) r.texto += QStringLiteral("\r\nFormatos creados: %1").arg(r.FormatosCreados);
        if (o.ActualizarTarifas)
            r.texto += QStringLiteral("\r\nTarifas actualizadas: %1").arg(r.TarifasActualizadas);
        if (cancelado) r.texto = QStringLiteral("Proceso cancelado por el usuario.\r\n\r\n") + r.texto;
        if (qd::MotorFilas* motor_ = d.motorEnCurso()) {
            r.motor = motor_->resultado();
            r.texto = motor_->resumen(r.texto);
        }
        d.canal().message(qd::MessageKind::Information, r.texto);
        return r;
    });
    d.canal().status(QStringLiteral("Proceso terminado."));
    return r;
}
