#include "editor/UTimelinePlayer.h"

#include "platform/system/Clock.h"

#include <QMetaObject>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

class TSharedClock : public TTimelineClock {
public:
    double Now() override { return platform::system::monotonicMilliseconds(); }
    void WaitUntil(double time, std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                   const std::function<bool()>& stopped) override {
        wake.wait_for(lock, std::chrono::duration<double, std::milli>(time - Now()), stopped);
    }
};

// The frame index of the clock at timeline time `pos` (round half to even).
std::int64_t FrameAt(const TTimelineRun& run, std::int64_t pos) {
    return std::int64_t(std::nearbyint(double(pos) * run.FramePS / 1000.0));
}

// The timeline time the clock stands at after `elapsed` ms of real time.
std::int64_t ClockTime(const TTimelineRun& run, std::int64_t elapsed) {
    return run.StartPos + elapsed * run.PlaybackSpeed / 1000;
}

// The first elapsed time after `elapsed` at which the frame index may have moved on from
// `frame`: the clock sleeps until then.
std::int64_t NextFrameElapsed(const TTimelineRun& run, std::int64_t frame, std::int64_t elapsed) {
    const auto boundary = std::int64_t(std::ceil((double(frame) + 0.5) * 1000.0 / run.FramePS));
    const auto next = std::int64_t(
        std::ceil(double(boundary - run.StartPos) * 1000.0 / double(run.PlaybackSpeed)));
    return std::max(next, elapsed + 1);
}

} // namespace

TTimelineClock& SharedTimelineClock() {
    static TSharedClock clock;
    return clock;
}

// The clock thread. Its hand-overs are queued to the UI thread's context object; the state they
// share lives in `TShared`, which a queued hand-over keeps alive after the thread is gone.
class TTimelinePlayer::TThread {
public:
    TThread(const TTimelineRun& run, TTimelinePlayer& owner)
        : FRun(run), FOwner(owner), FShared(std::make_shared<TShared>()),
          FThread([this] { Execute(); }) {}
    ~TThread() {
        {
            const std::lock_guard lock(FShared->Mutex);
            FShared->Terminated = true;
        }
        FShared->Wake.notify_all();
        FThread.join();
    }

private:
    struct TShared {
        std::mutex Mutex;
        std::condition_variable Wake;
        bool Terminated = false;
        std::uint64_t Taken = 0;
    };

    void Execute();
    // Runs `procedure(value)` on the UI thread and waits until it ran; false when the thread
    // was terminated meanwhile (the position is then never delivered).
    bool HandOver(const TTimelinePlayerProc& procedure, std::int32_t value);

    const TTimelineRun FRun;
    TTimelinePlayer& FOwner;
    std::shared_ptr<TShared> FShared;
    std::uint64_t FSent = 0;
    std::thread FThread;
};

bool TTimelinePlayer::TThread::HandOver(const TTimelinePlayerProc& procedure, std::int32_t value) {
    const std::uint64_t ticket = ++FSent;
    QMetaObject::invokeMethod(
        &FOwner.FContext,
        [shared = FShared, procedure, value, ticket] {
            {
                const std::lock_guard lock(shared->Mutex);
                if (shared->Terminated)
                    return;
            }
            procedure(value);
            {
                const std::lock_guard lock(shared->Mutex);
                shared->Taken = ticket;
            }
            shared->Wake.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(FShared->Mutex);
    FShared->Wake.wait(lock, [&] { return FShared->Terminated || FShared->Taken == ticket; });
    return !FShared->Terminated;
}

void TTimelinePlayer::TThread::Execute() {
    TTimelineClock& clock = FOwner.FClock;
    const double start = clock.Now();
    std::int32_t current = FRun.StartPos;
    std::int32_t last = -1;
    for (;;) {
        if (current != last) {
            last = current;
            if (!HandOver(FOwner.FProcedure, current))
                return;
        }
        const auto elapsed = std::int64_t(std::floor(clock.Now() - start));
        const std::int64_t frame = FrameAt(FRun, ClockTime(FRun, elapsed));
        current = std::int32_t(std::nearbyint(double(frame + 1) * 1000.0 / FRun.FramePS));
        if (current >= FRun.EndPos) {
            HandOver(FOwner.FEndProcedure, FRun.Restore ? FRun.BeforePos : FRun.EndPos);
            return;
        }
        if (current != last)
            continue;
        std::unique_lock lock(FShared->Mutex);
        clock.WaitUntil(start + double(NextFrameElapsed(FRun, frame, elapsed)), lock, FShared->Wake,
                        [this] { return FShared->Terminated; });
        if (FShared->Terminated)
            return;
    }
}

TTimelinePlayer::TTimelinePlayer(TTimelinePlayerProc procedure, TTimelinePlayerProc endProcedure,
                                 TTimelineClock& clock)
    : FProcedure(std::move(procedure)), FEndProcedure(std::move(endProcedure)), FClock(clock) {}

TTimelinePlayer::~TTimelinePlayer() {
    Stop();
}

void TTimelinePlayer::Play(std::int32_t startPos, std::int32_t endPos, std::int32_t beforePos,
                           bool restore, std::int32_t framePS, std::int32_t playbackSpeed) {
    if (FThread)
        return;
    const TTimelineRun run{startPos,
                           endPos,
                           beforePos,
                           restore,
                           framePS < 1 ? 30 : framePS,
                           playbackSpeed < 1 ? 1000 : playbackSpeed};
    FThread = std::make_unique<TThread>(run, *this);
}

void TTimelinePlayer::Stop() {
    FThread.reset();
}
