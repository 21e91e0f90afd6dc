#pragma once
// A rotary dial for angles: dragging turns it, a double click returns it to its default and the
// context menu offers preset angles. Changed() reports every change of the value, the
// program's included, like the platform's own controls (frames ignore their own loads).

#include <QWidget>

class QMenu;

class TRDial : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE SetValue)
public:
    explicit TRDial(QWidget* parent = nullptr);

    int Value() const { return FValue; }
    // Held to Minimum..Maximum.
    void SetValue(int value);
    int Minimum() const { return FMinimum; }
    int Maximum() const { return FMaximum; }
    void SetRange(int minimum, int maximum);
    int DefaultValue() const { return FDefaultValue; }
    void SetDefaultValue(int value) { FDefaultValue = value; }
    // Preset angles offered by the context menu, captioned with a degree sign.
    void SetPresets(const QList<int>& presets);
    QMenu* PresetMenu() const { return FMenu; }
    // The value for a point of the widget: the angle clockwise from the top.
    int ValueAt(const QPointF& point) const;

Q_SIGNALS:
    void Changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QSize sizeHint() const override;

private:
    int FValue = 0;
    int FMinimum = 0;
    int FMaximum = 360;
    int FDefaultValue = 0;
    QMenu* FMenu = nullptr;
};
