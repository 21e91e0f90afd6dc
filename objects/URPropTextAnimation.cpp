#include "objects/URPropTextAnimation.h"

#include <algorithm>
#include <array>

TRPropTextAnimation::TRPropTextAnimation() : TRPropBase(ptTextAnimation) {}

void TRPropTextAnimation::VisitFields(TRPropFields& fields) {
    fields.Text("Name", FName);
    fields.Int("Duration", FDuration);
    fields.Int("Ease", FEase);
    fields.Int("Interval", FInterval);
    fields.Int("Direction", FDirection);
    fields.Int("Outline", FOutline);
    fields.Int("MoveDirection", FMoveDirection);
    fields.Float("Scale", FScale);
    fields.Bool("Fade", FFade);
    fields.Bool("Spin", FSpin);
}

namespace {

// The kinds that make letters leave rather than enter.
bool IsEntryAnimation(const QString& name) {
    static const std::array<QString, 4> exits = {
        QStringLiteral("Custom Out"), QStringLiteral("Wipe"), QStringLiteral("Slide Out"),
        QStringLiteral("Line Custom Out")};
    return std::find(exits.begin(), exits.end(), name) == exits.end();
}

} // namespace

bool TRPropTextAnimation::AnimationTiming(TRTextAnimationTiming& timing) const {
    if (!Checked())
        return false;
    timing.Interval = FInterval;
    timing.Duration = FDuration;
    timing.PerLine =
        FName == QLatin1String("Line Custom In") || FName == QLatin1String("Line Custom Out");
    timing.Entry = IsEntryAnimation(FName);
    return true;
}
