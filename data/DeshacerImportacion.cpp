#include "DeshacerImportacion.h"

#include <QHash>
#include <QSet>
#include <QSysInfo>
#include <QVariant>
#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "BloqueoImportacion.h"
#include "DiarioImportaciones.h"
#include "ErrorImportacion.h"
#include "FbAttachment.h"
#include "FbStatement.h"
#include "FbTransaction.h"
#include "HistorialImportaciones.h"

namespace qd {

namespace {

// A journalled table as the undo sees it.
struct Tabla {
    QString nombre, diario;
    QStringList clave;    // primary key columns
    QStringList columnas; // the other columns kept by the journal that the table still has
};

// What the run did to one row (one key of one table), from its first change to its last.
struct Efecto {
    QVariantList clave;
    int primero = 0;      // journal number of the first change
    bool antes = false;   // the row existed before the run (its image 'A' of `primero` holds it)
    QVariant imagen;      // that image's address in the journal (RDB$DB_KEY)
    int ultimo = 0;       // journal number of the last change
    bool despues = false; // the run left the row in place
    bool ahora = false;   // the row exists now
    QList<ConflictoDeshacer> diferencias; // the run's last values against the current ones
    bool cambiada = false; // inserted by the run (its last change) and changed since, by its version
    bool conflicto = false;
    bool dejar = false; // left as it is (forced): a conflict, or a row that hangs from or holds one
};

struct EfectosTabla {
    Tabla tabla;
    QHash<QString, Efecto> filas;
};

// Known uses of a table's rows by other tables' columns (the host database declares no foreign
// keys): a row the run inserted and such a row now names is not deleted.
struct Referencia {
    const char* madre;
    const char* hija;
    const char* columna;
};
constexpr Referencia kReferencias[] = {
    {"ARTICULOS", "LINEASALBARANVENTA", "ARTICULO"},
    {"ARTICULOS", "LINEASALBARANCOMPRA", "ARTICULO"},
    {"ARTICULOS", "ARTICULOSPROVEEDORES", "ARTICULO"},
    {"ARTICULOS", "TARIFASARTICULOS", "ARTICULO"},
    {"ARTICULOS", "ARTICULOSALMACEN", "ARTICULOCARACTERISTICA"},
    {"ARTICULOS", "FORMATOS", "ARTICULO"},
    {"ARTICULOS", "MOVIMIENTOSALMACEN", "ARTICULO"},
    {"ARTICULOS", "LOTES", "ARTICULO"},
    {"ARTICULOS", "NUMEROSSERIE", "ARTICULO"},
    {"CLIENTES", "ALBARANESVENTA", "CLIENTE"},
    {"CLIENTES", "DIRECCIONESENVIO", "CLIENTE"},
    {"CLIENTES", "PERSONASCONTACTO", "CLIENTE"},
    {"CLIENTES", "DOMICILIOSCOBRO", "CLIENTE"},
    {"CLIENTES", "CLIENTESRUTAS", "CLIENTE"},
    {"CLIENTES", "MOVIMIENTOSNUMEROSSERIE", "CLIENTE"},
    {"PROVEEDORES", "ALBARANESCOMPRA", "PROVEEDOR"},
    {"PROVEEDORES", "ARTICULOSPROVEEDORES", "PROVEEDOR"},
    {"FAMILIASARTICULOS", "ARTICULOS", "FAMILIA"},
    {"MARCAS", "ARTICULOS", "MARCA"},
    {"GAMAS", "ARTICULOS", "GAMA"},
    {"FABRICANTES", "ARTICULOS", "FABRICANTE"},
    {"AGENTESVENTA", "CLIENTES", "AGENTEVENTA"},
    {"AGENTESVENTA", "AGENTESLINEASALBARANVENTA", "AGENTE"},
    {"ZONAS", "CLIENTES", "ZONA"},
    {"RUTAS", "CLIENTESRUTAS", "RUTA"},
    {"FORMATOS", "LINEASALBARANVENTA", "FORMATO"},
    {"FORMATOS", "LINEASALBARANCOMPRA", "FORMATO"},
    {"LOTES", "LOTESLINEAALBVENTA", "LOTE"},
    {"LOTES", "LOTESLINEAALBCOMPRA", "LOTE"},
    {"LOTES", "NUMEROSSERIE", "LOTE"},
    {"NUMEROSSERIE", "MOVIMIENTOSNUMEROSSERIE", "NUMEROSERIE"},
    {"LINEASALBARANVENTA", "LOTESLINEAALBVENTA", "LINEAALBVENTA"},
    {"LINEASALBARANVENTA", "AGENTESLINEASALBARANVENTA", "LINEAALBARANVENTA"},
    {"LINEASALBARANVENTA", "NUMEROSSERIE", "LINEAALBARANVENTA"},
    {"LINEASALBARANVENTA", "MOVIMIENTOSNUMEROSSERIE", "LINEAALBARANVENTA"},
    {"LINEASALBARANCOMPRA", "LOTESLINEAALBCOMPRA", "LINEAALBCOMPRA"},
    {"LINEASALBARANCOMPRA", "AGENTESLINEASALBARANCOMPRA", "LINEAALBARANCOMPRA"},
    {"LINEASALBARANCOMPRA", "NUMEROSSERIE", "LINEAALBARANCOMPRA"},
    {"LINEASALBARANCOMPRA", "MOVIMIENTOSNUMEROSSERIE", "LINEAALBARANCOMPRA"},
    {"MOVIMIENTOSALMACEN", "LINEASALBARANVENTA", "MOVIMIENTOALMACEN"},
    {"MOVIMIENTOSALMACEN", "LINEASALBARANCOMPRA", "MOVIMIENTOALMACEN"},
    {"ALBARANESVENTA", "LINEASALBARANVENTA", "ALBARANVENTA"},
    {"ALBARANESCOMPRA", "LINEASALBARANCOMPRA", "ALBARANCOMPRA"},
    {"TARIFASARTICULOS", "INTERVALOSTARIFASARTICULOS", "TARIFAARTICULO"},
};

QStringList nombres(qd::fb::Statement& s) {
    QStringList r;
    s.execute();
    while (!s.eof()) {
        r << s.field(0).asString().trimmed();
        s.next();
    }
    s.close();
    return r;
}

QStringList columnasDe(qd::fb::Attachment& a, qd::fb::Transaction& t, const QString& tabla) {
    qd::fb::Statement s(&a, &t);
    s.setSql(QStringLiteral("SELECT RDB$FIELD_NAME FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = :T "
                            "ORDER BY RDB$FIELD_POSITION"));
    s.paramByName(QStringLiteral("T")).setString(tabla);
    return nombres(s);
}

QStringList claveDe(qd::fb::Attachment& a, qd::fb::Transaction& t, const QString& tabla) {
    qd::fb::Statement s(&a, &t);
    s.setSql(
        QStringLiteral("SELECT S.RDB$FIELD_NAME FROM RDB$RELATION_CONSTRAINTS RC JOIN RDB$INDEX_SEGMENTS S "
                       "ON S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME WHERE RC.RDB$RELATION_NAME = :T AND "
                       "RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' ORDER BY S.RDB$FIELD_POSITION"));
    s.paramByName(QStringLiteral("T")).setString(tabla);
    return nombres(s);
}

QString textoValor(const QVariant& v) {
    if (v.isNull()) return QStringLiteral("(nulo)");
    if (v.typeId() == QMetaType::QByteArray) return QStringLiteral("(%1 bytes)").arg(v.toByteArray().size());
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss.zzz"));
    return v.toString();
}

QString claveTexto(const QStringList& columnas, const QVariantList& valores) {
    QStringList partes;
    for (int i = 0; i < columnas.size(); ++i)
        partes << columnas[i] + QLatin1Char('=') + textoValor(valores.value(i));
    return partes.join(QStringLiteral(", "));
}

QString claveHash(const QVariantList& valores) {
    QStringList partes;
    for (const QVariant& v : valores)
        partes << (v.isNull() ? QStringLiteral("\x01") : v.toString());
    return partes.join(QChar(0x1f));
}

QString lista(const QStringList& columnas, const QString& prefijo, const QString& union_) {
    QStringList r;
    for (const QString& c : columnas)
        r << prefijo + c;
    return r.join(union_);
}

QString condicionClave(const QStringList& clave, const QString& a, const QString& b) {
    QStringList r;
    for (const QString& c : clave)
        r << QStringLiteral("%1.%3 = %2.%3").arg(a, b, c);
    return r.join(QStringLiteral(" AND "));
}

// The run's changes of one table, folded into one effect per row.
void leerEfectos(qd::fb::Attachment& a, qd::fb::Transaction& t, int importacion, EfectosTabla& e) {
    const Tabla& tb = e.tabla;
    QString sql = QStringLiteral("SELECT J.QD_ID, J.QD_IMAGEN, CASE WHEN %1 IS NULL THEN 0 ELSE 1 END, %2")
                      .arg(QStringLiteral("T.") + tb.clave.first(),
                           lista(tb.clave, QStringLiteral("J."), QStringLiteral(", ")));
    for (const QString& c : tb.columnas)
        sql += QStringLiteral(", J.%1, T.%1").arg(c);
    sql += QStringLiteral(", J.RDB$DB_KEY, J.QD_OPERACION, J.QD_TRANSACCION, T.RDB$RECORD_VERSION FROM %1 J "
                          "LEFT JOIN %2 T ON %3 "
                          "WHERE J.QD_IMPORTACION = :R ORDER BY "
                          "J.QD_ID, J.QD_IMAGEN")
               .arg(tb.diario, tb.nombre, condicionClave(tb.clave, QStringLiteral("T"), QStringLiteral("J")));
    qd::fb::Statement s(&a, &t);
    s.setSql(sql);
    s.paramByName(QStringLiteral("R")).setInt(importacion);
    s.execute();
    const int nClave = int(tb.clave.size());
    while (!s.eof()) {
        const int id = int(s.field(0).asInt());
        const bool nueva = s.field(1).asString().startsWith(QLatin1Char('N'));
        QVariantList clave;
        for (int i = 0; i < nClave; ++i)
            clave << s.field(3 + i).asVariant();
        const QString h = claveHash(clave);
        auto it = e.filas.find(h);
        if (it == e.filas.end()) {
            Efecto f;
            f.clave = clave;
            f.primero = id;
            // First met in its image before a change: it existed; first met after one (inserted,
            // or given this key by an update): it did not.
            f.antes = !nueva;
            if (f.antes) f.imagen = s.field(3 + nClave + 2 * int(tb.columnas.size())).asVariant();
            it = e.filas.insert(h, f);
        }
        Efecto& f = *it;
        f.ultimo = id;
        f.despues = nueva; // an 'A' image alone (a delete, or an update that moved the key) leaves no row
        f.ahora = s.field(2).asInt() != 0;
        f.diferencias.clear();
        const int fin = 3 + nClave + 2 * int(tb.columnas.size());
        const bool insertada = s.field(fin + 1).asString().startsWith(QLatin1Char('I'));
        f.cambiada = insertada && f.ahora && s.field(fin + 3).asDouble() != s.field(fin + 2).asDouble();
        if (nueva && f.ahora && !insertada) {
            for (int i = 0; i < tb.columnas.size(); ++i) {
                const QVariant escrito = s.field(3 + nClave + 2 * i).asVariant();
                const QVariant actual = s.field(4 + nClave + 2 * i).asVariant();
                if (escrito.isNull() != actual.isNull() || (!escrito.isNull() && escrito != actual))
                    f.diferencias << ConflictoDeshacer{tb.nombre,          claveTexto(tb.clave, clave),
                                                       tb.columnas[i],     textoValor(escrito),
                                                       textoValor(actual), {}};
            }
        }
        s.next();
    }
    s.close();
}

void buscarConflictos(EfectosTabla& e, QList<ConflictoDeshacer>& conflictos) {
    for (Efecto& f : e.filas) {
        if (!f.antes && !f.despues) continue; // created and removed by the run itself: nothing to do
        const QString clave = claveTexto(e.tabla.clave, f.clave);
        if (f.despues && !f.ahora) {
            f.conflicto = true;
            conflictos << ConflictoDeshacer{
                e.tabla.nombre, clave, {}, {}, {}, QStringLiteral("se borró después de la importación")};
        } else if (!f.despues && f.ahora) {
            f.conflicto = true;
            conflictos << ConflictoDeshacer{
                e.tabla.nombre,
                clave,
                {},
                {},
                {},
                QStringLiteral("la importación la borró y se volvió a crear después")};
        } else if (f.despues && f.cambiada) {
            f.conflicto = true;
            conflictos << ConflictoDeshacer{e.tabla.nombre,
                                            clave,
                                            {},
                                            {},
                                            {},
                                            QStringLiteral("la creó la importación y se modificó después")};
        } else if (!f.diferencias.isEmpty()) {
            f.conflicto = true;
            conflictos << f.diferencias;
        }
    }
}

// Rows the run inserted that a row it did not write now uses.
void buscarUsos(qd::fb::Attachment& a, qd::fb::Transaction& t, int importacion,
                QHash<QString, EfectosTabla>& efectos, QList<ConflictoDeshacer>& conflictos) {
    for (const Referencia& r : kReferencias) {
        const QString madre = QString::fromLatin1(r.madre), hija = QString::fromLatin1(r.hija),
                      columna = QString::fromLatin1(r.columna);
        auto m = efectos.find(madre);
        if (m == efectos.end() || m->tabla.clave.size() != 1) continue;
        bool borra = false;
        for (const Efecto& f : m->filas)
            borra = borra || (!f.antes && f.despues && !f.conflicto);
        if (!borra) continue;
        const QStringList columnasHija = columnasDe(a, t, hija);
        if (!columnasHija.contains(columna)) continue;
        QStringList claveHija = claveDe(a, t, hija);
        if (claveHija.isEmpty()) continue;
        qd::fb::Statement s(&a, &t);
        s.setSql(QStringLiteral("SELECT DISTINCT J.%1, %2 FROM %3 J JOIN %4 H ON H.%5 = J.%1 "
                                "WHERE J.QD_IMPORTACION = :R AND J.QD_IMAGEN = 'N'")
                     .arg(m->tabla.clave.first(),
                          lista(claveHija, QStringLiteral("H."), QStringLiteral(", ")), m->tabla.diario, hija,
                          columna));
        s.paramByName(QStringLiteral("R")).setInt(importacion);
        s.execute();
        const auto h = efectos.constFind(hija);
        while (!s.eof()) {
            const QVariantList claveMadre{s.field(0).asVariant()};
            QVariantList valoresHija;
            for (int i = 0; i < claveHija.size(); ++i)
                valoresHija << s.field(1 + i).asVariant();
            s.next();
            auto f = m->filas.find(claveHash(claveMadre));
            if (f == m->filas.end() || f->antes || !f->despues || f->conflicto) continue;
            // A row the run wrote goes back with the undo (deleted, or its earlier values without it).
            if (h != efectos.constEnd() && h->filas.contains(claveHash(valoresHija))) continue;
            f->conflicto = true;
            conflictos << ConflictoDeshacer{madre,
                                            claveTexto(m->tabla.clave, claveMadre),
                                            {},
                                            {},
                                            {},
                                            QStringLiteral("la creó la importación y ahora la usa %1 (%2)")
                                                .arg(hija, claveTexto(claveHija, valoresHija))};
        }
        s.close();
    }
}

// Forced: the rows in conflict stay, and with them the rows the run inserted that hang from them
// (the stock rows and prices of an article left in place) and the rows the run inserted that they
// use (the family of that article). Returns how many rows are left.
int dejarConflictos(qd::fb::Attachment& a, qd::fb::Transaction& t, int importacion,
                    QHash<QString, EfectosTabla>& efectos) {
    for (EfectosTabla& e : efectos)
        for (Efecto& f : e.filas)
            f.dejar = f.conflicto;
    struct Par {
        Efecto* madre;
        Efecto* hija;
    };
    std::vector<Par> pares;
    for (const Referencia& r : kReferencias) {
        auto m = efectos.find(QString::fromLatin1(r.madre));
        auto h = efectos.find(QString::fromLatin1(r.hija));
        if (m == efectos.end() || h == efectos.end() || m->tabla.clave.size() != 1) continue;
        if (!columnasDe(a, t, h->tabla.nombre).contains(QString::fromLatin1(r.columna))) continue;
        // The rows of the child table the run touched, as they are now (a row left stays as it is now).
        qd::fb::Statement s(&a, &t);
        s.setSql(
            QStringLiteral("SELECT DISTINCT H.%1, %2 FROM %3 H JOIN %4 J ON %5 WHERE J.QD_IMPORTACION = :R")
                .arg(QString::fromLatin1(r.columna),
                     lista(h->tabla.clave, QStringLiteral("H."), QStringLiteral(", ")), h->tabla.nombre,
                     h->tabla.diario,
                     condicionClave(h->tabla.clave, QStringLiteral("H"), QStringLiteral("J"))));
        s.paramByName(QStringLiteral("R")).setInt(importacion);
        s.execute();
        while (!s.eof()) {
            QVariantList claveHija;
            for (int i = 0; i < h->tabla.clave.size(); ++i)
                claveHija << s.field(1 + i).asVariant();
            auto fm = m->filas.find(claveHash({s.field(0).asVariant()}));
            auto fh = h->filas.find(claveHash(claveHija));
            if (fm != m->filas.end() && fh != h->filas.end() && !fm->antes && fm->despues)
                pares.push_back({&*fm, &*fh});
            s.next();
        }
        s.close();
    }
    for (bool cambio = true; cambio;) {
        cambio = false;
        for (const Par& p : pares) {
            if (p.hija->dejar && !p.madre->dejar) {
                p.madre->dejar = cambio = true;
            } else if (p.madre->dejar && !p.hija->dejar && !p.hija->antes && p.hija->despues) {
                p.hija->dejar = cambio = true;
            }
        }
    }
    int dejadas = 0;
    for (const EfectosTabla& e : efectos)
        for (const Efecto& f : e.filas)
            dejadas += f.dejar ? 1 : 0;
    return dejadas;
}

} // namespace

QString ConflictoDeshacer::texto() const {
    if (!columna.isEmpty())
        return QStringLiteral("%1 (%2), %3: la importación escribió «%4», ahora es «%5»")
            .arg(tabla, clave, columna, valorImportacion, valorAhora);
    return QStringLiteral("%1 (%2): %3").arg(tabla, clave, motivo);
}

QString InformeDeshacer::texto() const {
    QStringList l;
    if (!conflictos.isEmpty() && !hecho && omitidas == 0)
        l << QStringLiteral("No se ha deshecho nada: %1 cambios de la importación %2 se modificaron después:")
                 .arg(conflictos.size())
                 .arg(importacion);
    else if (!conflictos.isEmpty())
        l << QStringLiteral("Filas que se dejan como están (se modificaron después de la importación):");
    for (const ConflictoDeshacer& c : conflictos)
        l << QStringLiteral("  ") + c.texto();
    if (hecho || simulado || omitidas > 0) {
        if (simulado) l << QStringLiteral("Simulación: no se ha guardado nada.");
        l << QStringLiteral("Importación %1 deshecha.").arg(importacion);
        l << QStringLiteral("Filas borradas: %1").arg(borradas);
        l << QStringLiteral("Filas restauradas: %1").arg(restauradas);
        l << QStringLiteral("Filas recuperadas: %1").arg(recreadas);
        if (omitidas > 0) l << QStringLiteral("Filas dejadas como están: %1").arg(omitidas);
    } else if (!conflictos.isEmpty()) {
        l << QStringLiteral("Puede deshacer el resto y dejar esas filas como están (--forzar).");
    }
    return l.join(QStringLiteral("\n"));
}

InformeDeshacer deshacerImportacion(qd::fb::Attachment& a, int importacion, const OpcionesDeshacer& o) {
    const std::optional<FilaHistorial> fila = leerHistorial(a, importacion);
    if (!fila)
        throw ErrorImportacion(
            QStringLiteral("No existe la importación %1 en el historial.").arg(importacion));
    const QString motivo = fila->motivoSinDeshacer();
    if (!motivo.isEmpty())
        throw ErrorImportacion(
            QStringLiteral("La importación %1 no se puede deshacer: %2").arg(importacion).arg(motivo));
    // Never beside an import of the same kind (nor the run itself, if it still runs).
    const BloqueoImportacion bloqueo(a, fila->tipo);

    InformeDeshacer informe;
    informe.importacion = importacion;
    // A snapshot: a row another program changes between the check and the write makes the write
    // fail (update conflict) instead of being overwritten unseen.
    qd::fb::Transaction t(&a,
                          {QStringLiteral("concurrency"), QStringLiteral("nowait"), QStringLiteral("write")});
    struct Deshacer {
        qd::fb::Transaction& t;
        ~Deshacer() {
            try {
                if (t.active()) t.rollback();
            } catch (const std::exception&) {
            }
        }
    } deshacer{t};
    t.start();

    // The journalled tables and what the run did to each row.
    QHash<QString, EfectosTabla> efectos;
    {
        qd::fb::Statement s(&a, &t);
        s.setSql(QStringLiteral("SELECT TRIM(TABLA), TRIM(DIARIO) FROM QD_DIARIO_TABLAS"));
        s.execute();
        std::vector<std::pair<QString, QString>> tablas;
        while (!s.eof()) {
            tablas.emplace_back(s.field(0).asString(), s.field(1).asString());
            s.next();
        }
        s.close();
        for (const auto& [nombre, diario] : tablas) {
            Tabla tb{nombre, diario, claveDe(a, t, nombre), {}};
            if (tb.clave.isEmpty()) continue;
            const QStringList enTabla = columnasDe(a, t, nombre);
            for (const QString& c : columnasDe(a, t, diario))
                if (!c.startsWith(QLatin1String("QD_")) && enTabla.contains(c) && !tb.clave.contains(c))
                    tb.columnas << c;
            EfectosTabla e{tb, {}};
            leerEfectos(a, t, importacion, e);
            if (!e.filas.isEmpty()) efectos.insert(nombre, std::move(e));
        }
    }
    for (EfectosTabla& e : efectos)
        buscarConflictos(e, informe.conflictos);
    buscarUsos(a, t, importacion, efectos, informe.conflictos);
    if (!informe.conflictos.isEmpty() && !o.forzar) return informe; // nothing written
    if (!informe.conflictos.isEmpty()) informe.omitidas = dejarConflictos(a, t, importacion, efectos);

    // The undo is a run of its own in the history, journalled like any other.
    int propio = 0;
    {
        qd::fb::Statement s(&a, &t);
        s.setSql(QStringLiteral(
            "INSERT INTO QD_HISTORIAL (ID, TIPO, PROGRAMA, SIMULADA, INICIO, USUARIO, ID_USUARIO, EQUIPO, "
            "LIBRO, "
            "TAMANO, SHA256, OPCIONES, ESTADO, DIARIO, DESHACE) VALUES (GEN_ID(QD_GEN_HISTORIAL, 1), :Tipo, "
            ":Programa, :Simulada, CURRENT_TIMESTAMP, :Usuario, :IdUsuario, :Equipo, :Libro, :Tamano, :Sha, "
            ":Opciones, :Estado, :Diario, :Id) RETURNING ID"));
        s.paramByName(QStringLiteral("Tipo")).setString(fila->tipo);
        s.paramByName(QStringLiteral("Equipo")).setString(QSysInfo::machineHostName().left(100));
        s.paramByName(QStringLiteral("Libro")).setString(fila->libro);
        s.paramByName(QStringLiteral("Tamano")).setDouble(double(fila->tamano));
        s.paramByName(QStringLiteral("Sha")).setString(fila->sha256);
        s.paramByName(QStringLiteral("Programa")).setString(o.programa);
        s.paramByName(QStringLiteral("Simulada")).setInt(o.simular ? 1 : 0);
        s.paramByName(QStringLiteral("Usuario")).setString(o.usuario.left(31));
        s.paramByName(QStringLiteral("IdUsuario")).setInt(o.idUsuario);
        s.paramByName(QStringLiteral("Opciones"))
            .setString(QStringLiteral("Deshacer la importación %1%2")
                           .arg(importacion)
                           .arg(o.forzar ? QStringLiteral(", dejando las filas en conflicto") : QString()));
        s.paramByName(QStringLiteral("Estado")).setString(textoEstado(EstadoImportacion::Terminada));
        s.paramByName(QStringLiteral("Diario")).setInt(o.simular ? 0 : 1);
        s.paramByName(QStringLiteral("Id")).setInt(importacion);
        s.execute();
        propio = int(s.field(0).asInt());
        s.close();
    }

    // First the rows the run inserted are deleted, table by table, the table whose first new row came
    // last first (a line's lots before the line, the lines before the article, the article before the
    // family its load created); then the rows it updated or deleted get their earlier image back, the
    // table whose first change came first first (a deleted parent before its deleted children). Deleting
    // first also frees the unique values the earlier images hold (the placeholder account the run
    // replaced). Deleted rows go by batches of kLote keys.
    struct Pasos {
        EfectosTabla* tabla = nullptr;
        int orden = 0;
        std::vector<const Efecto*> filas;
    };
    std::vector<Pasos> borrados, repuestos;
    for (EfectosTabla& e : efectos) {
        Pasos b{&e, std::numeric_limits<int>::max(), {}}, r{&e, std::numeric_limits<int>::max(), {}};
        for (const Efecto& f : e.filas) {
            if ((!f.antes && !f.despues) || f.dejar) continue;
            Pasos& p = f.antes ? r : b;
            p.filas.push_back(&f);
            p.orden = std::min(p.orden, f.primero);
        }
        for (Pasos* p : {&b, &r}) {
            std::sort(p->filas.begin(), p->filas.end(),
                      [](const Efecto* x, const Efecto* y) { return x->ultimo > y->ultimo; });
            if (!p->filas.empty()) (p == &b ? borrados : repuestos).push_back(std::move(*p));
        }
    }
    std::sort(borrados.begin(), borrados.end(),
              [](const Pasos& x, const Pasos& y) { return x.orden > y.orden; });
    std::sort(repuestos.begin(), repuestos.end(),
              [](const Pasos& x, const Pasos& y) { return x.orden < y.orden; });

    std::optional<DiarioEnCurso> diario;
    if (!o.simular) diario.emplace(a, propio);
    constexpr int kLote = 50;
    for (const Pasos& p : borrados) {
        const Tabla& tb = p.tabla->tabla;
        const bool simple = tb.clave.size() == 1;
        const int lote = simple ? kLote : 1;
        std::map<int, std::unique_ptr<qd::fb::Statement>> sentencias; // by batch size
        for (std::size_t desde = 0; desde < p.filas.size(); desde += std::size_t(lote)) {
            const int n = int(std::min<std::size_t>(std::size_t(lote), p.filas.size() - desde));
            std::unique_ptr<qd::fb::Statement>& s = sentencias[n];
            if (!s) {
                s = std::make_unique<qd::fb::Statement>(&a, &t);
                QStringList cond;
                if (simple) {
                    QStringList claves;
                    for (int i = 0; i < n; ++i)
                        claves << QStringLiteral(":K%1").arg(i);
                    cond << QStringLiteral("%1 IN (%2)")
                                .arg(tb.clave.first(), claves.join(QStringLiteral(", ")));
                } else {
                    for (int i = 0; i < tb.clave.size(); ++i)
                        cond << QStringLiteral("%1 = :K%2").arg(tb.clave[i]).arg(i);
                }
                s->setSql(QStringLiteral("DELETE FROM %1 WHERE %2")
                              .arg(tb.nombre, cond.join(QStringLiteral(" AND "))));
            }
            for (int i = 0; i < n; ++i) {
                const Efecto& f = *p.filas[desde + std::size_t(i)];
                if (simple)
                    s->paramByName(QStringLiteral("K%1").arg(i)).setVariant(f.clave.first());
                else
                    for (int k = 0; k < tb.clave.size(); ++k)
                        s->paramByName(QStringLiteral("K%1").arg(k)).setVariant(f.clave[k]);
            }
            s->execute();
            informe.borradas += n;
        }
    }
    for (const Pasos& p : repuestos) {
        const Tabla& tb = p.tabla->tabla;
        // Each row's image before the run's first change, in the table's own types, read by its
        // address in the journal (read in this same transaction).
        qd::fb::Statement s(&a, &t);
        const QStringList todas = tb.clave + tb.columnas;
        QStringList asignar;
        for (const QString& c : tb.columnas)
            asignar << QStringLiteral("%1 = S.%1").arg(c);
        s.setSql(
            QStringLiteral("MERGE INTO %1 T USING (SELECT * FROM %2 WHERE RDB$DB_KEY = :K) S ON (%3) %4 WHEN "
                           "NOT MATCHED THEN INSERT (%5) VALUES (%6)")
                .arg(tb.nombre, tb.diario, condicionClave(tb.clave, QStringLiteral("T"), QStringLiteral("S")),
                     asignar.isEmpty() ? QString()
                                       : QStringLiteral("WHEN MATCHED THEN UPDATE SET ") +
                                             asignar.join(QStringLiteral(", ")),
                     todas.join(QStringLiteral(", ")),
                     lista(todas, QStringLiteral("S."), QStringLiteral(", "))));
        for (const Efecto* f : p.filas) {
            s.paramByName(QStringLiteral("K")).setVariant(f->imagen);
            s.execute();
            if (f->ahora)
                ++informe.restauradas;
            else
                ++informe.recreadas;
        }
    }
    diario.reset();

    informe.simulado = o.simular;
    {
        qd::fb::Statement s(&a, &t);
        s.setSql(QStringLiteral("UPDATE QD_HISTORIAL SET FIN = CURRENT_TIMESTAMP, RESUMEN = :Resumen, "
                                "FILAS_ERRORES = :Omitidas WHERE ID = :Id"));
        informe.hecho = true;
        s.paramByName(QStringLiteral("Resumen")).setString(informe.texto());
        s.paramByName(QStringLiteral("Omitidas")).setInt(informe.omitidas);
        s.paramByName(QStringLiteral("Id")).setInt(propio);
        s.execute();
        qd::fb::Statement marcar(&a, &t);
        marcar.setSql(QStringLiteral(
            "UPDATE QD_HISTORIAL SET DESHECHA = CURRENT_TIMESTAMP, DESHECHA_POR = :Propio WHERE ID = :Id"));
        marcar.paramByName(QStringLiteral("Propio")).setInt(propio);
        marcar.paramByName(QStringLiteral("Id")).setInt(importacion);
        marcar.execute();
    }
    if (o.simular) {
        t.rollback();
        informe.hecho = false;
        return informe;
    }
    t.commit();
    informe.deshacer = propio;
    return informe;
}

} // namespace qd
