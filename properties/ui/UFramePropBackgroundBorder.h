#pragma once
// The inspector frame of the border group: the fill frame's brush and opacity, the stroke's
// thickness, offset and blur, and its dash and cap styles.

#include "properties/ui/UFramePropBackgroundFill.h"

class QComboBox;
class QLabel;

class TFramePropBackgroundBorder : public TFramePropBackgroundFill {
    Q_OBJECT
public:
    explicit TFramePropBackgroundBorder(QWidget* parent = nullptr);

    TRGPEditEx* ThicknessEdit() const { return FThickness; }
    TRGPEditEx* InflateEdit() const { return FInflate; }
    TRGPEditEx* BlurEdit() const { return FBlur; }
    QComboBox* DashCombo() const { return FDash; }
    QComboBox* CapCombo() const { return FCap; }

protected:
    void LoadControls() override;
    void SaveControls() override;
    void LayoutControls() override;

private:
    TRGPEditEx* FThickness;
    TRGPEditEx* FInflate;
    TRGPEditEx* FBlur;
    QLabel* FStyleLabel;
    QComboBox* FDash;
    QComboBox* FCap;
};
