#include "VistaPreviaLibro.h"

#include "WorkbookSheetModel.h"

#include <QDesktopServices>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

VistaPreviaLibro::VistaPreviaLibro(QWidget* parent)
    : QWidget(parent), view_(new QTableView(this)), message_(new QLabel(this)),
      model_(new WorkbookSheetModel(this)),
      openHandler_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(message_);
    layout->addWidget(view_);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignCenter);
    message_->hide();
    view_->setObjectName(QStringLiteral("VistaPreviaLibroTabla"));
    view_->setModel(model_);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    view_->setWordWrap(false);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setDefaultSectionSize(90);
    view_->setToolTip(hintText());
    view_->viewport()->installEventFilter(this);
    message_->installEventFilter(this);
}

QString VistaPreviaLibro::hintText() {
    return QStringLiteral(
        "Previsualización del fichero Excel seleccionado.\nHaga doble click para modificar el "
        "fichero Excel.");
}

bool VistaPreviaLibro::loadFile(const QString& path) {
    path_ = path;
    error_.clear();
    try {
        model_->setWorkbook(std::shared_ptr<const qd::wb::Workbook>(qd::wb::Workbook::open(path)));
        message_->hide();
        view_->show();
        return true;
    } catch (const qd::wb::Error& e) {
        model_->clear();
        error_ = e.message();
        message_->setText(error_);
        message_->show();
        view_->hide();
        return false;
    }
}

void VistaPreviaLibro::clear() {
    model_->clear();
    path_.clear();
    error_.clear();
    message_->hide();
    view_->show();
}

bool VistaPreviaLibro::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        (watched == view_->viewport() || watched == message_)) {
        openInSpreadsheetProgram();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void VistaPreviaLibro::openInSpreadsheetProgram() {
    if (path_.isEmpty()) return;
    if (openHandler_ && openHandler_(QUrl::fromLocalFile(path_))) emit ficheroAbierto(path_);
}
