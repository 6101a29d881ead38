#include "BdPrueba.h"

#include <stdexcept>

#include "FbStatement.h"
#include "TDatos.h"

static void iniciarRecursos() {
    Q_INIT_RESOURCE(upgrade);
}

namespace qd::test {

namespace {

void enlazar(qd::fb::Statement& s, const QVariantMap& parametros) {
    for (auto it = parametros.begin(); it != parametros.end(); ++it)
        s.paramByName(it.key()).setVariant(it.value());
}

} // namespace

BdPrueba::BdPrueba()
    : conexion_(bd_.attach()), transaccion_(std::make_unique<qd::fb::Transaction>(conexion_.get())) {
    iniciarRecursos();
}

BdPrueba::~BdPrueba() {
    if (transaccion_->active()) transaccion_->rollback();
}

void BdPrueba::ejecutar(const QString& sql, const QVariantMap& parametros) {
    qd::fb::Statement s(conexion_.get(), transaccion_.get());
    s.setSql(sql);
    enlazar(s, parametros);
    try {
        s.execute();
    } catch (...) {
        transaccion_->rollback();
        throw;
    }
    transaccion_->commit();
}

void BdPrueba::ejecutarSinParametros(const QString& sql) {
    qd::fb::Statement s(conexion_.get(), transaccion_.get());
    s.setParamCheck(false);
    s.setSql(sql);
    try {
        s.execute();
    } catch (...) {
        transaccion_->rollback();
        throw;
    }
    transaccion_->commit();
}

QVariant BdPrueba::valor(const QString& sql, const QVariantMap& parametros) {
    qd::fb::Statement s(conexion_.get(), transaccion_.get());
    s.setSql(sql);
    enlazar(s, parametros);
    s.execute();
    QVariant v = s.eof() ? QVariant() : s.field(0).asVariant();
    s.close();
    transaccion_->commit();
    return v;
}

QVariantMap BdPrueba::procedimiento(const QString& nombre, const QVariantMap& entradas) {
    QStringList parametros;
    {
        qd::fb::Statement s(conexion_.get(), transaccion_.get());
        s.setSql("SELECT TRIM(RDB$PARAMETER_NAME) FROM RDB$PROCEDURE_PARAMETERS "
                 "WHERE RDB$PROCEDURE_NAME = :P AND RDB$PARAMETER_TYPE = 0 ORDER BY RDB$PARAMETER_NUMBER");
        s.paramByName("P").setString(nombre);
        for (s.execute(); !s.eof(); s.next())
            parametros << ":" + s.field(0).asString();
        s.close();
    }
    for (auto it = entradas.begin(); it != entradas.end(); ++it)
        if (!parametros.contains(":" + it.key()))
            throw std::runtime_error("no such input: " + it.key().toStdString());
    qd::fb::Statement s(conexion_.get(), transaccion_.get());
    s.setSql("EXECUTE PROCEDURE " + nombre +
             (parametros.isEmpty() ? QString() : "(" + parametros.join(", ") + ")"));
    enlazar(s, entradas);
    QVariantMap salidas;
    try {
        s.execute();
        for (int i = 0; i < s.fieldCount(); ++i)
            salidas.insert(s.field(i).name().toUpper(), s.field(i).asVariant());
    } catch (...) {
        transaccion_->rollback();
        throw;
    }
    transaccion_->commit();
    return salidas;
}

QVariantMap BdPrueba::fila(const QString& sql, const QVariantMap& parametros) {
    qd::fb::Statement s(conexion_.get(), transaccion_.get());
    s.setSql(sql);
    enlazar(s, parametros);
    s.execute();
    QVariantMap r;
    if (!s.eof())
        for (int i = 0; i < s.fieldCount(); ++i)
            r.insert(s.field(i).name().toUpper(), s.field(i).asVariant());
    s.close();
    transaccion_->commit();
    return r;
}

QStringList BdPrueba::sentenciasActualizacion() {
    iniciarRecursos();
    return TDatos::sentenciasActualizacion();
}

std::vector<bool> BdPrueba::actualizar() {
    std::vector<bool> resultado;
    for (const QString& sql : sentenciasActualizacion()) {
        try {
            ejecutarSinParametros(sql);
            resultado.push_back(true);
        } catch (const std::exception&) {
            resultado.push_back(false);
        }
    }
    return resultado;
}

bool BdPrueba::existeProcedimiento(const QString& nombre) {
    return valor("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = :N", {{"N", nombre}})
               .toInt() == 1;
}

bool BdPrueba::existeTabla(const QString& nombre) {
    return valor("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = :N", {{"N", nombre}})
               .toInt() == 1;
}

std::string texto(const QVariantMap& fila) {
    QStringList partes;
    for (auto it = fila.begin(); it != fila.end(); ++it)
        partes << it.key() + "=" + (it.value().isNull() ? QStringLiteral("<null>") : it.value().toString());
    return partes.join("; ").toStdString();
}

} // namespace qd::test
