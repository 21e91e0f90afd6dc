#pragma once
// The camera recorder: a worker streams one camera in one format, converts every frame to BGRA
// for the preview (4024, through a ring of one frame) and, in a camera-only video recording,
// for the live video recorder, and while recording with a file name writes "<name>.mp4" at the
// format's rate: YUY2, NV12 and I420 (MJPEG frames are decoded to I420) go to the encoder in
// their own layout, other layouts as BGRA. Frames land on the encoder's constant-rate grid by
// the shared recording clock: late frames leave gap slots that repeat the previous picture,
// early ones are skipped, and at the end gap slots reach the time recorded. The file's size
// goes out as 4025.

#include "capture/UCaptureWorker.h"
#include "capture/UWebCamFrameConverter.h"
#include "media/UWebCamApi.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TCircleBufferThread;
class TMFEncoder;
class TRVideoRecorderThread;
namespace platform::camera {
class CaptureSession;
struct Frame;
} // namespace platform::camera
namespace platform::system {
class MessageReceiver;
}

// The size a camera picture is encoded at: both sides rounded down to even numbers.
inline int WebCamEncodeSide(int side) {
    return side & ~1;
}

class TMFWebCamRecorderThread : public TCaptureWorker {
public:
    // How long the worker waits for a frame before it looks at Terminated again.
    static constexpr int PollMs = 10;

    TMFWebCamRecorderThread(const QString& WebCamName, const TWebCamFormat& WebCamFormat,
                            int ABackupTimeMs, const QString& FileName, bool ACompressHA,
                            QObject* HWin, QObject* HWinSize,
                            TCircleBufferThread* CircleBufferCapture, int AQuality,
                            bool ARecording);
    ~TMFWebCamRecorderThread() override;

    void SetQuality(int value) { FQuality = value; }
    // While recording, every converted frame also goes to this recorder's camera slot.
    void SetVideoRecorderThread(TRVideoRecorderThread* value) { FVideoRecorderThread = value; }

    // The camera could not be opened in the format (it is gone, held, or refuses the format).
    bool OpenFailed() const { return FOpenFailed; }
    QString OpenError() const;

    // Makes the H.264 encoder for the layout handed to it; tests give their own.
    std::function<std::unique_ptr<TMFEncoder>(const TRGuid& subType)> CreateEncoder;

protected:
    void Execute() override;

private:
    bool OpenDevice();
    void Prepare();
    void HandleFrame(const platform::camera::Frame& frame);
    // The frame in the encoder's layout: the camera's own (YUY2, NV12, I420) or BGRA.
    void CopyNative(const uint8_t* data, size_t bytes);
    void CopyBgraForEncoder();
    void Record(int64_t frameTime);
    void StartEncoder();
    void FillGapsTo(int64_t t, int step);
    void Finish();

    const QString FWebCamName;
    const TWebCamFormat FWebCamFormat;
    const QString FFileName;
    const bool FCompressHA;
    const int FBackupTimeMs;
    std::atomic<int> FQuality;
    std::atomic<TRVideoRecorderThread*> FVideoRecorderThread{nullptr};
    QObject* const FHWin;
    QObject* const FHWinSize;
    TCircleBufferThread* const FCircleBufferCapture;

    std::unique_ptr<platform::camera::CaptureSession> FSession;
    TWebCamFrameConverter FFrames;
    std::unique_ptr<TMFEncoder> FEncoder;
    TRGuid FEncoderType{}; // the layout the encoder takes (MJPEG frames become I420)
    int W = 0, H = 0;      // the camera picture
    int EW = 0, EH = 0;    // the encoded picture
    bool FNativeInput = false;
    std::vector<uint8_t> FEncodeBuffer;
    std::vector<uint8_t> FBufferARGB; // the converted frame, W × H × 4
    bool FFirst = true;
    int64_t FLastSizeT = 0;
    int64_t FLastT = -1; // media time of the last look at the clock while recording

    mutable std::mutex FErrorLock;
    QString FOpenError;
    std::atomic<bool> FOpenFailed{false};
};

class TMFWebCamRecorder {
public:
    TMFWebCamRecorder();
    virtual ~TMFWebCamRecorder();
    TMFWebCamRecorder(const TMFWebCamRecorder&) = delete;
    TMFWebCamRecorder& operator=(const TMFWebCamRecorder&) = delete;

    void SetParams(const QString& InputWebCamName, const TWebCamFormat& InputWebCamFormat,
                   int ABackupTimeMs, const QString& FileName, bool ACompressHA);
    // Stops a running worker, then starts a new one (recording off unless ARecording); 0.
    int32_t Start(int AQuality, bool ARecording = false);
    void SetRecording(bool value);
    void SetStartTime(int64_t value);
    void SetPauseTime(int64_t value);
    void SetTotalPause(int64_t value);
    void SetQuality(int value);
    void SetVideoRecorderThread(TRVideoRecorderThread* value);
    void Terminate();
    // Ends the worker with a breadcrumb at every step and reports failures.
    void Stop();

    TMFWebCamRecorderThread* WebCamThread() const { return FWebCamThread.get(); }

    // One BGRA frame of the camera's size, first row at the top (on the thread that called
    // Start).
    std::function<void(int width, int height, const uint8_t* buffer)> OnReceiveData;
    std::function<void(int sizeKB)> OnReceiveSize;
    TBreadcrumbSink Breadcrumb = DefaultBreadcrumbSink();
    int StopLimitMs = 10000; // how long a stop waits for the worker
    std::function<std::unique_ptr<TMFEncoder>(const TRGuid& subType)> CreateEncoder;

private:
    void ShowPreview();

    QString FWebCamName;
    TWebCamFormat FWebCamFormat;
    bool FCompressHA = false;
    QString FFileName;
    int FQuality = 80;
    int FBackupTimeMs = 0;
    std::unique_ptr<platform::system::MessageReceiver> FHWin, FHWinSize;
    std::unique_ptr<TCircleBufferThread> FCircleBufferCapture;
    std::vector<uint8_t> FBufferARGB;
    std::unique_ptr<TMFWebCamRecorderThread> FWebCamThread;
};
