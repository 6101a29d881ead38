// The client page's built-in help text (HTML), matching the shipped .rtf file.
#include "AyudaClientes.h"

namespace qd {

QString textoPanelAyudaClientes() {
    return QString::fromUtf16(
        u"<h2>Importación de Clientes desde Excel</h2>"
        u"<p>La hoja de cálculo debe tener en la <b>primera fila</b> los títulos de las columnas; los datos "
        u"empiezan en la fila 2 y terminan en la primera fila cuya primera celda esté vacía. Los clientes se "
        u"buscan por su código (columna CODIGO).</p>"
        u"<h3><u>1er Paso : Seleccionar el fichero Excel</u></h3>"
        u"<p>Elija el libro Excel (*.xls) con la caja de fichero. En la pestaña \"Previsualizar Excel\" "
        u"puede ver su contenido.</p>"
        u"<h3><u>2º Paso : Marcar los campos</u></h3>"
        u"<p>Marque en \"Campos a tener presentes\" los campos que se escribirán. GRUPOEMPRESAS y CODIGO "
        u"siempre quedan marcados. BANCOS, AGENTEVENTA, ZONA y RUTA indican si se graban la cuenta bancaria, "
        u"el agente de ventas, la zona y la ruta de cada cliente.</p>"
        u"<h3><u>3er Paso : Nuevos o todos</u></h3>"
        u"<p>Marque \"Incorporar sólo los nuevos clientes\" para no modificar los clientes que ya existen; "
        u"si no lo marca, los existentes se actualizan.</p>"
        u"<h3><u>4º Paso : Cargar XLS</u></h3>"
        u"<p>Pulse \"4º Paso : Cargar XLS\". Se piden los datos por defecto de los clientes nuevos (grupo de "
        u"empresas, régimen de IVA, forma de pago, cartera, tarifa y moneda) y, al pulsar \"Iniciar "
        u"Importación\", se cargan las filas y se graban en la base de datos sin más pasos. Al final se "
        u"muestra \"Proceso terminado.\".</p>"
        u"<p>Puede pulsar <b>Ctrl+Alt+C</b> para cancelar el proceso en curso.</p>"
        u"<h3><u>Columnas reconocidas</u></h3>"
        u"<ul>"
        u"<li>CODIGO, NOMBRE, RAZONSOCIAL, NIF, DIRECCION, LOCALIDAD, PROVINCIA, CODIGOPOSTAL, PAIS.</li>"
        u"<li>TELEFONO1, TELEFONO2, FAX, EMAIL1, EMAIL2, PAGINAWEB, OBSERVACIONES.</li>"
        u"<li>Códigos: COD_TARIFA, COD_FPAGO, COD_REGIMENIVA, COD_TIPOCLIENTE, COD_GRUPOCADENA, COD_MONEDA, "
        u"COD_GRUPOEMPRESA, COD_ZONA, COD_RUTA, COD_AGENTEVENTA.</li>"
        u"<li>Cuenta bancaria: NOMBREBANCO, CODIGOBANCO, CODIGOSUCURSAL, DC, NUMEROCUENTA, o la cuenta "
        u"completa de 20 dígitos en la columna CuentaBancoCCC.</li>"
        u"</ul>"
        u"<p>Si no hay columna NOMBRE se usa la RAZONSOCIAL. Los códigos de tarifa, forma de pago, régimen "
        u"de IVA, moneda y grupo de empresas que no existen toman el valor por defecto elegido.</p>");
}

} // namespace qd
