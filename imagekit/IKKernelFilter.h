#pragma once
// What the kit's one-pass filters share: building a kernel from a pixel function and its
// constant layout, and ranged float inputs.

#include "imagekit/IKRender.h"
#include "platform/kitdevice/Program.h"

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
