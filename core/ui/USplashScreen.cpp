#include "core/ui/USplashScreen.h"

#include "core/URSettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

TsplashScreen* SplashScreen = nullptr;

TsplashScreen::TsplashScreen(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      progress_(new QProgressBar(this)), information_(new QLabel(this)) {
    setObjectName("TsplashScreen");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel("Tavrin", this);
    QFont font = title->font();
    font.setPointSize(28);
    title->setFont(font);
    layout->addWidget(title);
    progress_->setRange(0, 100);
    layout->addWidget(progress_);
    layout->addWidget(information_);
    resize(420, 160);
}

void TsplashScreen::Execute() {
    SaveLastStep(SettingsRecord, nullptr, "Splash_Ex_Start");
    SaveLastStep(SettingsRecord, nullptr, "Splash_Show");
    show();
    QApplication::processEvents();
}

void TsplashScreen::SetProgress(int position, const QString& information) {
    progress_->setValue(position);
    information_->setText(information);
    if (!information.trimmed().isEmpty())
        SaveLastStep(SettingsRecord, nullptr, information);
    QApplication::processEvents();
}

int TsplashScreen::progress() const {
    return progress_->value();
}

QString TsplashScreen::information() const {
    return information_->text();
}

void TsplashScreen::closeEvent(QCloseEvent* event) {
    if (Tag != 0)
        event->ignore();
    else
        QDialog::closeEvent(event);
}
