#include "editor/ui/URColorPicker.h"

#include "core/ui/URMessageBox.h"
#include "platform/capture/Screen.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

constexpr int SwatchSize = 32;
constexpr int SwatchGap = 16;

QRect PrimaryMonitor() {
    const auto monitors = platform::capture::monitors();
    const auto primary =
        std::find_if(monitors.begin(), monitors.end(), [](const auto& m) { return m.primary; });
    if (primary != monitors.end())
        return primary->geometry;
    return monitors.empty() ? QRect() : monitors.front().geometry;
}

} // namespace

TRColorPicker::TRColorPicker(QWidget* parent) : QDialog(parent) {
    setObjectName("TRColorPicker");
    setWindowTitle("ColorPicker");
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool TRColorPicker::TakeShot() {
    Tag = -1;
    if (QGuiApplication::platformName() != "xcb") {
        TRMessageBox(parentWidget())
            .Execute("Picking a colour from the screen needs an X11 session.", TRMessageBox::MB_OK,
                     TRMessageBox::MB_ICONWARNING);
        return false;
    }
    const QRect screen = PrimaryMonitor();
    QImage shot(screen.size(), QImage::Format_RGB32);
    platform::capture::ScreenGrabber grabber(screen, platform::capture::GrabMethod::GetImage);
    if (screen.isEmpty() || !grabber.ready() || !grabber.grab(shot.bits())) {
        TRMessageBox(parentWidget())
            .Execute("The screen could not be captured.", TRMessageBox::MB_OK,
                     TRMessageBox::MB_ICONERROR);
        return false;
    }
    FBitmap = shot;
    setGeometry(screen);
    return true;
}

QRect TRColorPicker::SwatchRect(const QPoint& p, const QSize& area) {
    const QRect bounds(QPoint(0, 0), area);
    for (const QPoint offset : {QPoint(SwatchGap, SwatchGap), QPoint(-48, SwatchGap),
                                QPoint(-48, -48), QPoint(SwatchGap, -48)}) {
        const QRect swatch(p + offset, QSize(SwatchSize, SwatchSize));
        if (bounds.contains(swatch))
            return swatch;
    }
    return {};
}

QColor TRColorPicker::OutlineOver(QRgb screen) {
    const int b = (qRed(screen) + qGreen(screen) + qBlue(screen)) / 3;
    return b > 125 ? Qt::black : Qt::white;
}

int TRColorPicker::ColorValue(QRgb screen) {
    return qRed(screen) | (qGreen(screen) << 8) | (qBlue(screen) << 16);
}

void TRColorPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, FBitmap);
    const QPoint p = mapFromGlobal(QCursor::pos());
    if (!FBitmap.valid(p))
        return;
    const QRect swatch = SwatchRect(p, size());
    if (swatch.isEmpty())
        return;
    painter.setPen(QPen(OutlineOver(FBitmap.pixel(swatch.topLeft())), 2));
    painter.setBrush(QColor(FBitmap.pixel(p)));
    painter.drawRect(swatch);
}

void TRColorPicker::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (FBitmap.valid(p))
        Tag = ColorValue(FBitmap.pixel(p));
    accept();
}

void TRColorPicker::mouseMoveEvent(QMouseEvent*) {
    update();
}

void TRColorPicker::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Tag = -1;
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TRColorPicker::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activateWindow();
    grabKeyboard();
}
