#pragma once
// What the engine's long operations need from the shared forms. The forms live in the UI
// library and install themselves here; without them (tests, tools) the operations run silently.

#include <QString>

// The running progress form: the operation reports its percentage and polls for a cancel.
class TRProgressReporter {
public:
    virtual ~TRProgressReporter() = default;
    virtual void SetProgress(int percent) = 0;
    virtual bool IsCanceled() const = 0;
    // The named steps of the operation (up to three; an empty text is no step); a reporter
    // without steps ignores them.
    virtual void InitSteps(const QString&, const QString&, const QString&) {}
    virtual void StartStep(int) {}
    virtual void EndStep(int) {}
};

// The waiting form: shown, given information lines while work goes on, closed.
class TRWaitingReporter {
public:
    virtual ~TRWaitingReporter() = default;
    virtual void Show() = 0;
    // Shows the line and lets the user interface process its pending events.
    virtual void UpdateInfo(const QString& info) = 0;
    virtual void Close() = 0;
};

// The installed forms, or null.
TRProgressReporter* InstalledProgress();
void InstallProgress(TRProgressReporter* progress);
TRWaitingReporter* InstalledWaiting();
void InstallWaiting(TRWaitingReporter* waiting);

class TRProject;
// The project the editor is working on, for the breadcrumbs of the shared forms (the editor
// services' active project; none without the editor).
const TRProject* CurrentProject();
