// Bounded little-endian reads from a file or memory device: every read checks that its bytes
// exist, so damaged files end a walk instead of reading garbage.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <cstdint>

class TLittleEndianReader {
public:
    explicit TLittleEndianReader(QIODevice& device) : FDevice(device), FSize(device.size()) {}

    int64_t Size() const { return FSize; }
    int64_t Pos() const { return FDevice.pos(); }
    int64_t Remaining() const { return FSize - FDevice.pos(); }
    // Moves to `pos` when it lies within the device.
    bool Seek(int64_t pos) { return pos >= 0 && pos <= FSize && FDevice.seek(pos); }
    bool Skip(int64_t bytes) { return bytes >= 0 && bytes <= Remaining() && Seek(Pos() + bytes); }

    bool U8(uint8_t& value) { return Read(value); }
    bool U16(uint16_t& value) { return Read(value); }
    bool U32(uint32_t& value) { return Read(value); }
    bool I32(int32_t& value) { return Read(value); }
    bool U64(uint64_t& value) { return Read(value); }
    // Exactly `count` bytes, or false.
    bool Bytes(int64_t count, QByteArray& out) {
        if (count < 0 || count > Remaining())
            return false;
        out = FDevice.read(count);
        return out.size() == count;
    }

private:
    template <typename T> bool Read(T& value) {
        uchar data[sizeof(T)];
        if (Remaining() < qint64(sizeof(T)) ||
            FDevice.read(reinterpret_cast<char*>(data), sizeof(T)) != qint64(sizeof(T)))
            return false;
        uint64_t result = 0;
        for (size_t i = sizeof(T); i-- > 0;)
            result = (result << 8) | data[i];
        value = T(result);
        return true;
    }

    QIODevice& FDevice;
    int64_t FSize;
};
