// Camera frames to BGRA, as the camera recorder converts them for its preview: YUY2 by the
// codec kernels, NV12 by the colour converter and MJPEG decoded with libjpeg-turbo then
// converted, per 720p and 1080p frame. Beside it the ffmpeg command line on the same frames:
//   ffmpeg -f rawvideo -pix_fmt yuyv422 (nv12) -s WxH -i frames -pix_fmt bgra -f null -
//   ffmpeg -f mjpeg -i frames.mjpeg -pix_fmt bgra -f null -
// Both sides report frames per second; ffmpeg reads its input from a file in the page cache
// and loops over it so that its start-up weighs little.
#include "capture/UWebCamFrameConverter.h"
#include "media/UWebCamApi.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <jpeglib.h>
#include <map>
#include <vector>

namespace {

constexpr int kFrames = 30; // distinct frames, cycled
constexpr int kLoops = 10;  // ffmpeg goes over them this many times

enum Layout { Yuy2, Nv12, Mjpeg };

// A camera-like picture: gradients with a moving bright square, BGRA.
std::vector<uint8_t> Picture(int w, int h, int f) {
    std::vector<uint8_t> bgra(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &bgra[(size_t(y) * w + x) * 4];
            const bool square = std::abs(x - (f * 37) % w) < w / 10 && std::abs(y - h / 2) < h / 8;
            p[0] = uint8_t(square ? 250 : x * 255 / w);
            p[1] = uint8_t(square ? 240 : y * 255 / h);
            p[2] = uint8_t(square ? 230 : (x + y + f * 8) % 256);
            p[3] = 255;
        }
    return bgra;
}

uint8_t Clip(double v) {
    return uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

// BT.601 video-range samples of a pixel.
void Yuv(const uint8_t* p, uint8_t& y, uint8_t& u, uint8_t& v) {
    const double r = p[2], g = p[1], b = p[0];
    y = Clip(16 + 0.257 * r + 0.504 * g + 0.098 * b);
    u = Clip(128 - 0.148 * r - 0.291 * g + 0.439 * b);
    v = Clip(128 + 0.439 * r - 0.368 * g - 0.071 * b);
}

std::vector<uint8_t> ToYuy2(const std::vector<uint8_t>& bgra, int w, int h) {
    std::vector<uint8_t> out(size_t(w) * h * 2);
    for (size_t i = 0; i < size_t(w) * h; i += 2) {
        uint8_t y0, y1, u, v, u1, v1;
        Yuv(&bgra[i * 4], y0, u, v);
        Yuv(&bgra[i * 4 + 4], y1, u1, v1);
        out[i * 2] = y0, out[i * 2 + 1] = u, out[i * 2 + 2] = y1, out[i * 2 + 3] = v;
    }
    return out;
}

std::vector<uint8_t> ToNv12(const std::vector<uint8_t>& bgra, int w, int h) {
    std::vector<uint8_t> out(size_t(w) * h * 3 / 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t Y, U, V;
            Yuv(&bgra[(size_t(y) * w + x) * 4], Y, U, V);
            out[size_t(y) * w + x] = Y;
            if (y % 2 == 0 && x % 2 == 0) {
                out[size_t(w) * h + size_t(y / 2) * w + x] = U;
                out[size_t(w) * h + size_t(y / 2) * w + x + 1] = V;
            }
        }
    return out;
}

std::vector<uint8_t> ToJpeg(const std::vector<uint8_t>& bgra, int w, int h) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(w);
    info.image_height = JDIMENSION(h);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRA;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    info.comp_info[0].h_samp_factor = 2; // 4:2:2, as cameras send
    info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&bgra[size_t(info.next_scanline) * w * 4]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

struct Frames {
    std::vector<std::vector<uint8_t>> frames;
    QString file; // the frames one after another, for ffmpeg
};

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

const Frames& FramesOf(Layout layout, int w, int h) {
    static std::map<std::tuple<int, int, int>, Frames> cache;
    Frames& f = cache[{layout, w, h}];
    if (!f.frames.empty())
        return f;
    f.file = Folder().filePath(QStringLiteral("frames_%1_%2x%3").arg(layout).arg(w).arg(h));
    QFile file(f.file);
    file.open(QIODevice::WriteOnly);
    for (int i = 0; i < kFrames; ++i) {
        const auto bgra = Picture(w, h, i);
        f.frames.push_back(layout == Yuy2   ? ToYuy2(bgra, w, h)
                           : layout == Nv12 ? ToNv12(bgra, w, h)
                                            : ToJpeg(bgra, w, h));
        file.write(reinterpret_cast<const char*>(f.frames.back().data()),
                   qint64(f.frames.back().size()));
    }
    return f;
}

const TRGuid& SubType(Layout layout) {
    return layout == Yuy2   ? MFVideoFormat_YUY2
           : layout == Nv12 ? MFVideoFormat_NV12
                            : MFVideoFormat_MJPG;
}

void Ours(benchmark::State& state, Layout layout, int w, int h) {
    const Frames& f = FramesOf(layout, w, h);
    TWebCamFrameConverter converter;
    converter.Setup(SubType(layout), w, h, layout == Yuy2 ? w * 2 : w);
    std::vector<uint8_t> out(size_t(w) * h * 4);
    int i = 0;
    for (auto _ : state) {
        const uint8_t* data = f.frames[size_t(i)].data();
        size_t bytes = f.frames[size_t(i)].size();
        if (!converter.Decode(data, bytes) || !converter.ToBgra(data, bytes, out.data()))
            state.SkipWithError("a frame was not converted");
        benchmark::DoNotOptimize(out.data());
        i = (i + 1) % kFrames;
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void FFmpeg(benchmark::State& state, Layout layout, int w, int h) {
    const Frames& f = FramesOf(layout, w, h);
    QStringList input{"-v", "error", "-stream_loop", QString::number(kLoops - 1)};
    if (layout == Mjpeg)
        input << "-f"
              << "mjpeg";
    else
        input << "-f"
              << "rawvideo"
              << "-pix_fmt" << (layout == Yuy2 ? "yuyv422" : "nv12") << "-s"
              << QStringLiteral("%1x%2").arg(w).arg(h);
    input << "-i" << f.file << "-pix_fmt"
          << "bgra"
          << "-f"
          << "null"
          << "-";
    for (auto _ : state) {
        QProcess ffmpeg;
        const auto start = std::chrono::steady_clock::now();
        ffmpeg.start("ffmpeg", input);
        if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0) {
            state.SkipWithError("ffmpeg failed");
            break;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()) * kFrames * kLoops,
                                                    benchmark::Counter::kIsRate);
}

void Register() {
    const struct {
        const char* name;
        Layout layout;
    } layouts[] = {{"YUY2", Yuy2}, {"NV12", Nv12}, {"MJPEG", Mjpeg}};
    const struct {
        const char* name;
        int w, h;
    } sizes[] = {{"720p", 1280, 720}, {"1080p", 1920, 1080}};
    for (const auto& l : layouts)
        for (const auto& s : sizes) {
            const std::string tail = std::string(l.name) + "/" + s.name;
            benchmark::RegisterBenchmark(("Tavrin/" + tail).c_str(), Ours, l.layout, s.w, s.h)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("ffmpeg/" + tail).c_str(), FFmpeg, l.layout, s.w, s.h)
                ->UseManualTime()
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond);
        }
}

} // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
