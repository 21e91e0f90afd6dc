#pragma once
// An exclusive advisory lock (flock) on a file or a folder. Linux has no mandatory locks, so
// "in use" means "some process holds this lock": every writer that must not lose its file or
// folder to another process's clean-up takes one. The lock ends with the object or the process,
// even by a crash.

#include <QString>

namespace platform::system {

class FileLock {
public:
    // Tries to take the lock on an existing file or folder at once; owned() tells the outcome.
    explicit FileLock(const QString& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool owned() const { return fd_ >= 0; }
    void release();

    // True when the file or folder exists and another holder (another process, or another
    // FileLock of this one) has it locked.
    static bool isLocked(const QString& path);

private:
    int fd_ = -1;
};

} // namespace platform::system
