// The timing dialog: the shortest length from keyframes and transitions, the free gap around
// the object on its track, the typed times held inside both, the four buttons, and every time
// given back to the millisecond.
#include "core/UREditorServices.h"
#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URGlyphs.h"
#include "editor/ui/URTiming.h"
#include "objects/URObjectsRegistry.h"

#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class TActiveProject : public TREditorServices {
public:
    TRProject* Project = nullptr;
    TRProject* ActiveProject() const override { return Project; }
    void RepaintScene() override {}
};

// An object the timeline may move but not resize.
class TFixedLength : public TRObject {
public:
    explicit TFixedLength(TRProject* project) : TRObject(project, otShape) {
        SetFlags(true, false, true, true);
    }
};

QTime At(int ms) {
    return QTime::fromMSecsSinceStartOfDay(ms);
}

class TimingDialog : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
    void SetUp() override {
        project_.SetTimeEnd(10000);
        services_.Project = &project_;
        InstallEditorServices(&services_);
        // Track 0: A 0..1000, B 2000..3000, C 5000..6000; track 1 spans them all.
        a_ = Add(0, 0, 1000);
        b_ = Add(0, 2000, 3000);
        c_ = Add(0, 5000, 6000);
        Add(1, 1000, 9000);
        // The dialog times an object the user selected, never the project.
        project_.SelectedObject = b_;
    }
    void TearDown() override { InstallEditorServices(nullptr); }

    TRObject* Add(int track, int start, int end, std::unique_ptr<TRObject> object = nullptr) {
        if (!object)
            object = std::make_unique<TRObject>(&project_, otShape);
        object->SetTrack(track);
        object->SetTimeStartField(start);
        object->SetTimeEnd(end);
        // Without transitions the shortest length is 100 ms.
        object->TrIn()->SetChecked(false);
        object->TrOut()->SetChecked(false);
        return project_.AddObject(std::move(object));
    }

    TRProject project_;
    TActiveProject services_;
    TRObject* a_ = nullptr;
    TRObject* b_ = nullptr;
    TRObject* c_ = nullptr;
    TRTiming dialog_;
};

TEST_F(TimingDialog, TheShortestLengthComesFromKeyframesAndCheckedTransitions) {
    struct Case {
        bool in, out;
        int keyframe; // ms from the start of the object, 0 for none
        int minimum;
    };
    const Case cases[] = {
        {true, true, 0, 1200}, {false, true, 0, 700},    {false, false, 0, 100},
        {true, false, 0, 500}, {true, true, 2000, 2100}, {false, false, 2000, 2100},
    };
    for (const Case& c : cases) {
        TRObject object(&project_, otShape);
        object.SetTimeEnd(5000);
        object.TrIn()->SetChecked(c.in);
        object.TrIn()->FDuration = 500;
        object.TrOut()->SetChecked(c.out);
        object.TrOut()->FDuration = 700;
        if (c.keyframe)
            object.AddNewTransformation(c.keyframe);
        EXPECT_EQ(TRTiming::MinimumLength(object), c.minimum)
            << c.in << c.out << " keyframe " << c.keyframe;
    }
}

TEST_F(TimingDialog, LimitsAreTheGapAroundTheObjectOnItsOwnTrack) {
    struct Case {
        TRObject* object;
        int minStart, maxEnd;
    };
    for (const Case& c : {Case{a_, 0, 2000}, Case{b_, 1000, 5000}, Case{c_, 3000, 10000}}) {
        ASSERT_TRUE(dialog_.Prepare(c.object));
        EXPECT_EQ(dialog_.MinStart(), c.minStart);
        EXPECT_EQ(dialog_.MaxEnd(), c.maxEnd);
        EXPECT_EQ(dialog_.TimeStart(), c.object->TimeStart());
        EXPECT_EQ(dialog_.TimeEnd(), c.object->TimeEnd());
        EXPECT_EQ(dialog_.CrtDuration(), 1000);
        EXPECT_EQ(dialog_.windowTitle(), c.object->ObjectName());
    }
}

TEST_F(TimingDialog, NothingToTimeGivesFalse) {
    EXPECT_FALSE(dialog_.Prepare(nullptr));
    project_.SelectedObject = &project_;
    EXPECT_FALSE(dialog_.Prepare(b_));
    project_.SelectedObject = b_;
    services_.Project = nullptr;
    EXPECT_FALSE(dialog_.Prepare(b_));
}

// Each row opens the dialog on B (1000..5000 free, 1000 long, at least 100 ms), changes one
// thing as the user would and reads both boxes.
TEST_F(TimingDialog, TypedTimesAndButtonsStayInsideTheLimits) {
    struct Case {
        const char* name;
        bool fixed;
        std::function<void(TRTiming&)> act;
        int start, end;
    };
    const auto typeStart = [](int ms) {
        return [ms](TRTiming& d) { d.edTimeStart->setTime(At(ms)); };
    };
    const auto typeEnd = [](int ms) { return [ms](TRTiming& d) { d.edTimeEnd->setTime(At(ms)); }; };
    const auto click = [](QToolButton* TRTiming::*button) {
        return [button](TRTiming& d) { QTest::mouseClick(d.*button, Qt::LeftButton); };
    };
    const Case cases[] = {
        {"start before the gap", false, typeStart(500), 1000, 3000},
        {"start over the minimum", false, typeStart(2950), 2900, 3000},
        {"start inside", false, typeStart(1500), 1500, 3000},
        {"end past the next object", false, typeEnd(6000), 2000, 5000},
        {"end under the minimum", false, typeEnd(2050), 2000, 2100},
        {"fixed: start moves the end", true, typeStart(2500), 2500, 3500},
        {"fixed: pulled back to meet C", true, typeStart(4500), 4000, 5000},
        {"fixed: start before the gap", true, typeStart(200), 1000, 2000},
        {"Move Left", false, click(&TRTiming::btnMoveLeft), 1000, 2000},
        {"Move Right", false, click(&TRTiming::btnMoveRight), 4000, 5000},
        {"Extend Left", false, click(&TRTiming::btnExtendLeft), 1000, 3000},
        {"Extend Right", false, click(&TRTiming::btnExtendRight), 2000, 5000},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(dialog_.Prepare(b_));
        if (c.fixed)
            QTest::mouseClick(dialog_.btnFixedDuration, Qt::LeftButton);
        c.act(dialog_);
        EXPECT_EQ(dialog_.TimeStart(), c.start) << c.name;
        EXPECT_EQ(dialog_.TimeEnd(), c.end) << c.name;
    }
}

TEST_F(TimingDialog, ExtendingChangesTheLengthTheMoveButtonsKeep) {
    ASSERT_TRUE(dialog_.Prepare(b_));
    QTest::mouseClick(dialog_.btnExtendLeft, Qt::LeftButton);
    EXPECT_EQ(dialog_.CrtDuration(), 2000);
    QTest::mouseClick(dialog_.btnMoveRight, Qt::LeftButton);
    EXPECT_EQ(dialog_.TimeStart(), 3000);
    EXPECT_EQ(dialog_.TimeEnd(), 5000);
    // Typing never changes the length the Move buttons use.
    dialog_.edTimeEnd->setTime(At(4000));
    QTest::mouseClick(dialog_.btnMoveLeft, Qt::LeftButton);
    EXPECT_EQ(dialog_.TimeStart(), 1000);
    EXPECT_EQ(dialog_.TimeEnd(), 3000);
}

TEST_F(TimingDialog, FirstObjectMovesToZeroAndLastExtendsToTheProjectEnd) {
    ASSERT_TRUE(dialog_.Prepare(a_));
    QTest::mouseClick(dialog_.btnMoveRight, Qt::LeftButton);
    QTest::mouseClick(dialog_.btnMoveLeft, Qt::LeftButton);
    EXPECT_EQ(dialog_.TimeStart(), 0);
    ASSERT_TRUE(dialog_.Prepare(c_));
    QTest::mouseClick(dialog_.btnExtendRight, Qt::LeftButton);
    EXPECT_EQ(dialog_.TimeEnd(), 10000);
}

TEST_F(TimingDialog, AnObjectThatCannotBeResizedOnlyMoves) {
    TRObject* fixed = Add(2, 3000, 4500, std::make_unique<TFixedLength>(&project_));
    ASSERT_TRUE(dialog_.Prepare(fixed));
    EXPECT_TRUE(dialog_.btnFixedDuration->isChecked());
    EXPECT_FALSE(dialog_.btnFixedDuration->isEnabled());
    EXPECT_EQ(dialog_.btnFixedDuration->GlyphIndex(), GlyphFixedDuration);
    EXPECT_FALSE(dialog_.edTimeEnd->isEnabled());
    EXPECT_FALSE(dialog_.btnExtendLeft->isEnabled());
    EXPECT_FALSE(dialog_.btnExtendRight->isEnabled());
    EXPECT_EQ(dialog_.MinDuration(), 1500);
    dialog_.edTimeStart->setTime(At(9000));
    EXPECT_EQ(dialog_.TimeStart(), 8500);
    EXPECT_EQ(dialog_.TimeEnd() - dialog_.TimeStart(), 1500);
    QTest::mouseClick(dialog_.btnMoveLeft, Qt::LeftButton);
    EXPECT_EQ(dialog_.TimeStart(), 0);
    EXPECT_EQ(dialog_.TimeEnd(), 1500);
}

TEST_F(TimingDialog, KeysStepTheFocusedSectionWithinTheLimits) {
    ASSERT_TRUE(dialog_.Prepare(b_));
    dialog_.edTimeEnd->setCurrentSection(QDateTimeEdit::SecondSection);
    QTest::keyClick(dialog_.edTimeEnd, Qt::Key_Up);
    EXPECT_EQ(dialog_.TimeEnd(), 4000);
    QTest::keyClick(dialog_.edTimeEnd, Qt::Key_Up);
    QTest::keyClick(dialog_.edTimeEnd, Qt::Key_Up);
    EXPECT_EQ(dialog_.TimeEnd(), 5000);
}

TEST_F(TimingDialog, SaveGivesBackUnchangedTimesExactlyAndCancelGivesFalse) {
    // 5500 ms is not a whole frame; an unchanged box still gives it back to the millisecond.
    TRObject* odd = Add(3, 0, 9000);
    odd->SetTimeStartField(5500);
    odd->SetTimeEnd(7000);
    QTimer::singleShot(0, &dialog_, [this] { dialog_.btnSave->click(); });
    EXPECT_TRUE(dialog_.Execute(odd));
    EXPECT_EQ(dialog_.Tag, 1);
    EXPECT_EQ(dialog_.TimeStart(), 5500);
    EXPECT_EQ(dialog_.TimeEnd(), 7000);
    QTimer::singleShot(0, &dialog_, [this] { dialog_.btnCancel->click(); });
    EXPECT_FALSE(dialog_.Execute(odd));
    EXPECT_EQ(dialog_.Tag, 0);
}

} // namespace
