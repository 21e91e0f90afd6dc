// The family of custom effects as a whole: the compiled-in pixel programs, the registrations
// the start-up runs (in its fixed order, under its tags) and the 2x2 probe that proves each
// class draws.
#pragma once

#include "core/URStartup.h"
#include "graphics/URCustomEffect.h"

#include <vector>

/// The pixel programs of the fourteen shader effects, by shader identifier.
std::shared_ptr<const TRShaderLibrary> CompiledShaders();

/// The fifteen registrations in the order and with the tags of CustomEffectTags(). Each
/// registers its class on `factory` with the programs of `shaders` and then probes it: it
/// throws TRCustomEffectError when there is no factory, when the class cannot be registered,
/// when its pixel program is missing, or when it does not draw its probe correctly.
std::vector<TRCustomEffectRegistration>
CustomEffectRegistrations(platform::render::FactoryPtr factory,
                          std::shared_ptr<const TRShaderLibrary> shaders = CompiledShaders());

/// The registrations on the process-wide factory `D2DFactory`, for the start-up:
/// RegisterCustomEffects(tag, D2DFactory != nullptr, CustomEffectRegistrations()).
std::vector<TRCustomEffectRegistration> CustomEffectRegistrations();

/// Draws the probe of a class registered on `factory`: true when every pixel is within 2 of
/// the expected value in every channel.
bool ProbeCustomEffect(platform::render::Factory& factory, const TRCustomEffectInfo& info);
