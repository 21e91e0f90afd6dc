#include "platform/media/GifAnimation.h"

#include "platform/media/GifError.h"
#include "platform/media/MediaType.h"

#include <algorithm>
#include <fstream>
#include <gif_lib.h>
#include <iterator>

namespace platform::media {

namespace {

// Walks the blocks of a GIF file without decoding it, so that the rectangles it declares can be
// refused before the decoder allocates them.
class GifBlockScan {
public:
    explicit GifBlockScan(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    // Throws MediaError when the screen or any frame, or all frames together, are larger than
    // the file can sanely hold.
    void checkSizes() {
        const int64_t fileBytes = int64_t(bytes_.size());
        pos_ = 6;
        const int screenWidth = u16(), screenHeight = u16();
        const int flags = byte();
        pos_ += 2;
        skipColourTable(flags);
        if (!ok_)
            return; // the decoder says what is wrong
        checkDecodedSize(screenWidth, screenHeight, 0, fileBytes);
        int64_t pixels = 0;
        for (int kind = byte(); ok_; kind = byte()) {
            if (kind == 0x21) {
                ++pos_;
                skipSubBlocks();
            } else if (kind == 0x2C) {
                pos_ += 4;
                const int width = u16(), height = u16();
                skipColourTable(byte());
                if (!ok_)
                    return;
                pixels += int64_t(width) * height;
                checkDecodedSize(std::max(width, 1), std::max(height, 1), pixels, fileBytes);
                ++pos_;
                skipSubBlocks();
            } else {
                return;
            }
        }
    }

private:
    int byte() {
        ok_ = ok_ && pos_ < bytes_.size();
        return ok_ ? uint8_t(bytes_[pos_++]) : 0;
    }
    int u16() {
        const int low = byte();
        return low | byte() << 8;
    }
    void skipColourTable(int flags) {
        if (flags & 0x80)
            pos_ += size_t(3) << ((flags & 7) + 1);
    }
    void skipSubBlocks() {
        for (int length = byte(); ok_ && length > 0; length = byte())
            pos_ += size_t(length);
    }

    std::string bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

} // namespace

struct GifAnimation::Impl {
    GifFileType* file = nullptr;
    std::vector<GifFrame> frames;

    ~Impl() {
        int error = 0;
        if (file)
            DGifCloseFile(file, &error);
    }
};

GifAnimation::GifAnimation(const std::string& path) : impl_(std::make_unique<Impl>()) {
    GifBlockScan(path).checkSizes();
    int error = 0;
    impl_->file = DGifOpenFileName(path.c_str(), &error);
    if (!impl_->file)
        throw MediaError(std::string("Cannot open the GIF file: ") + gifError(error));
    GifFileType* gif = impl_->file;
    if (DGifSlurp(gif) != GIF_OK && gif->ImageCount == 0)
        throw MediaError(std::string("Cannot read the GIF file: ") + gifError(gif->Error));
    if (gif->ImageCount <= 0 || gif->SWidth <= 0 || gif->SHeight <= 0)
        throw MediaError("The GIF file has no frames or no picture size");
    for (int i = 0; i < gif->ImageCount; ++i) {
        const GifImageDesc& desc = gif->SavedImages[i].ImageDesc;
        GifFrame frame{desc.Left, desc.Top, desc.Width, desc.Height, 0, 0};
        GraphicsControlBlock control{};
        if (DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK) {
            frame.delayCs = control.DelayTime;
            frame.disposal = control.DisposalMode;
        }
        impl_->frames.push_back(frame);
    }
}

GifAnimation::~GifAnimation() = default;

int GifAnimation::width() const {
    return impl_->file->SWidth;
}

int GifAnimation::height() const {
    return impl_->file->SHeight;
}

const std::vector<GifFrame>& GifAnimation::frames() const {
    return impl_->frames;
}

void GifAnimation::drawFrame(int index, uint8_t* canvas, int pitch) const {
    const GifFileType* gif = impl_->file;
    if (index < 0 || index >= gif->ImageCount)
        return;
    const SavedImage& image = gif->SavedImages[index];
    const ColorMapObject* colours =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    if (!colours || !image.RasterBits)
        return;
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(const_cast<GifFileType*>(gif), index, &control);
    const GifImageDesc& desc = image.ImageDesc;
    const int x0 = std::max(0, desc.Left);
    const int x1 = std::min(width(), desc.Left + desc.Width);
    const int y0 = std::max(0, desc.Top);
    const int y1 = std::min(height(), desc.Top + desc.Height);
    for (int y = y0; y < y1; ++y) {
        const GifByteType* source = image.RasterBits + int64_t(y - desc.Top) * desc.Width;
        uint8_t* row = canvas + int64_t(y) * pitch;
        for (int x = x0; x < x1; ++x) {
            const int colour = source[x - desc.Left];
            if (colour == control.TransparentColor || colour >= colours->ColorCount)
                continue;
            const GifColorType& rgb = colours->Colors[colour];
            uint8_t* pixel = row + x * 4;
            pixel[0] = rgb.Blue;
            pixel[1] = rgb.Green;
            pixel[2] = rgb.Red;
            pixel[3] = 255;
        }
    }
}

} // namespace platform::media
