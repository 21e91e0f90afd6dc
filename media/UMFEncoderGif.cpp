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
    ResetHeld();
    FSampleVideoStart = 0;
    lastdata.assign(pixels * 4, 0);
    datamodificata.assign(pixels, 0);
    lastdatamodificata.assign(pixels, 0);
    IsValid = true;
    return MF_S_OK;
}

TFrameRect TMFEncoderGIF::FindChangedRect(const uint8_t* Frame) {
    const TChangedBounds b =
        FindChangedPixels(Frame, lastdata.data(), FWidth, FHeight, datamodificata.data());
    if (b.Empty())
        return TFrameRect{};
    return TFrameRect{b.MinX, b.MinY, b.MaxX + 1, b.MaxY + 1};
}

// A delay beyond what one frame can state is split over copies of the same frame, so a picture
// held for a long time keeps its real length.
int32_t TMFEncoderGIF::WritePieces(const uint8_t* APixels, const uint8_t* AMask, int64_t delayCs) {
    const int64_t pieces = std::max<int64_t>(1, (delayCs + GifMaxDelayCs - 1) / GifMaxDelayCs);
    const bool keep = UseChanges || UseTransparency;
    const size_t offset = size_t(HeldRect.Top) * size_t(FWidth) + size_t(HeldRect.Left);
    GifFramePicture picture;
    picture.left = HeldRect.Left;
    picture.top = HeldRect.Top;
    picture.width = HeldRect.Width();
    picture.height = HeldRect.Height();
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
    if (UseVFR)
        return HoldFrame(Frame);
    const size_t bytes = lastdata.size();
    if (first) {
        first = false;
        HeldRect = WholeFrame();
        std::memcpy(lastdata.data(), Frame, bytes);
        return WriteFrame(Frame, nullptr, 1);
    }
    const TFrameRect changed = FindChangedRect(Frame);
    const uint8_t* mask = UseTransparency ? datamodificata.data() : nullptr;
    HeldRect = !UseChanges        ? WholeFrame()
               : !changed.Empty() ? changed
                                  : TFrameRect{0, 0, std::min(MinimalSide, FWidth),
                                               std::min(MinimalSide, FHeight)};
    const int32_t result = WriteFrame(Frame, mask, 1);
    std::memcpy(lastdata.data(), Frame, bytes);
    return result;
}

// The held frame's mask is the one made when it arrived; the mask of the frame that arrives
// next takes its place.
int32_t TMFEncoderGIF::WriteHeldFrame(int64_t Slots) {
    const uint8_t* mask = UseTransparency && nrframes > 0 ? lastdatamodificata.data() : nullptr;
    const int32_t result = WriteFrame(lastdata.data(), mask, Slots);
    lastdatamodificata = datamodificata;
    return result;
}

int32_t TMFEncoderGIF::StopEncode() {
    if (!encoder)
        return MF_S_NOTHING;
    int32_t result = WriteLastHeld();
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
