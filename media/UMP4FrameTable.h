// The frame table of an MP4/MOV file read from its own boxes: each frame's presentation time in
// the video track's units and its key-frame flag. Every box and table is bounded by its parent
// and by the file, so a damaged file gives an error, never a hang or a read out of bounds.
#pragma once

#include "media/UVideoReader.h"

#include <QIODevice>
#include <QString>
#include <vector>

struct TMP4FrameTable {
    uint32_t TimeScale = 0;       // units per second of the video track
    std::vector<TFrameMF> Frames; // entries 0..NrFrames(), sorted by presentation time
    int NrFrames() const { return Frames.empty() ? 0 : int(Frames.size()) - 1; }
};

// Reads the table of the first picture track among the first two tracks. Times are the raw
// composition times (edit lists are not applied); BeginTimeMs/EndTimeMs and KeyFrameId are
// filled in. Returns an empty string on success, else why the table cannot be read.
QString ReadMP4FrameTable(QIODevice& file, TMP4FrameTable& table);
