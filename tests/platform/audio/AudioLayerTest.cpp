#include "platform/audio/DeviceEvents.h"
#include "platform/audio/Devices.h"
#include "platform/audio/Stream.h"
#include "tests/platform/audio/SoundServer.h"
#include "tests/support/AudioSignals.h"

#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

using namespace platform::audio;

namespace {

bool listed(const std::vector<DeviceInfo>& devices, const std::string& id) {
    return std::any_of(devices.begin(), devices.end(),
                       [&](const DeviceInfo& device) { return device.id == id; });
}

// Collects the events of one subscription and waits for a matching one.
class EventLog {
public:
    EventLog()
        : events_([this](const DeviceEvent& event) {
              std::lock_guard guard(mutex_);
              log_.push_back(event);
              changed_.notify_all();
          }) {}

    bool waitFor(DeviceEvent::Kind kind, const std::string& id, DeviceEvent* found = nullptr) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, std::chrono::seconds(5), [&] {
            for (const DeviceEvent& event : log_)
                if (event.kind == kind && event.device.id == id && event.flow == Flow::Render) {
                    if (found)
                        *found = event;
                    return true;
                }
            return false;
        });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<DeviceEvent> log_;
    DeviceEvents events_;
};

} // namespace

TEST(AudioDevices, ListsSinksSourcesAndMonitorsById) {
    SKIP_WITHOUT_SOUND_SERVER();
    EXPECT_TRUE(listed(listDevices(Flow::Render), "tavrin_null"));
    // A monitor is no recording device of its own, but is offered for loopback.
    EXPECT_FALSE(listed(listDevices(Flow::Capture), "tavrin_null.monitor"));
    EXPECT_TRUE(listed(listDevices(Flow::Capture, true), "tavrin_null.monitor"));
    const auto monitors = listMonitors();
    const auto it = std::find_if(monitors.begin(), monitors.end(),
                                 [](const DeviceInfo& d) { return d.id == "tavrin_null.monitor"; });
    ASSERT_NE(it, monitors.end());
    EXPECT_EQ(it->monitorOf, "tavrin_null");
    EXPECT_FALSE(it->name.empty());
    EXPECT_FALSE(defaultDeviceId(Flow::Render).empty());
    EXPECT_FALSE(findDevice(Flow::Render, "no such sink").has_value());
}

TEST(AudioDevices, VolumeIsSetAndReadBack) {
    SKIP_WITHOUT_SOUND_SERVER();
    soundserver::NullSink sink("tavrin_volume_sink");
    ASSERT_TRUE(sink.loaded());
    const struct {
        float set;
        float expected;
    } cases[] = {{0.5f, 0.5f}, {0.125f, 0.125f}, {0.0f, 0.0f}, {1.0f, 1.0f}, {1.7f, 1.0f}};
    for (const auto& c : cases) {
        ASSERT_TRUE(setDeviceVolume(Flow::Render, "tavrin_volume_sink", c.set));
        const auto volume = deviceVolume(Flow::Render, "tavrin_volume_sink");
        ASSERT_TRUE(volume.has_value());
        EXPECT_NEAR(volume->scalar, c.expected, 1e-4) << c.set;
        ASSERT_FALSE(volume->channels.empty());
        for (float channel : volume->channels)
            EXPECT_NEAR(channel, c.expected, 1e-4);
    }
    EXPECT_NEAR(volumeToDb(1.0f), 0.0, 1e-6);
    EXPECT_LT(volumeToDb(0.5f), 0.0);
    // A device that is not there is reported, never replaced by another one.
    EXPECT_FALSE(deviceVolume(Flow::Render, "no such sink").has_value());
    EXPECT_FALSE(setDeviceVolume(Flow::Render, "no such sink", 0.5f));
}

TEST(AudioDeviceEvents, ReportAddedChangedAndRemovedDevices) {
    SKIP_WITHOUT_SOUND_SERVER();
    EventLog log;
    soundserver::NullSink sink("tavrin_event_sink");
    ASSERT_TRUE(sink.loaded());
    EXPECT_TRUE(log.waitFor(DeviceEvent::Kind::Added, "tavrin_event_sink"));
    EXPECT_TRUE(listed(listDevices(Flow::Render), "tavrin_event_sink"));

    ASSERT_TRUE(setDeviceVolume(Flow::Render, "tavrin_event_sink", 0.25f));
    DeviceEvent changed;
    ASSERT_TRUE(log.waitFor(DeviceEvent::Kind::Changed, "tavrin_event_sink", &changed));

    sink.unload();
    EXPECT_TRUE(log.waitFor(DeviceEvent::Kind::Removed, "tavrin_event_sink"));
    EXPECT_FALSE(listed(listDevices(Flow::Render), "tavrin_event_sink"));
}

TEST(AudioStreams, ToneOnASinkIsHeardOnItsMonitor) {
    SKIP_WITHOUT_SOUND_SERVER();
    soundserver::NullSink sink("tavrin_tone_sink");
    ASSERT_TRUE(sink.loaded());
    const StreamFormat format{48000, 2};
    CaptureStream monitor(format, "tavrin_tone_sink.monitor");
    PlaybackStream playback(format, "tavrin_tone_sink", 500);
    EXPECT_EQ(playback.deviceId(), "tavrin_tone_sink");
    const auto tone = signals::sine(1000, 48000, 2, 48000, 0.5);
    size_t queued = 0;
    playback.start();
    std::vector<int16_t> heard;
    std::vector<int16_t> chunk(4800 * 2);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (heard.size() < 24000 * 2 && std::chrono::steady_clock::now() < deadline) {
        const size_t n = std::min(playback.writableBytes(), tone.size() * 2 - queued);
        ASSERT_TRUE(playback.write(reinterpret_cast<const char*>(tone.data()) + queued, n));
        queued += n;
        const size_t got = monitor.read(chunk.data(), chunk.size() * 2);
        // Keep what follows the first sound (the monitor starts with silence).
        for (size_t i = 0; i < got / 2; ++i)
            if (!heard.empty() || chunk[i] != 0)
                heard.push_back(chunk[i]);
        QThread::msleep(20);
    }
    ASSERT_GE(heard.size(), size_t(24000 * 2));
    EXPECT_NEAR(signals::frequency(heard.data(), 20000, 2, 48000), 1000.0, 2.0);
    const auto peak = *std::max_element(heard.begin(), heard.begin() + 40000);
    EXPECT_NEAR(peak, 16384, 400);
}

// The played time is what the device played: nothing before the start, and never more than was
// queued, however long the stream then waits.
TEST(AudioStreams, PlayedTimeCountsWhatWasPlayedNotWallTime) {
    SKIP_WITHOUT_SOUND_SERVER();
    soundserver::NullSink sink("tavrin_played_sink");
    ASSERT_TRUE(sink.loaded());
    const StreamFormat format{48000, 2};
    PlaybackStream playback(format, "tavrin_played_sink", 500);
    const auto tone = signals::sine(1000, 48000, 2, 48000 / 5, 0.5); // 200 ms
    ASSERT_TRUE(playback.write(tone.data(), tone.size() * 2));
    QThread::msleep(300);
    EXPECT_EQ(playback.playedMs(), 0) << "a paused stream plays nothing";
    playback.start();
    QThread::msleep(800);
    EXPECT_NEAR(double(playback.playedMs()), 200, 40);
}

TEST(AudioStreams, UnknownDeviceIsRefused) {
    SKIP_WITHOUT_SOUND_SERVER();
    EXPECT_THROW(PlaybackStream({44100, 2}, "no such sink"), AudioError);
    EXPECT_THROW(CaptureStream({44100, 2}, "no such source"), AudioError);
    EXPECT_THROW(PlaybackStream({0, 2}), AudioError);
}
