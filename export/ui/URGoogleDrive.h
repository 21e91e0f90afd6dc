#pragma once
// The modal "Upload to Google Drive" wizard: signs the user in through the browser when needed,
// shows the folders under the program's Drive folder "Tavrin" (with folder operations and the
// links of any item), uploads one file into the chosen folder and shows its three links. All
// network work of the sign-in, listing and upload runs on a cloud worker; its notifications move
// the wizard from page to page. The folder operations call the Drive client directly while the
// worker is idle.

#include "export/URCloudThread.h"
#include "export/ui/URCloudFormKit.h"

#include <QDialog>
#include <QPointer>
#include <memory>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TRCloudItemForm;
class TRCloudItemLinksForm;
class TRGoogleDrive;
class TRGoogleDriveItem;
class TRGoogleDriveItems;
class TRMessageBox;

// The images of tree nodes, after the editor's small button image list.
inline constexpr int DriveFolderClosedImage = 18;
inline constexpr int DriveFolderOpenImage = 7;
inline constexpr int DriveNoImage = -1;

// The name a file is uploaded under: the typed name, with the local file's extension added when
// it has none; the local file's name when nothing is typed.
QString DriveUploadName(const QString& typed, const QString& localFile);
// The line under the upload's progress for the seconds remaining (lParam of CN_PROGRESS taken
// as a signed 32-bit number); empty when the line is hidden.
QString DriveRemainingText(qint64 seconds);
// The wizard's caption for an account and its free bytes.
QString DriveCaption(const QString& userName, qint64 quota);

class TGoogleDrive : public QDialog {
    Q_OBJECT
public:
    static inline const QString Caption = "Upload to Google Drive";

    explicit TGoogleDrive(QWidget* parent = nullptr);
    ~TGoogleDrive() override;

    // Runs the wizard modally for one existing file.
    void ExecuteGoogleDrive(const QString& fileName);
    // Everything ExecuteGoogleDrive does before the modal loop (tests show the wizard without
    // one); the prompt and links dialogs live until Finish.
    void Start(const QString& fileName);
    void Finish();

    TRCloudThread* CloudThread() const { return FCloudThread; }
    // The commands posted to the worker so far, in order.
    const std::vector<int>& Commands() const { return FCommands; }
    bool ThreadWorking() const { return FThreadWorking; }
    TRCloudItemForm* ItemForm() const { return FItemForm.get(); }
    TRCloudItemLinksForm* LinksForm() const { return FLinksForm.get(); }
    TRMessageBox* MessageBox();

    // Tree nodes: the item a node carries (none for the root) and its image.
    static TRGoogleDriveItem* NodeItem(const QTreeWidgetItem* node);
    static int NodeImage(const QTreeWidgetItem* node);
    QString GetNodePath(const QTreeWidgetItem* node) const;
    // The folder an upload or a new folder goes into, and its node.
    std::pair<QString, QTreeWidgetItem*> GetTargetFolder() const;

    QStackedWidget* pages;
    QWidget* pageStart;
    QWidget* pageMessage;
    QWidget* pageAuthorize;
    QWidget* pageSelectFolder;
    QWidget* pageUpload;
    QWidget* pageFinal;
    QWidget* pageError;

    QLabel* lbfilename;
    QLineEdit* edName;
    QPlainTextEdit* edDescription;
    QPushButton* btnLogoutS;
    QPushButton* btnBrowse;
    QPushButton* btnCancel;
    QLabel* lbDescription;
    QProgressBar* activityBar;
    QLabel* lbAuthorize;
    QPushButton* btnAuthorize;
    QLabel* lbfilename2;
    QLabel* lbDestination;
    QToolButton* btnNewFolder;
    QToolButton* btnLink;
    QToolButton* btnRename;
    QToolButton* btnDelete;
    QTreeWidget* TreeView;
    QPushButton* btnLogout;
    QPushButton* btnUpload;
    QLabel* lbUploading;
    QProgressBar* progressbar;
    QLabel* lbRemaining;
    QPushButton* btnCancelUpload;
    std::unique_ptr<TRCloudLinkRows> finalLinks;
    QPushButton* btnFinalClose;
    QLabel* lberror;
    QPushButton* btnClose;

    // The folder operations of the folder page.
    void btnNewFolderClick();
    void btnLinkClick();
    void btnRenameClick();
    void btnDeleteClick();

    // Closing by any means tells a working worker to stop.
    void done(int result) override;

protected:
    bool event(QEvent* event) override;

private:
    void BuildStartPage();
    void BuildMessagePage();
    void BuildAuthorizePage();
    void BuildSelectFolderPage();
    void BuildUploadPage();
    void BuildFinalPage();
    void BuildErrorPage();
    QWidget* AddPage(const QString& name);

    void Notify(int message, qint64 wParam, qint64 lParam);
    void ShowMessage(const QString& text);
    void ShowError(const QString& text);
    void SetActivity(bool on);
    void BringToFront();
    void AccountReady();
    void Progress(qint64 percent, qint64 seconds);
    void UploadDone();

    void ShowDriveTree();
    void AddTreeNodes(QTreeWidgetItem* parent, const TRGoogleDriveItems& items);
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& text, TRGoogleDriveItem* item);
    void TreeViewClick();
    static void SetNodeImage(QTreeWidgetItem* node, int image);
    static void UpdateNodeImage(QTreeWidgetItem* node);
    void FocusTree();
    // The selected node and the item it carries (either may be none).
    std::pair<QTreeWidgetItem*, TRGoogleDriveItem*> SelectedItem() const;
    // The client's reply to a failed folder operation, in an error box.
    void ShowServiceError();

    void btnBrowseClick();
    void btnLogoutSClick();
    void btnAuthorizeClick();
    void btnLogoutClick();
    void btnUploadClick();
    void btnCancelUploadClick();

    TRGoogleDrive* Drive() const;
    // Tells a working worker to stop: cancel the upload after its block, end, quit.
    void StopWorker();
    void Post(int command);

    QString FFileName;
    QPointer<TRCloudThread> FCloudThread;
    bool FThreadWorking = false;
    std::vector<int> FCommands;
    std::unique_ptr<TRCloudItemForm> FItemForm;
    std::unique_ptr<TRCloudItemLinksForm> FLinksForm;
    TRMessageBox* FMessageBox = nullptr;
};

// Installs the wizard as the program's drive uploader.
void InstallGoogleDriveWizard();
