#include "imagekit/IKImage.h"

#include "imagekit/IKContext.h"
#include "imagekit/IKFilter.h"
#include "imagekit/IKRender.h"
#include "imagekit/IKTextures.h"
#include "platform/imaging/ImageFile.h"

#include <vector>

namespace {

std::uint64_t gChangeClock = 0;

// Windows' MulDiv for non-negative values: a * b / c rounded half up.
std::uint32_t MulDiv(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return (a * b + c / 2) / c;
}

template <class... Args>
std::unique_ptr<TIKImage> Made(void (TIKImage::*init)(Args...), Args... args) {
    auto image = std::make_unique<TIKImage>();
    (image.get()->*init)(args...);
    return image;
}

} // namespace

std::uint64_t IKNextChangeStamp() {
    return ++gChangeClock;
}

std::uint64_t IKCurrentChangeStamp() {
    return gChangeClock;
}

TIKImage::TIKImage() = default;

TIKImage::~TIKImage() = default;

std::unique_ptr<TIKImage> TIKImage::CreateEmpty() {
    return std::make_unique<TIKImage>();
}

std::unique_ptr<TIKImage> TIKImage::CreateWithTexture(std::unique_ptr<TIKTexture> texture) {
    auto image = std::make_unique<TIKImage>();
    image->InitWithTexture(std::move(texture));
    return image;
}

std::unique_ptr<TIKImage> TIKImage::CreateWithBits(const std::uint8_t* bits, TIKPixelFormat format,
                                                   int width, int height) {
    return Made<const std::uint8_t*, TIKPixelFormat, int, int>(&TIKImage::InitWithBits, bits,
                                                               format, width, height);
}

std::unique_ptr<TIKImage> TIKImage::CreateWithBitmap(const QImage& bitmap) {
    return Made<const QImage&>(&TIKImage::InitWithBitmap, bitmap);
}

std::unique_ptr<TIKImage> TIKImage::CreateWithGPBitmap(const QImage& bitmap) {
    return Made<const QImage&>(&TIKImage::InitWithGPBitmap, bitmap);
}

std::unique_ptr<TIKImage> TIKImage::CreateWithGraphic(const QImage& graphic) {
    return Made<const QImage&>(&TIKImage::InitWithGraphic, graphic);
}

std::unique_ptr<TIKImage> TIKImage::CreateWithFile(const QString& fileName) {
    return Made<const QString&>(&TIKImage::InitWithFile, fileName);
}

void TIKImage::InitWithTexture(std::unique_ptr<TIKTexture> texture) {
    FExtent = {0, 0, float(texture->Width()), float(texture->Height())};
    FTexture = std::move(texture);
    FChangeStamp = IKNextChangeStamp();
}

void TIKImage::InitWithBits(const std::uint8_t* bits, TIKPixelFormat format, int width,
                            int height) {
    auto texture = std::make_unique<TDXMapTexture>(TIKTextureAttrs{taAntialias, taClampBorder},
                                                   width, height, pfBGRA);
    std::uint8_t* mapped = nullptr;
    int pitch = 0;
    texture->Map(mapped, pitch);
    auto* source = const_cast<std::uint8_t*>(bits);
    for (int y = 0; y < height; ++y)
        IKConvertPixels(IKPackedScanLine(source, format, width, y), IKScanLine(mapped, y, pitch),
                        width, format, pfBGRA);
    texture->Unmap();
    InitWithTexture(std::move(texture));
}

QSize TIKImage::ShrunkSize(int width, int height) {
    const int limit = TDXRenderContext::TextureSize();
    if (width <= limit && height <= limit)
        return {width, height};
    const auto scale = float(0.9 * std::min(double(limit) / width, double(limit) / double(height)));
    return {int(float(width) * scale), int(float(height) * scale)};
}

void TIKImage::InitWithBitmap(const QImage& bitmap) {
    const QSize size = ShrunkSize(bitmap.width(), bitmap.height());
    if (size == bitmap.size()) {
        InitWithGPBitmap(bitmap);
        return;
    }
    InitWithGPBitmap(bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                         .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void TIKImage::InitWithGPBitmap(const QImage& bitmap) {
    if (bitmap.isNull())
        return;
    const QImage pixels = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    InitWithBits(pixels.constBits(), pfBGRA, pixels.width(), pixels.height());
}

void TIKImage::InitWithGraphic(const QImage& graphic) {
    const bool straightAlpha = graphic.hasAlphaChannel() && !graphic.pixelFormat().premultiplied();
    if (!straightAlpha || graphic.isNull()) {
        InitWithBitmap(graphic);
        return;
    }
    const QImage straight = graphic.convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint32_t> buffer(std::size_t(straight.width()) *
                                      std::size_t(straight.height()));
    auto* out = buffer.data();
    for (int y = 0; y < straight.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(straight.constScanLine(y));
        for (int x = 0; x < straight.width(); ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t a = p >> 24;
            *out++ = a << 24 | MulDiv((p >> 16) & 255, a, 255) << 16 |
                     MulDiv((p >> 8) & 255, a, 255) << 8 | MulDiv(p & 255, a, 255);
        }
    }
    InitWithBits(reinterpret_cast<const std::uint8_t*>(buffer.data()), pfBGRA, straight.width(),
                 straight.height());
}

void TIKImage::InitWithFile(const QString& fileName) {
    InitWithGPBitmap(platform::imaging::readImage(fileName));
}

const QImage& TIKImage::Bitmap() {
    if (FFilter) {
        TIKNullContext context;
        context.BeginDraw();
        try {
            const TIKImage* output = FFilter->GetOutputImage();
            if (output->Texture())
                output->Texture()->AssignTo(FBitmap);
            else
                FBitmap = QImage();
        } catch (...) {
            context.EndDraw();
            throw;
        }
        context.EndDraw();
    } else if (FTexture) {
        FTexture->AssignTo(FBitmap);
    }
    return FBitmap;
}

void TIKImage::ReadBits(std::uint8_t* bits, TIKPixelFormat format) {
    const QImage& bitmap = Bitmap();
    if (bitmap.isNull())
        throw EIKImageException("Nothing to read");
    for (int y = 0; y < bitmap.height(); ++y)
        IKConvertPixels(bitmap.constScanLine(y), IKPackedScanLine(bits, format, bitmap.width(), y),
                        bitmap.width(), pfBGRA, format);
}

void TIKImage::ReplaceTexture(std::unique_ptr<TIKTexture> texture) {
    FTexture = std::move(texture);
}
