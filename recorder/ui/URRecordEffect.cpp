#include "recorder/ui/URRecordEffect.h"

#include "platform/capture/Windows.h"

#include <QEasingCurve>
#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>

TrecordEffect* recordEffect = nullptr;

namespace {
constexpr int FadeMs = 300;
}

TrecordEffect::TrecordEffect(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
    setObjectName("recordEffect");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setWindowOpacity(0);
    setEnabled(false);
    if (!recordEffect)
        recordEffect = this;
}

TrecordEffect::~TrecordEffect() {
    if (recordEffect == this)
        recordEffect = nullptr;
}

void TrecordEffect::UpdateRegion(const QRect& AFrame) {
    QScreen* screen = QGuiApplication::screenAt(QPoint(0, 0));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect monitor(QPoint(0, 0), screen->geometry().size());
    setGeometry(monitor);
    setMask(QRegion(monitor).subtracted(QRegion(AFrame)));
}

bool TrecordEffect::CanShow() {
    return QGuiApplication::screens().size() == 1 &&
           QGuiApplication::platformName() == QLatin1String("xcb") &&
           platform::capture::compositingManagerRunning();
}

void TrecordEffect::ShowOverlay() {
    if (!CanShow())
        return;
    if (FAnimationShow)
        FAnimationShow->stop();
    FAnimationShow = new QPropertyAnimation(this, "windowOpacity", this);
    QEasingCurve timing(QEasingCurve::BezierSpline);
    timing.addCubicBezierSegment({0.42, 0}, {1, 1}, {1, 1});
    FAnimationShow->setEasingCurve(timing);
    FAnimationShow->setDuration(FadeMs);
    FAnimationShow->setStartValue(0.0);
    FAnimationShow->setEndValue(ShownOpacity);
    connect(FAnimationShow, &QObject::destroyed, this, [this] { FAnimationShow = nullptr; });
    setWindowOpacity(0);
    show();
    FAnimationShow->start(QAbstractAnimation::DeleteWhenStopped);
}
