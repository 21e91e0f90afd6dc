#include "core/ui/URAlignButton.h"

#include "core/ui/URStyle.h"

#include <QPainter>

TRAlignButton::TRAlignButton(int kind, QWidget* parent) : QAbstractButton(parent), FKind(kind) {
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

QSize TRAlignButton::sizeHint() const {
    return {Scaled(24, this), Scaled(20, this)};
}

int TRAlignButton::GlyphAlpha() const {
    if (!isEnabled())
        return 50;
    if (underMouse() || isDown() || hasFocus())
        return 255;
    return 150;
}

void TRAlignButton::GlyphParts(int kind, const QRect& rect, QRect& bar, QRect& block) {
    const int x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    const int d = h - 2;
    const int half = d / 2;
    const int blockTop = y + 1 + (d - half) / 2;
    switch (kind) {
    case 1:
        bar = QRect(x + 3, y + 1, 2, d);
        block = QRect(x + 8, blockTop, w - 11, half);
        break;
    case 2:
        bar = QRect(x + (w - 6) / 2 + 3, y + 1, 2, d);
        block = QRect(x + 5, blockTop, w - 10, half);
        break;
    case 3:
        bar = QRect(x + w - 4, y + 1, 2, d);
        block = QRect(x + 3, blockTop, w - 11, half);
        break;
    case 4:
        bar = QRect(x + 3, y + 1, w - 6, 2);
        block = QRect(x + 7, y + 5, w - 14, half);
        break;
    case 5:
        bar = QRect(x + 3, y + half + 1, w - 6, 2);
        block = QRect(x + 7, y + 3, w - 14, half + 2);
        break;
    default:
        bar = QRect(x + 3, y + h - 2, w - 6, 2);
        block = QRect(x + 7, y + 3, w - 14, half);
        break;
    }
}

void TRAlignButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRect bar, block;
    GlyphParts(FKind, rect(), bar, block);
    const QColor color = WithAlpha(0xFFFFFF, GlyphAlpha());
    painter.fillRect(bar, color);
    painter.fillRect(block, color);
}
