#pragma once
// The program's message box for user-facing messages and questions.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRMessageBox : public QDialog {
    Q_OBJECT
public:
    explicit TRMessageBox(QWidget* parent = nullptr);
};
