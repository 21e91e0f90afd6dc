#include "media/UAudioLoudness.h"
#include "tests/support/AudioSignals.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

// The waveform and loudness of 48 kHz stereo PCM written out plainly from their definition,
// over the whole signal at once, to check the incremental builder against.
struct Reference {
    std::vector<uint8_t> data;
    std::vector<float> loudness;
};

Reference reference(const std::vector<int16_t>& pcm, int64_t durationMs) {
    Reference r;
    const int64_t bytes = durationMs * 60 / 1000, n = durationMs / 100;
    r.data.assign(size_t(bytes), 0);
    r.loudness.assign(size_t(n + 1), 0.0f);
    auto at = [&](int64_t frame, int c) -> int16_t {
        const size_t k = size_t(frame) * 2 + c;
        return k < pcm.size() ? pcm[k] : 0;
    };
    for (int64_t i = 0; i < bytes; ++i) {
        int peak = 0;
        for (int64_t f = 800 * i; f < 800 * (i + 1); ++f)
            for (int c = 0; c < 2; ++c)
                peak = std::max(peak, std::abs(int(at(f, c))));
        r.data[size_t(i)] = uint8_t(std::trunc(float(double(peak * 100) / 32767.0)));
    }
    // Direct form I per channel: states in single precision, each stage in double.
    float x[2][3] = {}, y[2][3] = {}, z[2][3] = {};
    float sum = 0;
    for (int64_t f = 0; f < bytes * 800; ++f) {
        for (int c = 0; c < 2; ++c) {
            x[c][0] = float(at(f, c) / 32767.0);
            y[c][0] = float(1.53512485958697 * x[c][0] - 2.69169618940638 * x[c][1] +
                            1.19839281085285 * x[c][2] + 1.69065929318241 * y[c][1] -
                            0.73248077421585 * y[c][2]);
            z[c][0] = float(y[c][0] - 2.0 * y[c][1] + y[c][2] + 1.99004745483398 * z[c][1] -
                            0.99007225036621 * z[c][2]);
            sum = sum + z[c][0] * z[c][0];
            for (auto* s : {x[c], y[c], z[c]}) {
                s[2] = s[1];
                s[1] = s[0];
            }
        }
        if ((f + 1) % 4800 == 0 && (f + 1) / 4800 - 1 < n) {
            r.loudness[size_t((f + 1) / 4800 - 1)] = sum / 4800.0f;
            sum = 0;
        }
    }
    for (int64_t i = 0; i + 4 <= n; ++i) {
        const float s = float(double(r.loudness[size_t(i)]) + r.loudness[size_t(i + 1)] +
                              r.loudness[size_t(i + 2)] + r.loudness[size_t(i + 3)]);
        r.loudness[size_t(i)] = s / 4.0f;
    }
    r.loudness[size_t(n)] = 1.0f;
    return r;
}

TAudioAnalysis analyse(const std::vector<int16_t>& pcm, int64_t durationMs) {
    TAudioAnalysis analysis(durationMs);
    std::vector<int16_t> chunk(800 * 2);
    for (int64_t i = 0; i < analysis.ChunkCount(); ++i) {
        std::fill(chunk.begin(), chunk.end(), 0);
        const size_t from = size_t(i) * 1600;
        if (from < pcm.size())
            std::copy(pcm.begin() + from, pcm.begin() + std::min(pcm.size(), from + 1600),
                      chunk.begin());
        analysis.AddChunk(i, chunk.data());
    }
    analysis.Finish();
    return analysis;
}

float measure(const std::vector<int16_t>& pcm, int startMs, int endMs) {
    TLoudnessMeter meter;
    for (size_t at = 0; at + 9600 <= pcm.size(); at += 9600)
        meter.AddSegment(pcm.data() + at);
    return GatedLoudness(meter.Segments(), startMs, endMs);
}

// Stereo PCM with different tones on the two channels and a burst of noise.
std::vector<int16_t> mixedSignal(int frames) {
    auto left = signals::sine(997, 48000, 1, frames, 0.9);
    auto right = signals::sine(60, 48000, 1, frames, 0.3);
    std::vector<int16_t> pcm(size_t(frames) * 2);
    uint32_t seed = 1;
    for (int i = 0; i < frames; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int noise = i > frames / 2 && i < frames / 2 + 20000 ? int(seed >> 20) - 2048 : 0;
        pcm[2 * size_t(i)] = left[size_t(i)];
        pcm[2 * size_t(i) + 1] = int16_t(right[size_t(i)] + noise);
    }
    if (pcm.size() > 1000)
        pcm[1000] = -32768;
    return pcm;
}

} // namespace

TEST(AudioLoudnessCaches, MatchAPlainImplementationBitForBit) {
    const struct {
        int64_t durationMs;
        int frames; // decoded frames; fewer than the duration means the stream ended early
    } cases[] = {{10000, 480000}, {95, 4560}, {2345, 80000}, {401, 19248}, {0, 0}};
    for (const auto& c : cases) {
        const auto pcm = mixedSignal(c.frames);
        auto analysis = analyse(pcm, c.durationMs);
        const Reference expected = reference(pcm, c.durationMs);
        ASSERT_EQ(analysis.Data(), expected.data) << c.durationMs;
        ASSERT_EQ(analysis.Loudness().size(), expected.loudness.size());
        EXPECT_EQ(std::memcmp(analysis.Loudness().data(), expected.loudness.data(),
                              expected.loudness.size() * 4),
                  0)
            << c.durationMs;
        EXPECT_EQ(analysis.Loudness().back(), 1.0f);
    }
}

TEST(AudioLoudnessCaches, SizesPeaksAndSilence) {
    EXPECT_EQ(WaveFormBytes(10000), 600);
    EXPECT_EQ(LoudnessValues(10000), 101);
    EXPECT_EQ(WaveFormBytes(95), 5);
    EXPECT_EQ(LoudnessValues(95), 1);
    EXPECT_EQ(WaveFormValue(32768), 100);
    EXPECT_EQ(WaveFormValue(32767), 100);
    EXPECT_EQ(WaveFormValue(16384), 50);
    EXPECT_EQ(WaveFormValue(0), 0);
    auto silent = analyse(std::vector<int16_t>(480000 * 2, 0), 10000);
    EXPECT_TRUE(
        std::all_of(silent.Data().begin(), silent.Data().end(), [](uint8_t v) { return v == 0; }));
}

// The K-weighting's own response: a high-pass below about 100 Hz and a shelf of about +4 dB
// above 2 kHz, so that equal tones read quieter at 50 and 100 Hz and louder at 10 kHz than at
// 997 Hz (which reads 0 at full scale on both channels).
TEST(AudioMeasureLoudness, KWeightingResponse) {
    const struct {
        int hz;
        double lufs;
    } points[] = {{50, -4.63}, {100, -1.82}, {500, -0.65}, {997, 0.0}, {2000, 2.38}, {10000, 3.35}};
    for (const auto& p : points)
        EXPECT_NEAR(measure(signals::sine(p.hz, 48000, 2, 48000 * 3, 1.0), 0, 3000), p.lufs, 0.1)
            << p.hz << " Hz";
}

TEST(AudioMeasureLoudness, GatedIntegratedLoudness) {
    const int frames = 48000 * 3;
    const auto both = signals::sine(997, 48000, 2, frames, 1.0);
    EXPECT_NEAR(measure(both, 0, 3000), 0.0, 0.1);
    auto one = both;
    for (size_t i = 1; i < one.size(); i += 2)
        one[i] = 0;
    EXPECT_NEAR(measure(one, 0, 3000), -3.0, 0.1);
    EXPECT_EQ(measure(std::vector<int16_t>(size_t(frames) * 2, 0), 0, 3000), NoLoudness);
    EXPECT_EQ(measure(signals::sine(997, 48000, 2, 48000 * 39 / 100, 1.0), 0, 1000), NoLoudness);
    // An end beyond the stream is limited to the last whole block; a start after the end
    // measures nothing.
    EXPECT_EQ(measure(both, 0, 100000), measure(both, 0, 2600));
    EXPECT_EQ(measure(both, 2000, 1000), NoLoudness);
    EXPECT_NEAR(measure(both, -500, 3000), measure(both, 0, 3000), 1e-6);
}
