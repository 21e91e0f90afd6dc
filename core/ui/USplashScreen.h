#pragma once
// The splash form shown while the long-lived forms are created. It cannot be closed by the user
// while its Tag is 1.

#include <QDialog>

class QLabel;
class QProgressBar;

class TsplashScreen : public QDialog {
    Q_OBJECT
public:
    explicit TsplashScreen(QWidget* parent = nullptr);
    // Shows the splash without waiting.
    void Execute();
    // Moves the progress bar and shows the information line; a non-blank text is also recorded
    // as the step breadcrumb.
    void SetProgress(int position, const QString& information);
    int progress() const;
    QString information() const;
    int Tag = 1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* progress_;
    QLabel* information_;
};

// The splash while the program starts, or null.
extern TsplashScreen* SplashScreen;
