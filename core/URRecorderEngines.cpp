#include "core/URRecorderEngines.h"

namespace {
TRRecorderEngineFactory* installedFactory = nullptr;
}

void InstallRecorderEngines(TRRecorderEngineFactory* factory) {
    installedFactory = factory;
}

TRRecorderEngineFactory* RecorderEngines() {
    return installedFactory;
}
