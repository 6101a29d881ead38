#pragma once
// Rows that belong to existing clients (found by the code in COD_CLIENTE), written
// insert-or-update, a row being the same when it has the same name for the same client: the
// delivery-address and contact imports share this loader and writer, told apart by their
// ClaseFilasCliente.

#include <QString>
#include <QStringList>

#include "ComunClientes.h"

struct ClaseFilasCliente {
    const char* tabla;          // DIRECCIONESENVIO
    const char* clave;          // IDDIRECCIONESENVIO
    const char* nombreDeTipo;   // for the messages: "las direcciones"
    QStringList requeridas;     // staged fields a row needs (the workbook must have their columns)
    QString segundaObligatoria; // besides CLIENTE, the field a kept row must have
    QStringList parametros;     // staged fields bound by name
    const char* otraColumnaNombre = nullptr; // a column that fills NOMBRE besides its own (NOMBRE_ENVIO)
    bool apellidos = false;                  // APELLIDOS joins NOMBRE (contacts)
};

// A field of a staging table of these kinds.
void campoFilasCliente(TkvRxMemoryData& t, const char* nombre, TkvRxMemoryData::FieldType tipo, int tam,
                       const QString& etiqueta, bool requerido, bool visible = true);

// The loader over the held workbook. A workbook without the column of a field every row needs is
// refused before any row is read.
void cargarFilasCliente(ComunClientes& c, TkvRxMemoryData& t, const ClaseFilasCliente& clase);

// The writer: a row is the one of the row's client with the row's name; it is updated (unless
// only new ones are written) or inserted.
ComunClientes::ResumenClientes escribirFilasCliente(ComunClientes& c, TkvRxMemoryData& t,
                                                    const ClaseFilasCliente& clase, bool soloNuevos,
                                                    const qd::SentenciasSql& sentencias,
                                                    TDatos::TrasError trasError, int descartadas);
