#pragma once
// The live video recorder: one finished video instead of track files. Its worker takes the
// newest screen or camera picture, composes each output frame (URVideoCompositor) and encodes
// the frames on the encoder's slot grid: MP4 (H.264 or HEVC) with the microphone and system
// sound, which the audio engines write into two rings that the worker mixes, or animated GIF
// or WebP through the encoder queue (UREncoderThread), without sound. Sound keeps the
// picture's clock: a source that does not deliver becomes silence, and what a source holds
// beyond 100 ms ahead of the picture is dropped.

#include "capture/UCaptureWorker.h"
#include "capture/URBufferMailbox.h"
#include "capture/URCursorSource.h"
#include "capture/URVideoCompositor.h"
#include "capture/URVideoRecorderOptions.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>

class TCircleBufferThread;
class TMFEncoder;
class TRBufferThread;

// The output format the recorder writes: an unknown code is MP4 (H.264), and GIF or WebP
// without a picture is MP4 too.
int RecorderOutputFormat(int format, bool video);
// Bytes per second of the sound stream by the bit-rate code (0..3).
int RecorderAudioBytesPS(int code);
// Adds `a` into `b` sample by sample, saturated to ±32700.
void MixAudio(const int16_t* a, int16_t* b, int samples);
// The MP4 encoder of a format (1..4).
std::unique_ptr<TMFEncoder> CreateRecorderEncoder(int format);

// The time the recorder's loop runs on; tests give a clock of their own.
class TRRecorderClock {
public:
    virtual ~TRRecorderClock() = default;
    virtual int64_t NowMs();
    virtual void SleepMs(int ms);
};

// What a finished recording left behind.
struct TRVideoRecordingResult {
    bool Written = false; // the file was written and closed
    QString FileName;
};

class TRVideoRecorderThread : public TCaptureWorker, public TRBufferMailbox {
public:
    // Rings of 5 s of 44.1 kHz 16-bit stereo.
    static constexpr int RingBytes = 882000;
    // A source that has not delivered for this long is taken as silence.
    static constexpr int SilenceAfterMs = 250;
    // Sound further ahead of the picture than this is dropped.
    static constexpr int AheadLimitMs = 100;

    TRVideoRecorderThread(const TRVideoRecorderOptions& Data, QObject* AHWinSize,
                          std::shared_ptr<TRRecorderClock> clock = {});
    ~TRVideoRecorderThread() override;

    // A screen picture of the capture size (mode 255 of the screen worker).
    void SetScreenData(const uint8_t* picture, int width, int height, int stride) override;
    // A camera picture of the camera size, packed rows.
    void SetCameraData(const uint8_t* PSource);
    TCircleBufferThread* MicBuffer() const { return FMicBuffer.get(); }
    TCircleBufferThread* SCBuffer() const { return FSCBuffer.get(); }
    // Returns only when no call into the previous source runs.
    void SetCursorRecorderThread(TRCursorSource* ACursorRecorderThread);

    const TRVideoLayout& Layout() const { return FCompositor.Layout(); }
    std::shared_ptr<const TRVideoRecordingResult> Result() const { return FResult; }

    // Makes the MP4 encoder of a format; tests give their own.
    std::function<std::unique_ptr<TMFEncoder>(int format)> CreateEncoder = CreateRecorderEncoder;
    // Makes the GIF/WebP queue's encoder; null for the queue's own.
    std::function<std::unique_ptr<TMFEncoder>(int format)> CreateQueueEncoder;

protected:
    void Execute() override;

private:
    int64_t UpdateMediaTime() const;
    void WaitForFirstFrame();
    void ReadAndCompose(int ATime);
    void ComposeAt(int ATime);
    void AddFrame(TMFEncoder& encoder, const uint8_t* frame, int step);
    void RunMp4();
    void Mp4FirstPass(TMFEncoder& encoder);
    void Mp4Pass(TMFEncoder& encoder, bool& lag);
    void FeedAudio(TMFEncoder& encoder, int64_t mt);
    bool FeedAudioChunk(TMFEncoder& encoder, int64_t mt);
    void DropAhead(TCircleBufferThread* ring, int64_t lagMs);
    void FinishAudio(TMFEncoder& encoder);
    void PostSize(int64_t mt, uint64_t bytes);
    void RunQueue();

    TRVideoRecorderOptions FData;
    QObject* FHWinSize;
    std::shared_ptr<TRRecorderClock> FClock;
    TRVideoCompositor FCompositor;
    std::unique_ptr<TRBufferThread> FScreenBuffer, FCameraBuffer;
    std::unique_ptr<TCircleBufferThread> FMicBuffer, FSCBuffer;
    std::vector<uint8_t> pAudioData, pAudioDatamix;
    std::mutex FCursorLock;
    TRCursorSource* CursorRecorderThread = nullptr;
    std::shared_ptr<TRVideoRecordingResult> FResult;
    int64_t FLastMessage = 0;
    bool m_audio = false;
};

class TRVideoRecorder {
public:
    TRVideoRecorder();
    virtual ~TRVideoRecorder();
    TRVideoRecorder(const TRVideoRecorder&) = delete;
    TRVideoRecorder& operator=(const TRVideoRecorder&) = delete;

    void SetParams(const TRVideoRecorderOptions& Data) { FData = Data; }
    // Stops a worker that still runs, then creates and starts a new one; 0.
    int32_t Start(bool ARecording = true);
    // Ends the worker with a breadcrumb at every step and reports failures. True when the
    // recording's file was written (FileName() names it); false when no file is there.
    bool Stop();
    void Terminate();

    // The rings for the audio engines; null without a worker or when that source is off.
    TCircleBufferThread* GetMicBuffer() const;
    TCircleBufferThread* GetSCBuffer() const;
    void SetCursorRecorderThread(TRCursorSource* ACursorRecorderThread);
    void SetStartTime(int64_t value);
    void SetPauseTime(int64_t value);
    void SetTotalPause(int64_t value);
    void SetRecording(bool value);
    TRVideoRecorderThread* VideoRecorderThread() const { return FVideoRecorderThread.get(); }
    // The file the last recording wrote; empty when none.
    QString FileName() const { return FFileName; }

    std::function<void(int sizeKB)> OnReceiveSize;
    TBreadcrumbSink Breadcrumb = DefaultBreadcrumbSink();
    int StopLimitMs = 30000; // how long a stop waits for the worker (the queue drains first)

protected:
    virtual std::unique_ptr<TRVideoRecorderThread> CreateThread(QObject* sizeReceiver);
    TRVideoRecorderOptions FData;

private:
    std::unique_ptr<QObject> FHWinSize;
    std::unique_ptr<TRVideoRecorderThread> FVideoRecorderThread;
    QString FFileName;
};
