#include "media/UVideoCodec_Huffman.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the codec stores words little-endian");

namespace {

struct TLeaf {
    uint32_t Freq;
    int Symbol;
};

struct TNode {
    uint64_t Weight;
    int Child0; // >= 0: internal node index; < 0: leaf -(symbol + 1)
    int Child1;
};

int LeafRef(int symbol) {
    return -(symbol + 1);
}

// Picks the next subtree: the last leaf when its frequency is smaller than the oldest queued
// node's weight (or no node is queued), else that node.
int PickSubtree(std::vector<TLeaf>& leaves, const std::vector<TNode>& nodes, std::size_t& oldest,
                uint64_t& weight) {
    const bool nodeQueued = oldest < nodes.size();
    if (!leaves.empty() && (!nodeQueued || leaves.back().Freq < nodes[oldest].Weight)) {
        const TLeaf leaf = leaves.back();
        leaves.pop_back();
        weight = leaf.Freq;
        return LeafRef(leaf.Symbol);
    }
    weight = nodes[oldest].Weight;
    return static_cast<int>(oldest++);
}

// Two-queue tree over the leaves sorted by falling frequency; returns the nodes in the order
// they were made (the root last).
std::vector<TNode> BuildTree(std::vector<TLeaf> leaves) {
    std::vector<TNode> nodes;
    nodes.reserve(leaves.size());
    const TLeaf last = leaves.back();
    const TLeaf beforeLast = leaves[leaves.size() - 2];
    leaves.resize(leaves.size() - 2);
    nodes.push_back(
        {uint64_t(last.Freq) + beforeLast.Freq, LeafRef(last.Symbol), LeafRef(beforeLast.Symbol)});
    std::size_t oldest = 0;
    while (!leaves.empty() || nodes.size() - oldest > 1) {
        uint64_t w1 = 0, w0 = 0;
        const int first = PickSubtree(leaves, nodes, oldest, w1);
        const int second = PickSubtree(leaves, nodes, oldest, w0);
        nodes.push_back({w1 + w0, second, first});
    }
    return nodes;
}

void AssignCodes(const std::vector<TNode>& nodes, TCodeEntry* Codes, uint32_t& maxLength) {
    std::vector<TCodeEntry> nodeCode(nodes.size(), TCodeEntry{0, 0});
    maxLength = 0;
    auto give = [&](int child, uint32_t code, uint32_t length) {
        if (child >= 0) {
            nodeCode[child] = {code, length};
            return;
        }
        maxLength = std::max(maxLength, length);
        Codes[-child - 1] = {length <= 31 ? code : 0, length};
    };
    for (std::size_t i = nodes.size(); i-- > 0;) {
        const TCodeEntry parent = nodeCode[i];
        give(nodes[i].Child0, parent.Code, parent.Length + 1);
        const uint32_t bit = parent.Length < 31 ? (1u << parent.Length) : 0;
        give(nodes[i].Child1, parent.Code + bit, parent.Length + 1);
    }
}

void AssignFixedLengthCodes(const std::vector<TLeaf>& leaves, TCodeEntry* Codes) {
    std::vector<int> symbols;
    for (const TLeaf& leaf : leaves)
        symbols.push_back(leaf.Symbol);
    std::sort(symbols.begin(), symbols.end());
    const uint32_t length = std::bit_width(symbols.size() - 1);
    for (std::size_t i = 0; i < symbols.size(); ++i)
        Codes[symbols[i]] = {static_cast<uint32_t>(i), length};
}

// LSB-first writer of one row's bits with 64-bit stores.
class TBitWriter {
public:
    explicit TBitWriter(uint8_t* Pos) : FPos(Pos) {}

    void Put(uint32_t Code, uint32_t Length) {
        FAcc |= uint64_t(Code & 0x7FFFFFFF) << FBits;
        FBits += Length;
    }
    void Put(const TCodeEntry& Entry) { Put(Entry.Code, Entry.Length); }
    void Store() {
        std::memcpy(FPos, &FAcc, 8);
        const int whole = FBits >> 3;
        FPos += whole;
        FAcc = whole == 8 ? 0 : FAcc >> (8 * whole);
        FBits &= 7;
    }
    uint8_t* Pos() const { return FPos; }

private:
    uint8_t* FPos;
    uint64_t FAcc = 0;
    int FBits = 0;
};

int ReadInt16(const uint8_t* p) {
    return static_cast<int16_t>(p[0] | (p[1] << 8));
}

// Writes one coded plane block's bits; returns the position after its symbol record.
const uint8_t* WriteCodedBlock(const TSliceCodes& C, const uint8_t* s, TBitWriter& w) {
    w.Put(1, 2);
    for (int k = 0; k < 16; ++k) {
        const int count = s[0];
        w.Put(C.Table0[count]);
        w.Put(k == 0 ? C.Table2[s[1]] : C.Table3[ReadInt16(s + 1) + 255]);
        w.Store();
        s += 3;
        for (int pair = 1; pair < count; ++pair, s += 2) {
            w.Put(C.Table1[s[0]]);
            w.Put(C.Table4[s[1]]);
            w.Store();
        }
    }
    return s;
}

template <typename T> void PutLE(uint8_t*& p, T v) {
    std::memcpy(p, &v, sizeof(T));
    p += sizeof(T);
}

// Writes the table's entries; returns the longest length.
uint8_t WriteTable(const TCodeEntry* Codes, int MaxSymbol, bool wideSymbols, uint8_t*& p) {
    uint8_t* countPos = p;
    p += wideSymbols ? 2 : 1;
    int count = 0;
    uint32_t maxLen = 0;
    for (int s = 0; s <= MaxSymbol; ++s) {
        if (Codes[s].Length == 0)
            continue;
        if (wideSymbols)
            PutLE<uint16_t>(p, static_cast<uint16_t>(s));
        else
            PutLE<uint8_t>(p, static_cast<uint8_t>(s));
        PutLE<uint32_t>(p, Codes[s].Code);
        PutLE<uint8_t>(p, static_cast<uint8_t>(Codes[s].Length));
        ++count;
        maxLen = std::max(maxLen, Codes[s].Length);
    }
    if (wideSymbols)
        PutLE<uint16_t>(countPos, static_cast<uint16_t>(count));
    else
        PutLE<uint8_t>(countPos, static_cast<uint8_t>(count));
    return static_cast<uint8_t>(maxLen);
}

const TCodeEntry* CodeTable(const TSliceCodes& C, int t) {
    const TCodeEntry* tables[kNrCodeTables] = {C.Table0, C.Table1, C.Table2, C.Table3, C.Table4};
    return tables[t];
}

// Bounded LSB-first reader of one row: loads never touch bytes outside the row.
class TBitReader {
public:
    TBitReader(const uint8_t* Data, std::size_t Size) : FData(Data), FSize(Size) {}

    void Load() {
        FPos += FOffset >> 3;
        FOffset &= 7;
        if (FPos + 8 <= FSize) {
            std::memcpy(&FWord, FData + FPos, 8);
            return;
        }
        FWord = 0;
        if (FPos < FSize)
            std::memcpy(&FWord, FData + FPos, FSize - FPos);
    }
    uint32_t Bits(uint32_t Mask) const { return static_cast<uint32_t>(FWord >> FOffset) & Mask; }
    void Skip(int Count) { FOffset += Count; }
    // Next symbol of table t, or -1 for a bit pattern no code covers.
    int Symbol(const TSliceTables& Tables, int t) {
        const uint32_t* table = Tables.Table(t);
        uint32_t entry = table[Bits(Tables.Mask(t))];
        if (entry & TSliceTables::kSubTable) {
            const uint32_t next = static_cast<uint32_t>(FWord >> (FOffset + Tables.PrimaryBits(t)));
            entry = table[((entry >> 8) & 0x7FFFFF) + (next & ((1u << (entry & 0xFF)) - 1))];
        }
        const uint32_t length = entry & 0xFFFF;
        if (length == 0)
            return -1;
        FOffset += static_cast<int>(length);
        return static_cast<int>(entry >> 16);
    }
    bool WithinRow() const { return FPos * 8 + FOffset <= FSize * 8; }

private:
    const uint8_t* FData;
    std::size_t FSize;
    std::size_t FPos = 0;
    int FOffset = 0;
    uint64_t FWord = 0;
};

bool DecodeCodedBlock(TBitReader& r, const TSliceTables& T, int16_t* coef) {
    int lastDC = 0, rowFirstDC = 0;
    for (int k = 0; k < 16; ++k) {
        r.Load();
        const int count = r.Symbol(T, 0);
        if (count < 1 || count > 16)
            return false;
        int dc;
        if (k == 0) {
            dc = r.Symbol(T, 2);
        } else {
            const int diff = r.Symbol(T, 3);
            if (diff < 0)
                return false;
            dc = ((k % 4) ? lastDC : rowFirstDC) + diff - 255;
        }
        if (dc < 0 || dc > 255)
            return false;
        lastDC = dc;
        if (k % 4 == 0)
            rowFirstDC = dc;
        int16_t* sub = coef + 16 * k;
        sub[0] = static_cast<int16_t>(dc);
        int position = 0;
        for (int pair = 1; pair < count; ++pair) {
            r.Load();
            const int run = r.Symbol(T, 1);
            const int level = r.Symbol(T, 4);
            position += run;
            if (run < 1 || level < 0 || position > 15)
                return false;
            sub[position] = static_cast<int8_t>(level);
        }
    }
    return true;
}

bool DecodeFlatBlock(TBitReader& r, const TSliceTables& T, int16_t* coef) {
    const int dc = r.Symbol(T, 2);
    if (dc < 0)
        return false;
    for (int k = 0; k < 16; ++k)
        coef[16 * k] = static_cast<int16_t>(dc);
    return true;
}

} // namespace

void BuildHuffmanCodes(const uint32_t* Freq, int MaxSymbol, TCodeEntry* Codes) {
    std::vector<TLeaf> leaves;
    for (int s = 0; s <= MaxSymbol; ++s)
        if (Freq[s] != 0)
            leaves.push_back({Freq[s], s});
    if (leaves.empty())
        return;
    if (leaves.size() == 1) {
        Codes[leaves[0].Symbol] = {0, 1};
        return;
    }
    std::stable_sort(leaves.begin(), leaves.end(),
                     [](const TLeaf& a, const TLeaf& b) { return a.Freq > b.Freq; });
    uint32_t maxLength = 0;
    AssignCodes(BuildTree(leaves), Codes, maxLength);
    if (maxLength > kMaxCodeLength)
        AssignFixedLengthCodes(leaves, Codes);
}

void BuildSliceCodes(TSliceWorkHeader& Work) {
    const TSliceCounters& f = Work.Counters;
    TSliceCodes& c = Work.Codes;
    BuildHuffmanCodes(f.Count, kTableMaxSymbol[0], c.Table0);
    BuildHuffmanCodes(f.Run, kTableMaxSymbol[1], c.Table1);
    BuildHuffmanCodes(f.FirstDC, kTableMaxSymbol[2], c.Table2);
    BuildHuffmanCodes(f.DcDiff, kTableMaxSymbol[3], c.Table3);
    BuildHuffmanCodes(f.Level, kTableMaxSymbol[4], c.Table4);
}

std::size_t MaxSliceBytes(int Rows, int MbsPerRow) {
    // Optimal codes never cost more than fixed-length ones: 4 bits per Count, 9 per DC, 4 per
    // Run and 8 per Level give 2 + 16 x (4 + 9 + 15 x 12) bits per plane block.
    constexpr std::size_t kMaxBlockBits = 2 + 16 * (4 + 9 + 15 * 12);
    const std::size_t rowBytes = (3 * kMaxBlockBits * MbsPerRow) / 8 + 1;
    constexpr std::size_t kTableBytes = 5 + 6 * (17 + 17 + 256 + 256) + 7 * 511;
    return kSliceHeaderBytes + kTableBytes + Rows * (4 + rowBytes) + 8;
}

int EncodeSlice(const TSliceCodes& Codes, const uint8_t* Symbols, uint8_t* Out, int Rows,
                int MbsPerRow) {
    uint8_t* p = Out + 4;
    PutLE<uint16_t>(p, static_cast<uint16_t>(Rows));
    PutLE<uint16_t>(p, static_cast<uint16_t>(MbsPerRow));
    uint8_t* maxLen = p;
    p += kNrCodeTables;
    for (int t = 0; t < kNrCodeTables; ++t)
        maxLen[t] = WriteTable(CodeTable(Codes, t), kTableMaxSymbol[t], t == 3, p);
    uint8_t* rowSizes = p;
    p += 4 * Rows;
    const uint8_t* s = Symbols;
    for (int row = 0; row < Rows; ++row) {
        TBitWriter w(p);
        bool changed = false;
        for (int block = 0; block < 3 * MbsPerRow; ++block) {
            if (s[0] == kBlockUnchanged) {
                w.Put(0, 1);
                w.Store();
                ++s;
                continue;
            }
            changed = true;
            if (s[0] == kBlockFlat) {
                w.Put(3, 2);
                w.Put(Codes.Table2[s[1]]);
                w.Store();
                s += 2;
            } else {
                s = WriteCodedBlock(Codes, s, w);
            }
        }
        const int32_t rowSize = changed ? static_cast<int32_t>(w.Pos() - p) + 1 : 0;
        std::memcpy(rowSizes + 4 * row, &rowSize, 4);
        p += rowSize;
    }
    const int32_t sliceSize = static_cast<int32_t>(p - Out);
    std::memcpy(Out, &sliceSize, 4);
    return sliceSize;
}

TSliceHeader ReadSliceHeader(const uint8_t* P) {
    TSliceHeader h;
    std::memcpy(&h.SliceSize, P, 4);
    h.Rows = ReadInt16(P + 4);
    h.MbsPerRow = P[6] | (P[7] << 8);
    std::memcpy(h.MaxLen.data(), P + 8, kNrCodeTables);
    return h;
}

std::size_t SliceTableBytes(const std::array<uint8_t, kNrCodeTables>& MaxLen) {
    std::size_t bytes = 0;
    for (uint8_t len : MaxLen)
        bytes += (std::size_t(1) << std::min<int>(len, 62)) * sizeof(uint32_t);
    return bytes;
}

// First-level bits of the lookup arrays: long enough for the common codes, small enough to
// stay in the cache.
constexpr int kPrimaryBits = 10;

bool TSliceTables::Fill(int t, int MaxLen, const std::vector<TCode>& Codes) {
    const int primary = std::min(MaxLen, kPrimaryBits);
    const uint32_t primaryMask = (1u << primary) - 1;
    std::vector<uint32_t>& table = FTables[t];
    table.assign(std::size_t(1) << primary, 0);
    FMasks[t] = primaryMask;
    FPrimaryBits[t] = primary;
    // Second-level tables, one per first-level pattern that longer codes begin with.
    std::vector<uint8_t> subBits(table.size(), 0);
    for (const TCode& c : Codes)
        if (int(c.Length) > primary) {
            uint8_t& bits = subBits[c.Code & primaryMask];
            bits = std::max<uint8_t>(bits, static_cast<uint8_t>(c.Length - primary));
        }
    for (std::size_t prefix = 0; prefix < subBits.size(); ++prefix) {
        if (subBits[prefix] == 0)
            continue;
        const std::size_t start = table.size();
        table[prefix] = kSubTable | uint32_t(start) << 8 | subBits[prefix];
        table.resize(start + (std::size_t(1) << subBits[prefix]), 0);
    }
    for (const TCode& c : Codes) {
        const uint32_t entry = c.Symbol << 16 | c.Length;
        std::size_t begin = c.Code, end = std::size_t(1) << primary, base = 0,
                    step = 1u << c.Length;
        if (int(c.Length) > primary) {
            const uint32_t pointer = table[c.Code & primaryMask];
            base = (pointer >> 8) & 0x7FFFFF;
            begin = c.Code >> primary;
            end = std::size_t(1) << (pointer & 0xFF);
            step = std::size_t(1) << (c.Length - primary);
        }
        for (std::size_t i = begin; i < end; i += step) {
            if (table[base + i] != 0)
                return false; // not a prefix code
            table[base + i] = entry;
        }
    }
    return true;
}

long TSliceTables::Read(const uint8_t* Slice, std::size_t Size) {
    const TSliceHeader header = ReadSliceHeader(Slice);
    std::size_t p = kSliceHeaderBytes;
    std::vector<TCode> codes;
    for (int t = 0; t < kNrCodeTables; ++t) {
        const int maxLen = header.MaxLen[t];
        const bool wide = t == 3;
        const std::size_t entryBytes = wide ? 7 : 6;
        if (maxLen > kMaxCodeLength || p + (wide ? 2 : 1) > Size)
            return -1;
        std::size_t count = wide ? (Slice[p] | (Slice[p + 1] << 8)) : Slice[p];
        p += wide ? 2 : 1;
        if (count == 0 && maxLen > 0 && !wide)
            count = 256;
        if ((count == 0) != (maxLen == 0) || p + count * entryBytes > Size)
            return -1;
        codes.clear();
        for (std::size_t e = 0; e < count; ++e, p += entryBytes) {
            const uint8_t* entry = Slice + p;
            const uint32_t symbol = wide ? (entry[0] | (entry[1] << 8)) : entry[0];
            const uint8_t* rest = entry + (wide ? 2 : 1);
            uint32_t code;
            std::memcpy(&code, rest, 4);
            const uint32_t length = rest[4];
            if (symbol > uint32_t(kTableMaxSymbol[t]) || length < 1 || int(length) > maxLen ||
                code >= (1u << length))
                return -1;
            codes.push_back({symbol, code, length});
        }
        if (!Fill(t, maxLen, codes))
            return -1;
    }
    return static_cast<long>(p);
}

bool DecodeRow(const uint8_t* Bits, std::size_t RowSize, int16_t* Coef, const TSliceTables& Tables,
               int NrBlocks) {
    TBitReader r(Bits, RowSize);
    for (int block = 0; block < NrBlocks; ++block, Coef += kCoefBlockBytes / 2) {
        r.Load();
        const uint32_t mode = r.Bits(3);
        if (mode != 1 && mode != 3) {
            r.Skip(1);
            continue;
        }
        r.Skip(2);
        std::memset(Coef, 0, kCoefBlockBytes);
        const bool ok =
            mode == 3 ? DecodeFlatBlock(r, Tables, Coef) : DecodeCodedBlock(r, Tables, Coef);
        if (!ok)
            return false;
    }
    return r.WithinRow();
}
