// The shape frame: the kinds each object type offers, loading a group (an unknown kind, the
// balloons' dial, kinds without adjust), the one undo step per change, the balloon angle
// mapping; and the shape icons drawn into the editor's image lists.
#include "FrameTestServices.h"
#include "core/IKAnimation.h"
#include "core/UREditorServices.h"
#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/ui/URDial.h"
#include "core/ui/URGPPanelEx.h"
#include "graphics/URDX12Base.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropShape.h"
#include "objects/URShapeIcons.h"
#include "objects/URShapeKinds.h"
#include "properties/ui/UFramePropShape.h"
#include "properties/ui/URGalleryMenu.h"
#include "properties/ui/URShapeImageLists.h"

#include <QAction>
#include <QMenu>
#include <QSlider>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class ShapeFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        IKSetClock([this] { return now_; });
        services_.project = &project_;
        InstallEditorServices(&services_);
        project_.History_Init();
        object_ = project_.AddObjectOfType(otShape);
        ASSERT_NE(object_, nullptr);
        group_ = object_->Get<TRPropShape>(ptShape, true);
        ASSERT_NE(group_, nullptr);
    }
    void TearDown() override {
        now_ += 1;
        IKAnimationTick();
        InstallEditorServices(nullptr);
        IKSetClock(nullptr);
    }
    std::size_t Records() { return project_.History().Records().size(); }
    void Show(TFramePropShape& frame) {
        frame.show();
        frame.ShowProperties(object_, group_);
    }
    // Chooses the gallery item of kind `name` as a click does.
    static void Choose(TFramePropShape& frame, const char* name) {
        for (int i = 0; i < frame.Gallery()->ItemCount(); ++i)
            if (frame.Gallery()->Hint(i) == QLatin1String(name))
                return frame.Gallery()->Choose(i);
        FAIL() << name << " not offered";
    }

    double now_ = 50.0;
    TestServices services_;
    TRProject project_;
    TRObject* object_ = nullptr;
    TRPropShape* group_ = nullptr;
};

TEST_F(ShapeFrameTest, KindsOfferedPerObjectType) {
    const struct {
        TRObjectType type;
        int count;
        const char* first;
        const char* last;
    } cases[] = {
        {otProject, 7, "Rectangle AB", "Bottom RL"},
        {otKeystroke, 15, "Rectangle", "Bottom RL"},
        {otSketch, 36, "Rectangle", "Cross"},
        {otShape, 34, "Rectangle", "Arrow"},
    };
    for (const auto& c : cases) {
        TFramePropShape frame;
        frame.Init(c.type);
        const TRGalleryMenu* gallery = frame.Gallery();
        ASSERT_EQ(gallery->ItemCount(), c.count) << int(c.type);
        EXPECT_EQ(gallery->Hint(0), c.first);
        EXPECT_EQ(gallery->Hint(c.count - 1), c.last);
        // An item's image is its kind's catalogue row.
        for (int i = 0; i < c.count; ++i)
            EXPECT_STREQ(ShapeKinds[gallery->ImageIndex(i)].Name,
                         gallery->Hint(i).toLatin1().constData());
        EXPECT_FALSE(frame.Panel()->Expanded());
    }
}

TEST_F(ShapeFrameTest, AnUnknownKindSelectsTheFirstItemAndLeavesTheGroup) {
    TFramePropShape frame;
    frame.Init(otText);
    group_->FShapeName = "Line"; // not offered for text
    group_->FRoundness = 0.3f;
    const auto before = Records();
    Show(frame);
    EXPECT_EQ(frame.Gallery()->SelectedIndex(), 0);
    EXPECT_EQ(frame.ShapeButton()->toolTip(), "Rectangle");
    EXPECT_EQ(frame.Roundness()->value(), 30);
    EXPECT_EQ(group_->FShapeName, "Line");
    EXPECT_FLOAT_EQ(group_->FRoundness, 0.3f);
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(services_.repaints, 0);
    // The next change writes the first item's kind.
    frame.Roundness()->setValue(20);
    EXPECT_EQ(group_->FShapeName, "Rectangle");
    EXPECT_FLOAT_EQ(group_->FRoundness, 0.2f);
}

TEST_F(ShapeFrameTest, BalloonsTurnTheDial) {
    TFramePropShape frame;
    frame.Init(otShape);
    Show(frame);
    Choose(frame, "Balloon E");
    EXPECT_EQ(group_->FShapeName, "Balloon E");
    EXPECT_TRUE(frame.Roundness()->isHidden());
    EXPECT_FALSE(frame.Angle()->isHidden());
    EXPECT_EQ(frame.Angle()->toolTip(), "Angle");
    const struct {
        int degrees;
        float roundness;
    } corners[] = {{135, 0}, {225, 0.125f}, {315, 0.25f}, {45, 0.375f}};
    for (const auto& c : corners) {
        frame.Angle()->SetValue(c.degrees);
        EXPECT_FLOAT_EQ(group_->FRoundness, c.roundness) << c.degrees;
    }
    // The dial's menu offers the eight directions; its 0 degrees is the top-left half-way.
    QMenu* presets = frame.Angle()->PresetMenu();
    ASSERT_EQ(presets->actions().size(), 8);
    presets->actions()[0]->trigger();
    EXPECT_FLOAT_EQ(group_->FRoundness, 0.3125f);
    // Loading a balloon shows its tail position on the dial.
    group_->FRoundness = 0.0625f;
    frame.ShowProperties(object_, group_);
    EXPECT_EQ(frame.Angle()->Value(), 180);
}

TEST_F(ShapeFrameTest, BalloonAngleMapping) {
    const struct {
        double roundness;
        int degrees;
    } cases[] = {{0, 135},      {0.0625, 180}, {0.125, 225}, {0.25, 315},
                 {0.3125, 360}, {0.375, 45},   {0.5, 135}};
    for (const auto& c : cases)
        EXPECT_EQ(BalloonAngle(c.roundness, -1), c.degrees) << c.roundness;
    EXPECT_EQ(BalloonAngle(0.6, 77), 77);
    EXPECT_EQ(BalloonAngle(-0.1, 77), 77);
    EXPECT_DOUBLE_EQ(BalloonRoundness(0), 0.3125);
    EXPECT_DOUBLE_EQ(BalloonRoundness(360), 0.3125);
    EXPECT_DOUBLE_EQ(BalloonRoundness(90), 0.4375);
    EXPECT_DOUBLE_EQ(BalloonRoundness(134), 0.375 + 89 * 0.125 / 90);
}

TEST_F(ShapeFrameTest, KindsWithoutAdjustHideSliderAndDialAndKeepTheRoundness) {
    TFramePropShape frame;
    frame.Init(otShape);
    group_->FRoundness = 0.17f;
    Show(frame);
    const auto before = Records();
    Choose(frame, "Hexagon");
    EXPECT_EQ(group_->FShapeName, "Hexagon");
    EXPECT_FLOAT_EQ(group_->FRoundness, 0.17f);
    EXPECT_TRUE(frame.Roundness()->isHidden());
    EXPECT_TRUE(frame.Angle()->isHidden());
    EXPECT_EQ(Records(), before + 1);
    // Back to a kind with adjust: the track bar shows again with the kind's caption.
    Choose(frame, "Star");
    EXPECT_FALSE(frame.Roundness()->isHidden());
    EXPECT_EQ(frame.Roundness()->toolTip(), "Adjust");
    EXPECT_FLOAT_EQ(group_->FRoundness, 0.17f);
}

TEST_F(ShapeFrameTest, AChangeRecordsExactlyOneUndoShapeStep) {
    TFramePropShape frame;
    frame.Init(otShape);
    Show(frame);
    const auto before = Records();
    Choose(frame, "Star");
    ASSERT_EQ(Records(), before + 1);
    const TUndoRec& record = project_.History().Records().back();
    EXPECT_EQ(record.UType, undoShape);
    EXPECT_TRUE(record.UMStream.contains("ShapeName=\"Star\""));
    EXPECT_EQ(services_.repaints, 1);
    // The adjust menu sets the track bar to half its percentage: "100%" is 50, roundness 0.5.
    frame.AdjustMenu()->actions().back()->trigger();
    EXPECT_EQ(frame.Roundness()->value(), 50);
    EXPECT_FLOAT_EQ(group_->FRoundness, 0.5f);
    EXPECT_EQ(Records(), before + 1); // merged with the step before
    // Loading writes nothing.
    frame.ShowProperties(object_, group_);
    EXPECT_EQ(services_.repaints, 2);
    EXPECT_EQ(Records(), before + 1);
}

TEST_F(ShapeFrameTest, NothingIsWrittenWithoutAnActiveProject) {
    TFramePropShape frame;
    frame.Init(otShape);
    Show(frame);
    InstallEditorServices(nullptr);
    Choose(frame, "Star");
    EXPECT_EQ(group_->FShapeName, "Rectangle");
}

TEST_F(ShapeFrameTest, FramesOfTheShapeAndMaskGroups) {
    RegisterPropertyFrames();
    QWidget page;
    for (TRPropertyType type : {ptShape, ptMask}) {
        auto* frame = dynamic_cast<TFramePropShape*>(CreatePropertyFrame(type, &page));
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->Gallery()->ItemCount(), 34);
    }
}

// ---- the icons ----

class ShapeIconsTest : public ::testing::Test {
protected:
    void SetUp() override { InitDX(); }
    void TearDown() override { ShapeImageLists() = {}; }
};

QImage IconImage(const QList<QIcon>& list, int index, QSize size) {
    return list[index].pixmap(size).toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(ShapeIconsTest, OneIconPerKindAppendedToTheList) {
    QList<QIcon> filled, outlined;
    RenderShapeIcons(filled, 24, 20, true, QColor(10, 20, 30));
    RenderShapeIcons(outlined, 24, 20, false, QColor(10, 20, 30));
    ASSERT_EQ(filled.size(), 36);
    ASSERT_EQ(outlined.size(), 36);
    const QSize size(24, 20);
    // The background is opaque; a filled icon's inside is white at half opacity over it.
    const QImage rectangle = IconImage(filled, 0, size);
    EXPECT_EQ(rectangle.pixel(0, 0), qRgb(10, 20, 30));
    const QRgb inside = rectangle.pixel(12, 10);
    EXPECT_NEAR(qRed(inside), (10 + 255) / 2, 2);
    EXPECT_NEAR(qBlue(inside), (30 + 255) / 2, 2);
    EXPECT_EQ(IconImage(outlined, 0, size).pixel(12, 10), qRgb(10, 20, 30));
    // "Line" and "Arrow" are outlines in the filled list too: the same pictures.
    for (int row : {32, 33})
        EXPECT_EQ(IconImage(filled, row, size), IconImage(outlined, row, size)) << row;
    // The outline is white at 0.7 along the middle of the line.
    const QRgb line = IconImage(filled, 32, size).pixel(12, 10);
    EXPECT_GT(qRed(line), 150);
    // A second call appends after the icons already there.
    RenderShapeIcons(filled, 24, 20, true, QColor(10, 20, 30));
    ASSERT_EQ(filled.size(), 72);
    EXPECT_EQ(IconImage(filled, 36, size), IconImage(filled, 0, size));
}

TEST_F(ShapeIconsTest, TheEditorsFourLists) {
    CreateShapeIcons();
    const TRShapeImageLists& lists = ShapeImageLists();
    for (const QList<QIcon>* list : {&lists.ShapeIconImageList, &lists.ShapeSketchImageList,
                                     &lists.ShapeIconLargeList, &lists.ShapeSketchLargeList})
        EXPECT_EQ(list->size(), 36);
    EXPECT_EQ(lists.ShapeIconImageList[0].availableSizes().value(0), QSize(20, 14));
    EXPECT_EQ(lists.ShapeIconLargeList[0].availableSizes().value(0), QSize(24, 20));
    // The frame shows the kind's small icon on its type button.
    TFramePropShape frame;
    frame.Init(otShape);
    TRPropShape group;
    group.FShapeName = "Star";
    TRProject project;
    frame.ShowProperties(&project, &group);
    EXPECT_EQ(frame.ShapeButton()->icon().pixmap(QSize(20, 14)).toImage(),
              lists.ShapeIconImageList[16].pixmap(QSize(20, 14)).toImage());
}

TEST_F(ShapeIconsTest, NothingIsAddedWithoutADeviceContext) {
    const auto saved = D2DContext;
    D2DContext = nullptr;
    QList<QIcon> list;
    RenderShapeIcons(list, 24, 20, true, Qt::black);
    D2DContext = saved;
    EXPECT_TRUE(list.isEmpty());
}

} // namespace
