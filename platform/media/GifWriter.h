// Writes an animated GIF file: the logical screen, an endless loop and a comment, then frames
// of any rectangle of the screen, each with its own palette made from its pixels, its delay
// and its disposal, and optionally a palette entry kept free for transparent pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform::media {

struct GifFramePicture {
    int left = 0; // the rectangle on the logical screen
    int top = 0;
    int width = 0;
    int height = 0;
    const uint8_t* bgra = nullptr; // the rectangle's top-left pixel, B G R A bytes
    int pitch = 0;                 // bytes from one row of `bgra` to the next
    // Pixels whose byte here is non-zero are written transparent, whatever their colour; the
    // palette then keeps one entry free for them. Null: every pixel is opaque.
    const uint8_t* transparent = nullptr; // one byte per pixel of the rectangle
    int transparentPitch = 0;
    int colours = 256; // palette entries at most, the transparent one included (2..256)
    int delayCs = 0;   // hundredths of a second, 0..65535
    int disposal = 1;  // the GIF disposal method: 1 leave in place, 2 restore to background
};

// Limits of the GIF format.
constexpr int GifMaxDelayCs = 65535;
constexpr int GifMaxColours = 256;
constexpr int GifMinColours = 2;

class GifWriter {
public:
    // Creates the file and writes the logical screen (width × height), the loop block ("loop
    // for ever") and `comment`. Throws MediaError when the file cannot be created or the size
    // is not one a GIF can hold.
    GifWriter(const std::string& path, int width, int height, const std::string& comment);
    // Closes the file; a writer that was not closed leaves it without its trailer.
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // Quantises the picture to its own palette and writes it. Throws MediaError when the frame
    // lies outside the screen, its settings are out of range or the file cannot be written.
    void writeFrame(const GifFramePicture& picture);
    // Writes the trailer and closes the file. Throws MediaError when that fails.
    void close();

    int framesWritten() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::media
