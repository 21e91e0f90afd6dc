#include "platform/media/EncoderCatalog.h"

#include "platform/media/CodecEncoder.h"
#include "platform/media/MediaPlatform.h"
#include "platform/media/VideoEncoder.h"

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/hwcontext.h>
}

namespace platform::media {

namespace {

struct Known {
    EncodedFormat format;
    const char* encoder;
    const char* container;
};

const Known softwareEncoders[] = {
    {EncodedFormat::H264, "libx264", "mp4"}, {EncodedFormat::Hevc, "libx265", "mp4"},
    {EncodedFormat::Wmv, "wmv2", "asf"},     {EncodedFormat::Wma, "wmav2", "asf"},
    {EncodedFormat::Aac, "aac", "ipod"},     {EncodedFormat::Mp3, "libmp3lame", "mp3"},
    {EncodedFormat::Pcm, "pcm_s16le", ""},   {EncodedFormat::Vp8, "libvpx", ""},
};

const Known hardwareEncoders[] = {
    {EncodedFormat::H264, "h264_vaapi", "mp4"},
    {EncodedFormat::Hevc, "hevc_vaapi", "mp4"},
};

// A device can list an encoder it cannot run; a small picture proves it.
constexpr int ProbeSide = 256;

std::string absenceOf(const Known& known) {
    if (!hasEncoder(known.encoder))
        return std::string("the encoder \"") + known.encoder + "\" is not installed";
    if (*known.container && !hasMuxer(known.container))
        return std::string("the container \"") + known.container + "\" is not installed";
    return {};
}

EncoderEntry entryOf(const Known& known, bool hardware, std::string absence) {
    EncoderEntry entry{known.format, known.encoder, known.container,
                       hardware,     false,         std::move(absence)};
    entry.available = entry.absence.empty();
    return entry;
}

std::string openHardwareDevice() {
    AVBufferRef* device = nullptr;
    const int code = av_hwdevice_ctx_create(&device, AV_HWDEVICE_TYPE_VAAPI, nullptr, nullptr, 0);
    av_buffer_unref(&device);
    if (code < 0)
        return "no video acceleration (VAAPI) device: " + detail::describeError(code);
    return {};
}

std::string tryEncoder(const Known& known) {
    try {
        VideoEncoderSettings settings;
        settings.encoder = known.encoder;
        settings.width = ProbeSide;
        settings.height = ProbeSide;
        settings.bitRate = 1'000'000;
        VideoEncoder encoder(settings);
    } catch (const MediaError& error) {
        return error.what();
    }
    return {};
}

} // namespace

EncoderCatalog::EncoderCatalog(bool probeHardware) {
    initialiseLibraries();
    addSoftware();
    if (probeHardware)
        addHardware();
    else
        hardwareAbsence_ = "hardware encoders were not looked for";
}

const EncoderCatalog& EncoderCatalog::instance() {
    static const EncoderCatalog catalog;
    return catalog;
}

void EncoderCatalog::addSoftware() {
    for (const Known& known : softwareEncoders)
        entries_.push_back(entryOf(known, false, absenceOf(known)));
}

void EncoderCatalog::addHardware() {
    hardwareAbsence_ = openHardwareDevice();
    hardwareDevice_ = hardwareAbsence_.empty();
    for (const Known& known : hardwareEncoders) {
        std::string absence = hardwareDevice_ ? absenceOf(known) : hardwareAbsence_;
        if (absence.empty())
            absence = tryEncoder(known);
        entries_.push_back(entryOf(known, true, std::move(absence)));
    }
}

std::optional<EncoderEntry> EncoderCatalog::find(EncodedFormat format, bool hardware) const {
    for (const EncoderEntry& entry : entries_)
        if (entry.format == format && entry.hardware == hardware && entry.available)
            return entry;
    return std::nullopt;
}

} // namespace platform::media
