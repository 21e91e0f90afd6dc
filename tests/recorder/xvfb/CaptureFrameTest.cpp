// The capture-area frame and the dimming overlay on a real X server: the frame's shape as the
// server holds it, where its points grab it, the zoom to full screen, its first placement,
// fitting it to another application's window and that window to it, and clicks through the
// dimmed area (with a compositing manager running). The windows keep to the lower right of the
// shared server, away from what other tests draw and record.

#include "core/URSettings.h"
#include "platform/capture/Windows.h"
#include "recorder/ui/URRecordEffect.h"
#include "recorder/ui/URRecordWindow.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace {

// A plain window of another client, with a title, mapped at `rect`.
class ForeignWindow {
public:
    ForeignWindow(const QRect& rect, const char* title) : c(xcb_connect(nullptr, nullptr)) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        id = xcb_generate_id(c);
        const uint32_t values[] = {screen->white_pixel,
                                   XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, id, screen->root, int16_t(rect.x()),
                          int16_t(rect.y()), uint16_t(rect.width()), uint16_t(rect.height()), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            uint32_t(strlen(title)), title);
        xcb_map_window(c, id);
        xcb_flush(c);
        xcb_aux_sync();
    }
    ~ForeignWindow() {
        xcb_destroy_window(c, id);
        xcb_disconnect(c);
    }
    void xcb_aux_sync() { free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }
    QRect geometry() {
        xcb_aux_sync();
        auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
        const QRect r(g->x, g->y, g->width, g->height);
        free(g);
        return r;
    }
    // True once a button press reached the window within `ms`.
    bool pressed(int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
                const bool press = (e->response_type & 0x7f) == XCB_BUTTON_PRESS;
                free(e);
                if (press)
                    return true;
            }
            QTest::qWait(10);
        }
        return false;
    }

    xcb_connection_t* c;
    xcb_window_t id;
};

void clickAt(QPoint p) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, int16_t(p.x()),
                        int16_t(p.y()), 0);
    xcb_test_fake_input(c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(c);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
}

class CaptureFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = SettingsRecord;
        SetDefaultSettings(SettingsRecord);
    }
    void TearDown() override { SettingsRecord = saved; }
    TSettingsRecord saved{};
};

TEST_F(CaptureFrameTest, ThePointsOfA102PixelFrame) {
    const QSize size(102, 102);
    const struct {
        QPoint p;
        TRFrameHit hit;
    } cases[] = {{{3, 3}, TRFrameHit::TopLeft},
                 {{20, 0}, TRFrameHit::Top},
                 {{47, 4}, TRFrameHit::Top},
                 {{55, 8}, TRFrameHit::Top},
                 {{100, 2}, TRFrameHit::TopRight},
                 {{98, 50}, TRFrameHit::Right},
                 {{101, 101}, TRFrameHit::BottomRight},
                 {{50, 97}, TRFrameHit::Bottom},
                 {{4, 99}, TRFrameHit::BottomLeft},
                 {{6, 47}, TRFrameHit::Left},
                 {{2, 30}, TRFrameHit::Left},
                 {{101, 30}, TRFrameHit::Right},
                 {{30, 100}, TRFrameHit::Bottom},
                 {{30, 30}, TRFrameHit::Client}};
    for (const auto& c : cases)
        EXPECT_EQ(TrecordWindow::HitTest(size, c.p), c.hit) << c.p.x() << "," << c.p.y();
    // A point inside the hole, such as (20, 1), is outside the shape and never reaches it.
    const QRegion shape = TrecordWindow::FrameRegion(size, QRect(), false);
    EXPECT_FALSE(shape.contains(QPoint(20, 1)) && shape.contains(QPoint(20, 2)));
    EXPECT_FALSE(shape.contains(QPoint(50, 50)));
}

TEST_F(CaptureFrameTest, TheServerHoldsTheFramesShape) {
    TrecordWindow frame;
    frame.SetCaptureBoundsRect(QRect(100, 80, 400, 300));
    frame.ShowFrame(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QTest::qWait(50);
    const QRegion shape = platform::capture::windowShape(uint32_t(frame.winId()));
    const QSize size(402, 302);
    EXPECT_EQ(shape, TrecordWindow::FrameRegion(size, frame.Panel()->geometry(), false));
    for (QPoint in : {QPoint(0, 150), QPoint(401, 150), QPoint(200, 301), QPoint(397, 150),
                      QPoint(197, 4), QPoint(20, 20)})
        EXPECT_TRUE(shape.contains(in)) << in.x() << "," << in.y();
    for (QPoint out : {QPoint(200, 150), QPoint(20, 100), QPoint(300, 1)})
        EXPECT_FALSE(shape.contains(out)) << out.x() << "," << out.y();
    // Recording: no panel, no handles, only the border.
    frame.StartRecording();
    QTest::qWait(50);
    EXPECT_EQ(platform::capture::windowShape(uint32_t(frame.winId())),
              TrecordWindow::FrameRegion(size, QRect(), false));
    EXPECT_EQ(frame.GetCaptureRect(), QRect(100, 80, 400, 300));
}

TEST_F(CaptureFrameTest, ZoomStepsToFullScreen) {
    const QRect from(QPoint(532, -1), QPoint(1387, 480)); // bounds (532, -1, 1388, 481)
    const QRect to(0, 0, 1920, 1080);
    const QRect first = TrecordWindow::ZoomStep(from, to, 1);
    EXPECT_EQ(first.left() - from.left(), -53);
    EXPECT_EQ(first.top() - from.top(), 0);
    EXPECT_EQ(first.left() + first.width() - 1388, 53);
    EXPECT_EQ(first.top() + first.height() - 481, 59);
    EXPECT_EQ(TrecordWindow::ZoomStep(from, to, 2).left(), 426);
    EXPECT_EQ(TrecordWindow::ZoomStep(from, to, 9).left(), 55);
    EXPECT_EQ(TrecordWindow::ZoomStep(from, to, 9).top(), -1);

    // The animation lands exactly on the monitor on its tenth tick.
    TrecordWindow frame;
    frame.SetCaptureBoundsRect(QRect(50, 50, 300, 200));
    frame.ShowFrame(true);
    frame.SetFullScreen(0, true);
    EXPECT_TRUE(frame.ZoomTimer().isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!frame.ZoomTimer().isActive(), 2000);
    EXPECT_EQ(frame.geometry(), frame.GetFullScreenRect(0));
}

TEST_F(CaptureFrameTest, FirstPlacementOnASecondMonitor) {
    TrecordWindow frame;
    frame.SetInitialBoundsRect(QRect(1920, 0, 1920, 1080));
    EXPECT_EQ(frame.GetCaptureRect(), QRect(QPoint(2453, 0), QPoint(3306, 479)));
    EXPECT_EQ(frame.captureRect, frame.geometry());
}

TEST_F(CaptureFrameTest, AnAreaNarrowerThanThePanelWidensToHoldIt) {
    // The window is never narrower than the size panel's right edge (10 + 330) and a 16-px
    // margin, nor lower than the panel's bottom (10 + 41) and the margin: 356 x 67 with the
    // border, a capture area of at least 354 x 65.
    TrecordWindow frame;
    frame.SetCaptureBoundsRect(QRect(40, 30, 320, 40));
    EXPECT_EQ(frame.GetCaptureRect(), QRect(40, 30, 354, 65));
    frame.SetCaptureBoundsRect(QRect(40, 30, 354, 240));
    EXPECT_EQ(frame.GetCaptureRect(), QRect(40, 30, 354, 240));
}

TEST_F(CaptureFrameTest, FitsToAnotherWindowAndResizesIt) {
    ForeignWindow target(QRect(1200, 600, 500, 320), "Tavrin fit target");
    TrecordWindow frame;
    frame.SetCaptureBoundsRect(QRect(10, 10, 400, 300));
    const QStringList titles = frame.ListAppWindows();
    const int index = titles.indexOf("Tavrin fit target");
    ASSERT_GE(index, 0) << titles.join(", ").toStdString();
    frame.FitToApp(index);
    EXPECT_EQ(frame.GetCaptureRect(), QRect(1200, 600, 500, 320));
    frame.SetCaptureBoundsRect(QRect(1240, 660, 300, 200));
    frame.FitAppTo(index);
    QTRY_COMPARE_WITH_TIMEOUT(target.geometry(), QRect(1240, 660, 300, 200), 1000);
    EXPECT_EQ(frame.ListAppWindows().indexOf(frame.windowTitle()), -1);
}

TEST_F(CaptureFrameTest, ClicksOnTheDimmedAreaReachTheWindowBelow) {
    const QString manager = QStandardPaths::findExecutable("xcompmgr");
    if (manager.isEmpty())
        GTEST_SKIP() << "xcompmgr is not installed (scripts/packages.txt installs it)";
    ForeignWindow below(QRect(1200, 600, 600, 400), "Tavrin window below");
    TrecordEffect overlay;
    TrecordWindow frame;
    frame.SetCaptureBoundsRect(QRect(1500, 800, 200, 150));
    // Without a compositing manager the overlay would be opaque black: it stays hidden.
    if (!platform::capture::compositingManagerRunning()) {
        frame.ShowFrame(true);
        QTest::qWait(50);
        EXPECT_FALSE(overlay.isVisible());
        frame.ShowFrame(false);
    }
    QProcess compositor;
    compositor.start(manager, {});
    ASSERT_TRUE(compositor.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(platform::capture::compositingManagerRunning(), 3000);
    frame.ShowFrame(true);
    ASSERT_TRUE(TrecordEffect::CanShow());
    QTRY_VERIFY_WITH_TIMEOUT(overlay.isVisible(), 1000);
    QTRY_COMPARE_WITH_TIMEOUT(overlay.windowOpacity(), TrecordEffect::ShownOpacity, 2000);
    EXPECT_FALSE(overlay.mask().contains(QPoint(1550, 850))); // the frame's hole
    EXPECT_TRUE(overlay.mask().contains(QPoint(1250, 650)));
    // Tests in other processes share the X server and may briefly put a window under the
    // pointer: the click is tried again until one reaches the window below.
    bool reached = false;
    for (int attempt = 0; attempt < 5 && !reached; ++attempt) {
        clickAt(QPoint(1250, 650));
        reached = below.pressed(1000);
    }
    EXPECT_TRUE(reached);
    frame.ShowFrame(false);
    compositor.terminate();
    compositor.waitForFinished(3000);
}

} // namespace
