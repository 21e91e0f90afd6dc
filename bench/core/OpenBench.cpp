// Opening and saving projects of 1,000, 10,000 and 100,000 objects and one object of 20,000
// keyframes, beside reading the same project.xml with QXmlStreamReader alone. Time and peak
// memory ("peak_MB": how far the run raised the resident high-water mark above what was
// resident before it, the saved project held for the benches excluded) should grow linearly
// with the objects.
#include "core/URProject.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "objects/URObjectsRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <benchmark/benchmark.h>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

constexpr int KeyframeProject = 0; // the argument that stands for one object of 20,000 keyframes
constexpr int ManyKeyframes = 20000;

void Register() {
    static const bool done = [] {
        SetDefaultSettings(SettingsRecord);
        SetSettingsSaveEnabled(false);
        SetServerMessageSink([](const QString&, bool) { return QString(); });
        RegisterEngineKinds();
        return true;
    }();
    (void)done;
}

// A figure of /proc/self/status ("VmRSS:", "VmHWM:") in megabytes.
double StatusMB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(field.size())) / 1024.0;
    return 0;
}

// Resets the resident high-water mark to what is resident now and returns that, so that each
// run reports its own peak above it. Memory freed before (building the fixture) is handed back
// first, or the run would reuse it unseen.
double ResetPeakMemory() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusMB("VmRSS:");
}

struct SavedProject {
    explicit SavedProject(int objects) {
        Register();
        TempRoot = dir.path() + "/QMBTemp/";
        project = std::make_unique<TRProject>();
        project->TempFolder = NewProjectTempFolder();
        if (objects == KeyframeProject) {
            auto object = CreateObjectOfType(project.get(), otShape);
            object->SetTimeEnd(ManyKeyframes * 100);
            for (int k = 1; k < ManyKeyframes; ++k)
                object->AddNewTransformation(k * 100);
            project->AddObject(std::move(object));
        }
        for (int i = 0; i < objects; ++i) {
            auto object = CreateObjectOfType(project.get(), otShape + i % (otEnd - otShape));
            object->SetTimeStartField(i * 100);
            object->SetTimeEnd(i * 100 + 5000);
            object->AddNewTransformation(1000);
            project->AddObject(std::move(object));
        }
        QDir().mkpath(dir.path() + "/out/");
        if (!project->SaveToFile(package()).isEmpty())
            throw std::runtime_error("cannot save the bench project");
        QFile description(project->TempFolder + "project.xml");
        description.open(QIODevice::ReadOnly);
        xml = description.readAll();
    }
    QString package() const { return dir.path() + "/out/Bench.qmb"; }

    QTemporaryDir dir;
    std::unique_ptr<TRProject> project;
    QByteArray xml;
};

// One size in memory at a time: the project of the last size asked for.
SavedProject& Fixture(int objects) {
    static int size = -1;
    static std::unique_ptr<SavedProject> fixture;
    if (size != objects) {
        fixture.reset();
        fixture = std::make_unique<SavedProject>(objects);
        size = objects;
    }
    return *fixture;
}

void Report(benchmark::State& state, const SavedProject& f, double residentBefore) {
    state.counters["peak_MB"] = StatusMB("VmHWM:") - residentBefore;
    state.counters["xml_MB"] = double(f.xml.size()) / (1 << 20);
}

void BM_OpenProject(benchmark::State& state, int objects) {
    SavedProject& f = Fixture(objects);
    const double resident = ResetPeakMemory();
    for (auto _ : state) {
        TRProject opened;
        opened.TempFolder = NewProjectTempFolder();
        if (!opened.OpenFromFile(f.package()).isEmpty())
            state.SkipWithError("open failed");
        state.PauseTiming();
        DeleteTempFolder(opened.TempFolder);
        state.ResumeTiming();
    }
    Report(state, f, resident);
}

void BM_SaveProject(benchmark::State& state, int objects) {
    SavedProject& f = Fixture(objects);
    const double resident = ResetPeakMemory();
    for (auto _ : state)
        if (!f.project->SaveToFile(f.package()).isEmpty())
            state.SkipWithError("save failed");
    Report(state, f, resident);
}

// Every token of the same description read by QXmlStreamReader, nothing built.
void BM_BareXmlParse(benchmark::State& state, int objects) {
    SavedProject& f = Fixture(objects);
    const double resident = ResetPeakMemory();
    for (auto _ : state) {
        QXmlStreamReader reader(f.xml);
        qint64 tokens = 0;
        while (!reader.atEnd()) {
            reader.readNext();
            tokens += reader.attributes().size() + 1;
        }
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(state.iterations() * f.xml.size());
    Report(state, f, resident);
}

} // namespace

// Registered size by size, so that one project is built and held at a time.
int main(int argc, char** argv) {
    for (int objects : {1000, 10000, 100000, KeyframeProject}) {
        const std::string size = objects == KeyframeProject
                                     ? std::to_string(ManyKeyframes) + "_keyframes"
                                     : std::to_string(objects) + "_objects";
        using Bench = void (*)(benchmark::State&, int);
        const std::pair<const char*, Bench> benches[] = {{"BM_BareXmlParse/", BM_BareXmlParse},
                                                         {"BM_OpenProject/", BM_OpenProject},
                                                         {"BM_SaveProject/", BM_SaveProject}};
        for (const auto& [name, function] : benches)
            benchmark::RegisterBenchmark((std::string(name) + size).c_str(), function, objects)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
