// The cursor track of a screen recording (".tcf"): pointer shapes, then timed samples of the
// pointer's position, button transitions and shape. Answers where the pointer was at a time,
// which shape it showed and which clicks happened shortly before.
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

// One sample, 20 bytes in the file.
struct TCursorRecord {
    int32_t Time = 0;     // ms from the start of the recording
    QPoint Position;      // pixels of the recorded picture
    uint32_t Buttons = 0; // button transitions; bit 2 left-up, bit 8 right-up
    int32_t Pointer = 0;  // index of the shape; -2 hidden; 0 or another negative value shape 0
};

// One pointer shape, as the recorder stored it (straight BGRA or a mask, `Pitch` per row).
struct TPointerShape {
    uint32_t _Type = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t Pitch = 0;
    QPoint HotSpot;
    QByteArray PointerShapeBuffer; // shared with the reader's copy
};

// What the track says at one time.
struct TCursorState {
    TCursorRecord Cursor;  // the sample in force, its position interpolated
    TPointerShape Pointer; // Width and Height 0 when the pointer is hidden or has no shape
    int LastLCTime = -1;   // time of a recent left click, -1 for none
    TCursorRecord LastLCcursor;
    int LastRCTime = -1; // time of a recent right click, -1 for none
    TCursorRecord LastRCcursor;
};

class TCursorReader {
public:
    static constexpr uint32_t LeftButtonUp = 2;
    static constexpr uint32_t RightButtonUp = 8;
    // How far back before the sample in force clicks are still reported.
    static constexpr int ClickWindowMs = 1000;

    // Loads the track that starts at `fileOffset` in the file. False, with an empty track and
    // the reason in ErrorText, when the file cannot be read or is damaged.
    bool OpenFile(const QString& fileName, int64_t fileOffset = 0);
    // Loads a track from memory (the file's bytes from the track's start).
    bool Load(const QByteArray& data);
    // The state at timeMs; false only when the track has no samples.
    bool GetCursor(int timeMs, TCursorState& state) const;
    QString ErrorText() const { return FErrorText; }

    // A click is a sample whose button transitions contain a left-up or a right-up.
    static bool IsClick(const TCursorRecord& sample) {
        return sample.Buttons & (LeftButtonUp | RightButtonUp);
    }

    std::vector<TCursorRecord> FCursors; // ascending time
    int FNrCursors = 0;
    std::vector<TPointerShape> FPointers;
    int FDurationMs = 0; // time of the last sample
    int FNrClicks = 0;
    std::vector<TCursorRecord> FClicks;

private:
    void Reset();
    int FindSample(int timeMs) const;
    const TCursorRecord* RecentClick(int found, uint32_t button) const;

    QString FErrorText;
};
