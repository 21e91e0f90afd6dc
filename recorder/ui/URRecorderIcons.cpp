#include "recorder/ui/URRecorderIcons.h"

#include "core/ui/URGlyphs.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace {

QPixmap drawn(TRRecorderIcon icon, const QColor& color) {
    constexpr int Size = 48;
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font(GlyphFontFamily);
    font.setPixelSize(Size);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString(QChar(char16_t(icon))));
    return pixmap;
}

} // namespace

QIcon RecorderIcon(TRRecorderIcon icon, const QColor& color) {
    QIcon result(drawn(icon, color));
    QColor dimmed = color;
    dimmed.setAlpha(70);
    result.addPixmap(drawn(icon, dimmed), QIcon::Disabled);
    return result;
}

QImage AlignmentGlyph(int alignment, QSize size, const QColor& color) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const int w = size.width() * 3 / 10, h = size.height() * 3 / 10;
    const int x = (size.width() - w) / 2, y = (size.height() - h) / 2;
    const int bar = w * 7 / 10;
    QPainter painter(&image);
    painter.setPen(color);
    painter.drawRect(x, y, w - 1, h - 1);
    const QPoint at[] = {
        {x + w / 2, y + h / 2 - 1},     // none
        {x + (w - bar) / 2, y + h - 4}, // auto: inside, at the bottom
        {x, y - 4},                     // top
        {x, y + h + 1},                 // bottom
        {x - bar - 1, y + h - 3},       // left
        {x + w + 1, y + h - 3},         // right
    };
    painter.fillRect(QRect(at[std::clamp(alignment, 0, 5)], QSize(bar, 3)), color);
    return image;
}

QIcon AlignmentIcon(int alignment, QSize size) {
    QIcon icon(QPixmap::fromImage(AlignmentGlyph(alignment, size, QColor(0xC3, 0xC5, 0xC8))));
    icon.addPixmap(QPixmap::fromImage(AlignmentGlyph(alignment, size, Qt::white)), QIcon::Active);
    return icon;
}
