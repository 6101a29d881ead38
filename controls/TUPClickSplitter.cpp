#include "TUPClickSplitter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSplitterHandle>

namespace {

// The bar: tells a click from a drag.
class BarraClick : public QSplitterHandle {
public:
    BarraClick(Qt::Orientation orientacion, TUPClickSplitter* padre) : QSplitterHandle(orientacion, padre) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            inicio_ = event->globalPosition().toPoint();
            arrastrado_ = false;
        }
        QSplitterHandle::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if ((event->globalPosition().toPoint() - inicio_).manhattanLength() >=
            QApplication::startDragDistance())
            arrastrado_ = true;
        if (arrastrado_) QSplitterHandle::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QSplitterHandle::mouseReleaseEvent(event);
        if (event->button() != Qt::LeftButton || arrastrado_) return;
        auto* s = static_cast<TUPClickSplitter*>(splitter());
        s->alternar(s->indexOf(this));
        if (s->OnClick) s->OnClick(*s);
        emit s->clicked();
    }

private:
    QPoint inicio_;
    bool arrastrado_ = false;
};

} // namespace

TUPClickSplitter::TUPClickSplitter(Qt::Orientation orientacion, QWidget* parent)
    : QSplitter(orientacion, parent) {}

TUPClickSplitter::TUPClickSplitter(QWidget* parent) : QSplitter(parent) {}

QSplitterHandle* TUPClickSplitter::createHandle() {
    return new BarraClick(orientation(), this);
}

bool TUPClickSplitter::colapsado(int barra) const {
    const int vecino = ColapsarSiguiente ? barra : barra - 1;
    const QList<int> tamanos = sizes();
    return vecino >= 0 && vecino < tamanos.size() && tamanos[vecino] == 0;
}

void TUPClickSplitter::alternar(int barra) {
    if (barra < 1 || barra >= count()) return;
    const int vecino = ColapsarSiguiente ? barra : barra - 1;
    const int otro = ColapsarSiguiente ? barra - 1 : barra;
    QList<int> tamanos = sizes();
    while (previos_.size() <= barra)
        previos_ << 0;
    if (tamanos[vecino] > 0) {
        previos_[barra] = tamanos[vecino];
        tamanos[otro] += tamanos[vecino];
        tamanos[vecino] = 0;
        setCollapsible(vecino, true);
    } else {
        const int total = tamanos[vecino] + tamanos[otro];
        const int vuelta = qMin(previos_[barra] > 0 ? previos_[barra] : total / 3, total);
        tamanos[vecino] = vuelta;
        tamanos[otro] = total - vuelta;
    }
    setSizes(tamanos);
}
