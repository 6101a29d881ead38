#pragma once

#include "WorkbookError.h"

#include <QString>

namespace qd::wb {

// Thrown by the format readers, which do not know the file's name; Workbook turns it into an Error.
struct ReadFailure {
    Error::Kind kind;
    QString detail;
};

[[noreturn]] inline void throwDamaged(const QString& detail) {
    throw ReadFailure{Error::Kind::Damaged, detail};
}
[[noreturn]] inline void throwTooLarge(const QString& detail) {
    throw ReadFailure{Error::Kind::TooLarge, detail};
}

} // namespace qd::wb
