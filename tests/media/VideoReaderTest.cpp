// Every container through the facade: each test file stamps its frame number into the picture,
// so the test checks which frame a time gives, going forward, backward, at random and at the end.
#include "media/UVideoReader.h"
#include "media/UVideoReaderAVI.h"
#include "media/UVideoReaderMP4.h"
#include "media/UVideoReaderNP.h"
#include "media/UVideoReaderWMV.h"
#include "tests/support/media/MediaFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

struct ContainerCase {
    const char* name;
    const char* file;
    const char* muxer;
    const char* encoder;
    int rateNum = 30;
    int rateDen = 1;
    int bFrames = 0;
    std::vector<int> timesMs = {};
    bool soundFirst = false;
};

std::ostream& operator<<(std::ostream& out, const ContainerCase& c) {
    return out << c.name;
}

fixtures::VideoSpec specOf(const ContainerCase& c) {
    fixtures::VideoSpec spec;
    spec.muxer = c.muxer;
    spec.encoder = c.encoder;
    spec.rateNum = c.rateNum;
    spec.rateDen = c.rateDen;
    spec.bFrames = c.bFrames;
    spec.timesMs = c.timesMs;
    spec.soundFirst = c.soundFirst;
    if (!c.timesMs.empty())
        spec.frames = int(c.timesMs.size());
    return spec;
}

QString writeCase(const QTemporaryDir& dir, const fixtures::VideoSpec& spec,
                  const ContainerCase& c) {
    const QString path = dir.filePath(QString::fromLatin1(c.file));
    fixtures::writeVideo(path, spec);
    return path;
}

class VideoReaderContainers : public testing::TestWithParam<ContainerCase> {
protected:
    void SetUp() override {
        spec = specOf(GetParam());
        path = writeCase(dir, spec, GetParam());
        reader = std::make_unique<TVideoReaderEx>(path);
        ASSERT_TRUE(reader->IsValid()) << reader->ErrorText().toStdString();
        picture.assign(size_t(reader->GetWidth()) * reader->GetHeight() * 4, 0);
    }

    // The time of the middle of frame k, counted from the first frame's time.
    int middleOf(int k) const {
        const int first = reader->Reader()->GetBeginTime(1);
        if (!spec.timesMs.empty()) {
            const int end = size_t(k) + 1 < spec.timesMs.size() ? spec.timesMs[size_t(k) + 1]
                                                                : reader->GetDurationMs();
            return first + (spec.timesMs[size_t(k)] + end) / 2;
        }
        return first + int(std::floor((k + 0.5) * 1000.0 * spec.rateDen / spec.rateNum));
    }

    int frameAt(int timeMs) {
        std::fill(picture.begin(), picture.end(), 0);
        reader->GetFrame(timeMs, picture.data());
        return fixtures::readStamp(picture.data(), reader->GetWidth(), reader->GetHeight());
    }

    QTemporaryDir dir;
    QString path;
    fixtures::VideoSpec spec;
    std::unique_ptr<TVideoReaderEx> reader;
    std::vector<uint8_t> picture;
};

TEST_P(VideoReaderContainers, GivesTheFrameOfEachTime) {
    EXPECT_EQ(reader->GetWidth(), fixtures::StampWidth);
    EXPECT_EQ(reader->GetHeight(), fixtures::StampHeight);
    const int last = spec.frames - 1;
    for (int k = 0; k <= last; ++k)
        EXPECT_EQ(frameAt(middleOf(k)), k) << "forward, frame " << k;
    for (int k = last; k >= 0; k -= 3)
        EXPECT_EQ(frameAt(middleOf(k)), k) << "backward, frame " << k;
    for (int k : {17, 3, 28, 0, 29, 14, 15, 1, 22}) {
        k = std::min(k, last);
        EXPECT_EQ(frameAt(middleOf(k)), k) << "random, frame " << k;
    }
    EXPECT_EQ(frameAt(reader->GetDurationMs()), last) << "the end";
    EXPECT_EQ(frameAt(reader->GetDurationMs() + 5000), last) << "past the end";
    EXPECT_EQ(frameAt(-100), 0) << "before the start";
}

const std::vector<int> VariableTimesMs = {0, 40, 80, 200, 210, 220, 500, 530, 560, 900};

const ContainerCase containerCases[] = {
    {"Mp4H264", "clip.mp4", "mp4", "libx264"},
    {"Mp4H264BFrames", "clip.mp4", "mp4", "libx264", 30, 1, 2},
    {"Mp4Ntsc", "clip.m4v", "mp4", "libx264", 30000, 1001},
    {"Mp4VariableRate", "clip.mp4", "mp4", "libx264", 30, 1, 0, VariableTimesMs},
    {"MovH264", "clip.mov", "mov", "libx264", 25, 1, 1},
    {"MovSoundFirst", "clip.mov", "mov", "libx264", 30, 1, 0, {}, true},
    {"Mp4Hevc", "clip.mp4", "mp4", "libx265"},
    {"MkvH264", "clip.mkv", "matroska", "libx264", 30, 1, 2},
    {"MkvVariableRate", "clip.mkv", "matroska", "libx264", 30, 1, 0, VariableTimesMs},
    {"WebmVariableRate", "clip.webm", "webm", "libvpx", 30, 1, 0, VariableTimesMs},
    {"WebmVp8", "clip.webm", "webm", "libvpx"},
    {"WebmVp9", "clip.webm", "webm", "libvpx-vp9"},
    {"AviMpeg4", "clip.avi", "avi", "mpeg4"},
    {"AviNtsc", "clip.avi", "avi", "mpeg4", 30000, 1001},
    {"AviRgb24", "clip.avi", "avi", "rawvideo", 25, 1},
    {"WmvWmv2", "clip.wmv", "asf", "wmv2"},
    {"AsfWmv2", "clip.asf", "asf", "wmv2", 25, 1},
};

INSTANTIATE_TEST_SUITE_P(Containers, VideoReaderContainers, testing::ValuesIn(containerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Frames at 0, 40, 80, 200, 210, 220, 500, 530, 560 and 900 ms whose packets carry no
// durations: each time shows the last frame starting at or before it.
class VideoReaderVariableRate : public VideoReaderContainers {};

TEST_P(VideoReaderVariableRate, ShowsTheFrameStartedLast) {
    const std::pair<int, int> table[] = {{0, 0},   {20, 0},  {38, 0},  {40, 1},  {60, 1},  {78, 1},
                                         {80, 2},  {100, 2}, {150, 2}, {198, 2}, {200, 3}, {205, 3},
                                         {215, 4}, {300, 5}, {498, 5}, {510, 6}, {545, 7}, {700, 8},
                                         {950, 9}, {100, 2}, {10, 0},  {890, 8}, {905, 9}};
    for (const auto& [timeMs, frame] : table)
        EXPECT_EQ(frameAt(timeMs), frame) << "at " << timeMs << " ms";
}

INSTANTIATE_TEST_SUITE_P(Containers, VideoReaderVariableRate,
                         testing::Values(ContainerCase{"Mp4", "clip.mp4", "mp4", "libx264", 30, 1,
                                                       0, VariableTimesMs},
                                         ContainerCase{"Mkv", "clip.mkv", "matroska", "libx264", 30,
                                                       1, 0, VariableTimesMs},
                                         ContainerCase{"Webm", "clip.webm", "webm", "libvpx", 30, 1,
                                                       0, VariableTimesMs}),
                         [](const auto& info) { return std::string(info.param.name); });

// A file holding a single frame still shows it, at every time.
class VideoReaderOneFrame : public testing::TestWithParam<ContainerCase> {};

TEST_P(VideoReaderOneFrame, ShowsItsOnlyFrame) {
    QTemporaryDir dir;
    fixtures::VideoSpec spec = specOf(GetParam());
    spec.frames = 1;
    spec.timesMs.clear();
    TVideoReaderEx reader(writeCase(dir, spec, GetParam()));
    ASSERT_TRUE(reader.IsValid()) << reader.ErrorText().toStdString();
    std::vector<uint8_t> picture(size_t(reader.GetWidth()) * reader.GetHeight() * 4);
    for (int time : {0, reader.GetDurationMs() / 2, reader.GetDurationMs()}) {
        std::fill(picture.begin(), picture.end(), 0);
        reader.GetFrame(time, picture.data());
        EXPECT_EQ(fixtures::readStamp(picture.data(), reader.GetWidth(), reader.GetHeight()), 0)
            << "at " << time << " ms";
    }
}

INSTANTIATE_TEST_SUITE_P(Containers, VideoReaderOneFrame, testing::ValuesIn(containerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every container cut short and with bytes overwritten: an error or pictures, never a crash.
class VideoReaderDamaged : public testing::TestWithParam<ContainerCase> {};

TEST_P(VideoReaderDamaged, OpensWithAnErrorOrPlaysWhatIsSound) {
    QTemporaryDir dir;
    const QString path = writeCase(dir, specOf(GetParam()), GetParam());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    std::mt19937 random(99);
    std::uniform_int_distribution<qsizetype> where(0, bytes.size() - 1);
    for (int n = 0; n < 24; ++n)
        bytes[where(random)] = char(random());
    bytes.truncate(bytes.size() * 3 / 5);
    file.resize(0);
    file.write(bytes);
    file.close();
    TVideoReaderEx reader(path);
    if (!reader.IsValid()) {
        EXPECT_FALSE(reader.ErrorText().isEmpty());
        return;
    }
    std::vector<uint8_t> picture(size_t(reader.GetWidth()) * reader.GetHeight() * 4);
    for (int time : {0, 500, 100, reader.GetDurationMs(), 300})
        reader.GetFrame(time, picture.data());
}

INSTANTIATE_TEST_SUITE_P(Containers, VideoReaderDamaged, testing::ValuesIn(containerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VideoReaderTables, EvenTableKeepsTheExactFrameRate) {
    QTemporaryDir dir;
    fixtures::VideoSpec spec;
    spec.muxer = "avi";
    spec.encoder = "mpeg4";
    spec.rateNum = 30000;
    spec.rateDen = 1001;
    spec.frames = 300;
    spec.gop = 30;
    const QString path = dir.filePath("long.avi");
    fixtures::writeVideo(path, spec);
    TVideoReaderEx reader(path);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.GetFrameRate(), (platform::media::Rational{30000, 1001}));
    auto* avi = dynamic_cast<TVideoReaderAVI*>(reader.Reader());
    ASSERT_NE(avi, nullptr);
    EXPECT_EQ(avi->FNrFrames, 300);
    // Frame 300 begins at 299 × 1001 / 30 ms, not at 299 × 1000 / 30 ms.
    EXPECT_EQ(avi->GetBeginTime(300), 9976);
    EXPECT_EQ(avi->GetBeginTime(0), 0);
    EXPECT_EQ(avi->GetBeginTime(301), 0);
}

TEST(VideoReaderTables, KeyFramesComeFromTheContainersIndex) {
    QTemporaryDir dir;
    fixtures::VideoSpec spec;
    spec.frames = 40;
    for (const auto& [muxer, name] : {std::pair{"avi", "clip.avi"}, std::pair{"asf", "clip.wmv"}}) {
        spec.muxer = muxer;
        spec.encoder = std::string(muxer) == "avi" ? "mpeg4" : "wmv2";
        const QString path = dir.filePath(QString::fromLatin1(name));
        fixtures::writeVideo(path, spec);
        TVideoReaderEx reader(path);
        ASSERT_TRUE(reader.IsValid()) << name;
        auto* table = dynamic_cast<TVideoReaderTable*>(reader.Reader());
        ASSERT_NE(table, nullptr);
        if (std::string(muxer) == "avi") {
            // One key frame per group of 10.
            auto* avi = static_cast<TVideoReaderAVI*>(table);
            EXPECT_EQ(avi->FNrFrames, 40);
        }
        std::vector<uint8_t> picture(size_t(reader.GetWidth()) * reader.GetHeight() * 4);
        reader.GetFrame(1016, picture.data());
        EXPECT_EQ(fixtures::readStamp(picture.data(), reader.GetWidth(), reader.GetHeight()), 30)
            << name;
    }
}

} // namespace
