#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstring>

namespace qd::wb {

// Little-endian reads from a byte buffer; the caller checks the bounds first (inBounds()).
class ByteReader {
public:
    ByteReader(const char* data, qsizetype size) : data_(data), size_(size) {}
    explicit ByteReader(const QByteArray& a) : data_(a.constData()), size_(a.size()) {}

    qsizetype size() const { return size_; }
    const char* data() const { return data_; }
    bool inBounds(qint64 offset, qint64 length) const {
        return offset >= 0 && length >= 0 && offset <= size_ && length <= size_ - offset;
    }
    quint8 u8(qsizetype at) const { return static_cast<quint8>(data_[at]); }
    quint16 u16(qsizetype at) const { return qFromLittleEndian<quint16>(data_ + at); }
    quint32 u32(qsizetype at) const { return qFromLittleEndian<quint32>(data_ + at); }
    quint64 u64(qsizetype at) const { return qFromLittleEndian<quint64>(data_ + at); }
    double f64(qsizetype at) const {
        quint64 bits = u64(at);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

private:
    const char* data_;
    qsizetype size_;
};

} // namespace qd::wb
