// The RTF reader: a table of small documents with their text and formatting, bad input that must
// neither crash nor hang, and the help files shipped with the program.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "RtfReader.h"

using qd::RtfReader;

namespace {

struct Formato {
    const char* fragmento; // UTF-8 text to look for; its first character is checked
    bool bold, italic, underline;
};

struct Caso {
    const char* nombre;
    const char* rtf;
    const char* texto; // expected plain text, UTF-8
    std::vector<Formato> formatos;
};

QTextCharFormat formatoEn(QTextDocument& doc, const QString& fragmento) {
    const QTextCursor hallado = doc.find(fragmento, 0, QTextDocument::FindCaseSensitively);
    EXPECT_FALSE(hallado.isNull()) << "not found: " << fragmento.toStdString();
    QTextCursor c(&doc);
    c.setPosition(hallado.selectionStart() + 1); // the format of the character before the cursor
    return c.charFormat();
}

const std::vector<Caso>& casos() {
    static const std::vector<Caso> k = {
        {"paragraphs", R"({\rtf1\ansi Hola\par mundo\par})", "Hola\nmundo", {}},
        {"empty paragraphs kept", R"({\rtf1 a\par\par b})", "a\n\nb", {}},
        {"source line ends are not text", "{\\rtf1 uno\r\ndos\ntres}", "unodostres", {}},
        {"backslash line end is a paragraph", "{\\rtf1 uno\\\ndos}", "uno\ndos", {}},
        {"bold italic underline toggles",
         R"({\rtf1 n\b B\b0 n\i I\i0 n\ul U\ulnone n\ul V\ul0 n\b1 W})",
         "nBnInUnVnW",
         {{"n", false, false, false},
          {"B", true, false, false},
          {"I", false, true, false},
          {"U", false, false, true},
          {"V", false, false, true},
          {"W", true, false, false}}},
        {"groups restore formatting",
         R"({\rtf1 {\b uno {\i dos} tres}cuatro})",
         "uno dos trescuatro",
         {{"uno", true, false, false},
          {"dos", true, true, false},
          {"tres", true, false, false},
          {"cuatro", false, false, false}}},
        {"plain resets",
         R"({\rtf1\b\i\ul x\plain y})",
         "xy",
         {{"x", true, true, true}, {"y", false, false, false}}},
        {"code page 1252 by default",
         R"({\rtf1\ansi Art\'edculo \'80 \'93x\'94 \'f1})",
         "Artículo € “x” ñ",
         {}},
        {"declared code page 1251", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8})", "При", {}},
        {"code page 65001", R"({\rtf1\ansi\ansicpg65001 \'c3\'b1})", "ñ", {}},
        {"unicode with one fallback character", R"({\rtf1\uc1 Espa\u241?a \u8364?})", "España €", {}},
        {"unicode with two fallback characters", R"({\rtf1\uc2\u8364 XYz})", "€z", {}},
        {"unicode fallback escape skipped", R"({\rtf1\u243\'f3n})", "ón", {}},
        {"unicode without fallback", R"({\rtf1\uc0\u241 x})", "ñx", {}},
        {"unicode negative surrogate pair", R"({\rtf1\u-10179?\u-8704?})", "\xF0\x9F\x98\x80", {}},
        {"fallback skip ends with the group", R"({\rtf1{\uc3\u241 a}bc})", "ñbc", {}},
        {"escaped symbols", R"({\rtf1 \\ \{ \} a\tab b\line c})", "\\ { } a\tb\nc", {}},
        {"typographic words",
         R"({\rtf1 a\emdash b\endash c\~d\bullet e\lquote f\rquote\ldblquote g\rdblquote\_h\-i})",
         "a—b–c d•e‘f’“g”\u2011hi",
         {}},
        {"tables and info ignored",
         R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}{\f1 Courier;}}{\colortbl;\red255\green0\blue0;})"
         R"({\stylesheet{\s1\b Heading;}}{\info{\title Titulo}{\author Nadie}}\f0\fs20 Texto})",
         "Texto",
         {{"Texto", false, false, false}}},
        {"starred destinations ignored",
         R"({\rtf1{\*\generator Gen 1.0;}{\*\unknownword basura}visible})",
         "visible",
         {}},
        {"pictures ignored", R"({\rtf1 a{\pict\pngblip\picw10 89504e470d0a1a0a}b})", "ab", {}},
        {"field shows its result",
         R"({\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt enlace}}})",
         "enlace",
         {}},
        {"binary data skipped", "{\\rtf1 a{\\*\\blob\\bin3 {}\\}b}", "ab", {}},
        {"text after the root group ignored", R"({\rtf1 dentro}fuera)", "dentro", {}},
        {"trailing paragraph dropped once", R"({\rtf1 a\par})", "a", {}},
    };
    return k;
}

} // namespace

TEST(RtfReader, TableOfDocuments) {
    for (const Caso& c : casos()) {
        SCOPED_TRACE(c.nombre);
        QTextDocument doc;
        RtfReader::read(QByteArray(c.rtf), &doc);
        EXPECT_EQ(doc.toPlainText(), QString::fromUtf8(c.texto));
        for (const Formato& f : c.formatos) {
            SCOPED_TRACE(f.fragmento);
            const QTextCharFormat fmt = formatoEn(doc, QString::fromUtf8(f.fragmento));
            EXPECT_EQ(fmt.fontWeight() >= QFont::Bold, f.bold);
            EXPECT_EQ(fmt.fontItalic(), f.italic);
            EXPECT_EQ(fmt.fontUnderline(), f.underline);
        }
    }
}

TEST(RtfReader, ParagraphAlignmentAndSize) {
    QTextDocument doc;
    RtfReader::read(R"({\rtf1\qc\fs36 Titulo\par\pard\fs20 Izquierda\par\qr Derecha})", &doc);
    ASSERT_EQ(doc.blockCount(), 3);
    EXPECT_EQ(doc.findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(doc.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(doc.findBlockByNumber(2).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_DOUBLE_EQ(formatoEn(doc, "Titulo").fontPointSize(), 18.0);
    EXPECT_DOUBLE_EQ(formatoEn(doc, "Izquierda").fontPointSize(), 10.0);

    // Indents in twips (15 to the pixel); \pard resets them.
    RtfReader::read(R"({\rtf1\li360\fi-240\sb150 \bullet\tab x\par\pard y})", &doc);
    ASSERT_EQ(doc.blockCount(), 2);
    const QTextBlockFormat sangrado = doc.firstBlock().blockFormat();
    EXPECT_DOUBLE_EQ(sangrado.leftMargin(), 24.0);
    EXPECT_DOUBLE_EQ(sangrado.textIndent(), -16.0);
    EXPECT_DOUBLE_EQ(sangrado.topMargin(), 10.0);
    EXPECT_EQ(sangrado.tabPositions().size(), 1);
    EXPECT_DOUBLE_EQ(doc.lastBlock().blockFormat().leftMargin(), 0.0);
    EXPECT_DOUBLE_EQ(doc.lastBlock().blockFormat().textIndent(), 0.0);
}

TEST(RtfReader, ReadReplacesTheDocumentAndPlainTextPassesThrough) {
    QTextDocument doc;
    doc.setPlainText("antes");
    RtfReader::read("{\\rtf1 despues}", &doc);
    EXPECT_EQ(doc.toPlainText(), "despues");
    // A file that is not RTF is shown as it is (UTF-8, else the Windows code page).
    RtfReader::read("linea 1\r\nlínea 2", &doc);
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("linea 1\nlínea 2"));
    RtfReader::read(QByteArray("l\xEDnea"), &doc);
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("línea"));
    RtfReader::read("{\\rtf1 x}", nullptr); // no document: nothing happens
}

TEST(RtfReader, MalformedInputKeepsWhatCanBeRead) {
    const struct {
        const char* rtf;
        const char* texto;
    } k[] = {
        {"{\\rtf1 sin cierre", "sin cierre"},
        {"{\\rtf1 a}}}}b", "a"},
        {"{\\rtf1 {{{a}", "a"},
        {"{\\rtf1 x\\'zzy\\'4", "xzzy4"},
        {"{\\rtf1 fin\\", "fin"},
        {"{\\rtf1 a\\bin999999999 bbbb", "a"},
        {"{\\rtf1 a\\bin-5 b}", "ab"},
        {"{\\rtf1 \\u99999999999999999999? x}", "\xEF\xBF\xBD x"},
        {"{\\rtf1 \\uc-7\\u241 z}", "ñz"},
        {"{\\rtf1\\ansicpg99999 \\'e9}", "é"},
        {"{\\rtf1 \\abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz123 ok}", "ok"},
        {"", ""},
        {"{\\rtf", ""},
    };
    for (const auto& c : k) {
        SCOPED_TRACE(c.rtf);
        EXPECT_EQ(RtfReader::toPlainText(QByteArray(c.rtf)), QString::fromUtf8(c.texto));
    }
}

TEST(RtfReader, DeepNestingAndRandomBytesNeitherCrashNorHang) {
    QElapsedTimer t;
    t.start();
    // Far deeper than the nesting bound: formatting of the deepest levels falls back to the bound's.
    const QByteArray profundo =
        "{\\rtf1 " + QByteArray(200000, '{') + "hondo" + QByteArray(200000, '}') + "}";
    EXPECT_EQ(RtfReader::toPlainText(profundo), "hondo");

    const QByteArray alfabeto = "{}\\'*abuclpr0123456789- ?\x80\xE9\n";
    QRandomGenerator rng(20261210);
    for (int i = 0; i < 3000; ++i) {
        QByteArray s = "{\\rtf1 ";
        const int len = int(rng.bounded(300));
        for (int j = 0; j < len; ++j)
            s.append(alfabeto[int(rng.bounded(int(alfabeto.size())))]);
        QTextDocument doc;
        RtfReader::read(s, &doc);
        const QString texto = doc.toPlainText();
        EXPECT_LE(texto.size(), s.size()) << s.toStdString();
    }
    EXPECT_LT(t.elapsed(), 60000);
}

TEST(RtfReader, ReadFileRefusesMissingFilesAndLeavesTheDocument) {
    QTextDocument doc;
    doc.setPlainText("diseño");
    EXPECT_FALSE(RtfReader::readFile("/nonexistent/Ayuda_Excel.rtf", &doc));
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("diseño"));

    QTemporaryDir dir;
    QFile f(dir.filePath("a.rtf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\\rtf1\\ansi {\\b Ayuda}\\par}");
    f.close();
    EXPECT_TRUE(RtfReader::readFile(f.fileName(), &doc));
    EXPECT_EQ(doc.toPlainText(), "Ayuda");
    EXPECT_TRUE(RtfReader::toHtml("{\\rtf1 {\\b Ayuda}}").contains("font-weight"));
}

// The help files that ship with the program read cleanly: no control word or brace leaks into the
// text, and each one describes its page.
TEST(RtfReader, ShippedHelpFiles) {
    const struct {
        const char* fichero;
        std::vector<const char*> frases;
    } k[] = {
        {"Ayuda_Excel.rtf",
         {"5º Paso : Previsualizar Excel", "Dar de Alta", "Actualizar Campos", "Actualizar PVP",
          "Actualizar Stock", "Por Referencia de Proveedor", "Confirmar", "CODIGO", "REFERENCIAPROVEEDOR",
          "INTER1IVA", "Ctrl+Alt+C"}},
        {"Ayuda_Excel_Clientes.rtf",
         {"4º Paso : Cargar XLS", "COD_FPAGO", "COD_AGENTEVENTA", "CuentaBancoCCC",
          "Incorporar sólo los nuevos clientes"}},
        {"Ayuda_Excel_DirClientes.rtf", {"4º Paso : Cargar XLS", "COD_CLIENTE", "NOMBRE_ENVIO", "PROVINCIA"}},
        {"Ayuda_Excel_ContClientes.rtf",
         {"4º Paso : Cargar XLS", "COD_CLIENTE", "APELLIDOS", "GRUPOEMPRESAS"}},
    };
    for (const auto& c : k) {
        SCOPED_TRACE(c.fichero);
        QTextDocument doc;
        ASSERT_TRUE(RtfReader::readFile(QDir(QD_HELP_DIR).filePath(c.fichero), &doc));
        const QString texto = doc.toPlainText();
        EXPECT_FALSE(texto.contains('\\'));
        EXPECT_FALSE(texto.contains('{'));
        EXPECT_FALSE(texto.contains('}'));
        EXPECT_FALSE(texto.contains(QChar(0xFFFD)));
        for (const char* frase : c.frases)
            EXPECT_TRUE(texto.contains(QString::fromUtf8(frase))) << frase;
    }
}
