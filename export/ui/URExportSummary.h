#pragma once
// The summary shown after an export.
// Created once at start-up; its content comes with its own feature.

#include <QDialog>

class TRExportSummary : public QDialog {
    Q_OBJECT
public:
    explicit TRExportSummary(QWidget* parent = nullptr);
};
