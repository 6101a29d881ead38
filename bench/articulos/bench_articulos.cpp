// bench_articulos: the two reference measurements of the article import benchmark.
//
//   bench_articulos leer LIBRO
//       Opens the workbook with the reader and reads every cell of its active sheet (value and
//       text), as a loader would: the time the load (open, read and stage) is compared with.
//   bench_articulos suelo BD LIBRO TARIFA ALMACEN
//       The article writer's per-row statements for create + update + PVP + stock, with the same
//       values, the same commits and in the same order, through the bare client API (statements
//       prepared once, parameter buffers filled by hand): the floor the importer is compared
//       with. The workbook is read and its codes resolved before the clock starts. TARIFA and
//       ALMACEN are codes of the company group 1.
//
//   bench_articulos cargar BD LIBRO
//       The article load as the importer runs it (open, read, stage with the code lookups) for
//       create + update + PVP + stock, without the write.
//
// Each prints one line "<what> <rows> rows <seconds> s <rows/s> rows/s".
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ibase.h>
#include <stdexcept>
#include <string>
#include <vector>

#include "ImportacionArticulos.h"
#include "TDatos.h"
#include "Workbook.h"

namespace {

[[noreturn]] void fallo(const ISC_STATUS* status, const char* donde) {
    char texto[512];
    const ISC_STATUS* v = status;
    std::string mensaje = donde;
    while (fb_interpret(texto, sizeof texto, &v))
        mensaje += std::string("\n") + texto;
    throw std::runtime_error(mensaje);
}

#define CHECK(llamada, donde)                                                                                \
    do {                                                                                                     \
        llamada;                                                                                             \
        if (status[0] == 1 && status[1]) fallo(status, donde);                                               \
    } while (0)

ISC_STATUS_ARRAY status;

// One statement with '?' parameters whose types the caller chooses per execution.
struct Sentencia {
    isc_stmt_handle h = 0;
    XSQLDA* in = nullptr;
    XSQLDA* out = nullptr;
    std::vector<std::vector<char>> datos;
    std::vector<short> nulos;
    std::vector<ISC_LONG> salida;
    std::vector<short> salidaNula;

    Sentencia(isc_db_handle* db, isc_tr_handle* tr, const char* sql) {
        CHECK(isc_dsql_allocate_statement(status, db, &h), "allocate");
        out = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(4)));
        out->version = SQLDA_VERSION1;
        out->sqln = 4;
        CHECK(isc_dsql_prepare(status, tr, &h, 0, sql, 1, out), sql);
        salida.resize(4);
        salidaNula.resize(4);
        for (int i = 0; i < out->sqld; ++i) { // every result here is an ID or a count
            out->sqlvar[i].sqltype = SQL_LONG + 1;
            out->sqlvar[i].sqllen = sizeof(ISC_LONG);
            out->sqlvar[i].sqlscale = 0;
            out->sqlvar[i].sqldata = reinterpret_cast<char*>(&salida[i]);
            out->sqlvar[i].sqlind = &salidaNula[i];
        }
        in = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(32)));
        in->version = SQLDA_VERSION1;
        in->sqln = 32;
        CHECK(isc_dsql_describe_bind(status, &h, 1, in), "describe_bind");
        datos.resize(in->sqld);
        nulos.assign(in->sqld, 0);
        for (int i = 0; i < in->sqld; ++i) {
            datos[i].resize(8);
            in->sqlvar[i].sqlind = &nulos[i];
        }
    }
    ~Sentencia() {
        isc_dsql_free_statement(status, &h, DSQL_drop);
        std::free(in);
        std::free(out);
    }
    void entero(int i, ISC_LONG v) {
        datos[i].resize(sizeof v);
        std::memcpy(datos[i].data(), &v, sizeof v);
        poner(i, SQL_LONG + 1, sizeof v);
    }
    void real(int i, double v) {
        datos[i].resize(sizeof v);
        std::memcpy(datos[i].data(), &v, sizeof v);
        poner(i, SQL_DOUBLE + 1, sizeof v);
    }
    void texto(int i, const QByteArray& v) {
        datos[i].assign(v.begin(), v.end());
        if (datos[i].empty()) datos[i].push_back(0);
        poner(i, SQL_TEXT + 1, static_cast<short>(v.size()));
    }
    void nulo(int i) {
        entero(i, 0);
        nulos[i] = -1;
    }
    void poner(int i, short tipo, short largo) {
        XSQLVAR& v = in->sqlvar[i];
        v.sqltype = tipo;
        v.sqllen = largo;
        v.sqlscale = 0;
        v.sqlsubtype = 0;
        v.sqldata = datos[i].data();
        nulos[i] = 0;
    }
    void ejecutar(isc_tr_handle* tr) { CHECK(isc_dsql_execute(status, tr, &h, 1, in), "execute"); }
    // Runs a SELECT and gives the first column of every row.
    std::vector<int> leer(isc_tr_handle* tr) {
        ejecutar(tr);
        std::vector<int> filas;
        ISC_STATUS rc = 0;
        while ((rc = isc_dsql_fetch(status, &h, 1, out)) == 0)
            filas.push_back(salidaNula[0] ? 0 : int(salida[0]));
        if (rc != 100) fallo(status, "fetch");
        CHECK(isc_dsql_free_statement(status, &h, DSQL_close), "close");
        return filas;
    }
};

struct Fila {
    QByteArray codigo, nombre, ean;
    QVariant familia, iva;
    double pmc = 0, puc = 0, pvp = 0, pvpIva = 0, stock = 0;
};

// The workbook's rows as the loader stages them (the benchmark workbook's columns only).
std::vector<Fila> leerFilas(const QString& libro, const QHash<QString, int>& familias,
                            const QHash<QString, int>& ivas) {
    auto wb = qd::wb::Workbook::open(libro);
    const auto& hoja = wb->activeSheet();
    QHash<QString, int> col;
    for (int c = 1; c <= hoja.lastColumn(); ++c)
        col.insert(hoja.text(1, c).toUpper(), c);
    std::vector<Fila> filas;
    for (int r = 2; r <= hoja.lastRow() && !hoja.text(r, 1).isEmpty(); ++r) {
        Fila f;
        f.codigo = hoja.text(r, col.value("CODIGO")).left(18).toLatin1();
        f.nombre = hoja.text(r, col.value("NOMBRE")).left(50).toLatin1();
        f.ean = hoja.text(r, col.value("CODIGOEAN")).left(18).toLatin1();
        const QString fam = hoja.text(r, col.value("FAMILIA")), iva = hoja.text(r, col.value("IVA"));
        if (familias.contains(fam)) f.familia = familias.value(fam);
        if (ivas.contains(iva)) f.iva = ivas.value(iva);
        f.pmc = hoja.cell(r, col.value("PRECIOMEDIOCOSTE")).number;
        f.puc = hoja.cell(r, col.value("PRECIOULTIMACOMPRA")).number;
        f.pvp = hoja.cell(r, col.value("PVP")).number;
        f.pvpIva = hoja.cell(r, col.value("PVPCONIVA")).number;
        f.stock = hoja.cell(r, col.value("STOCK")).number;
        filas.push_back(f);
    }
    return filas;
}

int leer(const QString& libro) {
    QElapsedTimer t;
    t.start();
    auto wb = qd::wb::Workbook::open(libro);
    const auto& hoja = wb->activeSheet();
    qint64 suma = 0;
    for (int r = 1; r <= hoja.lastRow(); ++r)
        for (int c = 1; c <= hoja.lastColumn(); ++c) {
            const QVariant v = hoja.value(r, c);
            suma += v.isValid() ? 1 : 0;
            suma += hoja.text(r, c).size();
        }
    const double s = t.nsecsElapsed() / 1e9;
    const int filas = hoja.lastRow() - 1;
    std::printf("leer %d rows %.3f s %.0f rows/s (%lld)\n", filas, s, filas / s,
                static_cast<long long>(suma));
    return 0;
}

int cargar(const QString& bd, const QString& libro) {
    TDatos d;
    ImportacionArticulos articulos(d);
    d.Iniciar(1, 1, bd, 1, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
              QStringLiteral("ART"), 0, 0);
    if (!d.Conectar()) throw std::runtime_error("no se pudo conectar con la base de datos");
    qd::OpcionesArticulos o = qd::OpcionesArticulos::desdeModos(true, true, true, true);
    o.OpcionBusqueda = true;
    QElapsedTimer t;
    t.start();
    const int filas = articulos.cargarArticulos(libro, o);
    const double s = t.nsecsElapsed() / 1e9;
    std::printf("cargar %d rows %.3f s %.0f rows/s\n", filas, s, filas / s);
    return 0;
}

int suelo(const QString& bd, const QString& libro, const QString& tarifa, const QString& almacen) {
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    const QByteArray ruta = bd.toLocal8Bit();
    const char dpbTexto[] = {isc_dpb_version1};
    QByteArray dpb(dpbTexto, 1);
    auto dpbCadena = [&dpb](char clave, const QByteArray& v) {
        dpb.append(clave);
        dpb.append(static_cast<char>(v.size()));
        dpb.append(v);
    };
    dpbCadena(isc_dpb_user_name, "SYSDBA");
    dpbCadena(isc_dpb_password, "masterkey");
    dpbCadena(isc_dpb_lc_ctype, "ISO8859_1");
    CHECK(isc_attach_database(status, 0, ruta.constData(), &db, static_cast<short>(dpb.size()),
                              dpb.constData()),
          "attach");
    static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                               isc_tpb_nowait};
    CHECK(isc_start_transaction(status, &tr, 1, &db, sizeof tpb, tpb), "start");

    // Codes to IDs, before the clock starts.
    auto ids = [&](const char* sql) {
        QHash<QString, int> r;
        isc_stmt_handle h = 0;
        XSQLDA* out = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(2)));
        out->version = SQLDA_VERSION1;
        out->sqln = 2;
        CHECK(isc_dsql_allocate_statement(status, &db, &h), "allocate");
        CHECK(isc_dsql_prepare(status, &tr, &h, 0, sql, 1, out), sql);
        ISC_LONG id = 0;
        char codigo[64];
        short n1 = 0, n2 = 0;
        out->sqlvar[0].sqltype = SQL_LONG + 1;
        out->sqlvar[0].sqllen = 4;
        out->sqlvar[0].sqlscale = 0;
        out->sqlvar[0].sqldata = reinterpret_cast<char*>(&id);
        out->sqlvar[0].sqlind = &n1;
        out->sqlvar[1].sqltype = SQL_TEXT + 1;
        out->sqlvar[1].sqllen = 60;
        out->sqlvar[1].sqldata = codigo;
        out->sqlvar[1].sqlind = &n2;
        CHECK(isc_dsql_execute(status, &tr, &h, 1, nullptr), sql);
        while (isc_dsql_fetch(status, &h, 1, out) == 0)
            r.insert(QString::fromLatin1(codigo, 60).trimmed(), int(id));
        isc_dsql_free_statement(status, &h, DSQL_drop);
        std::free(out);
        return r;
    };
    const auto familias = ids("SELECT IDFAMILIASARTICULOS, CODIGO FROM FAMILIASARTICULOS");
    const auto ivas = ids("SELECT IDTABLAIVA, CODIGO FROM TABLAIVA");
    const int idTarifa =
        ids("SELECT IDTARIFAS, CODIGO FROM TARIFAS WHERE GRUPOEMPRESAS = 1").value(tarifa, 0);
    const int idAlmacen =
        ids("SELECT IDALMACENES, CODIGO FROM ALMACENES WHERE GRUPOEMPRESAS = 1").value(almacen, 0);
    const std::vector<Fila> filas = leerFilas(libro, familias, ivas);

    Sentencia buscar(&db, &tr, "SELECT IDARTICULOS FROM ARTICULOS WHERE CODIGO = ?");
    Sentencia insertar(&db, &tr,
                       "INSERT INTO ARTICULOS (GRUPOEMPRESAS, CODIGO, NOMBRE, CODIGOEAN, PRECIOMEDIOCOSTE, "
                       "PRECIOULTIMACOMPRA, IVA, FAMILIA, AFECTASTOCK, USOCOMPRA, USOVENTA, CONCEPTO) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)");
    Sentencia actualizar(
        &db, &tr,
        "UPDATE ARTICULOS SET GRUPOEMPRESAS = ?, CODIGO = ?, NOMBRE = ?, CODIGOEAN = ?, "
        "PRECIOMEDIOCOSTE = ?, PRECIOULTIMACOMPRA = ?, IVA = ?, FAMILIA = ?, AFECTASTOCK = ?, "
        "USOCOMPRA = ?, USOVENTA = ? WHERE (IDARTICULOS = ?)");
    Sentencia stock(&db, &tr,
                    "UPDATE ARTICULOSALMACEN SET STOCKMAXIMO1 = ?, STOCKMINIMO1 = ?, STOCKACTUAL1 = ? "
                    "WHERE (ALMACEN = ?) AND (ARTICULOCARACTERISTICA = ?)");
    Sentencia contar(&db, &tr,
                     "SELECT COUNT(*) AS TOTAL FROM TARIFASARTICULOS WHERE TARIFA=? AND ARTICULO=?");
    Sentencia crear(
        &db, &tr,
        "INSERT INTO TARIFASARTICULOS (IDTARIFASARTICULOS, CLAVEMARGENBENEFICIO, CLAVEMARGENSOBRE, "
        "ACTUALIZARFAMILIA, LISTARTARIFA, REDONDEO, FECHAACTUALIZACION, PRECIOULTIMOCALCULO, "
        "SUMARGASTOS, FECHAALTA, TARIFA, ARTICULO) VALUES (GEN_ID(GENIDTARIFASARTICULOS,1),'L','C', 1, "
        "1, 0, 'NOW', 0, 0, 'NOW', ?, ?)");
    Sentencia precio(
        &db, &tr,
        "UPDATE IntervalosTarifasArticulos SET IMPORTEVENTA = ?, IMPORTEVENTACONIVA = ? WHERE "
        "(Desde = ?) AND (TarifaArticulo = (SELECT MIN(IdTarifasArticulos + 0) FROM TarifasArticulos "
        "WHERE (Tarifa = ?) AND (Articulo = ?)))");

    auto enlazarArticulo = [](Sentencia& s, const Fila& f) {
        s.entero(0, 1);
        s.texto(1, f.codigo);
        s.texto(2, f.nombre);
        s.texto(3, f.ean);
        s.real(4, f.pmc);
        s.real(5, f.puc);
        f.iva.isNull() ? s.nulo(6) : s.entero(6, f.iva.toInt());
        f.familia.isNull() ? s.nulo(7) : s.entero(7, f.familia.toInt());
        s.entero(8, 1);
        s.entero(9, 1);
        s.entero(10, 1);
    };

    QElapsedTimer t;
    t.start();
    for (const Fila& f : filas) {
        buscar.texto(0, f.codigo);
        const std::vector<int> encontrados = buscar.leer(&tr);
        std::vector<int> articulos = encontrados.empty() ? std::vector<int>{0} : encontrados;
        for (int id : articulos) {
            if (id == 0) {
                enlazarArticulo(insertar, f);
                insertar.ejecutar(&tr);
                buscar.texto(0, f.codigo);
                const auto nuevo = buscar.leer(&tr);
                id = nuevo.empty() ? 0 : nuevo.front();
            } else {
                enlazarArticulo(actualizar, f);
                actualizar.entero(11, id);
                actualizar.ejecutar(&tr);
            }
            stock.real(0, 0);
            stock.real(1, 0);
            stock.real(2, f.stock);
            stock.entero(3, idAlmacen);
            stock.entero(4, id);
            stock.ejecutar(&tr);
            if (f.pvp != 0) {
                CHECK(isc_commit_retaining(status, &tr), "commit");
                contar.entero(0, idTarifa);
                contar.entero(1, id);
                if (contar.leer(&tr).front() == 0) {
                    crear.entero(0, idTarifa);
                    crear.entero(1, id);
                    crear.ejecutar(&tr);
                    CHECK(isc_commit_retaining(status, &tr), "commit");
                }
                precio.real(0, f.pvp);
                precio.real(1, f.pvpIva);
                precio.entero(2, 1);
                precio.entero(3, idTarifa);
                precio.entero(4, id);
                precio.ejecutar(&tr);
                CHECK(isc_commit_retaining(status, &tr), "commit");
            }
        }
        CHECK(isc_commit_retaining(status, &tr), "commit");
    }
    CHECK(isc_commit_transaction(status, &tr), "commit");
    const double s = t.nsecsElapsed() / 1e9;
    std::printf("suelo %zu rows %.3f s %.0f rows/s\n", filas.size(), s, filas.size() / s);
    isc_detach_database(status, &db);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    try {
        if (a.size() == 3 && a[1] == QLatin1String("leer")) return leer(a[2]);
        if (a.size() == 4 && a[1] == QLatin1String("cargar")) return cargar(a[2], a[3]);
        if (a.size() == 6 && a[1] == QLatin1String("suelo")) return suelo(a[2], a[3], a[4], a[5]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_articulos: %s\n", e.what());
        return 2;
    }
    std::fprintf(stderr,
                 "uso: bench_articulos leer LIBRO | cargar BD LIBRO | suelo BD LIBRO TARIFA ALMACEN\n");
    return 2;
}
