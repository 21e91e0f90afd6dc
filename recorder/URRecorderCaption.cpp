#include "recorder/URRecorderCaption.h"

#include "core/URUtils.h"
#include "core/URVideoRecorderOptions.h"

#include <QDir>
#include <cmath>

namespace {

QString sizeText(QSize size) {
    return QString::number(size.width()) + "x" + QString::number(size.height());
}

QString screenPart(const TSettingsRecord& s, const TRCaptionState& state) {
    QString text = "Screen [" + sizeText(state.ScreenSize);
    if (!state.VideoMode) {
        text += ",";
        if (s.CaptureMode == 0)
            text += "App,";
        else if (state.HardwareH264 && s.CaptureModeHA != 0)
            text += "VideoH,";
        else
            text += "Video,";
        text += QString::number(s.CaptureRate) + "fps," + QString::number(s.CaptureQuality) + "%,";
        text += s.CaptureMethod == 1 ? "SHM" : "Copy";
    }
    return text + "]";
}

QString cameraPart(const TSettingsRecord& s, const TRCaptionState& state) {
    QString text = "Camera [" + QString::number(s.CameraWidth) + "x" +
                   QString::number(s.CameraHeight) + "," + QString::number(s.CameraFPS) + "fps";
    if (!state.VideoMode)
        text += "," + QString::number(s.CameraQuality) + "%";
    return text + "]";
}

// The size of the composed picture: the screen, or the scaled camera alone.
QSize videoSize(const TSettingsRecord& s, const TRCaptionState& state) {
    if (state.Screen)
        return state.ScreenSize;
    if (!state.Camera)
        return {};
    int w = int(std::trunc((s.CameraScale + 1) * double(s.CameraWidth) / 10));
    int h = int(std::trunc((s.CameraScale + 1) * double(s.CameraHeight) / 10));
    if (s.CameraMask == 3)
        w = h = std::min(w, h);
    return {w, h};
}

QString audioKbps(int bitrate) {
    switch (bitrate) {
    case 1:
        return "128";
    case 2:
        return "160";
    case 3:
        return "192";
    default:
        return "96";
    }
}

QString formatTag(int format) {
    switch (format) {
    case VideoOutputH264Hardware:
        return "[H.264H]";
    case VideoOutputHEVC:
        return "[HEVCS]";
    case VideoOutputHEVCHardware:
        return "[HEVCH]";
    case VideoOutputGIF:
        return "[GIF]";
    case VideoOutputWebP:
        return "[WEBP]";
    default:
        return "[H.264S]";
    }
}

QString videoCaption(const TSettingsRecord& s, const TRCaptionState& state) {
    QString text;
    const QSize size = videoSize(s, state);
    const bool picture = size.width() > 0 && size.height() > 0;
    if (picture) {
        const bool animated = s.OutputFormat == VideoOutputGIF || s.OutputFormat == VideoOutputWebP;
        const int fps = animated ? s.OutputFrameGIF : s.OutputFramePS;
        text = "Video [" + sizeText(size) + ", " + QString::number(fps) + "fps," +
               (s.OutputFrameMode == 1 ? " cfr" : " vfr") + ", " +
               QString::number(s.OutputVideoQuality) + "%]";
    }
    if (state.Mic || state.Sound) {
        if (!text.isEmpty())
            text += " - ";
        text += "Audio [44.1KHz, " + audioKbps(s.OutputAudioBitrate) + "Kbps]";
    }
    return text + "-" + (picture ? formatTag(s.OutputFormat) : QString("[M4A]"));
}

QString twoDigits(int value) {
    return QString::number(value).rightJustified(2, '0');
}

} // namespace

QString RecorderCaption(const TSettingsRecord& settings, const TRCaptionState& state) {
    QString text;
    if (state.VideoMode && state.RecordPage) {
        text = videoCaption(settings, state);
    } else {
        QStringList parts;
        if (state.Screen)
            parts << screenPart(settings, state);
        if (state.Camera)
            parts << cameraPart(settings, state);
        if (state.Mic)
            parts << "Voice";
        if (state.Sound)
            parts << "Sound";
        text = parts.join(" - ");
    }
    return text.isEmpty() ? QString("Screen Recorder") : text;
}

QString RecorderSizeText(uint64_t kb, bool AWhole) {
    auto number = [AWhole](double value) {
        return AWhole ? QString::number(std::trunc(value), 'f', 0) : QString::number(value, 'f', 2);
    };
    if (kb < 1024)
        return QString::number(kb) + " KB";
    if (kb <= 1048575)
        return number(double(kb) / 1024) + " MB";
    if (kb > 1073741823)
        return number(double(kb) / 1073741824.0) + " TB";
    return number(double(kb) / 1048576.0) + " GB";
}

QString RecorderTimeText(int seconds) {
    return twoDigits(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" +
           twoDigits(seconds % 60);
}

QString RecorderTimeStamp(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    return twoDigits(d.year() % 100) + "-" + twoDigits(d.month()) + "-" + twoDigits(d.day()) + " " +
           twoDigits(t.hour()) + "-" + twoDigits(t.minute()) + "-" + twoDigits(t.second()) + "-" +
           QString::number(t.msec());
}

bool RecorderRunNames(const QDateTime& start, bool videoMode, const QString& AVideoName,
                      TRRunNames& names, QString& AError) {
    const QString stamp = RecorderTimeStamp(start);
    names = {"Recording " + stamp, "Camera " + stamp, "Voice " + stamp, "Sound " + stamp};
    AError.clear();
    if (!videoMode || AVideoName.trimmed().isEmpty())
        return true;
    if (AVideoName.contains('/') || AVideoName.contains('\\') || AVideoName.trimmed() == "..") {
        AError = "The file name \"" + AVideoName + "\" must not contain a folder.";
        return false;
    }
    const QString cleaned = ReplaceInvalidFileNameChars(AVideoName);
    if (!cleaned.isEmpty() && cleaned != "." && cleaned != "..")
        names.Recording = cleaned;
    return true;
}

QStringList RecorderRunFiles(bool videoMode, const QString& folder, const TRRunNames& names) {
    const QDir dir(folder);
    QStringList files;
    if (videoMode) {
        for (const QString& name :
             {names.Recording + ".mp4", names.Camera + ".mp4", names.Mic + ".m4a",
              names.Sound + ".m4a", names.Recording + ".m4a", names.Recording + ".gif",
              names.Recording + ".webp"})
            files << dir.filePath(name);
    } else {
        for (const char* name :
             {"screen.tvf", "screen.mp4", "screen.tcf", "camera.mp4", "mic.m4a", "sound.m4a"})
            files << dir.filePath(name);
    }
    return files;
}

int RecorderStartWidth(double ADpi) {
    return int(std::trunc(ADpi * 685)) + 1;
}

int RecorderRecordWidth(double ADpi) {
    return int(std::trunc(ADpi * 525)) + 1;
}

TRDiskVerdict RecorderDiskCheck(std::optional<uint64_t> AFreeKB, uint32_t AWrittenKB, int ASeconds,
                                bool AVideoMode) {
    constexpr uint32_t OneGigabyteKB = 1048576;
    constexpr int SecondsAhead = 60;
    constexpr int Opaque = 200;
    TRDiskVerdict verdict;
    if (AWrittenKB > OneGigabyteKB)
        verdict.SizeAlpha = Opaque;
    if (!AFreeKB)
        return verdict;
    const int64_t freeKB = int64_t(*AFreeKB);
    const int64_t written = AWrittenKB;
    const int64_t d = AVideoMode ? 2 : 4;
    if (freeKB / d < written) {
        verdict.SizeAlpha = Opaque;
        verdict.Stop = true;
        return verdict;
    }
    if (ASeconds > 1) {
        const int64_t rate = written / ASeconds;
        if ((freeKB - rate * SecondsAhead) / d < written + rate * SecondsAhead)
            verdict.SizeAlpha = (ASeconds % 2) * Opaque;
    }
    return verdict;
}

bool RecorderTimeLimitReached(const TSettingsRecord& settings, int ASeconds) {
    return settings.UnlimitedTime == 0 && settings.TimeLimit > 0 && ASeconds >= settings.TimeLimit;
}
