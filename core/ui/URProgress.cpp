#include "core/ui/URProgress.h"

#include "core/URSettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

namespace {

const QString SpinnerGlyphs[] = {"◐", "◓", "◑", "◒"};
const QString DoneGlyph = "✓";
constexpr int SpinnerIntervalMs = 120;
constexpr qint64 EstimateAfterMs = 2000;

} // namespace

TrProgressForm::TrProgressForm(QWidget* parent)
    : QDialog(parent), progress_(new QProgressBar(this)), remaining_(new QLabel(this)),
      btnCancel_(new QPushButton("Cancel", this)), spinner_(new QTimer(this)) {
    progress_->setValue(0);
    setObjectName("TrProgressForm");
    setWindowTitle("Progress");
    resize(400, 170);
    auto* layout = new QVBoxLayout(this);
    progress_->setRange(0, 100);
    layout->addWidget(progress_);
    auto* grid = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        steps_[i].icon = new QLabel(this);
        steps_[i].text = new QLabel(this);
        steps_[i].icon->setFixedWidth(20);
        grid->addWidget(steps_[i].icon, i, 0);
        grid->addWidget(steps_[i].text, i, 1);
    }
    layout->addLayout(grid);
    layout->addWidget(remaining_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel_);
    layout->addLayout(buttons);
    connect(btnCancel_, &QPushButton::clicked, this, &TrProgressForm::cancel);
    spinner_->setInterval(SpinnerIntervalMs);
    connect(spinner_, &QTimer::timeout, this, &TrProgressForm::showRunningGlyphs);
    resetSteps();
    InstallProgress(this);
}

TrProgressForm::~TrProgressForm() {
    if (InstalledProgress() == this)
        InstallProgress(nullptr);
}

void TrProgressForm::step(const QString& actionName, const char* stage) {
    SaveLastStep(SettingsRecord, CurrentProject(), "PF_" + actionName + "_" + stage);
}

bool TrProgressForm::Execute(const QString& actionName, const TExecuteProcedure& procedure) {
    step(actionName, "Start");
    disableOtherWindows();
    step(actionName, "Execute");
    setWindowTitle(actionName);
    resetSteps();
    progress_->setValue(0);
    clock_.start();
    Canceled = false;
    Error = false;
    ErrorText.clear();
    Tag = 0;
    show();
    if (procedure) {
        try {
            procedure();
        } catch (const std::exception& error) {
            Error = true;
            ErrorText = QString::fromLocal8Bit(error.what());
        } catch (...) {
            Error = true;
            ErrorText = "Unknown error.";
        }
    }
    step(actionName, "Enable");
    enableWindows();
    Tag = 1;
    close();
    Tag = 0;
    spinner_->stop();
    step(actionName, "End");
    return !Error;
}

void TrProgressForm::disableOtherWindows() {
    disabled_.clear();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == this || !window->isVisible() || !window->isEnabled())
            continue;
        window->setEnabled(false);
        disabled_ << window;
    }
}

void TrProgressForm::enableWindows() {
    for (const QPointer<QWidget>& window : disabled_)
        if (window)
            window->setEnabled(true);
    disabled_.clear();
}

void TrProgressForm::resetSteps() {
    for (Step& s : steps_) {
        s.icon->hide();
        s.text->hide();
        s.running = s.done = false;
    }
    remaining_->clear();
    remaining_->hide();
}

TrProgressForm::Step* TrProgressForm::stepAt(int step) {
    return step >= 1 && step <= 3 ? &steps_[step - 1] : nullptr;
}

void TrProgressForm::InitSteps(const QString& step1, const QString& step2, const QString& step3) {
    const QString texts[] = {step1, step2, step3};
    for (int i = 0; i < 3; ++i) {
        if (texts[i].isEmpty())
            continue;
        Step& s = steps_[i];
        s.running = s.done = false;
        s.icon->setText(SpinnerGlyphs[0]);
        s.icon->hide();
        s.text->setText(texts[i]);
        s.text->show();
    }
    clock_.start();
}

void TrProgressForm::StartStep(int step) {
    Step* s = stepAt(step);
    if (!s)
        return;
    s->running = true;
    s->done = false;
    s->icon->setText(SpinnerGlyphs[spinnerPhase_]);
    s->icon->show();
    spinner_->start();
}

void TrProgressForm::EndStep(int step) {
    Step* s = stepAt(step);
    if (!s)
        return;
    s->running = false;
    s->done = true;
    s->icon->setText(DoneGlyph);
}

void TrProgressForm::showRunningGlyphs() {
    spinnerPhase_ = (spinnerPhase_ + 1) % int(std::size(SpinnerGlyphs));
    for (Step& s : steps_)
        if (s.running)
            s.icon->setText(SpinnerGlyphs[spinnerPhase_]);
}

std::optional<QString> TrProgressForm::RemainingText(qint64 elapsedMs, int percent) {
    if (elapsedMs <= EstimateAfterMs || percent <= 0 || percent >= 100)
        return std::nullopt;
    const qint64 remaining = elapsedMs * 100 / percent - elapsedMs;
    if (remaining < 1000)
        return QString();
    const qint64 seconds = remaining / 1000;
    const qint64 minutes = seconds / 60;
    const qint64 rest = seconds % 60;
    QString text;
    if (minutes != 0)
        text += QString::number(minutes) + " min";
    if (rest != 0)
        text += (text.isEmpty() ? "" : ", ") + QString::number(rest) + " sec";
    if (!text.isEmpty())
        text += " remaining";
    return text;
}

void TrProgressForm::SetProgress(int percent) {
    if (!isVisible() || Canceled)
        return;
    progress_->setValue(percent);
    progress_->repaint();
    if (const auto text = RemainingText(clock_.elapsed(), percent)) {
        remaining_->setText(*text);
        remaining_->setVisible(!text->isEmpty());
    }
    QApplication::processEvents();
}

void TrProgressForm::cancel() {
    Canceled = true;
    setWindowTitle("Canceling...");
}

void TrProgressForm::closeEvent(QCloseEvent* event) {
    if (Tag == 1) {
        QDialog::closeEvent(event);
        return;
    }
    cancel();
    event->ignore(); // the form stays until the operation returns
}

void TrProgressForm::reject() {
    if (Tag == 1)
        QDialog::reject();
    else
        cancel();
}

int TrProgressForm::progressValue() const {
    return progress_->value();
}

QString TrProgressForm::remainingText() const {
    return remaining_->isVisibleTo(this) ? remaining_->text() : QString();
}

bool TrProgressForm::isStepVisible(int step) const {
    return step >= 1 && step <= 3 && steps_[step - 1].text->isVisibleTo(this);
}

bool TrProgressForm::isStepDone(int step) const {
    return step >= 1 && step <= 3 && steps_[step - 1].done;
}
