#pragma once
// A supplier's price list: loading through the column links, the staged values beside the
// stored ones, the confirmation (supplier record, card reference, costs, EAN formats, price
// lists), and the verification of the supplier's references (its work list, the workbook pass
// and the write-back).
#include <QString>
#include <QStringList>
#include <QVariant>

#include "LimitesColumnas.h"
#include "OpcionesTarifaProveedor.h"
#include "OpcionesVerificarReferencias.h"
#include "TDatos.h"
#include "TkvIBDataSet.h"

class ImportacionTarifaProveedor {
public:
    explicit ImportacionTarifaProveedor(TDatos& datos);
    ImportacionTarifaProveedor(const ImportacionTarifaProveedor&) = delete;
    ImportacionTarifaProveedor& operator=(const ImportacionTarifaProveedor&) = delete;

    TDatos& d; // the data module: connection, channel, shared steps

    using OpcionesTarifaProveedor = qd::OpcionesTarifaProveedor;
    using ResumenTarifaProveedor = qd::ResumenTarifaProveedor;
    TkvRxMemoryData RxTarifaProveedor; // staged rows: new values beside the stored ones (ANTERIOR_)

    // Load: opens `fichero`, reads the rows below the title row through the links and stages
    // those whose reference matches a supplier-article record of the supplier; returns the rows staged.
    int cargarTarifaProveedor(const QString& fichero, const OpcionesTarifaProveedor& o);
    // The titles of the title row as the linking window offers them (upper case, contiguous from
    // the first of columns 1 to 3); empty when none of those three holds a title.
    QStringList Titulos_Tarifa_Proveedor(int filaTitulos) const;
    // Confirm: writes the staged rows (supplier record, card reference, costs, EAN formats, price lists).
    ResumenTarifaProveedor confirmarTarifaProveedor(const OpcionesTarifaProveedor& o,
                                                    const qd::OpcionesMotor& motor = {});
    // The sale price of the interval from 1 of an article in a sales price list (nothing when the
    // article is not in it); true when written.
    bool Actualizar_Intervalo_Tarifa(int idTarifa, int idArticulo, double descuento, double costo,
                                     double porcentajeIVA, double precio);
    // Rounds half away from zero to `decimales` places; a value too large to have decimals (or
    // not finite) is returned as it is.
    static double Redondear(double valor, int decimales);
    // Why the staged supplier record cannot be written as it is (a discount outside 0 to 100 %, a
    // value the record's column does not hold), naming the column and the value; nothing when it can.
    std::optional<QString> Valores_Fuera_De_Rango(const TkvRxMemoryData& t);
    // Removes every blank from the supplier's references (its supplier-article records and the
    // cards of the articles it usually supplies); committed at once.
    void Eliminar_Espacios_Referencias(int idProveedor);
    // The reference as it is matched: upper case, without blanks at its ends and without the
    // prefix at its start (compared without regard to case).
    static QString Clave_Referencia_Proveedor(const QString& referencia, const QString& prefijo);
    // The linked columns of the held workbook under its title row: the first titled column (1 to
    // 3), the titles and, for each link, the column whose title is exactly the linked one and its
    // field. A link that is not valid or names no title is refused (ErrorImportacion).
    struct ColumnasEnlazadas {
        int inicial = 1;
        QStringList cabeceras;
        QList<QPair<int, QString>> columnas; // column → field
    };
    ColumnasEnlazadas Columnas_Enlazadas(int filaTitulos, const QStringList& enlaces) const;
    // The EAN format of a supplier-article record: the record's format when it still exists, else
    // the article's format with that EAN, else a new principal format; linked to the record unless
    // it is already its format. True when a format was created. Errors reach the caller.
    struct FormatoEAN {
        int idArticulo = 0, idProveedor = 0, idFormato = 0;
        QString ean, nombre, observaciones;
        bool dobleStock = false;
    };
    bool Asignar_Formato_EAN(const FormatoEAN& f);
    qd::LimitesColumnas limites_{d};

    // --- supplier reference verification (datos_verificar_referencias.cpp) ----------------------
    using OpcionesVerificarReferencias = qd::OpcionesVerificarReferencias;
    using ResumenVerificarReferencias = qd::ResumenVerificarReferencias;
    // The work list of a supplier and company, as shown: every post and delete is committed.
    TkvIBDataSet tArticulos_Ref_A_Verificar{&d.IBDatabase, &d.IBTransaction1};
    // (Re)opens the work list with the scope, the list entry and the order of `o`; returns the
    // rows shown.
    int Abrir_Referencias_A_Verificar(const OpcionesVerificarReferencias& o);
    // Rows of the supplier's work list in the current company, whatever is shown.
    int Total_Referencias_A_Verificar(int idProveedor);
    // Empties the supplier's work list in the current company (committed at once).
    void Vaciar_Referencias_A_Verificar(int idProveedor);
    // "&Cargar Artículos": with `preguntar`, asks whether to empty the work list (Yes empties
    // it); then opens it and, when the supplier has no work list in the company, fills it with the
    // articles whose usual supplier it is and that have its supplier record. Returns the rows shown.
    int cargarReferenciasAVerificar(const OpcionesVerificarReferencias& o, bool preguntar);
    // "&Cargar Excel": reads the workbook's rows through the links and marks the shown rows whose
    // reference (or card reference) is the row's, with the workbook's reference, name and EAN.
    ResumenVerificarReferencias verificarReferenciasExcel(const QString& fichero,
                                                          const OpcionesVerificarReferencias& o);
    // "&Actualizar": writes the verified rows shown back to the supplier records, the article
    // cards and their EAN formats, as the options say.
    ResumenVerificarReferencias actualizarReferenciasVerificadas(const OpcionesVerificarReferencias& o);
    // A shown row (0-based) whose stored and workbook values differ: format code and workbook EAN,
    // or stored and workbook reference, both present and not equal.
    bool Referencia_Difiere(int fila) const;
    // The statements of the window's family and brand lookups, one text per line.
    static QStringList lineasBusquedaFamilia();
    static QStringList lineasBusquedaMarca();

private:
    void Definir_kvRxMDTarifaProveedor();
};
