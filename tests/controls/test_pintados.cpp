// The painted controls: the button's press, group and key rules, the framed group boxes and the
// radio group, and the splitter that collapses a neighbour on a click.

#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "TUPClickSplitter.h"
#include "TkvBoton.h"
#include "TkvGroupBox.h"

namespace {

TEST(Boton, PressReleaseAndGroups) {
    QWidget ventana;
    auto* suelto = new TkvBoton(QStringLiteral("Suelto"), &ventana);
    EXPECT_EQ(suelto->size(), QSize(100, 23));
    auto* a = new TkvBoton(QStringLiteral("A"), &ventana);
    auto* b = new TkvBoton(QStringLiteral("B"), &ventana);
    auto* otroGrupo = new TkvBoton(QStringLiteral("C"), &ventana);
    a->GroupIndex = b->GroupIndex = 1;
    otroGrupo->GroupIndex = 2;
    otroGrupo->setDown(true);
    int clics = 0;
    a->OnClick = [&clics](TkvBoton&) { ++clics; };
    QSignalSpy senal(a, &TkvBoton::clicked);

    // A plain button is down only while pressed.
    QTest::mousePress(suelto, Qt::LeftButton);
    EXPECT_TRUE(suelto->Down());
    QTest::mouseRelease(suelto, Qt::LeftButton);
    EXPECT_FALSE(suelto->Down());

    // A group button stays down and puts the others of its group up.
    QTest::mouseClick(a, Qt::LeftButton);
    EXPECT_TRUE(a->Down());
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(otroGrupo->Down()) << "another group is left alone";
    // Pressing it again leaves it down, unless all may be up.
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(b->Down());
    b->AllowAllUp = true;
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(clics, 1);
    EXPECT_EQ(senal.count(), 1);

    // Released outside: no click, and the button is as it was.
    QTest::mousePress(a, Qt::LeftButton);
    QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(500, 500));
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(clics, 1);

    // A disabled button does nothing.
    a->setEnabled(false);
    QTest::mouseClick(a, Qt::LeftButton);
    EXPECT_EQ(clics, 1);
}

TEST(Boton, ClickTypesItsKeysIntoTheTargetThenHover) {
    QWidget ventana;
    auto* capa = new QVBoxLayout(&ventana);
    auto* destino = new QLineEdit;
    auto* boton = new TkvBoton(QStringLiteral("Teclas"));
    capa->addWidget(destino);
    capa->addWidget(boton);
    ventana.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    ventana.activateWindow();
    boton->Teclas = QKeySequence(QStringLiteral("A, B"));
    boton->setDestinoTeclas(destino);
    QString alPulsar;
    boton->OnClick = [&](TkvBoton&) { alPulsar = destino->text(); };
    QTest::mouseClick(boton, Qt::LeftButton);
    EXPECT_EQ(destino->text(), QStringLiteral("ab"));
    EXPECT_EQ(alPulsar, QStringLiteral("ab")) << "the keys go before OnClick";
    EXPECT_TRUE(destino->hasFocus());

    int entradas = 0, salidas = 0;
    boton->OnMouseEnter = [&entradas](TkvBoton&) { ++entradas; };
    boton->OnMouseExit = [&salidas](TkvBoton&) { ++salidas; };
    QEnterEvent entra(QPointF(5, 5), QPointF(5, 5), boton->mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(boton, &entra);
    EXPECT_TRUE(boton->hover());
    QEvent sale(QEvent::Leave);
    QCoreApplication::sendEvent(boton, &sale);
    EXPECT_FALSE(boton->hover());
    EXPECT_EQ(entradas, 1);
    EXPECT_EQ(salidas, 1);

    boton->setStyle(2);
    boton->grab(); // paints every style without trouble
    boton->setStyle(0);
    boton->grab();
}

TEST(GrupoConMarco, FrameColourAndRadioItems) {
    TkvGroupBox caja(QStringLiteral("Opciones"));
    EXPECT_EQ(caja.Tag, 99);
    caja.setBorderColor(QColor(0, 0, 200));
    caja.resize(200, 100);
    const QImage imagen = caja.grab().toImage();
    // The frame's left side, half a text line below the top and well under the caption.
    const int x = 0;
    bool azul = false;
    for (int y = 30; y < 80 && !azul; ++y)
        for (int dx = 0; dx < 2; ++dx)
            if (QColor(imagen.pixel(x + dx, y)).blue() > 150 && QColor(imagen.pixel(x + dx, y)).red() < 100)
                azul = true;
    EXPECT_TRUE(azul);

    TkvRadioGroup radios(QStringLiteral(" Tarifa Ventas "));
    radios.setItems({QStringLiteral("Defecto"), QStringLiteral("Cliente")});
    EXPECT_EQ(radios.ItemIndex(), -1);
    radios.setItemIndex(0);
    int elegido = -1;
    radios.OnClick = [&elegido](TkvRadioGroup& r) { elegido = r.ItemIndex(); };
    radios.boton(1)->click();
    EXPECT_EQ(elegido, 1);
    radios.setItems({QStringLiteral("Uno"), QStringLiteral("Dos"), QStringLiteral("Tres")});
    EXPECT_EQ(radios.ItemIndex(), 1) << "the chosen item stays when it still exists";
    radios.setItemIndex(-1);
    EXPECT_EQ(radios.ItemIndex(), -1);
}

TEST(SplitterConClic, ClickCollapsesAndRestoresDragResizes) {
    TUPClickSplitter s(Qt::Vertical);
    auto* arriba = new QWidget;
    auto* abajo = new QWidget;
    s.addWidget(arriba);
    s.addWidget(abajo);
    s.resize(200, 400);
    s.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&s));
    s.setSizes({100, 300});
    const QList<int> antes = s.sizes();
    int clics = 0;
    s.OnClick = [&clics](TUPClickSplitter&) { ++clics; };

    QSplitterHandle* barra = s.handle(1);
    const QPoint centro = barra->rect().center();
    QTest::mouseClick(barra, Qt::LeftButton, {}, centro);
    EXPECT_EQ(s.sizes().value(0), 0);
    EXPECT_TRUE(s.colapsado());
    QTest::mouseClick(barra, Qt::LeftButton, {}, centro);
    EXPECT_EQ(s.sizes(), antes);
    EXPECT_EQ(clics, 2);

    // A drag resizes and is no click.
    QTest::mousePress(barra, Qt::LeftButton, {}, centro);
    QMouseEvent mueve(QEvent::MouseMove, QPointF(centro + QPoint(0, 60)),
                      barra->mapToGlobal(QPointF(centro + QPoint(0, 60))), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(barra, &mueve);
    QTest::mouseRelease(barra, Qt::LeftButton, {}, centro + QPoint(0, 60));
    EXPECT_GT(s.sizes().value(0), antes.value(0));
    EXPECT_EQ(clics, 2);

    // The neighbour after the bar, when asked.
    s.ColapsarSiguiente = true;
    s.alternar();
    EXPECT_EQ(s.sizes().value(1), 0);
}

} // namespace
