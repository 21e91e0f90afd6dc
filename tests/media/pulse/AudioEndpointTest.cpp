#include "media/UMFApi.h"
#include "media/UMFAudioApi.h"
#include "platform/system/Messages.h"
#include "tests/platform/audio/SoundServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

bool hasDevice(const TMFDeviceInfoArray& devices, const QString& id) {
    return std::any_of(devices.begin(), devices.end(),
                       [&](const TMFDeviceInfo& d) { return d.DeviceId == id; });
}

} // namespace

TEST(AudioEndpoints, DevicesLoopbackAndDefault) {
    SKIP_WITHOUT_SOUND_SERVER();
    EXPECT_TRUE(hasDevice(GetAudioDevices(eRender), "tavrin_null"));
    EXPECT_FALSE(hasDevice(GetAudioDevices(eCapture), "tavrin_null.monitor"));
    EXPECT_EQ(GetLoopbackDeviceId("tavrin_null"), "tavrin_null.monitor");
    EXPECT_TRUE(GetLoopbackDeviceId("no such sink").isEmpty());
    LoadMF();
    ASSERT_TRUE(MFAvailable);
    EXPECT_TRUE(IsDefaultAudioDeviceUsable(eRender));
    MFAvailable = false; // without the media layer no device is usable
    EXPECT_FALSE(IsDefaultAudioDeviceUsable(eRender));
    MFAvailable = true;
    {
        soundserver::NullSink sink("tavrin_listed_sink");
        ASSERT_TRUE(sink.loaded());
        EXPECT_TRUE(hasDevice(GetAudioDevices(eRender), "tavrin_listed_sink"));
    }
    EXPECT_FALSE(hasDevice(GetAudioDevices(eRender), "tavrin_listed_sink"));
}

TEST(AudioEndpoints, VolumeByIdOrNameAndNotFound) {
    SKIP_WITHOUT_SOUND_SERVER();
    soundserver::NullSink first("tavrin_twin_a"), second("tavrin_twin_b");
    ASSERT_TRUE(first.loaded() && second.loaded());
    // Both carry their own id as their name; a name shared by two goes to the first.
    EXPECT_EQ(GetAudioDeviceId(eRender, "tavrin_twin_b"), "tavrin_twin_b");
    ASSERT_EQ(SetAudioDeviceVolume(eRender, "tavrin_twin_a", 0.25f), AudioDeviceOk);
    ASSERT_EQ(SetAudioDeviceVolume(eRender, "tavrin_twin_b", 0.75f), AudioDeviceOk);
    float volume = -1;
    int mute = -1;
    ASSERT_EQ(GetAudioDeviceVolume(eRender, "tavrin_twin_a", volume, mute), AudioDeviceOk);
    EXPECT_NEAR(volume, 0.25f, 1e-4);
    EXPECT_EQ(mute, 0);
    ASSERT_EQ(GetAudioDeviceVolume(eRender, "tavrin_twin_b", volume, mute), AudioDeviceOk);
    EXPECT_NEAR(volume, 0.75f, 1e-4);

    // A device that is not there is reported and the default device is left alone.
    float before = 0, after = 0;
    GetAudioDeviceVolume(eRender, "tavrin_null", before, mute);
    EXPECT_EQ(SetAudioDeviceVolume(eRender, "no such device", 0.1f), AudioDeviceNotFound);
    EXPECT_EQ(GetAudioDeviceVolume(eRender, "no such device", volume, mute), AudioDeviceNotFound);
    EXPECT_EQ(volume, 0.0f);
    GetAudioDeviceVolume(eRender, "tavrin_null", after, mute);
    EXPECT_EQ(before, after);
}

TEST(AudioEndpoints, ReportListsRecordingThenPlayback) {
    SKIP_WITHOUT_SOUND_SERVER();
    QStringList report;
    GetAudioDevicesReport(report);
    ASSERT_GE(report.size(), 4);
    EXPECT_TRUE(report.front().startsWith("Recording devices: "));
    const int playback = int(report.indexOf(QRegularExpression("^Playback devices: \\d+$")));
    ASSERT_GT(playback, 0);
    const auto line = report.indexOf(QRegularExpression("^.* : tavrin_null : 00000001$"));
    ASSERT_GT(line, playback);
    EXPECT_TRUE(report[line + 1].startsWith("IAudioEndpointVolume: "));
    EXPECT_TRUE(report[line + 1].contains("|ch=2 :"));
}

TEST(AudioEndpoints, VolumeChangesArePosted) {
    SKIP_WITHOUT_SOUND_SERVER();
    soundserver::NullSink sink("tavrin_notify_sink");
    ASSERT_TRUE(sink.loaded());
    platform::system::MessageReceiver window;
    std::vector<std::pair<int64_t, int64_t>> posted;
    window.on(platform::system::msg::EndpointVolumeChange,
              [&](int64_t w, int64_t l) { posted.emplace_back(w, l); });
    TMFVolumeCallback callback(eRender, "tavrin_notify_sink", &window);
    auto waitFor = [&](std::pair<int64_t, int64_t> wanted) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (std::find(posted.begin(), posted.end(), wanted) != posted.end())
                return true;
        }
        return false;
    };
    ASSERT_EQ(SetAudioDeviceVolume(eRender, "tavrin_notify_sink", 0.125f), AudioDeviceOk);
    EXPECT_TRUE(waitFor({12, 0})); // 12.5 rounds to even
    ASSERT_EQ(SetAudioDeviceVolume(eRender, "tavrin_notify_sink", 0.5f), AudioDeviceOk);
    EXPECT_TRUE(waitFor({50, 0}));
    soundserver::pactl({"set-sink-mute", "tavrin_notify_sink", "1"});
    EXPECT_TRUE(waitFor({50, 1}));
    callback.OnNotify(0.125f, true);
    EXPECT_TRUE(waitFor({12, 1}));
}
