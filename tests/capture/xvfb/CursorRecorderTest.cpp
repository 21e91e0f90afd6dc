// The cursor track on an X server of the test's own: XTest moves the pointer and clicks, the
// root window's cursor changes; the ".tcf" file is read back with the editor's cursor reader.
#include "capture/UMFScreenRecorder.h"
#include "media/UCursorReader.h"
#include "tests/support/OwnXServer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>
#include <xcb/render.h>
#include <xcb/xtest.h>

namespace {

void Wait(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class XTestClient {
public:
    explicit XTestClient(const QByteArray& display) {
        Conn = xcb_connect(display.constData(), nullptr);
        Root = xcb_setup_roots_iterator(xcb_get_setup(Conn)).data->root;
    }
    ~XTestClient() { xcb_disconnect(Conn); }

    void Move(int x, int y) {
        xcb_test_fake_input(Conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, Root, int16_t(x),
                            int16_t(y), XCB_NONE);
        Sync();
    }
    void Click(int button) {
        xcb_test_fake_input(Conn, XCB_BUTTON_PRESS, uint8_t(button), XCB_CURRENT_TIME, XCB_NONE, 0,
                            0, XCB_NONE);
        Sync();
        Wait(40);
        xcb_test_fake_input(Conn, XCB_BUTTON_RELEASE, uint8_t(button), XCB_CURRENT_TIME, XCB_NONE,
                            0, 0, XCB_NONE);
        Sync();
    }
    // An ARGB cursor of premultiplied pixels, made the root window's cursor.
    void SetCursor(int width, int height, const std::vector<uint32_t>& argb, int xhot, int yhot) {
        auto* formats =
            xcb_render_query_pict_formats_reply(Conn, xcb_render_query_pict_formats(Conn), nullptr);
        xcb_render_pictformat_t format = 0;
        for (auto it = xcb_render_query_pict_formats_formats_iterator(formats); it.rem;
             xcb_render_pictforminfo_next(&it))
            if (it.data->depth == 32 && it.data->direct.alpha_shift == 24 &&
                it.data->direct.red_shift == 16 && it.data->direct.blue_shift == 0)
                format = it.data->id;
        free(formats);
        const xcb_pixmap_t pixmap = xcb_generate_id(Conn);
        xcb_create_pixmap(Conn, 32, pixmap, Root, uint16_t(width), uint16_t(height));
        const xcb_gcontext_t gc = xcb_generate_id(Conn);
        xcb_create_gc(Conn, gc, pixmap, 0, nullptr);
        xcb_put_image(Conn, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(width),
                      uint16_t(height), 0, 0, 0, 32, uint32_t(argb.size() * 4),
                      reinterpret_cast<const uint8_t*>(argb.data()));
        const xcb_render_picture_t picture = xcb_generate_id(Conn);
        xcb_render_create_picture(Conn, picture, pixmap, format, 0, nullptr);
        const xcb_cursor_t cursor = xcb_generate_id(Conn);
        xcb_render_create_cursor(Conn, cursor, picture, uint16_t(xhot), uint16_t(yhot));
        xcb_change_window_attributes(Conn, Root, XCB_CW_CURSOR, &cursor);
        xcb_render_free_picture(Conn, picture);
        xcb_free_gc(Conn, gc);
        xcb_free_pixmap(Conn, pixmap);
        Sync();
    }
    void Sync() { free(xcb_get_input_focus_reply(Conn, xcb_get_input_focus(Conn), nullptr)); }

    xcb_connection_t* Conn;
    xcb_window_t Root;
};

// 200 × 200, premultiplied: the left half opaque with varying colours, the top right quarter
// half transparent (alpha 128, red 64, green 32), the rest fully transparent.
std::vector<uint32_t> BigCursor() {
    std::vector<uint32_t> argb(200 * 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            argb[std::size_t(y) * 200 + x] =
                x < 100
                    ? 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | uint32_t((x + y) & 0xFF)
                : y < 100 ? 0x80402000u
                          : 0u;
    return argb;
}

// The same in straight BGRA bytes: 64 × 255 / 128 rounds to 128 and 32 × 255 / 128 to 64.
QByteArray BigCursorStraight() {
    QByteArray bytes(200 * 200 * 4, 0);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            char* p = bytes.data() + (std::size_t(y) * 200 + x) * 4;
            if (x < 100)
                p[0] = char((x + y) & 0xFF), p[1] = char(y), p[2] = char(x), p[3] = char(255);
            else if (y < 100)
                p[0] = 0, p[1] = 64, p[2] = char(128), p[3] = char(128);
        }
    return bytes;
}

TEST(CursorRecording, PathClicksAndShapesReadBack) {
    OwnXServer server;
    ASSERT_TRUE(server.Ok());
    XTestClient x(server.Display);
    x.SetCursor(200, 200, BigCursor(), 7, 9);
    x.Move(10, 10);
    QTemporaryDir dir;
    const QString base = dir.filePath("screen");
    TMFScreenRecorder recorder;
    recorder.Display = server.Display;
    recorder.Breadcrumb = [](const QString&) {};
    recorder.SetParams(QRect(50, 40, 320, 240), base, ScreenModeTVF, false, CaptureMethodChanges,
                       30, 100, 0, nullptr);
    recorder.StartRecord();
    Wait(50);
    recorder.SetStartTime(CaptureClockMs());
    recorder.SetRecording(true);
    x.Move(100, 100);
    Wait(60);
    x.Click(1);
    Wait(60);
    x.Move(150, 120);
    Wait(60);
    x.Click(3);
    Wait(40);
    x.Click(4); // wheel steps give no samples
    x.Click(5);
    x.Move(200, 150);
    Wait(80);
    x.SetCursor(16, 16, std::vector<uint32_t>(256, 0), 0, 0);
    Wait(100);
    x.SetCursor(200, 200, BigCursor(), 7, 9);
    Wait(100);
    recorder.SetRecording(false);
    recorder.Terminate();
    recorder.StopRecord();

    TCursorReader reader;
    ASSERT_TRUE(reader.OpenFile(base + ".tcf")) << reader.ErrorText().toStdString();
    ASSERT_EQ(reader.FPointers.size(), 1u);
    const TPointerShape& shape = reader.FPointers[0];
    EXPECT_EQ(shape._Type, 82u);
    EXPECT_EQ(shape.Width, 200u);
    EXPECT_EQ(shape.Height, 200u);
    EXPECT_EQ(shape.Pitch, 800u);
    EXPECT_EQ(shape.HotSpot, QPoint(7, 9));
    EXPECT_TRUE(shape.PointerShapeBuffer == BigCursorStraight());

    ASSERT_GT(reader.FCursors.size(), 10u);
    EXPECT_EQ(reader.FCursors[0].Time, 0);
    std::vector<std::pair<uint32_t, QPoint>> buttons;
    bool hidden = false, shownAgain = false, sawPath = false;
    for (std::size_t i = 0; i < reader.FCursors.size(); ++i) {
        const TCursorRecord& c = reader.FCursors[i];
        if (i) {
            EXPECT_GE(c.Time, reader.FCursors[i - 1].Time);
        }
        if (c.Buttons)
            buttons.emplace_back(c.Buttons, c.Position);
        sawPath = sawPath || (c.Position == QPoint(150, 110) && !c.Buttons);
        if (c.Pointer == -2)
            hidden = true;
        else if (hidden)
            shownAgain = shownAgain || c.Pointer == 0;
        else
            EXPECT_EQ(c.Pointer, 0);
    }
    const std::vector<std::pair<uint32_t, QPoint>> expected = {
        {1, QPoint(50, 60)}, {2, QPoint(50, 60)}, {4, QPoint(100, 80)}, {8, QPoint(100, 80)}};
    EXPECT_EQ(buttons, expected);
    EXPECT_TRUE(sawPath);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(shownAgain);
    EXPECT_EQ(reader.FNrClicks, 2);
}

} // namespace
