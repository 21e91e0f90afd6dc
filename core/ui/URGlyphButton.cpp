#include "core/ui/URGlyphButton.h"

#include "core/ui/URGlyphs.h"
#include "core/ui/URStyle.h"

#include <QHBoxLayout>
#include <QPainter>

TRGlyphButton::TRGlyphButton(int glyphIndex, QWidget* parent)
    : QAbstractButton(parent), FGlyphIndex(glyphIndex) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

QSize TRGlyphButton::sizeHint() const {
    return {Scaled(26, this), Scaled(24, this)};
}

void TRGlyphButton::SetGlyphIndex(int index) {
    FGlyphIndex = index;
    update();
}

void TRGlyphButton::SetRadio(bool radio) {
    setAutoExclusive(radio);
}

void TRGlyphButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (isChecked() || isDown()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(isEnabled() ? QColor(TRStyleColors::Highlight)
                                     : WithAlpha(TRStyleColors::Highlight, 80));
        painter.drawRoundedRect(face, 3, 3);
    } else if (underMouse()) {
        painter.setPen(QPen(WithAlpha(TRStyleColors::Text, 90), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(face, 3, 3);
    }
    const qreal glyph = qMin(width(), height()) * 0.75;
    const QRectF glyphRect(QPointF(0, 0), QSizeF(glyph, glyph));
    DrawGlyph(painter, glyphRect.translated(rect().center() - glyphRect.center()), FGlyphIndex,
              isEnabled() ? QColor(TRStyleColors::Text) : QColor(TRStyleColors::DisabledText));
}

TRAlignGlyphs::TRAlignGlyphs(Orientation orientation, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Scaled(2, this));
    const int horizontal[3] = {GlyphAlignLeft, GlyphAlignCenter, GlyphAlignRight};
    const int vertical[3] = {GlyphAlignTop, GlyphAlignMiddle, GlyphAlignBottom};
    const char* horizontalHints[3] = {"Align Left", "Align Center", "Align Right"};
    const char* verticalHints[3] = {"Align Top", "Align Middle", "Align Bottom"};
    for (int i = 0; i < 3; ++i) {
        FButtons[i] =
            new TRGlyphButton(orientation == Horizontal ? horizontal[i] : vertical[i], this);
        FButtons[i]->SetRadio(true);
        FButtons[i]->setToolTip(orientation == Horizontal ? horizontalHints[i] : verticalHints[i]);
        layout->addWidget(FButtons[i]);
        connect(FButtons[i], &QAbstractButton::toggled, this, [this](bool checked) {
            if (checked)
                Q_EMIT Changed();
        });
    }
    FButtons[0]->setChecked(true);
}

int TRAlignGlyphs::Value() const {
    for (int i = 0; i < 3; ++i)
        if (FButtons[i]->isChecked())
            return i;
    return 0;
}

void TRAlignGlyphs::SetValue(int value) {
    FButtons[qBound(0, value, 2)]->setChecked(true);
}
