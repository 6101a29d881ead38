#include "StringPool.h"

#include "ReadFailure.h"

#include <algorithm>
#include <cstring>

namespace qd::wb {

StringPool::StringPool(const StringPool& other) {
    entries_.reserve(other.entries_.size());
    for (quint32 i = 0; i < quint32(other.entries_.size()); ++i)
        add(other.view(i));
}

StringPool& StringPool::operator=(const StringPool& other) {
    if (this != &other) *this = StringPool(other);
    return *this;
}

quint32 StringPool::add(QStringView s) {
    const qsizetype n = s.size();
    auto [index, chars] = addUninitialized(n);
    if (n) std::memcpy(chars, s.utf16(), size_t(n) * sizeof(char16_t));
    return index;
}

std::pair<quint32, char16_t*> StringPool::addUninitialized(qsizetype n) {
    if (size() >= kMaxStrings) throwTooLarge(QStringLiteral("demasiados textos"));
    if (n >= (qsizetype(1) << 24)) throwTooLarge(QStringLiteral("un texto es demasiado largo"));
    if (blocks_.empty() || blockUsed_ + n > blockSize_) {
        if (blocks_.size() >= (size_t(1) << 16)) throwTooLarge(QStringLiteral("demasiados textos"));
        blockSize_ = std::max(kBlockChars, n);
        blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(size_t(blockSize_)));
        blockUsed_ = 0;
    }
    char16_t* chars = blocks_.back().get() + blockUsed_;
    entries_.push_back((quint64(blocks_.size() - 1) << 48) | (quint64(blockUsed_) << 24) | quint64(n));
    blockUsed_ += n;
    return {quint32(entries_.size() - 1), chars};
}

QStringView StringPool::view(quint32 index) const {
    if (index >= entries_.size()) return {};
    const quint64 e = entries_[index];
    const char16_t* block = blocks_[size_t(e >> 48)].get();
    return QStringView(block + ((e >> 24) & 0xFFFFFF), qsizetype(e & 0xFFFFFF));
}

} // namespace qd::wb
