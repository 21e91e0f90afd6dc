// Makes the scene paint as while the editor plays (or not), through a stand-in for the editor's
// services; false puts the null editor back.
#pragma once

#include "core/UREditorServices.h"

inline void SetScenePlaying(bool playing) {
    struct PlayingServices : TREditorServices {
        TRProject* ActiveProject() const override { return nullptr; }
        void RepaintScene() override {}
        bool Playing() const override { return true; }
    };
    static PlayingServices services;
    InstallEditorServices(playing ? &services : nullptr);
}
