#pragma once
// The live recorder's options are plain data that the recorder tool bar builds; they live in
// core/ so that the tool bar and the capture engines share them.

#include "core/URVideoRecorderOptions.h"
