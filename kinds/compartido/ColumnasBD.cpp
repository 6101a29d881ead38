#include "ColumnasBD.h"

#include "FbStatement.h"
#include "TDatos.h"

namespace qd {

int ColumnasBD::longitud(const QString& tabla, const QString& columna) {
    const QString clave = tabla + QLatin1Char('.') + columna;
    if (const auto it = longitudes_.constFind(clave); it != longitudes_.constEnd()) return it.value();
    int tam = 0;
    try {
        fb::Statement s(&d_.IBDatabase, &d_.IBTransaction1);
        s.setSql(QStringLiteral("SELECT F.RDB$CHARACTER_LENGTH FROM RDB$RELATION_FIELDS R JOIN RDB$FIELDS F "
                                "ON F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE WHERE R.RDB$RELATION_NAME = :Tabla "
                                "AND R.RDB$FIELD_NAME = :Columna"));
        s.paramByName(QStringLiteral("Tabla")).setString(tabla);
        s.paramByName(QStringLiteral("Columna")).setString(columna);
        d_.IBTransaction1.ensureStarted();
        s.execute();
        if (!s.eof() && !s.field(0).isNull()) tam = int(s.field(0).asInt());
        s.close();
    } catch (const std::exception&) {
        tam = 0; // unknown: only the staged field's own size limits the code
    }
    longitudes_.insert(clave, tam);
    return tam;
}

bool ColumnasBD::existe(const QString& tabla, const QString& clave, qint64 id) {
    const QString k = tabla + QLatin1Char('|') + QString::number(id);
    if (const auto it = existentes_.constFind(k); it != existentes_.constEnd()) return it.value();
    // The table and key names are the module's own, never the workbook's; the ID is bound.
    fb::Statement s(&d_.IBDatabase, &d_.IBTransaction1);
    s.setSql(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = :Id").arg(tabla, clave));
    s.paramByName(QStringLiteral("Id")).setInt(id);
    d_.IBTransaction1.ensureStarted();
    s.execute();
    const bool hay = !s.eof();
    s.close();
    existentes_.insert(k, hay);
    return hay;
}

void ColumnasBD::olvidar() {
    longitudes_.clear();
    existentes_.clear();
}

} // namespace qd
