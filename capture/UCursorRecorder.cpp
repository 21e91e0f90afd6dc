#include "capture/UCursorRecorder.h"

#include "media/ULittleEndianWriter.h"
#include "platform/capture/Pointer.h"

#include <QSaveFile>
#include <algorithm>
#include <chrono>
#include <cmath>

using platform::capture::PointerImage;
using platform::capture::PointerWatcher;

TCursorRecorderThread::TCursorRecorderThread(QPoint origin, const QString& outputFileName,
                                             int framePS, int, uint8_t, const QByteArray& display)
    : FOrigin(origin), FOutputFileName(outputFileName), FFramePS(framePS), FDisplay(display) {
    FCursors.reserve(1000);
    m_lastLC.Time = m_lastRC.Time = -1000;
}

TCursorRecorderThread::~TCursorRecorderThread() = default;

int TCursorRecorderThread::SampleInterval(int framePS) {
    return framePS > 0 ? std::max(1, 1000 / framePS - 5) : 30;
}

void TCursorRecorderThread::Execute() {
    SetStatus(1);
    PointerWatcher watcher(FDisplay.isEmpty() ? nullptr : FDisplay.constData());
    SetStatus(2);
    const auto interval = std::chrono::milliseconds(SampleInterval(FFramePS));
    SetStatus(3);
    UpdatePointer(watcher);
    auto next = std::chrono::steady_clock::now();
    while (!Terminated()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= next) {
            if (FRecording)
                SampleCursor(0, watcher.position());
            next = std::max(next + interval, now);
            continue;
        }
        // Waits for the next sample or an event, whichever comes first, and never so long
        // that Terminate goes unnoticed.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - now);
        const platform::capture::PointerEvents events =
            watcher.wait(int(std::clamp<int64_t>(left.count(), 1, 50)));
        if (events.shapeChanged)
            UpdatePointer(watcher);
        for (uint32_t flags : events.buttons)
            if (FRecording)
                SampleCursor(flags, watcher.position());
    }
    SetStatus(4);
    SaveCursorFile();
    SetStatus(8);
    SetStatus(9);
}

void TCursorRecorderThread::SampleCursor(uint32_t AButtons, QPoint position) {
    std::lock_guard lock(FCS);
    TCursorRecord sample;
    sample.Time = int32_t(MediaTime());
    sample.Position = position - FOrigin;
    sample.Buttons = AButtons;
    sample.Pointer = m_hidden ? -2 : m_lastPointer;
    // A sample holding both releases counts as a left click.
    if (AButtons & TCursorReader::LeftButtonUp)
        m_lastLC.Time = sample.Time, m_lastLC.Position = sample.Position;
    else if (AButtons & TCursorReader::RightButtonUp)
        m_lastRC.Time = sample.Time, m_lastRC.Position = sample.Position;
    FCursors.push_back(sample);
}

void TCursorRecorderThread::UpdatePointer(PointerWatcher& watcher) {
    PointerImage image;
    if (!watcher.image(image))
        return;
    std::lock_guard lock(FCS);
    m_hidden = image.transparent();
    if (m_hidden)
        return;
    TPointerShape shape;
    shape._Type = PointerShapeColour;
    shape.Width = uint32_t(image.width);
    shape.Height = uint32_t(image.height);
    shape.Pitch = shape.Width * 4;
    shape.HotSpot = image.hotSpot;
    shape.PointerShapeBuffer =
        QByteArray(reinterpret_cast<const char*>(image.bgra.data()), qsizetype(image.bgra.size()));
    for (std::size_t i = 0; i < FPointers.size(); ++i) {
        const TPointerShape& known = FPointers[i];
        if (FSerials[i] == image.serial ||
            (known.Width == shape.Width && known.Height == shape.Height &&
             known.HotSpot == shape.HotSpot &&
             known.PointerShapeBuffer == shape.PointerShapeBuffer)) {
            m_lastPointer = int(i);
            return;
        }
    }
    FPointers.push_back(shape);
    FSerials.push_back(image.serial);
    m_lastPointer = int(FPointers.size()) - 1;
}

bool TCursorRecorderThread::GetCursor(int ATimeMs, TCursorRecord& ACursor, TPointerShape& APointer,
                                      TCursorRecord& ALastLCcursor, TCursorRecord& ALastRCcursor) {
    ALastLCcursor.Time = ALastRCcursor.Time = -1;
    APointer.Width = APointer.Height = 0;
    std::lock_guard lock(FCS);
    const int count = int(FCursors.size());
    if (count < 2)
        return false;
    ACursor = FCursors.back();
    if (FCursors[std::size_t(m_lastPos)].Time > ATimeMs) {
        m_lastPos = count - 1;
    } else {
        for (int i = m_lastPos; i < count - 1; ++i) {
            const TCursorRecord& a = FCursors[std::size_t(i)];
            const TCursorRecord& b = FCursors[std::size_t(i) + 1];
            if (a.Time <= ATimeMs && ATimeMs < b.Time) {
                ACursor = a;
                if (m_lastPos > 0 && a.Time != b.Time) {
                    const double f = double(b.Time - a.Time);
                    ACursor.Position.setX(int(
                        std::trunc(a.Position.x() +
                                   (ATimeMs - a.Time) * (b.Position.x() - a.Position.x()) / f)));
                    ACursor.Position.setY(int(
                        std::trunc(a.Position.y() +
                                   (ATimeMs - a.Time) * (b.Position.y() - a.Position.y()) / f)));
                }
                m_lastPos = i;
                break;
            }
        }
    }
    ALastLCcursor = m_lastLC;
    ALastRCcursor = m_lastRC;
    if (ACursor.Pointer == -2)
        return true;
    if (ACursor.Pointer < 0) {
        if (FPointers.empty())
            return true;
        ACursor.Pointer = 0;
    }
    APointer = FPointers[std::size_t(ACursor.Pointer)];
    return true;
}

QByteArray TCursorRecorderThread::CursorFileBytes(const std::vector<TPointerShape>& pointers,
                                                  const std::vector<TCursorRecord>& cursors) {
    TLittleEndianWriter out;
    out.U32(uint32_t(pointers.size()));
    for (const TPointerShape& shape : pointers) {
        for (uint32_t v :
             {shape._Type, shape.Width, shape.Height, shape.Pitch, uint32_t(shape.HotSpot.x()),
              uint32_t(shape.HotSpot.y()), uint32_t(shape.PointerShapeBuffer.size())})
            out.U32(v);
        out.Bytes(reinterpret_cast<const uint8_t*>(shape.PointerShapeBuffer.constData()),
                  shape.PointerShapeBuffer.size());
    }
    out.U32(uint32_t(cursors.size()));
    for (const TCursorRecord& c : cursors)
        for (uint32_t v : {uint32_t(c.Time), uint32_t(c.Position.x()), uint32_t(c.Position.y()),
                           c.Buttons, uint32_t(c.Pointer)})
            out.U32(v);
    return out.Data();
}

void TCursorRecorderThread::SaveCursorFile() {
    if (FOutputFileName.trimmed().isEmpty())
        return;
    // Sampling has ended; the track is complete before it gets its real name.
    QSaveFile file(FOutputFileName + QStringLiteral(".tcf"));
    if (!file.open(QIODevice::WriteOnly))
        return;
    SetStatus(5);
    SetStatus(int(FCursors.size()));
    file.write(CursorFileBytes(FPointers, FCursors));
    if (file.commit())
        SetStatus(7);
}
