// Readers that decode through the media layer's source reader: the shared opening, reading
// forward to a time and the held picture (TVideoReaderSource), and the fetch by frame table of
// the MP4, AVI and WMV readers (TVideoReaderTable).
#pragma once

#include "media/UVideoReader.h"
#include "platform/media/SourceReader.h"
#include "platform/media/VideoConverter.h"

#include <QIODevice>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TVideoReaderSource : public TVideoReader {
protected:
    // Time and duration (100 ns) of the sample a read took.
    struct TSampleSpan {
        int64_t Time = 0;
        int64_t Duration = 0;
    };

    // Opens the decoder on the file's first video stream and reads its duration, size and frame
    // rate. False (with FErrorText) when the file cannot be decoded or has no duration.
    bool OpenSource(const QString& fileName, const platform::media::OpenOptions& options);
    // Moves the decoder to the key frame at or before `position` (100 ns); failures are ignored:
    // the reader then reads on from where it is.
    void Seek(int64_t position);
    // Reads forward to the last sample that starts at or before `target` (100 ns), or to one
    // whose stored duration covers it, converts it into the held picture and returns its span:
    // the stored duration, else up to the next sample's start (that sample is kept for the next
    // read). The first sample stands when it starts after the target; when the stream ends
    // first, the last sample read stands up to the end of the file. Nothing when no sample was
    // read or the stream fails, in which case the held picture is unchanged.
    std::optional<TSampleSpan> ReadTo(int64_t target);
    // Converts a sample into the held picture; nothing when it cannot be converted.
    std::optional<TSampleSpan> Hold(const platform::media::Sample& sample, int64_t duration);
    // Copies the held picture to the caller's buffer (FWidth × 4 bytes per row).
    void CopyHeld(uint8_t* dst) const;

    std::unique_ptr<platform::media::SourceReader> preader;
    platform::media::VideoConverter FConverter;
    std::vector<uint8_t> PARGB; // the picture last delivered, FWidth × FHeight × 4 bytes
    bool FHolding = false;      // PARGB holds a decoded picture
    // The decoder's time of the reader's time 0 (100 ns): targets and seeks are moved by it and
    // sample times brought back.
    int64_t FSourceOffset = 0;

private:
    // ReadTo in the decoder's times.
    std::optional<TSampleSpan> ReadToSource(int64_t target);
    // The sample read ahead, else the decoder's next one; nothing at the end or on failure.
    std::optional<platform::media::Sample> NextSample();

    platform::media::Sample FAhead; // read past the last target; delivered first by the next read
};

class TVideoReaderTable : public TVideoReaderSource {
public:
    void GetFrame(uint32_t index, int timeMs, uint8_t* dst) override;
    int GetBeginTime(int index) const override;

protected:
    // Opens a file whose frame table is laid out evenly (AVI, ASF): the decoder, then the key
    // frames that `readKeyFrames` finds in the container's own index.
    void
    OpenEvenTable(const QString& fileName,
                  const std::function<std::optional<std::vector<int>>(QIODevice&)>& readKeyFrames);
    // Lays out FNrFrames evenly spaced frames over FDurationMs at the exact frame rate (at least
    // one frame, so files shorter than one frame still show theirs), marks the given 1-based
    // frames as key frames (every frame when there is no index at all) and finishes the table.
    void LayOutEvenTable(const std::optional<std::vector<int>>& keyFrames);
    // The frames FDurationMs holds at FFrameRate.
    int64_t EvenFrameCount() const;
    // Fills KeyFrameId from the key flags and sets the sentinel; LastFrameId back to none.
    void FinishTable();

    // The fewest bytes a frame takes in an AVI or ASF file: a chunk or payload header.
    static constexpr int64_t MinFrameBytes = 8;

    std::vector<TFrameMF> FFrames; // entries 0..FNrFrames
    int LastFrameId = 0;
};
