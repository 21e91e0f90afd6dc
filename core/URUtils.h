#pragma once
// Small services used all over the program: the program and user folders, time texts on the
// 30-frames-per-second grid, hot-key texts, file sizes and names, version texts, and the
// process-wide copy buffer of properties and objects.

#include <QList>
#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>

class QWindow;
class TRObject;
class TRProject;
class TRPropList;
class TRPropTransitionIn;
class TRPropTransitionOut;
class TRPropBase;
class TRPropMediaSpeed;
struct TRHotkey;

// ---- program and user folders (each ends with '/' unless said otherwise) ----
extern QString AppFolder;
extern QString DepotFolder;
extern QString EffectsFolder;
extern QString CursorFolder;
extern QString TemplatesFolder;
extern QString SamplesFolder;
extern QString UserFolder; // no trailing '/'
extern QString ProjectsFolder;
extern QString DefaultVideosFolder;
extern QString DefaultRecordingsFolder;
extern QString DefaultImagesFolder;
extern QString DownloadsFolder;
extern QString TempRoot;

// Sets the program folders from the folder of the program file, and the user folders from the
// documents folder (creating those that are missing, one level deep).
void InitializeProgramFolders(const QString& programFolder);
void InitializeUserFolders();

// ---- the copy buffer of properties and objects ----
struct TRPropertiesClipboard {
    std::shared_ptr<TRPropList> PropList;
    std::shared_ptr<TRPropTransitionIn> TrIn;
    std::shared_ptr<TRPropTransitionOut> TrOut;
    std::shared_ptr<TRPropBase> AudioV; // the volume group (TRPropAudioV once registered)
    std::shared_ptr<TRPropMediaSpeed> MediaSpeed;
    std::uint8_t MarkerFlag = 0;
    QList<TRObject*> Objects; // not owned
    std::uint8_t IsCut = 0;
    TRProject* SourceProject = nullptr;
    std::int32_t EarliestStart = 0;

    void Reset();
};
extern TRPropertiesClipboard PropertiesClipboard;

// ---- key captions ----
struct TRKeyCaption {
    std::int32_t VirtualKey;
    const char* Caption;
    float WidthUnits;
    bool SmallCaption;
};
inline constexpr int KeyCaptionCount = 55;
// Rows 1..55 of the key caption table are KeyCaptions[0..54].
extern const TRKeyCaption KeyCaptions[KeyCaptionCount];

// ---- times (integer milliseconds) ----
QString FormatTimeFrames(std::int32_t ms);
QString FormatTimeHMS(std::int32_t ms);
QString FormatTimeMS(std::int32_t ms);
QString FormatTimeMillis(std::int32_t ms);
QString FormatDuration(std::int32_t value, std::int32_t unit);
std::int32_t SnapToFrame(std::int32_t ms);

// ---- hot keys ----
bool IsValidHotkeyKey(std::uint32_t key);
// Virtual-key codes 48-57 and 65-90: the key's caption is its own character.
bool IsDigitOrLetterKey(std::uint32_t key);
// The row of KeyCaptions for a virtual-key code; nullptr when the table has none.
const TRKeyCaption* FindKeyCaption(std::uint32_t key);
QString HotkeyToText(const TRHotkey& hotkey);

// ---- folders and windows ----
// The shell folder of a CSIDL number with a trailing '/', empty when unknown.
QString GetSpecialFolder(std::int32_t csidl);
inline constexpr std::int32_t CSIDL_PERSONAL = 5;
QString GetDownloadsFolder();
QString GetWindowsTempPath();
void LoadDwmApi();
void FreeDwmApi();
bool IsDwmCompositionEnabled();
// The window's rectangle as the user sees it (with the window manager's frame).
bool GetVisibleWindowRect(const QWindow* window, QRect& rect);
void SetVisibleWindowRect(QWindow* window, const QRect& rect);

// ---- files, names and versions ----
std::int64_t FileSizeOf(const QString& fileName);
QString FormatFileSize(std::int64_t size);
QString ReplaceInvalidFileNameChars(const QString& text);
QString GetVersionString();
QString GetShortVersion();
bool IsWindowsServer();
