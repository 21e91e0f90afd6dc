// Start-up of the media layer: what the machine can decode and encode, and the per-thread
// bracket every worker thread that uses the layer keeps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::media {

// Which codecs and containers are present. Names are FFmpeg's component names
// ("libx264", "aac", "mp4", ...).
bool hasDecoder(std::string_view name);
bool hasEncoder(std::string_view name);
bool hasMuxer(std::string_view name);
bool hasDemuxer(std::string_view name);

// The components the program cannot run without, and those that only enable one format.
struct Availability {
    bool available = false;           // every required component is present
    std::vector<std::string> missing; // required components that are absent, as "kind name"
    std::vector<std::string> missingOptional;
};

// Looks every component up once per call; cheap enough for start-up.
Availability probe();

// Sets the libraries up once per process (their console logging off: the layer reports its own
// errors). Every entry point of the layer that touches them calls it.
void initialiseLibraries();

// Per-thread start and stop of the layer; must be called in pairs on the same thread.
// Starting sets the libraries up and counts the thread's brackets.
void startupThread();
void shutdownThread();
bool isThreadStarted();

// The bracket as an object for threads whose body is one scope.
class ThreadScope {
public:
    ThreadScope() { startupThread(); }
    ~ThreadScope() { shutdownThread(); }
    ThreadScope(const ThreadScope&) = delete;
    ThreadScope& operator=(const ThreadScope&) = delete;
};

} // namespace platform::media
