#pragma once
// The screen recorder's settings dialog.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRRecorderSettings : public QDialog {
    Q_OBJECT
public:
    explicit TRRecorderSettings(QWidget* parent = nullptr);
};
