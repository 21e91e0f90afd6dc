#include "graphics/URTransitionDraw.h"

#include "core/UREasing.h"
#include "core/URScenePaint.h"
#include "graphics/URCECircular.h"
#include "graphics/URCEDissolve.h"
#include "graphics/URCEFisheyelens.h"
#include "graphics/URCEGenie.h"
#include "graphics/URCEMagnify.h"
#include "graphics/URCEPixelate.h"
#include "graphics/URCEPush.h"
#include "graphics/URCERadialblur.h"
#include "graphics/URCESpinBlur.h"
#include "graphics/URCESwirl.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/StandardEffects.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

using namespace platform::render;

namespace {

// The effects of one group, made once on the scene's device context.
class TransitionChain : public TRTransitionEffects {
public:
    TransitionChain() = default; // no device context: every effect missing
    explicit TransitionChain(DeviceContext& dc)
        : circular(dc.createEffect(CLSID_CECircular)), push(dc.createEffect(CLSID_CEPush)),
          blur(dc.createEffect(effects::GaussianBlur)),
          dirblur(dc.createEffect(effects::DirectionalBlur)),
          pixelate(dc.createEffect(CLSID_CEPixelate)), dissolve(dc.createEffect(CLSID_CEDissolve)),
          genie(dc.createEffect(CLSID_CEGenie)),
          flip(dc.createEffect(effects::PerspectiveTransform3D)),
          magnify(dc.createEffect(CLSID_CEMagnify)), swirl(dc.createEffect(CLSID_CESwirl)),
          radialblur(dc.createEffect(CLSID_CERadialblur)),
          spinblur(dc.createEffect(CLSID_CESpinBlur)),
          fisheyelens(dc.createEffect(CLSID_CEFisheyelens)),
          turbulence(dc.createEffect(effects::Turbulence)) {}

    EffectPtr circular, push, blur, dirblur, pixelate, dissolve, genie, flip, magnify, swirl,
        radialblur, spinblur, fisheyelens, turbulence;
};

// What every kind's branch works from.
struct Frame {
    const TRPropTransition& group;
    TRPropertyType side;
    const TRTransitionInput& input;
    TransitionChain& chain;
    TRTransitionStep& step;
    float t;        // 0 hidden .. 1 undisturbed
    Vector2 center; // the kind's centre in the picture's pixels
    Vector3 colour; // the border colour
    int Mirrored(int d) const {
        if (side != ptTrOut)
            return d;
        static const int opposite[] = {0, 4, 3, 2, 1, 5};
        return d >= 0 && d <= 5 ? opposite[d] : d;
    }
    // Runs `effect` on the input (when it exists) and makes it the picture to draw.
    bool Use(const EffectPtr& effect) const {
        if (!effect)
            return false;
        effect->setInput(0, input.Image);
        step.Output = effect->output();
        return true;
    }
};

float FarthestCornerDistance(const Frame& f) {
    const float dx = std::max(f.center.x, f.input.Width - f.center.x);
    const float dy = std::max(f.center.y, f.input.Height - f.center.y);
    return std::hypot(dx, dy);
}

Vector2 StartOffset(const Frame& f, int d) {
    const TRTransitionInput& in = f.input;
    const float b = 2 * f.group.FBorderSize;
    switch (d) {
    case 1:
        return {in.ProjectWidth / 2 + in.Width / 2 + b - in.PosX, 0};
    case 4:
        return {-in.ProjectWidth / 2 - in.Width / 2 - b - in.PosX, 0};
    case 2:
        return {0, -in.ProjectHeight / 2 - in.Height / 2 - b - in.PosY};
    case 3:
        return {0, in.ProjectHeight / 2 + in.Height / 2 + b - in.PosY};
    case 5:
        return {-in.PosX, -in.PosY};
    default:
        return {0, 0};
    }
}

void DrawCustom(const Frame& f) {
    const TRPropTransition& g = f.group;
    const float k = 1 - f.t;
    const float s = k * (g.FScale - 1) + 1;
    const float rot = g.FSpin ? k * -360 : 0;
    const int d = f.Mirrored(g.FMoveDirection);
    const Vector2 offset = StartOffset(f, d);
    if (g.FBorderSize > 0) {
        const EffectPtr& blur = d > 0 ? f.chain.dirblur : f.chain.blur;
        if (f.Use(blur)) {
            blur->setValue(0, k * g.FBorderSize);
            if (d > 0)
                blur->setValue(1, d == 2 || d == 3 ? rot + 90 : rot);
        }
    }
    f.step.Transform = Matrix3x2::rotation(rot) * Matrix3x2::scale(s, s) *
                       Matrix3x2::translation(k * offset.x, k * offset.y);
    f.step.Rotation = rot;
    f.step.Opacity = g.FFade ? f.t : 1;
}

// The border settings every mask of the Circular effect shares.
void SetMaskBorder(const Frame& f, float invert) {
    const EffectPtr& e = f.chain.circular;
    e->setValue(4, f.group.FBorderSize);
    e->setValue(7, float(f.group.FBorderType));
    e->setValue(8, f.colour.x);
    e->setValue(9, f.colour.y);
    e->setValue(10, f.colour.z);
    e->setValue(5, invert);
}

// Whether the mask is inverted (the Close kinds, reversed when going out) and its size factor.
std::pair<bool, float> MaskOpening(const Frame& f, const char* closeName) {
    const bool inv = (f.group.FName == QLatin1String(closeName)) != (f.side == ptTrOut);
    return {inv, inv ? 1 - f.t : f.t};
}

void DrawCircle(const Frame& f) {
    if (!f.Use(f.chain.circular))
        return;
    const auto [inv, factor] = MaskOpening(f, "Circle Close");
    const EffectPtr& e = f.chain.circular;
    e->setValue(0, 0.0f);
    e->setValue(2, f.center);
    e->setValue(3, FarthestCornerDistance(f) * factor);
    SetMaskBorder(f, inv ? 1 : 0);
}

void DrawRectangle(const Frame& f) {
    if (!f.Use(f.chain.circular))
        return;
    const auto [inv, factor] = MaskOpening(f, "Rectangle Close");
    const Vector2 c = f.center;
    const float hx = std::max(std::abs(f.input.Width - c.x), c.x) * factor;
    const float hy = std::max(std::abs(f.input.Height - c.y), c.y) * factor;
    const EffectPtr& e = f.chain.circular;
    e->setValue(0, 1.0f);
    e->setValue(2, c);
    e->setValue(6, Vector4{c.x - hx, c.y - hy, c.x + hx, c.y + hy});
    SetMaskBorder(f, inv ? 1 : 0);
}

void DrawWipe(const Frame& f) {
    if (!f.Use(f.chain.circular))
        return;
    const float w = f.input.Width, h = f.input.Height, t = f.t;
    const EffectPtr& e = f.chain.circular;
    switch (f.Mirrored(f.group.FDirection)) {
    case 1:
        e->setValue(0, 3.0f);
        e->setValue(6, Vector4{w - w * t, 0, w, h});
        break;
    case 4:
        e->setValue(0, 2.0f);
        e->setValue(6, Vector4{0, 0, w * t, h});
        break;
    case 2:
        e->setValue(0, 4.0f);
        e->setValue(6, Vector4{0, 0, w, h * t});
        break;
    case 3:
        e->setValue(0, 5.0f);
        e->setValue(6, Vector4{0, h - h * t, w, h});
        break;
    default:
        break; // an unknown direction keeps the mask of the previous use
    }
    SetMaskBorder(f, 0);
}

void DrawSlide(const Frame& f) {
    if (!f.Use(f.chain.push))
        return;
    const int d = f.Mirrored(f.group.FDirection);
    const float type = d == 1 ? 1 : d == 2 ? 2 : d == 3 ? 3 : 0;
    const EffectPtr& e = f.chain.push;
    e->setValue(0, type);
    e->setValue(1, Vector2{f.input.Width, f.input.Height});
    e->setValue(2, 1.0f);
    e->setValue(3, f.group.FBorderSize);
    e->setValue(4, f.t);
}

void DrawFlip(const Frame& f) {
    const EffectPtr& flip = f.chain.flip;
    const EffectPtr& blur = f.chain.dirblur;
    if (!flip)
        return;
    const int dir = f.group.FDirection;
    const float k = 1 - f.t;
    ImagePtr source = f.input.Image;
    if (f.group.FBorderSize > 0 && blur) {
        blur->setInput(0, source);
        blur->setValue(0, k * f.group.FBorderSize);
        blur->setValue(1, dir == 2 || dir == 3 ? 90.0f : 0.0f);
        source = blur->output();
    }
    const float sign = f.side == ptTrIn ? 1 : -1;
    Vector3 rotation{0, 0, 0};
    if (dir == 1 || dir == 4)
        rotation.y = (dir == 1 ? 90 : -90) * k * sign;
    else if (dir == 2 || dir == 3)
        rotation.x = (dir == 2 ? 90 : -90) * k * sign;
    flip->setInput(0, source);
    flip->setValue(effects::PerspectiveRotation, rotation);
    flip->setValue(effects::PerspectiveOrigin,
                   Vector2{f.input.Width / 2 - f.input.PosX, f.input.Height / 2 - f.input.PosY});
    flip->setValue(effects::PerspectiveRotationOrigin,
                   Vector3{f.input.Width / 2, f.input.Height / 2, 0});
    flip->setValue(effects::PerspectiveInterpolation, std::uint32_t(2));
    f.step.Output = flip->output();
}

void DrawPixelate(const Frame& f) {
    if (!f.Use(f.chain.pixelate))
        return;
    f.chain.pixelate->setValue(0, (1 - f.t) * f.group.FBorderSize);
    f.chain.pixelate->setValue(1, f.input.Width);
    f.chain.pixelate->setValue(2, f.input.Height);
}

void DrawGenie(const Frame& f) {
    if (!f.Use(f.chain.genie))
        return;
    f.chain.genie->setValue(0, 1 - f.t);
    f.chain.genie->setValue(1, f.group.FBorderSize / 100);
}

void DrawDissolve(const Frame& f) {
    if (f.group.FBorderSize == 0 || !f.chain.turbulence || !f.Use(f.chain.dissolve))
        return;
    const float m = 2 * std::max(f.input.Width, f.input.Height);
    const float frequency = f.group.FBorderSize / 200;
    f.chain.turbulence->setValue(effects::TurbulenceSize, Vector2{m, m});
    f.chain.turbulence->setValue(effects::TurbulenceBaseFrequency, Vector2{frequency, frequency});
    f.chain.dissolve->setValue(0, f.t);
    f.chain.dissolve->setInput(1, f.chain.turbulence->output());
}

void DrawMagnify(const Frame& f) {
    if (!f.Use(f.chain.magnify))
        return;
    const float k = 1 - f.t;
    f.chain.magnify->setValue(0, k > 0 ? 1 / (k * f.group.FBorderSize / 50 + 1) : 1.0f);
    f.chain.magnify->setValue(1, f.center);
    f.chain.magnify->setValue(2, 0.0f);
}

// The radius of the lens kinds: the picture's larger side, or for a caller without a size the
// half diagonal of the input (twice the centre's larger coordinate beyond 1920 pixels).
float LensRadius(const Frame& f) {
    const float r = std::max(f.input.Width, f.input.Height);
    if (r != 0)
        return r;
    const RectL b = f.input.Image->bounds();
    const float half = std::hypot(float(b.right - b.left), float(b.bottom - b.top)) / 2;
    return half > 1920 ? 2 * std::max(f.center.x, f.center.y) : half;
}

// Size, Center and Radius of a lens kind, with the strength divided by `divisor`.
bool SetLens(const Frame& f, const EffectPtr& e, float divisor) {
    if (!f.Use(e))
        return false;
    e->setValue(0, (1 - f.t) * f.group.FBorderSize / divisor);
    e->setValue(1, f.center);
    e->setValue(2, LensRadius(f));
    return true;
}

void DrawSwirl(const Frame& f) {
    if (!SetLens(f, f.chain.swirl, 5))
        return;
    f.chain.swirl->setValue(3, 0.0f);
    f.chain.swirl->setValue(4, f.input.Width);
    f.chain.swirl->setValue(5, f.input.Height);
}

void DrawRadialBlur(const Frame& f) {
    SetLens(f, f.chain.radialblur, 100);
}

void DrawSpinBlur(const Frame& f) {
    if (!SetLens(f, f.chain.spinblur, 100))
        return;
    f.chain.spinblur->setValue(3, f.input.Width);
    f.chain.spinblur->setValue(4, f.input.Height);
}

void DrawFisheye(const Frame& f) {
    if (SetLens(f, f.chain.fisheyelens, 100))
        f.chain.fisheyelens->setValue(3, 0.0f);
}

using Branch = void (*)(const Frame&);

const std::map<QString, Branch>& Branches() {
    static const std::map<QString, Branch> branches = {
        {QStringLiteral("Custom"), DrawCustom},
        {QStringLiteral("Custom In"), DrawCustom},
        {QStringLiteral("Custom Out"), DrawCustom},
        {QStringLiteral("Circle Open"), DrawCircle},
        {QStringLiteral("Circle Close"), DrawCircle},
        {QStringLiteral("Rectangle Open"), DrawRectangle},
        {QStringLiteral("Rectangle Close"), DrawRectangle},
        {QStringLiteral("Reveal"), DrawWipe},
        {QStringLiteral("Wipe"), DrawWipe},
        {QStringLiteral("Slide"), DrawSlide},
        {QStringLiteral("Flip"), DrawFlip},
        {QStringLiteral("Pixelate"), DrawPixelate},
        {QStringLiteral("Genie"), DrawGenie},
        {QStringLiteral("Dissolve"), DrawDissolve},
        {QStringLiteral("Magnify"), DrawMagnify},
        {QStringLiteral("Swirl"), DrawSwirl},
        {QStringLiteral("Radial Blur"), DrawRadialBlur},
        {QStringLiteral("Spin Blur"), DrawSpinBlur},
        {QStringLiteral("Fisheye Lens"), DrawFisheye},
    };
    return branches;
}

TransitionChain& ChainOf(const TRPropTransition& group) {
    if (!group.FEffects) {
        DeviceContext* dc = SceneContext();
        if (!dc) {
            static TransitionChain none;
            return none;
        }
        group.FEffects = std::make_shared<TransitionChain>(*dc);
    }
    return static_cast<TransitionChain&>(*group.FEffects);
}

} // namespace

void DrawTransition(const TRPropTransition& group, TRPropertyType type, float position,
                    const TRTransitionInput& input, TRTransitionStep& step) {
    step = TRTransitionStep{};
    step.Output = input.Image;
    if (!input.Image)
        return;
    const auto branch = Branches().find(group.FName);
    if (branch == Branches().end())
        return;
    float t =
        group.PropType() == ptTransitionObj ? position : float(Ease(position, group.FEase, 0, 1));
    if (type == ptTrOut)
        t = 1 - t;
    const TColor c = group.FColor;
    const Frame frame{
        group,
        type,
        input,
        ChainOf(group),
        step,
        t,
        {input.Width * (group.FCenterX + 1) / 2, input.Height * (group.FCenterY + 1) / 2},
        {float(c & 0xFF) / 255, float((c >> 8) & 0xFF) / 255, float((c >> 16) & 0xFF) / 255}};
    branch->second(frame);
}

void InstallTransitionDraw() {
    TransitionDrawHook = DrawTransition;
}
