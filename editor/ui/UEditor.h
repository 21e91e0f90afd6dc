#pragma once
// The editor's main window.

#include <QMainWindow>
#include <QString>

class QTimer;
class TRProject;

class TEditor : public QMainWindow {
    Q_OBJECT
public:
    explicit TEditor(QWidget* parent = nullptr);

    // The project shown and edited; null while none is open.
    TRProject* ActiveProject = nullptr;
    // Opens a project once the message loop runs; enabled by the start-up for a project named on
    // the command line or a folder left behind by a crashed run (which wins).
    QTimer* TimerOpenProject;
    QString CommandLineProject;
    QString RecoveryFolder;
    // Arms the open-project timer when there is a project or a recovery folder to open.
    void EnableProjectOpening(const QString& commandLineProject, const QString& recoveryFolder);
    // The project or folder the open-project timer chose last.
    QString OpenedProject;

Q_SIGNALS:
    void openProjectRequested(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void TimerOpenProjectTimer();
    void FormClose();
};

// The one editor window.
extern TEditor* Editor;
