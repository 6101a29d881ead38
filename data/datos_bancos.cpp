// TDatos: the clients' bank accounts ("Clientes - Bancos"). The staging table kvRxMDDomiciliosCobro,
// its loader (headers compared as written), and the writer that adds each account to its client's
// collection domiciles.
#include "TDatos.h"

#include "DigitosControl.h"
#include "FbError.h"
#include "FieldList.h"
#include "SentenciasPreparadas.h"
#include "Sheet.h"

namespace {

using Tipo = TkvRxMemoryData::FieldType;
using qd::fb::Statement;

QString texto(const TkvRxMemoryData& t, const char* campo) {
    return t.value(QString::fromLatin1(campo)).toString().trimmed();
}

} // namespace

void TDatos::Definir_kvRxMDDomiciliosCobro() {
    auto& t = kvRxMDDomiciliosCobro;
    t.name = QStringLiteral("kvRxMDDomiciliosCobro");
    auto campo = [&t](const char* nombre, Tipo tipo, int tam, const char* etiqueta, bool visible = true) {
        t.addField({QString::fromLatin1(nombre), tipo, tam, QString::fromUtf8(etiqueta), {}, false, visible});
    };
    campo("CODIGOCLIENTE", Tipo::String, 7, "Cod. Cliente");
    campo("NOMBREBANCO", Tipo::String, 100, "Nombre Banco");
    campo("IBAN_CODIGOPAIS", Tipo::String, 2, "IBAN_CP");
    campo("IBAN_DCIBAN", Tipo::String, 2, "IBAN_DC");
    campo("CODIGOBANCO", Tipo::String, 4, "Banco");
    campo("CODIGOSUCURSAL", Tipo::String, 4, "Sucursal");
    campo("DC", Tipo::String, 2, "DC");
    campo("NUMEROCUENTA", Tipo::String, 10, "Nº Cuenta");
    campo("IDCLIENTE", Tipo::Integer, 0, "", false);
    campo("CODIGO_BIC", Tipo::String, 11, "", false);
}

int TDatos::cargarBancos(const QString& fichero) {
    Exigir_Conexion();
    canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    CargarExcel(fichero);
    canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxDomiciliosCobro();
    return kvRxMDDomiciliosCobro.recordCount();
}

void TDatos::CargarRxDomiciliosCobro() {
    TkvRxMemoryData& t = kvRxMDDomiciliosCobro;
    auto campo = [&t](const char* nombre) { return t.fieldIndex(QString::fromLatin1(nombre)); };
    bool hayPais = false, rechazada = false;
    QString pais;
    Leer_Filas_Excel(
        t,
        [&](int fila, int columna, const QString& cabecera) {
            const qd::wb::Sheet& hoja = hojaExcel();
            const QString valor = hoja.text(fila, columna).trimmed();
            if (cabecera == QLatin1String("Codigo")) {
                rechazada = !Poner_Codigo_Staging(t, campo("CODIGOCLIENTE"), fila, columna) || rechazada;
            } else if (cabecera == QLatin1String("CuentaBancoCCC")) {
                const qd::wb::Cell& celda = hoja.cell(fila, columna);
                if (celda.type == qd::wb::CellType::Number) {
                    Incidencia_Celda(
                        fila, cabecera, valor,
                        QStringLiteral("es un número que no guarda las 20 cifras de la cuenta; escríbala "
                                       "como texto. Se deja vacía."));
                    return;
                }
                Poner_Valor_Celda(t, campo("CODIGOBANCO"), valor.mid(0, 4), fila, columna);
                Poner_Valor_Celda(t, campo("CODIGOSUCURSAL"), valor.mid(4, 4), fila, columna);
                Poner_Valor_Celda(t, campo("DC"), valor.mid(8, 2), fila, columna);
                Poner_Valor_Celda(t, campo("NUMEROCUENTA"), valor.mid(10, 10), fila, columna);
                // Check digits "00": computed from the bank, the branch and the account number.
                if (valor.mid(8, 2) == QLatin1String("00")) {
                    const QString dc =
                        qd::CalculoDigitoControl(valor.mid(0, 4), valor.mid(4, 4), valor.mid(10, 10));
                    if (!dc.isEmpty())
                        Poner_Valor_Staging(t, campo("DC"), dc);
                    else
                        Incidencia_Celda(
                            fila, cabecera, valor,
                            QStringLiteral("no es una cuenta de cifras: sus dígitos de control «00» no se "
                                           "pueden calcular y se dejan así."));
                }
            } else if (cabecera == QLatin1String("NombreBanco")) {
                Poner_Valor_Celda(t, campo("NOMBREBANCO"), valor, fila, columna);
            } else if (cabecera == QLatin1String("Iban_Pais")) {
                Poner_Valor_Celda(t, campo("IBAN_CODIGOPAIS"), valor, fila, columna);
            } else if (cabecera == QLatin1String("Iban_DC")) {
                Poner_Valor_Celda(t, campo("IBAN_DCIBAN"), valor, fila, columna);
            } else if (cabecera == QLatin1String("Pais")) {
                hayPais = true;
                pais = valor;
            }
        },
        [&] {
            // The IBAN from the country, once the whole row is read (whatever the order of its
            // columns), unless the row gives it.
            if (std::exchange(hayPais, false) && texto(t, "IBAN_CODIGOPAIS").isEmpty() &&
                texto(t, "IBAN_DCIBAN").isEmpty()) {
                const QString codigo = Codigo_Pais(pais);
                t.setValue(QStringLiteral("IBAN_CODIGOPAIS"), codigo);
                t.setValue(QStringLiteral("IBAN_DCIBAN"),
                           qd::Calcular_Digito_Control_IBAN(codigo,
                                                            texto(t, "CODIGOBANCO") +
                                                                texto(t, "CODIGOSUCURSAL") + texto(t, "DC") +
                                                                texto(t, "NUMEROCUENTA"),
                                                            true));
            }
            // A client code longer than its column is no client's: the row is not kept.
            return !std::exchange(rechazada, false);
        },
        true);
    descartadasCarga_ = int(Filas_No_Escritas.size());
}

TDatos::ResumenClientes TDatos::confirmarBancos(const qd::FieldList& campos, const qd::OpcionesMotor& motor) {
    Exigir_Conexion();
    for (int i = 0; i < 4; ++i)
        if (!campos.isChecked(i))
            throw qd::ErrorImportacion(
                QStringLiteral("No se a Realizado la Importación a la Base de Datos: Código "
                               "Cliente, Nº Cuenta y Nombre Banco Obligatorios"));
    canal().status(
        QStringLiteral("Construyendo sentencias SQL de Inserción e Importando a la Base de Datos"));
    ResumenClientes r =
        Con_Motor(motor, [&](qd::MotorFilas&) { return Preparar_Sentencias_DomiciliosCobro(); });
    canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

TDatos::ResumenClientes TDatos::Preparar_Sentencias_DomiciliosCobro() {
    // The account's statements prepared once for the run.
    const SentenciasPreparadas preparadas(*this);
    ResumenClientes r;
    TkvRxMemoryData& t = kvRxMDDomiciliosCobro;
    Statement buscar(&IBDatabase, &IBTransaction1);
    buscar.setSql(QStringLiteral("SELECT IDCLIENTES FROM CLIENTES WHERE CODIGO = :Codigo"));
    int sinEscribir = 0;
    auto cuentas = [&] {
        return Texto_Resumen({{QStringLiteral("Cuentas añadidas"), r.Nuevos},
                              {QStringLiteral("Cuentas que ya tenía el cliente"), r.Omitidos},
                              {QStringLiteral("Filas sin cliente o con la cuenta incompleta"), sinEscribir},
                              {QStringLiteral("Con errores"), r.ConErrores}});
    };
    RecorridoFilas recorrido;
    recorrido.cuentas = cuentas;
    recorrido.codigo = [&t] { return texto(t, "CODIGOCLIENTE"); };
    recorrido.escribir = [&] {
        const int fila = Fila_Hoja(t, t.recNo());
        const DomicilioCobro d{texto(t, "NOMBREBANCO"), texto(t, "CODIGOBANCO"),  texto(t, "CODIGOSUCURSAL"),
                               texto(t, "DC"),          texto(t, "NUMEROCUENTA"), texto(t, "IBAN_CODIGOPAIS"),
                               texto(t, "IBAN_DCIBAN")};
        auto noEscrita = [&](const QString& motivo) {
            ++sinEscribir;
            canal().incidence(QStringLiteral("Fila %1: %2").arg(fila).arg(motivo));
            Anotar_Fila_No_Escrita(fila, motivo);
        };
        if (d.banco.isEmpty() || d.sucursal.isEmpty() || d.dc.isEmpty() || d.cuenta.isEmpty())
            return noEscrita(QStringLiteral("la cuenta está incompleta; no se escribe."));
        buscar.paramByName(QStringLiteral("Codigo")).setString(texto(t, "CODIGOCLIENTE"));
        const int cliente = Id_Encontrado(buscar);
        if (cliente == 0)
            return noEscrita(
                QStringLiteral("«%1» no es el código de ningún cliente; la cuenta no se escribe.")
                    .arg(texto(t, "CODIGOCLIENTE")));
        ++(Insertar_Domicilio_Cobro(cliente, d) ? r.Nuevos : r.Omitidos);
    };
    const FinRecorrido fin = Recorrer_Filas(t, recorrido);
    r.ConErrores = fin.conErrores;
    r.TotalRegistros = t.active() ? t.recNo() : 0;
    r.texto = Terminar_Resumen(cuentas(), fin.cancelado, &r.motor);
    canal().message(qd::MessageKind::Information, r.texto);
    return r;
}
