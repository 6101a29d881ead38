// What the client-family kinds of qdimport share.
#include "DatosClientes.h"

#include "ComunClientes.h"
#include "TipoImportacion.h"

namespace qd::cli {

QList<QCommandLineOption> opcionesDatosClientes(const QString& soloNuevos) {
    auto defecto = [](const char* nombre, const QString& que) {
        return QCommandLineOption(
            QString::fromLatin1(nombre),
            QStringLiteral("Clientes, direcciones y contactos: código de %1 por defecto "
                           "(si no, el de código más bajo, como en la ventana).")
                .arg(que),
            QStringLiteral("codigo"));
    };
    return {
        QCommandLineOption(QStringLiteral("solo-nuevos"), soloNuevos),
        defecto("def-grupo", QStringLiteral("grupo de empresas")),
        defecto("def-regimen-iva", QStringLiteral("régimen de IVA")),
        defecto("def-forma-pago", QStringLiteral("forma de pago")),
        defecto("def-tarifa", QStringLiteral("tarifa (del grupo de empresas)")),
        defecto("def-moneda", QStringLiteral("moneda")),
    };
}

qd::OpcionesClientes leerOpcionesClientes(TDatos& d, const QCommandLineParser& p) {
    qd::OpcionesClientes o;
    o.SoloNuevos = p.isSet(QStringLiteral("solo-nuevos"));
    try {
        o.defectos = ComunClientes(d).datosDefectoPorCodigo(
            p.value(QStringLiteral("def-grupo")), p.value(QStringLiteral("def-regimen-iva")),
            p.value(QStringLiteral("def-forma-pago")), p.value(QStringLiteral("def-tarifa")),
            p.value(QStringLiteral("def-moneda")));
    } catch (const qd::ErrorImportacion& e) {
        throw ErrorOpciones(e.texto());
    }
    return o;
}

qd::ResultadoMotor resultadoClientes(const qd::ResumenClientes& r) {
    qd::ResultadoMotor m = r.motor;
    m.filasConErrores = r.ConErrores; // never a plain success with refused rows
    return m;
}

qd::FieldList listaMarcada(qd::FieldList lista, const QCommandLineParser& p, const QString& tipo) {
    lista.setInitialTicks();
    if (!p.isSet(QStringLiteral("fields"))) return lista;
    lista.setAllChecked(false);
    for (const QString& nombre :
         p.value(QStringLiteral("fields")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int pos = lista.indexOf(nombre.trimmed().toUpper());
        if (pos < 0)
            throw ErrorOpciones(
                QStringLiteral("--fields: «%1» no es un campo de %2").arg(nombre.trimmed(), tipo));
        lista.setChecked(pos, true);
    }
    lista.applyRules();
    return lista;
}

} // namespace qd::cli
