#pragma once
// The small modal prompt of the cloud folder operations: the name of a new folder, or the new
// name of a file or folder. The form's Tag carries the answer: 1 after the action button, 0
// otherwise.

#include "export/ui/URCloudFormKit.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The extension of a file name as the platform's rule gives it: the text from the last dot of
// the name's last part, the dot included; empty when there is none.
QString ExtractFileExt(const QString& fileName);

class TRCloudItemForm : public QDialog {
    Q_OBJECT
public:
    explicit TRCloudItemForm(QWidget* parent = nullptr);

    // The name typed for a new folder (untrimmed), or empty when cancelled.
    QString ExecuteNewFolder();
    // The new name of an item, or empty when cancelled. A file whose new name has no extension
    // keeps its old one; a folder's name is taken as typed ("Season 1.5" renamed "Season 2"
    // stays "Season 2").
    QString ExecuteRename(const QString& name, bool isFolder);

    int Tag = 0;
    TRCloudIcon Icon() const { return FIcon; }

    QLabel* lbtext;
    QLineEdit* edit;
    QPushButton* btnCreate;
    QPushButton* btnClose;

private:
    void Prepare(TRCloudIcon icon, const QString& action, const QString& text, const QString& name);
    bool Run();

    QLabel* FIconLabel;
    TRCloudIcon FIcon = TRCloudIcon::NewFolder;
};
