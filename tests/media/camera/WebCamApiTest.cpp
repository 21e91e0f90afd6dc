// The program's camera routines on scripted cameras: names, formats with their order and
// rates, subtypes, availability, the test codes and the report.
#include "media/UWebCamApi.h"
#include "platform/camera/Devices.h"
#include "tests/support/camera/FakeCamera.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <linux/videodev2.h>

namespace {

using platform::camera::fourcc;

const uint32_t YUYV = fourcc('Y', 'U', 'Y', 'V');
const uint32_t MJPG = fourcc('M', 'J', 'P', 'G');
const uint32_t H264 = fourcc('H', '2', '6', '4');

// Frames of any content every 33 ms.
bool AnyFrames(int k, std::vector<uint8_t>& bytes, int64_t& dueMs) {
    bytes.assign(64, uint8_t(k));
    dueMs = k * 33;
    return true;
}

fakecam::Device Webcam(const std::string& path, const std::string& card) {
    fakecam::Device d;
    d.path = path;
    d.card = card;
    d.formats = {
        {YUYV, {{640, 480, {{1, 30}}}, {1280, 720, {{1, 30}}}, {320, 240, {{1, 60}, {1, 30}}}}},
        {MJPG, {{1920, 1080, {{1001, 30000}}}}},
        {H264, {{1920, 1080, {{1, 30}}}}},
    };
    d.controls = {{V4L2_CID_BRIGHTNESS, "Brightness", 0, 255, 1, 128, 100},
                  {V4L2_CID_CONTRAST, "Contrast", 0, 100, 1, 50, 50}};
    d.frames = AnyFrames;
    return d;
}

TWebCamFormat Format(int fps, int w, int h, const TRGuid& subType) {
    TWebCamFormat f;
    f.FPS = fps;
    f.Width = w;
    f.Height = h;
    f.SubType = subType;
    return f;
}

TEST(WebCamApi, ListsCaptureNodesByCardName) {
    fakecam::Device output = Webcam("/dev/video2", "Loopback out");
    output.capture = false;
    fakecam::Device locked = Webcam("/dev/video3", "Locked");
    locked.openError = EACCES;
    fakecam::Cameras cameras(
        {Webcam("/dev/video0", "Desk Cam"), output, locked, Webcam("/dev/video4", "Desk Cam")});
    QStringList names{"stale"};
    GetWebCamList(&names);
    EXPECT_EQ(names, QStringList({"Desk Cam", "Desk Cam"}));
    GetWebCamList(nullptr);

    QString base;
    EXPECT_TRUE(SplitDSWebCamName("Desk Cam [DS] (2)", base));
    EXPECT_EQ(base, "Desk Cam");
    EXPECT_FALSE(SplitDSWebCamName("Desk Cam", base));
    EXPECT_EQ(base, "Desk Cam");
    // A stored name of the other platform resolves by its base name.
    EXPECT_FALSE(GetWebCamFormats("Desk Cam [DS]", false).empty());
    EXPECT_TRUE(IsWebCamAvailable("Desk Cam [DS]"));
    EXPECT_FALSE(IsWebCamAvailable("Nobody"));
    EXPECT_EQ(cameras.openDescriptors(), 0);
}

TEST(WebCamApi, FormatsAreSortedByRateWidthHeightAndRatesRounded) {
    fakecam::Cameras cameras({Webcam("/dev/video0", "Desk Cam")});
    const TWebCamFormats known = GetWebCamFormats("Desk Cam", false);
    const struct {
        int fps, w, h;
        const TRGuid& subType;
    } expected[] = {{60, 320, 240, MFVideoFormat_YUY2},
                    {30, 1920, 1080, MFVideoFormat_MJPG},
                    {30, 1280, 720, MFVideoFormat_YUY2},
                    {30, 640, 480, MFVideoFormat_YUY2},
                    {30, 320, 240, MFVideoFormat_YUY2}};
    ASSERT_EQ(known.size(), std::size(expected));
    for (size_t i = 0; i < known.size(); ++i) {
        EXPECT_EQ(known[i].FPS, expected[i].fps) << i;
        EXPECT_EQ(known[i].Width, expected[i].w) << i;
        EXPECT_EQ(known[i].Height, expected[i].h) << i;
        EXPECT_TRUE(SameGuid(known[i].SubType, expected[i].subType)) << i;
        EXPECT_EQ(known[i].Stream, 0);
        EXPECT_TRUE(SameGuid(known[i].FormatType, GUID_NULL_WEBCAM));
    }
    // 30000/1001 is kept exactly and shown as 30.
    EXPECT_EQ(known[1].RateNum, 30000u);
    EXPECT_EQ(known[1].RateDen, 1001u);
    EXPECT_EQ(WebCamSubTypeTag(known[1].SubType), ", MJPG");
    EXPECT_EQ(WebCamSubTypeTag(known[0].SubType), "");
    // Every layout, the H.264 one too, only with AAll.
    EXPECT_EQ(GetWebCamFormats("Desk Cam", true).size(), known.size() + 1);
    EXPECT_EQ(GetWebCamSubTypes("Desk Cam"), "{32595559-0000-0010-8000-00AA00389B71}\r\n"
                                             "{47504A4D-0000-0010-8000-00AA00389B71}\r\n"
                                             "{34363248-0000-0010-8000-00AA00389B71}\r\n");
}

TEST(WebCamApi, TheSortOfThreeFormats) {
    fakecam::Device d;
    d.path = "/dev/video0";
    d.card = "Cam";
    d.formats = {{YUYV, {{640, 480, {{1, 30}}}, {1280, 720, {{1, 30}}}, {320, 240, {{1, 60}}}}}};
    fakecam::Cameras cameras({d});
    const TWebCamFormats formats = GetWebCamFormats("Cam", false);
    ASSERT_EQ(formats.size(), 3u);
    EXPECT_EQ(std::make_tuple(formats[0].FPS, formats[0].Width, formats[0].Height),
              std::make_tuple(60, 320, 240));
    EXPECT_EQ(std::make_tuple(formats[1].FPS, formats[1].Width, formats[1].Height),
              std::make_tuple(30, 1280, 720));
    EXPECT_EQ(std::make_tuple(formats[2].FPS, formats[2].Width, formats[2].Height),
              std::make_tuple(30, 640, 480));
}

TEST(WebCamApi, ARangeOfIntervalsOffersTheProgramsRatesInsideIt) {
    fakecam::Device d;
    d.path = "/dev/video0";
    d.card = "Cam";
    d.formats = {{YUYV, {{640, 480, {{1, 50}, {1, 12}}, true}}}};
    fakecam::Cameras cameras({d});
    std::vector<int> rates;
    for (const TWebCamFormat& f : GetWebCamFormats("Cam", false))
        rates.push_back(f.FPS);
    EXPECT_EQ(rates, (std::vector<int>{50, 48, 30, 25, 24, 20, 15}));
}

TEST(WebCamApi, SupportedFormatsMatchInAllSixFields) {
    fakecam::Cameras cameras({Webcam("/dev/video0", "Desk Cam")});
    TWebCamFormat f = Format(30, 640, 480, MFVideoFormat_YUY2);
    EXPECT_TRUE(IsWebCamFormatSupported("Desk Cam", f));
    f.Stream = 1;
    EXPECT_FALSE(IsWebCamFormatSupported("Desk Cam", f));
    EXPECT_FALSE(IsWebCamFormatSupported("Desk Cam", Format(25, 640, 480, MFVideoFormat_YUY2)));
    EXPECT_FALSE(IsWebCamFormatSupported("Desk Cam", Format(30, 640, 480, MFVideoFormat_NV12)));
}

TEST(WebCamApi, TestCodes) {
    fakecam::Device busy = Webcam("/dev/video1", "Busy Cam");
    busy.busyError = EBUSY;
    fakecam::Device sly = Webcam("/dev/video2", "Sly Cam");
    sly.adjustsFormat = true;
    fakecam::Device stalled = Webcam("/dev/video3", "Stalled Cam");
    stalled.frames = {};
    fakecam::Cameras cameras({Webcam("/dev/video0", "Desk Cam"), busy, sly, stalled});
    const TWebCamFormat vga = Format(30, 640, 480, MFVideoFormat_YUY2);
    EXPECT_EQ(TestWebCam("Desk Cam", vga), 0);
    EXPECT_EQ(TestWebCam("Nobody", vga), WebCamNotFound);
    EXPECT_EQ(TestWebCam("Desk Cam", Format(30, 800, 600, MFVideoFormat_YUY2)), WebCamNoFormat);
    EXPECT_EQ(TestWebCam("Busy Cam", vga), WebCamInUse);
    EXPECT_EQ(uint32_t(WebCamInUse), 0x80070010u);
    EXPECT_EQ(TestWebCam("Sly Cam", vga), WebCamNoFormat);
    EXPECT_EQ(TestWebCam("Stalled Cam", vga), WebCamErrorCode(ETIMEDOUT));
    EXPECT_EQ(cameras.openDescriptors(), 0);
}

TEST(WebCamApi, ControlsAndReport) {
    fakecam::Cameras cameras({Webcam("/dev/video0", "Desk Cam")});
    const auto controls = platform::camera::listControls("/dev/video0");
    ASSERT_EQ(controls.size(), 2u);
    EXPECT_EQ(controls[0].name, "Brightness");
    EXPECT_EQ(controls[0].maximum, 255);
    EXPECT_EQ(controls[0].defaultValue, 128);
    EXPECT_EQ(controls[0].value, 100);
    QStringList report;
    GetWebCamsReport(&report);
    ASSERT_GE(report.size(), 4);
    EXPECT_EQ(report[0], "V4L2 Webcams = 1");
    EXPECT_EQ(report[1], QString(67, '-'));
    EXPECT_TRUE(report.contains("Desk Cam : /dev/video0 : fakecam : platform:/dev/video0"));
    EXPECT_TRUE(report.contains("  MJPG 1920x1080 @ 30000/1001"));
    EXPECT_TRUE(report.contains("  control Contrast : 0, 100, 1, 50, 0 = 50"));
    EXPECT_EQ(report.back(), QString(67, '-'));
}

} // namespace
