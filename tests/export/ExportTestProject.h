// What the export run tests share: a reporter that records what the run tells it, a small
// project in a scratch folder, object kinds of the tests' own (a sound with a white flash at its
// start, a square that moves with the time) and ffprobe/ffmpeg readers of the delivered file.
#pragma once

#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URScenePaint.h"
#include "core/URSettings.h"
#include "export/URExportReporter.h"
#include "export/URExportRun.h"
#include "graphics/URDX12Base.h"
#include "media/UAudioReader.h"
#include "media/URAudioExporter.h"
#include "objects/URObjectsRegistry.h"
#include "platform/render/Brush.h"
#include "platform/render/DeviceContext.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace exporttest {

class RecordingReporter : public TRExportReporter {
public:
    int CancelAtPoll = -1; // the poll that answers "stop"
    int Polls = 0;
    QList<int> Progress;
    QStringList Steps;

    void InitSteps(const QStringList& steps) override { Steps = steps; }
    void StartStep(int) override {}
    void EndStep(int) override {}
    void SetProgress(int percent) override { Progress << percent; }
    bool Canceled() override { return Polls++ == CancelAtPoll; }
    bool RetryCopy(const QString&) override { return false; }
    void ShowUndelivered(const QString&, const QString&) override {}
};

// ffprobe's answer for the first video stream (or `stream`), one CSV line per stream.
inline QString Probe(const QString& file, const QStringList& entries,
                     const QString& stream = QStringLiteral("v:0")) {
    QProcess ffprobe;
    ffprobe.start("ffprobe",
                  QStringList{"-v", "error", "-count_frames", "-select_streams", stream,
                              "-show_entries", entries.join(','), "-of", "csv=p=0", file});
    ffprobe.waitForFinished(120000);
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed();
}

// ffmpeg run on `file` with `arguments` after the input; its standard output (or error).
inline QByteArray Ffmpeg(const QString& file, const QStringList& arguments,
                         bool standardError = false) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 QStringList{"-v", standardError ? "info" : "error", "-nostats", "-i", file} +
                     arguments);
    ffmpeg.waitForFinished(300000);
    return standardError ? ffmpeg.readAllStandardError() : ffmpeg.readAllStandardOutput();
}

// The decoded sound, mono 16-bit at 44.1 kHz.
inline std::vector<int16_t> DecodeSound(const QString& file) {
    const QByteArray raw =
        Ffmpeg(file, {"-map", "a:0", "-f", "s16le", "-ac", "1", "-ar", "44100", "-"});
    std::vector<int16_t> samples(size_t(raw.size()) / 2);
    std::memcpy(samples.data(), raw.constData(), samples.size() * 2);
    return samples;
}

// The decoded pictures as 8-bit grey, one QByteArray of width × height per frame of `framePS`
// frames per second (a picture that lasts longer than a frame repeats).
inline QList<QByteArray> DecodePictures(const QString& file, int width, int height, int framePS) {
    const QByteArray raw = Ffmpeg(file, {"-map", "v:0", "-f", "rawvideo", "-pix_fmt", "gray",
                                         "-fps_mode", "cfr", "-r", QString::number(framePS), "-"});
    QList<QByteArray> frames;
    const qsizetype size = qsizetype(width) * height;
    for (qsizetype at = 0; at + size <= raw.size(); at += size)
        frames << raw.mid(at, size);
    return frames;
}

// A sound of the tests' own kind: the audio file plays from the object's start to its end on
// the mix-down's grid, and the whole picture is white for the first `FlashMs` ms of it.
class SoundObject : public TRObject {
public:
    SoundObject(TRProject* project, const QString& file, std::int32_t start, std::int32_t end)
        : TRObject(project, otAudio), FFile(file) {
        SetTimeStartField(start);
        SetTimeEnd(end);
    }
    std::int32_t FlashMs = 0;
    float Volume = 1.0f;

    void AddAudioToVideoExporter(TRAudioExporter& exporter) override {
        if (!FReader.OpenFile(FFile) || !FReader.SetFormat(44100, 2, 16))
            return;
        const auto first = std::uint32_t(std::int64_t(TimeStart()) * 30 / 1000);
        const auto last = std::uint32_t(std::int64_t(TimeEnd()) * 30 / 1000 - 1);
        exporter.AddSound(&FReader, first, last, first, last, Volume);
    }
    void PaintOnScene(bool, bool) override {
        platform::render::DeviceContext* context = SceneContext();
        if (!context || TimePosition() < TimeStart() || TimePosition() >= TimeStart() + FlashMs)
            return;
        context->clear(platform::render::ColorF{1, 1, 1, 1});
    }

private:
    QString FFile;
    TAudioReader FReader;
};

// A white square of `Size` pixels on the top rows whose left edge is `PixelsPerSecond` × the
// time in seconds from the frame's left edge.
class MovingSquare : public TRObject {
public:
    explicit MovingSquare(TRProject* project) : TRObject(project, otShape) {}
    int Size = 4;
    int PixelsPerSecond = 100;

    void PaintOnScene(bool, bool) override {
        platform::render::DeviceContext* context = SceneContext();
        std::int32_t width = 0, height = 0;
        Project()->GetProjectSize(width, height);
        if (!context)
            return;
        const float left = float(TimePosition()) * float(PixelsPerSecond) / 1000 - width / 2.0f;
        const float top = -height / 2.0f;
        static const auto white =
            platform::render::SolidColorBrush::create(platform::render::ColorF{1, 1, 1, 1});
        context->fillRectangle(platform::render::RectF{left, top, left + Size, top + Size}, *white);
    }
};

// The column of the left edge of the white square in a grey picture (-1 without one).
inline int SquareColumn(const QByteArray& picture, int width) {
    for (int x = 0; x < width; ++x)
        if (uint8_t(picture[x + width]) > 128)
            return x;
    return -1;
}

class ExportProject : public ::testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        InitDX();
        project_ = std::make_unique<TRProject>();
        ASSERT_TRUE(QDir(dir_.path()).mkpath("work"));
        ASSERT_TRUE(QDir(dir_.path()).mkpath("out"));
        project_->TempFolder = dir_.filePath("work") + '/';
        project_->SetProjectSize(65, 49);
        project_->SetTimeEnd(1000);
        TRProjectExportOptions& options = project_->ExportOptions();
        options.FileName = QStringLiteral("clip: one.mp4");
        options.FilePath = dir_.filePath("out") + '/';
        options.FramePS = 10;
    }
    QString Delivered(const QString& ext = QStringLiteral(".mp4")) const {
        return dir_.filePath("out/clip one" + ext);
    }
    QStringList WorkFiles() const { return QDir(dir_.filePath("work")).entryList(QDir::Files); }
    // Exports and expects the file to arrive.
    void ExportExpectingFile() {
        const TRExportOutcome outcome = ExportProjectToFile(project_.get(), reporter_);
        ASSERT_TRUE(outcome.Delivered) << ExportError.toStdString();
    }

    QTemporaryDir dir_;
    std::unique_ptr<TRProject> project_; // made once the kinds are registered
    RecordingReporter reporter_;
};

} // namespace exporttest
