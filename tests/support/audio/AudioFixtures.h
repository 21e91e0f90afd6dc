// Sound files made at test time: a sine tone encoded with a chosen codec into a chosen
// container, optionally beside a short video stream.
#pragma once

#include <QString>

namespace fixtures {

struct ToneSpec {
    const char* muxer = "wav";         // FFmpeg muxer: wav, mp3, ipod (m4a), ogg, flac, mp4
    const char* encoder = "pcm_s16le"; // FFmpeg encoder: pcm_s16le, aac, libmp3lame, ...
    int sampleRate = 44100;
    int channels = 2;
    double seconds = 1.0;
    double hz = 440.0;
    double level = 0.5;     // of full scale
    bool withVideo = false; // a video stream first, the sound second
};

// Writes the tone. Throws std::runtime_error when the encoder or muxer refuses.
void writeTone(const QString& path, const ToneSpec& spec);

// True when FFmpeg has this encoder.
bool hasEncoder(const char* name);

} // namespace fixtures
