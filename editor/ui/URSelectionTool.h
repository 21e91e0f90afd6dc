#pragma once
// The selection frame of the one selected object on the canvas: eight resize handles around
// it, a rotation knob above it and the body outline. The tool draws them at a constant size on
// screen, finds the one under the pointer and turns a drag of it into a move, resize or
// rotation of the object's placement.

#include "core/URObject.h"
#include "objects/URPropPlacement.h"
#include "platform/render/Brush.h"
#include "platform/render/StrokeStyle.h"

#include <QCursor>
#include <QPointF>
#include <array>

class TRScene;

enum class TRHandleType : std::uint8_t { htCenter, htCorner, htMiddle, htRotation };

// One row of the handle table: a handle's point before projection is
// (XF * (W + 2d) + XO * 8 / s, YF * (H + 2d) + YO * 8 / s) for an object of scaled size W x H,
// border delta d, on a canvas of design scale s: the offsets stay the same on screen.
struct TRHandleLayoutRow {
    TRHandleType Type;
    float XF, XO, YF, YO;
    Qt::CursorShape Cursor; // Qt::BitmapCursor: the rotate cursor
};

// The ten handles, clockwise from the top-left corner, then the rotation knob and the body.
// Indexes 0..7 are also the handle numbers of TRObject::Resize.
inline constexpr std::array<TRHandleLayoutRow, 10> HandleLayout = {{
    {TRHandleType::htCorner, -0.5f, -1, -0.5f, -1, Qt::SizeFDiagCursor},
    {TRHandleType::htMiddle, 0, 0, -0.5f, -1, Qt::SizeVerCursor},
    {TRHandleType::htCorner, 0.5f, 1, -0.5f, -1, Qt::SizeBDiagCursor},
    {TRHandleType::htMiddle, 0.5f, 1, 0, 0, Qt::SizeHorCursor},
    {TRHandleType::htCorner, 0.5f, 1, 0.5f, 1, Qt::SizeFDiagCursor},
    {TRHandleType::htMiddle, 0, 0, 0.5f, 1, Qt::SizeVerCursor},
    {TRHandleType::htCorner, -0.5f, -1, 0.5f, 1, Qt::SizeBDiagCursor},
    {TRHandleType::htMiddle, -0.5f, -1, 0, 0, Qt::SizeHorCursor},
    {TRHandleType::htRotation, 0, 0, -0.5f, -6, Qt::BitmapCursor},
    {TRHandleType::htCenter, 0, 0, 0, 0, Qt::PointingHandCursor},
}};
inline constexpr int RotationKnob = 8;
inline constexpr int BodyHandle = 9;

// The rotate cursor, drawn from the program's own picture (a new cursor on every call).
QCursor RotateCursor();

// One handle. Its placement carries the geometry: the position is the handle's centre relative
// to the object's centre, the size its hit area and, for the body, the object's rotations.
class TRHandle {
public:
    TRPropPlacement Placement;
    TRHandleType HandleType = TRHandleType::htCenter;
    bool Visible = true;
    QCursor Cursor;
    // The body: 0..3 the outline, 4..7 the text box; the rotation knob: 0 is its stem's anchor.
    std::array<QPointF, 8> Points{};

    // hsObject when the control pixel lies in the hit area under `matrix`; hsNone when hidden.
    TRHitScene TestHitOnScene(int x, int y, const platform::render::Matrix3x2* matrix) const;
};

class TRSelectionTool {
public:
    explicit TRSelectionTool(TRScene& scene);
    TRSelectionTool(const TRSelectionTool&) = delete;
    TRSelectionTool& operator=(const TRSelectionTool&) = delete;

    TRObject* ActiveObject() const { return FActiveObject; }
    int ActiveHandleId() const { return FActiveHandleId; }
    const std::array<TRHandle, 10>& Handles() const { return FHandles; }

    // An object with a placement becomes the active object and its handles are computed; null
    // or an object without placement clears it.
    void SetObject(TRObject* object);
    // Recomputes every handle from the active object's present placement.
    void UpdateHandles();
    // Draws the handles into the scene context, whose transform maps scene units to the canvas.
    void PaintOnScene();
    // Finds the handle under the control pixel (`matrix`: the canvas's view matrix); on an
    // object that is neither locked nor animating it becomes the active handle and sets the
    // canvas cursor. True when a handle became active.
    bool TestHitOnScene(int x, int y, const platform::render::Matrix3x2& matrix);
    // Applies a drag of the active handle from (x0, y0) to (x, y), control pixels. True when the
    // object changed; a body step under 2 scene units changes nothing (the caller keeps its
    // reference point, so small steps add up).
    bool MouseMove(bool ctrl, int x, int y, const platform::render::Matrix3x2& matrix, int x0,
                   int y0);

private:
    TRPropPlacement* Placement() const;
    void PaintBody(const TRHandle& handle, bool redOnly, float s);
    void PaintKnob(const TRHandle& handle, float s);
    bool Rotate(int x, int y, const platform::render::Matrix3x2& matrix);
    void UpdateTextBox(TRHandle& body, const TRPropPlacement& placement,
                       const platform::render::Matrix4x4* projection);

    TRScene& FScene;
    TRObject* FActiveObject = nullptr;
    std::array<TRHandle, 10> FHandles;
    int FActiveHandleId = -1;
    platform::render::BrushPtr FWhite, FHighlight, FRed;
    platform::render::StrokeStylePtr FDashes;
};
