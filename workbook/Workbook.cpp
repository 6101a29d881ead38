#include "Workbook.h"

#include "ByteSource.h"
#include "CompoundFile.h"
#include "CsvReader.h"
#include "Decryption.h"
#include "OdsReader.h"
#include "ReadFailure.h"
#include "XlsReader.h"
#include "XlsxReader.h"
#include "ZipArchive.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <new>
#include <system_error>

namespace qd::wb {

namespace {
const Sheet kNoSheet;

using Kind = Error::Kind;

std::unique_ptr<Workbook> readZip(std::shared_ptr<const ByteSource> source) {
    ZipArchive zip(std::move(source));
    if (zip.contains(QStringLiteral("mimetype")) && zip.contains(QStringLiteral("content.xml"))) {
        const QByteArray mime = zip.read(QStringLiteral("mimetype")).trimmed();
        if (!mime.startsWith("application/vnd.oasis.opendocument.spreadsheet"))
            throw ReadFailure{Kind::NotAWorkbook, QString()};
        return OdsReader::read(zip);
    }
    if (zip.contains(QStringLiteral("xl/workbook.xml")) || zip.contains(QStringLiteral("_rels/.rels"))) {
        if (!zip.contains(QStringLiteral("xl/workbook.xml")) &&
            !zip.contains(QStringLiteral("[Content_Types].xml")))
            throw ReadFailure{Kind::NotAWorkbook, QString()};
        // Word and presentation documents share the package format but have no workbook part.
        const bool hasBook = std::any_of(zip.names().cbegin(), zip.names().cend(), [](const QString& n) {
            return n.endsWith(QLatin1String("workbook.xml"), Qt::CaseInsensitive);
        });
        if (!hasBook && std::any_of(zip.names().cbegin(), zip.names().cend(), [](const QString& n) {
                return n.endsWith(QLatin1String("workbook.bin"), Qt::CaseInsensitive);
            }))
            throw ReadFailure{Kind::Unsupported,
                              QStringLiteral("es un libro binario (.xlsb); guárdelo como .xlsx o .xls")};
        if (!hasBook) {
            // A spreadsheet package without its workbook part is a damaged workbook; anything
            // else (a text document, a presentation) is not a workbook at all.
            if (zip.contains(QStringLiteral("[Content_Types].xml")) &&
                zip.read(QStringLiteral("[Content_Types].xml")).contains("spreadsheetml"))
                throw ReadFailure{Kind::Damaged, QStringLiteral("falta la parte principal del libro")};
            throw ReadFailure{Kind::NotAWorkbook, QString()};
        }
        return XlsxReader::read(zip);
    }
    throw ReadFailure{Kind::NotAWorkbook, QString()};
}

// The container is read through the source and the workbook stream in place, so that neither the
// file nor the stream is ever held whole.
std::unique_ptr<Workbook> readCompound(std::shared_ptr<const ByteSource> source) {
    CompoundFile cf(std::move(source));
    if (cf.hasStream(QStringLiteral("EncryptedPackage")) || cf.hasStream(QStringLiteral("EncryptionInfo"))) {
        // an encrypted .xlsx: read when only Excel's own default password protects it
        if (!cf.hasStream(QStringLiteral("EncryptedPackage")) ||
            !cf.hasStream(QStringLiteral("EncryptionInfo")))
            throw ReadFailure{Kind::Protected, QString()};
        const QByteArray package = Decryption::package(cf.stream(QStringLiteral("EncryptionInfo")),
                                                       cf.stream(QStringLiteral("EncryptedPackage")));
        if (!package.startsWith("PK\x03\x04") && !package.startsWith("PK\x05\x06"))
            throw ReadFailure{Kind::Damaged, QStringLiteral("el paquete cifrado no contiene un libro")};
        return readZip(std::make_shared<MemorySource>(package));
    }
    // Excel 5/95 names the stream "Book", Excel 97 "Workbook"; some programs write an Excel 97 stream
    // under the older name, so the version in its first record decides.
    for (const char* name : {"Workbook", "Book"})
        if (cf.hasStream(QLatin1String(name))) return XlsReader::read(*cf.openStream(QLatin1String(name)));
    throw ReadFailure{Kind::NotAWorkbook, QString()};
}

// Why a path that exists cannot be read as a workbook, or an empty text for a regular file. Links are
// followed. Only the file's metadata is looked at: opening a FIFO would wait for a writer, and a
// device such as /dev/zero never ends.
QString notARegularFile(const QFileInfo& info) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(info.filesystemFilePath(), ec);
    switch (st.type()) {
    case fs::file_type::regular:
        return QString();
    case fs::file_type::directory:
        return QStringLiteral("es una carpeta");
    case fs::file_type::character:
    case fs::file_type::block:
        return QStringLiteral("es un dispositivo, no un fichero normal");
    case fs::file_type::fifo:
        return QStringLiteral("es una tubería (FIFO), no un fichero normal");
    case fs::file_type::socket:
        return QStringLiteral("es un socket, no un fichero normal");
    default:
        return QStringLiteral("no es un fichero normal");
    }
}

const QByteArray kCompoundMagic = QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");

// Runs a reader, turning its failures into errors that name the file.
template <typename Read> std::unique_ptr<Workbook> readGuarded(const QString& name, Read&& read) {
    try {
        return read();
    } catch (const ReadFailure& f) {
        throw Error(f.kind, name, f.detail);
    } catch (const std::bad_alloc&) {
        throw Error(Kind::TooLarge, name, QStringLiteral("no hay memoria suficiente para leerlo"));
    }
}

QString olderVersion() {
    return QStringLiteral(
        "es un libro de una versión anterior a Excel 97; guárdelo como .xls actual o .xlsx");
}

// A workbook stream on its own, as Excel 2 to 4 saved a workbook (and some programs still write an
// Excel 97 one): 2, 3, 4 or 5 from its BOF record (5 for Excel 5/95 or 97, told apart by the
// version the record holds: 8 for Excel 97), 0 when the data does not start with one.
int biffVersion(const QByteArray& data) {
    if (data.size() < 8) return 0;
    const auto u16 = [&](int at) { return quint16(quint8(data[at]) | quint8(data[at + 1]) << 8); };
    const quint16 type = u16(0), length = u16(2);
    if (length < 4 || length > 20 || data.size() < 4 + length) return 0;
    switch (type) {
    case 0x0009:
        return 2;
    case 0x0209:
        return 3;
    case 0x0409:
        return 4;
    case 0x0809:
        return u16(4) == 0x0600 ? 8 : 5;
    default:
        return 0;
    }
}

bool looksLikeText(const QByteArray& data) {
    const qsizetype n = std::min<qsizetype>(data.size(), 4096);
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(data.at(i));
        if (c == 0 || (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != 0x0C && c != 0x1A))
            return false;
    }
    return true;
}
} // namespace

void Workbook::checkPath(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName().isEmpty() ? path : info.fileName();
    if (!info.exists()) throw Error(Kind::Missing, name, QString());
    if (const QString why = notARegularFile(info); !why.isEmpty()) throw Error(Kind::Unreadable, name, why);
}

std::unique_ptr<Workbook> Workbook::open(const QString& path) {
    checkPath(path);
    const QFileInfo info(path);
    const QString name = info.fileName().isEmpty() ? path : info.fileName();
    if (info.size() > kMaxFileBytes)
        throw Error(Kind::TooLarge, name, QStringLiteral("ocupa más de %1 MiB").arg(kMaxFileBytes >> 20));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw Error(Kind::Unreadable, name, file.errorString());
    // A compound file (.xls) or a zip package (.xlsx, .ods) is read in place: only its directory,
    // the parts being read and the held sheets stay in memory.
    const QByteArray magic = file.peek(kCompoundMagic.size());
    if (magic == kCompoundMagic)
        return readGuarded(name, [&] { return readCompound(std::make_shared<FileSource>(file)); });
    if (magic.startsWith("PK\x03\x04") || magic.startsWith("PK\x05\x06"))
        return readGuarded(name, [&] { return readZip(std::make_shared<FileSource>(file)); });
    QByteArray data;
    try {
        data = file.readAll();
    } catch (const std::bad_alloc&) {
        throw Error(Kind::TooLarge, name, QStringLiteral("no hay memoria suficiente"));
    }
    if (file.error() != QFileDevice::NoError) throw Error(Kind::Unreadable, name, file.errorString());
    return fromMemory(data, name);
}

std::unique_ptr<Workbook> Workbook::fromMemory(const QByteArray& data, const QString& nameForMessages) {
    const QString suffix = QFileInfo(nameForMessages).suffix().toLower();
    return readGuarded(nameForMessages, [&]() -> std::unique_ptr<Workbook> {
        if (data.isEmpty()) throw ReadFailure{Kind::Empty, QString()};
        if (data.size() > kMaxFileBytes)
            throw ReadFailure{Kind::TooLarge, QStringLiteral("ocupa más de %1 MiB").arg(kMaxFileBytes >> 20)};
        if (data.startsWith("PK\x03\x04") || data.startsWith("PK\x05\x06"))
            return readZip(std::make_shared<MemorySource>(data));
        if (data.startsWith(kCompoundMagic)) return readCompound(std::make_shared<MemorySource>(data));
        const int biff = biffVersion(data);
        if (biff == 8) return XlsReader::read(data);
        if (biff > 0) throw ReadFailure{Kind::Unsupported, olderVersion()};
        if ((suffix == QLatin1String("csv") || suffix == QLatin1String("txt")) &&
            (looksLikeText(data) || data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")))
            return CsvReader::read(data, nameForMessages);
        throw ReadFailure{Kind::NotAWorkbook, QString()};
    });
}

const Sheet& Workbook::sheet(int i) const {
    if (i < 0 || i >= sheetCount()) return kNoSheet;
    return *sheets_[size_t(i)];
}

Sheet& Workbook::addSheet(const QString& name) {
    sheets_.push_back(std::make_unique<Sheet>(name));
    return *sheets_.back();
}

void Workbook::setActiveSheetIndex(int i) {
    active_ = (i >= 0 && i < sheetCount()) ? i : 0;
}

QStringList Workbook::supportedSuffixes() {
    return {QStringLiteral("*.xls"), QStringLiteral("*.xlsx"), QStringLiteral("*.xlsm"),
            QStringLiteral("*.ods"), QStringLiteral("*.csv")};
}

} // namespace qd::wb
