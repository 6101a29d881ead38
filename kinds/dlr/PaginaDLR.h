#pragma once
// The "Albaranes DLR" page: a logistics operator's preparation report confirms sales delivery
// notes. "2º Paso : Cargar XLS" loads and shows the report; "Comprobar errores y Listarlos" lists
// the problems without writing (the page stays on the report); "Verificar e Importar Albaranes"
// attaches the lots of the lines that check out and completes their delivery notes; "Atrás" goes
// back without writing.

#include "ImportacionDLR.h"
#include "PaginaImportacion.h"

class QPushButton;

class PaginaDLR : public PaginaImportacion {
    Q_OBJECT
public:
    PaginaDLR(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

    // The kind this page runs.
    ImportacionDLR& importacion() { return importacion_; }

    QPushButton* botonCargar() const { return cargar_; }
    QPushButton* botonComprobar() const { return comprobar_; }
    void pulsarComprobar();

protected:
    void cargar(const QString& fichero) override;
    void confirmar() override;
    QString tipoImportacion() const override { return QStringLiteral("dlr"); }
    void vaciarStaging() override;
    void alCambiarModo(bool ocupado) override;

private:
    QPushButton* cargar_ = nullptr;
    QPushButton* comprobar_ = nullptr;
    ImportacionDLR importacion_{datos()};
};
