#include "platform/media/GifWriter.h"

#include "platform/media/GifError.h"
#include "platform/media/MediaType.h"

#include <algorithm>
#include <gif_lib.h>
#include <vector>

namespace platform::media {

namespace {

constexpr int MaxSide = 65535;
const uint8_t LoopBlock[] = {1, 0, 0}; // sub-block 1: loop count 0, for ever

int bitsFor(int entries) {
    int bits = 1;
    while ((1 << bits) < entries)
        ++bits;
    return bits;
}

struct ColourMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColourMap = std::unique_ptr<ColorMapObject, ColourMapDeleter>;

// The picture's opaque pixels quantised to at most `limit` colours, and every pixel's index;
// transparent pixels get the index after the last colour.
struct Indexed {
    std::vector<GifColorType> colours;
    std::vector<GifByteType> indices; // width × height
    int transparentIndex = -1;
};

bool isTransparent(const GifFramePicture& p, int x, int y) {
    return p.transparent && p.transparent[size_t(y) * size_t(p.transparentPitch) + size_t(x)];
}

// The quantiser keeps five bits of each primary, so white would come out as 248: each entry
// becomes the exact average of the pixels mapped to it.
void averageColours(const std::vector<GifByteType>& red, const std::vector<GifByteType>& green,
                    const std::vector<GifByteType>& blue, const std::vector<GifByteType>& indices,
                    std::vector<GifColorType>& colours) {
    struct Sum {
        uint64_t r = 0, g = 0, b = 0, n = 0;
    };
    std::vector<Sum> sums(colours.size());
    for (size_t i = 0; i < indices.size(); ++i) {
        Sum& s = sums[indices[i]];
        s.r += red[i];
        s.g += green[i];
        s.b += blue[i];
        ++s.n;
    }
    for (size_t c = 0; c < colours.size(); ++c)
        if (const Sum& s = sums[c]; s.n > 0)
            colours[c] =
                GifColorType{GifByteType((s.r + s.n / 2) / s.n), GifByteType((s.g + s.n / 2) / s.n),
                             GifByteType((s.b + s.n / 2) / s.n)};
}

Indexed quantise(const GifFramePicture& p) {
    const size_t count = size_t(p.width) * size_t(p.height);
    std::vector<GifByteType> red, green, blue;
    red.reserve(count);
    green.reserve(count);
    blue.reserve(count);
    for (int y = 0; y < p.height; ++y) {
        const uint8_t* row = p.bgra + size_t(y) * size_t(p.pitch);
        for (int x = 0; x < p.width; ++x) {
            if (isTransparent(p, x, y))
                continue;
            blue.push_back(row[x * 4]);
            green.push_back(row[x * 4 + 1]);
            red.push_back(row[x * 4 + 2]);
        }
    }
    Indexed result;
    std::vector<GifByteType> opaque(red.size());
    int size = p.transparent ? p.colours - 1 : p.colours;
    result.colours.resize(size_t(size));
    if (!red.empty()) {
        if (GifQuantizeBuffer(unsigned(red.size()), 1, &size, red.data(), green.data(), blue.data(),
                              opaque.data(), result.colours.data()) != GIF_OK)
            throw MediaError("cannot make the palette of a GIF frame");
    } else {
        size = 1; // nothing opaque: one unused colour keeps the palette valid
        result.colours[0] = GifColorType{0, 0, 0};
    }
    result.colours.resize(size_t(size));
    averageColours(red, green, blue, opaque, result.colours);
    if (p.transparent) {
        result.transparentIndex = size;
        result.colours.push_back(GifColorType{0, 0, 0});
    }
    result.indices.resize(count);
    size_t next = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            result.indices[size_t(y) * size_t(p.width) + size_t(x)] =
                isTransparent(p, x, y) ? GifByteType(result.transparentIndex) : opaque[next++];
    return result;
}

ColourMap makeColourMap(const std::vector<GifColorType>& colours) {
    const int entries = 1 << bitsFor(std::max<int>(int(colours.size()), GifMinColours));
    std::vector<GifColorType> padded(size_t(entries), GifColorType{0, 0, 0});
    std::copy(colours.begin(), colours.end(), padded.begin());
    ColourMap map(GifMakeMapObject(entries, padded.data()));
    if (!map)
        throw MediaError("out of memory for a GIF palette");
    return map;
}

void validate(const GifFramePicture& p, int screenWidth, int screenHeight) {
    if (p.width <= 0 || p.height <= 0 || p.left < 0 || p.top < 0 ||
        p.left + p.width > screenWidth || p.top + p.height > screenHeight || !p.bgra ||
        p.pitch < p.width * 4)
        throw MediaError("the GIF frame does not lie inside the picture");
    if (p.colours < GifMinColours || p.colours > GifMaxColours)
        throw MediaError("a GIF palette holds 2 to 256 colours");
    if (p.delayCs < 0 || p.delayCs > GifMaxDelayCs)
        throw MediaError("a GIF frame delay is 0 to 65535 hundredths of a second");
    if (p.transparent && p.transparentPitch < p.width)
        throw MediaError("the transparency mask is narrower than the GIF frame");
}

} // namespace

struct GifWriter::Impl {
    GifFileType* file = nullptr;
    int width = 0;
    int height = 0;
    int frames = 0;

    void check(int result, const char* what) const {
        if (result != GIF_OK)
            throw MediaError(std::string(what) + ": " + gifError(file->Error));
    }

    void closeFile(bool mustSucceed) {
        if (!file)
            return;
        int error = 0;
        const int result = EGifCloseFile(file, &error);
        file = nullptr;
        if (mustSucceed && result != GIF_OK)
            throw MediaError("cannot complete the GIF file: " + gifError(error));
    }
};

GifWriter::GifWriter(const std::string& path, int width, int height, const std::string& comment)
    : impl_(std::make_unique<Impl>()) {
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide)
        throw MediaError("a GIF picture is 1 to 65535 pixels wide and high");
    int error = 0;
    impl_->file = EGifOpenFileName(path.c_str(), false, &error);
    if (!impl_->file)
        throw MediaError("cannot create \"" + path + "\": " + gifError(error));
    impl_->width = width;
    impl_->height = height;
    EGifSetGifVersion(impl_->file, true);
    try {
        impl_->check(EGifPutScreenDesc(impl_->file, width, height, 8, 0, nullptr),
                     "cannot write the GIF screen");
        impl_->check(EGifPutExtensionLeader(impl_->file, APPLICATION_EXT_FUNC_CODE),
                     "cannot write the loop block");
        impl_->check(EGifPutExtensionBlock(impl_->file, 11, "NETSCAPE2.0"),
                     "cannot write the loop block");
        impl_->check(EGifPutExtensionBlock(impl_->file, sizeof LoopBlock, LoopBlock),
                     "cannot write the loop block");
        impl_->check(EGifPutExtensionTrailer(impl_->file), "cannot write the loop block");
        impl_->check(EGifPutComment(impl_->file, comment.c_str()), "cannot write the comment");
    } catch (...) {
        impl_->closeFile(false);
        throw;
    }
}

GifWriter::~GifWriter() {
    impl_->closeFile(false);
}

void GifWriter::writeFrame(const GifFramePicture& picture) {
    if (!impl_->file)
        throw MediaError("the GIF file is closed");
    validate(picture, impl_->width, impl_->height);
    Indexed indexed = quantise(picture);
    ColourMap map = makeColourMap(indexed.colours);

    GraphicsControlBlock control{};
    control.DisposalMode = picture.disposal;
    control.UserInputFlag = false;
    control.DelayTime = picture.delayCs;
    control.TransparentColor = indexed.transparentIndex;
    GifByteType extension[4] = {};
    EGifGCBToExtension(&control, extension);
    impl_->check(EGifPutExtension(impl_->file, GRAPHICS_EXT_FUNC_CODE, 4, extension),
                 "cannot write a GIF frame");
    impl_->check(EGifPutImageDesc(impl_->file, picture.left, picture.top, picture.width,
                                  picture.height, false, map.get()),
                 "cannot write a GIF frame");
    for (int y = 0; y < picture.height; ++y)
        impl_->check(EGifPutLine(impl_->file, &indexed.indices[size_t(y) * size_t(picture.width)],
                                 picture.width),
                     "cannot write a GIF frame");
    ++impl_->frames;
}

void GifWriter::close() {
    impl_->closeFile(true);
}

int GifWriter::framesWritten() const {
    return impl_->frames;
}

} // namespace platform::media
