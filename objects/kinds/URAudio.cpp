#include "objects/kinds/URAudio.h"

#include "core/URFormHooks.h"
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URTempFolders.h"
#include "media/UAudioReader.h"
#include "objects/URPropAudio.h"
#include "objects/kinds/URMediaHooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Whether the file holds a sound the clip can play, tried before a recorded track is renamed.
bool ReadableSound(const QString& path) {
    TAudioReader reader;
    return reader.OpenFile(path, 0, 0, FirstAudioStream) && reader.SetFormat(44100, 2, 16);
}

bool SameFolder(const QString& a, const QString& b) {
    return QDir::cleanPath(QFileInfo(a).absolutePath()) ==
           QDir::cleanPath(QFileInfo(b).absolutePath());
}

} // namespace

QString AudioFileFilter() {
    return QStringLiteral(
        "All "
        "(*.wav;*.mp3;*.avi;*.asf;*.wma;*.wmv;*.m4a;*.m4v;*.mov;*.mp4;*.3g2;*.3gp;*.3gp2;*.3gpp;*."
        "mkv;*.webm)|*.wav;*.mp3;*.avi;*.asf;*.wma;*.wmv;*.m4a;*.m4v;*.mov;*.mp4;*.3g2;*.3gp;*."
        "3gp2;*.3gpp;*.mkv;*.webm|Wave File (*.wav)|*.wav|MP3 File (*.mp3)|*.mp3|AVI File "
        "(*.avi)|*.avi|Advanced Streaming Format (*.asf;*.wma;*.wmv)|*.asf;*.wma;*.wmv|MPEG-4 "
        "(*.m4a;*.m4v;*.mov;*.mp4)|*.m4a;*.m4v;*.mov;*.mp4|3GP "
        "(*.3g2;*.3gp;*.3gp2;*.3gpp)|*.3g2;*.3gp;*.3gp2;*.3gpp|Matroska Media Container "
        "(*.mkv)|*.mkv|WebM Media Container (*.webm)|*.webm");
}

TRAudio::TRAudio(TRProject* project, TRObjectType type)
    : TRObject(project, type), FAudioTrack(*this, [this] { return Get<TRPropAudio>(ptAudio); }) {
    FObjectName = QStringLiteral("Audio ") + QString::number(FObjectId);
    FMediaName.clear();
    FTrIn->SetChecked(false);
    FTrOut->SetChecked(false);
    SetFlags(false, true, false, FCanSplit);
}

TRAudio::~TRAudio() {
    CloseAndFreeMedia();
}

bool TRAudio::OpenMedia() {
    CloseAndFreeMedia();
    if (!FProject || FProject->TempFolder.isEmpty() || FMediaName.isEmpty())
        return false;
    const QString path = FProject->TempFolder + FMediaName;
    if (!QFileInfo(path).isFile())
        return false;
    try {
        return FAudioTrack.Open(path);
    } catch (...) {
        CloseAndFreeMedia();
        return false;
    }
}

void TRAudio::SpanWholeMedia() {
    if (!FAudioTrack.Reader())
        return;
    const auto duration = std::int32_t(FAudioTrack.Reader()->Duration());
    FTimeEnd = FTimeStart + duration;
    FMediaStart = 0;
    FMediaEnd = duration;
}

bool TRAudio::LoadMedia(const QString& fileName, std::int32_t&, std::int32_t&, const QString&) {
    if (fileName.isEmpty()) {
        const QString chosen = ChooseMediaFile(AudioFileFilter());
        return !chosen.isEmpty() && LoadChosenFile(chosen);
    }
    if (!FProject || FProject->TempFolder.isEmpty())
        return false;
    const QString mediaName =
        ProjectMediaName(FObjectId, FilterFileNameChars(QFileInfo(fileName).fileName()));
    const QString target = FProject->TempFolder + mediaName;
    if (SameFolder(fileName, target)) {
        // A recorded track stays where and as it is unless it can be opened.
        if (!ReadableSound(fileName))
            return false;
        QFile::remove(target);
        if (!QFile::rename(fileName, target))
            return false;
    } else {
        QFile::remove(target);
        if (!QFile::copy(fileName, target))
            return false;
    }
    FMediaName = mediaName;
    const bool result = OpenMedia();
    if (result)
        SpanWholeMedia();
    return result;
}

bool TRAudio::LoadChosenFile(const QString& fileName) {
    TRWaitingReporter* waiting = InstalledWaiting();
    if (waiting)
        waiting->Show();
    bool result = false;
    if (FProject && !FProject->TempFolder.isEmpty()) {
        FMediaName =
            ProjectMediaName(FObjectId, FilterFileNameChars(QFileInfo(fileName).fileName()));
        const QString target = FProject->TempFolder + FMediaName;
        QFile::remove(target);
        result = QFile::copy(fileName, target) && OpenMedia();
        if (result && EnsurePropertiesPageHook)
            EnsurePropertiesPageHook(FObjectType);
    }
    if (waiting)
        waiting->Close();
    if (result)
        SpanWholeMedia();
    else
        ShowMediaError(QStringLiteral("Cannot open ") + QFileInfo(fileName).fileName() +
                       QStringLiteral(" file."));
    return result;
}

bool TRAudio::LoadMediaEx(const QString& fileName) {
    if (fileName.isEmpty())
        return false;
    FMediaName = QFileInfo(fileName).fileName();
    const bool result = OpenMedia();
    if (result)
        SpanWholeMedia();
    return result;
}
