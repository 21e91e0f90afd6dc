#include "recorder/ui/URRecorderWidgets.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

constexpr int MeterHeight = 6;
constexpr int MeterLift = 12;
const QColor MeterLow(0, 200, 0);
const QColor MeterHigh(230, 0, 0);

} // namespace

TRMeterButton::TRMeterButton(QWidget* parent) : QToolButton(parent) {
    setCheckable(true);
    setPopupMode(QToolButton::MenuButtonPopup);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setCursor(Qt::PointingHandCursor);
}

void TRMeterButton::SetLevel(int level) {
    if (level == FLevel)
        return;
    FLevel = level;
    update();
}

void TRMeterButton::SetVolume(int volume) {
    if (volume == FVolume)
        return;
    FVolume = volume;
    update();
}

QRect TRMeterButton::MeterRect() const {
    return rect().adjusted(4, 4, -18, -2);
}

int TRMeterButton::BarWidth(int width, int level) {
    return std::max(0, int(std::lround(width * level / 100.0)));
}

void TRMeterButton::paintEvent(QPaintEvent* event) {
    QToolButton::paintEvent(event);
    if (!isChecked())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect r = MeterRect();
    if (FLevel > 0) {
        QLinearGradient gradient(r.topLeft(), r.bottomRight());
        gradient.setColorAt(0, MeterLow);
        gradient.setColorAt(1, MeterHigh);
        painter.fillRect(
            QRect(r.left(), r.bottom() - MeterLift, BarWidth(r.width(), FLevel), MeterHeight),
            gradient);
    }
    if (FVolume >= 0) {
        QFont font = painter.font();
        font.setPixelSize(10 * logicalDpiX() / 96);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(r.left(), r.bottom() - 15 - MeterLift, r.width(), 14),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(FVolume));
    }
}

TRLevelBar::TRLevelBar(QWidget* parent) : QWidget(parent) {
    setFixedSize(6, 26);
}

void TRLevelBar::SetLevel(int level) {
    if (level == FLevel)
        return;
    FLevel = level;
    update();
}

void TRLevelBar::paintEvent(QPaintEvent*) {
    if (!Active || FLevel <= 0)
        return;
    QPainter painter(this);
    const int h = std::max(0, int(std::lround(height() * FLevel / 100.0)));
    QLinearGradient gradient(0, height(), 0, 0);
    gradient.setColorAt(0, MeterLow);
    gradient.setColorAt(1, MeterHigh);
    painter.fillRect(QRect(0, height() - h, width(), h), gradient);
}

TRCountdownDial::TRCountdownDial(QWidget* parent) : QWidget(parent) {
    setFixedSize(58, 58);
}

void TRCountdownDial::SetValue(int angle, const QString& caption) {
    FAngle = angle;
    FCaption = caption;
    repaint();
}

void TRCountdownDial::paintEvent(QPaintEvent*) {
    constexpr int Frame = 6;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring =
        QRectF(rect()).adjusted(Frame / 2.0, Frame / 2.0, -Frame / 2.0, -Frame / 2.0);
    painter.setPen(QPen(palette().color(QPalette::Mid), Frame));
    painter.drawEllipse(ring);
    painter.setPen(QPen(QColor(220, 40, 40), Frame, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(ring, 90 * 16, -FAngle * 16);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, FCaption);
}

TRRecButton::TRRecButton(QWidget* parent) : QToolButton(parent) {
    setFixedSize(58, 58);
    setText("REC");
    setCursor(Qt::PointingHandCursor);
}

void TRRecButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = isEnabled() ? QColor(215, 35, 35) : QColor(110, 110, 110);
    if (underMouse() && isEnabled())
        fill = fill.lighter(115);
    painter.setBrush(fill);
    painter.setPen(QPen(QColor(255, 255, 255, 90), 2));
    painter.drawEllipse(QRectF(rect()).adjusted(2, 2, -2, -2));
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, text());
}
