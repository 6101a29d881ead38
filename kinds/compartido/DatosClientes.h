#pragma once
// What the client, delivery-address and contact kinds of qdimport share: the defaults of new
// clients by code (the defaults window's choice) and the ticked fields of their lists.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>

#include "FieldList.h"
#include "OpcionesClientes.h"

class TDatos;

namespace qd::cli {

// --solo-nuevos and the five --def-* options.
QList<QCommandLineOption> opcionesDatosClientes(const QString& soloNuevos);
// The page's options: only new ones, and the defaults: each given code, or the lowest code of its
// table as the window starts (ErrorOpciones when a code does not exist).
qd::OpcionesClientes leerOpcionesClientes(TDatos& d, const QCommandLineParser& p);
// The list with every item ticked, as the page starts; with --fields, the given items (the list's
// rules then tick its key columns).
// What the importer's exit status follows: rows refused by the engine or by the kind's own rule.
qd::ResultadoMotor resultadoClientes(const qd::ResumenClientes& r);
qd::FieldList listaMarcada(qd::FieldList lista, const QCommandLineParser& p, const QString& tipo);

} // namespace qd::cli
