#include "TFormConfiguracionDatosDefecto.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ComunClientes.h"
#include "FbStatement.h"
#include "TkvDBEditLookup.h"

namespace {

struct DefinicionLookup {
    const char* objeto;
    const char* etiqueta;
    const char* objetoNombre;
    const char* idCampo;
    QStringList formato;
};

const DefinicionLookup kLookups[5] = {
    {"kvDBEditLookupGrupoEmpresa",
     "Grupo de Empresas",
     "DBTextGrupoEmpresa",
     "IDGRUPOSEMPRESAS",
     {"CODIGO@4@Código", "NOMBRE@35@Nombre"}},
    {"kvDBEditLookupRegimenIVA",
     "Régimen IVA",
     "DBTextIva",
     "IDREGIMENESIVA",
     {"CODIGO@4@Código", "NOMBRE@35@Nombre"}},
    {"kvDBEditLookupFormaPago",
     "Forma de Pago",
     "DBTextFormaPago",
     "IDFORMASPAGO",
     {"CODIGO@4@Código", "NOMBRE@35@Nombre"}},
    {"kvDBEditLookupTarifa", "Tarifa", "DBTextTarifa", "IDTARIFAS", {"CODIGO@7@Código", "NOMBRE@35@Tarifa"}},
    {"kvDBEditLookupMoneda",
     "Moneda",
     "DBTextNombreMoneda",
     "IDMONEDAS",
     {"CODIGO@4@Código", "NOMBRE@35@Nombre"}},
};

} // namespace

TFormConfiguracionDatosDefecto::TFormConfiguracionDatosDefecto(TDatos& datos, QWidget* parent)
    : QDialog(parent), datos_(datos) {
    setObjectName(QStringLiteral("FormConfiguracionDatosDefecto"));
    setWindowTitle(QStringLiteral("Configuracion de Datos por Defecto para la importación de Clientes"));
    auto* capa = new QVBoxLayout(this);
    auto* titulo = new QLabel(QStringLiteral("Datos por Defecto para Clientes Excel"));
    titulo->setObjectName(QStringLiteral("pnlTitulo"));
    QFont fuente = titulo->font();
    fuente.setBold(true);
    fuente.setPointSizeF(fuente.pointSizeF() * 1.2);
    titulo->setFont(fuente);
    capa->addWidget(titulo);
    auto* explicacion = new QLabel(QStringLiteral(
        "Si el dato no existe en la hoja de cálculo, aplicará estos valores para todos los clientes."));
    explicacion->setWordWrap(true);
    capa->addWidget(explicacion);

    auto fila = [&](int i, QFormLayout* form) {
        const DefinicionLookup& d = kLookups[i];
        auto* l = new TkvDBEditLookup;
        l->setObjectName(QString::fromLatin1(d.objeto));
        l->setDataBase(&datos_.IBDatabase, &datos_.IBTransaction1);
        l->FormatoCampos = d.formato;
        l->Caption_Ventana = QString::fromUtf8(d.etiqueta);
        l->Etiqueta = true;
        auto* nombre = new QLabel;
        nombre->setObjectName(QString::fromLatin1(d.objetoNombre));
        nombre->setMinimumWidth(nombre->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 18);
        auto* etiqueta = new QLabel(QString::fromUtf8(d.etiqueta));
        etiqueta->setBuddy(l);
        l->setEtiqueta1(etiqueta);
        auto* linea = new QHBoxLayout;
        linea->addWidget(l);
        linea->addWidget(nombre, 1);
        form->addRow(etiqueta, linea);
        lookups_[i] = l;
        nombres_[i] = nombre;
        l->OnConfirmarCambios = [this, i, nombre](TkvDBEditLookup& lk) {
            TkvRxMemoryData& r = lk.DataSetResultado();
            const int id = r.value(QString::fromLatin1(kLookups[i].idCampo)).toInt();
            switch (i) {
            case 0:
                IDGrupoEmpresas = id;
                break;
            case 1:
                IDRegimenIVA = id;
                break;
            case 2:
                IDFormaPago = id;
                IDCartera = r.value(QStringLiteral("IDCARTERAS")).toInt(); // none: 0
                break;
            case 3:
                IDTarifa = id;
                break;
            default:
                IDMoneda = id;
                break;
            }
            nombre->setText(r.value(QStringLiteral("NOMBRE")).toString());
        };
        // A lookup left empty or on a code that matches nothing chooses nothing.
        connect(l, &TkvDBEditLookup::resueltoCambiado, this, [this, i, nombre](bool resuelto) {
            if (resuelto) return;
            nombre->clear();
            switch (i) {
            case 0:
                IDGrupoEmpresas = 0;
                break;
            case 1:
                IDRegimenIVA = 0;
                break;
            case 2:
                IDFormaPago = IDCartera = 0;
                break;
            case 3:
                IDTarifa = 0;
                break;
            default:
                IDMoneda = 0;
                break;
            }
        });
    };
    auto* grupo = new QFormLayout;
    fila(0, grupo);
    capa->addLayout(grupo);
    pnlOpciones_ = new QWidget;
    pnlOpciones_->setObjectName(QStringLiteral("pnlOpciones"));
    auto* opciones = new QFormLayout(pnlOpciones_);
    opciones->setContentsMargins(0, 0, 0, 0);
    for (int i = 1; i < 5; ++i)
        fila(i, opciones);
    capa->addWidget(pnlOpciones_);
    // Price lists are those of the launch company group.
    for (int i = 0; i < 5; ++i)
        lookups_[i]->setSQL(ComunClientes::lineasDatosDefecto(i));
    lookups_[3]->setOpcionesBusqueda(
        TkvDBEditLookup::TOpciones(TkvDBEditLookup::Filtrar_por_Grupo_de_Empresas));

    auto* botones = new QDialogButtonBox;
    botonIniciar_ = botones->addButton(QStringLiteral("&Iniciar Importación"), QDialogButtonBox::AcceptRole);
    botonIniciar_->setObjectName(QStringLiteral("kvBotonIniciarImportacion"));
    botonIniciar_->setDefault(true);
    botonCancelar_ = botones->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    botonCancelar_->setObjectName(QStringLiteral("kvBotonCancelar"));
    connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    capa->addWidget(botones);
}

TkvDBEditLookup* TFormConfiguracionDatosDefecto::lookup(int cual) const {
    return cual >= 0 && cual < 5 ? lookups_[cual] : nullptr;
}

QLabel* TFormConfiguracionDatosDefecto::nombre(int cual) const {
    return cual >= 0 && cual < 5 ? nombres_[cual] : nullptr;
}

void TFormConfiguracionDatosDefecto::FormShow() {
    if (!datos_.IBDatabase.connected()) return;
    for (int i = 0; i < 5; ++i) {
        lookups_[i]->ValorGrupoEmpresas = datos_.IdGrupoEmpresas;
        lookups_[i]->CargarDataSetResultadoSinVentana(QString(), true, true, false);
    }
    // The company group the module was launched for, when it exists.
    try {
        qd::fb::Statement s(&datos_.IBDatabase, &datos_.IBTransaction1);
        s.setSql(QStringLiteral("SELECT CODIGO FROM GRUPOSEMPRESAS WHERE IDGRUPOSEMPRESAS = :Id"));
        s.paramByName(QStringLiteral("Id")).setInt(datos_.IdGrupoEmpresas);
        datos_.IBTransaction1.ensureStarted();
        s.execute();
        const QString codigo = s.eof() ? QString() : s.field(0).asString().trimmed();
        s.close();
        if (!codigo.isEmpty()) {
            lookups_[0]->setText(codigo);
            lookups_[0]->ConfirmarCambios();
        }
    } catch (const std::exception&) {
        // The lowest code stays.
    }
}

qd::DatosDefectoClientes TFormConfiguracionDatosDefecto::valores() const {
    return {IDGrupoEmpresas, IDRegimenIVA, IDFormaPago, IDCartera, IDTarifa, IDMoneda};
}

std::optional<qd::DatosDefectoClientes> TFormConfiguracionDatosDefecto::pedir(TDatos& datos,
                                                                              QWidget* parent) {
    TFormConfiguracionDatosDefecto ventana(datos, parent);
    ventana.FormShow();
    if (ventana.exec() != QDialog::Accepted) return std::nullopt;
    return ventana.valores();
}
