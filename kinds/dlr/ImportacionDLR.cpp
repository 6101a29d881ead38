// The confirmation of sales delivery notes from a logistics operator's (DLR) preparation
// report. The staging table kvRxMDAlbaranesDLR, sorted by order and article so that the rows of one
// delivery-note line form a group; the check of every row (delivery note by series and number,
// article, lot, one line of the article, lot not linked yet) and of every group (units prepared
// against units ordered); and, unless only checking, the lots of each good group attached to its
// line and every delivery note whose lines all check out marked as completed.
#include "ImportacionDLR.h"

#include "FbError.h"
#include "SentenciasPreparadas.h"
#include "Sheet.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <cmath>
#include <map>
#include <optional>

namespace {

using Tipo = TkvRxMemoryData::FieldType;
using qd::fb::Statement;

// Report headers (compared without regard to case) and the fields they fill.
const QList<QPair<QString, QString>> kCabeceras{
    {QStringLiteral("Pedido"), QStringLiteral("PEDIDO")},
    {QStringLiteral("Línea"), QStringLiteral("LINEA")},
    {QStringLiteral("Código"), QStringLiteral("CODIGO")},
    {QStringLiteral("Artículo"), QStringLiteral("ARTICULO")},
    {QStringLiteral("U./C."), QStringLiteral("UNIDADESCAJA")},
    {QStringLiteral("Cajas Pedidas"), QStringLiteral("CAJASPEDIDAS")},
    {QStringLiteral("Cajas Preps."), QStringLiteral("CAJASPREPS")},
    {QStringLiteral("Und. Preps"), QStringLiteral("UNDPREPS")},
    {QStringLiteral("Peso Prep."), QStringLiteral("PESOPREP")},
    {QStringLiteral("Cliente"), QStringLiteral("CLIENTE")},
    {QStringLiteral("Lote"), QStringLiteral("LOTE")},
    {QStringLiteral("Fecha de caducidad"), QStringLiteral("FECHACADUCIDAD")},
};

QString campoDeCabecera(const QString& cabecera) {
    for (const auto& [c, campo] : kCabeceras)
        if (c.compare(cabecera.trimmed(), Qt::CaseInsensitive) == 0) return campo;
    return {};
}

// An expiry date as the report writes it (a date cell is staged as yyyy-MM-dd); empty: none.
std::optional<QVariant> fecha(const QString& texto) {
    const QString t = texto.trimmed();
    if (t.isEmpty()) return QVariant();
    for (const char* formato :
         {"yyyy-MM-dd", "dd/MM/yyyy", "d/M/yyyy", "dd-MM-yyyy", "dd.MM.yyyy", "dd/MM/yy"}) {
        QDate d = QDate::fromString(t, QString::fromLatin1(formato));
        if (d.isValid()) {
            if (d.year() < 100) d = d.addYears(2000);
            return QVariant(QDateTime(d, QTime(0, 0)));
        }
    }
    return std::nullopt;
}

// Prepared units and ordered units match to the precision units are kept in.
bool mismasUnidades(double a, double b) {
    return std::fabs(a - b) <= 1e-6 * std::max(1.0, std::fabs(b));
}

} // namespace

ImportacionDLR::ImportacionDLR(TDatos& datos) : Lotes(datos) {
    Definir_kvRxMDAlbaranesDLR();
}

void ImportacionDLR::Definir_kvRxMDAlbaranesDLR() {
    auto& t = kvRxMDAlbaranesDLR;
    t.name = QStringLiteral("kvRxMDAlbaranesDLR");
    auto campo = [&t](const char* nombre, Tipo tipo, int tam, const char* etiqueta, bool requerido = false,
                      const char* formato = "") {
        t.addField({QString::fromLatin1(nombre), tipo, tam, QString::fromUtf8(etiqueta),
                    QString::fromLatin1(formato), requerido});
    };
    campo("PEDIDO", Tipo::String, 10, "  Pedido", true);
    campo("LINEA", Tipo::Integer, 0, "  Línea", true);
    campo("CODIGO", Tipo::String, 35, "  Código");
    campo("ARTICULO", Tipo::String, 50, "  Articulo");
    campo("UNIDADESCAJA", Tipo::Integer, 0, "  U./C.");
    campo("CAJASPEDIDAS", Tipo::Integer, 0, "Cajas Pedidas");
    campo("CAJASPREPS", Tipo::Integer, 0, "Cajas Preps.");
    campo("UNDPREPS", Tipo::Float, 0, "Und. Preps.", false, "#,##0.00");
    campo("PESOPREP", Tipo::Float, 0, "Peso Prep.", false, "#,##0.00");
    campo("CLIENTE", Tipo::String, 50, "  Cliente");
    campo("LOTE", Tipo::String, 35, "  Lote");
    campo("FECHACADUCIDAD", Tipo::String, 35, "  Fecha Caducidad");
}

int ImportacionDLR::cargarDLR(const QString& fichero) {
    d.Exigir_Conexion();
    d.canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    d.CargarExcel(fichero);
    d.canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxAlbaranesDLR();
    return kvRxMDAlbaranesDLR.recordCount();
}

void ImportacionDLR::CargarRxAlbaranesDLR() {
    TkvRxMemoryData& t = kvRxMDAlbaranesDLR;
    // Every row needs its order and line: a report without those columns is refused at once.
    const qd::wb::Sheet& hoja = d.hojaExcel();
    QSet<QString> campos;
    for (int c = 1; c <= std::min(d.Ultima_Columna_Excel(), 50) && !hoja.text(1, c).isEmpty(); ++c)
        campos.insert(campoDeCabecera(hoja.text(1, c)));
    for (const auto& [cabecera, campo] : {std::pair{"Pedido", "PEDIDO"}, std::pair{"Línea", "LINEA"}})
        if (d.Ultima_Fila_Excel() >= 2 && !hoja.text(2, 1).isEmpty() &&
            !campos.contains(QString::fromLatin1(campo)))
            throw qd::ErrorImportacion(
                QStringLiteral("El informe no tiene la columna «%1»; no se ha cargado nada.")
                    .arg(QString::fromUtf8(cabecera)));

    d.Leer_Filas_Excel(
        t,
        [&](int fila, int columna, const QString& cabecera) {
            const QString campo = campoDeCabecera(cabecera);
            if (campo.isEmpty()) return;
            const int i = t.fieldIndex(campo);
            const qd::wb::Cell& celda = hoja.cell(fila, columna);
            // A date cell is kept as yyyy-MM-dd, whatever the locale shows.
            if (campo == QLatin1String("FECHACADUCIDAD") &&
                (celda.type == qd::wb::CellType::Date || celda.type == qd::wb::CellType::Number))
                d.Poner_Valor_Celda(t, i, qd::wb::serialToDateTime(celda.number).date().toString(Qt::ISODate),
                                    fila, columna);
            else
                d.Poner_Celda_Staging(t, i, fila, columna);
        },
        [] { return true; }, true);
    // The rows of one delivery-note line, together.
    d.Ordenar_Staging(t, {QStringLiteral("PEDIDO"), QStringLiteral("CODIGO")});
    descartadasCarga_ = int(d.Filas_No_Escritas.size());
}

ImportacionDLR::ResumenDLR ImportacionDLR::procesarDLR(bool Importar, const qd::OpcionesMotor& motor) {
    d.Exigir_Conexion();
    if (!Importar) {
        // Only checking: nothing is written, nothing stays pending.
        ResumenDLR r = Procesar_AlbaranesDLR(false);
        return r;
    }
    ResumenDLR r = d.Con_Motor(motor, [&](qd::MotorFilas&) { return Procesar_AlbaranesDLR(true); });
    d.canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

ImportacionDLR::ResumenDLR ImportacionDLR::Procesar_AlbaranesDLR(bool Importar) {
    ResumenDLR r;
    TkvRxMemoryData& t = kvRxMDAlbaranesDLR;
    // A check before the import lists its reasons once: each pass starts from the load's own rows
    // not written.
    if (d.Filas_No_Escritas.size() > std::size_t(descartadasCarga_))
        d.Filas_No_Escritas.resize(std::size_t(descartadasCarga_));
    // Every statement of the check and the write prepared once for the run.
    const SentenciasPreparadas preparadas(d);
    auto texto = [&t](const char* campo) { return t.value(QString::fromLatin1(campo)).toString().trimmed(); };
    auto uno = [this](const QString& sql, const QList<QPair<QString, QVariant>>& parametros) {
        QVariantList fila;
        std::optional<Statement> propia;
        Statement& s = SentenciasPreparadas::para(d, propia, sql);
        for (const auto& [nombre, valor] : parametros)
            s.paramByName(nombre).setVariant(valor);
        d.IBTransaction1.ensureStarted();
        s.execute();
        if (!s.eof())
            for (int i = 0; i < s.fieldCount(); ++i)
                fila << s.field(i).asVariant();
        s.close();
        return fila;
    };
    const QString lineasDelArticulo = QStringLiteral(
        "FROM LINEASALBARANVENTA LAV INNER JOIN ALBARANESVENTA AV ON AV.IDALBARANESVENTA = "
        "LAV.ALBARANVENTA INNER JOIN SERIESDOCUMENTOS SD ON SD.IDSERIESDOCUMENTOS = AV.SERIEDOCUMENTO "
        "INNER JOIN ARTICULOS A ON A.IDARTICULOS = LAV.ARTICULO WHERE SD.CODIGO = :CODIGOSERIE AND "
        "AV.NUMERO = :NUMERO AND A.CODIGO = :CODIGO");

    struct Fila {
        int filaLibro = 0, idArticulo = 0;
        QString lote;
        QVariant caducidad;
        double unidades = 0;
    };
    struct Grupo {
        QString pedido, codigo, linea;
        int idLinea = 0;
        double cantidad = 0, suma = 0;
        QStringList motivos;
        std::vector<Fila> filas;
    };
    struct Albaran {
        int id = 0;
        bool conErrores = false;
        std::vector<Grupo> grupos;
    };
    std::vector<std::pair<QString, Albaran>> albaranes; // in the report's (sorted) order
    // What an order's rows share, looked up once for the order: its delivery note (0: none), with
    // the series and number it was found by.
    struct Nota {
        int id = 0;
        QString serie, numero;
    };
    QHash<QString, Nota> notas;

    // --- the check: every row, read only ---------------------------------------------------
    d.canal().status(QStringLiteral("Comprobando los albaranes del informe"));
    for (int i = 1; i <= (t.active() ? t.recordCount() : 0); ++i) {
        t.setRecNo(i);
        const QString pedido = texto("PEDIDO"), codigo = texto("CODIGO");
        if (albaranes.empty() || albaranes.back().first.compare(pedido, Qt::CaseInsensitive) != 0)
            albaranes.push_back({pedido, Albaran{}});
        Albaran& albaran = albaranes.back().second;
        if (albaran.grupos.empty() || albaran.grupos.back().codigo.compare(codigo, Qt::CaseInsensitive) != 0)
            albaran.grupos.push_back(Grupo{pedido, codigo, texto("LINEA"), 0, 0, 0, {}, {}});
        Grupo& grupo = albaran.grupos.back();
        grupo.linea = texto("LINEA");
        const int filaLibro = d.Fila_Hoja(t, i);
        QString motivo;

        // The delivery note: the longest series code the order starts with.
        QString serie, numero;
        int idAlbaran = 0;
        const auto conocida = notas.constFind(pedido);
        if (conocida != notas.constEnd()) {
            idAlbaran = conocida->id;
            serie = conocida->serie;
            numero = conocida->numero;
        }
        for (int n = 4; n >= 1 && idAlbaran == 0 && conocida == notas.constEnd(); --n) {
            if (pedido.size() <= n) continue;
            bool esNumero = false;
            const int num = pedido.mid(n).toInt(&esNumero);
            if (!esNumero) continue;
            try {
                const QVariantList f =
                    uno(QStringLiteral(
                            "SELECT IDALBARANESVENTA FROM ALBARANESVENTA AV INNER JOIN SERIESDOCUMENTOS SD "
                            "ON SD.IDSERIESDOCUMENTOS = AV.SERIEDOCUMENTO WHERE SD.CODIGO = :CODIGO AND "
                            "AV.NUMERO = :NUMERO"),
                        {{QStringLiteral("CODIGO"), pedido.left(n)}, {QStringLiteral("NUMERO"), num}});
                if (!f.isEmpty()) {
                    idAlbaran = f.first().toInt();
                    serie = pedido.left(n);
                    numero = QString::number(num);
                }
            } catch (const qd::fb::Error&) {
                // A series longer than the column is no series: not found.
            }
        }
        if (conocida == notas.constEnd()) notas.insert(pedido, Nota{idAlbaran, serie, numero});
        if (idAlbaran == 0) {
            motivo += QStringLiteral("El Número de Albarán no existe. ");
            albaran.conErrores = true;
        }
        albaran.id = idAlbaran;
        const QVariantList articulo =
            uno(QStringLiteral("SELECT IDARTICULOS FROM ARTICULOS WHERE CODIGO = :CODIGO"),
                {{QStringLiteral("CODIGO"), codigo}});
        const int idArticulo = articulo.isEmpty() ? 0 : articulo.first().toInt();
        if (idArticulo == 0) {
            motivo += QStringLiteral("El Código de Articulo no existe. ");
            albaran.conErrores = true;
        }
        const int idLote = idArticulo == 0 ? 0 : Buscar_Lote(idArticulo, texto("LOTE"));
        if (idLote == 0) {
            motivo += QStringLiteral("El Lote del Artículo no existe. ");
            albaran.conErrores = true;
        }
        const std::optional<QVariant> caducidad = fecha(texto("FECHACADUCIDAD"));
        if (!caducidad) {
            motivo +=
                QStringLiteral("La fecha de caducidad «%1» no es una fecha. ").arg(texto("FECHACADUCIDAD"));
            albaran.conErrores = true;
        }
        if (motivo.isEmpty()) {
            const QList<QPair<QString, QVariant>> linea{{QStringLiteral("CODIGOSERIE"), serie},
                                                        {QStringLiteral("NUMERO"), numero.toInt()},
                                                        {QStringLiteral("CODIGO"), codigo}};
            const int lineas =
                uno(QStringLiteral("SELECT COUNT(*) ") + lineasDelArticulo, linea).value(0).toInt();
            if (lineas == 0) {
                motivo += QStringLiteral("No existen líneas del artículo en el albarán.");
                albaran.conErrores = true;
            } else if (lineas > 1) {
                motivo += QStringLiteral("Existe más de una línea del artículo en el albarán.");
                albaran.conErrores = true;
            } else {
                const QVariantList l =
                    uno(QStringLiteral("SELECT LAV.IDLINEASALBARANVENTA, LAV.CANTIDADSTOCK1 ") +
                            lineasDelArticulo,
                        linea);
                grupo.idLinea = l.value(0).toInt();
                grupo.cantidad = l.value(1).toDouble();
                const int enlazado =
                    uno(QStringLiteral(
                            "SELECT COUNT(*) FROM LOTESLINEAALBVENTA WHERE LOTE = :IDLOTE AND LINEAALBVENTA "
                            "= :LINEA"),
                        {{QStringLiteral("IDLOTE"), idLote}, {QStringLiteral("LINEA"), grupo.idLinea}})
                        .value(0)
                        .toInt();
                if (enlazado > 0)
                    motivo += QStringLiteral("El Lote ya está insertado en esa línea de Albarán. ");
            }
        }
        if (motivo.isEmpty()) {
            const double unidades = t.value(QStringLiteral("UNDPREPS")).toDouble();
            grupo.filas.push_back({filaLibro, idArticulo, texto("LOTE"), *caducidad, unidades});
            grupo.suma += unidades;
        } else {
            grupo.motivos << QStringLiteral("fila %1: %2").arg(filaLibro).arg(motivo.trimmed());
            d.Anotar_Fila_No_Escrita(filaLibro, motivo.trimmed());
        }
    }
    // Each group: every row checked out and the units prepared are the units ordered.
    for (auto& [pedido, albaran] : albaranes)
        for (Grupo& g : albaran.grupos) {
            if (g.motivos.isEmpty() && !mismasUnidades(g.suma, g.cantidad)) {
                g.motivos << QStringLiteral("Las unidades pedidas de la línea no coinciden.");
                albaran.conErrores = true;
                for (const Fila& f : g.filas)
                    d.Anotar_Fila_No_Escrita(f.filaLibro, g.motivos.last());
            }
            if (g.motivos.isEmpty()) continue;
            ++r.LineasConIncidencias;
            d.canal().incidence(
                QStringLiteral(
                    " Albarán: %1     Línea: %2     Articulo: %3     Und. Preps: %4     Motivo: %5")
                    .arg(g.pedido, g.linea, g.codigo, QString::number(g.suma),
                         g.motivos.join(QStringLiteral("; "))));
        }
    if (r.LineasConIncidencias == 0)
        d.canal().message(qd::MessageKind::Information, QStringLiteral("No se han detectado Incidencias."));
    if (!Importar) {
        r.texto =
            QStringLiteral("Comprobación terminada: %1 líneas con incidencias.").arg(r.LineasConIncidencias);
        return r;
    }

    // --- the write: each good line's lots, then each delivery note whose lines all check out --
    struct Accion {
        const Grupo* grupo = nullptr;     // a line's lots
        const Albaran* albaran = nullptr; // a note completed
        int filaLibro = 0;
        const Albaran* de = nullptr; // the note a line belongs to
    };
    std::vector<Accion> acciones;
    for (const auto& [pedido, albaran] : albaranes) {
        for (const Grupo& g : albaran.grupos)
            if (g.motivos.isEmpty() && !g.filas.empty())
                acciones.push_back({&g, nullptr, g.filas.front().filaLibro, &albaran});
        if (albaran.id != 0 && !albaran.conErrores)
            acciones.push_back(
                {nullptr, &albaran, acciones.empty() ? 0 : acciones.back().filaLibro, nullptr});
    }
    // A note is completed only when every one of its lines was written in this run.
    QSet<const Albaran*> conLineaRechazada;
    d.canal().status(QStringLiteral("Importando los lotes de los albaranes"));
    size_t actual = 0;
    TDatos::Unidades u;
    u.total = int(acciones.size());
    u.ir = [&actual](int i) { actual = size_t(i); };
    u.filaLibro = [&] { return actual < acciones.size() ? acciones[actual].filaLibro : 0; };
    TDatos::RecorridoFilas recorrido;
    recorrido.trasError = TDatos::TrasError::Anotar; // a refused line is told and the others go on
    recorrido.cuentas = [&r] {
        return TDatos::Texto_Resumen({{QStringLiteral("Líneas con sus lotes"), r.LineasEscritas},
                                      {QStringLiteral("Albaranes completados"), r.AlbaranesCompletados},
                                      {QStringLiteral("Líneas con incidencias"), r.LineasConIncidencias}});
    };
    recorrido.escribir = [&] {
        const Accion& a = acciones[actual];
        if (a.albaran != nullptr && conLineaRechazada.contains(a.albaran))
            throw qd::FilaRechazada(
                QStringLiteral("El albarán no se completa: alguna de sus líneas no se ha escrito."));
        if (a.grupo != nullptr) {
            struct Marcar {
                QSet<const Albaran*>& conLinea;
                const Albaran* albaran;
                bool escrito = false;
                ~Marcar() {
                    if (!escrito) conLinea.insert(albaran);
                }
            } marcar{conLineaRechazada, a.de};
            QString lotes;
            for (const Fila& f : a.grupo->filas) {
                InsertarNumeroLote(f.idArticulo, a.grupo->idLinea, f.lote, f.caducidad, f.unidades, 0, false);
                lotes += QLatin1Char(' ') + f.lote;
            }
            d.Ejecutar_Sentencia(
                QStringLiteral("UPDATE LINEASALBARANVENTA LAV SET LAV.OBSERVACIONES = :OBSERVACIONES, "
                               "LAV.LOTESASOCIADOS = :LOTE WHERE LAV.IDLINEASALBARANVENTA = :LINEA"),
                {{QStringLiteral("OBSERVACIONES"),
                  QStringLiteral("DLR procesado %1 %2")
                      .arg(d.Usuario,
                           QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")))},
                 {QStringLiteral("LOTE"), lotes},
                 {QStringLiteral("LINEA"), a.grupo->idLinea}});
            marcar.escrito = true;
            ++r.LineasEscritas;
        } else {
            d.Ejecutar_Sentencia(
                QStringLiteral("UPDATE ALBARANESVENTA AV SET AV.ESTADO_CONFIRMACION = 1, AV.COMPLETADO_FECHA "
                               "= :COMPLETADO_FECHA, AV.COMPLETADO_IDUSUARIO = :COMPLETADO_IDUSUARIO, "
                               "AV.COMPLETADO_REFERENCIA = :COMPLETADO_REFERENCIA WHERE "
                               "AV.IDALBARANESVENTA = :IDALBARANESVENTA"),
                {{QStringLiteral("COMPLETADO_FECHA"), QDateTime::currentDateTime()},
                 {QStringLiteral("COMPLETADO_IDUSUARIO"), d.IdUsuario},
                 {QStringLiteral("COMPLETADO_REFERENCIA"),
                  QStringLiteral("Completado automatico DLR.   Fichero: %1   Usuario: %2")
                      .arg(d.ExcelApp ? d.Fichero_Excel : QString(), d.Usuario)},
                 {QStringLiteral("IDALBARANESVENTA"), a.albaran->id}});
            ++r.AlbaranesCompletados;
        }
    };
    const TDatos::FinRecorrido fin = d.Recorrer_Unidades(u, recorrido);
    r.LineasConIncidencias += fin.conErrores;
    r.texto = d.Terminar_Resumen(recorrido.cuentas(), fin.cancelado, &r.motor);
    d.canal().message(qd::MessageKind::Information, r.texto);
    return r;
}
