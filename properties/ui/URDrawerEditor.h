#pragma once
// The drawing (annotation) editor.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TDrawerEditorForm : public QDialog {
    Q_OBJECT
public:
    explicit TDrawerEditorForm(QWidget* parent = nullptr);
};
