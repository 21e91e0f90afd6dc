// The capture protocol: status texts, and the screen recorder's stop sequence with its
// breadcrumbs and reports, run against fake workers (one of them never finishing).
#include "capture/UMFScreenRecorder.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"

#include <QRegularExpression>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

TEST(CaptureProtocol, StatusTexts) {
    const struct {
        bool started, terminated, finished, recording;
        int status;
        int32_t hr;
        int step;
        const char* text;
    } cases[] = {
        {true, true, false, false, 2, int32_t(0xC00D36B4), 1, "11002C00D36B4_1"},
        {true, false, false, true, 3, 0, 0, "10013"},
        {true, true, true, false, 9, 0, 7, "11109"},
        {false, false, false, false, 0, 0x5, 12, "0000000000005_12"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CaptureStatusText(c.started, c.terminated, c.finished, c.recording, c.status,
                                    c.hr, c.step),
                  QString::fromLatin1(c.text));
}

// A capture worker whose encoder start failed in status 2; it ends 30 ms after Terminate.
class FailedScreenThread : public TMFScreenRecorderThread {
public:
    FailedScreenThread() : TMFScreenRecorderThread(QRect(0, 0, 8, 8), {}, 1) {}
    static inline std::atomic<bool> Ready{false};

    // Waits until the worker that started last has failed.
    static void WaitUntilReady() {
        for (int i = 0; i < 1000 && !Ready; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        Ready = false;
    }

protected:
    void Execute() override {
        SetResult(int32_t(0xC00D36B4), 1);
        SetStatus(2);
        Ready = true;
        while (!Terminated())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
};

// A cursor worker that ends only when the test opens its gate.
class StuckCursorThread : public TCursorRecorderThread {
public:
    StuckCursorThread() : TCursorRecorderThread(QPoint(), QString(), 30, 0, 1) {}
    std::atomic<bool> Gate{false};

protected:
    void Execute() override {
        SetStatus(3);
        while (!Gate)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

class QuickCursorThread : public TCursorRecorderThread {
public:
    QuickCursorThread() : TCursorRecorderThread(QPoint(), QString(), 30, 0, 1) {}

protected:
    void Execute() override { SetStatus(9); }
};

class FakeRecorder : public TMFScreenRecorder {
public:
    explicit FakeRecorder(bool stuckCursor) : StuckCursor(stuckCursor) {
        Breadcrumb = [this](const QString& step) { Crumbs << step; };
    }
    bool StuckCursor;
    QStringList Crumbs;

protected:
    std::unique_ptr<TMFScreenRecorderThread> CreateScreenThread() override {
        return std::make_unique<FailedScreenThread>();
    }
    std::unique_ptr<TCursorRecorderThread> CreateCursorThread() override {
        if (StuckCursor)
            return std::make_unique<StuckCursorThread>();
        return std::make_unique<QuickCursorThread>();
    }
};

class StopSequence : public ::testing::Test {
protected:
    void SetUp() override {
        SavedStep = SettingsRecord.LastStep;
        SettingsRecord.LastStep.setText(QStringLiteral("Stop"));
        SetServerMessageSink([this](const QString& status, bool) {
            std::lock_guard lock(ReportLock);
            Reports << status;
            return QString();
        });
    }
    void TearDown() override {
        SetServerMessageSink(nullptr);
        SettingsRecord.LastStep = SavedStep;
    }
    QStringList TakeReports() {
        std::lock_guard lock(ReportLock);
        return std::exchange(Reports, {});
    }

    TRShortString SavedStep;
    std::mutex ReportLock;
    QStringList Reports;
};

TEST_F(StopSequence, BreadcrumbsAndReportsOfAFailedCaptureWorker) {
    FakeRecorder recorder(false);
    recorder.StartRecord();
    FailedScreenThread::WaitUntilReady();
    recorder.StopRecord();
    const QStringList expected = {
        "Stop:ScreenRecorderThread",
        "Stop:ScreenRecorderThread_wf_11002C00D36B4_1",
        "Stop:ScreenRecorderThread_wf_11002C00D36B4_1_1",
        "Stop:ScreenRecorderThread_waitfor",
        "Stop:ScreenRecorderThread_free",
        "Stop:CursorRecorderThread",
        "Stop:CursorRecorderThread_wf_11109",
        "Stop:CursorRecorderThread_waitfor",
        "Stop:CursorRecorderThread_free",
        "Stop:DeallocateHWnd",
        "Stop:EndStopRecord",
    };
    // The worker's 30-ms end can outlast the 100-ms crumb interval on a loaded machine: the
    // later crumbs of the same wait are allowed.
    QStringList crumbs = recorder.Crumbs;
    crumbs.removeIf([](const QString& crumb) {
        static const QRegularExpression laterWait("_wf_11002C00D36B4_1_([2-9]|[1-9][0-9]+)$");
        return laterWait.match(crumb).hasMatch();
    });
    EXPECT_EQ(crumbs.join('\n').toStdString(), expected.join('\n').toStdString());
    // The failed encoder start and the missing pictures, nothing about the set-up.
    EXPECT_EQ(TakeReports().join('\n').toStdString(),
              "Error:Stop:ScreenRecorderThread_wf_11002C00D36B4_1\n"
              "Error:Stop:ScreenRecorderThread_changes_");
}

TEST_F(StopSequence, AWorkerThatNeverFinishesIsReportedAndLeftAlive) {
    FakeRecorder recorder(true);
    recorder.StopLimitMs = 300;
    recorder.StartRecord();
    FailedScreenThread::WaitUntilReady();
    auto* cursor = static_cast<StuckCursorThread*>(recorder.CursorRecorderThread());
    const auto start = std::chrono::steady_clock::now();
    recorder.StopRecord();
    const auto stopTime = std::chrono::steady_clock::now() - start;
    std::vector<std::unique_ptr<TCaptureWorker>> abandoned = TakeAbandonedWorkers();
    const bool wasAlive = !cursor->Finished();
    cursor->Gate = true;

    EXPECT_LT(stopTime, std::chrono::seconds(3));
    EXPECT_EQ(recorder.CursorRecorderThread(), nullptr);
    const QStringList reports = TakeReports();
    EXPECT_EQ(reports.size(), 3) << reports.join('\n').toStdString();
    EXPECT_EQ(reports.last(), "Error:Stop:CursorRecorderThread_hang_11003");
    // Polling breadcrumbs come at most every 100 ms, and no waitfor or free for the stuck one.
    const QStringList polls = recorder.Crumbs.filter("Stop:CursorRecorderThread_wf_11003_");
    EXPECT_GE(polls.size(), 2);
    EXPECT_LE(polls.size(), 4);
    EXPECT_FALSE(recorder.Crumbs.contains("Stop:CursorRecorderThread_free"));
    EXPECT_EQ(recorder.Crumbs.last(), "Stop:EndStopRecord");

    ASSERT_EQ(abandoned.size(), 1u);
    EXPECT_EQ(abandoned[0].get(), cursor);
    EXPECT_TRUE(wasAlive);
    EXPECT_TRUE(cursor->WaitFor(5000));
}

} // namespace
