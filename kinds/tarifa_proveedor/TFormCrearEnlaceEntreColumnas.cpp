#include "TFormCrearEnlaceEntreColumnas.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "OpcionesTarifaProveedor.h"

namespace {

const QString kSeparador = QStringLiteral("<-->");

QListWidget* lista(QWidget* padre, const char* nombre) {
    auto* l = new QListWidget(padre);
    l->setObjectName(QString::fromLatin1(nombre));
    return l;
}

QPushButton* boton(QWidget* padre, const char* nombre, const QString& texto) {
    auto* b = new QPushButton(texto, padre);
    b->setObjectName(QString::fromLatin1(nombre));
    b->setAutoDefault(false);
    return b;
}

// Selects the item standing where a deleted one was (the last one when it was the last).
void seleccionarEn(QListWidget* l, int fila) {
    if (l->count() == 0) return;
    l->setCurrentRow(std::min(fila, l->count() - 1));
}

} // namespace

TFormCrearEnlaceEntreColumnas::TFormCrearEnlaceEntreColumnas(const QStringList& titulos, QWidget* parent)
    : QDialog(parent), titulosIniciales_(titulos) {
    setObjectName(QStringLiteral("FormCrearEnlaceEntreColumnas"));
    setWindowTitle(QStringLiteral("  Crear Enlace entre Columnas"));
    setModal(true);

    ListBoxExcel = lista(this, "ListBoxExcel");
    ListBoxQuenda = lista(this, "ListBoxQuenda");
    ListBoxSeleccionados = lista(this, "ListBoxSeleccionados");
    ListBoxExcel->addItems(titulos);
    ListBoxQuenda->addItems(qd::OpcionesTarifaProveedor::camposEnlazables());

    ButtonPasaraVisualizar = boton(this, "ButtonPasaraVisualizar", QStringLiteral(">"));
    ButtonPasaraDefecto = boton(this, "ButtonPasaraDefecto", QStringLiteral("<"));
    ButtonPasaraDefectoTodas = boton(this, "ButtonPasaraDefectoTodas", QStringLiteral("<<"));
    BotonConfirmar = boton(this, "BotonConfirmar", QStringLiteral("&Aceptar"));
    SpeedButtonCerrar = boton(this, "SpeedButtonCerrar", QStringLiteral("&Salir"));
    SpeedButtonCerrar->setToolTip(QStringLiteral("Cerrar ventana"));

    auto* titulo = new QLabel(QStringLiteral("Crear Enlace entre Columnas"), this);
    QFont f = titulo->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    titulo->setFont(f);

    auto* rejilla = new QGridLayout;
    rejilla->addWidget(new QLabel(QStringLiteral("Columnas Fichero Excel"), this), 0, 0);
    rejilla->addWidget(new QLabel(QStringLiteral("Columnas Quenda SQL"), this), 0, 1);
    rejilla->addWidget(new QLabel(QStringLiteral("Enlace Generado"), this), 0, 3);
    rejilla->addWidget(ListBoxExcel, 1, 0);
    rejilla->addWidget(ListBoxQuenda, 1, 1);
    auto* medio = new QVBoxLayout;
    medio->addStretch();
    medio->addWidget(ButtonPasaraVisualizar);
    medio->addWidget(ButtonPasaraDefecto);
    medio->addWidget(ButtonPasaraDefectoTodas);
    medio->addStretch();
    rejilla->addLayout(medio, 1, 2);
    rejilla->addWidget(ListBoxSeleccionados, 1, 3);
    auto* abajo = new QHBoxLayout;
    abajo->addStretch();
    abajo->addWidget(BotonConfirmar);
    abajo->addWidget(SpeedButtonCerrar);
    auto* todo = new QVBoxLayout(this);
    todo->addWidget(titulo);
    todo->addLayout(rejilla);
    todo->addLayout(abajo);

    connect(ButtonPasaraVisualizar, &QPushButton::clicked, this, [this] { pasarAVisualizar(); });
    connect(ButtonPasaraDefecto, &QPushButton::clicked, this, [this] { pasarADefecto(); });
    connect(ButtonPasaraDefectoTodas, &QPushButton::clicked, this, [this] { pasarADefectoTodas(); });
    connect(BotonConfirmar, &QPushButton::clicked, this, [this] {
        AceptarSN = true;
        accept();
    });
    connect(SpeedButtonCerrar, &QPushButton::clicked, this, [this] {
        AceptarSN = false;
        reject();
    });
}

QStringList TFormCrearEnlaceEntreColumnas::enlaces() const {
    QStringList r;
    for (int i = 0; i < ListBoxSeleccionados->count(); ++i)
        r << ListBoxSeleccionados->item(i)->text();
    return r;
}

void TFormCrearEnlaceEntreColumnas::pasarAVisualizar() {
    const int t = ListBoxExcel->currentRow(), c = ListBoxQuenda->currentRow();
    if (t < 0 || c < 0 || !ListBoxExcel->currentItem()->isSelected() ||
        !ListBoxQuenda->currentItem()->isSelected())
        return;
    ListBoxSeleccionados->addItem(ListBoxExcel->item(t)->text() + kSeparador +
                                  ListBoxQuenda->item(c)->text());
    delete ListBoxExcel->takeItem(t);
    delete ListBoxQuenda->takeItem(c);
    ListBoxExcel->setFocus();
    seleccionarEn(ListBoxExcel, t);
    seleccionarEn(ListBoxQuenda, c);
}

void TFormCrearEnlaceEntreColumnas::pasarADefecto() {
    const int e = ListBoxSeleccionados->currentRow();
    if (e < 0 || !ListBoxSeleccionados->currentItem()->isSelected()) return;
    const QString enlace = ListBoxSeleccionados->item(e)->text();
    const int sep = enlace.indexOf(kSeparador);
    ListBoxExcel->addItem(enlace.left(sep));
    ListBoxQuenda->addItem(enlace.mid(sep + kSeparador.size()));
    delete ListBoxSeleccionados->takeItem(e);
}

void TFormCrearEnlaceEntreColumnas::pasarADefectoTodas() {
    if (ListBoxSeleccionados->count() == 0) return;
    // Every link is undone: the titles and all the fields are offered again, in their order.
    ListBoxSeleccionados->clear();
    ListBoxExcel->clear();
    ListBoxQuenda->clear();
    ListBoxExcel->addItems(titulosIniciales_);
    ListBoxQuenda->addItems(qd::OpcionesTarifaProveedor::camposEnlazables());
}
