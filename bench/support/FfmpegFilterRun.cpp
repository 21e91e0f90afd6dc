#include "bench/support/FfmpegFilterRun.h"

#include "bench/support/Stopwatch.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

FfmpegFilterRun::FfmpegFilterRun(const QImage& picture, int frames, const QString& filterComplex)
    : program_(QStandardPaths::findExecutable("ffmpeg")), frames_(frames) {
    if (program_.isEmpty()) {
        problem_ = "ffmpeg not found";
        return;
    }
    const QImage bgra = picture.convertToFormat(QImage::Format_ARGB32);
    const QString raw = dir_.filePath("frame.bgra");
    QFile file(raw);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bgra.constBits()), bgra.sizeInBytes()) !=
            bgra.sizeInBytes()) {
        problem_ = "cannot write the raw frame";
        return;
    }
    args_ = {"-v",
             "error",
             "-f",
             "rawvideo",
             "-pix_fmt",
             "bgra",
             "-s",
             QString("%1x%2").arg(bgra.width()).arg(bgra.height()),
             "-stream_loop",
             QString::number(frames - 1),
             "-i",
             raw,
             "-filter_complex",
             filterComplex,
             "-f",
             "null",
             "-"};
}

double FfmpegFilterRun::RunSeconds() const {
    const Stopwatch watch;
    QProcess process;
    process.start(program_, args_);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return -1;
    return watch.seconds();
}
