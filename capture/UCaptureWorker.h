#pragma once
// The protocol every capture engine follows: a facade on the user-interface thread owns worker
// threads that start idle, work only while Recording is set and stamp what they take with a
// media time in milliseconds that leaves out the paused spans. The facade writes the clock
// values and flags; the workers read them without a lock, so they are atomics.

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

// The shared clock in milliseconds (performance counter × 1000 div its frequency).
int64_t CaptureClockMs();

// "<started><terminated><finished><recording><status>", then, when hr is not 0, its eight
// upper-case hexadecimal digits, "_" and the step.
QString CaptureStatusText(bool started, bool terminated, bool finished, bool recording, int status,
                          int32_t hr, int step);

class TCaptureWorker {
public:
    TCaptureWorker() = default;
    virtual ~TCaptureWorker();
    TCaptureWorker(const TCaptureWorker&) = delete;
    TCaptureWorker& operator=(const TCaptureWorker&) = delete;

    // Runs Execute on the worker's own thread.
    void Start();
    void Terminate() { FTerminated = true; }
    // Waits up to timeoutMs for Execute to end; true when it ended (the thread is joined).
    bool WaitFor(int timeoutMs);

    void StartRecording() { FRecording = true; }
    void StopRecording() { FRecording = false; }
    void SetStartTime(int64_t v) { FStartTime = v; }
    void SetPauseTime(int64_t v) { FPauseTime = v; }
    void SetTotalPause(int64_t v) { FTotalPause = v; }

    bool Started() const { return FStarted; }
    bool Terminated() const { return FTerminated; }
    bool Finished() const { return FFinished; }
    bool Recording() const { return FRecording; }
    virtual QString GetStatus() const;

    int m_status() const { return FStatus; }
    int32_t m_hr() const { return FHr; }
    int m_step() const { return FStep; }

protected:
    virtual void Execute() = 0;
    void SetStatus(int status) { FStatus = status; }
    // Keeps the first failing result and its call site; later ones are ignored.
    void SetResult(int32_t hr, int step);
    // Media time of a sample taken now: 0 for the worker's first, else now - start - pauses.
    int64_t MediaTime();
    // Media time of the recording's end: pause time - start - pauses.
    int64_t EndTime() const { return FPauseTime - FStartTime - FTotalPause; }
    // Sleeps up to ms, in steps short enough to notice Terminate within 100 ms.
    void SleepMs(int ms) const;

    std::atomic<bool> FRecording{false};
    std::atomic<int64_t> FStartTime{0}, FPauseTime{0}, FTotalPause{0};

private:
    std::thread FThread;
    std::atomic<bool> FStarted{false}, FTerminated{false}, FFinished{false};
    std::atomic<int> FStatus{0};
    std::atomic<int32_t> FHr{0};
    std::atomic<int> FStep{0};
    bool FFirst = true;
};

// Stores one breadcrumb of a stop (by default the settings record's step, written to disk).
using TBreadcrumbSink = std::function<void(const QString& step)>;
TBreadcrumbSink DefaultBreadcrumbSink();

// The end of one worker in a facade's stop: waits for Finished with a breadcrumb
// prefix + name + "_wf_" + status + "_" + count at most every 100 ms, then prefix + name +
// "_waitfor", joins, prefix + name + "_free" and frees it. A worker that has not finished after
// limitMs is reported ("Error:" + prefix + name + "_hang_" + status), kept alive among the
// abandoned workers and never freed. True when the worker was freed.
bool FinishWorker(std::unique_ptr<TCaptureWorker> worker, const QString& prefix,
                  const QString& name, const TBreadcrumbSink& breadcrumb, int limitMs = 10000);

// Workers that outlived their stop; tests take them back to end them.
std::vector<std::unique_ptr<TCaptureWorker>> TakeAbandonedWorkers();

// Sends a diagnostic report in the background.
void SendCaptureReport(const QString& text);
