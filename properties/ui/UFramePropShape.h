#pragma once
// The inspector frame of the Shape group and of the Mask group of picture objects: a type
// button opening a gallery of the kinds the object type offers, an adjust track bar, and an
// angle dial in its place for the speech balloons (whose adjust value is the tail's position
// round the rectangle). A change records one undoShape step.

#include "core/URPropBase.h"
#include "properties/ui/UFramePropBase.h"

class QLabel;
class QMenu;
class QSlider;
class QToolButton;
class TRDial;
class TRGalleryMenu;
class TRPropShape;

// The dial angle (degrees) that shows a balloon's tail position `roundness` (0 .. 0.5);
// `current` for any other value.
int BalloonAngle(double roundness, int current);
// The balloon tail position for a dial angle of 0 .. 360 degrees.
double BalloonRoundness(int degrees);

class TFramePropShape : public TFramePropBase {
    Q_OBJECT
public:
    explicit TFramePropShape(QWidget* parent = nullptr);

    // Set-up for the shape frame of a shape object.
    void Init() override;
    // Set-up for the frame of object type `type`: the gallery offers the kinds allowed for it.
    void Init(TRObjectType type);

    QToolButton* ShapeButton() const { return FShapeButton; }
    TRGalleryMenu* Gallery() const { return FGallery; }
    QSlider* Roundness() const { return FRoundness; }
    TRDial* Angle() const { return FAngle; }
    QMenu* AdjustMenu() const { return FAdjustMenu; }

protected:
    void LoadControls() override;
    void SaveControls() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TRPropShape* Group() const;
    // The type button, the track bar and the dial for catalogue row `row`.
    void ShowKind(int row);
    void OpenGallery();
    void LayoutControls();

    QLabel* FTypeLabel;
    QToolButton* FShapeButton;
    TRGalleryMenu* FGallery;
    QSlider* FRoundness;
    QMenu* FAdjustMenu;
    TRDial* FAngle;
};
