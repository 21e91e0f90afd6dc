#include "objects/URShapeKinds.h"

#include <QString>
#include <initializer_list>

namespace {

using Allowed = std::array<bool, ObjectTypeCount>;

constexpr Allowed Types(std::initializer_list<TRObjectType> types) {
    Allowed out{};
    for (TRObjectType t : types)
        out[t] = true;
    return out;
}

// Every object type that draws a shaped outline of its own.
constexpr Allowed Q =
    Types({otShape, otImage, otVideo, otScreenRecorder, otBlur, otText, otSketch, otZoomArea});
// The outlines a keystroke badge may take as well.
constexpr Allowed S = Types({otShape, otImage, otVideo, otScreenRecorder, otBlur, otText, otSketch,
                             otZoomArea, otKeystroke});
// The borders the project's progress bar may take as well.
constexpr Allowed SP = Types({otShape, otImage, otVideo, otScreenRecorder, otBlur, otText, otSketch,
                              otZoomArea, otKeystroke, otProject});

} // namespace

const std::array<TRShapeKind, ShapeKindCount> ShapeKinds = {{
    {"Rectangle", true, 0.25f, "Roundness", S},
    {"Rectangle AB", true, 0.35f, "Adjust", SP},
    {"Rectangle CB", true, 0.3f, "Adjust", S},
    {"Rectangle LRB", true, 0.35f, "Adjust", SP},
    {"Rectangle TBB", true, 0.35f, "Adjust", SP},
    {"Rectangle LB", true, 0.35f, "Adjust", S},
    {"Rectangle TB", true, 0.35f, "Adjust", S},
    {"Rectangle BB", true, 0.35f, "Adjust", S},
    {"Rectangle RB", true, 0.35f, "Adjust", S},
    {"Rectangle IC", true, 0.35f, "Adjust", S},
    {"Rectangle IR", true, 0.35f, "Adjust", S},
    {"Top LR", true, 0.35f, "Adjust", SP},
    {"Top RL", true, 0.35f, "Adjust", SP},
    {"Bottom LR", true, 0.35f, "Adjust", SP},
    {"Bottom RL", true, 0.35f, "Adjust", SP},
    {"Triangle", true, 0.25f, "Roundness", Q},
    {"Star", true, 0, "Adjust", Q},
    {"Hexagram", true, 0, "Adjust", Q},
    {"Circle", true, 0, "Adjust", Q},
    {"Ellipse", true, 0, "Adjust", Q},
    {"Hexagon", false, 0.25f, "", Q},
    {"Octagon", false, 0.25f, "", Q},
    {"Arrow R", true, 0.25f, "Adjust", Q},
    {"Arrow L", true, 0.25f, "Adjust", Q},
    {"Arrow B", true, 0.25f, "Adjust", Q},
    {"Arrow T", true, 0.25f, "Adjust", Q},
    {"Wave", true, 0, "Adjust", Q},
    {"Balloon E", false, 0, "Angle", Q},
    {"Balloon R", false, 0, "Angle", Q},
    {"Balloon RR", false, 0, "Angle", Q},
    {"Parallelogram", true, 0.4f, "Adjust", Q},
    {"Square", false, 0.25f, "", Q},
    {"Line", true, 0.25f, "Adjust", Types({otShape, otSketch})},
    {"Arrow", true, 0.25f, "Adjust", Types({otShape, otSketch})},
    {"Check", false, 0.25f, "", Types({otSketch})},
    {"Cross", false, 0.25f, "", Types({otSketch})},
}};

int ShapeKindIndex(QStringView name) {
    for (int i = 0; i < ShapeKindCount; ++i)
        if (name == QLatin1String(ShapeKinds[i].Name))
            return i;
    return -1;
}
