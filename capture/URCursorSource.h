#pragma once
// Where the live compositor asks for the pointer at a frame's time: the cursor worker of a
// screen recording, or a scripted source in tests.

#include "media/UCursorReader.h"

class TRCursorSource {
public:
    virtual ~TRCursorSource() = default;
    // The cursor at ATimeMs, its shape (width and height 0 when hidden) and the latest left
    // and right clicks (time -1000 before the first); false while fewer than two samples
    // exist.
    virtual bool GetCursor(int ATimeMs, TCursorRecord& ACursor, TPointerShape& APointer,
                           TCursorRecord& ALastLCcursor, TCursorRecord& ALastRCcursor) = 0;
};
