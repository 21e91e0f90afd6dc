// The encoder family's base: writes one optional video stream and one optional audio stream
// into a media file whose container follows the extension (".mp4" by default), H.264 video
// from 32-bit BGRA frames and AAC audio from 16-bit stereo PCM. Descendants change the stream
// settings or the pixel hand-over, or write the file themselves.
//
// Callers drive every encoder in one order: create, set the option fields, SetParams,
// StartEncode, AddVideoFrame / AddAudioFrame per frame interval, StopEncode, destroy.
#pragma once

#include "platform/media/EncoderCatalog.h"
#include "platform/media/EncoderSettings.h"
#include "platform/media/MediaType.h"
#include "platform/media/VideoConverter.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::media {
class SinkWriter;
}

// Results of the encoder operations: 0 success, 1 nothing was done (not started, no file),
// anything else a failure whose reason LastError() gives.
constexpr int32_t MF_S_OK = 0;
constexpr int32_t MF_S_NOTHING = 1;
constexpr int32_t E_MF_ENCODER = int32_t(0x80004005);    // the media layer refused a step
constexpr int32_t E_MF_NO_ENCODER = int32_t(0xC00D5212); // no encoder for the format here
constexpr int32_t E_MF_NO_FRAMES = int32_t(0xC00D4A44);  // stopped before anything was added;
                                                         // no file is left behind
// Average bit rate of a video by its picture height (bits per second).
int64_t BitRateForHeight(int height);

// Sound frames of the first `chunks` video frame intervals at `rate` Hz and `fps` frames per
// second: each interval takes its share with the remainder carried, so the sound never drifts
// against the picture (1837 and 1838 frames alternate at 44,100 Hz and 24 fps).
int64_t AudioFramesBefore(int64_t chunks, int rate, int fps);

// Slots that passed without frames before a frame captured `timeMs` ms into a recording, for
// the encoders that hold one frame back: `writtenMs` ms are already in the file and the held
// frame covers `heldSlots` slots. 0 when none were missed.
int64_t MissedSlots(int timeMs, int64_t writtenMs, int fps, int64_t heldSlots);

// The bounds of the pixels in which two BGRA pictures of width × height differ (inclusive;
// MaxX < 0 when none differ). When `unchangedMask` is given, it receives 1 for every pixel that
// is the same in both and 0 for every other.
struct TChangedBounds {
    int MinX = 0;
    int MinY = 0;
    int MaxX = -1;
    int MaxY = -1;
    bool Empty() const { return MaxX < 0; }
};
TChangedBounds FindChangedPixels(const uint8_t* frame, const uint8_t* previous, int width,
                                 int height, uint8_t* unchangedMask = nullptr);

// Time of frame slot `slots` in 100 ns, rounded to the nearest (halves to even).
int64_t SlotTime(int64_t slots, int fps);

class TMFEncoder {
public:
    TMFEncoder();
    virtual ~TMFEncoder();
    TMFEncoder(const TMFEncoder&) = delete;
    TMFEncoder& operator=(const TMFEncoder&) = delete;

    virtual void SetParams(int AWidth, int AHeight, int AVideoFramePS, int AQuality, bool AAudio,
                           int AAudioFramePS, int AAudioBytesPS, const QString& AFileName);
    // Whether the video stream can be set up with the current settings; leaves no file.
    virtual int32_t TestEncode();
    virtual int32_t StartEncode();
    // One frame slot: a BGRA frame (Width × Height × 4 bytes, top row first), or nullptr to let
    // the slot pass without a picture.
    virtual int32_t AddVideoFrame(const uint8_t* PVideoDataRGB);
    // The sound of one frame interval: AudioChunkFrames() interleaved 16-bit stereo frames.
    virtual int32_t AddAudioFrame(const uint8_t* PAudioData);
    virtual int32_t StopEncode();
    // A frame captured `ATime` ms after the start of the recording (GIF and WebP only).
    virtual int32_t AddVideoFrameFromRecording(const uint8_t* PVideoDataRGB, int ATime);
    virtual uint64_t GetVideoCompressedSize();

    uint64_t GetAudioCompressedSize() const;
    int64_t GetNumVideoSamplesToEncode() const;
    int64_t GetNumAudioSamplesToEncode() const;
    platform::media::StreamStatistics GetVideoStatistics() const;

    // Stereo frames the next AddAudioFrame takes.
    int AudioChunkFrames() const;
    // Bytes of the next AddAudioFrame.
    int AudioChunkBytes() const { return AudioChunkFrames() * 4; }

    int VideoFramePS() const { return FVideoFramePS; }
    bool Video() const { return FVideo; }
    bool Audio() const { return FAudio; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Quality() const { return FQuality; }
    void SetQuality(int quality) { FQuality = quality; }
    int64_t SampleVideoStart() const { return FSampleVideoStart; }
    int64_t SampleVideoDuration() const { return FSampleVideoDuration; }
    int SampleVideoStartMS() const { return int(FSampleVideoStart / 10'000); }
    int SampleaudioStartMS() const { return int(FSampleAudioStart / 10'000); }
    QString FileName() const { return FFileName + FFileNameExt; }
    // Why the last failing step failed.
    QString LastError() const { return FLastError; }

    // Options, set between construction and StartEncode.
    bool UseHardware = false;      // a hardware encoder is required
    bool UseVFR = false;           // frames equal to the last written one are not written
    bool UseChanges = false;       // write only changed rectangles (GIF and WebP)
    bool UseTransparency = false;  // unchanged pixels become transparent (GIF)
    uint32_t TransparentColor = 0; // key colour as a pixel value (GIF)
    bool Animation = false;        // animated container (WebP)
    bool RealTime = false;         // fed live (a recording): software encoders take their fastest
                                   // preset so that they keep pace on any machine

protected:
    // The encoded video stream: encoder, size, rate, bit rate, colour encoding.
    virtual platform::media::VideoEncoderSettings CreateVideoOutputType();
    // Further options of the video encoder.
    virtual platform::media::EncoderOptions GetEncodingParameters();
    // The picture handed to the video encoder for one frame of the caller (no copy).
    virtual platform::media::PictureView ConvertFrame(const uint8_t* Source);
    virtual platform::media::AudioEncoderSettings CreateAudioOutputType();
    virtual int32_t WriteVideoSample(const uint8_t* Frame, int Slots);

    // The encoder name for FOutputGuid, hardware when UseHardware asks for it; empty when the
    // machine has none (the reason goes to FLastError).
    std::string VideoEncoderName();
    // The average video bit rate of the height table, or 10 Mbit/s for a quality above 0.
    int64_t VideoBitRate() const;
    // Records the failure and returns E_MF_ENCODER.
    int32_t Fail(const QString& reason);
    int32_t Fail(const std::exception& error);
    // Moves the slot counter on by `slots` and recomputes the next slot's time.
    void PassSlots(int64_t slots);
    // Removes a file left by a failed or empty encode.
    void RemoveOutput() const;

    int FVideoFramePS = 30;
    int FWidth = 1920;
    int FHeight = 1080;
    int FQuality = 80;
    platform::media::PixelFormat FInputGuid = platform::media::PixelFormat::Bgra;
    platform::media::VideoCodec FOutputGuid = platform::media::VideoCodec::H264;
    QString FFileName;
    QString FFileNameExt = QStringLiteral(".mp4");
    bool FVideo = true;
    bool FAudio = false;
    int64_t FNrVideoFrames = 0;
    int64_t FNrAudioFrames = 0;
    int FAudioFramePS = 44100;
    int FAudioBytesPS = 16000;
    std::unique_ptr<platform::media::SinkWriter> ppSinkWriter;
    int VideoStreamIndex = -1;
    int AudioStreamIndex = -1;
    int64_t RawBufferSizeInput = 0;
    int64_t RawBufferSizeRGB32 = 0;
    int64_t FSampleVideoStart = 0;
    int64_t FSampleVideoDuration = 0;
    int64_t FSampleAudioStart = 0;
    int64_t FSampleAudioDuration = 0;
    bool first = true;                // no frame was written yet (variable rate)
    int64_t FVideoSamplesWritten = 0; // pictures handed to the writer
    std::vector<uint8_t> lastdata;    // the last written frame (variable rate)
    bool IsValid = false;
    QString FLastError;
};
