#include "media/UVideoCodec_obj.h"

#include <algorithm>
#include <cstring>

const uint8_t kScanOrder[16] = {0, 1, 4, 8, 5, 2, 3, 6, 9, 12, 13, 10, 7, 11, 14, 15};

namespace {

// Quantiser base rows (QStep mod 6); each further 6 steps halve every entry.
constexpr int kQuantBase[6][16] = {
    {2048, 1310, 1638, 749, 1310, 671, 749, 419, 1638, 749, 1024, 566, 749, 419, 566, 319},
    {1820, 1139, 1456, 651, 1139, 578, 651, 361, 1456, 651, 910, 492, 651, 361, 492, 275},
    {1638, 1008, 1310, 576, 1008, 524, 576, 327, 1310, 576, 819, 436, 576, 327, 436, 249},
    {1489, 936, 1191, 535, 936, 466, 535, 291, 1191, 535, 744, 404, 535, 291, 404, 221},
    {1260, 819, 1008, 468, 819, 419, 468, 262, 1008, 468, 630, 354, 468, 262, 354, 199},
    {1170, 728, 936, 416, 728, 364, 416, 227, 936, 416, 585, 314, 416, 227, 314, 173},
};

// Dequantiser rows (QStep mod 6); the growth with QStep comes from the shift.
constexpr int kDequant[6][16] = {
    {256, 320, 320, 560, 320, 500, 560, 800, 320, 560, 512, 740, 560, 800, 740, 1050},
    {288, 368, 360, 644, 368, 580, 644, 928, 360, 644, 576, 851, 644, 928, 851, 1218},
    {160, 208, 200, 364, 208, 320, 364, 512, 200, 364, 320, 481, 364, 512, 481, 672},
    {176, 224, 220, 392, 224, 360, 392, 576, 220, 392, 352, 518, 392, 576, 518, 756},
    {208, 256, 260, 448, 256, 400, 448, 640, 260, 448, 416, 592, 448, 640, 592, 840},
    {224, 288, 280, 504, 288, 460, 504, 736, 280, 504, 448, 666, 504, 736, 666, 966},
};

uint8_t Clamp255(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

uint8_t LumaOf(int b, int g, int r) {
    return static_cast<uint8_t>(((23 * r + 79 * g + 8 * b) >> 7) + 16);
}
uint8_t CbOf(int b, int g, int r) {
    return static_cast<uint8_t>(((-26 * r - 86 * g + 112 * b) >> 8) + 128);
}
uint8_t CrOf(int b, int g, int r) {
    return static_cast<uint8_t>(((112 * r - 102 * g - 10 * b) >> 8) + 128);
}

void YuvToBgraPixel(int y, int cb, int cr, uint8_t* dst) {
    const int yt = (y * 257 * 18997) >> 16;
    dst[0] = Clamp255((yt + 128 * cb - 17544) >> 6);
    dst[1] = Clamp255((yt - 14 * cb - 34 * cr + 4984) >> 6);
    dst[2] = Clamp255((yt + 115 * cr - 15880) >> 6);
    dst[3] = 255;
}

void ScalarBgraBlockToYuv(const uint8_t* Src, uint8_t* Dst, int SrcStride) {
    for (int y = 0; y < 16; ++y) {
        const uint8_t* s = Src + y * SrcStride;
        for (int x = 0; x < 16; ++x, s += 4) {
            Dst[16 * y + x] = LumaOf(s[0], s[1], s[2]);
            Dst[256 + 16 * y + x] = CbOf(s[0], s[1], s[2]);
            Dst[512 + 16 * y + x] = CrOf(s[0], s[1], s[2]);
        }
    }
}

void ScalarYuy2ToYuv444(const uint8_t* Src, uint8_t* Dst, int Stride) {
    for (int pair = 0; pair < 8; ++pair) {
        const uint8_t* s = Src + 4 * pair;
        Dst[2 * pair] = s[0];
        Dst[2 * pair + 1] = s[2];
        Dst[Stride + 2 * pair] = Dst[Stride + 2 * pair + 1] = s[1];
        Dst[2 * Stride + 2 * pair] = Dst[2 * Stride + 2 * pair + 1] = s[3];
    }
}

void ScalarYuy2BlockToYuv(const uint8_t* Src, uint8_t* Dst, int SrcStride) {
    for (int y = 0; y < 16; ++y)
        ScalarYuy2ToYuv444(Src + y * SrcStride, Dst + 16 * y, kPlaneBlockBytes);
}

void ScalarBgraToYuy2(const uint8_t* Src, uint8_t* Dst) {
    for (int pair = 0; pair < 8; ++pair) {
        const uint8_t* l = Src + 8 * pair;
        const uint8_t* r = l + 4;
        uint8_t* d = Dst + 4 * pair;
        d[0] = LumaOf(l[0], l[1], l[2]);
        d[1] = static_cast<uint8_t>((CbOf(l[0], l[1], l[2]) + CbOf(r[0], r[1], r[2]) + 1) >> 1);
        d[2] = LumaOf(r[0], r[1], r[2]);
        d[3] = static_cast<uint8_t>((CrOf(l[0], l[1], l[2]) + CrOf(r[0], r[1], r[2]) + 1) >> 1);
    }
}

void ScalarYuv444ToBgra(const uint8_t* Src, uint8_t* Dst, int Stride) {
    for (int i = 0; i < 16; ++i)
        YuvToBgraPixel(Src[i], Src[Stride + i], Src[2 * Stride + i], Dst + 4 * i);
}

void ScalarYuvBlockToBgra(const uint8_t* Src, uint8_t* Dst, int DstStride) {
    for (int y = 0; y < 16; ++y)
        ScalarYuv444ToBgra(Src + 16 * y, Dst + y * DstStride, kPlaneBlockBytes);
}

// Forward core transform X = C·P·Cᵀ of the sub-block at Src (stride 16), quantised; Z in
// raster order 4v + h, v the vertical frequency (down the rows) and h the horizontal one.
void QuantisedTransform(const uint8_t* Src, int QStep, int Z[16]) {
    static constexpr int C[4][4] = {{1, 1, 1, 1}, {2, 1, -1, -2}, {1, -1, -1, 1}, {1, -2, 2, -1}};
    int t[4][4]; // C·P: vertical frequency v, column x
    for (int v = 0; v < 4; ++v)
        for (int x = 0; x < 4; ++x) {
            int s = 0;
            for (int y = 0; y < 4; ++y)
                s += C[v][y] * Src[16 * y + x];
            t[v][x] = s;
        }
    for (int v = 0; v < 4; ++v)
        for (int h = 0; h < 4; ++h) {
            int s = 0;
            for (int x = 0; x < 4; ++x)
                s += t[v][x] * C[h][x];
            const int index = 4 * v + h;
            Z[index] = (s * QuantiserEntry(QStep, index) + 16384) >> 15;
        }
}

void PutInt16(uint8_t* p, int v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

uint8_t* ScalarEncodeBlock(const uint8_t* Src, uint8_t* Out, int QStep, TSliceCounters& Work) {
    int16_t coef[256];
    for (int k = 0; k < 16; ++k) {
        int z[16];
        QuantisedTransform(Src + 64 * (k / 4) + 4 * (k % 4), QStep, z);
        for (int p = 0; p < 16; ++p)
            coef[16 * k + p] = static_cast<int16_t>(z[kScanOrder[p]]);
    }
    return WriteBlockRecord(coef, Out, Work);
}

// The doubled inverse core transform of four values.
void InverseCore(int a0, int a1, int a2, int a3, int out[4]) {
    out[0] = 2 * a0 + 2 * a1 + 2 * a2 + a3;
    out[1] = 2 * a0 + a1 - 2 * a2 - 2 * a3;
    out[2] = 2 * a0 - a1 - 2 * a2 + 2 * a3;
    out[3] = 2 * a0 - 2 * a1 + 2 * a2 - a3;
}

uint8_t* ScalarReconstructBlock(const int16_t* Coef, uint8_t* Dst, int QStep) {
    const int shift = 2 + (QStep + 4) / 6;
    for (int k = 0; k < 16; ++k) {
        int d[16];
        for (int p = 0; p < 16; ++p) {
            const int index = kScanOrder[p];
            d[index] = (Coef[16 * k + p] * DequantiserEntry(QStep, index) * (1 << shift)) >> 4;
        }
        // Columns first: e[h][y] combines the vertical frequencies of column h.
        int e[4][4];
        for (int h = 0; h < 4; ++h)
            InverseCore(d[h], d[4 + h], d[8 + h], d[12 + h], e[h]);
        uint8_t* dst = Dst + 64 * (k / 4) + 4 * (k % 4);
        for (int y = 0; y < 4; ++y) {
            int row[4];
            InverseCore(e[0][y], e[1][y], e[2][y], e[3][y], row);
            for (int x = 0; x < 4; ++x)
                dst[16 * y + x] = Clamp255(row[x] >> 8);
        }
    }
    return Dst + kPlaneBlockBytes;
}

bool ScalarBlocksEqual(const uint8_t* A, const uint8_t* B) {
    return std::memcmp(A, B, kPlaneBlockBytes) == 0;
}

const TCodecKernels kScalarKernels = {
    ScalarBgraBlockToYuv, ScalarYuy2BlockToYuv,   ScalarBgraToYuy2,
    ScalarYuy2ToYuv444,   ScalarYuv444ToBgra,     ScalarYuvBlockToBgra,
    ScalarEncodeBlock,    ScalarReconstructBlock, ScalarBlocksEqual,
};

} // namespace

uint8_t* WriteBlockRecord(const int16_t* Coef, uint8_t* Out, TSliceCounters& Work) {
    uint8_t* const start = Out;
    bool anyAc = false, sameDc = true;
    for (int k = 0; k < 16; ++k) {
        const int16_t* z = Coef + 16 * k;
        uint8_t* countPos = Out;
        if (k == 0) {
            PutInt16(Out + 1, z[0]);
            ++Work.FirstDC[z[0]];
        } else {
            const int diff = z[0] - Coef[16 * ((k % 4) ? k - 1 : k - 4)];
            PutInt16(Out + 1, diff);
            ++Work.DcDiff[diff + 255];
            sameDc = sameDc && z[0] == Coef[0];
        }
        Out += 3;
        int count = 1, last = 0;
        for (int p = 1; p < 16; ++p) {
            if (z[p] == 0)
                continue;
            Out[0] = static_cast<uint8_t>(p - last);
            Out[1] = static_cast<uint8_t>(z[p]);
            ++Work.Run[p - last];
            ++Work.Level[Out[1]];
            Out += 2;
            last = p;
            ++count;
        }
        anyAc = anyAc || count > 1;
        *countPos = static_cast<uint8_t>(count);
        ++Work.Count[count];
    }
    if (Coef[0] == 0 || anyAc || !sameDc)
        return Out;
    // Flat: one DC for the whole block; take back the counts of its 16 sub-block records.
    Work.Count[1] -= 16;
    Work.DcDiff[255] -= 15;
    start[0] = kBlockFlat;
    start[1] = static_cast<uint8_t>(Coef[0]);
    return start + 2;
}

int QuantiserEntry(int QStep, int Index) {
    return kQuantBase[QStep % 6][Index] >> (QStep / 6);
}

int DequantiserEntry(int QStep, int Index) {
    return kDequant[QStep % 6][Index];
}

const TCodecKernels& ScalarCodecKernels() {
    return kScalarKernels;
}

const TCodecKernels& CodecKernels() {
    static const TCodecKernels& active =
        Ssse3CodecKernels() ? *Ssse3CodecKernels() : ScalarCodecKernels();
    return active;
}
