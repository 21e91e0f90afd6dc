// WebP files written by the WebP encoder: the container laid out byte for byte, the changed
// rectangles with even offsets inside the canvas, frame durations without drift, and the files
// decoded back by libwebp through the media layer.
#include "media/UMFencoderWEBP.h"
#include "platform/media/WebPAnimation.h"
#include "tests/support/media/EncoderChecks.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace platform::media;

namespace {

std::vector<uint8_t> canvasOf(int width, int height, uint32_t value = 0xFF406080) {
    std::vector<uint8_t> frame(size_t(width) * height * 4);
    for (size_t i = 0; i < frame.size(); i += 4)
        std::memcpy(&frame[i], &value, 4);
    return frame;
}

void setPixel(std::vector<uint8_t>& frame, int width, int x, int y, uint32_t value) {
    std::memcpy(&frame[(size_t(y) * size_t(width) + size_t(x)) * 4], &value, 4);
}

// Reads the fields of the file in order and fails the test on the first one that differs.
class ByteWalk {
public:
    explicit ByteWalk(QByteArray data) : data_(std::move(data)) {}

    bool atEnd() const { return pos_ == data_.size(); }
    qsizetype pos() const { return pos_; }
    QByteArray tag() { return take(4); }
    uint32_t u8() { return uint8_t(take(1).at(0)); }
    uint32_t u16() { return qFromLittleEndian<uint16_t>(take(2).constData()); }
    uint32_t u24() {
        const QByteArray b = take(3);
        return uint8_t(b[0]) | uint32_t(uint8_t(b[1])) << 8 | uint32_t(uint8_t(b[2])) << 16;
    }
    uint32_t u32() { return qFromLittleEndian<uint32_t>(take(4).constData()); }
    QByteArray take(qsizetype n) {
        if (pos_ + n > data_.size()) {
            ADD_FAILURE() << "the file ends at " << data_.size() << ", wanted " << pos_ + n;
            return QByteArray(n, '\0');
        }
        const QByteArray out = data_.mid(pos_, n);
        pos_ += n;
        return out;
    }

private:
    QByteArray data_;
    qsizetype pos_ = 0;
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// One "VP8 " chunk: a key frame of the given size, its pad byte when odd.
void expectVp8Chunk(ByteWalk& in, int width, int height, uint32_t* length = nullptr) {
    EXPECT_EQ(in.tag(), "VP8 ");
    const uint32_t size = in.u32();
    const QByteArray payload = in.take(size);
    ASSERT_GE(payload.size(), 10);
    EXPECT_EQ(uint8_t(payload[0]) & 1, 0) << "not a key frame";
    EXPECT_EQ(payload.mid(3, 3), QByteArray("\x9d\x01\x2a", 3));
    EXPECT_EQ(qFromLittleEndian<uint16_t>(payload.constData() + 6) & 0x3FFF, width);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(payload.constData() + 8) & 0x3FFF, height);
    if (size % 2 != 0) {
        EXPECT_EQ(in.u8(), 0u);
    }
    if (length)
        *length = size;
}

struct Anmf {
    int x, y, width, height, duration;
};

void expectAnmf(ByteWalk& in, const Anmf& frame) {
    EXPECT_EQ(in.tag(), "ANMF");
    const uint32_t size = in.u32();
    const qsizetype start = in.pos();
    EXPECT_EQ(in.u24(), uint32_t(frame.x / 2));
    EXPECT_EQ(in.u24(), uint32_t(frame.y / 2));
    EXPECT_EQ(in.u24(), uint32_t(frame.width - 1));
    EXPECT_EQ(in.u24(), uint32_t(frame.height - 1));
    EXPECT_EQ(in.u24(), uint32_t(frame.duration));
    EXPECT_EQ(in.u8(), 2u);
    uint32_t payload = 0;
    expectVp8Chunk(in, frame.width, frame.height, &payload);
    EXPECT_EQ(size, payload + 24 + payload % 2);
    EXPECT_EQ(in.pos() - start, qsizetype(size));
}

void expectAnimationHeader(ByteWalk& in, qsizetype fileSize, int width, int height) {
    EXPECT_EQ(in.tag(), "RIFF");
    EXPECT_EQ(in.u32(), uint32_t(fileSize - 8));
    EXPECT_EQ(in.tag(), "WEBP");
    EXPECT_EQ(in.tag(), "VP8X");
    EXPECT_EQ(in.u32(), 10u);
    EXPECT_EQ(in.u32(), 2u);
    EXPECT_EQ(in.u24(), uint32_t(width - 1));
    EXPECT_EQ(in.u24(), uint32_t(height - 1));
    EXPECT_EQ(in.tag(), "ANIM");
    EXPECT_EQ(in.u32(), 6u);
    EXPECT_EQ(in.u32(), 0u);
    EXPECT_EQ(in.u16(), 0u);
}

class EncoderWebP : public testing::Test {
protected:
    void start(int width, int height, int fps, bool animation, bool changes) {
        encoder.Animation = animation;
        encoder.UseChanges = changes;
        encoder.SetParams(width, height, fps, 100, false, 44100, 16000, dir.filePath("pic"));
        ASSERT_EQ(encoder.StartEncode(), MF_S_OK) << encoder.LastError().toStdString();
    }

    QByteArray stop() {
        EXPECT_EQ(encoder.StopEncode(), MF_S_OK) << encoder.LastError().toStdString();
        return readAll(encoder.FileName());
    }

    QTemporaryDir dir;
    TMFEncoderWEBP encoder;
};

TEST_F(EncoderWebP, StillPictureIsOneVp8Chunk) {
    start(64, 48, 30, false, false);
    EXPECT_EQ(encoder.AddVideoFrame(canvasOf(64, 48).data()), MF_S_OK);
    const QByteArray file = stop();
    ByteWalk in(file);
    EXPECT_EQ(in.tag(), "RIFF");
    EXPECT_EQ(in.u32(), uint32_t(file.size() - 8));
    EXPECT_EQ(in.tag(), "WEBP");
    uint32_t payload = 0;
    expectVp8Chunk(in, 64, 48, &payload);
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(file.size(), 12 + 8 + payload + payload % 2);
    EXPECT_EQ(encoder.GetVideoCompressedSize(), payload);
    if (const auto probed = encoderchecks::ffprobe(encoder.FileName())) {
        ASSERT_EQ(probed->size(), 1u);
        EXPECT_EQ(probed->at(0).codec, "webp");
        EXPECT_EQ(probed->at(0).width, 64);
        EXPECT_EQ(probed->at(0).height, 48);
    }
}

TEST_F(EncoderWebP, TwoFrameAnimationMatchesTheLayout) {
    start(640, 480, 10, true, true);
    auto frame = canvasOf(640, 480);
    encoder.AddVideoFrame(frame.data());
    setPixel(frame, 640, 5, 7, 0xFFFFFFFF);
    encoder.AddVideoFrame(frame.data());
    const QByteArray file = stop();
    ByteWalk in(file);
    expectAnimationHeader(in, file.size(), 640, 480);
    expectAnmf(in, Anmf{0, 0, 640, 480, 100});
    expectAnmf(in, Anmf{4, 6, 34, 34, 100});
    EXPECT_TRUE(in.atEnd());

    WebPAnimation decoded(encoder.FileName().toStdString());
    EXPECT_EQ(decoded.durations(), (std::vector<int>{100, 100}));
    std::vector<uint8_t> picture(size_t(640) * 480 * 4);
    ASSERT_TRUE(decoded.decodeFrame(1, picture.data(), 640 * 4));
    const uint8_t* changed = &picture[(size_t(7) * 640 + 5) * 4];
    EXPECT_GT(changed[0] + changed[1] + changed[2], 3 * 200);
}

// Rectangles grow to even offsets and sizes of at least 34 pixels and stay inside the canvas,
// also where the canvas is small or odd.
struct RectCase {
    int width, height, x, y;
    Anmf expected;
};

class EncoderWebPRects : public EncoderWebP, public testing::WithParamInterface<RectCase> {};

TEST_P(EncoderWebPRects, ChangedRectangleIsClampedWithEvenOffsets) {
    const RectCase& c = GetParam();
    start(c.width, c.height, 10, true, true);
    auto frame = canvasOf(c.width, c.height);
    encoder.AddVideoFrame(frame.data());
    setPixel(frame, c.width, c.x, c.y, 0xFFFFFFFF);
    encoder.AddVideoFrame(frame.data());
    const QByteArray file = stop();
    ByteWalk in(file);
    expectAnimationHeader(in, file.size(), c.width, c.height);
    expectAnmf(in, Anmf{0, 0, c.width, c.height, 100});
    expectAnmf(in, c.expected);
    EXPECT_TRUE(in.atEnd());
    WebPAnimation decoded(encoder.FileName().toStdString());
    std::vector<uint8_t> picture(size_t(c.width) * size_t(c.height) * 4);
    EXPECT_TRUE(decoded.decodeFrame(1, picture.data(), c.width * 4));
}

INSTANTIATE_TEST_SUITE_P(Rects, EncoderWebPRects,
                         testing::Values(RectCase{640, 480, 5, 7, {4, 6, 34, 34, 100}},
                                         RectCase{640, 40, 639, 0, {606, 0, 34, 34, 100}},
                                         RectCase{101, 60, 100, 59, {66, 26, 35, 34, 100}},
                                         RectCase{33, 21, 32, 20, {0, 0, 33, 21, 100}}));

TEST_F(EncoderWebP, HeldFrameLastsAllItsSlots) {
    start(64, 48, 10, true, false);
    encoder.UseVFR = true;
    const auto a = canvasOf(64, 48), b = canvasOf(64, 48, 0xFF102030);
    for (int k = 0; k < 7; ++k)
        encoder.AddVideoFrame(a.data());
    encoder.AddVideoFrame(b.data());
    stop();
    WebPAnimation decoded(encoder.FileName().toStdString());
    EXPECT_EQ(decoded.durations(), (std::vector<int>{700, 100}));
}

TEST_F(EncoderWebP, DurationsCarryTheirRemainder) {
    start(64, 48, 15, true, false);
    for (int k = 0; k < 6; ++k)
        encoder.AddVideoFrame(canvasOf(64, 48, 0xFF000000u + uint32_t(k * 40)).data());
    stop();
    WebPAnimation decoded(encoder.FileName().toStdString());
    EXPECT_EQ(decoded.durations(), (std::vector<int>{66, 67, 67, 66, 67, 67}));
}

TEST_F(EncoderWebP, StillPictureTakesOneFrameOnly) {
    start(64, 48, 30, false, false);
    EXPECT_EQ(encoder.AddVideoFrame(canvasOf(64, 48).data()), MF_S_OK);
    EXPECT_EQ(encoder.AddVideoFrame(canvasOf(64, 48).data()), E_MF_ENCODER);
    const QByteArray file = stop();
    ByteWalk in(file);
    in.take(12);
    expectVp8Chunk(in, 64, 48);
    EXPECT_TRUE(in.atEnd());
}

} // namespace
