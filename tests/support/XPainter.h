#pragma once
// Paints flat 16-pixel blocks straight onto the root window of an X server, each picture in a
// single copy so that a grab never sees half of it.

#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <vector>
#include <xcb/xcb.h>

class XPainter {
public:
    static constexpr int Block = 16;

    explicit XPainter(const QByteArray& display) {
        Conn = xcb_connect(display.constData(), nullptr);
        Screen = xcb_setup_roots_iterator(xcb_get_setup(Conn)).data;
    }
    ~XPainter() { xcb_disconnect(Conn); }
    XPainter(const XPainter&) = delete;
    XPainter& operator=(const XPainter&) = delete;

    // Blocks of colours 0xRRGGBB, row by row, cols per row, with the top-left corner at (x, y).
    void PaintBlocks(int x, int y, int cols, const std::vector<uint32_t>& colours) {
        const int rows = int(colours.size()) / cols;
        const xcb_pixmap_t pixmap = xcb_generate_id(Conn);
        xcb_create_pixmap(Conn, Screen->root_depth, pixmap, Screen->root, uint16_t(cols * Block),
                          uint16_t(rows * Block));
        const xcb_gcontext_t gc = xcb_generate_id(Conn);
        xcb_create_gc(Conn, gc, pixmap, 0, nullptr);
        for (int i = 0; i < int(colours.size()); ++i) {
            const uint32_t colour = colours[std::size_t(i)];
            xcb_change_gc(Conn, gc, XCB_GC_FOREGROUND, &colour);
            const xcb_rectangle_t r{int16_t(i % cols * Block), int16_t(i / cols * Block), Block,
                                    Block};
            xcb_poly_fill_rectangle(Conn, pixmap, gc, 1, &r);
        }
        xcb_copy_area(Conn, pixmap, Screen->root, gc, 0, 0, int16_t(x), int16_t(y),
                      uint16_t(cols * Block), uint16_t(rows * Block));
        xcb_free_gc(Conn, gc);
        xcb_free_pixmap(Conn, pixmap);
        Sync();
    }

    // Returns once the server has handled every request sent so far.
    void Sync() { free(xcb_get_input_focus_reply(Conn, xcb_get_input_focus(Conn), nullptr)); }

    xcb_connection_t* Conn;
    xcb_screen_t* Screen;
};
