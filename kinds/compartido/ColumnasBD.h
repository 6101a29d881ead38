#pragma once
// What the database says about its own tables, asked once per load and kept until the next: the
// length of a text column (so that a code is never cut to fit it) and whether an ID is in its
// table (so that a row never stores an ID that points nowhere).
#include <QHash>
#include <QString>

class TDatos;

namespace qd {

class ColumnasBD {
public:
    explicit ColumnasBD(TDatos& d) : d_(d) {}

    // The characters the text column `tabla`.`columna` takes; 0 when the database does not say.
    int longitud(const QString& tabla, const QString& columna);
    // Whether `tabla` has a row whose key column `clave` is `id`.
    bool existe(const QString& tabla, const QString& clave, qint64 id);
    // Forgets what was asked (at the start of a load: the database may have changed meanwhile).
    void olvidar();

private:
    TDatos& d_;
    QHash<QString, int> longitudes_;
    QHash<QString, bool> existentes_;
};

} // namespace qd
