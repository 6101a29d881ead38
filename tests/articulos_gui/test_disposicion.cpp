// What a user sees of the article page: every control readable on a small screen with all four
// modes on, and grid columns as wide as their titles and contents after a load.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "EntornoPrueba.h"
#include "ModuleFiles.h"
#include "PaginaArticulos.h"
#include "TFormPrincipalExcell.h"
#include "TkvDBEditLookup.h"
#include "TkvDBGrid.h"

namespace {

QString quitarAceleradores(QString texto) {
    return texto.remove(QLatin1Char('&'));
}

// Why a shown control's text is not fully readable, or an empty text when it is. The control is
// scrolled into view first, as the user would.
QString problemaDeLectura(QWidget* w) {
    QString texto;
    int necesario = 0;  // width the text needs
    int disponible = 0; // width the control gives it
    if (auto* l = qobject_cast<QLabel*>(w)) {
        texto = l->text();
        necesario = l->fontMetrics().horizontalAdvance(texto);
        disponible = l->contentsRect().width() - 2 * l->margin();
        if (l->wordWrap()) necesario = 0; // a wrapping label needs height instead (below)
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        texto = quitarAceleradores(b->text());
        // The size hint is the text plus the indicator and the style's padding.
        necesario = b->sizeHint().width();
        disponible = b->width();
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        texto = quitarAceleradores(g->title());
        necesario = g->fontMetrics().horizontalAdvance(texto) + 16;
        disponible = g->width();
    } else {
        return {};
    }
    if (texto.trimmed().isEmpty()) return {};

    for (QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(p)) area->ensureWidgetVisible(w, 0, 0);
    QApplication::processEvents();

    const QString quien = QStringLiteral("%1 «%2»: ").arg(w->objectName(), texto);
    if (necesario > disponible)
        return quien + QStringLiteral("needs %1 px, has %2").arg(necesario).arg(disponible);
    if (w->height() <= 0 || w->height() < w->minimumSizeHint().height())
        return quien + QStringLiteral("height %1 < %2").arg(w->height()).arg(w->minimumSizeHint().height());
    if (auto* l = qobject_cast<QLabel*>(w); l && l->wordWrap() && l->height() < l->heightForWidth(l->width()))
        return quien + QStringLiteral("wrapped text cut");
    // Inside every ancestor (the scroll area's viewport among them), so nothing of it is clipped.
    for (QWidget* a = w->parentWidget(); a != nullptr; a = a->parentWidget()) {
        const QRect enAncestro(w->mapTo(a, QPoint(0, 0)), w->size());
        if (!a->rect().contains(enAncestro))
            return quien + QStringLiteral("clipped by %1 (%2,%3 %4×%5 in %6×%7)")
                               .arg(a->objectName().isEmpty()
                                        ? QString::fromLatin1(a->metaObject()->className())
                                        : a->objectName())
                               .arg(enAncestro.x())
                               .arg(enAncestro.y())
                               .arg(enAncestro.width())
                               .arg(enAncestro.height())
                               .arg(a->width())
                               .arg(a->height());
        if (a->isWindow()) break;
    }
    return {};
}

class DisposicionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(modulo.isValid());
        qd::setModuleDirOverride(modulo.path());
    }
    void TearDown() override { qd::setModuleDirOverride(QString()); }

    QTemporaryDir modulo;
};

TEST_F(DisposicionTest, EveryControlOfTheArticlePageIsReadableOnASmallScreen) {
    qd::test::TempDatabase bd;
    TDatos datos;
    TFormPrincipalExcell ventana(datos,
                                 {QStringLiteral("1"), QStringLiteral("1"), bd.path(), QStringLiteral("1"),
                                  QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                                  QStringLiteral("ART"), QStringLiteral("0"), QStringLiteral("0")});
    auto* pagina = qobject_cast<PaginaArticulos*>(ventana.paginaImportacion(0));
    ASSERT_NE(pagina, nullptr);
    // The restored size fits a 1366×768 screen.
    EXPECT_LE(ventana.tamanoNormal().width(), 1366);
    EXPECT_LE(ventana.tamanoNormal().height(), 768);

    ventana.setWindowState(Qt::WindowNoState);
    ventana.show();
    for (const char* modo : {"kvBotonAlta", "kvBotonCostes", "kvBotonPVP", "kvBotonStock"})
        pagina->findChild<QPushButton*>(QString::fromLatin1(modo))->click();
    ASSERT_FALSE(pagina->findChild<QLabel*>(QStringLiteral("LabelNombreTarifa"))->text().isEmpty());

    // The whole screen, and what is left of it under a taskbar and a title bar.
    for (const QSize tamano : {QSize(1366, 768), QSize(1280, 690)}) {
        SCOPED_TRACE(testing::Message() << tamano.width() << "x" << tamano.height());
        ventana.resize(tamano);
        QApplication::processEvents();
        ASSERT_EQ(ventana.size(), tamano);
        QStringList problemas;
        int revisados = 0;
        for (QWidget* w : pagina->findChildren<QWidget*>()) {
            if (!w->isVisible()) continue;
            ++revisados;
            const QString problema = problemaDeLectura(w);
            if (!problema.isEmpty()) problemas << problema;
        }
        EXPECT_GT(revisados, 30);
        EXPECT_TRUE(problemas.isEmpty()) << problemas.join(QLatin1Char('\n')).toStdString();
        if (tamano.width() == 1366) {
            auto* area = pagina->findChild<QScrollArea*>(QStringLiteral("ScrollOpciones"));
            area->ensureWidgetVisible(pagina->findChild<QWidget*>(QStringLiteral("PanelPVP")), 0, 0);
            QApplication::processEvents();
            const QImage captura = ventana.grab().toImage();
            ASSERT_FALSE(captura.isNull());
            EXPECT_TRUE(captura.save(QDir(QStringLiteral(QD_DIR_SALIDA))
                                         .filePath(QStringLiteral("pagina_articulos_1366x768.png"))));
        }
    }
}

TEST_F(DisposicionTest, GridColumnsFitTheirTitlesAndContentsAfterALoad) {
    prueba::Entorno gui;
    QString nombreFichero = QStringLiteral(QD_DATOS_ARTGUI "/articulos.csv");
    PaginaArticulos pagina(gui.datos, nombreFichero);
    pagina.resize(1200, 700);
    pagina.show();
    pagina.ticksIniciales();
    pagina.findChild<QPushButton*>(QStringLiteral("kvBotonAlta"))->click();
    pagina.findChild<QPushButton*>(QStringLiteral("ButtonCargarXLSArticulos"))->click();
    auto* grid = pagina.findChild<TkvDBGrid*>(QStringLiteral("kvDBGridArticulos"));
    ASSERT_EQ(grid->model()->rowCount(), 5);

    QHeaderView* cabecera = grid->horizontalHeader();
    const QFontMetrics medidas = grid->fontMetrics();
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        const QString titulo = grid->model()->headerData(c, Qt::Horizontal).toString();
        SCOPED_TRACE(titulo.toStdString());
        EXPECT_GE(cabecera->sectionSize(c), cabecera->fontMetrics().horizontalAdvance(titulo)) << "title cut";
        EXPECT_GE(cabecera->sectionSize(c), cabecera->sectionSizeHint(c));
        int texto = 0;
        for (int f = 0; f < grid->model()->rowCount(); ++f)
            texto = qMax(texto, medidas.horizontalAdvance(grid->model()->index(f, c).data().toString()));
        EXPECT_GE(cabecera->sectionSize(c), qMin(texto, 300)) << "contents cut";
        EXPECT_LE(cabecera->sectionSize(c), qMax(cabecera->sectionSizeHint(c), 320)) << "capped";
    }
}

// Every import page shows its load button when its tab is chosen (a control added to a layout
// that is never installed exists, and answers clicks by code, but is never shown).
TEST_F(DisposicionTest, EveryImportPageShowsItsLoadButton) {
    qd::test::TempDatabase bd;
    TDatos datos;
    TFormPrincipalExcell ventana(datos,
                                 {QStringLiteral("1"), QStringLiteral("1"), bd.path(), QStringLiteral("1"),
                                  QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                                  QStringLiteral("ART"), QStringLiteral("0"), QStringLiteral("0")});
    ventana.setWindowState(Qt::WindowNoState);
    ventana.resize(1366, 768);
    ventana.show();
    int paginas = 0;
    for (int i = 0; i < ventana.paginas()->count(); ++i) {
        QWidget* pagina = ventana.paginaImportacion(i);
        if (pagina == nullptr) continue;
        ++paginas;
        ventana.paginas()->setCurrentIndex(i);
        QApplication::processEvents();
        QStringList visibles;
        for (auto* b : pagina->findChildren<QPushButton*>()) {
            const QString texto = quitarAceleradores(b->text());
            if (b->isVisible() &&
                (texto.contains(QLatin1String("Cargar")) || texto.contains(QLatin1String("Previsualizar"))))
                visibles << texto;
        }
        EXPECT_FALSE(visibles.isEmpty()) << ventana.paginas()->tabText(i).toStdString();
    }
    EXPECT_GE(paginas, 9);
}

} // namespace
