#include "FfmpegRawRun.h"

#include "Stopwatch.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

bool WriteRaw(const QImage& picture, const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()) ==
               picture.sizeInBytes();
}

} // namespace

bool RunFfmpegOnRawFrames(benchmark::State& state, const QImage& picture,
                          const QStringList& filterArgs, int frames) {
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) {
        state.SkipWithError("ffmpeg not found");
        return false;
    }
    QTemporaryDir dir;
    const QString raw = dir.filePath("frame.bgra");
    if (!WriteRaw(picture, raw)) {
        state.SkipWithError("cannot write the raw frame");
        return false;
    }
    const QStringList args =
        QStringList{"-v",           "error",
                    "-f",           "rawvideo",
                    "-pix_fmt",     "bgra",
                    "-s",           QString("%1x%2").arg(picture.width()).arg(picture.height()),
                    "-stream_loop", QString::number(frames - 1),
                    "-i",           raw} +
        filterArgs + QStringList{"-f", "null", "-"};
    for (auto _ : state) {
        const Stopwatch watch;
        QProcess process;
        process.start(ffmpeg, args);
        if (!process.waitForFinished(-1) || process.exitCode() != 0) {
            state.SkipWithError("ffmpeg failed");
            return false;
        }
        state.SetIterationTime(watch.seconds());
    }
    return true;
}
