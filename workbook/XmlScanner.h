#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "ZipArchive.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace qd::wb {

// A small pull scanner for the large parts of a workbook (worksheets and the shared-string table),
// several times faster than QXmlStreamReader there. It works on the UTF-8 bytes in place and is as
// strict as the readers need: tags must nest and match, nesting is bounded, a document type
// declaration is refused, and only the five predefined entities and character references are
// accepted. Line ends in character data are normalised to "\n" as XML says. Element and attribute
// names are given by local name (without namespace prefix); after setNamespaces() each element also
// says whether it is in one of the namespaces the reader asked for (ns(), is()).
//
// Given a zip entry stream, it holds only a window of the document: the views it hands out (name,
// attributes, text) stay valid until the next call to next(), or until the end of the current
// element after keepViewsUntilEnd().
class XmlScanner {
public:
    enum Token { StartElement, EndElement, Text, EndOfDocument };

    XmlScanner(const QByteArray& data, const QString& partName);
    XmlScanner(ZipArchive::EntryStream& source, const QString& partName);
    // Views handed out from now on stay valid until the current element ends.
    void keepViewsUntilEnd() { keepDepth_ = depth(); }

    Token next();
    Token token() const { return token_; }
    int depth() const { return int(stack_.size()); }
    QByteArrayView name() const { return name_; } // local name of the current start or end element

    // The namespaces the reader knows. From then on ns() is 0 for an element in no namespace, i + 1
    // for one in uris[i] and -1 for one in any other namespace. The root element's namespace counts
    // as known whatever it is.
    void setNamespaces(std::initializer_list<const char*> uris);
    int ns() const { return ns_; }
    // The current element has this local name and is in no namespace or a known one.
    bool is(QByteArrayView localName) const { return ns_ >= 0 && name_ == localName; }

    // Attribute of the current start element by local name; raw (entities not decoded). Null if absent.
    QByteArrayView rawAttribute(QByteArrayView localName) const;
    QString attribute(QByteArrayView localName) const; // decoded
    // Several attributes in one pass: out[i] is rawAttribute(names[i]).
    template <size_t N> void rawAttributes(const QByteArrayView (&names)[N], QByteArrayView (&out)[N]) const {
        rawAttributes(names, out, N);
    }
    // Calls f(qualifiedName, rawValue) for each attribute of the current start element, in order,
    // namespace declarations left out.
    template <typename F> void forEachAttribute(F&& f) const {
        const char* q = attrs_.data();
        QByteArrayView qname, value;
        while (nextAttribute(q, qname, value))
            f(qname, value);
    }
    // A raw text or attribute value with its entity and character references decoded.
    QString decode(QByteArrayView raw) const;

    QByteArrayView rawText() const { return text_; } // the current Text token, undecoded
    QString text() const;                            // decoded, line ends normalised
    // Whether the raw text holds references. Without them, text() is the raw bytes read as UTF-8 with
    // their line ends normalised (normaliseLineEnds()).
    bool textHasReferences() const { return textRefs_; }
    // Raw character data without references as text() gives it.
    static QString plainText(QByteArrayView raw);

    // Decoded character data up to the end of the current start element.
    QString elementText();
    void skipElement();

    [[noreturn]] void fail(const QString& what) const;
    // The line of the current position, from 1.
    int line() const;

    static constexpr int kMaxDepth = 64;

private:
    // The attribute at q (within the current start element's attributes), skipping namespace
    // declarations; moves q past it. False when there is none left.
    bool nextAttribute(const char*& q, QByteArrayView& qname, QByteArrayView& value) const;
    void rawAttributes(const QByteArrayView* names, QByteArrayView* out, size_t n) const;
    bool more(); // reads on from the source; false at its end
    void push(QByteArrayView qname);
    void bindNamespaces(); // the namespace declarations of the current start element
    int resolve(QByteArrayView qname) const;
    void adoptRootNamespace(QByteArrayView qname);

    QByteArray data_;
    ZipArchive::EntryStream* source_ = nullptr;
    bool sourceDone_ = false;
    int keepDepth_ = 0;
    std::vector<QByteArray> kept_;          // earlier windows that views may still point into
    QByteArray spare_;                      // an earlier window to use again
    mutable const char* counted_ = nullptr; // lines are counted up to here
    mutable int lines_ = 0;
    QString part_;
    const char* p_;
    const char* end_;
    Token token_ = EndOfDocument;
    QByteArrayView name_;
    QByteArrayView attrs_;
    QByteArrayView text_;
    bool textRefs_ = false;
    struct Binding {
        std::string prefix;
        int ns;
        int depth;
    };
    std::vector<QByteArray> uris_;  // known namespaces
    std::vector<Binding> bindings_; // prefix declarations in scope, innermost last
    int defaultNs_ = 0;
    int ns_ = 0;
    int rootNs_ = 0;
    bool pendingEnd_ = false;
    std::vector<qsizetype> stack_; // end of each open element's qualified name in names_
    std::string names_;            // qualified names of the open elements, one after another
};

// Numbers in XML text, locale-independent.
bool parseXmlDouble(QByteArrayView s, double& out);
bool parseXmlInt(QByteArrayView s, qint64& out);

} // namespace qd::wb
