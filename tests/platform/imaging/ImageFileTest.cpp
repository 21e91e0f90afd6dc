// Writing every format and reading it back; refused extensions and unwritable places.
#include "platform/imaging/ImageFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace platform::imaging;

// The HEVC encoder keeps a few process-wide allocations until exit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libx265.so\n";
}

namespace {

// A picture of a few flat colours (exact for GIF) with a gradient band for the lossy codecs.
QImage sample(bool fewColours) {
    QImage image(37, 21, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int band = x / 10;
            const QRgb flat[] = {qRgb(255, 0, 0), qRgb(0, 200, 30), qRgb(20, 40, 250),
                                 qRgb(250, 250, 250)};
            row[x] = fewColours || y < 10 ? flat[band] : qRgb(x * 6, y * 10, 128);
        }
    }
    return image;
}

struct Difference {
    int worst = 0;
    double mean = 0; // over every channel of every pixel
};

Difference difference(const QImage& a, const QImage& b) {
    Difference d;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int c : {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))}) {
                d.worst = std::max(d.worst, c);
                sum += c;
            }
        }
    d.mean = sum / (4.0 * a.width() * a.height());
    return d;
}

struct FormatCase {
    const char* name;
    bool fewColours;
    double tolerance; // 0: every pixel exact; else the mean channel difference allowed
};

class ImageRoundTrip : public testing::TestWithParam<FormatCase> {};

} // namespace

TEST_P(ImageRoundTrip, WritesAndReadsBackSizeAndPixels) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(GetParam().name));
    const QImage image = sample(GetParam().fewColours);
    ASSERT_EQ(writeImage(path, image, 100), QString());
    QString error;
    const QImage back = readImage(path, &error);
    ASSERT_FALSE(back.isNull()) << error.toStdString();
    ASSERT_EQ(back.size(), image.size());
    const Difference d = difference(back, image);
    if (GetParam().tolerance == 0)
        EXPECT_EQ(d.worst, 0);
    else
        EXPECT_LE(d.mean, GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ImageRoundTrip,
    testing::Values(FormatCase{"a.bmp", false, 0}, FormatCase{"a.png", false, 0},
                    FormatCase{"a.PNG", false, 0}, FormatCase{"a.tif", false, 0},
                    FormatCase{"a.tiff", false, 0}, FormatCase{"a.gif", true, 0},
                    FormatCase{"a.webp", false, 0}, FormatCase{"a.jpg", false, 4},
                    FormatCase{"a.JPEG", false, 4}, FormatCase{"a.heif", false, 6},
                    FormatCase{"a.heic", false, 6}),
    [](const testing::TestParamInfo<FormatCase>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

TEST(ImageFile, TransparentPixelsSurviveLosslessFormats) {
    QTemporaryDir dir;
    QImage image = sample(true);
    image.setPixel(3, 3, 0);
    image.setPixel(4, 3, qRgba(64, 0, 0, 128)); // premultiplied half-transparent red
    for (const char* name : {"t.png", "t.gif", "t.webp"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_EQ(writeImage(path, image), QString()) << name;
        const QImage back = readImage(path);
        EXPECT_EQ(qAlpha(back.pixel(3, 3)), 0) << name;
        EXPECT_EQ(qAlpha(back.pixel(10, 3)), 255) << name;
    }
    EXPECT_NEAR(qAlpha(readImage(dir.filePath("t.png")).pixel(4, 3)), 128, 1);
}

TEST(ImageFile, ManyColoursGiveAGifOfTheSameSizeWithNearColours) {
    QTemporaryDir dir;
    const QString path = dir.filePath("many.gif");
    const QImage image = sample(false);
    ASSERT_EQ(writeImage(path, image), QString());
    const QImage back = readImage(path);
    ASSERT_EQ(back.size(), image.size());
    EXPECT_LE(difference(back, image).worst, 32);
}

TEST(ImageFile, UnknownExtensionIsRefusedAndNothingWritten) {
    QTemporaryDir dir;
    for (const char* name : {"a.xyz", "a", "a.bmp.txt"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        const QString error = writeImage(path, sample(true));
        EXPECT_TRUE(error.contains("unknown image type")) << error.toStdString();
        EXPECT_FALSE(QFile::exists(path)) << name;
    }
}

TEST(ImageFile, UnwritablePlaceIsReportedForEveryFormat) {
    QTemporaryDir dir;
    for (const char* name : {"a.bmp", "a.png", "a.jpg", "a.tif", "a.gif", "a.heif", "a.webp"}) {
        const QString path = dir.filePath(QStringLiteral("missing/") + QLatin1String(name));
        const QString error = writeImage(path, sample(true));
        EXPECT_TRUE(error.startsWith("Cannot write")) << name;
    }
}

TEST(ImageFile, DamagedOrMissingFilesGiveAnError) {
    QTemporaryDir dir;
    for (const char* name : {"bad.png", "bad.webp", "bad.heif", "none.gif"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        if (QByteArray(name).startsWith("bad")) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("RIFF\x10\0\0\0WEBPVP8 garbage garbage");
        }
        QString error;
        EXPECT_TRUE(readImage(path, &error).isNull()) << name;
        EXPECT_TRUE(error.startsWith("Cannot read")) << name;
    }
}
