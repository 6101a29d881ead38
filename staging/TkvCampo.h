#pragma once
// Display descriptor of one field of a dataset. The module keeps the descriptor list the
// datasets build on their first open; nothing here sets or reads its display attributes, which
// keep their initial values.

#include <QString>

class TkvCampo {
public:
    explicit TkvCampo(QString fieldName = {}) : FField(std::move(fieldName)) {}

    int FTipo = 0;
    int FAccesoVisualizacion = 4; // access level; 4 = full access
    QString FTextoNoAccesoVisualizacion = QStringLiteral("*");
    double FCambioMoneda = 0;
    int FDecimales = 2;
    bool FSeparadorMiles = true;
    QString FTextoFijoAnterior;
    QString FTextoFijoPosterior;
    QString FMascaraVisualizacion;
    bool FGetText = false;
    QString FField; // name of the field it describes
};
