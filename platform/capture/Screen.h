#pragma once
// Pictures of the X screen: the monitors (RandR 1.5) and grabs of a root rectangle as 32-bit
// BGRA (alpha 255, top row first), by shared memory with change notification (DAMAGE) or by
// plain GetImage requests. Every grabber owns its own connection, so each worker thread has one.

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::capture {

struct Monitor {
    QString name;
    QRect geometry; // root pixels
    bool primary = false;
};

// The monitors of the display (nullptr: $DISPLAY); empty when it cannot be reached.
std::vector<Monitor> monitors(const char* display = nullptr);
// One line per monitor and the extensions the grabbers use, for the capture-device report.
QStringList displayReport(const char* display = nullptr);

enum class GrabMethod {
    GetImage = 0,     // a GetImage request per picture, polled at the frame rate
    SharedMemory = 1, // MIT-SHM pictures, taken when DAMAGE reports a change in the area
};

class ScreenGrabber {
public:
    // Connects and sets up `method` for `area` (root pixels; it may reach beyond the screen).
    // When SharedMemory cannot be set up, ready() is false and trail() names what failed.
    ScreenGrabber(const QRect& area, GrabMethod method, const char* display = nullptr);
    ~ScreenGrabber();
    ScreenGrabber(const ScreenGrabber&) = delete;
    ScreenGrabber& operator=(const ScreenGrabber&) = delete;

    bool ready() const;
    // The set-up steps, each followed by what failed ("shm=missing", ...).
    const QString& trail() const { return trail_; }
    const QRect& area() const { return area_; }
    int stride() const { return area_.width() * 4; }

    // SharedMemory: waits up to timeoutMs for damage that meets the area; true when the area
    // changed since the previous call (the first call always reports a change). GetImage: true.
    bool waitForChange(int timeoutMs);
    // Copies the area into `dest` (stride() bytes per row); pixels outside every monitor are 0.
    // False when the grab failed or the screen changed size: the grabber is lost until rebuild().
    bool grab(std::uint8_t* dest);
    bool lost() const { return lost_; }
    // Reconnects and sets the method up again; false while that still fails.
    bool rebuild();

private:
    struct State;
    bool setUp();
    void note(const QString& step) { trail_ += step; }

    QRect area_;
    GrabMethod method_;
    QString display_;
    QString trail_;
    bool lost_ = false;
    std::unique_ptr<State> state_;
};

} // namespace platform::capture
