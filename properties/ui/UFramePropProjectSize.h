#pragma once
// The inspector frame of the project's canvas size: a preset list, the two size fields with an
// aspect lock, and Apply. Unlike the other frames a size change takes effect only on Apply,
// which marks the project modified without an undo step.

#include "properties/ui/UFramePropBase.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TRGlyphButton;
class TRPropProjectSize;

class TFramePropProjectSize : public TFramePropBase {
    Q_OBJECT
public:
    explicit TFramePropProjectSize(QWidget* parent = nullptr);

    void Init() override;

    QComboBox* Presets() const { return FPresets; }
    QSpinBox* WidthEdit() const { return FWidth; }
    QSpinBox* HeightEdit() const { return FHeight; }
    TRGlyphButton* AspectLock() const { return FAspectLock; }
    QPushButton* ApplyButton() const { return FApply; }

    // Combo rows before the presets.
    static constexpr int CustomSizeRow = 0;
    static constexpr int OriginalSizeRow = 1;

protected:
    void LoadControls() override;
    // The panel's change keeps only the expanded state; the size waits for Apply.
    void SaveControls() override {}
    void RecordChange(TRProject&) override {}
    void resizeEvent(QResizeEvent* event) override;

private:
    TRPropProjectSize* Group() const;
    void PresetsChange();
    void ApplyClick();
    void SizeEdited(bool widthChanged);
    void LayoutControls();

    QLabel* FPresetsLabel;
    QComboBox* FPresets;
    QLabel* FSizeLabel;
    QSpinBox* FWidth;
    QSpinBox* FHeight;
    TRGlyphButton* FAspectLock;
    QPushButton* FApply;
    // Set while one size field follows the other under the aspect lock.
    bool FFollowing = false;
};
