// Helpers of the encoder tests: generated pictures and tone, and what the ffprobe tool says of
// a written file (the tests use it beside the layer's own reading when it is installed).
#pragma once

#include "tests/support/media/MediaFixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace encoderchecks {

// Stamped picture `number` (see MediaFixtures.h) of any size: the stamp is drawn into the top
// left corner of a grey picture when the picture is larger than the stamp.
inline std::vector<uint8_t> stampedFrame(int number, int width, int height) {
    std::vector<uint8_t> frame(size_t(width) * size_t(height) * 4, 0x80);
    if (width >= fixtures::StampWidth && height >= fixtures::StampHeight) {
        std::vector<uint8_t> stamp(size_t(fixtures::StampWidth) * fixtures::StampHeight * 4);
        fixtures::drawStamp(number, stamp.data(), fixtures::StampWidth, fixtures::StampHeight);
        for (int y = 0; y < fixtures::StampHeight; ++y)
            std::copy_n(&stamp[size_t(y) * fixtures::StampWidth * 4], fixtures::StampWidth * 4,
                        &frame[size_t(y) * size_t(width) * 4]);
    } else {
        for (size_t i = 0; i < frame.size(); i += 4)
            frame[i] = frame[i + 1] = frame[i + 2] = uint8_t(number * 37), frame[i + 3] = 0xFF;
    }
    return frame;
}

// Interleaved 16-bit stereo sine of `frequency` Hz, `frames` frames long, starting at frame
// `offset` of the tone.
inline std::vector<int16_t> tone(int64_t offset, int frames, int rate = 44100,
                                 double frequency = 440.0) {
    std::vector<int16_t> samples(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double t = double(offset + i) / rate;
        const auto value = int16_t(std::lround(12000.0 * std::sin(2 * M_PI * frequency * t)));
        samples[size_t(i) * 2] = samples[size_t(i) * 2 + 1] = value;
    }
    return samples;
}

struct ProbedStream {
    QString type;  // "video", "audio"
    QString codec; // "h264", "aac", ...
    int width = 0;
    int height = 0;
    int64_t frames = 0; // frames or packets read
    double duration = 0;
    QString colourSpace;
    QString colourRange;
    int sampleRate = 0;
    int channels = 0;
};

inline bool hasFfprobe() {
    return !QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty();
}

// The streams as ffprobe counts them; none when the tool is missing or fails.
inline std::optional<std::vector<ProbedStream>> ffprobe(const QString& path) {
    if (!hasFfprobe())
        return std::nullopt;
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_packets"),
                   QStringLiteral("-show_streams"), QStringLiteral("-of"), QStringLiteral("json"),
                   path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return std::nullopt;
    std::vector<ProbedStream> streams;
    const QJsonArray list =
        QJsonDocument::fromJson(process.readAllStandardOutput()).object()["streams"].toArray();
    for (const QJsonValue& value : list) {
        const QJsonObject s = value.toObject();
        ProbedStream p;
        p.type = s["codec_type"].toString();
        p.codec = s["codec_name"].toString();
        p.width = s["width"].toInt();
        p.height = s["height"].toInt();
        p.frames = s["nb_read_packets"].toString().toLongLong();
        p.duration = s["duration"].toString().toDouble();
        p.colourSpace = s["color_space"].toString();
        p.colourRange = s["color_range"].toString();
        p.sampleRate = s["sample_rate"].toString().toInt();
        p.channels = s["channels"].toInt();
        streams.push_back(p);
    }
    return streams;
}

} // namespace encoderchecks
