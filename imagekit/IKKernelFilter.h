#pragma once
// What the kit's one-pass filters share: building a kernel from a pixel function and its
// constant layout, and ranged float inputs.

#include "imagekit/IKRender.h"
#include "platform/kitdevice/Program.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <initializer_list>

// One variable of a kernel's pixel-stage constants ("RenderParams").
struct TIKConstantLayout {
    const char* Name;
    int Offset;
    int Length;
};

// A program running `pixel` after the kit's vertex function, with a pixel-stage buffer of
// `bufferSize` bytes holding `variables` (no buffer when the size is 0). The program is
// registered under `programName`.
std::unique_ptr<TIKProgram> IKBuildKernel(const char* programName,
                                          platform::kitdevice::PixelFunction pixel, int bufferSize,
                                          std::initializer_list<TIKConstantLayout> variables);
// The same with a vertex function of its own and its stage's buffer.
std::unique_ptr<TIKProgram> IKBuildKernel(const char* programName,
                                          platform::kitdevice::ProgramCode code,
                                          TIKProgramType stage, int bufferSize,
                                          std::initializer_list<TIKConstantLayout> variables);

// The value a ranged setter stores: raised to `min`, then lowered to `max`.
float IKRangeValue(float value, float min, float max);

// Saturates to 0..1.
inline float IKSat(float value) {
    return value < 0 ? 0 : (value > 1 ? 1 : value);
}

// Samples the input of channel 0 along the span and maps each colour through `f`.
template <class F>
void IKMapPixels(const platform::kitdevice::PixelSpan& span, platform::kitdevice::Color4* out,
                 F f) {
    span.sample(0, out);
    for (int i = 0; i < span.count; ++i)
        out[i] = f(out[i]);
}

// Samples the input of `slot` along the span moved by (dx, dy) texels. When every sample lands
// on a texel centre the texels are read directly, which is what the sampler returns there.
void IKSampleShifted(const platform::kitdevice::PixelSpan& span, int slot, float dx, float dy,
                     platform::kitdevice::Color4* out);

// A weighted sum of samples along a span of at most 256 pixels, held in the texels' channel
// order (blue, green, red, alpha) so that adding texels is one straight vectorised loop.
struct TIKTapSum {
    float Channels[4 * 256];

    // Every channel of the first `count` pixels set to `value`.
    void Fill(int count, float value);
    // Adds `weight` times the input of `slot` moved by (dx, dy) texels, straight from the texels
    // when the span reads them one to one.
    void AddShifted(const platform::kitdevice::PixelSpan& span, int slot, float dx, float dy,
                    float weight);
    // Adds `weight` times the input moved by (dx, dy) and by (-dx, -dy): the two taps of a
    // symmetric kernel at once where both read whole texel runs.
    void AddMirrored(const platform::kitdevice::PixelSpan& span, int slot, float dx, float dy,
                     float weight);
    // The sums as colours, each channel times `scale`.
    void Colors(int count, float scale, platform::kitdevice::Color4* out) const;
};

// True when every pixel of the run is transparent black, as a freshly cleared target is.
bool IKClearRun(const std::uint8_t* dst, int count);
// A row function may write `colors` (all it draws) as bytes under `blend` when that gives what
// blending them would: replaced, or opaque, or drawn over a clear run.
bool IKStoresAsBytes(std::initializer_list<platform::kitdevice::Color4> colors,
                     const std::uint8_t* dst, int count, platform::kitdevice::BlendMode blend);
// The colour as a target pixel: 8-bit blue, green, red and alpha in memory order.
std::uint32_t IKPixelBytes(const platform::kitdevice::Color4& color);

// Copies the texels of channel 0 as bytes when the span reads them one to one; else declines.
bool IKPassThroughRow(const platform::kitdevice::PixelSpan& span, std::uint8_t* dst,
                      platform::kitdevice::BlendMode blend);
// Returns the input of channel 0 as it is.
void IKPassThroughPixels(const platform::kitdevice::PixelSpan& span,
                         platform::kitdevice::Color4* out);

// Conversions between the kit's records and the Qt types its published inputs have.
inline TIKRect IKRectOf(const QRectF& r) {
    return {float(r.x()), float(r.y()), float(r.width()), float(r.height())};
}
inline QRectF IKQRect(const TIKRect& r) {
    return {r.X, r.Y, r.Width, r.Height};
}
inline TIKPoint IKPointOf(const QPointF& p) {
    return {float(p.x()), float(p.y())};
}
inline TIKColorF IKColorOf(const QColor& c) {
    return {float(c.redF()), float(c.greenF()), float(c.blueF()), float(c.alphaF())};
}
inline QColor IKQColor(const TIKColorF& c) {
    return QColor::fromRgbF(c.R, c.G, c.B, c.A);
}
inline TIKMatrix IKMatrixOf(const QTransform& m) {
    return {{float(m.m11()), float(m.m12()), float(m.m13()), float(m.m21()), float(m.m22()),
             float(m.m23()), float(m.m31()), float(m.m32()), float(m.m33())}};
}
inline QTransform IKQTransform(const TIKMatrix& m) {
    return {m.M[0], m.M[1], m.M[2], m.M[3], m.M[4], m.M[5], m.M[6], m.M[7], m.M[8]};
}
