#include "DiarioImportaciones.h"

#include <QCryptographicHash>
#include <QList>

#include "FbAttachment.h"
#include "FbStatement.h"
#include "FbTransaction.h"

namespace qd {

namespace {

struct Columna {
    QString nombre;
    QString tipo; // as a column definition writes it
};

// Runs one statement of this module (no user value in it) in a transaction of its own.
void ejecutarDdl(qd::fb::Attachment& a, const QString& sql) {
    qd::fb::Transaction t(&a);
    qd::fb::Statement s(&a, &t);
    s.setParamCheck(false);
    s.setSql(sql);
    s.execute();
    t.commit();
}

QList<QVariantList> filas(qd::fb::Attachment& a, const QString& sql, const QVariantList& parametros) {
    qd::fb::Transaction t(&a);
    qd::fb::Statement s(&a, &t);
    s.setSql(sql);
    for (int i = 0; i < parametros.size(); ++i)
        s.param(i).setVariant(parametros[i]);
    s.execute();
    QList<QVariantList> r;
    while (!s.eof()) {
        QVariantList fila;
        for (int i = 0; i < s.fieldCount(); ++i)
            fila << s.field(i).asVariant();
        r << fila;
        s.next();
    }
    s.close();
    t.commit();
    return r;
}

// The definition of a column's type from RDB$FIELDS; empty for a type the journal does not keep
// (then the column is left out of it).
QString tipoColumna(int tipo, int subtipo, int longitud, int escala, int precision, int longitudCaracteres,
                    const QString& juego) {
    const QString cs = juego.isEmpty() ? QString() : QStringLiteral(" CHARACTER SET ") + juego;
    const int n = longitudCaracteres > 0 ? longitudCaracteres : longitud;
    switch (tipo) {
    case 7:
        return escala < 0 ? QStringLiteral("NUMERIC(%1,%2)").arg(precision > 0 ? precision : 4).arg(-escala)
                          : QStringLiteral("SMALLINT");
    case 8:
        return escala < 0 ? QStringLiteral("NUMERIC(%1,%2)").arg(precision > 0 ? precision : 9).arg(-escala)
                          : QStringLiteral("INTEGER");
    case 16:
        return QStringLiteral("NUMERIC(18,%1)").arg(-escala);
    case 10:
        return QStringLiteral("FLOAT");
    case 27:
        return QStringLiteral("DOUBLE PRECISION");
    case 12:
    case 35:
        return QStringLiteral("TIMESTAMP");
    case 14:
        return QStringLiteral("CHAR(%1)").arg(n) + cs;
    case 37:
        return QStringLiteral("VARCHAR(%1)").arg(n) + cs;
    case 261:
        return QStringLiteral("BLOB SUB_TYPE %1").arg(subtipo) + (subtipo == 1 ? cs : QString());
    case 23:
        return QStringLiteral("BOOLEAN");
    default:
        return {};
    }
}

QList<Columna> columnasDe(qd::fb::Attachment& a, const QString& tabla) {
    const QList<QVariantList> r = filas(
        a,
        QStringLiteral(
            "SELECT TRIM(RF.RDB$FIELD_NAME), F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, F.RDB$FIELD_LENGTH, "
            "F.RDB$FIELD_SCALE, F.RDB$FIELD_PRECISION, F.RDB$CHARACTER_LENGTH, "
            "TRIM(CS.RDB$CHARACTER_SET_NAME), "
            "CASE WHEN F.RDB$COMPUTED_BLR IS NULL THEN 0 ELSE 1 END "
            "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
            "LEFT JOIN RDB$CHARACTER_SETS CS ON CS.RDB$CHARACTER_SET_ID = F.RDB$CHARACTER_SET_ID "
            "WHERE RF.RDB$RELATION_NAME = :P0 ORDER BY RF.RDB$FIELD_POSITION"),
        {tabla});
    QList<Columna> columnas;
    for (const QVariantList& f : r) {
        if (f[8].toInt() != 0) continue; // computed: nothing stored
        const QString tipo = tipoColumna(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt(), f[5].toInt(),
                                         f[6].toInt(), f[7].toString());
        if (!tipo.isEmpty()) columnas << Columna{f[0].toString(), tipo};
    }
    return columnas;
}

QString sufijo(const QString& tabla) {
    if (tabla.size() <= 27) return tabla;
    const QString h = QString::fromLatin1(
        QCryptographicHash::hash(tabla.toUtf8(), QCryptographicHash::Sha1).toHex().left(4).toUpper());
    return tabla.left(22) + QLatin1Char('_') + h;
}

// The row before an update or a delete, and the row after an update, whole; after an insert only its
// key and the transaction that wrote it: the undo deletes that row, and tells whether something
// changed it since by the transaction of its current version (RDB$RECORD_VERSION). The images of
// the rows a run inserts are most of a run's journal.
QString textoDisparador(const QString& tabla, const QList<Columna>& columnas, const QStringList& clave) {
    QStringList nombres, viejos, nuevos, nuevosClave;
    for (const Columna& c : columnas) {
        nombres << c.nombre;
        viejos << QStringLiteral("OLD.") + c.nombre;
        nuevos << QStringLiteral("NEW.") + c.nombre;
    }
    for (const QString& c : clave)
        nuevosClave << QStringLiteral("NEW.") + c;
    const QString cabeza =
        QStringLiteral("INSERT INTO %1 (QD_ID, QD_IMPORTACION, QD_OPERACION, QD_IMAGEN, QD_TRANSACCION, ")
            .arg(tablaDiario(tabla));
    const QString insertar = cabeza + nombres.join(QStringLiteral(", ")) + QStringLiteral(") ");
    const QString insertarClave =
        clave.isEmpty() ? insertar : cabeza + clave.join(QStringLiteral(", ")) + QStringLiteral(") ");
    return QStringLiteral(
               "CREATE OR ALTER TRIGGER %1 FOR %2 ACTIVE AFTER INSERT OR UPDATE OR DELETE "
               "POSITION 32000 AS\n"
               "DECLARE VARIABLE QD_R INTEGER;\n"
               "DECLARE VARIABLE QD_S INTEGER;\n"
               "BEGIN\n"
               "  /* Journal of the import runs: only while the connection carries a run. */\n"
               "  QD_R = RDB$GET_CONTEXT('USER_SESSION', 'QD_IMPORTACION');\n"
               "  IF (QD_R IS NULL) THEN EXIT;\n"
               "  QD_S = GEN_ID(QD_GEN_DIARIO, 1);\n"
               "  IF (INSERTING) THEN\n"
               "    %3VALUES (:QD_S, :QD_R, 'I', 'N', CURRENT_TRANSACTION, %4);\n"
               "  ELSE\n"
               "  BEGIN\n"
               "    %5VALUES (:QD_S, :QD_R, IIF(DELETING, 'D', 'U'), 'A', CURRENT_TRANSACTION, %6);\n"
               "    IF (UPDATING) THEN\n"
               "      %5VALUES (:QD_S, :QD_R, 'U', 'N', CURRENT_TRANSACTION, %7);\n"
               "  END\n"
               "END")
        .arg(disparadorDiario(tabla), tabla, insertarClave,
             (clave.isEmpty() ? nuevos : nuevosClave).join(QStringLiteral(", ")), insertar,
             viejos.join(QStringLiteral(", ")), nuevos.join(QStringLiteral(", ")));
}

QStringList claveDe(qd::fb::Attachment& a, const QString& tabla) {
    QStringList r;
    for (const QVariantList& f :
         filas(a,
               QStringLiteral(
                   "SELECT TRIM(S.RDB$FIELD_NAME) FROM RDB$RELATION_CONSTRAINTS RC JOIN RDB$INDEX_SEGMENTS S "
                   "ON S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME WHERE RC.RDB$RELATION_NAME = :P0 AND "
                   "RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' ORDER BY S.RDB$FIELD_POSITION"),
               {tabla}))
        r << f[0].toString();
    return r;
}

bool existe(qd::fb::Attachment& a, const QString& sql, const QString& nombre) {
    return !filas(a, sql, {nombre}).isEmpty();
}

} // namespace

const QStringList& tablasDiario() {
    static const QStringList tablas{
        // Articles, their stock, prices, formats and suppliers' records, and the masters the
        // article import creates from codes.
        QStringLiteral("ARTICULOS"), QStringLiteral("ARTICULOSALMACEN"),
        QStringLiteral("ARTICULOSPROVEEDORES"), QStringLiteral("TARIFASARTICULOS"),
        QStringLiteral("INTERVALOSTARIFASARTICULOS"), QStringLiteral("FORMATOS"),
        QStringLiteral("FAMILIASARTICULOS"), QStringLiteral("MARCAS"), QStringLiteral("GAMAS"),
        QStringLiteral("FABRICANTES"), QStringLiteral("ARTICULOS_REF_A_VERIFICAR"),
        // Clients and what hangs from them, suppliers, and the masters created from codes.
        QStringLiteral("CLIENTES"), QStringLiteral("DOMICILIOSCOBRO"), QStringLiteral("DIRECCIONESENVIO"),
        QStringLiteral("PERSONASCONTACTO"), QStringLiteral("CLIENTESRUTAS"), QStringLiteral("AGENTESVENTA"),
        QStringLiteral("ZONAS"), QStringLiteral("RUTAS"), QStringLiteral("PROVEEDORES"),
        // Delivery notes, their lines, agents, lots and serial numbers, and the stock movements.
        QStringLiteral("ALBARANESVENTA"), QStringLiteral("LINEASALBARANVENTA"),
        QStringLiteral("AGENTESLINEASALBARANVENTA"), QStringLiteral("LOTESLINEAALBVENTA"),
        QStringLiteral("ALBARANESCOMPRA"), QStringLiteral("LINEASALBARANCOMPRA"),
        QStringLiteral("AGENTESLINEASALBARANCOMPRA"), QStringLiteral("LOTESLINEAALBCOMPRA"),
        QStringLiteral("LOTES"), QStringLiteral("NUMEROSSERIE"), QStringLiteral("MOVIMIENTOSNUMEROSSERIE"),
        QStringLiteral("MOVIMIENTOSALMACEN")};
    return tablas;
}

QString tablaDiario(const QString& tabla) {
    return QStringLiteral("QDD_") + sufijo(tabla);
}

QString disparadorDiario(const QString& tabla) {
    return QStringLiteral("QDJ_") + sufijo(tabla);
}

bool hayDiario(qd::fb::Attachment& conexion) {
    try {
        return !filas(conexion, QStringLiteral("SELECT FIRST 1 TABLA FROM QD_DIARIO_TABLAS"), {}).isEmpty();
    } catch (const std::exception&) {
        return false;
    }
}

void instalarDiario(qd::fb::Attachment& a) {
    const QString sqlTabla = QStringLiteral("SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = :P0");
    for (const QString& tabla : tablasDiario()) {
        if (!existe(a, sqlTabla, tabla)) continue;
        const QList<Columna> columnas = columnasDe(a, tabla);
        if (columnas.isEmpty()) continue;
        const QString disparador = textoDisparador(tabla, columnas, claveDe(a, tabla));
        QByteArray huella = disparador.toUtf8();
        for (const Columna& c : columnas)
            huella += '\n' + c.tipo.toUtf8();
        const QString firma =
            QString::fromLatin1(QCryptographicHash::hash(huella, QCryptographicHash::Sha256).toHex());
        const QString diario = tablaDiario(tabla);
        const QList<QVariantList> registrada =
            filas(a, QStringLiteral("SELECT FIRMA FROM QD_DIARIO_TABLAS WHERE TABLA = :P0"), {tabla});
        if (!registrada.isEmpty() && registrada[0][0].toString() == firma &&
            existe(a, QStringLiteral("SELECT 1 FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = :P0"),
                   disparadorDiario(tabla)))
            continue; // made before from the same columns

        if (!existe(a, sqlTabla, diario)) {
            QStringList definiciones{
                QStringLiteral("QD_ID INTEGER NOT NULL"), QStringLiteral("QD_IMPORTACION INTEGER NOT NULL"),
                QStringLiteral("QD_OPERACION CHAR(1) NOT NULL"), QStringLiteral("QD_IMAGEN CHAR(1) NOT NULL"),
                QStringLiteral("QD_TRANSACCION DOUBLE PRECISION")};
            for (const Columna& c : columnas)
                definiciones << c.nombre + QLatin1Char(' ') + c.tipo;
            ejecutarDdl(
                a,
                QStringLiteral("CREATE TABLE %1 (%2)").arg(diario, definiciones.join(QStringLiteral(", "))));
            // No index: one would cost the run more than the journal's own rows (the undo reads a run's
            // journal of a table in one pass, and each earlier image again by its record's address).
            ejecutarDdl(a, QStringLiteral("GRANT ALL ON %1 TO PUBLIC").arg(diario));
        } else {
            // Columns the table gained since: the journal gains them too.
            QStringList tiene;
            for (const Columna& c : columnasDe(a, diario))
                tiene << c.nombre;
            if (!tiene.contains(QStringLiteral("QD_TRANSACCION")))
                ejecutarDdl(a,
                            QStringLiteral("ALTER TABLE %1 ADD QD_TRANSACCION DOUBLE PRECISION").arg(diario));
            for (const Columna& c : columnas)
                if (!tiene.contains(c.nombre))
                    ejecutarDdl(a, QStringLiteral("ALTER TABLE %1 ADD %2 %3").arg(diario, c.nombre, c.tipo));
        }
        ejecutarDdl(a, disparador);
        qd::fb::Transaction t(&a);
        qd::fb::Statement s(&a, &t);
        s.setSql(QStringLiteral("UPDATE OR INSERT INTO QD_DIARIO_TABLAS (TABLA, DIARIO, FIRMA) "
                                "VALUES (:Tabla, :Diario, :Firma) MATCHING (TABLA)"));
        s.paramByName(QStringLiteral("Tabla")).setString(tabla);
        s.paramByName(QStringLiteral("Diario")).setString(diario);
        s.paramByName(QStringLiteral("Firma")).setString(firma);
        s.execute();
        t.commit();
    }
}

DiarioEnCurso::DiarioEnCurso(qd::fb::Attachment& conexion, int importacion) : conexion_(conexion) {
    poner(conexion_, importacion);
}

DiarioEnCurso::~DiarioEnCurso() {
    try {
        poner(conexion_, 0);
    } catch (const std::exception&) {
        // The connection is gone, and its session context with it.
    }
}

void DiarioEnCurso::poner(qd::fb::Attachment& conexion, int importacion) {
    if (!conexion.connected()) return;
    qd::fb::Transaction t(&conexion);
    qd::fb::Statement s(&conexion, &t);
    if (importacion > 0) {
        s.setSql(QStringLiteral("SELECT RDB$SET_CONTEXT('USER_SESSION', 'QD_IMPORTACION', CAST(:Id AS "
                                "VARCHAR(20))) FROM RDB$DATABASE"));
        s.paramByName(QStringLiteral("Id")).setString(QString::number(importacion));
    } else {
        s.setSql(QStringLiteral(
            "SELECT RDB$SET_CONTEXT('USER_SESSION', 'QD_IMPORTACION', NULL) FROM RDB$DATABASE"));
    }
    s.execute();
    s.close();
    t.commit();
}

} // namespace qd
