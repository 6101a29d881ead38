#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include "Traducciones.h"

TEST(Traducciones, StandardButtonsAreInSpanish) {
    ASSERT_TRUE(qd::gui::instalarTraduccionesQt(*qApp));
    QDialogButtonBox botones(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(botones.button(QDialogButtonBox::Cancel)->text().remove('&'), "Cancelar");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), "&Abrir");
}
