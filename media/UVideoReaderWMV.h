// Pictures of ".wmv", ".wm" and ".asf" files by time: an evenly spaced frame table from the
// duration and the exact frame rate, with the key frames the ASF Simple Index Object marks.
#pragma once

#include "media/UVideoReaderSource.h"

#include <QIODevice>
#include <optional>

class TVideoReaderWMV : public TVideoReaderTable {
public:
    void OpenFile(const QString& fileName, int64_t fileOffset, uint32_t index) override;

    // The 1-based frames the Simple Index marks as key frames at this frame rate; nothing when
    // the file does not start with the ASF Header Object (then every frame is a key frame).
    static std::optional<std::vector<int>> ReadKeyFrames(QIODevice& file,
                                                         platform::media::Rational frameRate);
};
