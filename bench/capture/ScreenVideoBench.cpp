// Screen-video codec throughput: encoding and decoding whole frames on all cores, in frames/s
// and MB/s of BGRA pictures, with bytes per frame and PSNR, at 720p, 1080p and 4K on three
// kinds of content.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "capture/UVideoEncoder.h"
#include "media/UVideoDecoder.h"
#include "tests/capture/ScreenVideoContent.h"

namespace {

constexpr int kFrames = 6;

struct TClip {
    int width, height;
    std::vector<std::vector<uint8_t>> pictures;
};

const TClip& Clip(TScreenContent kind, int width, int height) {
    static std::map<std::tuple<int, int, int>, TClip> clips;
    TClip& clip = clips[{int(kind), width, height}];
    if (clip.pictures.empty()) {
        clip.width = width, clip.height = height;
        for (int f = 0; f < kFrames; ++f)
            clip.pictures.push_back(ScreenContentFrame(kind, width, height, f));
    }
    return clip;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        squares += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    const double mse = squares / double(a.size());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// The clip's frames as records: a key frame, then delta frames.
std::vector<std::vector<uint8_t>> EncodeClip(const TClip& clip, int qstep) {
    TVideoEncoder encoder;
    encoder.MultiThread = true;
    encoder.StartEncode(clip.width, clip.height, qstep, true);
    std::vector<std::vector<uint8_t>> records;
    std::vector<uint8_t> out(encoder.MaxFrameBytes());
    for (int f = 0; f < kFrames; ++f) {
        const int size = encoder.Encode(f == 0, clip.pictures[f].data(), clip.width * 4, out.data());
        if (size > 0)
            records.emplace_back(out.begin(), out.begin() + size);
    }
    return records;
}

void BM_Encode(benchmark::State& state, TScreenContent kind, int width, int height, int qstep) {
    const TClip& clip = Clip(kind, width, height);
    TVideoEncoder encoder;
    encoder.MultiThread = true;
    encoder.StartEncode(width, height, qstep, true);
    std::vector<uint8_t> out(encoder.MaxFrameBytes());
    int64_t frames = 0, bytes = 0;
    for (auto _ : state) {
        const int f = int(frames % kFrames);
        bytes += encoder.Encode(frames == 0, clip.pictures[f].data(), width * 4, out.data());
        ++frames;
    }
    state.SetItemsProcessed(frames);
    state.SetBytesProcessed(frames * int64_t(width) * height * 4);
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.counters["bytes/frame"] = double(bytes) / double(frames);
}

void BM_Decode(benchmark::State& state, TScreenContent kind, int width, int height, int qstep) {
    const TClip& clip = Clip(kind, width, height);
    const auto records = EncodeClip(clip, qstep);
    TVideoDecoder decoder;
    decoder.MultiThread = true;
    decoder.StartDecode(width, height, qstep);
    std::vector<uint8_t> out(std::size_t(width) * height * 4);
    int64_t frames = 0;
    double psnr = 99;
    for (auto _ : state) {
        const std::size_t r = frames % records.size();
        if (!decoder.Decode(records[r].data(), records[r].size(), out.data())) {
            state.SkipWithError("decoding failed");
            break;
        }
        if (frames < int64_t(records.size()))
            psnr = std::min(psnr, Psnr(out, clip.pictures[r]));
        ++frames;
    }
    state.SetItemsProcessed(frames);
    state.SetBytesProcessed(frames * int64_t(width) * height * 4);
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.counters["PSNR"] = psnr;
}

const char* ContentName(TScreenContent kind) {
    return kind == TScreenContent::Desktop         ? "desktop"
           : kind == TScreenContent::ScrollingText ? "text"
                                                   : "motion";
}

int RegisterAll() {
    const std::pair<int, int> sizes[] = {{1280, 720}, {1920, 1080}, {3840, 2160}};
    for (TScreenContent kind :
         {TScreenContent::Desktop, TScreenContent::ScrollingText, TScreenContent::Motion})
        for (auto [w, h] : sizes)
            for (int qstep : {0, 10, 20}) {
                const std::string suffix = std::string("/") + ContentName(kind) + "/" +
                                           std::to_string(w) + "x" + std::to_string(h) + "/q" +
                                           std::to_string(qstep);
                benchmark::RegisterBenchmark(("ScreenVideoEncode" + suffix).c_str(), BM_Encode,
                                             kind, w, h, qstep)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
                benchmark::RegisterBenchmark(("ScreenVideoDecode" + suffix).c_str(), BM_Decode,
                                             kind, w, h, qstep)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
            }
    return 0;
}

const int kRegistered = RegisterAll();

} // namespace

BENCHMARK_MAIN();
