// The video readers: one reader class per container behind the facade TVideoReaderEx, which
// picks the reader by the file's extension. Pictures come back by time as 32-bit BGRA.
#pragma once

#include "media/UTimeSearch.h"
#include "platform/media/MediaType.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Pictures this wide or high are not valid (and are refused before anything is allocated).
constexpr int MaxPictureSide = 20000;

// The stream index every caller passes: the first video stream of the file.
constexpr uint32_t MF_SOURCE_READER_FIRST_VIDEO_STREAM = 0xFFFFFFFC;

// A premultiplied BGRA picture the caller owns (rows top-down, `Pitch` bytes apart): the target
// of the readers whose pictures carry transparency (animated GIF and WebP). The facade's variant
// for bitmaps of the 2-D engine hands the bitmap's pixels over as such a target.
struct TFrameTarget {
    uint8_t* Bits = nullptr;
    int Pitch = 0;
    int Width = 0;
    int Height = 0;
};

// One entry of a frame table; tables are one-based, entry 0 is a sentinel (-1 .. -1).
struct TFrameMF {
    bool Keyframe = false;
    int64_t Time = 0;     // presentation time in the track's own units
    int BeginTimeMs = -1; // inclusive range in milliseconds
    int EndTimeMs = -1;
    int KeyFrameId = 0; // the key frame from which this frame can be decoded
};

// The last entry of 1..nrFrames whose BeginTimeMs is not after timeMs; 0 when timeMs lies
// before entry 1. Where several entries share one begin time, the last of them.
template <typename Entry>
int FindFrameIndex(const std::vector<Entry>& frames, int nrFrames, int timeMs) {
    return FindLastNotAfter(1, nrFrames, timeMs,
                            [&](int i) { return frames[size_t(i)].BeginTimeMs; });
}

// Base of the readers. A reader is opened once; it is valid only when the open succeeded.
class TVideoReader {
public:
    TVideoReader() = default;
    virtual ~TVideoReader() = default;
    TVideoReader(const TVideoReader&) = delete;
    TVideoReader& operator=(const TVideoReader&) = delete;

    // Opens the file; never throws: a failure leaves FIsValid false and says why in FErrorText.
    virtual void OpenFile(const QString& fileName, int64_t fileOffset, uint32_t index) = 0;
    // The picture at timeMs as opaque BGRA, FWidth × 4 bytes per row, into the caller's buffer.
    // Readers of transparent pictures leave the buffer untouched.
    virtual void GetFrame(uint32_t index, int timeMs, uint8_t* dst);
    // The picture at timeMs, premultiplied, into the caller's target at (0, 0). Only the readers
    // of transparent pictures answer it; the others leave the target untouched.
    virtual void GetFrame(int timeMs, const TFrameTarget& target);
    // Begin time of frame `index` (1-based) of the reader's table; 0 outside it.
    virtual int GetBeginTime(int index) const;

    int FWidth = 0;
    int FHeight = 0;
    bool FIsValid = false;
    platform::media::Rational FFrameRate; // exact nominal rate; invalid when none is stated
    int FFramePS = 0;                     // the rate rounded to whole frames per second
    int FNrFrames = 0;
    int FDurationMs = 0;
    QString FErrorText; // why the open failed
};

using TVideoReaderFactory = std::function<std::unique_ptr<TVideoReader>()>;

// The facade: opens the reader that the file's extension names.
class TVideoReaderEx {
public:
    explicit TVideoReaderEx(const QString& fileName);
    ~TVideoReaderEx();
    TVideoReaderEx(const TVideoReaderEx&) = delete;
    TVideoReaderEx& operator=(const TVideoReaderEx&) = delete;

    // Makes `factory` the reader of files with these extensions (with their dot, any case),
    // replacing an earlier registration. The built-in containers are registered from the start;
    // readers living elsewhere in the program register themselves at start-up.
    static void RegisterReader(const QStringList& extensions, TVideoReaderFactory factory);
    // The extension the facade looks at: from the last dot of the file name, lower case,
    // with the dot; empty when there is none.
    static QString ExtensionOf(const QString& fileName);

    bool IsValid() const;
    int GetWidth() const;
    int GetHeight() const;
    int GetDurationMs() const;
    platform::media::Rational GetFrameRate() const;
    // Why the file cannot be used; empty when it can.
    QString ErrorText() const;

    // The picture at timeMs as opaque BGRA (GetWidth × 4 bytes per row, top row first).
    void GetFrame(int timeMs, uint8_t* dst);
    // The picture at timeMs into a premultiplied target (animated GIF and WebP only).
    void GetFrame(int timeMs, const TFrameTarget& target);

    TVideoReader* Reader() const { return FVideoReader.get(); }

private:
    void OpenReader();

    QString FFileName;
    std::unique_ptr<TVideoReader> FVideoReader;
    QString FErrorText;
};
