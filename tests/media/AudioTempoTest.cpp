#include "media/UMFAudioResampler.h"
#include "tests/support/AudioSignals.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// Feeds `in` to the tempo changer in pieces of `piece` frames, then flushes it.
std::vector<int16_t> changeTempo(TMFAudioResampler& r, const std::vector<int16_t>& in, int channels,
                                 int piece) {
    std::vector<int16_t> out;
    const int frames = int(in.size()) / channels;
    for (int at = 0; at < frames; at += piece)
        r.ResamplePreservePitch(in.data() + size_t(at) * channels,
                                uint32_t(std::min(piece, frames - at)), out);
    r.Flush(out);
    return out;
}

std::vector<int16_t> resampleLinear(TMFAudioResampler& r, const std::vector<int16_t>& in,
                                    int channels, int piece) {
    std::vector<int16_t> out;
    const int frames = int(in.size()) / channels;
    for (int at = 0; at < frames; at += piece)
        r.Resample(in.data() + size_t(at) * channels, uint32_t(std::min(piece, frames - at)), out);
    return out;
}

void writeWav(const QString& path, const std::vector<int16_t>& samples) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const TWaveFormat format = TWaveFormat::Pcm16(44100, 2);
    ASSERT_TRUE(WriteWavHeader(format, file));
    file.write(reinterpret_cast<const char*>(samples.data()), qint64(samples.size() * 2));
    ASSERT_TRUE(WriteWavHeader(format, file));
}

std::vector<int16_t> readWavData(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll().mid(WavHeaderSize);
    std::vector<int16_t> samples(size_t(data.size()) / 2);
    std::memcpy(samples.data(), data.constData(), samples.size() * 2);
    return samples;
}

struct TempoCase {
    int rate;
    int channels;
    int tempo;
    int piece; // frames per call, some above the hop so several windows fall in one call
};

class AudioTempo : public testing::TestWithParam<TempoCase> {};

} // namespace

TEST_P(AudioTempo, KeepsPitchAndLevelScalesLengthLosesNothing) {
    const TempoCase c = GetParam();
    const int frames = c.rate * 2;
    const auto in = signals::sine(440, c.rate, c.channels, frames, 0.5);
    TMFAudioResampler r;
    r.SetParams(c.rate, c.rate, c.channels, c.channels, c.tempo);
    const auto out = changeTempo(r, in, c.channels, c.piece);
    const int outFrames = int(out.size()) / c.channels;
    const double expected = double(frames) * 1000 / c.tempo;
    EXPECT_NEAR(outFrames, expected, expected * 0.001 + 2);
    // Away from the fade-in from silence at the start:
    const int from = r.TempoWindow(), span = outFrames - 2 * from;
    EXPECT_NEAR(
        signals::frequency(out.data() + size_t(from) * c.channels, span, c.channels, c.rate), 440.0,
        440 * 0.02);
    EXPECT_NEAR(signals::rms(out.data() + size_t(from) * c.channels, span, c.channels),
                0.5 / std::sqrt(2.0), 0.05);
    for (int ch = 1; ch < c.channels; ++ch)
        EXPECT_EQ(signals::rms(out.data(), outFrames, c.channels, ch),
                  signals::rms(out.data(), outFrames, c.channels, 0));
}

INSTANTIATE_TEST_SUITE_P(
    RatesChannelsSpeeds, AudioTempo,
    testing::Values(TempoCase{44100, 2, 1000, 1000}, TempoCase{44100, 2, 2000, 2000},
                    TempoCase{44100, 1, 500, 500}, TempoCase{48000, 2, 1500, 1500},
                    TempoCase{48000, 1, 750, 9000}, TempoCase{22050, 2, 1250, 20000},
                    TempoCase{44100, 2, 3000, 44100}, TempoCase{48000, 2, 250, 250}));

TEST(AudioTempoChanger, UnchangedTempoReproducesEveryFrameAfterTheFadeIn) {
    const auto in = signals::sine(1000, 44100, 2, 10000, 0.8);
    TMFAudioResampler r;
    r.SetParams(44100, 44100, 2, 2, 1000);
    EXPECT_EQ(r.TempoWindow(), 3616);
    EXPECT_EQ(r.TempoCrossFade(), 529);
    EXPECT_EQ(r.TempoHop(), 3087);
    const auto out = changeTempo(r, in, 2, 1000);
    ASSERT_EQ(out.size(), in.size()); // the tail is flushed: nothing lost
    const size_t fade = size_t(r.TempoCrossFade()) * 2;
    EXPECT_TRUE(std::equal(out.begin() + fade, out.end(), in.begin() + fade));
    std::vector<int16_t> none;
    EXPECT_EQ(r.ResamplePreservePitch(in.data(), 0, none), 0u);
}

TEST(AudioLinearResampler, EqualRatesReproduceEveryFrameAsAPair) {
    const auto in = signals::sine(300, 44100, 1, 1000, 0.7);
    TMFAudioResampler r;
    r.SetParams(44100, 44100, 1, 2, 1000, TMFAudioResampler::TEngine::Linear);
    const auto out = resampleLinear(r, in, 1, 1000);
    ASSERT_EQ(out.size(), in.size() * 2);
    for (size_t i = 0; i < in.size(); ++i) {
        EXPECT_EQ(out[2 * i], in[i]);
        EXPECT_EQ(out[2 * i + 1], in[i]);
    }
}

TEST(AudioLinearResampler, HalfRateKeepsEveryOtherFrameFromTheFirst) {
    std::vector<int16_t> in;
    for (int i = 0; i < 20; ++i)
        in.insert(in.end(), {int16_t(i * 10), int16_t(-i * 10)});
    TMFAudioResampler r;
    r.SetParams(48000, 24000, 2, 2, 1000, TMFAudioResampler::TEngine::Linear);
    const auto out = resampleLinear(r, in, 2, 20);
    ASSERT_EQ(out.size(), 20u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(out[2 * i], i * 20);
        EXPECT_EQ(out[2 * i + 1], -i * 20);
    }
}

TEST(AudioLinearResampler, PiecesJoinWithoutClicks) {
    // 48 kHz to 44.1 kHz interpolates; the previous pair carries over from call to call, so
    // converting in pieces gives exactly what one call gives.
    const auto in = signals::sine(1000, 48000, 2, 48000, 0.9);
    TMFAudioResampler whole, pieces;
    whole.SetParams(48000, 44100, 2, 2, 1000, TMFAudioResampler::TEngine::Linear);
    pieces.SetParams(48000, 44100, 2, 2, 1000, TMFAudioResampler::TEngine::Linear);
    const auto a = resampleLinear(whole, in, 2, 48000);
    const auto b = resampleLinear(pieces, in, 2, 441);
    EXPECT_EQ(a, b);
    EXPECT_NEAR(int(a.size()) / 2, 44100, 2);
    EXPECT_NEAR(signals::frequency(a.data(), int(a.size()) / 2, 2, 44100), 1000.0, 1.0);
}

TEST(AudioLinearResampler, ManyChannelsAndMonoOutput) {
    std::vector<int16_t> six = {600, 600, 600, 600, 600, 600, -5, 5, 1, 1, 1, 1};
    TMFAudioResampler r;
    r.SetParams(44100, 44100, 6, 2, 1000, TMFAudioResampler::TEngine::Linear);
    std::vector<int16_t> out;
    ASSERT_EQ(r.Resample(six.data(), 2, out), 2u);
    EXPECT_EQ(out, (std::vector<int16_t>{600, 600, 0, 0})); // each channel divided, truncating
    TMFAudioResampler mono;
    mono.SetParams(44100, 44100, 2, 1, 1000, TMFAudioResampler::TEngine::Linear);
    const int16_t pair[2] = {100, 300};
    out.clear();
    ASSERT_EQ(mono.Resample(pair, 1, out), 1u);
    EXPECT_EQ(out, std::vector<int16_t>{200});
}

TEST(AudioWavHeader, SizesAndTheRealFormat) {
    QTemporaryDir dir;
    QFile file(dir.filePath("a.wav"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const TWaveFormat format = TWaveFormat::Pcm16(48000, 1);
    ASSERT_TRUE(WriteWavHeader(format, file));
    EXPECT_EQ(file.pos(), 46);
    QByteArray header = file.peek(0);
    file.seek(0);
    header = file.read(46);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(header.constData() + 4), 0u);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(header.constData() + 42), 0u);
    file.write(QByteArray(176400, '\1'));
    ASSERT_TRUE(WriteWavHeader(format, file));
    file.seek(0);
    header = file.read(46);
    EXPECT_EQ(header.left(4), "RIFF");
    EXPECT_EQ(header.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(header.mid(38, 4), "data");
    EXPECT_EQ(qFromLittleEndian<uint32_t>(header.constData() + 4), 176438u);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(header.constData() + 16), 18u);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(header.constData() + 20), 1u);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(header.constData() + 22), 1u);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(header.constData() + 24), 48000u);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(header.constData() + 28), 96000u);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(header.constData() + 32), 2u);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(header.constData() + 34), 16u);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(header.constData() + 42), 176400u);
}

TEST(AudioWavSpeed, TempoAndResampledCopies) {
    QTemporaryDir dir;
    const QString source = dir.filePath("in.wav"), dest = dir.filePath("out.wav");
    writeWav(source, signals::sine(500, 44100, 2, 88200, 0.5));
    const struct {
        int speed;
        bool pitch;
        double hz;
    } cases[] = {{2000, true, 500}, {500, true, 500}, {2000, false, 1000}, {1250, false, 625}};
    for (const auto& c : cases) {
        ASSERT_TRUE(ChangeWavSpeed(source, dest, 0, c.speed, c.pitch));
        const auto out = readWavData(dest);
        const int frames = int(out.size()) / 2;
        EXPECT_NEAR(frames, 88200.0 * 1000 / c.speed, 88200.0 * 1000 / c.speed * 0.002 + 2)
            << c.speed << c.pitch;
        EXPECT_NEAR(signals::frequency(out.data() + 8000, frames - 16000, 2, 44100), c.hz,
                    c.hz * 0.02)
            << c.speed << c.pitch;
    }
    ASSERT_TRUE(ChangeWavSpeed(source, dest, 88200 * 4 + 400, 1500, true));
    EXPECT_EQ(QFile(dest).size(), 46);
    EXPECT_FALSE(ChangeWavSpeed(dir.filePath("missing.wav"), dest, 0, 1500, true));
    EXPECT_FALSE(ChangeWavSpeed(source, dest, 0, 0, true));
}

namespace {

struct RateCase {
    int sourceRate, destRate, sourceChannels, destChannels;
};

class AudioLibraryResampler : public testing::TestWithParam<RateCase> {};

} // namespace

TEST_P(AudioLibraryResampler, SineKeepsFrequencyLevelAndLength) {
    const RateCase c = GetParam();
    const auto in = signals::sine(440, c.sourceRate, c.sourceChannels, c.sourceRate * 2, 0.5);
    TMFAudioResampler r;
    r.SetParams(c.sourceRate, c.destRate, c.sourceChannels, c.destChannels, 1000);
    ASSERT_FALSE(r.UsesLinear());
    std::vector<int16_t> out;
    // Less than 1/30 s comes out only with the next whole chunk.
    EXPECT_EQ(r.Resample(in.data(), uint32_t(c.sourceRate / 30 - 1), out), 0u);
    const int frames = int(in.size()) / c.sourceChannels;
    for (int at = c.sourceRate / 30 - 1; at < frames; at += 1000)
        r.Resample(in.data() + size_t(at) * c.sourceChannels, uint32_t(std::min(1000, frames - at)),
                   out);
    r.Flush(out);
    const int outFrames = int(out.size()) / c.destChannels;
    EXPECT_NEAR(outFrames, c.destRate * 2, 2); // nothing held back at the end
    const int from = c.destRate / 10, span = outFrames - 2 * from;
    for (int ch = 0; ch < c.destChannels; ++ch) {
        const int16_t* middle = out.data() + size_t(from) * c.destChannels;
        EXPECT_NEAR(signals::frequency(middle, span, c.destChannels, c.destRate, ch), 440.0, 0.5);
        // Mono spreads at full level; several channels fold into fewer without clipping.
        EXPECT_GT(signals::rms(middle, span, c.destChannels, ch), 0.5 / std::sqrt(2.0) * 0.45);
        EXPECT_LT(signals::rms(middle, span, c.destChannels, ch), 0.5 / std::sqrt(2.0) * 1.05);
    }
}

INSTANTIATE_TEST_SUITE_P(RatesAndChannels, AudioLibraryResampler,
                         testing::Values(RateCase{44100, 48000, 2, 2}, RateCase{48000, 44100, 2, 2},
                                         RateCase{22050, 44100, 1, 2}, RateCase{8000, 48000, 1, 1},
                                         RateCase{48000, 44100, 6, 2}, RateCase{44100, 22050, 2, 1},
                                         RateCase{44100, 44100, 2, 2}));
