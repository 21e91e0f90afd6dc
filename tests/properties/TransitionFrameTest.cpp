// The transition frame: the kinds each side offers, the rows each kind shows, loading and
// writing a group with one undo step of the side's kind, the easing menu (an undone, recorded
// edit), a stored kind the list does not offer, and the span the play button asks for.
#include "FrameTestServices.h"
#include "core/IKAnimation.h"
#include "core/UREditorServices.h"
#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "core/ui/URColorButton.h"
#include "core/ui/URGPEditEx.h"
#include "objects/URObjectsRegistry.h"
#include "properties/ui/UFramePropTransition.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct Registered {
    Registered() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        RegisterPropertyFrames();
    }
};

class TransitionFrame : public ::testing::Test, private Registered {
protected:
    void SetUp() override {
        IKSetClock([this] { return now_; });
        services_.project = &project_;
        InstallEditorServices(&services_);
        project_.History_Init();
        object_ = project_.AddObject(CreateObjectOfType(&project_, otImage));
        ASSERT_NE(object_, nullptr);
        project_.History_AddInsertDelete(object_, undoInsert, undoIncrement);
    }
    void TearDown() override {
        now_ += 1;
        IKAnimationTick();
        InstallEditorServices(nullptr);
        InstallTransitionPlay(nullptr);
        IKSetClock(nullptr);
    }
    std::unique_ptr<TFramePropTransition> Frame(TRPropertyType side, TRObjectType type) {
        auto frame = std::make_unique<TFramePropTransition>();
        frame->SetSide(side, type);
        frame->Init();
        return frame;
    }
    void Show(TFramePropTransition& frame, TRPropTransition& group) {
        group.SetChecked(true);
        group.SetExpanded(true);
        frame.ShowProperties(object_, &group);
        frame.show();
        now_ += 0.5;
        IKAnimationTick();
    }
    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }
    std::size_t Records() { return project_.History().Records().size(); }

    double now_ = 50;
    TestServices services_;
    TRProject project_;
    TRObject* object_ = nullptr;
};

TEST_F(TransitionFrame, KindsOfEachSide) {
    const QStringList in = {"Custom",          "Circle Open", "Circle Close", "Rectangle Open",
                            "Rectangle Close", "Reveal",      "Slide",        "Flip",
                            "Radial Blur",     "Spin Blur",   "Pixelate",     "Dissolve",
                            "Genie",           "Swirl",       "Magnify",      "Fisheye Lens"};
    EXPECT_EQ(Items(Frame(ptTrIn, otImage)->NameBox()), in);
    const QStringList zoomIn = Items(Frame(ptTrIn, otZoomArea)->NameBox());
    EXPECT_EQ(zoomIn.size(), 17);
    EXPECT_EQ(zoomIn.first(), "Zoom In");
    QStringList out = in;
    out.replace(out.indexOf("Reveal"), "Wipe");
    EXPECT_EQ(Items(Frame(ptTrOut, otImage)->NameBox()), out);
    const QStringList object = Items(Frame(ptTransitionObj, otTransition)->NameBox());
    EXPECT_EQ(object.mid(0, 2), (QStringList{"Custom In", "Custom Out"}));
    EXPECT_TRUE(object.contains("Reveal"));
    EXPECT_FALSE(object.contains("Custom"));
    EXPECT_FALSE(object.contains("Wipe"));
}

TEST_F(TransitionFrame, RowsOfEachKind) {
    auto frame = Frame(ptTrIn, otImage);
    TRPropTransitionIn group;
    group.FName = "Magnify";
    Show(*frame, group);
    EXPECT_FALSE(frame->Row("pCenter")->isHidden());
    EXPECT_TRUE(frame->Row("pMovement")->isHidden());
    auto* parameter = frame->findChild<TRGPEditEx*>("edBorderSize");
    EXPECT_EQ(parameter->Caption()->text(), "Zoom");
    EXPECT_EQ(parameter->UM(), "%");
    group.FName = "Dissolve";
    frame->ShowProperties(object_, &group);
    for (const char* row :
         {"pDirection", "pMovement", "pCenter", "pborder", "pfade", "pType", "edScale"})
        EXPECT_TRUE(frame->Row(row)->isHidden()) << row;
    EXPECT_FALSE(parameter->isHidden());
    EXPECT_EQ(parameter->Caption()->text(), "Strength");
    EXPECT_EQ(parameter->UM(), "");
    group.FName = "Circle Open";
    group.FBorderType = 0; // "Alpha Gradient" needs no colour
    frame->ShowProperties(object_, &group);
    EXPECT_FALSE(frame->Row("pborder")->isHidden());
    EXPECT_FALSE(frame->ColorButton()->isVisibleTo(frame.get()));
}

TEST_F(TransitionFrame, ChangesWriteTheGroupWithOneUndoStepOfTheSide) {
    auto frame = Frame(ptTrOut, otImage);
    TRPropTransitionOut* group = object_->TrOut();
    ASSERT_NE(group, nullptr);
    group->FName = "Slide";
    group->FDirection = 3;
    project_.History_Init(); // undo goes back to the object as it is now
    project_.History_AddInsertDelete(object_, undoInsert, undoIncrement);
    Show(*frame, *group);
    EXPECT_TRUE(frame->DirectionButton(3)->isChecked());
    const auto before = Records();
    QTest::mouseClick(frame->DirectionButton(4), Qt::LeftButton);
    EXPECT_EQ(group->FDirection, 4);
    EXPECT_EQ(group->FName, "Slide");
    ASSERT_EQ(Records(), before + 1);
    EXPECT_EQ(project_.History().Records().back().UType, undoTransitionOut);
    project_.History_Undo();
    frame->ShowProperties(object_, object_->TrOut());
    EXPECT_TRUE(frame->DirectionButton(3)->isChecked());
}

TEST_F(TransitionFrame, EasingIsAnEditThatIsRecorded) {
    auto frame = Frame(ptTrIn, otImage);
    TRPropTransitionIn* group = object_->TrIn();
    group->FEase = 35; // out of range: shown as "Linear"
    Show(*frame, *group);
    EXPECT_EQ(frame->CheckedEase(), 0);
    EXPECT_TRUE(frame->EaseMenu()->actions().first()->isChecked());
    project_.SetModified(false);
    const auto before = Records();
    QMenu* cubic = frame->EaseMenu()->actions().at(4)->menu(); // Back, Bounce, Circ, Cubic
    ASSERT_NE(cubic, nullptr);
    cubic->actions().at(1)->trigger(); // Cubic Out
    EXPECT_EQ(group->FEase, 10);
    EXPECT_EQ(frame->CheckedEase(), 10);
    ASSERT_EQ(Records(), before + 1);
    EXPECT_EQ(project_.History().Records().back().UType, undoTransitionIn);
    EXPECT_TRUE(project_.Modified());
}

TEST_F(TransitionFrame, AnUnofferedKindIsKeptUntilTheUserPicksOne) {
    auto frame = Frame(ptTrIn, otImage);
    TRPropTransitionIn* group = object_->TrIn();
    group->FName = "Zoom In"; // only zoom areas offer it
    Show(*frame, *group);
    EXPECT_EQ(frame->NameBox()->currentIndex(), 0);
    frame->findChild<QSlider*>("trackCenterX")->setValue(50);
    EXPECT_EQ(group->FName, "Zoom In");
    EXPECT_FLOAT_EQ(group->FCenterX, 0.5f);
    frame->NameBox()->setCurrentIndex(2);
    Q_EMIT frame->NameBox()->activated(2);
    EXPECT_EQ(group->FName, "Circle Close");
}

TEST_F(TransitionFrame, PlayAsksForTheSpanOfTheSide) {
    object_->SetTimeStart(2000);
    object_->SetTimeEnd(7000);
    auto frame = Frame(ptTrOut, otImage);
    TRPropTransitionOut* group = object_->TrOut();
    group->FDuration = 500;
    Show(*frame, *group);
    std::pair<int, int> span{-1, -1};
    InstallTransitionPlay([&](std::int32_t start, std::int32_t end) { span = {start, end}; });
    QTest::mouseClick(frame->PlayButton(), Qt::LeftButton);
    EXPECT_EQ(span, (std::pair<int, int>{object_->TimeEnd() - 500, object_->TimeEnd()}));
}

} // namespace
