#include "objects/URPropKeystroke.h"

TRPropKeystroke::TRPropKeystroke() : TRPropBase(ptKeystroke, false, true, true) {}

void TRPropKeystroke::VisitFields(TRPropFields& fields) {
    auto modifiers = static_cast<std::int32_t>(FKeys.fsModifiers);
    auto key = static_cast<std::int32_t>(FKeys.vk);
    fields.Int("KeysM", modifiers);
    fields.Int("KeysK", key);
    FKeys.fsModifiers = static_cast<std::uint32_t>(modifiers);
    FKeys.vk = static_cast<std::uint32_t>(key);
    fields.Text("Style", FStyle);
    fields.Bool("SoundEffect", FSoundEffect);
    fields.Float("SoundVolume", FSoundVolume);
}
