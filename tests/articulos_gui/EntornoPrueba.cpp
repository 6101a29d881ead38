#include "EntornoPrueba.h"

#include "FbStatement.h"
#include "FbTransaction.h"

namespace prueba {

Entorno::Entorno() {
    canal.setRecordEvents(false);
    datos.setCanal(&canal);
    qd::UserChannel::setCurrent(&canal);
    datos.Iniciar(1, 1, db.path(), 1, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                  QStringLiteral("ART"), 0, 0);
    datos.Conectar();
}

Entorno::~Entorno() {
    if (qd::UserChannel::current() == &canal) qd::UserChannel::setCurrent(nullptr);
    datos.setCanal(nullptr);
}

namespace {
void enlazar(qd::fb::Statement& s, const QVariantList& valores) {
    for (int i = 0; i < valores.size(); ++i)
        s.paramByName(QStringLiteral("P%1").arg(i)).setVariant(valores[i]);
}
} // namespace

void Entorno::ejecutar(const QString& sql, const QVariantList& valores) {
    qd::fb::Statement s(&datos.IBDatabase, &datos.IBTransaction1);
    s.setSql(sql);
    enlazar(s, valores);
    s.execute();
    datos.IBTransaction1.commitRetaining();
}

QVariant Entorno::valor(const QString& sql, const QVariantList& valores) {
    qd::fb::Statement s(&datos.IBDatabase, &datos.IBTransaction1);
    s.setSql(sql);
    enlazar(s, valores);
    s.execute();
    const QVariant v = s.eof() ? QVariant() : s.field(0).asVariant();
    s.close();
    return v;
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

} // namespace prueba
