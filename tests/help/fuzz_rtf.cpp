// libFuzzer target for the RTF reader: any input must parse without a crash, hang or sanitizer
// report.
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

#include "RtfReader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Inputs that do not start with "{\rtf" are plain text; start most of them as RTF.
    QByteArray in = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (size > 0 && (data[0] & 1)) in = "{\\rtf1 " + in.mid(1);
    QTextDocument doc;
    qd::RtfReader::read(in, &doc);
    (void)doc.toPlainText();
    return 0;
}
