#pragma once
// The painted button of the windows: a face drawn as a vertical gradient, an optional picture
// beside the caption, and a hover look.
//
// Pressing puts the button down and releasing puts it up again, unless it belongs to a group
// (GroupIndex not 0): then it stays down and every other button of the same group on the same
// parent goes up; a group button that is already down goes up only with AllowAllUp. A click
// first gives the focus to the target control and types the key sequence Teclas into it (when
// both are set), then raises OnClick and clicked().
//
// Styles: 0 plain face (always used on screens of 8 bits per pixel or fewer), 1 gradient, 2
// gradient with the caption centred.

#include <QKeySequence>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>

class TkvBoton : public QWidget {
    Q_OBJECT
public:
    enum TLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

    explicit TkvBoton(QWidget* parent = nullptr);
    explicit TkvBoton(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    Qt::Alignment Alignment() const { return alineacion_; }
    void setAlignment(Qt::Alignment alineacion);

    // The picture: NumGlyphs images side by side (up, disabled, down).
    void setGlyph(const QPixmap& glyph, int numGlyphs = 1);
    QPixmap Glyph() const { return glyph_; }
    int NumGlyphs() const { return numGlyphs_; }
    void setLayout(TLayout layout);
    TLayout Layout() const { return layout_; }

    void setStyle(int estilo); // 0 to 2
    // The style the face is painted with (0 on screens of 8 bits per pixel or fewer).
    int Style() const;

    bool Flat = false;
    bool Transparent = false;
    bool WordWrap = false;
    bool AutoSize = false;
    QColor LightColor = Qt::white;
    QColor ShadowColor = Qt::black;
    QColor ColorWhenDown; // none: the face is drawn inverted

    bool Down() const { return down_; }
    void setDown(bool down);
    int GroupIndex = 0;
    bool AllowAllUp = false;

    // Keys typed into the target control on a click.
    QKeySequence Teclas;
    void setDestinoTeclas(QWidget* destino) { destino_ = destino; }
    QWidget* destinoTeclas() const { return destino_; }

    bool hover() const { return hover_; }

    std::function<void(TkvBoton&)> OnMouseEnter, OnMouseExit, OnClick;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // A click as the mouse gives it (keys to the target, OnClick, clicked()).
    void click();

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPixmap imagen() const;
    void soltarGrupo();

    QString caption_;
    Qt::Alignment alineacion_ = Qt::AlignCenter;
    QPixmap glyph_;
    int numGlyphs_ = 1;
    TLayout layout_ = blGlyphLeft;
    int estilo_ = 1;
    bool down_ = false;
    bool pulsando_ = false;
    bool estabaAbajo_ = false;
    bool hover_ = false;
    QPointer<QWidget> destino_;
};
