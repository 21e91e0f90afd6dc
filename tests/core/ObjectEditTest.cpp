// Editing one object: the split and trim tests at their limits, the cut with its keyframes and
// media window, the speed change, transition and keyframe drags, and move, resize and align.

#include "CoreTestEnvironment.h"
#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"

namespace {

class ObjectEditTest : public CoreTestEnvironment {
protected:
    void SetUp() override {
        CoreTestEnvironment::SetUp();
        RegisterEngineKinds();
        project_ = std::make_unique<TRProject>();
    }

    TRObject* Clip(std::int32_t start, std::int32_t end, TRObjectType type = otShape) {
        TRObject* object = project_->AddObject(CreateObjectOfType(project_.get(), type));
        object->SetTimeStartField(start);
        object->SetTimeEnd(end);
        project_->UpdateTimeEnd();
        return object;
    }

    // Keyframes at 1000 and 3000 ms, each animated over 500 ms.
    TRObject* KeyframedClip() {
        TRObject* clip = Clip(0, 5000);
        for (std::int32_t time : {1000, 3000}) {
            clip->AddNewTransformation(time);
            clip->TransformationAt(clip->Transformations().size() - 1).AnimateDuration = 500;
        }
        return clip;
    }

    TRPropPlacement* Placement(TRObject* object) {
        return object->Get<TRPropPlacement>(ptPlacement, true);
    }

    std::unique_ptr<TRProject> project_;
};

TEST_F(ObjectEditTest, SplitAndTrimTestsAtTheirLimits) {
    TRObject* clip = Clip(0, 1000);
    struct Case {
        std::int32_t Playhead;
        bool Split, TrimEnd, TrimFront, SplitAll, TrimEndAll, TrimFrontAll;
    };
    const Case cases[] = {
        {500, true, true, true, true, true, true},
        {499, false, false, true, false, false, true},
        {1000, false, false, false, true, true, false},
        {0, false, false, false, true, true, true},
        {2000, false, false, false, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Playhead);
        clip->SetTimePosition(c.Playhead);
        EXPECT_EQ(clip->CanSplitAtPlayhead(), c.Split);
        EXPECT_EQ(clip->CanTrimEnd(), c.TrimEnd);
        EXPECT_EQ(clip->CanTrimFront(), c.TrimFront);
        EXPECT_EQ(clip->CanSplitAll(false), c.SplitAll);
        EXPECT_EQ(clip->CanTrimEndAll(), c.TrimEndAll);
        EXPECT_EQ(clip->CanTrimFrontAll(), c.TrimFrontAll);
    }
    // Inside a keyframe animation nothing cuts the clip; a clip the playhead misses still
    // lets the whole project be cut.
    TRObject* animated = KeyframedClip();
    animated->SetTimePosition(2800);
    EXPECT_TRUE(animated->InAnimation());
    EXPECT_FALSE(animated->CanSplitAtPlayhead());
    EXPECT_FALSE(animated->CanSplitAll(false));
    animated->SetTimePosition(6000);
    EXPECT_TRUE(animated->CanSplitAll(false));
}

TEST_F(ObjectEditTest, TrimsKeepTheirKeyframesAndMediaWindow) {
    TRObject* front = KeyframedClip();
    front->SetMediaStart(0);
    front->SetMediaEnd(5000);
    front->TrIn()->SetChecked(true);
    front->TrimWithDeleteObject(1500, false);
    EXPECT_EQ(front->TimeStart(), 1500);
    ASSERT_EQ(front->Transformations().size(), 2u);
    EXPECT_EQ(front->Transformations()[0].Time, 0);
    EXPECT_EQ(front->Transformations()[0].AnimateDuration, 0);
    EXPECT_EQ(front->Transformations()[1].Time, 1500);
    EXPECT_FALSE(front->TrIn()->Checked());
    EXPECT_EQ(front->MediaStart(), 1500);

    TRObject* end = KeyframedClip();
    end->SetMediaEnd(5000);
    end->MediaSpeed()->SetSpeed(2000);
    end->TrOut()->SetChecked(true);
    end->SetTimePosition(2000);
    end->TrimWithDeleteObject(2000, true);
    EXPECT_EQ(end->TimeEnd(), 2000);
    EXPECT_EQ(end->Transformations().size(), 2u);
    EXPECT_FALSE(end->TrOut()->Checked());
    EXPECT_EQ(end->MediaEnd(), 4000); // 2 s of project time at double speed
}

TEST_F(ObjectEditTest, SpeedChangeRescalesTheTiming) {
    TRObject* clip = Clip(0, 6000, otVideo);
    clip->TrIn()->SetChecked(true);
    clip->TrIn()->FDuration = 150;
    clip->AddNewTransformation(2000);
    clip->ChangeSpeedFromProperties(2000);
    EXPECT_EQ(clip->TimeEnd(), 3000);
    EXPECT_EQ(clip->TrIn()->FDuration, 100); // 75, snapped to 67, raised to 100
    EXPECT_EQ(clip->Transformations()[1].Time, 1000);
    clip->ChangeSpeedFromProperties(0);
    EXPECT_EQ(clip->TimeEnd(), 3000);
}

TEST_F(ObjectEditTest, TransitionAndKeyframeDragsStopAtTheirLimits) {
    TRObject* clip = Clip(1000, 6000);
    clip->TrIn()->SetChecked(true);
    EXPECT_FALSE(clip->TestAndSetTrInEndTime(1099));
    EXPECT_TRUE(clip->TestAndSetTrInEndTime(1100));
    EXPECT_EQ(clip->TrIn()->FDuration, 100);
    clip->TrOut()->SetChecked(true);
    clip->TrOut()->FDuration = 1000;
    EXPECT_FALSE(clip->TestAndSetTrInEndTime(5000)); // where the transition-out starts
    EXPECT_TRUE(clip->TestAndSetTrInEndTime(4999));
    EXPECT_FALSE(clip->TestAndSetTrOutStartTime(4999));
    EXPECT_TRUE(clip->TestAndSetTrOutStartTime(5000));

    TRObject* keyed = Clip(0, 5000);
    keyed->AddNewTransformation(1000);
    keyed->TransformationAt(1).AnimateDuration = 500;
    keyed->hitTransfIndex = 1;
    // The animation may start at 31 ms, not at 30.
    EXPECT_FALSE(keyed->TestAndMoveTransf(-470));
    EXPECT_TRUE(keyed->TestAndMoveTransf(-469));
    EXPECT_EQ(keyed->Transformations()[1].Time, 531);
    EXPECT_FALSE(keyed->TestAndSetTransfLeft(432)); // 99 ms of animation
    EXPECT_TRUE(keyed->TestAndSetTransfLeft(431));
    EXPECT_EQ(keyed->Transformations()[1].AnimateDuration, 100);
    EXPECT_FALSE(keyed->TestAndSetTransfRight(5000));
    EXPECT_TRUE(keyed->TestAndSetTransfRight(4000));
    EXPECT_EQ(keyed->Transformations()[1].Time, 4000);
    EXPECT_EQ(keyed->Transformations()[1].AnimateDuration, 3569);
    keyed->hitTransfIndex = 5;
    EXPECT_FALSE(keyed->TestAndMoveTransf(1));
}

TEST_F(ObjectEditTest, MoveResizeAndAlignThePlacement) {
    TRObject* shape = Clip(0, 5000);
    TRPropPlacement* p = Placement(shape);
    p->FSize = QSizeF(100, 100);
    p->FPosition = QPointF(0, 0);
    shape->Move(10, -5);
    EXPECT_EQ(p->FPosition, QPointF(10, -5));
    p->FLocked = true;
    shape->Move(10, 10);
    EXPECT_EQ(p->FPosition, QPointF(10, -5));
    p->FLocked = false;

    p->FPosition = QPointF(0, 0);
    shape->Resize(4, 10, 10, true);
    EXPECT_EQ(p->FSize, QSizeF(120, 120));
    EXPECT_EQ(p->FPosition, QPointF(0, 0));
    shape->Resize(0, 10, 20, false);
    EXPECT_EQ(p->FSize, QSizeF(110, 100));
    EXPECT_EQ(p->FPosition, QPointF(5, 10));

    p->FAspectRatio = true;
    p->FOriginalSize = QSizeF(1920, 1080);
    p->FSize = QSizeF(390, 100);
    shape->Resize(3, 10, 0, false);
    EXPECT_EQ(p->FSize, QSizeF(400, 225));
    // Without an original size the height stays (no division by zero).
    p->FOriginalSize = QSizeF(0, 0);
    shape->Resize(7, -10, 0, false);
    EXPECT_EQ(p->FSize, QSizeF(410, 225));

    project_->SetProjectSize(640, 360);
    p->FSize = QSizeF(100, 50);
    shape->Align(1, -320);
    const double left = shape->GetTransformedPoints()[1].x();
    EXPECT_GE(left, -320);
    EXPECT_LT(left, -319);
    shape->Align(6, 180);
    const double bottom = shape->GetTransformedPoints()[3].y();
    EXPECT_LE(bottom, 180);
    EXPECT_GT(bottom, 179);
    shape->Align(2, 0);
    EXPECT_EQ(p->FPosition.x(), 0);
}

} // namespace
