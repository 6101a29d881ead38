#include "LeerFlujo.h"

#include <QByteArray>

QString qd::test::readStream(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    QByteArray bytes;
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, static_cast<qsizetype>(n));
    return QString::fromLocal8Bit(bytes);
}
