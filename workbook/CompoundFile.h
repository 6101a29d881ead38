#pragma once

#include "ByteSource.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace qd::wb {

// The compound-file container of .xls workbooks (and of password-protected .xlsx). Only the streams
// at the root storage are reachable. Every sector chain is checked for out-of-range sectors and
// cycles, and streams are checked against their declared size. The container is read through a
// ByteSource, so a large file need not be held: only its sector tables, directory and short-stream
// area are kept.
class CompoundFile {
public:
    explicit CompoundFile(const QByteArray& data); // throws ReadFailure
    explicit CompoundFile(std::shared_ptr<const ByteSource> source);

    bool hasStream(const QString& name) const;
    QByteArray stream(const QString& name) const; // throws ReadFailure
    // The same stream, checked the same way, read from the container's source when asked for instead
    // of copied out whole.
    std::unique_ptr<ByteSource> openStream(const QString& name) const; // throws ReadFailure

private:
    // A piece of a stream that stands in one place of the source: the sectors of a chain that follow
    // each other in the file are read as one.
    struct Run {
        qint64 from = 0; // offset in the stream
        qint64 at = 0;   // offset in the source (or in the short-stream area)
        qint64 length = 0;
    };
    class StreamSource;

    struct DirEntry {
        QString name;
        quint8 type = 0;
        quint32 left = 0, right = 0, child = 0;
        quint32 start = 0;
        quint64 size = 0;
    };
    std::vector<Run> runs(const std::vector<quint32>& table, quint32 start, quint64 size, bool mini) const;
    QByteArray chain(const std::vector<quint32>& table, quint32 start, quint64 size, bool mini) const;
    QByteArray sector(qint64 at, qint64 length) const;
    const DirEntry* find(const QString& name) const;

    std::shared_ptr<const ByteSource> source_;
    int sectorShift_ = 9;
    quint32 sectorCount_ = 0;
    quint32 miniCutoff_ = 4096;
    std::vector<quint32> fat_;
    std::vector<quint32> miniFat_;
    std::vector<DirEntry> dir_;
    std::vector<quint32> rootChildren_; // directory indexes of the root's children
    QByteArray miniStream_;
};

} // namespace qd::wb
