#pragma once
// The recorder tool bar.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRRecorder : public QDialog {
    Q_OBJECT
public:
    explicit TRRecorder(QWidget* parent = nullptr);
};
