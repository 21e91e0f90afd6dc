// Saving and opening a project of 500 objects with a media file each, beside copying the same
// files with QFile::copy in the same run. Each media file is TAVRIN_BENCH_SAVE_KB kilobytes (64
// by default).
#include "core/URProject.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "objects/URObjectsRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int ObjectCount = 500;

bool Registered() {
    RegisterEngineKinds();
    return true;
}

struct SavedProject {
    SavedProject() {
        SetSettingsSaveEnabled(false);
        SetServerMessageSink([](const QString&, bool) { return QString(); });
        TempRoot = dir.path() + "/QMBTemp/";
        project.TempFolder = NewProjectTempFolder();
        const int kilobytes = qEnvironmentVariableIntValue("TAVRIN_BENCH_SAVE_KB");
        const QByteArray media((kilobytes > 0 ? kilobytes : 64) * 1024, 'm');
        for (int i = 0; i < ObjectCount; ++i) {
            auto object = CreateObjectOfType(&project, otShape + i % (otEnd - otShape));
            object->SetMediaName(QString("media%1.mp4").arg(i));
            object->SetTimeStartField(i * 100);
            object->SetTimeEnd(i * 100 + 5000);
            object->AddNewTransformation(1000);
            object->AddNewTransformation(3000);
            QFile file(project.TempFolder + object->MediaName());
            file.open(QIODevice::WriteOnly);
            file.write(media);
            bytes += media.size();
            project.AddObject(std::move(object));
        }
        QDir().mkpath(target());
        project.SaveToFile(package());
    }
    QString target() const { return dir.path() + "/out/"; }
    QString package() const { return target() + "Bench.qmb"; }

    bool registered = Registered();
    QTemporaryDir dir;
    TRProject project;
    std::int64_t bytes = 0;
};

SavedProject& Fixture() {
    static SavedProject fixture;
    return fixture;
}

void BM_SaveProject(benchmark::State& state) {
    SavedProject& f = Fixture();
    for (auto _ : state)
        if (!f.project.SaveToFile(f.package()).isEmpty())
            state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * f.bytes);
}

void BM_OpenProject(benchmark::State& state) {
    SavedProject& f = Fixture();
    for (auto _ : state) {
        TRProject opened;
        if (!opened.OpenFromFile(f.package()).isEmpty())
            state.SkipWithError("open failed");
        state.PauseTiming();
        DeleteTempFolder(opened.TempFolder);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.bytes);
}

// The same media files and description copied one by one into a fresh folder.
void BM_CopyFilesQFile(benchmark::State& state) {
    SavedProject& f = Fixture();
    const QStringList names = QDir(f.project.TempFolder).entryList(QDir::Files);
    for (auto _ : state) {
        const QString copy = f.dir.path() + "/copy/";
        QDir().mkpath(copy);
        for (const QString& name : names)
            if (name != "project.qmb")
                QFile::copy(f.project.TempFolder + name, copy + name);
        state.PauseTiming();
        QDir(copy).removeRecursively();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.bytes);
}

} // namespace

BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyFilesQFile)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
