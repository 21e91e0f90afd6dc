#include "core/URSettings.h"

#include "core/URSettingsRange.h"
#include "core/URStartup.h"
#include "core/URUtils.h"
#include "platform/system/Registry.h"

#include <QDataStream>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstddef>
#include <cstring>

TSettingsRecord SettingsRecord{};

// The stored layout: every field at the offset the format gives it.
#define TR_OFFSET(field, offset) static_assert(offsetof(TSettingsRecord, field) == (offset))
TR_OFFSET(CheckUpdates, 0);
TR_OFFSET(NormalizeLoudness, 6);
TR_OFFSET(TargetLoudness, 8);
TR_OFFSET(DefaultObjectDuration, 12);
TR_OFFSET(DefaultAnimationDuration, 20);
TR_OFFSET(TempStorageFolder, 24);
TR_OFFSET(CopySamplesPending, 280);
TR_OFFSET(PropertiesLayout, 284);
TR_OFFSET(FloatingInspector, 288);
TR_OFFSET(DefaultWidth, 292);
TR_OFFSET(LastProjectFolder, 300);
TR_OFFSET(VideosFolders, 556);
TR_OFFSET(RecentProjects, 3372);
TR_OFFSET(ImagesFolders, 6188);
TR_OFFSET(TTSSettings, 9004);
TR_OFFSET(TTSSettings.SAPI_Voice, 9008);
TR_OFFSET(TTSSettings.SAPI_Rate, 9264);
TR_OFFSET(TTSSettings.SAPI_Volume, 9268);
TR_OFFSET(TTSSettings.Google_Language, 9272);
TR_OFFSET(TTSSettings.Google_VoiceDesc, 9528);
TR_OFFSET(TTSSettings.Google_Rate, 9784);
TR_OFFSET(TTSSettings.Google_Volume, 9788);
TR_OFFSET(TTSExportFilter, 9792);
TR_OFFSET(FrameExportFilter, 9796);
TR_OFFSET(AudioExportFilter, 9800);
TR_OFFSET(AlignToSelection, 9804);
TR_OFFSET(GoogleDriveUser, 9805);
TR_OFFSET(GoogleDriveFolder, 10061);
TR_OFFSET(SketchToolColors, 10320);
TR_OFFSET(SketchToolSizes, 10364);
TR_OFFSET(SketchTool, 10375);
TR_OFFSET(RecorderHotkeys, 10376);
TR_OFFSET(FullScreen, 10616);
TR_OFFSET(FullScreenDisplay, 10620);
TR_OFFSET(CaptureMode, 10628);
TR_OFFSET(CaptureQuality, 10632);
TR_OFFSET(CaptureMethod, 10636);
TR_OFFSET(CameraName, 10637);
TR_OFFSET(CameraStream, 10896);
TR_OFFSET(CameraSubType, 10912);
TR_OFFSET(CameraFormatType, 10928);
TR_OFFSET(CameraQuality, 10944);
TR_OFFSET(PreviewCameraRect, 10952);
TR_OFFSET(MicDevice, 10968);
TR_OFFSET(MuteSound, 11224);
TR_OFFSET(SoundDevice, 11226);
TR_OFFSET(RecentAreas, 11484);
TR_OFFSET(FullScreenArea, 11660);
TR_OFFSET(RecordScreen, 11676);
TR_OFFSET(CountdownSeconds, 11680);
TR_OFFSET(TimeLimit, 11688);
TR_OFFSET(RecorderRect, 11696);
TR_OFFSET(ShowCursor, 11712);
TR_OFFSET(ScaleCursor, 11716);
TR_OFFSET(CEId, 11724);
TR_OFFSET(CEZoom, 11740);
TR_OFFSET(LEColor, 11748);
TR_OFFSET(REColor, 11760);
TR_OFFSET(CameraScale, 11768);
TR_OFFSET(CameraBorderColor, 11792);
TR_OFFSET(CameraOpacity, 11800);
TR_OFFSET(CameraChColor, 11808);
TR_OFFSET(CameraBack, 11816);
TR_OFFSET(CameraBackFile, 11817);
TR_OFFSET(CameraBackScaleMode, 12076);
TR_OFFSET(CameraFile, 12084);
TR_OFFSET(RecordingsFolders, 12087);
TR_OFFSET(OutputFormat, 14904);
TR_OFFSET(OutputGifColor, 14936);
TR_OFFSET(Logo, 14944);
TR_OFFSET(LogoFileName, 14945);
TR_OFFSET(LogoPosition, 15204);
TR_OFFSET(LogoSS, 15224);
TR_OFFSET(LogoFileNameSS, 15225);
TR_OFFSET(LogoPositionSS, 15484);
TR_OFFSET(ScreenshotFormat, 15504);
TR_OFFSET(ScreenshotName, 15508);
TR_OFFSET(ScreenshotCursor, 15764);
TR_OFFSET(DrawToolColors, 15768);
TR_OFFSET(DrawToolSizes, 15812);
TR_OFFSET(DrawTool, 15823);
TR_OFFSET(DrawerButtonsRect, 15824);
TR_OFFSET(IntroPage, 15840);
TR_OFFSET(LastStep, 15844);
TR_OFFSET(LastStepProjectOpen, 16100);
TR_OFFSET(SessionStartTick, 16104);
TR_OFFSET(SessionCount, 16108);
TR_OFFSET(MinutesUsed, 16112);
TR_OFFSET(RecordedSeconds, 16116);
TR_OFFSET(LastReportDate, 16128);
#undef TR_OFFSET

// ---- short strings ----

QString TRShortString::text() const {
    return QString::fromUtf8(Text, Length);
}

void TRShortString::setText(const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    qsizetype length = std::min<qsizetype>(utf8.size(), sizeof(Text));
    // Step back over continuation bytes so that a character is never cut in half.
    if (length < utf8.size())
        while (length > 0 && (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80)
            --length;
    std::memcpy(Text, utf8.constData(), static_cast<size_t>(length));
    Length = static_cast<std::uint8_t>(length);
}

// ---- defaults ----

namespace {

struct DrawToolDefault {
    std::uint32_t color;
    std::uint8_t size;
};

// Colour (0x00BBGGRR) and size of every drawing tool, dtNone .. dtEnd.
constexpr DrawToolDefault DrawToolDefaults[DrawToolCount] = {
    {NoColor, 0},   {0x0000FF, 5},  {0x008000, 5},  {0xFF0000, 5}, {0xFF0000, 5}, {0x000000, 5},
    {0xA0FFFF, 10}, {0x0000FF, 20}, {0x000000, 20}, {0x0000FF, 5}, {NoColor, 0}};

constexpr std::uint32_t ModAlt = 1, ModCtrl = 2, ModShift = 4;

void setDrawToolDefaults(std::uint32_t (&colors)[DrawToolCount],
                         std::uint8_t (&sizes)[DrawToolCount]) {
    for (int tool = 0; tool < DrawToolCount; ++tool) {
        colors[tool] = DrawToolDefaults[tool].color;
        sizes[tool] = DrawToolDefaults[tool].size;
    }
}

void setHotkey(TRHotkey& key, std::uint32_t modifiers, std::uint32_t vk, bool setEnable) {
    key.fsModifiers = modifiers;
    key.vk = vk;
    if (setEnable)
        key.Enable = 1;
}

void setRecorderHotkeyDefaults(TRHotkey (&keys)[RecorderHotkeyCount]) {
    constexpr std::uint32_t F1 = 112, F2 = 113, F3 = 114;
    setHotkey(keys[0], ModCtrl, F1, true);
    setHotkey(keys[1], ModCtrl, F2, true);
    setHotkey(keys[2], ModCtrl | ModShift, 'C', true);
    setHotkey(keys[3], ModCtrl | ModShift, 'F', true);
    setHotkey(keys[4], ModCtrl, 'M', true);
    setHotkey(keys[5], ModCtrl, F3, true);
    setHotkey(keys[6], ModCtrl, 'D', true);
    for (int tool = 0; tool <= 9; ++tool)
        setHotkey(keys[7 + tool], ModCtrl | ModAlt, '0' + tool, false);
    setHotkey(keys[17], ModCtrl | ModAlt, 'Z', false);
    setHotkey(keys[18], ModCtrl | ModAlt, 'Y', false);
    setHotkey(keys[19], ModCtrl | ModAlt, 'C', false);
}

void clearList(TRStringList11& list) {
    for (auto& slot : list.Slots)
        slot.clear();
}

void setRecorderDefaults(TSettingsRecord& s) {
    s.ShowRecorderWizard = 1;
    s.ShowVideoWizard = 1;
    setRecorderHotkeyDefaults(s.RecorderHotkeys);
    s.FullScreen = 0;
    s.FullScreenDisplay = -1;
    s.CaptureRate = 30;
    s.CaptureMode = 1;
    s.CaptureModeHA = 1;
    s.CaptureQuality = 80;
    s.CaptureMethod = 1;
    s.CameraName.clear();
    s.CameraStream = 0;
    s.CameraFPS = 30;
    s.CameraWidth = 0;
    s.CameraHeight = 0;
    s.CameraQuality = 60;
    s.CameraHA = 1;
    s.CameraPreview = 1;
    s.PreviewCameraRect = {};
    s.MicDevice.clear();
    s.MuteSound = 0;
    s.UnmuteSound = 0;
    s.SoundDevice.clear();
    std::fill(std::begin(s.RecentAreas), std::end(s.RecentAreas), TRRectI{});
    s.FullScreenArea = {};
    s.RecordScreen = 1;
    s.RecordCamera = 0;
    s.RecordMic = 0;
    s.RecordSound = 0;
    s.CountdownSeconds = 3;
    s.UnlimitedTime = 1;
    s.TimeLimit = 600;
    s.ToolbarAlignment = 1;
    s.RecorderRect = {};
    s.ShowCursor = 1;
    s.ScaleCursor = 100;
    s.CursorEffect = 1;
    s.CEId = 0;
    s.CEColor = 0xA0FFFF;
    s.CESize = 30;
    s.CEOpacity = 50;
    s.CEZoom = 2.0f;
    s.LeftClick = 1;
    s.LEColor = 0xFF0000;
    s.LESize = 30;
    s.RightClick = 1;
    s.REColor = 0x0000FF;
    s.RESize = 30;
    s.CameraScale = 4;
    s.CameraMask = 0;
    s.CameraPosition = 2;
    s.CameraMarginX = 5;
    s.CameraMarginY = 5;
    s.CameraBorderWidth = 2;
    s.CameraBorderColor = 0xFFFFFF;
    s.CameraFlipH = 0;
    s.CameraFlipV = 0;
    s.CameraOpacity = 100;
    s.CameraChroma = 0;
    s.CameraChColor = 0x00FF00;
    s.CameraChTol = 0;
    s.CameraBack = 0;
    s.CameraBackFile.clear();
    s.CameraBackScaleMode = 0;
    s.CameraBackBlur = 0;
    s.CameraFile = 0;
    s.MicFile = 0;
    s.SoundFile = 0;
    clearList(s.RecordingsFolders);
    AddRecordingsFolder(s, DefaultRecordingsFolder);
    s.OutputFormat = 1;
    s.OutputFramePS = 30;
    s.OutputFrameMode = 0;
    s.OutputVideoQuality = 80;
    s.OutputBkColor = 0x000000;
    s.OutputAudioBitrate = 3;
    s.OutputFrameGIF = 10;
    s.OutputGifOptimize = 1;
    s.OutputGifColor = 0xFF00FF00;
    s.OutputWebOptimize = 1;
    s.Logo = 0;
    s.LogoFileName.clear();
    s.LogoPosition = 1;
    s.LogoMarginsX = 10;
    s.LogoMarginsY = 10;
    s.LogoOpacity = 9;
    s.LogoScale = 9;
    s.LogoSS = 0;
    s.LogoFileNameSS.clear();
    s.LogoPositionSS = 2;
    s.LogoMarginsXSS = 10;
    s.LogoMarginsYSS = 10;
    s.LogoOpacitySS = 9;
    s.LogoScaleSS = 9;
    s.ScreenshotFormat = 0;
    s.ScreenshotName.setText("Screenshot");
    s.ScreenshotCursor = 1;
    s.ScreenshotCamera = 0;
    s.ScreenshotSound = 1;
    setDrawToolDefaults(s.DrawToolColors, s.DrawToolSizes);
    s.DrawTool = dtLine;
    s.DrawerButtonsRect = {};
}

void setTTSDefaults(TRTTSRecord& tts) {
    tts.API = 0;
    tts.SAPI_Voice.clear();
    tts.SAPI_Rate = 0;
    tts.SAPI_Volume = 100;
    tts.Google_Language.setText("en-US");
    tts.Google_VoiceDesc.setText("Standard-A   MALE");
    tts.Google_Rate = 100;
    tts.Google_Volume = 0;
}

bool settingsSaveEnabled = true;
QString lastSaveError;

} // namespace

void SetDefaultSettings(TSettingsRecord& s) {
    s.CheckUpdates = 1;
    s.ShowRecorderWizard = 1;
    s.ShowVideoWizard = 1;
    s.ConfirmDelete = 1;
    s.ConfirmTrim = 1;
    s.ConfirmSplit = 1;
    s.NormalizeLoudness = 0;
    s.TargetLoudness = -14.0f;
    s.DefaultObjectDuration = 5;
    s.DefaultTransitionDuration = 500;
    s.DefaultAnimationDuration = 500;
    s.CopySamplesPending = 1;
    s.PropertiesLayout = 1;
    s.FloatingInspector = 0;
    s.DefaultWidth = 1280;
    s.DefaultHeight = 720;
    s.TempStorageFolder.setText(GetWindowsTempPath());
    s.LastProjectFolder.setText(ProjectsFolder);
    clearList(s.RecentProjects);
    clearList(s.VideosFolders);
    AddVideosFolder(s, DefaultVideosFolder);
    clearList(s.ImagesFolders);
    AddImagesFolder(s, DefaultImagesFolder);
    s.AlignToSelection = 0;
    s.GoogleDriveUser.clear();
    s.GoogleDriveFolder.clear();
    setTTSDefaults(s.TTSSettings);
    s.TTSExportFilter = 1;
    s.FrameExportFilter = 2;
    s.AudioExportFilter = 1;
    setDrawToolDefaults(s.SketchToolColors, s.SketchToolSizes);
    s.SketchTool = dtLine;
    setRecorderDefaults(s);
    s.IntroPage = 0;
    s.LastStep.clear();
    s.LastStepProjectOpen = 0;
    s.SessionCount = 0;
    s.MinutesUsed = 0;
    std::fill(std::begin(s.RecordedSeconds), std::end(s.RecordedSeconds), 0);
    s.LastReportDate = 0;
}

// ---- load and save ----

bool LoadSettings(TSettingsRecord& settings) {
    const platform::system::RegistryKey key(SettingsKeyName);
    const auto data =
        key.exists() ? key.readBinary(SettingsValueName, SettingsRecordSize) : std::nullopt;
    if (!data || data->size() != SettingsRecordSize) {
        SetDefaultSettings(settings);
        return false;
    }
    QDataStream stream(*data);
    stream.readRawData(reinterpret_cast<char*>(&settings), SettingsRecordSize);
    ValidateSettings(settings);
    return true;
}

bool SaveSettings(TSettingsRecord& settings) {
    if (!settingsSaveEnabled)
        return false;
    const platform::system::RegistryKey key(SettingsKeyName);
    const QByteArray data(reinterpret_cast<const char*>(&settings), SettingsRecordSize);
    if (key.writeBinary(SettingsValueName, data)) {
        lastSaveError.clear();
        return true;
    }
    lastSaveError = "Cannot write the settings to " + key.valuePath(SettingsValueName);
    qWarning().noquote() << lastSaveError;
    return false;
}

void SetSettingsSaveEnabled(bool enabled) {
    settingsSaveEnabled = enabled;
}

bool SettingsSaveEnabled() {
    return settingsSaveEnabled;
}

QString LastSettingsSaveError() {
    return lastSaveError;
}

void SaveLastStep(TSettingsRecord& settings, const TRProject* project, const QString& step) {
    if (!FirstInstance)
        return;
    settings.LastStepProjectOpen = project ? 1 : 0;
    settings.LastStep.setText(step);
    SaveSettings(settings);
}

// ---- most-recently-used lists ----

QStringList ListEntries(const TRStringList11& list) {
    QStringList entries;
    for (int slot = 1; slot <= 10; ++slot)
        entries << list.Slots[slot].text();
    return entries;
}

namespace {

void writeEntries(TRStringList11& list, const QStringList& entries) {
    for (int slot = 1; slot <= 10; ++slot)
        list.Slots[slot].setText(entries.value(slot - 1));
}

qsizetype indexOfIgnoringCase(const QStringList& entries, const QString& text) {
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (entries[i].compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void addToList(TRStringList11& list, const QString& text) {
    if (text.trimmed().isEmpty())
        return;
    QStringList entries = ListEntries(list);
    const qsizetype found = indexOfIgnoringCase(entries, text);
    if (found >= 0)
        entries.removeAt(found);
    else
        entries.removeLast();
    entries.prepend(text);
    writeEntries(list, entries);
}

QString firstExistingFolder(TRStringList11& list, const QString& defaultFolder) {
    for (const QString& entry : ListEntries(list))
        if (!entry.isEmpty() && QFileInfo(entry).isDir())
            return entry;
    QDir().mkpath(defaultFolder);
    addToList(list, defaultFolder);
    return defaultFolder;
}

} // namespace

void AddRecentProject(TSettingsRecord& settings, const QString& fileName) {
    addToList(settings.RecentProjects, fileName);
}

void RemoveRecentProject(TSettingsRecord& settings, const QString& fileName) {
    if (fileName.trimmed().isEmpty())
        return;
    QStringList entries = ListEntries(settings.RecentProjects);
    const qsizetype found = indexOfIgnoringCase(entries, fileName);
    if (found < 0)
        return;
    entries.removeAt(found);
    writeEntries(settings.RecentProjects, entries);
}

void AddVideosFolder(TSettingsRecord& settings, const QString& folder) {
    addToList(settings.VideosFolders, folder);
}

void AddImagesFolder(TSettingsRecord& settings, const QString& folder) {
    addToList(settings.ImagesFolders, folder);
}

void AddRecordingsFolder(TSettingsRecord& settings, const QString& folder) {
    addToList(settings.RecordingsFolders, folder);
}

QString GetVideosFolder(TSettingsRecord& settings) {
    return firstExistingFolder(settings.VideosFolders, DefaultVideosFolder);
}

QString GetImagesFolder(TSettingsRecord& settings) {
    return firstExistingFolder(settings.ImagesFolders, DefaultImagesFolder);
}

QString GetRecordingsFolder(TSettingsRecord& settings) {
    return firstExistingFolder(settings.RecordingsFolders, DefaultRecordingsFolder);
}

void AddRecentArea(TSettingsRecord& settings, const TRRectI& rect) {
    auto& areas = settings.RecentAreas;
    int found = 0;
    while (found < 10 && !(areas[found] == rect))
        ++found;
    if (found == 0)
        return;
    const int last = found < 10 ? found : 9;
    for (int i = last; i > 0; --i)
        areas[i] = areas[i - 1];
    areas[0] = rect;
}
