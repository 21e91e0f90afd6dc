#pragma once
// Layout of the screen-video file ".tvf" and of its frame records (all little-endian).
//
// File: Int64 index position, Int64 index size (both 0 until the recording is finished), then
// from byte 16 the stored frames, each a frame record followed by an Int32 TimeMs; the index at
// the end: magic, Int32 width, Int32 height, UInt8 QStep, Int32 duration, Int32 N and N packed
// 21-byte records {Int32 Id, UInt8 Keyframe, Int32 TimeMs, Int64 Offset, Int32 Size}.
//
// Frame record: Int32 size (the whole record), magic, UInt8 key-frame flag, Int32 width, Int32
// height, UInt8 QStep, UInt8 slice count S, S copies of the slices' 13-byte headers, the slices.

#include <cstdint>
#include <cstring>

constexpr uint8_t kTvfMagic[8] = {'h', 'a', 'r', 'b', 'e', 'k', 0x20, 0x01};
constexpr int kTvfHeadBytes = 16;
constexpr int kTvfIndexHeadBytes = 25;
constexpr int kTvfIndexRecordBytes = 21;
constexpr int kTvfTimeBytes = 4;

constexpr int kFrameKeyOffset = 12;
constexpr int kFrameWidthOffset = 13;
constexpr int kFrameHeightOffset = 17;
constexpr int kFrameQStepOffset = 21;
constexpr int kFrameSliceCountOffset = 22;
constexpr int kFrameHeaderBytes = 23;

template <typename T> T ReadLE(const uint8_t* P) {
    T v;
    std::memcpy(&v, P, sizeof(T));
    return v;
}

template <typename T> void WriteLE(uint8_t* P, T V) {
    std::memcpy(P, &V, sizeof(T));
}

// One entry of the index.
struct TFrameHeader {
    int32_t Id = 0;
    bool Keyframe = false;
    int32_t TimeMs = 0;
    int64_t Offset = 0;
    int32_t Size = 0;
};

inline void WriteFrameHeader(uint8_t* P, const TFrameHeader& F) {
    WriteLE<int32_t>(P, F.Id);
    P[4] = F.Keyframe ? 1 : 0;
    WriteLE<int32_t>(P + 5, F.TimeMs);
    WriteLE<int64_t>(P + 9, F.Offset);
    WriteLE<int32_t>(P + 17, F.Size);
}

inline TFrameHeader ReadFrameHeader(const uint8_t* P) {
    return {ReadLE<int32_t>(P), P[4] != 0, ReadLE<int32_t>(P + 5), ReadLE<int64_t>(P + 9),
            ReadLE<int32_t>(P + 17)};
}

// Picture sizes the format accepts: either side 1..16384, at most 7680 x 4320 pixels.
constexpr int kTvfMaxSide = 16384;
constexpr int64_t kTvfMaxPixels = int64_t(7680) * 4320;

inline bool TvfSizeValid(int64_t Width, int64_t Height) {
    return Width >= 1 && Height >= 1 && Width <= kTvfMaxSide && Height <= kTvfMaxSide &&
           Width * Height <= kTvfMaxPixels;
}

// A picture size rounded up to whole 16-pixel macroblocks.
inline int PaddedTo16(int Size) {
    return (Size + 15) & ~15;
}
