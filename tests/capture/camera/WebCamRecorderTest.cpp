// The camera recorder on scripted cameras: previews of YUYV, MJPEG and RGB frames made from
// known pictures, and "camera.mp4" with frames in their slots (a 60-fps camera in a 30-fps
// format, a stall, a pause, an odd width); stalls and refused formats at stop.
#include "capture/UMFWebCamRecorder.h"
#include "core/URServerMessages.h"
#include "media/UMFencoder.h"
#include "platform/camera/Devices.h"
#include "platform/media/SourceReader.h"
#include "platform/media/VideoConverter.h"
#include "tests/support/camera/FakeCamera.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

namespace {

using platform::camera::fourcc;

const uint32_t YUYV = fourcc('Y', 'U', 'Y', 'V');
const uint32_t MJPG = fourcc('M', 'J', 'P', 'G');
const uint32_t BGR3 = fourcc('B', 'G', 'R', '3');

template <class F> bool PumpUntil(F done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

using Script = std::function<bool(int, std::vector<uint8_t>&, int64_t&)>;

fakecam::Device Camera(uint32_t layout, int w, int h, Script frames, uint32_t rate = 30) {
    fakecam::Device d;
    d.path = "/dev/video0";
    d.card = "Test Cam";
    d.formats = {{layout, {{w, h, {{1, rate}}}}}};
    d.frames = std::move(frames);
    return d;
}

TWebCamFormat Format(const TRGuid& subType, int w, int h, int fps = 30) {
    TWebCamFormat f;
    f.SubType = subType;
    f.Width = w;
    f.Height = h;
    f.FPS = fps;
    return f;
}

class WebCamRecorderTest : public testing::Test {
protected:
    void SetUp() override {
        SetServerMessageSink([this](const QString& status, bool) {
            reports.push_back(status);
            return QString();
        });
        recorder.Breadcrumb = [](const QString&) {};
        recorder.OnReceiveData = [this](int w, int h, const uint8_t* buffer) {
            previewWidth = w;
            previewHeight = h;
            preview.assign(buffer, buffer + size_t(w) * h * 4);
        };
    }
    void TearDown() override {
        recorder.Stop();
        SetServerMessageSink(nullptr);
    }

    // Starts the camera for the preview and waits for the first preview frame.
    void Preview(const TWebCamFormat& format) {
        recorder.SetParams("Test Cam", format, 0, QString(), false);
        recorder.Start(80, false);
        ASSERT_TRUE(PumpUntil([this] { return !preview.empty(); }));
    }

    const uint8_t* Pixel(int x, int y) const {
        return &preview[(size_t(y) * size_t(previewWidth) + size_t(x)) * 4];
    }

    TMFWebCamRecorder recorder;
    std::vector<QString> reports;
    std::vector<uint8_t> preview;
    int previewWidth = 0, previewHeight = 0;
};

// BT.709 video range to full-range RGB, the conversion of the camera's YUY2 preview.
std::array<double, 3> Bt709(int y, int u, int v) {
    const double Y = 1.164383 * (y - 16);
    return {Y + 1.792741 * (v - 128), Y - 0.213249 * (u - 128) - 0.532909 * (v - 128),
            Y + 2.112402 * (u - 128)};
}

TEST_F(WebCamRecorderTest, YuyvPreviewIsTheBt709PictureAtItsOwnWidth) {
    // 40 pixels (not whole 16-pixel blocks) in pairs of Y0 U Y1 V: four greys and two colours.
    const int w = 40, h = 4;
    const int pairs[6][4] = {{16, 128, 16, 128}, {126, 128, 126, 128}, {235, 128, 235, 128},
                             {81, 90, 81, 240},  {145, 54, 145, 34},   {41, 240, 41, 110}};
    std::vector<uint8_t> frame(size_t(w) * h * 2);
    for (int y = 0; y < h; ++y)
        for (int p = 0; p < w / 2; ++p) {
            const int* q = pairs[p % 6];
            uint8_t* at = &frame[size_t(y) * w * 2 + size_t(p) * 4];
            at[0] = uint8_t(q[0]), at[1] = uint8_t(q[1]), at[2] = uint8_t(q[2]),
            at[3] = uint8_t(q[3]);
        }
    fakecam::Cameras cameras({Camera(YUYV, w, h, [=](int k, auto& bytes, int64_t& due) {
        bytes = frame;
        due = k * 33;
        return true;
    })});
    Preview(Format(MFVideoFormat_YUY2, w, h));
    EXPECT_EQ(previewWidth, w);
    EXPECT_EQ(previewHeight, h);
    for (int x = 0; x < w; ++x) {
        const int* q = pairs[(x / 2) % 6];
        const auto rgb = Bt709(q[0], q[1], q[3]);
        const uint8_t* px = Pixel(x, h - 1);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(px[2 - c], std::clamp(rgb[size_t(c)], 0.0, 255.0), 2.0) << x << "," << c;
        EXPECT_EQ(px[3], 255);
    }
}

TEST_F(WebCamRecorderTest, MjpegPreviewIsThePictureSent) {
    const int w = 64, h = 32;
    const uint8_t bars[4][3] = {{128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}}; // BGR
    std::vector<uint8_t> picture(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &picture[(size_t(y) * w + x) * 4];
            std::copy_n(bars[x / 16], 3, p);
            p[3] = 255;
        }
    const auto jpeg = fakecam::EncodeJpeg(picture.data(), w, h, 100);
    fakecam::Cameras cameras({Camera(MJPG, w, h, [=](int k, auto& bytes, int64_t& due) {
        bytes = jpeg;
        due = k * 33;
        return true;
    })});
    Preview(Format(MFVideoFormat_MJPG, w, h));
    for (int bar = 0; bar < 4; ++bar)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(Pixel(bar * 16 + 8, 16)[c], bars[bar][c], 6.0) << bar << "," << c;
}

TEST_F(WebCamRecorderTest, RgbRowsStayTopDown) {
    const int w = 8, h = 4;
    std::vector<uint8_t> frame(size_t(w) * h * 3);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint8_t(i / (size_t(w) * 3) * 60 + i % 3);
    fakecam::Cameras cameras({Camera(BGR3, w, h, [=](int k, auto& bytes, int64_t& due) {
        bytes = frame;
        due = k * 33;
        return true;
    })});
    Preview(Format(MFVideoFormat_RGB24, w, h));
    for (int y = 0; y < h; ++y) {
        const uint8_t* px = Pixel(3, y);
        EXPECT_EQ(px[0], y * 60);
        EXPECT_EQ(px[1], y * 60 + 1);
        EXPECT_EQ(px[2], y * 60 + 2);
        EXPECT_EQ(px[3], 255);
    }
}

// A YUYV frame whose eight vertical bars show the bits of `id` (white 1, black 0).
std::vector<uint8_t> IdFrame(int id, int w, int h) {
    std::vector<uint8_t> frame(size_t(w) * h * 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int bit = std::min(x * 8 / w, 7);
            uint8_t* at = &frame[(size_t(y) * w + x) * 2];
            at[0] = (id >> bit & 1) ? 235 : 16;
            at[1] = 128;
        }
    return frame;
}

// The id of a decoded BGRA picture of the same bars.
int IdOf(const std::vector<uint8_t>& bgra, int w, int h) {
    int id = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const int x = bit * w / 8 + w / 16;
        if (bgra[(size_t(h / 2) * w + x) * 4 + 1] > 128)
            id |= 1 << bit;
    }
    return id;
}

// The picture id of every 1/30-s slot of the file: a gap slot shows the picture before it.
std::vector<int> ReadSlots(const QString& path, int& width, int& height) {
    platform::media::SourceReader reader(path.toStdString());
    const auto type = reader.mediaType(platform::media::SourceReader::FirstVideoStream);
    width = type.width;
    height = type.height;
    reader.setStreamSelection(platform::media::SourceReader::FirstVideoStream, true);
    platform::media::VideoConverter converter;
    std::vector<uint8_t> bgra(size_t(width) * height * 4);
    std::vector<int> slots;
    const auto slotOf = [](int64_t time) { return size_t(std::llround(double(time) * 30 / 1e7)); };
    for (;;) {
        auto result = reader.readSample(platform::media::SourceReader::FirstVideoStream);
        if (result.status != platform::media::SourceReader::ReadStatus::Sample)
            break;
        converter.convert(result.sample, bgra.data(), width * 4);
        const size_t first = slotOf(result.sample.time());
        const size_t end = slotOf(result.sample.time() + result.sample.duration());
        EXPECT_EQ(first, slots.size()) << "a sample off the slot grid";
        slots.resize(std::max(end, first + 1), IdOf(bgra, width, height));
    }
    return slots;
}

TEST_F(WebCamRecorderTest, FramesLandInTheirSlotsOfTheFormatsRate) {
    // A 60-fps camera, 641 pixels wide, recorded in a 30-fps format; 200 ms into the
    // recording it stalls for 500 ms (the frames due then come at its end, only the last one
    // shown).
    const int w = 641, h = 32;
    auto streamStart = std::make_shared<std::atomic<int64_t>>(0);
    auto stallFrom = std::make_shared<std::atomic<int64_t>>(INT64_MAX / 2);
    fakecam::Cameras cameras({Camera(
        YUYV, w, h,
        [=](int k, auto& bytes, int64_t& due) {
            if (k == 0)
                *streamStart = CaptureClockMs();
            const int64_t at = k * 1000 / 60, stall = *stallFrom;
            due = at >= stall && at < stall + 500 ? stall + 500 : at;
            bytes = IdFrame(k % 256, w, h);
            return true;
        },
        60)});
    QTemporaryDir dir;
    recorder.SetParams("Test Cam", Format(MFVideoFormat_YUY2, w, h), 0, dir.filePath("camera"),
                       false);
    recorder.Start(80, false);
    ASSERT_TRUE(PumpUntil([this] { return !preview.empty(); }));
    EXPECT_EQ(previewWidth, 641); // the preview keeps the camera's width
    // Record 1.4 s with a pause of 400 ms in the middle.
    const int64_t start = CaptureClockMs();
    recorder.SetStartTime(start);
    recorder.SetRecording(true);
    *stallFrom = start - *streamStart + 200;
    Pump(900);
    const int64_t pauseAt = CaptureClockMs();
    recorder.SetRecording(false);
    recorder.SetPauseTime(pauseAt);
    Pump(400);
    const int64_t totalPause = CaptureClockMs() - pauseAt;
    recorder.SetTotalPause(totalPause);
    recorder.SetRecording(true);
    Pump(500);
    const int64_t recorded = CaptureClockMs() - start - totalPause;
    recorder.SetRecording(false);
    recorder.Terminate();
    recorder.Stop();
    EXPECT_TRUE(reports.empty());

    int width = 0, height = 0;
    const auto slots = ReadSlots(dir.filePath("camera.mp4"), width, height);
    EXPECT_EQ(width, 640); // the rightmost column is cut
    EXPECT_EQ(height, 32);
    ASSERT_GT(slots.size(), 30u);
    // As many slots as the time recorded without the pause.
    EXPECT_NEAR(double(slots.size()), double(recorded) * 30 / 1000, 3.0);
    // Between slots the camera moves on by two frames (one to three); the stall repeats one picture
    // for about 15 slots, then the camera is 30 frames further on; after the pause it is about 26
    // frames further on within one slot.
    int advance = 0, steady = 0, longestRepeat = 0, repeat = 0, jumps = 0;
    for (size_t i = 1; i < slots.size(); ++i) {
        const int step = (slots[i] - slots[i - 1] + 256) % 256;
        if (step >= 1 && step <= 3) {
            advance += step;
            ++steady;
        }
        repeat = step == 0 ? repeat + 1 : 0;
        longestRepeat = std::max(longestRepeat, repeat);
        jumps += step >= 20 && step <= 32;
        // The first recorded frame is at 0 however late it came, so the first step may be
        // longer.
        if (i > 1) {
            EXPECT_TRUE(step <= 3 || (step >= 20 && step <= 40)) << i << ": " << step;
        }
    }
    // Frames near a slot's edge may land one slot either way: two frames per slot on average.
    ASSERT_GT(steady, 15);
    EXPECT_NEAR(double(advance) / steady, 2.0, 0.15);
    EXPECT_NEAR(longestRepeat, 14, 2);
    EXPECT_EQ(jumps, 2);
}

TEST_F(WebCamRecorderTest, AStalledCameraNeverHoldsUpTheStop) {
    fakecam::Cameras cameras({Camera(YUYV, 16, 8, {})});
    QTemporaryDir dir;
    recorder.SetParams("Test Cam", Format(MFVideoFormat_YUY2, 16, 8), 0, dir.filePath("camera"),
                       false);
    recorder.Start(80, false);
    recorder.SetStartTime(CaptureClockMs());
    recorder.SetRecording(true);
    Pump(100);
    QElapsedTimer timer;
    timer.start();
    recorder.Terminate();
    recorder.Stop();
    EXPECT_LT(timer.elapsed(), 500);
    EXPECT_FALSE(QFile::exists(dir.filePath("camera.mp4")));
    EXPECT_EQ(cameras.openDescriptors(), 0);
}

TEST_F(WebCamRecorderTest, AFormatTheCameraChangesIsReportedAtStop) {
    fakecam::Device d = Camera(YUYV, 16, 8, [](int k, auto& bytes, int64_t& due) {
        bytes.assign(16 * 8 * 2, 0);
        due = k * 33;
        return true;
    });
    d.adjustsFormat = true;
    fakecam::Cameras cameras({d});
    recorder.SetParams("Test Cam", Format(MFVideoFormat_YUY2, 16, 8), 0, QString(), false);
    recorder.Start(80, false);
    ASSERT_TRUE(PumpUntil(
        [this] { return recorder.WebCamThread() && recorder.WebCamThread()->OpenFailed(); }));
    Pump(100);
    EXPECT_TRUE(preview.empty());
    recorder.Stop();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains(":CameraRecorderThread_open_")) << reports[0].toStdString();
}

} // namespace

namespace {

// An encoder that keeps the pictures it is handed instead of writing a file.
class KeepingEncoder : public TMFEncoder {
public:
    explicit KeepingEncoder(std::vector<std::vector<uint8_t>>& kept) : kept_(kept) {}
    int32_t StartEncode() override { return MF_S_OK; }
    int32_t AddVideoFrame(const uint8_t* picture) override {
        if (picture)
            kept_.emplace_back(picture, picture + size_t(Width()) * Height() * 3 / 2);
        PassSlots(1);
        return MF_S_OK;
    }
    int32_t StopEncode() override { return MF_S_OK; }

private:
    std::vector<std::vector<uint8_t>>& kept_;
};

TEST_F(WebCamRecorderTest, PlanarFramesAreCroppedPlaneByPlaneToTheEvenSize) {
    // I420 of 35 × 19: a luma plane 35 wide, chroma planes 18 wide and 10 high; every sample
    // tells its plane, row and column.
    const int w = 35, h = 19, cw = 18, ch = 10;
    std::vector<uint8_t> frame;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            frame.push_back(uint8_t(y * 7 + x));
    for (int plane = 1; plane <= 2; ++plane)
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x)
                frame.push_back(uint8_t(plane * 100 + y * 5 + x));
    fakecam::Cameras cameras(
        {Camera(fourcc('Y', 'U', '1', '2'), w, h, [=](int k, auto& b, int64_t& due) {
            b = frame;
            due = k * 33;
            return true;
        })});
    std::vector<std::vector<uint8_t>> kept;
    recorder.CreateEncoder = [&](const TRGuid& subType) -> std::unique_ptr<TMFEncoder> {
        EXPECT_TRUE(SameGuid(subType, MFVideoFormat_I420));
        return std::make_unique<KeepingEncoder>(kept);
    };
    QTemporaryDir dir;
    recorder.SetParams("Test Cam", Format(MFVideoFormat_I420, w, h), 0, dir.filePath("camera"),
                       false);
    recorder.Start(80, false);
    ASSERT_TRUE(PumpUntil([this] { return !preview.empty(); }));
    recorder.SetStartTime(CaptureClockMs());
    recorder.SetRecording(true);
    Pump(150);
    recorder.Terminate();
    recorder.Stop();
    ASSERT_FALSE(kept.empty());
    const std::vector<uint8_t>& picture = kept.front();
    // 34 × 18 luma, then 17 × 9 of each chroma plane.
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 34; ++x)
            ASSERT_EQ(picture[size_t(y) * 34 + x], uint8_t(y * 7 + x)) << x << "," << y;
    for (int plane = 1; plane <= 2; ++plane) {
        const uint8_t* p = picture.data() + 34 * 18 + size_t(plane - 1) * 17 * 9;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 17; ++x)
                ASSERT_EQ(p[y * 17 + x], uint8_t(plane * 100 + y * 5 + x)) << plane;
    }
}

} // namespace
