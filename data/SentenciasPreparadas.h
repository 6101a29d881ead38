#pragma once
// The statements of one run kept prepared. While a SentenciasPreparadas is in place for a TDatos,
// TDatos::Ejecutar_Sentencia, the lot look-up and the writers that ask for it run each statement
// text through one statement, prepared on its first use, instead of preparing the text again on
// every call (a prepare costs more than running the statement). Put in place by a write for its
// run; each statement runs with the parameters of its call only, the others null, as a new one.
#include <QString>

#include <map>
#include <memory>
#include <optional>

#include "FbStatement.h"

class TDatos;

class SentenciasPreparadas {
public:
    explicit SentenciasPreparadas(TDatos& d);
    ~SentenciasPreparadas();
    SentenciasPreparadas(const SentenciasPreparadas&) = delete;
    SentenciasPreparadas& operator=(const SentenciasPreparadas&) = delete;

    // The one in place for `d`, if any.
    static SentenciasPreparadas* de(const TDatos& d);

    // The statement of `sql` with every parameter null.
    qd::fb::Statement& sentencia(const QString& sql);

    // The statement to run `sql` with: the run's when one is in place for `d`, else `propia`, made
    // and set to `sql` here.
    static qd::fb::Statement& para(TDatos& d, std::optional<qd::fb::Statement>& propia, const QString& sql);

private:
    TDatos& d_;
    SentenciasPreparadas* previo_;
    std::map<QString, std::unique_ptr<qd::fb::Statement>> sentencias_;
};
