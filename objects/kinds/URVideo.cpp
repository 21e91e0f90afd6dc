#include "objects/kinds/URVideo.h"

#include "core/URFormHooks.h"
#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URTempFolders.h"
#include "objects/URPropAudio.h"
#include "objects/URPropPlacement.h"
#include "objects/kinds/URMediaHooks.h"
#include "platform/system/Clock.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <exception>

using namespace platform::render;

namespace {

// Overlay scales from the smallest up; the last one is the full size.
constexpr float CameraScales[] = {0.25f, 0.5f, 0.75f, 1.0f};
constexpr int MinCameraLines = 240;

} // namespace

QString VideoFileFilter() {
    return QStringLiteral(
        "All (*.avi;*.asf;*.wmv;*.wm;*.mp4;*.m4v;*.mov;*.mkv;*.webm)|*.avi;*.asf;*.wmv;*.wm;*.mp4;"
        "*.m4v;*.mov;*.mkv;*.webm|Audio Visual Interleave (*.avi)|*.avi|Advanced Systems Format "
        "(*.asf)|*.asf|Windows Media Video (*.wmv,* .wm)|*.wmv;*.wm|Moving Pictures Experts Group "
        "(*.mp4;*.m4v;*.mov)|*.mp4;*.m4v;*.mov|Matroska Media Container (*.mkv)|*.mkv|WebM Media "
        "Container (*.webm)|*.webm");
}

float CameraOverlayScale(int cameraHeight) {
    for (float scale : CameraScales)
        if (scale * float(cameraHeight) >= float(MinCameraLines))
            return scale;
    return 1.0f;
}

TRVideo::TRVideo(TRProject* project, TRObjectType type)
    : TRImage(project, type),
      FAudioTrack(*this, [this] { return dynamic_cast<TRPropAudio*>(AudioV()); }) {
    FObjectName = QStringLiteral("Video ") + QString::number(FObjectId);
    FMediaName.clear();
}

TRVideo::~TRVideo() = default;

bool TRVideo::IsAnimatedPicture() const {
    const QString suffix = QFileInfo(FMediaName).suffix();
    return suffix.compare(QStringLiteral("gif"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QStringLiteral("webp"), Qt::CaseInsensitive) == 0;
}

std::int32_t TRVideo::GetMediaTime(std::int32_t time) const {
    return ClipMediaTime(*this, time, LoopAnimation);
}

void TRVideo::FetchFrame(std::int32_t time) {
    QImage& pixels = FMediaBitmap->image();
    // Opaque frames are decoded straight into the bitmap: an opaque BGRA picture is its own
    // premultiplied form, so no copy is needed.
    if (IsAnimatedPicture())
        readerex->GetFrame(time, TFrameTarget{pixels.bits(), int(pixels.bytesPerLine()),
                                              pixels.width(), pixels.height()});
    else
        readerex->GetFrame(time, pixels.bits());
    FLastFrameTime = time;
}

void TRVideo::UpdateMediaFrame() {
    if (!readerex || !FMediaBitmap)
        return;
    const std::int32_t time = GetMediaTime(FTimePosition);
    if (time != FLastFrameTime)
        FetchFrame(time);
}

void TRVideo::CloseMedia() {
    CloseAndFreeMediaAudio();
    readerex.reset();
    FMediaBitmap.reset();
    FLastFrameTime = -1;
}

bool TRVideo::OpenMedia() {
    FMediaBitmap.reset();
    FLastFrameTime = -1;
    if (!FProject)
        return false;
    const QString path = FProject->TempFolder + FMediaName;
    if (FMediaName.isEmpty() || !QFileInfo(path).isFile())
        return false;
    try {
        readerex = std::make_unique<TVideoReaderEx>(path);
        if (!readerex->IsValid()) {
            CloseMedia();
            return false;
        }
        const SizeU size{std::uint32_t(readerex->GetWidth()), std::uint32_t(readerex->GetHeight())};
        FMediaBitmap =
            Bitmap::create(size, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
        if (IsAnimatedPicture())
            LoopAnimation = true;
        if (FMediaBitmap)
            FetchFrame(0);
        OpenMediaAudio();
        return true;
    } catch (const std::exception&) {
        CloseMedia();
        return false;
    }
}

bool TRVideo::OpenMediaAudio() {
    CloseAndFreeMediaAudio();
    const QString& folder = FProject->TempFolder;
    if (FMediaName.isEmpty() || !QFileInfo(folder + FMediaName).isFile())
        return false;
    if (FAudioTrack.Open(folder + FMediaName))
        return true;
    return !FAudioName.isEmpty() && QFileInfo(folder + FAudioName).isFile() &&
           FAudioTrack.Open(folder + FAudioName);
}

void TRVideo::TakeMediaSize(std::int32_t& width, std::int32_t& height) {
    const SizeU pixels = FMediaBitmap->pixelSize();
    const QSize size(int(pixels.width), int(pixels.height));
    if (auto* placement = Get<TRPropPlacement>(ptPlacement, true)) {
        placement->FSize = size;
        placement->FOriginalSize = size;
        placement->FAspectRatio = true;
    }
    width = size.width();
    height = size.height();
    if (!readerex)
        return;
    const std::int32_t duration = readerex->GetDurationMs();
    SetTimeEnd(FTimeStart + duration);
    FMediaOffset = 0;
    FMediaStart = 0;
    FMediaEnd = duration;
}

bool TRVideo::LoadMedia(const QString& fileName, std::int32_t& width, std::int32_t& height,
                        const QString&) {
    width = 0;
    height = 0;
    const QString chosen =
        QFileInfo(fileName).isFile() ? fileName : ChooseMediaFile(VideoFileFilter());
    if (chosen.isEmpty())
        return false;
    const QString name = QFileInfo(chosen).fileName();
    TRWaitingReporter* waiting = InstalledWaiting();
    if (waiting) {
        waiting->Show();
        waiting->UpdateInfo(QStringLiteral("Loading the file..."));
    }
    bool result = false;
    try {
        if (FProject && !FProject->TempFolder.isEmpty()) {
            FMediaName = QStringLiteral("m%1_%2_%3")
                             .arg(FObjectId)
                             .arg(platform::system::tickCount())
                             .arg(FilterFileNameChars(name));
            const QString target = FProject->TempFolder + FMediaName;
            QFile::remove(target);
            result = QFile::copy(chosen, target) && OpenMedia();
        }
        if (result && FMediaBitmap && EnsurePropertiesPageHook)
            EnsurePropertiesPageHook(otVideo);
    } catch (const std::exception&) {
        result = false;
    }
    if (waiting)
        waiting->Close();
    if (result && FMediaBitmap)
        TakeMediaSize(width, height);
    if (!result)
        ShowMediaError(QStringLiteral("Cannot open ") + name + QStringLiteral(" file."));
    return result;
}

void TRVideo::AddRecordedSound(std::vector<RecordedTrack>& tracks, const QString& audioFileName) {
    if (audioFileName.isEmpty() || !FProject)
        return;
    const QString name = QFileInfo(audioFileName).fileName();
    if (QFileInfo(FProject->TempFolder + name).isFile())
        tracks.push_back({name, &FAudioName});
}

bool TRVideo::RenameTracks(const std::vector<RecordedTrack>& tracks, const QString& prefix,
                           bool back) {
    const QString& folder = FProject->TempFolder;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const QString from = folder + (back ? prefix : QString()) + tracks[i].File;
        const QString to = folder + (back ? QString() : prefix) + tracks[i].File;
        if (!back)
            QFile::remove(to);
        if (!QFile::rename(from, to)) {
            // Put the tracks moved so far back under their recorder names.
            if (!back)
                RenameTracks({tracks.begin(), tracks.begin() + std::ptrdiff_t(i)}, prefix, true);
            return false;
        }
    }
    return true;
}

bool TRVideo::TakeRecordedTracks(const std::vector<RecordedTrack>& tracks) {
    const auto open = [this] {
        try {
            return OpenMedia();
        } catch (const std::exception&) {
            return false;
        }
    };
    const auto name = [&tracks](const QString& prefix) {
        for (const RecordedTrack& track : tracks)
            *track.Name = prefix.isNull() ? QString() : prefix + track.File;
    };
    if (!FProject || FProject->TempFolder.isEmpty())
        return false;
    // A recording that cannot be opened stays as the recorder left it, for a later recovery.
    name(QStringLiteral(""));
    bool opened = open();
    CloseMedia();
    const QString prefix =
        QStringLiteral("m%1_%2_").arg(FObjectId).arg(platform::system::tickCount());
    if (opened && RenameTracks(tracks, prefix, false)) {
        name(prefix);
        opened = open();
        if (!opened) {
            CloseMedia();
            RenameTracks(tracks, prefix, true);
        }
    } else {
        opened = false;
    }
    if (!opened)
        name(QString());
    return opened;
}

bool TRVideo::LoadCamera(std::int32_t& width, std::int32_t& height, std::int32_t screenWidth,
                         std::int32_t screenHeight, const QString& audioFileName) {
    if (!FProject)
        return false;
    const QString& folder = FProject->TempFolder;
    const QString source =
        QFileInfo(folder + QStringLiteral("camera.mp4")).isFile()   ? QStringLiteral("camera.mp4")
        : QFileInfo(folder + QStringLiteral("camera.tvf")).isFile() ? QStringLiteral("camera.tvf")
                                                                    : QString();
    if (source.isEmpty())
        return false;
    std::vector<RecordedTrack> tracks{{source, &FMediaName}};
    AddRecordedSound(tracks, audioFileName);
    if (!TakeRecordedTracks(tracks) || !FMediaBitmap)
        return false;
    const std::int32_t screenW = width, screenH = height;
    TakeMediaSize(width, height);
    auto* placement = Get<TRPropPlacement>(ptPlacement, true);
    if (placement && screenWidth != 0 && screenHeight != 0) {
        const float scale = CameraOverlayScale(height);
        placement->FScale = scale;
        placement->FPosition = QPointF(std::trunc(float(screenW) / 2 - float(width) * scale / 2),
                                       std::trunc(float(screenH) / 2 - float(height) * scale / 2));
    }
    return true;
}
