#pragma once
// The plain edit box of the windows: while it has the focus its background is pale yellow and its
// text bold; with EnterToTab, Enter and Down move the focus to the next control, Up to the
// previous one.

#include <QLineEdit>

class TkvDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TkvDBEdit(QWidget* parent = nullptr);

    bool EnterToTab = true;

    // The background while focused.
    static QColor colorFoco() { return QColor(255, 251, 210); }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void resaltar(bool on);

    QPalette paletaNormal_;
    QFont fuenteNormal_;
    bool resaltado_ = false;
};
