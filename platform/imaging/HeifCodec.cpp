#include "platform/imaging/HeifCodec.h"

#include <QFile>
#include <libheif/heif.h>
#include <memory>

namespace platform::imaging {

namespace {

struct ContextDeleter {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct ImageDeleter {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct EncoderDeleter {
    void operator()(heif_encoder* e) const { heif_encoder_release(e); }
};
using Context = std::unique_ptr<heif_context, ContextDeleter>;
using Picture = std::unique_ptr<heif_image, ImageDeleter>;
using Handle = std::unique_ptr<heif_image_handle, HandleDeleter>;
using Encoder = std::unique_ptr<heif_encoder, EncoderDeleter>;

QString message(const heif_error& e) {
    return QString::fromUtf8(e.message);
}

// Copies rows of 32-bit pixels, swapping red and blue (BGRA <-> RGBA).
void copySwapped(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int w, int h) {
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = src + size_t(y) * srcStride;
        uint8_t* d = dst + size_t(y) * dstStride;
        for (int x = 0; x < w; ++x, s += 4, d += 4) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            d[3] = s[3];
        }
    }
}

heif_error appendBytes(heif_context*, const void* data, size_t size, void* userdata) {
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

heif_writer MemoryWriter{1, &appendBytes};

heif_error newEncoder(heif_context* ctx, Encoder& encoder) {
    heif_encoder* e = nullptr;
    heif_error err = heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &e);
    if (err.code != heif_error_Ok)
        err = heif_context_get_encoder_for_format(ctx, heif_compression_AV1, &e);
    encoder.reset(e);
    return err;
}

} // namespace

QString writeHeif(const QString& fileName, const QImage& image, int quality) {
    const int w = image.width(), h = image.height();
    Context ctx(heif_context_alloc());
    heif_image* raw = nullptr;
    heif_error err =
        heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, &raw);
    Picture picture(raw);
    if (err.code == heif_error_Ok)
        err = heif_image_add_plane(raw, heif_channel_interleaved, w, h, 8);
    if (err.code != heif_error_Ok)
        return message(err);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(raw, heif_channel_interleaved, &stride);
    copySwapped(image.constBits(), int(image.bytesPerLine()), plane, stride, w, h);
    Encoder encoder;
    err = newEncoder(ctx.get(), encoder);
    if (err.code == heif_error_Ok)
        err = heif_encoder_set_lossy_quality(encoder.get(), quality);
    if (err.code == heif_error_Ok)
        err = heif_context_encode_image(ctx.get(), raw, encoder.get(), nullptr, nullptr);
    QByteArray bytes;
    if (err.code == heif_error_Ok)
        err = heif_context_write(ctx.get(), &MemoryWriter, &bytes);
    if (err.code != heif_error_Ok)
        return message(err);
    // Written through QFile: libheif's own file writer does not report a failed open.
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return file.errorString();
    return {};
}

QImage readHeif(const QString& fileName, QString& error) {
    Context ctx(heif_context_alloc());
    heif_error err =
        heif_context_read_from_file(ctx.get(), QFile::encodeName(fileName).constData(), nullptr);
    heif_image_handle* rawHandle = nullptr;
    if (err.code == heif_error_Ok)
        err = heif_context_get_primary_image_handle(ctx.get(), &rawHandle);
    Handle handle(rawHandle);
    heif_image* raw = nullptr;
    if (err.code == heif_error_Ok)
        err = heif_decode_image(rawHandle, &raw, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                                nullptr);
    Picture picture(raw);
    if (err.code != heif_error_Ok) {
        error = message(err);
        return {};
    }
    const int w = heif_image_get_width(raw, heif_channel_interleaved);
    const int h = heif_image_get_height(raw, heif_channel_interleaved);
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(raw, heif_channel_interleaved, &stride);
    QImage image(w, h, QImage::Format_ARGB32);
    if (!plane || image.isNull()) {
        error = QStringLiteral("damaged HEIF picture");
        return {};
    }
    copySwapped(plane, stride, image.bits(), int(image.bytesPerLine()), w, h);
    return image;
}

} // namespace platform::imaging
