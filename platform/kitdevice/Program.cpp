#include "platform/kitdevice/Program.h"

#include <map>
#include <mutex>

namespace platform::kitdevice {

namespace {

struct Registry {
    std::mutex lock;
    std::map<std::string, ProgramCode> programs;
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

void PixelSpan::sample(int slot, Color4* out) const {
    const TextureBinding& binding = (*textures)[std::size_t(slot)];
    if (!binding.texture) {
        for (int i = 0; i < count; ++i)
            out[i] = {};
        return;
    }
    sampleSpan(*binding.texture, binding.sampler, u, v, du, dv, count, out);
}

const std::uint8_t* PixelSpan::texels(int slot) const {
    const TextureBinding& binding = (*textures)[std::size_t(slot)];
    int x = 0;
    int y = 0;
    if (!binding.texture || !texelRun(*binding.texture, binding.sampler, u, v, du, dv, count, x, y))
        return nullptr;
    return binding.texture->row(y) + std::size_t(x) * 4;
}

void registerProgram(const std::string& name, ProgramCode code) {
    Registry& r = registry();
    const std::lock_guard guard(r.lock);
    r.programs.emplace(name, code);
}

const ProgramCode* findProgram(const std::string& name) {
    Registry& r = registry();
    const std::lock_guard guard(r.lock);
    const auto it = r.programs.find(name);
    return it == r.programs.end() ? nullptr : &it->second;
}

Vertex flipVertex(const Vertex& in, const std::uint8_t*) {
    return {in.x, -in.y, in.u, in.v};
}

ConstantBuffer::ConstantBuffer(int size)
    : bytes_(std::size_t((std::max(size, 0) + 15) / 16 * 16)) {}

} // namespace platform::kitdevice
