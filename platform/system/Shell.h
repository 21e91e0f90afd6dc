#pragma once
// The user's known folders, the desktop's "open" verb and the file manager.

#include <QString>
#include <functional>

namespace platform::system {

enum class KnownFolder {
    Documents,
    Downloads,
    Pictures,
    Videos,
    Music,
    Desktop,
    AppData,
    Cache,
    Temp
};

// The folder's path without a trailing separator, or empty when the desktop does not know it.
QString knownFolderPath(KnownFolder folder);

// Opens a web address in the default browser; false when no handler took it.
bool openUrl(const QString& url);
// Replaces the default browser for openUrl (tests play the browser); an empty opener restores
// it.
using UrlOpener = std::function<bool(const QString& url)>;
void setUrlOpener(UrlOpener opener);
// Opens a file with its default application, or shows a folder in the file manager.
bool openPath(const QString& path);
// Shows an existing local file selected in the desktop's file manager (the session bus's
// org.freedesktop.FileManager1 ShowItems), or opens its folder with xdg-open when no file
// manager answers. False for a file that does not exist or when neither way worked.
bool showInFolder(const QString& file);

} // namespace platform::system
