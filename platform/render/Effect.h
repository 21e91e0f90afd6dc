// The effect graph. An Effect is an image computed from numbered input images (bitmaps or other
// effects) by a pixel kernel, configured through indexed, typed properties. Nothing is computed
// when an effect is created, re-targeted or configured: pixels are produced at draw time, and
// only for the region being drawn.
//
// A graph is evaluated on one thread at a time (effects keep their pixel buffers from frame to
// frame); the kernels themselves spread their rows over every core.
//
// Adding an effect class: derive an EffectKernel (map output regions to the input regions they
// need; render an output region from the rendered input regions, in parallel rows), describe its
// inputs and properties in an EffectClass, and register that class with a Factory
// (platform/render/Factory.h) under a stable class id.
#pragma once

#include "platform/render/Image.h"
#include "platform/render/Types.h"

#include <QString>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace platform::render {

enum class PropertyType { Float, Vector2, Vector3, Vector4, Matrix3x2, Matrix4x4, Enum };

/// A property value; the alternative's position is its PropertyType. Enums are uint32_t.
using PropertyValue =
    std::variant<float, Vector2, Vector3, Vector4, Matrix3x2, Matrix4x4, uint32_t>;

inline PropertyType typeOf(const PropertyValue& v) {
    return PropertyType(v.index());
}

struct PropertyInfo {
    QString name;
    PropertyValue initial; ///< also fixes the property's type
};

/// The pixel work of one effect instance. A kernel may keep state (a constant record filled
/// in prepare()); one kernel object exists per Effect.
class EffectKernel {
public:
    virtual ~EffectKernel();

    /// Called before every evaluation with the effect's current property values.
    virtual void prepare(std::span<const PropertyValue> properties);

    /// Where the output may be non-transparent, from the inputs' bounds (one per input; empty
    /// for a missing input). Default: input 0's bounds.
    virtual RectL outputBounds(std::span<const RectL> inputBounds) const;

    /// The region of each input needed to compute `output`. Default: `output` for every input.
    virtual void mapOutputToInputs(const RectL& output, std::span<RectL> inputRects) const;

    /// For kernels that only move or limit pixels: the output for `output` as a view of the
    /// input tiles (no pixel work; the tile's region must be exactly `output`), or nullopt to
    /// have render() called. Default: nullopt.
    virtual std::optional<ImageTile> passThrough(std::span<const ImageTile> inputs,
                                                 const RectL& output) const;

    /// Computes every pixel of `out.region` (`out.pixels` is allocated; its contents are
    /// undefined, possibly an earlier frame). `inputs[i]` covers exactly the rectangle
    /// mapOutputToInputs() asked for. Kernels should split rows with parallelRows()
    /// (platform/render/Parallel.h).
    virtual void render(std::span<const ImageTile> inputs, ImageTile& out) const = 0;
};

/// A registered kind of effect: its id, inputs, properties and kernel maker.
struct EffectClass {
    QUuid id;
    QString displayName;
    int inputCount = 1;
    std::vector<PropertyInfo> properties;
    std::function<std::unique_ptr<EffectKernel>()> createKernel;
};

class Effect : public Image {
public:
    /// A new effect of `cls` with the initial property values; nullptr when `cls` is null or
    /// makes no kernel.
    static std::shared_ptr<Effect> create(std::shared_ptr<const EffectClass> cls);

    const EffectClass& effectClass() const { return *class_; }
    int inputCount() const { return int(inputs_.size()); }

    /// Sets input `index` (nullptr clears it: a missing input is an empty image). Refused
    /// (false) for a bad index or when `image` is or reads from this effect (a cycle).
    bool setInput(int index, ImagePtr image);
    ImagePtr input(int index) const;

    /// Sets property `index`; false for a bad index or a value of another type (nothing set).
    bool setValue(int index, const PropertyValue& value);
    /// The property value, or nullptr for a bad index.
    const PropertyValue* value(int index) const;
    template <class T> T valueAs(int index) const {
        const PropertyValue* v = value(index);
        return v && std::holds_alternative<T>(*v) ? std::get<T>(*v) : T{};
    }

    /// The effect's output image: the effect itself, valid while the effect lives.
    ImagePtr output() { return shared_from_this(); }

    RectL bounds() const override;
    ImageTile render(const RectL& region) const override;
    bool dependsOn(const Image* other) const override;

private:
    Effect(std::shared_ptr<const EffectClass> cls, std::unique_ptr<EffectKernel> kernel);
    std::vector<RectL> inputBounds() const;
    ImageTile renderInput(size_t index, const RectL& wanted) const;

    std::shared_ptr<const EffectClass> class_;
    std::unique_ptr<EffectKernel> kernel_;
    std::vector<ImagePtr> inputs_;
    std::vector<PropertyValue> values_;
    // Pixel buffers kept from frame to frame (re-used when nobody else holds them): one per
    // input for padding, and the output.
    mutable std::vector<QImage> inputScratch_;
    mutable QImage outputScratch_;
};

using EffectPtr = std::shared_ptr<Effect>;

} // namespace platform::render
