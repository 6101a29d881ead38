// The article import against a copy of the template database, one case per folder of
// tests/data/articulos: libro.xlsx (written from libro.tsv by regenerar.sh) and caso.json with
// the setup statements, the load and write options, and what must follow:
//   "setup": [sql...]                 run (each committed) after base.sql
//   "porCodigo": bool                 match by code (default) or by supplier reference
//   "cargas": n                       how many times the workbook is loaded (default 1)
//   "staging": [{field: value}...]    the staged rows after the load (listed fields only); a
//                                     value {"sql": "..."} is the first column the query gives
//   "escribir": {...}                 the writer's run: "modos" (alta, actualizar, pvp, stock),
//                                     "tarifa"/"almacen" codes, "intervalos" N, "numeroIntervalos"
//                                     N, "topes", "stockInicial", "pmcInicial", "campos" (ticked
//                                     items as a user would tick them), "cancelarTras" N rows
//   "resumen": {counter: n, "texto"}  the writer's counters and summary text
//   "error": "text"                   the writer stops with an error whose message holds the text
//   "mensajes": [{tipo, contiene}]    every message other than the summary, in order
//   "incidencias": [text]             every incidence line of the load and the write, in order,
//                                     each holding its text (checked when the key is present)
//   "libro": "name"                   the workbook of the folder (default libro.xlsx; a CSV case
//                                     keeps its libro.csv as it is, bytes and all)
//   "consultas": [{sql, filas}]       database rows afterwards, read on a new connection
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <cmath>
#include <memory>

#include "CamposArticulos.h"
#include "ConstruirSentencias.h"
#include "ConsultasPrueba.h"
#include "FbError.h"
#include "ImportacionArticulos.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TempDatabase.h"

namespace {

using qd::test::consultar;
using qd::test::ejecutar;
using qd::test::leerTexto;
using qd::test::sentenciasScript;

const QString kDatos = QStringLiteral(QD_ARTICULOS_DATA);

QString texto(const QVariant& v) {
    return v.isNull() ? QStringLiteral("null") : v.toString();
}

// Whether a value read back is the expected one (numbers within rounding of the last digit).
bool igual(const QJsonValue& esperado, const QVariant& real) {
    if (esperado.isNull()) return real.isNull();
    if (real.isNull()) return false;
    if (esperado.isDouble()) {
        bool ok = false;
        const double r = real.toDouble(&ok);
        const double e = esperado.toDouble();
        return ok && std::fabs(r - e) <= 1e-9 * std::max(1.0, std::fabs(e));
    }
    if (esperado.isBool()) return real.toBool() == esperado.toBool();
    return real.toString() == esperado.toString();
}

// A value of the case file, with {"sql": ...} read from the database.
QJsonValue resolver(const QJsonValue& v, qd::fb::Attachment& a) {
    if (!v.isObject()) return v;
    const auto filas = consultar(a, v.toObject().value(QStringLiteral("sql")).toString());
    if (filas.isEmpty() || filas.first().isEmpty() || filas.first().first().isNull()) return QJsonValue::Null;
    return QJsonValue::fromVariant(filas.first().first());
}

int idPorCodigo(qd::fb::Attachment& a, const QString& tabla, const QString& codigo) {
    const auto filas =
        consultar(a, QStringLiteral("SELECT ID%1 FROM %1 WHERE CODIGO = '%2'").arg(tabla, codigo));
    return filas.isEmpty() ? -1 : filas.first().first().toInt();
}

std::vector<std::string> casos() {
    std::vector<std::string> nombres;
    for (const QString& d : QDir(kDatos).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (QFile::exists(kDatos + QLatin1Char('/') + d + QStringLiteral("/caso.json")))
            nombres.push_back(d.toStdString());
    return nombres;
}

// The article field list as the page has it for a run: the first-run ticks (no Excel.ini), what
// the mode buttons and radios do to them, then the case's own ticks as a user would set them.
qd::FieldList listaCampos(const QJsonObject& escribir, const qd::ArticleControls& controles) {
    qd::FieldList campos = qd::articleFieldList();
    for (int i = 0; i <= 20; ++i)
        campos.setChecked(i, true);
    campos.setInitialTicks();
    qd::setArticleControls(campos, controles);
    if (escribir.contains(QStringLiteral("campos"))) {
        for (int i = 0; i <= qd::ArticleFields::kPrecioMedioCosteEstandard; ++i)
            campos.setChecked(i, false);
        for (const auto& c : escribir.value(QStringLiteral("campos")).toArray())
            campos.setChecked(campos.indexOf(c.toString()), true);
        campos.applyRules();
    }
    return campos;
}

class Articulos : public testing::TestWithParam<std::string> {};

TEST_P(Articulos, Caso) {
    const QString dir = kDatos + QLatin1Char('/') + QString::fromStdString(GetParam());
    const QJsonObject caso =
        QJsonDocument::fromJson(leerTexto(dir + QStringLiteral("/caso.json")).toUtf8()).object();
    ASSERT_FALSE(caso.isEmpty()) << "caso.json unreadable in " << dir.toStdString();
    SCOPED_TRACE(caso.value(QStringLiteral("descripcion")).toString().toStdString());

    qd::test::TempDatabase db;
    {
        auto a = db.attach();
        for (const QString& s : sentenciasScript(leerTexto(kDatos + QStringLiteral("/base.sql"))))
            ejecutar(*a, s);
        for (const auto& s : caso.value(QStringLiteral("setup")).toArray())
            ejecutar(*a, s.toString());
    }

    const bool porCodigo = caso.value(QStringLiteral("porCodigo")).toBool(true);
    const QJsonObject escribir = caso.value(QStringLiteral("escribir")).toObject();
    const bool topes = escribir.value(QStringLiteral("topes")).toBool(false);

    // The options of the load and of the write, as the page would give them.
    QStringList modos;
    for (const auto& m : escribir.value(QStringLiteral("modos")).toArray())
        modos << m.toString();
    auto o = qd::OpcionesArticulos::desdeModos(
        modos.contains(QStringLiteral("alta")), modos.contains(QStringLiteral("actualizar")),
        modos.contains(QStringLiteral("pvp")), modos.contains(QStringLiteral("stock")));
    o.OpcionBusqueda = porCodigo;
    o.UsarTopeIntervalo = topes;
    o.PonerStockActual = !escribir.value(QStringLiteral("stockInicial")).toBool(false);
    o.ActualizarCosteInical = escribir.value(QStringLiteral("pmcInicial")).toBool(false);
    if (escribir.contains(QStringLiteral("intervalos"))) {
        o.Intervalos = true;
        o.NumeroIntervalos = escribir.value(QStringLiteral("intervalos")).toInt();
    }
    if (escribir.contains(QStringLiteral("numeroIntervalos")))
        o.NumeroIntervalos = escribir.value(QStringLiteral("numeroIntervalos")).toInt();
    {
        auto a = db.attach();
        if (escribir.contains(QStringLiteral("tarifa")))
            o.Tarifa_Ventas = idPorCodigo(*a, QStringLiteral("TARIFAS"),
                                          escribir.value(QStringLiteral("tarifa")).toString());
        if (escribir.contains(QStringLiteral("almacen")))
            o.Almacen = idPorCodigo(*a, QStringLiteral("ALMACENES"),
                                    escribir.value(QStringLiteral("almacen")).toString());
    }

    qd::RecordingChannel canal;
    {
        TDatos d;
        ImportacionArticulos articulos{d};
        d.setCanal(&canal);
        qd::UserChannel::setCurrent(&canal);
        d.Iniciar(1, 1, db.path(), 1, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                  QStringLiteral("ART"), 0, 0);
        ASSERT_TRUE(d.Conectar()) << canal.log().join(QLatin1Char('\n')).toStdString();

        const int cargas = caso.value(QStringLiteral("cargas")).toInt(1);
        for (int i = 0; i < cargas; ++i) {
            d.Abortar_Proceso = false;
            articulos.cargarArticulos(
                dir + QLatin1Char('/') +
                    caso.value(QStringLiteral("libro")).toString(QStringLiteral("libro.xlsx")),
                o);
        }

        // The staged rows.
        if (caso.contains(QStringLiteral("staging"))) {
            auto a = db.attach();
            const QJsonArray filas = caso.value(QStringLiteral("staging")).toArray();
            TkvRxMemoryData& t = articulos.kvRxMDArticulos;
            ASSERT_EQ(t.recordCount(), filas.size());
            for (int r = 0; r < filas.size(); ++r) {
                const QJsonObject fila = filas[r].toObject();
                for (auto it = fila.begin(); it != fila.end(); ++it) {
                    const QJsonValue esperado = resolver(it.value(), *a);
                    const QVariant real = t.valueAt(r, t.fieldIndex(it.key()));
                    EXPECT_TRUE(igual(esperado, real))
                        << "row " << r + 1 << " field " << it.key().toStdString() << ": expected "
                        << QJsonDocument(QJsonArray{esperado}).toJson(QJsonDocument::Compact).toStdString()
                        << ", staged " << texto(real).toStdString();
                }
            }
        }

        // The write.
        if (!escribir.isEmpty()) {
            const qd::ArticleControls controles{porCodigo, modos.contains(QStringLiteral("alta")),
                                                modos.contains(QStringLiteral("pvp")),
                                                modos.contains(QStringLiteral("stock"))};
            const qd::FieldList campos = listaCampos(escribir, controles);

            d.Abortar_Proceso = false;
            if (escribir.contains(QStringLiteral("cancelarTras")))
                canal.cancelAfterEvents(escribir.value(QStringLiteral("cancelarTras")).toInt(),
                                        &d.Abortar_Proceso);

            if (caso.contains(QStringLiteral("error"))) {
                QString mensaje;
                try {
                    articulos.confirmarArticulos(o, campos);
                } catch (const std::exception& e) {
                    mensaje = TDatos::Texto_Error(e);
                }
                EXPECT_TRUE(mensaje.contains(caso.value(QStringLiteral("error")).toString()))
                    << "error: " << mensaje.toStdString();
                EXPECT_TRUE(canal.messages(qd::MessageKind::Information).isEmpty())
                    << "no summary after an error";
            } else {
                const qd::ResumenArticulos r = articulos.confirmarArticulos(o, campos);
                const QJsonObject esperado = caso.value(QStringLiteral("resumen")).toObject();
                const std::pair<const char*, int> contadores[] = {
                    {"Nuevos", r.Nuevos},
                    {"Actualizados", r.Actualizados},
                    {"PVPModificados", r.PVPModificados},
                    {"IntervalosModificados", r.IntervalosModificados},
                    {"StockModificado", r.StockModificado},
                    {"TotalRegistros", r.TotalRegistros}};
                for (const auto& [nombre, valor] : contadores) {
                    if (esperado.contains(QLatin1String(nombre))) {
                        EXPECT_EQ(valor, esperado.value(QLatin1String(nombre)).toInt()) << nombre;
                    }
                }
                EXPECT_EQ(canal.messages(qd::MessageKind::Information), QStringList{r.texto});
                if (esperado.contains(QStringLiteral("texto"))) {
                    EXPECT_EQ(r.texto.toStdString(),
                              esperado.value(QStringLiteral("texto")).toString().toStdString());
                }
            }
        }
        qd::UserChannel::setCurrent(nullptr);
    }

    // Every message other than the summary, in order.
    QStringList vistos, esperados;
    for (const auto& e : canal.entries())
        if (e.call == qd::RecordingChannel::Call::Message && e.kind != qd::MessageKind::Information)
            vistos << qd::RecordingChannel::kindName(e.kind) + QStringLiteral(": ") + e.text;
    const QJsonArray mensajes = caso.value(QStringLiteral("mensajes")).toArray();
    ASSERT_EQ(vistos.size(), mensajes.size()) << vistos.join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < mensajes.size(); ++i) {
        const QJsonObject m = mensajes[i].toObject();
        EXPECT_TRUE(vistos[i].startsWith(m.value(QStringLiteral("tipo")).toString() + QStringLiteral(": ")) &&
                    vistos[i].contains(m.value(QStringLiteral("contiene")).toString()))
            << vistos[i].toStdString();
    }

    if (caso.contains(QStringLiteral("incidencias"))) {
        const QStringList vistas = canal.incidences();
        const QJsonArray esperadas = caso.value(QStringLiteral("incidencias")).toArray();
        ASSERT_EQ(vistas.size(), esperadas.size()) << vistas.join(QLatin1Char('\n')).toStdString();
        for (int i = 0; i < esperadas.size(); ++i)
            EXPECT_TRUE(vistas[i].contains(esperadas[i].toString())) << vistas[i].toStdString();
    }

    // The database afterwards, on a new connection: only what was committed is there.
    auto a = db.attach();
    for (const auto& c : caso.value(QStringLiteral("consultas")).toArray()) {
        const QJsonObject consulta = c.toObject();
        const QString sql = consulta.value(QStringLiteral("sql")).toString();
        const auto filas = consultar(*a, sql);
        const QJsonArray esperadas = consulta.value(QStringLiteral("filas")).toArray();
        QStringList leidas;
        for (const auto& f : filas) {
            QStringList celdas;
            for (const auto& v : f)
                celdas << texto(v);
            leidas << celdas.join(QStringLiteral(", "));
        }
        ASSERT_EQ(filas.size(), esperadas.size()) << sql.toStdString() << "\n"
                                                  << leidas.join(QLatin1Char('\n')).toStdString();
        for (int r = 0; r < esperadas.size(); ++r) {
            const QJsonArray fila = esperadas[r].toArray();
            ASSERT_EQ(filas[r].size(), fila.size()) << sql.toStdString();
            for (int i = 0; i < fila.size(); ++i)
                EXPECT_TRUE(igual(fila[i], filas[r][i]))
                    << sql.toStdString() << "\nrow " << r + 1 << ": " << leidas[r].toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Casos, Articulos, testing::ValuesIn(casos()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// The staging table's shape: the fields, sizes and labels the grid and the writer rely on.
TEST(ArticulosStaging, CamposEtiquetasYFormatos) {
    TDatos d;
    ImportacionArticulos articulos{d};
    const TkvRxMemoryData& t = articulos.kvRxMDArticulos;
    ASSERT_EQ(t.fieldCount(), 35);
    struct Esperado {
        const char* nombre;
        TkvRxMemoryData::FieldType tipo;
        int tam;
        const char* etiqueta;
    };
    using T = TkvRxMemoryData::FieldType;
    const Esperado esperados[] = {
        {"CODIGO", T::String, 18, "Código"},
        {"NOMBRE", T::String, 50, "Descripción"},
        {"OBSERVACIONES", T::String, 1024, "Observaciones"},
        {"PARTNUMBER", T::String, 20, ""},
        {"IVA", T::Integer, 0, "Cód. IVA"},
        {"AFECTASTOCK", T::SmallInt, 0, "Control de Stock"},
        {"PVPCONIVA", T::Float, 0, "P.V.P. (+IVA)"},
        {"INTER4IVA", T::Currency, 0, "Interv. 4 + IVA"},
        {"TOPE_INTERVALO2", T::Integer, 0, ""},
    };
    for (const auto& e : esperados) {
        const int i = t.fieldIndex(QString::fromLatin1(e.nombre));
        ASSERT_GE(i, 0) << e.nombre;
        const auto& def = t.fieldDefs().at(i);
        EXPECT_EQ(def.type, e.tipo) << e.nombre;
        EXPECT_EQ(def.size, e.tam) << e.nombre;
        EXPECT_EQ(def.label, QString::fromUtf8(e.etiqueta)) << e.nombre;
    }
    EXPECT_EQ(t.fieldDefs().at(t.fieldIndex(QStringLiteral("PVP"))).displayFormat,
              QStringLiteral("#,##0.00"));
}

// The options the four mode buttons give (the page's table).
TEST(ArticulosOpciones, DesdeModos) {
    struct Caso {
        bool a, c, p, s;
        bool soloNuevos, soloActualizar, soloPvpStock, stock, pvp;
    };
    const Caso casos[] = {
        {true, false, false, false, true, false, false, false, false}, // create only
        {false, true, false, false, false, true, false, false, false}, // update only
        {true, true, false, false, false, false, false, false, false}, // create and update
        {false, false, true, true, false, false, true, true, true},    // prices and stock only
        {false, false, false, true, false, false, true, true, false},  // stock only
        {true, true, true, true, false, false, false, true, true},     // everything
    };
    for (const auto& c : casos) {
        const auto o = qd::OpcionesArticulos::desdeModos(c.a, c.c, c.p, c.s);
        EXPECT_EQ(o.SoloNuevos, c.soloNuevos);
        EXPECT_EQ(o.SoloActualizar, c.soloActualizar);
        EXPECT_EQ(o.SoloPvpStock, c.soloPvpStock);
        EXPECT_EQ(o.ActualizarStock, c.stock);
        EXPECT_EQ(o.ActualizarPVPs, c.pvp);
    }
}

// The headless importer, end to end: the exit code, the summary and the database.
TEST(Qdimport, ImportaYDevuelveElCodigoDeSalida) {
    qd::test::TempDatabase db;
    {
        auto a = db.attach();
        for (const QString& s : sentenciasScript(leerTexto(kDatos + QStringLiteral("/base.sql"))))
            ejecutar(*a, s);
        ejecutar(*a,
                 QStringLiteral(
                     "INSERT INTO ARTICULOS (CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES ('Z501', 'Antes', 1)"));
    }
    const QString libro = kDatos + QStringLiteral("/alta_y_actualizar_con_stock_y_precios/libro.xlsx");
    const QString sinIni = db.path() + QStringLiteral(".no-existe.ini");
    auto ejecutarQdimport = [](const QStringList& argumentos, QString* salida) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(QD_QDIMPORT), argumentos);
        p.waitForFinished(120000);
        *salida = QString::fromLocal8Bit(p.readAll());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };

    QString salida;
    EXPECT_EQ(ejecutarQdimport({QStringLiteral("--help")}, &salida), 0);
    EXPECT_TRUE(salida.contains(QStringLiteral("--stock-inicial"))) << salida.toStdString();

    // A price list that the company group does not have: nothing is imported.
    EXPECT_EQ(ejecutarQdimport({QStringLiteral("--database"), db.path(), QStringLiteral("--create"),
                                QStringLiteral("--tarifa"), QStringLiteral("NOHAY"), QStringLiteral("--pvp"),
                                libro},
                               &salida),
              2)
        << salida.toStdString();
    EXPECT_TRUE(salida.contains(QStringLiteral("NOHAY"))) << salida.toStdString();

    ASSERT_EQ(
        ejecutarQdimport({QStringLiteral("--database"), db.path(), QStringLiteral("--kind"),
                          QStringLiteral("articulos"), QStringLiteral("--create"), QStringLiteral("--update"),
                          QStringLiteral("--pvp"), QStringLiteral("--stock"), QStringLiteral("--tarifa"),
                          QStringLiteral("TTAR1"), QStringLiteral("--almacen"), QStringLiteral("TAL1"),
                          QStringLiteral("--excel-ini"), sinIni, libro},
                         &salida),
        0)
        << salida.toStdString();
    EXPECT_TRUE(salida.contains(QStringLiteral("Importando datos de Artículos a la Base de Datos")));
    EXPECT_TRUE(
        salida.contains(QStringLiteral("Total registros en fichero: 2\nNuevos: 1\nActualizados: 1\n"
                                       "PVP modificados: 2\nIntervalos modificados:0\nStock modificado: 2")))
        << salida.toStdString();

    auto a = db.attach();
    const auto filas =
        consultar(*a, QStringLiteral("SELECT A.CODIGO, A.NOMBRE, AA.STOCKACTUAL1 FROM ARTICULOS A "
                                     "JOIN ARTICULOSALMACEN AA ON AA.ARTICULOCARACTERISTICA = A.IDARTICULOS "
                                     "JOIN ALMACENES AL ON AL.IDALMACENES = AA.ALMACEN "
                                     "WHERE AL.CODIGO = 'TAL1' AND A.CODIGO IN ('Z501', 'Z502') ORDER BY 1"));
    ASSERT_EQ(filas.size(), 2);
    EXPECT_EQ(filas[0][1].toString(), QStringLiteral("Existente"));
    EXPECT_DOUBLE_EQ(filas[1][2].toDouble(), 6.0);
}

// The headless importer prints the absent fields an update leaves alone, and a stop names the
// workbook row and column and is followed by the counts of what was written before it.
TEST(Qdimport, ParadaNombraFilaYColumnaYMuestraLoEscrito) {
    qd::test::TempDatabase db;
    {
        auto a = db.attach();
        for (const QString& s : sentenciasScript(leerTexto(kDatos + QStringLiteral("/base.sql"))))
            ejecutar(*a, s);
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(QD_QDIMPORT),
            {QStringLiteral("--database"), db.path(), QStringLiteral("--create"), QStringLiteral("--update"),
             QStringLiteral("--excel-ini"), db.path() + QStringLiteral(".no-existe.ini"),
             kDatos + QStringLiteral("/valor_rechazado_nombra_fila_y_columna/libro.xlsx")});
    p.waitForFinished(120000);
    const QString salida = QString::fromLocal8Bit(p.readAll());
    EXPECT_EQ(p.exitCode(), 2) << salida.toStdString();
    EXPECT_EQ(salida.count(QStringLiteral("[incidencia] Campos marcados que no están en el libro")), 1)
        << salida.toStdString();
    const qsizetype error = salida.indexOf(QStringLiteral("[error] Fila 5, columna NOMBRE: "));
    const qsizetype cuentas =
        salida.indexOf(QStringLiteral("Total registros en fichero: 4\nNuevos: 3\nActualizados: 0"));
    EXPECT_GE(error, 0) << salida.toStdString();
    EXPECT_GT(cuentas, error) << salida.toStdString();
}

} // namespace
