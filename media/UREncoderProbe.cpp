#include "media/UREncoderProbe.h"

#include "core/URUtils.h"
#include "media/UMFApi.h"
#include "media/UMFEncoderH264.h"
#include "media/UMFencoderWEBP.h"
#include "media/UMFencoderWMV.h"
#include "media/URExportFormats.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <future>
#include <mutex>

using platform::media::EncodedFormat;
using platform::media::EncoderCatalog;

namespace {

enum ProbeResult {
    prH264,
    prH264Hw,
    prHevc,
    prHevcHw,
    prWmv,
    prGif,
    prWebP,
    prM4a,
    prWav,
    prMp3,
    prListHevc
};

std::mutex gProbeLock;
std::shared_future<TEncoderProbeResults> gProbe; // the one probe, running or done
int gGeneration = 0;                             // moved on by every reset (UI thread)
bool gProbeDone = false;                         // UI thread only
std::atomic<int> gProbeRuns{0};

// One test encode with the probe's settings; the encoder removes its test file again.
bool TestEncode(TMFEncoder&& encoder, bool hardware = false) {
    encoder.UseHardware = hardware;
    encoder.SetParams(640, 480, 30, 80, false, 44100, 96, TempRoot + QStringLiteral("test"));
    return encoder.TestEncode() == MF_S_OK;
}

void Publish(const TEncoderProbeResults& results) {
    for (int row = 0; row < ExportFormatCount; ++row)
        ExportFormatTable[size_t(row)].Enabled = results[size_t(row)];
    ExportFormatTable[2].ShowWhenUnavailable = results[prListHevc];
    gProbeDone = true;
}

TEncoderProbeResults RunOnWorker(int generation) {
    StartupMF();
    const TEncoderProbeResults results = TestEncoders();
    ShutdownMF();
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            application,
            [results, generation] {
                if (generation == gGeneration)
                    Publish(results);
            },
            Qt::QueuedConnection);
    return results;
}

} // namespace

bool FindHardwareVideoEncoder(EncodedFormat format) {
    return EncoderCatalog::instance().find(format, true).has_value();
}

TEncoderProbeResults TestEncoders() {
    ++gProbeRuns;
    TEncoderProbeResults results{};
    results[prH264] = true;
    results[prH264Hw] =
        FindHardwareVideoEncoder(EncodedFormat::H264) && TestEncode(TMFEncoderH264Ex(), true);
    results[prHevc] = TestEncode(TMFEncoderH265());
    // Listing the HEVC row while it cannot be used only helps where a codec can be installed
    // from a store; here its absence is final.
    results[prListHevc] = false;
    results[prHevcHw] =
        FindHardwareVideoEncoder(EncodedFormat::Hevc) && TestEncode(TMFEncoderH265(), true);
    results[prWmv] = TestEncode(TMFEncoderWMV());
    results[prGif] = true;
    results[prWebP] = TestEncode(TMFEncoderWEBP());
    results[prM4a] = true;
    results[prWav] = true;
    const auto mp3 = EncoderCatalog::instance().find(EncodedFormat::Mp3, false);
    results[prMp3] = mp3 && mp3->encoder == "libmp3lame";
    return results;
}

void TestEncodersASync() {
    const std::lock_guard lock(gProbeLock);
    if (gProbe.valid())
        return;
    try {
        gProbe = std::async(std::launch::async, RunOnWorker, gGeneration).share();
    } catch (const std::system_error&) {
        // Without a worker the start values stay until a caller probes synchronously.
    }
}

bool GetHardwareH264Available() {
    if (!gProbeDone) {
        std::promise<TEncoderProbeResults> own;
        std::shared_future<TEncoderProbeResults> probe;
        bool mine = false;
        {
            const std::lock_guard lock(gProbeLock);
            if (!gProbe.valid()) {
                gProbe = own.get_future().share();
                mine = true;
            }
            probe = gProbe;
        }
        if (mine)
            own.set_value(TestEncoders());
        Publish(probe.get());
    }
    return ExportFormatTable[1].Enabled;
}

bool EncoderProbeDone() {
    return gProbeDone;
}

int EncoderProbeRuns() {
    return gProbeRuns;
}

void ResetEncoderProbe() {
    std::shared_future<TEncoderProbeResults> probe;
    {
        const std::lock_guard lock(gProbeLock);
        probe = std::exchange(gProbe, {});
    }
    if (probe.valid())
        probe.wait();
    ++gGeneration;
    ExportFormatTable = InitialExportFormatTable();
    gProbeDone = false;
}
