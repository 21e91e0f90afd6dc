// Reading icons, the first frame of animated GIF and WebP pictures, frame counts, and files that
// are damaged or declare more picture than they hold.
#include "platform/imaging/ImageFile.h"
#include "tests/support/media/MediaFixtures.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <vector>

using namespace platform::imaging;

namespace {

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

void put16(QByteArray& out, quint32 value) {
    out.append(char(value & 0xFF)).append(char(value >> 8 & 0xFF));
}

void put32(QByteArray& out, quint32 value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// One picture of an icon file, laid out as the icon format describes it.
struct IcoPicture {
    int width = 0; // the directory's size bytes (0 for 256)
    int height = 0;
    int bitCount = 0;
    QByteArray data;
};

QByteArray iconFile(const std::vector<IcoPicture>& pictures) {
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, quint32(pictures.size()));
    quint32 offset = 6 + 16 * quint32(pictures.size());
    for (const IcoPicture& p : pictures) {
        out.append(char(p.width)).append(char(p.height)).append(char(0)).append(char(0));
        put16(out, 1);
        put16(out, quint32(p.bitCount));
        put32(out, quint32(p.data.size()));
        put32(out, offset);
        offset += quint32(p.data.size());
    }
    for (const IcoPicture& p : pictures)
        out.append(p.data);
    return out;
}

// A bitmap picture: 40-byte header with twice the height, palette, colour rows bottom-up padded
// to 4 bytes, then the 1-bit mask rows (1 = transparent) laid out the same way. `colour` gives
// the pixel's value: a palette index, or 0xAARRGGBB for 24 and 32 bits.
struct BitmapSpec {
    int width;
    int height;
    int bits;
    std::vector<QRgb> palette;
    std::function<quint32(int, int)> colour;
    std::function<bool(int, int)> masked;
};

QByteArray bitmapPicture(const BitmapSpec& s) {
    QByteArray out;
    put32(out, 40);
    put32(out, quint32(s.width));
    put32(out, quint32(s.height * 2));
    put16(out, 1);
    put16(out, quint32(s.bits));
    for (quint32 field : {0u, 0u, 0u, 0u, quint32(s.palette.size()), 0u})
        put32(out, field);
    for (QRgb c : s.palette)
        put32(out, c & 0xFFFFFF);
    const int colourStride = (s.width * s.bits + 31) / 32 * 4;
    const int maskStride = (s.width + 31) / 32 * 4;
    for (int y = s.height - 1; y >= 0; --y) {
        QByteArray row(colourStride, 0);
        for (int x = 0; x < s.width; ++x) {
            const quint32 v = s.colour(x, y);
            if (s.bits >= 24) {
                for (int b = 0; b < s.bits / 8; ++b)
                    row[x * s.bits / 8 + b] = char(v >> (8 * b) & 0xFF);
            } else {
                const int bit = x * s.bits;
                row[bit / 8] = char(row[bit / 8] | v << (8 - s.bits - bit % 8));
            }
        }
        out.append(row);
    }
    for (int y = s.height - 1; y >= 0; --y) {
        QByteArray row(maskStride, 0);
        for (int x = 0; x < s.width; ++x)
            if (s.masked(x, y))
                row[x / 8] = char(row[x / 8] | 0x80 >> (x % 8));
        out.append(row);
    }
    return out;
}

IcoPicture bitmapEntry(const BitmapSpec& s) {
    return {s.width, s.height, s.bits, bitmapPicture(s)};
}

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QRgb pixelAt(const QImage& image, int x, int y) {
    return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
}

QImage readOk(const QString& path) {
    QString error;
    const QImage image = readImage(path, &error);
    EXPECT_FALSE(image.isNull()) << error.toStdString();
    EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    return image;
}

constexpr QRgb Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF, White = 0xFFFFFFFF;
const auto noMask = [](int, int) { return false; };

struct IconCase {
    const char* name;
    BitmapSpec spec;
    std::vector<std::pair<QPoint, QRgb>> expected; // premultiplied
};

void PrintTo(const IconCase& c, std::ostream* out) {
    *out << c.name;
}

class IconBitmaps : public testing::TestWithParam<IconCase> {};

} // namespace

TEST_P(IconBitmaps, ReadEveryPixelLayoutWithItsMask) {
    QTemporaryDir dir;
    const IconCase& c = GetParam();
    const QImage image = readOk(writeFile(dir, "a.ico", iconFile({bitmapEntry(c.spec)})));
    ASSERT_EQ(image.size(), QSize(c.spec.width, c.spec.height));
    for (const auto& [point, colour] : c.expected)
        EXPECT_EQ(pixelAt(image, point.x(), point.y()), colour)
            << point.x() << "," << point.y() << " " << std::hex
            << pixelAt(image, point.x(), point.y());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, IconBitmaps,
    testing::Values(
        // Own alpha: the mask (all set here) is ignored.
        IconCase{"alpha32",
                 {3,
                  2,
                  32,
                  {},
                  [](int x, int y) { return x == 1 && y == 0 ? 0x80C86432u : 0xFF102030u + x; },
                  [](int, int) { return true; }},
                 {{{1, 0}, qPremultiply(qRgba(0xC8, 0x64, 0x32, 0x80))},
                  {{2, 1}, 0xFF102032u},
                  {{0, 0}, 0xFF102030u}}},
        // 32 bits whose alpha is zero everywhere take the mask.
        IconCase{"maskOnly32",
                 {2,
                  2,
                  32,
                  {},
                  [](int, int) { return 0x00336699u; },
                  [](int x, int y) { return x == 0 && y == 1; }},
                 {{{0, 1}, 0u}, {{1, 1}, 0xFF336699u}, {{0, 0}, 0xFF336699u}}},
        IconCase{"rgb24",
                 {3,
                  2,
                  24,
                  {},
                  [](int x, int y) { return quint32(0x010203 * (1 + x + 3 * y)); },
                  [](int x, int y) { return x == 1 && y == 0; }},
                 {{{1, 0}, 0u}, {{0, 0}, 0xFF010203u}, {{2, 1}, 0xFF060C12u}}},
        IconCase{"palette8",
                 {2, 2, 8, {Red, Green, Blue}, [](int x, int y) { return quint32(x + y); }, noMask},
                 {{{0, 0}, Red}, {{1, 0}, Green}, {{1, 1}, Blue}}},
        IconCase{"palette4",
                 {5,
                  3,
                  4,
                  {Red, Green, Blue, White},
                  [](int x, int y) { return quint32((x + y) % 4); },
                  [](int x, int y) { return x == 4 && y == 2; }},
                 {{{0, 0}, Red}, {{3, 0}, White}, {{4, 1}, Green}, {{4, 2}, 0u}, {{2, 2}, Red}}},
        IconCase{"mono1",
                 {9,
                  2,
                  1,
                  {Blue, White},
                  [](int x, int y) { return quint32(x == 8 || (x == 2 && y == 1)); },
                  [](int x, int) { return x == 0; }},
                 {{{8, 0}, White}, {{7, 0}, Blue}, {{2, 1}, White}, {{0, 1}, 0u}}}),
    [](const testing::TestParamInfo<IconCase>& info) { return std::string(info.param.name); });

TEST(IconFile, TheLargestPictureWinsAndPngPicturesAreRead) {
    QTemporaryDir dir;
    QImage green(4, 4, QImage::Format_ARGB32);
    green.fill(Green);
    green.setPixel(3, 2, qRgba(0, 0, 255, 0));
    const BitmapSpec small{2, 2, 32, {}, [](int, int) { return Red; }, noMask};
    const BitmapSpec sameSizeFewerBits{4, 4, 8, {Blue}, [](int, int) { return 0u; }, noMask};
    const QImage image = readOk(writeFile(
        dir, "A.ICO",
        iconFile(
            {bitmapEntry(small), {4, 4, 32, pngBytes(green)}, bitmapEntry(sameSizeFewerBits)})));
    ASSERT_EQ(image.size(), QSize(4, 4));
    EXPECT_EQ(pixelAt(image, 0, 0), Green);
    EXPECT_EQ(pixelAt(image, 3, 2), 0u);
}

TEST(IconFile, DamagedOrHostileIconsGiveAnErrorAndNoPicture) {
    QTemporaryDir dir;
    const QByteArray good =
        iconFile({bitmapEntry({4, 2, 24, {}, [](int, int) { return Red; }, noMask})});
    std::vector<std::pair<std::string, QByteArray>> cases;
    for (int length = 0; length < good.size(); ++length)
        cases.emplace_back("cut at " + std::to_string(length), good.left(length));
    struct Field {
        int at;
        quint32 value;
        int bytes = 4;
    };
    const auto patched = [&](std::initializer_list<Field> fields) {
        QByteArray bytes = good;
        for (const Field& f : fields)
            for (int i = 0; i < f.bytes; ++i)
                bytes[f.at + i] = char(f.value >> (8 * i) & 0xFF);
        return bytes;
    };
    constexpr int Picture = 6 + 16; // the bitmap header
    cases.emplace_back("not an icon", QByteArray("GIF89a and more bytes after it"));
    cases.emplace_back("cursor type", patched({{2, 2, 2}}));
    cases.emplace_back("no pictures", patched({{4, 0, 2}}));
    cases.emplace_back("65535 pictures", patched({{4, 0xFFFF, 2}}));
    cases.emplace_back("offset past the end", patched({{6 + 12, 0xFFFFFFF0u}}));
    cases.emplace_back("size past the end", patched({{6 + 8, 0xFFFFFFF0u}}));
    cases.emplace_back("huge width", patched({{Picture + 4, 100000}}));
    cases.emplace_back("huge height", patched({{Picture + 8, 0x7FFFFFF0u}}));
    cases.emplace_back("negative width", patched({{Picture + 4, 0xFFFFFFFCu}}));
    cases.emplace_back("zero height", patched({{Picture + 8, 1}}));
    cases.emplace_back("8000 x 8000 in a few bytes",
                       patched({{Picture + 4, 8000}, {Picture + 8, 16000}}));
    cases.emplace_back("16 bits", patched({{Picture + 14, 16, 2}}));
    cases.emplace_back("compressed", patched({{Picture + 16, 1}}));
    cases.emplace_back("palette too long", patched({{Picture + 14, 8, 2}, {Picture + 32, 300}}));
    cases.emplace_back("header longer than the picture", patched({{Picture, 4000}}));
    QImage bigPng(1, 1, QImage::Format_ARGB32);
    bigPng.fill(Red);
    const QByteArray smallPng = pngBytes(bigPng);
    QByteArray png = smallPng;
    qToBigEndian(quint32(60000), png.data() + 16);
    qToBigEndian(quint32(60000), png.data() + 20);
    cases.emplace_back("png declaring 60000 x 60000", iconFile({{0, 0, 32, png}}));
    cases.emplace_back("damaged png", iconFile({{1, 1, 32, smallPng.left(40)}}));
    for (const auto& [name, bytes] : cases) {
        QString error;
        EXPECT_TRUE(readImage(writeFile(dir, "bad.ico", bytes), &error).isNull()) << name;
        EXPECT_TRUE(error.startsWith("Cannot read")) << name << ": " << error.toStdString();
    }
}

namespace {

// A GIF of a 8x8 screen, palette red, green, blue, white. Frame 0 is an interlaced 4x6
// rectangle at (2, 1) whose row y has colour y % 3, with white as its transparent colour at its
// pixel (0, 2); frames 1 and 2 cover the screen in blue.
void writeThreeFrameGif(const QString& path) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
    ASSERT_NE(gif, nullptr);
    GifColorType colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 8, 8, 2, 0, map);
    GifFreeMapObject(map);
    GifByteType control[4] = {0x01, 10, 0, 3};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    EGifPutImageDesc(gif, 2, 1, 4, 6, true, nullptr);
    // Interlaced rows are stored in four passes: 0, 8, ...; 4, 12, ...; 2, 6, ...; 1, 3, ...
    for (int row : {0, 4, 2, 1, 3, 5}) {
        GifPixelType line[4];
        std::fill(line, line + 4, GifPixelType(row % 3));
        if (row == 2)
            line[0] = 3;
        EGifPutLine(gif, line, 4);
    }
    for (int frame = 1; frame < 3; ++frame) {
        EGifPutImageDesc(gif, 0, 0, 8, 8, false, nullptr);
        GifPixelType line[8];
        std::fill(line, line + 8, GifPixelType(2));
        for (int y = 0; y < 8; ++y)
            EGifPutLine(gif, line, 8);
    }
    ASSERT_EQ(EGifCloseFile(gif, &error), GIF_OK);
}

} // namespace

TEST(AnimatedPictures, FirstGifFrameOnItsScreenAndTheFrameCount) {
    QTemporaryDir dir;
    const QString path = dir.filePath("three.GIF");
    writeThreeFrameGif(path);
    EXPECT_EQ(imageFrameCount(path), 3);
    const QImage image = readOk(path);
    ASSERT_EQ(image.size(), QSize(8, 8));
    const QRgb rowColours[3] = {Red, Green, Blue};
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(pixelAt(image, 4, 1 + y), rowColours[y % 3]) << y;
    EXPECT_EQ(pixelAt(image, 2, 3), 0u); // the transparent colour
    EXPECT_EQ(pixelAt(image, 0, 0), 0u); // outside the frame
    EXPECT_EQ(pixelAt(image, 7, 7), 0u);
    EXPECT_EQ(pixelAt(image, 3, 3), Blue); // row 2 beside the transparent pixel
}

TEST(AnimatedPictures, FirstWebPFrameAndTheFrameCount) {
    QTemporaryDir dir;
    const QString animated = dir.filePath("anim.webp");
    fixtures::writeWebP(animated, {100, 100, 100});
    EXPECT_EQ(imageFrameCount(animated), 3);
    const QImage image = readOk(animated);
    ASSERT_EQ(image.size(), QSize(fixtures::StampWidth, fixtures::StampHeight));
    // The first frame is stamped 1: of the eight stripes only the rightmost is white, over a red
    // band in the bottom quarter.
    EXPECT_EQ(pixelAt(image, fixtures::StampWidth - 5, 10), White);
    EXPECT_EQ(pixelAt(image, 10, 10), 0xFF000000u);
    EXPECT_EQ(pixelAt(image, fixtures::StampWidth * 7 / 8 - 5, 10), 0xFF000000u);
    EXPECT_EQ(pixelAt(image, 10, fixtures::StampHeight - 5), Red);
    const QString still = dir.filePath("still.WEBP");
    fixtures::writeWebP(still, {}, false);
    EXPECT_EQ(imageFrameCount(still), 1);
}

TEST(AnimatedPictures, FrameCountOfOtherFilesAndOfDamagedOnes) {
    QTemporaryDir dir;
    // Single-picture formats are not opened.
    EXPECT_EQ(imageFrameCount(dir.filePath("missing.PNG")), 1);
    EXPECT_EQ(imageFrameCount(dir.filePath("missing.ico")), 1);
    EXPECT_EQ(imageFrameCount(dir.filePath("missing.gif")), 0);
    EXPECT_EQ(imageFrameCount(dir.filePath("missing.webp")), 0);
    EXPECT_EQ(imageFrameCount(writeFile(dir, "bad.gif", "GIF89a\x08")), 0);
    EXPECT_EQ(imageFrameCount(writeFile(dir, "bad.webp", "RIFF\x10\0\0\0WEBPVP8X")), 0);
}

TEST(AnimatedPictures, CutOrOversizedAnimationsGiveAnError) {
    QTemporaryDir dir;
    const QString gifPath = dir.filePath("three.gif");
    writeThreeFrameGif(gifPath);
    const QString webpPath = dir.filePath("anim.webp");
    fixtures::writeWebP(webpPath, {100, 100, 100});
    QFile gifFile(gifPath), webpFile(webpPath);
    ASSERT_TRUE(gifFile.open(QIODevice::ReadOnly) && webpFile.open(QIODevice::ReadOnly));
    const QByteArray gif = gifFile.readAll(), webp = webpFile.readAll();
    QByteArray hugeGif = gif;
    qToLittleEndian(quint16(65535), hugeGif.data() + 6);
    qToLittleEndian(quint16(65535), hugeGif.data() + 8);
    QByteArray hugeWebP = webp;
    // The canvas size of the extended header: 24-bit width and height minus one.
    for (int at : {24, 27}) {
        hugeWebP[at] = char(0xFF);
        hugeWebP[at + 1] = char(0x3F);
        hugeWebP[at + 2] = 0;
    }
    const std::pair<const char*, QByteArray> cases[] = {
        {"cut.gif", gif.left(20)}, {"huge.gif", hugeGif},        {"cut.webp", webp.left(40)},
        {"huge.webp", hugeWebP},   {"empty.webp", QByteArray()}, {"empty.gif", QByteArray()}};
    for (const auto& [name, bytes] : cases) {
        QString error;
        EXPECT_TRUE(readImage(writeFile(dir, name, bytes), &error).isNull()) << name;
        EXPECT_TRUE(error.startsWith("Cannot read")) << name;
    }
}
