#include "ConsultasPrueba.h"

#include <QFile>
#include <QRegularExpression>

#include "FbAttachment.h"
#include "FbStatement.h"
#include "FbTransaction.h"

namespace qd::test {

QList<QVariantList> consultar(qd::fb::Attachment& a, const QString& sql) {
    qd::fb::Transaction t(&a);
    QList<QVariantList> filas;
    {
        qd::fb::Statement s(&a, &t);
        s.setSql(sql);
        s.execute();
        while (!s.eof()) {
            QVariantList fila;
            for (int i = 0; i < s.fieldCount(); ++i)
                fila << s.field(i).asVariant();
            filas << fila;
            s.next();
        }
        s.close();
    }
    t.commit();
    return filas;
}

void ejecutar(qd::fb::Attachment& a, const QString& sql) {
    qd::fb::Transaction t(&a);
    {
        qd::fb::Statement s(&a, &t);
        s.setSql(sql);
        s.execute();
    }
    t.commit();
}

QStringList sentenciasScript(const QString& texto) {
    QStringList lineas;
    for (const QString& l : texto.split(QLatin1Char('\n')))
        if (!l.trimmed().startsWith(QStringLiteral("--"))) lineas << l;
    QStringList resultado;
    for (const QString& s :
         lineas.join(QLatin1Char('\n')).split(QRegularExpression(QStringLiteral(";\\s*(\\n|$)"))))
        if (!s.trimmed().isEmpty()) resultado << s.trimmed();
    return resultado;
}

QString leerTexto(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

QStringList volcarTabla(const QString& rutaBd, const QString& tabla, const QStringList& omitir) {
    qd::fb::Attachment a;
    a.setDatabaseName(rutaBd);
    a.params() << QStringLiteral("USER_NAME=SYSDBA") << QStringLiteral("PASSWORD=masterkey")
               << QStringLiteral("lc_ctype=ISO8859_1");
    a.open();
    QStringList filas;
    {
        qd::fb::Transaction t(&a);
        qd::fb::Statement s(&a, &t);
        s.setSql(QStringLiteral("SELECT * FROM ") + tabla + QStringLiteral(" ORDER BY 1"));
        s.execute();
        while (!s.eof()) {
            QStringList partes;
            for (int i = 0; i < s.fieldCount(); ++i) {
                const QString nombre = s.field(i).name();
                bool fuera = false;
                for (const QString& o : omitir)
                    fuera = fuera || nombre.startsWith(o, Qt::CaseInsensitive);
                if (fuera) continue;
                const QVariant v = s.field(i).asVariant();
                partes << nombre + QLatin1Char('=') + (v.isNull() ? QStringLiteral("<null>") : v.toString());
            }
            filas << partes.join(QLatin1Char('|'));
            s.next();
        }
        s.close();
        t.commit();
    }
    a.close();
    return filas;
}

} // namespace qd::test
