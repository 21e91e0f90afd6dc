#include "core/URFormHooks.h"

#include "core/UREditorServices.h"

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

const TRProject* CurrentProject() {
    return EditorServices().ActiveProject();
}
