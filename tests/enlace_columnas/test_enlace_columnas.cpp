// The linking window: ">" links the selected title and field and takes both out of their lists,
// "<" gives them back, "<<" undoes every link; only "&Aceptar" accepts.
#include <QApplication>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include "TFormCrearEnlaceEntreColumnas.h"

namespace {

QStringList textos(const QListWidget* l) {
    QStringList r;
    for (int i = 0; i < l->count(); ++i)
        r << l->item(i)->text();
    return r;
}

void elegir(QListWidget* l, const QString& texto) {
    l->setCurrentItem(l->findItems(texto, Qt::MatchExactly).value(0));
}

TEST(EnlaceColumnas, EnlazarDeshacerYAceptar) {
    TFormCrearEnlaceEntreColumnas w(
        {QStringLiteral("REF"), QStringLiteral("PRECIO NETO"), QStringLiteral("PVP")});
    // Nothing selected: ">" does nothing.
    w.ListBoxExcel->clearSelection();
    w.ListBoxQuenda->clearSelection();
    w.ButtonPasaraVisualizar->click();
    EXPECT_TRUE(w.enlaces().isEmpty());

    elegir(w.ListBoxExcel, QStringLiteral("REF"));
    elegir(w.ListBoxQuenda, QStringLiteral("REFERENCIA_PROVEEDOR"));
    w.ButtonPasaraVisualizar->click();
    elegir(w.ListBoxExcel, QStringLiteral("PVP"));
    elegir(w.ListBoxQuenda, QStringLiteral("PRECIO"));
    w.ButtonPasaraVisualizar->click();
    EXPECT_EQ(w.enlaces(),
              (QStringList{QStringLiteral("REF<-->REFERENCIA_PROVEEDOR"), QStringLiteral("PVP<-->PRECIO")}));
    EXPECT_EQ(textos(w.ListBoxExcel), QStringList{QStringLiteral("PRECIO NETO")});
    EXPECT_EQ(w.ListBoxQuenda->count(), 6);

    // "<" gives the title and the field back at the end of their lists.
    w.ListBoxSeleccionados->setCurrentRow(1);
    w.ButtonPasaraDefecto->click();
    EXPECT_EQ(w.enlaces(), QStringList{QStringLiteral("REF<-->REFERENCIA_PROVEEDOR")});
    EXPECT_EQ(textos(w.ListBoxExcel).last(), QStringLiteral("PVP"));
    EXPECT_EQ(textos(w.ListBoxQuenda).last(), QStringLiteral("PRECIO"));

    // "<<" offers every title and all eight fields again.
    w.ButtonPasaraDefectoTodas->click();
    EXPECT_TRUE(w.enlaces().isEmpty());
    EXPECT_EQ(w.ListBoxExcel->count(), 3);
    EXPECT_EQ(w.ListBoxQuenda->count(), 8);

    w.BotonConfirmar->click();
    EXPECT_TRUE(w.AceptarSN);
    TFormCrearEnlaceEntreColumnas salir({QStringLiteral("REF")});
    salir.SpeedButtonCerrar->click();
    EXPECT_FALSE(salir.AceptarSN);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
