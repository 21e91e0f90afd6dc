#pragma once
// The cursor worker of a screen recording: a sample of the pointer's position and shape every
// 1000 div fps - 5 ms and one at every button transition, the pointer shapes met (each stored
// once), and on its end the cursor-track file "<base>.tcf". The live compositor asks it for the
// cursor at a media time instead while a live recording runs.

#include "capture/UCaptureWorker.h"
#include "capture/URCursorSource.h"
#include "media/UCursorReader.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <mutex>
#include <vector>

namespace platform::capture {
class PointerWatcher;
}

// Shape kind of a colour pointer with straight alpha.
inline constexpr uint32_t PointerShapeColour = 82;

class TCursorRecorderThread : public TCaptureWorker, public TRCursorSource {
public:
    // `display` names the X display (empty: $DISPLAY).
    TCursorRecorderThread(QPoint origin, const QString& outputFileName, int framePS,
                          int backupTimeMs, uint8_t captureMethod, const QByteArray& display = {});
    ~TCursorRecorderThread() override;

    // The cursor at ATimeMs (position interpolated between samples), its shape (width and
    // height 0 when hidden or unknown) and the latest left and right clicks; false while fewer
    // than two samples exist.
    bool GetCursor(int ATimeMs, TCursorRecord& ACursor, TPointerShape& APointer,
                   TCursorRecord& ALastLCcursor, TCursorRecord& ALastRCcursor) override;
    // The sampling interval of a frame rate.
    static int SampleInterval(int framePS);
    // The file's bytes for a shape table and samples.
    static QByteArray CursorFileBytes(const std::vector<TPointerShape>& pointers,
                                      const std::vector<TCursorRecord>& cursors);

protected:
    void Execute() override;

private:
    void SampleCursor(uint32_t AButtons, QPoint position);
    void UpdatePointer(platform::capture::PointerWatcher& watcher);
    void SaveCursorFile();

    QPoint FOrigin;
    QString FOutputFileName;
    int FFramePS;
    QByteArray FDisplay;
    std::mutex FCS;
    std::vector<TCursorRecord> FCursors;
    std::vector<TPointerShape> FPointers;
    std::vector<uint32_t> FSerials; // the server's number of each shape
    int m_lastPos = 0;
    int m_lastPointer = -1;
    bool m_hidden = false;
    TCursorRecord m_lastLC, m_lastRC;
};
