#pragma once
// A splitter whose bar also collapses a neighbour: dragging the bar resizes the two sides as any
// splitter does; a click without dragging collapses the neighbour to size 0, and the next click
// gives it back the size it had. OnClick (and clicked()) follow every such click.
//
// The neighbour is the widget before the bar, or the one after it with ColapsarSiguiente.

#include <QList>
#include <QSplitter>
#include <functional>

class TUPClickSplitter : public QSplitter {
    Q_OBJECT
public:
    explicit TUPClickSplitter(Qt::Orientation orientacion, QWidget* parent = nullptr);
    explicit TUPClickSplitter(QWidget* parent = nullptr);

    bool ColapsarSiguiente = false;

    // Collapses or restores the neighbour of the bar in front of widget `barra` (1 is the first
    // bar), as a click on it does.
    void alternar(int barra = 1);
    bool colapsado(int barra = 1) const;

    std::function<void(TUPClickSplitter&)> OnClick;

signals:
    void clicked();

protected:
    QSplitterHandle* createHandle() override;

private:
    QList<int> previos_; // size before collapsing, by bar
};
