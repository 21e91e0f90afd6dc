// The tracks a screen recording leaves in a project's folder, made by the tests: the screen
// video through the program's own file writer, and the cursor track written byte by byte in
// its file layout (shapes, then 20-byte samples), so the reader is not checked by itself.
#pragma once

#include "capture/UVideoWriterTVC.h"

#include <QByteArray>
#include <QFile>
#include <QPoint>
#include <QString>
#include <QtEndian>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace recording {

// A pointer shape of one straight-alpha colour (0xAARRGGBB).
struct Shape {
    std::uint32_t Width = 8;
    std::uint32_t Height = 8;
    QPoint HotSpot;
    std::uint32_t Argb = 0xFFFF00FF;
};

struct Sample {
    std::int32_t Time = 0;
    std::int32_t X = 0, Y = 0;
    std::uint32_t Buttons = 0;
    std::int32_t Pointer = 0;
};

inline void Append32(QByteArray& bytes, std::uint32_t value) {
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

// The cursor-track file: Int32 shape count, each shape {Type, Width, Height, Pitch, HotSpot X,
// HotSpot Y, byte count, the rows}, Int32 sample count, each sample {Time, X, Y, Buttons,
// Pointer}; all little-endian.
inline QByteArray CursorTrack(const std::vector<Shape>& shapes,
                              const std::vector<Sample>& samples) {
    QByteArray bytes;
    Append32(bytes, std::uint32_t(shapes.size()));
    for (const Shape& s : shapes) {
        const std::uint32_t pitch = s.Width * 4;
        for (std::uint32_t v : {82u, s.Width, s.Height, pitch, std::uint32_t(s.HotSpot.x()),
                                std::uint32_t(s.HotSpot.y()), pitch * s.Height})
            Append32(bytes, v);
        for (std::uint32_t i = 0; i < s.Width * s.Height; ++i)
            Append32(bytes, s.Argb); // B, G, R, A in memory
    }
    Append32(bytes, std::uint32_t(samples.size()));
    for (const Sample& s : samples)
        for (std::uint32_t v : {std::uint32_t(s.Time), std::uint32_t(s.X), std::uint32_t(s.Y),
                                s.Buttons, std::uint32_t(s.Pointer)})
            Append32(bytes, v);
    return bytes;
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// `base` + ".tvf": `frames` pictures `frameMs` apart, each of the opaque colour
// colour(frame) (0xRRGGBB), lasting `frameMs` after the last picture.
inline void WriteScreenTrack(const QString& base, int width, int height, int frames, int frameMs,
                             const std::function<std::uint32_t(int)>& colour) {
    TVideoWriterTVC writer;
    ASSERT_TRUE(writer.StartWrite(width, height, 0, 1000, base))
        << writer.LastError().toStdString();
    std::vector<std::uint32_t> picture(std::size_t(width) * std::size_t(height));
    for (int f = 0; f < frames; ++f) {
        std::fill(picture.begin(), picture.end(), 0xFF000000u | colour(f));
        ASSERT_GE(writer.AddFrame(reinterpret_cast<const std::uint8_t*>(picture.data()), width * 4,
                                  f * frameMs),
                  0);
    }
    ASSERT_TRUE(writer.StopWrite(frames * frameMs));
}

} // namespace recording
