#pragma once
// The progress form: runs a long operation (open, save, pack, unpack, export) synchronously on
// the user-interface thread while it shows the progress, up to three named steps, an estimate of
// the remaining time and a Cancel button. The other windows are disabled meanwhile; the user's
// input reaches the form whenever the operation reports progress.

#include "core/URFormHooks.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <functional>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

using TExecuteProcedure = std::function<void()>;

class TrProgressForm : public QDialog, public TRProgressReporter {
    Q_OBJECT
public:
    // Installs itself as the progress of the engine's long operations.
    explicit TrProgressForm(QWidget* parent = nullptr);
    ~TrProgressForm() override;

    // Runs the procedure under the form. False when the procedure set Error or raised (its
    // message is then in ErrorText); a cancel is not a failure: callers read Canceled.
    bool Execute(const QString& actionName, const TExecuteProcedure& procedure);
    // Prepares up to three steps (an empty text leaves its step hidden) and starts the clock of
    // the remaining-time estimate.
    void InitSteps(const QString& step1, const QString& step2, const QString& step3) override;
    void StartStep(int step) override;
    void EndStep(int step) override;
    void SetProgress(int percent) override;
    bool IsCanceled() const override { return Canceled; }

    // The remaining-time line for a progress after `elapsedMs`: nothing when the line keeps its
    // state, an empty text when it is hidden.
    static std::optional<QString> RemainingText(qint64 elapsedMs, int percent);

    bool Canceled = false;
    bool Error = false;
    QString ErrorText;
    // 1 only while Execute closes the form: that close is not the user's cancel.
    int Tag = 0;

    int progressValue() const;
    QString remainingText() const; // empty while hidden
    bool isStepVisible(int step) const;
    bool isStepDone(int step) const;
    QPushButton* cancelButton() const { return btnCancel_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    struct Step {
        QLabel* icon;
        QLabel* text;
        bool running = false;
        bool done = false;
    };
    void cancel();
    void step(const QString& actionName, const char* stage);
    void disableOtherWindows();
    void enableWindows();
    void resetSteps();
    void showRunningGlyphs();
    Step* stepAt(int step);

    Step steps_[3];
    QProgressBar* progress_;
    QLabel* remaining_;
    QPushButton* btnCancel_;
    QTimer* spinner_;
    int spinnerPhase_ = 0;
    QElapsedTimer clock_;
    QList<QPointer<QWidget>> disabled_;
};
