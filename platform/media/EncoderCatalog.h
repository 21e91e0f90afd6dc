// What can be encoded on this machine: one entry per encoded format and encoder, software
// encoders always looked up, hardware encoders (VAAPI) only offered when a device exists and
// opens them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform::media {

enum class EncodedFormat { H264, Hevc, Wmv, Wma, Aac, Mp3, Pcm, Vp8 };

struct EncoderEntry {
    EncodedFormat format = EncodedFormat::H264;
    std::string encoder;   // FFmpeg encoder name
    std::string container; // FFmpeg muxer the format is written with; empty when the program
                           // lays the file out itself
    bool hardware = false;
    bool available = false;
    std::string absence; // why the entry is not available; empty when it is
};

class EncoderCatalog {
public:
    // Looks the encoders up; hardware encoders only when `probeHardware` is set (opening a
    // device takes a moment).
    explicit EncoderCatalog(bool probeHardware = true);

    // The catalogue of this process, made on first use.
    static const EncoderCatalog& instance();

    const std::vector<EncoderEntry>& entries() const { return entries_; }
    // The available entry for the format, software or hardware; none when absent.
    std::optional<EncoderEntry> find(EncodedFormat format, bool hardware) const;

    bool hasHardwareDevice() const { return hardwareDevice_; }
    // Why no hardware encoder is offered; empty when a device was found.
    const std::string& hardwareAbsence() const { return hardwareAbsence_; }

private:
    void addSoftware();
    void addHardware();

    std::vector<EncoderEntry> entries_;
    bool hardwareDevice_ = false;
    std::string hardwareAbsence_;
};

} // namespace platform::media
