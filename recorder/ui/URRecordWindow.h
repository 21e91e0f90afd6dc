#pragma once
// The capture-area frame.
// Created once at start-up; its content comes with its own feature.

#include <QWidget>

class TrecordWindow : public QWidget {
    Q_OBJECT
public:
    explicit TrecordWindow(QWidget* parent = nullptr);
};
