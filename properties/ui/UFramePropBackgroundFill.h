#pragma once
// The inspector frame of the fill group: brush style, gradient angle, the two colour stops on
// a two-thumb track, the solid colour and the brush's opacity.

#include "properties/ui/UFramePropBase.h"

class TRBrushControls;
class TRGPEditEx;
class TRPropBrush;

class TFramePropBackgroundFill : public TFramePropBase {
    Q_OBJECT
public:
    explicit TFramePropBackgroundFill(QWidget* parent = nullptr);

    void Init() override;
    TRBrushControls* Brush() const { return FBrush; }
    TRGPEditEx* OpacityEdit() const { return FOpacity; }

protected:
    TFramePropBackgroundFill(TUndoType undoType, const QString& caption, int bodyHeight,
                             QWidget* parent);
    void LoadControls() override;
    void SaveControls() override;
    void resizeEvent(QResizeEvent* event) override;
    // Places the frame's controls; the brush row and the opacity editor come first.
    virtual void LayoutControls();
    TRPropBrush* Group() const;
    // The left edge of the controls and the width of a value editor row.
    int Left() const;
    int RowWidth() const;
    int RowHeight() const;

private:
    TRBrushControls* FBrush;
    TRGPEditEx* FOpacity;
    int FBodyHeight;
};
