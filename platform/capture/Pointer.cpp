#include "platform/capture/Pointer.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <poll.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>

namespace platform::capture {

std::uint32_t buttonFlag(int button, bool pressed) {
    std::uint32_t down = 0;
    switch (button) {
    case 1:
        down = LeftDown;
        break;
    case 3:
        down = RightDown;
        break;
    case 2:
        down = 16;
        break;
    case 8:
        down = 64;
        break;
    case 9:
        down = 256;
        break;
    default:
        return 0;
    }
    return pressed ? down : down << 1;
}

bool PointerImage::transparent() const {
    for (std::size_t i = 3; i < bgra.size(); i += 4)
        if (bgra[i])
            return false;
    return true;
}

PointerWatcher::PointerWatcher(const char* display) {
    conn_ = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(conn_)) {
        trail_ = QStringLiteral("connect=failed");
        return;
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
    const auto* input = xcb_get_extension_data(conn_, &xcb_input_id);
    auto* version = input && input->present
                        ? xcb_input_xi_query_version_reply(
                              conn_, xcb_input_xi_query_version(conn_, 2, 2), nullptr)
                        : nullptr;
    if (version && version->major_version >= 2) {
        inputOpcode_ = input->major_opcode;
        struct {
            xcb_input_event_mask_t head;
            std::uint32_t mask;
        } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
               XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS |
                   XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE};
        xcb_input_xi_select_events(conn_, root_, 1, &mask.head);
    } else {
        trail_ += QStringLiteral("xinput2=missing;");
    }
    free(version);
    const auto* fixes = xcb_get_extension_data(conn_, &xcb_xfixes_id);
    if (fixes && fixes->present) {
        free(xcb_xfixes_query_version_reply(conn_, xcb_xfixes_query_version(conn_, 4, 0), nullptr));
        fixes_ = true;
        fixesEvent_ = fixes->first_event;
        xcb_xfixes_select_cursor_input(conn_, root_, XCB_XFIXES_CURSOR_NOTIFY_MASK_DISPLAY_CURSOR);
    } else {
        trail_ += QStringLiteral("xfixes=missing;");
    }
    xcb_flush(conn_);
    ready_ = trail_.isEmpty() && !xcb_connection_has_error(conn_);
}

PointerWatcher::~PointerWatcher() {
    xcb_disconnect(conn_);
}

void PointerWatcher::handle(const void* generic, PointerEvents& out) {
    const auto* event = static_cast<const xcb_generic_event_t*>(generic);
    const int type = event->response_type & 0x7F;
    if (type == XCB_GE_GENERIC) {
        const auto* ge = static_cast<const xcb_ge_generic_event_t*>(generic);
        const bool press = ge->event_type == XCB_INPUT_RAW_BUTTON_PRESS;
        if (ge->extension == inputOpcode_ &&
            (press || ge->event_type == XCB_INPUT_RAW_BUTTON_RELEASE)) {
            const auto* raw = static_cast<const xcb_input_raw_button_press_event_t*>(generic);
            if (const std::uint32_t flag = buttonFlag(int(raw->detail), press))
                out.buttons.push_back(flag);
        }
    } else if (fixes_ && type == fixesEvent_ + XCB_XFIXES_CURSOR_NOTIFY) {
        out.shapeChanged = true;
    }
}

PointerEvents PointerWatcher::wait(int timeoutMs) {
    PointerEvents out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // The XGE events of XInput2 carry more than 32 bytes; xcb keeps them whole.
        while (xcb_generic_event_t* event = xcb_poll_for_event(conn_)) {
            handle(event, out);
            free(event);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!out.buttons.empty() || out.shapeChanged || left.count() <= 0 ||
            xcb_connection_has_error(conn_))
            return out;
        pollfd fd{xcb_get_file_descriptor(conn_), POLLIN, 0};
        poll(&fd, 1, int(left.count()));
    }
}

QPoint PointerWatcher::position() {
    auto* reply = xcb_query_pointer_reply(conn_, xcb_query_pointer(conn_, root_), nullptr);
    const QPoint p = reply ? QPoint(reply->root_x, reply->root_y) : QPoint();
    free(reply);
    return p;
}

bool PointerWatcher::image(PointerImage& out) {
    if (!fixes_)
        return false;
    auto* reply =
        xcb_xfixes_get_cursor_image_reply(conn_, xcb_xfixes_get_cursor_image(conn_), nullptr);
    if (!reply)
        return false;
    out.width = reply->width;
    out.height = reply->height;
    out.hotSpot = QPoint(reply->xhot, reply->yhot);
    out.serial = reply->cursor_serial;
    const std::uint32_t* argb = xcb_xfixes_get_cursor_image_cursor_image(reply);
    const int count =
        std::min(out.width * out.height, xcb_xfixes_get_cursor_image_cursor_image_length(reply));
    out.bgra.assign(std::size_t(out.width) * out.height * 4, 0);
    for (int i = 0; i < count; ++i) {
        // The server's pixels are premultiplied; the shapes are stored straight.
        const std::uint32_t p = argb[i];
        const std::uint32_t a = p >> 24;
        std::uint8_t* d = out.bgra.data() + std::size_t(i) * 4;
        for (int c = 0; c < 3 && a; ++c)
            d[c] = std::uint8_t(
                std::min<std::uint32_t>(255, (((p >> (8 * c)) & 0xFF) * 255 + a / 2) / a));
        d[3] = std::uint8_t(a);
    }
    free(reply);
    return true;
}

} // namespace platform::capture
