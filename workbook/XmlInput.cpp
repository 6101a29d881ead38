#include "XmlInput.h"

#include "ReadFailure.h"

#include <algorithm>

namespace qd::wb {

XmlInput::XmlInput(const QByteArray& data, const QString& partName) : xml_(data), part_(partName) {
    xml_.setNamespaceProcessing(true);
}

void XmlInput::fail(const QString& what) const {
    throwDamaged(
        QStringLiteral("la parte «%1» no es válida (%2, línea %3)").arg(part_, what).arg(xml_.lineNumber()));
}

bool XmlInput::next() {
    for (;;) {
        token_ = xml_.readNext();
        switch (token_) {
        case QXmlStreamReader::StartElement:
            if (++depth_ > kMaxDepth) fail(QStringLiteral("anidamiento excesivo"));
            if (depth_ == 1) rootUri_ = xml_.namespaceUri().toString();
            return true;
        case QXmlStreamReader::EndElement:
            --depth_;
            return true;
        case QXmlStreamReader::Characters:
            return true;
        case QXmlStreamReader::DTD:
            fail(QStringLiteral("declaración DOCTYPE no permitida"));
        case QXmlStreamReader::EntityReference:
            fail(QStringLiteral("referencia a entidad no permitida"));
        case QXmlStreamReader::EndDocument:
            return false;
        case QXmlStreamReader::Invalid:
            if (xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError)
                fail(QStringLiteral("incompleta"));
            fail(xml_.errorString());
        default:
            break; // declarations, comments, processing instructions
        }
    }
}

bool XmlInput::is(QLatin1StringView localName) const {
    if (xml_.name() != localName) return false;
    const QStringView uri = xml_.namespaceUri();
    return uri.isEmpty() || uri == rootUri_ || std::find(uris_.cbegin(), uris_.cend(), uri) != uris_.cend();
}

QString XmlInput::elementText() {
    QString s;
    const int level = depth_;
    while (next()) {
        if (isText())
            s += xml_.text();
        else if (isEnd() && depth_ < level)
            return s;
    }
    fail(QStringLiteral("incompleta"));
}

void XmlInput::skipElement() {
    const int level = depth_;
    while (next()) {
        if (isEnd() && depth_ < level) return;
    }
    fail(QStringLiteral("incompleta"));
}

QStringView attributeValue(const QXmlStreamAttributes& attributes, QLatin1String localName) {
    for (const auto& a : attributes) {
        if (a.name() == localName) return a.value();
    }
    return {};
}

} // namespace qd::wb
