#pragma once
// The dialog that pastes properties onto objects.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRPasteProperties : public QDialog {
    Q_OBJECT
public:
    explicit TRPasteProperties(QWidget* parent = nullptr);
};
