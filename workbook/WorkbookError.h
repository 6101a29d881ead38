#pragma once

#include <QString>

#include <stdexcept>

namespace qd::wb {

// A workbook that cannot be read. The message is for the user: it names the file and says what is
// wrong, in Spanish.
class Error : public std::runtime_error {
public:
    enum class Kind {
        Missing,      // the file does not exist
        Unreadable,   // the file exists but cannot be read, or is not a regular file (folder, device...)
        Empty,        // zero bytes
        NotAWorkbook, // none of the supported formats
        Protected,    // encrypted / password-protected
        Unsupported,  // a workbook, but a variant this reader does not handle
        Damaged,      // truncated or inconsistent
        TooLarge      // beyond the limits (size, cells, decompression)
    };

    Error(Kind kind, const QString& fileName, const QString& detail);

    Kind kind() const { return kind_; }
    QString message() const { return message_; }
    QString fileName() const { return fileName_; }
    QString detail() const { return detail_; }

private:
    Kind kind_;
    QString fileName_;
    QString detail_;
    QString message_;
};

} // namespace qd::wb
