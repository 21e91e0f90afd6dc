#include "platform/capture/Screen.h"

#include "platform/render/Blend.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/damage.h>
#include <xcb/randr.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>

namespace platform::capture {

namespace {

QRect rootRect(xcb_screen_t* screen) {
    return QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
}

xcb_screen_t* firstScreen(xcb_connection_t* conn) {
    return xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
}

bool hasExtension(xcb_connection_t* conn, xcb_extension_t* ext) {
    const xcb_query_extension_reply_t* data = xcb_get_extension_data(conn, ext);
    return data && data->present;
}

// RandR 1.5 monitors; the whole root when the server lists none.
std::vector<Monitor> readMonitors(xcb_connection_t* conn, xcb_screen_t* screen) {
    std::vector<Monitor> result;
    if (hasExtension(conn, &xcb_randr_id)) {
        free(xcb_randr_query_version_reply(conn, xcb_randr_query_version(conn, 1, 5), nullptr));
        auto* reply = xcb_randr_get_monitors_reply(
            conn, xcb_randr_get_monitors(conn, screen->root, 1), nullptr);
        if (reply) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply); it.rem;
                 xcb_randr_monitor_info_next(&it)) {
                Monitor m;
                auto* name =
                    xcb_get_atom_name_reply(conn, xcb_get_atom_name(conn, it.data->name), nullptr);
                if (name) {
                    m.name = QString::fromLatin1(xcb_get_atom_name_name(name),
                                                 xcb_get_atom_name_name_length(name));
                    free(name);
                }
                m.geometry = QRect(it.data->x, it.data->y, it.data->width, it.data->height);
                m.primary = it.data->primary;
                result.push_back(m);
            }
            free(reply);
        }
    }
    if (result.empty())
        result.push_back({QStringLiteral("screen"), rootRect(screen), true});
    return result;
}

// Column spans [begin, end) of one row of the area that no monitor covers.
using Spans = std::vector<std::pair<int, int>>;

Spans uncoveredSpans(const QRect& area, const QRect& root, const std::vector<Monitor>& list,
                     int y) {
    std::vector<std::pair<int, int>> covered;
    for (const Monitor& m : list) {
        const QRect r = m.geometry.intersected(root).intersected(area);
        if (!r.isEmpty() && y >= r.top() && y <= r.bottom())
            covered.emplace_back(r.left() - area.left(), r.right() + 1 - area.left());
    }
    std::sort(covered.begin(), covered.end());
    Spans gaps;
    int x = 0;
    for (const auto& [begin, end] : covered) {
        if (begin > x)
            gaps.emplace_back(x, begin);
        x = std::max(x, end);
    }
    if (x < area.width())
        gaps.emplace_back(x, area.width());
    return gaps;
}

// Rows copied with the alpha byte set (the root has no alpha; its fourth byte is undefined).
void copyOpaque(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstStride, int width,
                int height) {
    for (int y = 0; y < height; ++y) {
        const auto* s = reinterpret_cast<const std::uint32_t*>(src + std::size_t(y) * srcStride);
        auto* d = reinterpret_cast<std::uint32_t*>(dst + std::size_t(y) * dstStride);
        render::copyOpaque(d, s, std::size_t(width));
    }
}

} // namespace

std::vector<Monitor> monitors(const char* display) {
    xcb_connection_t* conn = xcb_connect(display, nullptr);
    std::vector<Monitor> result;
    if (!xcb_connection_has_error(conn))
        result = readMonitors(conn, firstScreen(conn));
    xcb_disconnect(conn);
    return result;
}

QStringList displayReport(const char* display) {
    QStringList lines;
    xcb_connection_t* conn = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(conn)) {
        xcb_disconnect(conn);
        return {QStringLiteral("Display: cannot connect")};
    }
    xcb_screen_t* screen = firstScreen(conn);
    lines << QStringLiteral("Screen: %1x%2, depth %3")
                 .arg(screen->width_in_pixels)
                 .arg(screen->height_in_pixels)
                 .arg(screen->root_depth);
    for (const Monitor& m : readMonitors(conn, screen))
        lines << QStringLiteral("Monitor %1: %2,%3 - %4,%5, Primary=%6")
                     .arg(m.name)
                     .arg(m.geometry.left())
                     .arg(m.geometry.top())
                     .arg(m.geometry.right() + 1)
                     .arg(m.geometry.bottom() + 1)
                     .arg(m.primary ? 1 : 0);
    lines << QStringLiteral("MIT-SHM=%1, DAMAGE=%2, RANDR=%3, XFIXES=%4, XInputExtension=%5")
                 .arg(hasExtension(conn, &xcb_shm_id))
                 .arg(hasExtension(conn, &xcb_damage_id))
                 .arg(hasExtension(conn, &xcb_randr_id))
                 .arg(hasExtension(conn, &xcb_xfixes_id))
                 .arg(hasExtension(conn, &xcb_input_id));
    xcb_disconnect(conn);
    return lines;
}

struct ScreenGrabber::State {
    xcb_connection_t* conn = nullptr;
    xcb_screen_t* screen = nullptr;
    QRect grabRect; // the area within the root, in root pixels
    std::vector<Spans> gaps;
    bool anyGap = false;
    std::uint8_t damageEvent = 0;
    std::uint8_t randrEvent = 0;
    bool randr = false;
    xcb_damage_damage_t damage = 0;
    xcb_shm_seg_t segment = 0;
    void* shm = nullptr;
    bool changed = true; // the first wait reports a change
    bool ok = false;

    ~State() {
        if (conn && segment)
            xcb_shm_detach(conn, segment);
        if (shm)
            shmdt(shm);
        if (conn)
            xcb_disconnect(conn);
    }
};

ScreenGrabber::ScreenGrabber(const QRect& area, GrabMethod method, const char* display)
    : area_(area), method_(method),
      display_(display ? QString::fromLocal8Bit(display) : QString()) {
    setUp();
}

ScreenGrabber::~ScreenGrabber() = default;

bool ScreenGrabber::ready() const {
    return state_ && state_->ok;
}

bool ScreenGrabber::rebuild() {
    trail_.clear();
    lost_ = !setUp();
    return !lost_;
}

bool ScreenGrabber::setUp() {
    state_ = std::make_unique<State>();
    State& s = *state_;
    const QByteArray name = display_.toLocal8Bit();
    s.conn = xcb_connect(display_.isEmpty() ? nullptr : name.constData(), nullptr);
    note(QStringLiteral("connect"));
    if (xcb_connection_has_error(s.conn))
        return note(QStringLiteral("=failed")), false;
    s.screen = firstScreen(s.conn);
    const QRect root = rootRect(s.screen);
    s.grabRect = area_.intersected(root);
    const std::vector<Monitor> list = readMonitors(s.conn, s.screen);
    for (int y = 0; y < area_.height(); ++y) {
        s.gaps.push_back(uncoveredSpans(area_, root, list, area_.top() + y));
        s.anyGap = s.anyGap || !s.gaps.back().empty();
    }
    s.randr = hasExtension(s.conn, &xcb_randr_id);
    if (s.randr) {
        s.randrEvent = xcb_get_extension_data(s.conn, &xcb_randr_id)->first_event;
        xcb_randr_select_input(s.conn, s.screen->root, XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE);
    }
    if (method_ == GrabMethod::SharedMemory) {
        note(QStringLiteral(",shm"));
        if (!hasExtension(s.conn, &xcb_shm_id))
            return note(QStringLiteral("=missing")), false;
        note(QStringLiteral(",damage"));
        if (!hasExtension(s.conn, &xcb_damage_id))
            return note(QStringLiteral("=missing")), false;
        free(xcb_damage_query_version_reply(s.conn, xcb_damage_query_version(s.conn, 1, 1),
                                            nullptr));
        s.damageEvent = xcb_get_extension_data(s.conn, &xcb_damage_id)->first_event;
        s.damage = xcb_generate_id(s.conn);
        xcb_damage_create(s.conn, s.damage, s.screen->root, XCB_DAMAGE_REPORT_LEVEL_BOUNDING_BOX);
        note(QStringLiteral(",segment"));
        const std::size_t bytes =
            std::max<std::size_t>(1, std::size_t(area_.width()) * std::max(1, area_.height()) * 4);
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0)
            return note(QStringLiteral("=failed")), false;
        s.shm = shmat(id, nullptr, 0);
        if (s.shm == reinterpret_cast<void*>(-1)) {
            s.shm = nullptr;
            shmctl(id, IPC_RMID, nullptr);
            return note(QStringLiteral("=failed")), false;
        }
        s.segment = xcb_generate_id(s.conn);
        xcb_generic_error_t* error =
            xcb_request_check(s.conn, xcb_shm_attach_checked(s.conn, s.segment, id, 0));
        shmctl(id, IPC_RMID, nullptr);
        if (error) {
            free(error);
            s.segment = 0;
            return note(QStringLiteral("=refused")), false;
        }
    }
    xcb_flush(s.conn);
    s.ok = !xcb_connection_has_error(s.conn);
    return s.ok;
}

bool ScreenGrabber::waitForChange(int timeoutMs) {
    if (method_ == GrabMethod::GetImage || !ready() || lost_)
        return !lost_;
    State& s = *state_;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool damaged = false;
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(s.conn)) {
            const int type = event->response_type & 0x7F;
            if (type == s.damageEvent + XCB_DAMAGE_NOTIFY) {
                const auto* notify = reinterpret_cast<xcb_damage_notify_event_t*>(event);
                damaged = true;
                const QRect box(notify->area.x, notify->area.y, notify->area.width,
                                notify->area.height);
                s.changed = s.changed || box.intersects(area_);
            } else if (s.randr && type == s.randrEvent + XCB_RANDR_SCREEN_CHANGE_NOTIFY) {
                lost_ = true;
            }
            free(event);
        }
        if (damaged) {
            // Damage cleared here reaches the next grab, which the server handles after this.
            xcb_damage_subtract(s.conn, s.damage, XCB_NONE, XCB_NONE);
            xcb_flush(s.conn);
            damaged = false;
        }
        if (xcb_connection_has_error(s.conn))
            lost_ = true;
        if (lost_ || s.changed) {
            const bool changed = s.changed && !lost_;
            s.changed = false;
            return changed;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd fd{xcb_get_file_descriptor(s.conn), POLLIN, 0};
        poll(&fd, 1, int(left.count()));
    }
}

bool ScreenGrabber::grab(std::uint8_t* dest) {
    if (!ready() || lost_)
        return false;
    State& s = *state_;
    const QRect& g = s.grabRect;
    if (!g.isEmpty()) {
        std::uint8_t* target =
            dest +
            (std::size_t(g.top() - area_.top()) * area_.width() + (g.left() - area_.left())) * 4;
        xcb_generic_error_t* error = nullptr;
        if (method_ == GrabMethod::SharedMemory) {
            auto* reply = xcb_shm_get_image_reply(
                s.conn,
                xcb_shm_get_image(s.conn, s.screen->root, g.left(), g.top(), g.width(), g.height(),
                                  ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, s.segment, 0),
                &error);
            if (reply)
                copyOpaque(static_cast<const std::uint8_t*>(s.shm), g.width() * 4, target, stride(),
                           g.width(), g.height());
            free(reply);
        } else {
            auto* reply =
                xcb_get_image_reply(s.conn,
                                    xcb_get_image(s.conn, XCB_IMAGE_FORMAT_Z_PIXMAP, s.screen->root,
                                                  g.left(), g.top(), g.width(), g.height(), ~0u),
                                    &error);
            if (reply && xcb_get_image_data_length(reply) >= g.width() * g.height() * 4)
                copyOpaque(xcb_get_image_data(reply), g.width() * 4, target, stride(), g.width(),
                           g.height());
            else if (!error)
                lost_ = true;
            free(reply);
        }
        if (error || xcb_connection_has_error(s.conn)) {
            free(error);
            lost_ = true;
            return false;
        }
    }
    if (s.anyGap)
        for (int y = 0; y < area_.height(); ++y)
            for (const auto& [begin, end] : s.gaps[std::size_t(y)])
                std::memset(dest + (std::size_t(y) * area_.width() + begin) * 4, 0,
                            std::size_t(end - begin) * 4);
    return !lost_;
}

} // namespace platform::capture
