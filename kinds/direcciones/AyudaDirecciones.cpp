// The delivery-address page's built-in help text (HTML), matching the shipped .rtf file.
#include "AyudaDirecciones.h"

namespace qd {

QString textoPanelAyudaDirClientes() {
    return QString::fromUtf16(
        u"<h2>Importación de Direcciones de Envío de Clientes</h2>"
        u"<p>Cada fila de la hoja es una dirección de envío de un cliente que ya existe. La <b>primera "
        u"fila</b> contiene los títulos de las columnas. Una dirección se reconoce como existente por su "
        u"nombre.</p>"
        u"<h3><u>1er Paso : Seleccionar el fichero Excel</u></h3>"
        u"<p>Elija el libro Excel (*.xls) con la caja de fichero. En la pestaña \"Previsualizar Excel\" "
        u"puede ver su contenido.</p>"
        u"<h3><u>2º Paso : Marcar los campos</u></h3>"
        u"<p>Marque en \"Campos a tener presentes\" los campos que se escribirán. COD_CLIENTE y NOMBRE_ENVIO "
        u"siempre quedan marcados.</p>"
        u"<h3><u>3er Paso : Nuevas o todas</u></h3>"
        u"<p>Marque \"Incorporar sólo las nuevas direcciones de clientes\" para no modificar las direcciones "
        u"que ya existen.</p>"
        u"<h3><u>4º Paso : Cargar XLS</u></h3>"
        u"<p>Pulse \"4º Paso : Cargar XLS\", confirme los datos por defecto y se importarán las direcciones. "
        u"Al terminar, los clientes sin dirección fiscal toman una de sus direcciones de envío.</p>"
        u"<p>Puede pulsar <b>Ctrl+Alt+C</b> para cancelar el proceso en curso.</p>"
        u"<h3><u>Columnas reconocidas</u></h3>"
        u"<ul>"
        u"<li>COD_CLIENTE: código del cliente (obligatorio; las filas de clientes que no existen se "
        u"descartan).</li>"
        u"<li>NOMBRE_ENVIO (o NOMBRE): nombre de la dirección (obligatorio).</li>"
        u"<li>DIRECCION, LOCALIDAD y PROVINCIA (obligatorias), CODIGOPOSTAL, PAIS.</li>"
        u"<li>TELEFONO1, TELEFONO2, FAX, EMAIL1, EMAIL2, PAGINAWEB, OBSERVACIONES.</li>"
        u"</ul>");
}

} // namespace qd
