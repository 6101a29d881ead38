// The supplier reference verification. A persistent work list per supplier and company
// (ARTICULOS_REF_A_VERIFICAR) of the articles the supplier usually supplies, compared with the
// supplier's workbook through the price list's links, corrected by hand, and written back to the
// supplier-article records, the article cards and their EAN formats.
#include "ImportacionTarifaProveedor.h"

#include "FbError.h"
#include "Sheet.h"

#include <QHash>

#include <optional>

namespace {

using qd::fb::Statement;
using Opciones = qd::OpcionesVerificarReferencias;

QString lineas(const QStringList& l) {
    return l.join(QStringLiteral("\r\n"));
}

// A step's commits held and made once when the step ends, also when it stops on an error: one
// commit for the work of the step (what it wrote stays) instead of one per row, each a synchronous
// write with forced writes on.
class UnGuardado {
public:
    explicit UnGuardado(qd::fb::Transaction& t) : t_(t), hold_(std::in_place, t) {}
    ~UnGuardado() {
        hold_.reset();
        try {
            if (t_.active() && !t_.held()) t_.forceCommitRetaining();
        } catch (const std::exception&) {
            // The connection is gone: there is nothing left to keep.
        }
    }
    UnGuardado(const UnGuardado&) = delete;
    UnGuardado& operator=(const UnGuardado&) = delete;

private:
    qd::fb::Transaction& t_;
    std::optional<qd::fb::Transaction::Hold> hold_;
};

const QStringList kColumnasLista{
    QStringLiteral("ARTICULO"),
    QStringLiteral("PROVEEDOR"),
    QStringLiteral("EMPRESA"),
    QStringLiteral("CODIGO"),
    QStringLiteral("NOMBRE"),
    QStringLiteral("REFERENCIA_PROVEEDOR"),
    QStringLiteral("REFERENCIA_PROV_HABITUAL"),
    QStringLiteral("CODIGOEAN"),
    QStringLiteral("ID_FORMATO"),
    QStringLiteral("ENCONTRADO_SN"),
    QStringLiteral("VERIFICADO_SN"),
    QStringLiteral("MANUAL_SN"),
    QStringLiteral("CATALOGO_WEB"),
    QStringLiteral("ACTUALIZADO_SN"),
    QStringLiteral("EXCEL_REFERENCIA_PROVEEDOR"),
    QStringLiteral("EXCEL_NOMBRE"),
    QStringLiteral("EXCEL_CODIGOEAN"),
};

QStringList listaSelect() {
    QStringList l{QStringLiteral("SELECT AV.ARTICULO,")};
    for (int i = 1; i < kColumnasLista.size(); ++i)
        l << QStringLiteral("    AV.%1,").arg(kColumnasLista[i]);
    l << QStringLiteral("    ART.FAMILIA,") << QStringLiteral("    ART.MARCA,")
      << QStringLiteral("    FORMATOS.CODIGO AS CODIGOFORMATO")
      << QStringLiteral("FROM ARTICULOS_REF_A_VERIFICAR AV")
      << QStringLiteral("INNER JOIN ARTICULOS ART ON (AV.ARTICULO = ART.IDARTICULOS)")
      << QStringLiteral("LEFT OUTER JOIN FORMATOS ON (AV.ID_FORMATO = FORMATOS.IDFORMATOS)");
    return l;
}

const QString kBaseSelect =
    lineas(listaSelect() << QStringLiteral(
               "WHERE ((AV.PROVEEDOR = :PARIDPROVEEDOR) AND (AV.EMPRESA = :PARIDEMPRESA))"));

const QString kRefresh =
    lineas(listaSelect() << QStringLiteral("where") << QStringLiteral("  AV.ARTICULO = :ARTICULO and")
                         << QStringLiteral("  AV.PROVEEDOR = :PROVEEDOR and")
                         << QStringLiteral("  AV.EMPRESA = :EMPRESA"));

QString sqlInsert() {
    QStringList valores;
    for (const QString& c : kColumnasLista)
        valores << QLatin1Char(':') + c;
    return lineas({QStringLiteral("insert into ARTICULOS_REF_A_VERIFICAR"),
                   QStringLiteral("  (%1)").arg(kColumnasLista.join(QStringLiteral(", "))),
                   QStringLiteral("values"),
                   QStringLiteral("  (%1)").arg(valores.join(QStringLiteral(", ")))});
}

QString sqlModify() {
    QStringList l{QStringLiteral("update ARTICULOS_REF_A_VERIFICAR"), QStringLiteral("set")};
    QStringList asignaciones;
    for (int i = 3; i < kColumnasLista.size(); ++i)
        asignaciones << QStringLiteral("  %1 = :%1").arg(kColumnasLista[i]);
    l << asignaciones.join(QStringLiteral(",\r\n"));
    l << QStringLiteral("where") << QStringLiteral("  ARTICULO = :OLD_ARTICULO and")
      << QStringLiteral("  PROVEEDOR = :OLD_PROVEEDOR and") << QStringLiteral("  EMPRESA = :OLD_EMPRESA");
    return lineas(l);
}

const QString kDelete =
    lineas({QStringLiteral("delete from ARTICULOS_REF_A_VERIFICAR"), QStringLiteral("where"),
            QStringLiteral("  ARTICULO = :OLD_ARTICULO and"),
            QStringLiteral("  PROVEEDOR = :OLD_PROVEEDOR and"), QStringLiteral("  EMPRESA = :OLD_EMPRESA")});

const QString kVaciar = QStringLiteral("DELETE FROM ARTICULOS_REF_A_VERIFICAR WHERE ((PROVEEDOR = "
                                       ":PARIDPROVEEDOR) AND (EMPRESA = :PARIDEMPRESA));");

const QString kContar = QStringLiteral("SELECT COUNT(*) FROM ARTICULOS_REF_A_VERIFICAR "
                                       "WHERE ((PROVEEDOR = :PARIDPROVEEDOR) AND (EMPRESA = :PARIDEMPRESA))");

// The articles whose usual supplier is the supplier and that have its supplier record in the
// current company (one record per article: the key of the work list).
const QString kCandidatos = lineas({
    QStringLiteral("SELECT ARTICULOSPROVEEDORES.REFERENCIA_PROVEEDOR,"),
    QStringLiteral("       ARTICULOS.REFERENCIAPROVEEDOR,"),
    QStringLiteral("       ARTICULOS.IDARTICULOS,"),
    QStringLiteral("       ARTICULOSPROVEEDORES.ID_FORMATO,"),
    QStringLiteral("       ARTICULOSPROVEEDORES.CATALOGOWEB_SN,"),
    QStringLiteral("       ARTICULOS.CODIGO,"),
    QStringLiteral("       ARTICULOS.CODIGOEAN,"),
    QStringLiteral("       ARTICULOS.NOMBRE"),
    QStringLiteral("FROM ARTICULOS"),
    QStringLiteral(
        "INNER JOIN ARTICULOSPROVEEDORES ON (ARTICULOS.IDARTICULOS = ARTICULOSPROVEEDORES.ARTICULO)"),
    QStringLiteral("WHERE ((ARTICULOSPROVEEDORES.PROVEEDOR = :PARPROVEEDOR) AND "
                   "(ARTICULOS.PROVEEDORHABITUAL = :PARPROVEEDOR)"),
    QStringLiteral("       AND (ARTICULOSPROVEEDORES.EMPRESA = :PAREMPRESA))"),
    QStringLiteral("ORDER BY ARTICULOS.CODIGO"),
});

const QString kReferenciaRegistro = lineas({
    QStringLiteral("update ARTICULOSPROVEEDORES set"),
    QStringLiteral("  CATALOGOWEB_SN = :CATALOGOWEB_SN,"),
    QStringLiteral("  REFERENCIA_PROVEEDOR = :REFERENCIA_PROVEEDOR"),
    QStringLiteral("where"),
    QStringLiteral("  ARTICULO = :OLD_ARTICULO and"),
    QStringLiteral("  EMPRESA = :OLD_EMPRESA and"),
    QStringLiteral("  PROVEEDOR = :OLD_PROVEEDOR"),
});

QString sqlReferenciaFicha(bool conNombre) {
    return lineas({QStringLiteral("UPDATE ARTICULOS SET "),
                   conNombre ? QStringLiteral("REFERENCIAPROVEEDOR = :PARREFERENCIA, NOMBRE = :PARNOMBRE ")
                             : QStringLiteral("REFERENCIAPROVEEDOR = :PARREFERENCIA "),
                   QStringLiteral(" WHERE (IDARTICULOS = :PARIDARTICULO);")});
}

// The order keys a column title may give: the work list's columns, the format code, the
// article's family and brand. Anything else orders by code.
QString claveOrden(const QString& orden) {
    const QString o = orden.trimmed().toUpper();
    if (o == QLatin1String("FORMATOS.CODIGO") || o == QLatin1String("ART.FAMILIA") ||
        o == QLatin1String("ART.MARCA"))
        return o;
    if (o.startsWith(QLatin1String("AV.")) && kColumnasLista.contains(o.mid(3))) return o;
    return QStringLiteral("AV.CODIGO");
}

QString texto(const QVariant& v) {
    return v.isNull() ? QString() : v.toString().trimmed();
}

} // namespace

QStringList qd::OpcionesVerificarReferencias::entradasVisualizar() {
    return {QStringLiteral("  Todos"),          QStringLiteral("  Verificados"),
            QStringLiteral("  Sin Verificar"),  QStringLiteral("  Actualizados"),
            QStringLiteral("  Sin Actualizar"), QStringLiteral("  Manuales"),
            QStringLiteral("  Catálogo WEB"),   QStringLiteral("  Sin Código EAN")};
}

QString qd::OpcionesVerificarReferencias::filtroVisualizar(Visualizar v) {
    switch (v) {
    case Visualizar::Todos:
        return {};
    case Visualizar::Verificados:
        return QStringLiteral(" AND (AV.VERIFICADO_SN = 1) ");
    case Visualizar::SinVerificar:
        return QStringLiteral(" AND (AV.VERIFICADO_SN = 0) ");
    case Visualizar::Actualizados:
        return QStringLiteral(" AND (AV.ACTUALIZADO_SN = 1) ");
    case Visualizar::SinActualizar:
        return QStringLiteral(" AND (AV.ACTUALIZADO_SN = 0) ");
    case Visualizar::Manuales:
        return QStringLiteral(" AND (AV.MANUAL_SN = 1) ");
    case Visualizar::CatalogoWeb:
        return QStringLiteral(" AND (AV.CATALOGO_WEB = 1) ");
    case Visualizar::SinCodigoEAN:
        return QStringLiteral(" AND ((FORMATOS.CODIGO IS NULL) OR (FORMATOS.CODIGO = '')) ");
    }
    return {};
}

int ImportacionTarifaProveedor::Abrir_Referencias_A_Verificar(const OpcionesVerificarReferencias& o) {
    d.Exigir_Conexion();
    TkvIBDataSet& ds = tArticulos_Ref_A_Verificar;
    if (ds.active()) {
        if (ds.state() == TkvIBDataSet::State::Edit || ds.state() == TkvIBDataSet::State::Insert) ds.cancel();
        ds.close();
    }
    if (ds.name.isEmpty()) {
        ds.name = QStringLiteral("tArticulos_Ref_A_Verificar");
        ds.InsertSQL = sqlInsert();
        ds.ModifySQL = sqlModify();
        ds.DeleteSQL = kDelete;
        ds.RefreshSQL = kRefresh;
        ds.FControlTransacciones = true;
        ds.FCommitOnPost = true;
        ds.FCommitOnDelete = true;
        // Every edit, by the user or by a process, makes the row a manual one.
        ds.afterEdit = [](TkvIBDataSet& d) { d.setValue(QStringLiteral("MANUAL_SN"), 1); };
    }
    using Ambito = OpcionesVerificarReferencias::Ambito;
    const bool familia = o.ambito == Ambito::Familia && o.IdFamilia > 0;
    const bool marca = !familia && o.ambito == Ambito::Marca && o.IdMarca > 0;
    QStringList l{kBaseSelect};
    if (familia) l << QStringLiteral(" AND (ART.FAMILIA = :PARFAMILIA) ");
    if (marca) l << QStringLiteral(" AND (ART.MARCA = :PARMARCA) ");
    const QString filtro = OpcionesVerificarReferencias::filtroVisualizar(o.visualizar);
    if (!filtro.isEmpty()) l << filtro;
    l << QStringLiteral("ORDER BY %1 %2;")
             .arg(claveOrden(o.Orden), o.Descendente ? QStringLiteral("DESC") : QStringLiteral("ASC"));
    ds.SelectSQL = lineas(l);
    d.IBTransaction1.ensureStarted();
    ds.paramByName(QStringLiteral("PARIDPROVEEDOR")).setInt(o.IdProveedor);
    ds.paramByName(QStringLiteral("PARIDEMPRESA")).setInt(d.IdEmpresa);
    if (familia) ds.paramByName(QStringLiteral("PARFAMILIA")).setInt(o.IdFamilia);
    if (marca) ds.paramByName(QStringLiteral("PARMARCA")).setInt(o.IdMarca);
    ds.open();
    if (ds.recordCount() > 0) ds.first();
    return ds.recordCount();
}

int ImportacionTarifaProveedor::Total_Referencias_A_Verificar(int idProveedor) {
    d.Exigir_Conexion();
    Statement s(&d.IBDatabase, &d.IBTransaction1);
    d.IBTransaction1.ensureStarted();
    s.setSql(kContar);
    s.paramByName(QStringLiteral("PARIDPROVEEDOR")).setInt(idProveedor);
    s.paramByName(QStringLiteral("PARIDEMPRESA")).setInt(d.IdEmpresa);
    s.execute();
    const int n = s.eof() ? 0 : int(s.field(0).asInt());
    s.close();
    return n;
}

void ImportacionTarifaProveedor::Vaciar_Referencias_A_Verificar(int idProveedor) {
    d.Exigir_Conexion();
    if (tArticulos_Ref_A_Verificar.active()) tArticulos_Ref_A_Verificar.close();
    d.Ejecutar_Sentencia(kVaciar, {{QStringLiteral("PARIDPROVEEDOR"), idProveedor},
                                   {QStringLiteral("PARIDEMPRESA"), d.IdEmpresa}});
    d.IBTransaction1.commitRetaining();
}

int ImportacionTarifaProveedor::cargarReferenciasAVerificar(const OpcionesVerificarReferencias& o,
                                                            bool preguntar) {
    d.Exigir_Conexion();
    if (o.IdProveedor <= 0)
        throw qd::ErrorImportacion(
            QStringLiteral("Debe indicarse el Proveedor a Importar los nuevos Precios."));
    TkvIBDataSet& ds = tArticulos_Ref_A_Verificar;
    if (preguntar && d.canal().ask(QStringLiteral(
                         "\r\n¿ Desea Limpiar la tabla Verificación de Artículos y volverla a Cargar ?"))) {
        Vaciar_Referencias_A_Verificar(o.IdProveedor);
    }
    const int mostradas = Abrir_Referencias_A_Verificar(o);
    // A list that has rows is never topped up, whatever the scope and the entry shown.
    if (Total_Referencias_A_Verificar(o.IdProveedor) > 0) return mostradas;

    d.canal().status(QStringLiteral("Cargando los artículos del proveedor"));
    Statement q(&d.IBDatabase, &d.IBTransaction1);
    d.IBTransaction1.ensureStarted();
    q.setSql(kCandidatos);
    q.paramByName(QStringLiteral("PARPROVEEDOR")).setInt(o.IdProveedor);
    q.paramByName(QStringLiteral("PAREMPRESA")).setInt(d.IdEmpresa);
    q.execute();
    struct Candidato {
        QVariant articulo, codigo, nombre, referencia, habitual, ean, formato, catalogo;
    };
    std::vector<Candidato> candidatos;
    for (; !q.eof(); q.next()) {
        auto f = [&q](const char* c) { return q.fieldByName(QString::fromLatin1(c)).asVariant(); };
        candidatos.push_back({f("IDARTICULOS"), f("CODIGO"), f("NOMBRE"), f("REFERENCIA_PROVEEDOR"),
                              f("REFERENCIAPROVEEDOR"), f("CODIGOEAN"), f("ID_FORMATO"),
                              f("CATALOGOWEB_SN")});
    }
    q.close();
    std::optional<UnGuardado> guardado(std::in_place, d.IBTransaction1);
    for (const Candidato& c : candidatos) {
        ds.append();
        ds.setValue(QStringLiteral("ARTICULO"), c.articulo);
        ds.setValue(QStringLiteral("PROVEEDOR"), o.IdProveedor);
        ds.setValue(QStringLiteral("EMPRESA"), d.IdEmpresa);
        ds.setValue(QStringLiteral("CODIGO"), c.codigo);
        ds.setValue(QStringLiteral("NOMBRE"), c.nombre);
        ds.setValue(QStringLiteral("REFERENCIA_PROVEEDOR"), c.referencia);
        ds.setValue(QStringLiteral("REFERENCIA_PROV_HABITUAL"), c.habitual);
        ds.setValue(QStringLiteral("CODIGOEAN"), c.ean);
        ds.setValue(QStringLiteral("ID_FORMATO"), c.formato);
        for (const char* campo : {"ENCONTRADO_SN", "VERIFICADO_SN", "MANUAL_SN", "ACTUALIZADO_SN"})
            ds.setValue(QString::fromLatin1(campo), 0);
        // The record's own web-catalogue mark: writing the row back keeps it unless changed.
        ds.setValue(QStringLiteral("CATALOGO_WEB"), c.catalogo.isNull() ? 0 : c.catalogo.toInt());
        try {
            ds.post();
        } catch (const std::exception& e) {
            ds.cancel();
            d.canal().incidence(
                QStringLiteral("Artículo %1: %2").arg(texto(c.codigo), TDatos::Texto_Error(e)));
        }
    }
    guardado.reset();
    // Reopened: the rows show their family, brand and format code, under the scope and the entry.
    const int n = Abrir_Referencias_A_Verificar(o);
    d.canal().status(QStringLiteral("Nº. Reg.:  %1").arg(n));
    return n;
}

ImportacionTarifaProveedor::ResumenVerificarReferencias
ImportacionTarifaProveedor::verificarReferenciasExcel(const QString& fichero,
                                                      const OpcionesVerificarReferencias& o) {
    d.Exigir_Conexion();
    if (o.IdProveedor <= 0 || o.Enlaces.isEmpty() || fichero.isEmpty())
        throw qd::ErrorImportacion(
            QStringLiteral("Para Cargar y Verificar los Datos Excel, previamente debe "
                           "seleccionar el fichero Excel y enlazar los campos a verificar."));
    if (!d.hayExcel() || d.Fichero_Excel != fichero) d.CargarExcel(fichero);
    TkvIBDataSet& ds = tArticulos_Ref_A_Verificar;
    if (!ds.active()) cargarReferenciasAVerificar(o, false);
    const ColumnasEnlazadas enlazadas = Columnas_Enlazadas(o.FilaTitulos, o.Enlaces);
    int colReferencia = 0, colEan = 0, colNombre = 0;
    for (const auto& [c, campo] : enlazadas.columnas) {
        if (campo == QLatin1String("REFERENCIA_PROVEEDOR") && colReferencia == 0) colReferencia = c;
        if (campo == QLatin1String("CODIGOEAN") && colEan == 0) colEan = c;
        if (campo == QLatin1String("NOMBRE_ARTICULO") && colNombre == 0) colNombre = c;
    }
    if (colReferencia == 0)
        throw qd::ErrorImportacion(QStringLiteral(
            "Debe enlazarse una columna con REFERENCIA_PROVEEDOR para verificar las referencias."));

    // The rows shown, by their reference and by their card reference (the first of each).
    const int iRef = ds.fieldIndex(QStringLiteral("REFERENCIA_PROVEEDOR"));
    const int iHab = ds.fieldIndex(QStringLiteral("REFERENCIA_PROV_HABITUAL"));
    QHash<QString, int> porReferencia, porHabitual;
    for (int f = 0; f < ds.recordCount(); ++f) {
        const QString r = texto(ds.valueAt(f, iRef)).toUpper();
        const QString h = texto(ds.valueAt(f, iHab)).toUpper();
        if (!r.isEmpty() && !porReferencia.contains(r)) porReferencia.insert(r, f);
        if (!h.isEmpty() && !porHabitual.contains(h)) porHabitual.insert(h, f);
    }

    ResumenVerificarReferencias r;
    const qd::wb::Sheet& hoja = d.hojaExcel();
    const int T = o.FilaTitulos;
    const int L = d.Ultima_Fila_Excel();
    const int N = std::max(0, L - T);
    d.canal().status(QStringLiteral("Verificando las referencias con el fichero Excel"));
    const UnGuardado guardado(d.IBTransaction1);
    d.canal().progressOpen(N);
    d.Abortar_Proceso = false;
    QString progreso;
    for (int R = T + 1; R <= L; ++R) {
        const QString leida = hoja.text(R, colReferencia).trimmed().toUpper();
        const QString clave = Clave_Referencia_Proveedor(leida, o.PrefijoReferencia);
        if (!hoja.text(R, enlazadas.inicial).trimmed().isEmpty() && !clave.isEmpty()) {
            int fila = porReferencia.value(clave, -1);
            if (fila < 0) fila = porHabitual.value(clave, -1);
            if (fila >= 0) {
                try {
                    ds.setRecNo(fila + 1);
                    const QString guardada = texto(ds.value(QStringLiteral("REFERENCIA_PROVEEDOR")));
                    progreso = QStringLiteral("Referencia:  %1\r\n\r\nReg.: %2 de %3")
                                   .arg(guardada.isEmpty()
                                            ? texto(ds.value(QStringLiteral("REFERENCIA_PROV_HABITUAL")))
                                            : guardada)
                                   .arg(R)
                                   .arg(N);
                    ds.edit();
                    // A row without a reference takes the workbook's, as it is matched.
                    if (guardada.isEmpty()) {
                        ds.setValue(QStringLiteral("REFERENCIA_PROVEEDOR"), clave);
                        porReferencia.insert(clave, fila);
                    }
                    ds.setValue(QStringLiteral("EXCEL_REFERENCIA_PROVEEDOR"), clave);
                    if (colEan > 0)
                        ds.setValue(QStringLiteral("EXCEL_CODIGOEAN"), hoja.text(R, colEan).trimmed());
                    if (colNombre > 0)
                        ds.setValue(QStringLiteral("EXCEL_NOMBRE"),
                                    hoja.text(R, colNombre).trimmed().toUpper().left(50));
                    ds.setValue(QStringLiteral("VERIFICADO_SN"), 1);
                    ds.setValue(QStringLiteral("ENCONTRADO_SN"), 1);
                    ds.post();
                    ++r.Encontrados;
                } catch (const std::exception& e) {
                    if (ds.state() != TkvIBDataSet::State::Browse) ds.cancel();
                    d.canal().incidence(QStringLiteral("Fila %1: %2").arg(R).arg(TDatos::Texto_Error(e)));
                }
            }
        }
        d.canal().progressStep(QStringLiteral("\r\n") + progreso);
        if (d.canal().processEventsAndCancelled()) {
            r.cancelado = true;
            break;
        }
    }
    d.canal().progressClose();
    if (ds.recordCount() > 0) ds.first();
    r.texto = QStringLiteral("Encontrados: %1").arg(r.Encontrados);
    d.canal().status(QStringLiteral("Nº. Reg.:  %1").arg(ds.recordCount()));
    return r;
}

ImportacionTarifaProveedor::ResumenVerificarReferencias
ImportacionTarifaProveedor::actualizarReferenciasVerificadas(const OpcionesVerificarReferencias& o) {
    ResumenVerificarReferencias r;
    TkvIBDataSet& ds = tArticulos_Ref_A_Verificar;
    if (!ds.active()) return r;
    d.Exigir_Conexion();
    const int total = ds.recordCount();
    d.canal().progressOpen(total);
    d.Abortar_Proceso = false;
    struct Cerrar {
        qd::UserChannel& c;
        ~Cerrar() { c.progressClose(); }
    } cerrar{d.canal()};
    auto v = [&ds](const char* c) { return ds.value(QString::fromLatin1(c)); };
    const UnGuardado guardado(d.IBTransaction1);
    for (int fila = 0; fila < total; ++fila) {
        ds.setRecNo(fila + 1);
        const QString referencia = texto(v("REFERENCIA_PROVEEDOR"));
        const bool participa =
            v("VERIFICADO_SN").toInt() != 0 && (v("ACTUALIZADO_SN").toInt() != 1 || o.VolverActualizar);
        // A row without a reference has nothing to write: a stored reference is never blanked.
        if (participa && !referencia.isEmpty()) {
            const int articulo = v("ARTICULO").toInt();
            if (o.ActualizarArticulosProveedor) {
                d.Ejecutar_Sentencia(
                    kReferenciaRegistro,
                    {{QStringLiteral("CATALOGOWEB_SN"), o.CatalogoWeb ? 1 : v("CATALOGO_WEB").toInt()},
                     {QStringLiteral("REFERENCIA_PROVEEDOR"), referencia},
                     {QStringLiteral("OLD_ARTICULO"), articulo},
                     {QStringLiteral("OLD_EMPRESA"), d.IdEmpresa},
                     {QStringLiteral("OLD_PROVEEDOR"), v("PROVEEDOR").toInt()}});
                d.IBTransaction1.commitRetaining();
            }
            if (o.ActualizarProveedorHabitual) {
                // A row without a workbook name (verified by hand) keeps the card's name.
                const QString nombre = texto(v("EXCEL_NOMBRE"));
                const bool conNombre = o.ActualizarNombreArticulo && !nombre.isEmpty();
                QList<QPair<QString, QVariant>> ps{{QStringLiteral("PARREFERENCIA"), referencia},
                                                   {QStringLiteral("PARIDARTICULO"), articulo}};
                if (conNombre) ps << qMakePair(QStringLiteral("PARNOMBRE"), QVariant(nombre));
                d.Ejecutar_Sentencia(sqlReferenciaFicha(conNombre), ps);
                d.IBTransaction1.commitRetaining();
            }
            if (o.ActualizarArticulosProveedor || o.ActualizarProveedorHabitual) {
                ds.edit();
                ds.setValue(QStringLiteral("ACTUALIZADO_SN"), 1);
                if (o.ActualizarProveedorHabitual)
                    ds.setValue(QStringLiteral("REFERENCIA_PROV_HABITUAL"), referencia);
                ds.post();
                ++r.Actualizados;
            }
            const QString ean = texto(v("EXCEL_CODIGOEAN"));
            if (o.CodigoEAN && !ean.isEmpty()) {
                try {
                    FormatoEAN f;
                    f.idArticulo = articulo;
                    f.idProveedor = v("PROVEEDOR").toInt();
                    f.idFormato = v("ID_FORMATO").toInt();
                    f.ean = ean;
                    f.nombre = texto(v("NOMBRE"));
                    f.observaciones = QStringLiteral("Ref. Proveedor: [%1] - Proveedor: %2 - %3")
                                          .arg(referencia, o.CodigoProveedor, o.NombreProveedor);
                    if (Asignar_Formato_EAN(f)) ++r.FormatosCreados;
                } catch (const std::exception& e) {
                    d.canal().incidence(
                        QStringLiteral("Referencia %1: %2").arg(referencia, TDatos::Texto_Error(e)));
                }
            }
        }
        d.canal().progressStep(QStringLiteral("\r\n\r\nReferencia:  ") + referencia);
        if (d.canal().processEventsAndCancelled()) {
            r.cancelado = true;
            break;
        }
    }
    if (ds.recordCount() > 0) ds.first();
    r.texto = QStringLiteral("¡¡ PROCESO TERMINADO !!\r\n\r\nActualizados: %1").arg(r.Actualizados);
    if (o.CodigoEAN) r.texto += QStringLiteral("\r\nFormatos creados: %1").arg(r.FormatosCreados);
    if (r.cancelado) r.texto = QStringLiteral("Proceso cancelado por el usuario.\r\n\r\n") + r.texto;
    d.canal().message(qd::MessageKind::Information, r.texto);
    return r;
}

bool ImportacionTarifaProveedor::Referencia_Difiere(int fila) const {
    const TkvIBDataSet& ds = tArticulos_Ref_A_Verificar;
    if (!ds.active() || fila < 0 || fila >= ds.recordCount()) return false;
    auto t = [&](const char* c) { return texto(ds.valueAt(fila, ds.fieldIndex(QString::fromLatin1(c)))); };
    auto difieren = [](const QString& a, const QString& b) { return !a.isEmpty() && !b.isEmpty() && a != b; };
    return difieren(t("CODIGOFORMATO"), t("EXCEL_CODIGOEAN")) ||
           difieren(t("EXCEL_REFERENCIA_PROVEEDOR"), t("REFERENCIA_PROVEEDOR"));
}

QStringList ImportacionTarifaProveedor::lineasBusquedaFamilia() {
    return {QStringLiteral("SELECT CODIGO,"), QStringLiteral("NOMBRE,"),
            QStringLiteral("IDFAMILIASARTICULOS"), QStringLiteral("FROM FAMILIASARTICULOS")};
}

QStringList ImportacionTarifaProveedor::lineasBusquedaMarca() {
    return {QStringLiteral("SELECT CODIGO,"), QStringLiteral("NOMBRE,"), QStringLiteral("IDMARCAS"),
            QStringLiteral("FROM MARCAS")};
}
