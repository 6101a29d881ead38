#pragma once

#include <QUrl>
#include <QWidget>

#include <functional>

class QLabel;
class QTableView;
class WorkbookSheetModel;

// The "Previsualizar Excel" page's content: the active sheet of a workbook shown read-only in a grid
// headed like a spreadsheet. A double click opens the file in the user's spreadsheet program (the
// module itself never writes the workbook). A file that cannot be read shows its error message in
// place of the grid.
class VistaPreviaLibro : public QWidget {
    Q_OBJECT
public:
    explicit VistaPreviaLibro(QWidget* parent = nullptr);

    // Reads the workbook and shows its active sheet. false when it cannot be read; the message is in
    // lastError() and on the widget.
    bool loadFile(const QString& path);
    // Empties the preview (the page is left).
    void clear();

    QString fileName() const { return path_; }
    QString lastError() const { return error_; }
    QTableView* view() const { return view_; }
    WorkbookSheetModel* model() const { return model_; }

    // How the file is opened on a double click; QDesktopServices::openUrl unless replaced (tests).
    void setOpenHandler(std::function<bool(const QUrl&)> handler) { openHandler_ = std::move(handler); }

    // "Previsualización del fichero Excel seleccionado.\nHaga doble click para modificar el fichero Excel."
    static QString hintText();

signals:
    void ficheroAbierto(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openInSpreadsheetProgram();

    QTableView* view_;
    QLabel* message_;
    WorkbookSheetModel* model_;
    QString path_;
    QString error_;
    std::function<bool(const QUrl&)> openHandler_;
};
