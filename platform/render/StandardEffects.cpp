#include "platform/render/StandardEffects.h"

namespace platform::render::effects {

std::vector<EffectClass> standardClasses() {
    std::vector<EffectClass> out;
    for (auto part : {blurClasses, transformClasses, noiseClasses, colorClasses})
        for (EffectClass& cls : part())
            out.push_back(std::move(cls));
    return out;
}

} // namespace platform::render::effects
