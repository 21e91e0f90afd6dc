#pragma once
// The image effect of an object: one effect kind chosen by name, at an intensity, with a colour
// and an angle for the kinds that use them.

#include "core/URPropBase.h"
#include "platform/render/Effect.h"

#include <array>
#include <memory>

// One effect kind and the object types that offer it, in the order the frame lists them.
struct TREffectKind {
    const char* Name;
    std::array<bool, ObjectTypeCount> AllowedFor;
};
extern const std::array<TREffectKind, 15> EffectKinds;

// Where and how the effect is drawn.
struct TREffectPlace {
    // The lens kinds' centre in the picture's pixels (callers that treat the whole picture
    // pass its centre).
    float CenterX = 0;
    float CenterY = 0;
    // Colorize: true lays the colour over the picture, false returns the colour layer alone.
    bool Image = true;
    // Outer and inner radius of the lens kinds; 0 outside asks for the default.
    float RadiusOut = 0;
    float RadiusIn = 0;
};

class TRPropEffect : public TRPropBase {
public:
    TRPropEffect();
    ~TRPropEffect() override;

    const QString& EffectName() const { return FEffectName; }
    float Intensity() const { return FIntensity; }
    bool Invert() const { return FInvert; }

    QString FEffectName = QStringLiteral("Gaussian Blur");
    float FIntensity = 0.1f; // 0..1
    float FAngle = 0;        // degrees
    TColor FColor = 0;
    // Read by the object kinds, each giving it its own meaning.
    bool FInvert = false;

    void VisitFields(TRPropFields& fields) override;
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;

    // The picture changed by the kind named; `input` for an unknown kind or when its effects
    // cannot be made. The output stays valid until the next call on this group.
    platform::render::ImagePtr Draw(const platform::render::ImagePtr& input,
                                    const TREffectPlace& place) const;

    struct Chain;

private:
    mutable std::unique_ptr<Chain> FChain;
};
