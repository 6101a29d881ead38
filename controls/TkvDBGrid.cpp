#include "TkvDBGrid.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QSettings>
#include <QStyledItemDelegate>

// The grid's cells: colours and font from OnCalcCellColors, then OnDrawColumnCell.
class DelegadoRejilla : public QStyledItemDelegate {
public:
    explicit DelegadoRejilla(TkvDBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* pintor, const QStyleOptionViewItem& opcion,
               const QModelIndex& indice) const override {
        QStyledItemDelegate::paint(pintor, opcion, indice);
        if (grid_->OnDrawColumnCell) {
            QStyleOptionViewItem o(opcion);
            initStyleOption(&o, indice);
            grid_->OnDrawColumnCell(pintor, o.rect, grid_->campoDeColumna(indice.column()), indice.row(), o);
        }
    }

protected:
    void initStyleOption(QStyleOptionViewItem* opcion, const QModelIndex& indice) const override {
        QStyledItemDelegate::initStyleOption(opcion, indice);
        if (!grid_->OnCalcCellColors) return;
        QColor fondo, texto;
        QFont fuente = opcion->font;
        grid_->OnCalcCellColors(grid_->campoDeColumna(indice.column()), indice.row(), fondo, texto, fuente);
        if (fondo.isValid()) opcion->backgroundBrush = fondo;
        if (texto.isValid()) {
            opcion->palette.setColor(QPalette::Text, texto);
            opcion->palette.setColor(QPalette::HighlightedText, texto);
        }
        opcion->font = fuente;
    }

private:
    TkvDBGrid* grid_;
};

TkvDBGrid::TkvDBGrid(QWidget* parent) : QTableView(parent), modelo_(new ModeloRxMemoryData(this)) {
    setModel(modelo_);
    setItemDelegate(new DelegadoRejilla(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

void TkvDBGrid::setTabla(TkvRxMemoryData* tabla) {
    modelo_->setTabla(tabla);
}

void TkvDBGrid::setColumnas(const QList<ModeloRxMemoryData::Columna>& columnas) {
    modelo_->setColumnas(columnas);
    ajustarColumnas();
}

QString TkvDBGrid::campoDeColumna(int columna) const {
    const int campo = modelo_->campoDeColumna(columna);
    if (campo < 0 || !modelo_->tabla()) return {};
    return modelo_->tabla()->fieldDefs()[campo].name;
}

void TkvDBGrid::CargarListaInicial() {
    if (!primeraVez_) return;
    primeraVez_ = false;
    listaInicial_ = modelo_->columnas();
    // Without a column list every visible field is shown: that is the list.
    if (listaInicial_.isEmpty() && modelo_->tabla()) {
        for (int c = 0; c < modelo_->columnCount(); ++c)
            listaInicial_.append({campoDeColumna(c), QString(), modelo_->esColumnaCasilla(c)});
    }
}

void TkvDBGrid::CambiarDisplayLabel(const QString& Columna, const QString& NuevoDisplayLabel) {
    CargarListaInicial();
    QList<ModeloRxMemoryData::Columna> columnas = modelo_->columnas();
    if (columnas.isEmpty()) columnas = listaInicial_;
    for (auto& c : columnas)
        if (c.campo.compare(Columna, Qt::CaseInsensitive) == 0) c.titulo = NuevoDisplayLabel;
    modelo_->setColumnas(columnas);
    if (GuardarColumnas) GuardarListaColumnas(); // a file that cannot be written is no error here
}

void TkvDBGrid::CambioVisor(int visor, const QSet<int>& columnas) {
    CargarListaInicial();
    QList<ModeloRxMemoryData::Columna> vista;
    for (int i = 0; i < listaInicial_.size(); ++i)
        if (columnas.contains(i)) vista << listaInicial_[i];
    visor_ = visor;
    modelo_->setColumnas(vista);
    ajustarColumnas();
}

// ---------------------------------------------------------------------------------------------
// Column layout file.

QString TkvDBGrid::rutaColumnas() const {
    if (!ficheroColumnas.isEmpty()) return ficheroColumnas;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Rejillas.ini"));
}

QString TkvDBGrid::seccionColumnas() const {
    return window()->objectName() + objectName();
}

bool TkvDBGrid::tablaAbierta() const {
    return modelo_->tabla() && modelo_->tabla()->active();
}

void TkvDBGrid::GuardarListaColumnas() {
    if (modelo_->columnCount() == 0) return;
    QSettings ini(rutaColumnas(), QSettings::IniFormat);
    ini.remove(seccionColumnas());
    ini.beginGroup(seccionColumnas());
    const int caracter = qMax(1, fontMetrics().averageCharWidth());
    for (int v = 0; v < modelo_->columnCount(); ++v) {
        const int c = horizontalHeader()->logicalIndex(v);
        const QString campo = campoDeColumna(c);
        if (campo.isEmpty()) continue;
        // Field;;width in characters;;title;;editable mark;;position.
        const QStringList partes{campo, QString::number(columnWidth(c) / caracter),
                                 modelo_->headerData(c, Qt::Horizontal).toString(),
                                 soloLectura_ ? QStringLiteral("T") : QStringLiteral("F"),
                                 QString::number(v)};
        ini.setValue(campo, partes.join(QStringLiteral(";;")));
    }
    ini.endGroup();
}

void TkvDBGrid::CargarListaColumnas() {
    QSettings ini(rutaColumnas(), QSettings::IniFormat);
    ini.beginGroup(seccionColumnas());
    const QStringList claves = ini.childKeys();
    if (claves.isEmpty()) return;
    struct Guardada {
        int posicion;
        ModeloRxMemoryData::Columna columna;
        int ancho;
    };
    QList<Guardada> guardadas;
    for (const QString& clave : claves) {
        const QStringList partes = ini.value(clave).toString().split(QStringLiteral(";;"));
        const QString campo = partes.value(0);
        if (!modelo_->tabla() || modelo_->tabla()->fieldIndex(campo) < 0) continue;
        const int actual = modelo_->columnaDeCampo(campo);
        const bool casilla = actual >= 0 && modelo_->esColumnaCasilla(actual);
        guardadas.append(
            {partes.value(4).toInt(), {campo, partes.value(2), casilla}, partes.value(1).toInt()});
    }
    ini.endGroup();
    if (guardadas.isEmpty()) return;
    std::stable_sort(guardadas.begin(), guardadas.end(),
                     [](const Guardada& a, const Guardada& b) { return a.posicion < b.posicion; });
    QList<ModeloRxMemoryData::Columna> columnas;
    for (const auto& g : guardadas)
        columnas << g.columna;
    modelo_->setColumnas(columnas);
    const int caracter = qMax(1, fontMetrics().averageCharWidth());
    for (int c = 0; c < guardadas.size(); ++c)
        if (guardadas[c].ancho > 0) setColumnWidth(c, guardadas[c].ancho * caracter);
}

void TkvDBGrid::Comprobar_rejillas() {
    QSettings ini(rutaColumnas(), QSettings::IniFormat);
    ini.beginGroup(seccionColumnas());
    const auto guardadas = ini.childKeys().size();
    ini.endGroup();
    if (guardadas != modelo_->columnCount()) GuardarListaColumnas();
}

void TkvDBGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (!GuardarColumnas || !tablaAbierta()) return;
    CargarListaInicial();
    if (FiltrarRejillas) Comprobar_rejillas();
    CargarListaColumnas();
}

void TkvDBGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    // A cell editor taking the focus is not leaving the grid.
    if (GuardarColumnas && tablaAbierta() && !isAncestorOf(QApplication::focusWidget()))
        GuardarListaColumnas();
}

void TkvDBGrid::ajustarColumnas(int filasMuestra, int anchoMaximo) {
    QHeaderView* cabecera = horizontalHeader();
    const int filas = qMin(modelo_->rowCount(), qMax(filasMuestra, 0));
    QStyleOptionViewItem opcion;
    initViewItemOption(&opcion);
    const int rejilla = showGrid() ? 1 : 0;
    for (int columna = 0; columna < modelo_->columnCount(); ++columna) {
        int contenido = 0;
        for (int fila = 0; fila < filas; ++fila) {
            const QModelIndex indice = modelo_->index(fila, columna);
            contenido = qMax(contenido, itemDelegateForIndex(indice)->sizeHint(opcion, indice).width());
        }
        const int titulo = cabecera->sectionSizeHint(columna);
        cabecera->resizeSection(columna, qMax(titulo, qMin(contenido + rejilla, anchoMaximo)));
    }
}

void TkvDBGrid::setReadOnly(bool on) {
    soloLectura_ = on;
    modelo_->setSoloLectura(on);
    setEditTriggers(on ? QAbstractItemView::NoEditTriggers
                       : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
}

QChar TkvDBGrid::separadorDecimal() const {
    if (!separador_.isNull()) return separador_;
    const QString s = QLocale().decimalPoint();
    return s.isEmpty() ? QLatin1Char('.') : s.at(0);
}

QString TkvDBGrid::campoActivo() const {
    return campoDeColumna(currentIndex().column());
}

bool TkvDBGrid::setCampoActivo(const QString& campo) {
    const int columna = modelo_->columnaDeCampo(campo);
    if (columna < 0) return false;
    const int fila = currentIndex().isValid() ? currentIndex().row() : 0;
    if (modelo_->rowCount() == 0) return false;
    setCurrentIndex(modelo_->index(fila, columna));
    return true;
}

std::unique_ptr<QKeyEvent> TkvDBGrid::teclaDecimal(const QKeyEvent* event, int columna) const {
    const QString texto = event->text();
    if (texto != QLatin1String(".") && texto != QLatin1String(",")) return nullptr;
    if (!modelo_->esColumnaFlotante(columna)) return nullptr;
    const QChar separador = separadorDecimal();
    if (texto.at(0) == separador) return nullptr;
    const int tecla = separador == QLatin1Char(',') ? Qt::Key_Comma : Qt::Key_Period;
    return std::make_unique<QKeyEvent>(event->type(), tecla, event->modifiers(), QString(separador),
                                       event->isAutoRepeat(), ushort(event->count()));
}

bool TkvDBGrid::moverColumna(bool adelante) {
    const QModelIndex actual = currentIndex();
    const int columnas = modelo_->columnCount();
    const int filas = modelo_->rowCount();
    if (!actual.isValid() || columnas == 0) return false;
    int fila = actual.row();
    int columna = actual.column() + (adelante ? 1 : -1);
    if (columna >= columnas || columna < 0) {
        if (!MoveByRow) return true; // the key is kept: nothing happens at the edge
        fila += adelante ? 1 : -1;
        if (fila < 0 || fila >= filas) return true;
        columna = adelante ? 0 : columnas - 1;
    }
    setCurrentIndex(modelo_->index(fila, columna));
    return true;
}

void TkvDBGrid::keyPressEvent(QKeyEvent* event) {
    if (onKeyDown) onKeyDown(event);
    const int tecla = event->key();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (state() == QAbstractItemView::EditingState && (tecla == Qt::Key_Return || tecla == Qt::Key_Enter)) {
        // An Enter the cell editor let through: its delegate commits and closes the editor, and
        // closeEditor() moves on from there.
        event->accept();
        return;
    }
    if (EnterToTab) {
        if ((tecla == Qt::Key_Return || tecla == Qt::Key_Enter || tecla == Qt::Key_Tab) && !shift) {
            moverColumna(true);
            event->accept();
            return;
        }
        if (tecla == Qt::Key_Backtab || (tecla == Qt::Key_Tab && shift)) {
            moverColumna(false);
            event->accept();
            return;
        }
        if (!MoveByRow && (tecla == Qt::Key_Up || tecla == Qt::Key_Down || tecla == Qt::Key_PageUp ||
                           tecla == Qt::Key_PageDown)) {
            event->accept();
            return;
        }
    }
    if (auto cambiada = teclaDecimal(event, currentIndex().column())) {
        QTableView::keyPressEvent(cambiada.get());
        event->setAccepted(cambiada->isAccepted());
        return;
    }
    QTableView::keyPressEvent(event);
}

bool TkvDBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool editando = QTableView::edit(index, trigger, event);
    if (editando) {
        if (QWidget* editor = indexWidget(index)) {
            editor->removeEventFilter(this);
            editor->installEventFilter(this);
            editor->setProperty("kvColumna", index.column());
        }
    }
    return editando;
}

bool TkvDBGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* tecla = static_cast<QKeyEvent*>(event);
        const QVariant columna = watched->property("kvColumna");
        if (columna.isValid()) {
            if (auto cambiada = teclaDecimal(tecla, columna.toInt())) {
                QCoreApplication::sendEvent(watched, cambiada.get());
                return true;
            }
        }
    }
    return QTableView::eventFilter(watched, event);
}

void TkvDBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Enter in a cell editor commits and, as Tab does, moves on to the next column; Tab and
    // Shift+Tab follow the same column and row rules as outside the editor.
    if (EnterToTab &&
        (hint == QAbstractItemDelegate::SubmitModelCache || hint == QAbstractItemDelegate::EditNextItem ||
         hint == QAbstractItemDelegate::EditPreviousItem)) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        moverColumna(hint != QAbstractItemDelegate::EditPreviousItem);
        return;
    }
    QTableView::closeEditor(editor, hint);
}
