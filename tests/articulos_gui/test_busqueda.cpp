// The search window of the lookup edit: its modes and filters with bound search text (quotes,
// '%' and '_'), the row count, sorting, the large and small layouts, typing, the other searches,
// the article and auxiliary-data extras, and the lookups of the article page and of the defaults
// window opening it by key and taking its row.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "EntornoPrueba.h"
#include "PaginaArticulos.h"
#include "PaginaTarifas.h"
#include "TFormConfiguracionDatosDefecto.h"
#include "TkvDBEditLookup.h"
#include "TkvGroupBox.h"
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

    // F2, F4 and F5 open the window in their modes; Esc closes it and nothing is taken. The
    // window's own key handler sees them too.
    int teclasVentana = 0;
    lookup->onKeyDown = [&teclasVentana](QKeyEvent*) { ++teclasVentana; };
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
    EXPECT_EQ(teclasVentana, 3);
    lookup->onKeyDown = nullptr;

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

TEST_F(BusquedaTest, TheStatementsOwnConditionStaysWhole) {
    TkvScan s;
    auto a = ajustes(0, QStringLiteral("ZT"));
    a.UsarGrupoEmpresas = false;
    a.TextoSQL << QStringLiteral("WHERE GRUPOEMPRESAS = 2 OR GRUPOEMPRESAS = 1");
    s.Inicializar(a);
    s.MostrarDatos();
    EXPECT_EQ(codigos(s), (QStringList{QStringLiteral("ZT01"), QStringLiteral("ZT02")}));
}

TEST_F(BusquedaTest, LargeLayoutFiltersSmallLayoutPositions) {
    struct Caso {
        const char* nombre;
        bool grande, comoGrande;
        bool todas; // every row of the group listed
    };
    const Caso casos[] = {
        {"large", true, false, false},
        {"small", false, false, true},
        {"small working as large", false, true, false},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        TkvScan s;
        auto a = ajustes(0, QStringLiteral("zt0"));
        a.VerGrande = c.grande;
        a.Funcionamiento_Grande = c.comoGrande;
        s.Inicializar(a);
        s.MostrarDatos();
        const QStringList vistos = codigos(s);
        EXPECT_EQ(vistos.contains(QStringLiteral("ZQ1")), c.todas)
            << vistos.join(QLatin1Char(',')).toStdString();
        EXPECT_TRUE(vistos.contains(QStringLiteral("ZT01")));
        EXPECT_EQ(s.marcoOtrasBusquedas()->isVisibleTo(&s), c.grande);
        EXPECT_EQ(s.busqueda()->text(), QStringLiteral("zt0"));
        // The grid stands on the first code that begins with the text.
        const QModelIndex actual = s.rejilla()->currentIndex();
        ASSERT_TRUE(actual.isValid());
        EXPECT_EQ(s.filas()->item(actual.row(), 0)->text(), QStringLiteral("ZT01"));
    }
}

TEST_F(BusquedaTest, TypingPositionsAndQueriesAgainAfterFourCharacters) {
    TkvScan s;
    s.Inicializar(ajustes(1, QString()));
    s.MostrarDatos();
    const int todas = s.filas()->rowCount();
    ASSERT_GT(todas, 4);
    QTest::keyClicks(s.busqueda(), QStringLiteral("zeta"));
    EXPECT_EQ(s.filas()->rowCount(), todas) << "four characters only move the grid";
    EXPECT_TRUE(
        s.filas()->item(s.rejilla()->currentIndex().row(), 1)->text().startsWith(QStringLiteral("ZETA")));
    QTest::keyClicks(s.busqueda(), QStringLiteral(" d"));
    EXPECT_EQ(codigos(s), QStringList{QStringLiteral("ZT02")});

    // Backspace turns autoscan off: the text only moves the grid from then on.
    QTest::keyClick(s.busqueda(), Qt::Key_Backspace);
    EXPECT_TRUE(s.desactivarAutoScan()->isChecked());
    QTest::keyClicks(s.busqueda(), QStringLiteral("u"));
    EXPECT_EQ(codigos(s), QStringList{QStringLiteral("ZT02")});
    s.desactivarAutoScan()->setChecked(false);
    s.busqueda()->setText(QStringLiteral("zeta "));
    QTest::keyClicks(s.busqueda(), QStringLiteral("u"));
    EXPECT_EQ(codigos(s), QStringList{QStringLiteral("ZT01")});
}

TEST_F(BusquedaTest, IgnoredCharactersAreLeftOutOfTheSelection) {
    TkvScan s;
    auto a = ajustes(0, QStringLiteral("12"));
    a.Caract_Ignorar_Codigo = 3;
    s.Inicializar(a);
    EXPECT_EQ(s.textoScan(), QStringLiteral("___12"));
    s.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&s));
    QTest::qWait(20);
    EXPECT_EQ(s.busqueda()->selectionStart(), 3);
    EXPECT_EQ(s.busqueda()->selectedText(), QStringLiteral("12"));
    EXPECT_GE(s.width(), 600);
}

TEST_F(BusquedaTest, OtherSearchAsksForTheTextAndScansThatColumn) {
    TkvScan s;
    auto a = ajustes(0, QString());
    a.FormatoCampos << QStringLiteral("NOMBRE@30@Descripción");
    a.CaptionVentana = QStringLiteral("Tarifas");
    s.Inicializar(a);
    EXPECT_EQ(s.botonTecla(0)->text(), QStringLiteral("F2\nCódigo"));
    EXPECT_EQ(s.botonTecla(1)->text(), QStringLiteral("F4\nNombre"));
    QString titulo, pregunta;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!d) return;
        titulo = d->windowTitle();
        pregunta = d->labelText();
        d->setTextValue(QStringLiteral("o'ha"));
        d->accept();
    });
    s.elegirOtraBusqueda(2);
    EXPECT_EQ(titulo, QStringLiteral("Scan por DESCRIPCIÓN"));
    EXPECT_EQ(pregunta, QStringLiteral("Cadena a Buscar"));
    EXPECT_EQ(s.tipoOrdenacion(), 2);
    EXPECT_EQ(s.windowTitle(), QStringLiteral("Tarifas Scan por Descripción"));
    EXPECT_EQ(codigos(s), QStringList{QStringLiteral("ZQ1")});
}

TEST_F(BusquedaTest, ArticleAndClientTablesAndAuxiliaryData) {
    {
        TkvScan s;
        TkvScan::Ajustes a;
        a.Articulos = true;
        a.TextoSQL = {QStringLiteral("SELECT A.CODIGO,"), QStringLiteral("A.NOMBRE,"),
                      QStringLiteral("A.IDARTICULOS"), QStringLiteral("FROM ARTICULOS A")};
        a.FormatoCampos = {QStringLiteral("CODIGO@15@Código"), QStringLiteral("NOMBRE@40@Nombre")};
        a.DataBase = &e->datos.IBDatabase;
        a.Transaccion = &e->datos.IBTransaction1;
        s.Inicializar(a);
        s.MostrarDatos();
        EXPECT_EQ(s.filas()->rowCount(), 0) << "a large article window lists nothing until searched";
        EXPECT_TRUE(s.sentenciaFilas().contains(QStringLiteral("(A.DESCATALOGADO = 0)")));
        EXPECT_TRUE(s.botonF6()->isVisibleTo(&s));
        EXPECT_EQ(s.botonF6()->text(), QStringLiteral("F6   Ver Stocks"));
        EXPECT_TRUE(s.verDescatalogados()->isVisibleTo(&s));
        QString codigoF6 = QStringLiteral("-");
        s.OnF6 = [&codigoF6](QWidget*, const QString& codigo) { codigoF6 = codigo; };
        QTest::keyClick(s.busqueda(), Qt::Key_F6);
        EXPECT_EQ(codigoF6, QString()) << "no rows listed: no code";
        s.verDescatalogados()->setChecked(true);
        EXPECT_FALSE(s.sentenciaFilas().contains(QStringLiteral("DESCATALOGADO")));
    }
    {
        TkvScan s;
        auto a = ajustes(0, QString());
        a.Clientes = true;
        a.Compras = true;
        s.Inicializar(a);
        EXPECT_EQ(s.botonF6()->text(), QStringLiteral("F6   Alta Rápida"));
        EXPECT_FALSE(s.verDescatalogados()->isVisibleTo(&s));
        EXPECT_FALSE(s.tarifaVentas()->isVisibleTo(&s));
    }
    {
        // The price list chosen goes into the statement's parameter.
        TkvScan s;
        auto a = ajustes(0, QStringLiteral("ZT"));
        a.TextoSQL << QStringLiteral("WHERE CODIGO <> :ParCodigoTarifa");
        a.Parametros.insert(QStringLiteral("ParCodigoTarifa"), QStringLiteral("ZT01"));
        a.UsarDatosAuxiliares = true;
        a.CodTarifa = QStringLiteral("ZT01");
        a.NombTarifa = QStringLiteral("ZETA UNO");
        a.CodTarifaCli = QStringLiteral("ZT02");
        a.NombTarifaCli = QStringLiteral("ZETA DOS");
        a.CodAlmacen = QStringLiteral("CEN");
        a.NombAlmacen = QStringLiteral("CENTRAL");
        s.Inicializar(a);
        s.MostrarDatos();
        EXPECT_EQ(s.etiquetaAlmacen()->text(), QStringLiteral("Almacén: CEN CENTRAL"));
        EXPECT_EQ(s.tarifaVentas()->Items().value(1), QStringLiteral("   Cliente   ZT02 ZETA DOS"));
        EXPECT_EQ(s.tarifaVentas()->ItemIndex(), 0);
        EXPECT_EQ(s.anchoInicial(), 753);
        EXPECT_EQ(codigos(s), QStringList{QStringLiteral("ZT02")});
        s.tarifaVentas()->boton(1)->click();
        EXPECT_EQ(codigos(s), QStringList{QStringLiteral("ZT01")});
    }
}

// Opens the search window of a lookup with a key, and in it: types a text, sorts by the first
// column (descending when asked) through the title's menu, and accepts the first row with Enter.
struct Eleccion {
    int tipo = -1;
    QString registros, titulo;
    QStringList codigos;
};
Eleccion elegirEnVentana(TkvDBEditLookup* lookup, Qt::Key tecla, const QString& escrito, bool descendente) {
    Eleccion r;
    QTimer::singleShot(0, [&] {
        auto* s = qobject_cast<TkvScan*>(QApplication::activeModalWidget());
        if (!s) return;
        r.tipo = s->tipoOrdenacion();
        r.titulo = s->windowTitle();
        QTest::keyClicks(s->busqueda(), escrito);
        r.registros = s->etiquetaRegistros()->text();
        QTimer::singleShot(0, [descendente] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            QTest::keyClick(menu, Qt::Key_Down);
            if (descendente) QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QHeaderView* cabecera = s->rejilla()->horizontalHeader();
        QTest::mouseClick(cabecera->viewport(), Qt::LeftButton, {},
                          QPoint(cabecera->sectionViewportPosition(0) + 4, cabecera->height() / 2));
        for (int i = 0; i < s->filas()->rowCount(); ++i)
            r.codigos << s->filas()->item(i, 0)->text();
        s->rejilla()->selectRow(0);
        QTest::keyClick(s->busqueda(), Qt::Key_Return);
    });
    if (tecla == Qt::Key_unknown)
        lookup->boton()->click();
    else
        QTest::keyClick(lookup, tecla);
    return r;
}

TEST_F(BusquedaTest, ArticlePageLookupChoosesFromTheWindow) {
    QString nombreFichero;
    PaginaArticulos pagina(e->datos, nombreFichero);
    pagina.resize(1000, 700);
    pagina.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pagina));
    pagina.precargarLookups();
    auto* tarifas = pagina.findChild<TkvDBEditLookup*>(QStringLiteral("kvDBEditLookupTarifas"));
    auto* nombre = pagina.findChild<QLabel*>(QStringLiteral("LabelNombreTarifa"));
    ASSERT_TRUE(tarifas && nombre);
    tarifas->setFocus(Qt::TabFocusReason);
    tarifas->clear();

    const auto f5 = elegirEnVentana(tarifas, Qt::Key_F5, QStringLiteral("ETA %"), true);
    EXPECT_EQ(f5.tipo, 2);
    EXPECT_TRUE(f5.titulo.endsWith(QStringLiteral(" Scan por Nombre de TARIFAS")));
    EXPECT_EQ(f5.registros, QStringLiteral("Nº Reg: 4")) << "the other group's list is left out";
    EXPECT_EQ(f5.codigos, (QStringList{QStringLiteral("ZT02"), QStringLiteral("ZT01"), QStringLiteral("ZQ1"),
                                       QStringLiteral("ZP1")}));
    EXPECT_EQ(tarifas->text(), QStringLiteral("ZT02"));
    EXPECT_EQ(nombre->text(), QStringLiteral("ZETA DOS"));
    EXPECT_EQ(pagina.opciones().Tarifa_Ventas, 912);

    const auto f2 = elegirEnVentana(tarifas, Qt::Key_F2, QString(), false);
    EXPECT_EQ(f2.tipo, 0);
    EXPECT_EQ(f2.codigos.value(0), QStringLiteral("ZT02")) << "the lookup's text is the search text";
    EXPECT_EQ(f2.registros, QStringLiteral("Nº Reg: 1"));
    EXPECT_EQ(elegirEnVentana(tarifas, Qt::Key_F4, QString(), false).tipo, 1);
    // The button inside the edit opens it by code.
    EXPECT_EQ(elegirEnVentana(tarifas, Qt::Key_unknown, QString(), false).tipo, 0);
    EXPECT_EQ(pagina.opciones().Tarifa_Ventas, 912);

    // Emptied, or on a code of no list, the lookup keeps no earlier choice.
    for (const QString& texto : {QString(), QStringLiteral("NOEXISTE")}) {
        tarifas->setText(QStringLiteral("ZT01"));
        tarifas->ConfirmarCambios();
        ASSERT_EQ(pagina.opciones().Tarifa_Ventas, 911);
        tarifas->setText(texto);
        tarifas->ConfirmarCambios();
        EXPECT_EQ(pagina.opciones().Tarifa_Ventas, 0) << texto.toStdString();
        EXPECT_TRUE(nombre->text().isEmpty());
    }
}

// Every lookup of the pages and of the defaults window opens its search window, which lists rows.
TEST_F(BusquedaTest, EveryLookupOpensItsSearchWindow) {
    QString nombreFichero;
    PaginaArticulos articulos(e->datos, nombreFichero);
    PaginaTarifas tarifas(e->datos, nombreFichero);
    TFormConfiguracionDatosDefecto defecto(e->datos);
    const QList<QWidget*> ventanas{&articulos, &tarifas, &defecto};
    int abiertas = 0;
    for (QWidget* v : ventanas) {
        v->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(v));
        const auto lookups = v->findChildren<TkvDBEditLookup*>();
        ASSERT_FALSE(lookups.isEmpty());
        for (TkvDBEditLookup* l : lookups) {
            SCOPED_TRACE(l->objectName().toStdString());
            l->ValorGrupoEmpresas = 1;
            l->clear();
            int filas = -1;
            QTimer::singleShot(0, [&filas] {
                auto* s = qobject_cast<TkvScan*>(QApplication::activeModalWidget());
                if (!s) return;
                filas = s->filas()->rowCount();
                s->reject();
            });
            QTest::keyClick(l, Qt::Key_F2);
            EXPECT_GT(filas, 0);
            ++abiertas;
        }
        v->hide();
    }
    EXPECT_EQ(abiertas, 2 + 3 + 5);
    EXPECT_TRUE(e->canal.messages().isEmpty());
}

TEST_F(BusquedaTest, DefaultsWindowLookupWithAliasAndJoin) {
    TFormConfiguracionDatosDefecto v(e->datos);
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
    v.FormShow();
    TkvDBEditLookup* regimen = v.lookup(1);
    regimen->setFocus(Qt::TabFocusReason);
    regimen->clear();

    const auto f4 = elegirEnVentana(regimen, Qt::Key_F4, QStringLiteral("recar"), false);
    EXPECT_EQ(f4.tipo, 1);
    EXPECT_EQ(f4.registros, QStringLiteral("Nº Reg: 1"));
    EXPECT_EQ(regimen->text(), QStringLiteral("REC"));
    EXPECT_EQ(v.nombre(1)->text(), QStringLiteral("RECARGO DE EQUIVALENCIA"));
    EXPECT_EQ(v.valores().RegimenIVA, 2);

    regimen->clear();
    const auto f2 = elegirEnVentana(regimen, Qt::Key_F2, QString(), true);
    EXPECT_EQ(f2.registros, QStringLiteral("Nº Reg: 4"));
    EXPECT_EQ(f2.codigos, (QStringList{QStringLiteral("REC"), QStringLiteral("INT"), QStringLiteral("GEN"),
                                       QStringLiteral("EXE")}));
    EXPECT_EQ(regimen->text(), QStringLiteral("REC"));

    // A text with a quote, '%' and '_' never breaks the query.
    const auto raro = elegirEnVentana(regimen, Qt::Key_F5, QStringLiteral("'%_\""), false);
    EXPECT_EQ(raro.tipo, 2);
    EXPECT_EQ(raro.registros.left(8), QStringLiteral("Nº Reg: "));
    EXPECT_TRUE(e->canal.messages().isEmpty());
}

} // namespace
