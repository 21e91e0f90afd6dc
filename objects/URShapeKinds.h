#pragma once
// The catalogue of shape kinds: their names (as stored in project files), whether the
// inspector offers an adjust control, the adjust value their icons are drawn with and the
// object types whose shape gallery offers them. A kind's row is also its icon's index.

#include "core/URPropBase.h"

#include <QStringView>
#include <array>

struct TRShapeKind {
    const char* Name;
    bool HasAdjust;
    float DefaultAdjust;
    const char* AdjustCaption;
    std::array<bool, ObjectTypeCount> AllowedFor;
};

inline constexpr int ShapeKindCount = 36;
extern const std::array<TRShapeKind, ShapeKindCount> ShapeKinds;

// The row of the kind named `name` (case-sensitive), or -1.
int ShapeKindIndex(QStringView name);
