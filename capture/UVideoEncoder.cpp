#include "capture/UVideoEncoder.h"

#include "media/UVideoCodec_Huffman.h"
#include "media/UVideoCodec_obj.h"
#include "media/UVideoFormatTVC.h"

#include <algorithm>
#include <cstring>

TVideoEncoder::TVideoEncoder() : ProcessorCount(CodecProcessorCount()) {}

int TVideoEncoder::StartEncode(int AImg_Width, int AImg_Height, int AQStep, bool ADataIsARGB) {
    StopEncode();
    if (!TvfSizeValid(AImg_Width, AImg_Height) || AQStep < 0 || AQStep > kMaxQStep)
        return 0;
    Img_Width = AImg_Width;
    Img_Height = AImg_Height;
    QStep = AQStep;
    DataIsARGB = ADataIsARGB;
    Img_Width_Ex = PaddedTo16(Img_Width);
    Img_Height_Ex = PaddedTo16(Img_Height);
    Img_Width_mb = Img_Width_Ex / 16;
    Img_Height_mb = Img_Height_Ex / 16;
    // Half the processors, at least 4 and at most 135 bands, fewer bands than rows (one band
    // for a picture of a single row).
    int n = ProcessorCount / 2 > 4 ? ProcessorCount / 2 : 4;
    n = std::max(1, std::min({n, 135, Img_Height_mb - 1}));
    Nr_encode_threads = n;
    Nr_mb_y = Img_Width_mb * Img_Height_mb;

    const std::size_t pictureBytes = std::size_t(Img_Width_Ex) * Img_Height_Ex * 4;
    Buffer_ARGB.Allocate(pictureBytes);
    if (!DataIsARGB)
        std::memset(Buffer_ARGB.Data(), 128, pictureBytes / 2);
    BufferYUV.Allocate(std::size_t(Nr_mb_y) * 2 * kMacroblockBytes);
    CurrentPicture = 0;

    const int d = Img_Height_mb / n;
    ArrayThreadsData.resize(n);
    for (int i = 0; i < n; ++i) {
        TEncodeThreadData& band = ArrayThreadsData[i];
        band.FirstRow = i * d;
        band.Rows = i + 1 < n ? d : Img_Height_mb - (n - 1) * d;
        const std::size_t mbs = std::size_t(band.Rows) * Img_Width_mb;
        band.Work.Allocate(sizeof(TSliceWorkHeader) + mbs * kMaxMacroblockSymbolBytes);
        band.Output.Allocate(MaxSliceBytes(band.Rows, Img_Width_mb));
    }
    return static_cast<int>(pictureBytes);
}

std::size_t TVideoEncoder::MaxFrameBytes() const {
    std::size_t bytes = kFrameHeaderBytes;
    for (const TEncodeThreadData& band : ArrayThreadsData)
        bytes += kSliceHeaderBytes + band.Output.Size();
    return bytes;
}

const uint8_t* TVideoEncoder::BandSource(const TEncodeThreadData& Band) const {
    const int bytesPerPixel = DataIsARGB ? 4 : 2;
    return Buffer_ARGB.Data() + std::size_t(Band.FirstRow) * 16 * Img_Width_Ex * bytesPerPixel;
}

uint8_t* TVideoEncoder::PlanesOf(int Picture, const TEncodeThreadData& Band) const {
    const std::size_t firstMb =
        std::size_t(Picture) * Nr_mb_y + std::size_t(Band.FirstRow) * Img_Width_mb;
    return BufferYUV.Data() + firstMb * kMacroblockBytes;
}

// Copies the band's rows of the picture into the padded picture; the padding keeps its fill.
void TVideoEncoder::CopyBandRows(const TEncodeThreadData& Band) const {
    const int bytesPerPixel = DataIsARGB ? 4 : 2;
    const std::size_t rowBytes = std::size_t(Img_Width) * bytesPerPixel;
    const int end = std::min(Img_Height, (Band.FirstRow + Band.Rows) * 16);
    for (int y = Band.FirstRow * 16; y < end; ++y)
        std::memcpy(Buffer_ARGB.Data() + std::size_t(y) * Img_Width_Ex * bytesPerPixel,
                    FSource + std::ptrdiff_t(y) * FSourceStride, rowBytes);
}

void TVideoEncoder::EncodeRowsProc(TEncodeThreadData& Band) const {
    CopyBandRows(Band);
    const int bytesPerPixel = DataIsARGB ? 4 : 2;
    const int stride = Img_Width_Ex * bytesPerPixel;
    const uint8_t* source = BandSource(Band);
    uint8_t* current = PlanesOf(CurrentPicture, Band);
    const uint8_t* previous = PlanesOf(1 - CurrentPicture, Band);
    const int mbs = Band.Rows * Img_Width_mb;
    for (int mb = 0; mb < mbs; ++mb) {
        const uint8_t* src = source + std::size_t(mb / Img_Width_mb) * 16 * stride +
                             (mb % Img_Width_mb) * 16 * bytesPerPixel;
        uint8_t* dst = current + std::size_t(mb) * kMacroblockBytes;
        if (DataIsARGB)
            BgraBlockToYuv(src, dst, stride);
        else
            Yuy2BlockToYuv(src, dst, stride);
    }
    auto* work = reinterpret_cast<TSliceWorkHeader*>(Band.Work.Data());
    std::memset(work, 0, sizeof(TSliceWorkHeader));
    uint8_t* out = Band.Work.Data() + sizeof(TSliceWorkHeader);
    bool changed = false;
    for (std::size_t b = 0; b < std::size_t(mbs) * 3; ++b) {
        const uint8_t* block = current + b * kPlaneBlockBytes;
        if (!Band.Keyframe && BlocksEqual(block, previous + b * kPlaneBlockBytes)) {
            *out++ = kBlockUnchanged;
            continue;
        }
        out = EncodeBlock(block, out, QStep, work->Counters);
        changed = true;
    }
    BuildSliceCodes(*work);
    Band.Changed = changed;
    Band.SliceSize = EncodeSlice(work->Codes, Band.Work.Data() + sizeof(TSliceWorkHeader),
                                 Band.Output.Data(), Band.Rows, Img_Width_mb);
}

int TVideoEncoder::Encode(bool Keyframe, const uint8_t* Pargb, int Stride, uint8_t* POut) {
    if (Nr_encode_threads == 0)
        return 0;
    FSource = Pargb;
    FSourceStride = Stride;
    CurrentPicture = 1 - CurrentPicture;
    for (TEncodeThreadData& band : ArrayThreadsData)
        band.Keyframe = Keyframe;
    RunCodecTasks(Nr_encode_threads, MultiThread,
                  [this](int i) { EncodeRowsProc(ArrayThreadsData[i]); });

    const bool changed = std::any_of(ArrayThreadsData.begin(), ArrayThreadsData.end(),
                                     [](const TEncodeThreadData& b) { return b.Changed; });
    if (!changed)
        return 0;
    std::memcpy(POut + 4, kTvfMagic, sizeof kTvfMagic);
    POut[kFrameKeyOffset] = Keyframe ? 1 : 0;
    WriteLE<int32_t>(POut + kFrameWidthOffset, Img_Width);
    WriteLE<int32_t>(POut + kFrameHeightOffset, Img_Height);
    POut[kFrameQStepOffset] = static_cast<uint8_t>(QStep);
    POut[kFrameSliceCountOffset] = static_cast<uint8_t>(Nr_encode_threads);
    uint8_t* slice = POut + kFrameHeaderBytes + kSliceHeaderBytes * Nr_encode_threads;
    for (int i = 0; i < Nr_encode_threads; ++i) {
        const TEncodeThreadData& band = ArrayThreadsData[i];
        std::memcpy(POut + kFrameHeaderBytes + kSliceHeaderBytes * i, band.Output.Data(),
                    kSliceHeaderBytes);
        std::memcpy(slice, band.Output.Data(), band.SliceSize);
        slice += band.SliceSize;
    }
    const int32_t total = static_cast<int32_t>(slice - POut);
    WriteLE<int32_t>(POut, total);
    return total;
}

void TVideoEncoder::StopEncode() {
    Buffer_ARGB.Free();
    BufferYUV.Free();
    ArrayThreadsData.clear();
    Nr_encode_threads = 0;
}
