#pragma once
// The recording time limit dialog.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRRecordingTime : public QDialog {
    Q_OBJECT
public:
    explicit TRRecordingTime(QWidget* parent = nullptr);
};
