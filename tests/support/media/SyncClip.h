// A clip for checking that picture and sound line up: an MP4 with H.264 video using B-frames
// (black, with one white frame) and AAC sound (silence, with one beep), both at the same time.
#pragma once

#include <QString>

namespace fixtures {

struct SyncClipSpec {
    int flashMs = 1000; // start of the white frame and of the beep
    int durationMs = 2000;
    int frameRate = 25; // flashMs must fall on a frame start
    int bFrames = 2;
    int beepMs = 200;
};

// Writes the clip. Throws std::runtime_error when the encoder or muxer refuses.
void writeSyncClip(const QString& path, const SyncClipSpec& spec = SyncClipSpec());

} // namespace fixtures
