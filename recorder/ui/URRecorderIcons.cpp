#include "recorder/ui/URRecorderIcons.h"

#include "core/ui/URGlyphs.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

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
