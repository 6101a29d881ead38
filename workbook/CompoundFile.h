#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace qd::wb {

// The compound-file container of .xls workbooks (and of password-protected .xlsx). Only the streams
// at the root storage are reachable. Every sector chain is checked for out-of-range sectors and
// cycles, and streams are checked against their declared size.
class CompoundFile {
public:
    explicit CompoundFile(const QByteArray& data); // throws ReadFailure

    bool hasStream(const QString& name) const;
    QByteArray stream(const QString& name) const; // throws ReadFailure

private:
    struct DirEntry {
        QString name;
        quint8 type = 0;
        quint32 left = 0, right = 0, child = 0;
        quint32 start = 0;
        quint64 size = 0;
    };
    QByteArray chain(const std::vector<quint32>& table, quint32 start, quint64 size, bool mini) const;
    const DirEntry* find(const QString& name) const;

    QByteArray data_;
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
