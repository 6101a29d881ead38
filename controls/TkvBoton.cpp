#include "TkvBoton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

QColor mezcla(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

} // namespace

TkvBoton::TkvBoton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    resize(100, 23);
}

TkvBoton::TkvBoton(const QString& caption, QWidget* parent) : TkvBoton(parent) {
    setCaption(caption);
}

void TkvBoton::setCaption(const QString& caption) {
    caption_ = caption;
    if (AutoSize) resize(sizeHint());
    updateGeometry();
    update();
}

void TkvBoton::setAlignment(Qt::Alignment alineacion) {
    alineacion_ = alineacion;
    update();
}

void TkvBoton::setGlyph(const QPixmap& glyph, int numGlyphs) {
    glyph_ = glyph;
    numGlyphs_ = qBound(1, numGlyphs, 4);
    updateGeometry();
    update();
}

void TkvBoton::setLayout(TLayout layout) {
    layout_ = layout;
    update();
}

void TkvBoton::setStyle(int estilo) {
    estilo_ = qBound(0, estilo, 2);
    update();
}

int TkvBoton::Style() const {
    const QScreen* pantalla = screen();
    if (pantalla && pantalla->depth() <= 8) return 0;
    return estilo_;
}

void TkvBoton::setDown(bool down) {
    if (down == down_) return;
    down_ = down;
    if (down_ && GroupIndex != 0) soltarGrupo();
    update();
}

void TkvBoton::soltarGrupo() {
    if (!parentWidget()) return;
    for (TkvBoton* otro : parentWidget()->findChildren<TkvBoton*>(Qt::FindDirectChildrenOnly)) {
        if (otro == this || otro->GroupIndex != GroupIndex || !otro->down_) continue;
        otro->down_ = false;
        otro->update();
    }
}

QSize TkvBoton::sizeHint() const {
    if (!AutoSize) return {100, 23};
    const QFontMetrics fm = fontMetrics();
    int ancho = fm.horizontalAdvance(caption_) + 16;
    int alto = fm.height() + 10;
    const QPixmap im = imagen();
    if (!im.isNull()) {
        if (layout_ == blGlyphLeft || layout_ == blGlyphRight) {
            ancho += im.width() + 4;
            alto = qMax(alto, im.height() + 8);
        } else {
            alto += im.height() + 4;
            ancho = qMax(ancho, im.width() + 16);
        }
    }
    return {ancho, alto};
}

QSize TkvBoton::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QLatin1Char('W')) * 2, fontMetrics().height() + 6};
}

QPixmap TkvBoton::imagen() const {
    if (glyph_.isNull()) return {};
    const int ancho = glyph_.width() / numGlyphs_;
    int cual = 0;
    if (!isEnabled() && numGlyphs_ > 1)
        cual = 1;
    else if (down_ && numGlyphs_ > 2)
        cual = 2;
    return glyph_.copy(ancho * cual, 0, ancho, glyph_.height());
}

void TkvBoton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const QColor base = palette().color(QPalette::Button);
    const bool cara = !Transparent || hover_ || down_;
    if (cara) {
        if (Style() == 0) {
            p.fillRect(r, down_ && ColorWhenDown.isValid() ? ColorWhenDown : base);
        } else {
            // A vertical gradient of 32 bands, from a lighter top to the button's colour (inverted
            // while down, unless a colour is given for that).
            QColor arriba = mezcla(base, LightColor, 0.6);
            QColor abajo = hover_ ? mezcla(base, LightColor, 0.2) : base;
            if (down_) {
                if (ColorWhenDown.isValid())
                    arriba = abajo = ColorWhenDown;
                else
                    std::swap(arriba, abajo);
            }
            const int bandas = 32;
            for (int i = 0; i < bandas; ++i) {
                const int y0 = r.top() + r.height() * i / bandas;
                const int y1 = r.top() + r.height() * (i + 1) / bandas;
                p.fillRect(QRect(r.left(), y0, r.width(), qMax(1, y1 - y0)),
                           mezcla(arriba, abajo, double(i) / (bandas - 1)));
            }
        }
    }
    if (!Flat || hover_ || down_) {
        const QColor claro = down_ ? ShadowColor : LightColor;
        const QColor oscuro = down_ ? LightColor : ShadowColor;
        p.setPen(claro);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(oscuro);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }

    QRect zona = r.adjusted(4, 3, -4, -3);
    if (down_) zona.translate(1, 1);
    const QPixmap im = imagen();
    if (!im.isNull()) {
        QRect sitio(QPoint(), im.size());
        switch (layout_) {
        case blGlyphLeft:
            sitio.moveTopLeft({zona.left(), zona.center().y() - im.height() / 2});
            zona.setLeft(sitio.right() + 4);
            break;
        case blGlyphRight:
            sitio.moveTopRight({zona.right(), zona.center().y() - im.height() / 2});
            zona.setRight(sitio.left() - 4);
            break;
        case blGlyphTop:
            sitio.moveTopLeft({zona.center().x() - im.width() / 2, zona.top()});
            zona.setTop(sitio.bottom() + 2);
            break;
        case blGlyphBottom:
            sitio.moveBottomLeft({zona.center().x() - im.width() / 2, zona.bottom()});
            zona.setBottom(sitio.top() - 2);
            break;
        }
        p.drawPixmap(sitio, im);
    }
    Qt::Alignment alineacion = Style() == 2 ? Qt::AlignCenter : alineacion_;
    if (!(alineacion & Qt::AlignVertical_Mask)) alineacion |= Qt::AlignVCenter;
    int banderas = int(alineacion) | Qt::TextShowMnemonic;
    if (WordWrap) banderas |= Qt::TextWordWrap;
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(zona, banderas, caption_);
}

void TkvBoton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    pulsando_ = true;
    estabaAbajo_ = down_;
    down_ = true;
    update();
}

void TkvBoton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pulsando_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    pulsando_ = false;
    if (!rect().contains(event->position().toPoint())) {
        // Released outside: no click, the button goes back as it was.
        down_ = estabaAbajo_;
        update();
        return;
    }
    if (GroupIndex == 0) {
        down_ = false;
    } else if (estabaAbajo_) {
        down_ = !AllowAllUp;
    } else {
        down_ = true;
        soltarGrupo();
    }
    update();
    click();
}

void TkvBoton::click() {
    if (destino_ && !Teclas.isEmpty()) {
        destino_->setFocus(Qt::OtherFocusReason);
        for (int i = 0; i < Teclas.count(); ++i) {
            const QKeyCombination k = Teclas[i];
            // The text a key types: none under Ctrl or Alt, a capital only with Shift.
            QString texto;
            if (!(k.keyboardModifiers() & ~Qt::ShiftModifier)) {
                texto = QKeySequence(k.key()).toString().left(1);
                if (!(k.keyboardModifiers() & Qt::ShiftModifier)) texto = texto.toLower();
            }
            QKeyEvent pulsa(QEvent::KeyPress, k.key(), k.keyboardModifiers(),
                            k.key() < Qt::Key_Escape ? texto : QString());
            QKeyEvent suelta(QEvent::KeyRelease, k.key(), k.keyboardModifiers(),
                             k.key() < Qt::Key_Escape ? texto : QString());
            QApplication::sendEvent(destino_, &pulsa);
            if (!destino_) break;
            QApplication::sendEvent(destino_, &suelta);
        }
    }
    if (OnClick) OnClick(*this);
    emit clicked();
}

void TkvBoton::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    hover_ = true;
    update();
    if (OnMouseEnter) OnMouseEnter(*this);
}

void TkvBoton::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    hover_ = false;
    update();
    if (OnMouseExit) OnMouseExit(*this);
}

void TkvBoton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) update();
}
