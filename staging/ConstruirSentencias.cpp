#include "ConstruirSentencias.h"

#include "FieldList.h"

#include <algorithm>

namespace qd {

StatementShape StatementShape::forTable(const QString& table, const QString& keyColumn,
                                        const QString& insertLastTail, const QString& valuesLastTail,
                                        int firstEligible, int lastEligible) {
    StatementShape shape;
    shape.insertHead = QStringLiteral("INSERT INTO %1 (").arg(table);
    shape.valuesHead = QStringLiteral("VALUES (");
    shape.updateHead = QStringLiteral("UPDATE %1 SET ").arg(table);
    shape.insertLastTail = insertLastTail;
    shape.valuesLastTail = valuesLastTail;
    shape.whereLine = QStringLiteral("where (%1 = :OLD_%1);").arg(keyColumn);
    shape.firstEligible = firstEligible;
    shape.lastEligible = lastEligible;
    return shape;
}

namespace {

QString joinCrLf(const QStringList& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

} // namespace

SentenciasSql construirSentencias(const QStringList& items, const QList<bool>& ticks,
                                  const StatementShape& shape,
                                  const std::optional<QSet<QString>>& presentes) {
    const int count = static_cast<int>(std::min(items.size(), ticks.size()));
    const int first = std::max(shape.firstEligible, 0);
    const int lastEligible = std::min(shape.lastEligible, count - 1);

    int last = first;
    for (int p = first; p <= lastEligible; ++p)
        if (ticks[p]) last = p;

    QStringList columns{shape.insertHead};
    QStringList values{shape.valuesHead};
    QStringList updates{shape.updateHead};
    for (int p = first; p <= last && p < count; ++p) {
        if (!ticks[p]) continue;
        const QString name = shape.columnName ? shape.columnName(items[p]) : items[p];
        if (p != last) {
            columns << name + QLatin1Char(',');
            values << QLatin1Char(':') + name + QLatin1Char(',');
            updates << name + QLatin1String("= :") + name + QLatin1Char(',');
        } else {
            if (!(shape.lastItemLines && shape.lastItemLines(items[p], columns, values, updates))) {
                columns << name + shape.insertLastTail;
                values << QLatin1Char(':') + name + shape.valuesLastTail;
                updates << name + QLatin1String("= :") + name;
            }
            updates << shape.whereLine;
        }
    }
    SentenciasSql sentencias{joinCrLf(columns) + joinCrLf(values), joinCrLf(updates), {}};
    if (!presentes) return sentencias;

    // The UPDATE again, over the ticked items the workbook has.
    QList<int> enLibro;
    for (int p = first; p <= last && p < count; ++p) {
        if (!ticks[p]) continue;
        if (presentes->contains(items[p].toUpper()))
            enLibro << p;
        else
            sentencias.ausentesUpdate << items[p];
    }
    if (enLibro.isEmpty()) {
        sentencias.update.clear();
        return sentencias;
    }
    QStringList sinUsar;
    updates = QStringList{shape.updateHead};
    // A column the row gives no value for is bound null and keeps what is stored.
    auto conserva = [](const QString& name) {
        return name + QLatin1String("= COALESCE(:") + name + QLatin1String(", ") + name + QLatin1Char(')');
    };
    for (const int p : enLibro) {
        const QString name = shape.columnName ? shape.columnName(items[p]) : items[p];
        if (p != enLibro.last()) {
            updates << conserva(name) + QLatin1Char(',');
        } else {
            if (!(shape.lastItemLines && shape.lastItemLines(items[p], sinUsar, sinUsar, updates)))
                updates << conserva(name);
            updates << shape.whereLine;
        }
    }
    sentencias.update = joinCrLf(updates);
    return sentencias;
}

} // namespace qd
