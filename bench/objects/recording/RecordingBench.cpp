// A screen recording played through its object, in frames per second: every frame of a
// desktop-like ".tvf" recording (written by the capture engines' file writer) decoded, run
// through the render chain with the pointer from its cursor track and composited on the canvas,
// as the editor's playback and the export do. Full HD and 4K.
#include "bench/support/DesktopContent.h"
#include "capture/UVideoWriterTVC.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URDX12Base.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropCursor.h"
#include "objects/kinds/URKindsRegistry.h"
#include "objects/kinds/URScreenRecorder.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>

using namespace platform::render;

namespace {

constexpr int FrameMs = 33;

void Put32(QByteArray& bytes, uint32_t value) {
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

// A 32 x 32 pointer that moves across the picture, with a left release every second.
QByteArray CursorTrack(int width, int height, int frames) {
    QByteArray bytes;
    Put32(bytes, 1);
    for (uint32_t v : {82u, 32u, 32u, 128u, 0u, 0u, 128u * 32u})
        Put32(bytes, v);
    for (int i = 0; i < 32 * 32; ++i)
        Put32(bytes, 0xC0FFFFFF);
    Put32(bytes, uint32_t(frames));
    for (int f = 0; f < frames; ++f)
        for (uint32_t v : {uint32_t(f * FrameMs), uint32_t(f * 17 % width),
                           uint32_t(f * 11 % height), f % 30 == 29 ? 2u : 0u, 0u})
            Put32(bytes, v);
    return bytes;
}

void BM_RecordingPlayback(benchmark::State& state) {
    const int width = int(state.range(0)) * 16 / 9, height = int(state.range(0));
    const int frames = int(state.range(1));
    SetDefaultSettings(SettingsRecord);
    SetSettingsSaveEnabled(false);
    RegisterEngineKinds();
    RegisterDrawableKinds();
    InitDX();
    for (const TRCustomEffectRegistration& r : CustomEffectRegistrations())
        r.registerEffect();
    QTemporaryDir folder;
    TRProject project;
    project.TempFolder = folder.path() + '/';
    {
        const DesktopContent desktop(width, height);
        std::vector<uint8_t> picture(size_t(width) * height * 4);
        TVideoWriterTVC writer;
        if (!writer.StartWrite(width, height, 10, 1000, project.TempFolder + "screen")) {
            state.SkipWithError("cannot write the recording");
            return;
        }
        for (int f = 0; f < frames; ++f) {
            desktop.frame(f, picture.data());
            writer.AddFrame(picture.data(), width * 4, f * FrameMs);
        }
        writer.StopWrite(frames * FrameMs);
        QFile track(project.TempFolder + "screen.tcf");
        track.open(QIODevice::WriteOnly);
        track.write(CursorTrack(width, height, frames));
    }
    project.SetProjectSize(width, height);
    std::int32_t w = 0, h = 0;
    TRObject* selected = nullptr;
    if (!project.AddScreenRecorder(true, false, false, false, w, h, selected) || !selected) {
        state.SkipWithError("cannot load the recording");
        return;
    }
    selected->Get<TRPropCursor>(ptCursor, true)->SetChecked(true);
    const BitmapPtr target =
        Bitmap::create({uint32_t(width), uint32_t(height)},
                       {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    int frame = 0;
    for (auto _ : state) {
        D2DContext->setTarget(target);
        D2DContext->beginDraw();
        D2DContext->setTransform(Matrix3x2::translation(width / 2.0f, height / 2.0f));
        project.PaintOnVideo(frame * FrameMs, 0);
        D2DContext->endDraw();
        frame = (frame + 1) % frames;
    }
    D2DContext->setTarget(nullptr);
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_RecordingPlayback)
    ->Args({1080, 90})
    ->Args({2160, 30})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
