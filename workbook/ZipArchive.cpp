#include "ZipArchive.h"

#include "ByteReader.h"
#include "ByteSource.h"
#include "ReadFailure.h"

#include <zlib.h>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include <algorithm>
#include <cstring>

namespace qd::wb {

namespace {
constexpr quint32 kEocdSig = 0x06054b50;
constexpr quint32 kCentralSig = 0x02014b50;
constexpr quint32 kLocalSig = 0x04034b50;
constexpr quint32 kZip64LocatorSig = 0x07064b50;
constexpr quint32 kZip64EocdSig = 0x06064b50;
constexpr int kMaxEntries = 100000;
} // namespace

// Some writers separate the folders of a name with backslashes; they are the same parts.
QString ZipArchive::key(const QString& name) {
    QString k = name.toLower();
    k.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (k.startsWith(QLatin1Char('/')))
        k.remove(0, 1);
    return k;
}

ZipArchive::ZipArchive(const QByteArray& data) : ZipArchive(std::make_shared<MemorySource>(data)) {}

QByteArray ZipArchive::bytesAt(qint64 at, qint64 length) const {
    QByteArray out(length, Qt::Uninitialized);
    source_->read(at, length, out.data());
    return out;
}

ZipArchive::ZipArchive(std::shared_ptr<const ByteSource> source) : source_(std::move(source)) {
    const qint64 size = source_->size();
    auto inBounds = [size](qint64 offset, qint64 length) {
        return offset >= 0 && length >= 0 && offset <= size && length <= size - offset;
    };
    if (size < 22) throwDamaged(QStringLiteral("el archivo comprimido está incompleto"));

    // The end-of-central-directory record sits in the last 64 KiB + 22 bytes.
    const qint64 tailAt = std::max<qint64>(0, size - 22 - 65535);
    const QByteArray tailBytes = bytesAt(tailAt, size - tailAt);
    const ByteReader tail(tailBytes);
    qint64 eocd = -1;
    for (qint64 at = size - 22; at >= tailAt; --at) {
        if (tail.u32(at - tailAt) == kEocdSig) {
            eocd = at;
            break;
        }
    }
    if (eocd < 0)
        throwDamaged(QStringLiteral("falta el directorio del archivo comprimido (¿fichero truncado?)"));

    qint64 count = tail.u16(eocd - tailAt + 10);
    qint64 cdSize = tail.u32(eocd - tailAt + 12);
    qint64 cdOffset = tail.u32(eocd - tailAt + 16);
    if (count == 0xFFFF || cdSize == 0xFFFFFFFF || cdOffset == 0xFFFFFFFF) {
        // Zip64: the real figures are in the zip64 end record that the locator points to.
        qint64 loc = eocd - 20;
        if (!inBounds(loc, 20)) throwDamaged(QStringLiteral("directorio zip64 incompleto"));
        const QByteArray locator = bytesAt(loc, 20);
        const ByteReader l(locator);
        if (l.u32(0) != kZip64LocatorSig) throwDamaged(QStringLiteral("directorio zip64 incompleto"));
        quint64 rec = l.u64(8);
        if (rec > quint64(size) || !inBounds(qint64(rec), 56))
            throwDamaged(QStringLiteral("directorio zip64 incompleto"));
        const QByteArray record = bytesAt(qint64(rec), 56);
        const ByteReader r(record);
        if (r.u32(0) != kZip64EocdSig) throwDamaged(QStringLiteral("directorio zip64 incompleto"));
        quint64 c = r.u64(32), s = r.u64(40), o = r.u64(48);
        if (c > quint64(kMaxEntries) || s > quint64(size) || o > quint64(size))
            throwDamaged(QStringLiteral("directorio zip64 incoherente"));
        count = qint64(c);
        cdSize = qint64(s);
        cdOffset = qint64(o);
    }
    if (count > kMaxEntries) throwTooLarge(QStringLiteral("demasiadas entradas en el archivo comprimido"));
    if (!inBounds(cdOffset, cdSize) || cdOffset + cdSize > eocd + 0)
        throwDamaged(QStringLiteral("el directorio del archivo comprimido apunta fuera del fichero"));

    // The central directory, read once; offsets below are within it.
    const QByteArray directory = bytesAt(cdOffset, cdSize);
    const ByteReader b(directory);
    qint64 at = 0;
    const qint64 end = cdSize;
    for (qint64 i = 0; i < count; ++i) {
        if (at + 46 > end || b.u32(at) != kCentralSig)
            throwDamaged(QStringLiteral("entrada %1 del directorio comprimido no válida").arg(i + 1));
        Entry e;
        e.flags = b.u16(at + 8);
        e.method = b.u16(at + 10);
        e.crc = b.u32(at + 16);
        e.compressedSize = b.u32(at + 20);
        e.size = b.u32(at + 24);
        const qint64 nameLen = b.u16(at + 28), extraLen = b.u16(at + 30), commentLen = b.u16(at + 32);
        e.localOffset = b.u32(at + 42);
        if (at + 46 + nameLen + extraLen + commentLen > end)
            throwDamaged(QStringLiteral("entrada %1 del directorio comprimido no válida").arg(i + 1));
        const QString name = QString::fromUtf8(directory.constData() + at + 46, nameLen);
        // Zip64 extra field: sizes and offset that did not fit in 32 bits, in this order.
        qint64 x = at + 46 + nameLen;
        const qint64 xEnd = x + extraLen;
        while (x + 4 <= xEnd) {
            const quint16 id = b.u16(x), len = b.u16(x + 2);
            if (x + 4 + len > xEnd) break;
            if (id == 0x0001) {
                qint64 p = x + 4;
                auto take = [&](qint64& field) {
                    if (field == 0xFFFFFFFF && p + 8 <= x + 4 + len) {
                        quint64 v = b.u64(p);
                        field = v > quint64(kMaxTotalBytes) * 4 ? -1 : qint64(v);
                        p += 8;
                    }
                };
                take(e.size);
                take(e.compressedSize);
                take(e.localOffset);
            }
            x += 4 + len;
        }
        if (e.size < 0 || e.compressedSize < 0 || e.localOffset < 0)
            throwDamaged(QStringLiteral("tamaños no válidos en «%1»").arg(name));
        // Of two entries with one name the first is taken, as other readers take it.
        const QString k = key(name);
        if (!entries_.contains(k)) {
            order_ << name;
            entries_.insert(k, e);
        }
        at += 46 + nameLen + extraLen + commentLen;
    }
}

bool ZipArchive::contains(const QString& name) const {
    return entries_.contains(key(name));
}

std::unique_ptr<ZipArchive::EntryStream> ZipArchive::openStream(const QString& name, Use use) const {
    auto it = entries_.constFind(key(name));
    if (it == entries_.constEnd()) throwDamaged(QStringLiteral("falta la parte «%1»").arg(name));
    const Entry& e = *it;
    if (e.flags & 0x0001) throw ReadFailure{Error::Kind::Protected, QString()};

    const qint64 size = source_->size();
    auto inBounds = [size](qint64 offset, qint64 length) {
        return offset >= 0 && length >= 0 && offset <= size && length <= size - offset;
    };
    if (!inBounds(e.localOffset, 30))
        throwDamaged(QStringLiteral("la cabecera de «%1» no es válida").arg(name));
    const QByteArray header = bytesAt(e.localOffset, 30);
    const ByteReader b(header);
    if (b.u32(0) != kLocalSig) throwDamaged(QStringLiteral("la cabecera de «%1» no es válida").arg(name));
    const qint64 dataAt = e.localOffset + 30 + b.u16(26) + b.u16(28);
    if (!inBounds(dataAt, e.compressedSize))
        throwDamaged(QStringLiteral("«%1» sobrepasa el final del fichero (¿fichero truncado?)").arg(name));

    const bool streamed = use == Use::Streamed;
    if (e.size > (streamed ? kMaxStreamedEntryBytes : kMaxEntryBytes))
        throwTooLarge(QStringLiteral("«%1» ocupa %2 MiB descomprimido").arg(name).arg(e.size >> 20));
    if (e.size > (qint64(16) << 20) && e.size > e.compressedSize * kMaxRatio)
        throwTooLarge(QStringLiteral("«%1» tiene una tasa de compresión sospechosa").arg(name));
    qint64& total = streamed ? streamedTotal_ : inflatedTotal_;
    if (total + e.size > (streamed ? kMaxStreamedTotalBytes : kMaxTotalBytes))
        throwTooLarge(QStringLiteral("el contenido descomprimido es demasiado grande"));

    std::unique_ptr<EntryStream> s(new EntryStream);
    s->name_ = name;
    s->source_ = source_;
    s->inAt_ = dataAt;
    s->inLeft_ = e.compressedSize;
    s->size_ = e.size;
    s->expectedCrc_ = e.crc;
    s->crc_ = quint32(crc32(0L, Z_NULL, 0));
    if (e.method == 0) {
        if (e.compressedSize != e.size)
            throwDamaged(QStringLiteral("tamaños incoherentes en «%1»").arg(name));
    } else if (e.method == 8) {
        auto* zs = new z_stream{};
        if (inflateInit2(zs, -MAX_WBITS) != Z_OK) {
            delete zs;
            throwDamaged(QStringLiteral("error interno de zlib"));
        }
        s->zs_ = zs;
        s->deflated_ = true;
    } else {
        throw ReadFailure{Error::Kind::Unsupported,
                          QStringLiteral("método de compresión %1 no admitido").arg(e.method)};
    }
    total += e.size;
    return s;
}

// The chunks inflated ahead of the reader, handed over under a lock. A fault of the entry ends the
// chunks and is thrown to the reader once it has taken every chunk before it.
struct ZipArchive::EntryStream::Ahead {
    static constexpr qsizetype kChunkBytes = qsizetype(1) << 20;
    static constexpr size_t kChunks = 4;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QByteArray> full;
    std::vector<QByteArray> free;
    QByteArray current; // the chunk being read
    qsizetype currentAt = 0;
    bool ended = false;
    bool stop = false;
    std::exception_ptr failure;
    std::thread thread;

    void produce(EntryStream& s) {
        try {
            for (;;) {
                QByteArray chunk;
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return stop || full.size() < kChunks; });
                    if (stop) return;
                    if (!free.empty()) {
                        chunk = std::move(free.back());
                        free.pop_back();
                    }
                }
                chunk.resize(kChunkBytes);
                qsizetype got = 0;
                while (got < kChunkBytes) {
                    const qsizetype n = s.inflateSome(chunk.data() + got, kChunkBytes - got);
                    if (n == 0) break;
                    got += n;
                }
                chunk.resize(got);
                std::lock_guard lock(mutex);
                if (got > 0) full.push_back(std::move(chunk));
                if (got < kChunkBytes) ended = true;
                changed.notify_all();
                if (ended) return;
            }
        } catch (...) {
            std::lock_guard lock(mutex);
            failure = std::current_exception();
            ended = true;
            changed.notify_all();
        }
    }

    qsizetype take(char* out, qsizetype max) {
        if (currentAt == current.size()) {
            std::unique_lock lock(mutex);
            if (!current.isEmpty()) free.push_back(std::exchange(current, QByteArray()));
            currentAt = 0;
            changed.notify_all();
            changed.wait(lock, [&] { return !full.empty() || ended; });
            if (full.empty()) {
                if (failure)
                    std::rethrow_exception(std::exchange(failure, nullptr)); // once, as inflating does
                return 0;
            }
            current = std::move(full.front());
            full.pop_front();
            currentAt = 0;
        }
        const qsizetype n = std::min(max, current.size() - currentAt);
        std::memcpy(out, current.constData() + currentAt, size_t(n));
        currentAt += n;
        return n;
    }

    ~Ahead() {
        {
            std::lock_guard lock(mutex);
            stop = true;
            changed.notify_all();
        }
        if (thread.joinable()) thread.join();
    }
};

ZipArchive::EntryStream::EntryStream() = default;

void ZipArchive::EntryStream::readAhead() {
    if (ahead_ || done_) return;
    auto ahead = std::make_unique<Ahead>();
    try {
        ahead->thread = std::thread([this, a = ahead.get()] { a->produce(*this); });
    } catch (const std::system_error&) {
        return; // no second thread to be had: inflate as the reader asks
    }
    ahead_ = std::move(ahead);
}

ZipArchive::EntryStream::~EntryStream() {
    ahead_.reset(); // the inflating thread stops before its stream goes
    if (zs_) {
        inflateEnd(static_cast<z_stream*>(zs_));
        delete static_cast<z_stream*>(zs_);
    }
}

void ZipArchive::EntryStream::failDamaged(const QString& what) {
    done_ = true;
    throwDamaged(what.arg(name_));
}

qsizetype ZipArchive::EntryStream::read(char* out, qsizetype max) {
    if (max <= 0) return 0;
    if (ahead_) return ahead_->take(out, max);
    return inflateSome(out, max);
}

// The next piece of compressed input, at most `max` bytes: in place where the archive is in
// memory, otherwise read from the source into a buffer.
const char* ZipArchive::EntryStream::nextInput(qint64 max, qint64& length) {
    length = std::min(inLeft_, max);
    const char* p = source_->data() ? source_->data() + inAt_ : nullptr;
    if (!p) {
        length = std::min(length, kInputBytes);
        if (inBuffer_.size() < size_t(length)) inBuffer_.resize(size_t(kInputBytes));
        source_->read(inAt_, length, inBuffer_.data());
        p = inBuffer_.data();
    }
    inAt_ += length;
    inLeft_ -= length;
    return p;
}

// Hands zlib more input once it has used what it had; inLeft_ counts what it has not been given.
void ZipArchive::EntryStream::feed() {
    auto* zs = static_cast<z_stream*>(zs_);
    if (zs->avail_in > 0 || inLeft_ == 0) return;
    qint64 length = 0;
    zs->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(nextInput(qint64(1) << 30, length)));
    zs->avail_in = uInt(length);
}

qsizetype ZipArchive::EntryStream::inflateSome(char* out, qsizetype max) {
    if (done_ || max <= 0) return 0;
    qsizetype got = 0;
    if (!deflated_) {
        got = qsizetype(std::min<qint64>(max, inLeft_));
        source_->read(inAt_, got, out);
        inAt_ += got;
        inLeft_ -= got;
    } else {
        auto* zs = static_cast<z_stream*>(zs_);
        const qint64 room = std::min<qint64>(max, size_ - produced_);
        if (room == 0) {
            // Everything the directory announces has come: the stream must end here.
            unsigned char probe[1];
            zs->next_out = probe;
            zs->avail_out = 1;
            int rc;
            do {
                feed();
                rc = inflate(zs, Z_FINISH);
            } while (rc == Z_BUF_ERROR && zs->avail_out == 1 && zs->avail_in == 0 && inLeft_ > 0);
            if (rc != Z_STREAM_END || zs->avail_out == 0)
                failDamaged(QStringLiteral("«%1» es más largo de lo que declara el directorio"));
        } else {
            zs->next_out = reinterpret_cast<Bytef*>(out);
            zs->avail_out = uInt(room);
            int rc = Z_OK;
            while (zs->avail_out > 0) {
                feed();
                rc = inflate(zs, Z_NO_FLUSH);
                if (rc == Z_STREAM_END) break;
                if (rc != Z_OK || (zs->avail_in == 0 && inLeft_ == 0 && zs->avail_out > 0))
                    failDamaged(QStringLiteral("los datos comprimidos de «%1» están dañados"));
            }
            got = qsizetype(room - zs->avail_out);
            if (rc == Z_STREAM_END && produced_ + got != size_)
                failDamaged(QStringLiteral("«%1» no tiene el tamaño que declara el directorio"));
            if (rc == Z_STREAM_END) size_ = produced_ + got; // nothing more may come
        }
    }
    crc_ = quint32(crc32(crc_, reinterpret_cast<const Bytef*>(out), uInt(got)));
    produced_ += got;
    if (got == 0) {
        done_ = true;
        if (crc_ != expectedCrc_)
            throwDamaged(QStringLiteral("la suma de control de «%1» no coincide").arg(name_));
    }
    return got;
}

void ZipArchive::EntryStream::finish() {
    char buf[65536];
    while (read(buf, sizeof buf) > 0) {
    }
}

QByteArray ZipArchive::read(const QString& name) const {
    const std::unique_ptr<EntryStream> s = openStream(name);
    QByteArray out;
    out.resize(s->size_);
    qsizetype at = 0;
    while (at < out.size()) {
        const qsizetype got = s->read(out.data() + at, out.size() - at);
        if (got == 0) break;
        at += got;
    }
    s->finish();
    return out;
}

} // namespace qd::wb
