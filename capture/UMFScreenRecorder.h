#pragma once
// The screen recorder: a facade on the user-interface thread with two workers, the capture
// thread (pictures of the capture rectangle into the output stage) and the cursor thread.
// The capture thread takes a picture when the X server reports a change in the rectangle
// (shared memory, method 1) or one per frame period by GetImage (method 0, also the fallback
// when shared memory or change reports are missing).

#include "capture/UCaptureWorker.h"
#include "capture/UCursorRecorder.h"
#include "capture/UScreenOutput.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>

namespace platform::capture {
class ScreenGrabber;
}
namespace platform::system {
class MessageReceiver;
}

enum : uint8_t { CaptureMethodGetImage = 0, CaptureMethodChanges = 1 };

class TMFScreenRecorderThread : public TCaptureWorker {
public:
    TMFScreenRecorderThread(const QRect& captureRect, const TScreenOutputParams& output,
                            uint8_t captureMethod, const QByteArray& display = {});
    ~TMFScreenRecorderThread() override;

    // A picture was taken since the loop began.
    bool HasChanges() const { return FHasChanges; }
    // The change-driven method could not be set up and GetImage was used.
    bool InitErr() const { return FInitErr; }
    // What the set-up or the latest rebuild of the grabber did.
    QString LastStrError() const;

    TScreenOutput::EncoderFactory CreateEncoder; // the H.264 encoder of mode 1 when set

protected:
    void Execute() override;

private:
    void ExecuteChanges(platform::capture::ScreenGrabber& grabber, TScreenOutput& output);
    void ExecutePaced(platform::capture::ScreenGrabber& grabber, TScreenOutput& output);
    // Rebuilds a lost grabber; false (after 10 ms) while that fails.
    bool Regain(platform::capture::ScreenGrabber& grabber);
    void SetLastStrError(const QString& text);

    QRect FCaptureRect;
    TScreenOutputParams FOutput;
    uint8_t FCaptureMethod;
    QByteArray FDisplay;
    std::atomic<bool> FHasChanges{false}, FInitErr{false};
    mutable std::mutex FErrorLock;
    QString FLastStrError;
};

class TMFScreenRecorder {
public:
    TMFScreenRecorder();
    virtual ~TMFScreenRecorder();
    TMFScreenRecorder(const TMFScreenRecorder&) = delete;
    TMFScreenRecorder& operator=(const TMFScreenRecorder&) = delete;

    void SetParams(const QRect& InputRect, const QString& OutputFileName, uint8_t ACompressMode,
                   bool ACompressHA, uint8_t ACaptureMethod, int FramePs, int Quality,
                   int ABackupTimeMs, TRBufferMailbox* AVideoRecorderThread);
    // Creates and starts the workers; they stay idle until Recording is set.
    void StartRecord();
    void SetStartTime(int64_t value);
    void SetPauseTime(int64_t value);
    void SetTotalPause(int64_t value);
    void SetRecording(bool value);
    void Terminate();
    // Ends both workers with a breadcrumb at every step and reports failures.
    void StopRecord();

    TCursorRecorderThread* CursorRecorderThread() const { return FCursorRecorderThread.get(); }
    TMFScreenRecorderThread* ScreenRecorderThread() const { return FScreenRecorderThread.get(); }

    std::function<void(int sizeKB)> OnReceiveSize;
    TBreadcrumbSink Breadcrumb = DefaultBreadcrumbSink();
    QByteArray Display;      // the X display; empty for $DISPLAY
    int StopLimitMs = 10000; // how long a stop waits for each worker

protected:
    virtual std::unique_ptr<TMFScreenRecorderThread> CreateScreenThread();
    virtual std::unique_ptr<TCursorRecorderThread> CreateCursorThread();

    QRect FCaptureRect;
    QString FOutputFileName;
    int FFramePS = 30;
    uint8_t FCompressMode = ScreenModeTVF;
    bool FCompressHA = false;
    int FQuality = 80;
    uint8_t FCaptureMethod = CaptureMethodChanges;
    TRBufferMailbox* FVideoRecorderThread = nullptr;
    int FBackupTimeMs = 0;
    std::unique_ptr<platform::system::MessageReceiver> FHWinSize;

private:
    void StopScreenThread(const QString& prefix);
    void StopCursorThread(const QString& prefix);

    std::unique_ptr<TCursorRecorderThread> FCursorRecorderThread;
    std::unique_ptr<TMFScreenRecorderThread> FScreenRecorderThread;
};
