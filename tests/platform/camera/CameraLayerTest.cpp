// The camera layer on scripted cameras: streaming with stamps on the shared clock and
// time-outs, a mode the driver changes, and MJPEG frames decoded to video-range I420.
#include "platform/camera/CaptureSession.h"
#include "platform/camera/Mjpeg.h"
#include "platform/system/Clock.h"
#include "tests/support/camera/FakeCamera.h"

#include <cerrno>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using platform::camera::CameraError;
using platform::camera::CaptureSession;
using platform::camera::fourcc;
using platform::camera::Frame;
using platform::camera::Mode;

const uint32_t YUYV = fourcc('Y', 'U', 'Y', 'V');

fakecam::Device Camera(std::function<bool(int, std::vector<uint8_t>&, int64_t&)> frames) {
    fakecam::Device d;
    d.path = "/dev/video0";
    d.card = "Cam";
    d.formats = {{YUYV, {{64, 32, {{1, 30}}}}}};
    d.frames = std::move(frames);
    return d;
}

TEST(CameraLayer, FramesCarryTheirTimeOnTheSharedClockAndStallsTimeOut) {
    // Three frames 40 ms apart, then nothing.
    fakecam::Cameras cameras({Camera([](int k, std::vector<uint8_t>& bytes, int64_t& due) {
        bytes.assign(64 * 32 * 2, uint8_t(10 + k));
        due = 40 * k;
        return k < 3;
    })});
    const int64_t before = platform::system::performanceCounter() / 1'000'000;
    CaptureSession session("/dev/video0", {YUYV, 64, 32, {30, 1}});
    EXPECT_EQ(session.stride(), 128);
    EXPECT_EQ(session.imageBytes(), 64u * 32 * 2);
    std::vector<int64_t> times;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(session.nextFrame(1000, [&](const Frame& f) {
            EXPECT_EQ(f.bytes, 64u * 32 * 2);
            EXPECT_EQ(f.data[0], 10 + i);
            EXPECT_EQ(f.sequence, uint32_t(i));
            times.push_back(f.timeMs);
        }));
    const int64_t after = platform::system::performanceCounter() / 1'000'000;
    EXPECT_GE(times[0], before);
    EXPECT_LE(times[2], after);
    EXPECT_NEAR(double(times[1] - times[0]), 40.0, 1.0);
    EXPECT_NEAR(double(times[2] - times[1]), 40.0, 1.0);
    // A stalled camera gives back control after the time-out.
    EXPECT_FALSE(session.nextFrame(10, [](const Frame&) { FAIL(); }));
}

TEST(CameraLayer, AModeTheDriverChangesIsRefused) {
    fakecam::Device d = Camera({});
    d.adjustsFormat = true;
    fakecam::Cameras cameras({d});
    try {
        CaptureSession session("/dev/video0", {YUYV, 64, 32, {30, 1}});
        FAIL() << "the session opened";
    } catch (const CameraError& error) {
        EXPECT_TRUE(platform::camera::refusedMode(error));
    }
    EXPECT_EQ(cameras.openDescriptors(), 0);
}

// Video-range I420 values of a full-range RGB colour (BT.601, as JPEG pictures are).
std::array<double, 3> VideoYuv(double r, double g, double b) {
    const double y = 0.299 * r + 0.587 * g + 0.114 * b;
    const double cb = 128 + (b - y) * 0.564;
    const double cr = 128 + (r - y) * 0.713;
    return {16 + y * 219 / 255, 128 + (std::min(cb, 255.0) - 128) * 224 / 255,
            128 + (std::min(cr, 255.0) - 128) * 224 / 255};
}

TEST(CameraLayer, MjpegFramesDecodeToVideoRangeI420) {
    // Four 16-pixel-wide bars: grey, red, green, blue.
    const int w = 64, h = 32;
    const uint8_t bars[4][3] = {{128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}}; // BGR
    std::vector<uint8_t> bgra(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &bgra[(size_t(y) * w + x) * 4];
            const uint8_t* c = bars[x / 16];
            p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 255;
        }
    const std::vector<uint8_t> jpeg = fakecam::EncodeJpeg(bgra.data(), w, h, 100);
    std::vector<uint8_t> i420(size_t(w) * h * 3 / 2);
    platform::camera::MjpegDecoder decoder;
    ASSERT_TRUE(decoder.decodeToI420(jpeg.data(), jpeg.size(), w, h, i420.data()));
    const uint8_t* u = i420.data() + w * h;
    const uint8_t* v = u + (w / 2) * (h / 2);
    for (int bar = 0; bar < 4; ++bar) {
        const auto expected = VideoYuv(bars[bar][2], bars[bar][1], bars[bar][0]);
        const int x = bar * 16 + 8, y = 12;
        EXPECT_NEAR(i420[size_t(y) * w + x], expected[0], 2.0) << bar;
        EXPECT_NEAR(u[size_t(y / 2) * (w / 2) + x / 2], expected[1], 3.0) << bar;
        EXPECT_NEAR(v[size_t(y / 2) * (w / 2) + x / 2], expected[2], 3.0) << bar;
    }
    // Another size, a damaged frame and no data are refused.
    EXPECT_FALSE(decoder.decodeToI420(jpeg.data(), jpeg.size(), 32, 32, i420.data()));
    EXPECT_FALSE(decoder.decodeToI420(jpeg.data(), jpeg.size() / 3, w, h, i420.data()));
    EXPECT_FALSE(decoder.decodeToI420(nullptr, 0, w, h, i420.data()));
    // The decoder goes on after a failure.
    EXPECT_TRUE(decoder.decodeToI420(jpeg.data(), jpeg.size(), w, h, i420.data()));
}

} // namespace

namespace {

// The kernel's own cameras, where the machine has one.
TEST(CameraLayer, RealCameraStreamsAFrame) {
    const auto devices = platform::camera::listDevices();
    if (devices.empty())
        GTEST_SKIP() << "no camera on this machine";
    const auto modes = platform::camera::listModes(devices.front().path);
    ASSERT_FALSE(modes.empty());
    const auto result = platform::camera::testDevice(devices.front().path, modes.front(), 3000);
    // A camera another program holds answers EBUSY; anything else must stream.
    if (result.kind == platform::camera::TestResult::Kind::Failed && result.error == EBUSY)
        GTEST_SKIP() << "the camera is in use";
    EXPECT_EQ(result.kind, platform::camera::TestResult::Kind::Ok) << result.error;
}

} // namespace
