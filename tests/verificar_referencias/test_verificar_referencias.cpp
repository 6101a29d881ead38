// The supplier reference verification against copies of the template database: the persistent
// work list, the workbook pass, corrections by hand, the write-back and the report mode of
// qdimport.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSet>

#include "FixtureVerificarReferencias.h"

namespace {

using namespace verificar;
using Visualizar = qd::OpcionesVerificarReferencias::Visualizar;

QVariant valor(TkvIBDataSet& ds, const char* campo) {
    return ds.value(QString::fromLatin1(campo));
}

TEST(VerificarReferencias, ListaSeLlenaUnaVezYSoloSeVaciaAlPedirlo) {
    Fixture fx;
    Conexion cx(fx.db);
    auto o = fx.opciones();
    auto& ds = cx.tarifa.tArticulos_Ref_A_Verificar;
    // Empty list: the question is asked, No still fills it with the articles the supplier usually
    // supplies (D is not one); A's record in company 2 gives no second row.
    cx.canal.scriptAnswers({false});
    EXPECT_EQ(cx.tarifa.cargarReferenciasAVerificar(o, true), 4);
    EXPECT_EQ(cx.canal.questions().size(), 1);
    EXPECT_FALSE(irA(ds, fx.d));
    EXPECT_TRUE(cx.canal.incidences().isEmpty())
        << cx.canal.incidences().join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(irA(ds, fx.a));
    EXPECT_EQ(valor(ds, "REFERENCIA_PROVEEDOR").toString(), QStringLiteral("C-1"));
    EXPECT_EQ(valor(ds, "REFERENCIA_PROV_HABITUAL").toString(), QStringLiteral("HA-1"));
    EXPECT_EQ(valor(ds, "CODIGOFORMATO").toString(), QStringLiteral("8400000000011"));
    for (const char* f : {"ENCONTRADO_SN", "VERIFICADO_SN", "MANUAL_SN", "ACTUALIZADO_SN"})
        EXPECT_EQ(valor(ds, f).toInt(), 0) << f;

    // D becomes the supplier's: a list with rows is reused as it is, whatever entry or scope is
    // shown (a scope that shows nothing does not fill it again either).
    {
        auto c = fx.db.attach();
        ejecutar(*c, QStringLiteral("UPDATE ARTICULOS SET PROVEEDORHABITUAL = %1 WHERE IDARTICULOS = %2")
                         .arg(fx.proveedor)
                         .arg(fx.d));
    }
    EXPECT_EQ(cx.tarifa.cargarReferenciasAVerificar(o, false), 4);
    auto ninguno = o;
    ninguno.visualizar = Visualizar::Verificados;
    EXPECT_EQ(cx.tarifa.cargarReferenciasAVerificar(ninguno, false), 0);
    ninguno = o;
    ninguno.ambito = qd::OpcionesVerificarReferencias::Ambito::Marca;
    ninguno.IdMarca = 987654;
    EXPECT_EQ(cx.tarifa.cargarReferenciasAVerificar(ninguno, false), 0);
    EXPECT_EQ(cx.tarifa.Total_Referencias_A_Verificar(fx.proveedor), 4);
    // The list survives the program: a new connection finds it.
    {
        Conexion otra(fx.db);
        EXPECT_EQ(otra.tarifa.cargarReferenciasAVerificar(o, false), 4);
    }
    // Yes empties it and fills it again, now with D.
    cx.canal.scriptAnswers({true});
    EXPECT_EQ(cx.tarifa.cargarReferenciasAVerificar(o, true), 5);
    EXPECT_TRUE(irA(ds, fx.d));
}

TEST(VerificarReferencias, PasoExcelMarcaEncontradasVerificadasYDiferentes) {
    Fixture fx;
    Conexion cx(fx.db);
    const auto o = fx.opciones();
    auto& ds = cx.tarifa.tArticulos_Ref_A_Verificar;
    cx.tarifa.cargarReferenciasAVerificar(o, false);
    const auto r = cx.tarifa.verificarReferenciasExcel(fx.libro, o);
    EXPECT_EQ(r.Encontrados, 3);

    struct Caso {
        int articulo;
        bool encontrado;
        QString referencia, excelReferencia, excelEan;
        int largoNombre;
        bool difiere;
    };
    const Caso casos[] = {
        // Prefix PX taken off; same reference, other EAN than the record's format: differs.
        {fx.a, true, QStringLiteral("C-1"), QStringLiteral("C-1"), QStringLiteral("8400000000099"), 14, true},
        // Found through the card's reference (any case); the empty reference takes the workbook's.
        {fx.b, true, QStringLiteral("HB-2"), QStringLiteral("HB-2"), QStringLiteral("8400000000022"), 50,
         false},
        // Found whatever the case; the stored reference is shown as differing.
        {fx.c, true, QStringLiteral("c-3"), QStringLiteral("C-3"), QString(), 8, true},
        {fx.e, false, QStringLiteral("E-5"), QString(), QString(), 0, false},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.articulo);
        ASSERT_TRUE(irA(ds, k.articulo));
        EXPECT_EQ(valor(ds, "ENCONTRADO_SN").toInt(), k.encontrado ? 1 : 0);
        EXPECT_EQ(valor(ds, "VERIFICADO_SN").toInt(), k.encontrado ? 1 : 0);
        EXPECT_EQ(valor(ds, "MANUAL_SN").toInt(), k.encontrado ? 1 : 0);
        EXPECT_EQ(valor(ds, "CATALOGO_WEB").toInt(), 0); // the record's mark, untouched
        EXPECT_EQ(valor(ds, "REFERENCIA_PROVEEDOR").toString(), k.referencia);
        EXPECT_EQ(valor(ds, "EXCEL_REFERENCIA_PROVEEDOR").toString(), k.excelReferencia);
        EXPECT_EQ(valor(ds, "EXCEL_CODIGOEAN").toString(), k.excelEan);
        EXPECT_EQ(valor(ds, "EXCEL_NOMBRE").toString().size(), k.largoNombre);
        EXPECT_EQ(cx.tarifa.Referencia_Difiere(ds.recNo() - 1), k.difiere);
    }
    // Stored: a new connection reads the same flags.
    Conexion otra(fx.db);
    auto solo = o;
    solo.visualizar = Visualizar::Verificados;
    EXPECT_EQ(otra.tarifa.cargarReferenciasAVerificar(solo, false), 3);

    // Without links or supplier nothing is read.
    auto sin = o;
    sin.Enlaces.clear();
    EXPECT_THROW(cx.tarifa.verificarReferenciasExcel(fx.libro, sin), qd::ErrorImportacion);
}

TEST(VerificarReferencias, ActualizarEscribeSoloLasFilasVerificadasMostradas) {
    Fixture fx;
    Conexion cx(fx.db);
    auto o = fx.opciones();
    auto& ds = cx.tarifa.tArticulos_Ref_A_Verificar;
    cx.tarifa.cargarReferenciasAVerificar(o, false);
    cx.tarifa.verificarReferenciasExcel(fx.libro, o);
    // By hand: C is kept out, E (not in the workbook) is verified; both are posted at once.
    ASSERT_TRUE(irA(ds, fx.c));
    ds.setValueAt(ds.recNo() - 1, ds.fieldIndex(QStringLiteral("VERIFICADO_SN")), 0);
    ASSERT_TRUE(irA(ds, fx.e));
    ds.setValueAt(ds.recNo() - 1, ds.fieldIndex(QStringLiteral("VERIFICADO_SN")), 1);
    EXPECT_EQ(valor(ds, "MANUAL_SN").toInt(), 1);

    o.ActualizarArticulosProveedor = true;
    o.ActualizarProveedorHabitual = true;
    o.ActualizarNombreArticulo = true;
    o.CodigoEAN = true;

    auto soloA = o;
    soloA.visualizar = Visualizar::Verificados;
    ASSERT_EQ(cx.tarifa.Abrir_Referencias_A_Verificar(soloA), 3); // A, B, E
    // A alone in a brand and that brand shown: B, verified but hidden, is not written.
    {
        auto c = fx.db.attach();
        ejecutar(*c, QStringLiteral("UPDATE ARTICULOS SET MARCA = NULL WHERE IDARTICULOS IN (%1, %2, %3, %4)")
                         .arg(fx.a)
                         .arg(fx.b)
                         .arg(fx.c)
                         .arg(fx.e));
        const int marca =
            consultar(*c, QStringLiteral("SELECT FIRST 1 IDMARCAS FROM MARCAS")).value(0).value(0).toInt();
        ASSERT_GT(marca, 0);
        ejecutar(
            *c,
            QStringLiteral("UPDATE ARTICULOS SET MARCA = %1 WHERE IDARTICULOS = %2").arg(marca).arg(fx.a));
        soloA.ambito = qd::OpcionesVerificarReferencias::Ambito::Marca;
        soloA.IdMarca = marca;
    }
    ASSERT_EQ(cx.tarifa.Abrir_Referencias_A_Verificar(soloA), 1);
    EXPECT_EQ(cx.tarifa.actualizarReferenciasVerificadas(soloA).Actualizados, 1);
    EXPECT_EQ(fx.ficha(fx.a), (QVariantList{QStringLiteral("C-1"), QStringLiteral("NOMBRE A EXCEL")}));
    EXPECT_EQ(fx.referencia(fx.a, 2).toString(), QStringLiteral("OTRA")); // the other company's record
    EXPECT_TRUE(fx.referencia(fx.b).isNull());
    {
        // A points at an existing format: kept, whatever EAN the workbook gives.
        auto c = fx.db.attach();
        EXPECT_EQ(consultar(*c, QStringLiteral("SELECT ID_FORMATO FROM ARTICULOSPROVEEDORES WHERE ARTICULO = "
                                               "%1 AND EMPRESA = 1 AND PROVEEDOR = %2")
                                    .arg(fx.a)
                                    .arg(fx.proveedor))
                      .value(0)
                      .value(0)
                      .toInt(),
                  Fixture::kFormatoA);
    }

    // Every verified row shown: B and E now; A already written is passed over.
    auto todos = o;
    todos.visualizar = Visualizar::Verificados;
    cx.tarifa.Abrir_Referencias_A_Verificar(todos);
    EXPECT_EQ(cx.tarifa.actualizarReferenciasVerificadas(todos).Actualizados, 2);
    EXPECT_EQ(fx.referencia(fx.b).toString(), QStringLiteral("HB-2"));
    {
        // B had no format: one is made from the workbook's EAN and linked to its record.
        auto c = fx.db.attach();
        EXPECT_EQ(consultar(*c, QStringLiteral("SELECT F.CODIGO, F.SIGLAFORMATO, F.ARTICULO FROM "
                                               "ARTICULOSPROVEEDORES AP JOIN FORMATOS F ON F.IDFORMATOS = "
                                               "AP.ID_FORMATO WHERE AP.ARTICULO = %1 AND AP.EMPRESA = 1 AND "
                                               "AP.PROVEEDOR = %2")
                                    .arg(fx.b)
                                    .arg(fx.proveedor))
                      .value(0),
                  (QVariantList{QStringLiteral("8400000000022"), QStringLiteral("Und"), fx.b}));
    }
    // E, verified by hand, has no workbook name: the card keeps its own.
    EXPECT_EQ(fx.ficha(fx.e), (QVariantList{QStringLiteral("E-5"), QStringLiteral("ORIGINAL %1").arg(fx.e)}));
    // C, cleared by hand, is left as it was.
    EXPECT_EQ(fx.referencia(fx.c).toString(), QStringLiteral("c-3"));
    EXPECT_EQ(fx.ficha(fx.c).value(0).toString(), QStringLiteral("HC-3"));
    ASSERT_TRUE(irA(ds, fx.b));
    EXPECT_EQ(valor(ds, "ACTUALIZADO_SN").toInt(), 1);
    EXPECT_EQ(valor(ds, "REFERENCIA_PROV_HABITUAL").toString(), QStringLiteral("HB-2"));
    EXPECT_TRUE(cx.canal.messages(qd::MessageKind::Information)
                    .last()
                    .startsWith(QStringLiteral("¡¡ PROCESO TERMINADO !!")));

    // Written rows are written again only when asked.
    EXPECT_EQ(cx.tarifa.actualizarReferenciasVerificadas(todos).Actualizados, 0);
    todos.VolverActualizar = true;
    EXPECT_EQ(cx.tarifa.actualizarReferenciasVerificadas(todos).Actualizados, 3);
}

// The report mode prints the rows the window shows as differing, and writes nothing to the
// records and cards without --actualizar.
TEST(VerificarReferencias, InformeDeQdimportMuestraLasMismasDiferencias) {
    Fixture ventana, informe;
    QSet<QString> esperadas;
    {
        Conexion cx(ventana.db);
        const auto o = ventana.opciones();
        cx.tarifa.cargarReferenciasAVerificar(o, false);
        cx.tarifa.verificarReferenciasExcel(ventana.libro, o);
        auto& ds = cx.tarifa.tArticulos_Ref_A_Verificar;
        for (int f = 0; f < ds.recordCount(); ++f)
            if (cx.tarifa.Referencia_Difiere(f))
                esperadas << ds.valueAt(f, ds.fieldIndex(QStringLiteral("CODIGO"))).toString().trimmed();
    }
    ASSERT_EQ(esperadas.size(), 2);
    const QStringList base{QStringLiteral("--database"),
                           informe.db.path(),
                           QStringLiteral("--kind"),
                           QStringLiteral("verificar-referencias"),
                           QStringLiteral("--proveedor"),
                           informe.codigoProveedor,
                           QStringLiteral("--prefijo"),
                           QStringLiteral("PX"),
                           QStringLiteral("--enlace"),
                           QStringLiteral("REF=REFERENCIA_PROVEEDOR,EAN=CODIGOEAN,NOMBRE=NOMBRE_ARTICULO")};
    auto correr = [&](const QStringList& extra) {
        QProcess p;
        p.start(QStringLiteral(QD_QDIMPORT), base + extra + QStringList{informe.libro});
        EXPECT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    };
    const QString salida = correr({});
    QSet<QString> impresas;
    for (const QString& linea : salida.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (linea.count(QLatin1Char('\t')) >= 4) impresas << linea.section(QLatin1Char('\t'), 0, 0).trimmed();
    EXPECT_EQ(impresas, esperadas) << salida.toStdString();
    EXPECT_TRUE(informe.referencia(informe.b).isNull());
    EXPECT_EQ(informe.ficha(informe.a).value(0).toString(), QStringLiteral("HA-1"));

    {
        // Every step commits: a dry run is refused before anything is read.
        QProcess p;
        p.start(QStringLiteral(QD_QDIMPORT), base + QStringList{QStringLiteral("--simular"), informe.libro});
        ASSERT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 2);
    }
    correr({QStringLiteral("--actualizar"), QStringLiteral("--referencia-proveedor"),
            QStringLiteral("--referencia-habitual")});
    EXPECT_EQ(informe.referencia(informe.b).toString(), QStringLiteral("HB-2"));
    EXPECT_EQ(informe.ficha(informe.a).value(0).toString(), QStringLiteral("C-1"));
}

} // namespace
