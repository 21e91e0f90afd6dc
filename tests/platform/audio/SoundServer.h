// Helpers of the tests that need the sound server scripts/test starts (with the null sink
// "tavrin_null"): a skip when none answers, and loading and unloading extra null sinks.
#pragma once

#include "platform/audio/Connection.h"

#include <QProcess>
#include <QString>
#include <gtest/gtest.h>

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

} // namespace soundserver
