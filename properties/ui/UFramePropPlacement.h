#pragma once
// The inspector frame of the placement group: position, size (shown scaled), scale, the three
// rotations, opacity, the aspect-ratio and lock switches, six align buttons, and the header's
// reset to the defaults. Size fields keep the proportions of the original size while the
// aspect button is down; a lock disables everything but the opacity.

#include "properties/ui/UFramePropRows.h"

#include <array>

class QLabel;
class QSpinBox;
class TRAlignButton;
class TRDial;
class TRGlyphButton;
class TRPropPlacement;

class TFramePropPlacement : public TFramePropRows {
    Q_OBJECT
public:
    explicit TFramePropPlacement(QWidget* parent = nullptr);

    void Init() override;
    // The object type the page shows: a video effect never edits its opacity or X/Y rotation.
    void SetObjectType(TRObjectType type);
    // The light refresh while the canvas drags or the align and move commands act: position,
    // size and rotations only.
    void UpdateProperties(TRObject* object, TRPropBase* property);

    QSpinBox* XEdit() const { return FX; }
    QSpinBox* YEdit() const { return FY; }
    QSpinBox* WidthEdit() const { return FWidth; }
    QSpinBox* HeightEdit() const { return FHeight; }
    TRGlyphButton* LockButton() const { return FLocked; }
    TRGlyphButton* AspectButton() const { return FAspectRatio; }
    TRGlyphButton* RotationsButton() const { return FRotations; }
    TRGPEditEx* ScaleEdit() const { return FScale; }
    TRGPEditEx* OpacityEdit() const { return FOpacity; }
    TRDial* RotationDial(int axis) const { return FDials[axis]; }
    TRAlignButton* AlignButton(int kind) const { return FAlign[kind - 1]; }
    // Restores the defaults (the header's reset button).
    void Reset();

protected:
    void LoadOthers() override;
    void SaveOthers() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TRPropPlacement* Group() const;
    void PositionChange();
    void SizeChange(bool width);
    void ScaleChange();
    void AspectRatioClick();
    void LockedClick();
    void AlignClick(int kind);
    void UpdateInterface();
    void ShowSize(const QSizeF& size);
    void ShowPlacement();
    void ShowDialValue(int axis);

    TRObjectType FObjectType = otImage;
    QLabel* FPositionLabel;
    QSpinBox* FX;
    QSpinBox* FY;
    QLabel* FSizeLabel;
    QSpinBox* FWidth;
    QSpinBox* FHeight;
    TRGlyphButton* FAspectRatio;
    TRGlyphButton* FLocked;
    TRGPEditEx* FScale;
    QLabel* FRotationLabel;
    std::array<TRDial*, 3> FDials;
    std::array<QLabel*, 3> FDialCaptions;
    TRGlyphButton* FRotations;
    TRGPEditEx* FOpacity;
    std::array<TRAlignButton*, 6> FAlign;
    // Set while one size field follows the other or the scale.
    bool FSizeGuard = false;
};
