#pragma once
// The non-modal waiting form with an information line.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRWaiting : public QDialog {
    Q_OBJECT
public:
    explicit TRWaiting(QWidget* parent = nullptr);
};
