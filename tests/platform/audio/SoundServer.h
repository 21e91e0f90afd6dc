// Helpers of the tests that need the sound server scripts/test starts (with the null sink
// "tavrin_null"): a skip when none answers, and loading and unloading extra null sinks.
#pragma once

#include "platform/audio/Connection.h"

#include <QProcess>
#include <QString>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace soundserver {

inline bool answers() {
    try {
        platform::audio::Connection::shared();
        return true;
    } catch (const platform::audio::AudioError&) {
        return false;
    }
}

#define SKIP_WITHOUT_SOUND_SERVER()                                                                \
    if (!soundserver::answers())                                                                   \
    GTEST_SKIP() << "no sound server (scripts/test starts one)"

// Runs pactl with these arguments; returns its output, empty on failure.
inline QString pactl(const QStringList& arguments) {
    QProcess process;
    process.start("pactl", arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// A null sink that lives as long as the object.
class NullSink {
public:
    explicit NullSink(const QString& name)
        : module_(pactl({"load-module", "module-null-sink", "sink_name=" + name,
                         "sink_properties=device.description=" + name})) {}
    ~NullSink() { unload(); }
    bool loaded() const { return !module_.isEmpty(); }
    void unload() {
        if (loaded())
            pactl({"unload-module", module_});
        module_.clear();
    }

private:
    QString module_;
};

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

// The frequency of a tone from its rising zero crossings on channel 0.
inline double frequency(const int16_t* samples, int frames, int channels, int rate) {
    int first = -1, last = -1, crossings = 0;
    for (int i = 1; i < frames; ++i) {
        if (samples[size_t(i - 1) * channels] < 0 && samples[size_t(i) * channels] >= 0) {
            if (first < 0)
                first = i;
            else
                ++crossings;
            last = i;
        }
    }
    return crossings > 0 ? double(crossings) * rate / (last - first) : 0.0;
}

} // namespace soundserver
