#include "core/URPropProjectSize.h"

#include <algorithm>

TRPropProjectSize::TRPropProjectSize() : TRPropBase(ptProjectSize, false, true, true) {}

void TRPropProjectSize::VisitFields(TRPropFields& fields) {
    fields.Int("Width", Width);
    fields.Int("Height", Height);
    fields.Int("OriginalWidth", OriginalWidth);
    fields.Int("OriginalHeight", OriginalHeight);
}

void TRPropProjectSize::OpenFromXML(const QDomElement& element, bool paste) {
    TRPropBase::OpenFromXML(element, paste);
    for (std::int32_t* side : {&Width, &Height, &OriginalWidth, &OriginalHeight})
        *side = std::clamp(*side, MinProjectSide, MaxProjectSide);
}

const TRProjectSizePreset ProjectSizePresets[ProjectSizePresetCount] = {
    {"[16:9]  240p", 426, 240},     {"[16:9]  360p", 640, 360},      {"[16:9]  DVD", 854, 480},
    {"[16:9]  HD", 1280, 720},      {"[16:9]  Full HD", 1920, 1080}, {"[16:9]  QHD", 2560, 1440},
    {"[16:9]  4K UHD", 3840, 2160}, {"[1:1]  Small", 600, 600},      {"[1:1]  Medium", 720, 720},
    {"[1:1]  Large", 1080, 1080},   {"[4:5]  Small", 600, 750},      {"[4:5]  Medium", 720, 900},
    {"[4:5]  Large", 1080, 1350},   {"[9:16]  Small", 360, 640},     {"[9:16]  Medium", 720, 1280},
    {"[9:16]  Large", 1080, 1920},
};
