// The canvas's mouse gestures on a 600 x 300 canvas whose centre (300, 150) is the frame's
// centre: the rotation knob, body steps that add up below 2 units, the topmost object, a locked
// object, the resize handles, a zoom area's source, Ctrl toggles, the multi-selection drag, the
// rubber band, the cursors and the handles' constant size on screen. Every applied gesture is
// undone by one History_Undo.
#include "tests/editor/SceneTestSupport.h"

#include <QTest>
#include <cmath>

namespace {

class SceneMouse : public SceneTest {
protected:
    void Press(QPoint at, Qt::KeyboardModifiers keys = {}) {
        QTest::mousePress(canvas_.get(), Qt::LeftButton, keys, at);
    }
    void Move(QPoint to, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseEvent(QTest::MouseMove, canvas_.get(), Qt::LeftButton, keys, to);
    }
    void Release(QPoint at) { QTest::mouseRelease(canvas_.get(), Qt::LeftButton, {}, at); }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = {}) {
        Press(from, keys);
        Move(to, keys);
        Release(to);
    }
    // The object's placement as it stands (an undo replaces the groups).
    static QPointF PositionOf(TRObject& object) { return Placement(object)->FPosition; }
    // Undoes the last step and tells whether that emptied the history.
    bool UndoAll() {
        project_->History_Undo();
        return !project_->History_CanUndo();
    }
};

// The knob of a 201 x 101 object at the centre is 48 pixels above its top edge: (300, 51).
TEST_F(SceneMouse, KnobPointsTheObjectAtThePointer) {
    TRObject* object = AddObject(QSizeF(201, 101));
    SelectOnly(object);
    const struct {
        QPoint To;
        float Degrees;
    } cases[] = {{{400, 150}, 90},
                 {{300, 250}, 180},
                 {{200, 150}, -90},
                 {{400, 50}, 45},
                 {{200, 250}, -135}};
    for (const auto& c : cases) {
        project_->History_Init();
        Drag({300, 51}, c.To);
        EXPECT_NEAR(Placement(*object)->FRotationZ, c.Degrees, 1e-4)
            << c.To.x() << ", " << c.To.y();
        EXPECT_TRUE(UndoAll());
        EXPECT_EQ(Placement(*object)->FRotationZ, 0);
    }
}

// At scale 2 a pixel is half a unit: 3 pixels (1.5 units) move nothing, 5 pixels from the
// press move by the whole 2.5 units; the whole drag is one undo step.
TEST_F(SceneMouse, BodyStepsUnderTwoUnitsAddUp) {
    SetScale(2);
    TRObject* object = AddObject(QSizeF(201, 101));
    SelectOnly(object);
    project_->History_Init();
    Press({300, 150});
    Move({303, 150});
    EXPECT_EQ(PositionOf(*object), QPointF(0, 0));
    Move({305, 150});
    EXPECT_EQ(PositionOf(*object), QPointF(2.5, 0));
    Move({306, 151});
    EXPECT_EQ(PositionOf(*object), QPointF(2.5, 0));
    Move({305, 161});
    EXPECT_EQ(PositionOf(*object), QPointF(2.5, 5.5));
    Release({305, 161});
    EXPECT_TRUE(UndoAll());
    EXPECT_EQ(PositionOf(*object), QPointF(0, 0));
}

TEST_F(SceneMouse, PressSelectsTheTopmostShownObject) {
    TRObject* bottom = AddObject(QSizeF(201, 101));
    TRObject* top = AddObject(QSizeF(101, 51));
    Press({300, 150});
    Release({300, 150});
    EXPECT_EQ(project_->SelectedObject, top);
    EXPECT_EQ(canvas_->SelectionTool().ActiveObject(), top);
    // Without a selection, so that no handle of the top object is in the way.
    SelectOnly(nullptr);
    top->SetVisibility(false);
    Press({300, 150});
    Release({300, 150});
    EXPECT_EQ(project_->SelectedObject, bottom);
    top->SetVisibility(true);
    top->SetTimeEnd(500); // no longer shown at the playhead (1000)
    project_->SetTimePosition(1000);
    SelectOnly(nullptr);
    Press({310, 150});
    Release({310, 150});
    EXPECT_EQ(project_->SelectedObject, bottom);
}

TEST_F(SceneMouse, LockedObjectIsHoveredButDoesNotMove) {
    TRObject* object = AddObject(QSizeF(201, 101));
    Placement(*object)->FLocked = true;
    project_->History_Init();
    Move({320, 160});
    EXPECT_EQ(project_->MouseOverObject, object);
    EXPECT_EQ(canvas_->cursor().shape(), Qt::PointingHandCursor);
    Drag({300, 150}, {350, 180});
    EXPECT_EQ(project_->SelectedObject, object);
    EXPECT_EQ(PositionOf(*object), QPointF(0, 0));
    EXPECT_FALSE(project_->History_CanUndo());
}

// Handles of a 201 x 101 object at the centre: right (408, 150), bottom (300, 208), top-left
// (191, 91). Without Ctrl the opposite side stays; with Ctrl both sides move about the centre.
TEST_F(SceneMouse, ResizeHandlesChangeTheSize) {
    TRObject* object = AddObject(QSizeF(201, 101));
    SelectOnly(object);
    const struct {
        QPoint From, To;
        Qt::KeyboardModifiers Keys;
        QSizeF Size;
        QPointF Centre;
    } cases[] = {
        {{408, 150}, {428, 150}, {}, {221, 101}, {10, 0}},
        {{408, 150}, {428, 150}, Qt::ControlModifier, {241, 101}, {0, 0}},
        {{300, 208}, {300, 218}, {}, {201, 111}, {0, 5}},
        {{191, 91}, {181, 81}, {}, {211, 111}, {-5, -5}},
    };
    for (const auto& c : cases) {
        project_->History_Init();
        Drag(c.From, c.To, c.Keys);
        EXPECT_EQ(Placement(*object)->FSize, c.Size) << c.From.x() << ", " << c.From.y();
        EXPECT_EQ(PositionOf(*object), c.Centre) << c.From.x() << ", " << c.From.y();
        EXPECT_TRUE(UndoAll());
        EXPECT_EQ(Placement(*object)->FSize, QSizeF(201, 101));
        SelectOnly(object);
    }
}

// A zoom area answers hsZoomSource on its source rectangle; dragging it moves the source.
class FakeZoomArea : public TRObject {
public:
    using TRObject::TRObject;
    QRect Source{350, 50, 50, 50}; // control pixels
    QPointF Moved;
    TRHitScene TestHitOnScene(int x, int y, const platform::render::Matrix3x2*) override {
        return Source.contains(x, y) ? hsZoomSource : hsNone;
    }
    void MoveZoomSource(float dx, float dy) override { Moved += QPointF(dx, dy); }
};

TEST_F(SceneMouse, ZoomSourceDragRecordsAZoomSourceStep) {
    auto* zoom = static_cast<FakeZoomArea*>(
        project_->AddObject(std::make_unique<FakeZoomArea>(project_.get(), otZoomArea)));
    zoom->SetTimeEnd(5000);
    Placement(*zoom)->FPosition = QPointF(-200, 0);
    project_->History_Init();
    Press({375, 75});
    EXPECT_EQ(project_->SelectedObject, zoom);
    Move({376, 75});
    EXPECT_EQ(zoom->Moved, QPointF(0, 0));
    Move({385, 80});
    EXPECT_EQ(zoom->Moved, QPointF(10, 5));
    Move({388, 80});
    Release({388, 80});
    EXPECT_EQ(zoom->Moved, QPointF(13, 5));
    ASSERT_FALSE(project_->History().Records().empty());
    EXPECT_EQ(project_->History().Records().back().UType, undoZoomSource);
    EXPECT_TRUE(UndoAll());
}

TEST_F(SceneMouse, CtrlTogglesAndAMarkedObjectDragsTheMultiSelection) {
    TRObject* left = AddObject(QSizeF(101, 51), {-150, 0});
    TRObject* right = AddObject(QSizeF(101, 51), {150, 0});
    TRObject* outsider = AddObject(QSizeF(51, 51), {0, -100});
    project_->History_Init();
    Press({150, 150}, Qt::ControlModifier);
    Release({150, 150});
    EXPECT_TRUE(left->MultiSelect());
    EXPECT_EQ(project_->SelectedObject, left);
    Press({450, 150}, Qt::ControlModifier);
    Release({450, 150});
    EXPECT_TRUE(project_->HasMultiSelect());
    EXPECT_EQ(project_->SelectedObject, project_.get());
    Drag({150, 150}, {180, 160});
    EXPECT_EQ(PositionOf(*left), QPointF(-120, 10));
    EXPECT_EQ(PositionOf(*right), QPointF(180, 10));
    EXPECT_TRUE(UndoAll());
    EXPECT_EQ(PositionOf(*left), QPointF(-150, 0));
    EXPECT_EQ(PositionOf(*right), QPointF(150, 0));
    // A press on an object outside the multi-selection selects that object alone.
    Drag({300, 50}, {300, 50});
    EXPECT_EQ(project_->SelectedObject, outsider);
    EXPECT_FALSE(left->MultiSelect());
    EXPECT_FALSE(right->MultiSelect());
    // A press on the selected object's body with Ctrl unmarks it instead of dragging it.
    SelectOnly(left);
    Drag({150, 150}, {200, 150}, Qt::ControlModifier);
    EXPECT_FALSE(left->MultiSelect());
    EXPECT_EQ(PositionOf(*left), QPointF(-150, 0));
}

TEST_F(SceneMouse, PressOnEmptyCanvasDeselectsAndDrawsABand) {
    TRObject* left = AddObject(QSizeF(101, 51), {-150, 0});
    TRObject* right = AddObject(QSizeF(101, 51), {150, 0});
    SelectOnly(right);
    Press({20, 20}, Qt::ControlModifier); // Ctrl on empty canvas changes nothing
    Release({20, 20});
    EXPECT_EQ(project_->SelectedObject, right);
    Press({20, 20});
    EXPECT_EQ(project_->SelectedObject, project_.get());
    EXPECT_EQ(project_->rectMultiSelect, QRectF(QPointF(-280, -130), QPointF(-280, -130)));
    Move({200, 200});
    EXPECT_EQ(project_->rectMultiSelect, QRectF(QPointF(-280, -130), QPointF(-100, 50)));
    EXPECT_TRUE(left->MultiSelect());
    EXPECT_FALSE(right->MultiSelect());
    EXPECT_EQ(project_->SelectedObject, left);
    Release({200, 200});
    EXPECT_EQ(project_->rectMultiSelect, QRectF());
    EXPECT_EQ(services_.Stops, 2); // every release stops playback
}

TEST_F(SceneMouse, CursorFollowsWhatLiesUnderThePointer) {
    TRObject* object = AddObject(QSizeF(201, 101));
    TRObject* other = AddObject(QSizeF(51, 51), {-250, -100});
    SelectOnly(object);
    Shot();
    const struct {
        QPoint At;
        Qt::CursorShape Shape;
    } cases[] = {
        {{191, 91}, Qt::SizeFDiagCursor},   {{300, 91}, Qt::SizeVerCursor},
        {{408, 91}, Qt::SizeBDiagCursor},   {{408, 150}, Qt::SizeHorCursor},
        {{300, 51}, Qt::BitmapCursor},      {{300, 150}, Qt::PointingHandCursor},
        {{50, 50}, Qt::PointingHandCursor}, {{550, 280}, Qt::ArrowCursor},
    };
    for (const auto& c : cases) {
        Move(c.At);
        EXPECT_EQ(canvas_->cursor().shape(), c.Shape) << c.At.x() << ", " << c.At.y();
    }
    Move({50, 50});
    EXPECT_EQ(project_->MouseOverObject, other);
    Move({550, 280});
    EXPECT_EQ(project_->MouseOverObject, nullptr);
}

// A 200 x 100 object at the centre: at every scale the top-left handle's centre lies 8 pixels
// outside the corner (300 - 100 s - 8, 150 - 50 s - 8) and its hit square reaches 8 pixels
// around it; the knob is 48 pixels above the top edge.
TEST_F(SceneMouse, HandlesKeepTheirSizeOnScreen) {
    TRObject* object = AddObject(QSizeF(200, 100));
    const struct {
        float Scale;
        QPoint Offset; // from the top-left handle's centre
        int Handle;
    } cases[] = {
        {0.5f, {7, 7}, 0}, {0.5f, {-9, 0}, -1}, {1, {7, -7}, 0},   {1, {0, -9}, -1},
        {2, {-7, 7}, 0},   {2, {-9, -9}, -1},   {0.5f, {0, 0}, 0}, {2, {0, 0}, 0},
    };
    for (const auto& c : cases) {
        SetScale(c.Scale);
        SelectOnly(object);
        Shot();
        const QPoint corner(int(300 - 100 * c.Scale - 8), int(150 - 50 * c.Scale - 8));
        const QPoint at = corner + c.Offset;
        canvas_->SelectionTool().TestHitOnScene(at.x(), at.y(), canvas_->ViewMatrix());
        EXPECT_EQ(canvas_->SelectionTool().ActiveHandleId(), c.Handle)
            << c.Scale << " at " << at.x() << ", " << at.y();
        const QPoint knob(300, int(150 - 50 * c.Scale - 48));
        canvas_->SelectionTool().TestHitOnScene(knob.x(), knob.y(), canvas_->ViewMatrix());
        EXPECT_EQ(canvas_->SelectionTool().ActiveHandleId(), RotationKnob) << c.Scale;
    }
}

TEST_F(SceneMouse, ObjectsWithoutPlacementGetNoHandles) {
    TRObject* sound = project_->AddObject(CreateObjectOfType(project_.get(), otAudio));
    sound->SetTimeEnd(5000);
    TRSelectionTool& tool = canvas_->SelectionTool();
    tool.SetObject(sound);
    EXPECT_EQ(tool.ActiveObject(), nullptr);
    EXPECT_FALSE(tool.TestHitOnScene(300, 150, canvas_->ViewMatrix()));
    EXPECT_FALSE(tool.MouseMove(false, 400, 150, canvas_->ViewMatrix(), 300, 51));
}

} // namespace
