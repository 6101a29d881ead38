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

} // namespace prueba
