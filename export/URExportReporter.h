#pragma once
// What an export run tells the person waiting for it, and asks them: the progress steps and
// percentage, whether to stop, what to do when the finished file cannot be copied to its
// destination, and where to find a file that could not be delivered. The export dialog's
// progress form implements it; tests record it.

#include <QString>
#include <QStringList>

class TRExportReporter {
public:
    virtual ~TRExportReporter() = default;
    virtual void InitSteps(const QStringList& steps) = 0;
    virtual void StartStep(int step) = 0;
    virtual void EndStep(int step) = 0;
    virtual void SetProgress(int percent) = 0;
    // Polled between frames; true stops the run.
    virtual bool Canceled() = 0;
    // The copy to the destination failed with `text`: true to try again, false to give up.
    virtual bool RetryCopy(const QString& text) = 0;
    // The copy was given up: `text` says so and `path` is the file left in the work folder,
    // to be shown in its folder.
    virtual void ShowUndelivered(const QString& text, const QString& path) = 0;
};
