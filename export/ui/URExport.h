#pragma once
// The export dialog.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class Trexport : public QDialog {
    Q_OBJECT
public:
    explicit Trexport(QWidget* parent = nullptr);
};
