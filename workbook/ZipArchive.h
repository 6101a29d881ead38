#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace qd::wb {

// A zip archive held in memory (the container of .xlsx and .ods). The central directory is parsed
// with every offset and size checked against the buffer; entries are inflated on demand with caps
// on their size and compression ratio, and their CRC is checked.
class ZipArchive {
public:
    explicit ZipArchive(const QByteArray& data); // throws ReadFailure

    // Names are matched without regard to case and without a leading '/'.
    bool contains(const QString& name) const;
    QByteArray read(const QString& name) const; // throws ReadFailure; missing entry is damage
    QStringList names() const { return order_; }

    static constexpr qint64 kMaxEntryBytes = qint64(768) << 20;
    static constexpr qint64 kMaxTotalBytes = qint64(1536) << 20;
    static constexpr qint64 kMaxRatio = 250; // for entries above 16 MiB

private:
    struct Entry {
        quint16 flags = 0;
        quint16 method = 0;
        quint32 crc = 0;
        qint64 compressedSize = 0;
        qint64 size = 0;
        qint64 localOffset = 0;
    };
    static QString key(const QString& name);

    QByteArray data_;
    QHash<QString, Entry> entries_;
    QStringList order_;
    mutable qint64 inflatedTotal_ = 0;
};

} // namespace qd::wb
