// The key-frame indexes of AVI ("idx1") and ASF (Simple Index Object), built byte by byte.
#include "media/UVideoReaderAVI.h"
#include "media/UVideoReaderWMV.h"

#include <QBuffer>
#include <QUuid>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

class Bytes {
public:
    Bytes& code(const char* fourCC) {
        data.append(fourCC, 4);
        return *this;
    }
    Bytes& u16(uint16_t value) { return put(value); }
    Bytes& u32(uint32_t value) { return put(value); }
    Bytes& u64(uint64_t value) { return put(value); }
    Bytes& zeros(int count) {
        data.append(QByteArray(count, '\0'));
        return *this;
    }
    // A GUID as ASF stores it: the first three fields little-endian.
    Bytes& guid(const char* text) {
        QByteArray raw = QUuid::fromString(QLatin1String(text)).toRfc4122();
        std::reverse(raw.begin(), raw.begin() + 4);
        std::reverse(raw.begin() + 4, raw.begin() + 6);
        std::reverse(raw.begin() + 6, raw.begin() + 8);
        data.append(raw);
        return *this;
    }

    QByteArray data;

private:
    template <typename T> Bytes& put(T value) {
        char raw[sizeof(T)];
        qToLittleEndian(value, raw);
        data.append(raw, sizeof(T));
        return *this;
    }
};

template <typename Read> auto readFrom(QByteArray bytes, Read read) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer);
}

TEST(AviIndex, CountsOnlyVideoChunksAndRealignsAfterAnOddChunk) {
    Bytes riff;
    riff.code("RIFF").u32(0).code("AVI ");
    riff.code("LIST").u32(4).code("hdrl");
    riff.code("JUNK").u32(3).zeros(3).zeros(1); // odd size, padded
    riff.code("idx1").u32(5 * 16);
    const struct {
        const char* code;
        uint32_t flags;
    } entries[] = {{"00dc", 0x10}, {"01wb", 0x10}, {"00dc", 0}, {"00db", 0x10}, {"01wb", 0}};
    for (const auto& e : entries)
        riff.code(e.code).u32(e.flags).u32(0).u32(0);
    const std::optional<std::vector<int>> keys =
        readFrom(riff.data, TVideoReaderAVI::ReadKeyFrames);
    ASSERT_TRUE(keys);
    EXPECT_EQ(*keys, (std::vector<int>{1, 3}));
}

TEST(AviIndex, FilesThatAreNotRiffHaveOnlyKeyFrames) {
    EXPECT_FALSE(readFrom(QByteArray("not a riff file at all"), TVideoReaderAVI::ReadKeyFrames));
    Bytes truncated;
    truncated.code("RIFF").u32(100).code("AVI ").code("idx1").u32(0x7FFFFFF0);
    truncated.code("00dc").u32(0x10);
    const auto keys = readFrom(truncated.data, TVideoReaderAVI::ReadKeyFrames);
    ASSERT_TRUE(keys);
    EXPECT_TRUE(keys->empty());
}

QByteArray asfWithIndex(uint64_t prerollMs, uint64_t intervalTicks,
                        const std::vector<uint32_t>& packets) {
    Bytes file;
    const int fileProperties = 24 + 80;
    file.guid("{75B22630-668E-11CF-A6D9-00AA0062CE6C}").u64(30 + fileProperties).u32(1).u16(0);
    file.guid("{8CABDCA1-A947-11CF-8EE4-00C00C205365}").u64(fileProperties).zeros(56);
    file.u64(prerollMs).zeros(16);
    file.guid("{33000890-E5B1-11CF-89F4-00A0C90349CB}").u64(24 + 32 + packets.size() * 6);
    file.zeros(16).u64(intervalTicks).u32(1).u32(uint32_t(packets.size()));
    for (uint32_t packet : packets)
        file.u32(packet).u16(1);
    return file.data;
}

TEST(AsfIndex, MarksTheFramesOfIndexedPacketsAfterThePreroll) {
    const QByteArray file = asfWithIndex(3000, 10'000'000, {0, 0, 0, 5, 9, 9, 12});
    const auto keys = readFrom(file, [](QIODevice& device) {
        return TVideoReaderWMV::ReadKeyFrames(device, {25, 1});
    });
    ASSERT_TRUE(keys);
    // Entries 0-2 lie in the preroll; 3 marks frame 1, 4 frame 26; 5 repeats packet 9.
    EXPECT_EQ(*keys, (std::vector<int>{1, 26, 76}));
}

TEST(AsfIndex, KeepsTheExactFrameRate) {
    const QByteArray file = asfWithIndex(0, 10'000'000, {1, 2, 3});
    const auto keys = readFrom(file, [](QIODevice& device) {
        return TVideoReaderWMV::ReadKeyFrames(device, {30000, 1001});
    });
    ASSERT_TRUE(keys);
    EXPECT_EQ(*keys, (std::vector<int>{1, 30, 60})); // 29.97 frames a second, not 30
}

TEST(AsfIndex, DamagedObjectsEndTheWalk) {
    EXPECT_FALSE(readFrom(QByteArray(64, 'x'), [](QIODevice& device) {
        return TVideoReaderWMV::ReadKeyFrames(device, {25, 1});
    }));
    QByteArray file = asfWithIndex(0, 10'000'000, {1, 2});
    file.truncate(file.size() - 5);
    const auto keys = readFrom(file, [](QIODevice& device) {
        return TVideoReaderWMV::ReadKeyFrames(device, {25, 1});
    });
    ASSERT_TRUE(keys);
    EXPECT_EQ(*keys, (std::vector<int>{1}));
}

} // namespace
