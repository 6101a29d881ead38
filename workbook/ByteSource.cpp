#include "ByteSource.h"

#include "ReadFailure.h"

#include <cstring>

namespace qd::wb {

void MemorySource::read(qint64 at, qint64 n, char* dst) const {
    if (n > 0) std::memcpy(dst, bytes_.constData() + at, size_t(n));
}

void FileSource::read(qint64 at, qint64 n, char* dst) const {
    if (n <= 0) return;
    std::lock_guard lock(mutex_);
    if (!file_.seek(at)) throw ReadFailure{Error::Kind::Unreadable, file_.errorString()};
    while (n > 0) {
        const qint64 got = file_.read(dst, n);
        if (got < 0) throw ReadFailure{Error::Kind::Unreadable, file_.errorString()};
        if (got == 0)
            throw ReadFailure{Error::Kind::Unreadable,
                              QStringLiteral("el fichero ha cambiado mientras se leía")};
        dst += got;
        n -= got;
    }
}

const char* ByteWindow::at(qint64 pos, qint64 n) {
    if (direct_) return direct_ + pos;
    if (pos >= start_ && pos + n <= start_ + length_) return buffer_.data() + (pos - start_);
    const qint64 length = std::min(std::max(kWindowBytes, n), size() - pos);
    if (buffer_.size() < size_t(length)) buffer_.resize(size_t(std::max(kWindowBytes, length)));
    length_ = 0; // nothing held if the read fails
    source_.read(pos, length, buffer_.data());
    start_ = pos;
    length_ = length;
    return buffer_.data() + (pos - start_);
}

} // namespace qd::wb
