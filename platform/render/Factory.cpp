#include "platform/render/Factory.h"

#include "platform/render/BuiltinEffects.h"

namespace platform::render {

std::shared_ptr<Factory> Factory::create() {
    std::shared_ptr<Factory> factory(new Factory);
    for (EffectClass& cls : effects::builtinClasses())
        factory->registerEffect(std::move(cls));
    return factory;
}

bool Factory::registerEffect(EffectClass cls) {
    if (cls.id.isNull() || !cls.createKernel || cls.inputCount < 0)
        return false;
    std::lock_guard lock(mutex_);
    const QUuid id = cls.id;
    return classes_.emplace(id, std::make_shared<const EffectClass>(std::move(cls))).second;
}

bool Factory::isRegistered(const QUuid& id) const {
    std::lock_guard lock(mutex_);
    return classes_.count(id) != 0;
}

EffectPtr Factory::createEffect(const QUuid& id) const {
    std::shared_ptr<const EffectClass> cls;
    {
        std::lock_guard lock(mutex_);
        auto it = classes_.find(id);
        if (it == classes_.end())
            return nullptr;
        cls = it->second;
    }
    return Effect::create(std::move(cls));
}

} // namespace platform::render
