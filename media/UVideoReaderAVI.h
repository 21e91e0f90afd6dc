// Pictures of ".avi" files by time: an evenly spaced frame table from the duration and the
// exact frame rate, with the key frames the RIFF "idx1" index marks.
#pragma once

#include "media/UVideoReaderSource.h"

#include <QIODevice>
#include <optional>

class TVideoReaderAVI : public TVideoReaderTable {
public:
    void OpenFile(const QString& fileName, int64_t fileOffset, uint32_t index) override;

    // The 1-based numbers of the video chunks flagged as key frames in "idx1"; nothing when the
    // file is not RIFF (then every frame counts as a key frame).
    static std::optional<std::vector<int>> ReadKeyFrames(QIODevice& file);
};
