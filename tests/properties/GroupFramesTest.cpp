// The frames of the fill, border, text, text-layout and media-speed groups: a shown group shows
// its values, a user change writes it with exactly one undo record of the frame's kind, and the
// cases of each frame (styles per object type, the media list, time variables, speed limits).
#include "FrameTestServices.h"
#include "core/IKAnimation.h"
#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URProjectEdit.h"
#include "core/URPropMediaSpeed.h"
#include "core/URSettings.h"
#include "core/ui/URColorButton.h"
#include "core/ui/URDial.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URGradientBar.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropBackgroundBorder.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropText.h"
#include "objects/URPropTextPath.h"
#include "properties/ui/UFramePropBackgroundBorder.h"
#include "properties/ui/UFramePropMediaSpeed.h"
#include "properties/ui/UFramePropText.h"
#include "properties/ui/UFramePropTextPath.h"
#include "properties/ui/URBrushControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTextCursor>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct RegisteredGroups {
    RegisteredGroups() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
};

class GroupFrames : public ::testing::Test, private RegisteredGroups {
protected:
    void SetUp() override {
        IKSetClock([this] { return now_; });
        services_.project = &project_;
        InstallEditorServices(&services_);
        EditWarningHook = [](const QString& text) { Warnings().append(text); };
        Warnings().clear();
        project_.History_Init();
    }
    void TearDown() override {
        now_ += 1;
        IKAnimationTick();
        EditWarningHook = nullptr;
        InstallEditorServices(nullptr);
        IKSetClock(nullptr);
    }
    static QStringList& Warnings() {
        static QStringList warnings;
        return warnings;
    }
    std::size_t Records() { return project_.History().Records().size(); }
    TUndoType LastType() { return project_.History().Records().back().UType; }
    TRObject* Add(TRObjectType type, int start, int end) {
        TRObject* object = project_.AddObjectOfType(type);
        EXPECT_NE(object, nullptr);
        object->SetTrack(0);
        object->SetTimeStartField(start);
        object->SetTimeEnd(end);
        return object;
    }
    template <class Frame> void Show(Frame& frame, TRObject* object, TRPropBase* group) {
        frame.Init();
        frame.show();
        frame.ShowProperties(object, group);
        now_ += 1;
        IKAnimationTick();
    }

    double now_ = 10.0;
    TestServices services_;
    TRProject project_;
};

TEST_F(GroupFrames, FillShowsItsGroupAndWritesOneRecordPerChange) {
    TRObject* shape = Add(otShape, 0, 5000);
    auto* fill = shape->Get<TRPropBackgroundFill>(ptBackgroundFill);
    ASSERT_NE(fill, nullptr);
    fill->SetChecked(true);
    fill->FBrushStyle = brsGradientLinear;
    fill->FRotation = -45;
    fill->FOpacity = 0.5f;
    fill->FColors.SetColor(0, 0x0000FF, 0.337f, 0.25f);
    fill->FColors.SetColor(1, 0x00FF00, 0.9f, 1);
    TFramePropBackgroundFill frame;
    Show(frame, shape, fill);
    EXPECT_EQ(frame.Brush()->Style(), brsGradientLinear);
    EXPECT_EQ(frame.Brush()->AngleDial()->Value(), 45);
    EXPECT_TRUE(frame.Brush()->AngleDial()->isVisibleTo(&frame));
    EXPECT_FALSE(frame.Brush()->ColorButton()->isVisibleTo(&frame));
    EXPECT_EQ(frame.OpacityEdit()->Value(), 50);
    EXPECT_EQ(frame.Brush()->Track()->Position(0), 33);
    EXPECT_EQ(frame.Brush()->StopOpacity(0), 25);
    EXPECT_EQ(frame.Brush()->ColorButton()->Color(), QColor(255, 0, 0));
    // The stop-1 opacity menu marks 100 %.
    EXPECT_TRUE(frame.Brush()->OpacityMenu(1)->actions().last()->isChecked());
    // The fill's menu offers three styles.
    EXPECT_EQ(frame.Brush()->TypeMenu()->actions().size(), 3);

    const auto before = Records();
    frame.OpacityEdit()->TrackBar()->setValue(75);
    EXPECT_EQ(fill->FOpacity, 0.75f);
    EXPECT_EQ(fill->FRotation, -45.0f);
    // Positions are rounded down to whole per cent by any edit.
    EXPECT_EQ(fill->FColors.GetColor(0).Position, 0.33f);
    ASSERT_EQ(Records(), before + 1);
    EXPECT_EQ(LastType(), undoBackgroundFill);

    frame.Brush()->TypeMenu()->actions()[0]->trigger(); // "Solid Color"
    EXPECT_EQ(fill->FBrushStyle, brsSolid);
    EXPECT_TRUE(frame.Brush()->ColorButton()->isVisibleTo(&frame));
    EXPECT_FALSE(frame.Brush()->ColorPanel()->isVisibleTo(&frame));
}

TEST_F(GroupFrames, FillWithOtherThanTwoStopsIsGivenTheTwoOfTheFrame) {
    TRObject* shape = Add(otShape, 0, 5000);
    auto* fill = shape->Get<TRPropBackgroundFill>(ptBackgroundFill);
    fill->FColors.AddColor(0x123456, 0.5f, 1);
    TFramePropBackgroundFill frame;
    Show(frame, shape, fill);
    frame.Brush()->OpacityMenu(0)->actions()[3]->trigger(); // "50 %"
    ASSERT_EQ(fill->FColors.GetNrColors(), 2);
    EXPECT_EQ(fill->FColors.GetColor(0).Opacity, 0.5f);
    EXPECT_EQ(LastType(), undoBackgroundFill);
}

TEST_F(GroupFrames, BorderWritesItsStrokeWithTheBorderRecord) {
    TRObject* shape = Add(otShape, 0, 5000);
    auto* border = shape->Get<TRPropBackgroundBorder>(ptBackgroundBorder);
    ASSERT_NE(border, nullptr);
    border->SetChecked(true);
    border->FThickness = 7;
    border->FDashStyle = 3;
    border->FCapStyle = 2;
    border->FInflate = -10;
    border->FBlur = 4;
    TFramePropBackgroundBorder frame;
    Show(frame, shape, border);
    EXPECT_EQ(frame.ThicknessEdit()->Value(), 7);
    EXPECT_EQ(frame.DashCombo()->currentText(), "Dash Dot");
    EXPECT_EQ(frame.CapCombo()->currentText(), "Round");
    EXPECT_EQ(frame.InflateEdit()->Value(), -10);
    EXPECT_EQ(frame.BlurEdit()->Value(), 4);
    EXPECT_EQ(frame.Brush()->TypeButton()->toolTip(), "Solid Color");

    const auto before = Records();
    frame.BlurEdit()->TrackBar()->setValue(10);
    EXPECT_EQ(border->FBlur, 10.0f);
    EXPECT_EQ(border->FThickness, 7.0f);
    EXPECT_EQ(border->FDashStyle, 3);
    ASSERT_EQ(Records(), before + 1);
    EXPECT_EQ(LastType(), undoBackgroundBorder);
}

TEST_F(GroupFrames, TextOffersEraseBackgroundForTextObjectsOnly) {
    TRObject* text = Add(otText, 0, 5000);
    TFramePropText frame;
    frame.Init();
    const auto visibleStyles = [&frame] {
        int n = 0;
        for (QAction* item : frame.Brush()->TypeMenu()->actions())
            n += item->isVisible();
        return n;
    };
    EXPECT_EQ(visibleStyles(), 4); // an image's text
    frame.InitForObjectType(otText);
    EXPECT_EQ(visibleStyles(), 5);
    // No other picture, video or recording: the media list is empty and its style disabled.
    frame.show();
    frame.ShowProperties(text, text->Get<TRPropText>(ptText));
    EXPECT_EQ(frame.Bitmaps()->count(), 0);
    EXPECT_FALSE(frame.Brush()->TypeMenu()->actions()[3]->isEnabled());
}

TEST_F(GroupFrames, TextShowsItsGroupAndWritesTheWholeGroup) {
    TRObject* image = Add(otImage, 0, 5000);
    image->SetObjectName("Picture");
    TRObject* text = Add(otText, 0, 5000);
    auto* group = text->Get<TRPropText>(ptText);
    group->FText = "Hello";
    group->FFontSize = 64;
    group->FBold = true;
    group->FUnderline = true;
    group->FAlignmentH = 1;
    group->FAlignmentV = 0;
    group->FBrushStyle = brsMediaLibrary;
    group->SetMediaSource(otImage, image->ObjectId());
    TFramePropText frame;
    frame.InitForObjectType(otText);
    Show(frame, text, group);
    EXPECT_EQ(frame.TextEdit()->toPlainText(), "Hello");
    EXPECT_EQ(frame.SizeEdit()->Value(), 64);
    EXPECT_TRUE(frame.StyleButton(0)->isChecked());
    EXPECT_FALSE(frame.StyleButton(1)->isChecked());
    EXPECT_TRUE(frame.AlignButton(2)->isChecked()); // right
    EXPECT_TRUE(frame.VAlignButton(0)->isChecked());
    ASSERT_EQ(frame.Bitmaps()->count(), 1);
    EXPECT_EQ(frame.Bitmaps()->currentText(), "Picture");
    EXPECT_TRUE(frame.Bitmaps()->isVisibleTo(&frame));
    EXPECT_TRUE(frame.UnderlineColor()->isVisibleTo(&frame));
    EXPECT_FALSE(frame.OutlineColor()->isVisibleTo(&frame)) << "outline width 0";

    const auto before = Records();
    frame.StyleButton(1)->click();
    EXPECT_TRUE(group->FItalic);
    EXPECT_EQ(group->FText, "Hello");
    EXPECT_EQ(group->FAlignmentH, 1);
    EXPECT_EQ(group->MediaId(), image->ObjectId());
    ASSERT_EQ(Records(), before + 1);
    EXPECT_EQ(LastType(), undoText);

    // Erasing the background hides underline and strikethrough with their colours.
    frame.Brush()->TypeMenu()->actions()[4]->trigger();
    EXPECT_EQ(group->FBrushStyle, brsEraseBackGround);
    EXPECT_FALSE(frame.StyleButton(2)->isVisibleTo(&frame));
    EXPECT_FALSE(frame.UnderlineColor()->isVisibleTo(&frame));
    EXPECT_FALSE(frame.StyleButton(3)->isVisibleTo(&frame));
}

TEST_F(GroupFrames, AddVariableReplacesTheSelection) {
    TRObject* text = Add(otText, 0, 5000);
    auto* group = text->Get<TRPropText>(ptText);
    group->FText = "Left: XX";
    TFramePropText frame;
    Show(frame, text, group);
    QTextCursor cursor = frame.TextEdit()->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    frame.TextEdit()->setTextCursor(cursor);
    ASSERT_EQ(frame.TagMenu()->actions().size(), 6);
    EXPECT_EQ(frame.TagMenu()->actions()[4]->text(), "Time Remaining [ms]\t00:00:000");
    frame.TagMenu()->actions()[4]->trigger();
    EXPECT_EQ(group->FText, "Left: <$trms>");
    EXPECT_EQ(LastType(), undoText);
}

TEST_F(GroupFrames, UseTextColorChoosesTheTextFillForTheUnderline) {
    TRObject* text = Add(otText, 0, 5000);
    auto* group = text->Get<TRPropText>(ptText);
    group->FUnderline = true;
    group->FUnderlineTC = false;
    TFramePropText frame;
    Show(frame, text, group);
    QAction* automatic = frame.UnderlineColor()->Gallery()->actions().constFirst();
    EXPECT_EQ(automatic->text(), "Use Text Color");
    automatic->trigger();
    EXPECT_TRUE(group->FUnderlineTC);
    frame.UnderlineColor()->SetColor(QColor(0, 0, 255));
    EXPECT_FALSE(group->FUnderlineTC);
    EXPECT_EQ(group->FUnderlineColor, 0xFF0000u);
}

TEST_F(GroupFrames, TextLayoutWritesPathAndMargins) {
    TRObject* text = Add(otText, 0, 5000);
    auto* path = text->Get<TRPropTextPath>(ptTextPath);
    ASSERT_NE(path, nullptr);
    path->FPathType = 0;
    path->FAdjust = 0.3f;
    path->FMLeft = 12;
    TFramePropTextPath frame;
    Show(frame, text, path);
    EXPECT_EQ(frame.PathCombo()->currentText(), "Line");
    EXPECT_EQ(frame.PathCombo()->itemText(1), "Bézier curve ");
    EXPECT_EQ(frame.AdjustTrack()->value(), 30);
    EXPECT_FALSE(frame.AdjustTrack()->isEnabled()) << "a line has no bend";
    EXPECT_EQ(frame.MarginEdit(0)->Value(), 12);

    const auto before = Records();
    frame.MarginEdit(3)->TrackBar()->setValue(25);
    EXPECT_EQ(path->FMBottom, 25.0f);
    EXPECT_EQ(path->FAdjust, 0.3f) << "a disabled bend keeps its value";
    ASSERT_EQ(Records(), before + 1);
    EXPECT_EQ(LastType(), undoTextPath);
}

TEST_F(GroupFrames, MediaSpeedAppliesOrRefusesWithOneRecordEitherWay) {
    TRObject* video = Add(otVideo, 0, 10000);
    TRObject* next = Add(otVideo, 12000, 15000);
    ASSERT_NE(next, nullptr);
    TRPropMediaSpeed* speed = video->MediaSpeed();
    TFramePropMediaSpeed frame;
    Show(frame, video, speed);
    EXPECT_EQ(frame.SpeedEdit()->Value(), 100);
    EXPECT_FALSE(frame.PreservePitch()->isEnabled()) << "normal speed keeps its pitch anyway";
    EXPECT_TRUE(frame.PreservePitch()->isChecked());

    // 50 % would need 20 s before the next clip at 12 s: refused, the old speed shows again,
    // and the change is still recorded.
    const auto before = Records();
    frame.SpeedEdit()->TrackBar()->setValue(50);
    EXPECT_EQ(speed->Speed(), 1000);
    EXPECT_EQ(frame.SpeedEdit()->Value(), 100);
    EXPECT_EQ(video->TimeEnd(), 10000);
    EXPECT_FALSE(Warnings().isEmpty());
    ASSERT_EQ(Records(), before + 1);
    EXPECT_EQ(LastType(), undoMediaSpeed);

    // 243 % snaps to 250 % and is stored per mille; the clip becomes 4 s long. The record of
    // the same object and kind takes the new state.
    frame.SpeedEdit()->TrackBar()->setValue(243);
    EXPECT_EQ(speed->Speed(), 2500);
    EXPECT_EQ(video->TimeEnd(), 4000);
    EXPECT_TRUE(frame.PreservePitch()->isEnabled());
    EXPECT_EQ(Records(), before + 1);
    EXPECT_EQ(LastType(), undoMediaSpeed);
    EXPECT_TRUE(project_.History().Records().back().UMStream.contains("Speed=\"2500\""));

    frame.PreservePitch()->click();
    EXPECT_FALSE(speed->PreservePitch());
    EXPECT_EQ(speed->Speed(), 2500);
}

} // namespace
