// SSSE3 versions of the screen-video kernels: 16 pixels per step, byte multiply-add for the
// colour matrices, byte shuffles for YUY2 and the scan order, rounded high-half multiplication
// for the quantiser and 32-bit arithmetic for the inverse transform. Every integer result is
// the scalar reference's.
#include "media/UVideoCodec_obj.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cstring>
#include <tmmintrin.h>

#define TAVRIN_SSSE3 __attribute__((target("ssse3")))

namespace {

// Byte weights (B, G, R, A) of the three planes.
TAVRIN_SSSE3 __m128i Weights(int8_t b, int8_t g, int8_t r) {
    return _mm_setr_epi8(b, g, r, 0, b, g, r, 0, b, g, r, 0, b, g, r, 0);
}

// Weighted sums of 8 BGRA pixels (two 16-byte loads) as Int16.
TAVRIN_SSSE3 __m128i WeightedSums(__m128i p0, __m128i p1, __m128i w) {
    return _mm_hadd_epi16(_mm_maddubs_epi16(p0, w), _mm_maddubs_epi16(p1, w));
}

struct TPlanes16 {
    __m128i y, cb0, cb1, cr0, cr1; // Y as bytes; Cb and Cr as two halves of Int16
};

// Y, Cb, Cr of 16 BGRA pixels.
TAVRIN_SSSE3 TPlanes16 BgraToPlanes(const uint8_t* Src) {
    const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src));
    const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + 16));
    const __m128i p2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + 32));
    const __m128i p3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + 48));
    const __m128i wy = Weights(8, 79, 23), wcb = Weights(112, -86, -26),
                  wcr = Weights(-10, -102, 112);
    const __m128i k16 = _mm_set1_epi16(16), k128 = _mm_set1_epi16(128);
    const __m128i y0 = _mm_add_epi16(_mm_srai_epi16(WeightedSums(p0, p1, wy), 7), k16);
    const __m128i y1 = _mm_add_epi16(_mm_srai_epi16(WeightedSums(p2, p3, wy), 7), k16);
    TPlanes16 r;
    r.y = _mm_packus_epi16(y0, y1);
    r.cb0 = _mm_add_epi16(_mm_srai_epi16(WeightedSums(p0, p1, wcb), 8), k128);
    r.cb1 = _mm_add_epi16(_mm_srai_epi16(WeightedSums(p2, p3, wcb), 8), k128);
    r.cr0 = _mm_add_epi16(_mm_srai_epi16(WeightedSums(p0, p1, wcr), 8), k128);
    r.cr1 = _mm_add_epi16(_mm_srai_epi16(WeightedSums(p2, p3, wcr), 8), k128);
    return r;
}

TAVRIN_SSSE3 void Store(uint8_t* Dst, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Dst), v);
}

TAVRIN_SSSE3 __m128i Load(const void* Src) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src));
}

TAVRIN_SSSE3 void BgraBlockToYuv(const uint8_t* Src, uint8_t* Dst, int SrcStride) {
    for (int y = 0; y < 16; ++y) {
        const TPlanes16 p = BgraToPlanes(Src + y * SrcStride);
        Store(Dst + 16 * y, p.y);
        Store(Dst + 256 + 16 * y, _mm_packus_epi16(p.cb0, p.cb1));
        Store(Dst + 512 + 16 * y, _mm_packus_epi16(p.cr0, p.cr1));
    }
}

TAVRIN_SSSE3 void BgraToYuy2(const uint8_t* Src, uint8_t* Dst) {
    const TPlanes16 p = BgraToPlanes(Src);
    const __m128i one = _mm_set1_epi16(1);
    const __m128i u = _mm_srai_epi16(_mm_add_epi16(_mm_hadd_epi16(p.cb0, p.cb1), one), 1);
    const __m128i v = _mm_srai_epi16(_mm_add_epi16(_mm_hadd_epi16(p.cr0, p.cr1), one), 1);
    const __m128i uv = _mm_unpacklo_epi8(_mm_packus_epi16(u, u), _mm_packus_epi16(v, v));
    Store(Dst, _mm_unpacklo_epi8(p.y, uv));
    Store(Dst + 16, _mm_unpackhi_epi8(p.y, uv));
}

TAVRIN_SSSE3 void Yuy2ToYuv444(const uint8_t* Src, uint8_t* Dst, int Stride) {
    const __m128i lo = Load(Src), hi = Load(Src + 16);
    const __m128i evenLo = _mm_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i evenHi = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, 0, 2, 4, 6, 8, 10, 12, 14);
    const __m128i uLo = _mm_setr_epi8(1, 1, 5, 5, 9, 9, 13, 13, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i uHi = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, 1, 1, 5, 5, 9, 9, 13, 13);
    const __m128i vLo = _mm_setr_epi8(3, 3, 7, 7, 11, 11, 15, 15, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i vHi = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, 3, 3, 7, 7, 11, 11, 15, 15);
    Store(Dst, _mm_or_si128(_mm_shuffle_epi8(lo, evenLo), _mm_shuffle_epi8(hi, evenHi)));
    Store(Dst + Stride, _mm_or_si128(_mm_shuffle_epi8(lo, uLo), _mm_shuffle_epi8(hi, uHi)));
    Store(Dst + 2 * Stride, _mm_or_si128(_mm_shuffle_epi8(lo, vLo), _mm_shuffle_epi8(hi, vHi)));
}

TAVRIN_SSSE3 void Yuy2BlockToYuv(const uint8_t* Src, uint8_t* Dst, int SrcStride) {
    for (int y = 0; y < 16; ++y)
        Yuy2ToYuv444(Src + y * SrcStride, Dst + 16 * y, kPlaneBlockBytes);
}

// B, G, R of 8 pixels as Int16 from Y, Cb, Cr as Int16.
TAVRIN_SSSE3 void PlanesToBgr8(__m128i y, __m128i cb, __m128i cr, __m128i& b, __m128i& g,
                               __m128i& r) {
    // Yt = (Y * 257 * 18997) >> 16; the 128 * Cb of blue is a whole multiple of 64, so it is
    // added after the shift to stay within 16 bits.
    const __m128i yt =
        _mm_mulhi_epu16(_mm_or_si128(y, _mm_slli_epi16(y, 8)), _mm_set1_epi16(18997));
    b = _mm_add_epi16(_mm_srai_epi16(_mm_sub_epi16(yt, _mm_set1_epi16(17544)), 6),
                      _mm_slli_epi16(cb, 1));
    g = _mm_srai_epi16(
        _mm_add_epi16(_mm_sub_epi16(yt, _mm_add_epi16(_mm_mullo_epi16(cb, _mm_set1_epi16(14)),
                                                      _mm_mullo_epi16(cr, _mm_set1_epi16(34)))),
                      _mm_set1_epi16(4984)),
        6);
    r = _mm_srai_epi16(_mm_sub_epi16(_mm_add_epi16(yt, _mm_mullo_epi16(cr, _mm_set1_epi16(115))),
                                     _mm_set1_epi16(15880)),
                       6);
}

TAVRIN_SSSE3 void Yuv444ToBgra(const uint8_t* Src, uint8_t* Dst, int Stride) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i y = Load(Src), cb = Load(Src + Stride), cr = Load(Src + 2 * Stride);
    __m128i b0, g0, r0, b1, g1, r1;
    PlanesToBgr8(_mm_unpacklo_epi8(y, zero), _mm_unpacklo_epi8(cb, zero),
                 _mm_unpacklo_epi8(cr, zero), b0, g0, r0);
    PlanesToBgr8(_mm_unpackhi_epi8(y, zero), _mm_unpackhi_epi8(cb, zero),
                 _mm_unpackhi_epi8(cr, zero), b1, g1, r1);
    const __m128i b = _mm_packus_epi16(b0, b1), g = _mm_packus_epi16(g0, g1),
                  r = _mm_packus_epi16(r0, r1), a = _mm_set1_epi8(-1);
    const __m128i bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
    const __m128i raLo = _mm_unpacklo_epi8(r, a), raHi = _mm_unpackhi_epi8(r, a);
    Store(Dst, _mm_unpacklo_epi16(bgLo, raLo));
    Store(Dst + 16, _mm_unpackhi_epi16(bgLo, raLo));
    Store(Dst + 32, _mm_unpacklo_epi16(bgHi, raHi));
    Store(Dst + 48, _mm_unpackhi_epi16(bgHi, raHi));
}

TAVRIN_SSSE3 void YuvBlockToBgra(const uint8_t* Src, uint8_t* Dst, int DstStride) {
    for (int y = 0; y < 16; ++y)
        Yuv444ToBgra(Src + 16 * y, Dst + y * DstStride, kPlaneBlockBytes);
}

TAVRIN_SSSE3 bool BlocksEqual(const uint8_t* A, const uint8_t* B) {
    __m128i diff = _mm_setzero_si128();
    for (int i = 0; i < 256; i += 16)
        diff = _mm_or_si128(diff, _mm_xor_si128(Load(A + i), Load(B + i)));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(diff, _mm_setzero_si128())) == 0xFFFF;
}

// Byte shuffles that gather 16 Int16 from two registers (raster indices 0..7 and 8..15) in
// the given index order; entries of the other register are -1.
struct TWordShuffle {
    __m128i fromLo[2], fromHi[2];
};

TWordShuffle MakeWordShuffle(const uint8_t Order[16]) {
    TWordShuffle s;
    for (int out = 0; out < 2; ++out) {
        int8_t lo[16], hi[16];
        for (int i = 0; i < 8; ++i) {
            const int index = Order[8 * out + i];
            const int8_t b0 = static_cast<int8_t>(2 * (index % 8));
            lo[2 * i] = index < 8 ? b0 : -1;
            lo[2 * i + 1] = index < 8 ? static_cast<int8_t>(b0 + 1) : -1;
            hi[2 * i] = index >= 8 ? b0 : -1;
            hi[2 * i + 1] = index >= 8 ? static_cast<int8_t>(b0 + 1) : -1;
        }
        std::memcpy(&s.fromLo[out], lo, 16);
        std::memcpy(&s.fromHi[out], hi, 16);
    }
    return s;
}

// The registers of a sub-block hold its coefficients column by column: X(v,h) at lane 4h + v,
// the transpose of its raster index 4v + h.
int Transposed(int Index) {
    return 4 * (Index % 4) + Index / 4;
}

// Lanes in scan order.
struct TLaneScan {
    uint8_t Lane[16];
    TLaneScan() {
        for (int p = 0; p < 16; ++p)
            Lane[p] = static_cast<uint8_t>(Transposed(kScanOrder[p]));
    }
};

const TWordShuffle& ScanShuffle() {
    static const TWordShuffle s = MakeWordShuffle(TLaneScan().Lane);
    return s;
}

const TWordShuffle& UnscanShuffle() {
    static const TWordShuffle s = [] {
        const TLaneScan scan;
        uint8_t inverse[16];
        for (int p = 0; p < 16; ++p)
            inverse[scan.Lane[p]] = static_cast<uint8_t>(p);
        return MakeWordShuffle(inverse);
    }();
    return s;
}

TAVRIN_SSSE3 void Shuffle(const TWordShuffle& s, __m128i lo, __m128i hi, __m128i& out0,
                          __m128i& out1) {
    out0 = _mm_or_si128(_mm_shuffle_epi8(lo, s.fromLo[0]), _mm_shuffle_epi8(hi, s.fromHi[0]));
    out1 = _mm_or_si128(_mm_shuffle_epi8(lo, s.fromLo[1]), _mm_shuffle_epi8(hi, s.fromHi[1]));
}

TAVRIN_SSSE3 __m128i SwapHalves(__m128i v) {
    return _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2));
}

// Second transform stage and quantiser of one sub-block from the columns w0|w1 and w2|w3 of
// C·P (lanes v); the results lie in lane order 4h + v. Stores the 16 quantised coefficients in
// scan order at Out.
TAVRIN_SSSE3 void QuantiseSubBlock(__m128i w01, __m128i w23, const __m128i q[2], int16_t* Out) {
    const __m128i w32 = SwapHalves(w23);
    const __m128i s = _mm_add_epi16(w01, w32), d = _mm_sub_epi16(w01, w32);
    const __m128i ss = SwapHalves(s), ds = SwapHalves(d);
    const __m128i x01 =
        _mm_unpacklo_epi64(_mm_add_epi16(s, ss), _mm_add_epi16(_mm_slli_epi16(d, 1), ds));
    const __m128i x23 =
        _mm_unpacklo_epi64(_mm_sub_epi16(s, ss), _mm_sub_epi16(d, _mm_slli_epi16(ds, 1)));
    __m128i z0, z1;
    Shuffle(ScanShuffle(), _mm_mulhrs_epi16(x01, q[0]), _mm_mulhrs_epi16(x23, q[1]), z0, z1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out), z0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + 8), z1);
}

TAVRIN_SSSE3 uint8_t* EncodeBlock(const uint8_t* Src, uint8_t* Out, int QStep,
                                  TSliceCounters& Work) {
    alignas(16) int16_t quant[16];
    for (int i = 0; i < 16; ++i)
        quant[i] = static_cast<int16_t>(QuantiserEntry(QStep, Transposed(i)));
    const __m128i q[2] = {Load(quant), Load(quant + 8)};
    alignas(16) int16_t coef[256];
    const __m128i zero = _mm_setzero_si128();
    for (int row = 0; row < 4; ++row) {
        const uint8_t* s = Src + 64 * row;
        __m128i p[2][4];
        for (int y = 0; y < 4; ++y) {
            const __m128i bytes = Load(s + 16 * y);
            p[0][y] = _mm_unpacklo_epi8(bytes, zero);
            p[1][y] = _mm_unpackhi_epi8(bytes, zero);
        }
        for (int half = 0; half < 2; ++half) {
            const __m128i* r = p[half];
            // First stage down the columns: t_i = sum over y of C[i][y] * P(y, x).
            const __m128i a03 = _mm_add_epi16(r[0], r[3]), s03 = _mm_sub_epi16(r[0], r[3]);
            const __m128i a12 = _mm_add_epi16(r[1], r[2]), s12 = _mm_sub_epi16(r[1], r[2]);
            const __m128i t0 = _mm_add_epi16(a03, a12), t2 = _mm_sub_epi16(a03, a12);
            const __m128i t1 = _mm_add_epi16(_mm_slli_epi16(s03, 1), s12);
            const __m128i t3 = _mm_sub_epi16(s03, _mm_slli_epi16(s12, 1));
            const __m128i lo01 = _mm_unpacklo_epi16(t0, t1), lo23 = _mm_unpacklo_epi16(t2, t3);
            const __m128i hi01 = _mm_unpackhi_epi16(t0, t1), hi23 = _mm_unpackhi_epi16(t2, t3);
            const int k = 4 * row + 2 * half;
            QuantiseSubBlock(_mm_unpacklo_epi32(lo01, lo23), _mm_unpackhi_epi32(lo01, lo23), q,
                             coef + 16 * k);
            QuantiseSubBlock(_mm_unpacklo_epi32(hi01, hi23), _mm_unpackhi_epi32(hi01, hi23), q,
                             coef + 16 * (k + 1));
        }
    }
    return WriteBlockRecord(coef, Out, Work);
}

// 32-bit products of 8 Int16 pairs.
TAVRIN_SSSE3 void Multiply32(__m128i a, __m128i b, __m128i& lo, __m128i& hi) {
    const __m128i l = _mm_mullo_epi16(a, b), h = _mm_mulhi_epi16(a, b);
    lo = _mm_unpacklo_epi16(l, h);
    hi = _mm_unpackhi_epi16(l, h);
}

// The doubled inverse core transform across four registers.
TAVRIN_SSSE3 void InverseCore4(const __m128i a[4], __m128i out[4]) {
    const __m128i a0 = _mm_slli_epi32(a[0], 1), a2 = _mm_slli_epi32(a[2], 1);
    const __m128i even0 = _mm_add_epi32(a0, a2), even1 = _mm_sub_epi32(a0, a2);
    const __m128i odd0 = _mm_add_epi32(_mm_slli_epi32(a[1], 1), a[3]);
    const __m128i odd1 = _mm_sub_epi32(a[1], _mm_slli_epi32(a[3], 1));
    out[0] = _mm_add_epi32(even0, odd0);
    out[1] = _mm_add_epi32(even1, odd1);
    out[2] = _mm_sub_epi32(even1, odd1);
    out[3] = _mm_sub_epi32(even0, odd0);
}

TAVRIN_SSSE3 void Transpose4(__m128i m[4]) {
    const __m128i t0 = _mm_unpacklo_epi32(m[0], m[1]), t1 = _mm_unpacklo_epi32(m[2], m[3]);
    const __m128i t2 = _mm_unpackhi_epi32(m[0], m[1]), t3 = _mm_unpackhi_epi32(m[2], m[3]);
    m[0] = _mm_unpacklo_epi64(t0, t1);
    m[1] = _mm_unpackhi_epi64(t0, t1);
    m[2] = _mm_unpacklo_epi64(t2, t3);
    m[3] = _mm_unpackhi_epi64(t2, t3);
}

// Pixel rows of one sub-block as Int32 before the final shift: rows[y] lanes x.
TAVRIN_SSSE3 void ReconstructSubBlock(const int16_t* Coef, const __m128i m[2], int Shift,
                                      __m128i rows[4]) {
    const __m128i lo = Load(Coef), hi = Load(Coef + 8);
    const __m128i acOnly = _mm_or_si128(_mm_slli_si128(_mm_srli_si128(lo, 2), 2), hi);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(acOnly, _mm_setzero_si128())) == 0xFFFF) {
        // Only the DC: both stages double it, every sample is the same.
        const int dc = (Coef[0] * _mm_extract_epi16(m[0], 0) * (1 << Shift)) >> 4;
        rows[0] = rows[1] = rows[2] = rows[3] = _mm_set1_epi32(4 * dc);
        return;
    }
    __m128i c0, c1;
    Shuffle(UnscanShuffle(), lo, hi, c0, c1);
    __m128i d[4];
    Multiply32(c0, m[0], d[0], d[1]);
    Multiply32(c1, m[1], d[2], d[3]);
    const __m128i shift = _mm_cvtsi32_si128(Shift);
    for (__m128i& v : d)
        v = _mm_srai_epi32(_mm_sll_epi32(v, shift), 4);
    // d[h] holds column h of the coefficients (lanes v): combining across the registers works
    // along the rows, the transposed result then down the columns (exact integer sums, so the
    // order does not change the result).
    __m128i f[4];
    InverseCore4(d, f);
    Transpose4(f);
    InverseCore4(f, rows);
}

// The dequantiser rows as Int16, one per QStep.
struct TDequantRows {
    alignas(16) int16_t Row[kMaxQStep + 1][16];
    TDequantRows() {
        for (int q = 0; q <= kMaxQStep; ++q)
            for (int i = 0; i < 16; ++i)
                Row[q][i] = static_cast<int16_t>(DequantiserEntry(q, Transposed(i)));
    }
};

TAVRIN_SSSE3 uint8_t* ReconstructBlock(const int16_t* Coef, uint8_t* Dst, int QStep) {
    static const TDequantRows dequant;
    const __m128i m[2] = {Load(dequant.Row[QStep]), Load(dequant.Row[QStep] + 8)};
    const int shift = 2 + (QStep + 4) / 6;
    for (int row = 0; row < 4; ++row) {
        __m128i sub[4][4];
        for (int col = 0; col < 4; ++col)
            ReconstructSubBlock(Coef + 16 * (4 * row + col), m, shift, sub[col]);
        for (int y = 0; y < 4; ++y) {
            const __m128i left =
                _mm_packs_epi32(_mm_srai_epi32(sub[0][y], 8), _mm_srai_epi32(sub[1][y], 8));
            const __m128i right =
                _mm_packs_epi32(_mm_srai_epi32(sub[2][y], 8), _mm_srai_epi32(sub[3][y], 8));
            Store(Dst + 64 * row + 16 * y, _mm_packus_epi16(left, right));
        }
    }
    return Dst + kPlaneBlockBytes;
}

const TCodecKernels kSsse3Kernels = {
    BgraBlockToYuv, Yuy2BlockToYuv, BgraToYuy2,       Yuy2ToYuv444, Yuv444ToBgra,
    YuvBlockToBgra, EncodeBlock,    ReconstructBlock, BlocksEqual,
};

} // namespace

const TCodecKernels* Ssse3CodecKernels() {
    return __builtin_cpu_supports("ssse3") ? &kSsse3Kernels : nullptr;
}

#else

const TCodecKernels* Ssse3CodecKernels() {
    return nullptr;
}

#endif
