// The sound of an export: where each pass starts reading, the reversed mix-down, sample-exact
// WAV exports (volume, selection, backwards, forwards then backwards), beeps against their
// flashes at every speed, loudness normalising, the formats that carry sound and the failures.
#include "export/URExportAudio.h"
#include "media/UMFAudioResampler.h"
#include "media/UMFencoderAAC.h"
#include "tests/export/ExportTestProject.h"
#include "tests/support/AudioSignals.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QRegularExpression>
#include <cmath>
#include <csignal>
#include <sys/resource.h>

namespace {

using namespace exporttest;

// ---- where a pass starts ----

struct StartCase {
    const char* name;
    std::int32_t rangeStart, rangeEnd, timeEnd, mode, speed;
    int framePS;
    std::int64_t expected; // stereo frame of the pass's first frame
};

// The mix-down of a project of `timeEnd` ms has a 1470-frame block per 1/30 s and one more.
std::int64_t MixFrames(std::int32_t timeEnd) {
    return (std::int64_t(timeEnd) * 30 / 1000 + 1) * 1470;
}

TEST(ExportPassAudioStart, IsTheExactSampleOfTheFirstFrameMirroredOnTheMixDownBackwards) {
    const StartCase cases[] = {
        // 2000..4000 ms at 30 fps reads from byte 46 + 60 × 5880.
        {"forward", 2000, 4000, 10000, 0, 1000, 30, 60 * 1470},
        {"forward at double speed", 2000, 4000, 10000, 0, 2000, 30, 60 * 1470},
        // 250 ms is 11025 frames; whole video frames of 24 fps would give 6 × 1837 = 11022.
        {"forward at 24 fps", 250, 1750, 2000, 0, 1000, 24, 11025},
        // Backwards from 4000 ms: 442470 frames of a 10 s mix-down less 4000 ms.
        {"backward", 2000, 4000, 10000, 1, 1000, 30, 442470 - 176400},
        // The turn of a 1 s range at 10 fps starts the backward pass at 1000 ms.
        {"backward after the turn", 0, 1000, 1000, 2, 1000, 10, 45570 - 44100},
        // Twice as fast backwards: 10 frames from 1800 ms, whose interval ends at 2000 ms.
        {"backward at double speed", 0, 2000, 2000, 1, 2000, 10, 89670 - 88200},
    };
    for (const StartCase& c : cases) {
        TRProjectExportOptions options;
        options.Selection = true;
        options.SelTimeStart = c.rangeStart;
        options.SelTimeEnd = c.rangeEnd;
        const TRExportRange range = ComputeExportRange(options, c.timeEnd, c.framePS);
        const TRExportPass pass = ExportPasses(range, c.mode, c.speed, c.speed).back();
        EXPECT_EQ(ExportPassAudioStart(range, pass, c.framePS, MixFrames(c.timeEnd)), c.expected)
            << c.name;
    }
}

// ---- the reversed mix-down ----

QByteArray ReadAll(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::uint32_t Le32(const QByteArray& data, int at) {
    std::uint32_t value = 0;
    std::memcpy(&value, data.constData() + at, 4);
    return value;
}

TEST(ReverseWavFile, ReversesEveryFrameWithItsChannelsAndStatesTheSizes) {
    QTemporaryDir dir;
    const QString source = dir.filePath("ntmp.wav");
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(WriteWavHeader(TWaveFormat::Pcm16(44100, 2), file));
        // 2000 frames: not a whole number of 1470-frame blocks.
        for (int16_t i = 0; i < 2000; ++i) {
            const int16_t pair[2] = {i, int16_t(-i)};
            file.write(reinterpret_cast<const char*>(pair), 4);
        }
        ASSERT_TRUE(WriteWavHeader(TWaveFormat::Pcm16(44100, 2), file));
    }
    const QString reversed = dir.filePath("nrtmp.wav");
    ASSERT_TRUE(ReverseWavFile(source, reversed));
    const QByteArray data = ReadAll(reversed);
    ASSERT_EQ(data.size(), 46 + 8000);
    EXPECT_EQ(data.left(4), "RIFF");
    EXPECT_EQ(Le32(data, 4), 46u + 8000 - 8);
    EXPECT_EQ(data.mid(38, 4), "data");
    EXPECT_EQ(Le32(data, 42), 8000u);
    const auto* samples = reinterpret_cast<const int16_t*>(data.constData() + 46);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ(samples[2 * i], 1999 - i) << i;
        ASSERT_EQ(samples[2 * i + 1], -(1999 - i)) << i;
    }
    EXPECT_FALSE(ReverseWavFile(dir.filePath("missing.wav"), dir.filePath("none.wav")));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.wav")));
}

// ---- runs ----

class ExportAudio : public ExportProject {
protected:
    // A tone file of the tests and a sound object playing it from `start` ms.
    SoundObject* AddTone(const char* name, std::int32_t start, const fixtures::ToneSpec& spec) {
        const QString file = dir_.filePath(name);
        fixtures::writeTone(file, spec);
        const auto end = std::int32_t(start + std::lround(spec.seconds * 1000));
        return static_cast<SoundObject*>(
            project_->AddObject(std::make_unique<SoundObject>(project_.get(), file, start, end)));
    }
    // The sound of a WAV export, interleaved stereo.
    std::vector<int16_t> WavSamples() const {
        const QByteArray data = ReadAll(Delivered(".wav"));
        std::vector<int16_t> samples(size_t(std::max<qsizetype>(data.size() - 46, 0)) / 2);
        std::memcpy(samples.data(), data.constData() + 46, samples.size() * 2);
        return samples;
    }
    // The tone file's own samples, interleaved stereo.
    std::vector<int16_t> Decoded(const char* name, int frames) const {
        TAudioReader reader;
        EXPECT_TRUE(reader.OpenFile(dir_.filePath(name)) && reader.SetFormat(44100, 2, 16));
        std::vector<int16_t> pcm(size_t(frames) * 2);
        uint32_t flags = 0;
        reader.LoadData(uint32_t(frames), reinterpret_cast<uint8_t*>(pcm.data()), flags);
        return pcm;
    }
    void UseWav() {
        project_->ExportOptions().Format = 9;
        project_->ExportOptions().FileName = QStringLiteral("clip one.wav");
    }
};

// A project of 2 s at 24 fps whose tone plays from 500 to 1000 ms: the mix-down the tests
// expect, interleaved stereo, frame 0 at time 0.
std::vector<int16_t> ExpectedMix(const std::vector<int16_t>& tone, float gain) {
    std::vector<int16_t> mix(size_t(88200) * 2, 0);
    for (size_t i = 0; i < tone.size(); ++i)
        mix[22050 * 2 + i] =
            int16_t(std::clamp(std::trunc(tone[i] * double(gain)), -32700.0, 32700.0));
    return mix;
}

std::vector<int16_t> ReversedFrames(std::vector<int16_t> samples) {
    auto* frames = reinterpret_cast<std::uint32_t*>(samples.data());
    std::reverse(frames, frames + samples.size() / 2);
    return samples;
}

std::vector<int16_t> Slice(const std::vector<int16_t>& samples, size_t firstFrame, size_t frames) {
    return {samples.begin() + std::ptrdiff_t(firstFrame * 2),
            samples.begin() + std::ptrdiff_t((firstFrame + frames) * 2)};
}

TEST_F(ExportAudio, WavExportsHoldTheMixDownSampleForSample) {
    project_->SetTimeEnd(2000);
    project_->ExportOptions().FramePS = 24;
    UseWav();
    AddTone("tone.wav", 500, {.seconds = 0.5, .hz = 1000, .level = 0.5});
    const std::vector<int16_t> tone = Decoded("tone.wav", 22050);
    TRProjectExportOptions& options = project_->ExportOptions();

    // 48 frames of 1837 or 1838 sample frames: exactly 2 s of sound.
    ExportExpectingFile();
    EXPECT_EQ(WavSamples(), ExpectedMix(tone, 1.0f));

    options.AudioVolume = 0.5f;
    ExportExpectingFile();
    EXPECT_EQ(WavSamples(), ExpectedMix(tone, 0.5f));
    options.AudioVolume = 1.0f;

    // 250..1750 ms: 36 frames from the sample at 250 ms on.
    options.Selection = true;
    options.SelTimeStart = 250;
    options.SelTimeEnd = 1750;
    ExportExpectingFile();
    EXPECT_EQ(WavSamples(), Slice(ExpectedMix(tone, 1.0f), 11025, 66150));
    options.Selection = false;

    // Backwards: the forward sound reversed, frame for frame.
    options.ExportMode = 1;
    ExportExpectingFile();
    EXPECT_EQ(WavSamples(), ReversedFrames(ExpectedMix(tone, 1.0f)));

    // Forwards to the turn (47 frames), then backwards from the range end (47 frames): the
    // backward pass plays the last 86363 frames of the 2 s reversed.
    options.ExportMode = 2;
    ExportExpectingFile();
    const std::vector<int16_t> mix = ExpectedMix(tone, 1.0f);
    std::vector<int16_t> expected = Slice(mix, 0, 86362);
    const std::vector<int16_t> back = ReversedFrames(Slice(mix, 88200 - 86363, 86363));
    expected.insert(expected.end(), back.begin(), back.end());
    EXPECT_EQ(WavSamples(), expected);
    EXPECT_EQ(WorkFiles(), QStringList{"clip one.wav"}); // no sound work file is left
}

TEST_F(ExportAudio, APassThatRunsOutOfSoundGoesOnInSilence) {
    // The tone runs on past the project's end to 1100 ms, where the mix-down ends; a pass of
    // five frames from 1000 ms reads three frames of it and then runs out.
    project_->ExportOptions().FramePS = 30;
    AddTone("tone.wav", 500, {.seconds = 0.6, .hz = 1000, .level = 0.5});
    TRExportAudio audio(*project_, project_->ExportOptions());
    ASSERT_TRUE(audio.Prepare(false));
    TRExportRange range{1000, 1000, 30, 30};
    ASSERT_TRUE(audio.StartPass(range, TRExportPass{false, 1000, 5, 0, 1}));
    TMFEncoderPCM encoder;
    encoder.SetParams(0, 0, 30, 80, true, 44100, 176400, dir_.filePath("pass"));
    ASSERT_EQ(encoder.StartEncode(), MF_S_OK);
    for (int n = 0; n < 5; ++n)
        ASSERT_EQ(audio.AddFrame(encoder), MF_S_OK);
    ASSERT_EQ(encoder.StopEncode(), MF_S_OK);
    const QByteArray data = ReadAll(dir_.filePath("pass.wav"));
    ASSERT_EQ(data.size(), 46 + 5 * 5880);
    const auto* samples = reinterpret_cast<const int16_t*>(data.constData() + 46);
    EXPECT_GT(signals::rms(samples + 2 * 2 * 1470, 1470, 2), 0.3);
    EXPECT_EQ(signals::rms(samples + 2 * 3 * 1470, 2 * 1470, 2), 0.0);
}

// Runs of sound above a tenth of full scale, in seconds, from 10-ms windows; dips shorter
// than 50 ms (a tempo change's cross-fades) do not split a run.
std::vector<std::pair<double, double>> Beeps(const std::vector<int16_t>& mono) {
    std::vector<std::pair<double, double>> spans;
    constexpr int Window = 441;
    for (size_t at = 0; at + Window <= mono.size(); at += Window) {
        if (signals::rms(mono.data() + at, Window, 1) <= 0.1)
            continue;
        const double start = double(at) / 44100;
        if (spans.empty() || start - spans.back().second > 0.05)
            spans.push_back({start, start});
        spans.back().second = double(at + Window) / 44100;
    }
    return spans;
}

std::vector<int> FlashFrames(const QList<QByteArray>& pictures) {
    std::vector<int> frames;
    for (int i = 0; i < pictures.size(); ++i)
        if (uint8_t(pictures[i][pictures[i].size() / 2]) > 128)
            frames.push_back(i);
    return frames;
}

struct BeepCase {
    const char* name;
    std::int32_t mode, speed;
    bool pitch;
    std::int32_t selStart, selEnd; // no selection when equal
    std::vector<int> flashes;      // output frames at 10 fps
    std::vector<std::pair<double, double>> beeps;
    double hz;
    std::int32_t frameMode = 0; // 1: frames equal to the one before are not written
};

// A 2 s project at 10 fps with a 300-ms beep of 1 kHz at 1000 ms whose first 100 ms flash
// white, in every mode, at half, normal and double speed, at a constant and a variable frame
// rate.
TEST_F(ExportAudio, BeepsSoundWithTheirFlashesInEveryModeAndSpeed) {
    project_->SetTimeEnd(2000);
    project_->SetProjectSize(32, 16);
    AddTone("beep.wav", 1000, {.seconds = 0.3, .hz = 1000, .level = 0.5})->FlashMs = 100;
    const BeepCase cases[] = {
        {"forward", 0, 1000, true, 0, 0, {10}, {{1.0, 1.3}}, 1000},
        {"selection", 0, 1000, true, 500, 1500, {5}, {{0.5, 0.8}}, 1000},
        {"double speed", 0, 2000, true, 0, 0, {5}, {{0.5, 0.65}}, 1000},
        {"double speed and pitch", 0, 2000, false, 0, 0, {5}, {{0.5, 0.65}}, 2000},
        {"half speed", 0, 500, true, 0, 0, {20, 21}, {{2.0, 2.6}}, 1000},
        {"half speed and pitch", 0, 500, false, 0, 0, {20, 21}, {{2.0, 2.6}}, 500},
        {"backward", 1, 1000, true, 0, 0, {9}, {{0.7, 1.0}}, 1000},
        {"backward at double speed", 1, 2000, true, 0, 0, {4}, {{0.35, 0.5}}, 1000},
        {"forward then backward", 2, 1000, true, 0, 0, {10, 28}, {{1.0, 1.3}, {2.6, 2.9}}, 1000},
        {"variable frame rate", 0, 1000, true, 0, 0, {10}, {{1.0, 1.3}}, 1000, 1},
        {"backward at a variable frame rate", 1, 1000, true, 0, 0, {9}, {{0.7, 1.0}}, 1000, 1},
    };
    for (const BeepCase& c : cases) {
        SCOPED_TRACE(c.name);
        TRProjectExportOptions& options = project_->ExportOptions();
        options.ExportMode = c.mode;
        options.MediaSpeed = options.ReversedSpeed = c.speed;
        options.AudioPitch = options.AudioPitchReversed = c.pitch;
        options.Selection = c.selStart != c.selEnd;
        options.SelTimeStart = c.selStart;
        options.SelTimeEnd = c.selEnd;
        options.FrameMode = c.frameMode;
        ExportExpectingFile();
        EXPECT_EQ(FlashFrames(DecodePictures(Delivered(), 32, 16, 10)), c.flashes);
        const std::vector<int16_t> sound = DecodeSound(Delivered());
        const auto beeps = Beeps(sound);
        ASSERT_EQ(beeps.size(), c.beeps.size());
        for (size_t i = 0; i < beeps.size(); ++i) {
            EXPECT_NEAR(beeps[i].first, c.beeps[i].first, 0.1) << "beep " << i;
            EXPECT_NEAR(beeps[i].second, c.beeps[i].second, 0.1) << "beep " << i;
        }
        const auto middle = size_t((beeps[0].first + beeps[0].second) / 2 * 44100);
        EXPECT_NEAR(signals::frequency(sound.data() + middle - 2000, 4000, 1, 44100), c.hz,
                    c.hz * 0.05);
    }
}

double IntegratedLoudness(const QString& file) {
    const QString log = QString::fromUtf8(
        Ffmpeg(file, {"-map", "a:0", "-filter:a", "ebur128", "-f", "null", "-"}, true));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Integrated loudness:\\s*I:\\s*(-?[0-9.]+) LUFS"))
            .match(log);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

TEST_F(ExportAudio, NormalisingBringsEveryPassToTheTargetLoudness) {
    project_->SetTimeEnd(4000);
    AddTone("quiet.wav", 0, {.seconds = 4, .hz = 1000, .level = 0.05});
    TRProjectExportOptions& options = project_->ExportOptions();
    options.AudioNormalizeLoudness = true;
    options.AudioLoudness = -14;
    for (const std::int32_t speed : {1000, 2000}) {
        options.MediaSpeed = speed;
        ExportExpectingFile();
        EXPECT_NEAR(IntegratedLoudness(Delivered()), -14.0, 0.5) << speed;
    }
}

struct FormatCase {
    std::int32_t format;
    const char* ext;
    const char* codec; // of the sound; empty when the format has none
    int bitRate;       // of the sound by the settings' row, bits per second
};

TEST_F(ExportAudio, EveryFormatThatCarriesSoundGetsTheProjectsSound) {
    project_->SetTimeEnd(2000);
    AddTone("tone.wav", 0, {.seconds = 2, .hz = 440, .level = 0.5});
    const FormatCase cases[] = {
        // AAC and WMA at row 3 of the bit rates, MP3 at row 4: 24000 bytes per second.
        {1, ".mp4", "aac", 192000},        {5, ".wmv", "wmav2", 192000}, {8, ".m4a", "aac", 192000},
        {9, ".wav", "pcm_s16le", 1411200}, {10, ".mp3", "mp3", 192000},  {6, ".gif", "", 0},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.ext);
        if (c.format == 10 && !fixtures::hasEncoder("libmp3lame"))
            continue;
        project_->ExportOptions().Format = c.format;
        project_->ExportOptions().FileName = QStringLiteral("clip one") + c.ext;
        ExportExpectingFile();
        const QStringList audio =
            Probe(Delivered(c.ext), {"stream=codec_name", "bit_rate"}, "a").split(',');
        EXPECT_EQ(audio.value(0), c.codec);
        if (*c.codec) {
            EXPECT_NEAR(audio.value(1).toDouble(), c.bitRate, c.bitRate * 0.1);
            const std::vector<int16_t> sound = DecodeSound(Delivered(c.ext));
            EXPECT_NEAR(double(sound.size()) / 44100, 2.0, 0.1);
            EXPECT_NEAR(signals::frequency(sound.data() + 22050, 44100, 1, 44100), 440, 5);
        }
    }
    // Without "Include Audio" a video has no sound; a sound-only format keeps it.
    project_->ExportOptions().Audio = false;
    for (const FormatCase& c : {cases[0], cases[2]}) {
        SCOPED_TRACE(c.ext);
        project_->ExportOptions().Format = c.format;
        project_->ExportOptions().FileName = QStringLiteral("clip one") + c.ext;
        ExportExpectingFile();
        EXPECT_EQ(Probe(Delivered(c.ext), {"stream=codec_name"}, "a"),
                  c.format == 1 ? "" : c.codec);
    }
}

TEST_F(ExportAudio, AMixDownOrReversalThatCannotBeWrittenIsReported) {
    QFile older(Delivered());
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older");
    older.close();
    for (const char* blocked : {"ntmp.wav", "nrtmp.wav"}) {
        SCOPED_TRACE(blocked);
        ASSERT_TRUE(QDir(dir_.filePath("work")).mkdir(blocked));
        project_->ExportOptions().ExportMode = 1;
        const TRExportOutcome outcome = ExportProjectToFile(project_.get(), reporter_);
        EXPECT_TRUE(outcome.Error);
        EXPECT_FALSE(outcome.Delivered);
        EXPECT_EQ(ExportError, "Cannot prepare the audio [1,66x50]");
        EXPECT_EQ(ReadAll(Delivered()), "older");
        EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(' ').toStdString();
        ASSERT_TRUE(QDir(dir_.filePath("work")).rmdir(blocked));
    }
}

// Keeps every file this process writes below `bytes` while it lives: a write past the limit
// fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &FSaved);
        FHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = FSaved;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FSaved);
        std::signal(SIGXFSZ, FHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit FSaved {};
    void (*FHandler)(int) = SIG_DFL;
};

TEST_F(ExportAudio, ASoundFrameTheEncoderCannotWriteIsReported) {
    UseWav();
    project_->ExportOptions().ExportMode = 2;
    TRExportOutcome outcome;
    {
        // The mix-down of 1 s and its reverse (182 kB each) fit; the sound forwards and then
        // backwards (18 frames of 17640 bytes after a 46-byte header) does not.
        const FileSizeLimit limit(190000);
        outcome = ExportProjectToFile(project_.get(), reporter_);
    }
    EXPECT_TRUE(outcome.Error);
    EXPECT_FALSE(outcome.Delivered);
    // Ten frames fit; the eleventh, the backward pass's frame at 800 ms, does not.
    EXPECT_EQ(ExportError, "Cannot encode the audio frame [9,65x49,80004005_0] at position 800");
    EXPECT_FALSE(QFile::exists(Delivered(".wav")));
    EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(' ').toStdString();
}

// Ten minutes of a tiny picture: a beep just before the end still sounds at its time, and sound
// and picture end together, at frame rates whose frames do not hold whole numbers of samples.
TEST_F(ExportAudio, LongRunsEndSoundAndPictureWithinOneFrame) {
    project_->SetTimeEnd(600000);
    project_->SetProjectSize(8, 8);
    AddTone("beep.wav", 599000, {.seconds = 0.5, .hz = 1000, .level = 0.5});
    for (const int fps : {24, 48}) {
        SCOPED_TRACE(fps);
        project_->ExportOptions().FramePS = fps;
        ExportExpectingFile();
        const double frame = 1.0 / fps;
        const QStringList video = Probe(Delivered(), {"stream=duration"}, "v:0").split(',');
        const QStringList audio = Probe(Delivered(), {"stream=duration"}, "a:0").split(',');
        EXPECT_NEAR(video.value(0).toDouble(), 600.0, frame);
        EXPECT_NEAR(audio.value(0).toDouble(), 600.0, frame);
        EXPECT_NEAR(audio.value(0).toDouble(), video.value(0).toDouble(), frame);
        const auto beeps = Beeps(DecodeSound(Delivered()));
        ASSERT_EQ(beeps.size(), 1u);
        EXPECT_NEAR(beeps[0].first, 599.0, frame);
    }
}

} // namespace
