#pragma once
// The full-screen colour picker.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRColorPicker : public QDialog {
    Q_OBJECT
public:
    explicit TRColorPicker(QWidget* parent = nullptr);
};
