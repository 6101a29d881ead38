#pragma once
// The statement of a lookup may have its own WHERE condition; the search adds its own after it
// with AND. The statement's condition is put between parentheses first, so that a condition such
// as "A OR B" stays whole and the search applies to all of it.

#include <QStringList>

// Returns whether the statement has a WHERE. The lines after it (the statement's ORDER and GROUP
// lines already set apart) are the condition, closed by a last line ")".
inline bool encerrarCondicionPropia(QStringList& lineas) {
    for (QString& linea : lineas) {
        const auto p = linea.indexOf(QLatin1String("WHERE"), 0, Qt::CaseInsensitive);
        if (p < 0) continue;
        linea.insert(p + 5, QStringLiteral(" ("));
        lineas << QStringLiteral(")");
        return true;
    }
    return false;
}
