#include "media/UAudioReader.h"
#include "media/URAudioExporter.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int Grid = 1470; // audio frames per grid frame at 30 fps

std::vector<int16_t> wavData(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll().mid(46);
    std::vector<int16_t> samples(size_t(data.size()) / 2);
    std::memcpy(samples.data(), data.constData(), samples.size() * 2);
    return samples;
}

// A clip's sound at 44.1 kHz stereo, decoded by a reader of its own.
std::vector<int16_t> decode(const QString& name, int frames) {
    TAudioReader reader;
    EXPECT_TRUE(reader.OpenFile(name) && reader.SetFormat(44100, 2, 16));
    std::vector<int16_t> pcm(size_t(frames) * 2);
    uint32_t flags = 0;
    reader.LoadData(uint32_t(frames), reinterpret_cast<uint8_t*>(pcm.data()), flags);
    return pcm;
}

struct Clip {
    fixtures::ToneSpec spec;
    uint32_t begin, end, fadeIn, fadeOut;
    float volume;
};

class AudioMixDown : public testing::Test {
protected:
    QString make(const char* name, const fixtures::ToneSpec& spec) {
        const QString path = dir_.filePath(name);
        fixtures::writeTone(path, spec);
        return path;
    }
    QTemporaryDir dir_;
};

// The gain of grid frame k as the fades define it.
double gain(const Clip& c, uint32_t k) {
    if (k < c.fadeIn && c.begin < c.fadeIn)
        return float(double(c.volume) * (k - c.begin) / (c.fadeIn - c.begin));
    if (k > c.fadeOut && c.end > c.fadeOut)
        return float(double(c.volume) * (c.end - k) / (c.end - c.fadeOut));
    return c.volume;
}

} // namespace

TEST_F(AudioMixDown, ThreeClipsOfDifferentRatesAndVolumesAddUp) {
    const Clip clips[] = {
        {{"flac", "flac", 22050, 1, 2.0, 300, 0.3, false}, 0, 40, 3, 30, 0.5f},
        {{"wav", "pcm_s16le", 44100, 2, 2.0, 440, 0.3, false}, 10, 50, 10, 50, 1.0f},
        {{"ipod", "aac", 48000, 2, 2.0, 1000, 0.3, false}, 45, 70, 50, 60, 0.8f},
    };
    TRAudioExporter exporter;
    exporter.TempPath = dir_.path();
    exporter.FrameEnd = 80;
    std::vector<std::unique_ptr<TAudioReader>> readers;
    std::vector<std::vector<int16_t>> decoded;
    int n = 0;
    for (const Clip& c : clips) {
        const QString path =
            make(("clip" + std::to_string(n++) + "." + c.spec.muxer).c_str(), c.spec);
        decoded.push_back(decode(path, int(c.end - c.begin + 1) * Grid));
        readers.push_back(std::make_unique<TAudioReader>());
        ASSERT_TRUE(readers.back()->OpenFile(path) && readers.back()->SetFormat(44100, 2, 16));
        exporter.AddSound(readers.back().get(), c.begin, c.end, c.fadeIn, c.fadeOut, c.volume);
    }
    ASSERT_TRUE(exporter.Save());
    const auto mixed = wavData(exporter.FileName());
    ASSERT_EQ(mixed.size(), size_t(81 * Grid * 2));
    // Every sample is the sum of the clips' samples, each scaled by its frame's gain and
    // truncated (the levels are low enough that nothing saturates).
    for (uint32_t k = 0; k <= 80; ++k)
        for (int i = 0; i < Grid * 2; i += 97) {
            int expected = 0;
            for (size_t c = 0; c < 3; ++c)
                if (k >= clips[c].begin && k <= clips[c].end) {
                    const int16_t s = decoded[c][size_t(k - clips[c].begin) * Grid * 2 + size_t(i)];
                    expected += int(std::trunc(double(s) * float(gain(clips[c], k))));
                }
            ASSERT_EQ(mixed[size_t(k) * Grid * 2 + size_t(i)], expected)
                << "frame " << k << " sample " << i;
        }
    // The first fade starts from silence and steps by thirds.
    const auto first = decode(dir_.filePath("clip0.flac"), 4 * Grid);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(mixed[size_t(k) * Grid * 2 + 500],
                  int(std::trunc(double(first[size_t(k) * Grid * 2 + 500]) *
                                 float(0.5 * std::min(k, 3) / 3))));
}

TEST_F(AudioMixDown, SilenceAroundSoundsAndSaturation) {
    const QString loud = make("loud.wav", {"wav", "pcm_s16le", 44100, 2, 2.0, 50, 1.0, false});
    TAudioReader a, b;
    ASSERT_TRUE(a.OpenFile(loud) && a.SetFormat(44100, 2, 16));
    ASSERT_TRUE(b.OpenFile(loud) && b.SetFormat(44100, 2, 16));
    TRAudioExporter exporter;
    exporter.TempPath = dir_.path();
    exporter.FrameEnd = 60;
    exporter.AddSound(&a, 10, 29, 10, 29, 1.0f);
    exporter.AddSound(&b, 10, 29, 10, 29, 1.0f);
    ASSERT_TRUE(exporter.Save());
    const auto mixed = wavData(exporter.FileName());
    ASSERT_EQ(mixed.size(), size_t(61 * Grid * 2));
    EXPECT_TRUE(std::all_of(mixed.begin(), mixed.begin() + 10 * Grid * 2,
                            [](int16_t s) { return s == 0; }));
    EXPECT_TRUE(
        std::all_of(mixed.begin() + 30 * Grid * 2, mixed.end(), [](int16_t s) { return s == 0; }));
    const auto [low, high] = std::minmax_element(mixed.begin(), mixed.end());
    EXPECT_EQ(*high, 32700); // two full-scale sounds add up to the limit, never wrap
    EXPECT_EQ(*low, -32700);

    TRAudioExporter empty;
    empty.TempPath = dir_.path();
    empty.FrameEnd = 7;
    ASSERT_TRUE(empty.Save());
    EXPECT_EQ(QFile(empty.FileName()).size(), 46 + 8 * Grid * 4);
}

TEST_F(AudioMixDown, ClicksAndTheirSample) {
    const QString click = make("click.wav", {"wav", "pcm_s16le", 44100, 2, 0.05, 2000, 0.8, false});
    TRAudioExporter exporter(click);
    ASSERT_EQ(exporter.ClickSoundData().size(), size_t(2205 * 2));
    exporter.TempPath = dir_.path();
    exporter.FrameEnd = 10;
    exporter.AddMouseClickSound(5, 0.5f);
    ASSERT_TRUE(exporter.Save());
    const auto mixed = wavData(exporter.FileName());
    ASSERT_EQ(mixed.size(), size_t(11 * Grid * 2));
    const auto& sample = exporter.ClickSoundData();
    for (size_t i = 0; i < sample.size(); i += 13)
        ASSERT_EQ(mixed[5 * Grid * 2 + i], int(std::trunc(double(sample[i]) * 0.5f))) << i;
    EXPECT_EQ(mixed[5 * Grid * 2 - 1], 0);

    TRAudioExporter silent(dir_.filePath("no-click.wav"));
    EXPECT_TRUE(silent.ClickSoundData().empty());
}

TEST(AudioFrameGrid, FrameRatesCarryTheirRemainder) {
    for (int fps : {24, 25, 30, 48, 50, 60}) {
        const TAudioFrameGrid grid(44100, fps);
        const int64_t hour = 3600LL * fps;
        EXPECT_EQ(grid.FrameStart(hour), 3600LL * 44100) << fps;
        const int64_t low = 44100 / fps, high = (44100 + fps - 1) / fps;
        int64_t sum = 0;
        for (int64_t k = 0; k < hour; ++k) {
            const int64_t length = grid.FrameLength(k);
            ASSERT_TRUE(length == low || length == high) << fps << " frame " << k;
            sum += length;
        }
        EXPECT_EQ(sum, 3600LL * 44100) << fps;
        EXPECT_EQ(grid.FrameOf(grid.FrameStart(1234)), 1234);
        EXPECT_EQ(grid.FrameOf(grid.FrameStart(1234) - 1), 1233);
    }
    const TAudioFrameGrid ntsc(48000, 30000, 1001);
    EXPECT_EQ(ntsc.FrameStart(30000), 1001LL * 48000);
}

TEST(AudioMixDownLength, AMinuteAtEachFrameRateIsExact) {
    QTemporaryDir dir;
    for (int fps : {24, 25, 30, 48, 50, 60}) {
        TRAudioExporter exporter({}, fps);
        exporter.TempPath = dir.path();
        exporter.FrameEnd = uint32_t(60 * fps - 1);
        ASSERT_TRUE(exporter.Save());
        EXPECT_EQ(QFile(exporter.FileName()).size(), 46 + 60LL * 44100 * 4) << fps;
    }
}
