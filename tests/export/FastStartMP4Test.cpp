// Moving the MP4 index to the front: files built box by box from the ISO base media layout,
// the expected results built the same way with the chunk offsets moved on by hand, hostile
// sizes that must leave the file alone, a write failure, random damage, and a real encode whose
// frames must decode the same after the move.
#include "export/URFastStartMP4.h"
#include "media/UMFEncoderH264.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

std::string BE32(uint64_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string Box(const std::string& type, const std::string& payload) {
    return BE32(payload.size() + 8) + type + payload;
}

// A full box's version and flags, then the entry count and the 32-bit entries.
std::string Table(const std::string& type, const std::vector<uint32_t>& entries) {
    std::string payload = BE32(0) + BE32(entries.size());
    for (uint32_t entry : entries)
        payload += BE32(entry);
    return Box(type, payload);
}

std::string Track(const std::string& table) {
    const std::string stbl = Box("stbl", Box("stsd", BE32(0) + BE32(0)) + table);
    return Box("trak", Box("tkhd", std::string(12, '\1')) +
                           Box("mdia", Box("mdhd", std::string(8, '\2')) +
                                           Box("minf", Box("vmhd", BE32(1)) + stbl)));
}

std::string Moov(const std::vector<uint32_t>& video, const std::vector<uint32_t>& sound) {
    return Box("moov", Box("mvhd", std::string(20, '\3')) + Track(Table("stco", video)) +
                           Track(Table("stco", sound)));
}

const std::string Ftyp = Box("ftyp", "isom" + BE32(0x200) + "isomiso2avc1mp41");
const std::string Free = Box("free", "");
const std::string Media = Box("mdat", std::string(64, 'm'));
// The media data starts right after "ftyp" and "free".
const uint32_t MediaAt = uint32_t(Ftyp.size() + Free.size() + 8);

size_t BoxSizeAt(const std::string& bytes, size_t at) {
    return size_t(uint8_t(bytes[at])) << 24 | size_t(uint8_t(bytes[at + 1])) << 16 |
           size_t(uint8_t(bytes[at + 2])) << 8 | size_t(uint8_t(bytes[at + 3]));
}

std::string ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

void WriteAll(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

class FastStart : public ::testing::Test {
protected:
    QString Folder() const { return dir_.path() + '/'; }
    QString Path(const QString& name = "video.mp4") const { return Folder() + name; }
    // Rewrites `bytes` as "video.mp4" and returns what the file then holds.
    std::string Rewrite(const std::string& bytes) {
        WriteAll(Path(), bytes);
        FastStartMP4(Folder(), "video.mp4");
        EXPECT_FALSE(QFile::exists(Path("tmp.mp4")));
        return ReadAll(Path());
    }

    QTemporaryDir dir_;
};

TEST_F(FastStart, IndexMovesToTheFrontAndBothTracksShift) {
    const std::vector<uint32_t> video{MediaAt, MediaAt + 16, MediaAt + 40};
    const std::vector<uint32_t> sound{MediaAt + 8, MediaAt + 30};
    const std::string moov = Moov(video, sound);
    const auto shifted = [&](std::vector<uint32_t> entries) {
        for (uint32_t& entry : entries)
            entry += uint32_t(moov.size());
        return entries;
    };
    const std::string expected = Ftyp + Moov(shifted(video), shifted(sound)) + Free + Media;

    const std::string result = Rewrite(Ftyp + Free + Media + moov);
    EXPECT_EQ(result.size(), (Ftyp + Free + Media + moov).size());
    EXPECT_EQ(result, expected);
}

TEST_F(FastStart, FileWithoutTypeBoxStartsWithItsIndex) {
    const std::string moov = Moov({8}, {20});
    const uint32_t shift = uint32_t(moov.size());
    EXPECT_EQ(Rewrite(Media + moov), Moov({8 + shift}, {20 + shift}) + Media);
}

TEST_F(FastStart, FilesItCannotShiftExactlyStayAsWritten) {
    const std::string moov = Moov({MediaAt}, {MediaAt + 4});
    const std::string largeMedia =
        BE32(1) + "mdat" + std::string(4, '\0') + BE32(16 + 8) + std::string(8, 'm');
    const std::string tinyChild = Box("moov", BE32(4) + "junk" + Track(Table("stco", {9})));
    const std::string co64 =
        Box("moov", Box("trak", Box("mdia", Box("minf", Box("stbl", Table("co64", {0, 36}))))));
    const std::string longCount =
        Box("moov", Track(Box("stco", BE32(0) + BE32(1000) + BE32(MediaAt))));
    const std::string shortTable = Box("moov", Track(Box("stco", BE32(0))));
    const std::string childPastEnd = Box("moov", BE32(400) + "trak" + std::string(8, '\0'));
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"no index", Ftyp + Free + Media},
        {"64-bit media size", Ftyp + largeMedia + moov},
        {"index already first", Ftyp + moov + Free + Media},
        {"media running to the end (size 0)", Ftyp + moov + BE32(0) + "mdat" + "abc"},
        {"media after the index", Ftyp + Media + moov + Media},
        {"two indexes", Ftyp + Media + moov + moov},
        {"type box not first", Free + Ftyp + Media + moov},
        {"top-level size below 8", Ftyp + Media + BE32(5) + "free" + moov},
        {"box past the end of the file", Ftyp + Media + BE32(4000) + "moov"},
        {"trailing bytes", Ftyp + Media + moov + "xyz"},
        {"child of the index below 8", Ftyp + Media + tinyChild},
        {"child past its parent", Ftyp + Media + childPastEnd},
        {"64-bit chunk offsets", Ftyp + Free + Media + co64},
        {"entry count past the table", Ftyp + Free + Media + longCount},
        {"chunk table without a count", Ftyp + Free + Media + shortTable},
        {"offset into the index", Ftyp + Free + Media + Moov({MediaAt + 64}, {MediaAt})},
        {"offset past 2^32 - 1", Ftyp + Free + Media + Moov({0xFFFF'FFF0u}, {MediaAt})},
        {"empty file", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rewrite(c.bytes), c.bytes) << c.what;
}

TEST_F(FastStart, StaleWorkFileIsReplacedAndAMissingFileIsLeftAlone) {
    WriteAll(Path("tmp.mp4"), "stale");
    const std::string moov = Moov({8}, {9});
    EXPECT_EQ(Rewrite(Media + moov),
              Moov({8 + uint32_t(moov.size())}, {9 + uint32_t(moov.size())}) + Media);

    FastStartMP4(Folder(), "missing.mp4");
    EXPECT_FALSE(QFile::exists(Path("missing.mp4")));
    EXPECT_FALSE(QFile::exists(Path("tmp.mp4")));
}

TEST_F(FastStart, NamesBeyondAsciiAndTheWorkFileNameItself) {
    const std::string moov = Moov({8}, {9});
    const std::string expected =
        Moov({8 + uint32_t(moov.size())}, {9 + uint32_t(moov.size())}) + Media;
    for (const QString& name : {QStringLiteral("Übung – 日本.mp4"), QStringLiteral("tmp.mp4")}) {
        WriteAll(Path(name), Media + moov);
        FastStartMP4(Folder(), name);
        EXPECT_EQ(ReadAll(Path(name)), expected) << name.toStdString();
        EXPECT_EQ(QDir(Folder()).entryList(QDir::Files).size(), 1) << name.toStdString();
        QFile::remove(Path(name));
    }
}

// A write that fails part-way (the disk is full) keeps the original and leaves no work file.
TEST_F(FastStart, FailedWriteKeepsTheOriginal) {
    const std::string original = Ftyp + Free + std::string(Media) + Moov({MediaAt}, {MediaAt});
    WriteAll(Path(), original);
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = rlim_t(original.size() / 2);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    FastStartMP4(Folder(), "video.mp4");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadAll(Path()), original);
    EXPECT_FALSE(QFile::exists(Path("tmp.mp4")));
}

// Random damage to a good file: the result is always the input itself or a rewrite of the same
// size that starts with the index, after the type box when the file starts with one.
TEST_F(FastStart, DamagedFilesAreRewrittenWholeOrLeftAlone) {
    const std::string good = Ftyp + Free + Media + Moov({MediaAt, MediaAt + 3}, {MediaAt + 7});
    std::mt19937 random(37);
    int rewritten = 0;
    for (int run = 0; run < 600; ++run) {
        std::string bytes = good;
        const int changes = 1 + int(random() % 4);
        for (int i = 0; i < changes; ++i) {
            const size_t at = random() % bytes.size();
            bytes[at] =
                (random() % 3 == 0) ? char(random()) : char(bytes[at] ^ (1 << (random() % 8)));
        }
        if (random() % 8 == 0)
            bytes.resize(random() % bytes.size());
        const std::string result = Rewrite(bytes);
        ASSERT_EQ(result.size(), bytes.size()) << run;
        if (result != bytes) {
            ++rewritten;
            const size_t indexAt = result.substr(4, 4) == "ftyp" ? BoxSizeAt(result, 0) : 0;
            EXPECT_EQ(result.substr(indexAt + 4, 4), "moov") << run;
        }
    }
    EXPECT_GT(rewritten, 0);
}

// The frames of a real encode, as ffmpeg's per-frame checksums: they must survive the move.
std::string FrameChecksums(const QString& path) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-i", path, "-f", "framemd5", "-"});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return {};
    QString text = QString::fromUtf8(ffmpeg.readAllStandardOutput());
    return text.remove(QRegularExpression("^#.*\n", QRegularExpression::MultilineOption))
        .toStdString();
}

TEST_F(FastStart, RealEncodeDecodesTheSameWithItsIndexFirst) {
    TMFEncoderH264Ex encoder;
    encoder.SetParams(64, 48, 30, 80, true, 44100, 16000, Folder() + "clip");
    ASSERT_EQ(encoder.StartEncode(), MF_S_OK) << encoder.LastError().toStdString();
    std::vector<uint8_t> frame(64 * 48 * 4);
    for (int i = 0; i < 20; ++i) {
        std::fill(frame.begin(), frame.end(), uint8_t(i * 12));
        std::vector<uint8_t> sound(size_t(encoder.AudioChunkBytes()), uint8_t(i));
        ASSERT_EQ(encoder.AddVideoFrame(frame.data()), MF_S_OK);
        ASSERT_EQ(encoder.AddAudioFrame(sound.data()), MF_S_OK);
    }
    ASSERT_EQ(encoder.StopEncode(), MF_S_OK);
    const std::string before = ReadAll(Path("clip.mp4"));
    const std::string frames = FrameChecksums(Path("clip.mp4"));
    ASSERT_FALSE(frames.empty());
    ASSERT_NE(before.find("moov"), std::string::npos);
    ASSERT_GT(before.find("moov"), before.find("mdat")) << "the encoder already moved its index";

    FastStartMP4(Folder(), "clip.mp4");
    const std::string after = ReadAll(Path("clip.mp4"));
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(4, 4), "ftyp");
    EXPECT_EQ(after.substr(BoxSizeAt(after, 0) + 4, 4), "moov");
    EXPECT_EQ(FrameChecksums(Path("clip.mp4")), frames);
}

} // namespace
