#pragma once
// The progress window of the long imports: a label with the current item and a bar.
//
// The caller sets the maximum, shows the window (it does not block), runs step() for each item
// and closes it at the end. The window stays on top and has no system buttons; the main window
// stays usable underneath. Under the bar it counts the rows done out of the total and, while the
// running loop can be cancelled, says how.

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

    // Shows (true) or hides the cancel hint.
    void setAvisoCancelar(bool on);

    // "Pulse Ctrl+Alt+C para cancelar el proceso en curso".
    static QString textoCancelar();

    QLabel* labelMensaje() const { return LabelMensaje; }
    QLabel* labelFilas() const { return LabelFilas; }
    QLabel* labelCancelar() const { return LabelCancelar; }
    QProgressBar* progressBar() const { return QProgressBar_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void contarFilas();

    QLabel* LabelMensaje;
    QLabel* LabelFilas;
    QLabel* LabelCancelar;
    QProgressBar* QProgressBar_;
};
