// The edit box: highlighted while focused (with its labels), Enter and Down forward, Up back,
// either decimal key in a number box.

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "TkvDBEdit.h"

namespace {

TEST(EditBox, HighlightAndArrowKeys) {
    QWidget ventana;
    auto* capa = new QVBoxLayout(&ventana);
    auto* a = new TkvDBEdit;
    auto* b = new TkvDBEdit;
    auto* c = new TkvDBEdit;
    capa->addWidget(a);
    capa->addWidget(b);
    capa->addWidget(c);
    ventana.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    ventana.activateWindow();
    const QColor fondo = b->palette().color(QPalette::Base);

    a->setFocus(Qt::TabFocusReason);
    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_TRUE(b->hasFocus());
    EXPECT_EQ(b->palette().color(QPalette::Base), TkvDBEdit::colorFoco());
    EXPECT_TRUE(b->font().bold());
    QTest::keyClick(b, Qt::Key_Down);
    EXPECT_TRUE(c->hasFocus());
    EXPECT_EQ(b->palette().color(QPalette::Base), fondo);
    EXPECT_FALSE(b->font().bold());
    QTest::keyClick(c, Qt::Key_Up);
    EXPECT_TRUE(b->hasFocus());
    QTest::keyClicks(b, QStringLiteral("x"));
    EXPECT_EQ(b->text(), QStringLiteral("x"));
}

TEST(EditBox, LabelsTagAndDecimalKeys) {
    QWidget ventana;
    auto* capa = new QVBoxLayout(&ventana);
    auto* etiqueta = new QLabel(QStringLiteral("Precio"));
    auto* precio = new TkvDBEdit;
    auto* sinColor = new TkvDBEdit;
    capa->addWidget(etiqueta);
    capa->addWidget(precio);
    capa->addWidget(sinColor);
    precio->Etiqueta = true;
    precio->setEtiqueta1(etiqueta);
    precio->CampoFlotante = true;
    precio->setSeparadorDecimal(QLatin1Char(','));
    sinColor->Tag = 9999;
    int teclasVentana = 0;
    precio->onKeyDown = [&teclasVentana](QKeyEvent*) { ++teclasVentana; };
    const QColor colorEtiqueta = etiqueta->palette().color(QPalette::WindowText);
    ventana.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    ventana.activateWindow();

    precio->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(etiqueta->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(etiqueta->font().bold());
    // Either key types the separator; a second one is refused.
    QTest::keyClicks(precio, QStringLiteral("1.5,2"));
    EXPECT_EQ(precio->text(), QStringLiteral("1,52"));
    QTest::keyClick(precio, Qt::Key_Return);
    EXPECT_TRUE(sinColor->hasFocus());
    EXPECT_EQ(teclasVentana, 6) << "the window's handler also sees the Enter";
    EXPECT_EQ(etiqueta->palette().color(QPalette::WindowText), colorEtiqueta);
    EXPECT_FALSE(etiqueta->font().bold());
    // Tag 9999: bold, but no pale yellow.
    EXPECT_NE(sinColor->palette().color(QPalette::Base), TkvDBEdit::colorFoco());
    EXPECT_TRUE(sinColor->font().bold());

    // A destroyed label is let go, and with none left there is nothing to highlight.
    delete etiqueta;
    EXPECT_EQ(precio->Etiqueta1(), nullptr);
    EXPECT_FALSE(precio->Etiqueta);
}

} // namespace
