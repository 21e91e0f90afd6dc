// Little-endian fields of the files the program lays out itself (WAV headers, WebP chunks),
// collected in memory and written in one go.
#pragma once

#include <QByteArray>
#include <cstdint>

class TLittleEndianWriter {
public:
    void U8(uint8_t value) { FData.append(char(value)); }
    void U16(uint16_t value) { Put(value, 2); }
    // The three low bytes of the value.
    void U24(uint32_t value) { Put(value, 3); }
    void U32(uint32_t value) { Put(value, 4); }
    // A four-character chunk or field tag.
    void Tag(const char (&tag)[5]) { FData.append(tag, 4); }
    void Bytes(const uint8_t* data, int64_t count) {
        FData.append(reinterpret_cast<const char*>(data), count);
    }

    const QByteArray& Data() const { return FData; }

private:
    void Put(uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            FData.append(char((value >> (8 * i)) & 0xFF));
    }

    QByteArray FData;
};
