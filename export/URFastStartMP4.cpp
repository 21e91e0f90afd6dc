#include "export/URFastStartMP4.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using BoxType = std::array<char, 4>;

constexpr BoxType kFtyp{'f', 't', 'y', 'p'};
constexpr BoxType kMoov{'m', 'o', 'o', 'v'};
constexpr BoxType kMdat{'m', 'd', 'a', 't'};
constexpr BoxType kStco{'s', 't', 'c', 'o'};
constexpr BoxType kCo64{'c', 'o', '6', '4'};
constexpr std::array<BoxType, 4> kContainers{
    BoxType{'t', 'r', 'a', 'k'}, BoxType{'m', 'd', 'i', 'a'}, BoxType{'m', 'i', 'n', 'f'},
    BoxType{'s', 't', 'b', 'l'}};
constexpr uint64_t kHeader = 8;
constexpr uint64_t kMaxOffset = 0xFFFF'FFFFu;
// Large enough for few system calls, small enough to stay in the processor's caches.
constexpr uint64_t kCopyBuffer = 1u << 20;

struct TopBox {
    uint64_t Position = 0;
    uint64_t Size = 0;
    BoxType Type{};
};

// Closes the descriptor when the scope ends.
class FileHandle {
public:
    explicit FileHandle(int fd) : FFd(fd) {}
    ~FileHandle() {
        if (FFd >= 0)
            ::close(FFd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Fd() const { return FFd; }
    // Closes now; false when the system reports a failed write-back.
    bool Close() {
        const int fd = FFd;
        FFd = -1;
        return ::close(fd) == 0;
    }

private:
    int FFd;
};

uint32_t ReadBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void WriteBE32(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value >> 24);
    p[1] = uint8_t(value >> 16);
    p[2] = uint8_t(value >> 8);
    p[3] = uint8_t(value);
}

BoxType BoxTypeAt(const uint8_t* p) {
    BoxType type;
    std::memcpy(type.data(), p, type.size());
    return type;
}

bool ReadAt(int fd, uint8_t* buffer, uint64_t size, uint64_t position) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, buffer, size, off_t(position));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        size -= uint64_t(got);
        position += uint64_t(got);
    }
    return true;
}

bool WriteAll(int fd, const uint8_t* data, uint64_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= uint64_t(put);
    }
    return true;
}

// The new file, written front to back.
struct Output {
    int Fd = -1;
    uint64_t Position = 0;
};

bool Append(Output& out, const uint8_t* data, uint64_t size) {
    if (!WriteAll(out.Fd, data, size))
        return false;
    out.Position += size;
    return true;
}

// Appends `size` bytes of the source from `position` through `buffer`. Each piece ends on a
// multiple of the buffer's size in the new file: the media data moves by the index's size,
// rarely a whole number of pages, and pieces that end mid-page make the system split every
// page of the new file over two writes (the kernel's own file-to-file copy does exactly that
// here, and is then slower than a copy through memory).
bool CopyRange(int in, Output& out, std::vector<uint8_t>& buffer, uint64_t position,
               uint64_t size) {
    while (size > 0) {
        const uint64_t part =
            std::min<uint64_t>(size, buffer.size() - out.Position % buffer.size());
        if (!ReadAt(in, buffer.data(), part, position) || !Append(out, buffer.data(), part))
            return false;
        position += part;
        size -= part;
    }
    return true;
}

// The top-level boxes of the file; none when a box is shorter than its header, carries a
// 64-bit size, runs to the end of the file (size 0) or past it.
std::optional<std::vector<TopBox>> ScanTopLevelBoxes(int fd, uint64_t fileSize) {
    std::vector<TopBox> boxes;
    uint64_t position = 0;
    while (position < fileSize) {
        std::array<uint8_t, kHeader> header{};
        if (fileSize - position < kHeader || !ReadAt(fd, header.data(), kHeader, position))
            return std::nullopt;
        const uint64_t size = ReadBE32(header.data());
        if (size < kHeader || size > fileSize - position)
            return std::nullopt;
        boxes.push_back({position, size, BoxTypeAt(header.data() + 4)});
        position += size;
    }
    return boxes;
}

// The index box when the layout is the encoders' own: one "ftyp" (if any) at the start, one
// "moov", and every "mdat" before it.
std::optional<TopBox> FindMovableMoov(const std::vector<TopBox>& boxes) {
    std::optional<TopBox> moov;
    bool mediaBefore = false;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const TopBox& box = boxes[i];
        if (box.Type == kFtyp && i != 0)
            return std::nullopt;
        if (box.Type == kMoov) {
            if (moov)
                return std::nullopt;
            moov = box;
        }
        if (box.Type == kMdat) {
            if (moov)
                return std::nullopt;
            mediaBefore = true;
        }
    }
    return mediaBefore ? moov : std::nullopt;
}

// Adds `shift` to every "stco" entry in the boxes between `start` and `end` of the index,
// descending through the containers that lead to the tables. False, with the buffer partly
// patched, when a box does not fit its parent, a table is 64-bit or malformed, or an entry
// points at or past the index (`indexPosition`) or would pass 2^32 - 1.
bool PatchChunkOffsets(std::vector<uint8_t>& moov, uint64_t start, uint64_t end, uint32_t shift,
                       uint64_t indexPosition) {
    uint64_t position = start;
    while (position < end) {
        if (end - position < kHeader)
            return false;
        uint8_t* box = moov.data() + position;
        const uint64_t size = ReadBE32(box);
        if (size < kHeader || size > end - position)
            return false;
        const BoxType type = BoxTypeAt(box + 4);
        if (type == kCo64)
            return false;
        if (std::find(kContainers.begin(), kContainers.end(), type) != kContainers.end()) {
            if (!PatchChunkOffsets(moov, position + kHeader, position + size, shift, indexPosition))
                return false;
        } else if (type == kStco) {
            if (size < 16 || ReadBE32(box + 12) > (size - 16) / 4)
                return false;
            const uint32_t count = ReadBE32(box + 12);
            for (uint32_t i = 0; i < count; ++i) {
                uint8_t* entry = box + 16 + 4 * uint64_t(i);
                const uint64_t offset = ReadBE32(entry);
                if (offset >= indexPosition || offset + shift > kMaxOffset)
                    return false;
                WriteBE32(entry, uint32_t(offset + shift));
            }
        }
        position += size;
    }
    return true;
}

// The index with its chunk offsets moved on by its own size; none when it cannot be shifted.
std::optional<std::vector<uint8_t>> LoadMoov(int fd, const TopBox& moov) {
    std::vector<uint8_t> buffer(moov.Size);
    if (!ReadAt(fd, buffer.data(), moov.Size, moov.Position) ||
        !PatchChunkOffsets(buffer, kHeader, moov.Size, uint32_t(moov.Size), moov.Position))
        return std::nullopt;
    return buffer;
}

// "ftyp", the patched index, then every other box in file order.
bool WriteFastStart(int in, int outFd, const std::vector<TopBox>& boxes,
                    const std::vector<uint8_t>& moov) {
    Output out{outFd};
    std::vector<uint8_t> buffer(kCopyBuffer);
    if (boxes.front().Type == kFtyp &&
        !CopyRange(in, out, buffer, boxes.front().Position, boxes.front().Size))
        return false;
    if (!Append(out, moov.data(), moov.size()))
        return false;
    for (const TopBox& box : boxes)
        if (box.Type != kFtyp && box.Type != kMoov &&
            !CopyRange(in, out, buffer, box.Position, box.Size))
            return false;
    return true;
}

// Writes the new layout of `source` to `work`; false when the file is to stay as it is.
bool RewriteInto(const QByteArray& source, const QByteArray& work) {
    FileHandle in(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (in.Fd() < 0 || ::fstat(in.Fd(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    const auto boxes = ScanTopLevelBoxes(in.Fd(), uint64_t(status.st_size));
    const std::optional<TopBox> moovBox = boxes ? FindMovableMoov(*boxes) : std::nullopt;
    const auto moov = moovBox ? LoadMoov(in.Fd(), *moovBox) : std::nullopt;
    if (!moov)
        return false;
    FileHandle out(
        ::open(work.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, status.st_mode & 07777));
    if (out.Fd() < 0)
        return false;
    const bool written = WriteFastStart(in.Fd(), out.Fd(), *boxes, *moov);
    return out.Close() && written;
}

} // namespace

void FastStartMP4(const QString& AFolder, const QString& AFileName) {
    const QByteArray source = QFile::encodeName(AFolder + AFileName);
    const QString workName =
        AFileName == QLatin1String("tmp.mp4") ? QStringLiteral("tmp~.mp4") : "tmp.mp4";
    const QByteArray work = QFile::encodeName(AFolder + workName);
    struct stat status {};
    if (::stat(source.constData(), &status) != 0)
        return;
    ::unlink(work.constData());
    if (!RewriteInto(source, work) || ::rename(work.constData(), source.constData()) != 0)
        ::unlink(work.constData());
}
