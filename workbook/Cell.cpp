#include "Cell.h"

#include <cmath>

namespace qd::wb {

namespace {
const QDate kEpoch(1899, 12, 30); // day 0 of the serial count, as the spreadsheet programs count it
constexpr qint64 kMsPerDay = 86400000;
} // namespace

QDateTime Cell::date() const {
    if (type != CellType::Date) return {};
    return serialToDateTime(number);
}

QDateTime serialToDateTime(double serial) {
    if (!std::isfinite(serial) || serial < -657434.0 || serial > 2958466.0) return {};
    double dayPart = std::floor(serial);
    qint64 ms = std::llround((serial - dayPart) * double(kMsPerDay));
    qint64 day = static_cast<qint64>(dayPart);
    if (ms >= kMsPerDay) {
        ++day;
        ms -= kMsPerDay;
    }
    // Serials 0 to 59 count from 1900-01-01 as day 1 (day 0 is 1899-12-31, which the spreadsheet
    // shows as "1900-01-00") and serial 60 is the fictitious 1900-02-29; from 61 on the count runs
    // from 1899-12-30 without gaps, and so do the serials before 0.
    QDate date;
    if (day >= 61 || day < 0)
        date = kEpoch.addDays(day);
    else if (day == 60)
        date = QDate(1900, 2, 28);
    else
        date = kEpoch.addDays(day + 1);
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

double dateTimeToSerial(const QDateTime& dateTime) {
    qint64 day = kEpoch.daysTo(dateTime.date());
    if (day >= 1 && day < 61) --day; // before 1900-03-01: undo the fictitious leap day
    return double(day) + double(dateTime.time().msecsSinceStartOfDay()) / double(kMsPerDay);
}

} // namespace qd::wb
