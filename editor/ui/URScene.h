#pragma once
// The editor's canvas: the active project's frame at the playhead on a dark surrounding, a
// checkerboard behind its transparent parts, the hover outline, the selection handles, the
// multi-selection outlines and the snap guides. The left mouse button selects, moves, resizes
// and rotates objects, moves a zoom area's source, toggles and drags the multi-selection and
// draws the rubber band; every applied step is recorded in the project's undo history.
//
// Scene units map to control pixels by the view matrix of the last paint: scaled by the design
// scale, then moved to the control's centre.

#include "editor/ui/URSelectionTool.h"
#include "graphics/ui/URCustomcontrol.h"
#include "platform/render/Bitmap.h"
#include "platform/render/Brush.h"
#include "platform/render/Geometry.h"
#include "platform/render/StrokeStyle.h"

#include <QColor>
#include <QPointF>
#include <vector>

class TRProject;

// The colours and the dash pattern of the canvas's overlays.
QColor SceneHighlightColor();
QColor SceneRedColor();
// Flat caps, square dash caps, miter joins, 3 on and 3 off.
platform::render::StrokeStylePtr SceneDashes();

// A snap guide in scene units. SnapX and SnapY are the rounded offsets between the ends (0: the
// ends are lined up on that axis); a selected guide is a keyframe path, drawn with end marks.
struct TRHelperLine {
    QPointF PointA, PointB;
    float SnapX = 0, SnapY = 0;
    bool Selected = false;
};

class TRScene : public TRCustomControl {
    Q_OBJECT
public:
    explicit TRScene(QWidget* owner);
    ~TRScene() override;

    TRProject* Project() const { return FProject; }
    // Binds the project shown (null: none); the selection follows the project's.
    void SetProject(TRProject* project);
    // The project's design scale, 1 without a project or outside (0, 2].
    float GetDesignScale() const;
    TRSelectionTool& SelectionTool() { return FSelectionTool; }
    // Scene units to control pixels, as the last paint set it.
    const platform::render::Matrix3x2& ViewMatrix() const { return mtransform; }
    // The control-sized bitmap the project is painted into, kept while the size stays.
    const platform::render::BitmapPtr& TargetProject() const { return FTargetProject; }

    // ---- snap guides ----
    void AddNewHelperLine(float ax, float ay, float bx, float by, float snapX, float snapY,
                          bool selected);
    // True when there were guides.
    bool ClearHelperLines();
    const std::vector<TRHelperLine>& HelperLines() const { return HelperLines_; }
    // The project's guides of its selected object: its keyframe path and the objects lined up
    // with it.
    void ComputeHelperLines();

protected:
    void Paint() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The selection tool shows the project's selected object.
    void FollowSelection();
    platform::render::Matrix3x2 ViewTransform() const;
    void PaintBackdrop(platform::render::DeviceContext& dc);
    void PaintCheckerboard();
    void PaintProject();
    void PaintHelperLines();
    void PaintHelperLine(const TRHelperLine& line, float s);
    QPointF ScenePoint(QPointF pixel) const;
    void Select(TRObject* object);
    void PressObject(TRObject* object, TRHitScene answer, int x, int y, bool ctrl);
    void PressEmpty(int x, int y, bool ctrl);
    bool DragStep(bool ctrl, int x, int y);
    void Hover(int x, int y);

    TRProject* FProject = nullptr;
    platform::render::BitmapPtr FTargetProject;
    std::vector<TRHelperLine> HelperLines_;
    platform::render::BrushPtr FLineBrush, FRedLineBrush, FLightCells, FDarkCells;
    platform::render::StrokeStylePtr FDashes;
    // The dark cells of the checkerboard for the project size they were made for.
    platform::render::GeometryPtr FDarkGeometry;
    QSize FCheckerSize;
    // The surrounding and the checkerboard as last painted, for the view they were painted in:
    // they change only with the control's size, the zoom and the project's size.
    struct TRBackdropKey {
        platform::render::SizeU Size;
        float DpiX = 0, DpiY = 0;
        platform::render::Matrix3x2 View;
        QSize Project;
        bool operator==(const TRBackdropKey&) const = default;
    };
    platform::render::BitmapPtr FBackdrop;
    TRBackdropKey FBackdropKey;
    platform::render::Matrix3x2 mtransform;
    TRSelectionTool FSelectionTool;

    // The mouse: what the press hit and the reference point of the drag (control pixels of the
    // press or of the last applied step).
    bool drag = false;
    TRHitScene hit = hsNone;
    TRObject* hitObject = nullptr;
    int hitX = 0, hitY = 0;
    bool dragms = false;
    bool dragmscreate = false;
};
