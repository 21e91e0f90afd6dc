#include "capture/UVideoWriterTVC.h"

#include <algorithm>

TVideoWriterTVC::~TVideoWriterTVC() {
    delete Encoder;
}

bool TVideoWriterTVC::Fail(const QString& Reason) {
    FLastError = Reason;
    return false;
}

bool TVideoWriterTVC::WriteAll(const uint8_t* Data, int64_t Size) {
    if (fsout.write(reinterpret_cast<const char*>(Data), Size) != Size || !fsout.flush())
        return Fail(
            QStringLiteral("cannot write %1: %2").arg(fsout.fileName(), fsout.errorString()));
    fsoutsize += Size;
    return true;
}

bool TVideoWriterTVC::StartWrite(int AWidth, int AHeight, int AQuality, int ABackupTimeMs,
                                 const QString& AFileName, bool ADataIsARGB) {
    FWidth = AWidth;
    FHeight = AHeight;
    FQuality = AQuality;
    FBackupTimeMs = ABackupTimeMs;
    FFileName = AFileName;
    FDataIsARGB = ADataIsARGB;
    delete Encoder;
    Encoder = new TVideoEncoder;
    Encoder->MultiThread = true;
    Encoder->ProcessorCount = ProcessorCount;
    if (Encoder->StartEncode(AWidth, AHeight, AQuality, ADataIsARGB) == 0) {
        delete Encoder;
        Encoder = nullptr;
        return Fail(QStringLiteral("cannot encode %1 x %2 pictures at quantiser step %3")
                        .arg(AWidth)
                        .arg(AHeight)
                        .arg(AQuality));
    }
    fsout.setFileName(AFileName + QStringLiteral(".tvf"));
    if (!fsout.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        delete Encoder;
        Encoder = nullptr;
        return Fail(
            QStringLiteral("cannot create %1: %2").arg(fsout.fileName(), fsout.errorString()));
    }
    fsoutsize = 0;
    const uint8_t head[kTvfHeadBytes] = {};
    if (!WriteAll(head, kTvfHeadBytes))
        return false;
    bufferdata.assign(Encoder->MaxFrameBytes() + kTvfTimeBytes, 0);
    NextIsKeyframe = true;
    CurrentFrameId = 1;
    NrFrames = 0;
    bufferused = 0;
    Frames.clear();
    Frames.reserve(10000);
    return true;
}

int TVideoWriterTVC::AddFrame(const uint8_t* PSrc, int Stride, int TimeMs) {
    if (!Encoder || !fsout.isOpen())
        return 0;
    const int size = Encoder->Encode(NextIsKeyframe, PSrc, Stride, bufferdata.data());
    if (size == 0)
        return 0;
    // Readers rely on times that never go back.
    if (!Frames.empty())
        TimeMs = std::max(TimeMs, Frames.back().TimeMs);
    Frames.push_back({CurrentFrameId, NextIsKeyframe, TimeMs, fsoutsize, size});
    WriteLE<int32_t>(bufferdata.data() + size, TimeMs);
    if (!WriteAll(bufferdata.data(), size + kTvfTimeBytes))
        return -1;
    ++CurrentFrameId;
    NextIsKeyframe = false;
    bufferused += size + kTvfTimeBytes;
    ++NrFrames;
    if (bufferused > MaxBytes || NrFrames >= MaxNrFrames) {
        NextIsKeyframe = true;
        NrFrames = 0;
        bufferused = 0;
    }
    return size;
}

bool TVideoWriterTVC::StopWrite(int LastTimeMs) {
    delete Encoder;
    Encoder = nullptr;
    bufferdata.clear();
    if (!fsout.isOpen())
        return Fail(QStringLiteral("no screen-video file is open"));
    Frames.resize(CurrentFrameId - 1);
    const int n = static_cast<int>(Frames.size());
    std::vector<uint8_t> index(kTvfIndexHeadBytes + std::size_t(kTvfIndexRecordBytes) * n);
    std::memcpy(index.data(), kTvfMagic, sizeof kTvfMagic);
    WriteLE<int32_t>(index.data() + 8, FWidth);
    WriteLE<int32_t>(index.data() + 12, FHeight);
    index[16] = static_cast<uint8_t>(FQuality);
    WriteLE<int32_t>(index.data() + 17, LastTimeMs);
    WriteLE<int32_t>(index.data() + 21, n);
    for (int i = 0; i < n; ++i)
        WriteFrameHeader(index.data() + kTvfIndexHeadBytes + kTvfIndexRecordBytes * i, Frames[i]);
    const int64_t indexOffset = fsoutsize;
    uint8_t head[kTvfHeadBytes];
    WriteLE<int64_t>(head, indexOffset);
    WriteLE<int64_t>(head + 8, static_cast<int64_t>(index.size()));
    const bool ok = WriteAll(index.data(), static_cast<int64_t>(index.size())) && fsout.seek(0) &&
                    WriteAll(head, kTvfHeadBytes);
    fsout.close();
    Frames.clear();
    return ok || Fail(QStringLiteral("cannot finish %1").arg(fsout.fileName()));
}
