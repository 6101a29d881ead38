// TDatos: the steps every loader and writer shares (reading rows into a staging table, storing
// cells in staging fields, code lookups, binding, the end of a written row).
#include "TDatos.h"

#include "AvisosLectura.h"
#include "MotorFilas.h"
#include "SentenciasPreparadas.h"

#include "ErrorImportacion.h"
#include "FbError.h"
#include "Sheet.h"
#include "WorkbookError.h"

#include <QLocale>

#include <cmath>

#include <vector>

QString TDatos::Texto_Error(const std::exception& e) {
    if (const auto* im = dynamic_cast<const qd::ErrorImportacion*>(&e)) return im->texto();
    if (const auto* fb = dynamic_cast<const qd::fb::Error*>(&e)) return fb->message();
    if (const auto* ds = dynamic_cast<const qd::DataSetError*>(&e)) return ds->text();
    if (const auto* wb = dynamic_cast<const qd::wb::Error*>(&e)) return wb->message();
    return QString::fromLocal8Bit(e.what());
}

int TDatos::Leer_Filas_Excel(TkvRxMemoryData& tabla,
                             const std::function<void(int, int, const QString&)>& columna,
                             const std::function<bool()>& conservar, bool hastaCabeceraVacia,
                             const std::function<bool(const QString&)>& conocida) {
    tabla.close();
    tabla.open();
    Filas_No_Escritas.clear();
    if (!hayExcel()) return 0;
    const qd::wb::Sheet& hoja = hojaExcel();
    const int ultimaFila = Ultima_Fila_Excel();
    // The sheet is held in memory and does not change while it is read, so the headers are
    // read once instead of once per row; every row sees the same headers either way.
    int ultimaColumna = Ultima_Columna_Excel();
    std::vector<QString> cabeceras(static_cast<size_t>(ultimaColumna) + 1);
    for (int c = 1; c <= ultimaColumna; ++c)
        cabeceras[static_cast<size_t>(c)] = hoja.text(1, c);
    if (hastaCabeceraVacia) {
        // These sheets end their columns at the first empty header, and at column 50.
        constexpr int kMaxColumnas = 50;
        int fin = 0;
        while (fin < std::min(ultimaColumna, kMaxColumnas) &&
               !cabeceras[static_cast<size_t>(fin) + 1].isEmpty())
            ++fin;
        QStringList fuera;
        for (int c = fin + 1; c <= ultimaColumna; ++c)
            if (!cabeceras[static_cast<size_t>(c)].isEmpty()) fuera << cabeceras[static_cast<size_t>(c)];
        if (!fuera.isEmpty())
            canal().incidence(
                QStringLiteral("Las columnas %1 no se leen: están después de una columna sin título o "
                               "más allá de la columna %2.")
                    .arg(fuera.join(QStringLiteral(", ")))
                    .arg(kMaxColumnas));
        ultimaColumna = fin;
    }

    // A title written twice would fill the same field twice, the last one winning: refused.
    QHash<QString, int> vistas;
    for (int c = 1; c <= ultimaColumna; ++c) {
        const QString clave = cabeceras[static_cast<size_t>(c)].toUpper();
        if (clave.isEmpty()) continue;
        if (const auto it = vistas.constFind(clave); it != vistas.constEnd())
            throw qd::ErrorImportacion(
                QStringLiteral("Las columnas %1 y %2 tienen el mismo título «%3»: deje solo una y cargue el "
                               "libro otra vez.")
                    .arg(qd::wb::columnLetters(it.value()), qd::wb::columnLetters(c),
                         cabeceras[static_cast<size_t>(c)]));
        vistas.insert(clave, c);
    }
    // Titles the kind does not read, told once before the rows are read.
    if (conocida) {
        QStringList desconocidas;
        for (int c = 1; c <= ultimaColumna; ++c) {
            const QString& cabecera = cabeceras[static_cast<size_t>(c)];
            if (!cabecera.isEmpty() && !conocida(cabecera)) desconocidas << cabecera;
        }
        if (!desconocidas.isEmpty())
            canal().incidence(
                QStringLiteral("Columnas que esta importación no conoce y no se leen (los títulos deben "
                               "escribirse como en la ayuda): %1.")
                    .arg(desconocidas.join(QStringLiteral(", "))));
    }

    CargaHoja& carga = cargas_[&tabla];
    carga = CargaHoja{};
    for (int c = 1; c <= ultimaColumna; ++c)
        if (!cabeceras[static_cast<size_t>(c)].isEmpty())
            carga.cabeceras << cabeceras[static_cast<size_t>(c)];
    qd::avisosLectura(hoja, canal());

    int leidas = 0;
    for (int r = 2; r <= ultimaFila; ++r) {
        if (hoja.isEmpty(r, 1) || hoja.text(r, 1).isEmpty()) break;
        tabla.append();
        for (int c = 1; c <= ultimaColumna; ++c) {
            const QString& cabecera = cabeceras[static_cast<size_t>(c)];
            if (!cabecera.isEmpty()) columna(r, c, cabecera);
        }
        tabla.marcarAusentes(); // what no column gave is kept as stored by an update
        if (conservar()) {
            // A field the record must have and the row does not give: the row is not loaded,
            // and the others are.
            QString falta;
            for (const auto& def : tabla.fieldDefs())
                if (def.required && tabla.value(def.name).isNull()) {
                    falta = def.label.isEmpty() ? def.name : def.label;
                    break;
                }
            if (falta.isEmpty()) {
                tabla.post();
                carga.filas.push_back(r);
            } else {
                tabla.cancel();
                const QString motivo =
                    QStringLiteral("falta un valor válido para «%1»; la fila no se carga.").arg(falta);
                canal().incidence(QStringLiteral("Fila %1: %2").arg(r).arg(motivo));
                Anotar_Fila_No_Escrita(r, motivo);
            }
        } else
            tabla.cancel();
        ++leidas;
        if (canal().processEventsAndCancelled()) break;
    }
    return leidas;
}

void TDatos::Poner_Valor_Staging(TkvRxMemoryData& tabla, int campo, const QVariant& valor) {
    const int i = campo;
    if (i < 0 || i >= tabla.fieldCount()) return;
    try {
        tabla.setValue(i, valor);
    } catch (const qd::DataSetError&) {
        const auto tipo = tabla.fieldDefs().at(i).type;
        const bool flotante =
            tipo == TkvRxMemoryData::FieldType::Float || tipo == TkvRxMemoryData::FieldType::Currency;
        tabla.setValue(i, flotante ? QVariant(0.0) : QVariant());
    }
}

QString TDatos::Texto_Incidencia(int fila, const QString& cabecera, const QString& valor,
                                 const QString& que) {
    return QStringLiteral("Fila %1, columna %2: «%3» %4").arg(fila).arg(cabecera, valor, que);
}

QString TDatos::Cabecera_Columna(int columna) const {
    return hojaExcel().text(filaTitulos_, columna);
}

void TDatos::Incidencia_Celda(int fila, const QString& cabecera, const QString& valor, const QString& que) {
    canal().incidence(Texto_Incidencia(fila, cabecera, valor, que));
}

void TDatos::Poner_Valor_Celda(TkvRxMemoryData& tabla, int campo, const QVariant& valor, int fila,
                               int columna) {
    const int i = campo;
    if (i < 0 || i >= tabla.fieldCount()) return;
    const auto& def = tabla.fieldDefs().at(i);
    const qd::wb::Sheet& hoja = hojaExcel();
    try {
        tabla.setValue(i, valor);
    } catch (const qd::DataSetError&) {
        const bool flotante =
            def.type == TkvRxMemoryData::FieldType::Float || def.type == TkvRxMemoryData::FieldType::Currency;
        tabla.setValue(i, flotante ? QVariant(0.0) : QVariant());
        tabla.marcar(i, TkvRxMemoryData::SinValor::NoValida);
        Incidencia_Celda(fila, Cabecera_Columna(columna), hoja.text(fila, columna),
                         QStringLiteral("no es un valor válido para el campo; no se escribe."));
        return;
    }
    if (def.type == TkvRxMemoryData::FieldType::String && def.size > 0 &&
        valor.typeId() == QMetaType::QString) {
        const QString texto = valor.toString();
        if (texto.size() > def.size)
            Incidencia_Celda(
                fila, Cabecera_Columna(columna), texto,
                QStringLiteral("tiene %1 caracteres y se corta a %2.").arg(texto.size()).arg(def.size));
    }
}

void TDatos::Poner_Busqueda_Staging(TkvRxMemoryData& tabla, int campo, const QVariant& id, int fila,
                                    int columna) {
    Poner_Valor_Staging(tabla, campo, id);
    if (campo < 0 || campo >= tabla.fieldCount() || !id.isNull()) return;
    const qd::wb::Cell celda = hojaExcel().cell(fila, columna);
    const bool vacia = celda.type == qd::wb::CellType::Empty ||
                       (celda.type == qd::wb::CellType::Text && celda.text.trimmed().isEmpty());
    // Not found: a new record takes it empty, an update leaves the stored one.
    tabla.marcar(campo, vacia ? TkvRxMemoryData::SinValor::Vacia : TkvRxMemoryData::SinValor::NoValida);
    if (!vacia && celda.type != qd::wb::CellType::Date && celda.type != qd::wb::CellType::Boolean &&
        celda.type != qd::wb::CellType::Error)
        Incidencia_Celda(fila, Cabecera_Columna(columna), hojaExcel().text(fila, columna),
                         QStringLiteral("no existe; no se escribe."));
}

std::optional<QString> TDatos::Texto_Codigo(int fila, int columna) {
    const qd::wb::Cell celda = hojaExcel().cell(fila, columna);
    using C = qd::wb::CellType;
    switch (celda.type) {
    case C::Empty:
        return QString();
    case C::Text:
        return celda.text.trimmed();
    case C::Number: {
        // A code typed as a number is its digits: no exponent, no ".0". Past 15 digits a number
        // has lost its last ones: refused rather than guessed.
        constexpr double kExacto = 1e15;
        if (std::isfinite(celda.number) && celda.number == std::floor(celda.number) &&
            std::fabs(celda.number) < kExacto)
            return QString::number(qint64(celda.number));
        if (std::isfinite(celda.number) && std::fabs(celda.number) < kExacto)
            return QString::number(celda.number, 'g', 15);
        Incidencia_Celda(fila, Cabecera_Columna(columna), hojaExcel().text(fila, columna),
                         QStringLiteral("es un número de más de 15 cifras y ha perdido las últimas; "
                                        "escriba el código como texto. No se usa."));
        return std::nullopt;
    }
    case C::Date:
    case C::Boolean:
    case C::Error:
        break;
    }
    Incidencia_Celda(fila, Cabecera_Columna(columna), hojaExcel().text(fila, columna),
                     celda.type == C::Date ? QStringLiteral("es una fecha, no un código; no se usa.")
                     : celda.type == C::Boolean
                         ? QStringLiteral("es un valor lógico, no un código; no se usa.")
                         : QStringLiteral("es un error de fórmula, no un código; no se usa."));
    return std::nullopt;
}

bool TDatos::Poner_Codigo_Staging(TkvRxMemoryData& tabla, int campo, int fila, int columna) {
    const int i = campo;
    if (i < 0 || i >= tabla.fieldCount()) return true;
    const std::optional<QString> texto = Texto_Codigo(fila, columna);
    if (!texto) {
        Anotar_Fila_No_Escrita(fila, QStringLiteral("Columna %1: «%2» no es un código.")
                                         .arg(Cabecera_Columna(columna), hojaExcel().text(fila, columna)));
        return false;
    }
    const QString& codigo = *texto;
    if (codigo.isEmpty()) {
        // A blank key matches nothing, and would match every record whose key is blank.
        const QString que =
            QStringLiteral("está vacía y es la clave que identifica el registro; la fila no se "
                           "carga.");
        Incidencia_Celda(fila, Cabecera_Columna(columna), codigo, que);
        Anotar_Fila_No_Escrita(fila, QStringLiteral("Columna %1: %2").arg(Cabecera_Columna(columna), que));
        return false;
    }
    const int tam = tabla.fieldDefs().at(i).size;
    if (tam > 0 && codigo.size() > tam) {
        const QString que = QStringLiteral("tiene %1 caracteres y el código admite %2; la fila no se carga.")
                                .arg(codigo.size())
                                .arg(tam);
        Incidencia_Celda(fila, Cabecera_Columna(columna), codigo, que);
        Anotar_Fila_No_Escrita(
            fila, QStringLiteral("Columna %1: «%2» %3").arg(Cabecera_Columna(columna), codigo, que));
        return false;
    }
    tabla.setValue(i, codigo);
    return true;
}

QStringList TDatos::Cabeceras_Cargadas(const TkvRxMemoryData& tabla) const {
    return cargas_.value(&tabla).cabeceras;
}

QSet<QString> TDatos::Cabeceras_Presentes(const TkvRxMemoryData& tabla) const {
    QSet<QString> presentes;
    for (const QString& c : Cabeceras_Cargadas(tabla))
        presentes.insert(c.toUpper());
    return presentes;
}

void TDatos::Ordenar_Staging(TkvRxMemoryData& tabla, const QStringList& campos) {
    tabla.sort(campos);
    // Each record keeps the sheet row it was read from.
    auto it = cargas_.find(&tabla);
    if (it == cargas_.end() || it->filas.size() != tabla.ultimoOrden().size()) return;
    std::vector<int> filas(it->filas.size());
    for (std::size_t i = 0; i < filas.size(); ++i)
        filas[i] = it->filas[tabla.ultimoOrden()[i]];
    it->filas = std::move(filas);
}

int TDatos::Fila_Hoja(const TkvRxMemoryData& tabla, int recNo) const {
    const auto it = cargas_.constFind(&tabla);
    if (it == cargas_.constEnd() || recNo < 1 || recNo > int(it->filas.size())) return 0;
    return it->filas[static_cast<size_t>(recNo - 1)];
}

QString TDatos::Cabecera_Campo(const TkvRxMemoryData& tabla, const QString& campo) const {
    for (const QString& c : Cabeceras_Cargadas(tabla))
        if (c.compare(campo, Qt::CaseInsensitive) == 0) return c;
    return campo;
}

void TDatos::Avisar_Campos_Ausentes(const qd::SentenciasSql& sentencias) {
    if (sentencias.ausentesUpdate.isEmpty()) return;
    QString texto = QStringLiteral("Campos marcados que no están en el libro y no se actualizan: %1.")
                        .arg(sentencias.ausentesUpdate.join(QStringLiteral(", ")));
    if (sentencias.update.isEmpty())
        texto += QStringLiteral(" Ningún campo marcado está en el libro: no se actualiza ningún registro.");
    canal().status(texto);
    canal().incidence(texto);
}

qd::ErrorImportacion TDatos::Error_En_Fila(const std::exception& e, const TkvRxMemoryData& tabla,
                                           const QString& parametro) const {
    QString campo = parametro;
    if (const auto* fb = dynamic_cast<const qd::fb::Error*>(&e); fb && campo.isEmpty())
        campo = fb->parameter();
    const int fila = Fila_Hoja(tabla, tabla.recNo());
    QString donde = fila > 0 ? QStringLiteral("Fila %1").arg(fila) : QString();
    // A lock or update conflict (another program writing the same record) also names the code.
    if (const auto* fb = dynamic_cast<const qd::fb::Error*>(&e);
        fb && fb->isLockConflict() && !donde.isEmpty() && tabla.fieldIndex(QStringLiteral("CODIGO")) >= 0)
        donde += QStringLiteral(" (código %1)").arg(tabla.value(QStringLiteral("CODIGO")).toString());
    if (!campo.isEmpty() && tabla.fieldIndex(campo) >= 0) {
        if (!donde.isEmpty()) donde += QStringLiteral(", ");
        donde += QStringLiteral("columna ") + Cabecera_Campo(tabla, campo);
    }
    return qd::ErrorImportacion(donde.isEmpty() ? Texto_Error(e)
                                                : donde + QStringLiteral(": ") + Texto_Error(e));
}

void TDatos::Poner_Celda_Staging(TkvRxMemoryData& tabla, int campo, int fila, int columna) {
    const int i = campo;
    if (i < 0 || i >= tabla.fieldCount()) return;
    const qd::wb::Sheet& hoja = hojaExcel();
    const qd::wb::Cell celda = hoja.cell(fila, columna); // built once: every case reads this one
    using T = TkvRxMemoryData::FieldType;
    using C = qd::wb::CellType;
    QVariant valor;
    const bool vacia = celda.type == C::Empty || (celda.type == C::Text && celda.text.trimmed().isEmpty());
    switch (tabla.fieldDefs().at(i).type) {
    case T::String:
        // an empty cell stores an empty text, not null; a text is taken as it is; a whole
        // number is its digits
        if (celda.type == C::Date || celda.type == C::Boolean || celda.type == C::Error) {
            tabla.setValue(i, QString());
            tabla.marcar(i, TkvRxMemoryData::SinValor::NoValida);
            Incidencia_Celda(
                fila, Cabecera_Columna(columna), hoja.text(fila, columna),
                celda.type == C::Date ? QStringLiteral("es una fecha en una columna de texto; no "
                                                       "se escribe (escríbala como texto).")
                : celda.type == C::Boolean
                    ? QStringLiteral("es un valor lógico en una columna de texto; no se escribe.")
                    : QStringLiteral("es un error de fórmula; no se escribe."));
            return;
        }
        if (celda.type == C::Number) {
            const std::optional<QString> digitos = Texto_Codigo(fila, columna);
            if (!digitos) {
                tabla.setValue(i, QString());
                tabla.marcar(i, TkvRxMemoryData::SinValor::NoValida);
                return;
            }
            valor = *digitos;
        } else {
            valor = celda.type == C::Text ? celda.text : QString();
        }
        break;
    case T::Integer:
    case T::SmallInt:
    case T::Float:
    case T::Currency:
        switch (celda.type) {
        case C::Empty:
            valor = 0.0;
            break; // an empty cell stores 0, not null
        case C::Number:
        case C::Date:
            valor = celda.number;
            break;
        case C::Boolean:
            valor = celda.boolean ? 1.0 : 0.0;
            break;
        case C::Text:
        case C::Error:
            valor = celda.text;
            break; // the field decides whether it can take it
        }
        break;
    case T::DateTime:
        valor = celda.type == C::Empty ? QVariant() : qd::wb::cellValue(celda);
        if (celda.type == C::Number) valor = qd::wb::serialToDateTime(celda.number);
        break;
    case T::Boolean:
        valor = qd::wb::cellValue(celda);
        break;
    }
    Poner_Valor_Celda(tabla, campo, valor, fila, columna);
    if (vacia && tabla.sinValor(i) == TkvRxMemoryData::SinValor::No)
        tabla.marcar(i, TkvRxMemoryData::SinValor::Vacia);
}

void TDatos::Enlazar_Fila(qd::fb::Statement& sentencia, const TkvRxMemoryData& tabla,
                          const QStringList& nombres, bool actualizacion,
                          const std::function<void(const QString& nombre)>& sinParametro,
                          const std::function<std::optional<QVariant>(const QString& nombre)>& sustituto) {
    Enlazar_Desde_Staging(sentencia, tabla, nombres, sinParametro, sustituto);
    if (!actualizacion) return;
    // An update leaves a stored value as it is where the row gives none: the statement's
    // COALESCE(:X, X) keeps it when X is bound null.
    const bool vaciar = motor_ != nullptr && motor_->opciones().vaciar;
    for (const QString& nombre : nombres) {
        if (!sentencia.hasParam(nombre)) continue;
        const int campo = tabla.fieldIndex(nombre);
        if (campo < 0) continue;
        const TkvRxMemoryData::SinValor marca = tabla.sinValor(campo);
        if (marca == TkvRxMemoryData::SinValor::No || (vaciar && marca == TkvRxMemoryData::SinValor::Vacia))
            continue;
        sentencia.paramByName(nombre).setNull();
    }
}

bool TDatos::Sin_Valor(const TkvRxMemoryData& tabla, const QString& campo) const {
    const int i = tabla.fieldIndex(campo);
    if (i < 0) return true;
    const TkvRxMemoryData::SinValor marca = tabla.sinValor(i);
    if (marca == TkvRxMemoryData::SinValor::No) return false;
    return !(marca == TkvRxMemoryData::SinValor::Vacia && motor_ != nullptr && motor_->opciones().vaciar);
}

void TDatos::Exigir_En_Alta(const TkvRxMemoryData& tabla, const QStringList& campos) const {
    for (const QString& campo : campos) {
        const int i = tabla.fieldIndex(campo);
        if (i < 0) continue;
        const bool vacio = tabla.sinValor(i) != TkvRxMemoryData::SinValor::No ||
                           tabla.value(i).toString().trimmed().isEmpty();
        if (vacio)
            throw qd::FilaRechazada(
                QStringLiteral("columna %1: un registro nuevo necesita un valor; la fila no "
                               "se escribe.")
                    .arg(Cabecera_Campo(tabla, campo)));
    }
}

int TDatos::Id_Encontrado(qd::fb::Statement& busqueda) {
    busqueda.execute();
    const int id = busqueda.eof() || busqueda.field(0).isNull() ? 0 : int(busqueda.field(0).asInt());
    busqueda.close();
    return id;
}

QVariant TDatos::Buscar_ID_Codigo(const QString& SelectBusqueda, const QString& Codigo) {
    QVariant id;
    try {
        Consulta.close();
        const QString texto = SelectBusqueda + QStringLiteral(" WHERE (CODIGO = :ParCodigo)");
        if (Consulta.sql() != texto) Consulta.setSql(texto);
        Consulta.paramByName(QStringLiteral("ParCodigo")).setString(Codigo);
        Consulta.open();
        if (!Consulta.eof()) id = Consulta.fieldByName(QStringLiteral("ID")).asVariant();
        Consulta.close();
    } catch (const std::exception&) {
        // A lookup that fails gives null, without a message.
        id = QVariant();
        try {
            Consulta.close();
        } catch (const std::exception&) {
        }
    }
    return id;
}

namespace {
SentenciasPreparadas* sentenciasActuales = nullptr;
} // namespace

SentenciasPreparadas::SentenciasPreparadas(TDatos& d) : d_(d), previo_(sentenciasActuales) {
    sentenciasActuales = this;
}

SentenciasPreparadas::~SentenciasPreparadas() {
    sentenciasActuales = previo_;
}

SentenciasPreparadas* SentenciasPreparadas::de(const TDatos& d) {
    return sentenciasActuales != nullptr && &sentenciasActuales->d_ == &d ? sentenciasActuales : nullptr;
}

qd::fb::Statement& SentenciasPreparadas::sentencia(const QString& sql) {
    std::unique_ptr<qd::fb::Statement>& s = sentencias_[sql];
    if (!s) {
        s = std::make_unique<qd::fb::Statement>(&d_.IBDatabase, &d_.IBTransaction1);
        s->setSql(sql);
    }
    s->close();
    for (int i = 0; i < s->paramCount(); ++i)
        s->param(i).setNull();
    return *s;
}

qd::fb::Statement& SentenciasPreparadas::para(TDatos& d, std::optional<qd::fb::Statement>& propia,
                                              const QString& sql) {
    if (SentenciasPreparadas* s = de(d)) return s->sentencia(sql);
    propia.emplace(&d.IBDatabase, &d.IBTransaction1).setSql(sql);
    return *propia;
}

void TDatos::Ejecutar_Sentencia(const QString& sql, const QList<QPair<QString, QVariant>>& parametros) {
    std::optional<qd::fb::Statement> propia;
    qd::fb::Statement& sentencia = SentenciasPreparadas::para(*this, propia, sql);
    for (const auto& [nombre, valor] : parametros)
        sentencia.paramByName(nombre).setVariant(valor);
    IBTransaction1.ensureStarted();
    sentencia.execute();
}

void TDatos::Enlazar_Desde_Staging(
    qd::fb::Statement& sentencia, const TkvRxMemoryData& tabla, const QStringList& nombres,
    const std::function<void(const QString& nombre)>& sinParametro,
    const std::function<std::optional<QVariant>(const QString& nombre)>& sustituto) {
    for (const QString& nombre : nombres) {
        if (!sentencia.hasParam(nombre)) {
            if (sinParametro) sinParametro(nombre);
            continue;
        }
        qd::fb::Param& parametro = sentencia.paramByName(nombre);
        try {
            parametro.setVariant(tabla.value(nombre));
        } catch (qd::fb::Error& e) {
            const std::optional<QVariant> otro = sustituto ? sustituto(nombre) : std::nullopt;
            if (!otro) {
                if (e.parameter().isEmpty()) e.setParameter(nombre);
                throw;
            }
            parametro.setVariant(*otro);
        }
    }
}

QString TDatos::Texto_Falta_Parametro(qd::fb::Statement& sentencia, const QString& nombre) {
    try {
        sentencia.paramByName(nombre);
    } catch (const qd::fb::Error& e) {
        return e.message();
    }
    return {};
}

bool TDatos::Fin_Fila_Escritura() {
    if (motor_ != nullptr)
        motor_->filaTerminada();
    else if (IBTransaction1.active())
        IBTransaction1.commitRetaining();
    return canal().processEventsAndCancelled();
}

TDatos::FinEscritura::~FinEscritura() {
    if (terminado_) return;
    if (motor_ != nullptr) {
        motor_->terminarEnSilencio();
        return;
    }
    try {
        if (t_.active()) t_.commit();
    } catch (const std::exception&) {
        // The error that stopped the loop is the one the caller must see.
    }
}

void TDatos::FinEscritura::terminar() {
    terminado_ = true;
    if (motor_ != nullptr)
        motor_->terminar();
    else if (t_.active())
        t_.commit();
}

void TDatos::Empezar_Carga() {
    if (cargaPendiente_) return; // a second load adds to the first one's pending work
    // What the shared transaction holds from before is not the load's work.
    if (IBTransaction1.active()) IBTransaction1.commitRetaining();
    cargaPendiente_.emplace(IBTransaction1);
}

void TDatos::Terminar_Carga(bool descartar) {
    if (!cargaPendiente_) return;
    cargaPendiente_.reset();
    if (!IBTransaction1.active()) return;
    if (descartar)
        IBTransaction1.rollbackRetaining();
    else
        IBTransaction1.commitRetaining();
}

QString TDatos::textoSinConexion() {
    return QStringLiteral("El módulo no está conectado a la base de datos. Ciérrelo y vuelva a abrirlo "
                          "desde Quenda SQL.");
}

void TDatos::Exigir_Conexion() const {
    if (!IBDatabase.connected()) throw qd::ErrorImportacion(textoSinConexion());
    if (!errorLanzamiento_.isEmpty()) throw qd::ErrorImportacion(errorLanzamiento_);
}

void TDatos::Anotar_Fila_No_Escrita(int fila, const QString& motivo) {
    Filas_No_Escritas.push_back({fila, motivo});
}

void TDatos::Aviso_Fila(const std::exception& e, const TkvRxMemoryData& tabla, const QString& codigo) {
    const QString texto = QStringLiteral("Fila %1 (código %2): %3")
                              .arg(Fila_Hoja(tabla, tabla.recNo()))
                              .arg(codigo, Texto_Error(e));
    canal().message(qd::MessageKind::Warning, texto);
    const auto* fb = dynamic_cast<const qd::fb::Error*>(&e);
    if (fb != nullptr && fb->isLockConflict() && motor_ != nullptr) motor_->errorSecundario(texto);
}

TDatos::FinRecorrido TDatos::Recorrer_Filas(TkvRxMemoryData& t, const RecorridoFilas& r) {
    Unidades u;
    u.total = t.active() ? t.recordCount() : 0;
    u.ir = [&t](int i) {
        if (i == 0)
            t.first();
        else
            t.next(); // past the last one it stays there, at the end
    };
    u.filaLibro = [this, &t] { return Fila_Hoja(t, t.recNo()); };
    u.errorEnFila = [this, &t](const std::exception& e) { return Error_En_Fila(e, t); };
    return Recorrer_Unidades(u, r);
}

TDatos::FinRecorrido TDatos::Recorrer_Unidades(const Unidades& u, const RecorridoFilas& r) {
    FinRecorrido fin;
    // Progress: a step every `paso` rows, about a hundred steps whatever the size of the run.
    const int total = u.total;
    const int paso = std::max(1, total / 100);
    canal().progressOpen(total / paso + (total % paso != 0 ? 1 : 0));
    auto progreso = [&](int hechas) {
        if (hechas % paso == 0 || hechas == total)
            canal().progressStep(QStringLiteral("Fila %1 de %2. Pulse Ctrl+Alt+C para cancelar el proceso.")
                                     .arg(hechas)
                                     .arg(total));
    };
    Resumen_Hasta_Error.clear();
    FinEscritura escritura(IBTransaction1, motor_);
    // The engine's incidences and its list of rows not written name the workbook row.
    if (motor_) motor_->filaLibro = u.filaLibro;

    if (total > 0) u.ir(0);
    for (int i = 0; i < total; ++i) {
        try {
            IBTransaction1.ensureStarted();
            if (motor_) motor_->empezarFila();
            r.escribir();
        } catch (const qd::FilaRechazada& e) {
            // The kind's own rules refused the row: undone, told, not written; the loop goes on.
            if (motor_ != nullptr) {
                motor_->filaRechazada(e.texto());
            } else {
                const int fila = u.filaLibro ? u.filaLibro() : i + 1;
                canal().incidence(QStringLiteral("Fila %1: %2").arg(fila).arg(e.texto()));
                Anotar_Fila_No_Escrita(fila, e.texto());
            }
            ++fin.conErrores;
        } catch (const std::exception& e) {
            // A lock or update conflict (another program on the same record) names the code too.
            const auto* fb = dynamic_cast<const qd::fb::Error*>(&e);
            const QString codigo = r.codigo ? r.codigo() : QString();
            const QString motivo =
                (fb && fb->isLockConflict() && !codigo.isEmpty() ? QStringLiteral("código %1: ").arg(codigo)
                                                                 : QString()) +
                Texto_Error(e);
            const int fila = u.filaLibro ? u.filaLibro() : i + 1;
            if (motor_ != nullptr && motor_->filaFallida(motivo)) {
                // Undone by the engine, listed, and the loop goes on.
                ++fin.conErrores;
            } else if (r.trasError != TrasError::Detener) {
                // The kind's own rule: the row is not written, the user is told and the loop
                // goes on. The engine's result lists it with the others (one count of rows not
                // written for the summary, the exit code and the export).
                const QString texto = QStringLiteral("Fila %1: %2").arg(fila).arg(motivo);
                if (r.trasError == TrasError::Mostrar) canal().message(qd::MessageKind::Error, texto);
                canal().incidence(texto);
                if (motor_ != nullptr)
                    motor_->anotarNoEscrita(motivo);
                else
                    Anotar_Fila_No_Escrita(fila, motivo);
                ++fin.conErrores;
            } else {
                // A stopping error names the workbook row (and column) it came from; what was
                // written before it stays written and its counts are kept for the caller.
                canal().progressClose();
                Resumen_Hasta_Error =
                    QStringLiteral("Escrito antes del error:\r\n") + (r.cuentas ? r.cuentas() : QString());
                Anotar_Fila_No_Escrita(fila, Texto_Error(e));
                const qd::ErrorImportacion error =
                    u.errorEnFila
                        ? u.errorEnFila(e)
                        : qd::ErrorImportacion(QStringLiteral("Fila %1: %2").arg(fila).arg(Texto_Error(e)));
                Anotar_No_Procesadas(
                    u, i + 1,
                    QStringLiteral("No procesada: la importación se detuvo en la fila %1.").arg(fila));
                throw error;
            }
        }
        progreso(i + 1);
        const int filaHecha = u.filaLibro ? u.filaLibro() : i + 1;
        u.ir(i + 1);
        if (Fin_Fila_Escritura()) {
            fin.cancelado = true;
            Anotar_No_Procesadas(
                u, i + 1,
                QStringLiteral("No procesada: la importación se canceló tras la fila %1.").arg(filaHecha),
                true);
            break;
        }
    }
    canal().progressClose();
    escritura.terminar();
    return fin;
}

void TDatos::Anotar_No_Procesadas(const Unidades& u, int desde, const QString& motivo, bool yaEnDesde) {
    // What a stop or a cancel left unprocessed is not written either: listed, so that the export
    // of rows not written holds every row still to import.
    for (int j = desde; j < u.total; ++j) {
        if (j > desde || !yaEnDesde) u.ir(j);
        Anotar_Fila_No_Escrita(u.filaLibro ? u.filaLibro() : j + 1, motivo);
    }
}

QString TDatos::Texto_Resumen(const QList<QPair<QString, int>>& cuentas) {
    QString texto;
    for (const auto& [nombre, n] : cuentas) {
        if (!texto.isEmpty()) texto += QStringLiteral("\r\n");
        texto += nombre + QStringLiteral(": ") + QString::number(n);
    }
    return texto;
}

QString TDatos::Terminar_Resumen(const QString& cuentas, bool cancelado, qd::ResultadoMotor* resultado) {
    // A cancelled run is not a finished one: it says so instead.
    QString texto = (cancelado ? QStringLiteral("Proceso cancelado por el usuario.")
                               : QStringLiteral("Proceso terminado.")) +
                    QStringLiteral("\r\n\r\nResumen del proceso:\r\n") + cuentas;
    if (motor_) {
        if (resultado) *resultado = motor_->resultado();
        texto = motor_->resumen(texto);
    }
    Ultimo_Desenlace.resumen = texto;
    Ultimo_Desenlace.cancelado = cancelado;
    Ultimo_Desenlace.motor = motor_ ? motor_->resultado() : qd::ResultadoMotor{};
    return texto;
}
