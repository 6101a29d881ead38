// The GUI pieces under the offscreen platform: the Qt channel, the progress and end windows,
// the check-list box and the incidence window.

#include "CamposArticulos.h"
#include "CamposClientes.h"
#include "GuiChannel.h"
#include "LeerFlujo.h"
#include "MostrarIncidencias.h"
#include "TFormAyudaRapida.h"
#include "TFormFinProceso.h"
#include "TFormProgreso.h"
#include "TsuiCheckListBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

// Runs `action` on the next modal window that appears (polling, as the window opens inside a
// nested event loop); gives up after two seconds.
void onNextModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (++*tries > 200) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

using qd::test::readStream;

} // namespace

TEST(GuiChannel, MessagesAndQuestionsAreShownAndLogged) {
    QStringList incidences;
    bool hay = false;
    QString lastStatus;
    GuiChannel channel(nullptr, incidences, hay, [&lastStatus](const QString& t, int) { lastStatus = t; });
    std::FILE* log = std::tmpfile();
    channel.setLogStream(log);

    QString shownText;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    onNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        shownIcon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    channel.message(qd::MessageKind::Warning, "Stock no actualizado\r\nArtículo A-1");
    EXPECT_EQ(shownText, "Stock no actualizado\r\nArtículo A-1");
    EXPECT_EQ(shownIcon, QMessageBox::Warning);

    onNextModal([](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::No)->click(); });
    EXPECT_FALSE(channel.ask("¿Continuar?"));
    onNextModal([](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click(); });
    EXPECT_TRUE(channel.ask("¿Continuar?"));

    channel.status("Proceso terminado.");
    EXPECT_EQ(lastStatus, "Proceso terminado.");

    channel.incidence("Línea 4: lote no encontrado");
    EXPECT_EQ(incidences, QStringList{"Línea 4: lote no encontrado"});
    EXPECT_TRUE(hay);

    bool abortar = false;
    channel.bindCancelFlag(&abortar);
    EXPECT_FALSE(channel.processEventsAndCancelled());
    QTimer::singleShot(0, [&abortar] { abortar = true; }); // as the shortcut's handler would
    EXPECT_TRUE(channel.processEventsAndCancelled());

    EXPECT_EQ(readStream(log),
              "[warning] Stock no actualizado\\nArtículo A-1\n[question] ¿Continuar?\n[answer] no\n"
              "[question] ¿Continuar?\n[answer] sí\n[incidence] Línea 4: lote no encontrado\n");
    std::fclose(log);
}

TEST(GuiChannel, EveryBoxHasTheIconOfItsKindAndTheModuleTitle) {
    QStringList incidences;
    bool hay = false;
    GuiChannel channel(nullptr, incidences, hay);
    channel.setLogStream(nullptr);
    struct Caso {
        qd::MessageKind kind;
        bool pregunta; // ask() instead of message()
        QString caption;
        QMessageBox::Icon icon;
        QString title;
    };
    const QString modulo = QStringLiteral("Importación de Excel");
    const Caso casos[] = {
        {qd::MessageKind::Information, false, {}, QMessageBox::Information, modulo},
        {qd::MessageKind::Warning, false, {}, QMessageBox::Warning, modulo},
        {qd::MessageKind::Error, false, {}, QMessageBox::Critical, modulo},
        {qd::MessageKind::Plain, false, {}, QMessageBox::Information, modulo},
        {qd::MessageKind::Plain, true, {}, QMessageBox::Question, modulo},
        {qd::MessageKind::Error, false, QStringLiteral("Conexión"), QMessageBox::Critical,
         QStringLiteral("Conexión")},
        {qd::MessageKind::Plain, true, QStringLiteral("Borrar"), QMessageBox::Question,
         QStringLiteral("Borrar")},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(GuiChannel::kindTag(c.kind).toStdString() + (c.pregunta ? " question " : " ") +
                     c.caption.toStdString());
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title, text;
        onNextModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            title = box->windowTitle();
            text = box->text();
            box->done(QMessageBox::No);
        });
        // The database's own words stay in the box as they came.
        const QString dbText = QStringLiteral("Error al conectar con x.fdb\r\nI/O error during \"open\"");
        if (c.pregunta)
            channel.ask(dbText, c.caption);
        else
            channel.message(c.kind, dbText, c.caption);
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(title, c.title);
        EXPECT_FALSE(title.contains(QCoreApplication::applicationName()));
        EXPECT_EQ(text, dbText);
    }
}

TEST(GuiChannel, WhileTerminatingNothingWaitsForTheUser) {
    QStringList incidences;
    bool hay = false;
    GuiChannel channel(nullptr, incidences, hay);
    std::FILE* log = std::tmpfile();
    channel.setLogStream(log);
    channel.setTerminando(true);
    int abiertas = 0;
    onNextModal([&abiertas](QWidget* w) {
        ++abiertas;
        w->close();
    });
    channel.message(qd::MessageKind::Error, "No se pudo grabar");
    EXPECT_FALSE(channel.ask("¿Continuar?")); // even where the default answer would be "sí"
    QTest::qWait(50);
    EXPECT_EQ(abiertas, 0);
    EXPECT_EQ(readStream(log), "[error] No se pudo grabar\n[question] ¿Continuar?\n[answer] no\n");
    std::fclose(log);
}

TEST(GuiChannel, CancelShortcutIsHeardWhileALoopProcessesMessages) {
    // A window with the "Cancelar proceso" menu item, as the main window has it.
    QMainWindow window;
    bool abortar = false;
    QAction* cancelar = window.menuBar()->addMenu("Opciones")->addAction("Cancelar proceso");
    cancelar->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));
    cancelar->setShortcutContext(Qt::ApplicationShortcut);
    QObject::connect(cancelar, &QAction::triggered, [&abortar] { abortar = true; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QStringList incidences;
    bool hay = false;
    GuiChannel channel(&window, incidences, hay);
    channel.bindCancelFlag(&abortar);
    int rows = 0;
    for (int row = 1; row <= 10; ++row) {
        ++rows;
        // The user presses Ctrl+Alt+C while row 3 is being written.
        if (row == 3)
            QTimer::singleShot(0, &window, [&window] {
                QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
            });
        if (channel.processEventsAndCancelled()) break;
    }
    EXPECT_EQ(rows, 3);
    EXPECT_TRUE(abortar);
}

TEST(GuiChannel, ProgressWindowOpensStepsAndCloses) {
    QStringList incidences;
    bool hay = false;
    GuiChannel channel(nullptr, incidences, hay);
    channel.progressOpen(4);
    TFormProgreso* form = channel.progreso();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "  Importación de Excel");
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form->isModal());
    auto* bar = form->findChild<QProgressBar*>("QProgressBar");
    auto* label = form->findChild<QLabel*>("LabelMensaje");
    ASSERT_TRUE(bar && label);
    EXPECT_EQ(bar->maximum(), 4);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->text(), "0%");

    auto* filas = form->findChild<QLabel*>("LabelFilas");
    auto* aviso = form->findChild<QLabel*>("LabelCancelar");
    ASSERT_TRUE(filas && aviso);
    EXPECT_EQ(filas->text(), "0 de 4 filas");
    EXPECT_FALSE(aviso->isVisible()) << "no loop that can be cancelled runs";

    channel.progressStep("Artículo 1");
    channel.progressStep("Artículo 2");
    EXPECT_EQ(label->text(), "Artículo 2");
    EXPECT_EQ(bar->value(), 2);
    EXPECT_EQ(bar->text(), "50%");
    EXPECT_EQ(filas->text(), "2 de 4 filas");

    // A cancellable loop starts: the open window and the next one say how to cancel it.
    channel.setAvisoCancelar(true);
    EXPECT_TRUE(aviso->isVisible());
    EXPECT_EQ(aviso->text(), "Pulse Ctrl+Alt+C para cancelar el proceso en curso");
    EXPECT_GE(aviso->width(), aviso->fontMetrics().horizontalAdvance(aviso->text()));
    for (int i = 0; i < 5; ++i)
        channel.progressStep("Artículo");
    EXPECT_EQ(filas->text(), "4 de 4 filas") << "never past the total";

    channel.progressClose();
    EXPECT_EQ(channel.progreso(), nullptr);
    channel.progressStep("after close is ignored");

    channel.progressOpen(20000);
    ASSERT_NE(channel.progreso(), nullptr);
    EXPECT_TRUE(channel.progreso()->labelCancelar()->isVisible());
    EXPECT_TRUE(channel.progreso()->labelFilas()->text().endsWith(" filas"));
    channel.setAvisoCancelar(false);
    EXPECT_FALSE(channel.progreso()->labelCancelar()->isVisible());
    channel.progressClose();
}

TEST(GuiChannel, WaitCursorIsBalanced) {
    QStringList incidences;
    bool hay = false;
    {
        GuiChannel channel(nullptr, incidences, hay);
        channel.waitCursor(true);
        channel.waitCursor(true);
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
        channel.waitCursor(false);
        channel.waitCursor(false);
        channel.waitCursor(false); // one too many is harmless
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        channel.waitCursor(true);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the channel's end restores it
}

TEST(Forms, FinProcesoAcceptsWithItsDefaultButton) {
    TFormFinProceso form;
    EXPECT_EQ(form.windowTitle(), "Importación de datos desde Excel");
    auto* label = form.findChild<QLabel*>("LabelMensaje");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Importación de líneas TERMINADA");
    EXPECT_EQ(form.botonAceptar()->text(), "Aceptar");
    EXPECT_TRUE(form.botonAceptar()->isDefault());
    onNextModal([](QWidget* w) { qobject_cast<TFormFinProceso*>(w)->botonAceptar()->click(); });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
}

TEST(CheckListBox, UserTicksGoThroughTheListRules) {
    qd::FieldList clients = qd::clientFieldList();
    TsuiCheckListBox box;
    box.setFieldList(&clients);
    ASSERT_EQ(box.count(), 27);
    EXPECT_EQ(box.item(2)->text(), "NOMBRE");
    EXPECT_TRUE(box.toolTip().startsWith("En el proceso de Inserción y Modificación de Clientes,\n"));

    int clicks = 0;
    QObject::connect(&box, &TsuiCheckListBox::clickCheck, [&clicks](int) { ++clicks; });
    box.item(1)->setCheckState(Qt::Unchecked); // CODIGO comes back
    EXPECT_EQ(box.item(1)->checkState(), Qt::Checked);
    EXPECT_TRUE(clients.isChecked(1));
    box.item(2)->setCheckState(Qt::Unchecked); // NOMBRE stays unticked
    EXPECT_EQ(box.item(2)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(clients.isChecked(2));
    EXPECT_EQ(clicks, 2);

    // Changes made by code show at once.
    qd::FieldList articles = qd::articleFieldList();
    box.setFieldList(&articles);
    ASSERT_EQ(box.count(), 26);
    qd::setArticleControls(articles, {.porCodigo = true, .alta = false, .pvp = true, .stock = false});
    EXPECT_EQ(box.item(qd::ArticleFields::kPvp)->checkState(), Qt::Checked);
    box.item(0)->setCheckState(Qt::Unchecked); // GRUPOEMPRESAS comes back
    EXPECT_EQ(box.item(0)->checkState(), Qt::Checked);
}

class ShowIncidences : public ::testing::Test {
protected:
    QTemporaryDir dir;

    // Shows the list and returns what the window held.
    struct Shown {
        QString text, info, title;
        bool modal = false;
    };
    Shown show(QStringList& list, const QString& path) {
        Shown shown;
        onNextModal([&shown](QWidget* w) {
            auto* form = qobject_cast<TFormAyudaRapida*>(w);
            ASSERT_NE(form, nullptr);
            shown.text = form->RichEdit1()->toPlainText();
            shown.info = form->infoText();
            shown.modal = form->isModal();
            form->close();
        });
        qd::gui::showIncidences(nullptr, list, path);
        return shown;
    }
};

TEST_F(ShowIncidences, WritesTheFileShowsTheLinesAndEmptiesTheList) {
    const QString path = dir.filePath("Incidencias_Excel.txt");
    QStringList list{"Albarán 7: referencia X no encontrada", "Albarán 7: lote L1 sin stock"};
    Shown first = show(list, path);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(first.modal);
    EXPECT_EQ(first.text, "Albarán 7: referencia X no encontrada\nAlbarán 7: lote L1 sin stock");
    EXPECT_TRUE(first.info.contains(QDir::toNativeSeparators(path))) << first.info.toStdString();

    // A second display replaces the file with only its own lines.
    list = QStringList{"Albarán 8: cantidad 0"};
    Shown second = show(list, path);
    EXPECT_EQ(second.text, "Albarán 8: cantidad 0");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QString("Albarán 8: cantidad 0\r\n").toLocal8Bit());
}

TEST_F(ShowIncidences, UnwritableFileStillShowsTheIncidencesAndWhy) {
    const QString path = dir.filePath("no/such/folder/Incidencias_Excel.txt");
    QStringList list{"Albarán 9: artículo sin código"};
    Shown shown = show(list, path);
    EXPECT_EQ(shown.text, "Albarán 9: artículo sin código");
    EXPECT_TRUE(shown.info.startsWith("No se ha podido guardar el fichero de incidencias"))
        << shown.info.toStdString();
    EXPECT_TRUE(shown.info.contains(QDir::toNativeSeparators(path)));
    EXPECT_TRUE(list.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}
