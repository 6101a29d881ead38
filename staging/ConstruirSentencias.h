#pragma once
// Building the INSERT and UPDATE texts of the insert-or-update imports from a field list.
//
// Each ticked item of the eligible range becomes a column and a parameter of the same name. The
// last ticked one closes the column list and the value list with the page's own tails (articles:
// ", CONCEPTO)" and ", 1);") and the UPDATE with its "where (KEY = :OLD_KEY);" line. Every line
// ends with CR LF. The article, client, address, contact and supplier pages all build their
// statements through construirSentencias(), each with its own StatementShape.

#include <QList>
#include <QString>
#include <QStringList>

#include <QSet>

#include <functional>
#include <limits>
#include <optional>

namespace qd {

class FieldList;

struct SentenciasSql {
    QString insert;
    QString update; // empty when an update was built for the workbook and no ticked field is in it
    // Ticked items left out of the UPDATE because the workbook has no column for them.
    QStringList ausentesUpdate;
};

struct StatementShape {
    QString insertHead;     // "INSERT INTO ARTICULOS ("
    QString valuesHead;     // "VALUES ("
    QString updateHead;     // "UPDATE ARTICULOS SET "
    QString insertLastTail; // after the last column: ", CONCEPTO)"
    QString valuesLastTail; // after the last parameter: ", 1);"
    QString whereLine;      // "where (IDARTICULOS = :OLD_IDARTICULOS);"
    int firstEligible = 0;  // the eligible range of positions, both ends included
    int lastEligible = kToLastItem;

    static constexpr int kToLastItem = std::numeric_limits<int>::max();

    // Optional: the column/parameter name written for an item (e.g. TELEFONO written as
    // EXTENSION). Unset: the item text itself.
    std::function<QString(const QString& item)> columnName;
    // Optional: when it returns true for the last ticked item, it has appended that item's lines
    // to the three lists itself (e.g. a last item that stands for several columns); the where
    // line is still added after it.
    std::function<bool(const QString& item, QStringList& columns, QStringList& values, QStringList& updates)>
        lastItemLines;

    // The common shape: "INSERT INTO <table> (", "VALUES (", "UPDATE <table> SET ",
    // "where (<key> = :OLD_<key>);", with the given tails of the last column and value.
    static StatementShape forTable(const QString& table, const QString& keyColumn,
                                   const QString& insertLastTail, const QString& valuesLastTail,
                                   int firstEligible = 0, int lastEligible = kToLastItem);
};

// Builds the texts from item texts and their ticks. `last` is the highest ticked position of
// the eligible range (the first of the range when none is ticked, which gives statements without
// columns: their prepare fails with the database's own error).
//
// With `presentes` (the upper-cased headers of the loaded workbook), the UPDATE sets only the
// ticked items the workbook has a column for, so that an update never overwrites a stored value
// with a default the workbook did not give; the others are listed in ausentesUpdate. When none is
// left the UPDATE is empty and the writer updates nothing. Each of its lines is
// "X= COALESCE(:X, X)": a row that gives no value for X (TDatos::Enlazar_Fila binds it null)
// leaves the stored value as it is. The INSERT is built from every ticked
// item either way (a new record takes the defaults of the absent ones).
SentenciasSql construirSentencias(const QStringList& items, const QList<bool>& ticks,
                                  const StatementShape& shape,
                                  const std::optional<QSet<QString>>& presentes = std::nullopt);

} // namespace qd
