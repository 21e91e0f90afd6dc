#pragma once
// The drawing tool bar used while recording.
// Created once at start-up; its content comes with its own feature.

#include <QWidget>

class Tdrawerbuttons : public QWidget {
    Q_OBJECT
public:
    explicit Tdrawerbuttons(QWidget* parent = nullptr);
};
