// The video transition object on a 16x16 project that is red until 5000 ms and blue from then
// on (black behind): key pixels of the blend kinds at the start, the middle and the end of a
// transition from 4000 to 6000, a stopped editor, a transition of no length, and the first and
// last pictures rendered only when their time, size or the project changes.

#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "graphics/URCustomEffects.h"
#include "objects/URTransition.h"
#include "tests/core/PaintTestSupport.h"

#include <gtest/gtest.h>

using namespace painttest;

namespace {

const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Black = qRgb(0, 0, 0);

bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
           std::abs(qBlue(a) - qBlue(b)) <= 2;
}

QString Hex(QRgb v) {
    return QString::number(v, 16);
}

class TransitionObjectTest : public testing::Test {
protected:
    void SetUp() override {
        const FactoryPtr factory = Factory::create();
        for (const TRCustomEffectRegistration& r : CustomEffectRegistrations(factory))
            r.registerEffect();
        context_ = DeviceContext::create(factory);
        InstallScene(context_.get());
        project_ = NewProject(16, 16, 0x000000);
        AddShape(*project_, {0, 0}, {16, 16}, 0x0000FF)->SetTimeEnd(5000);
        AddShape(*project_, {0, 0}, {16, 16}, 0xFF0000)->SetTimeStartField(5000);
        project_->SetTimePosition(4000);
        transition_ = dynamic_cast<TRTransition*>(
            project_->AddObject(CreateObjectOfType(project_.get(), otTransition)));
        ASSERT_NE(transition_, nullptr);
        transition_->SetTimeEnd(6000);
        group_ =
            transition_->TransformationAt(0).Properties->Get<TRPropTransition>(ptTransitionObj);
        ASSERT_NE(group_, nullptr);
        group_->FBorderSize = 0;
        project_->Exporting = true;
    }
    void TearDown() override {
        SetScenePlaying(false);
        InstallScene(nullptr);
    }

    QImage Paint(std::int32_t time, int zoom = 1) {
        project_->SetTimePosition(time);
        const BitmapPtr target = BeginScene(*context_, 16 * zoom, 16 * zoom, float(zoom));
        project_->PaintOnScene(false, true, true, nullptr);
        EXPECT_TRUE(context_->endDraw());
        return target->image();
    }

    DeviceContextPtr context_;
    std::unique_ptr<TRProject> project_;
    TRTransition* transition_ = nullptr;
    TRPropTransition* group_ = nullptr;
};

} // namespace

TEST_F(TransitionObjectTest, IsAPlainTimeSpan) {
    EXPECT_EQ(transition_->ObjectName(), "Video Transition 1");
    EXPECT_FALSE(transition_->HasPlacement());
    EXPECT_FALSE(transition_->CanAddAnimation());
    EXPECT_FALSE(transition_->CanSplit());
    EXPECT_FALSE(transition_->TrIn()->Checked());
    EXPECT_FALSE(transition_->TrOut()->Checked());
}

TEST_F(TransitionObjectTest, KindsBlendTheFirstAndLastPictures) {
    struct Case {
        const char* Name;
        std::int32_t Direction;
        std::int32_t Time;
        QPoint At;
        QRgb Expected;
    };
    const Case cases[] = {
        // Both pictures fade: red at 1 - t over black, then blue at t over that; at the middle
        // 0.5 x blue + 0.5 x (0.5 x red) = (64, 0, 128).
        {"Custom In", 1, 4000, {8, 8}, Red},
        {"Custom In", 1, 5000, {8, 8}, qRgb(64, 0, 128)},
        {"Custom In", 1, 6000, {8, 8}, Blue},
        // The other way round: blue first, red over it.
        {"Custom Out", 1, 5000, {8, 8}, qRgb(128, 0, 64)},
        // A quarter of the way: 0.25 x blue + 0.75 x (0.75 x red) = (143, 0, 64).
        {"Custom In", 1, 4500, {8, 8}, qRgb(143, 0, 64)},
        // One picture at a time: the old one up to the middle (included), then the new one.
        {"Pixelate", 1, 5000, {8, 8}, Red},
        {"Pixelate", 1, 5030, {8, 8}, Blue},
        {"Flip", 1, 4000, {8, 8}, Red},
        {"Flip", 1, 6000, {8, 8}, Blue},
        // Reveal moving right: the new picture uncovers the left half while the old one keeps
        // the right half (its direction mirrored going out).
        {"Reveal", 4, 5000, {3, 8}, Blue},
        {"Reveal", 4, 5000, {12, 8}, Red},
        {"Reveal", 4, 6000, {12, 8}, Blue},
        // An unknown kind shows the background only.
        {"No such kind", 1, 5000, {8, 8}, Black},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Name) + " at " + std::to_string(c.Time));
        group_->FName = c.Name;
        group_->FDirection = c.Direction;
        const QRgb pixel = Paint(c.Time).pixel(c.At);
        EXPECT_TRUE(Near(pixel, c.Expected)) << Hex(pixel).toStdString();
    }
}

TEST_F(TransitionObjectTest, DrawsOnlyWhilePlayingSeekingOrExporting) {
    group_->FName = QStringLiteral("Custom In");
    project_->Exporting = false;
    EXPECT_TRUE(Near(Paint(4500).pixel(8, 8), Red));
    SetScenePlaying(true);
    EXPECT_TRUE(Near(Paint(4500).pixel(8, 8), qRgb(143, 0, 64)));
}

TEST_F(TransitionObjectTest, ATransitionOfNoLengthShowsItsEnd) {
    group_->FName = QStringLiteral("Reveal");
    group_->FDirection = 4;
    transition_->SetTimeStartField(5000);
    transition_->SetTimeEnd(5000);
    const QImage frame = Paint(5000);
    EXPECT_TRUE(Near(frame.pixel(3, 8), Blue));
    EXPECT_TRUE(Near(frame.pixel(12, 8), Blue));
}

TEST_F(TransitionObjectTest, FirstAndLastPicturesAreRenderedOnlyWhenSomethingChanged) {
    group_->FName = QStringLiteral("Custom In");
    Paint(4200);
    Paint(4600);
    Paint(5900);
    EXPECT_EQ(transition_->EndRenders(), 2);
    ASSERT_NE(transition_->FirstImage(), nullptr);
    EXPECT_EQ(transition_->FirstImage()->pixelSize(), (SizeU{16, 16}));
    // The frame drawn at twice its size: pictures of twice the project size.
    const QImage zoomed = Paint(5000, 2);
    EXPECT_EQ(transition_->EndRenders(), 4);
    EXPECT_EQ(transition_->LastImage()->pixelSize(), (SizeU{32, 32}));
    EXPECT_TRUE(Near(zoomed.pixel(16, 16), qRgb(64, 0, 128)));
    // An edit of the project renders them again.
    project_->History_AddModify(project_->Objects()[0].get(), undohtObject, undoIncrement);
    Paint(5000, 2);
    EXPECT_EQ(transition_->EndRenders(), 6);
    // A stopped editor renders nothing.
    project_->Exporting = false;
    project_->History_AddModify(project_->Objects()[1].get(), undohtObject, undoIncrement);
    Paint(5000, 2);
    EXPECT_EQ(transition_->EndRenders(), 6);
}

TEST_F(TransitionObjectTest, TheBlendTypeChoosesThePictures) {
    // Reveal moving right a quarter of the way (4500): the incoming picture holds columns 0..3.
    struct Case {
        std::int32_t Type;
        bool IncludeBack;
        QRgb Left, Right;
    };
    const Case cases[] = {
        {0, false, Blue, Red}, // first (red) / last (blue)
        {1, false, Red, Red},  // first / the scene now (red)
        {2, false, Blue, Red}, // the scene now / last
        {3, true, Red, Red},   // the target's own pixels on both sides
        {7, false, Blue, Red}, // an unknown type: first / last
    };
    group_->FName = QStringLiteral("Reveal");
    group_->FDirection = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Type);
        group_->FType = c.Type;
        group_->FIncludeBack = c.IncludeBack;
        const QImage frame = Paint(4500);
        EXPECT_TRUE(Near(frame.pixel(1, 8), c.Left)) << Hex(frame.pixel(1, 8)).toStdString();
        EXPECT_TRUE(Near(frame.pixel(12, 8), c.Right)) << Hex(frame.pixel(12, 8)).toStdString();
    }
}
