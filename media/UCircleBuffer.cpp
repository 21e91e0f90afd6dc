#include "media/UCircleBuffer.h"

#include <algorithm>
#include <cstring>

TCircleBuffer::TCircleBuffer(int BuffSize)
    : FMS(size_t(std::max(BuffSize, 0)), 0), FCanWriteCount(Size()) {}

int TCircleBuffer::Write(const void* Buffer, int Count) {
    const int n = std::min(std::max(Count, 0), FCanWriteCount);
    if (n <= 0)
        return 0;
    const auto* source = static_cast<const uint8_t*>(Buffer);
    const int first = std::min(n, Size() - FWritePosition);
    std::memcpy(FMS.data() + FWritePosition, source, size_t(first));
    std::memcpy(FMS.data(), source + first, size_t(n - first));
    FWritePosition = (FWritePosition + n) % Size();
    FCanWriteCount -= n;
    FCanReadCount += n;
    return n;
}

int TCircleBuffer::Read(void* Buffer, int Count) {
    const int n = std::min(std::max(Count, 0), FCanReadCount);
    if (n <= 0)
        return 0;
    auto* target = static_cast<uint8_t*>(Buffer);
    const int first = std::min(n, Size() - FReadPosition);
    std::memcpy(target, FMS.data() + FReadPosition, size_t(first));
    std::memcpy(target + first, FMS.data(), size_t(n - first));
    FReadPosition = (FReadPosition + n) % Size();
    FCanReadCount -= n;
    FCanWriteCount += n;
    return n;
}

void TCircleBuffer::Reserve(int Count) {
    if (Count <= FCanWriteCount)
        return;
    const int held = FCanReadCount;
    std::vector<uint8_t> grown(size_t(std::max(held + Count, Size() * 2)), 0);
    TCircleBuffer::Read(grown.data(), held);
    FMS.swap(grown);
    FReadPosition = 0;
    FWritePosition = held;
    FCanReadCount = held;
    FCanWriteCount = Size() - held;
}

void TCircleBuffer::Clear() {
    FReadPosition = FWritePosition = FCanReadCount = 0;
    FCanWriteCount = Size();
}

int TCircleBufferThread::Write(const void* Buffer, int Count) {
    std::lock_guard guard(FCS);
    if (TCircleBuffer::CanWriteCount() < Count)
        return 0;
    return TCircleBuffer::Write(Buffer, Count);
}

int TCircleBufferThread::Read(void* Buffer, int Count) {
    std::lock_guard guard(FCS);
    if (TCircleBuffer::CanReadCount() < Count)
        return 0;
    return TCircleBuffer::Read(Buffer, Count);
}

int TCircleBufferThread::ReadPosition() const {
    std::lock_guard guard(FCS);
    return TCircleBuffer::ReadPosition();
}

int TCircleBufferThread::WritePosition() const {
    std::lock_guard guard(FCS);
    return TCircleBuffer::WritePosition();
}

int TCircleBufferThread::CanReadCount() const {
    std::lock_guard guard(FCS);
    return TCircleBuffer::CanReadCount();
}

int TCircleBufferThread::CanWriteCount() const {
    std::lock_guard guard(FCS);
    return TCircleBuffer::CanWriteCount();
}

void TCircleBufferThread::Reserve(int Count) {
    std::lock_guard guard(FCS);
    TCircleBuffer::Reserve(Count);
}

void TCircleBufferThread::Clear() {
    std::lock_guard guard(FCS);
    TCircleBuffer::Clear();
}

TRBufferThread::TRBufferThread(int BuffSize) : FData(size_t(std::max(BuffSize, 0))) {}

void TRBufferThread::Write(const uint8_t* PSource) {
    std::lock_guard guard(FCS);
    if (!PSource || FData.empty())
        return;
    std::memcpy(FData.data(), PSource, FData.size());
    FDataValid = true;
    ++FNumber;
}

void TRBufferThread::Read(uint8_t* PDest) const {
    std::lock_guard guard(FCS);
    if (PDest && !FData.empty())
        std::memcpy(PDest, FData.data(), FData.size());
}

uint64_t TRBufferThread::ReadNewer(uint8_t* PDest, uint64_t seen, CopyFunction copy) const {
    std::lock_guard guard(FCS);
    if (PDest && copy && !FData.empty() && FNumber != seen)
        copy(PDest, FData.data(), FData.size());
    return FNumber;
}

bool TRBufferThread::HasData() const {
    std::lock_guard guard(FCS);
    return FDataValid;
}
