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
    int64_t EditShift = 0;        // track units taken off every composition time (edit list)
    std::vector<TFrameMF> Frames; // entries 0..NrFrames(), sorted by presentation time
    int NrFrames() const { return Frames.empty() ? 0 : int(Frames.size()) - 1; }
};

// Reads the table of the first picture track among the first two tracks. Times are the
// composition times shifted by where the edit list starts the presentation, so that pictures
// share the time base of the sound (a B-frame file's first picture is at 0, not one or two
// frames later); BeginTimeMs/EndTimeMs and KeyFrameId are filled in. Returns an empty string
// on success, else why the table cannot be read.
QString ReadMP4FrameTable(QIODevice& file, TMP4FrameTable& table);
