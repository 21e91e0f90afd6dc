#include "media/URExportFormats.h"

#include "media/UMFEncoderGif.h"
#include "media/UMFEncoderH264.h"
#include "media/UMFencoderAAC.h"
#include "media/UMFencoderWEBP.h"
#include "media/UMFencoderWMV.h"

namespace {

TRExportFormat Row(const char* name, const char* ext, bool enabled, bool video, bool audio,
                   const char* filter) {
    return {QString::fromLatin1(name),  QString::fromLatin1(ext), enabled, video, audio, false,
            QString::fromLatin1(filter)};
}

constexpr const char* kMp4Filter = "Moving Pictures Experts Group (*.mp4)|*.mp4";

constexpr std::array<int, 4> kAudioBytesPS{12000, 16000, 20000, 24000};
constexpr std::array<int, 8> kMp3BytesPS{12000, 14000, 16000, 20000, 24000, 28000, 32000, 40000};

std::unique_ptr<TMFEncoder> EncoderForCode(int code) {
    switch (code) {
    case 1:
    case 2:
        return std::make_unique<TMFEncoderH264Ex>();
    case 3:
    case 4:
        return std::make_unique<TMFEncoderH265>();
    case 5:
        return std::make_unique<TMFEncoderWMV>();
    case 6:
        return std::make_unique<TMFEncoderGIF>();
    case 7:
        return std::make_unique<TMFEncoderWEBP>();
    case 8:
        return std::make_unique<TMFEncoderAAC>();
    case 9:
        return std::make_unique<TMFEncoderPCM>();
    case 10:
        return std::make_unique<TMFEncoderMP3>();
    default:
        return nullptr;
    }
}

} // namespace

std::array<TRExportFormat, ExportFormatCount> InitialExportFormatTable() {
    return {
        Row("MP4 - H.264 Software Encoder", ".mp4", true, true, true, kMp4Filter),
        Row("MP4 - H.264 Hardware Encoder", ".mp4", false, true, true, kMp4Filter),
        Row("MP4 - HEVC Software Encoder", ".mp4", false, true, true, kMp4Filter),
        Row("MP4 - HEVC Hardware Encoder", ".mp4", false, true, true, kMp4Filter),
        Row("WMV - Windows Media Video", ".wmv", false, true, true,
            "Windows Media Video (*.wmv)|*.wmv"),
        Row("GIF - Animated GIF", ".gif", false, true, false, "Animated GIF (*.gif)|*.gif"),
        Row("WebP - Animated WebP", ".webp", false, true, false, "Animated WebP (*.webp)|*.webp"),
        Row("M4A - Audio only [AAC]", ".m4a", true, false, true, "MPEG-4 File (*.m4a)|*.m4a"),
        Row("WAV - Audio only [PCM]", ".wav", true, false, true, "WAV File (*.wav)|*.wav"),
        Row("MP3 - Audio only [MP3]", ".mp3", false, false, true, "MP3 File (*.mp3)|*.mp3"),
    };
}

std::array<TRExportFormat, ExportFormatCount> ExportFormatTable = InitialExportFormatTable();

const TRExportFormat* ExportFormat(int code) {
    return code >= 1 && code <= ExportFormatCount ? &ExportFormatTable[size_t(code - 1)] : nullptr;
}

int ExportAudioBytesPS(const TRProjectExportOptions& options) {
    const auto inRange = [](int index, const auto& table) {
        return index >= 0 && size_t(index) < table.size();
    };
    if (options.Format == 10 && inRange(options.AudioBitrateMP3, kMp3BytesPS))
        return kMp3BytesPS[size_t(options.AudioBitrateMP3)];
    return inRange(options.AudioBitrate, kAudioBytesPS)
               ? kAudioBytesPS[size_t(options.AudioBitrate)]
               : kAudioBytesPS[0];
}

uint32_t GifTransparentColor(TColor color) {
    const uint32_t red = color & 0xFF;
    const uint32_t green = (color >> 8) & 0xFF;
    const uint32_t blue = (color >> 16) & 0xFF;
    return 0xFF00'0000u | red << 16 | green << 8 | blue;
}

std::unique_ptr<TMFEncoder> CreateExportEncoder(const TRProjectExportOptions& options) {
    std::unique_ptr<TMFEncoder> encoder = EncoderForCode(options.Format);
    if (!encoder)
        return nullptr;
    encoder->UseHardware = options.Format == 2 || options.Format == 4;
    if (options.Format <= 7)
        encoder->UseVFR = options.FrameMode == 1;
    if (options.Format == 6) {
        encoder->UseChanges = options.GifOptimize == 1 || options.GifOptimize == 3;
        encoder->UseTransparency = options.GifOptimize == 2 || options.GifOptimize == 3;
        encoder->TransparentColor = GifTransparentColor(options.GifColor);
    }
    if (options.Format == 7) {
        encoder->Animation = true;
        encoder->UseChanges = options.WebPOptimize == 1;
    }
    return encoder;
}
