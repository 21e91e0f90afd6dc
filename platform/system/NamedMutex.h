#pragma once
// A machine-wide named mutex for the current user: an exclusive advisory lock (flock) on a
// file of that name in $XDG_RUNTIME_DIR (the temporary folder when that is not set). The lock
// is released when the object is destroyed or the process ends, even by a crash.

#include <QString>

namespace platform::system {

class NamedMutex {
public:
    // Creates the mutex and tries to own it at once.
    explicit NamedMutex(const QString& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when another holder owned the mutex at creation (the mutex "already existed").
    bool alreadyExisted() const { return alreadyExisted_; }
    // True when this object owns the mutex.
    bool owned() const { return fd_ >= 0 && !alreadyExisted_; }
    // Releases ownership now; the destructor does the same.
    void close();

    // The lock file of a mutex name.
    static QString lockPath(const QString& name);

private:
    int fd_ = -1;
    bool alreadyExisted_ = false;
};

} // namespace platform::system
