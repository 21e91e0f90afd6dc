#include "media/UMFencoderWEBP.h"

#include "media/ULittleEndianWriter.h"
#include "platform/media/VideoEncoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace platform::media;

namespace {

// A WebP canvas and its frames are at most 16383 pixels wide and high.
constexpr int MaxSide = 16383;
// Smallest side of a changed rectangle: tiny pictures cost the encoder more than they save.
constexpr int MinSide = 34;
// The largest frame duration the ANMF field holds (milliseconds).
constexpr int64_t MaxDurationMs = 0xFFFFFF;
constexpr uint8_t AnimationFlag = 0x02;
constexpr uint8_t DoNotBlend = 0x02;

// Moves an interval [start, start + size) inside [0, limit) and its start onto an even
// position, growing it by one when that uncovers its last element.
void clampEven(int& start, int& size, int limit) {
    size = std::min(size, limit);
    if (start + size > limit)
        start = limit - size;
    if (start % 2 != 0) {
        --start;
        size = std::min(size + 1, limit - start);
    }
}

// The start of `size` elements covering [start, end) inside [0, limit), on an even position;
// `size` grows by one when moving the start back would uncover `end - 1`.
int placeEven(int start, int end, int& size, int limit) {
    start = std::min(start, limit - size);
    if (start % 2 != 0) {
        --start;
        if (start + size < end)
            ++size;
    }
    return start;
}

// An odd start moves one back and the end one on; odd sizes grow to even; small ones to MinSide.
void alignEdge(int& start, int& size) {
    if (start % 2 != 0) {
        --start;
        size += 2;
    }
    if (size % 2 != 0)
        ++size;
    size = std::max(size, MinSide);
}

} // namespace

TMFEncoderWEBP::TMFEncoderWEBP() {
    FInputGuid = PixelFormat::Bgra;
    FOutputGuid = VideoCodec::Vp8;
    FFileNameExt = QStringLiteral(".webp");
}

TMFEncoderWEBP::~TMFEncoderWEBP() = default;

// VP8 decoders assume BT.601 limited range; every frame is a key frame, as each WebP frame
// must be, and the encoder gives one frame back per picture.
VideoEncoderSettings TMFEncoderWEBP::CreateVideoOutputType() {
    VideoEncoderSettings settings = TMFEncoder::CreateVideoOutputType();
    settings.width = VideoEncoderWidth;
    settings.height = VideoEncoderHeight;
    settings.bitRate =
        int64_t(std::nearbyint(double(BitRateForHeight(FHeight)) * FQuality / 200.0));
    settings.gopSize = 1;
    settings.maxBFrames = 0;
    settings.colour = ColourEncoding{ColourMatrix::Bt601, ColourRange::Limited};
    settings.options = {
        {"lag-in-frames", "0"}, {"auto-alt-ref", "0"}, {"deadline", "good"}, {"cpu-used", "4"}};
    return settings;
}

PictureView TMFEncoderWEBP::ConvertFrame(const uint8_t* Source) {
    PictureView view;
    view.format = PixelFormat::Bgra;
    view.width = HeldRect.Width();
    view.height = HeldRect.Height();
    view.planes[0] = Source + (size_t(HeldRect.Top) * size_t(FWidth) + size_t(HeldRect.Left)) * 4;
    view.pitches[0] = FWidth * 4;
    return view;
}

int32_t TMFEncoderWEBP::ConfigureVideoEncoder(std::unique_ptr<platform::media::VideoEncoder>& Into,
                                              int Width, int Height) {
    Into.reset();
    VideoEncoderWidth = Width;
    VideoEncoderHeight = Height;
    const VideoEncoderSettings settings = CreateVideoOutputType();
    if (settings.encoder.empty())
        return E_MF_NO_ENCODER;
    try {
        Into = std::make_unique<platform::media::VideoEncoder>(settings);
    } catch (const std::exception& error) {
        return Fail(error);
    }
    return MF_S_OK;
}

int32_t TMFEncoderWEBP::TestEncode() {
    const int32_t result = ConfigureVideoEncoder(WholeEncoder, FWidth, FHeight);
    WholeEncoder.reset();
    return result;
}

int32_t TMFEncoderWEBP::WriteHeader() {
    TLittleEndianWriter header;
    header.Tag("RIFF");
    header.U32(0); // completed by StopEncode
    header.Tag("WEBP");
    if (Animation) {
        header.Tag("VP8X");
        header.U32(10);
        header.U32(AnimationFlag);
        header.U24(uint32_t(FWidth - 1));
        header.U24(uint32_t(FHeight - 1));
        header.Tag("ANIM");
        header.U32(6);
        header.U32(0); // background colour
        header.U16(0); // loop count: for ever
    }
    if (destFile->write(header.Data()) != header.Data().size())
        return Fail(QStringLiteral("cannot write the WebP header: ") + destFile->errorString());
    return MF_S_OK;
}

int32_t TMFEncoderWEBP::StartEncode() {
    IsValid = false;
    destFile.reset();
    if (!FVideo || FWidth > MaxSide || FHeight > MaxSide || FVideoFramePS <= 0)
        return Fail(QStringLiteral("a WebP picture is 1 to 16383 pixels wide and high"));
    RectEncoder.reset();
    if (const int32_t result = ConfigureVideoEncoder(WholeEncoder, FWidth, FHeight);
        result != MF_S_OK)
        return result;
    destFile = std::make_unique<QFile>(FileName());
    if (!destFile->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const int32_t result = Fail(destFile->errorString());
        destFile.reset();
        return result;
    }
    if (const int32_t result = WriteHeader(); result != MF_S_OK) {
        destFile.reset();
        RemoveOutput();
        return result;
    }
    FSampleVideoStart = 0;
    FSampleVideoDuration = SlotTime(1, FVideoFramePS);
    ResetHeld();
    framesInFile = 0;
    VideoCompressedSize = 0;
    lastdata.assign(size_t(FWidth) * size_t(FHeight) * 4, 0);
    IsValid = true;
    return MF_S_OK;
}

TFrameRect TMFEncoderWEBP::FindChangedRect(const uint8_t* Frame) {
    const TChangedBounds b = FindChangedPixels(Frame, lastdata.data(), FWidth, FHeight);
    if (b.Empty())
        return TFrameRect{};
    int left = b.MinX, top = b.MinY, width = b.MaxX - b.MinX + 1, height = b.MaxY - b.MinY + 1;
    alignEdge(left, width);
    alignEdge(top, height);
    // The frame offsets are stored halved: keep them even and the rectangle inside the canvas.
    clampEven(left, width, FWidth);
    clampEven(top, height, FHeight);
    return TFrameRect{left, top, left + width, top + height};
}

TFrameRect TMFEncoderWEBP::PlaceChangedRect(const TFrameRect& Changed) const {
    int width = Changed.Width(), height = Changed.Height();
    if (RectEncoder) {
        width = std::max(width, RectEncoder->settings().width);
        height = std::max(height, RectEncoder->settings().height);
    }
    const int left = placeEven(Changed.Left, Changed.Right, width, FWidth);
    const int top = placeEven(Changed.Top, Changed.Bottom, height, FHeight);
    return TFrameRect{left, top, left + width, top + height};
}

int32_t TMFEncoderWEBP::WriteVideoSample(const uint8_t* Frame, int Slots) {
    if (!Animation && framesInFile > 0)
        return Fail(QStringLiteral("a still WebP picture holds one frame"));
    const bool whole = HeldRect.Width() == FWidth && HeldRect.Height() == FHeight;
    if (!whole && (!RectEncoder || RectEncoder->settings().width != HeldRect.Width() ||
                   RectEncoder->settings().height != HeldRect.Height())) {
        if (const int32_t result =
                ConfigureVideoEncoder(RectEncoder, HeldRect.Width(), HeldRect.Height());
            result != MF_S_OK)
            return result;
    }
    platform::media::VideoEncoder& encoder = whole ? *WholeEncoder : *RectEncoder;
    std::vector<std::vector<uint8_t>> frames;
    try {
        frames = encoder.encode(ConvertFrame(Frame), nrframes);
    } catch (const std::exception& error) {
        nrframes += Slots;
        return Fail(error);
    }
    nrframes += Slots;
    if (frames.size() != 1)
        return Fail(QStringLiteral("the VP8 encoder did not give one frame for a picture"));
    return WriteEncodedFrame(frames.front());
}

int32_t TMFEncoderWEBP::WriteEncodedFrame(const std::vector<uint8_t>& payload) {
    const uint32_t length = uint32_t(payload.size());
    const bool odd = length % 2 != 0;
    TLittleEndianWriter chunk;
    if (Animation) {
        const int64_t duration = nrframes * 1000 / FVideoFramePS - FSampleVideoStart;
        if (duration > MaxDurationMs)
            return Fail(QStringLiteral("a WebP frame lasts at most 16777 seconds"));
        FSampleVideoStart += duration;
        chunk.Tag("ANMF");
        chunk.U32(length + 24 + (odd ? 1 : 0));
        chunk.U24(uint32_t(HeldRect.Left / 2));
        chunk.U24(uint32_t(HeldRect.Top / 2));
        chunk.U24(uint32_t(HeldRect.Width() - 1));
        chunk.U24(uint32_t(HeldRect.Height() - 1));
        chunk.U24(uint32_t(duration));
        chunk.U8(DoNotBlend);
    }
    chunk.Tag("VP8 ");
    chunk.U32(length);
    chunk.Bytes(payload.data(), length);
    if (odd)
        chunk.U8(0);
    if (destFile->write(chunk.Data()) != chunk.Data().size())
        return Fail(QStringLiteral("cannot write a WebP frame: ") + destFile->errorString());
    VideoCompressedSize += length;
    ++framesInFile;
    return MF_S_OK;
}

int32_t TMFEncoderWEBP::AddVideoFrame(const uint8_t* Frame) {
    if (!IsValid || !WholeEncoder || !Frame)
        return MF_S_NOTHING;
    if (UseChanges)
        UseVFR = true;
    if (UseVFR)
        return HoldFrame(Frame);
    HeldRect = WholeFrame();
    return WriteVideoSample(Frame, 1);
}

int32_t TMFEncoderWEBP::WriteHeldFrame(int64_t Slots) {
    return WriteVideoSample(lastdata.data(), int(Slots));
}

int32_t TMFEncoderWEBP::StopEncode() {
    if (!destFile || !WholeEncoder)
        return MF_S_NOTHING;
    int32_t result = WriteLastHeld();
    IsValid = false;
    lastdata.clear();
    if (framesInFile == 0) {
        destFile.reset();
        RemoveOutput();
        FLastError = QStringLiteral("no frame was added; no file was written");
        return E_MF_NO_FRAMES;
    }
    TLittleEndianWriter size;
    size.U32(uint32_t(destFile->size() - 8));
    if (!destFile->seek(4) || destFile->write(size.Data()) != 4)
        result = Fail(QStringLiteral("cannot complete the WebP file: ") + destFile->errorString());
    destFile->close();
    destFile.reset();
    return result;
}
