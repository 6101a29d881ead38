#include "PaginaMarcas.h"

PaginaImportacion::Definicion PaginaMarcas::definicion() {
    Definicion d;
    d.paginas = "PageControlMarcas";
    d.selector = "SelectorMarcas";
    d.listaCampos = "ListaMarcas";
    d.crearLista = &listaMarcas;
    d.bloqueaEnProceso = true;
    d.grid = "GridMarcas";
    d.splitter = "SplitterMarcas";
    d.panelBotones = "PanelBotonesMarcas";
    d.etiquetaPanel = "EtiquetaMarcas";
    return d;
}
