#pragma once
// Installs the creators of the drawable object kinds (picture, shape, text), of the sound
// kinds (audio clip, caption), of the video clip and the screen recording, and the loader of
// recovered recordings. The program calls it once after RegisterEngineKinds; tests and
// benchmarks that build such objects call it too (again is harmless).
void RegisterDrawableKinds();
