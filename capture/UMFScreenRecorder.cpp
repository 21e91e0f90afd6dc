#include "capture/UMFScreenRecorder.h"

#include "core/URSettings.h"
#include "platform/capture/Screen.h"
#include "platform/system/Messages.h"

#include <algorithm>

using platform::capture::GrabMethod;
using platform::capture::ScreenGrabber;

TMFScreenRecorderThread::TMFScreenRecorderThread(const QRect& captureRect,
                                                 const TScreenOutputParams& output,
                                                 uint8_t captureMethod, const QByteArray& display)
    : FCaptureRect(captureRect), FOutput(output), FCaptureMethod(captureMethod), FDisplay(display) {
}

TMFScreenRecorderThread::~TMFScreenRecorderThread() = default;

QString TMFScreenRecorderThread::LastStrError() const {
    std::lock_guard lock(FErrorLock);
    return FLastStrError;
}

void TMFScreenRecorderThread::SetLastStrError(const QString& text) {
    std::lock_guard lock(FErrorLock);
    FLastStrError = text;
}

void TMFScreenRecorderThread::Execute() {
    const char* display = FDisplay.isEmpty() ? nullptr : FDisplay.constData();
    std::unique_ptr<ScreenGrabber> grabber;
    if (FCaptureMethod != CaptureMethodGetImage) {
        grabber = std::make_unique<ScreenGrabber>(FCaptureRect, GrabMethod::SharedMemory, display);
        SetLastStrError(grabber->trail());
        if (!grabber->ready()) {
            grabber.reset();
            FInitErr = true;
        }
    }
    TScreenOutput output(
        FOutput, [this](int32_t hr, int step) { SetResult(hr, step); },
        [this] { return Terminated(); });
    if (CreateEncoder)
        output.CreateEncoder = CreateEncoder;
    if (grabber) {
        ExecuteChanges(*grabber, output);
    } else {
        ScreenGrabber paced(FCaptureRect, GrabMethod::GetImage, display);
        ExecutePaced(paced, output);
    }
    SetStatus(9);
}

bool TMFScreenRecorderThread::Regain(ScreenGrabber& grabber) {
    if (grabber.rebuild())
        return true;
    SetLastStrError(grabber.trail());
    SleepMs(10);
    return false;
}

void TMFScreenRecorderThread::ExecuteChanges(ScreenGrabber& grabber, TScreenOutput& output) {
    std::vector<uint8_t> picture(std::size_t(grabber.stride()) * FCaptureRect.height(), 0);
    bool first = true;
    // The live recorder takes one picture per frame period: pictures taken more often would
    // only be overwritten in its mailbox, so changes within a period share one picture.
    const int livePeriod = FOutput.Mode == ScreenModeLive ? 1000 / std::max(1, FOutput.FramePS) : 0;
    int64_t nextGrab = 0;
    output.Prepare();
    SetStatus(1);
    while (!Terminated()) {
        if (!FRecording) {
            SleepMs(first ? 1 : 5);
            continue;
        }
        if (grabber.lost() && !Regain(grabber))
            continue;
        if (const int64_t early = nextGrab - CaptureClockMs(); early > 0) {
            SleepMs(int(early));
            continue;
        }
        // The wait paces the loop: a picture is taken only when the rectangle changed.
        if (!grabber.waitForChange(17) || !grabber.grab(picture.data()))
            continue;
        // The grid of periods holds the rate even when a picture comes a little late.
        nextGrab = livePeriod > 0 ? std::max(nextGrab + livePeriod, CaptureClockMs()) : 0;
        FHasChanges = true;
        const int64_t mt = MediaTime();
        if (first) {
            first = false;
            output.ClearPending();
        }
        output.AddChanged(picture.data(), mt);
    }
    SetStatus(2);
    output.Close(EndTime());
    SetStatus(7);
}

void TMFScreenRecorderThread::ExecutePaced(ScreenGrabber& grabber, TScreenOutput& output) {
    const int period = 1000 / std::max(1, FOutput.FramePS);
    std::vector<uint8_t> picture(std::size_t(grabber.stride()) * FCaptureRect.height(), 0);
    FHasChanges = true;
    output.Prepare();
    SetStatus(1);
    while (!Terminated()) {
        if (!FRecording) {
            SleepMs(period / 2);
            continue;
        }
        const int64_t t0 = CaptureClockMs();
        if (grabber.lost() && !Regain(grabber))
            continue;
        // A failed grab leaves the previous picture, which is passed on.
        grabber.grab(picture.data());
        output.AddPaced(picture.data(), MediaTime());
        SleepMs(int(std::max<int64_t>(1, period + t0 - CaptureClockMs())));
    }
    SetStatus(2);
    output.Close(EndTime());
    SetStatus(7);
}

TMFScreenRecorder::TMFScreenRecorder() = default;

TMFScreenRecorder::~TMFScreenRecorder() {
    if (FScreenRecorderThread || FCursorRecorderThread)
        StopRecord();
}

void TMFScreenRecorder::SetParams(const QRect& InputRect, const QString& OutputFileName,
                                  uint8_t ACompressMode, bool ACompressHA, uint8_t ACaptureMethod,
                                  int FramePs, int Quality, int ABackupTimeMs,
                                  TRBufferMailbox* AVideoRecorderThread) {
    FCaptureRect = InputRect;
    FOutputFileName = OutputFileName;
    FCompressMode = ACompressMode;
    FCompressHA = ACompressHA;
    FCaptureMethod = ACaptureMethod;
    FFramePS = FramePs;
    FQuality = Quality;
    FBackupTimeMs = ABackupTimeMs;
    FVideoRecorderThread = AVideoRecorderThread;
}

std::unique_ptr<TMFScreenRecorderThread> TMFScreenRecorder::CreateScreenThread() {
    TScreenOutputParams output;
    output.Width = FCaptureRect.width();
    output.Height = FCaptureRect.height();
    output.FileName = FOutputFileName;
    output.Mode = FCompressMode;
    output.UseHardware = FCompressHA;
    output.FramePS = FFramePS;
    output.Quality = FQuality;
    output.BackupTimeMs = FBackupTimeMs;
    output.Mailbox = FVideoRecorderThread;
    output.SizeReceiver = FHWinSize.get();
    return std::make_unique<TMFScreenRecorderThread>(FCaptureRect, output, FCaptureMethod, Display);
}

std::unique_ptr<TCursorRecorderThread> TMFScreenRecorder::CreateCursorThread() {
    // In video mode the base name is empty, so no track file is written.
    const QString base = FCompressMode == ScreenModeLive ? QString() : FOutputFileName;
    return std::make_unique<TCursorRecorderThread>(FCaptureRect.topLeft(), base, FFramePS,
                                                   FBackupTimeMs, FCaptureMethod, Display);
}

void TMFScreenRecorder::StartRecord() {
    FHWinSize = std::make_unique<platform::system::MessageReceiver>();
    FHWinSize->on(platform::system::msg::ScreenRecorderFileSize, [this](int64_t wParam, int64_t) {
        try {
            if (OnReceiveSize)
                OnReceiveSize(int(wParam));
        } catch (...) {
            // A failing size display must not disturb the recording.
        }
    });
    FCursorRecorderThread = CreateCursorThread();
    FScreenRecorderThread = CreateScreenThread();
    FCursorRecorderThread->Start();
    FScreenRecorderThread->Start();
}

void TMFScreenRecorder::SetStartTime(int64_t value) {
    for (TCaptureWorker* w : {static_cast<TCaptureWorker*>(FScreenRecorderThread.get()),
                              static_cast<TCaptureWorker*>(FCursorRecorderThread.get())})
        if (w)
            w->SetStartTime(value);
}

void TMFScreenRecorder::SetPauseTime(int64_t value) {
    if (FScreenRecorderThread)
        FScreenRecorderThread->SetPauseTime(value);
}

void TMFScreenRecorder::SetTotalPause(int64_t value) {
    for (TCaptureWorker* w : {static_cast<TCaptureWorker*>(FScreenRecorderThread.get()),
                              static_cast<TCaptureWorker*>(FCursorRecorderThread.get())})
        if (w)
            w->SetTotalPause(value);
}

void TMFScreenRecorder::SetRecording(bool value) {
    // Capture starts before the cursor and pauses after it, so the track stays within the
    // span of the pictures.
    if (value) {
        if (FScreenRecorderThread)
            FScreenRecorderThread->StartRecording();
        if (FCursorRecorderThread)
            FCursorRecorderThread->StartRecording();
    } else {
        if (FCursorRecorderThread)
            FCursorRecorderThread->StopRecording();
        if (FScreenRecorderThread)
            FScreenRecorderThread->StopRecording();
    }
}

void TMFScreenRecorder::Terminate() {
    if (FScreenRecorderThread)
        FScreenRecorderThread->Terminate();
    if (FCursorRecorderThread)
        FCursorRecorderThread->Terminate();
}

void TMFScreenRecorder::StopScreenThread(const QString& prefix) {
    const QString step = prefix + QStringLiteral(":ScreenRecorderThread");
    Breadcrumb(step);
    if (!FScreenRecorderThread)
        return;
    TMFScreenRecorderThread& thread = *FScreenRecorderThread;
    thread.Terminate();
    const QString status = thread.GetStatus();
    Breadcrumb(step + QStringLiteral("_wf_") + status);
    if (status.size() > 5)
        SendCaptureReport(QStringLiteral("Error:") + step + QStringLiteral("_wf_") + status);
    if (thread.InitErr())
        SendCaptureReport(QStringLiteral("Error:") + step + QStringLiteral("_initerr_") +
                          thread.LastStrError());
    if (!thread.HasChanges())
        SendCaptureReport(QStringLiteral("Error:") + step + QStringLiteral("_changes_") +
                          thread.LastStrError());
    FinishWorker(std::move(FScreenRecorderThread), prefix, QStringLiteral(":ScreenRecorderThread"),
                 Breadcrumb, StopLimitMs);
}

void TMFScreenRecorder::StopCursorThread(const QString& prefix) {
    const QString step = prefix + QStringLiteral(":CursorRecorderThread");
    Breadcrumb(step);
    if (!FCursorRecorderThread)
        return;
    FCursorRecorderThread->Terminate();
    Breadcrumb(step + QStringLiteral("_wf_") + FCursorRecorderThread->GetStatus());
    FinishWorker(std::move(FCursorRecorderThread), prefix, QStringLiteral(":CursorRecorderThread"),
                 Breadcrumb, StopLimitMs);
}

void TMFScreenRecorder::StopRecord() {
    const QString prefix = SettingsRecord.LastStep.text();
    // The capture thread ends first, so every picture is taken before the track is written.
    StopScreenThread(prefix);
    StopCursorThread(prefix);
    Breadcrumb(prefix + QStringLiteral(":DeallocateHWnd"));
    FHWinSize.reset();
    Breadcrumb(prefix + QStringLiteral(":EndStopRecord"));
}
