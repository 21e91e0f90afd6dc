#pragma once
// What the effect-driving property groups share: their effects made on the scene's device
// context when first drawn, the four cases of easing a group that can be switched off, and the
// colour of a TColor as effect values.

#include "core/URPropBase.h"
#include "platform/render/Effect.h"
#include "platform/render/Types.h"

#include <QUuid>

// How a switched group moves between two keyframes: both on (values blend), fading out (this
// one on, the next off), fading in (this one off, the next on), or neither on (nothing eased).
enum class TREaseCase { Both, FadeOut, FadeIn, Neither };
TREaseCase EaseCaseOf(const TRPropBase& own, const TRPropBase& to);

inline float Lerp(float from, float to, float pos) {
    return from + pos * (to - from);
}

// A value that never blends: the next keyframe's while fading in, else this one's.
template <class T> T EaseHold(TREaseCase ease, const T& own, const T& next) {
    return ease == TREaseCase::FadeIn ? next : own;
}
// A value that blends while both are on and is held while one fades.
inline float EaseBlend(TREaseCase ease, float own, float next, float pos) {
    return ease == TREaseCase::Both ? Lerp(own, next, pos) : EaseHold(ease, own, next);
}
// A value that blends while both are on and moves to or from `neutral` (the value that leaves
// the picture alone) while one fades.
inline float EaseToward(TREaseCase ease, float own, float next, float pos, float neutral) {
    switch (ease) {
    case TREaseCase::FadeOut:
        return Lerp(own, neutral, pos);
    case TREaseCase::FadeIn:
        return Lerp(neutral, next, pos);
    default:
        return Lerp(own, next, pos);
    }
}

// The effect in `slot`, made on the scene's device context on first use; null while no context
// is installed or the class is unknown (the groups then return their input).
const platform::render::EffectPtr& SceneEffect(platform::render::EffectPtr& slot,
                                               const QUuid& classId);

// The red, green and blue of a 0x00BBGGRR colour, each 0..1.
platform::render::Vector3 ColorComponents(TColor color);
