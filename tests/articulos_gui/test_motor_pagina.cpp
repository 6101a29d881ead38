// The engine options beside "Confirmar": shown with the staged rows, and "Simular" runs the
// import through the page (its load's new masters included) and leaves nothing.

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "EntornoPrueba.h"
#include "ModuleFiles.h"
#include "PaginaArticulos.h"
#include "TJvFilenameEdit.h"

namespace {

TEST(MotorPagina, SimularDejaLaBaseComoEstaba) {
    QTemporaryDir modulo;
    qd::setModuleDirOverride(modulo.path());
    prueba::Entorno e;
    const QStringList tablas = {QStringLiteral("ARTICULOS"), QStringLiteral("ARTICULOSALMACEN"),
                                QStringLiteral("TARIFASARTICULOS"), QStringLiteral("FAMILIASARTICULOS"),
                                QStringLiteral("MARCAS")};
    auto volcar = [&] {
        QStringList todo;
        for (const QString& t : tablas)
            todo += prueba::volcarTabla(e.db.path(), t, {QStringLiteral("FECHA")});
        return todo;
    };
    const QStringList antes = volcar();
    {
        QString nombreFichero;
        PaginaArticulos pagina(e.datos, nombreFichero);
        pagina.resize(1000, 700);
        pagina.show();
        pagina.ticksIniciales();
        for (const char* modo : {"kvBotonAlta", "kvBotonCostes"})
            pagina.findChild<QPushButton*>(QString::fromLatin1(modo))->click();
        auto* simular = pagina.findChild<QPushButton*>(QStringLiteral("kvBotonSimular"));
        auto* continuar = pagina.findChild<QCheckBox*>(QStringLiteral("chkContinuarTrasErrores"));
        auto* lote = pagina.findChild<QSpinBox*>(QStringLiteral("spinGuardarCadaFilas"));
        ASSERT_TRUE(simular && continuar && lote);
        EXPECT_FALSE(simular->isVisible());

        pagina.selector()->dialogo = [] { return QStringLiteral(QD_DATOS_ARTGUI "/articulos.csv"); };
        pagina.findChild<QPushButton*>(QStringLiteral("ButtonCargarXLSArticulos"))->click();
        ASSERT_TRUE(simular->isVisible() && simular->isEnabled());
        EXPECT_TRUE(continuar->isVisible() && lote->isVisible());
        continuar->setChecked(true);
        lote->setValue(2);
        simular->click();
        EXPECT_FALSE(simular->isVisible()) << "back to the configuration";
    }
    qd::setModuleDirOverride(QString());
    const QStringList resumen = e.canal.messages(qd::MessageKind::Information);
    ASSERT_EQ(resumen.size(), 1) << e.canal.log().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(
        resumen[0].startsWith(QStringLiteral("Simulación: no se ha guardado nada.\r\nProceso terminado.")))
        << resumen[0].toStdString();
    EXPECT_TRUE(resumen[0].contains(QStringLiteral("Nuevos: 3")));
    EXPECT_EQ(volcar(), antes);
}

} // namespace
