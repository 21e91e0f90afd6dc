#pragma once
// Writer of the screen-video file ".tvf" of a screen recording: encodes every picture with its
// own frame encoder, stores each changed frame at once (a crash loses at most the frame being
// written; the reader rebuilds the index of such a file), starts a new key-frame group after 60
// stored frames or more than 5000000 bytes, and on stop appends the index and fills the head.

#include "capture/UVideoEncoder.h"
#include "media/UVideoFormatTVC.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <vector>

class TVideoWriterTVC {
public:
    TVideoWriterTVC() = default;
    ~TVideoWriterTVC();
    TVideoWriterTVC(const TVideoWriterTVC&) = delete;
    TVideoWriterTVC& operator=(const TVideoWriterTVC&) = delete;

    // Creates (or replaces) AFileName + ".tvf"; false (see LastError) when the file cannot be
    // created or the size or QStep is not allowed.
    bool StartWrite(int AWidth, int AHeight, int AQuality, int ABackupTimeMs,
                    const QString& AFileName, bool ADataIsARGB = true);
    // Encodes and stores one picture taken at media time TimeMs; returns the frame record's
    // size, 0 when the picture was unchanged or nothing is open, -1 when writing failed.
    int AddFrame(const uint8_t* PSrc, int Stride, int TimeMs);
    // Writes the index with LastTimeMs as the duration and closes the file.
    bool StopWrite(int LastTimeMs);

    const QString& LastError() const { return FLastError; }
    int FramesStored() const { return CurrentFrameId - 1; }

    int MaxNrFrames = 60;
    int MaxBytes = 5000000;
    // Logical processors the encoder's band split plans for (tests fix it).
    int ProcessorCount = CodecProcessorCount();

private:
    bool Fail(const QString& Reason);
    bool WriteAll(const uint8_t* Data, int64_t Size);

    int FWidth = 0, FHeight = 0;
    int FQuality = 0;
    QString FFileName;
    bool FDataIsARGB = true;
    int FBackupTimeMs = 1000;
    TVideoEncoder* Encoder = nullptr;
    bool NextIsKeyframe = true;
    int CurrentFrameId = 1;
    int NrFrames = 0;       // frames of the current key-frame group
    int64_t bufferused = 0; // bytes of the current key-frame group
    QFile fsout;
    std::vector<uint8_t> bufferdata; // one frame record and its time
    int64_t fsoutsize = 0;
    std::vector<TFrameHeader> Frames;
    QString FLastError;
};
