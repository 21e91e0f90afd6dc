#include "core/ui/URGradientBar.h"

#include "core/ui/URStyle.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

TRGradientBar::TRGradientBar(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(sizeHint());
}

QSize TRGradientBar::sizeHint() const {
    return {Scaled(160, this), Scaled(18, this)};
}

void TRGradientBar::SetPosition(int thumb, int position) {
    position = qBound(0, position, FMaximum);
    if (FPositions[thumb & 1] == position)
        return;
    FPositions[thumb & 1] = position;
    update();
    Q_EMIT Changed();
}

void TRGradientBar::SetColors(const QColor& a, const QColor& b) {
    FColorA = a;
    FColorB = b;
    update();
}

void TRGradientBar::SetGradient(bool gradient) {
    FGradient = gradient;
    update();
}

QRectF TRGradientBar::Track() const {
    const qreal thumb = height() * 0.8;
    const qreal trackHeight = height() * 0.5;
    return {thumb / 2, (height() - trackHeight) / 2, width() - thumb, trackHeight};
}

QPointF TRGradientBar::ThumbCentre(int thumb) const {
    const QRectF track = Track();
    return {track.left() + track.width() * FPositions[thumb & 1] / FMaximum, track.center().y()};
}

int TRGradientBar::ThumbAt(const QPointF& point) const {
    const qreal radius = height() * 0.45;
    // The second thumb is drawn on top, so it is found first.
    for (int thumb : {1, 0}) {
        if (thumb == 1 && !FGradient)
            continue;
        if (QLineF(point, ThumbCentre(thumb)).length() <= radius)
            return thumb;
    }
    return -1;
}

int TRGradientBar::PositionAt(qreal x) const {
    const QRectF track = Track();
    return qRound((x - track.left()) / track.width() * FMaximum);
}

void TRGradientBar::mousePressEvent(QMouseEvent* event) {
    const int thumb = ThumbAt(event->position());
    if (event->button() == Qt::RightButton) {
        if (thumb >= 0)
            Q_EMIT ThumbMenuRequested(thumb, event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    FActive = thumb;
    if (FActive < 0) {
        // A click on the track moves the nearer thumb there.
        const int at = PositionAt(event->position().x());
        FActive = FGradient && qAbs(at - FPositions[1]) < qAbs(at - FPositions[0]) ? 1 : 0;
        FPressPosition = -1;
        SetPosition(FActive, at);
        return;
    }
    FPressPosition = FPositions[FActive];
}

void TRGradientBar::mouseMoveEvent(QMouseEvent* event) {
    if (FActive >= 0 && (event->buttons() & Qt::LeftButton))
        SetPosition(FActive, PositionAt(event->position().x()));
}

void TRGradientBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || FActive < 0)
        return;
    const int thumb = FActive;
    FActive = -1;
    if (FPressPosition == FPositions[thumb])
        Q_EMIT ThumbClicked(thumb);
}

void TRGradientBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = Track();
    if (FGradient) {
        QLinearGradient gradient(track.topLeft(), track.topRight());
        gradient.setColorAt(0, FColorA);
        gradient.setColorAt(1, FColorB);
        painter.setBrush(gradient);
    } else {
        painter.setBrush(FColorA);
    }
    painter.setPen(QPen(WithAlpha(TRStyleColors::Text, 80), 1));
    painter.drawRoundedRect(track, 2, 2);
    const qreal radius = height() * 0.4;
    for (int thumb : {0, 1}) {
        if (thumb == 1 && !FGradient)
            continue;
        painter.setPen(QPen(QColor(TRStyleColors::Text), qMax(1.5, radius / 4)));
        painter.setBrush(thumb == 0 ? FColorA : FColorB);
        painter.drawEllipse(ThumbCentre(thumb), radius - 1, radius - 1);
    }
}
