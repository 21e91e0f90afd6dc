#include "media/UMFColorConverter.h"

using namespace platform::media;

void TMFColorConverter::SetParams(PixelFormat input, PixelFormat output, int width, int height) {
    StopEncode();
    FInputGuid = input;
    FOutputGuid = output;
    FWidth = width;
    FHeight = height;
    m_buffersizeout = int(pictureBytes(PixelFormat::Bgra, width, height));
    m_buffersizein = int(pictureBytes(input, width, height));
}

int TMFColorConverter::StartEncode() {
    m_valid = false;
    if (FOutputGuid != PixelFormat::Bgra || m_buffersizein <= 0)
        return 1;
    try {
        m_converter.setup(FInputGuid, FWidth, FHeight);
    } catch (const MediaError&) {
        return 1;
    }
    m_valid = true;
    return 0;
}

int TMFColorConverter::ConvertVideoFrame(const uint8_t* in, uint8_t* out, int length, bool) {
    // A shorter buffer would be read past its end; a longer one is not a picture of this size.
    if (!m_valid || !in || !out || length != m_buffersizein)
        return 1;
    try {
        m_converter.convert(PictureView::contiguous(FInputGuid, FWidth, FHeight, in), out,
                            FWidth * 4);
    } catch (const MediaError&) {
        return 1;
    }
    return 0;
}

void TMFColorConverter::StopEncode() {
    m_valid = false;
}
