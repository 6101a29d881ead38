#pragma once
// The delivery-note line transfer window of the LAV and LAC launch codes. The module's whole life
// in those modes is this modal window; closing it ends the module.

#include <QDialog>

class TDatos;
namespace qd {
class UserChannel;
}

class TFormMensajeTraspasoLAVC : public QDialog {
    Q_OBJECT
public:
    TFormMensajeTraspasoLAVC(TDatos& datos, qd::UserChannel& canal, QWidget* parent = nullptr);

private:
    TDatos& datos_;
    qd::UserChannel& canal_;
};
