// TDatos: the steps every loader and writer shares (reading rows into a staging table, storing
// cells in staging fields, code lookups, binding, the end of a written row).
#include "TDatos.h"

#include "MotorFilas.h"
#include "SentenciasPreparadas.h"

#include "ErrorImportacion.h"
#include "FbError.h"
#include "Sheet.h"
#include "WorkbookError.h"

#include <QLocale>

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
                             const std::function<bool()>& conservar, bool hastaCabeceraVacia) {
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

    CargaHoja& carga = cargas_[&tabla];
    carga = CargaHoja{};
    for (int c = 1; c <= ultimaColumna; ++c)
        if (!cabeceras[static_cast<size_t>(c)].isEmpty())
            carga.cabeceras << cabeceras[static_cast<size_t>(c)];
    // Rows read with damage (a CSV with bytes that are not text) are read as well as can be; the
    // user is told which.
    for (const qd::wb::DamagedRow& d : hoja.damagedRows())
        canal().incidence(QStringLiteral("Fila %1: %2").arg(d.row).arg(d.reason));

    int leidas = 0;
    for (int r = 2; r <= ultimaFila; ++r) {
        if (hoja.isEmpty(r, 1) || hoja.text(r, 1).isEmpty()) break;
        tabla.append();
        for (int c = 1; c <= ultimaColumna; ++c) {
            const QString& cabecera = cabeceras[static_cast<size_t>(c)];
            if (!cabecera.isEmpty()) columna(r, c, cabecera);
        }
        if (conservar()) {
            tabla.post();
            carga.filas.push_back(r);
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
        Incidencia_Celda(fila, Cabecera_Columna(columna), hoja.text(fila, columna),
                         flotante ? QStringLiteral("no es un valor válido para el campo; se deja 0.")
                                  : QStringLiteral("no es un valor válido para el campo; se deja vacío."));
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
    const qd::wb::Sheet& hoja = hojaExcel();
    const QString codigo = hoja.text(fila, columna);
    if (id.isNull() && !codigo.trimmed().isEmpty())
        Incidencia_Celda(fila, Cabecera_Columna(columna), codigo,
                         QStringLiteral("no existe; se deja vacío."));
}

bool TDatos::Poner_Codigo_Staging(TkvRxMemoryData& tabla, int campo, int fila, int columna) {
    const int i = campo;
    if (i < 0 || i >= tabla.fieldCount()) return true;
    const qd::wb::Sheet& hoja = hojaExcel();
    const QString codigo = hoja.text(fila, columna).trimmed();
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
    switch (tabla.fieldDefs().at(i).type) {
    case T::String:
        // an empty cell stores an empty text, not null; a text is taken as it is
        valor = celda.type == C::Text ? celda.text : qd::wb::cellText(celda, QLocale());
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
            } else if (r.trasError != TrasError::Detener) {
                // The kind's own rule: the row is not written, the user is told and the loop
                // goes on.
                const QString texto = QStringLiteral("Fila %1: %2").arg(fila).arg(motivo);
                if (r.trasError == TrasError::Mostrar) canal().message(qd::MessageKind::Error, texto);
                canal().incidence(texto);
                Anotar_Fila_No_Escrita(fila, motivo);
                ++fin.conErrores;
            } else {
                // A stopping error names the workbook row (and column) it came from; what was
                // written before it stays written and its counts are kept for the caller.
                canal().progressClose();
                Resumen_Hasta_Error =
                    QStringLiteral("Escrito antes del error:\r\n") + (r.cuentas ? r.cuentas() : QString());
                Anotar_Fila_No_Escrita(fila, Texto_Error(e));
                if (u.errorEnFila) throw u.errorEnFila(e);
                throw qd::ErrorImportacion(QStringLiteral("Fila %1: %2").arg(fila).arg(Texto_Error(e)));
            }
        }
        progreso(i + 1);
        u.ir(i + 1);
        if (Fin_Fila_Escritura()) {
            fin.cancelado = true;
            break;
        }
    }
    canal().progressClose();
    escritura.terminar();
    return fin;
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
    QString texto = QStringLiteral("Proceso terminado.\r\n\r\nResumen del proceso:\r\n") + cuentas;
    if (cancelado) texto = QStringLiteral("Proceso cancelado por el usuario.\r\n\r\n") + texto;
    if (motor_) {
        if (resultado) *resultado = motor_->resultado();
        texto = motor_->resumen(texto);
    }
    Ultimo_Desenlace.resumen = texto;
    Ultimo_Desenlace.cancelado = cancelado;
    Ultimo_Desenlace.motor = motor_ ? motor_->resultado() : qd::ResultadoMotor{};
    return texto;
}
