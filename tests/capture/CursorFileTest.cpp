// The bytes of a cursor-track file, written out by hand from its layout: the shape count, each
// shape's seven fields and pixels, the sample count and 20 bytes per sample, little-endian.
#include "capture/UCursorRecorder.h"

#include <gtest/gtest.h>

namespace {

TEST(CursorFile, BytesOfOneShapeAndTwoSamples) {
    TPointerShape shape;
    shape._Type = 82;
    shape.Width = 1;
    shape.Height = 2;
    shape.Pitch = 4;
    shape.HotSpot = QPoint(1, 0);
    shape.PointerShapeBuffer = QByteArray("\x01\x02\x03\xFF\x00\x00\x00\x00", 8);
    TCursorRecord first;
    first.Position = QPoint(-3, 7);
    first.Pointer = 0;
    TCursorRecord click;
    click.Time = 300;
    click.Position = QPoint(256, 1);
    click.Buttons = 2;
    click.Pointer = -2;
    const QByteArray expected = QByteArray::fromHex("01000000" // one shape
                                                    "52000000"
                                                    "01000000"
                                                    "02000000"
                                                    "04000000"
                                                    "01000000"
                                                    "00000000"
                                                    "08000000" // fields
                                                    "010203ff"
                                                    "00000000" // pixels
                                                    "02000000" // two samples
                                                    "00000000"
                                                    "fdffffff"
                                                    "07000000"
                                                    "00000000"
                                                    "00000000" // time 0
                                                    "2c010000"
                                                    "00010000"
                                                    "01000000"
                                                    "02000000"
                                                    "feffffff"); // a left up
    EXPECT_EQ(TCursorRecorderThread::CursorFileBytes({shape}, {first, click}).toHex(),
              expected.toHex());
}

TEST(CursorFile, SamplingInterval) {
    const struct {
        int fps, interval;
    } cases[] = {{30, 28}, {60, 11}, {0, 30}, {-5, 30}, {1000, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(TCursorRecorderThread::SampleInterval(c.fps), c.interval) << c.fps;
}

} // namespace
