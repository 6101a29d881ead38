#pragma once
// The progress window of the long imports: a label with the current item and a bar.
//
// The caller sets the maximum, shows the window (it does not block), runs step() for each item
// and closes it at the end. The window stays on top and has no system buttons; the main window
// stays usable underneath.

#include <QDialog>

class QLabel;
class QProgressBar;

class TFormProgreso : public QDialog {
    Q_OBJECT
public:
    explicit TFormProgreso(QWidget* parent = nullptr);

    void setMaximum(int maximum);
    // Shows the window: bar at 0, "0%", repainted, pending messages processed.
    void showProgress();
    // One item: the label takes its text, the bar moves one position, the window repaints and
    // pending messages are processed.
    void step(const QString& label);

    QLabel* labelMensaje() const { return LabelMensaje; }
    QProgressBar* progressBar() const { return QProgressBar_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* LabelMensaje;
    QProgressBar* QProgressBar_;
};
