// The program's export as a process of its own, for comparing with the ffmpeg command line
// process for process: reads raw BGRA pictures from standard input and encodes them with the
// program's H.264 encoder into an MP4 file.
//
// Usage: tavrin_bench_export_process WIDTH HEIGHT FPS OUTPUT < frames.bgra
#include "media/UMFEncoderH264.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT FPS OUTPUT < frames.bgra\n", argv[0]);
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    const int fps = std::atoi(argv[3]);
    TMFEncoderH264Ex encoder;
    // The file name is given without its extension; the encoder adds ".mp4".
    encoder.SetParams(width, height, fps, 80, false, 44100, 16000, QString::fromLocal8Bit(argv[4]));
    if (encoder.StartEncode() != MF_S_OK) {
        std::fprintf(stderr, "%s\n", encoder.LastError().toLocal8Bit().constData());
        return 1;
    }
    std::vector<uint8_t> picture(size_t(width) * size_t(height) * 4);
    while (std::fread(picture.data(), 1, picture.size(), stdin) == picture.size())
        encoder.AddVideoFrame(picture.data());
    return encoder.StopEncode() == MF_S_OK ? 0 : 1;
}
