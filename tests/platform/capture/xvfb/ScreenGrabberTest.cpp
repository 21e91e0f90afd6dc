// Grabs of a root rectangle by shared memory and by GetImage, change reports, the fallback
// trail without MIT-SHM and the button flags of the pointer watcher, on X servers of the
// test's own.
#include "platform/capture/Pointer.h"
#include "platform/capture/Screen.h"
#include "tests/support/OwnXServer.h"
#include "tests/support/XPainter.h"

#include <gtest/gtest.h>
#include <vector>

using namespace platform::capture;

namespace {

uint32_t PixelAt(const std::vector<uint8_t>& picture, int width, int x, int y) {
    const uint8_t* p = picture.data() + (std::size_t(y) * width + x) * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

TEST(ScreenGrabber, BothMethodsGrabTheAreaOpaqueAndZeroOffTheScreen) {
    OwnXServer server;
    ASSERT_TRUE(server.Ok());
    XPainter painter(server.Display);
    // The screen is 640 wide: the area's last 16 columns lie off every monitor.
    painter.PaintBlocks(592, 100, 3, {0x102030, 0xFF0000, 0x00FF80, 0x808080, 0x0000FF, 0xFFFFFF});
    const QRect area(592, 100, 64, 32);
    for (GrabMethod method : {GrabMethod::SharedMemory, GrabMethod::GetImage}) {
        ScreenGrabber grabber(area, method, server.Display.constData());
        ASSERT_TRUE(grabber.ready()) << grabber.trail().toStdString();
        std::vector<uint8_t> picture(std::size_t(grabber.stride()) * 32, 0xAB);
        ASSERT_TRUE(grabber.grab(picture.data()));
        const struct {
            int x, y;
            uint32_t bgra;
        } pixels[] = {{0, 0, 0xFF102030},   {15, 15, 0xFF102030}, {16, 0, 0xFFFF0000},
                      {40, 5, 0xFF00FF80},  {0, 16, 0xFF808080},  {20, 31, 0xFF0000FF},
                      {47, 31, 0xFFFFFFFF}, {48, 0, 0},           {63, 31, 0}};
        for (const auto& p : pixels)
            EXPECT_EQ(PixelAt(picture, 64, p.x, p.y), p.bgra)
                << int(method) << " at " << p.x << "," << p.y;
    }
}

TEST(ScreenGrabber, ChangesAreReportedOnlyInsideTheArea) {
    OwnXServer server;
    ASSERT_TRUE(server.Ok());
    XPainter painter(server.Display);
    ScreenGrabber grabber(QRect(100, 100, 32, 32), GrabMethod::SharedMemory,
                          server.Display.constData());
    ASSERT_TRUE(grabber.ready());
    EXPECT_TRUE(grabber.waitForChange(17)); // the first picture
    EXPECT_FALSE(grabber.waitForChange(17));
    painter.PaintBlocks(0, 0, 1, {0xFF0000});
    EXPECT_FALSE(grabber.waitForChange(50));
    painter.PaintBlocks(120, 120, 1, {0x00FF00});
    EXPECT_TRUE(grabber.waitForChange(500));
    std::vector<uint8_t> picture(std::size_t(grabber.stride()) * 32);
    ASSERT_TRUE(grabber.grab(picture.data()));
    EXPECT_EQ(PixelAt(picture, 32, 20, 20), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(picture, 32, 19, 19), 0xFF000000u);
}

TEST(ScreenGrabber, WithoutSharedMemoryTheTrailNamesItAndGetImageWorks) {
    OwnXServer server({"-extension", "MIT-SHM"});
    ASSERT_TRUE(server.Ok());
    ScreenGrabber shm(QRect(0, 0, 16, 16), GrabMethod::SharedMemory, server.Display.constData());
    EXPECT_FALSE(shm.ready());
    EXPECT_TRUE(shm.trail().contains("shm=missing")) << shm.trail().toStdString();
    XPainter(server.Display).PaintBlocks(0, 0, 1, {0x123456});
    ScreenGrabber plain(QRect(0, 0, 16, 16), GrabMethod::GetImage, server.Display.constData());
    ASSERT_TRUE(plain.ready());
    std::vector<uint8_t> picture(16 * 16 * 4);
    ASSERT_TRUE(plain.grab(picture.data()));
    EXPECT_EQ(PixelAt(picture, 16, 8, 8), 0xFF123456u);
}

TEST(ScreenGrabber, MonitorsAndReport) {
    OwnXServer server;
    ASSERT_TRUE(server.Ok());
    const std::vector<Monitor> list = monitors(server.Display.constData());
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].geometry, QRect(0, 0, 640, 480));
    const QStringList report = displayReport(server.Display.constData());
    EXPECT_TRUE(report.join('\n').contains("MIT-SHM=1, DAMAGE=1"))
        << report.join('\n').toStdString();
}

TEST(PointerWatcher, ButtonFlags) {
    const struct {
        int button;
        uint32_t down, up;
    } cases[] = {{1, 1, 2}, {3, 4, 8}, {2, 16, 32}, {8, 64, 128}, {9, 256, 512},
                 {4, 0, 0}, {5, 0, 0}, {6, 0, 0},   {7, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(buttonFlag(c.button, true), c.down) << c.button;
        EXPECT_EQ(buttonFlag(c.button, false), c.up) << c.button;
    }
}

} // namespace
