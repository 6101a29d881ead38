#include "XmlInput.h"

#include "ReadFailure.h"

#include <QIODevice>

#include <exception>

namespace qd::wb {

// A zip entry as the sequential device the XML reader pulls from. A failure of the entry is kept
// (an exception must not cross the XML reader) and the device reports an error instead.
class XmlInput::EntryDevice final : public QIODevice {
public:
    explicit EntryDevice(ZipArchive::EntryStream& source) : source_(source) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    void rethrowFailure() const {
        if (failure_) std::rethrow_exception(failure_);
    }
    void finish() {
        rethrowFailure();
        source_.finish();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (failure_) return -1;
        try {
            return source_.read(data, qsizetype(maxSize));
        } catch (...) {
            failure_ = std::current_exception();
            return -1;
        }
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    ZipArchive::EntryStream& source_;
    std::exception_ptr failure_;
};

XmlInput::XmlInput(const QByteArray& data, const QString& partName) : xml_(data), part_(partName) {
    xml_.setNamespaceProcessing(true);
}

XmlInput::XmlInput(ZipArchive::EntryStream& source, const QString& partName)
    : device_(std::make_unique<EntryDevice>(source)), xml_(device_.get()), part_(partName) {
    xml_.setNamespaceProcessing(true);
}

XmlInput::~XmlInput() = default;

void XmlInput::finish() {
    if (device_) device_->finish();
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
