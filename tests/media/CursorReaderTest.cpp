// The cursor track: position, shape and clicks by time, and damaged tracks.
#include "media/UCursorReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <random>

namespace {

struct Sample {
    int time, x, y;
    uint32_t buttons;
    int pointer;
};

// A track in the file layout: shapes of 2 × 2 pixels, then the samples.
class TrackWriter {
public:
    explicit TrackWriter(int shapes, const std::vector<Sample>& samples) {
        put(shapes);
        for (int i = 0; i < shapes; ++i) {
            for (int value : {80 + i, 2, 2, 8, 1, 1, 16})
                put(value);
            bytes.append(QByteArray(16, char(i + 1)));
        }
        put(int(samples.size()));
        for (const Sample& s : samples)
            for (int value : {s.time, s.x, s.y, int(s.buttons), s.pointer})
                put(value);
    }

    QByteArray bytes;

private:
    void put(int value) {
        char data[4];
        qToLittleEndian(int32_t(value), data);
        bytes.append(data, 4);
    }
};

TCursorReader load(int shapes, const std::vector<Sample>& samples) {
    TCursorReader reader;
    EXPECT_TRUE(reader.Load(TrackWriter(shapes, samples).bytes))
        << reader.ErrorText().toStdString();
    return reader;
}

TCursorState at(const TCursorReader& reader, int timeMs) {
    TCursorState state;
    EXPECT_TRUE(reader.GetCursor(timeMs, state));
    return state;
}

TEST(CursorReader, InterpolatesBetweenSamplesAndHoldsOutsideThem) {
    const TCursorReader reader = load(1, {{10, 100, 100, 0, 0}, {50, 140, 60, 0, 0}});
    EXPECT_EQ(reader.FDurationMs, 50);
    EXPECT_EQ(at(reader, 20).Cursor.Position, QPoint(110, 90));
    EXPECT_EQ(at(reader, 20).Cursor.Time, 10);
    EXPECT_EQ(at(reader, 50).Cursor.Position, QPoint(140, 60));
    EXPECT_EQ(at(reader, 900).Cursor.Position, QPoint(140, 60));
    // Before the first sample the pointer stays where that sample has it.
    EXPECT_EQ(at(reader, 0).Cursor.Position, QPoint(100, 100));
}

TEST(CursorReader, SamplesOfTheSameTimeTakeTheLaterOne) {
    const TCursorReader reader =
        load(1, {{0, 0, 0, 0, 0}, {40, 10, 10, 0, 0}, {40, 20, 20, 0, 0}, {80, 60, 60, 0, 0}});
    EXPECT_EQ(at(reader, 40).Cursor.Position, QPoint(20, 20));
    EXPECT_EQ(at(reader, 60).Cursor.Position, QPoint(40, 40));
}

TEST(CursorReader, PicksTheShapeOfTheSample) {
    const TCursorReader reader = load(3, {{0, 0, 0, 0, 2},
                                          {10, 0, 0, 0, -1},
                                          {20, 0, 0, 0, -2},
                                          {30, 0, 0, 0, 7},
                                          {40, 0, 0, 0, 0}});
    struct Case {
        int time;
        uint32_t type; // 0 = no shape
    } cases[] = {{0, 82}, {10, 80}, {20, 0}, {30, 80}, {40, 80}};
    for (const Case& c : cases) {
        const TCursorState state = at(reader, c.time);
        EXPECT_EQ(state.Pointer._Type, c.type) << c.time << " ms";
        EXPECT_EQ(state.Pointer.Width, c.type ? 2u : 0u) << c.time << " ms";
    }
    EXPECT_EQ(at(reader, 0).Pointer.PointerShapeBuffer, QByteArray(16, char(3)));
    const TCursorReader noShapes = load(0, {{0, 0, 0, 0, 0}, {10, 0, 0, 0, 1}});
    EXPECT_EQ(at(noShapes, 0).Pointer.Width, 0u);
    EXPECT_EQ(at(noShapes, 10).Pointer.Width, 0u);
}

// Shapes whose pitch × height does not fit their buffer, or whose rows do not fit their pitch,
// cannot be drawn: a sample showing one shows shape 0 (nothing when shape 0 is the bad one).
TEST(CursorReader, ShapesThatDoNotFitTheirBufferAreShapeZero) {
    struct Shape {
        int type, width, height, pitch, bufferBytes;
    };
    const auto track = [](const std::vector<Shape>& shapes) {
        QByteArray bytes;
        const auto put = [&](int value) {
            char data[4];
            qToLittleEndian(int32_t(value), data);
            bytes.append(data, 4);
        };
        put(int(shapes.size()));
        for (const Shape& shape : shapes) {
            for (int value : {shape.type, shape.width, shape.height, shape.pitch, 0, 0})
                put(value);
            put(shape.bufferBytes);
            bytes.append(QByteArray(shape.bufferBytes, char(7)));
        }
        put(int(shapes.size()));
        for (int i = 0; i < int(shapes.size()); ++i)
            for (int value : {i * 10, 0, 0, 0, i})
                put(value);
        return bytes;
    };
    TCursorReader reader;
    ASSERT_TRUE(reader.Load(track({{2, 2, 2, 8, 16},        // sound colour shape
                                   {2, 65535, 65535, 4, 4}, // 65535 × 65535 in 4 bytes
                                   {2, 4, 2, 8, 16},        // rows of 16 bytes, pitch 8
                                   {1, 32, 64, 4, 256},     // sound monochrome shape
                                   {2, 2, 2, -1, 16}})));   // pitch past the integer range
    const uint32_t widths[] = {2, 2, 2, 32, 2};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(at(reader, i * 10).Pointer.Width, widths[i]) << "shape " << i;
    TCursorReader badFirst;
    ASSERT_TRUE(badFirst.Load(track({{2, 100, 100, 400, 4}, {2, 2, 2, 8, 16}})));
    EXPECT_EQ(at(badFirst, 0).Pointer.Width, 0u);
    EXPECT_EQ(at(badFirst, 10).Pointer.Width, 2u);
}

TEST(CursorReader, ReportsRecentClicks) {
    // Left releases at 100 and 900, a right release combined with a left press (2 | 4 is a
    // left release too; 8 | 1 a right release) at 1200, plain samples after.
    const TCursorReader reader = load(1, {{0, 0, 0, 0, 0},
                                          {100, 1, 1, 2, 0},
                                          {900, 2, 2, 6, 0},
                                          {1200, 3, 3, 9, 0},
                                          {1800, 4, 4, 0, 0},
                                          {2500, 5, 5, 0, 0},
                                          {3000, 6, 6, 2, 0}});
    EXPECT_EQ(reader.FNrClicks, 4);
    const TCursorState early = at(reader, 1000);
    EXPECT_EQ(early.LastLCTime, 900);
    EXPECT_EQ(early.LastLCcursor.Position, QPoint(2, 2));
    EXPECT_EQ(early.LastRCTime, -1);
    const TCursorState later = at(reader, 1900);
    EXPECT_EQ(later.LastLCTime, 900); // the first sample beyond the 1000 ms span still counts
    EXPECT_EQ(later.LastRCTime, 1200);
    // From 2500 the scan passes 1800 and stops at 1200, the first sample beyond the span.
    EXPECT_EQ(at(reader, 2600).LastLCTime, -1);
    EXPECT_EQ(at(reader, 2600).LastRCTime, 1200);
    // At the last sample no click is reported.
    EXPECT_EQ(at(reader, 3000).LastLCTime, -1);
    // A click on the very first sample is found like any other.
    const TCursorReader first = load(1, {{0, 0, 0, 8, 0}, {500, 0, 0, 0, 0}, {600, 0, 0, 0, 0}});
    EXPECT_EQ(at(first, 500).LastRCTime, 0);
}

TEST(CursorReader, AnEmptyTrackAnswersNothing) {
    const TCursorReader reader = load(2, {});
    TCursorState state;
    EXPECT_FALSE(reader.GetCursor(0, state));
    EXPECT_EQ(state.LastLCTime, -1);
    EXPECT_EQ(state.Pointer.Width, 0u);
    EXPECT_EQ(reader.FDurationMs, 0);
}

TEST(CursorReader, ReadsTheTrackAtItsOffsetInAFile) {
    QTemporaryDir dir;
    QFile file(dir.filePath("screen.tcf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("HEAD");
    file.write(TrackWriter(1, {{0, 5, 6, 0, 0}}).bytes);
    file.close();
    TCursorReader reader;
    ASSERT_TRUE(reader.OpenFile(file.fileName(), 4));
    EXPECT_EQ(at(reader, 0).Cursor.Position, QPoint(5, 6));
    EXPECT_FALSE(reader.OpenFile(dir.filePath("missing.tcf")));
    EXPECT_FALSE(reader.ErrorText().isEmpty());
    EXPECT_EQ(reader.FNrCursors, 0);
}

struct Damage {
    const char* name;
    QByteArray (*make)();
};

QByteArray withInt(QByteArray bytes, qsizetype at, int32_t value) {
    qToLittleEndian(value, bytes.data() + at);
    return bytes;
}

QByteArray sound() {
    return TrackWriter(1, {{0, 1, 1, 0, 0}, {10, 2, 2, 2, 0}}).bytes;
}

// The sample count follows the shape count, one shape header (28 bytes) and its 16 bytes.
constexpr qsizetype SampleCountAt = 4 + 28 + 16;

const Damage damages[] = {
    {"Empty", [] { return QByteArray(); }},
    {"NegativeShapeCount", [] { return withInt(sound(), 0, -1); }},
    {"HugeShapeCount", [] { return withInt(sound(), 0, 0x7FFFFFFF); }},
    {"ShapeBufferPastTheEnd", [] { return withInt(sound(), 4 + 24, 0x7FFFFFF0); }},
    {"NegativeSampleCount", [] { return withInt(sound(), SampleCountAt, -5); }},
    {"HugeSampleCount", [] { return withInt(sound(), SampleCountAt, 0x7FFFFFFF); }},
    {"SamplesCutOff", [] { return sound().left(sound().size() - 3); }},
    {"ShapeCutOff", [] { return sound().left(20); }},
};

class CursorDamage : public testing::TestWithParam<Damage> {};

TEST_P(CursorDamage, IsRefusedWithAnEmptyTrack) {
    TCursorReader reader;
    EXPECT_FALSE(reader.Load(GetParam().make()));
    EXPECT_FALSE(reader.ErrorText().isEmpty());
    EXPECT_EQ(reader.FNrCursors, 0);
    EXPECT_TRUE(reader.FPointers.empty());
    TCursorState state;
    EXPECT_FALSE(reader.GetCursor(5, state));
}

INSTANTIATE_TEST_SUITE_P(Damages, CursorDamage, testing::ValuesIn(damages),
                         [](const auto& info) { return std::string(info.param.name); });

// Random damage to a sound track, many times over: loading and answering never crash.
TEST(CursorReader, SurvivesRandomDamage) {
    std::vector<Sample> samples;
    for (int i = 0; i < 40; ++i)
        samples.push_back({i * 25, i, -i, uint32_t(i % 5 == 0 ? 2 : 0), i % 4 - 2});
    const QByteArray valid = TrackWriter(3, samples).bytes;
    std::mt19937 random(1210);
    std::uniform_int_distribution<qsizetype> where(0, valid.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    for (int round = 0; round < 5000; ++round) {
        QByteArray bytes = valid;
        for (int n = round % 6 + 1; n > 0; --n)
            bytes[where(random)] = char(value(random));
        if (round % 5 == 0)
            bytes.truncate(where(random));
        TCursorReader reader;
        reader.Load(bytes);
        TCursorState state;
        for (int time : {-5, 0, 333, 999, 5000, INT32_MAX, INT32_MIN})
            reader.GetCursor(time, state);
    }
}

} // namespace
