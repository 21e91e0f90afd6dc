// Packing and unpacking a project package of media files, beside `cp` and `tar` doing the same
// job on the same files in the same run (the program's speed as a share of cp's is printed).
// The size is TAVRIN_BENCH_PACK_MB megabytes (1024 by default) spread over eight files.
#include "bench/support/Stopwatch.h"
#include "core/UPackFiles.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <functional>

namespace {

constexpr int FileCount = 8;

struct MediaFiles {
    MediaFiles() {
        const qint64 megabytes = qEnvironmentVariableIntValue("TAVRIN_BENCH_PACK_MB");
        totalBytes = (megabytes > 0 ? megabytes : 1024) * 1024 * 1024;
        QDir().mkpath(source());
        QByteArray block(1 << 20, 0);
        QRandomGenerator generator(7);
        generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        for (int i = 0; i < FileCount; ++i) {
            QFile file(source() + QString("/m%1_Clip.mp4").arg(i));
            file.open(QIODevice::WriteOnly);
            for (qint64 written = 0; written < totalBytes / FileCount; written += block.size())
                file.write(block);
            files << file.fileName();
        }
        SetSettingsSaveEnabled(false);
        SetServerMessageSink([](const QString&, bool) { return QString(); });
        pack(package());
    }
    QString source() const { return dir.path() + "/src"; }
    QString package() const { return dir.path() + "/project.qmb"; }
    QString target() const { return dir.path() + "/out"; }
    bool pack(const QString& file) const {
        TPackFiles packer(nullptr);
        for (const QString& name : files)
            packer.AddFile(name);
        packer.ComputeFileSize();
        return packer.PackTo(file);
    }

    QTemporaryDir dir;
    QStringList files;
    qint64 totalBytes = 0;
};

MediaFiles& media() {
    static MediaFiles files;
    return files;
}

void run(const QString& program, const QStringList& arguments) {
    QProcess::execute(program, arguments);
}

// Writes back what earlier runs left dirty, outside the timing, so that no run pays for the
// one before it.
void settle(benchmark::State& state) {
    state.PauseTiming();
    run("sync", {});
    state.ResumeTiming();
}

void reportBytes(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * media().totalBytes);
}

// Mean seconds of the work of a benchmark's runs (the settling left out), for the comparison
// with cp.
double& packSeconds() {
    static double seconds = 0;
    return seconds;
}

double& extractSeconds() {
    static double seconds = 0;
    return seconds;
}

double timedRuns(benchmark::State& state, const std::function<bool()>& work) {
    double seconds = 0;
    for (auto _ : state) {
        settle(state);
        const Stopwatch timer;
        if (!work())
            state.SkipWithError("the work failed");
        seconds += timer.seconds();
    }
    reportBytes(state);
    return seconds / double(std::max<int64_t>(state.iterations(), 1));
}

void BM_PackTo(benchmark::State& state) {
    const QString file = media().dir.path() + "/packed.qmb";
    packSeconds() = timedRuns(state, [&] { return media().pack(file); });
    QFile::remove(file);
}

void BM_Extract(benchmark::State& state) {
    extractSeconds() = timedRuns(state, [] {
        TPackFiles unpacker(nullptr);
        return unpacker.Extract(media().package(), media().target());
    });
    QDir(media().target()).removeRecursively();
}

// Reports the program's speed as a share of cp's: 1 is as fast as cp.
void BM_CpFiles(benchmark::State& state) {
    QDir().mkpath(media().target());
    const double seconds = timedRuns(state, [] {
        run("cp", QStringList(media().files) << media().target());
        return true;
    });
    QDir(media().target()).removeRecursively();
    if (packSeconds() > 0 && extractSeconds() > 0) {
        state.counters["pack speed / cp"] = seconds / packSeconds();
        state.counters["extract speed / cp"] = seconds / extractSeconds();
    }
}

void BM_TarCreate(benchmark::State& state) {
    const QString archive = media().dir.path() + "/packed.tar";
    for (auto _ : state) {
        settle(state);
        run("tar", {"-cf", archive, "-C", media().source(), "."});
    }
    QFile::remove(archive);
    reportBytes(state);
}

void BM_TarExtract(benchmark::State& state) {
    const QString archive = media().dir.path() + "/unpack.tar";
    run("tar", {"-cf", archive, "-C", media().source(), "."});
    QDir().mkpath(media().target());
    for (auto _ : state) {
        settle(state);
        run("tar", {"-xf", archive, "-C", media().target()});
    }
    QFile::remove(archive);
    QDir(media().target()).removeRecursively();
    reportBytes(state);
}

} // namespace

BENCHMARK(BM_PackTo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Extract)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CpFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TarCreate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TarExtract)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
