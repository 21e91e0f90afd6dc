#pragma once
// The user's known folders and the desktop's "open" verb.

#include <QString>

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
// Opens a file with its default application, or shows a folder in the file manager.
bool openPath(const QString& path);

} // namespace platform::system
