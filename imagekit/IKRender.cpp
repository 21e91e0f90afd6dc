#include "imagekit/IKRender.h"

#include "platform/kitdevice/FloatingPointGuard.h"

#include <cstring>

using platform::kitdevice::Device;
using platform::kitdevice::FloatingPointGuard;
using platform::kitdevice::Stage;

namespace {

Stage StageOf(TIKProgramType type) {
    return type == ptPixel ? Stage::Pixel : Stage::Vertex;
}

bool SameLayout(std::span<const TIKInputElement> layout) {
    if (layout.size() != IKVertexLayout.size())
        return false;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const TIKInputElement& a = layout[i];
        const TIKInputElement& b = IKVertexLayout[i];
        if (std::strcmp(a.SemanticName, b.SemanticName) != 0 ||
            a.SemanticIndex != b.SemanticIndex || a.Format != b.Format ||
            a.InputSlot != b.InputSlot || a.AlignedByteOffset != b.AlignedByteOffset ||
            a.PerInstance != b.PerInstance)
            return false;
    }
    return true;
}

} // namespace

Device* TDXRenderContext::SharedDevice() {
    return &Device::shared();
}

TDXConstantBuffer::TDXConstantBuffer(TIKProgramType type, int size) : FType(type), FBuffer(size) {}

void TDXConstantBuffer::DefineVariable(const QString& name, int offset, int length) {
    auto variable = std::make_unique<TDXShaderVariable>(offset, length);
    if (FVariables.Add(name, variable.get()))
        variable.release();
}

bool TDXConstantBuffer::WriteVariable(const QString& name, const void* data, int offset,
                                      int length) {
    TDXShaderVariable* variable = nullptr;
    if (!FVariables.TryGetValue(name, variable) || offset < 0 || length < 0 ||
        offset + length > variable->Length)
        return false;
    std::memcpy(variable->Data.data() + offset, data, std::size_t(length));
    return true;
}

void TDXConstantBuffer::SetVariable(const QString& name, const void* data, int offset, int length) {
    if (WriteVariable(name, data, offset, length))
        UploadBuffer();
}

void TDXConstantBuffer::UploadBuffer() {
    const FloatingPointGuard guard;
    for (int i = 0; i < FVariables.Count(); ++i) {
        const TDXShaderVariable& v = *FVariables.Value(i);
        // Variables reaching past the buffer keep only what fits.
        const int length = std::min(v.Length, FBuffer.size() - v.Offset);
        if (v.Offset >= 0 && length > 0)
            std::memcpy(FBuffer.data() + v.Offset, v.Data.data(), std::size_t(length));
    }
    Bind();
}

void TDXConstantBuffer::Bind() const {
    const FloatingPointGuard guard;
    TDXRenderContext::SharedDevice()->setConstantBuffer(StageOf(FType), &FBuffer);
}

TDXShader::TDXShader(const QString& programName, std::span<const TIKInputElement> layout)
    : FCode(platform::kitdevice::findProgram(programName.toStdString())) {
    if (!FCode || !FCode->vertex)
        throw EDXContextException("Can't create vertex shader");
    if (!SameLayout(layout))
        throw EDXContextException("Can't create input layout");
    if (!FCode->pixel)
        throw EDXContextException("Can't create pixel shader");
}

void TDXShader::DefineBuffer(TIKProgramType type, int size) {
    FBuffers[type] = std::make_unique<TDXConstantBuffer>(type, size);
}

void TDXShader::DefineVariable(TIKProgramType type, const QString& name, int offset, int length) {
    FBuffers[type]->DefineVariable(name, offset, length);
}

void TDXShader::Activate() {
    Device* device = TDXRenderContext::SharedDevice();
    device->setProgram(FCode);
    for (const TIKProgramType type : {ptVertex, ptPixel}) {
        if (FBuffers[type])
            FBuffers[type]->UploadBuffer();
        else
            device->setConstantBuffer(StageOf(type), nullptr);
    }
}

void TDXShader::Deactivate() {
    TDXRenderContext::SharedDevice()->setProgram(nullptr);
}

void TDXShader::Write(const QString& name, const void* data, int offset, int length) {
    for (const auto& buffer : FBuffers)
        if (buffer)
            buffer->SetVariable(name, data, offset, length);
}

void TDXShader::SetInt(const QString& name, std::uint32_t value, int index) {
    Write(name, &value, index * 16, 4);
}

void TDXShader::SetValue(const QString& name, float value, int index) {
    Write(name, &value, index * 16, 4);
}

void TDXShader::SetValue(const QString& name, const TIKVector3D& value, int index) {
    Write(name, &value, index * 16, 16);
}

void TDXShader::SetValue(const QString& name, const TIKColorF& value, int index) {
    Write(name, &value, index * 16, 16);
}

void TDXShader::SetValue(const QString& name, const TIKMatrix& value) {
    // Column j of the matrix fills register j; one upload for all nine values.
    for (const auto& buffer : FBuffers) {
        if (!buffer)
            continue;
        bool written = false;
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < 3; ++row)
                written |= buffer->WriteVariable(name, &value.M[std::size_t(row * 3 + column)],
                                                 column * 16 + row * 4, 4);
        if (written)
            buffer->UploadBuffer();
    }
}

void TDXShader::SetValue(const QString&, const TIKMatrix3D&) {
    throw EDXContextException("Unsupported constant type");
}
