// The sales price-list import. The staging table kvRxTarifas (code, name and up to three
// prices in fixed columns), its loader CargarRxTarifas and the writer InsertarTarifas, which sets
// the first interval's price (and the price with VAT) of each article in each chosen price list.
#include "ImportacionTarifas.h"

#include "AvisosLectura.h"
#include "FbError.h"
#include "Sheet.h"

#include <QLocale>

#include <cmath>

namespace {

using Tipo = TkvRxMemoryData::FieldType;
using qd::fb::Statement;

const QString kFormatoImporte = QStringLiteral("#,##0.00");
constexpr int kColumnasPrecio[3] = {3, 5, 7};

} // namespace

ImportacionTarifas::ImportacionTarifas(TDatos& datos) : d(datos) {
    Definir_kvRxTarifas();
}

void ImportacionTarifas::Definir_kvRxTarifas() {
    auto& t = kvRxTarifas;
    t.name = QStringLiteral("kvRxTarifas");
    auto campo = [&t](const char* nombre, Tipo tipo, int tam, const QString& formato = {}) {
        t.addField({QString::fromLatin1(nombre), tipo, tam, {}, formato});
    };
    campo("CODIGO", Tipo::String, 18);
    campo("NOMBRE", Tipo::String, 50);
    campo("PRECIO1", Tipo::Float, 0, kFormatoImporte);
    campo("V1", Tipo::String, 1);
    campo("PRECIO2", Tipo::Float, 0, kFormatoImporte);
    campo("V2", Tipo::String, 1);
    campo("PRECIO3", Tipo::Float, 0, kFormatoImporte);
}

int ImportacionTarifas::cargarTarifas(const QString& fichero) {
    d.Exigir_Conexion();
    d.canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    d.CargarExcel(fichero);
    d.canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxTarifas();
    return kvRxTarifas.recordCount();
}

QStringList ImportacionTarifas::Titulos_Precios_Tarifas() const {
    return titulosTarifas_;
}

void ImportacionTarifas::CargarRxTarifas() {
    TkvRxMemoryData& t = kvRxTarifas;
    t.close();
    t.open();
    d.Filas_No_Escritas.clear();
    TDatos::CargaHoja& carga = d.cargas_[&t];
    carga = TDatos::CargaHoja{};
    descartadasCarga_ = 0;
    titulosTarifas_.clear();
    if (!d.hayExcel()) return;
    const qd::wb::Sheet& hoja = d.hojaExcel();
    qd::avisosLectura(hoja, d.canal());
    // The captions of the three price columns are in row 2.
    for (const int c : kColumnasPrecio)
        titulosTarifas_ << hoja.text(2, c).toUpper();
    for (const int c : {1, 2, 3, 5, 7})
        carga.cabeceras << hoja.text(1, c);
    const int ultima = d.Ultima_Fila_Excel();
    for (int fila = 2; fila <= ultima; ++fila) {
        // A data row is one whose column 3 is a number; captions, blank lines and notes are not.
        bool numero = false;
        const qd::wb::Cell& precio1 = hoja.cell(fila, 3);
        if (precio1.type == qd::wb::CellType::Number)
            numero = true;
        else if (precio1.type == qd::wb::CellType::Text)
            QLocale().toDouble(precio1.text.trimmed(), &numero);
        if (!numero) continue;
        t.append();
        if (!d.Poner_Codigo_Staging(t, 0, fila, 1)) {
            t.cancel(); // a code longer than any article's: told, and the row is not kept
            continue;
        }
        d.Poner_Celda_Staging(t, 1, fila, 2);
        d.Poner_Celda_Staging(t, 2, fila, 3);
        d.Poner_Celda_Staging(t, 4, fila, 5);
        d.Poner_Celda_Staging(t, 6, fila, 7);
        t.post();
        carga.filas.push_back(fila);
    }
}

ImportacionTarifas::ResumenTarifas ImportacionTarifas::confirmarTarifas(const OpcionesTarifas& o,
                                                                        const qd::OpcionesMotor& motor) {
    d.Exigir_Conexion();
    d.canal().status(QStringLiteral("Importando Precios de Tarifas a la Base de Datos"));
    ResumenTarifas r = d.Con_Motor(motor, [&](qd::MotorFilas&) { return InsertarTarifas(o); });
    d.canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

ImportacionTarifas::ResumenTarifas ImportacionTarifas::InsertarTarifas(const OpcionesTarifas& o) {
    ResumenTarifas r;
    TkvRxMemoryData& t = kvRxTarifas;
    Statement precios(&d.IBDatabase, &d.IBTransaction1);
    Statement articulo(&d.IBDatabase, &d.IBTransaction1);
    Statement enTarifa(&d.IBDatabase, &d.IBTransaction1);
    // MIN over an expression: the (TARIFA, ARTICULO) index finds the article's rows, where MIN over
    // the bare ID would walk the primary key from the lowest ID of every price list.
    precios.setSql(
        QStringLiteral("UPDATE IntervalosTarifasArticulos SET IMPORTEVENTA = :ParPVP, "
                       "IMPORTEVENTACONIVA = :ParPVPConIVA WHERE "
                       "(Desde = :parDesde) AND (TarifaArticulo = (SELECT MIN(IdTarifasArticulos + 0) "
                       "FROM TarifasArticulos WHERE "
                       "(Tarifa = :ParIdTarifa) AND (Articulo = :ParArticulo)))"));
    articulo.setSql(
        QStringLiteral("SELECT A.IDARTICULOS, I.PORCENTAJEIVA FROM ARTICULOS A INNER JOIN TABLAIVA I ON "
                       "I.IDTABLAIVA = A.IVA WHERE A.CODIGO = :ParCodigo"));
    enTarifa.setSql(
        QStringLiteral("SELECT T.IDTARIFAS FROM TARIFAS T INNER JOIN TARIFASARTICULOS TA ON TA.TARIFA = "
                       "T.IDTARIFAS WHERE TA.TARIFA = :IDTARIFA AND TA.ARTICULO = :IDARTICULO"));
    const int tarifas[3] = {o.IDTarifa1, o.IDTarifa2, o.IDTarifa3};

    auto cuentas = [&r] {
        return TDatos::Texto_Resumen(
            {{QStringLiteral("Precios actualizados"), r.Actualizados},
             {QStringLiteral("Artículos no encontrados"), r.NoEncontrados},
             {QStringLiteral("Precios de artículos que no están en la tarifa"), r.FueraDeTarifa},
             {QStringLiteral("Con errores"), r.ConErrores}});
    };
    TDatos::RecorridoFilas recorrido;
    recorrido.cuentas = cuentas;
    recorrido.codigo = [&t] { return t.value(QStringLiteral("CODIGO")).toString(); };
    recorrido.escribir = [&] {
        const int fila = d.Fila_Hoja(t, t.recNo());
        const QString codigo = t.value(QStringLiteral("CODIGO")).toString().trimmed();
        articulo.paramByName(QStringLiteral("ParCodigo")).setString(codigo);
        articulo.execute();
        const int id = articulo.eof() || articulo.field(0).isNull() ? 0 : int(articulo.field(0).asInt());
        const double iva = articulo.eof() ? 0 : articulo.field(1).asVariant().toDouble();
        articulo.close();
        if (id == 0) {
            ++r.NoEncontrados;
            d.canal().incidence(
                QStringLiteral("Fila %1: «%2» no es el código de ningún artículo; sus precios no se "
                               "escriben.")
                    .arg(fila)
                    .arg(codigo));
            d.Anotar_Fila_No_Escrita(fila, QStringLiteral("No hay ningún artículo con ese código."));
            return;
        }
        // The row's prices are checked before any is written: a price (or its price with VAT) the
        // interval's column cannot hold refuses the whole row. An empty price cell leaves the
        // list's price as it is, and is told.
        bool vacio[3] = {false, false, false};
        for (int n = 0; n < 3; ++n) {
            if (tarifas[n] == 0) continue;
            const int columna = kColumnasPrecio[n];
            if (d.hayExcel() && d.hojaExcel().text(fila, columna).trimmed().isEmpty()) {
                vacio[n] = true;
                d.Incidencia_Celda(
                    fila, d.hojaExcel().text(1, columna), QString(),
                    QStringLiteral("está vacía: el precio de la tarifa %1 no cambia.").arg(n + 1));
                continue;
            }
            const double precio = t.value(QStringLiteral("PRECIO%1").arg(n + 1)).toDouble();
            const QList<QPair<QString, double>> valores{
                {QStringLiteral("IMPORTEVENTA"), precio},
                {QStringLiteral("IMPORTEVENTACONIVA"), precio * (iva / 100 + 1)}};
            for (const auto& [nombre, valor] : valores)
                if (const auto fuera =
                        limites_.fuera(QStringLiteral("INTERVALOSTARIFASARTICULOS"), nombre, valor, 2)) {
                    ++r.ConErrores;
                    const QString motivo = QStringLiteral("precio %1, %2 «%3»: %4; la fila no se escribe.")
                                               .arg(n + 1)
                                               .arg(nombre, qd::LimitesColumnas::texto(valor), *fuera);
                    d.Incidencia_Celda(
                        fila, d.hayExcel() ? d.hojaExcel().text(1, columna) : QString::number(columna),
                        qd::LimitesColumnas::texto(precio), motivo);
                    d.Anotar_Fila_No_Escrita(fila, motivo);
                    return;
                }
        }
        for (int n = 0; n < 3; ++n) {
            const double precio = t.value(QStringLiteral("PRECIO%1").arg(n + 1)).toDouble();
            // A price of 0 leaves the list's price as it is; a column without a list is not read.
            if (vacio[n] || precio == 0 || tarifas[n] == 0) continue;
            try {
                enTarifa.paramByName(QStringLiteral("IDTARIFA")).setInt(tarifas[n]);
                enTarifa.paramByName(QStringLiteral("IDARTICULO")).setInt(id);
                enTarifa.execute();
                const bool esta = !enTarifa.eof();
                enTarifa.close();
                if (!esta) {
                    ++r.FueraDeTarifa;
                    d.canal().incidence(
                        QStringLiteral("Fila %1: el artículo %2 no está en la tarifa del precio %3; ese "
                                       "precio no se escribe.")
                            .arg(fila)
                            .arg(codigo)
                            .arg(n + 1));
                    continue;
                }
                // The price with VAT at the article's full rate (10.5 % is 10.5 %).
                precios.paramByName(QStringLiteral("ParArticulo")).setInt(id);
                precios.paramByName(QStringLiteral("ParIdTarifa")).setInt(tarifas[n]);
                precios.paramByName(QStringLiteral("parDesde")).setInt(1);
                precios.paramByName(QStringLiteral("ParPVP")).setDouble(precio);
                precios.paramByName(QStringLiteral("ParPVPConIVA"))
                    .setDouble(std::round(precio * (iva / 100 + 1) * 1e6) / 1e6);
                precios.execute();
                ++r.Actualizados;
            } catch (const std::exception& e) {
                // One price the database refuses: told, and the next price is taken.
                ++r.ConErrores;
                const QString texto = QStringLiteral("Fila %1, precio %2 (%3): %4")
                                          .arg(fila)
                                          .arg(n + 1)
                                          .arg(codigo, TDatos::Texto_Error(e));
                d.canal().message(qd::MessageKind::Warning, texto);
                d.canal().incidence(texto);
                d.Anotar_Fila_No_Escrita(fila, TDatos::Texto_Error(e));
            }
        }
    };
    const TDatos::FinRecorrido fin = d.Recorrer_Filas(t, recorrido);
    r.ConErrores += fin.conErrores;
    r.texto = d.Terminar_Resumen(cuentas(), fin.cancelado, &r.motor);
    d.canal().message(qd::MessageKind::Information, r.texto);
    return r;
}
