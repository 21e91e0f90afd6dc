#include "graphics/URCustomEffects.h"

#include "graphics/URCEChromakey.h"
#include "graphics/URCECircular.h"
#include "graphics/URCEContrast.h"
#include "graphics/URCEDissolve.h"
#include "graphics/URCEFisheyelens.h"
#include "graphics/URCEGenie.h"
#include "graphics/URCEGrayscale.h"
#include "graphics/URCEMagnify.h"
#include "graphics/URCEOpacity.h"
#include "graphics/URCEPixelate.h"
#include "graphics/URCEPush.h"
#include "graphics/URCERadialblur.h"
#include "graphics/URCERipple.h"
#include "graphics/URCESpinBlur.h"
#include "graphics/URCESwirl.h"
#include "graphics/URDX12Base.h"
#include "platform/render/Bitmap.h"

#include <array>

using namespace platform::render;

namespace {

struct FamilyMember {
    const TRCustomEffectInfo& (*info)();
    void (*registerEffect)(Factory&, std::shared_ptr<const TRShaderLibrary>);
};

template <class T> FamilyMember member() {
    return {&T::Info, &T::RegisterEffect};
}

// In the registration order of the start-up (the order of CustomEffectTags()).
std::array<FamilyMember, 15> family() {
    return {member<TRCEContrast>(),    member<TRCEChromakey>(),  member<TRCEPixelate>(),
            member<TRCEOpacity>(),     member<TRCECircular>(),   member<TRCEPush>(),
            member<TRCEMagnify>(),     member<TRCERipple>(),     member<TRCESwirl>(),
            member<TRCEFisheyelens>(), member<TRCERadialblur>(), member<TRCESpinBlur>(),
            member<TRCEGrayscale>(),   member<TRCEDissolve>(),   member<TRCEGenie>()};
}

bool near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)) > tolerance)
            return false;
    return true;
}

} // namespace

std::shared_ptr<const TRShaderLibrary> CompiledShaders() {
    static const auto library = [] {
        auto shaders = std::make_shared<TRShaderLibrary>();
        auto add = [&](const TRCustomEffectInfo& info, TRPixelShader shader) {
            shaders->emplace(info.shaderId, shader);
        };
        add(TRCEOpacity::Info(), TRCEOpacity::Shader());
        add(TRCEContrast::Info(), TRCEContrast::Shader());
        add(TRCEChromakey::Info(), TRCEChromakey::Shader());
        add(TRCEPixelate::Info(), TRCEPixelate::Shader());
        add(TRCEMagnify::Info(), TRCEMagnify::Shader());
        add(TRCESwirl::Info(), TRCESwirl::Shader());
        add(TRCEFisheyelens::Info(), TRCEFisheyelens::Shader());
        add(TRCERadialblur::Info(), TRCERadialblur::Shader());
        add(TRCESpinBlur::Info(), TRCESpinBlur::Shader());
        add(TRCEGrayscale::Info(), TRCEGrayscale::Shader());
        add(TRCEDissolve::Info(), TRCEDissolve::Shader());
        add(TRCEGenie::Info(), TRCEGenie::Shader());
        add(TRCECircular::Info(), TRCECircular::Shader());
        add(TRCERipple::Info(), TRCERipple::Shader());
        return std::shared_ptr<const TRShaderLibrary>(std::move(shaders));
    }();
    return library;
}

bool ProbeCustomEffect(Factory& factory, const TRCustomEffectInfo& info) {
    const EffectPtr effect = factory.createEffect(info.classId);
    if (!effect)
        return false;
    // Red, green / blue, white; all opaque.
    static const uint32_t probe[4] = {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu};
    const BitmapPtr input = Bitmap::create({2, 2}, {}, probe, 8);
    for (int i = 0; i < effect->inputCount(); ++i)
        effect->setInput(i, input);
    for (const auto& [index, value] : info.probe.values)
        if (!effect->setValue(index, value))
            return false;
    const ImageTile drawn = effect->render(RectL{0, 0, 2, 2});
    for (int i = 0; i < 4; ++i)
        if (!near(drawn.pixelAt(i % 2, i / 2), info.probe.expected[size_t(i)], 2))
            return false;
    return true;
}

std::vector<TRCustomEffectRegistration> CustomEffectRegistrations() {
    return CustomEffectRegistrations(D2DFactory);
}

std::vector<TRCustomEffectRegistration>
CustomEffectRegistrations(FactoryPtr factory, std::shared_ptr<const TRShaderLibrary> shaders) {
    std::vector<TRCustomEffectRegistration> registrations;
    const QStringList& tags = CustomEffectTags();
    const auto members = family();
    for (size_t i = 0; i < members.size(); ++i) {
        const FamilyMember m = members[i];
        registrations.push_back({tags[qsizetype(i)], [factory, shaders, m] {
                                     if (!factory)
                                         throw TRCustomEffectError("No effect factory");
                                     m.registerEffect(*factory, shaders);
                                     if (!ProbeCustomEffect(*factory, m.info()))
                                         throw TRCustomEffectError(
                                             m.info().displayName.toStdString() +
                                             " does not draw its probe");
                                 }});
    }
    return registrations;
}
