// What a client row says beyond CLIENTES: its bank account as a collection domicile, its sales
// agent, zone and route.
// Every value is bound; a new agent, zone or route takes the ID of the row inserted.
#include "ImportacionClientes.h"

#include "DigitosControl.h"
#include "FbError.h"

int ImportacionClientes::Buscar_O_Crear_Auxiliar(TablaAuxiliar tabla, const QString& Codigo) {
    struct Def {
        const char* tabla;
        const char* id;
    };
    static const Def kDefs[] = {
        {"AGENTESVENTA", "IDAGENTESVENTA"}, {"ZONAS", "IDZONAS"}, {"RUTAS", "IDRUTAS"}};
    const Def& def = kDefs[int(tabla)];
    const QString t = QString::fromLatin1(def.tabla), id = QString::fromLatin1(def.id);
    // A code that does not fit is neither looked up cut nor created cut.
    if (const int admite = Codigo_No_Cabe(Codigo, t))
        throw qd::ErrorImportacion(QStringLiteral("El código «%1» de %2 %3; no se crea.")
                                       .arg(Codigo, t, Texto_Codigo_Largo(Codigo, admite)));
    const QVariant hallado = primero(d, QStringLiteral("SELECT %1 FROM %2 WHERE CODIGO = :Codigo").arg(id, t),
                                     {{QStringLiteral("Codigo"), Codigo}});
    if (!hallado.isNull()) return hallado.toInt();
    // Created with the code as its name: agents for the launch company, as "Preventa"; zones and
    // routes for the launch company group. Its ID is the inserted row's.
    if (tabla == TablaAuxiliar::Agente)
        return primero(d,
                       QStringLiteral(
                           "INSERT INTO AGENTESVENTA (CODIGO, NOMBRE, EMPRESA, TIPOAGENTE) VALUES (:Codigo, "
                           ":Codigo, :Empresa, 'Preventa') RETURNING IDAGENTESVENTA"),
                       {{QStringLiteral("Codigo"), Codigo}, {QStringLiteral("Empresa"), d.IdEmpresa}})
            .toInt();
    return primero(d,
                   QStringLiteral(
                       "INSERT INTO %1 (CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES (:Codigo, :Codigo, :Grupo) "
                       "RETURNING %2")
                       .arg(t, id),
                   {{QStringLiteral("Codigo"), Codigo}, {QStringLiteral("Grupo"), d.IdGrupoEmpresas}})
        .toInt();
}

void ImportacionClientes::InsertarDatosAuxiliaresCliente(int IdClienteIns, const qd::AuxiliaresCliente& que) {
    if (IdClienteIns == 0 || !que.alguno()) return;
    const TkvRxMemoryData& t = kvRxMDClientes;
    auto texto = [&t](const char* campo) { return t.value(QString::fromLatin1(campo)).toString().trimmed(); };

    if (que.bancos) {
        d.canal().status(QStringLiteral("Importando Banco del Cliente a la Base de Datos"));
        DomicilioCobro d{texto("NOMBREBANCO"),
                         texto("CODIGOBANCO"),
                         texto("CODIGOSUCURSAL"),
                         texto("DC"),
                         texto("NUMEROCUENTA"),
                         {},
                         {}};
        if (!d.banco.isEmpty() && !d.sucursal.isEmpty() && !d.dc.isEmpty() && !d.cuenta.isEmpty()) {
            d.paisIban = Codigo_Pais(texto("PAIS"));
            d.dcIban =
                qd::Calcular_Digito_Control_IBAN(d.paisIban, d.banco + d.sucursal + d.dc + d.cuenta, true);
            Insertar_Domicilio_Cobro(IdClienteIns, d);
        }
    }
    int agente = 0, zona = 0;
    if (que.agente && !texto("Cod_AgenteVenta").isEmpty()) {
        d.canal().status(QStringLiteral("Importando Agente Venta del Cliente a la Base de Datos"));
        agente = Buscar_O_Crear_Auxiliar(TablaAuxiliar::Agente, texto("Cod_AgenteVenta"));
    }
    if (que.zona && !texto("Cod_Zona").isEmpty()) {
        d.canal().status(QStringLiteral("Importando Zona del Cliente a la Base de Datos"));
        zona = Buscar_O_Crear_Auxiliar(TablaAuxiliar::Zona, texto("Cod_Zona"));
    }
    // The client's agent and zone; an empty code leaves them as they are.
    if (agente != 0 || zona != 0)
        d.Ejecutar_Sentencia(
            QStringLiteral("UPDATE CLIENTES SET AGENTEVENTA = COALESCE(:Agente, AGENTEVENTA), ZONA = "
                           "COALESCE(:Zona, ZONA) WHERE IDCLIENTES = :Cliente"),
            {{QStringLiteral("Agente"), agente != 0 ? QVariant(agente) : QVariant()},
             {QStringLiteral("Zona"), zona != 0 ? QVariant(zona) : QVariant()},
             {QStringLiteral("Cliente"), IdClienteIns}});
    if (que.ruta && !texto("Cod_Ruta").isEmpty()) {
        d.canal().status(QStringLiteral("Importando Ruta del Cliente a la Base de Datos"));
        const int ruta = Buscar_O_Crear_Auxiliar(TablaAuxiliar::Ruta, texto("Cod_Ruta"));
        const int enlazado =
            primero(d,
                    QStringLiteral("SELECT COUNT(*) AS TOTAL FROM CLIENTESRUTAS WHERE CLIENTE = :Cliente "
                                   "AND RUTA = :Ruta"),
                    {{QStringLiteral("Cliente"), IdClienteIns}, {QStringLiteral("Ruta"), ruta}})
                .toInt();
        // Position 1, no visiting day.
        if (enlazado == 0)
            d.Ejecutar_Sentencia(
                QStringLiteral("INSERT INTO CLIENTESRUTAS (CLIENTE, RUTA, POSICION, LUNES, MARTES, "
                               "MIERCOLES, JUEVES, VIERNES, SABADO, DOMINGO) VALUES (:Cliente, :Ruta, 1, "
                               "0, 0, 0, 0, 0, 0, 0)"),
                {{QStringLiteral("Cliente"), IdClienteIns}, {QStringLiteral("Ruta"), ruta}});
    }
}
