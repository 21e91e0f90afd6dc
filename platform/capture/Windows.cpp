#include "platform/capture/Windows.h"

#include <QByteArray>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace platform::capture {

namespace {

template <class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T> Reply<T> reply(T* raw) {
    return Reply<T>(raw, &std::free);
}

constexpr int MaxTitle = 259;
constexpr std::uint32_t MinSizeFlag = 16, MaxSizeFlag = 32;
constexpr std::uint32_t SourcePager = 2;

// One connection and its root window for the length of a call.
class Display {
public:
    explicit Display(const char* name) : connection_(xcb_connect(name, &screenNumber_)) {
        if (xcb_connection_has_error(connection_))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screenNumber_ && it.rem; ++i)
            xcb_screen_next(&it);
        if (it.rem)
            root_ = it.data->root;
    }
    ~Display() { xcb_disconnect(connection_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool ok() const { return root_ != 0; }
    xcb_connection_t* c() const { return connection_; }
    xcb_window_t root() const { return root_; }
    int screenNumber() const { return screenNumber_; }

    xcb_atom_t atom(const char* name) const {
        auto r = reply(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, false, uint16_t(strlen(name)), name),
            nullptr));
        return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    // The 32-bit items (or bytes, for 8-bit properties) of a property.
    Reply<xcb_get_property_reply_t> property(xcb_window_t window, xcb_atom_t name,
                                             xcb_atom_t type = XCB_ATOM_ANY) const {
        return reply(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, false, window, name, type, 0, 4096),
            nullptr));
    }

    std::vector<std::uint32_t> cardinals(xcb_window_t window, const char* name) const {
        auto r = property(window, atom(name));
        std::vector<std::uint32_t> items;
        if (!r || r->format != 32)
            return items;
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
        items.assign(data, data + xcb_get_property_value_length(r.get()) / 4);
        return items;
    }

    QString text(xcb_window_t window, const char* name) const {
        auto r = property(window, atom(name));
        if (!r || r->format != 8)
            return {};
        const char* data = static_cast<const char*>(xcb_get_property_value(r.get()));
        return QString::fromUtf8(data, xcb_get_property_value_length(r.get()));
    }

    void sendToRoot(xcb_window_t window, xcb_atom_t type,
                    std::initializer_list<std::uint32_t> data) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = type;
        int i = 0;
        for (std::uint32_t value : data)
            event.data.data32[i++] = value;
        xcb_send_event(connection_, false, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(connection_);
    }

private:
    int screenNumber_ = 0;
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
};

std::vector<xcb_window_t> candidates(const Display& d) {
    std::vector<std::uint32_t> managed = d.cardinals(d.root(), "_NET_CLIENT_LIST");
    if (!managed.empty())
        return managed;
    // Without a window manager every top-level window is a candidate.
    auto tree = reply(xcb_query_tree_reply(d.c(), xcb_query_tree(d.c(), d.root()), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

bool viewable(const Display& d, xcb_window_t window) {
    auto attributes = reply(
        xcb_get_window_attributes_reply(d.c(), xcb_get_window_attributes(d.c(), window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
           !attributes->override_redirect;
}

bool hasAny(const std::vector<std::uint32_t>& items, std::initializer_list<xcb_atom_t> atoms) {
    for (std::uint32_t item : items)
        for (xcb_atom_t atom : atoms)
            if (item == atom)
                return true;
    return false;
}

bool skipped(const Display& d, xcb_window_t window) {
    if (hasAny(d.cardinals(window, "_NET_WM_STATE"), {d.atom("_NET_WM_STATE_HIDDEN")}))
        return true;
    return hasAny(d.cardinals(window, "_NET_WM_WINDOW_TYPE"),
                  {d.atom("_NET_WM_WINDOW_TYPE_DOCK"), d.atom("_NET_WM_WINDOW_TYPE_DESKTOP")});
}

bool resizable(const Display& d, xcb_window_t window) {
    auto r = d.property(window, XCB_ATOM_WM_NORMAL_HINTS);
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 9 * 4)
        return true;
    const auto* hints = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    const bool bounded = (hints[0] & MinSizeFlag) && (hints[0] & MaxSizeFlag);
    return !(bounded && hints[5] == hints[7] && hints[6] == hints[8]);
}

QString titleOf(const Display& d, xcb_window_t window) {
    QString title = d.text(window, "_NET_WM_NAME");
    if (title.isEmpty())
        title = d.text(window, "WM_NAME");
    return title.left(MaxTitle).trimmed();
}

std::vector<std::uint32_t> frameExtents(const Display& d, xcb_window_t window) {
    std::vector<std::uint32_t> extents = d.cardinals(window, "_NET_FRAME_EXTENTS");
    if (extents.size() != 4)
        extents.assign(4, 0);
    return extents; // left, right, top, bottom
}

} // namespace

std::vector<AppWindow> listAppWindows(const std::vector<std::uint32_t>& skip, const char* display) {
    Display d(display);
    std::vector<AppWindow> windows;
    if (!d.ok())
        return windows;
    for (xcb_window_t window : candidates(d)) {
        if (std::find(skip.begin(), skip.end(), window) != skip.end())
            continue;
        if (!viewable(d, window) || skipped(d, window) || !resizable(d, window))
            continue;
        const QString title = titleOf(d, window);
        if (!title.isEmpty())
            windows.push_back({window, title});
    }
    return windows;
}

std::optional<QRect> visibleWindowRect(std::uint32_t window, const char* display) {
    Display d(display);
    if (!d.ok())
        return std::nullopt;
    auto geometry = reply(xcb_get_geometry_reply(d.c(), xcb_get_geometry(d.c(), window), nullptr));
    if (!geometry)
        return std::nullopt;
    auto origin = reply(xcb_translate_coordinates_reply(
        d.c(), xcb_translate_coordinates(d.c(), window, d.root(), 0, 0), nullptr));
    if (!origin)
        return std::nullopt;
    const std::vector<std::uint32_t> e = frameExtents(d, window);
    return QRect(origin->dst_x - int(e[0]), origin->dst_y - int(e[2]),
                 geometry->width + int(e[0] + e[1]), geometry->height + int(e[2] + e[3]));
}

bool setVisibleWindowRect(std::uint32_t window, const QRect& rect, const char* display) {
    Display d(display);
    if (!d.ok())
        return false;
    const std::vector<std::uint32_t> e = frameExtents(d, window);
    const std::uint32_t values[] = {std::uint32_t(rect.x() + int(e[0])),
                                    std::uint32_t(rect.y() + int(e[2])),
                                    std::uint32_t(std::max(1, rect.width() - int(e[0] + e[1]))),
                                    std::uint32_t(std::max(1, rect.height() - int(e[2] + e[3])))};
    const xcb_void_cookie_t cookie =
        xcb_configure_window_checked(d.c(), window,
                                     XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y |
                                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                                     values);
    auto error = reply(xcb_request_check(d.c(), cookie));
    return !error;
}

void activateWindow(std::uint32_t window, const char* display) {
    Display d(display);
    if (!d.ok())
        return;
    xcb_map_window(d.c(), window);
    const std::uint32_t above[] = {XCB_STACK_MODE_ABOVE};
    xcb_configure_window(d.c(), window, XCB_CONFIG_WINDOW_STACK_MODE, above);
    d.sendToRoot(window, d.atom("_NET_ACTIVE_WINDOW"), {SourcePager, XCB_CURRENT_TIME, 0});
}

bool compositingManagerRunning(const char* display) {
    Display d(display);
    if (!d.ok())
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(d.screenNumber());
    const xcb_atom_t selection = d.atom(name.constData());
    auto owner = reply(
        xcb_get_selection_owner_reply(d.c(), xcb_get_selection_owner(d.c(), selection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

QRegion windowShape(std::uint32_t window, const char* display) {
    Display d(display);
    QRegion shape;
    if (!d.ok())
        return shape;
    auto r = reply(xcb_shape_get_rectangles_reply(
        d.c(), xcb_shape_get_rectangles(d.c(), window, XCB_SHAPE_SK_BOUNDING), nullptr));
    if (!r)
        return shape;
    const xcb_rectangle_t* rects = xcb_shape_get_rectangles_rectangles(r.get());
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(r.get()); ++i)
        shape += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    return shape;
}

} // namespace platform::capture
