#include "editor/ui/UEditor.h"

#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URTempFolders.h"
#include "core/ui/USplashScreen.h"
#include "platform/system/Clock.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

TEditor* Editor = nullptr;

TEditor::TEditor(QWidget* parent) : QMainWindow(parent), TimerOpenProject(new QTimer(this)) {
    setObjectName("TEditor");
    setWindowTitle("Tavrin");
    resize(1280, 800);
    if (SplashScreen)
        SplashScreen->SetProgress(50, "Creating the object inspector");
    auto* startPage = new QLabel("Tavrin", this);
    startPage->setAlignment(Qt::AlignCenter);
    setCentralWidget(startPage);
    TimerOpenProject->setSingleShot(true);
    TimerOpenProject->setInterval(100);
    TimerOpenProject->stop();
    connect(TimerOpenProject, &QTimer::timeout, this, &TEditor::TimerOpenProjectTimer);
    CopySamples();
    SaveLastStep(SettingsRecord, ActiveProject, "End_EditorFormCreate");
}

void TEditor::EnableProjectOpening(const QString& commandLineProject,
                                   const QString& recoveryFolder) {
    CommandLineProject = commandLineProject;
    RecoveryFolder = recoveryFolder;
    if (!CommandLineProject.isEmpty() || !RecoveryFolder.isEmpty())
        TimerOpenProject->start();
}

void TEditor::TimerOpenProjectTimer() {
    TimerOpenProject->stop();
    const QString path = !RecoveryFolder.isEmpty() ? RecoveryFolder : CommandLineProject;
    if (path.isEmpty())
        return;
    SaveLastStep(SettingsRecord, ActiveProject, "OpenProjectTimer_" + path.toLower());
    OpenedProject = path;
    Q_EMIT openProjectRequested(path);
}

void TEditor::FormClose() {
    SaveLastStep(SettingsRecord, ActiveProject, "Close Start");
    RemoveEmptyTempFolders();
    if (FirstInstance) {
        const std::uint32_t elapsed =
            platform::system::tickCount() - SettingsRecord.SessionStartTick;
        SettingsRecord.MinutesUsed += static_cast<std::int32_t>(elapsed / 60000);
        SettingsRecord.SessionCount += 1;
        if (SettingsRecord.SessionCount == 1) {
            QString status = "_" + QString::number(SettingsRecord.MinutesUsed);
            for (const std::int32_t seconds : SettingsRecord.RecordedSeconds)
                status += seconds >= 60 ? "_" + QString::number(seconds / 60)
                                        : "_" + QString::number(seconds) + "s";
            QString reply;
            SendServerMessage(reply, true, 1, status);
        }
    }
    SaveLastStep(SettingsRecord, ActiveProject, "Close");
}

void TEditor::closeEvent(QCloseEvent* event) {
    FormClose();
    QMainWindow::closeEvent(event);
}
