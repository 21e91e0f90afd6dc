#pragma once
// The recorder tool bar's texts and arithmetic that need no window: the caption, the written
// and free sizes, the run's output names and files, the tool bar's widths, the disk check.

#include "core/URSettings.h"

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// What the caption shows beside the settings.
struct TRCaptionState {
    bool VideoMode = false;
    bool RecordPage = false; // the tool bar is on its recording page
    bool Screen = false, Camera = false, Mic = false, Sound = false;
    QSize ScreenSize; // the recorded rectangle (the monitor when full screen)
    bool HardwareH264 = false;
};

QString RecorderCaption(const TSettingsRecord& settings, const TRCaptionState& state);

// A size in KB as the progress line shows it: "n KB", "#.00 MB", "#.00 GB" or "#.00 TB";
// AWhole cuts the quotient to a whole number instead.
QString RecorderSizeText(uint64_t kb, bool AWhole);
// "hh:nn:ss".
QString RecorderTimeText(int seconds);

// "y-mm-dd hh-nn-ss-z": two-digit year, month and day, hour, minutes and seconds, and the
// milliseconds without leading zeros.
QString RecorderTimeStamp(const QDateTime& time);

// The run's base names without folder or extension.
struct TRRunNames {
    QString Recording, Camera, Mic, Sound;
};
// AVideoName, when not blank, names the video-mode output; it goes through the one file-name
// cleaner. False (and AError set) when it would name a folder.
bool RecorderRunNames(const QDateTime& start, bool videoMode, const QString& AVideoName,
                      TRRunNames& names, QString& AError);

// Every file a run may have written, for removal when it is abandoned.
QStringList RecorderRunFiles(bool videoMode, const QString& folder, const TRRunNames& names);

// The client width of the tool bar at DPI ÷ 96 = ADpi: on the start page, and from the
// countdown on.
int RecorderStartWidth(double ADpi);
int RecorderRecordWidth(double ADpi);

// The disk check of one timer tick.
struct TRDiskVerdict {
    bool Stop = false;  // not enough space to go on
    int SizeAlpha = -1; // background alpha of the size label; -1 leaves it as it is
};
// AFreeKB unset: the free space could not be read, the check is skipped. ASeconds: recorded
// whole seconds; AVideoMode halves the need (the compositor writes one file).
TRDiskVerdict RecorderDiskCheck(std::optional<uint64_t> AFreeKB, uint32_t AWrittenKB, int ASeconds,
                                bool AVideoMode);

// True when the recording time has reached the limit.
bool RecorderTimeLimitReached(const TSettingsRecord& settings, int ASeconds);
