#pragma once
// The output stage of the screen worker: the screen-video file (mode 0), an H.264 MP4 at a
// constant frame rate (mode 1) or the live recorder's mailbox (mode 255). Pictures are 32-bit
// BGRA of the capture size, top row first.

#include "capture/URBufferMailbox.h"
#include "capture/UVideoWriterTVC.h"
#include "media/UMFencoder.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The screen-video quantiser step of a quality 0..100: Trunc((100 - Q) × 20 / 50), clamped to
// the codec's 0..35.
int ScreenQStep(int quality);
// The frame slot of media time mt: (mt div 1000) × fps + (mt mod 1000) div (1000 div fps).
int64_t FrameSlot(int64_t mt, int fps);

enum : uint8_t { ScreenModeTVF = 0, ScreenModeMP4 = 1, ScreenModeLive = 255 };

struct TScreenOutputParams {
    int Width = 0;
    int Height = 0;
    QString FileName; // base name, without extension
    uint8_t Mode = ScreenModeTVF;
    bool UseHardware = false;
    int FramePS = 30;
    int Quality = 80;
    int BackupTimeMs = 0;
    TRBufferMailbox* Mailbox = nullptr; // mode 255
    QObject* SizeReceiver = nullptr;    // receives the output size in kilobytes
};

class TScreenOutput {
public:
    using EncoderFactory = std::function<std::unique_ptr<TMFEncoder>()>;
    using ResultSink = std::function<void(int32_t hr, int step)>;

    // `stopping` tells the mode-1 catch-up to give up when the worker is being terminated.
    TScreenOutput(const TScreenOutputParams& params, ResultSink result,
                  std::function<bool()> stopping);
    ~TScreenOutput();
    TScreenOutput(const TScreenOutput&) = delete;
    TScreenOutput& operator=(const TScreenOutput&) = delete;

    // The H.264 encoder of mode 1 (tests install a fake).
    EncoderFactory CreateEncoder;

    // Opens the file or the encoder.
    void Prepare();
    // A changed picture of the event-driven path: at most one picture per frame slot in mode 0,
    // the newest of a slot kept pending until a later one leaves a slot empty.
    void AddChanged(const uint8_t* picture, int64_t mt);
    // A picture of the paced path, taken once per frame period: written whole in mode 0.
    void AddPaced(const uint8_t* picture, int64_t mt);
    // A new recording start: nothing is pending.
    void ClearPending() { FPending = false; }
    // Writes what is left and closes the output; endMs is the recording's duration.
    void Close(int64_t endMs);

private:
    int Stride() const { return FParams.Width * 4; }
    void WriteFrame(const uint8_t* picture, int64_t mt);
    void AddSlotted(const uint8_t* picture, int64_t mt);
    void AddConstantRate(const uint8_t* picture, int64_t mt);
    void CopyToEncoderPicture(const uint8_t* picture);
    // Adds the encoder picture once (step `pictureStep`), later a gap (step `gapStep`).
    void FillSlot(int pictureStep, int gapStep);
    int64_t SlotEndMs() const;
    void Encode(const uint8_t* picture, int step);
    void PostSize(int64_t mt);

    TScreenOutputParams FParams;
    ResultSink FResult;
    std::function<bool()> FStopping;
    std::unique_ptr<TVideoWriterTVC> FWriter;
    std::unique_ptr<TMFEncoder> FEncoder;
    int FW2 = 0, FH2 = 0;
    std::vector<uint8_t> FPendingPicture, FEncoderPicture;
    int64_t FLastSlot = -1;
    bool FPending = false;
    int64_t FPendingTime = 0;
    bool FWritten = false;
    int64_t FBytes = 0;
    int64_t FLastSizeTime = 0;
};
