#pragma once

#include <QByteArray>

namespace qd::wb {

// Workbooks encrypted with the password Excel applies on its own when a workbook is protected without
// an open password ("VelvetSweatshop"), which Excel opens without asking. Any other password is not
// known here: such a workbook is refused as protected (ReadFailure of kind Protected), and so is an
// encryption this reader does not know.
namespace Decryption {

// An .xlsx kept in a compound file: its EncryptionInfo and EncryptedPackage streams (standard or
// agile encryption) -> the zip package.
QByteArray package(const QByteArray& encryptionInfo, const QByteArray& encryptedPackage);

// An .xls workbook stream whose FILEPASS record (RC4 or RC4 CryptoAPI) starts at `filePassAt` (the
// record's header): every record after it decrypted in place, as Excel encrypts it.
void workbookStream(QByteArray& stream, qint64 filePassAt);

} // namespace Decryption

} // namespace qd::wb
