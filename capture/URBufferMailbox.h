#pragma once
// The mailbox through which the screen worker hands its pictures to the live video recorder's
// buffer thread (TRBufferThread) in video mode. The live recorder implements it.

#include <cstdint>

class TRBufferMailbox {
public:
    virtual ~TRBufferMailbox() = default;
    // Copies one BGRA picture (top row first, `stride` bytes per row) of the capture size under
    // the mailbox's lock before it returns; the caller may overwrite the picture at once.
    virtual void SetScreenData(const uint8_t* picture, int width, int height, int stride) = 0;
};
