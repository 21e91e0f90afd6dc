#pragma once
// The dimming overlay around the capture area.
// Created once at start-up; its content comes with its own feature.

#include <QWidget>

class TrecordEffect : public QWidget {
    Q_OBJECT
public:
    explicit TrecordEffect(QWidget* parent = nullptr);
};
