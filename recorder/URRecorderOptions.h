#pragma once
// The live compositor's options of one video-mode recording, filled from the settings record
// and the run's state at its start.

#include "core/URSettings.h"
#include "core/URVideoRecorderOptions.h"

#include <QSize>
#include <QString>

// The run's state that the options take beside the settings.
struct TRVideoRunSources {
    bool Screen = false;     // the screen source is on
    QSize Input;             // the recorded rectangle (the monitor when full screen)
    bool CameraOpen = false; // the camera engine runs
    bool Mic = false;        // the microphone source is on and its engine runs
    bool Sound = false;      // the system-sound source is on and its engine runs
    QString OutputFileName;  // recordings folder + the run's base name, no extension
};

TRVideoRecorderOptions BuildVideoRecorderOptions(const TSettingsRecord& settings,
                                                 const TRVideoRunSources& run);
