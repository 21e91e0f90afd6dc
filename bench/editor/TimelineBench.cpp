// One paint of the editor's timeline (1600 x 630, 20 tracks) with 500 clips, at the zoom
// levels 1 (1 px/s: every clip in sight), 14 (120 px/s) and 20 (300 px/s), in paints per
// second. The goal is under 8 ms a paint.
#include "core/URProject.h"
#include "core/URScenePaint.h"
#include "core/URSettings.h"
#include "editor/ui/UEditor.h"
#include "objects/URObjectsRegistry.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/Factory.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace platform::render;

namespace {

DeviceContext* Context = nullptr;

void BM_TimelinePaint(benchmark::State& state) {
    const int level = int(state.range(0));
    DeviceContextPtr dc = DeviceContext::create(Factory::create());
    Context = dc.get();
    SceneContextHook = [] { return Context; };
    TRProject project;
    for (int i = 0; i < 500; ++i) {
        TRObject* clip = project.AddObject(CreateObjectOfType(&project, otShape));
        clip->SetObjectName(QString("Clip %1").arg(i));
        clip->SetTrack(i % 20);
        clip->SetTimeStartField((i / 20) * 3000);
        clip->SetTimeEnd((i / 20) * 3000 + 2500);
    }
    project.SetTimeEnd(80000);
    QWidget panel;
    panel.resize(1600, 230);
    TRTimeline timeline(&panel);
    timeline.setGeometry(0, 0, 1600, 630);
    timeline.SetProject(&project);
    timeline.PixelPS = TimelineZoomLevels[level];
    timeline.PlayHead = 4000;
    timeline.SelectionStart = 1000;
    timeline.SelectionEnd = 3000;
    BitmapPtr target = Bitmap::create(
        SizeU{1600, 630}, BitmapProperties{AlphaMode::Ignore, 96, 96, BitmapOptions::Target});
    dc->setTarget(target);
    for (auto _ : state) {
        dc->beginDraw();
        timeline.Paint();
        dc->endDraw();
        benchmark::DoNotOptimize(target->image().constBits());
    }
    state.counters["paints/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(QString("%1 px/s").arg(timeline.PixelPS).toStdString());
    SceneContextHook = nullptr;
}
BENCHMARK(BM_TimelinePaint)->Arg(1)->Arg(14)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
