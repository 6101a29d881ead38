// The clients' bank accounts ("Clientes - Bancos"). The staging table kvRxMDDomiciliosCobro,
// its loader (headers compared as written), and the writer that adds each account to its client's
// collection domiciles.
#include "ImportacionBancos.h"

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

ImportacionBancos::ImportacionBancos(TDatos& datos) : ComunClientes(datos) {
    Definir_kvRxMDDomiciliosCobro();
}

void ImportacionBancos::Definir_kvRxMDDomiciliosCobro() {
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

int ImportacionBancos::cargarBancos(const QString& fichero) {
    d.Exigir_Conexion();
    d.canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    d.CargarExcel(fichero);
    d.canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    CargarRxDomiciliosCobro();
    return kvRxMDDomiciliosCobro.recordCount();
}

void ImportacionBancos::CargarRxDomiciliosCobro() {
    TkvRxMemoryData& t = kvRxMDDomiciliosCobro;
    auto campo = [&t](const char* nombre) { return t.fieldIndex(QString::fromLatin1(nombre)); };
    bool hayPais = false, rechazada = false;
    QString pais;
    d.Leer_Filas_Excel(
        t,
        [&](int fila, int columna, const QString& cabecera) {
            const qd::wb::Sheet& hoja = d.hojaExcel();
            const QString valor = hoja.text(fila, columna).trimmed();
            if (cabecera == QLatin1String("Codigo")) {
                rechazada = !d.Poner_Codigo_Staging(t, campo("CODIGOCLIENTE"), fila, columna) || rechazada;
            } else if (cabecera == QLatin1String("CuentaBancoCCC")) {
                const qd::wb::Cell& celda = hoja.cell(fila, columna);
                if (celda.type == qd::wb::CellType::Number) {
                    d.Incidencia_Celda(
                        fila, cabecera, valor,
                        QStringLiteral("es un número que no guarda las 20 cifras de la cuenta; escríbala "
                                       "como texto. Se deja vacía."));
                    return;
                }
                d.Poner_Valor_Celda(t, campo("CODIGOBANCO"), valor.mid(0, 4), fila, columna);
                d.Poner_Valor_Celda(t, campo("CODIGOSUCURSAL"), valor.mid(4, 4), fila, columna);
                d.Poner_Valor_Celda(t, campo("DC"), valor.mid(8, 2), fila, columna);
                d.Poner_Valor_Celda(t, campo("NUMEROCUENTA"), valor.mid(10, 10), fila, columna);
                // Check digits "00": computed from the bank, the branch and the account number.
                if (valor.mid(8, 2) == QLatin1String("00")) {
                    const QString dc =
                        qd::CalculoDigitoControl(valor.mid(0, 4), valor.mid(4, 4), valor.mid(10, 10));
                    if (!dc.isEmpty())
                        TDatos::Poner_Valor_Staging(t, campo("DC"), dc);
                    else
                        d.Incidencia_Celda(
                            fila, cabecera, valor,
                            QStringLiteral("no es una cuenta de cifras: sus dígitos de control «00» no se "
                                           "pueden calcular y se dejan así."));
                }
            } else if (cabecera == QLatin1String("NombreBanco")) {
                d.Poner_Valor_Celda(t, campo("NOMBREBANCO"), valor, fila, columna);
            } else if (cabecera == QLatin1String("Iban_Pais")) {
                d.Poner_Valor_Celda(t, campo("IBAN_CODIGOPAIS"), valor, fila, columna);
            } else if (cabecera == QLatin1String("Iban_DC")) {
                d.Poner_Valor_Celda(t, campo("IBAN_DCIBAN"), valor, fila, columna);
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
    descartadasCarga_ = int(d.Filas_No_Escritas.size());
}

ComunClientes::ResumenClientes ImportacionBancos::confirmarBancos(const qd::FieldList& campos,
                                                                  const qd::OpcionesMotor& motor) {
    d.Exigir_Conexion();
    for (int i = 0; i < 4; ++i)
        if (!campos.isChecked(i))
            throw qd::ErrorImportacion(
                QStringLiteral("No se a Realizado la Importación a la Base de Datos: Código "
                               "Cliente, Nº Cuenta y Nombre Banco Obligatorios"));
    d.canal().status(
        QStringLiteral("Construyendo sentencias SQL de Inserción e Importando a la Base de Datos"));
    ResumenClientes r =
        d.Con_Motor(motor, [&](qd::MotorFilas&) { return Preparar_Sentencias_DomiciliosCobro(); });
    d.canal().status(QStringLiteral("Proceso terminado."));
    return r;
}

ComunClientes::ResumenClientes ImportacionBancos::Preparar_Sentencias_DomiciliosCobro() {
    // The account's statements prepared once for the run.
    const SentenciasPreparadas preparadas(d);
    ResumenClientes r;
    TkvRxMemoryData& t = kvRxMDDomiciliosCobro;
    Statement buscar(&d.IBDatabase, &d.IBTransaction1);
    buscar.setSql(QStringLiteral("SELECT IDCLIENTES FROM CLIENTES WHERE CODIGO = :Codigo"));
    int sinEscribir = 0;
    auto cuentas = [&] {
        return TDatos::Texto_Resumen(
            {{QStringLiteral("Cuentas añadidas"), r.Nuevos},
             {QStringLiteral("Cuentas que ya tenía el cliente"), r.Omitidos},
             {QStringLiteral("Filas sin cliente o con la cuenta incompleta"), sinEscribir},
             {QStringLiteral("Con errores"), r.ConErrores}});
    };
    TDatos::RecorridoFilas recorrido;
    recorrido.cuentas = cuentas;
    recorrido.codigo = [&t] { return texto(t, "CODIGOCLIENTE"); };
    recorrido.escribir = [&] {
        const int fila = d.Fila_Hoja(t, t.recNo());
        const DomicilioCobro domicilio{
            texto(t, "NOMBREBANCO"),  texto(t, "CODIGOBANCO"),     texto(t, "CODIGOSUCURSAL"), texto(t, "DC"),
            texto(t, "NUMEROCUENTA"), texto(t, "IBAN_CODIGOPAIS"), texto(t, "IBAN_DCIBAN")};
        auto noEscrita = [&](const QString& motivo) {
            ++sinEscribir;
            d.canal().incidence(QStringLiteral("Fila %1: %2").arg(fila).arg(motivo));
            d.Anotar_Fila_No_Escrita(fila, motivo);
        };
        if (domicilio.banco.isEmpty() || domicilio.sucursal.isEmpty() || domicilio.dc.isEmpty() ||
            domicilio.cuenta.isEmpty())
            return noEscrita(QStringLiteral("la cuenta está incompleta; no se escribe."));
        buscar.paramByName(QStringLiteral("Codigo")).setString(texto(t, "CODIGOCLIENTE"));
        const int cliente = TDatos::Id_Encontrado(buscar);
        if (cliente == 0)
            return noEscrita(
                QStringLiteral("«%1» no es el código de ningún cliente; la cuenta no se escribe.")
                    .arg(texto(t, "CODIGOCLIENTE")));
        ++(Insertar_Domicilio_Cobro(cliente, domicilio) ? r.Nuevos : r.Omitidos);
    };
    const TDatos::FinRecorrido fin = d.Recorrer_Filas(t, recorrido);
    r.ConErrores = fin.conErrores;
    r.TotalRegistros = t.active() ? t.recNo() : 0;
    r.texto = d.Terminar_Resumen(cuentas(), fin.cancelado, &r.motor);
    d.canal().message(qd::MessageKind::Information, r.texto);
    return r;
}
