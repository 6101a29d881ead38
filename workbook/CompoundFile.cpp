#include "CompoundFile.h"

#include "ByteReader.h"
#include "ReadFailure.h"

#include <algorithm>
#include <cstring>

namespace qd::wb {

namespace {
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr quint32 kMaxRegular = 0xFFFFFFFA;
} // namespace

// A stream read in place: each request is mapped onto the runs of its sector chain.
class CompoundFile::StreamSource final : public ByteSource {
public:
    StreamSource(std::shared_ptr<const ByteSource> source, std::vector<Run> runs, qint64 size)
        : source_(std::move(source)), runs_(std::move(runs)), size_(size) {}
    qint64 size() const override { return size_; }
    void read(qint64 at, qint64 n, char* dst) const override {
        auto run = std::upper_bound(runs_.cbegin(), runs_.cend(), at,
                                    [](qint64 pos, const Run& r) { return pos < r.from; });
        for (--run; n > 0; ++run) {
            const qint64 inRun = at - run->from;
            const qint64 take = std::min(n, run->length - inRun);
            source_->read(run->at + inRun, take, dst);
            dst += take;
            at += take;
            n -= take;
        }
    }

private:
    std::shared_ptr<const ByteSource> source_;
    std::vector<Run> runs_;
    qint64 size_;
};

CompoundFile::CompoundFile(const QByteArray& data) : CompoundFile(std::make_shared<MemorySource>(data)) {}

QByteArray CompoundFile::sector(qint64 at, qint64 length) const {
    QByteArray out(length, Qt::Uninitialized);
    source_->read(at, length, out.data());
    return out;
}

CompoundFile::CompoundFile(std::shared_ptr<const ByteSource> source) : source_(std::move(source)) {
    const qint64 fileSize = source_->size();
    if (fileSize < 512) throwDamaged(QStringLiteral("la cabecera del contenedor está incompleta"));
    const QByteArray header = sector(0, 512);
    ByteReader b(header);
    const quint16 major = b.u16(0x1A);
    sectorShift_ = b.u16(0x1E);
    if (!((major == 3 && sectorShift_ == 9) || (major == 4 && sectorShift_ == 12)) || b.u16(0x1C) != 0xFFFE ||
        b.u16(0x20) != 6)
        throwDamaged(QStringLiteral("la cabecera del contenedor no es válida"));
    const qint64 ss = qint64(1) << sectorShift_;
    sectorCount_ = quint32((fileSize - ss + ss - 1) / ss); // partial last sector allowed
    miniCutoff_ = b.u32(0x38);
    if (miniCutoff_ != 4096) throwDamaged(QStringLiteral("la cabecera del contenedor no es válida"));

    // The FAT sectors: 109 listed in the header, the rest in the DIFAT chain.
    const quint32 fatSectors = b.u32(0x2C);
    if (fatSectors > sectorCount_)
        throwDamaged(QStringLiteral("la tabla de sectores es mayor que el fichero"));
    std::vector<quint32> fatList;
    for (int i = 0; i < 109 && fatList.size() < fatSectors; ++i)
        fatList.push_back(b.u32(0x4C + 4 * i));
    quint32 difat = b.u32(0x44);
    quint32 difatSteps = 0;
    const qint64 perDifat = ss / 4 - 1;
    while (fatList.size() < fatSectors) {
        if (difat >= sectorCount_ || ++difatSteps > sectorCount_)
            throwDamaged(QStringLiteral("la cadena de la tabla de sectores no es válida"));
        const qint64 at = (qint64(difat) + 1) * ss;
        if (at > fileSize || ss > fileSize - at)
            throwDamaged(QStringLiteral("la tabla de sectores sobrepasa el fichero"));
        const QByteArray list = sector(at, ss);
        const ByteReader l(list);
        for (qint64 i = 0; i < perDifat && fatList.size() < fatSectors; ++i)
            fatList.push_back(l.u32(4 * i));
        difat = l.u32(4 * perDifat);
    }
    fat_.reserve(size_t(fatSectors) * size_t(ss / 4));
    for (quint32 s : fatList) {
        if (s >= sectorCount_) throwDamaged(QStringLiteral("sector de la tabla fuera del fichero"));
        const qint64 at = (qint64(s) + 1) * ss;
        if (at > fileSize || ss > fileSize - at)
            throwDamaged(QStringLiteral("sector de la tabla fuera del fichero"));
        const QByteArray table = sector(at, ss);
        const ByteReader t(table);
        for (qint64 i = 0; i < ss / 4; ++i)
            fat_.push_back(t.u32(4 * i));
    }

    // Directory.
    const QByteArray dir = chain(fat_, b.u32(0x30), 0, false);
    ByteReader d(dir);
    for (qint64 at = 0; at + 128 <= d.size(); at += 128) {
        DirEntry e;
        const int nameBytes = std::min<int>(d.u16(at + 64), 64);
        const int chars = nameBytes >= 2 ? nameBytes / 2 - 1 : 0;
        e.name.resize(chars);
        for (int i = 0; i < chars; ++i)
            e.name[i] = QChar(d.u16(at + 2 * i));
        e.type = d.u8(at + 66);
        e.left = d.u32(at + 68);
        e.right = d.u32(at + 72);
        e.child = d.u32(at + 76);
        e.start = d.u32(at + 116);
        e.size = d.u32(at + 120);
        if (major == 4) e.size |= quint64(d.u32(at + 124)) << 32;
        dir_.push_back(e);
        if (dir_.size() > 1000000)
            throwTooLarge(QStringLiteral("directorio del contenedor demasiado grande"));
    }
    if (dir_.empty() || dir_[0].type != 5) throwDamaged(QStringLiteral("falta la raíz del contenedor"));

    // The root's children form a tree through left/right siblings; walk it with a visited mark.
    std::vector<bool> seen(dir_.size(), false);
    std::vector<quint32> stack;
    if (dir_[0].child != kNoStream) stack.push_back(dir_[0].child);
    while (!stack.empty()) {
        const quint32 i = stack.back();
        stack.pop_back();
        if (i >= dir_.size() || seen[i])
            throwDamaged(QStringLiteral("el directorio del contenedor no es válido"));
        seen[i] = true;
        rootChildren_.push_back(i);
        if (dir_[i].left != kNoStream) stack.push_back(dir_[i].left);
        if (dir_[i].right != kNoStream) stack.push_back(dir_[i].right);
    }

    // Mini stream (held by the root entry) and its table.
    const quint32 miniFatStart = b.u32(0x3C);
    const quint32 miniFatSectors = b.u32(0x40);
    if (miniFatSectors > sectorCount_)
        throwDamaged(QStringLiteral("la tabla de sectores cortos no es válida"));
    if (miniFatSectors > 0 && miniFatStart != kEndOfChain) {
        const QByteArray mf = chain(fat_, miniFatStart, quint64(miniFatSectors) * quint64(ss), false);
        ByteReader m(mf);
        for (qint64 at = 0; at + 4 <= m.size(); at += 4)
            miniFat_.push_back(m.u32(at));
    }
    if (dir_[0].size > 0) {
        if (dir_[0].size > quint64(fileSize))
            throwDamaged(QStringLiteral("el flujo de sectores cortos no es válido"));
        miniStream_ = chain(fat_, dir_[0].start, dir_[0].size, false);
    }
}

std::vector<CompoundFile::Run> CompoundFile::runs(const std::vector<quint32>& table, quint32 start,
                                                  quint64 size, bool mini) const {
    // size 0: the whole chain (the directory has no declared size).
    const qint64 ss = mini ? 64 : (qint64(1) << sectorShift_);
    const qint64 limit = mini ? qint64(miniStream_.size()) : source_->size();
    if (size > quint64(limit))
        throwDamaged(QStringLiteral("un flujo declara más datos de los que tiene el fichero"));
    std::vector<Run> out;
    qint64 total = 0;
    quint32 s = start;
    std::vector<bool> visited(table.size(), false);
    while (s != kEndOfChain) {
        if (size && quint64(total) >= size) break;
        if (s > kMaxRegular || s >= table.size())
            throwDamaged(QStringLiteral("una cadena de sectores sale del fichero"));
        if (visited[s]) throwDamaged(QStringLiteral("una cadena de sectores forma un ciclo"));
        visited[s] = true;
        const qint64 at = mini ? qint64(s) * ss : (qint64(s) + 1) * ss;
        if (at >= limit) throwDamaged(QStringLiteral("una cadena de sectores sale del fichero"));
        const qint64 n = std::min<qint64>(ss, limit - at);
        if (!out.empty() && out.back().at + out.back().length == at)
            out.back().length += n;
        else
            out.push_back({total, at, n});
        total += n;
        s = table[s];
    }
    if (size) {
        if (quint64(total) < size)
            throwDamaged(QStringLiteral("un flujo está incompleto (¿fichero truncado?)"));
        while (!out.empty() && quint64(out.back().from) >= size)
            out.pop_back();
        if (!out.empty()) out.back().length = qint64(size) - out.back().from;
    }
    return out;
}

QByteArray CompoundFile::chain(const std::vector<quint32>& table, quint32 start, quint64 size,
                               bool mini) const {
    const std::vector<Run> pieces = runs(table, start, size, mini);
    const qint64 total = pieces.empty() ? 0 : pieces.back().from + pieces.back().length;
    QByteArray out(total, Qt::Uninitialized);
    for (const Run& r : pieces) {
        if (mini)
            std::memcpy(out.data() + r.from, miniStream_.constData() + r.at, size_t(r.length));
        else
            source_->read(r.at, r.length, out.data() + r.from);
    }
    return out;
}

const CompoundFile::DirEntry* CompoundFile::find(const QString& name) const {
    for (quint32 i : rootChildren_) {
        if (dir_[i].type == 2 && dir_[i].name.compare(name, Qt::CaseInsensitive) == 0) return &dir_[i];
    }
    return nullptr;
}

bool CompoundFile::hasStream(const QString& name) const {
    return find(name) != nullptr;
}

QByteArray CompoundFile::stream(const QString& name) const {
    const DirEntry* e = find(name);
    if (!e) throwDamaged(QStringLiteral("falta el flujo «%1»").arg(name));
    if (e->size == 0) return QByteArray();
    if (e->size < miniCutoff_) return chain(miniFat_, e->start, e->size, true);
    return chain(fat_, e->start, e->size, false);
}

std::unique_ptr<ByteSource> CompoundFile::openStream(const QString& name) const {
    const DirEntry* e = find(name);
    if (!e) throwDamaged(QStringLiteral("falta el flujo «%1»").arg(name));
    if (e->size < miniCutoff_) return std::make_unique<MemorySource>(stream(name));
    return std::make_unique<StreamSource>(source_, runs(fat_, e->start, e->size, false), qint64(e->size));
}

} // namespace qd::wb
