// The MP4 box walk against damaged files: each damage gives a clear error or a table that plays,
// never a crash or a hang.
#include "media/UMP4FrameTable.h"
#include "media/UVideoReader.h"
#include "tests/support/media/MediaFixtures.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr int Frames = 10;

QByteArray validMp4(const QTemporaryDir& dir, int bFrames = 0) {
    fixtures::VideoSpec spec;
    spec.frames = Frames;
    spec.gop = 5;
    spec.bFrames = bFrames;
    const QString path = dir.filePath("source.mp4");
    fixtures::writeVideo(path, spec);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

QString readTable(const QByteArray& bytes, TMP4FrameTable& table) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadMP4FrameTable(buffer, table);
}

// The offset of the first box of this type.
qsizetype boxAt(const QByteArray& bytes, const char* type) {
    const qsizetype at = bytes.indexOf(type);
    EXPECT_GE(at, 4) << type;
    return at - 4;
}

void put32(QByteArray& bytes, qsizetype at, uint32_t value) {
    qToBigEndian(value, bytes.data() + at);
}

void put64(QByteArray& bytes, qsizetype at, uint64_t value) {
    qToBigEndian(value, bytes.data() + at);
}

// Error: the walk refuses the file. Plays: the walk and the decoder take it and the right frame
// shows. Either: the walk copes, the decoder may refuse the file with a clear error.
enum class Outcome { Error, Plays, Either };

struct Damage {
    const char* name;
    Outcome outcome;
    void (*apply)(QByteArray&);
};

std::ostream& operator<<(std::ostream& out, const Damage& d) {
    return out << d.name;
}

const Damage damages[] = {
    {"TruncatedBeforeTheMovieBox", Outcome::Error,
     [](QByteArray& b) { b.truncate(boxAt(b, "moov") + 4); }},
    {"TruncatedHalfWay", Outcome::Error, [](QByteArray& b) { b.truncate(b.size() / 2); }},
    {"MovieBoxSizeZeroRunsToTheEnd", Outcome::Plays,
     [](QByteArray& b) { put32(b, boxAt(b, "moov"), 0); }},
    {"MovieBoxSmallerThanItsHeader", Outcome::Error,
     [](QByteArray& b) { put32(b, boxAt(b, "moov"), 4); }},
    {"MediaDataSizeSmallerThanItsHeader", Outcome::Error,
     [](QByteArray& b) { put32(b, boxAt(b, "mdat"), 7); }},
    {"HugeMovieBox", Outcome::Plays, [](QByteArray& b) { put32(b, boxAt(b, "moov"), 0x7FFFFFFF); }},
    {"SampleTableBoxHuge", Outcome::Plays,
     [](QByteArray& b) { put32(b, boxAt(b, "stbl"), 0xFFFFFFF0); }},
    {"LargeSizeBelowItsHeader", Outcome::Error,
     [](QByteArray& b) {
         // A 64-bit size of 8 cannot hold its own 16-byte header.
         const qsizetype at = boxAt(b, "free");
         put32(b, at, 1);
         put64(b, at + 8, 8);
     }},
    {"TimeScaleZero", Outcome::Error, [](QByteArray& b) { put32(b, boxAt(b, "mdhd") + 20, 0); }},
    {"NoPictureSize", Outcome::Error,
     [](QByteArray& b) {
         const qsizetype at = boxAt(b, "tkhd");
         put32(b, at + 84, 0);
         put32(b, at + 88, 0);
     }},
    {"NoTimeToSampleTable", Outcome::Error,
     [](QByteArray& b) { b.replace(b.indexOf("stts"), 4, "xxxx"); }},
    {"TimeToSampleCountPastItsBox", Outcome::Either,
     [](QByteArray& b) { put32(b, boxAt(b, "stts") + 12, 0xFFFFFFFF); }},
    {"SampleCountPastTheSizeTable", Outcome::Plays,
     [](QByteArray& b) { put32(b, boxAt(b, "stts") + 16, 0x7FFFFFFF); }},
    {"KeyFrameNumberPastTheTable", Outcome::Plays,
     [](QByteArray& b) { put32(b, boxAt(b, "stss") + 16, 0x00FFFFFF); }},
    {"KeyFrameCountPastItsBox", Outcome::Either,
     [](QByteArray& b) { put32(b, boxAt(b, "stss") + 12, 0xFFFFFFFF); }},
    {"TrackChildSmallerThanItsHeader", Outcome::Error,
     [](QByteArray& b) { put32(b, boxAt(b, "mdia"), 3); }},
};

class MP4Damage : public testing::TestWithParam<Damage> {};

TEST_P(MP4Damage, GivesAnErrorOrPlays) {
    QTemporaryDir dir;
    QByteArray bytes = validMp4(dir);
    GetParam().apply(bytes);
    TMP4FrameTable table;
    const QString error = readTable(bytes, table);
    const QString path = dir.filePath("damaged.mp4");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    TVideoReaderEx reader(path);
    if (GetParam().outcome == Outcome::Error) {
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(reader.IsValid());
        EXPECT_FALSE(reader.ErrorText().isEmpty());
        return;
    }
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_GE(table.NrFrames(), 1);
    if (GetParam().outcome == Outcome::Either && !reader.IsValid()) {
        EXPECT_FALSE(reader.ErrorText().isEmpty());
        return;
    }
    ASSERT_TRUE(reader.IsValid()) << reader.ErrorText().toStdString();
    std::vector<uint8_t> picture(size_t(reader.GetWidth()) * reader.GetHeight() * 4);
    reader.GetFrame(150, picture.data());
    EXPECT_EQ(fixtures::readStamp(picture.data(), reader.GetWidth(), reader.GetHeight()), 4);
}

INSTANTIATE_TEST_SUITE_P(Damages, MP4Damage, testing::ValuesIn(damages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MP4FrameTable, OrdersFramesByCompositionTimeAndKeepsKeyFlags) {
    QTemporaryDir dir;
    TMP4FrameTable table;
    ASSERT_EQ(readTable(validMp4(dir, 2), table), QString());
    ASSERT_EQ(table.NrFrames(), Frames);
    EXPECT_EQ(table.Frames[0].BeginTimeMs, -1);
    EXPECT_TRUE(table.Frames[1].Keyframe);
    for (int i = 2; i <= Frames; ++i) {
        EXPECT_GT(table.Frames[size_t(i)].Time, table.Frames[size_t(i) - 1].Time);
        EXPECT_EQ(table.Frames[size_t(i) - 1].EndTimeMs, table.Frames[size_t(i)].BeginTimeMs - 1);
        EXPECT_LE(table.Frames[size_t(i)].KeyFrameId, i);
        EXPECT_TRUE(table.Frames[size_t(table.Frames[size_t(i)].KeyFrameId)].Keyframe);
    }
}

// Random damage to the movie box, many times over: the walk must always come back, with an
// error or with a table whose entries are in order.
TEST(MP4FrameTable, SurvivesRandomDamage) {
    QTemporaryDir dir;
    const QByteArray valid = validMp4(dir, 2);
    const qsizetype moov = boxAt(valid, "moov");
    std::mt19937 random(20261210);
    std::uniform_int_distribution<qsizetype> where(moov, valid.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    std::uniform_int_distribution<int> count(1, 8);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = valid;
        for (int n = count(random); n > 0; --n)
            bytes[where(random)] = char(value(random));
        if (round % 7 == 0)
            bytes.truncate(where(random));
        TMP4FrameTable table;
        if (!readTable(bytes, table).isEmpty())
            continue;
        ASSERT_GE(table.NrFrames(), 1);
        for (int i = 2; i <= table.NrFrames(); ++i)
            ASSERT_LE(table.Frames[size_t(i) - 1].Time, table.Frames[size_t(i)].Time);
    }
}

TEST(FindFrameIndex, FindsTheLastFrameNotAfterTheTime) {
    std::vector<TFrameMF> frames(4);
    frames[0].BeginTimeMs = -1;
    frames[1].BeginTimeMs = 0;
    frames[2].BeginTimeMs = 40;
    frames[3].BeginTimeMs = 80;
    EXPECT_EQ(FindFrameIndex(frames, 3, 0), 1);
    EXPECT_EQ(FindFrameIndex(frames, 3, 39), 1);
    EXPECT_EQ(FindFrameIndex(frames, 3, 40), 2);
    EXPECT_EQ(FindFrameIndex(frames, 3, 5000), 3);
    EXPECT_EQ(FindFrameIndex(frames, 3, -1), 0);
    frames[3].BeginTimeMs = 40; // shared begin times: the last of them
    EXPECT_EQ(FindFrameIndex(frames, 3, 40), 3);
}

} // namespace
