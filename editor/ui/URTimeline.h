#pragma once
// The editor's timeline: a time ruler, the tracks with the project's clips, the playhead with
// its insert-time handle "|||", the project's End tab, the time selection band, the rubber band
// and the red snap lines. The control is as tall as all tracks; the editor scrolls it by its
// StartTime (ms at the left edge of the tracks) and StartY (pixels) instead of moving it. The
// mouse moves the playhead, the End and the selection, inserts or removes time, and moves,
// trims and selects clips; every clip edit goes into the project's undo history.

#include "core/URObject.h"
#include "core/URTimelineClip.h"
#include "platform/render/ui/SwapChainWidget.h"

#include <QPointF>
#include <QRectF>
#include <cstdint>
#include <memory>
#include <vector>

class TRProject;

// The timeline's view of the active project: what the timeline control shows and the window
// saves per project.
struct TRTimelineView {
    std::int32_t PlayHead = 0;
    std::int32_t StartTime = 0; // ms at the left edge
    std::int32_t PixelPS = 120;
    std::int32_t TrackHeight = 28;
    std::int32_t StartY = 0;
    std::int32_t FramePS = 30;
    std::int32_t TrackSpace = 2;
    std::int32_t TopSpace = 24;
    std::int32_t NrTracks = 20;
};

// What the timeline asks of the editor window around it.
class TRTimelineHost {
public:
    virtual ~TRTimelineHost() = default;
    // Moves the playhead to the frame nearest `time` and brings the views up to date.
    virtual void SetPlayHead(std::int32_t time) = 0;
    virtual void Stop() = 0;
    virtual bool PlayerRunning() const = 0;
    virtual void SetSelectedObject(TRObject* object, bool unselect) = 0;
    virtual void SetMouseOverObject(TRObject* object) = 0;
    virtual void UpdateMAXTimelineHScrollbar() = 0;
    virtual void UpdateLabelTime() = 0;
    // The inspector shows the selected object's new times.
    virtual void UpdateObjectTimes() = 0;
};

class TRTimeline : public platform::render::SwapChainWidget, public TRTimelineView {
    Q_OBJECT
public:
    explicit TRTimeline(QWidget* parent = nullptr);
    ~TRTimeline() override;

    void SetHost(TRTimelineHost* host) { FHost = host; }
    TRProject* Project() const { return FProject; }
    // Shows `project` and clears the time selection.
    void SetProject(TRProject* project);

    // ---- hit areas left by the last paint (empty while the part is not painted) ----
    QRectF rectHitPlayhead, rectHitLinePlayhead, rectHitEnd, rectHitPlusMinus, rectHitSelection;
    std::int32_t PlayheadWidth = 10;

    // ---- drag state ----
    bool drag = false;
    TRHitTimeline hit = htNone;
    TRObject* hitObject = nullptr;
    std::int32_t hitTime = 0;
    std::int32_t hitTrack = 0;
    bool dragmscreate = false;
    bool dragms = false;

    std::int32_t LeftSpace = 17;
    float StartX = 0;
    std::int32_t SelectionStart = -1;
    std::int32_t SelectionEnd = -1;
    QPointF MultiSelectStart, MultiSelectEnd;
    std::vector<std::int32_t> HelperLines;

    void AddNewHelperLine(std::int32_t time);
    // True when there were lines.
    bool ClearHelperLines();
    void ClearSelection();
    // True when the rubber band had an extent.
    bool ClearRectMultiSelect();
    QRectF GetRectMultiSelect() const;
    bool IsPlayHeadVisible() const;
    // Scrolls so that the playhead shows.
    void SetPlayHeadVisible();
    // True while the user drags the playhead handle.
    bool MovingPlayhead() const { return drag && hit == htPlayhead; }
    // The time (snapped to the frame grid) and the track under a control point.
    std::int32_t TimeAt(double x) const;
    std::int32_t TrackAt(double y) const;
    // The height the user sees: the timeline panel's, not the control's.
    int VisibleHeight() const;

    void HitTest(Qt::KeyboardModifiers shift, double x, double y);
    // The balloon hint shown last (empty: none).
    const QString& CurrentHint() const { return FHint; }
    // Draws the timeline into the shared device context's present target.
    void Paint();

protected:
    void renderFrame(const platform::render::BitmapPtr& backBuffer) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct TRResources;
    void SyncControl();
    void PaintRuler();
    void PaintRulerTick(float x, std::int32_t frame, int rise, bool label);
    void PaintTracks();
    void PaintSelection();
    void PaintPlayhead();
    void PaintEnd();
    void PaintHelperLines();
    void PaintLabel(const QString& text, const QRectF& box, bool centred);
    // The drags of one mouse move, by what was hit.
    void DragStep(Qt::KeyboardModifiers shift, double x, double y);
    void DragPlayhead(Qt::KeyboardModifiers shift, std::int32_t t);
    void DragPlusMinus(std::int32_t t);
    void DragEnd(std::int32_t t);
    void DragSelection(std::int32_t t);
    void DragClip(double y, std::int32_t t);
    void DragClipEdge(std::int32_t t);
    void DragClipZone(std::int32_t t);
    void Hover(double x, double y);
    void ShowHint(const QString& text, const QPoint& at);
    std::int32_t ProjectEnd() const;
    bool CtrlHeld(Qt::KeyboardModifiers shift) const { return shift & Qt::ControlModifier; }
    void HelperLine(std::int32_t time);

    TRProject* FProject = nullptr;
    TRTimelineHost* FHost = nullptr;
    TRTimelineControl FControl;
    std::unique_ptr<TRResources> FResources;
    // The drag in progress opened its undo group (insert time, multi-selection); its later
    // steps join it.
    bool FDragGroupOpen = false;
    QString FHint;
};
