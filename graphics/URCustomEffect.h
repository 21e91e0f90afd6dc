// The base of the program's own effects: an effect kernel whose property values live in one
// constant buffer record (`Fbuffer` of each class, the only store of the values), written
// field by field from the registered properties before every render, and whose pixel work is
// a pixel shader compiled into the program, found by the shader identifier of its class.
//
// Each class registers from its registration text: the XML description of its display name,
// inputs and properties. Every property starts at the value the class's `Initialize` gives
// it, even where the text declares another value: that is the value a caller reads back
// after creating the effect.
#pragma once

#include "platform/render/Factory.h"

#include <QString>
#include <QUuid>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

/// The float vectors of the buffer records.
struct TD2D_VECTOR_2F {
    float x, y;
};
struct TD2D_VECTOR_4F {
    float x, y, z, w;
};

/// A custom effect's pixel program: computes `out` from the inputs and the constant buffer.
struct TRPixelShader {
    void (*run)(const void* buffer, std::span<const platform::render::ImageTile> inputs,
                platform::render::ImageTile& out) = nullptr;
    /// The program reads input 0 away from the pixel it writes (warps, blocks, blurs), so it
    /// needs the whole input, not just the output's rectangle.
    bool readsWholeInput = false;
};

/// Pixel programs by shader identifier (URCustomEffects.h has the compiled-in set).
using TRShaderLibrary = std::map<QUuid, TRPixelShader>;

/// One row of a class's property table: the registered name and type ("float", "vector2",
/// "vector4"), the value the registration text declares (empty for none), the byte offset of
/// the buffer field the property writes, and the value `Initialize` puts there.
struct TRCustomEffectProperty {
    QString name;
    QString type;
    QString declared;
    size_t offset = 0;
    platform::render::PropertyValue initial;
};

/// A 2x2 check of a class's pixel program: property values to set and the expected
/// premultiplied pixels (0xAARRGGBB, row by row) for the probe input (red, green / blue,
/// white, all opaque, on every input).
struct TRCustomEffectProbe {
    std::vector<std::pair<int, platform::render::PropertyValue>> values;
    std::array<uint32_t, 4> expected{};
};

/// What distinguishes one class of the family.
struct TRCustomEffectInfo {
    QUuid classId;
    QString displayName;
    QUuid shaderId; ///< null for a class without a pixel program (Push)
    QString shaderName;
    int inputCount = 1;
    size_t bufferSize = 0;
    std::vector<TRCustomEffectProperty> properties;
    TRCustomEffectProbe probe;
};

/// A registration or probe that failed.
class TRCustomEffectError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRCustomEffect : public platform::render::EffectKernel {
public:
    /// Copies each property value into its buffer field (the upload before every render).
    void prepare(std::span<const platform::render::PropertyValue> values) override;
    /// The output covers input 0's rectangle; a second input never widens it.
    platform::render::RectL
    outputBounds(std::span<const platform::render::RectL> inputBounds) const override;
    /// Every input rectangle is the output rectangle, except that a program reading away from
    /// its pixel gets the whole of input 0.
    void mapOutputToInputs(const platform::render::RectL& output,
                           std::span<platform::render::RectL> inputRects) const override;
    /// Runs the pixel program; without one the output is transparent.
    void render(std::span<const platform::render::ImageTile> inputs,
                platform::render::ImageTile& out) const override;

    /// The registration text of a class.
    static QString RegistrationText(const TRCustomEffectInfo& info);
    /// Registers a class on `factory` from its registration text: the display name, inputs
    /// and property names and types come from the text, the initial values from `info`'s
    /// table. Throws TRCustomEffectError when the text and the table disagree or the
    /// factory refuses the class. A class already registered on `factory` stays as it is.
    static void RegisterEffectFromString(platform::render::Factory& factory,
                                         const TRCustomEffectInfo& info, const QString& text,
                                         std::function<std::unique_ptr<EffectKernel>()> create);

    /// The bytes of the constant buffer.
    std::span<const std::byte> bufferBytes() const { return {buffer_, info_.bufferSize}; }
    bool hasShader() const { return shader_.run != nullptr; }

protected:
    TRCustomEffect(const TRCustomEffectInfo& info, void* buffer)
        : info_(info), buffer_(static_cast<std::byte*>(buffer)) {}
    // Sets every buffer field to its initial value and looks the pixel program up by the
    // class's shader identifier. Runs once the buffer record exists.
    void Initialize(const TRShaderLibrary& shaders);

private:
    const TRCustomEffectInfo& info_;
    std::byte* buffer_;
    TRPixelShader shader_;
    mutable platform::render::RectL inputBounds_;
};

/// A class of the family: `Fbuffer` is its buffer record, `Derived` provides `Info()`.
template <class Derived, class Buffer> class TRCustomEffectOf : public TRCustomEffect {
public:
    const Buffer& buffer() const { return Fbuffer; }

    /// Registers the class on `factory`, its kernels using the programs of `shaders`.
    static void RegisterEffect(platform::render::Factory& factory,
                               std::shared_ptr<const TRShaderLibrary> shaders) {
        RegisterEffectFromString(factory, Derived::Info(), RegistrationText(Derived::Info()),
                                 [shaders] { return std::make_unique<Derived>(*shaders); });
    }

protected:
    explicit TRCustomEffectOf(const TRShaderLibrary& shaders)
        : TRCustomEffect(Derived::Info(), &Fbuffer) {
        Initialize(shaders);
    }

    Buffer Fbuffer{};
};

/// A typed view of a program's buffer, for the programs' bodies.
template <class Buffer> const Buffer& ShaderBuffer(const void* buffer) {
    return *static_cast<const Buffer*>(buffer);
}
