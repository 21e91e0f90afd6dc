#pragma once
// Signal layer of the screen-video codec: colour conversion between BGRA or YUY2 pictures and
// the codec's full-resolution Y, Cb, Cr planes, the 4x4 integer transform with its quantiser,
// scan order and symbol records, and reconstruction of pixels from coefficients.
//
// A plane block is 16x16 samples (256 bytes, row-major); a macroblock buffer is the Y, Cb and Cr
// plane blocks in that order (768 bytes). A coefficient block holds 256 Int16, sub-block k
// (4x4 samples, raster order of sub-blocks) at 16k..16k+15 in scan order.
//
// Every kernel has a scalar reference version; SSSE3 versions are chosen at run time when the
// processor has them and give the same integer results.

#include <cstdint>

constexpr int kPlaneBlockBytes = 256;
constexpr int kMacroblockBytes = 768;
constexpr int kCoefBlockBytes = 512;
constexpr int kMacroblockCoefBytes = 1536;
constexpr int kMaxQStep = 35;
constexpr uint8_t kBlockFlat = 190;
constexpr uint8_t kBlockUnchanged = 191;
// Largest symbol record of one plane block and of one macroblock.
constexpr int kMaxBlockSymbolBytes = 528;
constexpr int kMaxMacroblockSymbolBytes = 1584;

// Scan position -> raster index (4v + h) of a sub-block's coefficients.
extern const uint8_t kScanOrder[16];

// Symbol frequencies of one slice, one array per code table, counted by EncodeBlock.
struct TSliceCounters {
    uint32_t Count[256];
    uint32_t Run[256];
    uint32_t FirstDC[256];
    uint32_t DcDiff[511];
    uint32_t Level[256];
};
static_assert(sizeof(TSliceCounters) == 6140);

// One implementation of every kernel; see the free functions below for their contracts.
struct TCodecKernels {
    void (*BgraBlockToYuv)(const uint8_t* Src, uint8_t* Dst, int SrcStride);
    void (*Yuy2BlockToYuv)(const uint8_t* Src, uint8_t* Dst, int SrcStride);
    void (*BgraToYuy2)(const uint8_t* Src, uint8_t* Dst);
    void (*Yuy2ToYuv444)(const uint8_t* Src, uint8_t* Dst, int Stride);
    void (*Yuv444ToBgra)(const uint8_t* Src, uint8_t* Dst, int Stride);
    void (*YuvBlockToBgra)(const uint8_t* Src, uint8_t* Dst, int DstStride);
    uint8_t* (*EncodeBlock)(const uint8_t* Src, uint8_t* Out, int QStep, TSliceCounters& Work);
    uint8_t* (*ReconstructBlock)(const int16_t* Coef, uint8_t* Dst, int QStep);
    bool (*BlocksEqual)(const uint8_t* A, const uint8_t* B);
};

// The scalar reference kernels.
const TCodecKernels& ScalarCodecKernels();
// The SSSE3 kernels, or nullptr when the processor lacks SSSE3.
const TCodecKernels* Ssse3CodecKernels();
// The kernels in use: SSSE3 when available, else the scalar ones.
const TCodecKernels& CodecKernels();

// 16 rows of 16 BGRA pixels at Src (SrcStride bytes per row) -> macroblock buffer Dst.
inline void BgraBlockToYuv(const uint8_t* Src, uint8_t* Dst, int SrcStride) {
    CodecKernels().BgraBlockToYuv(Src, Dst, SrcStride);
}
// 16 rows of 16 YUY2 pixels at Src -> macroblock buffer Dst.
inline void Yuy2BlockToYuv(const uint8_t* Src, uint8_t* Dst, int SrcStride) {
    CodecKernels().Yuy2BlockToYuv(Src, Dst, SrcStride);
}
// 16 BGRA pixels (64 bytes) -> 16 YUY2 pixels (32 bytes).
inline void BgraToYuy2(const uint8_t* Src, uint8_t* Dst) {
    CodecKernels().BgraToYuy2(Src, Dst);
}
// 16 YUY2 pixels -> 16 Y at Dst, 16 Cb at Dst + Stride, 16 Cr at Dst + 2 Stride.
inline void Yuy2ToYuv444(const uint8_t* Src, uint8_t* Dst, int Stride) {
    CodecKernels().Yuy2ToYuv444(Src, Dst, Stride);
}
// 16 Y at Src, 16 Cb at Src + Stride, 16 Cr at Src + 2 Stride -> 16 BGRA pixels, alpha 255.
inline void Yuv444ToBgra(const uint8_t* Src, uint8_t* Dst, int Stride) {
    CodecKernels().Yuv444ToBgra(Src, Dst, Stride);
}
// Macroblock buffer Src -> 16 rows of 16 BGRA pixels at Dst.
inline void YuvBlockToBgra(const uint8_t* Src, uint8_t* Dst, int DstStride) {
    CodecKernels().YuvBlockToBgra(Src, Dst, DstStride);
}
// Transforms, quantises and scans one plane block, appends its coded or flat symbol record at
// Out, counts its symbols; returns the position after the record.
inline uint8_t* EncodeBlock(const uint8_t* Src, uint8_t* Out, int QStep, TSliceCounters& Work) {
    return CodecKernels().EncodeBlock(Src, Out, QStep, Work);
}
// Dequantises and inverse-transforms one coefficient block into the plane block Dst; returns
// Dst + 256. QStep must lie in 0..35.
inline uint8_t* ReconstructBlock(const int16_t* Coef, uint8_t* Dst, int QStep) {
    return CodecKernels().ReconstructBlock(Coef, Dst, QStep);
}
// True when the two plane blocks are equal.
inline bool BlocksEqual(const uint8_t* A, const uint8_t* B) {
    return CodecKernels().BlocksEqual(A, B);
}

// Appends the coded or flat symbol record of a plane block's quantised coefficients (sub-block
// k at 16k, scan order) and counts its symbols; returns the position after the record. The
// common tail of every EncodeBlock.
uint8_t* WriteBlockRecord(const int16_t* Coef, uint8_t* Out, TSliceCounters& Work);

// The quantiser and dequantiser entries for raster index 4v + h (tests and the SIMD kernels).
int QuantiserEntry(int QStep, int Index);
int DequantiserEntry(int QStep, int Index);
