#pragma once
// The sound of a clip: volume or loudness target and the fades at its ends. TRPropAudioV is
// the same group held by an object beside its keyframes (the sound of a video).

#include "core/URPropBase.h"

class TRPropAudio : public TRPropBase {
public:
    TRPropAudio();

    float FFadeIN = 0;
    float FFadeOUT = 0;
    bool FNormalizeLoudness = false;
    float FVolume = 1;
    float FLoudness;

    void VisitFields(TRPropFields& fields) override;

protected:
    explicit TRPropAudio(TRPropertyType type);
};

class TRPropAudioV : public TRPropAudio {
public:
    TRPropAudioV() : TRPropAudio(ptAudioV) {}
};
