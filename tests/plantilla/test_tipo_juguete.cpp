// A toy kind, "marcas", built only in this test from the shared pieces: a staging table, a loader
// over the shared row reading, a writer over the shared statement building and writer end, its
// own field-list rules, a page derived from the page base placed in the real main window, and a
// row in the headless importer's table of kinds.

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ConstruirSentencias.h"
#include "ConsultasPrueba.h"
#include "FieldList.h"
#include "GuiChannel.h"
#include "MotorFilas.h"
#include "PaginaImportacion.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TFormPrincipalExcell.h"
#include "TJvFilenameEdit.h"
#include "TempDatabase.h"
#include "TipoImportacion.h"
#include "TkvDBGrid.h"

namespace {

// The toy list: CODIGO is the key, always ticked; a run starts with everything ticked.
class ReglasMarcas final : public qd::FieldRules {
public:
    std::unique_ptr<qd::FieldRules> clone() const override { return std::make_unique<ReglasMarcas>(*this); }
    void apply(QList<bool>& ticks) const override { ticks[0] = true; }
    void initial(QList<bool>& ticks) const override { ticks.fill(true); }
};

qd::FieldList listaMarcas() {
    qd::FieldList l({"CODIGO", "NOMBRE", "GRUPOEMPRESAS"}, QStringLiteral("Marcas"),
                    std::make_unique<ReglasMarcas>());
    l.setInitialTicks();
    return l;
}

// The toy kind's data steps.
struct Marcas {
    explicit Marcas(TDatos& d) : datos(d) {
        for (const auto& [nombre, tam] : {std::pair{"CODIGO", 18}, std::pair{"NOMBRE", 50}}) {
            TkvRxMemoryData::FieldDef f;
            f.name = QString::fromLatin1(nombre);
            f.size = tam;
            tabla.addField(f);
        }
        TkvRxMemoryData::FieldDef g;
        g.name = QStringLiteral("GRUPOEMPRESAS");
        g.type = TkvRxMemoryData::FieldType::Integer;
        tabla.addField(g);
    }

    int cargar(const QString& fichero) {
        datos.Exigir_Conexion();
        datos.CargarExcel(fichero);
        return datos.Leer_Filas_Excel(
            tabla,
            [this](int fila, int columna, const QString& cabecera) {
                datos.Poner_Celda_Staging(tabla, tabla.fieldIndex(cabecera), fila, columna);
            },
            [this] {
                tabla.setValue(QStringLiteral("GRUPOEMPRESAS"), datos.IdGrupoEmpresas);
                return true;
            });
    }

    int confirmar(const qd::FieldList& campos) {
        const auto forma = qd::StatementShape::forTable(QStringLiteral("MARCAS"), QStringLiteral("IDMARCAS"),
                                                        QStringLiteral(")"), QStringLiteral(");"));
        const qd::SentenciasSql s = qd::construirSentencias(campos.items(), campos.ticks(), forma);
        qd::fb::Statement insertar(&datos.IBDatabase, &datos.IBTransaction1);
        insertar.setSql(s.insert);
        TDatos::FinEscritura fin(datos.IBTransaction1);
        int escritas = 0;
        for (tabla.first(); !tabla.eof(); tabla.next()) {
            datos.IBTransaction1.ensureStarted();
            if (!insertar.prepared()) insertar.prepare();
            TDatos::Enlazar_Desde_Staging(insertar, tabla, campos.items(), nullptr, nullptr);
            insertar.execute();
            ++escritas;
            if (datos.Fin_Fila_Escritura()) break;
        }
        fin.terminar();
        return escritas;
    }

    TDatos& datos;
    TkvRxMemoryData tabla;
};

// The toy page: the base's frame and road, the kind's hooks.
class PaginaMarcas final : public PaginaImportacion {
public:
    static Definicion definicion() {
        Definicion d;
        d.paginas = "PageControlMarcas";
        d.selector = "SelectorMarcas";
        d.listaCampos = "ListaMarcas";
        d.crearLista = &listaMarcas;
        d.bloqueaEnProceso = true;
        d.grid = "GridMarcas";
        d.splitter = "SplitterMarcas";
        d.panelBotones = "PanelBotonesMarcas";
        d.etiquetaPanel = "EtiquetaMarcas";
        return d;
    }
    PaginaMarcas(TDatos& d, QString& fichero, Marcas& m)
        : PaginaImportacion(d, fichero, definicion()), marcas(m) {
        grid()->setTabla(&marcas.tabla);
        grid()->setColumnas({{QStringLiteral("CODIGO"), QStringLiteral("Código"), false},
                             {QStringLiteral("NOMBRE"), QStringLiteral("Nombre"), false}});
    }
    void alMostrarPrimeraVez() override {
        PaginaImportacion::alMostrarPrimeraVez();
        ++mostrada;
    }
    void alCerrar() override { ++*cerrada; }

    Marcas& marcas;
    int* cerrada = nullptr;
    int mostrada = 0, escritas = -1;

protected:
    void cargar(const QString& fichero) override { marcas.cargar(fichero); }
    void confirmar() override { escritas = marcas.confirmar(*listaCampos()); }
    void vaciarStaging() override { marcas.tabla.close(); }
};

QString escribirCsv(const QTemporaryDir& dir, const QByteArray& contenido) {
    const QString ruta = dir.filePath(QStringLiteral("marcas.csv"));
    QFile f(ruta);
    f.open(QIODevice::WriteOnly);
    f.write(contenido);
    return ruta;
}

int marcasQueEmpiezanPor(const qd::test::TempDatabase& db, const char* prefijo) {
    auto a = db.attach();
    return qd::test::consultar(
               *a, QStringLiteral("SELECT COUNT(*) FROM MARCAS WHERE CODIGO STARTING WITH '%1'").arg(prefijo))
        .first()
        .first()
        .toInt();
}

TEST(TipoJuguete, APageDerivedFromTheBaseRunsInTheMainWindow) {
    qd::test::TempDatabase db;
    QTemporaryDir dir;
    const QString csv = escribirCsv(dir, "CODIGO;NOMBRE\r\nJG1;Juguete uno\r\nJG2;Juguete dos\r\n");
    TDatos datos;
    Marcas marcas(datos);
    int cerradas = 0;
    {
        TFormPrincipalExcell ventana(datos, {QStringLiteral("1"), QStringLiteral("1"), db.path(),
                                             QStringLiteral("1"), QStringLiteral("SYSDBA"),
                                             QStringLiteral("masterkey"), QString(), QStringLiteral("ART"),
                                             QStringLiteral("0"), QStringLiteral("0")});
        auto* pagina = new PaginaMarcas(datos, ventana.Nombre_Fichero, marcas);
        pagina->cerrada = &cerradas;
        ventana.anadirPagina(2, pagina);
        ventana.show();
        EXPECT_EQ(pagina->mostrada, 1);
        EXPECT_TRUE(pagina->listaCampos()->isChecked(2));

        qd::RecordingChannel canal;
        datos.setCanal(&canal);
        pagina->selector()->setText(csv);
        pagina->pulsarCargar();
        EXPECT_TRUE(pagina->cargado());
        EXPECT_EQ(pagina->grid()->model()->rowCount(), 2);
        // The window's busy state reaches the other pages.
        EXPECT_FALSE(ventana.paginaImportacion(0)->paginas()->isEnabled());
        pagina->botonConfirmar()->click();
        EXPECT_EQ(pagina->escritas, 2);
        EXPECT_FALSE(pagina->cargado());
        EXPECT_TRUE(ventana.paginaImportacion(0)->paginas()->isEnabled());
        EXPECT_TRUE(canal.messages(qd::MessageKind::Error).isEmpty()) << canal.log().join('\n').toStdString();
        datos.setCanal(&ventana.canal());
        EXPECT_EQ(cerradas, 0);
    }
    EXPECT_EQ(cerradas, 1) << "the window's end reaches the page";
    EXPECT_EQ(marcasQueEmpiezanPor(db, "JG"), 2);
}

TEST(TipoJuguete, ARowInTheTableOfKindsRunsHeadless) {
    qd::test::TempDatabase db;
    QTemporaryDir dir;
    const QString csv =
        escribirCsv(dir, "CODIGO;NOMBRE\r\nJC1;Consola uno\r\nJC2;Consola dos\r\nJC3;Tres\r\n");

    std::unique_ptr<Marcas> marcas;
    qd::cli::TipoImportacion juguete;
    juguete.nombre = QStringLiteral("marcas");
    juguete.opciones = {QCommandLineOption(QStringLiteral("solo-codigo"), QStringLiteral("Sólo el código."))};
    juguete.preparar = [&marcas](TDatos& d, const QCommandLineParser& p) {
        marcas = std::make_unique<Marcas>(d);
        auto campos = std::make_shared<qd::FieldList>(listaMarcas());
        if (p.isSet(QStringLiteral("solo-codigo"))) campos->setChecked(1, false);
        Marcas* m = marcas.get();
        return qd::cli::Pasos{[m](const QString& libro) { return m->cargar(libro); },
                              [m, campos](const qd::OpcionesMotor& motor) {
                                  return m->datos.Con_Motor(motor, [&](qd::MotorFilas& engine) {
                                      m->confirmar(*campos);
                                      return engine.resultado();
                                  });
                              }};
    };

    QList<qd::cli::TipoImportacion> tipos = qd::cli::tiposImportacion();
    tipos << juguete;
    EXPECT_EQ(qd::cli::ejecutar({QStringLiteral("--database"), db.path(), QStringLiteral("--kind"),
                                 QStringLiteral("marcas"), QStringLiteral("--solo-codigo"), csv},
                                tipos),
              qd::cli::kCorrecto);
    EXPECT_EQ(marcasQueEmpiezanPor(db, "JC"), 3);
    auto a = db.attach();
    EXPECT_TRUE(qd::test::consultar(*a, QStringLiteral("SELECT NOMBRE FROM MARCAS WHERE CODIGO = 'JC1'"))
                    .first()
                    .first()
                    .isNull())
        << "NOMBRE unticked by the kind's own option";
    // The article kind is still in the table next to it.
    EXPECT_EQ(qd::cli::ejecutar({QStringLiteral("--database"), db.path(), QStringLiteral("--kind"),
                                 QStringLiteral("articulos"), csv},
                                tipos),
              qd::cli::kFallo)
        << "articles without a mode";
}

} // namespace

int main(int argc, char** argv) {
    // Real widgets without a display (also while CTest lists the tests).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
