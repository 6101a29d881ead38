#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace qd::wb {

class ByteSource;

// A zip archive (the container of .xlsx and .ods), in memory or read in place from its file. The
// central directory is parsed with every offset and size checked against the archive; entries are
// inflated on demand with caps on their size and compression ratio, and their CRC is checked.
class ZipArchive {
public:
    explicit ZipArchive(const QByteArray& data); // throws ReadFailure
    // Read through the source as it is needed: only the directory is held. A file source must be
    // readable from several threads at once (FileSource is).
    explicit ZipArchive(std::shared_ptr<const ByteSource> source); // throws ReadFailure

    // Names are matched without regard to case and without a leading '/'.
    bool contains(const QString& name) const;
    QByteArray read(const QString& name) const; // throws ReadFailure; missing entry is damage
    QStringList names() const { return order_; }

    // One entry inflated piece by piece, so that a large part never has to be held whole. The
    // checks are those of read(): caps when opened; size and CRC once the end is reached, where a
    // fault throws the same ReadFailure read() would. The archive must outlive the stream.
    class EntryStream {
    public:
        ~EntryStream();
        EntryStream(const EntryStream&) = delete;
        EntryStream& operator=(const EntryStream&) = delete;

        // Up to `max` more bytes into `out`; 0 only at the end, after the checks.
        qsizetype read(char* out, qsizetype max);
        // Reads to the end, making the checks (so that a damaged entry is reported as such even
        // when its reader stopped early on what the damage produced).
        void finish();
        // From here on the entry is inflated and checked on a thread of its own, a few chunks ahead
        // of read(), where a second thread can be had. What read() gives, and where a fault is
        // thrown, stay as they were.
        void readAhead();

    private:
        friend class ZipArchive;
        struct Ahead;
        static constexpr qint64 kInputBytes = qint64(256) << 10;
        EntryStream();
        qsizetype inflateSome(char* out, qsizetype max);
        const char* nextInput(qint64 max, qint64& length);
        void feed();
        [[noreturn]] void failDamaged(const QString& what);
        std::unique_ptr<Ahead> ahead_;
        QString name_;
        std::shared_ptr<const ByteSource> source_;
        qint64 inAt_ = 0;   // offset in the source of the next byte not handed on
        qint64 inLeft_ = 0; // compressed bytes not handed on yet
        std::vector<char> inBuffer_;
        qint64 size_ = 0;
        qint64 produced_ = 0;
        quint32 crc_ = 0;
        quint32 expectedCrc_ = 0;
        bool deflated_ = false;
        bool done_ = false;
        void* zs_ = nullptr; // z_stream
    };
    // How the caller takes an entry: whole into memory (read()), or parsed as it streams and never
    // held, which costs time but no memory, so a larger part is accepted.
    enum class Use { Held, Streamed };
    std::unique_ptr<EntryStream> openStream(const QString& name,
                                            Use use = Use::Held) const; // throws ReadFailure

    static constexpr qint64 kMaxEntryBytes = qint64(768) << 20;
    static constexpr qint64 kMaxTotalBytes = qint64(1536) << 20;
    static constexpr qint64 kMaxStreamedEntryBytes = qint64(4) << 30;
    static constexpr qint64 kMaxStreamedTotalBytes = qint64(6) << 30;
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
    QByteArray bytesAt(qint64 at, qint64 length) const;

    std::shared_ptr<const ByteSource> source_;
    QHash<QString, Entry> entries_;
    QStringList order_;
    mutable qint64 inflatedTotal_ = 0; // of entries held
    mutable qint64 streamedTotal_ = 0; // of entries streamed
};

} // namespace qd::wb
