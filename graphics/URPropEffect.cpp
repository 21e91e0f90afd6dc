#include "graphics/URPropEffect.h"

#include "graphics/URCEDissolve.h"
#include "graphics/URCEFisheyelens.h"
#include "graphics/URCEGenie.h"
#include "graphics/URCEGrayscale.h"
#include "graphics/URCEMagnify.h"
#include "graphics/URCEPixelate.h"
#include "graphics/URCERadialblur.h"
#include "graphics/URCESpinBlur.h"
#include "graphics/URCESwirl.h"
#include "graphics/UREffectGroup.h"
#include "platform/render/BuiltinEffects.h"
#include "platform/render/StandardEffects.h"

#include <algorithm>
#include <cmath>
#include <map>

using namespace platform::render;

namespace {

// The object types that carry the group: shape, image, video, screen recording, video-effect
// region, text, sketch and zoom area; every other type offers no kind.
constexpr std::array<bool, ObjectTypeCount> Allowed(bool shape, bool image, bool video, bool blur,
                                                    bool zoomArea) {
    std::array<bool, ObjectTypeCount> a{};
    a[otShape] = shape;
    a[otImage] = image;
    a[otVideo] = video;
    a[otScreenRecorder] = video;
    a[otBlur] = blur;
    a[otText] = image;
    a[otSketch] = image;
    a[otZoomArea] = zoomArea;
    return a;
}

constexpr auto Everywhere = Allowed(true, true, true, true, true);
constexpr auto NotZoomArea = Allowed(true, true, true, true, false);

} // namespace

const std::array<TREffectKind, 15> EffectKinds = {{
    {"Gaussian Blur", Everywhere},
    {"Directional Blur", Everywhere},
    {"Radial Blur", Everywhere},
    {"Spin Blur", NotZoomArea},
    {"Colorize", Everywhere},
    {"Grayscale", Everywhere},
    {"Sepia", Everywhere},
    {"Emboss", Everywhere},
    {"Vignette", Everywhere},
    {"Pixelate", Everywhere},
    {"Dissolve", Allowed(true, true, true, false, true)},
    {"Genie", Allowed(true, true, true, false, false)},
    {"Magnify", Allowed(false, true, false, true, false)},
    {"Swirl", NotZoomArea},
    {"Fisheye Lens", NotZoomArea},
}};

// The group's effects, made on the scene's device context when a kind first needs them.
struct TRPropEffect::Chain {
    EffectPtr blur, dirblur, pixelate, flood, grayscale, sepia, emboss, vignette, magnify, swirl,
        fisheyelens, radialblur, spinblur, dissolve, genie, turbulence, composite;
};

namespace {

// What every kind's branch works from.
struct Pass {
    const TRPropEffect& group;
    const ImagePtr& input;
    const TREffectPlace& place;
    TRPropEffect::Chain& chain;
    float I;

    Vector2 Center() const { return {place.CenterX, place.CenterY}; }
    // The larger side of the input's pixel size, 0 for an unbounded input.
    float PixelSize(bool diagonal) const {
        const RectL b = input->bounds();
        if (b == RectL::infinite())
            return 0;
        const float w = float(b.width()), h = float(b.height());
        return diagonal ? std::hypot(w, h) / 2 : std::max(w, h);
    }
    // The lens radius: the caller's, else half the input's diagonal, and beyond 1920 pixels
    // twice the centre's larger coordinate.
    float LensRadius() const {
        if (place.RadiusOut != 0)
            return place.RadiusOut;
        const float half = PixelSize(true);
        return half > 1920 ? 2 * std::max(place.CenterX, place.CenterY) : half;
    }
    // The effect in `slot` with the input as its input 0, or null when it cannot be made.
    Effect* Use(EffectPtr& slot, const QUuid& id) const {
        Effect* e = SceneEffect(slot, id).get();
        if (e)
            e->setInput(0, input);
        return e;
    }
};

ImagePtr GaussianBlur(const Pass& p) {
    Effect* e = p.Use(p.chain.blur, effects::GaussianBlur);
    if (!e)
        return p.input;
    e->setValue(effects::GaussianBlurBorderMode, uint32_t(effects::BorderSoft));
    e->setValue(effects::GaussianBlurStandardDeviation, p.I * 20);
    return e->output();
}

ImagePtr DirectionalBlur(const Pass& p) {
    Effect* e = p.Use(p.chain.dirblur, effects::DirectionalBlur);
    if (!e)
        return p.input;
    e->setValue(effects::DirectionalBlurBorderMode, uint32_t(effects::BorderSoft));
    e->setValue(effects::DirectionalBlurStandardDeviation, p.I * 20);
    e->setValue(effects::DirectionalBlurAngle, 90 - p.group.FAngle);
    return e->output();
}

// A kind whose one effect takes one float at property 0.
template <EffectPtr TRPropEffect::Chain::*Slot>
ImagePtr OneValue(const Pass& p, const QUuid& id, float value) {
    Effect* e = p.Use(p.chain.*Slot, id);
    if (!e)
        return p.input;
    e->setValue(0, value);
    return e->output();
}

ImagePtr Emboss(const Pass& p) {
    Effect* e = p.Use(p.chain.emboss, effects::Emboss);
    if (!e)
        return p.input;
    e->setValue(effects::EmbossHeight, p.I * 10);
    e->setValue(effects::EmbossDirection, p.group.FAngle);
    return e->output();
}

ImagePtr Vignette(const Pass& p) {
    Effect* e = p.Use(p.chain.vignette, effects::Vignette);
    if (!e)
        return p.input;
    const Vector3 c = ColorComponents(p.group.FColor);
    e->setValue(effects::VignetteColor, Vector4{c.x, c.y, c.z, 1});
    e->setValue(effects::VignetteTransitionSize, p.I);
    e->setValue(effects::VignetteStrength, 0.5f);
    return e->output();
}

ImagePtr Genie(const Pass& p) {
    Effect* e = p.Use(p.chain.genie, CLSID_CEGenie);
    if (!e)
        return p.input;
    e->setValue(0, p.I);
    e->setValue(1, 0.9f);
    return e->output();
}

ImagePtr Dissolve(const Pass& p) {
    const EffectPtr& noise = SceneEffect(p.chain.turbulence, effects::Turbulence);
    Effect* e = p.Use(p.chain.dissolve, CLSID_CEDissolve);
    if (!e || !noise)
        return p.input;
    float s = p.PixelSize(false);
    if (s > 3840)
        s = 2 * std::max(p.place.CenterX, p.place.CenterY);
    // The noise is only computed where the dissolve is drawn, however large it is declared.
    noise->setValue(effects::TurbulenceSize, Vector2{2 * s, 2 * s});
    noise->setValue(effects::TurbulenceBaseFrequency, Vector2{0.6f, 0.6f});
    e->setValue(0, 1 - p.I * 0.65f);
    e->setInput(1, noise->output());
    return e->output();
}

ImagePtr Colorize(const Pass& p) {
    const EffectPtr& flood = SceneEffect(p.chain.flood, effects::Flood);
    if (!flood)
        return p.input;
    const Vector3 c = ColorComponents(p.group.FColor);
    flood->setValue(effects::FloodColor, Vector4{p.I * c.x, p.I * c.y, p.I * c.z, p.I});
    const EffectPtr& over = SceneEffect(p.chain.composite, effects::Composite);
    if (!p.place.Image || !over)
        return flood->output();
    over->setInput(0, p.input);
    over->setInput(1, flood->output());
    return over->output();
}

ImagePtr Magnify(const Pass& p) {
    Effect* e = p.Use(p.chain.magnify, CLSID_CEMagnify);
    if (!e)
        return p.input;
    e->setValue(0, 1 / (p.I * 5 + 1));
    e->setValue(1, p.Center());
    e->setValue(2, 0.0f);
    return e->output();
}

// A lens kind: Size, Center and Radius, and the inner radius at `inner` when there is one.
ImagePtr Lens(const Pass& p, EffectPtr& slot, const QUuid& id, float size, int inner) {
    Effect* e = p.Use(slot, id);
    if (!e)
        return p.input;
    e->setValue(0, size);
    e->setValue(1, p.Center());
    e->setValue(2, p.LensRadius());
    if (inner > 0)
        e->setValue(inner, p.place.RadiusIn);
    return e->output();
}

using Branch = ImagePtr (*)(const Pass&);

const std::map<QString, Branch>& Branches() {
    static const std::map<QString, Branch> branches = {
        {QStringLiteral("Gaussian Blur"), GaussianBlur},
        {QStringLiteral("Directional Blur"), DirectionalBlur},
        {QStringLiteral("Pixelate"),
         [](const Pass& p) {
             return OneValue<&TRPropEffect::Chain::pixelate>(p, CLSID_CEPixelate, p.I * 20);
         }},
        {QStringLiteral("Grayscale"),
         [](const Pass& p) {
             return OneValue<&TRPropEffect::Chain::grayscale>(p, CLSID_CEGrayscale, p.I);
         }},
        {QStringLiteral("Sepia"),
         [](const Pass& p) {
             return OneValue<&TRPropEffect::Chain::sepia>(p, effects::Sepia, p.I);
         }},
        {QStringLiteral("Emboss"), Emboss},
        {QStringLiteral("Vignette"), Vignette},
        {QStringLiteral("Genie"), Genie},
        {QStringLiteral("Dissolve"), Dissolve},
        {QStringLiteral("Colorize"), Colorize},
        {QStringLiteral("Magnify"), Magnify},
        {QStringLiteral("Swirl"),
         [](const Pass& p) { return Lens(p, p.chain.swirl, CLSID_CESwirl, p.I * 24, 3); }},
        {QStringLiteral("Fisheye Lens"),
         [](const Pass& p) { return Lens(p, p.chain.fisheyelens, CLSID_CEFisheyelens, p.I, 3); }},
        {QStringLiteral("Radial Blur"),
         [](const Pass& p) { return Lens(p, p.chain.radialblur, CLSID_CERadialblur, p.I, 0); }},
        {QStringLiteral("Spin Blur"),
         [](const Pass& p) { return Lens(p, p.chain.spinblur, CLSID_CESpinBlur, p.I * 3.14f, 0); }},
    };
    return branches;
}

} // namespace

TRPropEffect::TRPropEffect() : TRPropBase(ptEffect) {}

TRPropEffect::~TRPropEffect() = default;

void TRPropEffect::VisitFields(TRPropFields& fields) {
    fields.Text("EffectName", FEffectName);
    fields.Float("Intensity", FIntensity);
    fields.Float("Angle", FAngle);
    fields.Color("Color", FColor);
    fields.Bool("Invert", FInvert);
}

void TRPropEffect::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* next = dynamic_cast<const TRPropEffect*>(to);
    auto* result = dynamic_cast<TRPropEffect*>(destination);
    if (!next || !result)
        return;
    const TREaseCase ease = EaseCaseOf(*this, *next);
    if (ease == TREaseCase::Neither)
        return;
    result->FEffectName = EaseHold(ease, FEffectName, next->FEffectName);
    result->FColor = EaseHold(ease, FColor, next->FColor);
    result->FInvert = EaseHold(ease, FInvert, next->FInvert);
    result->FAngle = EaseBlend(ease, FAngle, next->FAngle, pos);
    result->FIntensity = EaseToward(ease, FIntensity, next->FIntensity, pos, 0);
}

ImagePtr TRPropEffect::Draw(const ImagePtr& input, const TREffectPlace& place) const {
    const auto branch = Branches().find(FEffectName);
    if (!input || branch == Branches().end())
        return input;
    if (!FChain)
        FChain = std::make_unique<Chain>();
    return branch->second(Pass{*this, input, place, *FChain, FIntensity});
}
