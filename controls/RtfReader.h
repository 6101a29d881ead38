#pragma once
// A small reader of rich-text (RTF) files, enough for the help texts of the module.
//
// It understands text and paragraphs (\par, \line, \tab, \page, \sect), character formatting
// (\b \i \ul and their 0 forms, \ulnone, \plain, \fsN), paragraph alignment (\ql \qc \qr \qj,
// reset by \pard), groups, character escapes (\'hh in the document's code page from \ansicpg,
// 1252 when none is given; \uN with \ucN skipping; \\ \{ \}; \~ \_ \-; \emdash \endash
// \bullet and the typographic quotes) and ignores destinations that hold no body text
// (\* groups, font and colour tables, style sheet, document info, pictures, objects, headers,
// footers, field instructions…).
//
// Bad input never crashes or hangs it: parsing is iterative, nesting and run lengths are bounded,
// every read is bounds checked, and whatever can be read is kept. Input that does not start with
// "{\rtf" is taken as plain text, as a rich-text box does when it loads such a file.

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace qd {

class RtfReader {
public:
    // Replaces the content of `doc` with the text of `rtf`.
    static void read(const QByteArray& rtf, QTextDocument* doc);
    // Loads a file into `doc`. Returns false, leaving `doc` untouched, when the file cannot be
    // read (missing, unreadable, or larger than the reader accepts).
    static bool readFile(const QString& path, QTextDocument* doc);
    // The text of `rtf` as HTML (through a QTextDocument).
    static QString toHtml(const QByteArray& rtf);
    // The plain text of `rtf` (paragraphs separated by '\n').
    static QString toPlainText(const QByteArray& rtf);

    // Groups nested deeper than this keep the formatting of the deepest allowed level.
    static constexpr int kMaxNesting = 512;
    // Files larger than this are refused by readFile().
    static constexpr qint64 kMaxFileSize = 32 * 1024 * 1024;
};

} // namespace qd
