#include "platform/media/MediaPlatform.h"

#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace platform::media {

namespace {

thread_local int threadDepth = 0;

struct Component {
    const char* kind;
    const char* name;
    bool (*present)(std::string_view);
};

// Decoding any file the editor imports needs these; writing MP4 and M4A needs the encoders.
const Component requiredComponents[] = {
    {"decoder", "h264", hasDecoder},       {"decoder", "aac", hasDecoder},
    {"encoder", "libx264", hasEncoder},    {"encoder", "aac", hasEncoder},
    {"encoder", "libmp3lame", hasEncoder}, {"muxer", "mp4", hasMuxer},
    {"muxer", "ipod", hasMuxer},           {"demuxer", "mov", hasDemuxer},
};

// Each of these enables one export format or one kind of imported media.
const Component optionalComponents[] = {
    {"decoder", "hevc", hasDecoder},     {"decoder", "vp8", hasDecoder},
    {"decoder", "vp9", hasDecoder},      {"decoder", "wmv3", hasDecoder},
    {"encoder", "libx265", hasEncoder},  {"encoder", "libvpx", hasEncoder},
    {"encoder", "wmv2", hasEncoder},     {"encoder", "wmav2", hasEncoder},
    {"muxer", "asf", hasMuxer},          {"muxer", "mp3", hasMuxer},
    {"demuxer", "matroska", hasDemuxer}, {"demuxer", "avi", hasDemuxer},
    {"demuxer", "asf", hasDemuxer},
};

std::string key(std::string_view name) {
    return std::string(name);
}

std::string describe(const Component& c) {
    return std::string(c.kind) + " " + c.name;
}

} // namespace

bool hasDecoder(std::string_view name) {
    return avcodec_find_decoder_by_name(key(name).c_str()) != nullptr;
}

bool hasEncoder(std::string_view name) {
    return avcodec_find_encoder_by_name(key(name).c_str()) != nullptr;
}

bool hasMuxer(std::string_view name) {
    return av_guess_format(key(name).c_str(), nullptr, nullptr) != nullptr;
}

bool hasDemuxer(std::string_view name) {
    return av_find_input_format(key(name).c_str()) != nullptr;
}

Availability probe() {
    Availability result;
    for (const Component& c : requiredComponents)
        if (!c.present(c.name))
            result.missing.push_back(describe(c));
    for (const Component& c : optionalComponents)
        if (!c.present(c.name))
            result.missingOptional.push_back(describe(c));
    result.available = result.missing.empty();
    return result;
}

void initialiseLibraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

void startupThread() {
    initialiseLibraries();
    ++threadDepth;
}

void shutdownThread() {
    if (threadDepth > 0)
        --threadDepth;
}

bool isThreadStarted() {
    return threadDepth > 0;
}

} // namespace platform::media
