// The animation engine driven by an injected clock: timing curves, the order of the events of a
// run, delays, repeats, stopping, freeing, and property animations by name.
#include "core/IKAnimation.h"

#include <QObject>
#include <gtest/gtest.h>

namespace {

class Animated : public QObject {
    Q_OBJECT
    Q_PROPERTY(double Level READ Level WRITE SetLevel)
    Q_PROPERTY(int Count READ Count WRITE SetCount)
public:
    double Level() const { return level; }
    void SetLevel(double value) {
        level = value;
        ++writes;
    }
    int Count() const { return count; }
    void SetCount(int value) { count = value; }

    double level = 0;
    int count = 0;
    int writes = 0;
};

// An animation that tells when it is deleted.
class Counted : public TIKAnimation {
public:
    explicit Counted(int& deleted) : deleted_(deleted) {}
    ~Counted() override { ++deleted_; }

private:
    int& deleted_;
};

class AnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        IKSetClock([this] { return now_; });
    }
    void TearDown() override {
        Advance(0); // clean-up of what the test left ended
        EXPECT_EQ(IKAnimationRunCount(), 0);
        IKSetClock(nullptr);
    }
    void Advance(double seconds) {
        now_ += seconds;
        IKAnimationTick();
    }
    // Records the events of an animation as text.
    void Record(TIKAnimation& animation) {
        animation.OnStart = [this](TIKAnimation*) { events_.push_back("start"); };
        animation.OnProcess = [this](TIKAnimation*, double t) {
            events_.push_back("process " + QString::number(t, 'f', 3).toStdString());
        };
        animation.OnFinish = [this](TIKAnimation*) { events_.push_back("finish"); };
    }
    TIKAnimation& Linear(double duration, double delay = 0, int repeat = 0) {
        animation_ = std::make_unique<TIKAnimation>();
        animation_->FreeOnFinished = false;
        animation_->Duration = duration;
        animation_->Delay = delay;
        animation_->RepeatCount = repeat;
        animation_->TimingFunction = IKTimingLinear;
        Record(*animation_);
        return *animation_;
    }

    double now_ = 86400.0; // a day of uptime: the clock must still resolve milliseconds
    std::vector<std::string> events_;
    std::unique_ptr<TIKAnimation> animation_;
};

using Events = std::vector<std::string>;

TEST(TimingFunctionTest, CurvesGiveTheirEasedProgress) {
    const struct {
        const char* name;
        TIKTimingFunction function;
        double p;
        double eased;
    } cases[] = {
        {"ease 0.5", IKTimingEase, 0.5, 0.8024},
        {"ease 0.25", IKTimingEase, 0.25, 0.4085},
        {"ease-out 0.5", IKTimingEaseOut, 0.5, 0.6846},
        {"ease-in 0.5", IKTimingEaseIn, 0.5, 0.3153},
        {"linear 0.1", IKTimingLinear, 0.1, 0.1},
        {"linear 0.37", IKTimingLinear, 0.37, 0.37},
        {"linear 0.9", IKTimingLinear, 0.9, 0.9},
        {"steps floor", {TIKTimingFunctionKind::fkSteps, 4, false, {}, {}}, 0.6, 0.5},
        {"steps ceil", {TIKTimingFunctionKind::fkSteps, 4, true, {}, {}}, 0.6, 0.75},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(IKTimingProgress(c.function, c.p), c.eased, 5e-4) << c.name;
}

TEST(TimingFunctionTest, ControlPointsOutsideTheRangeStillEnd) {
    const TIKTimingFunction wild{TIKTimingFunctionKind::fkCubicBezier, 1, false, {-2, 0}, {3, 1}};
    const double eased = IKTimingProgress(wild, 0.5);
    EXPECT_TRUE(std::isfinite(eased));
}

TEST_F(AnimationTest, RunsAreSampledAtTheClock) {
    TIKAnimation& animation = Linear(1.0);
    animation.Start();
    Advance(0.25);
    Advance(0.25);
    Advance(0.6);
    EXPECT_EQ(events_,
              (Events{"start", "process 0.250", "process 0.500", "process 1.000", "finish"}));
}

TEST_F(AnimationTest, ATickWithoutTimeAdvancesNothing) {
    Linear(1.0).Start();
    Advance(0);
    EXPECT_TRUE(events_.empty());
    Advance(0.5);
    EXPECT_EQ(events_, (Events{"start", "process 0.500"}));
    animation_->Stop();
}

TEST_F(AnimationTest, ZeroDurationStartsProcessesAndFinishesInOneTick) {
    Linear(0).Start();
    Advance(0.016);
    EXPECT_EQ(events_, (Events{"start", "process 1.000", "finish"}));
    EXPECT_EQ(IKAnimationRunCount(), 0);
}

TEST_F(AnimationTest, DelayPostponesTheStart) {
    Linear(1.0, 0.5).Start();
    Advance(0.3);
    EXPECT_TRUE(events_.empty());
    Advance(0.3);
    EXPECT_EQ(events_, (Events{"start", "process 0.100"}));
    animation_->Stop();
}

TEST_F(AnimationTest, RepeatsRunCyclesWithOneStartAndOneFinish) {
    Linear(0.1, 0, 3).Start();
    for (int i = 0; i < 6; ++i)
        Advance(0.06);
    EXPECT_EQ(events_, (Events{"start", "process 0.600", "process 0.600", "process 0.600",
                               "process 1.000", "finish"}));
}

TEST_F(AnimationTest, StopFinishesOnceAndTheRunLeavesAtTheNextTick) {
    int deleted = 0;
    auto* animation = new Counted(deleted); // the engine frees it
    Record(*animation);
    animation->Start();
    animation->Stop();
    animation->Stop();
    EXPECT_EQ(events_, (Events{"finish"}));
    EXPECT_EQ(IKAnimationRunCount(), 1);
    EXPECT_EQ(deleted, 0);
    Advance(0.016);
    EXPECT_EQ(IKAnimationRunCount(), 0);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(events_, (Events{"finish"}));
}

TEST_F(AnimationTest, StopEndsOnlyTheFirstOfTwoRuns) {
    TIKAnimation& animation = Linear(1.0);
    animation.Start();
    animation.Start();
    animation.Stop();
    Advance(0.5);
    EXPECT_EQ(events_, (Events{"finish", "start", "process 0.500"}));
    animation.Stop();
}

TEST_F(AnimationTest, AnAnimationFreedWhileRunningLeavesTheList) {
    TIKAnimation& animation = Linear(1.0);
    animation.Start();
    Advance(0.25);
    animation_.reset();
    Advance(0.25);
    EXPECT_EQ(IKAnimationRunCount(), 0);
    EXPECT_EQ(events_, (Events{"start", "process 0.250"}));
}

TEST_F(AnimationTest, RunsKeepTheTimesCopiedAtStart) {
    TIKAnimation& animation = Linear(1.0);
    animation.Start();
    animation.Duration = 10;
    Advance(0.5);
    EXPECT_EQ(events_.back(), "process 0.500");
    animation.Stop();
}

TEST_F(AnimationTest, PropertyAnimationMovesTheExactValue) {
    Animated target;
    TIKPropertyAnimation animation(&target, "Level", TIKValue(12.7));
    animation.FreeOnFinished = false;
    animation.TimingFunction = IKTimingLinear;
    animation.Duration = 0.3;
    target.level = 2.7;
    animation.Start();
    Advance(0.15);
    EXPECT_NEAR(target.level, 7.7, 0.01);
    Advance(0.2);
    EXPECT_EQ(target.level, 12.7);
}

TEST_F(AnimationTest, TheStartValueIsReadWhenTheRunBegins) {
    Animated target;
    TIKPropertyAnimation animation(&target, "Count", TIKValue(90));
    animation.FreeOnFinished = false;
    animation.TimingFunction = IKTimingLinear;
    animation.Duration = 1;
    animation.Delay = 0.5;
    animation.FromValue = TIKValue(0);
    animation.Start();
    Advance(0.25);
    target.count = 50; // changed during the delay
    Advance(0.5);
    EXPECT_EQ(target.count, 60); // 50 + 40 * 0.25
    animation.Stop();
}

TEST_F(AnimationTest, AMissingPropertyTimesTheRunButWritesNothing) {
    Animated target;
    TIKPropertyAnimation animation(&target, "Missing", TIKValue(1.0));
    animation.FreeOnFinished = false;
    Record(animation);
    animation.Duration = 0.1;
    animation.Start();
    Advance(0.2);
    EXPECT_EQ(events_.front(), "start");
    EXPECT_EQ(events_.back(), "finish");
    EXPECT_EQ(target.writes, 0);
}

TEST_F(AnimationTest, ADeletedTargetIsNotWritten) {
    auto target = std::make_unique<Animated>();
    TIKPropertyAnimation animation(target.get(), "Level", TIKValue(1.0));
    animation.FreeOnFinished = false;
    animation.Duration = 1;
    animation.Start();
    Advance(0.1);
    target.reset();
    Advance(0.1);
    animation.Stop();
}

TEST(TransactionTest, AnimationsTakeTheCurrentTransactionsDefaults) {
    TIKAnimation base;
    EXPECT_FLOAT_EQ(float(base.Duration), 0.25f);
    EXPECT_EQ(base.RepeatCount, 0);
    EXPECT_TRUE(base.FreeOnFinished);
    TIKTransaction::BeginUpdate(false);
    TIKTransaction::SetDuration(2);
    TIKTransaction::SetDelay(0.5f);
    TIKTransaction::SetRepeatCount(3);
    TIKTransaction::SetTimingFunction(IKTimingEaseOut);
    EXPECT_FALSE(TIKTransaction::Current().Enabled);
    TIKAnimation pushed;
    EXPECT_DOUBLE_EQ(pushed.Duration, 2);
    EXPECT_DOUBLE_EQ(pushed.Delay, 0.5);
    EXPECT_EQ(pushed.RepeatCount, 3);
    EXPECT_FLOAT_EQ(pushed.TimingFunction.SecondPoint.X, 0.58f);
    // A nested transaction starts from the defaults, not from the one below.
    TIKTransaction::BeginUpdate(true);
    EXPECT_FLOAT_EQ(TIKTransaction::Current().Duration, 0.25f);
    TIKTransaction::EndUpdate();
    TIKTransaction::EndUpdate();
    EXPECT_FLOAT_EQ(TIKTransaction::Current().Duration, 0.25f);
    try {
        TIKTransaction::EndUpdate();
        FAIL() << "an unpaired EndUpdate must raise";
    } catch (const EIKException& error) {
        EXPECT_STREQ(error.what(), "Invalid transaction BeginUpdate/EndUpdate pair");
    }
}

} // namespace

#include "AnimationTest.moc"
