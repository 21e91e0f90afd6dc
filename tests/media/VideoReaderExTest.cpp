// The facade: which reader a file name opens, the registration point, validity and guards.
#include "media/UVideoReader.h"
#include "media/UVideoReaderAVI.h"
#include "media/UVideoReaderGIF.h"
#include "media/UVideoReaderMP4.h"
#include "media/UVideoReaderNP.h"
#include "media/UVideoReaderWEBP.h"
#include "media/UVideoReaderWMV.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <typeinfo>

namespace {

// A reader of made-up pictures, the way the program's own formats plug themselves in.
class FakeReader : public TVideoReader {
public:
    static inline int width = 64;
    static inline int duration = 1000;
    static inline int fetches = 0;
    static inline int targetFetches = 0;

    void OpenFile(const QString&, int64_t, uint32_t) override {
        FWidth = width;
        FHeight = 32;
        FDurationMs = duration;
        FIsValid = true;
    }
    void GetFrame(uint32_t, int, uint8_t*) override { ++fetches; }
    void GetFrame(int, const TFrameTarget&) override { ++targetFetches; }
};

QString touch(const QTemporaryDir& dir, const QString& name) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    return file.fileName();
}

struct NameCase {
    const char* name;
    const std::type_info* reader; // null: no reader
};

TEST(VideoReaderEx, PicksTheReaderByExtension) {
    QTemporaryDir dir;
    const NameCase cases[] = {
        {"clip.MP4", &typeid(TVideoReaderMP4)},
        {"clip.mov", &typeid(TVideoReaderMP4)},
        {"clip.m4v", &typeid(TVideoReaderMP4)},
        {"clip.Mp4.bak", nullptr},
        {"clip", nullptr},
        {"clip.avi", &typeid(TVideoReaderAVI)},
        {"clip.wm", &typeid(TVideoReaderWMV)},
        {"clip.asf", &typeid(TVideoReaderWMV)},
        {"clip.WMV", &typeid(TVideoReaderWMV)},
        {"clip.mkv", &typeid(TVideoReaderNP)},
        {"clip.webm", &typeid(TVideoReaderNP)},
        {"clip.gif", &typeid(TVideoReaderGIF)},
        {"clip.webp", &typeid(TVideoReaderWEBP)},
        {"clip.txt", nullptr},
    };
    for (const NameCase& c : cases) {
        TVideoReaderEx reader(touch(dir, QString::fromLatin1(c.name)));
        EXPECT_FALSE(reader.IsValid()) << c.name; // empty files
        EXPECT_FALSE(reader.ErrorText().isEmpty()) << c.name;
        if (c.reader) {
            ASSERT_NE(reader.Reader(), nullptr) << c.name;
            EXPECT_EQ(typeid(*reader.Reader()), *c.reader) << c.name;
        } else {
            EXPECT_EQ(reader.Reader(), nullptr) << c.name;
        }
    }
    TVideoReaderEx missing(dir.filePath("missing.mp4"));
    EXPECT_EQ(missing.Reader(), nullptr);
    EXPECT_EQ(missing.GetWidth(), 0);
    EXPECT_EQ(missing.GetDurationMs(), 0);
}

TEST(VideoReaderEx, RegisteredReadersOpenTheirExtensions) {
    QTemporaryDir dir;
    TVideoReaderEx::RegisterReader({".Fake"}, [] { return std::make_unique<FakeReader>(); });
    const QString path = touch(dir, "screen.fake");
    struct Case {
        int width, duration;
        bool valid;
    } cases[] = {{19999, 1000, true}, {20000, 1000, false}, {64, 0, false}, {0, 1000, false}};
    for (const Case& c : cases) {
        FakeReader::width = c.width;
        FakeReader::duration = c.duration;
        TVideoReaderEx reader(path);
        EXPECT_EQ(reader.IsValid(), c.valid) << c.width << " × " << c.duration;
        EXPECT_EQ(reader.GetWidth(), c.valid ? c.width : 0);
    }
    FakeReader::width = 64;
    FakeReader::duration = 1000;
    TVideoReaderEx reader(path);
    ASSERT_TRUE(reader.IsValid());
    FakeReader::fetches = 0;
    reader.GetFrame(10, static_cast<uint8_t*>(nullptr));
    EXPECT_EQ(FakeReader::fetches, 0);
    std::vector<uint8_t> picture(64 * 32 * 4);
    reader.GetFrame(10, picture.data());
    EXPECT_EQ(FakeReader::fetches, 1);
    // A target smaller than the picture is not handed on.
    FakeReader::targetFetches = 0;
    reader.GetFrame(10, TFrameTarget{picture.data(), 64 * 4, 32, 32});
    EXPECT_EQ(FakeReader::targetFetches, 0);
    reader.GetFrame(10, TFrameTarget{picture.data(), 64 * 4, 64, 32});
    EXPECT_EQ(FakeReader::targetFetches, 1);
}

TEST(VideoReaderEx, ExtensionIsTakenFromTheLastDot) {
    EXPECT_EQ(TVideoReaderEx::ExtensionOf("/a.b/clip.Mp4"), ".mp4");
    EXPECT_EQ(TVideoReaderEx::ExtensionOf("/a.b/clip"), "");
    EXPECT_EQ(TVideoReaderEx::ExtensionOf("clip.mp4.bak"), ".bak");
}

} // namespace
