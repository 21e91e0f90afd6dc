#include "media/UVideoReaderAVI.h"

#include "media/ULittleEndianReader.h"

namespace {

constexpr uint32_t AviKeyFrameFlag = 0x10;

bool isCode(uint32_t code, const char (&name)[5]) {
    return code == (uint32_t(uint8_t(name[0])) | uint32_t(uint8_t(name[1])) << 8 |
                    uint32_t(uint8_t(name[2])) << 16 | uint32_t(uint8_t(name[3])) << 24);
}

// A video chunk's code ends in "db" (uncompressed) or "dc" (compressed), after the stream number.
bool isVideoChunk(uint32_t code) {
    const char third = char(code >> 16);
    const char fourth = char(code >> 24);
    return third == 'd' && (fourth == 'b' || fourth == 'c');
}

void readIndex(TLittleEndianReader& in, uint32_t size, std::vector<int>& keys) {
    const int64_t entries = std::min<int64_t>(size, in.Remaining()) / 16;
    int videoChunk = 0;
    for (int64_t e = 0; e < entries; ++e) {
        uint32_t code = 0, flags = 0, offset = 0, length = 0;
        if (!in.U32(code) || !in.U32(flags) || !in.U32(offset) || !in.U32(length))
            return;
        if (!isVideoChunk(code))
            continue;
        ++videoChunk;
        if (flags & AviKeyFrameFlag)
            keys.push_back(videoChunk);
    }
}

} // namespace

std::optional<std::vector<int>> TVideoReaderAVI::ReadKeyFrames(QIODevice& file) {
    TLittleEndianReader in(file);
    uint32_t code = 0, size = 0, form = 0;
    if (!in.U32(code) || !in.U32(size) || !isCode(code, "RIFF") || !in.U32(form))
        return std::nullopt;
    std::vector<int> keys;
    while (in.U32(code) && in.U32(size) && size != 0) {
        if (isCode(code, "idx1")) {
            readIndex(in, size, keys);
            break;
        }
        // Chunk data is padded to an even length.
        if (!in.Skip(int64_t(size) + (size & 1)))
            break;
    }
    return keys;
}

void TVideoReaderAVI::OpenFile(const QString& fileName, int64_t, uint32_t) {
    OpenEvenTable(fileName, ReadKeyFrames);
}
