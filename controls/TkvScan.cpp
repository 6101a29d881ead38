#include "TkvScan.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "FbError.h"
#include "TkvIBQuery.h"

namespace {

const QString kParTexto = QStringLiteral("KVSCANTEXTO");
const QString kParMayusculas = QStringLiteral("KVSCANTEXTOMAY");
const QString kParMinusculas = QStringLiteral("KVSCANTEXTOMIN");
const QString kParGrupo = QStringLiteral("KVSCANGRUPOEMPRESAS");

// A LIKE pattern travels as a long text, so a pattern longer than the column is no error.
QString patron(const QString& parametro) {
    return QStringLiteral("CAST(:%1 AS VARCHAR(1024))").arg(parametro);
}

QString textoError(const std::exception& e) {
    if (const auto* fb = dynamic_cast<const qd::fb::Error*>(&e)) return fb->message();
    return QString::fromLocal8Bit(e.what());
}

int indiceCI(const QString& texto, const QString& clave) {
    return int(texto.indexOf(clave, 0, Qt::CaseInsensitive));
}

// The three tests of a column against the pattern as typed, in upper case and in lower case.
QString condicion(const QString& columna) {
    return QStringLiteral("( (") + columna + QStringLiteral(" LIKE ") + patron(kParTexto) +
           QStringLiteral(") OR (UPPER(") + columna + QStringLiteral(") LIKE ") + patron(kParMayusculas) +
           QStringLiteral(") OR (") + columna + QStringLiteral(" LIKE ") + patron(kParMinusculas) +
           QStringLiteral(") )");
}

} // namespace

TkvScan::TkvScan(QWidget* parent)
    : QDialog(parent), busqueda_(new QLineEdit(this)), rejilla_(new QTableView(this)),
      modelo_(new QStandardItemModel(this)), registros_(new QLabel(QStringLiteral("Nº Reg: "), this)),
      desactivar_(new QCheckBox(QStringLiteral("Desactivar autoscan"), this)), otras_(new QComboBox(this)),
      aceptar_(new QPushButton(QStringLiteral("&Aceptar"), this)) {
    setWindowTitle(QStringLiteral("Scan por Nombre"));
    setModal(true);
    busqueda_->setObjectName(QStringLiteral("wwIncrementalSearchScan"));
    rejilla_->setObjectName(QStringLiteral("kvDBGridScan"));
    rejilla_->setModel(modelo_);
    rejilla_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rejilla_->setSelectionMode(QAbstractItemView::SingleSelection);
    rejilla_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rejilla_->verticalHeader()->hide();
    rejilla_->horizontalHeader()->setSectionsClickable(true);
    otras_->setObjectName(QStringLiteral("ComboBoxOtrasBusquedas"));
    auto* cancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    aceptar_->setDefault(true);

    auto* arriba = new QHBoxLayout;
    arriba->addWidget(busqueda_, 1);
    const char* teclas[] = {"F2  Código", "F4  Nombre", "F5  Contiene"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(teclas[i]), this);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, [this, i] { cambiarOrden(i); });
        arriba->addWidget(b);
    }
    auto* medio = new QHBoxLayout;
    medio->addWidget(otras_, 1);
    medio->addWidget(new QLabel(QStringLiteral("El carácter comodín es % (similar a *)\r\nEjemplo: "
                                               "%Castellana%10%ofic"),
                                this));
    auto* abajo = new QHBoxLayout;
    abajo->addWidget(registros_);
    abajo->addWidget(desactivar_);
    abajo->addStretch(1);
    abajo->addWidget(aceptar_);
    abajo->addWidget(cancelar);
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(arriba);
    todo->addLayout(medio);
    todo->addWidget(rejilla_, 1);
    todo->addLayout(abajo);

    connect(aceptar_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(rejilla_, &QTableView::doubleClicked, this, &QDialog::accept);
    connect(desactivar_, &QCheckBox::toggled, this, [this](bool on) { autoScan_ = !on; });
    connect(busqueda_, &QLineEdit::textEdited, this, [this](const QString& texto) {
        if (autoScan_) {
            cambiarOrden(tipo_);
            return;
        }
        // Without re-query, the grid stands on the first row whose search column begins with it.
        const int col = (tipo_ == 0 || modelo_->columnCount() < 2) ? 0 : 1;
        for (int r = 0; r < modelo_->rowCount(); ++r) {
            if (modelo_->item(r, col) &&
                modelo_->item(r, col)->text().startsWith(texto, Qt::CaseInsensitive)) {
                rejilla_->selectRow(r);
                break;
            }
        }
    });
    connect(otras_, &QComboBox::activated, this, [this](int i) {
        if (i < 0 || i >= columnas_.size()) return;
        if (i < 2) {
            cambiarOrden(i);
            return;
        }
        bool ok = false;
        const QString titulo = columnas_[i].titulo;
        const QString texto = QInputDialog::getText(this, QStringLiteral("Scan por ") + titulo.toUpper(),
                                                    QStringLiteral("Cadena a Buscar"), QLineEdit::Normal,
                                                    busqueda_->text(), &ok);
        if (!ok || texto.isEmpty()) return;
        QString columna = a_.OrigenFormatoCampos.value(i).section(QLatin1Char('@'), 0, 0);
        if (columna.isEmpty()) columna = columnas_[i].campo;
        if (!columna.contains(QLatin1Char('.')) && !alias_.isEmpty())
            columna = alias_ + QLatin1Char('.') + columna;
        nombre_ = columna;
        busqueda_->setText(texto);
        cambiarOrden(2);
    });
    connect(rejilla_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int col) {
        const QString titulo = modelo_->headerData(col, Qt::Horizontal).toString();
        QMenu menu(this);
        QAction* asc = menu.addAction(QStringLiteral("Ordenar Ascendente por el Campo:   ") + titulo);
        QAction* desc = menu.addAction(QStringLiteral("Ordenar Descendente por el Campo:   ") + titulo);
        QAction* elegida = menu.exec(QCursor::pos());
        if (elegida == asc || elegida == desc) ordenar(col, elegida == asc);
    });
    busqueda_->installEventFilter(this);
    rejilla_->installEventFilter(this);
}

TkvScan::~TkvScan() = default;

void TkvScan::Inicializar(const Ajustes& ajustes) {
    a_ = ajustes;
    texto_ = QString(qMax(0, a_.Caract_Ignorar_Codigo), QLatin1Char('_')) + a_.TextoScan;
    tipo_ = qBound(0, a_.TipoOrdenacion, 2);

    columnas_.clear();
    otras_->clear();
    for (const QString& entrada : a_.FormatoCampos) {
        const QStringList partes = entrada.split(QLatin1Char('@'));
        Columna c;
        c.campo = partes.value(0).trimmed();
        c.ancho = partes.value(1).toInt();
        c.titulo = partes.value(2, c.campo);
        columnas_ << c;
        otras_->addItem(c.titulo);
    }

    // ORDER and GROUP lines are set apart: the search condition goes before them.
    lineas_ = a_.TextoSQL;
    orderBy_.clear();
    groupBy_.clear();
    for (int i = int(lineas_.size()) - 1; i >= 0; --i) {
        if (orderBy_.isEmpty() && lineas_[i].contains(QLatin1String("ORDER "), Qt::CaseInsensitive)) {
            orderBy_ = lineas_[i];
            lineas_[i].clear();
        } else if (groupBy_.isEmpty() && lineas_[i].contains(QLatin1String("GROUP "), Qt::CaseInsensitive)) {
            groupBy_ = lineas_[i];
            lineas_[i].clear();
        }
    }

    tabla_.clear();
    alias_.clear();
    for (const QString& linea : lineas_) {
        const int p = indiceCI(linea, QStringLiteral("FROM "));
        if (p < 0) continue;
        const QString resto = linea.mid(p + 5).trimmed();
        const int espacio = int(resto.indexOf(QLatin1Char(' ')));
        tabla_ = espacio < 0 ? resto : resto.left(espacio);
        alias_ = espacio < 0 ? resto : resto.mid(espacio).trimmed();
        break;
    }

    QString primera = lineas_.value(0).trimmed();
    const int s = indiceCI(primera, QStringLiteral("SELECT "));
    if (s >= 0) primera = primera.mid(s + 7).trimmed();
    if (primera.startsWith(QLatin1String("FIRST "), Qt::CaseInsensitive))
        primera = primera.mid(6).trimmed().section(QLatin1Char(' '), 1).trimmed();
    if (primera.startsWith(QLatin1String("DISTINCT "), Qt::CaseInsensitive))
        primera = primera.mid(9).trimmed();
    const int coma = int(primera.indexOf(QLatin1Char(',')));
    if (coma >= 0) primera = primera.left(coma);
    const int as = indiceCI(primera, QStringLiteral(" AS "));
    if (as >= 0) primera = primera.left(as);
    codigo_ = primera.trimmed();

    // The name column is the select list's second item: the second line, or the rest of the first
    // line when the list fits on it.
    QString segunda = lineas_.value(1);
    if (segunda.contains(QLatin1String("FROM"), Qt::CaseInsensitive) || segunda.trimmed().isEmpty())
        segunda = lineas_.value(0).section(QLatin1Char(','), 1, 1);
    const int as2 = indiceCI(segunda, QStringLiteral(" AS "));
    if (as2 >= 0) segunda = segunda.left(as2);
    nombre_.clear();
    for (QChar c : segunda.trimmed()) {
        if (c == QLatin1Char(' ')) continue;
        if (!(c.isLetter() && c.unicode() < 128) && c != QLatin1Char('_') && c != QLatin1Char('.')) break;
        nombre_ += c;
    }
    if (nombre_.isEmpty()) nombre_ = codigo_;

    busqueda_->setText(texto_);
    ponerTitulo();
    if (a_.ControlEnRejilla)
        rejilla_->setFocus();
    else
        busqueda_->setFocus();
}

void TkvScan::ponerTitulo() {
    const char* modos[] = {" Búsqueda por Código de ", " Búsqueda por Nombre de ", " Scan por Nombre de "};
    setWindowTitle(a_.CaptionVentana + QString::fromUtf8(modos[tipo_]) + tabla_);
    if (otras_->count() > 0) otras_->setCurrentIndex(qMin(tipo_, otras_->count() - 1));
}

TkvScan::Sentencias TkvScan::construir() const {
    Sentencias s;
    QStringList lineas = lineas_;
    if (!a_.Repetidos && !lineas.isEmpty() &&
        !lineas[0].contains(QLatin1String("DISTINCT"), Qt::CaseInsensitive)) {
        const int p = int(lineas[0].indexOf(codigo_));
        if (p >= 0) lineas[0].insert(p, QStringLiteral(" DISTINCT "));
    }
    const QString texto = lineas.join(QStringLiteral("\r\n"));
    QString union_ = texto.contains(QLatin1String("WHERE"), Qt::CaseInsensitive) ? QStringLiteral("AND ")
                                                                                 : QStringLiteral("WHERE ");
    QStringList condiciones;
    if (!codigo_.contains(QLatin1String("MIN("), Qt::CaseInsensitive) &&
        !codigo_.contains(QLatin1String("MAX("), Qt::CaseInsensitive)) {
        QString c = tipo_ == 0 ? condicion(codigo_) : condicion(nombre_);
        if (tipo_ == 0 && a_.Compras &&
            texto.contains(QLatin1String("REFERENCIA_PROVEEDOR"), Qt::CaseInsensitive))
            c = QStringLiteral("( ") + c + QStringLiteral(" OR ") +
                condicion(QStringLiteral("AP.REFERENCIA_PROVEEDOR")) + QStringLiteral(" )");
        condiciones << union_ + c;
        union_ = QStringLiteral("AND ");
        s.conFiltro = true;
    }
    const QString calif = alias_.isEmpty() ? tabla_ : alias_;
    if (a_.UsarEmpresa || a_.UsarGrupoEmpresas) {
        condiciones << union_ + QStringLiteral("(") + calif +
                           (a_.UsarEmpresa ? QStringLiteral(".Empresa = :")
                                           : QStringLiteral(".GrupoEmpresas = :")) +
                           kParGrupo + QStringLiteral(")");
        union_ = QStringLiteral("AND ");
        s.conGrupo = true;
    }
    QString cuerpo = texto;
    if (!condiciones.isEmpty()) cuerpo += QStringLiteral("\r\n") + condiciones.join(QStringLiteral("\r\n"));
    if (!groupBy_.isEmpty()) cuerpo += QStringLiteral("\r\n") + groupBy_;
    // The count covers exactly the rows listed (DISTINCT and GROUP BY included).
    s.cuenta = QStringLiteral("SELECT COUNT(*) AS CONTADOR FROM (\r\n") + cuerpo + QStringLiteral("\r\n)");
    QString orden = ordenElegido_;
    if (orden.isEmpty()) orden = orderBy_;
    if (orden.isEmpty()) orden = QStringLiteral("ORDER BY ") + (tipo_ == 0 ? codigo_ : nombre_);
    s.filas = cuerpo + QStringLiteral("\r\n") + orden;
    return s;
}

void TkvScan::vincular(TkvIBQuery& consulta, const Sentencias& s) const {
    for (auto it = a_.Parametros.cbegin(); it != a_.Parametros.cend(); ++it)
        if (consulta.hasParam(it.key())) consulta.paramByName(it.key()).setVariant(it.value());
    if (s.conFiltro) {
        QString buscado = texto_ + QLatin1Char('%');
        if (tipo_ == 2) buscado.prepend(QLatin1Char('%'));
        consulta.paramByName(kParTexto).setString(buscado);
        consulta.paramByName(kParMayusculas).setString(buscado.toUpper());
        consulta.paramByName(kParMinusculas).setString(buscado.toLower());
    }
    if (s.conGrupo) consulta.paramByName(kParGrupo).setInt(a_.GrupoEmpresas);
}

void TkvScan::MostrarDatos() {
    const bool abrir = !(primeraCarga_ && a_.VerGrande && (a_.Articulos || a_.Clientes) && texto_.isEmpty());
    primeraCarga_ = false;
    modelo_->clear();
    camposColumna_.clear();
    registros_->setText(QStringLiteral("Nº Reg: ¿?"));
    if (!a_.DataBase || !a_.Transaccion || a_.TextoSQL.isEmpty()) return;
    const Sentencias s = construir();
    sentenciaFilas_ = s.filas;
    sentenciaCuenta_ = s.cuenta;
    if (!abrir) return;
    try {
        if (a_.ContarRegistros) {
            TkvIBQuery cuenta(a_.DataBase, a_.Transaccion, false);
            cuenta.setSql(s.cuenta);
            vincular(cuenta, s);
            cuenta.open();
            registros_->setText(QStringLiteral("Nº Reg: ") + cuenta.field(0).asString());
            cuenta.close();
        }
        consulta_ = std::make_unique<TkvIBQuery>(a_.DataBase, a_.Transaccion, true);
        consulta_->setSql(s.filas);
        vincular(*consulta_, s);
        consulta_->open();

        // Grid columns: the listed fields in their order with their titles, or every field.
        QStringList titulos;
        for (const Columna& c : columnas_) {
            const QString campo = c.campo.section(QLatin1Char('.'), -1);
            for (int i = 0; i < consulta_->fieldCount(); ++i) {
                if (consulta_->field(i).name().compare(campo, Qt::CaseInsensitive) == 0) {
                    camposColumna_ << i;
                    titulos << c.titulo;
                    break;
                }
            }
        }
        if (camposColumna_.isEmpty()) {
            for (int i = 0; i < consulta_->fieldCount(); ++i) {
                camposColumna_ << i;
                titulos << consulta_->field(i).name();
            }
        }
        modelo_->setColumnCount(int(camposColumna_.size()));
        modelo_->setHorizontalHeaderLabels(titulos);
        for (consulta_->first(); !consulta_->eof(); consulta_->next()) {
            QList<QStandardItem*> fila;
            for (int i : camposColumna_) {
                const QVariant v = consulta_->field(i).asVariant();
                auto* item = new QStandardItem;
                if (v.typeId() == QMetaType::Double)
                    item->setText(QLocale().toString(v.toDouble(), 'f', 2));
                else if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate)
                    item->setText(v.toDate().toString(QStringLiteral("dd/MM/yyyy")));
                else
                    item->setText(v.toString().trimmed());
                fila << item;
            }
            modelo_->appendRow(fila);
        }
        if (modelo_->rowCount() > 0) rejilla_->selectRow(0);
        rejilla_->resizeColumnsToContents();
    } catch (const std::exception& e) {
        const bool deBase = dynamic_cast<const qd::fb::Error*>(&e) != nullptr;
        mostrarError((deBase ? QStringLiteral("Error en SCAN: ") : QStringLiteral("Error NO base datos: ")) +
                     textoError(e));
    }
}

void TkvScan::mostrarError(const QString& texto) {
    consulta_.reset();
    modelo_->clear();
    qWarning().noquote() << texto;
    QMessageBox caja(QMessageBox::Critical, windowTitle(),
                     QStringLiteral("Error en el Scan, detalles:\r\n") + texto, QMessageBox::Ok, this);
    caja.exec();
}

void TkvScan::cambiarOrden(int tipo) {
    tipo_ = qBound(0, tipo, 2);
    texto_ = busqueda_->text();
    ordenElegido_.clear();
    ponerTitulo();
    MostrarDatos();
    busqueda_->setFocus();
}

void TkvScan::ordenar(int columna, bool ascendente) {
    if (columna < 0 || columna >= camposColumna_.size()) {
        mostrarError(QStringLiteral("Error, Imposible Ordenar por este Campo"));
        return;
    }
    // By position in the select list: no column text is ever written from the grid.
    ordenElegido_ = QStringLiteral("ORDER BY %1 %2")
                        .arg(camposColumna_[columna] + 1)
                        .arg(ascendente ? QStringLiteral("ASC") : QStringLiteral("DESC"));
    const QString guardado = ordenElegido_;
    MostrarDatos();
    ordenElegido_ = guardado;
}

const TkvIBQuery* TkvScan::filaElegida() {
    if (!consulta_ || !consulta_->active()) return nullptr;
    const int fila = rejilla_->currentIndex().isValid() ? rejilla_->currentIndex().row()
                                                        : (modelo_->rowCount() > 0 ? 0 : -1);
    if (fila < 0) return nullptr;
    consulta_->first();
    for (int i = 0; i < fila && !consulta_->eof(); ++i)
        consulta_->next();
    return consulta_->eof() ? nullptr : consulta_.get();
}

void TkvScan::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (!primeraCarga_) return;
    int largo = 0;
    for (const Columna& c : columnas_)
        largo += c.ancho < c.titulo.size() + 1 ? int(c.titulo.size()) + 5 : c.ancho;
    resize(qBound(600, largo * 6, 1000), 450);
    MostrarDatos();
    if (a_.Caract_Ignorar_Codigo > 0)
        busqueda_->setSelection(a_.Caract_Ignorar_Codigo, int(busqueda_->text().size()));
}

bool TkvScan::teclaDeVentana(QKeyEvent* tecla) {
    switch (tecla->key()) {
    case Qt::Key_F2:
        cambiarOrden(0);
        return true;
    case Qt::Key_F4:
        cambiarOrden(1);
        return true;
    case Qt::Key_F5:
        cambiarOrden(2);
        return true;
    case Qt::Key_F6:
        if (OnF6) {
            const QString codigo =
                (consulta_ && modelo_->rowCount() > 0 && rejilla_->currentIndex().isValid())
                    ? modelo_->item(rejilla_->currentIndex().row(), 0)->text()
                    : QString();
            OnF6(busqueda_, codigo);
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return true;
    default:
        return false;
    }
}

bool TkvScan::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(evento);
        if (teclaDeVentana(tecla)) return true;
        if (objeto == busqueda_) {
            if (tecla->key() == Qt::Key_Down) {
                rejilla_->setFocus();
                if (!rejilla_->currentIndex().isValid() && modelo_->rowCount() > 0) rejilla_->selectRow(0);
                return true;
            }
            if (tecla->key() == Qt::Key_Backspace) {
                autoScan_ = false;
                desactivar_->setChecked(true);
            }
        }
    }
    return QDialog::eventFilter(objeto, evento);
}
