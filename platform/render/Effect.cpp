#include "platform/render/Effect.h"

#include <algorithm>

namespace platform::render {

namespace {

// Inputs larger than this are never rendered whole: a kernel asking for more is asking for
// an unbounded region.
constexpr int64_t kMaxTileArea = int64_t(1) << 28;

bool renderable(const RectL& r) {
    return !r.isInfinite() && r.area() <= kMaxTileArea;
}

} // namespace

EffectKernel::~EffectKernel() = default;

void EffectKernel::prepare(std::span<const PropertyValue>) {}

std::optional<ImageTile> EffectKernel::passThrough(std::span<const ImageTile>, const RectL&) const {
    return std::nullopt;
}

RectL EffectKernel::outputBounds(std::span<const RectL> inputBounds) const {
    return inputBounds.empty() ? RectL{} : inputBounds[0];
}

void EffectKernel::mapOutputToInputs(const RectL& output, std::span<RectL> inputRects) const {
    for (RectL& r : inputRects)
        r = output;
}

Effect::Effect(std::shared_ptr<const EffectClass> cls, std::unique_ptr<EffectKernel> kernel)
    : class_(std::move(cls)), kernel_(std::move(kernel)) {
    inputs_.resize(size_t(std::max(class_->inputCount, 0)));
    inputScratch_.resize(inputs_.size());
    for (const PropertyInfo& p : class_->properties)
        values_.push_back(p.initial);
}

std::shared_ptr<Effect> Effect::create(std::shared_ptr<const EffectClass> cls) {
    if (!cls || !cls->createKernel)
        return nullptr;
    std::unique_ptr<EffectKernel> kernel = cls->createKernel();
    if (!kernel)
        return nullptr;
    return std::shared_ptr<Effect>(new Effect(std::move(cls), std::move(kernel)));
}

bool Effect::setInput(int index, ImagePtr image) {
    if (index < 0 || index >= inputCount() || (image && image->dependsOn(this)))
        return false;
    inputs_[size_t(index)] = std::move(image);
    return true;
}

ImagePtr Effect::input(int index) const {
    return index >= 0 && index < inputCount() ? inputs_[size_t(index)] : nullptr;
}

bool Effect::setValue(int index, const PropertyValue& value) {
    if (index < 0 || size_t(index) >= values_.size() ||
        values_[size_t(index)].index() != value.index())
        return false;
    values_[size_t(index)] = value;
    return true;
}

const PropertyValue* Effect::value(int index) const {
    return index >= 0 && size_t(index) < values_.size() ? &values_[size_t(index)] : nullptr;
}

std::vector<RectL> Effect::inputBounds() const {
    std::vector<RectL> out;
    for (const ImagePtr& in : inputs_)
        out.push_back(in ? in->bounds() : RectL{});
    return out;
}

RectL Effect::bounds() const {
    kernel_->prepare(values_);
    const std::vector<RectL> in = inputBounds();
    return kernel_->outputBounds(in);
}

ImageTile Effect::render(const RectL& region) const {
    const RectL area = region.intersected(bounds());
    if (area.isEmpty() || !renderable(area))
        return ImageTile::transparent(region);
    std::vector<RectL> wanted(inputs_.size());
    kernel_->mapOutputToInputs(area, wanted);
    if (!std::all_of(wanted.begin(), wanted.end(), renderable))
        return ImageTile::transparent(region);
    std::vector<ImageTile> tiles;
    tiles.reserve(inputs_.size());
    for (size_t i = 0; i < inputs_.size(); ++i)
        tiles.push_back(renderInput(i, wanted[i]));
    std::optional<ImageTile> out = kernel_->passThrough(tiles, area);
    if (!out) {
        out = ImageTile::reuse(outputScratch_, area);
        kernel_->render(tiles, *out);
        outputScratch_ = out->pixels;
    }
    if (area == region)
        return *out;
    ImageTile whole = ImageTile::transparent(region);
    copyTileArea(*out, whole);
    return whole;
}

// The pixels of `wanted` (renderable), transparent where the input has none. The input renders
// only the part inside its bounds; the rest is padding in a buffer kept for the next frame.
ImageTile Effect::renderInput(size_t index, const RectL& wanted) const {
    const Image* image = inputs_[index].get();
    const RectL inner = image ? wanted.intersected(image->bounds()) : RectL{};
    if (wanted.isEmpty() || inner == wanted)
        return wanted.isEmpty() ? ImageTile{QImage(), wanted} : image->render(wanted);
    ImageTile padded = ImageTile::reuse(inputScratch_[index], wanted);
    copyPadded(inner.isEmpty() ? ImageTile{QImage(), inner} : image->render(inner), padded);
    inputScratch_[index] = padded.pixels;
    return padded;
}

bool Effect::dependsOn(const Image* other) const {
    if (other == this)
        return true;
    for (const ImagePtr& in : inputs_)
        if (in && in->dependsOn(other))
            return true;
    return false;
}

} // namespace platform::render
