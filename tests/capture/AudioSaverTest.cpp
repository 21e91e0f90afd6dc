// The audio track writer: blocks of 1/30 s from the ring, and at its end everything the ring
// still holds, the last part padded with silence to a whole block.
#include "capture/UMFAudioRecorder.h"
#include "media/UCircleBuffer.h"
#include "media/UMFencoder.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

class CountingEncoder : public TMFEncoder {
public:
    explicit CountingEncoder(std::vector<std::vector<uint8_t>>& blocks) : blocks_(blocks) {}
    int32_t StartEncode() override { return MF_S_OK; }
    int32_t AddAudioFrame(const uint8_t* data) override {
        blocks_.emplace_back(data, data + AudioChunkBytes());
        return MF_S_OK;
    }
    int32_t StopEncode() override { return MF_S_OK; }

private:
    std::vector<std::vector<uint8_t>>& blocks_;
};

TEST(AudioSaver, DrainsTheRingWhenItEnds) {
    TCircleBufferThread ring(40 * 44100);
    // 2.5 blocks of 1470 frames, every byte telling its position.
    std::vector<uint8_t> sound(1470 * 4 * 5 / 2);
    for (size_t i = 0; i < sound.size(); ++i)
        sound[i] = uint8_t(i % 251 + 1);
    ring.Write(sound.data(), int(sound.size()));
    std::vector<std::vector<uint8_t>> blocks;
    TMFAudioSaver saver(&ring, "unused", 44100, 24000, 1000, true, nullptr);
    saver.CreateEncoder = [&] { return std::make_unique<CountingEncoder>(blocks); };
    saver.Terminate(); // the capture thread has ended: only the drain is left
    saver.Start();
    ASSERT_TRUE(saver.WaitFor(5000));
    ASSERT_EQ(blocks.size(), 3u);
    std::vector<uint8_t> written;
    for (const auto& block : blocks) {
        ASSERT_EQ(block.size(), 1470u * 4);
        written.insert(written.end(), block.begin(), block.end());
    }
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), written.begin()));
    EXPECT_TRUE(std::all_of(written.begin() + ptrdiff_t(sound.size()), written.end(),
                            [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(ring.CanReadCount(), 0);
    EXPECT_EQ(saver.GetStatus(), "11115"); // started, terminated, finished, status 15
}

} // namespace
