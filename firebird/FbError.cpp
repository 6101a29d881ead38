#include "FbError.h"

#include <QStringList>
#include <ibase.h>

namespace qd::fb {

Error::Error(QString message, long sqlCode, long gdsCode, QString sqlState, QString statement)
    : message_(std::move(message)), sqlCode_(sqlCode), gdsCode_(gdsCode), sqlState_(std::move(sqlState)),
      statement_(std::move(statement)), what_(message_.toUtf8()) {}

Error Error::fromStatus(const void* statusVector, const QString& statement) {
    const auto* status = static_cast<const ISC_STATUS*>(statusVector);
    QStringList lines;
    char buffer[1024];
    const ISC_STATUS* cursor = status;
    while (fb_interpret(buffer, sizeof buffer, &cursor) > 0)
        lines << QString::fromLatin1(buffer);
    const long sqlCode = isc_sqlcode(status);
    const long gdsCode = (status[0] == isc_arg_gds) ? long(status[1]) : 0;
    char state[FB_SQLSTATE_SIZE] = {};
    fb_sqlstate(state, status);
    return Error(lines.join(QLatin1Char('\n')), sqlCode, gdsCode, QString::fromLatin1(state), statement);
}

bool Error::isLockConflict() const {
    return sqlState_.startsWith(QLatin1String("40"));
}

void Error::setStatement(const QString& sql) {
    statement_ = sql;
}

} // namespace qd::fb
