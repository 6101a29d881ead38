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
#include <QTimer>
#include <QVBoxLayout>

#include "CondicionPropia.h"
#include "FbError.h"
#include "TkvGroupBox.h"
#include "TkvIBQuery.h"
#include "UserChannel.h"

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

// Numbers as "#,##0.##" (group separators, at most two decimals), dates as dd/mm/yyyy, flags as
// check boxes.
QStandardItem* celda(const QVariant& v) {
    auto* item = new QStandardItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    switch (v.typeId()) {
    case QMetaType::Bool:
        item->setData(v.toBool() ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
        break;
    case QMetaType::Double:
    case QMetaType::Float: {
        QString texto = QLocale().toString(v.toDouble(), 'f', 2);
        const QString coma = QLocale().decimalPoint();
        if (texto.contains(coma)) {
            while (texto.endsWith(QLatin1Char('0')))
                texto.chop(1);
            if (texto.endsWith(coma)) texto.chop(coma.size());
        }
        item->setText(texto);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        break;
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
        item->setText(QLocale().toString(v.toLongLong()));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        item->setText(v.toDate().toString(QStringLiteral("dd/MM/yyyy")));
        break;
    default:
        item->setText(v.toString().trimmed());
    }
    return item;
}

} // namespace

TkvScan::TkvScan(QWidget* parent)
    : QDialog(parent), busqueda_(new QLineEdit(this)), rejilla_(new QTableView(this)),
      modelo_(new QStandardItemModel(this)), registros_(new QLabel(QStringLiteral("Nº Reg: "), this)),
      desactivar_(new QCheckBox(QStringLiteral("Desactivar autoscan"), this)), otras_(new QComboBox(this)),
      aceptar_(new QPushButton(QStringLiteral("&Aceptar"), this)), botonF6_(new QPushButton(this)),
      descatalogados_(new QCheckBox(QStringLiteral("Ver Descatalogados"), this)),
      marcoOtras_(new QWidget(this)), tarifas_(new TkvRadioGroup(QStringLiteral(" Tarifa Ventas "), this)),
      almacen_(new QLabel(QStringLiteral("Almacén: "), this)) {
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
    botonF6_->setObjectName(QStringLiteral("BotonF6"));
    botonF6_->setFocusPolicy(Qt::NoFocus);
    botonF6_->hide();
    descatalogados_->hide();
    auto* cancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    aceptar_->setDefault(true);

    auto* arriba = new QHBoxLayout;
    arriba->addWidget(busqueda_, 1);
    const char* teclas[] = {"F2\nCódigo", "F4\nNombre", "F5\nContiene"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(teclas[i]), this);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, [this, i] { cambiarOrden(i); });
        arriba->addWidget(b);
        botonesTecla_[i] = b;
    }
    arriba->addWidget(botonF6_);
    auto* medio = new QHBoxLayout(marcoOtras_);
    medio->setContentsMargins(0, 0, 0, 0);
    medio->addWidget(new QLabel(QStringLiteral("Otras búsquedas:"), marcoOtras_));
    medio->addWidget(otras_, 1);
    medio->addWidget(new QLabel(QStringLiteral("El carácter comodín es % (similar a *)\nEjemplo: "
                                               "%Castellana%10%ofic"),
                                marcoOtras_));
    tarifas_->setColumns(2);
    auto* auxiliares = new QHBoxLayout;
    auxiliares->addWidget(tarifas_, 1);
    auxiliares->addWidget(almacen_);
    auto* abajo = new QHBoxLayout;
    abajo->addWidget(registros_);
    abajo->addWidget(desactivar_);
    abajo->addWidget(descatalogados_);
    abajo->addStretch(1);
    abajo->addWidget(aceptar_);
    abajo->addWidget(cancelar);
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(arriba);
    todo->addWidget(marcoOtras_);
    todo->addLayout(auxiliares);
    todo->addWidget(rejilla_, 1);
    todo->addLayout(abajo);

    connect(aceptar_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(rejilla_, &QTableView::doubleClicked, this, &QDialog::accept);
    connect(desactivar_, &QCheckBox::toggled, this, [this](bool on) { autoScan_ = !on; });
    connect(descatalogados_, &QCheckBox::toggled, this, [this] { MostrarDatos(); });
    connect(busqueda_, &QLineEdit::textEdited, this, &TkvScan::alTeclear);
    connect(otras_, &QComboBox::activated, this, &TkvScan::elegirOtraBusqueda);
    connect(botonF6_, &QPushButton::clicked, this, [this] {
        QKeyEvent f6(QEvent::KeyPress, Qt::Key_F6, Qt::NoModifier);
        teclaDeVentana(&f6);
    });
    auto elegirTarifa = [this](bool cliente) {
        a_.Parametros.insert(QStringLiteral("ParCodigoTarifa"), cliente ? a_.CodTarifaCli : a_.CodTarifa);
        MostrarDatos();
    };
    tarifas_->OnClick = [elegirTarifa](TkvRadioGroup& r) { elegirTarifa(r.ItemIndex() == 1); };
    connect(rejilla_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int col) {
        rejilla_->setCurrentIndex(modelo_->index(qMax(0, rejilla_->currentIndex().row()), col));
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

void TkvScan::alTeclear(const QString& texto) {
    posicionar(texto);
    if (a_.VerGrande && a_.Funcionamiento_Grande) return;
    auxTecleado_ = texto;
    if (texto.size() > 4 && autoScan_) cambiarOrden(tipo_);
}

void TkvScan::posicionar(const QString& texto) {
    // The search column: the code by code, else the name, or the column of another search.
    int col = columnaBusqueda_ >= 0 ? columnaBusqueda_ : (tipo_ == 0 ? 0 : 1);
    if (col >= modelo_->columnCount()) col = 0;
    for (int r = 0; r < modelo_->rowCount(); ++r) {
        if (modelo_->item(r, col) && modelo_->item(r, col)->text().startsWith(texto, Qt::CaseInsensitive)) {
            rejilla_->selectRow(r);
            return;
        }
    }
}

void TkvScan::elegirOtraBusqueda(int item) {
    if (item < 0 || item >= columnas_.size()) return;
    const QString titulo = columnas_[item].titulo;
    QString texto = busqueda_->text();
    if (item >= 2) {
        bool ok = false;
        texto = QInputDialog::getText(this, QStringLiteral("Scan por ") + titulo.toUpper(),
                                      QStringLiteral("Cadena a Buscar"), QLineEdit::Normal, texto, &ok);
        if (!ok) return;
    }
    tipo_ = qMin(item, 2);
    ordenElegido_.clear();
    // The search column: the list of search columns when the lookup gave one, else the grid's.
    QString columna = a_.OrigenFormatoCampos.value(item).section(QLatin1Char('@'), 0, 0).trimmed();
    if (columna.isEmpty()) columna = columnas_[item].campo;
    if (!columna.contains(QLatin1Char('.')) && !alias_.isEmpty())
        columna = alias_ + QLatin1Char('.') + columna;
    if (item > 0) nombre_ = columna;
    columnaBusqueda_ = item;
    setWindowTitle(a_.CaptionVentana +
                   (item < 2 ? QStringLiteral(" Búsqueda por ") : QStringLiteral(" Scan por ")) + titulo);
    busqueda_->setText(texto);
    texto_ = texto;
    if (!texto_.isEmpty()) {
        MostrarDatos();
        busqueda_->setFocus();
    }
}

TkvScan::~TkvScan() = default;

void TkvScan::Inicializar(const Ajustes& ajustes) {
    a_ = ajustes;
    texto_ = QString(qMax(0, a_.Caract_Ignorar_Codigo), QLatin1Char('_')) + a_.TextoScan;
    tipo_ = qBound(0, a_.TipoOrdenacion, 2);

    columnas_.clear();
    otras_->clear();
    long_ = 0;
    for (const QString& entrada : a_.FormatoCampos) {
        const QStringList partes = entrada.split(QLatin1Char('@'));
        Columna c;
        c.campo = partes.value(0).trimmed();
        c.ancho = partes.value(1).toInt();
        c.titulo = partes.value(2, c.campo);
        columnas_ << c;
        otras_->addItem(c.titulo);
        // A title wider than its column widens the window.
        long_ += c.ancho < c.titulo.size() + 1 ? int(c.titulo.size()) + 5 : c.ancho;
    }
    if (otras_->count() > 0) botonesTecla_[0]->setText(QStringLiteral("F2\n") + otras_->itemText(0).left(7));
    if (otras_->count() > 1) botonesTecla_[1]->setText(QStringLiteral("F4\n") + otras_->itemText(1).left(7));

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

    // Large layout: the text filters the rows. Small: every row is listed and the grid stands on
    // the text (unless the window works as a large one).
    marcoOtras_->setVisible(a_.VerGrande);
    auxTecleado_.clear();
    if (!a_.VerGrande && !a_.Funcionamiento_Grande) {
        auxTecleado_ = texto_;
        texto_.clear();
    }
    busqueda_->setText(a_.VerGrande || a_.Funcionamiento_Grande ? texto_ : QString());

    // The quick-add key and the discontinued articles belong to article and client tables.
    botonF6_->setVisible(a_.Articulos || a_.Clientes);
    descatalogados_->setVisible(a_.Articulos);
    if (a_.Articulos && !a_.Compras)
        botonF6_->setText(QStringLiteral("F6   Ver Stocks"));
    else
        botonF6_->setText(QStringLiteral("F6   Alta Rápida"));

    tarifas_->setVisible(a_.UsarDatosAuxiliares);
    almacen_->setVisible(a_.UsarDatosAuxiliares);
    if (a_.UsarDatosAuxiliares) {
        almacen_->setText(QStringLiteral("Almacén: ") + a_.CodAlmacen + QLatin1Char(' ') + a_.NombAlmacen);
        tarifas_->setItems(
            {QStringLiteral("   Defecto ") + a_.CodTarifa + QLatin1Char(' ') + a_.NombTarifa,
             QStringLiteral("   Cliente   ") + a_.CodTarifaCli + QLatin1Char(' ') + a_.NombTarifaCli});
        tarifas_->setItemIndex(0);
    }
    ponerTitulo();
}

int TkvScan::anchoInicial() const {
    int ancho = long_ * 6;
    if (ancho < 753 && tarifas_->isVisibleTo(this)) ancho = 753;
    return qBound(600, ancho, 1000);
}

void TkvScan::ponerTitulo() {
    const char* modos[] = {" Búsqueda por Código de ", " Búsqueda por Nombre de ", " Scan por Nombre de "};
    setWindowTitle(a_.CaptionVentana + QString::fromUtf8(modos[tipo_]) + tabla_);
    // Scanning searches the name column too.
    if (otras_->count() > 0) otras_->setCurrentIndex(qMin(qMin(tipo_, 1), int(otras_->count()) - 1));
}

TkvScan::Sentencias TkvScan::construir() const {
    Sentencias s;
    QStringList lineas = lineas_;
    if (!a_.Repetidos && !lineas.isEmpty() &&
        !lineas[0].contains(QLatin1String("DISTINCT"), Qt::CaseInsensitive)) {
        const int p = int(lineas[0].indexOf(codigo_));
        if (p >= 0) lineas[0].insert(p, QStringLiteral(" DISTINCT "));
    }
    QString union_ = encerrarCondicionPropia(lineas) ? QStringLiteral("AND ") : QStringLiteral("WHERE ");
    const QString texto = lineas.join(QStringLiteral("\r\n"));
    QStringList condiciones;
    if (!codigo_.contains(QLatin1String("MIN("), Qt::CaseInsensitive) &&
        !codigo_.contains(QLatin1String("MAX("), Qt::CaseInsensitive)) {
        QString c = tipo_ == 0 ? condicion(codigo_) : condicion(nombre_);
        // A purchase lookup by code also finds the supplier's reference.
        if (tipo_ == 0 && a_.Compras) {
            QString otras;
            if (texto.contains(QLatin1String("REFERENCIA_PROVEEDOR"), Qt::CaseInsensitive))
                otras += QStringLiteral("\r\nOR ") + condicion(QStringLiteral("AP.REFERENCIA_PROVEEDOR"));
            if (texto.contains(QLatin1String("REFERENCIAPROVEEDOR"), Qt::CaseInsensitive))
                otras += QStringLiteral("\r\nOR (A.REFERENCIAPROVEEDOR LIKE ") + patron(kParTexto) +
                         QLatin1Char(')');
            if (!otras.isEmpty()) c = QStringLiteral("( ") + c + otras + QStringLiteral(" )");
        }
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
    if (a_.Articulos && !descatalogados_->isChecked()) {
        condiciones << union_ + QStringLiteral("(A.DESCATALOGADO = 0)");
        union_ = QStringLiteral("AND ");
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
                fila << celda(consulta_->field(i).asVariant());
            }
            modelo_->appendRow(fila);
        }
        if (modelo_->rowCount() > 0) rejilla_->selectRow(0);
        rejilla_->resizeColumnsToContents();
        // Text typed in the small layout: the grid stands on it.
        if (!auxTecleado_.isEmpty()) {
            busqueda_->setText(auxTecleado_);
            posicionar(auxTecleado_);
        }
    } catch (const std::exception& e) {
        const bool deBase = dynamic_cast<const qd::fb::Error*>(&e) != nullptr;
        mostrarError((deBase ? QStringLiteral("Error en SCAN: ") : QStringLiteral("Error NO base datos: ")) +
                     textoError(e));
    }
}

void TkvScan::mostrarError(const QString& texto) {
    consulta_.reset();
    modelo_->clear();
    const QString mensaje = QStringLiteral("Error en el Scan, detalles:\r\n") + texto;
    // Through the program's channel when there is one (it shows the box and keeps the log).
    if (auto* canal = qd::UserChannel::current()) {
        canal->message(qd::MessageKind::Error, mensaje);
        return;
    }
    qWarning().noquote() << mensaje;
    QMessageBox caja(QMessageBox::Critical, windowTitle(), mensaje, QMessageBox::Ok, this);
    caja.exec();
}

void TkvScan::cambiarOrden(int tipo) {
    tipo_ = qBound(0, tipo, 2);
    columnaBusqueda_ = -1;
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
    if (mostrada_) return;
    mostrada_ = true;
    resize(anchoInicial(), 450);
    primeraCarga_ = true;
    MostrarDatos();
    if (a_.ControlEnRejilla)
        rejilla_->setFocus();
    else
        busqueda_->setFocus();
    // Once the window has settled, the characters to ignore stay out of the selection.
    if (a_.Caract_Ignorar_Codigo > 0)
        QTimer::singleShot(0, this, [this] {
            busqueda_->setSelection(a_.Caract_Ignorar_Codigo,
                                    int(busqueda_->text().size()) - a_.Caract_Ignorar_Codigo);
        });
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
            const TkvIBQuery* fila = filaElegida();
            OnF6(busqueda_, fila && fila->fieldCount() > 0 ? fila->field(0).asString().trimmed() : QString());
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
