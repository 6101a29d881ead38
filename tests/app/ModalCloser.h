#pragma once
// Closes every modal window a test's code opens, and keeps what each one said.

#include <QObject>
#include <QStringList>
#include <QTimer>

class ModalCloser : public QObject {
    Q_OBJECT
public:
    ModalCloser();
    QStringList textos; // text of each message box closed, in order
    int cerrados = 0;   // modal windows closed

private:
    void revisar();
    QTimer timer_;
};
