// The contact page's built-in help text (HTML), matching the shipped .rtf file.
#include "AyudaContactos.h"

namespace qd {

QString textoPanelAyudaContClientes() {
    return QString::fromUtf16(u"<h2>Importación de Contactos de Clientes</h2>"
                              u"<p>Cada fila de la hoja es una persona de contacto de un cliente que ya "
                              u"existe. La <b>primera fila</b> contiene los títulos de las columnas. Un "
                              u"contacto se reconoce como existente por su nombre.</p>"
                              u"<h3><u>1er Paso : Seleccionar el fichero Excel</u></h3>"
                              u"<p>Elija el libro Excel (*.xls) con la caja de fichero. En la pestaña "
                              u"\"Previsualizar Excel\" puede ver su contenido.</p>"
                              u"<h3><u>2º Paso : Marcar los campos</u></h3>"
                              u"<p>Marque en \"Campos a tener presentes\" los campos que se escribirán. "
                              u"COD_CLIENTE y GRUPOEMPRESAS siempre quedan marcados.</p>"
                              u"<h3><u>3er Paso : Nuevos o todos</u></h3>"
                              u"<p>Marque \"Incorporar sólo los nuevos contactos de clientes\" para no "
                              u"modificar los contactos que ya existen.</p>"
                              u"<h3><u>4º Paso : Cargar XLS</u></h3>"
                              u"<p>Pulse \"4º Paso : Cargar XLS\", confirme los datos por defecto y se "
                              u"importarán los contactos.</p>"
                              u"<p>Puede pulsar <b>Ctrl+Alt+C</b> para cancelar el proceso en curso.</p>"
                              u"<h3><u>Columnas reconocidas</u></h3>"
                              u"<ul>"
                              u"<li>COD_CLIENTE: código del cliente (obligatorio; las filas de clientes que "
                              u"no existen se descartan).</li>"
                              u"<li>GRUPOEMPRESAS: identificador del grupo de empresas (obligatorio).</li>"
                              u"<li>NOMBRE (obligatorio) y APELLIDOS: los apellidos se añaden al nombre, por "
                              u"lo que la columna APELLIDOS debe ir después de NOMBRE.</li>"
                              u"<li>CARGO, TELEFONO, TELEFONOMOVIL, FAX, EMAIL1, OBSERVACIONES.</li>"
                              u"</ul>");
}

} // namespace qd
