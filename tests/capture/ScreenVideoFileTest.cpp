// The screen-video file: the writer's key-frame groups, index and head; the reader's frames by
// time, recovery of unfinished recordings, and refusal of damaged files.
#include "capture/UVideoEncoder.h"
#include "capture/UVideoWriterTVC.h"
#include "media/UVideoDecoder.h"
#include "media/UVideoFormatTVC.h"
#include "media/UVideoReader.h"
#include "media/UVideoReaderTVC.h"
#include "tests/capture/ScreenVideoContent.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 48, kHeight = 40, kFrameMs = 33;

// A picture that differs in every frame: uniform blocks whose shades follow the frame number.
std::vector<uint8_t> FramePicture(int frame) {
    std::vector<uint8_t> p(kWidth * kHeight * 4);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* px = p.data() + (y * kWidth + x) * 4;
            const int block = (y / 16) * 3 + x / 16;
            px[0] = uint8_t(frame * 5 + block * 20);
            px[1] = uint8_t(frame * 3);
            px[2] = uint8_t(block * 40 + (block == 4 ? frame : 0));
            px[3] = 255;
        }
    return p;
}

std::vector<uint8_t> ReadAll(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    return {bytes.begin(), bytes.end()};
}

void WriteAll(const QString& path, const std::vector<uint8_t>& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

class ScreenVideoFile : public testing::Test {
protected:
    QString Base(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Writes Frames changing pictures at 33 ms intervals; StopWrite unless Unfinished.
    QString Write(const char* name, int frames, bool unfinished = false, int maxBytes = 5000000) {
        TVideoWriterTVC writer;
        writer.MaxBytes = maxBytes;
        EXPECT_TRUE(writer.StartWrite(kWidth, kHeight, 0, 1000, Base(name)));
        for (int f = 0; f < frames; ++f)
            EXPECT_GT(writer.AddFrame(FramePicture(f).data(), kWidth * 4, f * kFrameMs), 0);
        if (!unfinished) {
            EXPECT_TRUE(writer.StopWrite(frames * kFrameMs));
        }
        return Base(name) + QStringLiteral(".tvf");
    }

    // The index records of a finished file.
    std::vector<TFrameHeader> Index(const std::vector<uint8_t>& file) {
        const int64_t position = ReadLE<int64_t>(file.data());
        const int32_t count = ReadLE<int32_t>(file.data() + position + 21);
        EXPECT_EQ(ReadLE<int64_t>(file.data() + 8), 25 + 21 * count);
        std::vector<TFrameHeader> index;
        for (int i = 0; i < count; ++i)
            index.push_back(ReadFrameHeader(file.data() + position + 25 + 21 * i));
        return index;
    }

    // Pictures of every frame, read strictly forward.
    std::vector<std::vector<uint8_t>> Sequential(const QString& path, int frames) {
        TVideoReaderTVC reader;
        EXPECT_TRUE(reader.OpenFile(path)) << reader.LastError().toStdString();
        std::vector<std::vector<uint8_t>> pictures;
        for (int f = 0; f < frames; ++f) {
            std::vector<uint8_t> out(kWidth * kHeight * 4);
            EXPECT_TRUE(reader.GetFrame(f * kFrameMs, out.data()));
            pictures.push_back(out);
        }
        return pictures;
    }

    QTemporaryDir dir;
};

TEST_F(ScreenVideoFile, KeyFramesStartEveryGroupOfSixtyFrames) {
    const auto file = ReadAll(Write("groups", 130));
    const auto index = Index(file);
    ASSERT_EQ(index.size(), 130u);
    for (std::size_t i = 0; i < index.size(); ++i) {
        EXPECT_EQ(index[i].Id, int(i) + 1);
        EXPECT_EQ(index[i].Keyframe, i == 0 || i == 60 || i == 120) << "frame " << i + 1;
        EXPECT_EQ(index[i].TimeMs, int(i) * kFrameMs);
        // The record's own size leads it and its time follows it.
        EXPECT_EQ(ReadLE<int32_t>(file.data() + index[i].Offset), index[i].Size);
        EXPECT_EQ(ReadLE<int32_t>(file.data() + index[i].Offset + index[i].Size), index[i].TimeMs);
    }
    const int64_t position = ReadLE<int64_t>(file.data());
    EXPECT_EQ(0, std::memcmp(file.data() + position, kTvfMagic, 8));
    EXPECT_EQ(ReadLE<int32_t>(file.data() + position + 8), kWidth);
    EXPECT_EQ(ReadLE<int32_t>(file.data() + position + 17), 130 * kFrameMs);
}

TEST_F(ScreenVideoFile, GroupPassingMaxBytesEndsEarly) {
    // Every record of this content is about the same size: a group passes 2.5 records.
    const auto probe = Index(ReadAll(Write("probe", 2)));
    const int maxBytes = probe[1].Size * 5 / 2;
    const auto index = Index(ReadAll(Write("bytes", 10, false, maxBytes)));
    for (std::size_t i = 0; i < index.size(); ++i)
        EXPECT_EQ(index[i].Keyframe, i % 3 == 0) << "frame " << i + 1;
}

TEST_F(ScreenVideoFile, StillScreenStoresOneFrame) {
    TVideoWriterTVC writer;
    ASSERT_TRUE(writer.StartWrite(kWidth, kHeight, 4, 1000, Base("still")));
    const auto picture = FramePicture(0);
    EXPECT_GT(writer.AddFrame(picture.data(), kWidth * 4, 0), 0);
    for (int t = 33; t < 10000; t += 33)
        EXPECT_EQ(writer.AddFrame(picture.data(), kWidth * 4, t), 0);
    ASSERT_TRUE(writer.StopWrite(10000));
    TVideoReaderTVC reader;
    ASSERT_TRUE(reader.OpenFile(Base("still") + QStringLiteral(".tvf")));
    EXPECT_EQ(reader.NrFrames(), 1);
    EXPECT_EQ(reader.DurationMs(), 10000);
    EXPECT_EQ(reader.QStep(), 4);
    EXPECT_EQ(reader.FramePS(), 0); // 0.1 rounds to 0
}

TEST_F(ScreenVideoFile, EmptyRecordingHasAnIndexButNoFrames) {
    TVideoWriterTVC writer;
    ASSERT_TRUE(writer.StartWrite(kWidth, kHeight, 0, 1000, Base("empty")));
    ASSERT_TRUE(writer.StopWrite(500));
    const auto file = ReadAll(Base("empty") + QStringLiteral(".tvf"));
    ASSERT_EQ(file.size(), 16u + 25u);
    EXPECT_EQ(ReadLE<int64_t>(file.data()), 16);
    EXPECT_EQ(ReadLE<int64_t>(file.data() + 8), 25);
    TVideoReaderTVC reader;
    EXPECT_FALSE(reader.OpenFile(Base("empty") + QStringLiteral(".tvf")));
    EXPECT_FALSE(reader.LastError().isEmpty());
}

TEST_F(ScreenVideoFile, WriterReportsAFileItCannotCreate) {
    TVideoWriterTVC writer;
    EXPECT_FALSE(writer.StartWrite(kWidth, kHeight, 0, 1000, Base("missing/folder/screen")));
    EXPECT_FALSE(writer.LastError().isEmpty());
    EXPECT_EQ(writer.AddFrame(FramePicture(0).data(), kWidth * 4, 0), 0);
}

TEST_F(ScreenVideoFile, ReaderGivesTheFrameOfAnyTimeInAnyOrder) {
    const int frames = 70; // key frames at 1 and 61
    const QString path = Write("seek", frames);
    const auto expected = Sequential(path, frames);
    // Read forward, every picture is that of its frame coded on its own (flat blocks at
    // QStep 0 come out the same in key and delta frames).
    TVideoEncoder encoder;
    ASSERT_GT(encoder.StartEncode(kWidth, kHeight, 0, true), 0);
    TVideoDecoder decoder;
    ASSERT_TRUE(decoder.StartDecode(kWidth, kHeight, 0));
    std::vector<uint8_t> record(encoder.MaxFrameBytes()), own(kWidth * kHeight * 4);
    for (int f = 0; f < frames; ++f) {
        const int size = encoder.Encode(true, FramePicture(f).data(), kWidth * 4, record.data());
        ASSERT_TRUE(decoder.Decode(record.data(), size, own.data()));
        ASSERT_EQ(own, expected[f]) << "frame " << f;
    }

    TVideoReaderTVC reader;
    ASSERT_TRUE(reader.OpenFile(path));
    EXPECT_EQ(reader.NrFrames(), frames);
    EXPECT_EQ(reader.FramePS(), 30); // 70000 / 2310 = 30.3
    std::vector<uint8_t> out(kWidth * kHeight * 4);
    struct Step {
        int timeMs, frame, decodes;
    };
    const Step steps[] = {
        {-500, 0, 1},                // before the first frame: the first
        {10, 0, 0},                  // within the same frame: no decoding
        {33, 1, 1},                  // one ahead: one frame
        {40 * kFrameMs + 5, 40, 39}, // forward in the run
        {20 * kFrameMs, 20, 21},     // backward: from the key frame
        {19 * kFrameMs, 19, 20},     // one back, same run: from the key frame
        {65 * kFrameMs, 65, 6},      // another run: from its key frame (61)
        {900000, frames - 1, 4},     // past the end: the last frame
        {5 * kFrameMs, 5, 6},        // back to the first run
    };
    for (const Step& s : steps) {
        const int before = reader.DecodedFrameCount();
        ASSERT_TRUE(reader.GetFrame(s.timeMs, out.data())) << reader.LastError().toStdString();
        EXPECT_EQ(out, expected[s.frame]) << "time " << s.timeMs;
        EXPECT_EQ(reader.DecodedFrameCount() - before, s.decodes) << "time " << s.timeMs;
    }
    std::mt19937 rng(5);
    for (int i = 0; i < 40; ++i) {
        const int f = int(rng() % frames);
        ASSERT_TRUE(reader.GetFrame(f * kFrameMs + int(rng() % kFrameMs), out.data()));
        ASSERT_EQ(out, expected[f]) << "frame " << f;
    }
    EXPECT_EQ(reader.GetBeginTime(0), -1);
    EXPECT_EQ(reader.GetBeginTime(1), 0);
    EXPECT_EQ(reader.GetBeginTime(frames), (frames - 1) * kFrameMs);
    EXPECT_EQ(reader.GetBeginTime(frames + 1), 0);
    EXPECT_EQ(reader.FindFrameIndex(-1), 0);
    EXPECT_EQ(reader.FindFrameIndex(34), 2);
}

// Equal times are kept (a time that goes back is stored as the time before it); lookups find
// the last frame of equal times.
TEST_F(ScreenVideoFile, TheReaderFacadeOpensScreenVideoFiles) {
    const int frames = 5;
    const QString path = Write("facade", frames);
    const auto expected = Sequential(path, frames);
    // The facade finds the reader by extension in any letter case.
    const QString upper = Base("FACADE.TVF");
    ASSERT_TRUE(QFile::rename(path, upper));
    TVideoReaderEx facade(upper);
    ASSERT_TRUE(facade.IsValid()) << facade.ErrorText().toStdString();
    EXPECT_EQ(facade.GetWidth(), kWidth);
    EXPECT_EQ(facade.GetHeight(), kHeight);
    std::vector<uint8_t> out(kWidth * kHeight * 4);
    facade.GetFrame(3 * kFrameMs + 1, out.data());
    EXPECT_EQ(out, expected[3]);

    WriteAll(Base("damaged.tvf"), {1, 2, 3});
    TVideoReaderEx damaged(Base("damaged.tvf"));
    EXPECT_FALSE(damaged.IsValid());
    EXPECT_FALSE(damaged.ErrorText().isEmpty());
}

TEST_F(ScreenVideoFile, EqualTimesFindTheLastOfThem) {
    TVideoWriterTVC writer;
    ASSERT_TRUE(writer.StartWrite(kWidth, kHeight, 0, 1000, Base("equal")));
    const int times[] = {100, 100, 60, 200};
    for (int f = 0; f < 4; ++f)
        writer.AddFrame(FramePicture(f).data(), kWidth * 4, times[f]);
    ASSERT_TRUE(writer.StopWrite(300));
    TVideoReaderTVC reader;
    ASSERT_TRUE(reader.OpenFile(Base("equal") + QStringLiteral(".tvf")));
    EXPECT_EQ(reader.FindFrameIndex(150), 3);
    std::vector<uint8_t> out(kWidth * kHeight * 4);
    EXPECT_TRUE(reader.GetFrame(100, out.data()));
}

TEST_F(ScreenVideoFile, TrackInsideALargerFileIsReadAtItsOffset) {
    const QString path = Write("track", 5);
    const auto expected = Sequential(path, 5);
    std::vector<uint8_t> package(1000, 0xAB);
    const auto track = ReadAll(path);
    package.insert(package.end(), track.begin(), track.end());
    WriteAll(Base("package.bin"), package);
    TVideoReaderTVC reader;
    ASSERT_TRUE(reader.OpenFile(Base("package.bin"), 1000)) << reader.LastError().toStdString();
    std::vector<uint8_t> out(kWidth * kHeight * 4);
    ASSERT_TRUE(reader.GetFrame(3 * kFrameMs, out.data()));
    EXPECT_EQ(out, expected[3]);
}

// A recording that never finished is read by walking its records; a record cut off by the
// crash is dropped.
TEST_F(ScreenVideoFile, UnfinishedRecordingIsRecovered) {
    const int frames = 65;
    const auto expected = Sequential(Write("finished", frames), frames);
    const QString path = Write("crashed", frames, true);
    auto bytes = ReadAll(path);
    ASSERT_EQ(ReadLE<int64_t>(bytes.data()), 0);
    for (std::size_t cut : {std::size_t(0), std::size_t(2), std::size_t(30)}) {
        SCOPED_TRACE(cut);
        std::vector<uint8_t> damaged(bytes.begin(), bytes.end() - cut);
        WriteAll(Base("cut.tvf"), damaged);
        TVideoReaderTVC reader;
        ASSERT_TRUE(reader.OpenFile(Base("cut.tvf"))) << reader.LastError().toStdString();
        EXPECT_TRUE(reader.Recovered());
        const int kept = cut == 0 ? frames : frames - 1;
        EXPECT_EQ(reader.NrFrames(), kept);
        EXPECT_EQ(reader.Width(), kWidth);
        EXPECT_EQ(reader.DurationMs(), (kept - 1) * kFrameMs);
        std::vector<uint8_t> out(kWidth * kHeight * 4);
        for (int f : {kept - 1, 0, 62, 30}) {
            ASSERT_TRUE(reader.GetFrame(f * kFrameMs, out.data()));
            EXPECT_EQ(out, expected[f]) << "frame " << f;
        }
    }
}

// A finished recording whose head points at an index the file no longer holds (cut short, or
// the head damaged) is read like an unfinished one: the whole frames before the cut remain.
TEST_F(ScreenVideoFile, FinishedRecordingWithoutItsIndexIsRecovered) {
    const int frames = 65;
    const QString path = Write("finished", frames);
    const auto expected = Sequential(path, frames);
    const auto good = ReadAll(path);
    const int64_t index = ReadLE<int64_t>(good.data());
    const auto records = Index(good);
    struct Damage {
        const char* what;
        int64_t keep;     // bytes kept
        int64_t position; // index position written into the head
        int64_t size;     // index size written into the head
        int frames;       // frames recovered
    };
    const int64_t indexSize = ReadLE<int64_t>(good.data() + 8);
    const Damage damages[] = {
        {"cut inside the index", index + 30, index, indexSize, frames},
        {"cut at the index", index, index, indexSize, frames},
        {"cut inside frame 41", records[40].Offset + 20, index, indexSize, 40},
        {"cut after frame 2", records[2].Offset, index, indexSize, 2},
        {"index past the end", int64_t(good.size()), int64_t(good.size()), indexSize, frames},
        {"index inside the head", int64_t(good.size()), 4, indexSize, frames},
        {"negative index", int64_t(good.size()), -100, indexSize, frames},
        {"index too small", int64_t(good.size()), index, 24, frames},
        {"index size past the end", int64_t(good.size()), index, int64_t(1) << 40, frames},
        {"half a head", int64_t(good.size()), index, 0, frames},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        std::vector<uint8_t> bytes(good.begin(), good.begin() + d.keep);
        WriteLE<int64_t>(bytes.data(), d.position);
        WriteLE<int64_t>(bytes.data() + 8, d.size);
        WriteAll(Base("cut.tvf"), bytes);
        TVideoReaderTVC reader;
        ASSERT_TRUE(reader.OpenFile(Base("cut.tvf"))) << reader.LastError().toStdString();
        EXPECT_TRUE(reader.Recovered());
        ASSERT_EQ(reader.NrFrames(), d.frames);
        std::vector<uint8_t> out(kWidth * kHeight * 4);
        for (int f : {d.frames - 1, 0}) {
            ASSERT_TRUE(reader.GetFrame(f * kFrameMs, out.data()));
            EXPECT_EQ(out, expected[f]) << "frame " << f;
        }
    }
}

// Damaged heads, indexes and frame tables are refused when the file is opened.
TEST_F(ScreenVideoFile, DamagedFilesAreRefused) {
    const auto good = ReadAll(Write("good", 3));
    const int64_t index = ReadLE<int64_t>(good.data());
    const int64_t record = index + 25; // first index record
    struct Damage {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> apply;
    };
    auto put32 = [](int64_t at, int32_t v) {
        return [=](std::vector<uint8_t>& f) { WriteLE<int32_t>(f.data() + at, v); };
    };
    auto put64 = [](int64_t at, int64_t v) {
        return [=](std::vector<uint8_t>& f) { WriteLE<int64_t>(f.data() + at, v); };
    };
    const Damage damages[] = {
        {"empty file", [](std::vector<uint8_t>& f) { f.clear(); }},
        {"short head", [](std::vector<uint8_t>& f) { f.resize(10); }},
        {"more frames than the index holds", put32(index + 21, 4)},
        {"negative frame count", put32(index + 21, -1)},
        {"zero width", put32(index + 8, 0)},
        {"huge height", put32(index + 12, 100000)},
        {"too many pixels",
         [=](std::vector<uint8_t>& f) {
             WriteLE<int32_t>(f.data() + index + 8, 8000);
             WriteLE<int32_t>(f.data() + index + 12, 8000);
         }},
        {"quantiser step 36", [=](std::vector<uint8_t>& f) { f[index + 16] = 36; }},
        // The decoder's buffers for 7680 x 4320 take hundreds of megabytes: a small file
        // claiming that size is refused before they are made.
        {"index larger than its first frame",
         [=](std::vector<uint8_t>& f) {
             WriteLE<int32_t>(f.data() + index + 8, 7680);
             WriteLE<int32_t>(f.data() + index + 12, 4320);
         }},
        {"first frame too short for its size",
         [=](std::vector<uint8_t>& f) {
             for (const int64_t at : {index + 8, int64_t(16 + 13)})
                 WriteLE<int32_t>(f.data() + at, 7680);
             for (const int64_t at : {index + 12, int64_t(16 + 17)})
                 WriteLE<int32_t>(f.data() + at, 4320);
         }},
        {"first frame of another quantiser step", [=](std::vector<uint8_t>& f) { f[16 + 21] = 9; }},
        {"first frame without its magic", [=](std::vector<uint8_t>& f) { f[16 + 4] ^= 1; }},
        {"first frame not a key frame", [=](std::vector<uint8_t>& f) { f[record + 4] = 0; }},
        {"frame inside the head", put64(record + 9, 3)},
        {"frame past the index", put64(record + 9, index - 10)},
        {"frame too small", put32(record + 17, 5)},
        {"frame larger than the file", put32(record + 17, 1 << 30)},
        {"negative time", put32(record + 5, -7)},
        {"time going back", put32(record + 21 + 5, -1 + 0)},
    };
    for (const Damage& d : damages) {
        auto bytes = good;
        d.apply(bytes);
        WriteAll(Base("bad.tvf"), bytes);
        TVideoReaderTVC reader;
        EXPECT_FALSE(reader.OpenFile(Base("bad.tvf"))) << d.what;
        EXPECT_FALSE(reader.LastError().isEmpty()) << d.what;
        std::vector<uint8_t> out(kWidth * kHeight * 4);
        EXPECT_FALSE(reader.GetFrame(0, out.data())) << d.what;
    }
    TVideoReaderTVC reader;
    EXPECT_FALSE(reader.OpenFile(Base("does-not-exist.tvf")));
}

// A damaged frame is refused when it is needed; frames of other runs still decode.
TEST_F(ScreenVideoFile, DamagedFrameIsRefusedAndReported) {
    auto bytes = ReadAll(Write("frames", 62)); // runs 1..60 and 61..62
    const auto index = Index(bytes);
    bytes[index[1].Offset + 23 + 13 + 13] ^= 0x40; // frame 2: its first slice's table 0
    WriteAll(Base("damaged.tvf"), bytes);
    TVideoReaderTVC reader;
    ASSERT_TRUE(reader.OpenFile(Base("damaged.tvf")));
    std::vector<uint8_t> out(kWidth * kHeight * 4);
    EXPECT_TRUE(reader.GetFrame(0, out.data()));
    EXPECT_FALSE(reader.GetFrame(5 * kFrameMs, out.data()));
    EXPECT_TRUE(reader.LastError().contains(QStringLiteral("frame 2")));
    EXPECT_TRUE(reader.GetFrame(61 * kFrameMs, out.data()));
    EXPECT_TRUE(reader.GetFrame(0, out.data()));
}

// Random damage anywhere in a file or a frame never crashes the reader or the decoder (the
// sanitizers watch every read and write).
TEST_F(ScreenVideoFile, FuzzedFilesAndFramesNeverCrash) {
    const auto good = ReadAll(Write("fuzz", 8));
    std::mt19937 rng(1234);
    std::vector<uint8_t> out(kWidth * kHeight * 4);
    for (int round = 0; round < 150; ++round) {
        auto bytes = good;
        const int flips = 1 + int(rng() % 8);
        for (int i = 0; i < flips; ++i)
            bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
        if (round % 5 == 0) {
            bytes.resize(rng() % bytes.size());
        }
        if (round % 7 == 0 && bytes.size() >= 16)
            std::memset(bytes.data(), 0, 16); // as if unfinished
        WriteAll(Base("fuzz-in.tvf"), bytes);
        TVideoReaderTVC reader;
        if (!reader.OpenFile(Base("fuzz-in.tvf")))
            continue;
        std::vector<uint8_t> picture(std::size_t(reader.Width()) * reader.Height() * 4);
        for (int t : {0, 200, 50, 1000})
            reader.GetFrame(t, picture.data());
    }

    const auto index = Index(good);
    const std::vector<uint8_t> key(good.begin() + index[0].Offset,
                                   good.begin() + index[0].Offset + index[0].Size);
    for (int round = 0; round < 400; ++round) {
        auto frame = key;
        const int flips = 1 + int(rng() % 6);
        for (int i = 0; i < flips; ++i)
            frame[23 + rng() % (frame.size() - 23)] ^= static_cast<uint8_t>(1 << (rng() % 8));
        TVideoDecoder decoder;
        ASSERT_TRUE(decoder.StartDecode(kWidth, kHeight, 0));
        if (decoder.Decode(frame.data(), frame.size(), out.data()))
            continue;
        EXPECT_FALSE(decoder.LastError().isEmpty());
    }
}

} // namespace
