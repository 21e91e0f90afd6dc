#pragma once
// The summary shown after a file was produced (an export, a caption or speech file, a frame or
// a clip's sound): the folder, the file with its size (for a web page also its video), and
// commands to view the file, show it in its folder or upload it to the cloud drive. Created
// once at start-up and reused.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

class TRExportSummary : public QDialog {
    Q_OBJECT
public:
    explicit TRExportSummary(QWidget* parent = nullptr);
    ~TRExportSummary() override;

    // Shows the window modally for the file; returns the form's Tag (0: nothing sets it).
    int Execute(const QString& fileName);
    // Fills the window for the file without showing it.
    void Prepare(const QString& fileName);

    // The summary text with its line ends ("\r") as written.
    const QString& Text() const { return FText; }
    QString FileName() const { return FFileName; }
    // The file the upload sends: the video beside a web page, else the file itself.
    QString UploadFile() const;

    QLabel* lbtext;
    QPushButton* btnView;
    QPushButton* btnOpen;
    QPushButton* btnUpload;
    QPushButton* btnClose;
    int Tag = 0;

private:
    void ViewClick();
    void OpenClick();
    void UploadClick();

    QString FFileName;
    QString FText;
};

// The one summary window (null until it is made).
extern TRExportSummary* ExportSummary;
