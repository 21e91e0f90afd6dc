#pragma once
// The user's known folders and the desktop's "open" verb.

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

} // namespace platform::system
