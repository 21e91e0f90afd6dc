#include "media/UVideoReaderWMV.h"

#include "media/ULittleEndianReader.h"

#include <QUuid>
#include <algorithm>

namespace {

const QUuid HeaderObject("{75B22630-668E-11CF-A6D9-00AA0062CE6C}");
const QUuid FilePropertiesObject("{8CABDCA1-A947-11CF-8EE4-00C00C205365}");
const QUuid SimpleIndexObject("{33000890-E5B1-11CF-89F4-00A0C90349CB}");
constexpr int ObjectHeaderBytes = 24;

struct AsfObject {
    QUuid id;
    int64_t start = 0;
    int64_t end = 0; // bounded by the file
};

// An object header at the current position; nothing when it cannot be read whole or is smaller
// than its own header.
std::optional<AsfObject> readObject(TLittleEndianReader& in) {
    AsfObject object;
    object.start = in.Pos();
    QByteArray guid;
    uint64_t size = 0;
    if (!in.Bytes(16, guid) || !in.U64(size) || size < uint64_t(ObjectHeaderBytes))
        return std::nullopt;
    // ASF stores the first three fields of a GUID little-endian.
    std::reverse(guid.begin(), guid.begin() + 4);
    std::reverse(guid.begin() + 4, guid.begin() + 6);
    std::reverse(guid.begin() + 6, guid.begin() + 8);
    object.id = QUuid::fromRfc4122(guid);
    object.end =
        object.start + int64_t(std::min<uint64_t>(size, uint64_t(in.Size() - object.start)));
    return object;
}

// The preroll in 100 ns from the File Properties Object among the header's children.
int64_t readPreroll(TLittleEndianReader& in, const AsfObject& header) {
    uint32_t count = 0;
    uint16_t reserved = 0;
    if (!in.U32(count) || !in.U16(reserved))
        return 0;
    for (uint32_t i = 0; i < count && in.Pos() < header.end; ++i) {
        const std::optional<AsfObject> object = readObject(in);
        if (!object)
            break;
        uint64_t preroll = 0;
        if (object->id == FilePropertiesObject && in.Skip(56) && in.U64(preroll))
            return int64_t(std::min<uint64_t>(preroll, uint64_t(INT32_MAX))) * 10000;
        if (!in.Seek(object->end))
            break;
    }
    return 0;
}

void readIndex(TLittleEndianReader& in, int64_t preroll, platform::media::Rational rate,
               std::vector<int>& keys) {
    QByteArray fileId;
    uint64_t interval = 0;
    uint32_t maxPackets = 0, count = 0;
    if (!in.Bytes(16, fileId) || !in.U64(interval) || !in.U32(maxPackets) || !in.U32(count))
        return;
    uint32_t lastPacket = 1000000;
    for (uint32_t k = 0; k < count; ++k) {
        uint32_t packet = 0;
        uint16_t packets = 0;
        if (!in.U32(packet) || !in.U16(packets))
            return;
        const int64_t time = int64_t(std::min<uint64_t>(uint64_t(k) * interval, INT64_MAX / 2));
        if (time < preroll || packet == lastPacket)
            continue;
        lastPacket = packet;
        // The frame that shows at this time, at the exact frame rate.
        const double frame = double(time - preroll) * double(rate.num) /
                             (double(rate.den) * double(platform::media::TicksPerSecond));
        if (frame < double(INT32_MAX / 2))
            keys.push_back(int(frame) + 1);
    }
}

} // namespace

std::optional<std::vector<int>> TVideoReaderWMV::ReadKeyFrames(QIODevice& file,
                                                               platform::media::Rational rate) {
    TLittleEndianReader in(file);
    const std::optional<AsfObject> header = readObject(in);
    if (!header || header->id != HeaderObject)
        return std::nullopt;
    const int64_t preroll = readPreroll(in, *header);
    std::vector<int> keys;
    int64_t pos = header->end;
    while (in.Seek(pos) && in.Remaining() >= ObjectHeaderBytes) {
        const std::optional<AsfObject> object = readObject(in);
        if (!object)
            break;
        if (object->id == SimpleIndexObject) {
            readIndex(in, preroll, rate, keys);
            break;
        }
        pos = object->end;
    }
    return keys;
}

void TVideoReaderWMV::OpenFile(const QString& fileName, int64_t, uint32_t) {
    OpenEvenTable(fileName, [this](QIODevice& file) { return ReadKeyFrames(file, FFrameRate); });
}
