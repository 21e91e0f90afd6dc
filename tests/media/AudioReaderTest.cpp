#include "media/UAudioReader.h"
#include "tests/support/AudioSignals.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct FileCase {
    const char* name;
    fixtures::ToneSpec spec;
};

// Everything a reader delivers until the end of its stream.
std::vector<int16_t> readAll(TAudioReader& reader, int channels) {
    std::vector<int16_t> all, block(size_t(4096) * channels);
    uint32_t flags = 0;
    while (flags == 0 && all.size() < 100'000'000) {
        reader.LoadData(4096, reinterpret_cast<uint8_t*>(block.data()), flags);
        all.insert(all.end(), block.begin(), block.end());
    }
    // Drop the silence LoadData pads the end with.
    while (!all.empty() && all.back() == 0)
        all.pop_back();
    all.resize(all.size() / size_t(channels) * size_t(channels));
    return all;
}

class AudioReaderFile : public testing::TestWithParam<FileCase> {
protected:
    void SetUp() override {
        if (!fixtures::hasEncoder(GetParam().spec.encoder))
            GTEST_SKIP() << "no encoder " << GetParam().spec.encoder;
        path_ = dir_.filePath(QString("tone.") + GetParam().name);
        fixtures::writeTone(path_, GetParam().spec);
    }
    QTemporaryDir dir_;
    QString path_;
};

std::string caseName(const testing::TestParamInfo<FileCase>& info) {
    return info.param.name;
}

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

} // namespace

TEST_P(AudioReaderFile, DeliversTheToneAtTheChosenFormat) {
    const fixtures::ToneSpec& spec = GetParam().spec;
    const struct {
        int rate;
        int channels;
    } formats[] = {{48000, 2}, {22050, 1}, {44100, 2}};
    for (const auto& f : formats) {
        TAudioReader reader;
        ASSERT_TRUE(reader.OpenFile(path_, 0, 0, FirstAudioStream));
        EXPECT_NEAR(reader.Duration(), spec.seconds * 1000, 80);
        EXPECT_EQ(reader.SourceSamplesPerSecond(), uint32_t(spec.sampleRate));
        EXPECT_EQ(reader.SourceNumChannels(), uint32_t(spec.channels));
        ASSERT_TRUE(reader.SetFormat(f.rate, f.channels, 16));
        const auto pcm = readAll(reader, f.channels);
        const int frames = int(pcm.size()) / f.channels;
        EXPECT_NEAR(frames, spec.seconds * f.rate, 0.08 * f.rate) << f.rate;
        const int from = f.rate / 10, span = frames - 2 * from;
        for (int c = 0; c < f.channels; ++c) {
            const int16_t* middle = pcm.data() + size_t(from) * f.channels;
            EXPECT_NEAR(signals::frequency(middle, span, f.channels, f.rate, c), spec.hz, 1.0);
            EXPECT_NEAR(signals::rms(middle, span, f.channels, c), spec.level / std::sqrt(2.0),
                        0.03);
        }
        EXPECT_EQ(reader.Position(), reader.Duration());
    }
}

TEST_P(AudioReaderFile, SeeksAndEndOfStream) {
    TAudioReader reader;
    ASSERT_TRUE(reader.OpenFile(path_));
    ASSERT_TRUE(reader.SetFormat(48000, 2, 16));
    const int64_t duration = reader.Duration();
    reader.SetPosition(duration / 2);
    EXPECT_LE(reader.Position(), duration / 2);
    EXPECT_GE(reader.Position(), duration / 2 - 500);
    const auto rest = readAll(reader, 2);
    EXPECT_NEAR(int(rest.size()) / 2, (duration - duration / 2) * 48, 0.06 * 48000);
    // Past the decoder's restart after the jump:
    EXPECT_NEAR(signals::frequency(rest.data() + 4800, int(rest.size()) / 2 - 4800, 2, 48000),
                GetParam().spec.hz, 1.5);

    // A time past the end finds no sample: the reader is at the end and gives silence.
    reader.SetPosition(duration + 5000);
    EXPECT_EQ(reader.Position(), duration);
    std::vector<int16_t> block(2000, 7);
    uint32_t flags = 0;
    reader.LoadData(1000, reinterpret_cast<uint8_t*>(block.data()), flags);
    EXPECT_EQ(flags, ReaderEndOfStream);
    EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](int16_t s) { return s == 0; }));

    // And back to the start (the first block may start a little after 0: encoder delay).
    reader.SetPosition(0);
    EXPECT_LE(reader.Position(), 30);
    EXPECT_NEAR(int(readAll(reader, 2).size()) / 2, duration * 48, 0.06 * 48000);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AudioReaderFile,
    testing::Values(FileCase{"wav", {"wav", "pcm_s16le", 44100, 2, 1.0, 440, 0.5, false}},
                    FileCase{"mp3", {"mp3", "libmp3lame", 44100, 2, 1.0, 440, 0.5, false}},
                    FileCase{"m4a", {"ipod", "aac", 48000, 2, 1.0, 1000, 0.4, false}},
                    FileCase{"opus", {"ogg", "libopus", 48000, 1, 1.0, 440, 0.5, false}},
                    FileCase{"flac", {"flac", "flac", 22050, 1, 1.5, 300, 0.6, false}},
                    FileCase{"mp4", {"mp4", "aac", 44100, 2, 1.0, 440, 0.5, true}}),
    caseName);

TEST(AudioReader, VolumeTruncatesAndSaturates) {
    QTemporaryDir dir;
    const QString path = dir.filePath("loud.wav");
    fixtures::writeTone(path, {"wav", "pcm_s16le", 44100, 2, 0.5, 440, 0.9, false});
    TAudioReader plain, scaled;
    ASSERT_TRUE(plain.OpenFile(path) && plain.SetFormat(44100, 2, 16));
    ASSERT_TRUE(scaled.OpenFile(path) && scaled.SetFormat(44100, 2, 16));
    for (float volume : {0.5f, 2.0f, 1.0f}) {
        plain.SetPosition(0);
        scaled.SetPosition(0);
        scaled.SetVolume(volume);
        std::vector<int16_t> a(8000), b(8000);
        uint32_t flags = 0;
        plain.LoadData(4000, reinterpret_cast<uint8_t*>(a.data()), flags);
        scaled.LoadData(4000, reinterpret_cast<uint8_t*>(b.data()), flags);
        for (size_t i = 0; i < a.size(); ++i) {
            const double expected =
                volume == 1.0f ? a[i]
                               : std::clamp(std::trunc(a[i] * double(volume)), -32700.0, 32700.0);
            ASSERT_EQ(b[i], expected) << volume << " at " << i;
        }
    }
}

TEST(AudioReader, SpeedWithAndWithoutPitch) {
    QTemporaryDir dir;
    const QString path = dir.filePath("speed.wav");
    fixtures::writeTone(path, {"wav", "pcm_s16le", 44100, 2, 2.0, 500, 0.5, false});
    const struct {
        int speed;
        bool pitch;
        double hz;
    } cases[] = {{2000, true, 500}, {500, false, 250}, {1500, true, 500}, {1250, false, 625}};
    for (const auto& c : cases) {
        TAudioReader reader;
        ASSERT_TRUE(reader.OpenFile(path) && reader.SetFormat(44100, 2, 16));
        reader.SetSpeed(c.speed, c.pitch);
        const auto pcm = readAll(reader, 2);
        const int frames = int(pcm.size()) / 2;
        EXPECT_NEAR(frames, 88200.0 * 1000 / c.speed, 0.03 * 88200) << c.speed;
        EXPECT_NEAR(signals::frequency(pcm.data() + 8000, frames - 16000, 2, 44100), c.hz,
                    c.hz * 0.02)
            << c.speed;
    }
}

TEST(AudioReader, RefusesWhatItCannotRead) {
    QTemporaryDir dir;
    TAudioReader reader;
    EXPECT_FALSE(reader.OpenFile(dir.filePath("missing.wav")));
    EXPECT_FALSE(reader.IsValid());
    QFile junk(dir.filePath("junk.mp3"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(5000, 'x'));
    junk.close();
    EXPECT_FALSE(reader.OpenFile(junk.fileName()));
    EXPECT_FALSE(reader.SetFormat(44100, 2, 16));
    uint32_t flags = 7;
    int16_t untouched[4] = {1, 2, 3, 4};
    reader.LoadData(2, reinterpret_cast<uint8_t*>(untouched), flags);
    EXPECT_EQ(flags, 7u);
    EXPECT_EQ(untouched[0], 1);

    const QString tone = dir.filePath("t.wav");
    fixtures::writeTone(tone, {"wav", "pcm_s16le", 44100, 2, 0.2, 440, 0.5, false});
    ASSERT_TRUE(reader.OpenFile(tone));
    EXPECT_FALSE(reader.SetFormat(44100, 2, 24));
    EXPECT_FALSE(reader.SetFormat(44100, 0, 16));
    EXPECT_FALSE(reader.OpenFile(tone, 0, 0, 5)); // no stream 5
}
