// Signal layer of the screen-video codec: colour conversion, transform, quantiser, symbol
// records and reconstruction, with the SIMD kernels checked against the scalar reference.
#include "media/UVideoCodec_obj.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

const TCodecKernels& Scalar() {
    return ScalarCodecKernels();
}

struct ColourCase {
    std::array<uint8_t, 3> bgr;
    std::array<uint8_t, 3> yCbCr;
    std::array<uint8_t, 3> back;
};

TEST(ScreenVideoColour, ConvertsToPlanesAndBack) {
    const ColourCase cases[] = {
        {{0, 0, 0}, {16, 128, 128}, {0, 0, 0}},
        {{255, 255, 255}, {235, 128, 128}, {255, 255, 255}},
        {{128, 128, 128}, {126, 128, 128}, {128, 128, 128}},
        {{1, 1, 1}, {16, 128, 128}, {0, 0, 0}},
    };
    for (const ColourCase& c : cases) {
        std::vector<uint8_t> bgra(16 * 16 * 4);
        for (std::size_t i = 0; i < bgra.size(); i += 4)
            bgra[i] = c.bgr[0], bgra[i + 1] = c.bgr[1], bgra[i + 2] = c.bgr[2], bgra[i + 3] = 7;
        alignas(16) uint8_t planes[kMacroblockBytes];
        Scalar().BgraBlockToYuv(bgra.data(), planes, 64);
        EXPECT_EQ(planes[0], c.yCbCr[0]);
        EXPECT_EQ(planes[256], c.yCbCr[1]);
        EXPECT_EQ(planes[512], c.yCbCr[2]);
        std::vector<uint8_t> out(16 * 16 * 4);
        Scalar().YuvBlockToBgra(planes, out.data(), 64);
        EXPECT_EQ((std::array<uint8_t, 4>{out[0], out[1], out[2], out[3]}),
                  (std::array<uint8_t, 4>{c.back[0], c.back[1], c.back[2], 255}));
    }
}

TEST(ScreenVideoColour, SaturatedColoursAndExtremePlaneValues) {
    struct Case {
        uint8_t y, cb, cr;
        std::array<uint8_t, 4> bgra;
    };
    const Case cases[] = {{255, 255, 255, {255, 183, 255, 255}}, {0, 0, 0, {0, 77, 0, 255}}};
    for (const Case& c : cases) {
        uint8_t src[48];
        std::memset(src, c.y, 16), std::memset(src + 16, c.cb, 16), std::memset(src + 32, c.cr, 16);
        uint8_t out[64];
        Scalar().Yuv444ToBgra(src, out, 16);
        EXPECT_EQ((std::array<uint8_t, 4>{out[60], out[61], out[62], out[63]}), c.bgra);
    }
    // Pure blue and pure red do not survive: B 239 and R 252 come back.
    uint8_t blue[64] = {}, red[64] = {};
    for (int i = 0; i < 16; ++i)
        blue[4 * i] = 255, red[4 * i + 2] = 255;
    uint8_t yuy2[32], planes[48], out[64];
    for (auto [src, channel, expected] : {std::tuple{blue, 0, 239}, std::tuple{red, 2, 252}}) {
        Scalar().BgraToYuy2(src, yuy2);
        Scalar().Yuy2ToYuv444(yuy2, planes, 16);
        Scalar().Yuv444ToBgra(planes, out, 16);
        EXPECT_EQ(out[channel], expected);
    }
}

TEST(ScreenVideoColour, Yuy2PairsShareChroma) {
    const uint8_t yuy2[32] = {10, 20, 30, 40, 50, 60, 70, 80};
    uint8_t planes[48] = {};
    Scalar().Yuy2ToYuv444(yuy2, planes, 16);
    EXPECT_EQ((std::array<uint8_t, 4>{planes[0], planes[1], planes[2], planes[3]}),
              (std::array<uint8_t, 4>{10, 30, 50, 70}));
    EXPECT_EQ(planes[16], 20);
    EXPECT_EQ(planes[17], 20);
    EXPECT_EQ(planes[33], 40);
    EXPECT_EQ(planes[34], 80);
}

std::array<uint8_t, 256> UniformBlock(uint8_t value) {
    std::array<uint8_t, 256> block;
    block.fill(value);
    return block;
}

// The scalar reference and, where the processor has them, the SIMD kernels.
std::vector<const TCodecKernels*> AllKernels() {
    std::vector<const TCodecKernels*> all{&Scalar()};
    if (const TCodecKernels* simd = Ssse3CodecKernels())
        all.push_back(simd);
    return all;
}

// A plane block whose every sub-block holds ramp[i] at row y, column x with i = x for a
// horizontal ramp (each row reads 16, 32, 48, 64) and i = y for a vertical one.
std::array<uint8_t, 256> RampBlock(const uint8_t ramp[4], bool horizontal) {
    std::array<uint8_t, 256> block;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            block[16 * y + x] = ramp[horizontal ? x % 4 : y % 4];
    return block;
}

// A sub-block whose rows are 16, 32, 48, 64: X(0,0) = 640, X(0,1) = -448, X(0,3) = -64, so
// at QStep 0 the DC is 40, Z(0,1) (scan position 1) is -18 and Z(0,3) (position 6) is -1; it
// reconstructs as rows of 16, 30, 49, 63. The vertical ramp is its transpose: X(1,0) and X(3,0)
// at scan positions 2 and 9.
TEST(ScreenVideoBlock, WorkedRampExamples) {
    const uint8_t ramp[4] = {16, 32, 48, 64};
    const uint8_t rebuiltRamp[4] = {16, 30, 49, 63};
    struct Case {
        bool horizontal;
        uint8_t runs[2];
        int positions[2];
    };
    const Case cases[] = {{true, {1, 5}, {1, 6}}, {false, {2, 7}, {2, 9}}};
    for (const TCodecKernels* kernels : AllKernels())
        for (const Case& c : cases) {
            SCOPED_TRACE(c.horizontal ? "horizontal ramp" : "vertical ramp");
            alignas(16) const auto block = RampBlock(ramp, c.horizontal);
            TSliceCounters counters{};
            uint8_t out[kMaxBlockSymbolBytes];
            const uint8_t* end = kernels->EncodeBlock(block.data(), out, 0, counters);
            ASSERT_EQ(end - out, 16 * 7);
            const uint8_t first[7] = {3, 40, 0, c.runs[0], uint8_t(-18), c.runs[1], uint8_t(-1)};
            EXPECT_EQ(0, std::memcmp(out, first, 7));
            const uint8_t others[7] = {3, 0, 0, c.runs[0], uint8_t(-18), c.runs[1], uint8_t(-1)};
            for (int k = 1; k < 16; ++k)
                EXPECT_EQ(0, std::memcmp(out + 7 * k, others, 7)) << "sub-block " << k;
            EXPECT_EQ(counters.Count[3], 16u);
            EXPECT_EQ(counters.FirstDC[40], 1u);
            EXPECT_EQ(counters.DcDiff[255], 15u);
            EXPECT_EQ(counters.Run[c.runs[0]], 16u);
            EXPECT_EQ(counters.Run[c.runs[1]], 16u);
            EXPECT_EQ(counters.Level[uint8_t(-18)], 16u);
            EXPECT_EQ(counters.Level[255], 16u);

            alignas(16) int16_t coef[256] = {};
            for (int k = 0; k < 16; ++k) {
                coef[16 * k] = 40;
                coef[16 * k + c.positions[0]] = -18;
                coef[16 * k + c.positions[1]] = -1;
            }
            alignas(16) uint8_t rebuilt[256];
            kernels->ReconstructBlock(coef, rebuilt, 0);
            EXPECT_EQ(0, std::memcmp(rebuilt, RampBlock(rebuiltRamp, c.horizontal).data(), 256));
        }
}

TEST(ScreenVideoBlock, UniformBlocksAreFlatUnlessTheirDcIsZero) {
    struct Case {
        uint8_t value;
        int qstep;
        int recordBytes;
        int dc;
    };
    const Case cases[] = {{200, 0, 2, 200}, {77, 6, 2, 39}, {28, 35, 48, 0},
                          {29, 35, 2, 1},   {0, 0, 48, 0},  {16, 35, 48, 0}};
    for (const Case& c : cases) {
        const auto block = UniformBlock(c.value);
        TSliceCounters counters{};
        uint8_t out[kMaxBlockSymbolBytes];
        const int bytes =
            static_cast<int>(Scalar().EncodeBlock(block.data(), out, c.qstep, counters) - out);
        ASSERT_EQ(bytes, c.recordBytes) << int(c.value) << " at " << c.qstep;
        if (bytes == 2) {
            EXPECT_EQ(out[0], kBlockFlat);
            EXPECT_EQ(out[1], c.dc);
            EXPECT_EQ(counters.FirstDC[c.dc], 1u);
            EXPECT_EQ(counters.Count[1], 0u);
            EXPECT_EQ(counters.DcDiff[255], 0u);
        } else {
            for (int k = 0; k < 16; ++k)
                EXPECT_EQ(out[3 * k], 1); // Count 1, zero DC and difference
            EXPECT_EQ(counters.Count[1], 16u);
            EXPECT_EQ(counters.DcDiff[255], 15u);
        }
    }
}

TEST(ScreenVideoBlock, UniformBlocksReconstructExactlyAtQStepZero) {
    for (int p : {0, 1, 16, 127, 128, 235, 255}) {
        alignas(16) int16_t coef[256] = {};
        for (int k = 0; k < 16; ++k)
            coef[16 * k] = static_cast<int16_t>(p);
        alignas(16) uint8_t out[256];
        Scalar().ReconstructBlock(coef, out, 0);
        for (uint8_t v : out)
            ASSERT_EQ(v, p);
    }
}

TEST(ScreenVideoBlock, DcPredictionUsesLeftNeighbourOrTheRowAbove) {
    // Sub-block k uniform with value 16 + 8k: its quantised DC at QStep 0 is the value.
    std::array<uint8_t, 256> block;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            block[16 * y + x] = static_cast<uint8_t>(16 + 8 * ((y / 4) * 4 + x / 4));
    TSliceCounters counters{};
    uint8_t out[kMaxBlockSymbolBytes];
    ASSERT_EQ(Scalar().EncodeBlock(block.data(), out, 0, counters) - out, 48);
    for (int k = 1; k < 16; ++k) {
        const int diff = static_cast<int16_t>(out[3 * k + 1] | (out[3 * k + 2] << 8));
        EXPECT_EQ(diff, k % 4 ? 8 : 32) << "sub-block " << k;
    }
}

TEST(ScreenVideoQuantiser, RowsHalveEverySixStepsAndDecrease) {
    for (int index = 0; index < 16; ++index) {
        for (int q = 6; q <= kMaxQStep; ++q)
            EXPECT_EQ(QuantiserEntry(q, index), QuantiserEntry(q - 6, index) / 2);
        for (int q = 1; q <= kMaxQStep; ++q)
            EXPECT_LE(QuantiserEntry(q, index), QuantiserEntry(q - 1, index));
    }
    EXPECT_EQ(QuantiserEntry(0, 0), 2048);
    EXPECT_EQ(DequantiserEntry(7, 15), 1218);
}

// Every SIMD kernel gives the scalar kernel's result on random input, every QStep.
TEST(ScreenVideoSimd, MatchesScalarReference) {
    const TCodecKernels* simd = Ssse3CodecKernels();
    if (!simd)
        GTEST_SKIP() << "no SSSE3";
    std::mt19937 rng(7);
    auto random = [&](std::vector<uint8_t>& v) {
        for (uint8_t& b : v)
            b = static_cast<uint8_t>(rng());
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> src(16 * 80 + 64), a(1024), b(1024);
        random(src);
        alignas(16) uint8_t pa[kMacroblockBytes], pb[kMacroblockBytes];
        Scalar().BgraBlockToYuv(src.data() + 1, pa, 80);
        simd->BgraBlockToYuv(src.data() + 1, pb, 80);
        ASSERT_EQ(0, std::memcmp(pa, pb, sizeof pa));
        Scalar().Yuy2BlockToYuv(src.data(), pa, 64);
        simd->Yuy2BlockToYuv(src.data(), pb, 64);
        ASSERT_EQ(0, std::memcmp(pa, pb, sizeof pa));
        Scalar().BgraToYuy2(src.data() + 3, a.data());
        simd->BgraToYuy2(src.data() + 3, b.data());
        ASSERT_EQ(0, std::memcmp(a.data(), b.data(), 32));
        Scalar().Yuy2ToYuv444(src.data(), a.data(), 16);
        simd->Yuy2ToYuv444(src.data(), b.data(), 16);
        ASSERT_EQ(0, std::memcmp(a.data(), b.data(), 48));
        Scalar().Yuv444ToBgra(src.data(), a.data() + 1, 16);
        simd->Yuv444ToBgra(src.data(), b.data() + 1, 16);
        ASSERT_EQ(0, std::memcmp(a.data(), b.data(), 80));
        std::vector<uint8_t> wa(16 * 68), wb(16 * 68);
        Scalar().YuvBlockToBgra(pa, wa.data(), 68);
        simd->YuvBlockToBgra(pa, wb.data(), 68);
        ASSERT_EQ(wa, wb);

        const int qstep = round % (kMaxQStep + 1);
        // Smooth blocks give few coefficients, noisy ones many.
        for (int i = 0; i < 256; ++i)
            pa[i] = round % 2 ? pa[i] : static_cast<uint8_t>(pa[0] / 2 + i / 4);
        TSliceCounters ca{}, cb{};
        uint8_t ra[kMaxBlockSymbolBytes], rb[kMaxBlockSymbolBytes];
        const auto ea = Scalar().EncodeBlock(pa, ra, qstep, ca) - ra;
        const auto eb = simd->EncodeBlock(pa, rb, qstep, cb) - rb;
        ASSERT_EQ(ea, eb);
        ASSERT_EQ(0, std::memcmp(ra, rb, ea));
        ASSERT_EQ(0, std::memcmp(&ca, &cb, sizeof ca));

        alignas(16) int16_t coef[256];
        for (int i = 0; i < 256; ++i)
            coef[i] = static_cast<int16_t>(i % 16 == 0                  ? rng() % 256
                                           : (i / 16) % (round % 3 + 1) ? 0 // DC only
                                                                        : int8_t(rng()));
        alignas(16) uint8_t oa[256], ob[256];
        Scalar().ReconstructBlock(coef, oa, qstep);
        simd->ReconstructBlock(coef, ob, qstep);
        ASSERT_EQ(0, std::memcmp(oa, ob, 256)) << "qstep " << qstep;

        std::memcpy(pb, pa, 256);
        EXPECT_TRUE(simd->BlocksEqual(pa, pb));
        pb[rng() % 256] ^= 1;
        EXPECT_FALSE(simd->BlocksEqual(pa, pb));
    }
}

} // namespace
