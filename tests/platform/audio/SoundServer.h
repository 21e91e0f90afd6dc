// Helpers of the tests that need the sound server scripts/test starts (with the null sink
// "tavrin_null"): a skip when none answers, and loading and unloading extra null sinks.
#pragma once

#include "platform/audio/Connection.h"
#include "platform/audio/Stream.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QThread>
#include <cstdint>
#include <gtest/gtest.h>
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

// A null sink that lives as long as the object. A sink mixes a stream that starts while it plays
// by rewriting what it had already rendered ahead, but its monitor has already passed that on:
// a short sound there is heard cut, or not at all. `Rewinds::Off` mixes new streams in after
// what was rendered instead, so the monitor hears every sound whole, a little later.
class NullSink {
public:
    enum class Rewinds { On, Off };
    explicit NullSink(const QString& name, Rewinds rewinds = Rewinds::On)
        : module_(pactl({"load-module", "module-null-sink", "sink_name=" + name,
                         "sink_properties=device.description=" + name,
                         rewinds == Rewinds::Off ? "norewinds=1" : "norewinds=0"})) {}
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

// What `sink` plays, read from its monitor at 44,100 Hz stereo from the first sound on, until
// `frames` frames were heard or 6 s passed.
inline std::vector<int16_t> heardOnMonitor(const QString& sink, int frames) {
    platform::audio::CaptureStream monitor({44100, 2}, (sink + ".monitor").toStdString());
    std::vector<int16_t> heard, chunk(8820);
    QElapsedTimer timer;
    timer.start();
    while (heard.size() < size_t(frames) * 2 && timer.elapsed() < 6000) {
        const size_t got = monitor.read(chunk.data(), chunk.size() * 2) / 2;
        for (size_t i = 0; i < got; ++i)
            if (!heard.empty() || chunk[i] != 0)
                heard.push_back(chunk[i]);
        QThread::msleep(20);
    }
    return heard;
}

} // namespace soundserver
