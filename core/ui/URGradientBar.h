#pragma once
// The two-thumb track bar of the gradient editors: the first thumb is the first colour stop's
// position, the second thumb the second's (0..Maximum). The track shows the gradient from
// colour A to colour B, or colour A alone in solid mode. A click on a thumb without moving it
// reports ThumbClicked(thumb); a right press on a thumb reports ThumbMenuRequested.
// Changed() reports every change of a position.

#include <QColor>
#include <QWidget>

class TRGradientBar : public QWidget {
    Q_OBJECT
public:
    explicit TRGradientBar(QWidget* parent = nullptr);

    int Position(int thumb) const { return FPositions[thumb & 1]; }
    // Held to 0..Maximum.
    void SetPosition(int thumb, int position);
    int Maximum() const { return FMaximum; }
    QColor ColorA() const { return FColorA; }
    QColor ColorB() const { return FColorB; }
    void SetColors(const QColor& a, const QColor& b);
    bool Gradient() const { return FGradient; }
    // Solid mode shows one colour and the first thumb only.
    void SetGradient(bool gradient);
    // The thumb under a point, or -1.
    int ThumbAt(const QPointF& point) const;
    // The centre of a thumb in widget coordinates.
    QPointF ThumbCentre(int thumb) const;

Q_SIGNALS:
    void Changed();
    void ThumbClicked(int thumb);
    void ThumbMenuRequested(int thumb, const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QSize sizeHint() const override;

private:
    QRectF Track() const;
    int PositionAt(qreal x) const;

    int FPositions[2] = {0, 100};
    int FMaximum = 100;
    QColor FColorA = Qt::white;
    QColor FColorB = Qt::black;
    bool FGradient = true;
    int FActive = -1;
    int FPressPosition = 0;
};
