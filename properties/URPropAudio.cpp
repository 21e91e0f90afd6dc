#include "properties/URPropAudio.h"

#include "core/URSettings.h"

TRPropAudio::TRPropAudio() : TRPropAudio(ptAudio) {}

TRPropAudio::TRPropAudio(TRPropertyType type)
    : TRPropBase(type), FLoudness(SettingsRecord.TargetLoudness) {
    FUseCheckBox = false;
    FChecked = true;
    FExpanded = true;
}

void TRPropAudio::VisitFields(TRPropFields& fields) {
    fields.Float("FadeIn", FFadeIN);
    fields.Float("Volume", FVolume);
    fields.Float("FadeOut", FFadeOUT);
    fields.Bool("NormalizeLoudness", FNormalizeLoudness);
    fields.Float("Loudness", FLoudness);
}
