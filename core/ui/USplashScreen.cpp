#include "core/ui/USplashScreen.h"

#include "core/URSettings.h"
#include "core/URUtils.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

TsplashScreen* SplashScreen = nullptr;

TsplashScreen::TsplashScreen(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      version_(new QLabel(this)), progress_(new QProgressBar(this)),
      information_(new QLabel(this)) {
    setObjectName("TsplashScreen");
    setFixedSize(340, 235);
    setStyleSheet("TsplashScreen { background: #2B333E; }"
                  "QLabel { font-family: 'Segoe UI'; font-weight: bold; }"
                  "QLabel#logo { color: white; font-size: 40pt; }"
                  "QLabel#version { color: white; }"
                  "QLabel#information { color: silver; }"
                  "QProgressBar { border: none; background: #3E4A5A; }"
                  "QProgressBar::chunk { background: #00A1A1; }");
    auto* logo = new QLabel("Tavrin", this);
    logo->setObjectName("logo");
    logo->setFixedSize(300, 98);
    logo->setAlignment(Qt::AlignCenter);
    version_->setObjectName("version");
    version_->setAlignment(Qt::AlignRight);
    information_->setObjectName("information");
    progress_->setRange(0, 100);
    progress_->setFixedSize(295, 3);
    progress_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 10, 20, 20);
    layout->addWidget(logo, 0, Qt::AlignHCenter);
    layout->addWidget(version_);
    layout->addStretch();
    layout->addWidget(information_);
    layout->addWidget(progress_, 0, Qt::AlignHCenter);
}

void TsplashScreen::Execute() {
    SaveLastStep(SettingsRecord, nullptr, "Splash_Ex_Start");
    version_->setText("Version " + GetVersionString());
    progress_->setValue(0);
    information_->clear();
    Tag = 1;
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

QString TsplashScreen::version() const {
    return version_->text();
}

void TsplashScreen::closeEvent(QCloseEvent* event) {
    if (Tag != 0)
        event->ignore();
    else
        QDialog::closeEvent(event);
}
