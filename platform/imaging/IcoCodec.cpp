#include "platform/imaging/IcoCodec.h"

#include "platform/media/MediaType.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

namespace platform::imaging {

namespace {

constexpr qint64 DirectoryBytes = 6;
constexpr qint64 EntryBytes = 16;
constexpr qint64 BitmapHeaderBytes = 40;
// Icons are small; a larger file is not read into memory at all.
constexpr qint64 MaxFileBytes = qint64(64) << 20;
const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

struct Entry {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    qint64 offset = 0;
    qint64 size = 0;
};

// A picture's bytes inside the file.
struct Span {
    const uchar* data;
    qint64 size;
};

quint16 u16(const uchar* p) {
    return qFromLittleEndian<quint16>(p);
}

quint32 u32(const uchar* p) {
    return qFromLittleEndian<quint32>(p);
}

const QString CutShort = QStringLiteral("the icon file is cut short");

bool better(const Entry& a, const Entry& b) {
    const qint64 areaA = qint64(a.width) * a.height, areaB = qint64(b.width) * b.height;
    return areaA != areaB ? areaA > areaB : a.bitCount > b.bitCount;
}

std::optional<Entry> bestEntry(const QByteArray& bytes, QString& error) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    if (bytes.size() < DirectoryBytes || u16(p) != 0 || u16(p + 2) != 1) {
        error = QStringLiteral("not an icon file");
        return std::nullopt;
    }
    const int count = u16(p + 4);
    if (count == 0) {
        error = QStringLiteral("the icon file holds no pictures");
        return std::nullopt;
    }
    if (DirectoryBytes + count * EntryBytes > bytes.size()) {
        error = CutShort;
        return std::nullopt;
    }
    std::optional<Entry> best;
    for (int i = 0; i < count; ++i) {
        const uchar* e = p + DirectoryBytes + i * EntryBytes;
        // A size byte of 0 stands for 256.
        const Entry entry{e[0] ? e[0] : 256, e[1] ? e[1] : 256, u16(e + 6), u32(e + 12),
                          u32(e + 8)};
        if (!best || better(entry, *best))
            best = entry;
    }
    return best;
}

// The empty string when a picture of this size fits the memory limits and the bytes that
// describe it; otherwise why not.
QString checkSize(qint64 width, qint64 height, qint64 bytes) {
    const int w = int(std::clamp<qint64>(width, INT_MIN, INT_MAX));
    const int h = int(std::clamp<qint64>(height, INT_MIN, INT_MAX));
    try {
        media::checkDecodedSize(w, h, qint64(w) * h, bytes);
    } catch (const media::MediaError& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

QImage decodePng(Span span, QString& error) {
    // The size in the header chunk is checked before the decoder allocates the picture.
    constexpr qint64 HeaderEnd = 24;
    if (span.size < HeaderEnd) {
        error = CutShort;
        return {};
    }
    error = checkSize(qFromBigEndian<quint32>(span.data + 16),
                      qFromBigEndian<quint32>(span.data + 20), span.size);
    if (!error.isEmpty())
        return {};
    QImage image;
    if (!image.loadFromData(span.data, int(span.size), "PNG")) {
        error = QStringLiteral("damaged icon picture");
        return {};
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The layout of a bitmap picture: its colours bottom-up, rows padded to 4 bytes, then the
// transparency mask of 1 bit per pixel (1 = transparent), laid out the same way.
struct BitmapLayout {
    int width = 0;
    int height = 0;
    int bits = 0;
    std::vector<QRgb> palette;
    qint64 colourOffset = 0;
    qint64 colourStride = 0;
    qint64 maskStride = 0;
    bool hasMask = false;
};

bool supportedBits(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

std::optional<BitmapLayout> bitmapLayout(Span span, QString& error) {
    const uchar* p = span.data;
    const qint64 headerSize = span.size >= BitmapHeaderBytes ? u32(p) : 0;
    if (headerSize < BitmapHeaderBytes || headerSize > span.size) {
        error = span.size < BitmapHeaderBytes ? CutShort : QStringLiteral("damaged icon picture");
        return std::nullopt;
    }
    BitmapLayout layout;
    // The height counts the colour rows and the mask rows.
    const qint64 width = qint32(u32(p + 4)), height = qint32(u32(p + 8)) / 2;
    layout.bits = u16(p + 14);
    if (!supportedBits(layout.bits) || u32(p + 16) != 0) {
        error = QStringLiteral("unsupported icon pixel layout (%1 bits per pixel, compression %2)")
                    .arg(layout.bits)
                    .arg(u32(p + 16));
        return std::nullopt;
    }
    error = checkSize(width, height, span.size);
    if (!error.isEmpty())
        return std::nullopt;
    layout.width = int(width);
    layout.height = int(height);
    const qint64 maxColours = layout.bits <= 8 ? qint64(1) << layout.bits : 0;
    const qint64 colours = layout.bits <= 8 && u32(p + 32) ? u32(p + 32) : maxColours;
    if (colours > maxColours || headerSize + colours * 4 > span.size) {
        error = colours > maxColours ? QStringLiteral("damaged icon picture") : CutShort;
        return std::nullopt;
    }
    for (qint64 i = 0; i < colours; ++i)
        layout.palette.push_back(u32(p + headerSize + i * 4) | 0xFF000000u);
    layout.colourOffset = headerSize + colours * 4;
    layout.colourStride = (width * layout.bits + 31) / 32 * 4;
    layout.maskStride = (width + 31) / 32 * 4;
    const qint64 colourEnd = layout.colourOffset + layout.colourStride * height;
    layout.hasMask = colourEnd + layout.maskStride * height <= span.size;
    // Pictures with an alpha channel may leave the mask out; the others need it.
    if (colourEnd > span.size || (!layout.hasMask && layout.bits != 32)) {
        error = CutShort;
        return std::nullopt;
    }
    return layout;
}

QRgb colourAt(const BitmapLayout& layout, const uchar* row, int x) {
    switch (layout.bits) {
    case 32:
        return qRgba(row[x * 4 + 2], row[x * 4 + 1], row[x * 4], row[x * 4 + 3]);
    case 24:
        return qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    default: {
        const int bit = x * layout.bits;
        const int index = (row[bit / 8] >> (8 - layout.bits - bit % 8)) & ((1 << layout.bits) - 1);
        return index < int(layout.palette.size()) ? layout.palette[size_t(index)] : qRgb(0, 0, 0);
    }
    }
}

bool anyAlpha(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 0)
                return true;
    }
    return false;
}

// Pictures without an alpha channel of their own (fewer than 32 bits, or 32 bits whose alpha is
// zero throughout) take their transparency from the mask.
void applyMask(const BitmapLayout& layout, Span span, QImage& image) {
    const bool ownAlpha = layout.bits == 32 && anyAlpha(image);
    if (ownAlpha)
        return;
    const qint64 maskOffset = layout.colourOffset + layout.colourStride * layout.height;
    for (int y = 0; y < layout.height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uchar* mask = span.data + maskOffset + (layout.height - 1 - y) * layout.maskStride;
        for (int x = 0; x < layout.width; ++x) {
            const bool transparent = layout.hasMask && ((mask[x / 8] >> (7 - x % 8)) & 1);
            out[x] = transparent ? 0u : (out[x] | 0xFF000000u);
        }
    }
}

QImage decodeBitmap(Span span, QString& error) {
    const std::optional<BitmapLayout> layout = bitmapLayout(span, error);
    if (!layout)
        return {};
    QImage image(layout->width, layout->height, QImage::Format_ARGB32);
    if (image.isNull()) {
        error = QStringLiteral("out of memory");
        return {};
    }
    for (int y = 0; y < layout->height; ++y) {
        const uchar* row =
            span.data + layout->colourOffset + (layout->height - 1 - y) * layout->colourStride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < layout->width; ++x)
            out[x] = colourAt(*layout, row, x);
    }
    applyMask(*layout, span, image);
    return image;
}

} // namespace

QImage decodeIco(const QByteArray& bytes, QString& error) {
    const std::optional<Entry> entry = bestEntry(bytes, error);
    if (!entry)
        return {};
    if (entry->offset + entry->size > bytes.size()) {
        error = CutShort;
        return {};
    }
    const Span span{reinterpret_cast<const uchar*>(bytes.constData()) + entry->offset, entry->size};
    const bool png = span.size >= PngSignature.size() &&
                     QByteArray::fromRawData(reinterpret_cast<const char*>(span.data),
                                             PngSignature.size()) == PngSignature;
    return png ? decodePng(span, error) : decodeBitmap(span, error);
}

QImage readIco(const QString& fileName, QString& error) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return {};
    }
    if (file.size() > MaxFileBytes) {
        error = QStringLiteral("the file is too large for an icon");
        return {};
    }
    return decodeIco(file.readAll(), error);
}

} // namespace platform::imaging
