#include "Decryption.h"

#include "ByteReader.h"
#include "ReadFailure.h"

#include <QXmlStreamReader>
#include <QtEndian>

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace qd::wb::Decryption {

namespace {

const QByteArray kDefaultPassword = QByteArrayLiteral("V\0e\0l\0v\0e\0t\0S\0w\0e\0a\0t\0s\0h\0o\0p\0");

[[noreturn]] void refuse() {
    throw ReadFailure{Error::Kind::Protected, QString()};
}

QByteArray le32(quint32 v) {
    QByteArray b(4, Qt::Uninitialized);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray digest(const EVP_MD* md, const QByteArray& data) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (!EVP_Digest(data.constData(), size_t(data.size()), out, &n, md, nullptr)) refuse();
    return QByteArray(reinterpret_cast<const char*>(out), int(n));
}

// AES without padding; `iv` empty for ECB.
QByteArray aesDecrypt(const QByteArray& key, const QByteArray& iv, const char* data, qsizetype length) {
    const EVP_CIPHER* cipher = nullptr;
    switch (key.size()) {
    case 16:
        cipher = iv.isEmpty() ? EVP_aes_128_ecb() : EVP_aes_128_cbc();
        break;
    case 24:
        cipher = iv.isEmpty() ? EVP_aes_192_ecb() : EVP_aes_192_cbc();
        break;
    case 32:
        cipher = iv.isEmpty() ? EVP_aes_256_ecb() : EVP_aes_256_cbc();
        break;
    default:
        refuse();
    }
    if (length % 16 != 0 || (!iv.isEmpty() && iv.size() != 16)) refuse();
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                              EVP_CIPHER_CTX_free);
    QByteArray out(length, Qt::Uninitialized);
    int n = 0;
    const auto* k = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* v = iv.isEmpty() ? nullptr : reinterpret_cast<const unsigned char*>(iv.constData());
    if (!ctx || !EVP_DecryptInit_ex(ctx.get(), cipher, nullptr, k, v) ||
        !EVP_CIPHER_CTX_set_padding(ctx.get(), 0))
        refuse();
    // in pieces: EVP takes an int length
    qsizetype done = 0;
    while (done < length) {
        const int piece = int(std::min<qsizetype>(length - done, qsizetype(1) << 30));
        if (!EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()) + done, &n,
                               reinterpret_cast<const unsigned char*>(data) + done, piece))
            refuse();
        done += n;
    }
    return out;
}

// RC4 keystream. The cipher is not offered by libcrypto's default provider any more (only by its
// legacy module, which need not be installed), and it is a few lines.
class Rc4 {
public:
    explicit Rc4(const QByteArray& key) {
        for (int i = 0; i < 256; ++i)
            s_[size_t(i)] = quint8(i);
        quint8 j = 0;
        for (int i = 0; i < 256; ++i) {
            j = quint8(j + s_[size_t(i)] + quint8(key[i % key.size()]));
            std::swap(s_[size_t(i)], s_[j]);
        }
    }
    void apply(char* data, qsizetype n) {
        for (qsizetype k = 0; k < n; ++k) {
            i_ = quint8(i_ + 1);
            j_ = quint8(j_ + s_[i_]);
            std::swap(s_[i_], s_[j_]);
            data[k] = char(quint8(data[k]) ^ s_[quint8(s_[i_] + s_[j_])]);
        }
    }

private:
    std::array<quint8, 256> s_{};
    quint8 i_ = 0, j_ = 0;
};

// --- .xlsx: standard encryption (AES, SHA-1) -------------------------------------------------

QByteArray standardPackage(const ByteReader& info, const QByteArray& package) {
    // version (4), flags (4), header size (4), header, verifier
    if (info.size() < 12) refuse();
    const quint32 headerSize = info.u32(8);
    if (headerSize < 32 || headerSize > quint32(info.size()) - 12) refuse();
    const quint32 algId = info.u32(12 + 8), keyBits = info.u32(12 + 16);
    if ((algId != 0x660E && algId != 0x660F && algId != 0x6610) ||
        (keyBits != 128 && keyBits != 192 && keyBits != 256))
        refuse();
    const qint64 v = 12 + qint64(headerSize);
    if (info.size() < v + 4 + 16 + 16 + 4 + 32 || info.u32(v) != 16) refuse();
    const QByteArray salt(info.data() + v + 4, 16);
    const char* encVerifier = info.data() + v + 20;
    const char* encHash = info.data() + v + 40;

    QByteArray h = digest(EVP_sha1(), salt + kDefaultPassword);
    for (quint32 i = 0; i < 50000; ++i)
        h = digest(EVP_sha1(), le32(i) + h);
    h = digest(EVP_sha1(), h + le32(0));
    QByteArray b36(64, 0x36), b5c(64, 0x5c);
    for (int i = 0; i < h.size(); ++i) {
        b36[i] = char(b36[i] ^ h[i]);
        b5c[i] = char(b5c[i] ^ h[i]);
    }
    const QByteArray key = (digest(EVP_sha1(), b36) + digest(EVP_sha1(), b5c)).left(int(keyBits / 8));

    const QByteArray verifier = aesDecrypt(key, QByteArray(), encVerifier, 16);
    const QByteArray hash = aesDecrypt(key, QByteArray(), encHash, 32);
    if (digest(EVP_sha1(), verifier) != hash.left(20)) refuse(); // another password

    if (package.size() < 8) throwDamaged(QStringLiteral("el paquete cifrado está incompleto"));
    const quint64 size = qFromLittleEndian<quint64>(package.constData());
    const qsizetype body = (package.size() - 8) / 16 * 16;
    if (size > quint64(body)) throwDamaged(QStringLiteral("el paquete cifrado está incompleto"));
    return aesDecrypt(key, QByteArray(), package.constData() + 8, body).left(qsizetype(size));
}

// --- .xlsx: agile encryption (XML description, AES-CBC, SHA family) --------------------------

const EVP_MD* hashNamed(QStringView name) {
    if (name == QLatin1String("SHA1")) return EVP_sha1();
    if (name == QLatin1String("SHA256")) return EVP_sha256();
    if (name == QLatin1String("SHA384")) return EVP_sha384();
    if (name == QLatin1String("SHA512")) return EVP_sha512();
    if (name == QLatin1String("MD5")) return EVP_md5();
    refuse();
}

// A hash fitted to a key or IV: cut, or padded with 0x36.
QByteArray fitted(QByteArray h, int length) {
    if (h.size() >= length) return h.left(length);
    return h + QByteArray(length - h.size(), char(0x36));
}

QByteArray agilePackage(const QByteArray& xml, const QByteArray& package) {
    struct Params {
        QByteArray salt;
        const EVP_MD* hash = nullptr;
        int keyBytes = 0;
        int blockSize = 0;
        quint32 spinCount = 0;
        QByteArray hashInput, hashValue, keyValue;
        bool cbc = false;
    } data, pw;
    QXmlStreamReader x(xml);
    x.setNamespaceProcessing(true);
    auto read = [&](Params& p) {
        const auto a = x.attributes();
        p.salt = QByteArray::fromBase64(a.value(QLatin1String("saltValue")).toLatin1());
        p.hash = hashNamed(a.value(QLatin1String("hashAlgorithm")));
        p.keyBytes = a.value(QLatin1String("keyBits")).toInt() / 8;
        p.blockSize = a.value(QLatin1String("blockSize")).toInt();
        p.spinCount = a.value(QLatin1String("spinCount")).toUInt();
        p.cbc = a.value(QLatin1String("cipherChaining")) == QLatin1String("ChainingModeCBC");
        p.hashInput = QByteArray::fromBase64(a.value(QLatin1String("encryptedVerifierHashInput")).toLatin1());
        p.hashValue = QByteArray::fromBase64(a.value(QLatin1String("encryptedVerifierHashValue")).toLatin1());
        p.keyValue = QByteArray::fromBase64(a.value(QLatin1String("encryptedKeyValue")).toLatin1());
    };
    bool haveData = false, havePassword = false;
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement) continue;
        if (x.name() == QLatin1String("keyData")) {
            read(data);
            haveData = true;
        } else if (x.name() == QLatin1String("encryptedKey") &&
                   x.namespaceUri().endsWith(QLatin1String("/password"))) {
            read(pw);
            havePassword = true;
        }
    }
    // a key encrypted only for a certificate, or a description this reader cannot follow
    if (x.hasError() || !haveData || !havePassword || !data.cbc || !pw.cbc || pw.spinCount > 10000000)
        refuse();

    QByteArray h = digest(pw.hash, pw.salt + kDefaultPassword);
    for (quint32 i = 0; i < pw.spinCount; ++i)
        h = digest(pw.hash, le32(i) + h);
    auto keyFor = [&](const char* block) {
        return fitted(digest(pw.hash, h + QByteArray(block, 8)), pw.keyBytes);
    };
    auto decrypt = [&](const QByteArray& key, const QByteArray& iv, const QByteArray& in) {
        return aesDecrypt(key, fitted(iv, 16), in.constData(), in.size());
    };
    const QByteArray input = decrypt(keyFor("\xfe\xa7\xd2\x76\x3b\x4b\x9e\x79"), pw.salt, pw.hashInput);
    const QByteArray value = decrypt(keyFor("\xd7\xaa\x0f\x6d\x30\x61\x34\x4e"), pw.salt, pw.hashValue);
    const QByteArray expected = digest(pw.hash, input.left(pw.salt.size()));
    if (value.left(expected.size()) != expected) refuse(); // another password
    const QByteArray secret =
        decrypt(keyFor("\x14\x6e\x0b\xe7\xab\xac\xd0\xd6"), pw.salt, pw.keyValue).left(data.keyBytes);

    if (package.size() < 8) throwDamaged(QStringLiteral("el paquete cifrado está incompleto"));
    const quint64 size = qFromLittleEndian<quint64>(package.constData());
    if (size > quint64(package.size() - 8))
        throwDamaged(QStringLiteral("el paquete cifrado está incompleto"));
    QByteArray out;
    out.reserve(qsizetype(size) + 4096);
    constexpr qsizetype kSegment = 4096;
    for (qsizetype at = 8, segment = 0; qsizetype(out.size()) < qsizetype(size); at += kSegment, ++segment) {
        const qsizetype n = std::min<qsizetype>(kSegment, package.size() - at) / 16 * 16;
        if (n <= 0) throwDamaged(QStringLiteral("el paquete cifrado está incompleto"));
        const QByteArray iv = fitted(digest(data.hash, data.salt + le32(quint32(segment))), data.blockSize);
        out += aesDecrypt(secret, iv, package.constData() + at, n);
    }
    out.truncate(qsizetype(size));
    return out;
}

} // namespace

QByteArray package(const QByteArray& encryptionInfo, const QByteArray& encryptedPackage) {
    const ByteReader info(encryptionInfo);
    if (info.size() < 8) refuse();
    const quint16 major = info.u16(0), minor = info.u16(2);
    if (major == 4 && minor == 4) return agilePackage(encryptionInfo.mid(8), encryptedPackage);
    if ((major == 3 || major == 4) && minor == 2) return standardPackage(info, encryptedPackage);
    refuse();
}

// --- .xls: RC4 and RC4 CryptoAPI --------------------------------------------------------------

void workbookStream(QByteArray& stream, qint64 filePassAt) {
    const ByteReader s(stream);
    const qint64 fp = filePassAt + 4;
    const qint64 fpLength = s.u16(filePassAt + 2);
    if (fpLength < 6 || s.u16(fp) != 1) refuse(); // 0: XOR obfuscation, which needs the password
    const quint16 major = s.u16(fp + 2), minor = s.u16(fp + 4);
    const qint64 end = fp + fpLength;

    // The key of each 1,024-byte block of the stream.
    std::function<QByteArray(quint32)> blockKey;
    QByteArray verifier, verifierHash;
    const EVP_MD* verifierMd = nullptr;
    if (major == 1 && minor == 1) {
        if (fpLength < 6 + 48) refuse();
        const QByteArray salt(stream.constData() + fp + 6, 16);
        verifier = QByteArray(stream.constData() + fp + 22, 16);
        verifierHash = QByteArray(stream.constData() + fp + 38, 16);
        const QByteArray h0 = digest(EVP_md5(), kDefaultPassword).left(5);
        QByteArray buffer;
        for (int i = 0; i < 16; ++i)
            buffer += h0 + salt;
        const QByteArray h1 = digest(EVP_md5(), buffer).left(5);
        blockKey = [h1](quint32 block) { return digest(EVP_md5(), h1 + le32(block)); };
        verifierMd = EVP_md5();
    } else if (major >= 2 && major <= 4 && minor == 2) {
        // flags (4), header size (4), header, verifier
        if (fpLength < 6 + 8) refuse();
        const quint32 headerSize = s.u32(fp + 10);
        const qint64 v = fp + 14 + qint64(headerSize);
        if (headerSize < 32 || v + 4 + 16 + 16 + 4 + 20 > end || s.u32(v) != 16) refuse();
        const quint32 algId = s.u32(fp + 14 + 8);
        quint32 keyBits = s.u32(fp + 14 + 16);
        if (keyBits == 0) keyBits = 40;
        if (algId != 0x6801 || keyBits < 40 || keyBits > 128 || keyBits % 8) refuse();
        const QByteArray salt(stream.constData() + v + 4, 16);
        verifier = QByteArray(stream.constData() + v + 20, 16);
        verifierHash = QByteArray(stream.constData() + v + 40, 20);
        const QByteArray h0 = digest(EVP_sha1(), salt + kDefaultPassword);
        blockKey = [h0, keyBits](quint32 block) {
            QByteArray key = digest(EVP_sha1(), h0 + le32(block)).left(int(keyBits / 8));
            if (keyBits == 40) key += QByteArray(11, '\0'); // a 40-bit key is used as 128 bits
            return key;
        };
        verifierMd = EVP_sha1();
    } else {
        refuse();
    }
    {
        Rc4 rc4(blockKey(0));
        QByteArray both = verifier + verifierHash;
        rc4.apply(both.data(), both.size());
        const QByteArray hash = digest(verifierMd, both.left(16));
        if (hash != both.mid(16, hash.size())) refuse(); // another password
    }

    // Record headers stay clear, and so do the records that are read before the key is known and
    // the stream offset of each sheet; the keystream runs on over them all the same.
    std::unique_ptr<Rc4> rc4;
    qint64 keyBlock = -1, keyAt = 0;
    auto decrypt = [&](qint64 from, qint64 to) {
        while (from < to) {
            const qint64 block = from / 1024;
            if (block != keyBlock || from < keyAt) {
                rc4 = std::make_unique<Rc4>(blockKey(quint32(block)));
                keyBlock = block;
                keyAt = block * 1024;
            }
            if (keyAt < from) { // skip the keystream up to `from`
                QByteArray skip(from - keyAt, '\0');
                rc4->apply(skip.data(), skip.size());
                keyAt = from;
            }
            const qint64 n = std::min(to, (block + 1) * 1024) - from;
            rc4->apply(stream.data() + from, n);
            from += n;
            keyAt = from;
        }
    };
    qint64 at = end;
    while (at + 4 <= stream.size()) {
        const quint16 type = s.u16(at), length = s.u16(at + 2);
        const qint64 data = at + 4;
        if (data + length > stream.size()) break; // the reader reports the truncation
        switch (type) {
        case 0x0809: // BOF
        case 0x002F: // FILEPASS
        case 0x0194: // USREXCL
        case 0x0195: // FILELOCK
        case 0x00E1: // INTERFACEHDR
        case 0x0196: // RRDINFO
        case 0x0138: // RRDHEAD
            break;
        case 0x0085: // BOUNDSHEET: its stream offset is clear
            decrypt(std::min(data + 4, data + length), data + length);
            break;
        default:
            decrypt(data, data + length);
        }
        at = data + length;
    }
}

} // namespace qd::wb::Decryption
