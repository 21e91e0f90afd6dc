#include "media/UVideoDecoder.h"

#include "media/UVideoCodec_Huffman.h"
#include "media/UVideoCodec_obj.h"
#include "media/UVideoFormatTVC.h"

#include <algorithm>
#include <cstring>

namespace {
// Lookup arrays one frame may ask for; honest frames need a few megabytes at most.
constexpr std::size_t kMaxFrameTableBytes = std::size_t(256) << 20;

} // namespace

TVideoDecoder::TVideoDecoder() : ProcessorCount(CodecProcessorCount()) {}

TVideoDecoder::~TVideoDecoder() = default;

bool TVideoDecoder::Fail(const QString& Reason) {
    FLastError = Reason;
    return false;
}

bool TVideoDecoder::StartDecode(int AWidth, int AHeight, int AQstep) {
    StopDecode();
    if (!TvfSizeValid(AWidth, AHeight))
        return Fail(QStringLiteral("unsupported picture size %1 x %2").arg(AWidth).arg(AHeight));
    if (AQstep < 0 || AQstep > kMaxQStep)
        return Fail(QStringLiteral("unsupported quantiser step %1").arg(AQstep));
    Img_Width = AWidth;
    Img_Height = AHeight;
    QStep = AQstep;
    Img_Width_Ex = PaddedTo16(AWidth);
    Img_Height_Ex = PaddedTo16(AHeight);
    Img_Width_mb = Img_Width_Ex / 16;
    Img_Height_mb = Img_Height_Ex / 16;
    Nr_mb_y = Img_Width_mb * Img_Height_mb;
    BufferCoef.Allocate(std::size_t(Nr_mb_y) * kMacroblockCoefBytes);
    BufferYUV.Allocate(std::size_t(Nr_mb_y) * kMacroblockBytes);
    Buffer_ARGB.Allocate(std::size_t(Img_Width_Ex) * Img_Height_Ex * 4);
    ArrayLines.resize(Img_Height_mb);
    for (int row = 0; row < Img_Height_mb; ++row) {
        TLineData& line = ArrayLines[row];
        const std::size_t firstMb = std::size_t(row) * Img_Width_mb;
        line.NrBlocks = 3 * Img_Width_mb;
        line.PCoef = reinterpret_cast<int16_t*>(BufferCoef.Data() + firstMb * kMacroblockCoefBytes);
        line.PYUV = BufferYUV.Data() + firstMb * kMacroblockBytes;
        line.PARGB = Buffer_ARGB.Data() + std::size_t(row) * 16 * Img_Width_Ex * 4;
    }
    SplitRows();
    FLastError.clear();
    return true;
}

bool TVideoDecoder::StartDecode(const uint8_t* PInput, std::size_t Size) {
    if (Size < kFrameHeaderBytes)
        return Fail(QStringLiteral("frame record too short"));
    return StartDecode(ReadLE<int32_t>(PInput + kFrameWidthOffset),
                       ReadLE<int32_t>(PInput + kFrameHeightOffset), PInput[kFrameQStepOffset]);
}

// Row tasks: processors - 2, at least 4 and at most 135 tasks, never more than rows - 1 (one
// task for pictures of one or two rows); tasks 1 .. n-1 take b rows, the last one the rest.
void TVideoDecoder::SplitRows() {
    const int rows = Img_Height_mb;
    int n = std::min(std::max(ProcessorCount - 2, 4), 135);
    n = std::max(1, std::min(n, rows - 1));
    const int b = n == 1 ? rows : (rows - rows / n) / (n - 1);
    ArrayThreadsDecData.assign(n, {});
    for (int j = 0; j < n; ++j) {
        ArrayThreadsDecData[j].First = j * b;
        ArrayThreadsDecData[j].Count = j + 1 < n ? b : rows - j * b;
    }
    Nr_decode_threads = n;
}

bool TVideoDecoder::ReadSlices(const uint8_t* PInput, std::size_t Size) {
    const int sliceCount = PInput[kFrameSliceCountOffset];
    std::size_t offset = kFrameHeaderBytes + std::size_t(kSliceHeaderBytes) * sliceCount;
    if (sliceCount == 0 || offset > Size)
        return Fail(QStringLiteral("bad slice count %1").arg(sliceCount));
    ArrayTablesData.assign(sliceCount, {});
    int rows = 0;
    std::size_t tableBytes = 0;
    for (int i = 0; i < sliceCount; ++i) {
        const uint8_t* copy = PInput + kFrameHeaderBytes + kSliceHeaderBytes * i;
        const TSliceHeader h = ReadSliceHeader(copy);
        if (h.SliceSize < kSliceHeaderBytes || std::size_t(h.SliceSize) > Size - offset ||
            std::memcmp(copy, PInput + offset, kSliceHeaderBytes) != 0)
            return Fail(QStringLiteral("slice %1 is damaged").arg(i + 1));
        if (h.Rows < 1 || h.Rows > Img_Height_mb - rows || h.MbsPerRow != Img_Width_mb)
            return Fail(QStringLiteral("slice %1 does not fit the picture").arg(i + 1));
        tableBytes += SliceTableBytes(h.MaxLen);
        ArrayTablesData[i] = {PInput + offset, std::size_t(h.SliceSize), h.Rows, -1};
        rows += h.Rows;
        offset += h.SliceSize;
    }
    if (rows != Img_Height_mb)
        return Fail(QStringLiteral("slices cover %1 of %2 rows").arg(rows).arg(Img_Height_mb));
    if (tableBytes > kMaxFrameTableBytes)
        return Fail(QStringLiteral("code tables too large"));
    return true;
}

bool TVideoDecoder::BuildRows(std::vector<TSliceTables>& Tables) {
    int row = 0;
    for (std::size_t i = 0; i < ArrayTablesData.size(); ++i) {
        const TTablesData& slice = ArrayTablesData[i];
        if (slice.RowSizesOffset < 0)
            return Fail(QStringLiteral("code tables of slice %1 are damaged").arg(i + 1));
        std::size_t p = slice.RowSizesOffset;
        std::size_t bits = p + 4 * std::size_t(slice.Rows);
        if (bits > slice.Size)
            return Fail(QStringLiteral("row sizes of slice %1 are cut off").arg(i + 1));
        for (int r = 0; r < slice.Rows; ++r, ++row, p += 4) {
            const int32_t rowSize = ReadLE<int32_t>(slice.PSlice + p);
            if (rowSize < 0 || std::size_t(rowSize) > slice.Size - bits)
                return Fail(QStringLiteral("row %1 runs past its slice").arg(row + 1));
            TLineData& line = ArrayLines[row];
            line.PBits = slice.PSlice + bits;
            line.RowSize = rowSize;
            line.PTables = &Tables[i];
            bits += rowSize;
        }
    }
    return true;
}

bool TVideoDecoder::DecodeToCoef(const uint8_t* PInput, std::size_t Size) {
    if (Nr_mb_y == 0)
        return Fail(QStringLiteral("decoder not started"));
    if (Size < kFrameHeaderBytes)
        return Fail(QStringLiteral("frame record too short"));
    const int32_t recordSize = ReadLE<int32_t>(PInput);
    if (recordSize < kFrameHeaderBytes || std::size_t(recordSize) > Size)
        return Fail(QStringLiteral("bad frame size %1").arg(recordSize));
    Size = recordSize;
    if (std::memcmp(PInput + 4, kTvfMagic, sizeof kTvfMagic) != 0)
        return Fail(QStringLiteral("not a screen-video frame"));
    if (ReadLE<int32_t>(PInput + kFrameWidthOffset) != Img_Width ||
        ReadLE<int32_t>(PInput + kFrameHeightOffset) != Img_Height ||
        PInput[kFrameQStepOffset] != QStep)
        return Fail(QStringLiteral("frame does not match the picture size or quantiser"));
    const bool key = PInput[kFrameKeyOffset] != 0;
    if (!key && !FHasKeyFrame)
        return Fail(QStringLiteral("delta frame without a key frame before it"));
    if (!ReadSlices(PInput, Size))
        return false;

    std::vector<TSliceTables> tables(ArrayTablesData.size());
    RunCodecTasks(static_cast<int>(tables.size()), MultiThread, [&](int i) {
        TTablesData& slice = ArrayTablesData[i];
        slice.RowSizesOffset = tables[i].Read(slice.PSlice, slice.Size);
    });
    FHasKeyFrame = false; // until this frame's rows are decoded completely
    if (!BuildRows(tables))
        return false;
    for (TLineData& line : ArrayLines)
        line.Dirty = line.Dirty || line.RowSize > 0;
    std::vector<char> ok(Nr_decode_threads, 0);
    RunCodecTasks(Nr_decode_threads, MultiThread,
                  [&](int j) { ok[j] = DecodeRowsProc(ArrayThreadsDecData[j]); });
    if (std::find(ok.begin(), ok.end(), 0) != ok.end())
        return Fail(QStringLiteral("damaged row data"));
    FHasKeyFrame = true;
    return true;
}

bool TVideoDecoder::DecodeRowsProc(const TThreadDecData& Task) const {
    for (int row = Task.First; row < Task.First + Task.Count; ++row) {
        const TLineData& line = ArrayLines[row];
        if (line.RowSize > 0 &&
            !DecodeRow(line.PBits, line.RowSize, line.PCoef, *line.PTables, line.NrBlocks))
            return false;
    }
    return true;
}

void TVideoDecoder::DecodeToArgb() {
    RunCodecTasks(Nr_decode_threads, MultiThread,
                  [&](int j) { DecodeArgbProc(ArrayThreadsDecData[j]); });
}

// Rows whose coefficients did not change since their pixels were made keep those pixels.
void TVideoDecoder::DecodeArgbProc(const TThreadDecData& Task) {
    const int stride = Img_Width_Ex * 4;
    for (int row = Task.First; row < Task.First + Task.Count; ++row) {
        TLineData& line = ArrayLines[row];
        if (!line.Dirty)
            continue;
        line.Dirty = false;
        const int16_t* coef = line.PCoef;
        for (int mb = 0; mb < Img_Width_mb; ++mb) {
            uint8_t* yuv = line.PYUV + mb * kMacroblockBytes;
            for (int plane = 0; plane < 3; ++plane, coef += kCoefBlockBytes / 2)
                ReconstructBlock(coef, yuv + plane * kPlaneBlockBytes, QStep);
            YuvBlockToBgra(yuv, line.PARGB + 64 * mb, stride);
        }
    }
}

void TVideoDecoder::GetArgb(uint8_t* POutput) const {
    const std::size_t rowBytes = std::size_t(Img_Width) * 4;
    RunCodecTasks(Nr_decode_threads, MultiThread, [&](int j) {
        const TThreadDecData& task = ArrayThreadsDecData[j];
        const int end = std::min(Img_Height, (task.First + task.Count) * 16);
        for (int y = task.First * 16; y < end; ++y)
            std::memcpy(POutput + y * rowBytes,
                        Buffer_ARGB.Data() + std::size_t(y) * Img_Width_Ex * 4, rowBytes);
    });
}

bool TVideoDecoder::Decode(const uint8_t* PInput, std::size_t Size, uint8_t* POutput) {
    if (!DecodeToCoef(PInput, Size))
        return false;
    DecodeToArgb();
    GetArgb(POutput);
    return true;
}

void TVideoDecoder::StopDecode() {
    BufferCoef.Free();
    BufferYUV.Free();
    Buffer_ARGB.Free();
    ArrayLines.clear();
    ArrayThreadsDecData.clear();
    ArrayTablesData.clear();
    Nr_decode_threads = 0;
    Nr_mb_y = 0;
    FHasKeyFrame = false;
}
