#include "media/UMP4FrameTable.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr uint32_t fourCC(const char (&name)[5]) {
    return (uint32_t(uint8_t(name[0])) << 24) | (uint32_t(uint8_t(name[1])) << 16) |
           (uint32_t(uint8_t(name[2])) << 8) | uint32_t(uint8_t(name[3]));
}

struct Box {
    uint32_t type = 0;
    int64_t payload = 0; // first byte after the header
    int64_t end = 0;     // first byte after the box, never beyond its parent
};

class BoxWalker {
public:
    explicit BoxWalker(QIODevice& file) : file_(file), size_(file.size()) {}

    int64_t fileSize() const { return size_; }

    // Big-endian values at `pos`, which must lie wholly before `limit`.
    std::optional<uint64_t> read(int64_t pos, int bytes, int64_t limit) {
        if (pos < 0 || pos + bytes > std::min(limit, size_) || !file_.seek(pos))
            return std::nullopt;
        uchar data[8] = {};
        if (file_.read(reinterpret_cast<char*>(data), bytes) != bytes)
            return std::nullopt;
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value = (value << 8) | data[i];
        return value;
    }

    // The child box of type `type` among the boxes from `from` to `limit`; nothing when it is
    // absent or the list is damaged first (then `error` says so).
    std::optional<Box> find(int64_t from, int64_t limit, uint32_t type, QString& error) {
        int64_t pos = from;
        while (std::optional<Box> box = header(pos, limit, error)) {
            if (box->type == type)
                return box;
            pos = box->end;
        }
        return std::nullopt;
    }

    // Every box of type `type` among the boxes from `from` to `limit`, in file order.
    std::vector<Box> findAll(int64_t from, int64_t limit, uint32_t type, QString& error) {
        std::vector<Box> boxes;
        int64_t pos = from;
        while (std::optional<Box> box = header(pos, limit, error)) {
            if (box->type == type)
                boxes.push_back(*box);
            pos = box->end;
        }
        return boxes;
    }

private:
    std::optional<Box> header(int64_t pos, int64_t limit, QString& error) {
        limit = std::min(limit, size_);
        const std::optional<uint64_t> size32 = read(pos, 4, limit);
        const std::optional<uint64_t> type = read(pos + 4, 4, limit);
        if (!size32 || !type)
            return std::nullopt;
        Box box{uint32_t(*type), pos + 8, limit};
        uint64_t size = *size32;
        if (size == 1) {
            const std::optional<uint64_t> size64 = read(pos + 8, 8, limit);
            if (!size64) {
                error = QStringLiteral("A box header is cut off");
                return std::nullopt;
            }
            size = *size64;
            box.payload = pos + 16;
        }
        if (size != 0 && size < uint64_t(box.payload - pos)) {
            error = QStringLiteral("A box is smaller than its own header");
            return std::nullopt;
        }
        // Size 0 runs to the end of the parent; a box claiming more than its parent holds is
        // cut at the parent's end (a truncated file keeps what is sound).
        if (size != 0 && size <= uint64_t(limit - pos))
            box.end = pos + int64_t(size);
        return box;
    }

    QIODevice& file_;
    int64_t size_;
};

struct TrackBoxes {
    Box trak;
    Box stbl;
    uint32_t timeScale = 0;
};

// The picture track among the first two tracks: the first with a width and height in "tkhd".
std::optional<Box> pictureTrack(BoxWalker& walker, const Box& moov, QString& error) {
    const std::vector<Box> tracks = walker.findAll(moov.payload, moov.end, fourCC("trak"), error);
    for (size_t i = 0; i < std::min<size_t>(tracks.size(), 2); ++i) {
        const std::optional<Box> tkhd =
            walker.find(tracks[i].payload, tracks[i].end, fourCC("tkhd"), error);
        if (!tkhd)
            continue;
        const std::optional<uint64_t> version = walker.read(tkhd->payload, 1, tkhd->end);
        const int64_t sizeAt = tkhd->payload + (version == 1u ? 88 : 76);
        const std::optional<uint64_t> width = walker.read(sizeAt, 4, tkhd->end);
        const std::optional<uint64_t> height = walker.read(sizeAt + 4, 4, tkhd->end);
        if (width.value_or(0) != 0 && height.value_or(0) != 0)
            return tracks[i];
    }
    return std::nullopt;
}

std::optional<Box> child(BoxWalker& walker, const std::optional<Box>& parent, const char (&name)[5],
                         QString& error) {
    if (!parent)
        return std::nullopt;
    return walker.find(parent->payload, parent->end, fourCC(name), error);
}

// The entries of a full box's table: count at payload + 4, entries after it, the count cut to
// what the box holds.
struct Table {
    int64_t first = 0;
    uint32_t count = 0;
};

Table tableOf(BoxWalker& walker, const Box& box, int entryBytes, int headerBytes = 8) {
    const uint32_t stated =
        uint32_t(walker.read(box.payload + headerBytes - 4, 4, box.end).value_or(0));
    const int64_t room = std::max<int64_t>(0, (box.end - box.payload - headerBytes) / entryBytes);
    return {box.payload + headerBytes, uint32_t(std::min<int64_t>(stated, room))};
}

// How many samples the track can hold: the sample-size table's count, bounded by its box (or by
// the file when every sample has the same size); nothing when the track has no such table.
std::optional<int64_t> sampleLimit(BoxWalker& walker, const Box& stbl, QString& error) {
    const std::optional<Box> stsz = walker.find(stbl.payload, stbl.end, fourCC("stsz"), error);
    if (!stsz)
        return std::nullopt;
    const uint64_t sampleSize = walker.read(stsz->payload + 4, 4, stsz->end).value_or(0);
    const Table sizes = tableOf(walker, *stsz, 4, 12);
    const uint32_t stated = uint32_t(walker.read(stsz->payload + 8, 4, stsz->end).value_or(0));
    const int64_t limit = sampleSize == 0
                              ? int64_t(sizes.count)
                              : std::min<int64_t>(stated, walker.fileSize() / int64_t(sampleSize));
    return std::min<int64_t>(limit, INT32_MAX / 2);
}

bool readTimes(BoxWalker& walker, const Box& stbl, TMP4FrameTable& result, QString& error) {
    const std::optional<Box> stts = walker.find(stbl.payload, stbl.end, fourCC("stts"), error);
    if (!stts) {
        error = QStringLiteral("The video track has no time-to-sample table");
        return false;
    }
    const std::optional<int64_t> limit = sampleLimit(walker, stbl, error);
    if (!limit) {
        error = QStringLiteral("The video track has no sample-size table");
        return false;
    }
    const Table deltas = tableOf(walker, *stts, 8);
    std::vector<TFrameMF>& frames = result.Frames;
    frames.assign(1, TFrameMF{});
    int64_t time = 0;
    for (uint32_t e = 0; e < deltas.count && int64_t(frames.size()) <= *limit; ++e) {
        const int64_t at = deltas.first + int64_t(e) * 8;
        int64_t count = int64_t(walker.read(at, 4, stts->end).value_or(0));
        const auto delta = int32_t(uint32_t(walker.read(at + 4, 4, stts->end).value_or(0)));
        count = std::min<int64_t>(count, *limit - int64_t(frames.size()) + 1);
        for (int64_t k = 0; k < count; ++k) {
            TFrameMF frame;
            frame.Time = time;
            frames.push_back(frame);
            time += delta;
        }
    }
    return true;
}

void readCompositionOffsets(BoxWalker& walker, const Box& stbl, TMP4FrameTable& result,
                            QString& error) {
    const std::optional<Box> ctts = walker.find(stbl.payload, stbl.end, fourCC("ctts"), error);
    if (!ctts)
        return;
    const Table offsets = tableOf(walker, *ctts, 8);
    size_t n = 1;
    for (uint32_t e = 0; e < offsets.count && n < result.Frames.size(); ++e) {
        const int64_t at = offsets.first + int64_t(e) * 8;
        const uint64_t count = walker.read(at, 4, ctts->end).value_or(0);
        const auto offset = int32_t(uint32_t(walker.read(at + 4, 4, ctts->end).value_or(0)));
        for (uint64_t k = 0; k < count && n < result.Frames.size(); ++k, ++n)
            result.Frames[n].Time += offset;
    }
}

void readKeyFrames(BoxWalker& walker, const Box& stbl, TMP4FrameTable& result, QString& error) {
    const std::optional<Box> stss = walker.find(stbl.payload, stbl.end, fourCC("stss"), error);
    if (!stss) {
        for (size_t i = 1; i < result.Frames.size(); ++i)
            result.Frames[i].Keyframe = true;
        return;
    }
    const Table keys = tableOf(walker, *stss, 4);
    for (uint32_t e = 0; e < keys.count; ++e) {
        const uint64_t number = walker.read(keys.first + int64_t(e) * 4, 4, stss->end).value_or(0);
        if (number >= 1 && number < result.Frames.size())
            result.Frames[number].Keyframe = true;
    }
}

// The time scale of a "mvhd" or "mdhd" box; 0 when it cannot be read.
uint32_t timeScaleOf(BoxWalker& walker, const Box& header) {
    const std::optional<uint64_t> version = walker.read(header.payload, 1, header.end);
    return uint32_t(
        walker.read(header.payload + (version == 1u ? 20 : 12), 4, header.end).value_or(0));
}

// Where the track's presentation starts, from its edit list: the media time of the first edit
// that shows media (B-frames delay every composition time by it), less the empty edits before
// it (a delay in the movie's time scale), in track units. 0 without an edit list.
int64_t editShift(BoxWalker& walker, const Box& moov, const Box& trak, uint32_t trackScale,
                  QString& error) {
    const std::optional<Box> elst =
        child(walker, child(walker, trak, "edts", error), "elst", error);
    const std::optional<Box> mvhd = walker.find(moov.payload, moov.end, fourCC("mvhd"), error);
    if (!elst || !mvhd)
        return 0;
    const uint32_t movieScale = timeScaleOf(walker, *mvhd);
    const int bytes = walker.read(elst->payload, 1, elst->end) == 1u ? 8 : 4;
    const Table edits = tableOf(walker, *elst, 2 * bytes + 4);
    int64_t delay = 0;
    for (uint32_t e = 0; e < edits.count; ++e) {
        const int64_t at = edits.first + int64_t(e) * (2 * bytes + 4);
        const uint64_t duration = walker.read(at, bytes, elst->end).value_or(0);
        const uint64_t rawMediaTime = walker.read(at + bytes, bytes, elst->end).value_or(0);
        const int64_t mediaTime =
            bytes == 8 ? int64_t(rawMediaTime) : int64_t(int32_t(uint32_t(rawMediaTime)));
        if (mediaTime >= 0)
            return mediaTime - delay;
        if (movieScale != 0)
            delay += int64_t(std::min<uint64_t>(duration, INT32_MAX)) * trackScale / movieScale;
    }
    return 0;
}

int toMs(int64_t time, uint32_t timeScale) {
    const double ms = std::trunc(double(time) * 1000.0 / double(timeScale));
    return int(std::clamp(ms, double(INT32_MIN + 1), double(INT32_MAX - 1)));
}

void finishTimes(TMP4FrameTable& result) {
    std::vector<TFrameMF>& frames = result.Frames;
    std::stable_sort(frames.begin() + 1, frames.end(),
                     [](const TFrameMF& a, const TFrameMF& b) { return a.Time < b.Time; });
    int key = 1;
    for (size_t i = 1; i < frames.size(); ++i) {
        frames[i].BeginTimeMs = toMs(frames[i].Time, result.TimeScale);
        if (frames[i].Keyframe)
            key = int(i);
        frames[i].KeyFrameId = key;
        if (i > 1)
            frames[i - 1].EndTimeMs = frames[i].BeginTimeMs - 1;
    }
    frames.back().EndTimeMs = frames.back().BeginTimeMs;
    frames[0] = TFrameMF{};
}

} // namespace

QString ReadMP4FrameTable(QIODevice& file, TMP4FrameTable& table) {
    table = TMP4FrameTable{};
    BoxWalker walker(file);
    QString error;
    const std::optional<Box> moov = walker.find(0, walker.fileSize(), fourCC("moov"), error);
    if (!moov)
        return error.isEmpty() ? QStringLiteral("The file has no movie box") : error;
    const std::optional<Box> trak = pictureTrack(walker, *moov, error);
    if (!trak)
        return error.isEmpty() ? QStringLiteral("The file has no picture track") : error;
    const std::optional<Box> mdia = child(walker, trak, "mdia", error);
    const std::optional<Box> mdhd = child(walker, mdia, "mdhd", error);
    const std::optional<Box> stbl =
        child(walker, child(walker, mdia, "minf", error), "stbl", error);
    if (!mdhd || !stbl)
        return error.isEmpty() ? QStringLiteral("The picture track is incomplete") : error;
    table.TimeScale = timeScaleOf(walker, *mdhd);
    if (table.TimeScale == 0)
        return QStringLiteral("The picture track has a time scale of 0");
    if (!readTimes(walker, *stbl, table, error))
        return error;
    if (table.NrFrames() == 0)
        return QStringLiteral("The picture track has no frames");
    readCompositionOffsets(walker, *stbl, table, error);
    table.EditShift = editShift(walker, *moov, *trak, table.TimeScale, error);
    for (size_t i = 1; i < table.Frames.size(); ++i)
        table.Frames[i].Time -= table.EditShift;
    readKeyFrames(walker, *stbl, table, error);
    finishTimes(table);
    return QString();
}
