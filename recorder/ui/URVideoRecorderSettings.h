#pragma once
// The video recorder's settings dialog.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRVideoRecorderSettings : public QDialog {
    Q_OBJECT
public:
    explicit TRVideoRecorderSettings(QWidget* parent = nullptr);
};
