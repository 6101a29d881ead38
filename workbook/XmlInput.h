#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <initializer_list>
#include <vector>

namespace qd::wb {

// A QXmlStreamReader over one part of a workbook, hardened: a document type declaration (and with it
// any entity definition) is refused, nesting is bounded, and every XML error is reported as damage
// naming the part.
class XmlInput {
public:
    XmlInput(const QByteArray& data, const QString& partName);

    // Advances to the next start element, end element or text; false at the end of the document.
    bool next();
    QXmlStreamReader::TokenType token() const { return token_; }
    bool isStart() const { return token_ == QXmlStreamReader::StartElement; }
    bool isEnd() const { return token_ == QXmlStreamReader::EndElement; }
    bool isText() const { return token_ == QXmlStreamReader::Characters; }
    QStringView name() const { return xml_.name(); }
    // The namespaces the reader knows: is() then takes an element of no namespace, of one of them or
    // of the root element's.
    void setNamespaces(std::initializer_list<QLatin1StringView> uris) { uris_.assign(uris); }
    bool is(QLatin1StringView localName) const;
    QXmlStreamAttributes attributes() const { return xml_.attributes(); }
    QStringView text() const { return xml_.text(); }
    int depth() const { return depth_; }

    // All character data inside the current element (which must be a start element), stopping at
    // its end element.
    QString elementText();
    // Skips to the end element of the current start element.
    void skipElement();

    [[noreturn]] void fail(const QString& what) const;

    static constexpr int kMaxDepth = 64;

private:
    QXmlStreamReader xml_;
    QString part_;
    std::vector<QLatin1StringView> uris_;
    QString rootUri_;
    QXmlStreamReader::TokenType token_ = QXmlStreamReader::NoToken;
    int depth_ = 0;
};

// Attribute by local name, whatever its namespace prefix.
QStringView attributeValue(const QXmlStreamAttributes& attributes, QLatin1String localName);

} // namespace qd::wb
