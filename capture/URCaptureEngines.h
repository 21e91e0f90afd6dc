#pragma once
// The capture engines behind the recorder tool bar's engine interfaces (core/URRecorderEngines).

// Installs the capture engines as the recorder's engine factory; the program calls it once at
// start-up, end-to-end tests too. RemoveCaptureEngines takes them out again.
void InstallCaptureEngines();
void RemoveCaptureEngines();
