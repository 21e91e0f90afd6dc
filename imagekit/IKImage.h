#pragma once
// The image that flows through the kit's filters: pixels of its own, or the output of a filter
// that exist once the filter has rendered.

#include "imagekit/IKTypes.h"

#include <QObject>
#include <QString>
#include <memory>
#include <stdexcept>

class TIKFilter;

class EIKImageException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIKImage : public QObject {
    Q_OBJECT

public:
    TIKImage();
    ~TIKImage() override;

    static std::unique_ptr<TIKImage> CreateEmpty();
    static std::unique_ptr<TIKImage> CreateWithTexture(std::unique_ptr<TIKTexture> texture);
    static std::unique_ptr<TIKImage> CreateWithBits(const std::uint8_t* bits, TIKPixelFormat format,
                                                    int width, int height);
    static std::unique_ptr<TIKImage> CreateWithBitmap(const QImage& bitmap);
    static std::unique_ptr<TIKImage> CreateWithGPBitmap(const QImage& bitmap);
    static std::unique_ptr<TIKImage> CreateWithGraphic(const QImage& graphic);
    static std::unique_ptr<TIKImage> CreateWithFile(const QString& fileName);

    // Takes the texture over; the extent becomes its size.
    void InitWithTexture(std::unique_ptr<TIKTexture> texture);
    // Packed rows, top first, used as premultiplied colour. Raises "Can't create texture" for
    // a side outside 1..8192; the image then keeps its texture.
    void InitWithBits(const std::uint8_t* bits, TIKPixelFormat format, int width, int height);
    // A bitmap wider or taller than 8192 is first shrunk to 0.9 of the largest size that fits.
    void InitWithBitmap(const QImage& bitmap);
    // The bitmap as it is, whatever its size.
    void InitWithGPBitmap(const QImage& bitmap);
    // A picture with straight alpha is premultiplied (rounded like MulDiv); others go the
    // bitmap way.
    void InitWithGraphic(const QImage& graphic);
    // A file that cannot be read leaves the image as it was.
    void InitWithFile(const QString& fileName);

    // The current pixels, upright and premultiplied; renders the filter graph behind a filter
    // output. Empty when there is nothing to show.
    const QImage& Bitmap();
    // Width x height pixels in `format`, rows top first without padding. Raises "Nothing to
    // read" when the bitmap is empty.
    void ReadBits(std::uint8_t* bits, TIKPixelFormat format);
    void AssignTo(QImage& dest) { dest = Bitmap(); }

    const TIKRect& Extent() const { return FExtent; }
    void SetExtent(const TIKRect& extent) { FExtent = extent; }
    TIKPixelFormat PixelFormat() const { return pfBGRA; }
    TIKFilter* Filter() const { return FFilter; }
    void SetFilter(TIKFilter* filter) { FFilter = filter; }
    TIKTexture* Texture() const { return FTexture.get(); }
    // A filter's output: the texture the filter rendered into, or none. The old one is freed.
    void ReplaceTexture(std::unique_ptr<TIKTexture> texture);
    // When the pixels last changed, on the kit's change clock.
    std::uint64_t ChangeStamp() const { return FChangeStamp; }

    // The size a bitmap of width x height is shrunk to before it becomes a texture.
    static QSize ShrunkSize(int width, int height);

private:
    TIKFilter* FFilter = nullptr;
    TIKRect FExtent;
    std::unique_ptr<TIKTexture> FTexture;
    QImage FBitmap;
    std::uint64_t FChangeStamp = 0;
};

// The kit's change clock: every named change and new pixels take the next tick.
std::uint64_t IKNextChangeStamp();
std::uint64_t IKCurrentChangeStamp();
