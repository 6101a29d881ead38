#pragma once

#include <QByteArray>
#include <QFile>

#include <mutex>
#include <vector>

namespace qd::wb {

// Bytes read by position, from memory or from a file that stays open, so that a reader can walk a
// large file without holding it.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual qint64 size() const = 0;
    // Copies [at, at + n) into dst; the caller keeps within size(). Throws ReadFailure (Unreadable)
    // when the file cannot be read.
    virtual void read(qint64 at, qint64 n, char* dst) const = 0;
    // All the bytes, when they are in memory already; null otherwise.
    virtual const char* data() const { return nullptr; }
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(QByteArray bytes) : bytes_(std::move(bytes)) {}
    qint64 size() const override { return bytes_.size(); }
    void read(qint64 at, qint64 n, char* dst) const override;
    const char* data() const override { return bytes_.constData(); }

private:
    QByteArray bytes_;
};

// An open file read in place; the file must outlive the source. Reads may come from several
// threads at once (a workbook's parts are read side by side).
class FileSource final : public ByteSource {
public:
    explicit FileSource(QFile& file) : file_(file), size_(file.size()) {}
    qint64 size() const override { return size_; }
    void read(qint64 at, qint64 n, char* dst) const override;

private:
    QFile& file_;
    qint64 size_;
    mutable std::mutex mutex_;
};

// A sliding window over a source: [at, at + n) in one piece, read from the source only when it is
// not in the window already. A pointer it gives stays valid until the next call.
class ByteWindow {
public:
    static constexpr qint64 kWindowBytes = qint64(1) << 20;

    explicit ByteWindow(const ByteSource& source) : source_(source), direct_(source.data()) {}
    qint64 size() const { return source_.size(); }
    // The caller keeps within size(); a request larger than kWindowBytes widens the window.
    const char* at(qint64 pos, qint64 n);

private:
    const ByteSource& source_;
    const char* direct_;
    std::vector<char> buffer_;
    qint64 start_ = 0;
    qint64 length_ = 0;
};

} // namespace qd::wb
