#pragma once
// The inspector frame of the media group ("Media"): stretch to the object, flips and opacity.
// The group is always in force, so the header has no check box.

#include "properties/ui/UFramePropRows.h"

class QCheckBox;
class QToolButton;

class TFramePropFlipOpacity : public TFramePropRows {
    Q_OBJECT
public:
    explicit TFramePropFlipOpacity(QWidget* parent = nullptr);

    QCheckBox* ScaleBox() const { return FScale; }
    QToolButton* FlipH() const { return FFlipH; }
    QToolButton* FlipV() const { return FFlipV; }

protected:
    void LoadOthers() override;
    void SaveOthers() override;

private:
    QCheckBox* FScale;
    QToolButton* FFlipH;
    QToolButton* FFlipV;
};

// A checkable tool button with a caption and a hint, as the frames' toggles use.
QToolButton* MakeToggle(const char* name, const QString& caption, const QString& hint);
