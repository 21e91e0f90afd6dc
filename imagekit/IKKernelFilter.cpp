#include "imagekit/IKKernelFilter.h"

std::unique_ptr<TIKProgram> IKBuildKernel(const char* programName,
                                          platform::kitdevice::PixelFunction pixel, int bufferSize,
                                          std::initializer_list<TIKConstantLayout> variables) {
    platform::kitdevice::registerProgram(programName, {platform::kitdevice::flipVertex, pixel});
    auto shader = std::make_unique<TDXShader>(QString::fromLatin1(programName));
    if (bufferSize > 0) {
        shader->DefineBuffer(ptPixel, bufferSize);
        for (const TIKConstantLayout& v : variables)
            shader->DefineVariable(ptPixel, QString::fromLatin1(v.Name), v.Offset, v.Length);
    }
    return shader;
}

float IKRangeValue(float value, float min, float max) {
    if (min > value)
        value = min;
    if (value > max)
        value = max;
    return value;
}
