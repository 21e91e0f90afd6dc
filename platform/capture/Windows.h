#pragma once
// Other applications' windows and the shape of our own, over the window manager's EWMH
// properties and the SHAPE extension: the list of application windows with their titles, the
// visible rectangle (frame included) of one, activating, moving and sizing it, whether a
// compositing manager runs, and the bounding shape of a window as the server holds it. Each call
// opens its own connection.

#include <QRect>
#include <QRegion>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform::capture {

struct AppWindow {
    std::uint32_t id = 0;
    QString title;
};

// The window manager's client windows that are viewable, not hidden, not dock or desktop
// windows, not in `skip`, resizable (their size hints do not fix the size) and carry a
// non-empty title (cut to 259 characters, trimmed); in the window manager's order.
std::vector<AppWindow> listAppWindows(const std::vector<std::uint32_t>& skip = {},
                                      const char* display = nullptr);

// The window's rectangle in root coordinates grown by its frame extents; unset when the
// window is gone.
std::optional<QRect> visibleWindowRect(std::uint32_t window, const char* display = nullptr);
// Moves and sizes the window so that its frame covers `rect`; false when it is gone.
bool setVisibleWindowRect(std::uint32_t window, const QRect& rect, const char* display = nullptr);
// Maps (restores) the window and asks the window manager to make it the active window.
void activateWindow(std::uint32_t window, const char* display = nullptr);

// Whether a compositing manager owns the screen's compositing selection.
bool compositingManagerRunning(const char* display = nullptr);

// The window's bounding shape in window coordinates, as the server keeps it.
QRegion windowShape(std::uint32_t window, const char* display = nullptr);

} // namespace platform::capture
