#pragma once
// The one-line numeric editor of the inspector and the settings dialogs: a caption, a track bar
// and a spin edit showing the value with its unit. The track bar and the edit stay in step;
// dragging snaps to favourite values, which the caption's menu also offers; a value set by the
// program slides the track bar over 0.3 s. Changed() reports user changes only.

#include <QDoubleSpinBox>
#include <QWidget>
#include <memory>

class QLabel;
class QMenu;
class QSlider;
class TIKPropertyAnimation;

// A spin edit that shows whole numbers without decimals and fractions without trailing zeros.
class TRSpinEdit : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit TRSpinEdit(QWidget* parent = nullptr);
    QString textFromValue(double value) const override;
};

class TRGPEditEx : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double Value READ Value WRITE SetValue)
public:
    explicit TRGPEditEx(QWidget* parent = nullptr);
    ~TRGPEditEx() override;

    QLabel* Caption() const { return FCaption; }
    QSlider* TrackBar() const { return FTrackBar; }
    TRSpinEdit* Edit() const { return FEdit; }
    QMenu* PopupMenu() const { return FPopupMenu; }

    double Value() const { return FValue; }
    // A program set: never reports Changed(). With Animate the track bar slides to the value;
    // the value itself is kept exactly.
    void SetValue(double value);
    double MinValue() const { return FMinValue; }
    double MaxValue() const { return FMaxValue; }
    void SetMinMaxValues(double minimum, double maximum);
    QString UM() const { return FUM; }
    // The unit shown after the number; set before the favourite values (menu captions keep it).
    void SetUM(const QString& unit);
    double DefaultValue() const { return FDefaultValue; }
    void SetDefaultValue(double value);
    int SnapDelta() const { return FSnapDelta; }
    void SetSnapDelta(int delta) { FSnapDelta = delta; }
    const QList<int>& SnapValues() const { return FSnapValues; }
    void SetSnapValues(const QList<int>& values);
    bool Animate() const { return FAnimate; }
    void SetAnimate(bool animate) { FAnimate = animate; }
    void SetCaption(const QString& caption);
    // Opens the favourite values' menu under the caption.
    void CaptionClick();

Q_SIGNALS:
    void Changed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TrackBarChange(int position);
    void EditChange(double value);
    void PopupMenuClick(int index);
    void SlideFinish();
    void ShowPosition(int position);
    int TrackBarWidth() const;
    int EditWidth() const;
    void Layout();

    QLabel* FCaption;
    QSlider* FTrackBar;
    TRSpinEdit* FEdit;
    QMenu* FPopupMenu = nullptr;
    std::unique_ptr<TIKPropertyAnimation> FSlide;
    double FMinValue = 0;
    double FMaxValue = 100;
    double FValue = 50;
    QString FUM;
    double FDefaultValue = 0;
    bool FAnimate = true;
    int FSnapDelta = 5;
    QList<int> FSnapValues;
    bool FBlocked = false;
    // True from a program set until its slide ends: track-bar moves are the program's.
    bool FProgramMode = false;
};
