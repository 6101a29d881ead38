// The lookup edit: the statement it runs, resolution by typed code without a window (case,
// company group, quotes in the text), preloading, completion, focus and labels, keys.

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "EntornoPrueba.h"
#include "TkvDBEditLookup.h"

namespace {

// Statement building needs no database.
TEST(LookupStatement, FilterOrderAndCompanyGroup) {
    struct Caso {
        const char* nombre;
        QStringList sql;
        TkvDBEditLookup::TOpciones opciones;
        QStringList contiene;
        QStringList noContiene;
    };
    const QString like = QStringLiteral("CODIGO LIKE CAST(:KVTEXTOBUSQUEDA AS VARCHAR(1024))");
    const Caso casos[] = {
        {"plain table: WHERE filter, ordered by code",
         {QStringLiteral("SELECT CODIGO, NOMBRE, IDTARIFAS"), QStringLiteral("FROM TARIFAS")},
         TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas,
         {QStringLiteral("WHERE ( (") + like, QStringLiteral("UPPER(CODIGO) LIKE"),
          QStringLiteral("AND (TARIFAS.GrupoEmpresas = :KVVALORGRUPOEMPRESAS)"),
          QStringLiteral("ORDER BY CODIGO")},
         {QStringLiteral("AND ( (")}},
        {"alias and own WHERE and ORDER BY",
         {QStringLiteral("SELECT RI.CODIGO, RI.NOMBRE, RI.IDREGIMENESIVA"),
          QStringLiteral("FROM REGIMENESIVA RI"), QStringLiteral("WHERE RI.IDREGIMENESIVA > 0"),
          QStringLiteral("ORDER BY RI.NOMBRE")},
         TkvDBEditLookup::Filtrar_por_Empresa,
         {QStringLiteral("WHERE ( RI.IDREGIMENESIVA > 0"), QStringLiteral(")\r\nAND ( (RI.CODIGO LIKE"),
          QStringLiteral("AND (RI.Empresa = :KVVALORGRUPOEMPRESAS)"), QStringLiteral("ORDER BY RI.NOMBRE")},
         {QStringLiteral("ORDER BY RI.CODIGO"), QStringLiteral("WHERE ( (")}},
        {"MIN( in the code column: no filter, no company filter",
         {QStringLiteral("SELECT MIN(CODIGO) AS CODIGO, NOMBRE"), QStringLiteral("FROM TARIFAS"),
          QStringLiteral("GROUP BY NOMBRE")},
         TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas,
         {QStringLiteral("GROUP BY NOMBRE"), QStringLiteral("ORDER BY MIN(CODIGO)")},
         {QStringLiteral("LIKE"), QStringLiteral("GrupoEmpresas")}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        TkvDBEditLookup l;
        l.setSQL(c.sql);
        l.setOpcionesBusqueda(c.opciones);
        const QString s = l.sentenciaResolucion();
        for (const auto& t : c.contiene)
            EXPECT_TRUE(s.contains(t)) << s.toStdString() << "\n lacks " << t.toStdString();
        for (const auto& t : c.noContiene)
            EXPECT_FALSE(s.contains(t)) << s.toStdString();
    }
}

TEST(LookupStatement, OptionsThatExcludeEachOtherCancel) {
    TkvDBEditLookup l;
    l.setOpcionesBusqueda(TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas |
                          TkvDBEditLookup::Filtrar_por_Empresa | TkvDBEditLookup::Es_Tabla_Articulos |
                          TkvDBEditLookup::Es_Tabla_Clientes | TkvDBEditLookup::Es_Compras);
    EXPECT_EQ(l.OpcionesBusqueda(), TkvDBEditLookup::TOpciones(TkvDBEditLookup::Es_Compras));
}

class LookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        e = std::make_unique<prueba::Entorno>();
        e->ejecutar(QStringLiteral("INSERT INTO TARIFAS (IDTARIFAS, CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES "
                                   "(:P0, :P1, :P2, :P3)"),
                    {901, QStringLiteral("ZT01"), QStringLiteral("ZETA UNO"), 1});
        e->ejecutar(QStringLiteral("INSERT INTO TARIFAS (IDTARIFAS, CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES "
                                   "(:P0, :P1, :P2, :P3)"),
                    {902, QStringLiteral("ZT02"), QStringLiteral("ZETA DOS"), 1});
        e->ejecutar(QStringLiteral("INSERT INTO TARIFAS (IDTARIFAS, CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES "
                                   "(:P0, :P1, :P2, :P3)"),
                    {903, QStringLiteral("ZG01"), QStringLiteral("OTRO GRUPO"), 2});
        ventana.resize(300, 100);
        auto* capa = new QVBoxLayout(&ventana);
        etiqueta = new QLabel(QStringLiteral("Tarifa"));
        lookup = new TkvDBEditLookup;
        lookup->setObjectName(QStringLiteral("kvDBEditLookupTarifas"));
        otro = new QLineEdit;
        capa->addWidget(etiqueta);
        capa->addWidget(lookup);
        capa->addWidget(otro);
        lookup->setDataBase(&e->datos.IBDatabase, &e->datos.IBTransaction1);
        lookup->setSQL({QStringLiteral("SELECT CODIGO, NOMBRE, IDTARIFAS"), QStringLiteral("FROM TARIFAS")});
        lookup->setOpcionesBusqueda(TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas);
        lookup->ValorGrupoEmpresas = 1;
        lookup->OnConfirmarCambios = [this](TkvDBEditLookup& l) {
            ++confirmaciones;
            id = l.DataSetResultado().value(QStringLiteral("IDTARIFAS")).toInt();
            nombre = l.DataSetResultado().value(QStringLiteral("NOMBRE")).toString();
        };
    }

    // Resolves a typed code as leaving the control would.
    void resolver(const QString& texto) {
        confirmaciones = 0;
        id = 0;
        lookup->setText(texto);
        lookup->ConfirmarCambios();
    }

    std::unique_ptr<prueba::Entorno> e;
    QWidget ventana;
    QLabel* etiqueta = nullptr;
    TkvDBEditLookup* lookup = nullptr;
    QLineEdit* otro = nullptr;
    int confirmaciones = 0;
    int id = 0;
    QString nombre;
};

TEST_F(LookupTest, ResolvesTypedCodes) {
    struct Caso {
        const char* texto;
        int id;            // 0: nothing resolved, no event
        const char* queda; // the text the edit shows afterwards
    };
    const Caso casos[] = {
        {"ZT01", 901, "ZT01"},
        {"zt02", 902, "ZT02"},   // case-insensitive
        {"ZT0", 0, "ZT0"},       // the whole code is needed
        {"ZG01", 0, "ZG01"},     // another company group
        {"ZT%", 0, "ZT%"},       // a wildcard passes the filter, but no code equals it
        {"ZT01\"", 0, "ZT01\""}, // quotes travel as data: no error, nothing found
        {"Z'T01", 0, "Z'T01"},
        {"ZT01') OR (1=1", 0, "ZT01') OR (1=1"},
        {"CODIGOMUYLARGO", 0, "CODIGOMUYLARGO"}, // longer than the column: no truncation error
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto);
        e->canal.clear();
        resolver(QString::fromUtf8(c.texto));
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(confirmaciones, c.id ? 1 : 0);
        EXPECT_EQ(lookup->text(), QString::fromUtf8(c.queda));
        EXPECT_TRUE(e->canal.messages().isEmpty())
            << e->canal.messages().join(QLatin1Char('\n')).toStdString();
    }
    resolver(QStringLiteral("zt01"));
    EXPECT_EQ(nombre, QStringLiteral("ZETA UNO"));
    lookup->ValorGrupoEmpresas = 2;
    resolver(QStringLiteral("ZG01"));
    EXPECT_EQ(id, 903);
}

TEST_F(LookupTest, PreloadsTheFirstRecordOfTheGroup) {
    const QVariant primero =
        e->valor(QStringLiteral("SELECT MIN(IDTARIFAS) FROM TARIFAS WHERE GRUPOEMPRESAS = 1 AND "
                                "CODIGO = (SELECT MIN(CODIGO) FROM TARIFAS WHERE GRUPOEMPRESAS = 1)"));
    lookup->CargarDataSetResultadoSinVentana(QString(), true, true, false);
    EXPECT_EQ(confirmaciones, 1);
    EXPECT_EQ(id, primero.toInt());
    EXPECT_FALSE(lookup->DataSetCargado());

    // An empty group loads nothing and fires nothing.
    lookup->ValorGrupoEmpresas = 77;
    confirmaciones = 0;
    lookup->CargarDataSetResultadoSinVentana(QString(), true, true, false);
    EXPECT_EQ(confirmaciones, 0);

    // Without a connected database nothing happens.
    TkvDBEditLookup suelto;
    suelto.setSQL(lookup->SQL());
    suelto.CargarDataSetResultadoSinVentana(QString(), true, true, false);
    EXPECT_FALSE(suelto.DataSetCargado());
}

TEST_F(LookupTest, FocusLabelsAndEnter) {
    lookup->Etiqueta = true;
    lookup->setEtiqueta1(etiqueta);
    ventana.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    ventana.activateWindow();
    otro->setFocus(Qt::OtherFocusReason);

    const QColor antes = etiqueta->palette().color(QPalette::WindowText);
    lookup->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(etiqueta->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(etiqueta->font().bold());

    QTest::keyClicks(lookup, QStringLiteral("zt02"));
    QTest::keyClick(lookup, Qt::Key_Return); // moves the focus on, which resolves the code once
    EXPECT_EQ(confirmaciones, 1);
    EXPECT_EQ(id, 902);
    EXPECT_EQ(lookup->text(), QStringLiteral("ZT02"));
    EXPECT_FALSE(lookup->hasFocus());
    EXPECT_EQ(etiqueta->palette().color(QPalette::WindowText), antes);
    EXPECT_FALSE(etiqueta->font().bold());

    // F2, F4 and F5 ask for the search window with their order; Esc, Up and Down go to the parent.
    QList<int> ordenes;
    lookup->abrirVentanaBusqueda = [&ordenes](TkvDBEditLookup&, int orden) { ordenes << orden; };
    lookup->setFocus(Qt::TabFocusReason);
    for (Qt::Key k : {Qt::Key_F2, Qt::Key_F4, Qt::Key_F5})
        QTest::keyClick(lookup, k);
    EXPECT_EQ(ordenes, (QList<int>{0, 1, 2}));
    QTest::keyClick(lookup, Qt::Key_Down);
    EXPECT_FALSE(lookup->hasFocus());
    EXPECT_EQ(confirmaciones, 2) << "entering and leaving again resolves the code again";
    EXPECT_EQ(id, 902);

    // The label going away clears the highlighting option.
    delete etiqueta;
    etiqueta = nullptr;
    EXPECT_FALSE(lookup->Etiqueta);
}

TEST_F(LookupTest, CompletesWhileTyping) {
    lookup->AutoScan = true;
    ventana.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    lookup->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(lookup, QStringLiteral("zt"));
    EXPECT_EQ(lookup->text(), QStringLiteral("zt01")); // the found code's rest, selected
    EXPECT_EQ(lookup->selectedText(), QStringLiteral("01"));
    EXPECT_EQ(confirmaciones, 0);
    QTest::keyClick(lookup, Qt::Key_Shift); // a key that types nothing does not move the count
    QTest::keyClicks(lookup, QStringLiteral("02"));
    EXPECT_EQ(lookup->text(), QStringLiteral("zt02"));
    otro->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(confirmaciones, 1);
    EXPECT_EQ(id, 902);
}

} // namespace
