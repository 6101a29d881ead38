#include "Sheet.h"

#include "ReadFailure.h"
#include "Workbook.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace qd::wb {

namespace {
quint64 sparseKey(int row, int column) {
    return (quint64(quint32(row)) << 32) | quint32(column);
}

// The locale's short date format with four-digit years: two-digit years make dates ambiguous.
QString shortDateFormat(const QLocale& locale) {
    QString f = locale.dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy"))) f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

// The locale's time format with seconds and without the zone.
QString timeFormat(const QLocale& locale) {
    QString f = locale.timeFormat(QLocale::LongFormat);
    f.remove(QLatin1Char('t'));
    f.remove(QLatin1Char('('));
    f.remove(QLatin1Char(')'));
    return f.trimmed();
}
} // namespace

Sheet::Sheet(QString name) : name_(std::move(name)) {}

quint64 Sheet::numberSlot(double value) {
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    // every NaN becomes the quiet NaN of its sign, so that no number falls in the tag space
    if (std::isnan(value)) bits = (bits & (quint64(1) << 63)) | 0x7FF8000000000000ull;
    return bits;
}

CellType Sheet::slotType(quint64 slot) {
    if ((slot >> 52) != 0x7FF || ((slot >> kTagShift) & 0xF) == 0 || ((slot >> kTagShift) & 0xF) > TagBoolean)
        return CellType::Number;
    switch (Tag((slot >> kTagShift) & 0xF)) {
    case TagEmpty:
        return CellType::Empty;
    case TagDate:
        return CellType::Date;
    case TagOwnText:
    case TagSharedText:
        return CellType::Text;
    case TagError:
        return CellType::Error;
    case TagBoolean:
        return CellType::Boolean;
    }
    return CellType::Number;
}

Cell Sheet::cellOf(quint64 slot) const {
    const quint64 payload = slot & ((quint64(1) << kTagShift) - 1);
    switch (slotType(slot)) {
    case CellType::Empty:
        return Cell();
    case CellType::Number: {
        double v;
        std::memcpy(&v, &slot, sizeof v);
        return Cell::ofNumber(v);
    }
    case CellType::Date:
        return Cell::ofDate(dates_[size_t(payload)]);
    case CellType::Text:
        if (Tag((slot >> kTagShift) & 0xF) == TagSharedText)
            return Cell::ofText(shared_ ? shared_->at(quint32(payload)) : QString());
        return Cell::ofText(texts_.at(quint32(payload)));
    case CellType::Error:
        return Cell::ofError(texts_.at(quint32(payload)));
    case CellType::Boolean:
        return Cell::ofBoolean(payload != 0);
    }
    return Cell();
}

quint64 Sheet::slotAt(int row, int column) const {
    if (row < 1 || column < 1 || row > static_cast<int>(rows_.size())) return kEmptySlot;
    const auto& r = rows_[row - 1];
    if (column <= static_cast<int>(r.size())) return r[column - 1];
    if (!sparse_.isEmpty()) {
        auto it = sparse_.constFind(sparseKey(row, column));
        if (it != sparse_.constEnd()) return *it;
    }
    return kEmptySlot;
}

Cell Sheet::cell(int row, int column) const {
    return cellOf(slotAt(row, column));
}

CellType Sheet::type(int row, int column) const {
    return slotType(slotAt(row, column));
}

double Sheet::number(int row, int column) const {
    const quint64 s = slotAt(row, column);
    switch (slotType(s)) {
    case CellType::Number: {
        double v;
        std::memcpy(&v, &s, sizeof v);
        return v;
    }
    case CellType::Date:
        return dates_[size_t(s & ((quint64(1) << kTagShift) - 1))];
    default:
        return 0;
    }
}

std::vector<quint64> Sheet::sparseKeysInOrder() const {
    std::vector<quint64> keys(sparse_.keyBegin(), sparse_.keyEnd());
    std::sort(keys.begin(), keys.end());
    return keys;
}

QVariant Sheet::value(int row, int column) const {
    return cellValue(cell(row, column));
}

QString Sheet::text(int row, int column) const {
    Cell c = cell(row, column);
    // texts, errors and empty cells read the same in every locale: no locale is looked up for them
    if (c.type == CellType::Text || c.type == CellType::Error || c.type == CellType::Empty)
        return std::move(c.text);
    return cellText(c, QLocale());
}

void Sheet::extendUsedRange(int row, int column) {
    if (row < 1 || column < 1) return;
    if (row > Workbook::kMaxRows) row = Workbook::kMaxRows;
    if (column > Workbook::kMaxColumns) column = Workbook::kMaxColumns;
    if (row > lastRow_) lastRow_ = row;
    if (column > lastColumn_) lastColumn_ = column;
}

quint64* Sheet::slot(int row, int column) {
    if (row > static_cast<int>(rows_.size())) rows_.resize(row);
    auto& r = rows_[row - 1];
    const int size = static_cast<int>(r.size());
    if (column <= size) return &r[column - 1];
    // Keep a row dense while it fills from the left; a lone cell far to the right goes to the hash
    // so that a crafted file cannot make every row 16,384 cells wide.
    if (column <= 256 || column <= 2 * size) {
        // rows of a sheet are usually as wide as each other: size a new row like the widest so far
        if (r.capacity() == 0) r.reserve(std::max(column, std::min(lastColumn_, 256)));
        r.resize(column, kEmptySlot);
        // cells of this row kept in the hash now fall in the dense part: move them there
        if (!sparse_.isEmpty()) {
            for (int c = size + 1; c <= column; ++c) {
                auto it = sparse_.find(sparseKey(row, c));
                if (it == sparse_.end()) continue;
                r[c - 1] = *it;
                sparse_.erase(it);
            }
        }
        return &r[column - 1];
    }
    return &sparse_.insert(sparseKey(row, column), kEmptySlot).value();
}

void Sheet::store(int row, int column, quint64 value) {
    if (row < 1 || column < 1 || row > Workbook::kMaxRows || column > Workbook::kMaxColumns) return;
    extendUsedRange(row, column);
    if (value == kEmptySlot) {
        // A blank (formatted) cell only widens the used range; drop a value read before, if any.
        if (row <= static_cast<int>(rows_.size())) {
            auto& r = rows_[row - 1];
            if (column <= static_cast<int>(r.size())) {
                if (r[column - 1] != kEmptySlot) {
                    r[column - 1] = kEmptySlot;
                    --valueCount_;
                }
            } else if (sparse_.remove(sparseKey(row, column))) {
                --valueCount_;
            }
        }
        return;
    }
    quint64* s = slot(row, column);
    if (*s == kEmptySlot) {
        if (++valueCount_ > Workbook::kMaxValueCells)
            throwTooLarge(QStringLiteral("la hoja «%1» tiene más de %2 celdas con valor")
                              .arg(name_)
                              .arg(Workbook::kMaxValueCells));
    }
    *s = value;
}

void Sheet::setCell(int row, int column, const Cell& cell) {
    if (row < 1 || column < 1 || row > Workbook::kMaxRows || column > Workbook::kMaxColumns) return;
    switch (cell.type) {
    case CellType::Empty:
        store(row, column, kEmptySlot);
        return;
    case CellType::Number:
        store(row, column, numberSlot(cell.number));
        return;
    case CellType::Date:
        dates_.push_back(cell.number);
        store(row, column, tagged(TagDate, quint64(dates_.size() - 1)));
        return;
    case CellType::Text:
        setText(row, column, cell.text);
        return;
    case CellType::Error:
        store(row, column, tagged(TagError, texts_.add(cell.text)));
        return;
    case CellType::Boolean:
        store(row, column, tagged(TagBoolean, cell.boolean ? 1 : 0));
        return;
    }
}

void Sheet::setNumber(int row, int column, double value) {
    store(row, column, numberSlot(value));
}

void Sheet::setText(int row, int column, QStringView text) {
    if (row < 1 || column < 1 || row > Workbook::kMaxRows || column > Workbook::kMaxColumns) return;
    store(row, column, tagged(TagOwnText, texts_.add(text)));
}

void Sheet::setSharedText(int row, int column, quint32 index) {
    store(row, column, tagged(TagSharedText, index));
}

QString numberText(double value, const QLocale& locale) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0) return QStringLiteral("0");
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    QString out;
    out.reserve(int(res.ptr - buf));
    for (const char* p = buf; p < res.ptr; ++p) {
        char ch = *p;
        if (ch == '.') {
            out += locale.decimalPoint();
        } else if (ch == 'e') {
            // "1e+20" -> "1E20", "1e-07" -> "1E-7"
            out += QLatin1Char('E');
            ++p;
            if (p < res.ptr && *p == '-') out += QLatin1Char('-');
            if (p < res.ptr && (*p == '-' || *p == '+')) ++p;
            while (p + 1 < res.ptr && *p == '0')
                ++p;
            for (; p < res.ptr; ++p)
                out += QLatin1Char(*p);
            break;
        } else {
            out += QLatin1Char(ch);
        }
    }
    return out;
}

QString cellText(const Cell& cell, const QLocale& locale) {
    switch (cell.type) {
    case CellType::Empty:
        return QString();
    case CellType::Text:
    case CellType::Error:
        return cell.text;
    case CellType::Boolean:
        return cell.boolean ? QStringLiteral("True") : QStringLiteral("False");
    case CellType::Number:
        return numberText(cell.number, locale);
    case CellType::Date: {
        QDateTime dt = cell.date();
        if (!dt.isValid()) return numberText(cell.number, locale);
        QString s = locale.toString(dt.date(), shortDateFormat(locale));
        if (dt.time().msecsSinceStartOfDay() != 0)
            s += QLatin1Char(' ') + locale.toString(dt.time(), timeFormat(locale));
        return s;
    }
    }
    return QString();
}

QVariant cellValue(const Cell& cell) {
    switch (cell.type) {
    case CellType::Empty:
        return QVariant();
    case CellType::Number:
        return QVariant(cell.number);
    case CellType::Date:
        return QVariant(cell.date());
    case CellType::Text:
    case CellType::Error:
        return QVariant(cell.text);
    case CellType::Boolean:
        return QVariant(cell.boolean);
    }
    return QVariant();
}

QString columnLetters(int column) {
    QString s;
    while (column > 0) {
        int rem = (column - 1) % 26;
        s.prepend(QLatin1Char(char('A' + rem)));
        column = (column - 1) / 26;
    }
    return s;
}

} // namespace qd::wb
