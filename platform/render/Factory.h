// Factory: the registry of effect classes of one drawing thread. Device
// contexts create their effects through the factory they were made with. Registration is
// thread-safe, so a factory may be filled while another thread draws with its own factory.
#pragma once

#include "platform/render/Effect.h"

#include <QUuid>
#include <map>
#include <memory>
#include <mutex>

namespace platform::render {

class Factory {
public:
    /// A factory holding the built-in effects (platform/render/BuiltinEffects.h).
    static std::shared_ptr<Factory> create();

    /// Registers `cls` under cls.id. False (nothing changed) when the id is null or taken, or
    /// when the class has no kernel maker or a negative input count.
    bool registerEffect(EffectClass cls);
    bool isRegistered(const QUuid& id) const;
    /// A new effect of class `id`; nullptr for an unknown class. Costs no pixel work.
    EffectPtr createEffect(const QUuid& id) const;

private:
    Factory() = default;
    mutable std::mutex mutex_;
    std::map<QUuid, std::shared_ptr<const EffectClass>> classes_;
};

using FactoryPtr = std::shared_ptr<Factory>;

} // namespace platform::render
