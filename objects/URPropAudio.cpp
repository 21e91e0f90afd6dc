#include "objects/URPropAudio.h"

#include "core/URSettings.h"

TRPropAudio::TRPropAudio() : TRPropAudio(ptAudio) {}

TRPropAudio::TRPropAudio(TRPropertyType type)
    : TRPropBase(type, false, true, true), FLoudness(SettingsRecord.TargetLoudness) {}

void TRPropAudio::VisitFields(TRPropFields& fields) {
    fields.Float("FadeIn", FFadeIN);
    fields.Float("Volume", FVolume);
    fields.Float("FadeOut", FFadeOUT);
    fields.Bool("NormalizeLoudness", FNormalizeLoudness);
    fields.Float("Loudness", FLoudness);
}
