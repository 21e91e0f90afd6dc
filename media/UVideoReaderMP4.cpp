#include "media/UVideoReaderMP4.h"

#include "media/UMP4FrameTable.h"

#include <QFile>

void TVideoReaderMP4::OpenFile(const QString& fileName, int64_t, uint32_t) {
    FIsValid = false;
    TMP4FrameTable table;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        FErrorText = file.errorString();
        return;
    }
    FErrorText = ReadMP4FrameTable(file, table);
    file.close();
    if (!FErrorText.isEmpty())
        return;
    FTimeScale = table.TimeScale;
    FFrames = std::move(table.Frames);
    FNrFrames = int(FFrames.size()) - 1;
    platform::media::OpenOptions options;
    options.ignoreEditList = true;
    if (!OpenSource(fileName, options))
        return;
    if (FFramePS <= 0)
        FFramePS = 30;
    // The table ends where the file's duration says the last frame ends.
    TFrameMF& last = FFrames[size_t(FNrFrames)];
    last.BeginTimeMs = std::min(last.BeginTimeMs, FDurationMs);
    last.EndTimeMs = FDurationMs;
    LastFrameId = 0;
    FIsValid = true;
}
