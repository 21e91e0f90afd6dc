#include "media/UCircleBuffer.h"

#include <gtest/gtest.h>
#include <numeric>
#include <thread>

namespace {

std::vector<uint8_t> bytes(int first, int count) {
    std::vector<uint8_t> v(static_cast<size_t>(count));
    std::iota(v.begin(), v.end(), uint8_t(first));
    return v;
}

} // namespace

TEST(AudioRing, EmptyRingMovesNothing) {
    TCircleBuffer ring(0);
    uint8_t b[4] = {1, 2, 3, 4};
    EXPECT_EQ(ring.Write(b, 4), 0);
    EXPECT_EQ(ring.Read(b, 4), 0);
    TCircleBufferThread locked(0);
    EXPECT_EQ(locked.Write(b, 0), 0);
    EXPECT_EQ(locked.Read(b, 0), 0);
}

TEST(AudioRing, WrappedContentComesOutInWriteOrder) {
    TCircleBuffer ring(10);
    std::vector<uint8_t> sink(10);
    ASSERT_EQ(ring.Write(bytes(0, 6).data(), 6), 6);
    ASSERT_EQ(ring.Read(sink.data(), 6), 6);
    ASSERT_EQ(ring.Write(bytes(100, 6).data(), 6), 6); // positions 6..9 and 0..1
    EXPECT_EQ(ring.WritePosition(), 2);
    EXPECT_EQ(ring.ReadPosition(), 6);
    std::vector<uint8_t> out(8, 0);
    EXPECT_EQ(ring.Read(out.data(), 8), 6);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 6), bytes(100, 6));
    EXPECT_EQ(ring.CanReadCount(), 0);
    EXPECT_EQ(ring.CanWriteCount(), 10);
}

TEST(AudioRing, PlainRingMovesWhatFitsLockedRingAllOrNothing) {
    TCircleBuffer ring(10);
    EXPECT_EQ(ring.Write(bytes(0, 12).data(), 12), 10);
    EXPECT_EQ(ring.Write(bytes(0, 1).data(), 1), 0);

    TCircleBufferThread locked(10);
    EXPECT_EQ(locked.Write(bytes(0, 12).data(), 12), 0);
    EXPECT_EQ(locked.CanReadCount(), 0);
    ASSERT_EQ(locked.Write(bytes(0, 3).data(), 3), 3);
    std::vector<uint8_t> out(4);
    EXPECT_EQ(locked.Read(out.data(), 4), 0);
    EXPECT_EQ(locked.CanReadCount(), 3);
}

TEST(AudioRing, ReserveGrowsWithoutLosingOrder) {
    TCircleBuffer ring(8);
    std::vector<uint8_t> sink(8);
    ring.Write(bytes(0, 6).data(), 6);
    ring.Read(sink.data(), 5);
    ring.Write(bytes(6, 6).data(), 6); // wrapped: 5..11 held
    ring.Reserve(20);
    EXPECT_GE(ring.CanWriteCount(), 20);
    EXPECT_EQ(ring.Write(bytes(12, 20).data(), 20), 20);
    std::vector<uint8_t> out(27);
    EXPECT_EQ(ring.Read(out.data(), 27), 27);
    EXPECT_EQ(out, bytes(5, 27));
}

TEST(AudioRing, LockedRingGrowsToo) {
    TCircleBufferThread ring(4);
    ASSERT_EQ(ring.Write(bytes(0, 4).data(), 4), 4);
    ring.Reserve(6);
    ASSERT_EQ(ring.Write(bytes(4, 6).data(), 6), 6);
    std::vector<uint8_t> out(10);
    ASSERT_EQ(ring.Read(out.data(), 10), 10);
    EXPECT_EQ(out, bytes(0, 10));
    ring.Write(bytes(0, 3).data(), 3);
    ring.Clear();
    EXPECT_EQ(ring.CanReadCount(), 0);
}

TEST(AudioRing, OnePictureHandoffBetweenThreads) {
    constexpr int picture = 64, pictures = 500;
    TCircleBufferThread ring(picture);
    std::thread producer([&] {
        for (int n = 0; n < pictures; ++n) {
            const auto frame = std::vector<uint8_t>(picture, uint8_t(n));
            while (ring.Write(frame.data(), picture) == 0)
                std::this_thread::yield();
        }
    });
    std::vector<uint8_t> frame(picture);
    for (int n = 0; n < pictures; ++n) {
        while (ring.Read(frame.data(), picture) == 0)
            std::this_thread::yield();
        // A whole picture, never two halves.
        ASSERT_EQ(frame, std::vector<uint8_t>(picture, uint8_t(n)));
    }
    producer.join();
}

TEST(AudioRing, MailboxKeepsTheNewestFrame) {
    TRBufferThread box(4);
    EXPECT_FALSE(box.HasData());
    const uint8_t a[4] = {1, 2, 3, 4}, b[4] = {5, 6, 7, 8};
    box.Write(a);
    box.Write(b);
    ASSERT_TRUE(box.HasData());
    uint8_t out[4] = {}, again[4] = {};
    box.Read(out);
    box.Read(again);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(b, b + 4));
    EXPECT_EQ(std::vector<uint8_t>(again, again + 4), std::vector<uint8_t>(b, b + 4));
    box.Write(nullptr);
    box.Read(nullptr);
    TRBufferThread none(0);
    none.Write(a);
    EXPECT_FALSE(none.HasData());
}

TEST(AudioRing, MailboxCopiesOnlyAFrameTheReaderHasNot) {
    TRBufferThread box(4);
    const auto invert = [](uint8_t* dest, const uint8_t* source, size_t bytes) {
        for (size_t i = 0; i < bytes; ++i)
            dest[i] = uint8_t(~source[i]);
    };
    uint8_t out[4] = {9, 9, 9, 9};
    // The empty mailbox holds frame 0 (zeros): a reader that has nothing yet gets it.
    EXPECT_EQ(box.ReadNewer(out, UINT64_MAX, invert), 0u);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(4, 0xFF));
    const uint8_t a[4] = {1, 2, 3, 4}, b[4] = {5, 6, 7, 8};
    box.Write(a);
    box.Write(b);
    EXPECT_EQ(box.ReadNewer(out, 0, invert), 2u);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{250, 249, 248, 247}));
    // The reader has frame 2: nothing is copied until the next write.
    uint8_t untouched[4] = {};
    EXPECT_EQ(box.ReadNewer(untouched, 2, invert), 2u);
    EXPECT_EQ(std::vector<uint8_t>(untouched, untouched + 4), std::vector<uint8_t>(4, 0));
    box.Write(a);
    EXPECT_EQ(box.ReadNewer(untouched, 2, invert), 3u);
    EXPECT_EQ(std::vector<uint8_t>(untouched, untouched + 4),
              (std::vector<uint8_t>{254, 253, 252, 251}));
}
