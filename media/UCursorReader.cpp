#include "media/UCursorReader.h"

#include "media/ULittleEndianReader.h"
#include "media/UTimeSearch.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>
#include <cmath>

namespace {

constexpr int ShapeHeaderBytes = 28;
constexpr int SampleBytes = 20;
constexpr int32_t HiddenPointer = -2;

bool readShape(TLittleEndianReader& in, TPointerShape& shape) {
    int32_t x = 0, y = 0;
    uint32_t size = 0;
    if (!in.U32(shape._Type) || !in.U32(shape.Width) || !in.U32(shape.Height) ||
        !in.U32(shape.Pitch) || !in.I32(x) || !in.I32(y) || !in.U32(size))
        return false;
    shape.HotSpot = QPoint(x, y);
    return in.Bytes(size, shape.PointerShapeBuffer);
}

bool readSample(TLittleEndianReader& in, TCursorRecord& sample) {
    int32_t x = 0, y = 0;
    if (!in.I32(sample.Time) || !in.I32(x) || !in.I32(y) || !in.U32(sample.Buttons) ||
        !in.I32(sample.Pointer))
        return false;
    sample.Position = QPoint(x, y);
    return true;
}

// A shape whose rows do not fit its pitch, or whose pitch × height does not fit its buffer,
// cannot be drawn: monochrome shapes (type 1) take a bit per pixel, the others four bytes.
bool isSound(const TPointerShape& shape) {
    constexpr uint32_t Monochrome = 1;
    const uint64_t rowBytes =
        shape._Type == Monochrome ? (uint64_t(shape.Width) + 7) / 8 : uint64_t(shape.Width) * 4;
    return rowBytes <= shape.Pitch &&
           uint64_t(shape.Pitch) * shape.Height <= uint64_t(shape.PointerShapeBuffer.size());
}

int interpolate(int from, int to, double fraction) {
    const double value = std::trunc(double(from) + fraction * (double(to) - double(from)));
    return int(std::clamp(value, double(INT32_MIN), double(INT32_MAX)));
}

} // namespace

void TCursorReader::Reset() {
    FCursors.clear();
    FPointers.clear();
    FClicks.clear();
    FNrCursors = 0;
    FNrClicks = 0;
    FDurationMs = 0;
}

bool TCursorReader::OpenFile(const QString& fileName, int64_t fileOffset) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || fileOffset < 0 || fileOffset > file.size() ||
        !file.seek(fileOffset)) {
        Reset();
        FErrorText = QStringLiteral("Cannot read the cursor track: %1").arg(file.errorString());
        return false;
    }
    return Load(file.readAll());
}

bool TCursorReader::Load(const QByteArray& data) {
    Reset();
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TLittleEndianReader in(buffer);
    // Every count must fit the bytes that follow it, so a damaged count cannot allocate more
    // than the file holds.
    int32_t shapes = 0;
    if (!in.I32(shapes) || shapes < 0 || int64_t(shapes) * ShapeHeaderBytes > in.Remaining()) {
        FErrorText = QStringLiteral("The cursor track is damaged: bad shape count");
        return false;
    }
    FPointers.resize(size_t(shapes));
    for (TPointerShape& shape : FPointers)
        if (!readShape(in, shape)) {
            Reset();
            FErrorText = QStringLiteral("The cursor track is damaged: a shape is cut off");
            return false;
        }
    // A damaged shape stands as shape 0 (none when shape 0 is the damaged one).
    for (TPointerShape& shape : FPointers)
        if (!isSound(shape))
            shape = &shape == &FPointers[0] ? TPointerShape{} : FPointers[0];
    int32_t samples = 0;
    if (!in.I32(samples) || samples < 0 || int64_t(samples) * SampleBytes > in.Remaining()) {
        Reset();
        FErrorText = QStringLiteral("The cursor track is damaged: bad sample count");
        return false;
    }
    FCursors.resize(size_t(samples));
    for (TCursorRecord& sample : FCursors) {
        readSample(in, sample);
        if (IsClick(sample))
            FClicks.push_back(sample);
    }
    FNrCursors = samples;
    FNrClicks = int(FClicks.size());
    FDurationMs = samples > 0 ? FCursors.back().Time : 0;
    FErrorText.clear();
    return true;
}

int TCursorReader::FindSample(int timeMs) const {
    const int found = FindLastNotAfter(0, FNrCursors - 1, timeMs,
                                       [this](int i) { return FCursors[size_t(i)].Time; });
    return std::max(found, 0);
}

// The latest sample at or before `found` with this button's release, looking back over the
// click window and, last, the first sample beyond it.
const TCursorRecord* TCursorReader::RecentClick(int found, uint32_t button) const {
    const int foundTime = FCursors[size_t(found)].Time;
    for (int i = found; i >= 0; --i) {
        const TCursorRecord& sample = FCursors[size_t(i)];
        if (sample.Buttons & button)
            return &sample;
        if (int64_t(foundTime) - sample.Time > ClickWindowMs)
            break;
    }
    return nullptr;
}

bool TCursorReader::GetCursor(int timeMs, TCursorState& state) const {
    state.LastLCTime = -1;
    state.LastRCTime = -1;
    state.Pointer = TPointerShape{};
    if (FNrCursors == 0)
        return false;
    const int found = FindSample(timeMs);
    const TCursorRecord& sample = FCursors[size_t(found)];
    state.Cursor = sample;
    const bool isLast = found == FNrCursors - 1;
    // Between two samples the pointer moves on the line joining them; before the first sample
    // it stays at the first position.
    if (!isLast && timeMs > sample.Time) {
        const TCursorRecord& next = FCursors[size_t(found) + 1];
        if (next.Time != sample.Time) {
            const double fraction =
                (double(timeMs) - sample.Time) / (double(next.Time) - double(sample.Time));
            state.Cursor.Position =
                QPoint(interpolate(sample.Position.x(), next.Position.x(), fraction),
                       interpolate(sample.Position.y(), next.Position.y(), fraction));
        }
    }
    // A shape index beyond the table shows shape 0, like any other unknown index.
    const int32_t pointer = sample.Pointer;
    if (pointer > 0 && size_t(pointer) < FPointers.size())
        state.Pointer = FPointers[size_t(pointer)];
    else if (pointer != HiddenPointer && !FPointers.empty())
        state.Pointer = FPointers[0];
    if (!isLast) {
        if (const TCursorRecord* left = RecentClick(found, LeftButtonUp)) {
            state.LastLCTime = left->Time;
            state.LastLCcursor = *left;
        }
        if (const TCursorRecord* right = RecentClick(found, RightButtonUp)) {
            state.LastRCTime = right->Time;
            state.LastRCcursor = *right;
        }
    }
    return true;
}
