#pragma once
// The kit's device and its programs: the shared CPU device, shaders as named C++ programs and
// their constant buffers of 16-byte registers.

#include "imagekit/IKDictionary.h"
#include "imagekit/IKTypes.h"
#include "platform/kitdevice/Device.h"

#include <array>
#include <memory>
#include <span>
#include <stdexcept>

class EDXContextException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TDXRenderContext {
public:
    // The one device of the process; always present.
    static platform::kitdevice::Device* SharedDevice();
    // The largest texture width or height the kit accepts.
    static constexpr int TextureSize() { return platform::kitdevice::kMaxTextureSize; }
};

// A named value inside a constant buffer: its place and its current bytes (zero at first).
class TDXShaderVariable {
public:
    TDXShaderVariable(int offset, int length)
        : Offset(offset), Length(length), Data(std::size_t(std::max(length, 0))) {}
    int Offset;
    int Length;
    std::vector<std::uint8_t> Data;
};

class TDXConstantBuffer {
public:
    TDXConstantBuffer(TIKProgramType type, int size);

    int Size() const { return FBuffer.size(); }
    TIKProgramType Type() const { return FType; }
    const platform::kitdevice::ConstantBuffer& Buffer() const { return FBuffer; }
    // A name already present keeps its first variable.
    void DefineVariable(const QString& name, int offset, int length);
    bool VariableExists(const QString& name) const { return FVariables.ContainsKey(name); }
    // Copies `length` bytes to byte `offset` of the variable's value, then uploads. Unknown
    // names and writes past the variable are ignored.
    void SetVariable(const QString& name, const void* data, int offset, int length);
    // Copies the bytes without uploading; true when the variable took them.
    bool WriteVariable(const QString& name, const void* data, int offset, int length);
    // Writes every variable into the buffer and binds it to slot 0 of its stage.
    void UploadBuffer();
    // Binds the buffer to slot 0 of its stage.
    void Bind() const;

private:
    TIKProgramType FType;
    platform::kitdevice::ConstantBuffer FBuffer;
    TIKObjectDictionary<TDXShaderVariable> FVariables{true};
};

// A program of the kit: the C++ vertex and pixel functions registered under a name, and up to
// one constant buffer per stage. Activating it binds its buffers, so no draw reads the
// constants of another program.
class TDXShader : public TIKProgram {
public:
    // Raises "Can't create vertex shader" or "Can't create pixel shader" when the program has
    // no such function, "Can't create input layout" for a layout other than IKVertexLayout.
    TDXShader(const QString& programName, std::span<const TIKInputElement> layout = IKVertexLayout);

    void DefineBuffer(TIKProgramType type, int size);
    // The buffer of that stage must have been defined.
    void DefineVariable(TIKProgramType type, const QString& name, int offset, int length);
    const TDXConstantBuffer* Buffer(TIKProgramType type) const { return FBuffers[type].get(); }

    void Activate() override;
    void Deactivate() override;
    void SetInt(const QString& name, std::uint32_t value, int index) override;
    void SetValue(const QString& name, float value, int index) override;
    void SetValue(const QString& name, const TIKVector3D& value, int index) override;
    void SetValue(const QString& name, const TIKColorF& value, int index) override;
    // Column by column in three registers.
    void SetValue(const QString& name, const TIKMatrix& value) override;
    // The kit's programs take no 4 x 4 matrices; raises.
    void SetValue(const QString& name, const TIKMatrix3D& value) override;

private:
    void Write(const QString& name, const void* data, int offset, int length);

    const platform::kitdevice::ProgramCode* FCode;
    std::array<std::unique_ptr<TDXConstantBuffer>, 2> FBuffers;
};
