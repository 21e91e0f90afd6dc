#include "platform/imaging/GifCodec.h"

#include "platform/media/GifAnimation.h"
#include "platform/media/MediaType.h"

#include <QFile>
#include <array>
#include <gif_lib.h>
#include <unordered_map>
#include <vector>

namespace platform::imaging {

namespace {

constexpr int PaletteSize = 256;
constexpr int LevelsR = 6, LevelsG = 7, LevelsB = 6;

struct Indexed {
    std::array<GifColorType, PaletteSize> palette{};
    int transparent = -1;
    std::vector<GifByteType> pixels;
};

bool isTransparent(QRgb p) {
    return qAlpha(p) < 128;
}

// The exact palette when the picture holds at most 256 colours (one index kept for the
// transparent pixels when there are any); false when it holds more.
bool exactPalette(const QImage& image, Indexed& out) {
    std::unordered_map<QRgb, int> index;
    int used = 0;
    const int w = image.width();
    out.pixels.resize(size_t(w) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb key = isTransparent(row[x]) ? 0u : (row[x] | 0xFF000000u);
            auto [it, added] = index.try_emplace(key, used);
            if (added) {
                if (used == PaletteSize)
                    return false;
                out.palette[used] = {GifByteType(qRed(key)), GifByteType(qGreen(key)),
                                     GifByteType(qBlue(key))};
                if (key == 0)
                    out.transparent = used;
                ++used;
            }
            out.pixels[size_t(y) * w + x] = GifByteType(it->second);
        }
    }
    return true;
}

int level(int value, int levels) {
    return (value * (levels - 1) + 127) / 255;
}

// A fixed palette of 6 x 7 x 6 colours, the next index for transparency.
void fixedPalette(const QImage& image, Indexed& out) {
    int i = 0;
    for (int r = 0; r < LevelsR; ++r)
        for (int g = 0; g < LevelsG; ++g)
            for (int b = 0; b < LevelsB; ++b)
                out.palette[i++] = {GifByteType(r * 255 / (LevelsR - 1)),
                                    GifByteType(g * 255 / (LevelsG - 1)),
                                    GifByteType(b * 255 / (LevelsB - 1))};
    out.transparent = i;
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb p = row[x];
            out.pixels[size_t(y) * w + x] =
                isTransparent(p)
                    ? GifByteType(out.transparent)
                    : GifByteType((level(qRed(p), LevelsR) * LevelsG + level(qGreen(p), LevelsG)) *
                                      LevelsB +
                                  level(qBlue(p), LevelsB));
        }
    }
}

QString gifError(int code) {
    const char* text = GifErrorString(code);
    return text ? QString::fromUtf8(text) : QStringLiteral("GIF error %1").arg(code);
}

QString encode(GifFileType* gif, const QImage& image, Indexed& indexed) {
    ColorMapObject* map = GifMakeMapObject(PaletteSize, indexed.palette.data());
    if (!map)
        return QStringLiteral("out of memory");
    const int w = image.width(), h = image.height();
    int ok = EGifPutScreenDesc(gif, w, h, 8, 0, map);
    GifFreeMapObject(map);
    if (ok == GIF_OK && indexed.transparent >= 0) {
        // Graphics control block: transparency flag and index.
        GifByteType control[4] = {0x01, 0, 0, GifByteType(indexed.transparent)};
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    }
    if (ok == GIF_OK)
        ok = EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
    for (int y = 0; ok == GIF_OK && y < h; ++y)
        ok = EGifPutLine(gif, indexed.pixels.data() + size_t(y) * w, w);
    return ok == GIF_OK ? QString() : gifError(gif->Error);
}

} // namespace

QString writeGif(const QString& fileName, const QImage& image) {
    Indexed indexed;
    if (!exactPalette(image, indexed)) {
        indexed = {};
        indexed.pixels.resize(size_t(image.width()) * image.height());
        fixedPalette(image, indexed);
    }
    int error = 0;
    GifFileType* gif = EGifOpenFileName(QFile::encodeName(fileName).constData(), false, &error);
    if (!gif)
        return gifError(error);
    QString cause = encode(gif, image, indexed);
    if (EGifCloseFile(gif, &error) != GIF_OK && cause.isEmpty())
        cause = gifError(error);
    return cause;
}

QImage readGif(const QString& fileName, QString& error) {
    try {
        const media::GifAnimation gif(QFile::encodeName(fileName).toStdString());
        QImage image(gif.width(), gif.height(), QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            error = QStringLiteral("out of memory");
            return {};
        }
        image.fill(Qt::transparent);
        gif.drawFrame(0, image.bits(), int(image.bytesPerLine()));
        return image;
    } catch (const media::MediaError& e) {
        error = QString::fromUtf8(e.what());
        return {};
    }
}

int gifFrameCount(const QString& fileName) {
    try {
        return int(media::GifAnimation(QFile::encodeName(fileName).toStdString()).frames().size());
    } catch (const media::MediaError&) {
        return 0;
    }
}

} // namespace platform::imaging
