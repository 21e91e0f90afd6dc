#pragma once
// The playback clock. A worker thread turns the time elapsed since Play into timeline positions
// on a frame grid and hands every new position to the UI thread, waiting until the UI thread
// has taken it; the end position is handed over once more at the end. Everything a position
// causes (project time, painting, sound, scrolling) happens in the two callbacks on the UI
// thread. The thread sleeps until the next frame boundary rather than spinning.

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

// The time source of the clock thread: the program uses the shared monotonic clock; tests
// inject one they move themselves.
class TTimelineClock {
public:
    virtual ~TTimelineClock() = default;
    // Milliseconds on a monotonic clock.
    virtual double Now() = 0;
    // Blocks (holding `lock` only while waiting on `wake`) until Now() reaches `time` or
    // `stopped` turns true after `wake` was notified.
    virtual void WaitUntil(double time, std::unique_lock<std::mutex>& lock,
                           std::condition_variable& wake, const std::function<bool()>& stopped) = 0;
};

// The one monotonic clock every engine of the program shares.
TTimelineClock& SharedTimelineClock();

// A position callback; the value is a time in milliseconds.
using TTimelinePlayerProc = std::function<void(std::int32_t value)>;

// One run of the clock: from StartPos towards EndPos, at FramePS positions per second of
// timeline time and PlaybackSpeed per mille of real time. At the end the position handed over
// is BeforePos when Restore is set, else EndPos.
struct TTimelineRun {
    std::int32_t StartPos = 0;
    std::int32_t EndPos = 0;
    std::int32_t BeforePos = 0;
    bool Restore = false;
    std::int32_t FramePS = 30;
    std::int32_t PlaybackSpeed = 1000;
};

class TTimelinePlayer {
public:
    // Both callbacks run on the thread that creates the player (the UI thread).
    TTimelinePlayer(TTimelinePlayerProc procedure, TTimelinePlayerProc endProcedure,
                    TTimelineClock& clock = SharedTimelineClock());
    ~TTimelinePlayer();
    TTimelinePlayer(const TTimelinePlayer&) = delete;
    TTimelinePlayer& operator=(const TTimelinePlayer&) = delete;

    // Starts a run; does nothing while a thread exists, also after a finished run nobody
    // stopped. A speed below 1 counts as 1000, a rate below 1 as 30.
    void Play(std::int32_t startPos, std::int32_t endPos, std::int32_t beforePos, bool restore,
              std::int32_t framePS, std::int32_t playbackSpeed);
    // Ends the thread and waits for it. A position still waiting for the UI thread is released
    // and never delivered, so this returns even while the UI thread runs it.
    void Stop();
    // True from Play until Stop, also after the run reached its end.
    bool Running() const { return FThread != nullptr; }

private:
    class TThread;
    TTimelinePlayerProc FProcedure;
    TTimelinePlayerProc FEndProcedure;
    TTimelineClock& FClock;
    // The UI thread's receiver of the hand-overs.
    QObject FContext;
    std::unique_ptr<TThread> FThread;
};
