#pragma once
// The recorder tool bar's own controls: source buttons with a level meter, vertical level
// bars, the round countdown dial and the round REC button.

#include <QToolButton>
#include <QWidget>

// A source toggle with a drop-down menu; while down and with a level it draws a meter along
// its bottom, and the microphone's button its volume number above the meter.
class TRMeterButton : public QToolButton {
    Q_OBJECT
public:
    explicit TRMeterButton(QWidget* parent = nullptr);
    void SetLevel(int level);
    void SetVolume(int volume); // -1: no number
    int Level() const { return FLevel; }
    // The meter's rectangle inside the button.
    QRect MeterRect() const;
    // The bar's width for a level in a meter of `width` pixels.
    static int BarWidth(int width, int level);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FLevel = 0;
    int FVolume = -1;
};

// A vertical level bar standing on its bottom edge, green at the bottom to red at the top.
class TRLevelBar : public QWidget {
    Q_OBJECT
public:
    explicit TRLevelBar(QWidget* parent = nullptr);
    void SetLevel(int level);
    int Level() const { return FLevel; }
    bool Active = false; // the source is down

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FLevel = 0;
};

// The countdown: a ring filling clockwise and the seconds left in its middle.
class TRCountdownDial : public QWidget {
    Q_OBJECT
public:
    explicit TRCountdownDial(QWidget* parent = nullptr);
    void SetValue(int angle, const QString& caption);
    int Angle() const { return FAngle; }
    QString Caption() const { return FCaption; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FAngle = 0;
    QString FCaption;
};

// The round REC button.
class TRRecButton : public QToolButton {
    Q_OBJECT
public:
    explicit TRRecButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
