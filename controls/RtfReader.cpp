// RTF reader: an iterative tokenizer with a stack of group states that writes into a
// QTextDocument through a cursor, one run of equally formatted text at a time.
#include "RtfReader.h"

#include <QFile>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace qd {

namespace {

// Code page 1252 in 0x80..0x9F (the rest of the page is Latin-1). 0 marks an unassigned byte.
constexpr std::array<char16_t, 32> kCp1252Alto = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2014, 0x2013, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString decodificarCp1252(const QByteArray& bytes) {
    QString s;
    s.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F) {
            const char16_t u = kCp1252Alto[b - 0x80];
            s += QChar(u != 0 ? u : char16_t(0xFFFD));
        } else {
            s += QChar(char16_t(b));
        }
    }
    return s;
}

// Character formatting of a group.
struct Caracter {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0; // \fs; 0: the document's default size
    bool operator==(const Caracter&) const = default;
};

// Paragraph formatting (reset by \pard). Distances in twips (1/20 point).
struct Parrafo {
    Qt::Alignment align = Qt::AlignLeft;
    int izquierda = 0;     // \li
    int derecha = 0;       // \ri
    int primera = 0;       // \fi, relative to \li (negative: hanging indent)
    int antes = 0;         // \sb
    int despues = 0;       // \sa
    std::vector<int> tabs; // \tx
};

struct Estado {
    Caracter car;
    Parrafo par;
    int uc = 1;        // characters to skip after \uN
    bool skip = false; // inside a destination that holds no body text
};

bool esLetra(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool esDigito(char c) {
    return c >= '0' && c <= '9';
}
int valorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Destinations whose content is not body text.
bool esDestinoIgnorado(const QByteArray& w) {
    static const char* const kDestinos[] = {"fonttbl",
                                            "colortbl",
                                            "stylesheet",
                                            "info",
                                            "pict",
                                            "object",
                                            "header",
                                            "headerl",
                                            "headerr",
                                            "headerf",
                                            "footer",
                                            "footerl",
                                            "footerr",
                                            "footerf",
                                            "footnote",
                                            "fldinst",
                                            "themedata",
                                            "colorschememapping",
                                            "latentstyles",
                                            "datastore",
                                            "xmlnstbl",
                                            "listtable",
                                            "listoverridetable",
                                            "rsidtbl",
                                            "generator",
                                            "filetbl",
                                            "revtbl",
                                            "pgdsctbl",
                                            "nonshppict",
                                            "xe",
                                            "tc",
                                            "txe",
                                            "bkmkstart",
                                            "bkmkend",
                                            "userprops",
                                            "docvar",
                                            "private",
                                            "template",
                                            "atnid",
                                            "atnauthor",
                                            "annotation",
                                            "objdata",
                                            "blipuid",
                                            "shpinst",
                                            "sp",
                                            "sn",
                                            "sv",
                                            "mmathPr",
                                            "wgrffmtfilter",
                                            "passwordhash",
                                            "fchars",
                                            "lchars"};
    for (const char* d : kDestinos)
        if (w == d) return true;
    return false;
}

class Parser {
public:
    Parser(const QByteArray& in, QTextDocument* doc) : in_(in), doc_(doc), cursor_(doc) {}

    void run() {
        doc_->clear();
        // One edit block: the document lays itself out once at the end instead of after every
        // run, and no undo history is kept for the load.
        const bool deshacer = doc_->isUndoRedoEnabled();
        doc_->setUndoRedoEnabled(false);
        cursor_ = QTextCursor(doc_);
        cursor_.beginEditBlock();
        const qsizetype n = in_.size();
        bool abierto = false; // the root group has been opened
        while (pos_ < n) {
            const char c = in_[pos_];
            if (c == '{') {
                ++pos_;
                abrirGrupo();
                abierto = true;
            } else if (c == '}') {
                ++pos_;
                // The document ends with its root group; its state stays in force for the last
                // paragraph.
                if (abierto && profundidad() == 1) break;
                cerrarGrupo();
            } else if (c == '\\') {
                ++pos_;
                controlWord();
            } else if (c == '\r' || c == '\n') {
                ++pos_; // line ends in the source are not text
            } else {
                ++pos_;
                const auto b = static_cast<unsigned char>(c);
                if (abierto && saltarCaracterUnicode()) continue;
                if (!abierto || st_.skip) continue;
                if (b >= 0x80)
                    bytes_.append(c);
                else if (b >= 0x20 || c == '\t')
                    texto(QString(QChar(char16_t(b))));
            }
        }
        terminar();
        cursor_.endEditBlock();
        doc_->setUndoRedoEnabled(deshacer);
    }

private:
    int profundidad() const { return int(stack_.size()) + desborde_; }

    void abrirGrupo() {
        volcarBytes();
        ucPendientes_ = 0;
        if (int(stack_.size()) >= RtfReader::kMaxNesting) {
            ++desborde_;
            return;
        }
        stack_.push_back(st_);
    }

    void cerrarGrupo() {
        volcarBytes();
        ucPendientes_ = 0;
        if (desborde_ > 0) {
            --desborde_;
            return;
        }
        if (stack_.empty()) return; // an unbalanced '}' is ignored
        st_ = stack_.back();
        stack_.pop_back();
    }

    // After \uN, the next `uc` characters are the fallback for readers without Unicode.
    bool saltarCaracterUnicode() {
        if (ucPendientes_ <= 0) return false;
        --ucPendientes_;
        return true;
    }

    void controlWord() {
        const qsizetype n = in_.size();
        if (pos_ >= n) return;
        const char c = in_[pos_];
        if (!esLetra(c)) {
            ++pos_;
            controlSymbol(c);
            return;
        }
        QByteArray palabra;
        while (pos_ < n && esLetra(in_[pos_])) {
            if (palabra.size() < 32) palabra.append(in_[pos_]);
            ++pos_;
        }
        std::optional<long long> param;
        bool negativo = false;
        if (pos_ < n && in_[pos_] == '-' && pos_ + 1 < n && esDigito(in_[pos_ + 1])) {
            negativo = true;
            ++pos_;
        }
        if (pos_ < n && esDigito(in_[pos_])) {
            long long v = 0;
            while (pos_ < n && esDigito(in_[pos_])) {
                if (v < 1'000'000'000LL) v = v * 10 + (in_[pos_] - '0');
                ++pos_;
            }
            param = negativo ? -v : v;
        }
        if (pos_ < n && in_[pos_] == ' ') ++pos_; // the delimiting space belongs to the word
        palabraControl(palabra, param);
    }

    void controlSymbol(char c) {
        if (c == '\'') {
            // \'hh: one byte in the document's code page
            const qsizetype n = in_.size();
            int valor = -1;
            if (pos_ + 1 < n) {
                const int h = valorHex(in_[pos_]);
                const int l = valorHex(in_[pos_ + 1]);
                if (h >= 0 && l >= 0) valor = h * 16 + l;
            }
            if (valor < 0) return; // a broken escape is dropped
            pos_ += 2;
            if (saltarCaracterUnicode() || st_.skip) return;
            if (valor < 0x80) {
                if (valor >= 0x20 || valor == '\t') texto(QString(QChar(char16_t(valor))));
            } else {
                bytes_.append(char(valor));
            }
            return;
        }
        if (c == '*') {
            st_.skip = true;
            return;
        }
        if (saltarCaracterUnicode()) return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            texto(QString(QChar(char16_t(c))));
            break;
        case '~':
            texto(QString(QChar(0x00A0)));
            break;
        case '_':
            texto(QString(QChar(0x2011)));
            break;
        case '\r':
        case '\n':
            parrafo();
            break;
        default: // \- (optional hyphen), \: and \| and anything unknown: nothing to show
            break;
        }
    }

    void palabraControl(const QByteArray& w, std::optional<long long> param) {
        const auto p = [&](long long porDefecto) { return param.value_or(porDefecto); };
        const auto activa = [&] { return !param || *param != 0; };

        // Words that change state, whatever the skipping.
        if (w == "u") {
            const long long v = p(0);
            ucPendientes_ = 0;
            if (!st_.skip) {
                long long u = v < 0 ? v + 65536 : v;
                if (u < 0 || u > 0xFFFF) u = 0xFFFD;
                if (u != 0) texto(QString(QChar(char16_t(u))));
            }
            ucPendientes_ = st_.uc;
            return;
        }
        if (w == "uc") {
            st_.uc = int(std::clamp<long long>(p(1), 0, 16));
            return;
        }
        if (w == "bin") {
            // Binary data: skipped whole, never longer than what is left.
            const long long len = std::max<long long>(p(0), 0);
            pos_ = qsizetype(std::min<long long>(qint64(pos_) + len, qint64(in_.size())));
            return;
        }
        if (esDestinoIgnorado(w)) {
            st_.skip = true;
            return;
        }
        if (w == "ansicpg") {
            cambiarCodigo(int(std::clamp<long long>(p(1252), 0, 100000)));
            return;
        }
        if (w == "mac") {
            cambiarCodigo(10000);
            return;
        }
        if (w == "pc") {
            cambiarCodigo(437);
            return;
        }
        if (w == "pca") {
            cambiarCodigo(850);
            return;
        }

        // Character formatting.
        if (w == "b") {
            st_.car.bold = activa();
        } else if (w == "i") {
            st_.car.italic = activa();
        } else if (w == "ul" || w == "uld" || w == "uldash" || w == "uldb" || w == "ulw" || w == "ulwave" ||
                   w == "ulth") {
            st_.car.underline = activa();
        } else if (w == "ulnone") {
            st_.car.underline = false;
        } else if (w == "plain") {
            st_.car = Caracter{};
        } else if (w == "fs") {
            st_.car.halfPoints = int(std::clamp<long long>(p(24), 2, 3276));
        }
        // Paragraph formatting.
        else if (w == "pard") {
            st_.par = Parrafo{};
        } else if (w == "ql") {
            st_.par.align = Qt::AlignLeft;
        } else if (w == "qc") {
            st_.par.align = Qt::AlignHCenter;
        } else if (w == "qr") {
            st_.par.align = Qt::AlignRight;
        } else if (w == "qj") {
            st_.par.align = Qt::AlignJustify;
        } else if (w == "li") {
            st_.par.izquierda = twips(p(0));
        } else if (w == "ri") {
            st_.par.derecha = twips(p(0));
        } else if (w == "fi") {
            st_.par.primera = twips(p(0));
        } else if (w == "sb") {
            st_.par.antes = twips(p(0));
        } else if (w == "sa") {
            st_.par.despues = twips(p(0));
        } else if (w == "tx") {
            if (st_.par.tabs.size() < 64) st_.par.tabs.push_back(twips(p(0)));
        }
        // Text.
        else if (saltarCaracterUnicode()) {
            return;
        } else if (w == "par" || w == "sect" || w == "page") {
            if (!st_.skip) parrafo();
        } else if (w == "line") {
            texto(QString(QChar::LineSeparator));
        } else if (w == "tab") {
            texto(QStringLiteral("\t"));
        } else if (w == "emdash") {
            texto(QString(QChar(0x2014)));
        } else if (w == "endash") {
            texto(QString(QChar(0x2013)));
        } else if (w == "emspace") {
            texto(QString(QChar(0x2003)));
        } else if (w == "enspace") {
            texto(QString(QChar(0x2002)));
        } else if (w == "qmspace") {
            texto(QString(QChar(0x2005)));
        } else if (w == "bullet") {
            texto(QString(QChar(0x2022)));
        } else if (w == "lquote") {
            texto(QString(QChar(0x2018)));
        } else if (w == "rquote") {
            texto(QString(QChar(0x2019)));
        } else if (w == "ldblquote") {
            texto(QString(QChar(0x201C)));
        } else if (w == "rdblquote") {
            texto(QString(QChar(0x201D)));
        }
        // Every other word (fonts, colours, spacing, page layout…) does not change the text.
    }

    void cambiarCodigo(int cp) {
        volcarBytes();
        codigo_ = cp;
        decoder_.reset();
    }

    // Bytes above 0x7F wait here until the run of them ends, so that multi-byte code pages are
    // decoded whole.
    void volcarBytes() {
        if (bytes_.isEmpty()) return;
        const QByteArray b = bytes_;
        bytes_.clear();
        QString s;
        if (codigo_ == 1252 || codigo_ == 0) {
            s = decodificarCp1252(b);
        } else {
            if (!decoder_) {
                QByteArray nombre;
                if (codigo_ == 65001)
                    nombre = "UTF-8";
                else if (codigo_ == 437 || codigo_ == 850)
                    nombre = "IBM" + QByteArray::number(codigo_);
                else if (codigo_ == 10000)
                    nombre = "macintosh";
                else
                    nombre = "windows-" + QByteArray::number(codigo_);
                decoder_.emplace(nombre.constData());
            }
            if (decoder_->isValid())
                s = decoder_->decode(b);
            else
                s = decodificarCp1252(b); // a code page this system cannot decode
        }
        anadir(s);
    }

    void texto(const QString& s) {
        if (st_.skip) return;
        volcarBytes();
        anadir(s);
    }

    void anadir(const QString& s) {
        if (s.isEmpty()) return;
        if (!tramo_.isEmpty() && !(formatoTramo_ == st_.car)) volcarTramo();
        if (tramo_.isEmpty()) formatoTramo_ = st_.car;
        tramo_ += s;
    }

    void volcarTramo() {
        if (tramo_.isEmpty()) return;
        QTextCharFormat f;
        f.setFontWeight(formatoTramo_.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(formatoTramo_.italic);
        f.setFontUnderline(formatoTramo_.underline);
        if (formatoTramo_.halfPoints > 0) f.setFontPointSize(formatoTramo_.halfPoints / 2.0);
        cursor_.insertText(tramo_, f);
        tramo_.clear();
    }

    // Twips within a page's reach (about 55 cm either way).
    static int twips(long long v) { return int(std::clamp<long long>(v, -31680, 31680)); }
    // Twips to the document's pixels (96 per inch).
    static qreal pixeles(int tw) { return tw / 15.0; }

    void formatoParrafo() {
        const Parrafo& p = st_.par;
        QTextBlockFormat bf = cursor_.blockFormat();
        bf.setAlignment(p.align);
        bf.setLeftMargin(pixeles(std::max(p.izquierda, 0)));
        bf.setRightMargin(pixeles(std::max(p.derecha, 0)));
        bf.setTextIndent(pixeles(p.primera));
        bf.setTopMargin(pixeles(std::max(p.antes, 0)));
        bf.setBottomMargin(pixeles(std::max(p.despues, 0)));
        // A hanging indent works as a tab stop at the left indent, as word processors do, so
        // "bullet, tab, text" lines up the text. Tab positions count from the first line's start.
        const int inicio = std::max(p.izquierda + p.primera, 0);
        QList<QTextOption::Tab> tabs;
        if (p.primera < 0 && p.izquierda > 0)
            tabs.append(QTextOption::Tab(pixeles(p.izquierda - inicio), QTextOption::LeftTab));
        for (const int t : p.tabs)
            if (t > inicio) tabs.append(QTextOption::Tab(pixeles(t - inicio), QTextOption::LeftTab));
        bf.setTabPositions(tabs);
        cursor_.setBlockFormat(bf);
    }

    void parrafo() {
        volcarBytes();
        volcarTramo();
        formatoParrafo();
        cursor_.insertBlock();
    }

    void terminar() {
        volcarBytes();
        volcarTramo();
        formatoParrafo();
        // The customary \par before the closing brace does not open a paragraph of its own.
        if (doc_->blockCount() > 1 && doc_->lastBlock().length() <= 1) {
            cursor_.movePosition(QTextCursor::End);
            cursor_.deletePreviousChar();
        }
    }

    const QByteArray& in_;
    QTextDocument* doc_;
    QTextCursor cursor_;
    qsizetype pos_ = 0;
    std::vector<Estado> stack_;
    Estado st_;
    int desborde_ = 0;     // groups opened beyond kMaxNesting
    int ucPendientes_ = 0; // fallback characters still to skip after \uN
    int codigo_ = 1252;    // the document's code page
    std::optional<QStringDecoder> decoder_;
    QByteArray bytes_;      // code-page bytes not yet decoded
    QString tramo_;         // text of the current run
    Caracter formatoTramo_; // formatting of the current run
};

bool esRtf(const QByteArray& in) {
    qsizetype i = 0;
    if (in.startsWith("\xEF\xBB\xBF")) i = 3;
    while (i < in.size() && (in[i] == ' ' || in[i] == '\t' || in[i] == '\r' || in[i] == '\n'))
        ++i;
    return in.mid(i, 5) == "{\\rtf";
}

} // namespace

void RtfReader::read(const QByteArray& rtf, QTextDocument* doc) {
    if (doc == nullptr) return;
    if (!esRtf(rtf)) {
        // Plain text: UTF-8 when it is valid UTF-8, otherwise the Windows code page.
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString s = utf8.decode(rtf);
        if (utf8.hasError()) s = decodificarCp1252(rtf);
        if (s.startsWith(QChar(0xFEFF))) s.remove(0, 1);
        s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        doc->setPlainText(s);
        return;
    }
    Parser(rtf, doc).run();
}

bool RtfReader::readFile(const QString& path, QTextDocument* doc) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    if (f.size() > kMaxFileSize) return false;
    const QByteArray data = f.read(kMaxFileSize + 1);
    if (data.size() > kMaxFileSize) return false;
    read(data, doc);
    return true;
}

QString RtfReader::toHtml(const QByteArray& rtf) {
    QTextDocument doc;
    read(rtf, &doc);
    return doc.toHtml();
}

QString RtfReader::toPlainText(const QByteArray& rtf) {
    QTextDocument doc;
    read(rtf, &doc);
    return doc.toPlainText();
}

} // namespace qd
