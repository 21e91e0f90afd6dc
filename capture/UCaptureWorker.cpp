#include "capture/UCaptureWorker.h"

#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "platform/system/Clock.h"

#include <chrono>
#include <mutex>
#include <utility>

int64_t CaptureClockMs() {
    int64_t frequency = platform::system::performanceFrequency();
    if (frequency == 0)
        frequency = 1;
    const int64_t counter = platform::system::performanceCounter();
    // Split so that the product cannot overflow whatever the counter's size.
    return counter / frequency * 1000 + counter % frequency * 1000 / frequency;
}

QString CaptureStatusText(bool started, bool terminated, bool finished, bool recording, int status,
                          int32_t hr, int step) {
    QString text = QStringLiteral("%1%2%3%4%5")
                       .arg(int(started))
                       .arg(int(terminated))
                       .arg(int(finished))
                       .arg(int(recording))
                       .arg(status);
    if (hr != 0)
        text +=
            QStringLiteral("%1_%2").arg(uint32_t(hr), 8, 16, QLatin1Char('0')).toUpper().arg(step);
    return text;
}

TCaptureWorker::~TCaptureWorker() {
    if (FThread.joinable()) {
        FTerminated = true;
        FThread.join();
    }
}

void TCaptureWorker::Start() {
    FStarted = true;
    FThread = std::thread([this] {
        Execute();
        FFinished = true;
    });
}

bool TCaptureWorker::WaitFor(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!FFinished && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!FFinished)
        return false;
    if (FThread.joinable())
        FThread.join();
    return true;
}

QString TCaptureWorker::GetStatus() const {
    return CaptureStatusText(FStarted, FTerminated, FFinished, FRecording, FStatus, FHr, FStep);
}

void TCaptureWorker::SetResult(int32_t hr, int step) {
    if (hr == 0 || hr == 1 || FHr != 0)
        return;
    FStep = step;
    FHr = hr;
}

int64_t TCaptureWorker::MediaTime() {
    const int64_t now = CaptureClockMs();
    if (FFirst) {
        FFirst = false;
        return 0;
    }
    return now - FStartTime - FTotalPause;
}

void TCaptureWorker::SleepMs(int ms) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!FTerminated) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::milliseconds(0))
            return;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(50)));
    }
}

TBreadcrumbSink DefaultBreadcrumbSink() {
    return [](const QString& step) { SaveLastStep(SettingsRecord, nullptr, step); };
}

namespace {
std::mutex AbandonedLock;
std::vector<std::unique_ptr<TCaptureWorker>> Abandoned;
} // namespace

bool FinishWorker(std::unique_ptr<TCaptureWorker> worker, const QString& prefix,
                  const QString& name, const TBreadcrumbSink& breadcrumb, int limitMs) {
    const QString step = prefix + name;
    const auto start = std::chrono::steady_clock::now();
    auto lastCrumb = start - std::chrono::seconds(1);
    for (int count = 1; !worker->Finished(); ++count) {
        const auto now = std::chrono::steady_clock::now();
        if (now - start >= std::chrono::milliseconds(limitMs)) {
            SendCaptureReport(QStringLiteral("Error:") + step + QStringLiteral("_hang_") +
                              worker->GetStatus());
            std::lock_guard lock(AbandonedLock);
            Abandoned.push_back(std::move(worker));
            return false;
        }
        // Each breadcrumb writes the settings file: at most one per 100 ms.
        if (now - lastCrumb >= std::chrono::milliseconds(100)) {
            breadcrumb(step + QStringLiteral("_wf_") + worker->GetStatus() + QLatin1Char('_') +
                       QString::number(count));
            lastCrumb = now;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    breadcrumb(step + QStringLiteral("_waitfor"));
    worker->WaitFor(limitMs);
    breadcrumb(step + QStringLiteral("_free"));
    worker.reset();
    return true;
}

std::vector<std::unique_ptr<TCaptureWorker>> TakeAbandonedWorkers() {
    std::lock_guard lock(AbandonedLock);
    return std::exchange(Abandoned, {});
}

void SendCaptureReport(const QString& text) {
    QString reply;
    SendServerMessage(reply, true, 0, text);
}
