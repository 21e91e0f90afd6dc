// Entropy layer of the screen-video codec: the deterministic code build, the slice layout and
// the bounded table and row decoders.
#include "media/UVideoCodec_Huffman.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

std::vector<TCodeEntry> Build(const std::vector<uint32_t>& freq) {
    std::vector<TCodeEntry> codes(freq.size(), TCodeEntry{0, 0});
    BuildHuffmanCodes(freq.data(), static_cast<int>(freq.size()) - 1, codes.data());
    return codes;
}

TEST(ScreenVideoHuffman, WorkedExampleCodes) {
    const auto codes = Build({0, 5, 5, 3, 1, 0, 1});
    const std::pair<uint32_t, uint32_t> expected[] = {{0, 0},  {1, 1}, {0, 2}, {2, 3},
                                                      {14, 4}, {0, 0}, {6, 4}};
    for (std::size_t s = 0; s < codes.size(); ++s) {
        EXPECT_EQ(codes[s].Code, expected[s].first) << "symbol " << s;
        EXPECT_EQ(codes[s].Length, expected[s].second) << "symbol " << s;
    }
}

TEST(ScreenVideoHuffman, SingleSymbolAndTies) {
    const auto single = Build({0, 0, 9});
    EXPECT_EQ(single[2].Code, 0u);
    EXPECT_EQ(single[2].Length, 1u);
    // Equal frequencies keep ascending symbol order: the later symbol is the last leaf (child0).
    const auto tie = Build({0, 16, 0, 0, 0, 16});
    EXPECT_EQ(tie[5].Code, 0u);
    EXPECT_EQ(tie[1].Code, 1u);
    // Leaf 2 against the first node of weight 2: the node is taken first (child1).
    const auto nodeFirst = Build({1, 1, 2});
    EXPECT_EQ(nodeFirst[2].Length, 1u);
    EXPECT_EQ(nodeFirst[2].Code, 0u);
}

TEST(ScreenVideoHuffman, OverlongCodesFallBackToFixedLength) {
    std::vector<uint32_t> freq(40);
    uint32_t a = 1, b = 1;
    for (uint32_t& f : freq) {
        f = a;
        const uint32_t next = a + b;
        a = b, b = next;
    }
    const auto codes = Build(freq);
    for (std::size_t s = 0; s < freq.size(); ++s) {
        EXPECT_EQ(codes[s].Length, 6u);
        EXPECT_EQ(codes[s].Code, s);
    }
}

// Symbol records of one row of MbsPerRow macroblocks: Flat blocks of value 77 where given,
// unchanged elsewhere.
std::vector<uint8_t> Records(const std::vector<bool>& flat) {
    std::vector<uint8_t> r;
    for (bool f : flat) {
        if (f)
            r.insert(r.end(), {kBlockFlat, 77});
        else
            r.push_back(kBlockUnchanged);
    }
    return r;
}

struct EncodedSlice {
    std::vector<uint8_t> bytes;
    int size;
};

EncodedSlice Encode(const std::vector<uint8_t>& records, int rows, int mbsPerRow) {
    TSliceWorkHeader work{};
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i] == kBlockFlat)
            ++work.Counters.FirstDC[records[++i]];
    BuildSliceCodes(work);
    EncodedSlice s{std::vector<uint8_t>(MaxSliceBytes(rows, mbsPerRow)), 0};
    s.size = EncodeSlice(work.Codes, records.data(), s.bytes.data(), rows, mbsPerRow);
    return s;
}

TEST(ScreenVideoSlice, UnchangedSliceIsNineteenBytesPlusRowSizes) {
    const int rows = 3, mbs = 5;
    const EncodedSlice s = Encode(std::vector<uint8_t>(rows * mbs * 3, kBlockUnchanged), rows, mbs);
    ASSERT_EQ(s.size, 19 + 4 * rows);
    const TSliceHeader h = ReadSliceHeader(s.bytes.data());
    EXPECT_EQ(h.SliceSize, s.size);
    EXPECT_EQ(h.Rows, rows);
    EXPECT_EQ(h.MbsPerRow, mbs);
    for (uint8_t len : h.MaxLen)
        EXPECT_EQ(len, 0);
    for (int i = 19; i < s.size; ++i)
        EXPECT_EQ(s.bytes[i], 0);
}

TEST(ScreenVideoSlice, RowSizeCountsTheByteOfTheLastBitAndOneMoreOnWholeBytes) {
    // One flat block costs 2 + 1 bits (a single table-2 symbol has length 1), others 1 bit.
    struct Case {
        int mbs;
        std::vector<bool> flat;
        int bits;
    };
    const Case cases[] = {
        {4, {true, true, false, false, false, false, false, false, false, false, false, false}, 16},
        {5,
         {true, false, false, false, false, false, false, false, false, false, false, false, false,
          false, false},
         17},
    };
    for (const Case& c : cases) {
        const EncodedSlice s = Encode(Records(c.flat), 1, c.mbs);
        // Tables: counts 1 + 1, table 2 with one 6-byte entry, count 2 and count 1.
        const int rowSizes = 13 + 1 + 1 + 1 + 6 + 2 + 1;
        int32_t rowSize;
        std::memcpy(&rowSize, s.bytes.data() + rowSizes, 4);
        EXPECT_EQ(rowSize, c.bits / 8 + 1) << c.bits << " bits";
        EXPECT_EQ(s.size, rowSizes + 4 + rowSize);
    }
}

// Parses the coefficient blocks that a row's symbol records stand for (scan order).
std::vector<int16_t> CoefficientsOf(const uint8_t* s, int blocks) {
    std::vector<int16_t> coef(256 * blocks, 0);
    for (int b = 0; b < blocks; ++b) {
        int16_t* c = coef.data() + 256 * b;
        if (s[0] == kBlockFlat) {
            for (int k = 0; k < 16; ++k)
                c[16 * k] = s[1];
            s += 2;
            continue;
        }
        int dcs[16];
        for (int k = 0; k < 16; ++k) {
            const int count = s[0];
            const int field = int16_t(s[1] | (s[2] << 8));
            dcs[k] = k == 0 ? field : dcs[k % 4 ? k - 1 : k - 4] + field;
            c[16 * k] = static_cast<int16_t>(dcs[k]);
            s += 3;
            int pos = 0;
            for (int p = 1; p < count; ++p, s += 2)
                pos += s[0], c[16 * k + pos] = int8_t(s[1]);
        }
    }
    return coef;
}

struct DecodedRow {
    std::vector<uint8_t> slice;
    std::vector<uint8_t> records;
    int blocks;
};

// A one-row slice of random plane blocks coded at QStep 4.
DecodedRow RandomRow(int mbs, unsigned seed) {
    std::mt19937 rng(seed);
    DecodedRow row{{}, std::vector<uint8_t>(mbs * kMaxMacroblockSymbolBytes), mbs * 3};
    TSliceWorkHeader work{};
    uint8_t* out = row.records.data();
    for (int b = 0; b < row.blocks; ++b) {
        alignas(16) uint8_t block[256];
        for (int i = 0; i < 256; ++i)
            block[i] = static_cast<uint8_t>(b % 3 == 2 ? 90 : (i * (b + 1) + rng() % 40) % 256);
        out = ScalarCodecKernels().EncodeBlock(block, out, 4, work.Counters);
    }
    BuildSliceCodes(work);
    row.slice.resize(MaxSliceBytes(1, mbs));
    row.slice.resize(EncodeSlice(work.Codes, row.records.data(), row.slice.data(), 1, mbs));
    return row;
}

TEST(ScreenVideoSlice, RowsDecodeToTheCodedCoefficients) {
    const DecodedRow row = RandomRow(3, 1);
    TSliceTables tables;
    const long rowSizes = tables.Read(row.slice.data(), row.slice.size());
    ASSERT_GT(rowSizes, 0);
    int32_t rowSize;
    std::memcpy(&rowSize, row.slice.data() + rowSizes, 4);
    ASSERT_EQ(rowSizes + 4 + rowSize, long(row.slice.size()));
    std::vector<int16_t> coef(256 * row.blocks, 999);
    ASSERT_TRUE(
        DecodeRow(row.slice.data() + rowSizes + 4, rowSize, coef.data(), tables, row.blocks));
    EXPECT_EQ(coef, CoefficientsOf(row.records.data(), row.blocks));
}

TEST(ScreenVideoSlice, UnchangedBlocksKeepTheirCoefficients) {
    // Flat, unchanged, flat: the middle block keeps what it held.
    const std::vector<uint8_t> records = {kBlockFlat, 77, kBlockUnchanged, kBlockFlat, 77};
    const EncodedSlice s = Encode(records, 1, 1);
    TSliceTables tables;
    const long rowSizes = tables.Read(s.bytes.data(), s.size);
    ASSERT_GT(rowSizes, 0);
    std::vector<int16_t> coef(256 * 3, 5);
    ASSERT_TRUE(
        DecodeRow(s.bytes.data() + rowSizes + 4, s.size - rowSizes - 4, coef.data(), tables, 3));
    EXPECT_EQ(coef[0], 77);
    EXPECT_EQ(coef[1], 0);
    EXPECT_EQ(coef[256], 5);
    EXPECT_EQ(coef[511], 5);
    EXPECT_EQ(coef[512 + 16], 77);
}

// Damaged code tables are refused; damaged rows are refused without reading or writing
// outside their buffers (the sanitizers watch).
TEST(ScreenVideoSlice, DamagedTablesAndRowsAreRefused) {
    const DecodedRow row = RandomRow(2, 3);
    TSliceTables tables;
    const long rowSizes = tables.Read(row.slice.data(), row.slice.size());
    ASSERT_GT(rowSizes, 0);
    const int table0 = 13;
    struct Damage {
        const char* what;
        int offset;
        uint8_t value;
    };
    const Damage tableDamage[] = {
        {"MaxLen above the limit", 8, kMaxCodeLength + 1},
        {"codes but MaxLen 0", 8, 0},
        {"length above MaxLen", table0 + 1 + 5, 40},
        {"length 0", table0 + 1 + 5, 0},
        {"code wider than its length", table0 + 1 + 4, 0xFF},
        {"symbol outside the alphabet", table0 + 1, 17},
        {"count past the slice", table0, 250},
    };
    for (const Damage& d : tableDamage) {
        std::vector<uint8_t> bad = row.slice;
        bad[d.offset] = d.value;
        TSliceTables t;
        EXPECT_EQ(t.Read(bad.data(), bad.size()), -1) << d.what;
    }
    for (std::size_t cut : {std::size_t(14), std::size_t(40), std::size_t(rowSizes - 1)}) {
        TSliceTables t;
        EXPECT_EQ(t.Read(row.slice.data(), cut), -1) << "cut at " << cut;
    }
    // Overlapping codes: give the second table-0 entry the first one's code and length.
    std::vector<uint8_t> overlap = row.slice;
    if (overlap[table0] >= 2) {
        std::memcpy(overlap.data() + table0 + 1 + 6 + 1, overlap.data() + table0 + 1 + 1, 5);
        TSliceTables t;
        EXPECT_EQ(t.Read(overlap.data(), overlap.size()), -1);
    }

    int32_t rowSize;
    std::memcpy(&rowSize, row.slice.data() + rowSizes, 4);
    const uint8_t* bits = row.slice.data() + rowSizes + 4;
    std::vector<int16_t> coef(256 * row.blocks);
    for (int32_t shorter = 0; shorter < rowSize; shorter += 7) {
        std::vector<uint8_t> cut(bits, bits + shorter); // exactly sized: no slack
        EXPECT_FALSE(DecodeRow(cut.data(), cut.size(), coef.data(), tables, row.blocks));
    }
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> noisy(bits, bits + rowSize);
        for (int flips = 0; flips < 4; ++flips)
            noisy[rng() % noisy.size()] ^= static_cast<uint8_t>(1 << (rng() % 8));
        DecodeRow(noisy.data(), noisy.size(), coef.data(), tables, row.blocks);
    }
}

} // namespace
