#include "core/ui/URDial.h"

#include "core/ui/URStyle.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

TRDial::TRDial(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

QSize TRDial::sizeHint() const {
    return {Scaled(24, this), Scaled(24, this)};
}

void TRDial::SetValue(int value) {
    value = qBound(FMinimum, value, FMaximum);
    if (value == FValue)
        return;
    FValue = value;
    update();
    Q_EMIT Changed();
}

void TRDial::SetRange(int minimum, int maximum) {
    FMinimum = minimum;
    FMaximum = qMax(minimum, maximum);
    SetValue(FValue);
}

void TRDial::SetPresets(const QList<int>& presets) {
    delete FMenu;
    FMenu = new QMenu(this);
    for (int preset : presets) {
        QAction* action = FMenu->addAction(QString::number(preset) + QChar(0x00BA));
        connect(action, &QAction::triggered, this, [this, preset] { SetValue(preset); });
    }
}

int TRDial::ValueAt(const QPointF& point) const {
    const QPointF centre = QRectF(rect()).center();
    const qreal degrees =
        qRadiansToDegrees(std::atan2(point.x() - centre.x(), centre.y() - point.y()));
    return (qRound(degrees) + 360) % 360;
}

void TRDial::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        SetValue(ValueAt(event->position()));
}

void TRDial::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        SetValue(ValueAt(event->position()));
}

void TRDial::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        SetValue(FDefaultValue);
}

void TRDial::contextMenuEvent(QContextMenuEvent* event) {
    if (FMenu)
        FMenu->popup(event->globalPos());
}

void TRDial::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = qMax(1.0, Scaled(2, this) * 0.75);
    const QRectF face = QRectF(rect()).adjusted(pen, pen, -pen, -pen);
    painter.setPen(
        QPen(isEnabled() ? QColor(TRStyleColors::Text) : QColor(TRStyleColors::DisabledText), pen));
    painter.setBrush(QColor(TRStyleColors::Base));
    painter.drawEllipse(face);
    painter.translate(face.center());
    painter.rotate(FValue);
    painter.setPen(QPen(QColor(TRStyleColors::Highlight), pen * 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(0, 0), QPointF(0, -face.height() / 2 + pen * 1.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(TRStyleColors::Highlight));
    painter.drawEllipse(QPointF(0, 0), pen, pen);
}
