#include "WorkbookError.h"

namespace qd::wb {

namespace {
QString composeMessage(Error::Kind kind, const QString& file, const QString& detail) {
    const QString f = QStringLiteral("«%1»").arg(file);
    switch (kind) {
    case Error::Kind::Missing:
        return QStringLiteral("No se encuentra el fichero %1.").arg(f);
    case Error::Kind::Unreadable:
        return QStringLiteral("No se puede leer el fichero %1: %2.").arg(f, detail);
    case Error::Kind::Empty:
        return QStringLiteral("El fichero %1 está vacío.").arg(f);
    case Error::Kind::NotAWorkbook:
        return QStringLiteral(
                   "El fichero %1 no es un libro de cálculo que se pueda leer (.xls, .xlsx, .ods o "
                   ".csv).")
            .arg(f);
    case Error::Kind::Protected:
        return QStringLiteral(
                   "El fichero %1 está protegido con contraseña. Guárdelo sin contraseña y vuelva a "
                   "intentarlo.")
            .arg(f);
    case Error::Kind::Unsupported:
        return QStringLiteral("El fichero %1 no se puede leer: %2.").arg(f, detail);
    case Error::Kind::Damaged:
        return QStringLiteral("El fichero %1 está dañado: %2.").arg(f, detail);
    case Error::Kind::TooLarge:
        return QStringLiteral("El fichero %1 supera los límites admitidos: %2.").arg(f, detail);
    }
    return f;
}
} // namespace

Error::Error(Kind kind, const QString& fileName, const QString& detail)
    : std::runtime_error(composeMessage(kind, fileName, detail).toStdString()), kind_(kind),
      fileName_(fileName), detail_(detail), message_(composeMessage(kind, fileName, detail)) {}

} // namespace qd::wb
