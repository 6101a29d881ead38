#pragma once
// The frame shared by the client, delivery-address, contact, supplier and bank-account pages
// (and the file selectors of the DLR and price-list pages): an inner page control with the
// "Configuración" page (file selector, field list, the page's options) and, where the page has
// one, the "Previsualizar Excel" page that shows the chosen workbook.
//
// The import of each kind adds its options and buttons to configuracion().

#include <QWidget>
#include <memory>

#include "FieldList.h"

class QTabWidget;
class TDatos;
class TJvFilenameEdit;
class TsuiCheckListBox;
class VistaPreviaLibro;

class PaginaImportacion : public QWidget {
    Q_OBJECT
public:
    struct Definicion {
        const char* paginas = nullptr;     // the inner page control
        const char* selector = nullptr;    // the file selector
        const char* vistaPrevia = nullptr; // the preview container; null: no preview page
        const char* listaCampos = nullptr; // the field list; null: none
        qd::FieldList (*crearLista)() = nullptr;
        bool bloqueaEnProceso = false; // disabled by Modo_Proceso (pages 1, 3 and 4)
    };

    PaginaImportacion(TDatos& datos, QString& nombreFichero, const Definicion& definicion,
                      QWidget* parent = nullptr);
    ~PaginaImportacion() override;

    QTabWidget* paginas() const { return paginas_; }
    QWidget* configuracion() const { return configuracion_; }
    TJvFilenameEdit* selector() const { return selector_; }
    VistaPreviaLibro* vistaPrevia() const { return vistaPrevia_; }
    qd::FieldList* listaCampos() const { return lista_.get(); }
    TsuiCheckListBox* cajaCampos() const { return caja_; }

    // Busy (true) or configuration (false) state of the page.
    void modoProceso(bool ocupado);

private:
    void cambioPaginaInterna(int indice);

    TDatos& datos_;
    QString& nombreFichero_;
    Definicion definicion_;
    QTabWidget* paginas_ = nullptr;
    QWidget* configuracion_ = nullptr;
    TJvFilenameEdit* selector_ = nullptr;
    VistaPreviaLibro* vistaPrevia_ = nullptr;
    std::unique_ptr<qd::FieldList> lista_;
    TsuiCheckListBox* caja_ = nullptr;
    int paginaInterna_ = 0;
};
