#pragma once
// The queue between the live compositor and the GIF or WebP encoder: the compositor queues a
// copy of every frame with its media time and never waits; this worker owns the encoder and
// feeds it from the queue, and on its end encodes what is left before the file is closed. The
// queue holds at most two seconds of frames: a frame that does not fit is counted and
// dropped, and the next frame's time covers its slot.

#include "capture/UCaptureWorker.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TMFEncoder;

// One queued frame: its media time and a private copy of its pixels.
struct TREncoderFrame {
    int32_t Time = 0;
    std::vector<uint8_t> Data;
};

class TREncoderThread : public TCaptureWorker {
public:
    // `AEncoder` 6 writes GIF, any other value WebP.
    TREncoderThread(int AEncoder, int AWidth, int AHeight, int AFramePS, int AQuality,
                    int AGifOptimize, int AWebPOptimize, uint32_t AGifColor,
                    const QString& AFileName);
    ~TREncoderThread() override;

    // Queues a copy of a frame (Width × Height × 4 bytes) taken at ATime ms; nothing for null
    // data; a frame beyond the queue's bound is counted in Dropped() instead.
    void AddVideoFrame(int ATime, const uint8_t* PData);
    // Takes the oldest queued frame into PData; false when none waits.
    bool GetDataToProcess(uint8_t* PData, int& ATime);

    // Frames the queue holds at most: two seconds at the frame rate.
    int Capacity() const { return FCapacity; }
    int Queued() const;
    int Dropped() const { return FDropped; }
    // The encoder's output size, refreshed once per second of frames.
    uint64_t CompressedSize() const { return FCompressedSize; }
    // The file was written and closed (valid once the worker has finished).
    bool WroteFile() const { return FWroteFile; }
    QString FileName() const { return FOutputName; }

    // Sets the options of a new GIF or WebP encoder as this queue uses it.
    static void ConfigureEncoder(TMFEncoder& encoder, int AEncoder, int AGifOptimize,
                                 int AWebPOptimize, uint32_t AGifColor);
    // Makes the encoder (the GIF or WebP encoder by default); tests give their own.
    std::function<std::unique_ptr<TMFEncoder>(int AEncoder)> CreateEncoder;

protected:
    void Execute() override;

private:
    void Encode(TMFEncoder& encoder, const uint8_t* frame, int time);

    int FEncoder, FWidth, FHeight, FQuality, FFramePS, FGifOptimize, FWebOptimize;
    uint32_t FGifColor;
    QString FFileName;
    int FCapacity;
    mutable std::mutex FCS;
    std::deque<TREncoderFrame> frames;
    std::atomic<int> FDropped{0};
    std::atomic<uint64_t> FCompressedSize{0};
    std::atomic<bool> FWroteFile{false};
    QString FOutputName;
    int FCount = 0;
};
