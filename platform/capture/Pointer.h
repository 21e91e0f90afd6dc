#pragma once
// The pointer of the X display: its position, its button presses and releases from every
// device (XInput2 raw events on the root, so they arrive whatever window has the focus) and its
// shape (XFixes). Each watcher owns its own connection.

#include <QPoint>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

struct xcb_connection_t;

namespace platform::capture {

// Button transition flags: left down 1 / up 2, right 4 / 8, middle 16 / 32, the first extra
// button 64 / 128, the second 256 / 512. Wheel steps have none.
inline constexpr std::uint32_t LeftDown = 1, LeftUp = 2, RightDown = 4, RightUp = 8;
// The flag of X button `button` pressed (or released); 0 for buttons without one (the wheel).
std::uint32_t buttonFlag(int button, bool pressed);

// One pointer shape in straight (not premultiplied) BGRA, top row first, width × 4 per row.
struct PointerImage {
    int width = 0;
    int height = 0;
    QPoint hotSpot;
    std::vector<std::uint8_t> bgra;
    std::uint32_t serial = 0; // the server's number of this shape
    // Every pixel fully transparent (or no pixels): the pointer is hidden.
    bool transparent() const;
};

// What one wait brought.
struct PointerEvents {
    std::vector<std::uint32_t> buttons; // one flag word per button transition, in order
    bool shapeChanged = false;
};

class PointerWatcher {
public:
    explicit PointerWatcher(const char* display = nullptr);
    ~PointerWatcher();
    PointerWatcher(const PointerWatcher&) = delete;
    PointerWatcher& operator=(const PointerWatcher&) = delete;

    // Connected with XInput2 raw buttons and XFixes shape notification; the trail says which
    // failed otherwise (the watcher still gives positions while connected).
    bool ready() const { return ready_; }
    const QString& trail() const { return trail_; }
    // Waits until timeoutMs passed or an event came; returns the events that came.
    PointerEvents wait(int timeoutMs);
    // The pointer's position on the root.
    QPoint position();
    // The current shape; false when it cannot be read.
    bool image(PointerImage& out);

private:
    void handle(const void* event, PointerEvents& out);

    xcb_connection_t* conn_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint8_t inputOpcode_ = 0;
    std::uint8_t fixesEvent_ = 0;
    bool fixes_ = false;
    bool ready_ = false;
    QString trail_;
};

} // namespace platform::capture
