// Moving the index of an MP4 file to its front, beside the cp command line copying the same
// file: the rewrite reads and writes every byte once, so it should take about as long as a
// copy. Both start from the same fresh copy of the file and replace it, so both pay for
// dropping the old blocks and for the write-back the file system starts when a file's whole
// content is replaced (ext4 does on rename over a file and on close after truncation). The
// file holds TAVRIN_BENCH_FASTSTART_MB megabytes of media data (1024 by default) and
// an index of two tracks with one chunk per 64 KiB.
#include "export/URFastStartMP4.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <string>
#include <unistd.h>

namespace {

std::string BE32(uint64_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string Box(const std::string& type, const std::string& payload) {
    return BE32(payload.size() + 8) + type + payload;
}

std::string Track(uint64_t firstChunk, uint64_t mediaBytes) {
    std::string table = BE32(0) + BE32(mediaBytes / 65536);
    for (uint64_t at = 0; at + 65536 <= mediaBytes; at += 65536)
        table += BE32(firstChunk + at);
    return Box("trak", Box("mdia", Box("minf", Box("stbl", Box("stco", table)))));
}

struct Source {
    Source() {
        const qint64 megabytes = qEnvironmentVariableIntValue("TAVRIN_BENCH_FASTSTART_MB");
        mediaBytes = uint64_t(megabytes > 0 ? megabytes : 1024) << 20;
        const std::string ftyp = Box("ftyp", "isom" + BE32(0x200) + "isomavc1");
        const uint64_t firstChunk = ftyp.size() + 8;
        QFile file(master());
        file.open(QIODevice::WriteOnly);
        file.write(ftyp.data(), qint64(ftyp.size()));
        file.write(QByteArray::fromStdString(BE32(mediaBytes + 8) + "mdat"));
        QByteArray block(1 << 20, '\x5a');
        for (uint64_t written = 0; written < mediaBytes; written += uint64_t(block.size()))
            file.write(block);
        const std::string moov =
            Box("moov", Track(firstChunk, mediaBytes) + Track(firstChunk + 32768, mediaBytes));
        file.write(moov.data(), qint64(moov.size()));
        // Written back now, not during whichever run comes first.
        file.flush();
        ::fdatasync(file.handle());
        bytes = qint64(file.size());
    }
    QString master() const { return dir.filePath("master.mp4"); }
    QString copy() const { return dir.filePath("video.mp4"); }
    // A fresh copy of the file with its index at the end.
    void reset() const {
        QFile::remove(copy());
        QFile::copy(master(), copy());
    }

    QTemporaryDir dir;
    uint64_t mediaBytes = 0;
    qint64 bytes = 0;
};

Source& source() {
    static Source prepared;
    return prepared;
}

void FastStartMP4Rewrite(benchmark::State& state) {
    Source& prepared = source();
    for (auto _ : state) {
        state.PauseTiming();
        prepared.reset();
        state.ResumeTiming();
        FastStartMP4(prepared.dir.path() + '/', "video.mp4");
    }
    QFile result(prepared.copy());
    if (!result.open(QIODevice::ReadOnly) || result.read(32).mid(28, 4) != "moov")
        state.SkipWithError("the index was not moved");
    state.SetBytesProcessed(state.iterations() * prepared.bytes);
}

void CpCommandLineCopy(benchmark::State& state) {
    Source& prepared = source();
    for (auto _ : state) {
        state.PauseTiming();
        prepared.reset();
        state.ResumeTiming();
        if (QProcess::execute("cp", {prepared.master(), prepared.copy()}) != 0)
            state.SkipWithError("cp failed");
    }
    state.SetBytesProcessed(state.iterations() * prepared.bytes);
}

} // namespace

BENCHMARK(FastStartMP4Rewrite)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(CpCommandLineCopy)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_MAIN();
