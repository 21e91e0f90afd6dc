#pragma once
// Entropy layer of the screen-video codec: the five Huffman code tables of a slice, the slice
// payload and its least-significant-bit-first row bit data, and the bounded decoders of both.
//
// Slice payload (little-endian): Int32 SliceSize, UInt16 Rows, UInt16 MbsPerRow, UInt8
// MaxLen[5], the five tables (UInt8 count and {UInt8 symbol, UInt32 code, UInt8 length}
// entries; table 3 with a UInt16 count and UInt16 symbols), Int32 RowSize[Rows] and the rows'
// bit data. A UInt8 count of 0 with a non-zero MaxLen stands for 256 entries (a table in which
// every byte value occurs).

#include "media/UVideoCodec_obj.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct TCodeEntry {
    uint32_t Code;
    uint32_t Length; // 0: the symbol has no code
};

struct TSliceCodes {
    TCodeEntry Table0[256];
    TCodeEntry Table1[256];
    TCodeEntry Table2[256];
    TCodeEntry Table3[511];
    TCodeEntry Table4[256];
};

// The head of a slice work area: counters and code arrays, cleared before every frame. The
// band's symbol records follow it (kMaxMacroblockSymbolBytes per macroblock).
struct TSliceWorkHeader {
    TSliceCounters Counters;
    TSliceCodes Codes;
};
static_assert(sizeof(TSliceWorkHeader) == 18420);

constexpr int kSliceHeaderBytes = 13;
constexpr int kNrCodeTables = 5;
// Longest code the encoder writes and the decoder accepts. It keeps every reload of the 64-bit
// bit reader within its budget (7 + 2 longest codes <= 57 bits) and the lookup arrays small.
constexpr int kMaxCodeLength = 20;
// Highest symbol of each table's alphabet.
constexpr std::array<int, kNrCodeTables> kTableMaxSymbol = {16, 16, 255, 510, 255};

// Builds the codes of the symbols 0..MaxSymbol with a non-zero frequency. Tables whose optimal
// codes would be longer than kMaxCodeLength get fixed-length codes instead.
void BuildHuffmanCodes(const uint32_t* Freq, int MaxSymbol, TCodeEntry* Codes);

// Builds the five code tables of a counted slice work area.
void BuildSliceCodes(TSliceWorkHeader& Work);

// Bytes a slice of Rows x MbsPerRow macroblocks can take at most, with the 8 bytes of slack
// that EncodeSlice's 64-bit stores need.
std::size_t MaxSliceBytes(int Rows, int MbsPerRow);

// Writes the slice payload of the symbol records at Symbols into Out; returns SliceSize.
int EncodeSlice(const TSliceCodes& Codes, const uint8_t* Symbols, uint8_t* Out, int Rows,
                int MbsPerRow);

// The first 13 bytes of a slice.
struct TSliceHeader {
    int32_t SliceSize = 0;
    int Rows = 0;
    int MbsPerRow = 0;
    std::array<uint8_t, kNrCodeTables> MaxLen{};
};
TSliceHeader ReadSliceHeader(const uint8_t* P);
// Bytes of the lookup arrays of a slice with these longest code lengths.
std::size_t SliceTableBytes(const std::array<uint8_t, kNrCodeTables>& MaxLen);

// The decoder's lookup arrays of one slice, two levels deep so that they stay small: the next
// PrimaryBits bits index the first level, whose entry is either a symbol (symbol << 16 |
// length) or, for codes longer than PrimaryBits, kSubTable | start << 8 | bits of the
// second-level table indexed by the bits that follow. Length 0 marks a bit pattern that no code
// covers.
class TSliceTables {
public:
    static constexpr uint32_t kSubTable = 0x80000000u;

    // Reads the tables of the slice (Size bytes at Slice, header already checked); returns the
    // offset of the RowSize array, or -1 when the tables are damaged.
    long Read(const uint8_t* Slice, std::size_t Size);

    const uint32_t* Table(int t) const { return FTables[t].data(); }
    uint32_t Mask(int t) const { return FMasks[t]; }
    int PrimaryBits(int t) const { return FPrimaryBits[t]; }

private:
    struct TCode {
        uint32_t Symbol, Code, Length;
    };
    bool Fill(int t, int MaxLen, const std::vector<TCode>& Codes);

    std::array<std::vector<uint32_t>, kNrCodeTables> FTables;
    std::array<uint32_t, kNrCodeTables> FMasks{};
    std::array<int, kNrCodeTables> FPrimaryBits{};
};

// Decodes the NrBlocks plane blocks of one row (RowSize bytes at Bits) into consecutive
// coefficient blocks from Coef; unchanged blocks keep their coefficients. False when the row is
// damaged (a symbol no code covers, a Count outside 1..16, runs past the sub-block, a DC outside
// 0..255, or codes running past the row's end); Coef may then be partly written.
bool DecodeRow(const uint8_t* Bits, std::size_t RowSize, int16_t* Coef, const TSliceTables& Tables,
               int NrBlocks);
