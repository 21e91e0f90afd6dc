#pragma once
// The dialog that copies an object's properties.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRCopyProperties : public QDialog {
    Q_OBJECT
public:
    explicit TRCopyProperties(QWidget* parent = nullptr);
};
