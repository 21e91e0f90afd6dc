#include "core/URFormHooks.h"

namespace {
TRProgressReporter* progressForm = nullptr;
TRWaitingReporter* waitingForm = nullptr;
} // namespace

TRProgressReporter* InstalledProgress() {
    return progressForm;
}

void InstallProgress(TRProgressReporter* progress) {
    progressForm = progress;
}

TRWaitingReporter* InstalledWaiting() {
    return waitingForm;
}

void InstallWaiting(TRWaitingReporter* waiting) {
    waitingForm = waiting;
}

namespace {
TRCurrentProjectSource currentProjectSource = nullptr;
} // namespace

const TRProject* CurrentProject() {
    return currentProjectSource ? currentProjectSource() : nullptr;
}

void InstallCurrentProjectSource(TRCurrentProjectSource source) {
    currentProjectSource = source;
}
