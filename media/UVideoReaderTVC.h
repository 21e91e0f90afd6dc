#pragma once
// Reader of screen-video files ".tvf": reads the frame index once and delivers the picture
// shown at any time as BGRA, decoding forward from the last delivered frame within a key-frame
// run and otherwise from the key frame of the wanted frame's run. A file whose recording never
// finished (its head still zero) is read by walking its frame records and rebuilding the index.
// Sizes, offsets and counts from the file are checked; damaged files and frames are refused.

#include "media/UVideoDecoder.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <vector>

class TVideoReaderTVC {
public:
    TVideoReaderTVC();
    ~TVideoReaderTVC();
    TVideoReaderTVC(const TVideoReaderTVC&) = delete;
    TVideoReaderTVC& operator=(const TVideoReaderTVC&) = delete;

    // Opens the screen-video data that starts at AFileOffset of AFileName; false (see
    // LastError) when the file cannot be opened or is damaged.
    bool OpenFile(const QString& AFileName, int64_t AFileOffset = 0);
    // Writes the picture shown at ATimeMs into PDst (Height rows of Width BGRA pixels, no
    // gaps); false when the reader is not valid or a needed frame is damaged.
    bool GetFrame(int ATimeMs, uint8_t* PDst);
    // Begin time of frame AIndex (1..NrFrames); -1 for the sentinel 0; 0 outside.
    int GetBeginTime(int AIndex) const;
    // The last frame (1..NrFrames) whose begin time is not after ATimeMs, 0 when none.
    int FindFrameIndex(int ATimeMs) const;

    bool IsValid() const { return FIsValid; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int FramePS() const { return FFramePS; }
    int NrFrames() const { return FNrFrames; }
    int DurationMs() const { return FDurationMs; }
    int QStep() const { return FQStep; }
    // True when the index was rebuilt from the frame records of an unfinished recording.
    bool Recovered() const { return FRecovered; }
    // Frame records entropy-decoded since the file was opened (tests check seeking with it).
    int DecodedFrameCount() const { return FDecodedFrames; }
    const QString& LastError() const { return FLastError; }

private:
    struct TFrame {
        int32_t Id = 0;
        bool Keyframe = false;
        int32_t BeginTimeMs = -1;
        int32_t EndTimeMs = -1;
        int64_t Offset = 0;
        int32_t Size = 0;
        int32_t KeyFrameId = 0; // entry of the latest key frame at or before this one
    };

    bool Fail(const QString& Reason);
    bool ReadAt(int64_t Position, uint8_t* Data, int64_t Size);
    bool ReadIndex(int64_t IndexPosition, int64_t IndexSize);
    bool RecoverIndex(int64_t DataSize);
    bool AddFrame(const TFrame& Frame, int64_t DataEnd);
    bool FinishFrames();
    bool CheckFirstFrame();
    bool DecodeFrame(int Index);

    int FWidth = 0, FHeight = 0;
    bool FIsValid = false;
    int FFramePS = 0;
    int FNrFrames = 0;
    int FDurationMs = 0;
    int FQStep = 0;
    std::vector<TFrame> FFrames;
    int64_t FFileOffset = 0;
    QFile fsin;
    TVideoDecoder videodecoder;
    std::vector<uint8_t> psrc;
    int LastFrameId = 0;
    bool FRecovered = false;
    int FDecodedFrames = 0;
    QString FLastError;
};
