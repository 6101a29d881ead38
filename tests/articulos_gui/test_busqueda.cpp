// The search window of the lookup edit: its modes and filters with bound search text (quotes,
// '%' and '_'), the row count, sorting, and the lookup opening it by key and taking its row.

#include <QApplication>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "EntornoPrueba.h"
#include "TkvDBEditLookup.h"
#include "TkvScan.h"

namespace {

class BusquedaTest : public ::testing::Test {
protected:
    void SetUp() override {
        e = std::make_unique<prueba::Entorno>();
        const QVariantList filas[] = {
            {911, QStringLiteral("ZT01"), QStringLiteral("ZETA UNO"), 1},
            {912, QStringLiteral("ZT02"), QStringLiteral("ZETA DOS"), 1},
            {913, QStringLiteral("ZQ1"), QStringLiteral("ZETA O'HARA"), 1},
            {914, QStringLiteral("ZP1"), QStringLiteral("ZETA 100% FIJO"), 1},
            {915, QStringLiteral("ZG01"), QStringLiteral("ZETA OTRO GRUPO"), 2},
        };
        for (const auto& f : filas)
            e->ejecutar(
                QStringLiteral("INSERT INTO TARIFAS (IDTARIFAS, CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES "
                               "(:P0, :P1, :P2, :P3)"),
                f);
    }

    TkvScan::Ajustes ajustes(int tipo, const QString& texto) {
        TkvScan::Ajustes a;
        a.UsarGrupoEmpresas = true;
        a.GrupoEmpresas = 1;
        a.TipoOrdenacion = tipo;
        a.TextoSQL = {QStringLiteral("SELECT CODIGO, NOMBRE, IDTARIFAS"), QStringLiteral("FROM TARIFAS")};
        a.FormatoCampos = {QStringLiteral("CODIGO@6@Código"), QStringLiteral("NOMBRE@30@Nombre")};
        a.TextoScan = texto;
        a.DataBase = &e->datos.IBDatabase;
        a.Transaccion = &e->datos.IBTransaction1;
        return a;
    }

    static QStringList codigos(const TkvScan& s) {
        QStringList r;
        for (int i = 0; i < s.filas()->rowCount(); ++i)
            r << s.filas()->item(i, 0)->text();
        return r;
    }

    std::unique_ptr<prueba::Entorno> e;
};

TEST_F(BusquedaTest, ModesFilterWithBoundTextAndCount) {
    struct Caso {
        int tipo;
        const char* texto;
        QStringList esperados;
    };
    const Caso casos[] = {
        {0, "zt", {QStringLiteral("ZT01"), QStringLiteral("ZT02")}},  // code, any case
        {0, "Z_0", {QStringLiteral("ZT01"), QStringLiteral("ZT02")}}, // '_' is one character
        {0, "ZG", {}},                                                // other company group
        {1, "zeta d", {QStringLiteral("ZT02")}},                      // name, begins with
        {1, "ZETA O'", {QStringLiteral("ZQ1")}},                      // a quote is just text
        {2, "'HARA", {QStringLiteral("ZQ1")}},                        // contains
        {2, "100%", {QStringLiteral("ZP1")}},                         // '%' is a wildcard
        {2, "ETA%DOS", {QStringLiteral("ZT02")}},
        {2, "\"; DROP", {}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto);
        TkvScan s;
        s.Inicializar(ajustes(c.tipo, QString::fromUtf8(c.texto)));
        s.MostrarDatos();
        QStringList vistos = codigos(s);
        vistos.removeIf([](const QString& x) { return !x.startsWith(QLatin1Char('Z')); });
        if (c.tipo == 0) {
            EXPECT_EQ(vistos, c.esperados);
        } else {
            for (const auto& esperado : c.esperados)
                EXPECT_TRUE(vistos.contains(esperado)) << vistos.join(QLatin1Char(',')).toStdString();
        }
        if (c.esperados.isEmpty()) {
            EXPECT_TRUE(vistos.isEmpty());
        }
        EXPECT_EQ(s.etiquetaRegistros()->text(), QStringLiteral("Nº Reg: %1").arg(s.filas()->rowCount()));
        EXPECT_FALSE(s.sentenciaFilas().contains(QString::fromUtf8(c.texto)));
        EXPECT_TRUE(s.sentenciaFilas().contains(QStringLiteral("SELECT  DISTINCT CODIGO")));
    }
}

TEST_F(BusquedaTest, SortsByColumnAndCountCanBeOff) {
    TkvScan s;
    auto a = ajustes(0, QStringLiteral("ZT"));
    a.ContarRegistros = false;
    s.Inicializar(a);
    s.MostrarDatos();
    EXPECT_EQ(codigos(s), (QStringList{QStringLiteral("ZT01"), QStringLiteral("ZT02")}));
    EXPECT_EQ(s.etiquetaRegistros()->text(), QStringLiteral("Nº Reg: ¿?"));
    s.ordenar(0, false);
    EXPECT_EQ(codigos(s), (QStringList{QStringLiteral("ZT02"), QStringLiteral("ZT01")}));
    s.ordenar(1, true); // by name: ZETA DOS before ZETA UNO
    EXPECT_EQ(codigos(s), (QStringList{QStringLiteral("ZT02"), QStringLiteral("ZT01")}));
    EXPECT_TRUE(s.sentenciaFilas().endsWith(QStringLiteral("ORDER BY 2 ASC")));
}

TEST_F(BusquedaTest, LookupKeysOpenTheWindowAndTakeTheRow) {
    QWidget ventana;
    auto* capa = new QVBoxLayout(&ventana);
    auto* lookup = new TkvDBEditLookup;
    auto* otro = new QLineEdit;
    capa->addWidget(lookup);
    capa->addWidget(otro);
    lookup->setDataBase(&e->datos.IBDatabase, &e->datos.IBTransaction1);
    lookup->setSQL({QStringLiteral("SELECT CODIGO, NOMBRE, IDTARIFAS"), QStringLiteral("FROM TARIFAS")});
    lookup->setOpcionesBusqueda(TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas);
    lookup->ValorGrupoEmpresas = 1;
    lookup->FormatoCampos = {QStringLiteral("CODIGO@6@Código"), QStringLiteral("NOMBRE@30@Nombre")};
    int confirmaciones = 0, id = 0;
    lookup->OnConfirmarCambios = [&](TkvDBEditLookup& l) {
        ++confirmaciones;
        id = l.DataSetResultado().value(QStringLiteral("IDTARIFAS")).toInt();
    };
    ventana.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    lookup->setFocus(Qt::TabFocusReason);

    // F2, F4 and F5 open the window in their modes; Esc closes it and nothing is taken.
    const std::pair<Qt::Key, int> teclas[] = {{Qt::Key_F2, 0}, {Qt::Key_F4, 1}, {Qt::Key_F5, 2}};
    for (const auto& [tecla, tipo] : teclas) {
        int visto = -1;
        QTimer::singleShot(0, [&visto] {
            auto* s = qobject_cast<TkvScan*>(QApplication::activeModalWidget());
            if (!s) return;
            visto = s->tipoOrdenacion();
            s->reject();
        });
        QTest::keyClick(lookup, tecla);
        EXPECT_EQ(visto, tipo);
    }
    EXPECT_EQ(confirmaciones, 0);

    // Typing filters, "Nº Reg:" counts, Enter takes the row: the lookup shows its code, confirms it
    // once, and leaving the control does not confirm it again.
    QString registros;
    QTimer::singleShot(0, [&registros] {
        auto* s = qobject_cast<TkvScan*>(QApplication::activeModalWidget());
        if (!s) return;
        QTest::keyClicks(s->busqueda(), QStringLiteral("zeta d"));
        registros = s->etiquetaRegistros()->text();
        QTest::keyClick(s->busqueda(), Qt::Key_Return);
    });
    QTest::keyClick(lookup, Qt::Key_F4);
    EXPECT_EQ(registros, QStringLiteral("Nº Reg: 1"));
    EXPECT_EQ(lookup->text(), QStringLiteral("ZT02"));
    EXPECT_EQ(id, 912);
    EXPECT_EQ(confirmaciones, 1);
    EXPECT_TRUE(lookup->resuelto());
    ventana.activateWindow(); // the offscreen platform does not give it back by itself
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ventana));
    ASSERT_TRUE(lookup->hasFocus());
    otro->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(confirmaciones, 1);

    // A code typed over a row taken from the window is resolved when leaving: no stale ID.
    lookup->setFocus(Qt::TabFocusReason);
    lookup->setText(QStringLiteral("zt02"));
    QTimer::singleShot(0, [] {
        if (auto* s = qobject_cast<TkvScan*>(QApplication::activeModalWidget()))
            QTest::keyClick(s->busqueda(), Qt::Key_Return);
    });
    QTest::keyClick(lookup, Qt::Key_F2);
    EXPECT_EQ(confirmaciones, 2);
    ventana.activateWindow(); // the offscreen platform does not give it back by itself
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ventana));
    lookup->setFocus(Qt::TabFocusReason);
    lookup->setText(QStringLiteral("ZT01"));
    otro->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(confirmaciones, 3);
    EXPECT_EQ(id, 911);

    // A read-only lookup opens no window.
    lookup->setReadOnly(true);
    lookup->setFocus(Qt::TabFocusReason);
    bool abierta = false;
    QTimer::singleShot(0, [&abierta] {
        if (auto* w = QApplication::activeModalWidget()) {
            abierta = true;
            w->close();
        }
    });
    QTest::keyClick(lookup, Qt::Key_F2);
    QCoreApplication::processEvents();
    EXPECT_FALSE(abierta);
}

} // namespace
