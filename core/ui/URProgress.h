#pragma once
// The progress form of long operations.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TrProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TrProgressForm(QWidget* parent = nullptr);
};
