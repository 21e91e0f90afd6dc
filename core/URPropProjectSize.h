#pragma once
// The project's canvas size in pixels, and the size the project was created with.

#include "core/URPropBase.h"

class TRPropProjectSize : public TRPropBase {
public:
    TRPropProjectSize();

    std::int32_t Width = 640;
    std::int32_t Height = 480;
    std::int32_t OriginalWidth = 640;
    std::int32_t OriginalHeight = 480;

    void VisitFields(TRPropFields& fields) override;
    // Sizes no canvas can have (damaged files) are held to a sane range, so that the
    // project can still be painted and saved.
    void OpenFromXML(const QDomElement& element, bool paste) override;
};

// The smallest and largest canvas side a project keeps when it is read.
inline constexpr std::int32_t MinProjectSide = 16;
inline constexpr std::int32_t MaxProjectSide = 8192;

struct TRProjectSizePreset {
    const char* Name;
    std::int32_t Width;
    std::int32_t Height;
};
inline constexpr int ProjectSizePresetCount = 16;
extern const TRProjectSizePreset ProjectSizePresets[ProjectSizePresetCount];
