// The playback clock on a clock the tests move: positions on the frame grid one frame ahead of
// the clock, the speed scaling real time (a speed below 1 is normal speed), the end handed over
// once and the thread kept until Stop, Play ignored while a run exists, and Stop returning while
// a position waits for the UI thread. The expected times are worked out by hand from the rules:
// position = start of the frame after Round(P × fps / 1000), P = start + E × speed / 1000.
#include "editor/UTimelinePlayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A clock that stands still until the player waits, then jumps to the moment it waits for.
class SteppedClock : public TTimelineClock {
public:
    double Now() override { return Time.load(); }
    void WaitUntil(double time, std::unique_lock<std::mutex>&, std::condition_variable&,
                   const std::function<bool()>&) override {
        Time.store(std::max(Time.load(), time));
    }
    std::atomic<double> Time{5000.0};
};

struct Published {
    std::int64_t Elapsed;
    std::int32_t Position;
    bool operator==(const Published&) const = default;
};

class TimelinePlayer : public testing::Test {
protected:
    TimelinePlayer()
        : player_(
              [this](std::int32_t value) {
                  positions_.push_back({Elapsed(), value});
              },
              [this](std::int32_t value) {
                  ends_.push_back({Elapsed(), value});
              },
              clock_) {}
    std::int64_t Elapsed() const { return std::int64_t(clock_.Time.load() - 5000.0); }
    // Lets the UI thread take the hand-overs until the end arrived.
    void RunToEnd() {
        QElapsedTimer timer;
        timer.start();
        while (ends_.empty() && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_EQ(ends_.size(), 1u);
    }

    SteppedClock clock_;
    std::vector<Published> positions_;
    std::vector<Published> ends_;
    TTimelinePlayer player_;
};

struct RunCase {
    const char* Name;
    std::int32_t Start, End, FramePS, Speed;
    bool Restore;
    std::vector<Published> FirstPositions;
    Published End_;
};

TEST_F(TimelinePlayer, RunsOnTheFrameGridAtTheGivenSpeed) {
    const RunCase cases[] = {
        // Start and one frame ahead at once; 17 ms of timeline time round to frame 1.
        {"normal", 0, 200, 30, 1000, false, {{0, 0}, {0, 33}, {17, 67}, {50, 100}}, {151, 200}},
        // A quarter of real time: 17 ms of timeline time take 68 ms; frame 4.5 rounds to 4.
        {"quarter", 0, 200, 30, 250, false, {{0, 0}, {0, 33}, {68, 67}, {200, 100}}, {604, 200}},
        {"zero speed is normal", 0, 200, 30, 0, false, {{0, 0}, {0, 33}, {17, 67}}, {151, 200}},
        {"negative speed is normal", 0, 200, 30, -1, false, {{0, 0}, {0, 33}}, {151, 200}},
        // 1 fps: positions jump a whole second; frame 2.5 rounds to 2, 3.5 to 4.
        {"1 fps",
         1234,
         5000,
         1,
         1000,
         false,
         {{0, 1234}, {0, 2000}, {266, 3000}, {1267, 4000}},
         {2266, 5000}},
        // At the end already: the start is published, the next pass is the end.
        {"at the end", 5000, 5000, 30, 1000, false, {{0, 5000}}, {0, 5000}},
        // Restoring hands the position before over at the end.
        {"restore", 0, 200, 30, 2000, true, {{0, 0}, {0, 33}, {9, 67}}, {76, 700}},
    };
    for (const RunCase& run : cases) {
        SCOPED_TRACE(run.Name);
        positions_.clear();
        ends_.clear();
        clock_.Time = 5000.0;
        player_.Play(run.Start, run.End, 700, run.Restore, run.FramePS, run.Speed);
        RunToEnd();
        ASSERT_GE(positions_.size(), run.FirstPositions.size());
        EXPECT_EQ(std::vector<Published>(positions_.begin(),
                                         positions_.begin() + run.FirstPositions.size()),
                  run.FirstPositions);
        EXPECT_EQ(ends_[0], run.End_);
        for (std::size_t i = 1; i < positions_.size(); ++i)
            EXPECT_GT(positions_[i].Position, positions_[i - 1].Position);
        EXPECT_TRUE(player_.Running()) << "a finished run keeps its thread until Stop";
        player_.Stop();
        EXPECT_FALSE(player_.Running());
    }
}

TEST_F(TimelinePlayer, PlayDoesNothingWhileARunExistsAndStopWhileStoppedNothing) {
    player_.Stop();
    EXPECT_FALSE(player_.Running());
    player_.Play(5000, 5000, 0, false, 30, 1000);
    RunToEnd();
    const std::size_t published = positions_.size();
    player_.Play(0, 1000, 0, false, 30, 1000);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    EXPECT_EQ(positions_.size(), published);
    EXPECT_EQ(ends_.size(), 1u);
    player_.Stop();
    player_.Play(0, 100, 0, false, 30, 1000);
    ends_.clear();
    RunToEnd();
    EXPECT_EQ(positions_[published].Position, 0);
}

TEST(TimelinePlayerHandOver, StopReleasesAPositionTheUiThreadHasNotTaken) {
    int taken = 0;
    TTimelinePlayer player([&](std::int32_t) { ++taken; }, [&](std::int32_t) { ++taken; });
    player.Play(0, 10000, 0, false, 30, 1000);
    // The clock now waits for the UI thread, which does not look: Stop must still return.
    player.Stop();
    EXPECT_FALSE(player.Running());
    QCoreApplication::processEvents();
    EXPECT_EQ(taken, 0) << "a released position is never delivered";
}

TEST(TimelinePlayerHandOver, StopFromInsideAPositionReturns) {
    std::unique_ptr<TTimelinePlayer> player;
    int taken = 0;
    player = std::make_unique<TTimelinePlayer>(
        [&](std::int32_t) {
            ++taken;
            player->Stop();
        },
        [](std::int32_t) {});
    player->Play(0, 10000, 0, false, 30, 1000);
    QElapsedTimer timer;
    timer.start();
    while (player->Running() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_FALSE(player->Running());
    EXPECT_EQ(taken, 1);
}

} // namespace
