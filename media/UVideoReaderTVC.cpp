#include "media/UVideoReaderTVC.h"

#include "media/UVideoCodec_Huffman.h"
#include "media/UVideoFormatTVC.h"

#include <cmath>
#include <cstring>

namespace {

// Largest frame record an encoder can write for the picture (one-row slices being the worst).
int64_t MaxFrameRecordBytes(int Width, int Height) {
    const int mbsPerRow = PaddedTo16(Width) / 16;
    const int rows = PaddedTo16(Height) / 16;
    return kFrameHeaderBytes + int64_t(rows) * (kSliceHeaderBytes + MaxSliceBytes(1, mbsPerRow));
}

// Smallest record a key frame of the picture can have: every plane block of a key frame is
// coded or flat, which takes at least a mode bit and a DC code, and every row states its size.
int64_t MinKeyFrameRecordBytes(int Width, int Height) {
    const int64_t mbsPerRow = PaddedTo16(Width) / 16;
    const int64_t rows = PaddedTo16(Height) / 16;
    return kFrameHeaderBytes + rows * (4 + 3 * mbsPerRow * 2 / 8);
}

} // namespace

TVideoReaderTVC::TVideoReaderTVC() = default;

TVideoReaderTVC::~TVideoReaderTVC() {
    videodecoder.StopDecode();
}

bool TVideoReaderTVC::Fail(const QString& Reason) {
    FLastError = Reason;
    return false;
}

bool TVideoReaderTVC::ReadAt(int64_t Position, uint8_t* Data, int64_t Size) {
    return fsin.seek(FFileOffset + Position) &&
           fsin.read(reinterpret_cast<char*>(Data), Size) == Size;
}

bool TVideoReaderTVC::OpenFile(const QString& AFileName, int64_t AFileOffset) {
    FIsValid = false;
    FRecovered = false;
    FFrames.assign(1, TFrame{});
    LastFrameId = 0;
    FFileOffset = AFileOffset;
    fsin.close();
    fsin.setFileName(AFileName);
    if (!fsin.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot open %1: %2").arg(AFileName, fsin.errorString()));
    const int64_t dataSize = fsin.size() - FFileOffset;
    uint8_t head[kTvfHeadBytes];
    if (AFileOffset < 0 || dataSize < kTvfHeadBytes || !ReadAt(0, head, kTvfHeadBytes))
        return Fail(QStringLiteral("%1 is too short").arg(AFileName));
    const int64_t indexPosition = ReadLE<int64_t>(head);
    const int64_t indexSize = ReadLE<int64_t>(head + 8);
    // An unfinished recording has a zero head; a finished one cut short (a broken-off copy, a
    // full disk) points at an index it no longer holds. Both keep their frame records.
    const bool indexHeld = indexPosition >= kTvfHeadBytes && indexSize >= kTvfIndexHeadBytes &&
                           indexPosition <= dataSize - indexSize;
    if (!(indexHeld ? ReadIndex(indexPosition, indexSize) : RecoverIndex(dataSize)))
        return false;
    if (!FinishFrames() || !CheckFirstFrame())
        return false;
    videodecoder.MultiThread = true;
    if (!videodecoder.StartDecode(FWidth, FHeight, FQStep))
        return Fail(videodecoder.LastError());
    FIsValid = true;
    return true;
}

// Checks one frame entry against the picture and the data before DataEnd and appends it.
bool TVideoReaderTVC::AddFrame(const TFrame& Frame, int64_t DataEnd) {
    const TFrame& previous = FFrames.back();
    if (Frame.Offset < kTvfHeadBytes || Frame.Size < kFrameHeaderBytes ||
        Frame.Size > MaxFrameRecordBytes(FWidth, FHeight) || Frame.Offset > DataEnd - Frame.Size)
        return Fail(QStringLiteral("frame %1 lies outside the file").arg(FFrames.size()));
    if (Frame.BeginTimeMs < 0 || (FFrames.size() > 1 && Frame.BeginTimeMs < previous.BeginTimeMs))
        return Fail(QStringLiteral("frame %1 goes back in time").arg(FFrames.size()));
    TFrame entry = Frame;
    entry.KeyFrameId = Frame.Keyframe ? static_cast<int32_t>(FFrames.size()) : previous.KeyFrameId;
    FFrames.push_back(entry);
    return true;
}

bool TVideoReaderTVC::ReadIndex(int64_t IndexPosition, int64_t IndexSize) {
    std::vector<uint8_t> index(IndexSize);
    if (!ReadAt(IndexPosition, index.data(), IndexSize))
        return Fail(QStringLiteral("cannot read the index"));
    FWidth = ReadLE<int32_t>(index.data() + 8);
    FHeight = ReadLE<int32_t>(index.data() + 12);
    FQStep = index[16];
    FDurationMs = ReadLE<int32_t>(index.data() + 17);
    const int32_t count = ReadLE<int32_t>(index.data() + 21);
    if (!TvfSizeValid(FWidth, FHeight))
        return Fail(QStringLiteral("unsupported picture size %1 x %2").arg(FWidth).arg(FHeight));
    if (count < 0 || count > (IndexSize - kTvfIndexHeadBytes) / kTvfIndexRecordBytes)
        return Fail(QStringLiteral("the index is shorter than its %1 frames").arg(count));
    FFrames.reserve(std::size_t(count) + 1);
    for (int32_t i = 0; i < count; ++i) {
        const TFrameHeader h =
            ReadFrameHeader(index.data() + kTvfIndexHeadBytes + kTvfIndexRecordBytes * i);
        if (!AddFrame({h.Id, h.Keyframe, h.TimeMs, -1, h.Offset, h.Size, 0}, IndexPosition))
            return false;
    }
    return true;
}

// Walks the frame records of an unfinished recording from byte 16: each is size-prefixed,
// carries the key-frame flag and the picture size, and is followed by its time. The walk
// stops at the first record that is cut off or damaged (the one being written at the crash).
bool TVideoReaderTVC::RecoverIndex(int64_t DataSize) {
    FRecovered = true;
    int64_t position = kTvfHeadBytes;
    uint8_t header[kFrameHeaderBytes];
    while (position + kFrameHeaderBytes + kTvfTimeBytes <= DataSize &&
           ReadAt(position, header, kFrameHeaderBytes)) {
        const int32_t size = ReadLE<int32_t>(header);
        const int width = ReadLE<int32_t>(header + kFrameWidthOffset);
        const int height = ReadLE<int32_t>(header + kFrameHeightOffset);
        const bool first = FFrames.size() == 1;
        if (std::memcmp(header + 4, kTvfMagic, sizeof kTvfMagic) != 0 ||
            (first ? !TvfSizeValid(width, height)
                   : (width != FWidth || height != FHeight || header[kFrameQStepOffset] != FQStep)))
            break;
        FWidth = width;
        FHeight = height;
        FQStep = header[kFrameQStepOffset];
        uint8_t time[kTvfTimeBytes];
        if (size < kFrameHeaderBytes || position + size + kTvfTimeBytes > DataSize ||
            !ReadAt(position + size, time, kTvfTimeBytes))
            break;
        const TFrame frame{static_cast<int32_t>(FFrames.size()),
                           header[kFrameKeyOffset] != 0,
                           ReadLE<int32_t>(time),
                           -1,
                           position,
                           size,
                           0};
        if (!AddFrame(frame, DataSize))
            break;
        position += size + kTvfTimeBytes;
    }
    FLastError.clear();
    FDurationMs = FFrames.size() > 1 ? std::max(FFrames.back().BeginTimeMs, 1) : 0;
    return true;
}

// End times, frame rate, the frame buffer; a file without frames or whose first frame is not a
// key frame cannot be shown.
bool TVideoReaderTVC::FinishFrames() {
    FNrFrames = static_cast<int>(FFrames.size()) - 1;
    if (FNrFrames == 0)
        return Fail(QStringLiteral("the file holds no frames"));
    if (!FFrames[1].Keyframe)
        return Fail(QStringLiteral("the first frame is not a key frame"));
    int32_t largest = 0;
    for (int i = 1; i <= FNrFrames; ++i) {
        FFrames[i].EndTimeMs =
            i < FNrFrames ? FFrames[i + 1].BeginTimeMs - 1 : FFrames[i].BeginTimeMs;
        largest = std::max(largest, FFrames[i].Size);
    }
    FFramePS = FDurationMs > 0
                   ? static_cast<int>(std::nearbyint(double(FNrFrames) * 1000.0 / FDurationMs))
                   : 0;
    psrc.assign(largest, 0);
    return true;
}

// The decoder's buffers follow the picture size of the index; a damaged or hostile index could
// claim the largest picture for a file of a few bytes. The first frame record must agree with
// the index and be large enough to hold a key frame of that size before they are allocated.
bool TVideoReaderTVC::CheckFirstFrame() {
    const TFrame& first = FFrames[1];
    uint8_t header[kFrameHeaderBytes];
    if (!ReadAt(first.Offset, header, kFrameHeaderBytes))
        return Fail(QStringLiteral("cannot read frame 1"));
    if (ReadLE<int32_t>(header) != first.Size ||
        std::memcmp(header + 4, kTvfMagic, sizeof kTvfMagic) != 0 || header[kFrameKeyOffset] == 0 ||
        ReadLE<int32_t>(header + kFrameWidthOffset) != FWidth ||
        ReadLE<int32_t>(header + kFrameHeightOffset) != FHeight ||
        header[kFrameQStepOffset] != FQStep)
        return Fail(QStringLiteral("frame 1 does not match the index"));
    if (first.Size < MinKeyFrameRecordBytes(FWidth, FHeight))
        return Fail(
            QStringLiteral("frame 1 is too short for a %1 x %2 picture").arg(FWidth).arg(FHeight));
    return true;
}

int TVideoReaderTVC::GetBeginTime(int AIndex) const {
    return AIndex >= 0 && AIndex <= FNrFrames ? FFrames[AIndex].BeginTimeMs : 0;
}

int TVideoReaderTVC::FindFrameIndex(int ATimeMs) const {
    int lo = 1, hi = FNrFrames;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        if (ATimeMs < FFrames[mid].BeginTimeMs)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return hi;
}

bool TVideoReaderTVC::DecodeFrame(int Index) {
    const TFrame& frame = FFrames[Index];
    if (!ReadAt(frame.Offset, psrc.data(), frame.Size))
        return Fail(QStringLiteral("cannot read frame %1").arg(Index));
    ++FDecodedFrames;
    if (!videodecoder.DecodeToCoef(psrc.data(), frame.Size))
        return Fail(
            QStringLiteral("frame %1 is damaged: %2").arg(Index).arg(videodecoder.LastError()));
    return true;
}

bool TVideoReaderTVC::GetFrame(int ATimeMs, uint8_t* PDst) {
    if (!FIsValid)
        return false;
    const int t = std::clamp(ATimeMs, FFrames[1].BeginTimeMs, FFrames[FNrFrames].EndTimeMs);
    const TFrame& last = FFrames[LastFrameId];
    if (LastFrameId > 0 && last.BeginTimeMs <= t && t <= last.EndTimeMs) {
        videodecoder.GetArgb(PDst);
        return true;
    }
    const int idx = FindFrameIndex(t);
    const bool forward =
        LastFrameId > 0 && idx > LastFrameId && FFrames[idx].KeyFrameId == last.KeyFrameId;
    const int first = forward ? LastFrameId + 1 : FFrames[idx].KeyFrameId;
    LastFrameId = 0;
    for (int i = first; i <= idx; ++i)
        if (!DecodeFrame(i))
            return false;
    videodecoder.DecodeToArgb();
    videodecoder.GetArgb(PDst);
    LastFrameId = idx;
    return true;
}
