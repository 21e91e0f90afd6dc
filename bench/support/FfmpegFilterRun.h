// The ffmpeg command line timed as a whole process beside an engine doing the same job: it reads
// a number of copies of one raw BGRA picture through a filter graph into nothing.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class FfmpegFilterRun {
public:
    // `filterComplex` is the graph of "-filter_complex", its input "[0:v]".
    FfmpegFilterRun(const QImage& picture, int frames, const QString& filterComplex);

    // Empty when ffmpeg can run, else why not (no program, the input could not be written).
    const QString& Problem() const { return problem_; }
    int Frames() const { return frames_; }
    // Seconds one run took; negative when ffmpeg failed.
    double RunSeconds() const;

private:
    QTemporaryDir dir_;
    QString program_;
    QStringList args_;
    QString problem_;
    int frames_;
};
