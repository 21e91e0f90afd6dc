#pragma once
// The webcam preview window.
// Created once at start-up; its content comes with its own feature.

#include <QWidget>

class TpreviewCamera : public QWidget {
    Q_OBJECT
public:
    explicit TpreviewCamera(QWidget* parent = nullptr);
};
