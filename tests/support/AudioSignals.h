// Test signals of the audio tests: sines in interleaved 16-bit PCM and what a test measures
// of them (frequency, level).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace signals {

// Interleaved 16-bit sine of `frames` frames, the same on every channel.
inline std::vector<int16_t> sine(double hz, int rate, int channels, int frames, double level) {
    std::vector<int16_t> samples(size_t(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const double v = level * 32767.0 * std::sin(2 * std::numbers::pi * hz * i / rate);
        for (int c = 0; c < channels; ++c)
            samples[size_t(i) * channels + c] = int16_t(std::lround(v));
    }
    return samples;
}

// The frequency of a tone from its rising zero crossings on one channel.
inline double frequency(const int16_t* samples, int frames, int channels, int rate,
                        int channel = 0) {
    int first = -1, last = -1, crossings = 0;
    for (int i = 1; i < frames; ++i) {
        if (samples[size_t(i - 1) * channels + channel] < 0 &&
            samples[size_t(i) * channels + channel] >= 0) {
            if (first < 0)
                first = i;
            else
                ++crossings;
            last = i;
        }
    }
    return crossings > 0 ? double(crossings) * rate / (last - first) : 0.0;
}

// The strongest frequency between `lowHz` and `highHz` (1-Hz steps) on one channel, by the
// Goertzel power at each step. Unlike zero crossings it is not thrown off by stretches of
// silence or by the noise a lossy codec leaves in them.
inline double dominantFrequency(const int16_t* samples, int frames, int channels, int rate,
                                int lowHz, int highHz, int channel = 0) {
    double best = 0, bestPower = -1;
    for (int hz = lowHz; hz <= highHz; ++hz) {
        const double k = 2 * std::cos(2 * std::numbers::pi * hz / rate);
        double s1 = 0, s2 = 0;
        for (int i = 0; i < frames; ++i) {
            const double s0 = samples[size_t(i) * channels + channel] + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - k * s1 * s2;
        if (power > bestPower)
            bestPower = power, best = hz;
    }
    return best;
}

// The root-mean-square level of one channel over a range of frames, 1.0 = full scale.
inline double rms(const int16_t* samples, int frames, int channels, int channel = 0) {
    double sum = 0;
    for (int i = 0; i < frames; ++i) {
        const double v = samples[size_t(i) * channels + channel] / 32767.0;
        sum += v * v;
    }
    return frames > 0 ? std::sqrt(sum / frames) : 0.0;
}

} // namespace signals
