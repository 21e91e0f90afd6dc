#pragma once
// The inspector frame of an object's media speed: the speed in percent (25..400) and whether
// the sound keeps its pitch. A new speed rescales the clip when it still fits on its track;
// otherwise the editor shows the old speed again. Every change records one undo step.

#include "properties/ui/UFramePropBase.h"

class QCheckBox;
class QLabel;
class TRGPEditEx;
class TRPropMediaSpeed;

class TFramePropMediaSpeed : public TFramePropBase {
    Q_OBJECT
public:
    explicit TFramePropMediaSpeed(QWidget* parent = nullptr);

    void Init() override;
    TRGPEditEx* SpeedEdit() const { return FSpeed; }
    QCheckBox* PreservePitch() const { return FPreservePitch; }
    QLabel* PreservePitchLabel() const { return FPreserveLabel; }

protected:
    void LoadControls() override;
    void SaveControls() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TRPropMediaSpeed* Group() const;
    void EnablePitch();
    void LayoutControls();

    TRGPEditEx* FSpeed;
    QLabel* FPreserveLabel;
    QCheckBox* FPreservePitch;
};
