#pragma once
// A toy import kind, "marcas", built from the shared pieces alone: a staging table, a loader over
// the shared row reading, a writer over the shared statement building and writer end, and its own
// field-list rules. The whole kind is this folder; the test registers it with one line.

#include <memory>

#include "ConstruirSentencias.h"
#include "FbStatement.h"
#include "FieldList.h"
#include "TDatos.h"

// The toy list: CODIGO is the key, always ticked; a run starts with everything ticked.
class ReglasMarcas final : public qd::FieldRules {
public:
    std::unique_ptr<qd::FieldRules> clone() const override { return std::make_unique<ReglasMarcas>(*this); }
    void apply(QList<bool>& ticks) const override { ticks[0] = true; }
    void initial(QList<bool>& ticks) const override { ticks.fill(true); }
};

inline qd::FieldList listaMarcas() {
    qd::FieldList l({"CODIGO", "NOMBRE", "GRUPOEMPRESAS"}, QStringLiteral("Marcas"),
                    std::make_unique<ReglasMarcas>());
    l.setInitialTicks();
    return l;
}

// The toy kind's data steps.
class ImportacionMarcas {
public:
    explicit ImportacionMarcas(TDatos& d) : datos(d) {
        for (const auto& [nombre, tam] : {std::pair{"CODIGO", 18}, std::pair{"NOMBRE", 50}}) {
            TkvRxMemoryData::FieldDef f;
            f.name = QString::fromLatin1(nombre);
            f.size = tam;
            tabla.addField(f);
        }
        TkvRxMemoryData::FieldDef g;
        g.name = QStringLiteral("GRUPOEMPRESAS");
        g.type = TkvRxMemoryData::FieldType::Integer;
        tabla.addField(g);
    }

    int cargar(const QString& fichero) {
        datos.Exigir_Conexion();
        datos.CargarExcel(fichero);
        return datos.Leer_Filas_Excel(
            tabla,
            [this](int fila, int columna, const QString& cabecera) {
                datos.Poner_Celda_Staging(tabla, tabla.fieldIndex(cabecera), fila, columna);
            },
            [this] {
                tabla.setValue(QStringLiteral("GRUPOEMPRESAS"), datos.IdGrupoEmpresas);
                return true;
            });
    }

    int confirmar(const qd::FieldList& campos) {
        const auto forma = qd::StatementShape::forTable(QStringLiteral("MARCAS"), QStringLiteral("IDMARCAS"),
                                                        QStringLiteral(")"), QStringLiteral(");"));
        const qd::SentenciasSql s = qd::construirSentencias(campos.items(), campos.ticks(), forma);
        qd::fb::Statement insertar(&datos.IBDatabase, &datos.IBTransaction1);
        insertar.setSql(s.insert);
        TDatos::FinEscritura fin(datos.IBTransaction1);
        int escritas = 0;
        for (tabla.first(); !tabla.eof(); tabla.next()) {
            datos.IBTransaction1.ensureStarted();
            if (!insertar.prepared()) insertar.prepare();
            TDatos::Enlazar_Desde_Staging(insertar, tabla, campos.items(), nullptr, nullptr);
            insertar.execute();
            ++escritas;
            if (datos.Fin_Fila_Escritura()) break;
        }
        fin.terminar();
        return escritas;
    }

    TDatos& datos;
    TkvRxMemoryData tabla;
};
