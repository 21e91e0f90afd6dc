#pragma once
// Folders only their owner may enter: created with mode 0700 and trusted only when the current
// user owns them and no one else can write into them.

#include <QString>

namespace platform::system {

enum class FolderCreation { Created, Exists, Failed };

// Creates one folder level with mode 0700. `Exists` when something is already at the path (it
// is not checked); `Failed` with the system's reason in `error` for any other failure.
FolderCreation makePrivateFolder(const QString& path, QString& error);
// True when the path is a real folder (not a link) owned by the current user; a folder that
// others may enter is closed to them (mode 0700). False with the reason in `error` otherwise.
bool ensurePrivateFolder(const QString& path, QString& error);

} // namespace platform::system
