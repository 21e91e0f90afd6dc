#pragma once
// The modal display of a cloud item's share, download and media links, each with buttons to
// copy it or open it. A row shows only when its link is not blank.

#include "export/ui/URCloudFormKit.h"

#include <QDialog>

class QPushButton;

class TRCloudItemLinksForm : public QDialog {
    Q_OBJECT
public:
    explicit TRCloudItemLinksForm(QWidget* parent = nullptr);

    // Shows the trimmed links modally.
    void ExecuteLinks(const QString& downloadLink, const QString& shareLink,
                      const QString& mediaLink);
    // Fills and shows or hides the rows without running the form.
    void SetLinks(const QString& downloadLink, const QString& shareLink, const QString& mediaLink);

    TRCloudLinkRows links;
    QPushButton* btnClose;
};
