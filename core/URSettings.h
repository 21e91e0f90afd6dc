#pragma once
// The one settings record of the program: a packed little-endian block of exactly 16136 bytes,
// stored whole in the value "Data" of the settings key "Tavrin". Every offset is part of the
// stored format; the static_asserts in URSettings.cpp pin each field.

#include <QRect>
#include <QString>
#include <cstdint>

class TRProject;

#pragma pack(push, 1)

// A length-prefixed text slot of 256 bytes. The text is kept as UTF-8 and cut to at most 255
// bytes at a character boundary.
struct TRShortString {
    std::uint8_t Length;
    char Text[255];

    QString text() const;
    void setText(const QString& value);
    void clear() { Length = 0; }
    bool isEmpty() const { return Length == 0; }
};

// A most-recently-used list: slot 0 belongs to the layout but is never used; slots 1..10 hold
// the list, newest first.
struct TRStringList11 {
    TRShortString Slots[11];
};

// The recorder's global hot key: Windows modifier bits (Alt 1, Ctrl 2, Shift 4) and virtual-key
// code, kept in that form because it is stored.
struct TRHotkey {
    std::uint32_t fsModifiers;
    std::uint32_t vk;
    std::uint8_t Enable;
    std::uint8_t Padding[3];
};

struct TRRectI {
    std::int32_t Left, Top, Right, Bottom;
    bool operator==(const TRRectI&) const = default;
};

struct TRGuid {
    std::uint8_t Bytes[16];
};

// The stored part of the speech settings of a speech object.
struct TRTTSRecord {
    std::int32_t API;
    TRShortString SAPI_Voice;
    std::int32_t SAPI_Rate;
    std::int32_t SAPI_Volume;
    TRShortString Google_Language;
    TRShortString Google_VoiceDesc;
    std::int32_t Google_Rate;
    std::int32_t Google_Volume;
};

enum TRDrawTool : std::uint8_t {
    dtNone,
    dtLine,
    dtArrow,
    dtRectangle,
    dtEllipse,
    dtPen,
    dtHighlighter,
    dtNumbering,
    dtText,
    dtErase,
    dtEnd
};
inline constexpr int DrawToolCount = dtEnd + 1;
inline constexpr std::uint32_t NoColor = 0x1FFFFFFF;
inline constexpr int RecorderHotkeyCount = 20;

struct TSettingsRecord {
    std::uint8_t CheckUpdates;
    std::uint8_t ShowRecorderWizard;
    std::uint8_t ShowVideoWizard;
    std::uint8_t ConfirmDelete;
    std::uint8_t ConfirmTrim;
    std::uint8_t ConfirmSplit;
    std::uint8_t NormalizeLoudness;
    std::uint8_t Padding7;
    float TargetLoudness;
    std::int32_t DefaultObjectDuration;
    std::int32_t DefaultTransitionDuration;
    std::int32_t DefaultAnimationDuration;
    TRShortString TempStorageFolder;
    std::uint8_t CopySamplesPending;
    std::uint8_t Padding281[3];
    std::int32_t PropertiesLayout;
    std::uint8_t FloatingInspector;
    std::uint8_t Padding289[3];
    std::int32_t DefaultWidth;
    std::int32_t DefaultHeight;
    TRShortString LastProjectFolder;
    TRStringList11 VideosFolders;
    TRStringList11 RecentProjects;
    TRStringList11 ImagesFolders;
    TRTTSRecord TTSSettings;
    std::int32_t TTSExportFilter;
    std::int32_t FrameExportFilter;
    std::int32_t AudioExportFilter;
    std::uint8_t AlignToSelection;
    TRShortString GoogleDriveUser;
    TRShortString GoogleDriveFolder;
    std::uint8_t Padding10317[3];
    std::uint32_t SketchToolColors[DrawToolCount];
    std::uint8_t SketchToolSizes[DrawToolCount];
    std::uint8_t SketchTool;

    // The recorder block, bytes 10376..15839.
    TRHotkey RecorderHotkeys[RecorderHotkeyCount];
    std::uint8_t FullScreen;
    std::uint8_t Padding10617[3];
    std::int32_t FullScreenDisplay;
    std::int32_t CaptureRate;
    std::uint8_t CaptureMode;
    std::uint8_t CaptureModeHA;
    std::uint8_t Padding10630[2];
    std::int32_t CaptureQuality;
    std::uint8_t CaptureMethod;
    TRShortString CameraName;
    std::uint8_t Padding10893[3];
    std::int32_t CameraStream;
    std::int32_t CameraFPS;
    std::int32_t CameraWidth;
    std::int32_t CameraHeight;
    TRGuid CameraSubType;
    TRGuid CameraFormatType;
    std::int32_t CameraQuality;
    std::uint8_t CameraHA;
    std::uint8_t CameraPreview;
    std::uint8_t Padding10950[2];
    TRRectI PreviewCameraRect;
    TRShortString MicDevice;
    std::uint8_t MuteSound;
    std::uint8_t UnmuteSound;
    TRShortString SoundDevice;
    std::uint8_t Padding11482[2];
    TRRectI RecentAreas[10];
    std::uint8_t Reserved11644[16];
    TRRectI FullScreenArea;
    std::uint8_t RecordScreen;
    std::uint8_t RecordCamera;
    std::uint8_t RecordMic;
    std::uint8_t RecordSound;
    std::int32_t CountdownSeconds;
    std::uint8_t UnlimitedTime;
    std::uint8_t Padding11685[3];
    std::int32_t TimeLimit;
    std::int32_t ToolbarAlignment;
    TRRectI RecorderRect;
    std::uint8_t ShowCursor;
    std::uint8_t Padding11713[3];
    std::int32_t ScaleCursor;
    std::uint8_t CursorEffect;
    std::uint8_t Padding11721[3];
    std::int32_t CEId;
    std::uint32_t CEColor;
    std::int32_t CESize;
    std::int32_t CEOpacity;
    float CEZoom;
    std::uint8_t LeftClick;
    std::uint8_t Padding11745[3];
    std::uint32_t LEColor;
    std::int32_t LESize;
    std::uint8_t RightClick;
    std::uint8_t Padding11757[3];
    std::uint32_t REColor;
    std::int32_t RESize;
    std::int32_t CameraScale;
    std::int32_t CameraMask;
    std::int32_t CameraPosition;
    std::int32_t CameraMarginX;
    std::int32_t CameraMarginY;
    std::int32_t CameraBorderWidth;
    std::uint32_t CameraBorderColor;
    std::uint8_t CameraFlipH;
    std::uint8_t CameraFlipV;
    std::uint8_t Padding11798[2];
    std::int32_t CameraOpacity;
    std::uint8_t CameraChroma;
    std::uint8_t Padding11805[3];
    std::uint32_t CameraChColor;
    std::int32_t CameraChTol;
    std::uint8_t CameraBack;
    TRShortString CameraBackFile;
    std::uint8_t Padding12073[3];
    std::int32_t CameraBackScaleMode;
    std::int32_t CameraBackBlur;
    std::uint8_t CameraFile;
    std::uint8_t MicFile;
    std::uint8_t SoundFile;
    TRStringList11 RecordingsFolders;
    std::uint8_t Padding14903;
    std::int32_t OutputFormat;
    std::int32_t OutputFramePS;
    std::int32_t OutputFrameMode;
    std::int32_t OutputVideoQuality;
    std::uint32_t OutputBkColor;
    std::int32_t OutputAudioBitrate;
    std::int32_t OutputFrameGIF;
    std::int32_t OutputGifOptimize;
    std::uint32_t OutputGifColor;
    std::int32_t OutputWebOptimize;
    std::uint8_t Logo;
    TRShortString LogoFileName;
    std::uint8_t Padding15201[3];
    std::int32_t LogoPosition;
    std::int32_t LogoMarginsX;
    std::int32_t LogoMarginsY;
    std::int32_t LogoOpacity;
    std::int32_t LogoScale;
    std::uint8_t LogoSS;
    TRShortString LogoFileNameSS;
    std::uint8_t Padding15481[3];
    std::int32_t LogoPositionSS;
    std::int32_t LogoMarginsXSS;
    std::int32_t LogoMarginsYSS;
    std::int32_t LogoOpacitySS;
    std::int32_t LogoScaleSS;
    std::int32_t ScreenshotFormat;
    TRShortString ScreenshotName;
    std::uint8_t ScreenshotCursor;
    std::uint8_t ScreenshotCamera;
    std::uint8_t ScreenshotSound;
    std::uint8_t Padding15767;
    std::uint32_t DrawToolColors[DrawToolCount];
    std::uint8_t DrawToolSizes[DrawToolCount];
    std::uint8_t DrawTool;
    TRRectI DrawerButtonsRect;
    // End of the recorder block.

    std::int32_t IntroPage;
    TRShortString LastStep;
    std::uint8_t LastStepProjectOpen;
    std::uint8_t Padding16101[3];
    std::uint32_t SessionStartTick;
    std::int32_t SessionCount;
    std::int32_t MinutesUsed;
    std::int32_t RecordedSeconds[3];
    double LastReportDate;
};

#pragma pack(pop)

inline constexpr int SettingsRecordSize = 16136;
static_assert(sizeof(TSettingsRecord) == SettingsRecordSize);

// The one global settings record.
extern TSettingsRecord SettingsRecord;

// The name of the settings key and of its record value.
inline const char* const SettingsKeyName = "Tavrin";
inline const char* const SettingsValueName = "Data";

void SetDefaultSettings(TSettingsRecord& settings);
// True when the stored record was read whole; otherwise the defaults were applied.
bool LoadSettings(TSettingsRecord& settings);
// True when the whole record was written.
bool SaveSettings(TSettingsRecord& settings);
// Whether SaveSettings writes at all. A second instance turns it off so that it never writes
// its record over the first instance's.
void SetSettingsSaveEnabled(bool enabled);
bool SettingsSaveEnabled();
// The step breadcrumb: records the step and writes the whole record at once.
void SaveLastStep(TSettingsRecord& settings, const TRProject* project, const QString& step);
// The last failure of SaveSettings, for the breadcrumb and the log; empty after a success.
QString LastSettingsSaveError();

void AddRecentProject(TSettingsRecord& settings, const QString& fileName);
void RemoveRecentProject(TSettingsRecord& settings, const QString& fileName);
void AddVideosFolder(TSettingsRecord& settings, const QString& folder);
void AddImagesFolder(TSettingsRecord& settings, const QString& folder);
void AddRecordingsFolder(TSettingsRecord& settings, const QString& folder);
QString GetVideosFolder(TSettingsRecord& settings);
QString GetImagesFolder(TSettingsRecord& settings);
QString GetRecordingsFolder(TSettingsRecord& settings);
void AddRecentArea(TSettingsRecord& settings, const TRRectI& rect);

// The entries of slots 1..10 of a list, in order, empty ones included.
QStringList ListEntries(const TRStringList11& list);
