#pragma once
// The supplier price-list import's options (the load's and the confirmation's) and its counters.

#include <QString>
#include <QStringList>
#include <array>

#include "OpcionesMotor.h"

namespace qd {

struct OpcionesTarifaProveedor {
    // Load.
    int IdProveedor = 0;
    QString CodigoProveedor, NombreProveedor;
    int FilaTitulos = 1; // data rows are the rows below it
    // Links "TITULO<-->CAMPO", as the linking window leaves them.
    QStringList Enlaces;
    enum class Ambito { Todos, Familia, Marca } ambito = Ambito::Todos;
    int IdFamilia = 0, IdMarca = 0;
    bool AplicarDtos = false;
    std::array<double, 3> Dtos{0, 0, 0};
    bool DtosEnCostoReal = false;
    QString PrefijoReferencia;
    std::array<int, 3> IDTarifa{0, 0, 0};
    std::array<QString, 3> CODTarifa;
    // Confirmation.
    bool CostosEnFicha = false, CodigoEAN = false, ActualizarTarifas = false, CatalogoWEB = false;
    std::array<double, 3> DtosTarifa{0, 0, 0};
    QString Fichero; // the workbook path written in the observations

    // The linkable fields, in the order the linking window offers them.
    static QStringList camposEnlazables();
    // A discount as typed: a comma or a point as the decimal separator; 0 when empty or not a number.
    static double leerDescuento(const QString& texto);
};

struct ResumenTarifaProveedor {
    int Actualizados = 0;
    int SinFicha = 0; // staged rows whose supplier record no longer exists for the company
    int FormatosCreados = 0;
    int TarifasActualizadas = 0;
    QString texto;
    ResultadoMotor motor;
};

} // namespace qd
