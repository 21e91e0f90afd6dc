#include "export/URExportRun.h"

#include "core/URProject.h"
#include "core/URScenePaint.h"
#include "export/URExportAudio.h"
#include "export/URExportDelivery.h"
#include "export/URExportPlan.h"
#include "export/URFastStartMP4.h"
#include "export/URHtmlExport.h"
#include "media/URExportFormats.h"
#include "platform/render/Bitmap.h"
#include "platform/render/ContextState.h"
#include "platform/render/DeviceContext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>
#include <cstring>

using namespace platform::render;

QString ExportError;

namespace {

// Everything one run holds: the plan, the bitmaps, the frame buffer and the encoder.
class TRExportRun {
public:
    TRExportRun(TRProject& project, TRExportReporter& reporter)
        : FProject(project), FReporter(reporter), FOptions(project.ExportOptions()) {}

    TRExportOutcome Run();

private:
    QString Tag() const {
        return QStringLiteral("[%1,%2x%3")
            .arg(FOptions.Format)
            .arg(FOut.width())
            .arg(FOut.height());
    }
    static QString Hex(int32_t result) {
        return QStringLiteral("%1").arg(uint32_t(result), 8, 16, QChar('0')).toUpper();
    }
    bool Fail(const QString& text) {
        ExportError = text;
        FError = true;
        return false;
    }
    // A frame's picture or sound that the encoder refused.
    void FailFrame(const QString& what, int32_t result, std::int64_t time) {
        Fail(QStringLiteral("Cannot encode the ") + what + QStringLiteral(" frame ") + Tag() + ',' +
             Hex(result) + '_' + QString::number(FEncodeStep) +
             QStringLiteral("] at position %1").arg(time));
    }
    bool Prepare();
    bool CreateBitmaps();
    bool PrepareAudio();
    bool StartEncoder();
    void RunPass(const TRExportPass& pass);
    bool PaintFrame(std::int64_t time, float progress);
    int32_t EncodeFrame(const Bitmap& frame);
    bool EncodeFrameAt(std::int64_t time, float progress);
    Matrix3x2 CentreTransform() const {
        return Matrix3x2::translation(float(FSize.width() / 2), float(FSize.height() / 2));
    }
    Matrix3x2 OutputTransform() const;
    bool WritePage(TRExportOutcome& outcome);
    bool Deliver(const QString& ext, TRExportOutcome& outcome);
    QString WorkFile(const QString& ext) const { return FProject.TempFolder + FBaseName + ext; }
    QString WorkFile() const { return WorkFile(FExt); }

    TRProject& FProject;
    TRExportReporter& FReporter;
    TRProjectExportOptions FOptions;
    QString FBaseName;
    QString FExt;
    TRExportRange FRange;
    std::vector<TRExportPass> FPasses;
    QSize FSize; // project
    QSize FOut;  // encoded pictures
    bool FWithVideo = true;
    bool FWithAudio = false;
    int FEncodeStep = 0; // 3 once a picture was handed to the encoder
    std::unique_ptr<TRExportAudio> FAudio;
    std::shared_ptr<Bitmap> FProjectBitmap;
    std::shared_ptr<Bitmap> FOutputBitmap;
    std::vector<uint8_t> FFrame; // only when the encoded picture is wider or taller
    std::unique_ptr<TMFEncoder> FEncoder;
    DeviceContext* FContext = nullptr;
    std::int64_t FTotalFrames = 0;
    int FProgressBase = 5;
    bool FError = false;
    bool FCanceled = false;
};

bool TRExportRun::Prepare() {
    const TRExportFormat* format = ExportFormat(FOptions.Format);
    if (format && !format->HasVideo)
        FWithVideo = false;
    FExt = format ? format->Ext : QString();
    if (FOptions.Format == 6 || FOptions.Format == 7)
        FOptions.FramePS = FOptions.FramePSGIF;
    FBaseName = QFileInfo(CleanExportFileName(FOptions.FileName)).completeBaseName();
    if (FBaseName.isEmpty())
        FBaseName = CleanExportFileName(FProject.ObjectName());
    FRange = ComputeExportRange(FOptions, FProject.TimeEnd(), FOptions.FramePS);
    FPasses =
        ExportPasses(FRange, FOptions.ExportMode, FOptions.MediaSpeed, FOptions.ReversedSpeed);
    FTotalFrames = CountExportFrames(FPasses);
    std::int32_t width = 0, height = 0;
    FProject.GetProjectSize(width, height);
    FSize = QSize(width, height);
    FOut = ComputeExportOutputSize(FOptions, FSize);
    return (!FWithVideo || CreateBitmaps()) && PrepareAudio();
}

bool TRExportRun::CreateBitmaps() {
    const auto make = [](QSize size) {
        return Bitmap::create(
            SizeU{uint32_t(std::max(size.width(), 0)), uint32_t(std::max(size.height(), 0))},
            BitmapProperties{AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    };
    FContext = SceneContext();
    FProjectBitmap = make(FSize);
    if (FOptions.VideoSize != 0)
        FOutputBitmap = make(FOut);
    if (!FContext || !FProjectBitmap || (FOptions.VideoSize != 0 && !FOutputBitmap))
        return Fail(QStringLiteral("Cannot create the bitmaps ") + Tag() + ']');
    if (FOptions.VideoSize == 0 && FOut != FSize) {
        // The columns and rows added for the encoder show the background colour.
        FFrame.resize(size_t(FOut.width()) * size_t(FOut.height()) * 4);
        const uint32_t pixel = 0xFF00'0000u | GifTransparentColor(FOptions.Color);
        for (size_t i = 0; i < FFrame.size(); i += 4)
            std::memcpy(&FFrame[i], &pixel, 4);
    }
    return true;
}

// The sound goes into every format that carries it when the settings ask for it, and always into
// the sound-only formats, which would otherwise make an empty file.
bool TRExportRun::PrepareAudio() {
    const TRExportFormat* format = ExportFormat(FOptions.Format);
    if (!format || !format->HasAudio || (!FOptions.Audio && FWithVideo))
        return true;
    FAudio = std::make_unique<TRExportAudio>(FProject, FOptions);
    if (!FAudio->Prepare(FOptions.ExportMode == 1 || FOptions.ExportMode == 2))
        return Fail(QStringLiteral("Cannot prepare the audio ") + Tag() + ']');
    FWithAudio = true;
    return true;
}

bool TRExportRun::StartEncoder() {
    FEncoder = CreateExportEncoder(FOptions);
    if (!FEncoder)
        return Fail(QStringLiteral("Cannot create the encoder ") + Tag() + ']');
    FEncoder->SetParams(FWithVideo ? FOut.width() : 0, FWithVideo ? FOut.height() : 0,
                        FOptions.FramePS, FOptions.Quality, FWithAudio, 44100,
                        ExportAudioBytesPS(FOptions), FProject.TempFolder + FBaseName);
    const int32_t result = FEncoder->StartEncode();
    if (result != MF_S_OK)
        return Fail(QStringLiteral("Cannot start the encoder ") + Tag() + ']' + Hex(result));
    return true;
}

// Scene pixels to the encoded picture: the project picture centred, scaled as the settings ask
// when the output has a size of its own.
Matrix3x2 TRExportRun::OutputTransform() const {
    if (FOptions.VideoSize == 0)
        return CentreTransform();
    float sx = 1, sy = 1;
    if (FOptions.Scale == 1) {
        sx = float(FOut.width()) / float(FSize.width());
        sy = float(FOut.height()) / float(FSize.height());
    } else if (FOptions.Scale == 2) {
        sx = sy = std::min(float(FOut.width()) / float(FSize.width()),
                           float(FOut.height()) / float(FSize.height()));
    }
    return Matrix3x2::scale(sx, sy) *
           Matrix3x2::translation(float(FOut.width() / 2), float(FOut.height() / 2));
}

bool TRExportRun::PaintFrame(std::int64_t time, float progress) {
    const ContextStateGuard guard(*FContext);
    FContext->setTarget(FProjectBitmap);
    FContext->setTransform(CentreTransform());
    FContext->beginDraw();
    FProject.PaintOnVideo(std::int32_t(std::min<std::int64_t>(time, INT32_MAX)), progress);
    FContext->endDraw();
    if (FOptions.VideoSize == 0)
        return true;
    FContext->setTarget(FOutputBitmap);
    FContext->setTransform(OutputTransform());
    FContext->beginDraw();
    const TColor c = FOptions.Color;
    FContext->clear(ColorF{float(c & 0xFF) / 255, float((c >> 8) & 0xFF) / 255,
                           float((c >> 16) & 0xFF) / 255, 1});
    const float w = float(FSize.width()) / 2, h = float(FSize.height()) / 2;
    FContext->drawBitmap(*FProjectBitmap, RectF{-w, -h, w, h}, 1, Interpolation::Cubic);
    FContext->endDraw();
    return true;
}

int32_t TRExportRun::EncodeFrame(const Bitmap& frame) {
    const QImage& image = frame.image();
    const uint8_t* pixels = image.constBits();
    if (!FFrame.empty()) {
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(&FFrame[size_t(y) * size_t(FOut.width()) * 4], image.constScanLine(y),
                        size_t(image.width()) * 4);
        pixels = FFrame.data();
    }
    FEncodeStep = 3;
    return FEncoder->AddVideoFrame(pixels);
}

// The picture (when the format has one) and the sound (when it has one) of one frame.
bool TRExportRun::EncodeFrameAt(std::int64_t time, float progress) {
    if (FWithVideo) {
        PaintFrame(time, progress);
        const int32_t result = EncodeFrame(FOutputBitmap ? *FOutputBitmap : *FProjectBitmap);
        if (result != MF_S_OK) {
            FailFrame(QStringLiteral("video"), result, time);
            return false;
        }
    }
    if (FWithAudio) {
        const int32_t result = FAudio->AddFrame(*FEncoder);
        if (result != MF_S_OK) {
            FailFrame(QStringLiteral("audio"), result, time);
            return false;
        }
    }
    return true;
}

void TRExportRun::RunPass(const TRExportPass& pass) {
    if (FWithAudio && !FAudio->StartPass(FRange, pass)) {
        Fail(QStringLiteral("Cannot prepare the audio ") + Tag() + ']');
        return;
    }
    std::int64_t n = 0;
    for (; n < pass.Frames; ++n) {
        const std::int64_t index = pass.Index(n);
        const std::int64_t time = ExportFrameTime(FRange, pass, index, FOptions.FramePS);
        if (!EncodeFrameAt(time, float(index) / float(pass.Frames)))
            return;
        if (n % 10 == 0) {
            FReporter.SetProgress(FProgressBase +
                                  int(std::lround(double(n) * 85 / double(FTotalFrames + 1))));
            if (FReporter.Canceled()) {
                FCanceled = true;
                return;
            }
        }
    }
    FProgressBase += int(std::lround(double(n) * 85 / double(FTotalFrames + 1)));
}

// The page beside an MP4 when the settings ask for one; a page that cannot be made leaves the
// video to be delivered alone, with a notice that says why.
bool TRExportRun::WritePage(TRExportOutcome& outcome) {
    if (!FOptions.Html || FOptions.Format < 1 || FOptions.Format > 4)
        return false;
    QString failure;
    if (WriteHtmlExport(FProject, FOut.width(), FOut.height(), FRange.RangeStart, FRange.RangeEnd,
                        OutputTransform(), FBaseName, &failure))
        return true;
    outcome.Notice = QStringLiteral("The HTML file was not created.\r") + failure;
    return false;
}

bool TRExportRun::Deliver(const QString& ext, TRExportOutcome& outcome) {
    const QString destination = FOptions.FilePath + FBaseName + ext;
    if (!CopyExportedFile(WorkFile(ext), destination, FReporter))
        return false;
    outcome.Delivered = true;
    outcome.File = destination;
    return true;
}

TRExportOutcome TRExportRun::Run() {
    TRExportOutcome outcome;
    FReporter.InitSteps({QStringLiteral("Preparing audio..."), QStringLiteral("Building video..."),
                         QStringLiteral("Copying file...")});
    FReporter.SetProgress(0);
    FReporter.StartStep(1);
    if (Prepare() && StartEncoder()) {
        FReporter.EndStep(1);
        FReporter.StartStep(2);
        FReporter.SetProgress(5);
        for (const TRExportPass& pass : FPasses)
            if (!FError && !FCanceled)
                RunPass(pass);
        const int32_t stopped = FEncoder->StopEncode();
        if (stopped != MF_S_OK && !FCanceled)
            Fail(ExportError + QStringLiteral(" Cannot close the encoder ") + Tag() + ',' +
                 Hex(stopped) + ']');
    }
    FEncoder.reset();
    FAudio.reset();
    FReporter.EndStep(2);
    FReporter.SetProgress(90);
    if (FError || FCanceled) {
        QFile::remove(WorkFile());
        outcome.Error = FError;
        return outcome;
    }
    if (FOptions.Format >= 1 && FOptions.Format <= 4)
        FastStartMP4(FProject.TempFolder, FBaseName + FExt);
    const bool page = WritePage(outcome);
    FReporter.StartStep(3);
    if (!Deliver(FExt, outcome) || (page && !Deliver(QStringLiteral(".html"), outcome))) {
        outcome.Delivered = false;
        outcome.Error = true;
        return outcome;
    }
    FReporter.EndStep(3);
    FReporter.SetProgress(100);
    return outcome;
}

} // namespace

QString CleanExportFileName(const QString& name) {
    QString clean = name;
    clean.remove(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|,]")));
    return clean;
}

TRExportOutcome ExportProjectToFile(TRProject* project, TRExportReporter& reporter) {
    ExportError.clear();
    if (!project)
        return {};
    TRExportRun run(*project, reporter);
    return run.Run();
}
