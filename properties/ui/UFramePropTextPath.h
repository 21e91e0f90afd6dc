#pragma once
// The inspector frame of the text layout: the path the text runs along, where it starts, how
// strongly the path bends, and the margins of the text box. While the object's text is off the
// whole frame is greyed and closed (UpdateEnabled).

#include "properties/ui/UFramePropBase.h"

class QComboBox;
class QLabel;
class QSlider;
class TRGPEditEx;
class TRPropTextPath;

class TFramePropTextPath : public TFramePropBase {
    Q_OBJECT
public:
    explicit TFramePropTextPath(QWidget* parent = nullptr);

    void Init() override;
    // Enables or greys (and closes) the frame.
    void UpdateEnabled(bool enabled);

    TRGPEditEx* OffsetEdit() const { return FOffset; }
    QComboBox* PathCombo() const { return FPath; }
    QSlider* AdjustTrack() const { return FAdjust; }
    TRGPEditEx* MarginEdit(int side) const { return FMargins[side & 3]; }

protected:
    void LoadControls() override;
    void SaveControls() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TRPropTextPath* Group() const;
    void LayoutControls();

    TRGPEditEx* FOffset;
    QLabel* FPathLabel;
    QComboBox* FPath;
    QSlider* FAdjust;
    // Left, top, right, bottom.
    TRGPEditEx* FMargins[4];
};
