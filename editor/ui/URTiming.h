#pragma once
// The timing dialog of an object.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRTiming : public QDialog {
    Q_OBJECT
public:
    explicit TRTiming(QWidget* parent = nullptr);
};
