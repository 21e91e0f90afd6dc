// Opening pictures: the copy into the project's folder under the media name, the size the
// placement takes, the formats read (PNG with alpha, ICO, HEIC, SVG, a GIF's first frame), the
// refusal of metafiles with the exact message, the dialog hooks, and the frame count.
#include "core/URTempFolders.h"
#include "objects/kinds/URImage.h"
#include "objects/kinds/URMediaHooks.h"
#include "platform/imaging/ImageFile.h"
#include "tests/objects/kinds/KindsTestSupport.h"

#include <QFile>
#include <QRegularExpression>

namespace {

QStringList& Messages() {
    static QStringList messages;
    return messages;
}

QString& Chosen() {
    static QString chosen;
    return chosen;
}

// A GIF of three 1 x 1 white frames, 100 ms each.
QByteArray ThreeFrameGif() {
    QByteArray gif = QByteArray::fromHex("474946383961010001008000 00ffffff000000");
    for (int i = 0; i < 3; ++i)
        gif += QByteArray::fromHex("21f904000a000000 2c000000000100010000 0202440100");
    return gif + QByteArray::fromHex("3b");
}

class ImageMedia : public KindsTest {
protected:
    void SetUp() override {
        KindsTest::SetUp();
        Messages().clear();
        Chosen().clear();
        InstallMediaErrorBox([](const QString& text) { Messages() << text; });
        InstallMediaFileChooser([](const QString&) { return Chosen(); });
    }
    void TearDown() override {
        InstallMediaErrorBox(nullptr);
        InstallMediaFileChooser(nullptr);
        KindsTest::TearDown();
    }

    // A file outside the project's folder.
    QString Outside(const QString& name, const QByteArray& bytes) {
        const QString path = source_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString Outside(const QString& name, const QImage& image) {
        const QString path = source_.filePath(name);
        EXPECT_TRUE(image.save(path)) << name.toStdString();
        return path;
    }

    QTemporaryDir source_;
};

} // namespace

TEST_F(ImageMedia, APngIsCopiedUnderItsMediaNameAndSizesThePlacement) {
    const QString file = Outside("my pic-1.png", Picture(30, 20, [](int x, int) {
                                     return x < 15 ? qRgba(255, 0, 0, 128) : qRgb(0, 0, 255);
                                 }));
    auto image = Make<TRImage>(otImage);
    std::int32_t w = -1, h = -1;
    ASSERT_TRUE(image->LoadMedia(file, w, h, QString()));
    EXPECT_EQ(QSize(w, h), QSize(30, 20));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^m%1_\\d+_mypic1\\.png$").arg(image->ObjectId()))
                    .match(image->MediaName())
                    .hasMatch())
        << image->MediaName().toStdString();
    EXPECT_TRUE(QFile::exists(project_->TempFolder + image->MediaName()));
    const auto* placement = Own<TRPropPlacement>(*image, ptPlacement);
    EXPECT_EQ(placement->FSize, QSizeF(30, 20));
    EXPECT_EQ(placement->FOriginalSize, QSizeF(30, 20));
    EXPECT_TRUE(placement->FAspectRatio);
    // Alpha is kept, premultiplied.
    EXPECT_TRUE(Near(PixelOf(*image->FMediaBitmap, 2, 2), 0x80800000u, 1));
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(ImageMedia, IcoHeicAndTheFirstFrameOfAGifAreRead) {
    const QImage green = Picture(16, 16, [](int, int) { return qRgb(0, 200, 0); });
    const QString heic = source_.filePath("photo.heic");
    ASSERT_EQ(platform::imaging::writeImage(
                  heic, Picture(64, 32, [](int, int) { return qRgb(0, 200, 0); })),
              QString());
    struct Case {
        QString file;
        QSize size;
    };
    const Case cases[] = {{Outside("icon.ico", green), {16, 16}},
                          {heic, {64, 32}},
                          {Outside("moving.gif", ThreeFrameGif()), {1, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        auto image = Make<TRImage>(otImage);
        std::int32_t w = 0, h = 0;
        ASSERT_TRUE(image->LoadMedia(c.file, w, h, QString()));
        EXPECT_EQ(QSize(w, h), c.size);
    }
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(ImageMedia, MetafilesAreRefusedWithTheMessage) {
    for (const QString& name : {QStringLiteral("drawing.emf"), QStringLiteral("Old Chart.WMF")}) {
        auto image = Make<TRImage>(otImage);
        std::int32_t w = 5, h = 5;
        EXPECT_FALSE(image->LoadMedia(Outside(name, QByteArray(64, '\1')), w, h, QString()));
        EXPECT_EQ(QSize(w, h), QSize(0, 0));
        ASSERT_EQ(Messages().size(), 1);
        EXPECT_EQ(Messages().takeFirst(), QStringLiteral("Cannot open ") + name + " file.");
    }
}

TEST_F(ImageMedia, AMissingFileAsksTheChooser) {
    auto image = Make<TRImage>(otImage);
    std::int32_t w = 0, h = 0;
    // Cancelled: false and no message.
    EXPECT_FALSE(image->LoadMedia(source_.filePath("gone.png"), w, h, QString()));
    EXPECT_TRUE(Messages().isEmpty());
    Chosen() = Outside("chosen.png", Picture(8, 6, [](int, int) { return qRgb(1, 2, 3); }));
    EXPECT_TRUE(image->LoadMedia(source_.filePath("gone.png"), w, h, QString()));
    EXPECT_EQ(QSize(w, h), QSize(8, 6));
    // An undecodable file that was chosen gets the message.
    Chosen() = Outside("broken.png", QByteArray("not a picture"));
    EXPECT_FALSE(image->LoadMedia(QString(), w, h, QString()));
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Cannot open broken.png file.")});
}

TEST_F(ImageMedia, OpenMediaFailsWithoutItsFile) {
    auto image = Make<TRImage>(otImage);
    image->SetMediaName("missing.png");
    EXPECT_FALSE(image->OpenMedia());
    EXPECT_FALSE(image->FMediaBitmap);
    // An SVG without a size is no picture.
    QFile svg(project_->TempFolder + "empty.svg");
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write(R"(<svg xmlns="http://www.w3.org/2000/svg"></svg>)");
    svg.close();
    image->SetMediaName("empty.svg");
    EXPECT_FALSE(image->OpenMedia());
    EXPECT_FALSE(image->FSVG);
}

TEST_F(ImageMedia, FrameCounts) {
    EXPECT_EQ(GetImageFrameCount(source_.filePath("never-written.PNG")), 1);
    EXPECT_EQ(GetImageFrameCount(Outside("THREE.GIF", ThreeFrameGif())), 3);
    EXPECT_EQ(GetImageFrameCount(Outside("bad.webp", QByteArray("RIFF"))), 1);
    EXPECT_EQ(GetImageFrameCount(source_.filePath("absent.gif")), 1);
}

TEST_F(ImageMedia, TheDialogFilterListsSvgOnlyWhenSupported) {
    EXPECT_EQ(ImageFileFilter(false),
              "All (*.gif;*.png;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.webp;*.heic;*.heif)|*.gif;"
              "*.png;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.webp;*.heic;*.heif|GIF Image "
              "(*.gif)|*.gif|Portable Network Graphics (*.png)|*.png|JPEG Image File "
              "(*.jpg;*.jpeg)|*.jpg;*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced "
              "Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf|WebP (*.webp)|*.webp|High "
              "Efficiency Image File Format (*.heic;*.heif)|*.heic;*.heif");
    EXPECT_EQ(ImageFileFilter(true),
              "All (*.gif;*.png;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.svg;*.webp;*.heic;*.heif)|"
              "*.gif;*.png;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.svg;*.webp;*.heic;*.heif|GIF "
              "Image (*.gif)|*.gif|Portable Network Graphics (*.png)|*.png|JPEG Image File "
              "(*.jpg;*.jpeg)|*.jpg;*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced "
              "Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf|Scalable Vector Graphics "
              "(*.svg)|*.svg|WebP (*.webp)|*.webp|High Efficiency Image File Format "
              "(*.heic;*.heif)|*.heic;*.heif");
}
