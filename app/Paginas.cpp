#include "Paginas.h"

#include "CamposArticulos.h"
#include "PaginaArticulos.h"
#include "PaginaClientes.h"
#include "PaginaDLR.h"
#include "PaginaImportacion.h"
#include "PaginaTarifaProveedor.h"
#include "PaginaTarifas.h"

QList<PaginaRegistrada> crearPaginasImportacion(TDatos& datos, QString& nombreFichero) {
    QList<PaginaRegistrada> paginas;
    paginas.append({0, new PaginaArticulos(datos, nombreFichero)});
    paginas.append({1, new PaginaClientes(datos, nombreFichero)});
    paginas.append({3, new PaginaDirecciones(datos, nombreFichero)});
    paginas.append({4, new PaginaContactos(datos, nombreFichero)});
    paginas.append({5, new PaginaProveedores(datos, nombreFichero)});
    paginas.append({6, new PaginaBancos(datos, nombreFichero)});
    paginas.append({7, new PaginaTarifaProveedor(datos, nombreFichero)});
    paginas.append({8, new PaginaDLR(datos, nombreFichero)});
    paginas.append({9, new PaginaTarifas(datos, nombreFichero)});
    return paginas;
}
