// The clients' bank accounts ("Clientes - Bancos"). The staging table kvRxMDDomiciliosCobro,
// its loader (headers compared as written), and the writer that adds each account to its client's
// collection domiciles.
#include "ImportacionBancos.h"

#include "DigitosControl.h"
#include "FbError.h"
#include "FieldList.h"
#include "SentenciasPreparadas.h"
#include "Sheet.h"

#include <algorithm>

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
    columnasBD.olvidar();
    auto campo = [&t](const char* nombre) { return t.fieldIndex(QString::fromLatin1(nombre)); };
    // The headers of this sheet are read as written, letter case included: one that differs only
    // in case is not read, and the user is told which it should be.
    static const QStringList kCabeceras{QStringLiteral("Codigo"),      QStringLiteral("CuentaBancoCCC"),
                                        QStringLiteral("NombreBanco"), QStringLiteral("Iban_Pais"),
                                        QStringLiteral("Iban_DC"),     QStringLiteral("Pais")};
    if (d.hayExcel()) {
        const qd::wb::Sheet& hoja = d.hojaExcel();
        for (int c = 1; c <= std::min(d.Ultima_Columna_Excel(), 50) && !hoja.text(1, c).isEmpty(); ++c)
            for (const QString& k : kCabeceras)
                if (hoja.text(1, c) != k && hoja.text(1, c).compare(k, Qt::CaseInsensitive) == 0)
                    d.canal().incidence(
                        QStringLiteral("La columna «%1» no se lee: en esta hoja las cabeceras se escriben "
                                       "exactamente así, mayúsculas y minúsculas incluidas: «%2».")
                            .arg(hoja.text(1, c), k));
    }
    bool hayPais = false, rechazada = false;
    QString pais, motivo; // motivo: why the row in progress is not loaded
    int filaActual = 0;
    auto rechazar = [&](int fila, const QString& cabecera, const QString& valor, const QString& que) {
        d.Incidencia_Celda(fila, cabecera, valor, que + QStringLiteral("; la fila no se carga."));
        if (motivo.isEmpty()) motivo = QStringLiteral("Columna %1: «%2» %3.").arg(cabecera, valor, que);
    };
    d.Leer_Filas_Excel(
        t,
        [&](int fila, int columna, const QString& cabecera) {
            filaActual = fila;
            const qd::wb::Sheet& hoja = d.hojaExcel();
            const QString valor = hoja.text(fila, columna).trimmed();
            if (cabecera == QLatin1String("Codigo")) {
                const int tam = t.fieldDefs().at(campo("CODIGOCLIENTE")).size;
                if (const int admite = Codigo_No_Cabe(valor, QStringLiteral("CLIENTES"), tam))
                    return rechazar(fila, cabecera, valor, Texto_Codigo_Largo(valor, admite));
                rechazada = !d.Poner_Codigo_Staging(t, campo("CODIGOCLIENTE"), fila, columna) || rechazada;
            } else if (cabecera == QLatin1String("CuentaBancoCCC")) {
                if (hoja.cell(fila, columna).type == qd::wb::CellType::Number)
                    return rechazar(fila, cabecera, valor,
                                    QStringLiteral("es un número que no guarda las 20 cifras de la cuenta; "
                                                   "escríbala como texto"));
                if (valor.isEmpty()) return;
                // An account is 20 digits; blanks and dashes between them are left out.
                const QString cuenta = qd::CuentaNacional(valor);
                if (cuenta.isEmpty())
                    return rechazar(fila, cabecera, valor, QStringLiteral("no es una cuenta de 20 cifras"));
                QString dc = cuenta.mid(8, 2);
                // Check digits "00": computed from the bank, the branch and the account number.
                if (dc == QLatin1String("00"))
                    dc = qd::CalculoDigitoControl(cuenta.mid(0, 4), cuenta.mid(4, 4), cuenta.mid(10, 10));
                TDatos::Poner_Valor_Staging(t, campo("CODIGOBANCO"), cuenta.mid(0, 4));
                TDatos::Poner_Valor_Staging(t, campo("CODIGOSUCURSAL"), cuenta.mid(4, 4));
                TDatos::Poner_Valor_Staging(t, campo("DC"), dc);
                TDatos::Poner_Valor_Staging(t, campo("NUMEROCUENTA"), cuenta.mid(10, 10));
            } else if (cabecera == QLatin1String("NombreBanco")) {
                d.Poner_Valor_Celda(t, campo("NOMBREBANCO"), valor, fila, columna);
            } else if (cabecera == QLatin1String("Iban_Pais")) {
                const QString codigo = valor.toUpper();
                if (codigo.isEmpty()) return;
                if (codigo.size() != 2 || !codigo.at(0).isLetter() || !codigo.at(1).isLetter())
                    return rechazar(fila, cabecera, valor,
                                    QStringLiteral("no es el código de dos letras de un país"));
                TDatos::Poner_Valor_Staging(t, campo("IBAN_CODIGOPAIS"), codigo);
            } else if (cabecera == QLatin1String("Iban_DC")) {
                if (valor.isEmpty()) return;
                const QString dc = qd::Cifras(valor, 2);
                if (dc.isEmpty())
                    return rechazar(fila, cabecera, valor,
                                    QStringLiteral("no son los dos dígitos de control de un IBAN"));
                TDatos::Poner_Valor_Staging(t, campo("IBAN_DCIBAN"), dc);
            } else if (cabecera == QLatin1String("Pais")) {
                hayPais = true;
                pais = valor;
            }
        },
        [&] {
            const bool conPais = std::exchange(hayPais, false);
            if (std::exchange(rechazada, false)) {
                motivo.clear();
                return false;
            }
            // The IBAN of the account, once the whole row is read (whatever the order of its
            // columns): the country the row gives (Iban_Pais, else the one named in Pais, else
            // ES) and check digits that match the account; digits given that do not match refuse
            // the row.
            const QString cuenta = texto(t, "CODIGOBANCO") + texto(t, "CODIGOSUCURSAL") + texto(t, "DC") +
                                   texto(t, "NUMEROCUENTA");
            if (motivo.isEmpty() && !cuenta.isEmpty()) {
                QString codigoPais = texto(t, "IBAN_CODIGOPAIS");
                if (codigoPais.isEmpty()) codigoPais = conPais ? Codigo_Pais(pais) : QStringLiteral("ES");
                const QString dcIban = qd::Calcular_Digito_Control_IBAN(codigoPais, cuenta, true);
                const QString dado = texto(t, "IBAN_DCIBAN");
                if (!dado.isEmpty() && dado != dcIban)
                    rechazar(
                        filaActual, QStringLiteral("Iban_DC"), dado,
                        QStringLiteral("no son los dígitos de control del IBAN de la cuenta en %1 (son %2)")
                            .arg(codigoPais, dcIban));
                t.setValue(QStringLiteral("IBAN_CODIGOPAIS"), codigoPais);
                t.setValue(QStringLiteral("IBAN_DCIBAN"), dcIban);
            }
            if (motivo.isEmpty()) return true;
            d.Anotar_Fila_No_Escrita(filaActual, std::exchange(motivo, QString()));
            return false;
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
        return TDatos::Texto_Resumen({{QStringLiteral("Cuentas añadidas"), r.Nuevos},
                                      {QStringLiteral("Cuentas que ya tenía el cliente"), r.Omitidos},
                                      {QStringLiteral("Filas sin cliente o sin cuenta"), sinEscribir},
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
            return noEscrita(
                QStringLiteral("la fila no trae cuenta (columna CuentaBancoCCC); no se escribe."));
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
