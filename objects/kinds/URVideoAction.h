#pragma once
// A 400 ms marker on the timeline carrying an action for the exported web page's player (pause,
// jump, open an address ...). It has no placement, keyframes or split and never draws.

#include "core/URObject.h"

class TRVideoAction : public TRObject {
public:
    TRVideoAction(TRProject* project, TRObjectType type);

    // The Video Action group's action; 0 without the group.
    std::int32_t GetVideoAction() const override;
};
