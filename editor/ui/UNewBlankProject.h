#pragma once
// The new blank project dialog.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class Tnewblankproject : public QDialog {
    Q_OBJECT
public:
    explicit Tnewblankproject(QWidget* parent = nullptr);
};
