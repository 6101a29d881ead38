#pragma once
// SQL helpers every kind's tests need: run a statement or a script, read rows back, and dump a
// table to compare database states.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace qd::fb {
class Attachment;
}

namespace qd::test {

// Every row of a query, each as its column values, in a transaction of its own.
QList<QVariantList> consultar(qd::fb::Attachment& a, const QString& sql);
// Runs one statement and commits.
void ejecutar(qd::fb::Attachment& a, const QString& sql);
// The statements of a script: each ends with ";" at a line end; "--" lines are comments.
QStringList sentenciasScript(const QString& texto);
// A text file read as UTF-8 (empty when it cannot be read).
QString leerTexto(const QString& ruta);
// Every row of a table, ordered by its first column, as "COLUMNA=valor|…" lines; columns whose
// name begins with one of `omitir` are left out (dates the server stamps).
QStringList volcarTabla(const QString& rutaBd, const QString& tabla, const QStringList& omitir = {});

} // namespace qd::test
