// Packing and unpacking a project package of media files, beside `cp` and `tar` doing the same
// job on the same files in the same run. The size is TAVRIN_BENCH_PACK_MB megabytes (1024 by
// default) spread over eight files.
#include "core/UPackFiles.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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

void reportBytes(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * media().totalBytes);
}

void BM_PackTo(benchmark::State& state) {
    const QString file = media().dir.path() + "/packed.qmb";
    for (auto _ : state)
        if (!media().pack(file))
            state.SkipWithError("packing failed");
    QFile::remove(file);
    reportBytes(state);
}

void BM_Extract(benchmark::State& state) {
    for (auto _ : state) {
        TPackFiles unpacker(nullptr);
        if (!unpacker.Extract(media().package(), media().target()))
            state.SkipWithError("extraction failed");
    }
    QDir(media().target()).removeRecursively();
    reportBytes(state);
}

void BM_CpFiles(benchmark::State& state) {
    QDir().mkpath(media().target());
    for (auto _ : state)
        run("cp", QStringList(media().files) << media().target());
    QDir(media().target()).removeRecursively();
    reportBytes(state);
}

void BM_TarCreate(benchmark::State& state) {
    const QString archive = media().dir.path() + "/packed.tar";
    for (auto _ : state)
        run("tar", {"-cf", archive, "-C", media().source(), "."});
    QFile::remove(archive);
    reportBytes(state);
}

void BM_TarExtract(benchmark::State& state) {
    const QString archive = media().dir.path() + "/unpack.tar";
    run("tar", {"-cf", archive, "-C", media().source(), "."});
    QDir().mkpath(media().target());
    for (auto _ : state)
        run("tar", {"-xf", archive, "-C", media().target()});
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
