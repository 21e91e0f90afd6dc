#include "media/UVideoReaderMP4.h"

#include "media/UMP4FrameTable.h"

#include <QFile>
#include <algorithm>

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
    // The decoder gives raw composition times; the table starts where the edit list does.
    FSourceOffset = table.EditShift * platform::media::TicksPerSecond / int64_t(FTimeScale);
    if (FFramePS <= 0)
        FFramePS = 30;
    // The table ends where the file's duration says the last frame ends. A file whose edit
    // list does not cover its composition times can run past that duration; the duration then
    // grows so that the last frames stay reachable; a last frame of no duration lasts as long
    // as the one before it.
    TFrameMF& last = FFrames[size_t(FNrFrames)];
    if (last.BeginTimeMs >= FDurationMs) {
        const int step =
            FNrFrames > 1 ? last.BeginTimeMs - FFrames[size_t(FNrFrames) - 1].BeginTimeMs : 0;
        FDurationMs = last.BeginTimeMs + std::max(step, 1);
    }
    last.EndTimeMs = FDurationMs;
    LastFrameId = 0;
    FIsValid = true;
}
