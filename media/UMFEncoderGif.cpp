#include "media/UMFEncoderGif.h"

#include "platform/media/GifWriter.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>

using namespace platform::media;

namespace {

const char* const Comment = "Created with Tavrin";
// The smallest frame written for a slot in which nothing changed.
constexpr int MinimalSide = 16;

enum Disposal { LeaveInPlace = 1, RestoreToBackground = 2 };

} // namespace

int GifColoursForQuality(int quality) {
    return std::clamp((quality - 50) * 224 / 50 + 32, GifMinColours, GifMaxColours);
}

TMFEncoderGIF::TMFEncoderGIF() {
    FOutputGuid = VideoCodec::Gif;
    FFileNameExt = QStringLiteral(".gif");
    TransparentColor = 0xFF00FF00;
}

TMFEncoderGIF::~TMFEncoderGIF() = default;

int32_t TMFEncoderGIF::StartEncode() {
    IsValid = false;
    encoder.reset();
    if (!FVideo || FVideoFramePS <= 0)
        return Fail(QStringLiteral("a GIF needs a picture size and a frame rate"));
    try {
        encoder = std::make_unique<GifWriter>(FileName().toStdString(), FWidth, FHeight, Comment);
    } catch (const std::exception& error) {
        return Fail(error);
    }
    const size_t pixels = size_t(FWidth) * size_t(FHeight);
    first = true;
    lastnrframes = 0;
    nrframes = 0;
    FSampleVideoStart = 0;
    lastdata.assign(pixels * 4, 0);
    datamodificata.assign(pixels, 0);
    lastdatamodificata.assign(pixels, 0);
    IsValid = true;
    return MF_S_OK;
}

TMFEncoderGIF::TRect TMFEncoderGIF::FindChangedRect(const uint8_t* Frame) {
    const TChangedBounds b =
        FindChangedPixels(Frame, lastdata.data(), FWidth, FHeight, datamodificata.data());
    if (b.Empty())
        return TRect{};
    return TRect{b.MinX, b.MinY, b.MaxX - b.MinX + 1, b.MaxY - b.MinY + 1};
}

// A delay beyond what one frame can state is split over copies of the same frame, so a picture
// held for a long time keeps its real length.
int32_t TMFEncoderGIF::WritePieces(const uint8_t* APixels, const uint8_t* AMask, int64_t delayCs) {
    const int64_t pieces = std::max<int64_t>(1, (delayCs + GifMaxDelayCs - 1) / GifMaxDelayCs);
    const bool keep = UseChanges || UseTransparency;
    const size_t offset = size_t(lastrect.Y) * size_t(FWidth) + size_t(lastrect.X);
    GifFramePicture picture;
    picture.left = lastrect.X;
    picture.top = lastrect.Y;
    picture.width = lastrect.Width;
    picture.height = lastrect.Height;
    picture.bgra = APixels + offset * 4;
    picture.pitch = FWidth * 4;
    picture.transparent = AMask ? AMask + offset : nullptr;
    picture.transparentPitch = FWidth;
    picture.colours = GifColoursForQuality(FQuality);
    picture.disposal = keep ? LeaveInPlace : RestoreToBackground;
    for (int64_t piece = 0; piece < pieces; ++piece) {
        picture.delayCs = int(delayCs * (piece + 1) / pieces - delayCs * piece / pieces);
        encoder->writeFrame(picture);
    }
    return MF_S_OK;
}

int32_t TMFEncoderGIF::WriteFrame(const uint8_t* APixels, const uint8_t* AMask, int64_t ASlots) {
    if (!IsValid || !APixels || !encoder)
        return MF_S_NOTHING;
    nrframes += ASlots;
    const int64_t delayCs = (nrframes * 1000 / FVideoFramePS - FSampleVideoStart) / 10;
    FSampleVideoStart += delayCs * 10;
    try {
        return WritePieces(APixels, AMask, delayCs);
    } catch (const std::exception& error) {
        return Fail(error);
    }
}

int32_t TMFEncoderGIF::AddVideoFrame(const uint8_t* Frame) {
    if (!IsValid || !Frame)
        return MF_S_NOTHING;
    const size_t bytes = lastdata.size();
    if (first) {
        first = false;
        lastrect = WholeFrame();
        std::memcpy(lastdata.data(), Frame, bytes);
        if (UseVFR) {
            lastnrframes = 1;
            return MF_S_OK;
        }
        return WriteFrame(Frame, nullptr, 1);
    }
    const TRect changed = FindChangedRect(Frame);
    const uint8_t* mask = UseTransparency ? datamodificata.data() : nullptr;
    if (!UseVFR) {
        lastrect = !UseChanges ? WholeFrame()
                   : changed.Width > 0
                       ? changed
                       : TRect{0, 0, std::min(MinimalSide, FWidth), std::min(MinimalSide, FHeight)};
        const int32_t result = WriteFrame(Frame, mask, 1);
        std::memcpy(lastdata.data(), Frame, bytes);
        return result;
    }
    if (changed.Width == 0) {
        ++lastnrframes;
        return MF_S_OK;
    }
    const uint8_t* heldMask = UseTransparency && nrframes > 0 ? lastdatamodificata.data() : nullptr;
    const int32_t result = WriteFrame(lastdata.data(), heldMask, lastnrframes);
    std::memcpy(lastdata.data(), Frame, bytes);
    lastdatamodificata = datamodificata;
    lastnrframes = 1;
    lastrect = UseChanges ? changed : WholeFrame();
    return result;
}

int32_t TMFEncoderGIF::AddVideoFrameFromRecording(const uint8_t* Frame, int ATime) {
    lastnrframes += MissedSlots(ATime, FSampleVideoStart, FVideoFramePS, lastnrframes);
    return AddVideoFrame(Frame);
}

int32_t TMFEncoderGIF::StopEncode() {
    if (!encoder)
        return MF_S_NOTHING;
    int32_t result = MF_S_OK;
    if (IsValid && UseVFR && !first) {
        const bool inFile = nrframes > 0;
        if (!inFile)
            lastrect = WholeFrame();
        const uint8_t* mask = UseTransparency && inFile ? lastdatamodificata.data() : nullptr;
        result = WriteFrame(lastdata.data(), mask, lastnrframes);
    }
    const bool empty = encoder->framesWritten() == 0;
    try {
        encoder->close();
    } catch (const std::exception& error) {
        result = Fail(error);
    }
    encoder.reset();
    IsValid = false;
    lastdata.clear();
    datamodificata.clear();
    lastdatamodificata.clear();
    if (empty) {
        RemoveOutput();
        FLastError = QStringLiteral("no frame was added; no file was written");
        return E_MF_NO_FRAMES;
    }
    return result;
}

uint64_t TMFEncoderGIF::GetVideoCompressedSize() {
    const QFileInfo info(FileName());
    return info.exists() ? uint64_t(info.size()) : 0;
}
