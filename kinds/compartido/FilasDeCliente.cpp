// The loader and writer of the rows that belong to existing clients (delivery addresses and
// contacts).
#include "FilasDeCliente.h"

#include "FbError.h"
#include "Sheet.h"

#include <algorithm>
#include <utility>

namespace {

using qd::fb::Statement;

const QString kNombre = QStringLiteral("NOMBRE");
const QString kCliente = QStringLiteral("CLIENTE");
constexpr int kBuscarClientePorCodigo = 7; // BuscarID_Clientes: "SELECT IDCLIENTES as ID FROM CLIENTES"

} // namespace

void campoFilasCliente(TkvRxMemoryData& t, const char* nombre, TkvRxMemoryData::FieldType tipo, int tam,
                       const QString& etiqueta, bool requerido, bool visible) {
    t.addField({QString::fromLatin1(nombre), tipo, tam, etiqueta, {}, requerido, visible});
}

void cargarFilasCliente(ComunClientes& c, TkvRxMemoryData& t, const ClaseFilasCliente& clase) {
    TDatos& d = c.d;
    c.columnasBD.olvidar();
    const qd::wb::Sheet& hoja = d.hojaExcel();
    QSet<QString> cabeceras; // the columns the load reads: up to the first empty header, at most 50
    for (int c = 1; c <= std::min(d.Ultima_Columna_Excel(), 50) && !hoja.text(1, c).isEmpty(); ++c)
        cabeceras.insert(hoja.text(1, c).toUpper());
    if (d.Ultima_Fila_Excel() >= 2 && !hoja.text(2, 1).isEmpty())
        for (const QString& requerido : clase.requeridas) {
            const QString otra = requerido == kNombre && clase.otraColumnaNombre
                                     ? QString::fromLatin1(clase.otraColumnaNombre)
                                     : QString();
            if (cabeceras.contains(requerido) || (!otra.isEmpty() && cabeceras.contains(otra))) continue;
            throw qd::ErrorImportacion(
                QStringLiteral("El libro no tiene la columna %1, que necesitan %2; no se ha importado nada.")
                    .arg(otra.isEmpty() ? requerido
                                        : requerido + QStringLiteral(" (o ") + otra + QLatin1Char(')'),
                         QString::fromLatin1(clase.nombreDeTipo)));
        }

    const int campoCliente = t.fieldIndex(kCliente);
    const int campoNombre = t.fieldIndex(kNombre);
    int filaActual = 0;
    QString motivo; // why the row in progress is not kept
    d.Leer_Filas_Excel(
        t,
        [&](int fila, int columna, const QString& cabecera) {
            filaActual = fila;
            const QString texto = hoja.text(fila, columna);
            if (cabecera.compare(QLatin1String("COD_CLIENTE"), Qt::CaseInsensitive) == 0) {
                const std::optional<QString> esCodigo = d.Texto_Codigo(fila, columna);
                const QString codigo = esCodigo.value_or(texto.trimmed());
                if (const int admite = c.Codigo_No_Cabe(codigo, QStringLiteral("CLIENTES"))) {
                    // Never cut into another client's code.
                    TDatos::Poner_Valor_Staging(t, campoCliente, QVariant());
                    motivo = QStringLiteral("Columna %1: «%2» %3.")
                                 .arg(cabecera, codigo, ComunClientes::Texto_Codigo_Largo(codigo, admite));
                    return;
                }
                const QVariant id = esCodigo && !codigo.isEmpty()
                                        ? c.BuscarID_Clientes(kBuscarClientePorCodigo, codigo)
                                        : QVariant();
                TDatos::Poner_Valor_Staging(t, campoCliente, id);
                if (id.isNull())
                    motivo = QStringLiteral("Columna %1: «%2» no es el código de ningún cliente.")
                                 .arg(cabecera, codigo);
            } else if (const int i = t.fieldIndex(cabecera); i >= 0) {
                // An ID given directly (GRUPOEMPRESAS, CLIENTE) must be in its table.
                const QString que = c.Poner_Id_Staging(t, i, fila, columna);
                if (!que.isEmpty() && motivo.isEmpty())
                    motivo = QStringLiteral("Columna %1: «%2» %3.").arg(cabecera, texto.trimmed(), que);
            } else if (clase.otraColumnaNombre && cabecera == QLatin1String(clase.otraColumnaNombre)) {
                d.Poner_Valor_Celda(t, campoNombre, texto, fila, columna);
            } else if (clase.apellidos && cabecera == QLatin1String("APELLIDOS") &&
                       !texto.trimmed().isEmpty()) {
                // Name and surnames, with a blank between them.
                const QString nombre = t.value(campoNombre).toString().trimmed();
                d.Poner_Valor_Celda(t, campoNombre,
                                    nombre.isEmpty() ? texto.trimmed()
                                                     : nombre + QLatin1Char(' ') + texto.trimmed(),
                                    fila, columna);
            }
        },
        [&] {
            if (motivo.isEmpty() && t.value(campoCliente).isNull())
                motivo = QStringLiteral("Falta la columna COD_CLIENTE con el código del cliente.");
            if (motivo.isEmpty() && t.value(clase.segundaObligatoria).isNull())
                motivo = QStringLiteral("Falta la columna %1.").arg(clase.segundaObligatoria);
            // The name is the key a row is matched by: a blank one would match every blank name.
            if (motivo.isEmpty() && t.value(campoNombre).toString().trimmed().isEmpty())
                motivo = QStringLiteral("El nombre está vacío y es la clave que identifica la fila.");
            if (motivo.isEmpty()) return true;
            d.canal().incidence(
                QStringLiteral("Fila %1: %2 La fila no se carga.").arg(filaActual).arg(motivo));
            d.Anotar_Fila_No_Escrita(filaActual, std::exchange(motivo, QString()));
            return false;
        },
        true,
        [&](const QString& cabecera) {
            return cabecera.compare(QLatin1String("COD_CLIENTE"), Qt::CaseInsensitive) == 0 ||
                   t.fieldIndex(cabecera) >= 0 ||
                   (clase.otraColumnaNombre && cabecera == QLatin1String(clase.otraColumnaNombre)) ||
                   (clase.apellidos && cabecera == QLatin1String("APELLIDOS"));
        });
}

ComunClientes::ResumenClientes escribirFilasCliente(ComunClientes& c, TkvRxMemoryData& t,
                                                    const ClaseFilasCliente& clase, bool soloNuevos,
                                                    const qd::SentenciasSql& sentencias,
                                                    TDatos::TrasError trasError, int descartadas) {
    TDatos& d = c.d;
    ComunClientes::ResumenClientes r;
    r.Descartadas = descartadas;
    const QString tabla = QString::fromLatin1(clase.tabla);
    const QString clave = QString::fromLatin1(clase.clave);
    Statement buscar(&d.IBDatabase, &d.IBTransaction1);
    Statement insertar(&d.IBDatabase, &d.IBTransaction1);
    Statement actualizar(&d.IBDatabase, &d.IBTransaction1);
    buscar.setSql(QStringLiteral("SELECT %1 FROM %2 WHERE NOMBRE = :ParNombre AND CLIENTE = :ParCliente")
                      .arg(clave, tabla));
    insertar.setSql(sentencias.insert);
    actualizar.setSql(sentencias.update);
    const bool conTelefono = t.fieldIndex(QStringLiteral("TELEFONO")) >= 0;

    auto cuentas = [&r] { return ComunClientes::Cuentas_Clientes(r); };
    TDatos::RecorridoFilas recorrido;
    recorrido.cuentas = cuentas;
    recorrido.codigo = [&t] { return t.value(kNombre).toString(); };
    recorrido.trasError = trasError;
    recorrido.escribir = [&] {
        buscar.paramByName(QStringLiteral("ParNombre")).setVariant(t.value(kNombre));
        buscar.paramByName(QStringLiteral("ParCliente")).setVariant(t.value(kCliente));
        const int id = TDatos::Id_Encontrado(buscar);
        if (id != 0 && (soloNuevos || sentencias.update.isEmpty())) {
            if (soloNuevos) ++r.Omitidos;
            return;
        }
        Statement& sentencia = id != 0 ? actualizar : insertar;
        if (!sentencia.prepared()) sentencia.prepare();
        d.Enlazar_Fila(sentencia, t, clase.parametros, id != 0);
        // The contact's telephone is the column EXTENSION.
        if (conTelefono && sentencia.hasParam(QStringLiteral("EXTENSION")))
            sentencia.paramByName(QStringLiteral("EXTENSION"))
                .setVariant(id != 0 && d.Sin_Valor(t, QStringLiteral("TELEFONO"))
                                ? QVariant()
                                : t.value(QStringLiteral("TELEFONO")));
        if (id == 0) d.Exigir_En_Alta(t, {clase.segundaObligatoria});
        if (id != 0) sentencia.paramByName(QStringLiteral("OLD_") + clave).setInt(id);
        sentencia.execute();
        ++(id != 0 ? r.Actualizados : r.Nuevos);
    };
    const TDatos::FinRecorrido fin = d.Recorrer_Filas(t, recorrido);
    r.ConErrores = fin.conErrores;
    r.TotalRegistros = t.active() ? t.recNo() : 0;
    r.texto = d.Terminar_Resumen(cuentas(), fin.cancelado, &r.motor);
    d.canal().message(qd::MessageKind::Information, r.texto);
    return r;
}
