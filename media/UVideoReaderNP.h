// Pictures of ".mkv" and ".webm" files by time, without a frame table: the reader knows the
// picture it delivered last and its time span, reads forward and seeks only for an earlier
// time or one far ahead.
#pragma once

#include "media/UVideoReaderSource.h"

class TVideoReaderNP : public TVideoReaderSource {
public:
    void OpenFile(const QString& fileName, int64_t fileOffset, uint32_t index) override;
    void GetFrame(uint32_t index, int timeMs, uint8_t* dst) override;

    int64_t LastFrameTime = 0;      // start of the held picture, ms
    int64_t LastFrameDuration = -1; // its length, ms; -1 = no picture held
};
