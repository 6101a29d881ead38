// The help windows: TFormAyuda (title, read-only text, print, close) and TFormAyudaRapida
// (caption, stay-on-top, lines and headings, information line, centred, Esc closes).
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include "RtfReader.h"
#include "TFormAyuda.h"
#include "TFormAyudaRapida.h"

namespace {

QPushButton* boton(QWidget& w, const QString& texto) {
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (b->text() == texto) return b;
    return nullptr;
}

} // namespace

TEST(TFormAyuda, ShowsTitleAndReadOnlyTextWithTheCaretAtTheStart) {
    TFormAyuda f;
    f.setTitulo(QString::fromUtf8("Ayuda de Importación de Artículos"));
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Ayuda de Importación de Artículos"));

    QTextDocument original;
    qd::RtfReader::read("{\\rtf1 {\\b Pasos}\\par uno\\par dos}", &original);
    f.setDocumento(&original);
    auto* rich = f.findChild<QTextEdit*>("RichEdit1");
    ASSERT_NE(rich, nullptr);
    EXPECT_TRUE(rich->isReadOnly());
    EXPECT_EQ(rich->textCursor().position(), 0);
    // The window keeps its own copy.
    original.setPlainText("otra cosa");
    EXPECT_EQ(rich->toPlainText(), "Pasos\nuno\ndos");

    rich->moveCursor(QTextCursor::End);
    f.setHtml("<p><b>Paso 1</b></p><p>Paso 2</p>");
    EXPECT_EQ(rich->textCursor().position(), 0);
    EXPECT_EQ(rich->toPlainText(), "Paso 1\nPaso 2");

    ASSERT_NE(boton(f, "Imprimir"), nullptr);
    QPushButton* salir = boton(f, "Salir");
    ASSERT_NE(salir, nullptr);
    f.show();
    salir->click();
    EXPECT_FALSE(f.isVisible());
}

TEST(TFormAyuda, PrintsTheTextUnderTheTitle) {
    QTemporaryDir dir;
    TFormAyuda f;
    f.setTitulo("Ayuda de prueba");
    f.setHtml("<p>Texto a imprimir</p>");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("ayuda.pdf"));
    f.imprimirEn(printer);
    EXPECT_EQ(printer.docName(), "Ayuda de prueba");
    QFile pdf(dir.filePath("ayuda.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
}

TEST(TFormAyudaRapida, CaptionStaysOnTopLinesAndHeadings) {
    TFormAyudaRapida f;
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("  Importación de Líneas de Albaranes de Venta"));
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    auto* rich = f.findChild<QTextEdit*>("RichEdit1");
    ASSERT_NE(rich, nullptr);
    EXPECT_TRUE(rich->isReadOnly());

    f.appendLines({"Artículo 1: no existe <b>", "", "   sangrado"});
    f.appendLine("Verificar:", true);
    f.appendLines({"fin"});
    // Lines are plain text: markup is shown as typed, empty and indented lines are kept.
    EXPECT_EQ(rich->toPlainText(),
              QString::fromUtf8("Artículo 1: no existe <b>\n\n   sangrado\nVerificar:\nfin"));
    const QTextBlock encabezado = rich->document()->findBlockByNumber(3);
    const QTextCharFormat fe = encabezado.begin().fragment().charFormat();
    EXPECT_EQ(fe.fontWeight(), QFont::Bold);
    EXPECT_TRUE(fe.fontUnderline());
    const QTextCharFormat ff = rich->document()->findBlockByNumber(4).begin().fragment().charFormat();
    EXPECT_NE(ff.fontWeight(), QFont::Bold);
    EXPECT_FALSE(ff.fontUnderline());

    auto* info = f.findChild<QLabel*>("LabelInfo");
    ASSERT_NE(info, nullptr);
    f.setInfoText("/ruta/Incidencias_Excel.txt");
    f.show();
    EXPECT_TRUE(info->isVisible());
    EXPECT_EQ(f.infoText(), "/ruta/Incidencias_Excel.txt");
    f.setInfoText("");
    EXPECT_FALSE(info->isVisible());
    f.close();
}

TEST(TFormAyudaRapida, CentredOnTheDesktopAndEscClosesTheModalWindow) {
    TFormAyudaRapida f;
    f.setTitulo(QString::fromUtf8("Ayuda Importación Líneas Albarán"));
    f.resize(540, 300);
    f.appendLines({"una línea"});
    bool centrada = false;
    QTimer::singleShot(0, &f, [&] {
        const QPoint centro = QGuiApplication::primaryScreen()->availableGeometry().center();
        centrada = (f.frameGeometry().center() - centro).manhattanLength() <= 4;
        QWidget* foco = QApplication::focusWidget() ? QApplication::focusWidget() : &f;
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(foco, &esc);
    });
    // A second timer fails the test instead of hanging it when Esc does not close the window.
    QTimer::singleShot(5000, &f, [&] { f.done(42); });
    EXPECT_EQ(f.exec(), QDialog::Rejected);
    EXPECT_TRUE(centrada);
}
