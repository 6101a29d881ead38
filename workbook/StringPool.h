#pragma once

#include <QString>
#include <QStringView>

#include <memory>
#include <utility>
#include <vector>

namespace qd::wb {

// Texts stored one after another in large blocks of UTF-16, each known by its index in the order
// it was added. A text costs its characters plus eight bytes; there is no object per text. Blocks
// are never moved once filled, so adding texts never copies the ones held before.
class StringPool {
public:
    StringPool() = default;
    StringPool(const StringPool& other);
    StringPool& operator=(const StringPool& other);
    StringPool(StringPool&&) noexcept = default;
    StringPool& operator=(StringPool&&) noexcept = default;

    quint32 add(QStringView s); // throws TooLarge past kMaxStrings texts
    // Room for a text of n characters that the caller fills in at once: its index and its characters.
    std::pair<quint32, char16_t*> addUninitialized(qsizetype n);
    QStringView view(quint32 index) const;
    QString at(quint32 index) const { return view(index).toString(); }
    qsizetype size() const { return qsizetype(entries_.size()); }
    void reserve(qsizetype n) { entries_.reserve(size_t(n)); }

    static constexpr qsizetype kMaxStrings = qsizetype(1) << 31;

private:
    static constexpr qsizetype kBlockChars = qsizetype(1) << 20;

    // block (16 bits) | offset in the block (24 bits) | length (24 bits)
    std::vector<quint64> entries_;
    std::vector<std::unique_ptr<char16_t[]>> blocks_;
    qsizetype blockUsed_ = 0;
    qsizetype blockSize_ = 0;
};

} // namespace qd::wb
