// The edit box: highlighted while focused, Enter and Down forward, Up back.

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

} // namespace
