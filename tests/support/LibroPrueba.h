#pragma once
// Small workbooks written by a test, as a spreadsheet program saves them (.xlsx): each row a list
// of cells, a QString a text cell, a number a number cell, a QDate a date cell, a bool a boolean
// cell, an invalid QVariant an empty cell.

#include <QList>
#include <QString>
#include <QVariant>

namespace qd::test {

void escribirLibro(const QString& ruta, const QList<QVariantList>& filas);

} // namespace qd::test
