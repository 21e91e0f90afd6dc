#include "export/ui/URGoogleDrive.h"

#include "core/URDriveUpload.h"
#include "core/URSettings.h"
#include "core/URUtils.h"
#include "core/ui/URMessageBox.h"
#include "core/ui/URStyle.h"
#include "export/URCloudGoogleDrive.h"
#include "export/URCloudThread.h"
#include "export/ui/URCloudItem.h"
#include "export/ui/URCloudItemLinks.h"
#include "platform/system/Messages.h"
#include "platform/system/Shell.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int ItemRole = Qt::UserRole;
constexpr int ImageRole = Qt::UserRole + 1;

const QString AuthorizeText =
    "Tavrin needs permission to upload videos to your Google Drive.\r"
    "Once authorized, you will be able to upload, delete, share, and edit files created with "
    "Tavrin.\r\r"
    "The authorization process happens exclusively in your browser. We do not handle any of your "
    "sensitive information. You can always see or remove access in your Google Account.";

QLabel* CaptionLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName("caption");
    return label;
}

// A page's content area above its bottom bar.
QVBoxLayout* PageContent(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* content = new QVBoxLayout;
    content->setContentsMargins(Scaled(24, page), Scaled(20, page), Scaled(24, page),
                                Scaled(16, page));
    content->setSpacing(Scaled(8, page));
    layout->addLayout(content, 1);
    return content;
}

void AddBottomBar(QWidget* page, std::initializer_list<QWidget*> left,
                  std::initializer_list<QWidget*> right) {
    static_cast<QVBoxLayout*>(page->layout())->addWidget(CloudBottomBar(page, left, right));
}

QString ReplacedIgnoringCase(QString text, const QString& from, const QString& to) {
    return text.replace(from, to, Qt::CaseInsensitive);
}

bool IsFolderItem(const TRGoogleDriveItem* item) {
    return item && item->ItemType == TRCloudItemType::ciFolder;
}

void RunGoogleDriveWizard(const QString& fileName) {
    TGoogleDrive wizard;
    wizard.ExecuteGoogleDrive(fileName);
}

} // namespace

QString DriveUploadName(const QString& typed, const QString& localFile) {
    if (typed.trimmed().isEmpty())
        return QFileInfo(localFile).fileName();
    if (ExtractFileExt(typed).trimmed().isEmpty())
        return typed + ExtractFileExt(QFileInfo(localFile).fileName());
    return typed;
}

QString DriveRemainingText(qint64 seconds) {
    const qint32 s = static_cast<qint32>(seconds);
    if (s <= 0)
        return {};
    const qint32 minutes = s / 60;
    if (minutes == 0)
        return QString("%1 seconds remaining").arg(s % 60);
    return QString("%1 minutes and %2 seconds remaining").arg(minutes).arg(s % 60);
}

QString DriveCaption(const QString& userName, qint64 quota) {
    QString caption = TGoogleDrive::Caption + ": " + userName;
    if (quota > 0)
        caption += " [ " + FormatFileSize(quota) + " ]";
    return caption;
}

void InstallGoogleDriveWizard() {
    InstallDriveUploader(&RunGoogleDriveWizard);
}

// Building.

TGoogleDrive::TGoogleDrive(QWidget* parent) : QDialog(parent), pages(new QStackedWidget(this)) {
    setObjectName("TGoogleDrive");
    setWindowTitle(Caption);
    setStyleSheet(CloudFormStyleSheet());
    setFixedSize(Scaled(600, this), Scaled(421, this));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages);
    BuildStartPage();
    BuildMessagePage();
    BuildAuthorizePage();
    BuildSelectFolderPage();
    BuildUploadPage();
    BuildFinalPage();
    BuildErrorPage();
}

TGoogleDrive::~TGoogleDrive() {
    StopWorker();
}

QWidget* TGoogleDrive::AddPage(const QString& name) {
    auto* page = new QWidget(pages);
    page->setObjectName(name);
    pages->addWidget(page);
    return page;
}

void TGoogleDrive::BuildStartPage() {
    pageStart = AddPage("pageStart");
    QVBoxLayout* content = PageContent(pageStart);
    lbfilename = new QLabel(pageStart);
    lbfilename->setObjectName("lbfilename");
    edName = new QLineEdit(pageStart);
    edName->setObjectName("edName");
    edDescription = new QPlainTextEdit(pageStart);
    edDescription->setObjectName("edDescription");
    edDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edDescription->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edDescription->setLineWrapMode(QPlainTextEdit::NoWrap);
    content->addWidget(CaptionLabel("File Name", pageStart));
    content->addWidget(lbfilename);
    content->addSpacing(Scaled(8, this));
    content->addWidget(CaptionLabel("Name", pageStart));
    content->addWidget(edName);
    content->addSpacing(Scaled(8, this));
    content->addWidget(CaptionLabel("Description", pageStart));
    content->addWidget(edDescription, 1);
    btnLogoutS = CloudButton("Logout", "btnLogoutS", pageStart);
    btnBrowse = CloudButton("Browse", "btnBrowse", pageStart);
    btnCancel = CloudButton("Cancel", "btnCancel", pageStart);
    AddBottomBar(pageStart, {btnLogoutS}, {btnBrowse, btnCancel});
    connect(btnBrowse, &QPushButton::clicked, this, &TGoogleDrive::btnBrowseClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(btnLogoutS, &QPushButton::clicked, this, &TGoogleDrive::btnLogoutSClick);
}

void TGoogleDrive::BuildMessagePage() {
    pageMessage = AddPage("pageMessage");
    QVBoxLayout* content = PageContent(pageMessage);
    lbDescription = new QLabel(pageMessage);
    lbDescription->setObjectName("lbDescription");
    lbDescription->setFont(StyleFont(11));
    activityBar = new QProgressBar(pageMessage);
    activityBar->setObjectName("activityBar");
    content->addStretch();
    content->addWidget(lbDescription);
    content->addSpacing(Scaled(6, this));
    content->addWidget(activityBar);
    content->addStretch();
}

void TGoogleDrive::BuildAuthorizePage() {
    pageAuthorize = AddPage("pageAuthorize");
    QVBoxLayout* content = PageContent(pageAuthorize);
    lbAuthorize = new QLabel(pageAuthorize);
    lbAuthorize->setObjectName("lbAuthorize");
    lbAuthorize->setWordWrap(true);
    lbAuthorize->setFont(StyleFont(10));
    content->addStretch();
    content->addWidget(lbAuthorize);
    content->addStretch();
    btnAuthorize = CloudButton("Authorize", "btnAuthorize", pageAuthorize);
    AddBottomBar(pageAuthorize, {}, {btnAuthorize});
    connect(btnAuthorize, &QPushButton::clicked, this, &TGoogleDrive::btnAuthorizeClick);
}

void TGoogleDrive::BuildSelectFolderPage() {
    pageSelectFolder = AddPage("pageSelectFolder");
    QWidget* page = pageSelectFolder;
    QVBoxLayout* content = PageContent(page);
    lbfilename2 = new QLabel(page);
    lbfilename2->setObjectName("lbfilename2");
    lbDestination = new QLabel(page);
    lbDestination->setObjectName("lbDestination");
    auto* facts = new QGridLayout;
    facts->setHorizontalSpacing(Scaled(12, this));
    facts->addWidget(CaptionLabel("File Name", page), 0, 0);
    facts->addWidget(lbfilename2, 0, 1);
    facts->addWidget(CaptionLabel("Upload To", page), 1, 0);
    facts->addWidget(lbDestination, 1, 1);
    facts->setColumnStretch(1, 1);
    content->addLayout(facts);
    content->addSpacing(Scaled(6, this));
    btnNewFolder = CloudGlyphButton(TRCloudIcon::NewFolder, "New Folder", "btnNewFolder", page);
    btnLink = CloudGlyphButton(TRCloudIcon::Link, "Get Link", "btnLink", page);
    btnRename = CloudGlyphButton(TRCloudIcon::Rename, "Rename", "btnRename", page);
    btnDelete = CloudGlyphButton(TRCloudIcon::Delete, "Delete", "btnDelete", page);
    auto* tools = new QHBoxLayout;
    tools->addWidget(CaptionLabel("Select folder:", page));
    tools->addStretch();
    for (QToolButton* button : {btnNewFolder, btnLink, btnRename, btnDelete})
        tools->addWidget(button);
    content->addLayout(tools);
    TreeView = new QTreeWidget(page);
    TreeView->setObjectName("TreeView");
    TreeView->setHeaderHidden(true);
    TreeView->setRootIsDecorated(false);
    TreeView->setIndentation(Scaled(23, this));
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView->setIconSize(QSize(Scaled(18, this), Scaled(18, this)));
    content->addWidget(TreeView, 1);
    btnLogout = CloudButton("Logout", "btnLogout", page);
    btnUpload = CloudButton("Upload", "btnUpload", page);
    AddBottomBar(page, {btnLogout}, {btnUpload});
    connect(TreeView, &QTreeWidget::currentItemChanged, this, &TGoogleDrive::TreeViewClick);
    connect(TreeView, &QTreeWidget::itemExpanded, this,
            [](QTreeWidgetItem* node) { UpdateNodeImage(node); });
    connect(TreeView, &QTreeWidget::itemCollapsed, this,
            [](QTreeWidgetItem* node) { UpdateNodeImage(node); });
    connect(btnNewFolder, &QToolButton::clicked, this, &TGoogleDrive::btnNewFolderClick);
    connect(btnLink, &QToolButton::clicked, this, &TGoogleDrive::btnLinkClick);
    connect(btnRename, &QToolButton::clicked, this, &TGoogleDrive::btnRenameClick);
    connect(btnDelete, &QToolButton::clicked, this, &TGoogleDrive::btnDeleteClick);
    connect(btnLogout, &QPushButton::clicked, this, &TGoogleDrive::btnLogoutClick);
    connect(btnUpload, &QPushButton::clicked, this, &TGoogleDrive::btnUploadClick);
}

void TGoogleDrive::BuildUploadPage() {
    pageUpload = AddPage("pageUpload");
    QVBoxLayout* content = PageContent(pageUpload);
    lbUploading = new QLabel("Uploading...", pageUpload);
    lbUploading->setObjectName("lbUploading");
    lbUploading->setFont(StyleFont(11));
    progressbar = new QProgressBar(pageUpload);
    progressbar->setObjectName("progressbar");
    progressbar->setRange(0, 100);
    lbRemaining = new QLabel(pageUpload);
    lbRemaining->setObjectName("lbRemaining");
    lbRemaining->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    content->addStretch();
    content->addWidget(lbUploading);
    content->addSpacing(Scaled(6, this));
    content->addWidget(progressbar);
    content->addWidget(lbRemaining);
    content->addStretch();
    btnCancelUpload = CloudButton("Cancel", "btnCancelUpload", pageUpload);
    AddBottomBar(pageUpload, {}, {btnCancelUpload});
    connect(btnCancelUpload, &QPushButton::clicked, this, &TGoogleDrive::btnCancelUploadClick);
}

void TGoogleDrive::BuildFinalPage() {
    pageFinal = AddPage("pageFinal");
    QVBoxLayout* content = PageContent(pageFinal);
    content->setContentsMargins(Scaled(24, this), Scaled(40, this), Scaled(24, this),
                                Scaled(16, this));
    finalLinks = std::make_unique<TRCloudLinkRows>(pageFinal);
    content->addLayout(finalLinks->grid);
    content->addStretch();
    btnFinalClose = CloudButton("Close", "btnFinalClose", pageFinal);
    AddBottomBar(pageFinal, {}, {btnFinalClose});
    connect(btnFinalClose, &QPushButton::clicked, this, &QDialog::close);
}

void TGoogleDrive::BuildErrorPage() {
    pageError = AddPage("pageError");
    QVBoxLayout* content = PageContent(pageError);
    lberror = new QLabel(pageError);
    lberror->setObjectName("lberror");
    lberror->setWordWrap(true);
    lberror->setFont(StyleFont(10));
    lberror->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* row = new QHBoxLayout;
    row->setSpacing(Scaled(16, this));
    row->addWidget(CloudIconLabel(TRCloudIcon::Error, 40, pageError), 0, Qt::AlignTop);
    row->addWidget(lberror, 1);
    content->addStretch();
    content->addLayout(row);
    content->addStretch();
    btnClose = CloudButton("Close", "btnClose", pageError);
    AddBottomBar(pageError, {}, {btnClose});
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
}

// Running.

void TGoogleDrive::ExecuteGoogleDrive(const QString& fileName) {
    Start(fileName);
    exec();
    Finish();
}

void TGoogleDrive::Start(const QString& fileName) {
    FFileName = fileName;
    FItemForm = std::make_unique<TRCloudItemForm>();
    FLinksForm = std::make_unique<TRCloudItemLinksForm>();
    FThreadWorking = true;
    FCloudThread = new TRCloudThread(this);
    FCloudThread->SetStorageType(StorageGoogleDrive);
    FCloudThread->FileName = fileName;
    const QFileInfo file(fileName);
    edName->setText(file.completeBaseName());
    btnLogoutS->setEnabled(!SettingsRecord.GoogleDriveUser.isEmpty());
    lbfilename->setText(file.fileName() + " [ " + FormatFileSize(FileSizeOf(fileName)) + " ]");
    SetActivity(false);
    pages->setCurrentWidget(pageStart);
    btnBrowse->setDefault(true);
    const QString user = SettingsRecord.GoogleDriveUser.text();
    setWindowTitle(user.isEmpty() ? Caption : Caption + ": " + user);
    CenterOnMainForm(this);
}

void TGoogleDrive::Finish() {
    FItemForm.reset();
    FLinksForm.reset();
}

void TGoogleDrive::done(int result) {
    StopWorker();
    QDialog::done(result);
}

void TGoogleDrive::StopWorker() {
    if (!FThreadWorking || !FCloudThread)
        return;
    FCloudThread->SetUserCancel(true);
    FCloudThread->Terminate();
    Post(CT_QUIT);
}

void TGoogleDrive::Post(int command) {
    FCommands.push_back(command);
    FCloudThread->Post(command);
}

TRMessageBox* TGoogleDrive::MessageBox() {
    if (!FMessageBox)
        FMessageBox = new TRMessageBox(this);
    return FMessageBox;
}

TRGoogleDrive* TGoogleDrive::Drive() const {
    return FCloudThread ? dynamic_cast<TRGoogleDrive*>(FCloudThread->Storage()) : nullptr;
}

bool TGoogleDrive::event(QEvent* event) {
    if (event->type() != platform::system::PostedMessage::eventType())
        return QDialog::event(event);
    const auto* posted = static_cast<platform::system::PostedMessage*>(event);
    Notify(posted->message, posted->wParam, posted->lParam);
    return true;
}

void TGoogleDrive::Notify(int message, qint64 wParam, qint64 lParam) {
    if (message == CN_THREADENDED) {
        FThreadWorking = false;
        close();
        return;
    }
    // The error page only closes: a late notification of the failed step changes nothing.
    if (pages->currentWidget() == pageError || !FCloudThread || !Drive())
        return;
    switch (message) {
    case CN_LOGGEDIN:
        Post(CT_GETACCOUNT);
        break;
    case CN_NEEDLOGIN:
        ShowMessage("Logging in...");
        Post(CT_AUTHORIZE);
        break;
    case CN_AUTHPAGE:
        SetActivity(false);
        lbAuthorize->setText(WithLineBreaks(AuthorizeText));
        pages->setCurrentWidget(pageAuthorize);
        btnAuthorize->setDefault(true);
        break;
    case CN_AUTHCODE:
        ShowMessage("Retrieving data...");
        repaint();
        break;
    case CN_AUTHORIZED:
        BringToFront();
        ShowMessage("Retrieving data......");
        Post(CT_GETACCOUNT);
        break;
    case CN_AUTHFAILED:
        BringToFront();
        ShowError("Authorization error.\r\n\r\n" + Drive()->ErrorMessage);
        break;
    case CN_ACCOUNTREADY:
        AccountReady();
        break;
    case CN_PROGRESS:
        Progress(wParam, lParam);
        break;
    case CN_UPLOADED:
        ShowMessage("Retrieving data......");
        break;
    case CN_UPLOADDONE:
        UploadDone();
        break;
    case CN_UPLOADCANCELLED:
        ShowError("Upload Cancelled");
        break;
    case CN_UPLOADFAILED:
        ShowError("Upload Failed:\r\n" + Drive()->ErrorMessage);
        break;
    case CN_CONNECTIONERROR:
        ShowError("No Internet Connection.");
        break;
    case CN_LOGGEDOUT:
        Post(CT_CHECKLOGIN);
        break;
    default:
        break;
    }
}

void TGoogleDrive::SetActivity(bool on) {
    activityBar->setRange(0, on ? 0 : 1);
    activityBar->setValue(0);
}

void TGoogleDrive::ShowMessage(const QString& text) {
    lbDescription->setText(text);
    SetActivity(true);
    pages->setCurrentWidget(pageMessage);
}

void TGoogleDrive::ShowError(const QString& text) {
    SetActivity(false);
    lberror->setText(WithLineBreaks(text));
    pages->setCurrentWidget(pageError);
    btnClose->setDefault(true);
}

// Back from the browser: the window manager is asked to activate the wizard.
void TGoogleDrive::BringToFront() {
    if (isActiveWindow())
        return;
    raise();
    activateWindow();
}

void TGoogleDrive::AccountReady() {
    SetActivity(false);
    setWindowTitle(DriveCaption(Drive()->UserName, Drive()->Quota));
    lbfilename2->setText(lbfilename->text());
    SettingsRecord.GoogleDriveUser.setText(Drive()->UserName);
    pages->setCurrentWidget(pageSelectFolder);
    btnUpload->setDefault(true);
    ShowDriveTree();
}

void TGoogleDrive::Progress(qint64 percent, qint64 seconds) {
    progressbar->setValue(static_cast<int>(percent));
    const QString remaining = DriveRemainingText(seconds);
    lbRemaining->setText(remaining);
    lbRemaining->setVisible(!remaining.isEmpty());
}

void TGoogleDrive::UploadDone() {
    finalLinks->SetLinks(FCloudThread->DownloadLink(), FCloudThread->ShareLink(),
                         FCloudThread->MediaLink());
    pages->setCurrentWidget(pageFinal);
    btnFinalClose->setDefault(true);
}

// Buttons.

void TGoogleDrive::btnBrowseClick() {
    ShowMessage("Logging in...");
    Post(CT_CHECKLOGIN);
}

void TGoogleDrive::btnLogoutSClick() {
    if (TRGoogleDrive* drive = Drive()) {
        drive->LogOut();
        drive->UserName.clear();
    }
    SettingsRecord.GoogleDriveUser.clear();
    btnLogoutS->setEnabled(false);
    setWindowTitle(Caption);
}

void TGoogleDrive::btnAuthorizeClick() {
    ShowMessage("Logging in...");
    platform::system::openUrl(Drive()->AuthURL());
}

void TGoogleDrive::btnLogoutClick() {
    ShowMessage("Logging out...");
    Drive()->UserName.clear();
    SettingsRecord.GoogleDriveUser.clear();
    setWindowTitle(Caption);
    Post(CT_LOGOUT);
}

void TGoogleDrive::btnUploadClick() {
    const auto [folder, node] = GetTargetFolder();
    FCloudThread->Folder = folder;
    FCloudThread->ResourceName = DriveUploadName(edName->text(), FFileName);
    FCloudThread->ResourceDescription = edDescription->toPlainText();
    SettingsRecord.GoogleDriveFolder.setText(folder);
    progressbar->setValue(0);
    lbRemaining->hide();
    btnCancelUpload->setEnabled(true);
    pages->setCurrentWidget(pageUpload);
    btnCancelUpload->setDefault(true);
    Post(CT_UPLOAD);
}

void TGoogleDrive::btnCancelUploadClick() {
    btnCancelUpload->setEnabled(false);
    FCloudThread->SetUserCancel(true);
}

// The tree.

TRGoogleDriveItem* TGoogleDrive::NodeItem(const QTreeWidgetItem* node) {
    return node ? reinterpret_cast<TRGoogleDriveItem*>(node->data(0, ItemRole).value<quintptr>())
                : nullptr;
}

int TGoogleDrive::NodeImage(const QTreeWidgetItem* node) {
    return node ? node->data(0, ImageRole).toInt() : DriveNoImage;
}

QTreeWidgetItem* TGoogleDrive::AddNode(QTreeWidgetItem* parent, const QString& text,
                                       TRGoogleDriveItem* item) {
    auto* node =
        parent ? new QTreeWidgetItem(parent, {text}) : new QTreeWidgetItem(TreeView, {text});
    node->setData(0, ItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(item)));
    SetNodeImage(node, !item || IsFolderItem(item) ? DriveFolderClosedImage : DriveNoImage);
    return node;
}

void TGoogleDrive::SetNodeImage(QTreeWidgetItem* node, int image) {
    node->setData(0, ImageRole, image);
    if (image == DriveNoImage)
        node->setIcon(0, QIcon());
    else
        node->setIcon(0, CloudIcon(image == DriveFolderOpenImage ? TRCloudIcon::FolderOpen
                                                                 : TRCloudIcon::FolderClosed));
}

// A folder shows open while it is expanded with something in it.
void TGoogleDrive::UpdateNodeImage(QTreeWidgetItem* node) {
    if (NodeImage(node) == DriveNoImage)
        return;
    const bool open = node->isExpanded() && node->childCount() > 0;
    SetNodeImage(node, open ? DriveFolderOpenImage : DriveFolderClosedImage);
}

void TGoogleDrive::ShowDriveTree() {
    TreeView->clear();
    QTreeWidgetItem* root = AddNode(nullptr, TRGoogleDrive::RootFolderName, nullptr);
    AddTreeNodes(root, *Drive()->GDrive());
    root->setExpanded(true);
    if (QTreeWidgetItem* selected = TreeView->currentItem()) {
        for (QTreeWidgetItem* above = selected->parent(); above; above = above->parent())
            above->setExpanded(true);
        selected->setExpanded(true);
        TreeView->scrollToItem(selected);
    } else {
        TreeView->setCurrentItem(root);
    }
    TreeViewClick();
    FocusTree();
}

void TGoogleDrive::AddTreeNodes(QTreeWidgetItem* parent, const TRGoogleDriveItems& items) {
    const QString previous = SettingsRecord.GoogleDriveFolder.text();
    for (int i = 0; i < items.Count(); ++i) {
        TRGoogleDriveItem* item = items.Items(i);
        QTreeWidgetItem* node = AddNode(parent, item->FileName, item);
        if (!IsFolderItem(item))
            continue;
        if (!previous.isEmpty() && item->ID == previous)
            TreeView->setCurrentItem(node);
        if (auto* children = static_cast<TRGoogleDriveItems*>(item->Folder()))
            AddTreeNodes(node, *children);
    }
}

QString TGoogleDrive::GetNodePath(const QTreeWidgetItem* node) const {
    if (!node)
        return {};
    const TRGoogleDriveItem* item = NodeItem(node);
    if (!item)
        return node->text(0);
    if (IsFolderItem(item))
        return GetNodePath(node->parent()) + " > " + node->text(0);
    return GetNodePath(node->parent());
}

std::pair<QString, QTreeWidgetItem*> TGoogleDrive::GetTargetFolder() const {
    std::pair<QString, QTreeWidgetItem*> target{Drive()->RootFolderID, TreeView->topLevelItem(0)};
    QTreeWidgetItem* selected = TreeView->currentItem();
    const TRGoogleDriveItem* item = NodeItem(selected);
    if (!item)
        return target;
    if (IsFolderItem(item))
        return {item->ID, selected};
    target.second = selected->parent();
    if (const TRGoogleDriveItem* parent = NodeItem(target.second))
        target.first = parent->ID;
    return target;
}

void TGoogleDrive::TreeViewClick() {
    QTreeWidgetItem* selected = TreeView->currentItem();
    lbDestination->setText(GetNodePath(selected));
    const bool carriesItem = NodeItem(selected) != nullptr;
    btnRename->setEnabled(carriesItem);
    btnDelete->setEnabled(carriesItem);
}

void TGoogleDrive::FocusTree() {
    if (TreeView->isVisible() && TreeView->isEnabled())
        TreeView->setFocus();
}

// Folder operations.

void TGoogleDrive::ShowServiceError() {
    MessageBox()->Execute(WithLineBreaks(Drive()->ErrorMessage), TRMessageBox::MB_OK,
                          TRMessageBox::MB_ICONERROR);
}

void TGoogleDrive::btnNewFolderClick() {
    if (!TreeView->currentItem())
        return;
    const QString name = FItemForm->ExecuteNewFolder().trimmed();
    if (!name.isEmpty()) {
        const auto [folder, node] = GetTargetFolder();
        if (TRGoogleDriveItem* item = Drive()->CreateFolderEx(folder, name)) {
            QTreeWidgetItem* added = AddNode(node, item->FileName, item);
            node->setExpanded(true);
            UpdateNodeImage(node);
            TreeView->setCurrentItem(added);
            added->setExpanded(true);
            TreeViewClick();
        } else {
            ShowServiceError();
        }
    }
    FocusTree();
}

std::pair<QTreeWidgetItem*, TRGoogleDriveItem*> TGoogleDrive::SelectedItem() const {
    QTreeWidgetItem* node = TreeView->currentItem();
    return {node, NodeItem(node)};
}

void TGoogleDrive::btnRenameClick() {
    const auto [node, item] = SelectedItem();
    if (!item)
        return;
    const QString name = FItemForm->ExecuteRename(node->text(0), IsFolderItem(item)).trimmed();
    if (!name.isEmpty()) {
        if (Drive()->Rename(item, name)) {
            node->setText(0, name);
            item->FileName = name;
            TreeViewClick();
        } else {
            ShowServiceError();
        }
    }
    FocusTree();
}

void TGoogleDrive::btnDeleteClick() {
    const auto [node, item] = SelectedItem();
    if (!item)
        return;
    const QString text = "Are you sure you want to permanently Delete the " +
                         QString(IsFolderItem(item) ? "folder" : "file") + "?\r" + node->text(0) +
                         "\r";
    if (MessageBox()->Execute(WithLineBreaks(text), TRMessageBox::MB_YESNO,
                              TRMessageBox::MB_ICONWARNING, cmDelete) == TRMessageBox::IDYES) {
        if (Drive()->Delete(item)) {
            QTreeWidgetItem* parent = node->parent();
            delete node;
            TreeView->setCurrentItem(parent);
            if (parent)
                parent->setExpanded(true);
            TreeViewClick();
        } else {
            ShowServiceError();
        }
    }
    FocusTree();
}

void TGoogleDrive::btnLinkClick() {
    QTreeWidgetItem* node = TreeView->currentItem();
    if (!node)
        return;
    if (const TRGoogleDriveItem* item = NodeItem(node)) {
        const QString download = item->DownloadURL;
        FLinksForm->ExecuteLinks(download,
                                 ReplacedIgnoringCase(item->Link, "usp=drivesdk", "usp=sharing"),
                                 ReplacedIgnoringCase(download, "export=download", "export=view"));
    } else {
        FLinksForm->ExecuteLinks(Drive()->RootDlLink, Drive()->RootShLink, Drive()->RootMediaLink);
    }
    FocusTree();
}
