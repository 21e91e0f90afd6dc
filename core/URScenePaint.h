#pragma once
// What the scene painting of the core needs from the layers above it. The groups that build
// brushes, outlines and placements live above the core; they implement these interfaces, and
// the painting finds them with a cast of the group it reads. The graphics layer installs the
// shared device context, the editor tells whether playback (or a playhead drag) is running.

#include "platform/render/DeviceContext.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <array>

// The centre and the four corners (clockwise from top left) of an object's outline.
using TRTransformedPoints = std::array<QPointF, 5>;

// A group that paints with a brush of its own (fills, progress bar, borders).
class TRBrushSource {
public:
    virtual ~TRBrushSource() = default;
    // A new brush for an area of width x height; with `translate` it covers the rectangle of
    // that size centred on the origin.
    virtual platform::render::BrushPtr Brush(float width, float height, bool translate) const = 0;
    // The colour of the first stop.
    virtual QColor FirstColor() const = 0;
};

// A group that gives an outline (shapes, masks, the progress bar).
class TRShapeSource {
public:
    virtual ~TRShapeSource() = default;
    // The outline fitted to `rect`; `segment` -1 asks for the whole outline. nullptr when the
    // shape has none (the caller then uses a rectangle).
    virtual platform::render::GeometryPtr GetGeometry(const QRectF& rect, int segment) const = 0;
};

// The placement group of a visual object.
class TRPlacementSource {
public:
    virtual ~TRPlacementSource() = default;
    // The centre relative to the frame's centre, in project pixels.
    virtual QPointF Position() const = 0;
    // The scaled rectangle centred on the origin.
    virtual QRectF BoundsRect() const = 0;
    virtual bool Rotated() const = 0;
    virtual bool Locked() const = 0;
    // Centre and corners of the scaled rectangle grown by `deltaBorder`, rotated and
    // projected, relative to the position.
    virtual TRTransformedPoints TransformedPoints(float deltaBorder) const = 0;
    // Whether the control pixel (x, y) lies inside the outline grown by `deltaBorder`, mapped
    // by the placement and then `matrix` (scene to control pixels; none for identity).
    virtual bool HitsOutline(int x, int y, const platform::render::Matrix3x2* matrix,
                             float deltaBorder) const = 0;
    // What moving and resizing on the canvas change.
    virtual void SetPosition(const QPointF& position) = 0;
    virtual QSizeF ScaledSize() const = 0;
    virtual void SetScaledSizeTo(const QSizeF& size) = 0;
    virtual bool KeepsAspectRatio() const = 0;
    virtual QSizeF OriginalSize() const = 0;
};

// A border group: how far the border reaches outside the placement's rectangle, and the
// size of the border bitmap margin.
class TRBorderSource {
public:
    virtual ~TRBorderSource() = default;
    virtual float DeltaBorder() const = 0;
    virtual float BorderSize() const = 0;
    // How far the outline is grown before it is stroked.
    virtual float Inflate() const = 0;
    // Caps and dashes of the stroke.
    virtual std::shared_ptr<platform::render::StrokeStyle> GetStrokeStyle() const = 0;
    // The image to paint for an object: its border image (blurred as the group says) over the
    // object's image; either may be null.
    virtual platform::render::ImagePtr DrawBlurAndComposite(platform::render::ImagePtr input,
                                                            platform::render::ImagePtr border) = 0;
};

// A group stroked along a shape (sketch, progress bar): its stroke thickness.
class TRStrokeSource {
public:
    virtual ~TRStrokeSource() = default;
    virtual float Thickness() const = 0;
};

// The text group: the text it shows.
class TRTextSource {
public:
    virtual ~TRTextSource() = default;
    virtual QString Text() const = 0;
};

// The progress-bar group: the part of its outline around the frame that shows `progress`
// (0..1); the bar is stroked with twice the group's thickness.
class TRProgressBarSource {
public:
    virtual ~TRProgressBarSource() = default;
    virtual platform::render::GeometryPtr ProgressGeometry(const QRectF& frame, float progress) = 0;
};

// The shared device context every scene drawing goes through; installed by the graphics layer.
using TRSceneContextFn = platform::render::DeviceContext* (*)();
extern TRSceneContextFn SceneContextHook;
// nullptr while no context is installed.
platform::render::DeviceContext* SceneContext();

// True while the editor's player runs or the playhead is being dragged (the editor services).
bool ScenePlaybackActive();

// The solid brush of a colour at an opacity.
platform::render::BrushPtr SolidBrush(const QColor& color, float opacity);
platform::render::RectF ToRectF(const QRectF& rect);
