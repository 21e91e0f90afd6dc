#include "core/URUtils.h"

#include "core/URSettings.h"
#include "platform/system/Shell.h"
#include "platform/system/SystemInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QMargins>
#include <QRegularExpression>
#include <QWindow>
#include <cmath>
#include <optional>

QString AppFolder;
QString DepotFolder;
QString EffectsFolder;
QString CursorFolder;
QString TemplatesFolder;
QString SamplesFolder;
QString UserFolder;
QString ProjectsFolder;
QString DefaultVideosFolder;
QString DefaultRecordingsFolder;
QString DefaultImagesFolder;
QString DownloadsFolder;
QString TempRoot;

TRPropertiesClipboard PropertiesClipboard;

namespace {

QString withSlash(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

// Round to the nearest integer, halves to the even neighbour.
double roundHalfEven(double value) {
    return std::nearbyint(value);
}

QString twoDigits(std::int64_t value) {
    return QString::number(value).rightJustified(2, '0');
}

} // namespace

void InitializeProgramFolders(const QString& programFolder) {
    AppFolder = withSlash(programFolder);
    DepotFolder = AppFolder + "Depot/";
    EffectsFolder = DepotFolder + "Effects/";
    CursorFolder = DepotFolder + "Cursor/";
    TemplatesFolder = DepotFolder + "Templates/";
    SamplesFolder = DepotFolder + "Samples/";
}

void InitializeUserFolders() {
    UserFolder = GetSpecialFolder(CSIDL_PERSONAL) + "Tavrin";
    QDir().mkpath(UserFolder);
    ProjectsFolder = UserFolder + "/Projects/";
    DefaultVideosFolder = UserFolder + "/Videos/";
    DefaultRecordingsFolder = UserFolder + "/Recordings/";
    DefaultImagesFolder = UserFolder + "/Images/";
    for (const QString& folder :
         {ProjectsFolder, DefaultVideosFolder, DefaultRecordingsFolder, DefaultImagesFolder})
        QDir().mkdir(folder);
    const QString downloads = GetDownloadsFolder();
    if (!downloads.isEmpty() && QFileInfo(downloads).isDir()) {
        DownloadsFolder = downloads + "/";
    } else {
        DownloadsFolder = DepotFolder + "Downloads/";
        QDir().mkpath(DownloadsFolder);
    }
}

void TRPropertiesClipboard::Reset() {
    *this = TRPropertiesClipboard{};
}

// ---- key captions ----

const TRKeyCaption KeyCaptions[KeyCaptionCount] = {
    {112, "F1", 1.5f, false},       {113, "F2", 1.5f, false},     {114, "F3", 1.5f, false},
    {115, "F4", 1.5f, false},       {116, "F5", 1.5f, false},     {117, "F6", 1.5f, false},
    {118, "F7", 1.5f, false},       {119, "F8", 1.5f, false},     {120, "F9", 1.5f, false},
    {121, "F10", 1.5f, false},      {122, "F11", 1.5f, false},    {123, "F12", 1.5f, false},
    {124, "F13", 1.5f, false},      {125, "F14", 1.5f, false},    {126, "F15", 1.5f, false},
    {127, "F16", 1.5f, false},      {128, "F17", 1.5f, false},    {129, "F18", 1.5f, false},
    {130, "F19", 1.5f, false},      {131, "F20", 1.5f, false},    {132, "F21", 1.5f, false},
    {133, "F22", 1.5f, false},      {134, "F23", 1.5f, false},    {135, "F24", 1.5f, false},
    {13, "RETURN", 2.0f, true},     {32, "SPACE", 2.0f, true},    {33, "Page Up", 2.0f, true},
    {34, "Page Down", 2.0f, true},  {35, "End", 2.0f, true},      {36, "Home", 2.0f, true},
    {37, "LEFT", 2.0f, true},       {38, "UP", 2.0f, true},       {39, "RIGHT", 2.0f, true},
    {40, "DOWN", 2.0f, true},       {41, "SELECT", 2.0f, true},   {44, "PRINT SCREEN", 2.0f, true},
    {45, "Insert", 2.0f, true},     {46, "Delete", 2.0f, true},   {96, "0", 1.0f, false},
    {97, "1", 1.0f, false},         {98, "2", 1.0f, false},       {99, "3", 1.0f, false},
    {100, "4", 1.0f, false},        {101, "5", 1.0f, false},      {102, "6", 1.0f, false},
    {103, "7", 1.0f, false},        {104, "8", 1.0f, false},      {105, "9", 1.0f, false},
    {106, "MULTIPLY", 2.0f, true},  {107, "ADD", 2.0f, true},     {108, "SEPARATOR", 2.0f, true},
    {109, "SUBSTRACT", 2.0f, true}, {110, "DECIMAL", 2.0f, true}, {111, "DIVIDE", 2.0f, true},
    {19, "PAUSE", 2.0f, true},
};

// ---- times ----

QString FormatTimeFrames(std::int32_t ms) {
    std::int64_t seconds = ms / 1000;
    auto frames = static_cast<std::int64_t>(roundHalfEven((ms % 1000) * 30 / 1000.0));
    if (frames == 30) {
        ++seconds;
        frames = 0;
    }
    const std::int64_t minutes = (seconds / 60) % 60;
    const std::int64_t hours = seconds / 3600;
    QString text = twoDigits(minutes) + ":" + twoDigits(seconds % 60) + "." + twoDigits(frames);
    if (hours > 0)
        text = QString::number(hours) + ":" + text;
    return text;
}

QString FormatTimeHMS(std::int32_t ms) {
    const std::int32_t hours = ms / 3600000;
    const std::int32_t rest = (ms / 1000) % 3600;
    return twoDigits(hours) + ":" + twoDigits(rest / 60) + ":" + twoDigits(rest % 60);
}

QString FormatTimeMS(std::int32_t ms) {
    const std::int32_t rest = (ms / 1000) % 3600;
    return twoDigits(rest / 60) + ":" + twoDigits(rest % 60);
}

QString FormatTimeMillis(std::int32_t ms) {
    return FormatTimeMS(ms) + ":" + QString::number(ms % 1000).rightJustified(3, '0');
}

QString FormatDuration(std::int32_t value, std::int32_t unit) {
    if (unit <= 0)
        return {};
    const std::int32_t count = (value - value % unit) / unit;
    const std::int32_t minutes = count / 60;
    const std::int32_t seconds = count % 60;
    if (minutes == 0)
        return QString::number(seconds) + "s";
    QString text = QString::number(minutes) + "m";
    if (seconds > 0)
        text += QString::number(seconds) + "s";
    return text;
}

std::int32_t SnapToFrame(std::int32_t ms) {
    const double frameLength = 1000.0 / 30;
    const double frames =
        static_cast<double>(ms / 1000) * 30 + roundHalfEven((ms % 1000) / frameLength);
    return static_cast<std::int32_t>(roundHalfEven(frames * frameLength));
}

// ---- hot keys ----

namespace {

bool isDigitOrLetterKey(std::uint32_t key) {
    return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
}

const TRKeyCaption* findKeyCaption(std::uint32_t key) {
    for (const TRKeyCaption& row : KeyCaptions)
        if (static_cast<std::uint32_t>(row.VirtualKey) == key)
            return &row;
    return nullptr;
}

} // namespace

bool IsValidHotkeyKey(std::uint32_t key) {
    return isDigitOrLetterKey(key) || findKeyCaption(key) != nullptr;
}

bool IsDigitOrLetterKey(std::uint32_t key) {
    return isDigitOrLetterKey(key);
}

const TRKeyCaption* FindKeyCaption(std::uint32_t key) {
    return findKeyCaption(key);
}

QString HotkeyToText(const TRHotkey& hotkey) {
    constexpr std::uint32_t ModAlt = 1, ModCtrl = 2, ModShift = 4;
    QStringList parts;
    if (hotkey.fsModifiers & ModCtrl)
        parts << "Ctrl";
    if (hotkey.fsModifiers & ModShift)
        parts << "Shift";
    if (hotkey.fsModifiers & ModAlt)
        parts << "Alt";
    if (isDigitOrLetterKey(hotkey.vk))
        parts << QString(QChar(static_cast<char16_t>(hotkey.vk)));
    else if (const TRKeyCaption* row = findKeyCaption(hotkey.vk))
        parts << QString::fromLatin1(row->Caption);
    return parts.join(" + ");
}

// ---- folders and windows ----

QString GetSpecialFolder(std::int32_t csidl) {
    using platform::system::KnownFolder;
    std::optional<KnownFolder> folder;
    switch (csidl) {
    case 0x0000: // desktop
    case 0x0010:
        folder = KnownFolder::Desktop;
        break;
    case CSIDL_PERSONAL:
        folder = KnownFolder::Documents;
        break;
    case 0x000D:
        folder = KnownFolder::Music;
        break;
    case 0x000E:
        folder = KnownFolder::Videos;
        break;
    case 0x001A:
    case 0x001C:
        folder = KnownFolder::AppData;
        break;
    case 0x0027:
        folder = KnownFolder::Pictures;
        break;
    default:
        return {};
    }
    const QString path = platform::system::knownFolderPath(*folder);
    return path.isEmpty() ? QString() : withSlash(path);
}

QString GetDownloadsFolder() {
    return platform::system::knownFolderPath(platform::system::KnownFolder::Downloads);
}

QString GetWindowsTempPath() {
    return withSlash(platform::system::knownFolderPath(platform::system::KnownFolder::Temp));
}

// The window manager's frame is part of what the user sees on X11, so there is no invisible
// border to remove and no composition library to load.
void LoadDwmApi() {}
void FreeDwmApi() {}
bool IsDwmCompositionEnabled() {
    return false;
}

bool GetVisibleWindowRect(const QWindow* window, QRect& rect) {
    if (!window)
        return false;
    rect = window->frameGeometry();
    return true;
}

void SetVisibleWindowRect(QWindow* window, const QRect& rect) {
    if (!window)
        return;
    const QMargins frame = window->frameMargins();
    window->setFramePosition(rect.topLeft());
    window->resize(rect.width() - frame.left() - frame.right(),
                   rect.height() - frame.top() - frame.bottom());
}

// ---- files, names and versions ----

std::int64_t FileSizeOf(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.isFile() ? info.size() : 0;
}

QString FormatFileSize(std::int64_t size) {
    const auto divided = [](std::int64_t value, double divisor, const char* unit) {
        // Whole numbers, halves away from zero.
        return QString::number(static_cast<std::int64_t>(std::round(value / divisor))) + unit;
    };
    if (size < 1024)
        return QString::number(size) + " bytes";
    if (size <= 1048575)
        return divided(size, 1024.0, " KB");
    if (size > 1073741823)
        return divided(size, 1073741824.0, " GB");
    return divided(size, 1048576.0, " MB");
}

QString ReplaceInvalidFileNameChars(const QString& text) {
    static const QRegularExpression invalid(R"([/\\:*?"<>|,])");
    return text.trimmed().remove(invalid);
}

QString GetVersionString() {
    const QStringList parts = QStringLiteral(TAVRIN_VERSION_STRING).split('.');
    if (parts.size() != 4)
        return "2023.2";
    QString text = parts[0];
    if (parts[1] != "0")
        text += "." + parts[1];
    return text + " (Build " + parts[2] + "." + parts[3] + ")";
}

QString GetShortVersion() {
    QString text = GetVersionString();
    text.replace(text.indexOf(" (Build "), 8, ".");
    const qsizetype close = text.indexOf(')');
    if (close >= 0)
        text.remove(close, 1);
    text.remove(' ');
    text.replace("beta", "b", Qt::CaseInsensitive);
    return text;
}

bool IsWindowsServer() {
    return platform::system::isServerEdition();
}
