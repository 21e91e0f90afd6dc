#include "media/UMFEncoderHeld.h"

#include <cstring>

int32_t TMFEncoderHeld::AddVideoFrameFromRecording(const uint8_t* Frame, int ATime) {
    lastnrframes += MissedSlots(ATime, FSampleVideoStart, FVideoFramePS, lastnrframes);
    return AddVideoFrame(Frame);
}

void TMFEncoderHeld::ResetHeld() {
    first = true;
    nrframes = 0;
    lastnrframes = 0;
    HeldRect = WholeFrame();
}

int32_t TMFEncoderHeld::HoldFrame(const uint8_t* Frame) {
    const size_t bytes = lastdata.size();
    if (first) {
        first = false;
        std::memcpy(lastdata.data(), Frame, bytes);
        lastnrframes = 1;
        HeldRect = WholeFrame();
        return MF_S_OK;
    }
    const TFrameRect changed = FindChangedRect(Frame);
    if (changed.Empty()) {
        ++lastnrframes;
        return MF_S_OK;
    }
    const int32_t result = WriteHeldFrame(lastnrframes);
    std::memcpy(lastdata.data(), Frame, bytes);
    lastnrframes = 1;
    HeldRect = UseChanges ? PlaceChangedRect(changed) : WholeFrame();
    return result;
}

int32_t TMFEncoderHeld::WriteLastHeld() {
    if (!IsValid || !UseVFR || first)
        return MF_S_OK;
    if (nrframes <= 0)
        HeldRect = WholeFrame();
    return WriteHeldFrame(lastnrframes);
}
