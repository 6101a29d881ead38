#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "TJvFilenameEdit.h"

namespace {

void crear(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("CODIGO;NOMBRE\r\n");
}

} // namespace

// Whatever was chosen before in the dialog, the file to load is the one the box shows.
TEST(SelectorFichero, TheFileToLoadIsThePathInTheBox) {
    QTemporaryDir dir;
    const QString libro = dir.filePath("libro.xlsx");
    const QString anterior = dir.filePath("anterior.csv");
    crear(libro);
    crear(anterior);
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", dir.path().toUtf8());
    struct Caso {
        QString escrito, cargar, error;
    } casos[] = {
        {libro, libro, ""},
        {"  " + libro + " ", libro, ""},
        {"~/libro.xlsx", libro, ""},
        {dir.filePath("falta.xlsx"), "", "No existe el fichero «" + dir.filePath("falta.xlsx") + "»"},
        {dir.path(), "", "«" + dir.path() + "» no es un fichero"},
        {"", "", ""}, // the caller opens the dialog
    };
    for (const Caso& c : casos) {
        TJvFilenameEdit selector;
        selector.dialogo = [&] { return anterior; };
        selector.boton()->click();
        ASSERT_EQ(selector.text(), anterior);
        QSignalSpy elegido(&selector, &TJvFilenameEdit::ficheroElegido);
        selector.edit()->setText(c.escrito);
        QString error = "sin tocar";
        EXPECT_EQ(selector.ficheroParaCargar(&error), c.cargar) << c.escrito.toStdString();
        EXPECT_EQ(error, c.error) << c.escrito.toStdString();
        // A file handed out for loading is reported too, so a shared path follows it.
        EXPECT_EQ(elegido.count(), c.cargar.isEmpty() ? 0 : 1) << c.escrito.toStdString();
    }
    qputenv("HOME", home);
}

// A path typed into the box is reported when the edit is finished, once; one shown through
// setText or chosen in the dialog is not reported again by a finished edit.
TEST(SelectorFichero, AFinishedEditReportsTheTypedPathOnce) {
    TJvFilenameEdit selector;
    QSignalSpy elegido(&selector, &TJvFilenameEdit::ficheroElegido);
    QTest::keyClicks(selector.edit(), "/tmp/escrito.xls");
    EXPECT_EQ(elegido.count(), 0); // still typing
    QTest::keyClick(selector.edit(), Qt::Key_Return);
    QTest::keyClick(selector.edit(), Qt::Key_Return);
    ASSERT_EQ(elegido.count(), 1);
    EXPECT_EQ(elegido.at(0).at(0).toString(), "/tmp/escrito.xls");

    selector.edit()->clear(); // emptying the box empties the shared path too
    emit selector.edit()->editingFinished();
    ASSERT_EQ(elegido.count(), 2);
    EXPECT_EQ(elegido.at(1).at(0).toString(), "");

    selector.setText("/tmp/mostrado.xls");
    emit selector.edit()->editingFinished();
    selector.dialogo = [] { return QString("/tmp/elegido.ods"); };
    selector.boton()->click();
    emit selector.edit()->editingFinished();
    ASSERT_EQ(elegido.count(), 3);
    EXPECT_EQ(elegido.at(2).at(0).toString(), "/tmp/elegido.ods");
}

TEST(SelectorFichero, TheFirstFilterTakesEveryType) {
    const QStringList filtros = TJvFilenameEdit::filtros().split(";;");
    ASSERT_GE(filtros.size(), 5);
    for (const QString tipo : {"*.xls", "*.xlsx", "*.ods", "*.csv"}) {
        EXPECT_TRUE(
            filtros.first().contains(QRegularExpression("[( ]" + QRegularExpression::escape(tipo) + "[ )]")))
            << tipo.toStdString();
        EXPECT_EQ(filtros.filter("(" + tipo + ")").size(), 1) << tipo.toStdString();
    }
}
