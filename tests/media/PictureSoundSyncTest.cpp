// Picture and sound of one file on one time base: an MP4 whose H.264 video uses B-frames (so
// its composition times start two frames late and the edit list takes them back) flashes white
// and beeps at the same moment; the video and audio readers must both place it there.
#include "media/UAudioReader.h"
#include "media/UVideoReader.h"
#include "tests/support/media/SyncClip.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The mean luma-like level of the picture at a time.
int brightnessAt(TVideoReaderEx& reader, int timeMs) {
    std::vector<uint8_t> picture(size_t(reader.GetWidth()) * reader.GetHeight() * 4);
    reader.GetFrame(timeMs, picture.data());
    int64_t sum = 0;
    for (size_t i = 0; i < picture.size(); i += 4)
        sum += picture[i + 1];
    return int(sum / int64_t(picture.size() / 4));
}

// The time (ms, fractional) of the first sample louder than a quarter of full scale.
double firstLoudMs(TAudioReader& reader) {
    constexpr int Rate = 48000;
    std::vector<int16_t> block(4800);
    int64_t done = 0;
    for (uint32_t flags = 0; !(flags & ReaderEndOfStream); done += int64_t(block.size())) {
        reader.LoadData(uint32_t(block.size()), reinterpret_cast<uint8_t*>(block.data()), flags);
        for (size_t i = 0; i < block.size(); ++i)
            if (std::abs(block[i]) > 8192)
                return double(done + int64_t(i)) * 1000.0 / Rate;
    }
    return -1;
}

TEST(PictureSoundSync, BFrameMp4FlashesAndBeepsAtTheSameTime) {
    QTemporaryDir dir;
    const QString path = dir.filePath("sync.mp4");
    fixtures::writeSyncClip(path);

    TVideoReaderEx video(path);
    ASSERT_TRUE(video.IsValid()) << video.ErrorText().toStdString();
    EXPECT_LT(brightnessAt(video, 0), 40);
    EXPECT_LT(brightnessAt(video, 959), 40) << "the frame before the flash";
    EXPECT_GT(brightnessAt(video, 1000), 200) << "the flash at 1.000 s";
    EXPECT_GT(brightnessAt(video, 1020), 200);
    EXPECT_LT(brightnessAt(video, 1040), 40) << "the frame after the flash";

    TAudioReader sound;
    ASSERT_TRUE(sound.OpenFile(path));
    ASSERT_TRUE(sound.SetFormat(48000, 1, 16));
    EXPECT_NEAR(firstLoudMs(sound), 1000.0, 3.0) << "the beep at 1.000 s";
}

} // namespace
