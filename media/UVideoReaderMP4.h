// Pictures of ".mp4", ".mov" and ".m4v" files by time. The frame table comes from the file's
// own sample tables (raw composition times, edit lists not applied) and decides which frame a
// time shows, when the held picture is reused and when the decoder seeks.
#pragma once

#include "media/UVideoReaderSource.h"

class TVideoReaderMP4 : public TVideoReaderTable {
public:
    void OpenFile(const QString& fileName, int64_t fileOffset, uint32_t index) override;

    uint32_t FTimeScale = 0;
};
