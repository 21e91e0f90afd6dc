#include "core/ui/URMessageBox.h"
#include "export/ui/URCloudItem.h"
#include "export/ui/URCloudItemLinks.h"
#include "platform/system/Messages.h"
#include "tests/export/DriveWizardFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

using namespace drivewizard;

namespace {

// Labels and boxes show the texts' CR and CR LF line ends as line breaks.
const QString AuthorizeText =
    "Tavrin needs permission to upload videos to your Google Drive.\n"
    "Once authorized, you will be able to upload, delete, share, and edit files created with "
    "Tavrin.\n\n"
    "The authorization process happens exclusively in your browser. We do not handle any of your "
    "sensitive information. You can always see or remove access in your Google Account.";

// The node of that text anywhere in the tree.
QTreeWidgetItem* Node(QTreeWidget* tree, const QString& text) {
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// Answers a message box with one of its buttons and keeps its text.
std::function<void(QWidget*)> AnswerBox(QString& text, char button) {
    return [&text, button](QWidget* box) {
        auto* message = qobject_cast<TRMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        text = message->text();
        message->button(button)->click();
    };
}

class DriveWizard : public DriveWizardFixture {
public:
    using DriveWizardFixture::RouteRelay;
    using DriveWizardFixture::StoreTokens;

protected:
    QTreeWidget* Tree() const { return wizard_->TreeView; }
    void Select(const QString& text) { Tree()->setCurrentItem(Node(Tree(), text)); }
    std::vector<int> Commands() const { return wizard_->Commands(); }
    void Click(QPushButton* button) {
        ASSERT_TRUE(button->isVisible()) << button->objectName().toStdString();
        button->click();
    }
};

} // namespace

TEST_F(DriveWizard, SignedInThroughTheBrowserItUploadsAndShowsTheThreeLinks) {
    RouteDrive();
    RouteRelay(true);
    wizard_->Start(file_);
    wizard_->show();
    EXPECT_EQ(wizard_->windowTitle(), "Upload to Google Drive");
    EXPECT_EQ(wizard_->pages->currentWidget(), wizard_->pageStart);
    EXPECT_EQ(wizard_->edName->text(), "video");
    EXPECT_EQ(wizard_->lbfilename->text(), "video.mp4 [ 20 KB ]");
    EXPECT_FALSE(wizard_->btnLogoutS->isEnabled());
    EXPECT_EQ(wizard_->CloudThread()->FileName, file_);
    EXPECT_EQ(wizard_->CloudThread()->StorageType(), StorageGoogleDrive);

    Click(wizard_->btnBrowse);
    EXPECT_EQ(wizard_->lbDescription->text(), "Logging in...");
    EXPECT_EQ(wizard_->activityBar->maximum(), 0) << "busy";
    ASSERT_TRUE(WaitForPage(wizard_->pageAuthorize));
    EXPECT_EQ(wizard_->lbAuthorize->text(), AuthorizeText);
    EXPECT_EQ(Commands(), (std::vector<int>{CT_CHECKLOGIN, CT_AUTHORIZE}));
    EXPECT_TRUE(opened_.empty());

    // The browser takes the front, goes through the relay to the listener and lands on the
    // vendor's page; back from it the wizard asks to be activated.
    QWidget browser;
    browser.show();
    browser.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &browser; }));
    Click(wizard_->btnAuthorize);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_TRUE(opened_[0].startsWith(server_.base() + "/api/googledrive/auth.php?"));
    EXPECT_EQ(landed_, 200);
    ASSERT_TRUE(WaitForPage(wizard_->pageSelectFolder));
    EXPECT_EQ(Commands(), (std::vector<int>{CT_CHECKLOGIN, CT_AUTHORIZE, CT_GETACCOUNT}));
    EXPECT_EQ(seen_, (std::vector<QString>{"pageMessage", "pageAuthorize", "pageMessage",
                                           "pageSelectFolder"}));
    EXPECT_TRUE(WaitUntil([this] { return QApplication::activeWindow() == wizard_.get(); }));
    browser.hide();
    EXPECT_EQ(wizard_->windowTitle(), "Upload to Google Drive: Ann Example [ 10 GB ]");
    EXPECT_EQ(SettingsRecord.GoogleDriveUser.text(), "Ann Example");
    EXPECT_EQ(wizard_->lbfilename2->text(), "video.mp4 [ 20 KB ]");
    EXPECT_EQ(Tree()->currentItem(), Tree()->topLevelItem(0));
    EXPECT_EQ(wizard_->lbDestination->text(), "Tavrin");
    EXPECT_FALSE(wizard_->btnRename->isEnabled());
    EXPECT_FALSE(wizard_->btnDelete->isEnabled());

    wizard_->edName->setText("clip");
    wizard_->edDescription->setPlainText("first cut");
    Select("Clips");
    Click(wizard_->btnUpload);
    EXPECT_EQ(wizard_->pages->currentWidget(), wizard_->pageUpload);
    EXPECT_EQ(wizard_->CloudThread()->Folder, "F1");
    EXPECT_EQ(wizard_->CloudThread()->ResourceName, "clip.mp4");
    EXPECT_EQ(wizard_->CloudThread()->ResourceDescription, "first cut");
    EXPECT_EQ(SettingsRecord.GoogleDriveFolder.text(), "F1");
    ASSERT_TRUE(WaitForPage(wizard_->pageFinal));
    EXPECT_EQ(Commands().back(), CT_UPLOAD);
    EXPECT_EQ(seen_.back(), "pageFinal");
    EXPECT_EQ(seen_[seen_.size() - 3], "pageUpload");
    EXPECT_EQ(seen_[seen_.size() - 2], "pageMessage");
    EXPECT_EQ(wizard_->finalLinks->share.edit->text(), "https://drive.test/U1/view?usp=sharing");
    EXPECT_EQ(wizard_->finalLinks->download.edit->text(),
              "https://drive.test/uc?id=U1&export=download");
    EXPECT_EQ(wizard_->finalLinks->media.edit->text(), "https://drive.test/uc?id=U1&export=view");
    bool uploadSeen = false;
    for (const TlsRequest& request : server_.requests())
        if (request.target == "/upload/drive/v3/files?uploadType=multipart") {
            uploadSeen = true;
            EXPECT_TRUE(request.body.contains(
                R"({"kind":"drive#file","name":"clip.mp4","mimeType":"video/mp4",)"
                R"("description":"first cut","parents":["F1"]})"));
        }
    EXPECT_TRUE(uploadSeen);

    // The final page's rows copy with the beep and open https links.
    int beeps = 0;
    SetWarningBeep([&] { ++beeps; });
    wizard_->finalLinks->media.copy->click();
    EXPECT_EQ(QApplication::clipboard()->text(), "https://drive.test/uc?id=U1&export=view");
    EXPECT_EQ(beeps, 1);
    SetWarningBeep({});
    platform::system::setUrlOpener([this](const QString& url) {
        opened_.push_back(url);
        return true;
    });
    wizard_->finalLinks->share.view->click();
    EXPECT_EQ(opened_.back(), "https://drive.test/U1/view?usp=sharing");

    Click(wizard_->btnFinalClose);
    EXPECT_FALSE(wizard_->isVisible());
    EXPECT_EQ(Commands().back(), CT_QUIT);
    EXPECT_TRUE(WaitUntil([this] { return !wizard_->CloudThread(); }));
    EXPECT_FALSE(wizard_->ThreadWorking());
}

TEST_F(DriveWizard, StoredTokensGoStraightToTheFoldersWithThePreviousFolderSelected) {
    struct Case {
        const char* name;
        QString previous;
        QString selected;
        QString destination;
    } cases[] = {
        {"nested folder", "F2", "Season 1.5", "Tavrin > Clips > Season 1.5"},
        {"gone", "gone", "Tavrin", "Tavrin"},
        {"never", "", "Tavrin", "Tavrin"},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        SettingsRecord.GoogleDriveFolder.setText(c.previous);
        const std::size_t before = server_.requests().size();
        OpenFolderPage();
        EXPECT_EQ(Commands(), (std::vector<int>{CT_CHECKLOGIN, CT_GETACCOUNT})) << c.name;
        EXPECT_EQ(Paths()[before], "POST /oauth2/v1/tokeninfo") << c.name;
        ASSERT_NE(Tree()->currentItem(), nullptr) << c.name;
        EXPECT_EQ(Tree()->currentItem()->text(0), c.selected) << c.name;
        EXPECT_EQ(wizard_->lbDestination->text(), c.destination) << c.name;
        EXPECT_EQ(wizard_->windowTitle(), "Upload to Google Drive: Ann Example [ 10 GB ]");
        // The root and, for the nested folder, the folder above it are open.
        EXPECT_EQ(TGoogleDrive::NodeImage(Tree()->topLevelItem(0)), DriveFolderOpenImage);
        EXPECT_EQ(Node(Tree(), "Clips")->isExpanded(), c.previous == "F2") << c.name;
    }
}

TEST_F(DriveWizard, TreeNodesImagesPathsAndTargetFolders) {
    OpenFolderPage();
    QTreeWidgetItem* root = Tree()->topLevelItem(0);
    QTreeWidgetItem* clips = Node(Tree(), "Clips");
    ASSERT_NE(clips, nullptr);
    EXPECT_EQ(root->text(0), "Tavrin");
    EXPECT_EQ(TGoogleDrive::NodeItem(root), nullptr);
    EXPECT_EQ(root->childCount(), 2);
    EXPECT_EQ(clips->childCount(), 2);
    EXPECT_EQ(TGoogleDrive::NodeImage(clips), DriveFolderClosedImage);
    EXPECT_EQ(TGoogleDrive::NodeImage(Node(Tree(), "a.mp4")), DriveNoImage);
    EXPECT_TRUE(Node(Tree(), "a.mp4")->icon(0).isNull());
    EXPECT_FALSE(clips->icon(0).isNull());

    clips->setExpanded(true);
    EXPECT_EQ(TGoogleDrive::NodeImage(clips), DriveFolderOpenImage);
    clips->setExpanded(false);
    EXPECT_EQ(TGoogleDrive::NodeImage(clips), DriveFolderClosedImage);
    QTreeWidgetItem* season = Node(Tree(), "Season 1.5");
    season->setExpanded(true);
    EXPECT_EQ(TGoogleDrive::NodeImage(season), DriveFolderClosedImage) << "nothing in it";
    root->setExpanded(false);
    EXPECT_EQ(TGoogleDrive::NodeImage(root), DriveFolderClosedImage);
    root->setExpanded(true);
    EXPECT_EQ(TGoogleDrive::NodeImage(root), DriveFolderOpenImage);

    struct Case {
        QString selected; // empty: nothing selected
        QString destination;
        QString folder;
        QString targetNode;
        bool carriesItem;
    } cases[] = {
        {"a.mp4", "Tavrin > Clips", "F1", "Clips", true},
        {"Clips", "Tavrin > Clips", "F1", "Clips", true},
        {"Season 1.5", "Tavrin > Clips > Season 1.5", "F2", "Season 1.5", true},
        {"top.mp4", "Tavrin", "R", "Tavrin", true},
        {"Tavrin", "Tavrin", "R", "Tavrin", false},
        {"", "", "R", "Tavrin", false},
    };
    for (const Case& c : cases) {
        if (c.selected.isEmpty())
            Tree()->setCurrentItem(nullptr);
        else
            Select(c.selected);
        const auto [folder, node] = wizard_->GetTargetFolder();
        EXPECT_EQ(folder, c.folder) << c.selected.toStdString();
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->text(0), c.targetNode) << c.selected.toStdString();
        EXPECT_EQ(wizard_->lbDestination->text(), c.destination) << c.selected.toStdString();
        EXPECT_EQ(wizard_->btnRename->isEnabled(), c.carriesItem) << c.selected.toStdString();
        EXPECT_EQ(wizard_->btnDelete->isEnabled(), c.carriesItem) << c.selected.toStdString();
    }
}

TEST_F(DriveWizard, NewFolderRenameAndTheirFailures) {
    OpenFolderPage();
    const std::size_t listed = server_.requests().size();
    server_.route("POST", Files,
                  {200, R"({"id":"N1","name":"Holiday","mimeType":")" + Folder + R"("})", {}});
    server_.route("POST", Files + "N1/permissions", {200, "{}", {}});
    server_.route("GET", Files + "N1?fields=webViewLink%2CwebContentLink",
                  {200, R"({"webViewLink":"https://drive.test/N1"})", {}});
    Select("a.mp4");
    {
        ModalAnswers answers({[this](QWidget*) {
            wizard_->ItemForm()->edit->setText("  Holiday ");
            wizard_->ItemForm()->btnCreate->click();
        }});
        wizard_->btnNewFolderClick();
        EXPECT_TRUE(answers.AllAnswered());
    }
    auto requests = server_.requests();
    ASSERT_GT(requests.size(), listed);
    EXPECT_EQ(
        requests[listed].body,
        R"({"name":"Holiday","mimeType":"application/vnd.google-apps.folder","parents":["F1"]})");
    QTreeWidgetItem* added = Tree()->currentItem();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->text(0), "Holiday");
    EXPECT_EQ(added->parent(), Node(Tree(), "Clips"));
    EXPECT_EQ(TGoogleDrive::NodeImage(added), DriveFolderClosedImage);
    EXPECT_EQ(wizard_->lbDestination->text(), "Tavrin > Clips > Holiday");

    // Cancelled: no request.
    std::size_t before = server_.requests().size();
    {
        ModalAnswers answers({[this](QWidget*) { wizard_->ItemForm()->btnClose->click(); }});
        wizard_->btnNewFolderClick();
    }
    EXPECT_EQ(server_.requests().size(), before);

    // Refused by the service: the reply in an error box.
    server_.route("POST", Files, {403, R"({"error":"no room"})", {}});
    QString boxText;
    {
        ModalAnswers answers({[this](QWidget*) { wizard_->ItemForm()->btnCreate->click(); },
                              AnswerBox(boxText, 'C')});
        wizard_->btnNewFolderClick();
        EXPECT_TRUE(answers.AllAnswered());
    }
    EXPECT_EQ(boxText, R"({"error":"no room"})");
    EXPECT_EQ(wizard_->MessageBox()->Glyph(), 113) << "the error sign";

    // Rename: a folder's new name as typed, a file keeps its extension.
    server_.route("PATCH", Files + "F2", {200, R"({"id":"F2"})", {}});
    server_.route("PATCH", Files + "V1", {200, R"({"id":"V1"})", {}});
    struct Case {
        QString node;
        QString typed;
        QString name;
    } renames[] = {{"Season 1.5", "Season 2", "Season 2"}, {"a.mp4", " b ", "b .mp4"}};
    for (const Case& c : renames) {
        Select(c.node);
        QTreeWidgetItem* node = Tree()->currentItem();
        ModalAnswers answers({[&](QWidget*) {
            EXPECT_EQ(wizard_->ItemForm()->edit->text(), c.node);
            wizard_->ItemForm()->edit->setText(c.typed);
            wizard_->ItemForm()->btnCreate->click();
        }});
        wizard_->btnRenameClick();
        EXPECT_EQ(server_.requests().back().body, R"({"name":")" + c.name.toUtf8() + R"("})");
        EXPECT_EQ(node->text(0), c.name);
        EXPECT_EQ(TGoogleDrive::NodeItem(node)->FileName, c.name);
    }

    // A failed rename says why and keeps the old name.
    server_.route("PATCH", Files + "F1", {404, R"({"error":"not found"})", {}});
    Select("Clips");
    boxText.clear();
    {
        ModalAnswers answers({[this](QWidget*) {
                                  wizard_->ItemForm()->edit->setText("Films");
                                  wizard_->ItemForm()->btnCreate->click();
                              },
                              AnswerBox(boxText, 'C')});
        wizard_->btnRenameClick();
        EXPECT_TRUE(answers.AllAnswered());
    }
    EXPECT_EQ(boxText, R"({"error":"not found"})");
    EXPECT_EQ(Node(Tree(), "Clips")->text(0), "Clips");
}

TEST_F(DriveWizard, DeleteAsksUnlessTheConfirmationIsSuppressed) {
    OpenFolderPage();
    server_.route("DELETE", Files + "F2", {204, "", {}});
    server_.route("DELETE", Files + "V1", {204, "", {}});
    server_.route("DELETE", Files + "T1", {500, "broken", {}});

    Select("Season 1.5");
    QString asked;
    {
        ModalAnswers answers({AnswerBox(asked, 'B')}); // Yes
        wizard_->btnDeleteClick();
    }
    EXPECT_TRUE(wizard_->MessageBox()->doNotShowBox()->isVisibleTo(wizard_->MessageBox()));
    EXPECT_EQ(asked, "Are you sure you want to permanently Delete the folder?\nSeason 1.5\n");
    EXPECT_EQ(Node(Tree(), "Season 1.5"), nullptr);
    EXPECT_EQ(Tree()->currentItem(), Node(Tree(), "Clips"));
    EXPECT_TRUE(Node(Tree(), "Clips")->isExpanded());
    EXPECT_EQ(wizard_->lbDestination->text(), "Tavrin > Clips");
    EXPECT_EQ(Paths().back(), "DELETE /drive/v3/files/F2");

    // Suppressed earlier: no question.
    SettingsRecord.ConfirmDelete = 0;
    Select("a.mp4");
    {
        ModalAnswers answers({[](QWidget*) { FAIL() << "asked"; }});
        wizard_->btnDeleteClick();
    }
    EXPECT_EQ(Node(Tree(), "a.mp4"), nullptr);
    EXPECT_EQ(Paths().back(), "DELETE /drive/v3/files/V1");

    // A refused delete says why and keeps the node.
    Select("top.mp4");
    QString error;
    {
        ModalAnswers answers({AnswerBox(error, 'C')});
        wizard_->btnDeleteClick();
        EXPECT_TRUE(answers.AllAnswered());
    }
    EXPECT_EQ(error, "broken");
    EXPECT_NE(Node(Tree(), "top.mp4"), nullptr);
}

TEST_F(DriveWizard, GetLinkShowsTheListedLinksWithoutARequest) {
    OpenFolderPage();
    const std::size_t before = server_.requests().size();
    struct Case {
        QString node;
        QString share, download, media;
    } cases[] = {
        {"a.mp4", "https://drive.test/V1/view?usp=sharing",
         "https://drive.test/uc?id=V1&Export=Download", "https://drive.test/uc?id=V1&export=view"},
        {"Clips", "https://drive.test/F1?usp=sharing", "", ""},
        {"Tavrin", "https://drive.test/R?usp=sharing", "", ""},
    };
    for (const Case& c : cases) {
        Select(c.node);
        TRCloudItemLinksForm* links = wizard_->LinksForm();
        ModalAnswers answers({[&](QWidget*) {
            EXPECT_EQ(links->links.share.edit->text(), c.share) << c.node.toStdString();
            EXPECT_EQ(links->links.download.edit->text(), c.download) << c.node.toStdString();
            EXPECT_EQ(links->links.media.edit->text(), c.media) << c.node.toStdString();
            EXPECT_EQ(links->links.download.edit->isVisible(), !c.download.isEmpty());
            EXPECT_EQ(links->links.media.edit->isVisible(), !c.media.isEmpty());
            links->btnClose->click();
        }});
        wizard_->btnLinkClick();
        EXPECT_TRUE(answers.AllAnswered());
    }
    EXPECT_EQ(server_.requests().size(), before);
}

TEST_F(DriveWizard, LogOutFromTheStartAndFromTheFolderPage) {
    RouteDrive();
    RouteRelay(true);
    StoreTokens();
    SettingsRecord.GoogleDriveUser.setText("Ann Example");
    wizard_->Start(file_);
    wizard_->show();
    EXPECT_EQ(wizard_->windowTitle(), "Upload to Google Drive: Ann Example");
    ASSERT_TRUE(wizard_->btnLogoutS->isEnabled());
    Click(wizard_->btnLogoutS);
    EXPECT_FALSE(wizard_->btnLogoutS->isEnabled());
    EXPECT_TRUE(SettingsRecord.GoogleDriveUser.isEmpty());
    EXPECT_EQ(wizard_->windowTitle(), "Upload to Google Drive");
    EXPECT_EQ(wizard_->pages->currentWidget(), wizard_->pageStart);
    EXPECT_TRUE(Commands().empty());
    // The tokens are gone: browsing now ends at the authorise page without a request.
    Click(wizard_->btnBrowse);
    ASSERT_TRUE(WaitForPage(wizard_->pageAuthorize));
    EXPECT_TRUE(Paths().empty());

    TearDown();
    SetUp();
    OpenFolderPage();
    Click(wizard_->btnLogout);
    EXPECT_EQ(wizard_->lbDescription->text(), "Logging out...");
    EXPECT_EQ(wizard_->pages->currentWidget(), wizard_->pageMessage);
    EXPECT_TRUE(SettingsRecord.GoogleDriveUser.isEmpty());
    EXPECT_TRUE(Client()->UserName.isEmpty());
    EXPECT_EQ(wizard_->windowTitle(), "Upload to Google Drive");
    ASSERT_TRUE(WaitForPage(wizard_->pageAuthorize));
    EXPECT_EQ(Commands(), (std::vector<int>{CT_CHECKLOGIN, CT_GETACCOUNT, CT_LOGOUT, CT_CHECKLOGIN,
                                            CT_AUTHORIZE}));
}

TEST_F(DriveWizard, FailuresEndOnTheErrorPage) {
    struct Case {
        const char* name;
        std::function<void(DriveWizard&)> arrange;
        QString error;
    } cases[] = {
        {"authorisation refused", [](DriveWizard& t) { t.RouteRelay(false); },
         "Authorization error.\n\nThe authorization process was unsuccessful."},
        {"closed port",
         [](DriveWizard& t) {
             t.StoreTokens();
             SetCloudBaseAddress(TRCloudEndpoint::GoogleApi,
                                 "https://127.0.0.1:" +
                                     QString::number(TlsTestServer::closedPort()));
         },
         "No Internet Connection."},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        RouteDrive();
        c.arrange(*this);
        wizard_->Start(file_);
        wizard_->show();
        Click(wizard_->btnBrowse);
        ASSERT_TRUE(WaitUntil([this] {
            QWidget* page = wizard_->pages->currentWidget();
            return page == wizard_->pageAuthorize || page == wizard_->pageError;
        }));
        if (wizard_->pages->currentWidget() == wizard_->pageAuthorize)
            Click(wizard_->btnAuthorize);
        ASSERT_TRUE(WaitForPage(wizard_->pageError)) << c.name;
        EXPECT_EQ(wizard_->lberror->text(), c.error) << c.name;
        // Nothing moves the wizard off the error page but closing.
        platform::system::postMessage(wizard_.get(), CN_AUTHPAGE);
        WaitUntil([] { return false; }, 100);
        EXPECT_EQ(wizard_->pages->currentWidget(), wizard_->pageError) << c.name;
        Click(wizard_->btnClose);
        EXPECT_TRUE(WaitUntil([this] { return !wizard_->CloudThread(); })) << c.name;
    }
}

TEST_F(DriveWizard, AFailedACancelledAndAnAbandonedUpload) {
    OpenFolderPage();
    server_.route("POST", "/upload/drive/v3/files", {403, R"({"error":"quota"})", {}});
    Click(wizard_->btnUpload);
    ASSERT_TRUE(WaitForPage(wizard_->pageError));
    EXPECT_EQ(wizard_->lberror->text(), "Upload Failed:\n{\"error\":\"quota\"}");

    // Cancelled before its first block is through.
    TearDown();
    SetUp();
    OpenFolderPage();
    Click(wizard_->btnUpload);
    Click(wizard_->btnCancelUpload);
    EXPECT_FALSE(wizard_->btnCancelUpload->isEnabled());
    EXPECT_TRUE(wizard_->CloudThread()->UserCancel());
    ASSERT_TRUE(WaitForPage(wizard_->pageError));
    EXPECT_EQ(wizard_->lberror->text(), "Upload Cancelled");

    // Closed while uploading: the worker stops after its block and ends; no error page.
    TearDown();
    SetUp();
    OpenFolderPage();
    const std::size_t before = server_.requests().size();
    Click(wizard_->btnUpload);
    wizard_->close();
    EXPECT_FALSE(wizard_->isVisible());
    EXPECT_EQ(Commands().back(), CT_QUIT);
    ASSERT_TRUE(WaitUntil([this] { return !wizard_->CloudThread(); }));
    EXPECT_FALSE(wizard_->ThreadWorking());
    EXPECT_EQ(seen_.back(), "pageUpload");
    const auto requests = server_.requests();
    for (std::size_t i = before; i < requests.size(); ++i) {
        EXPECT_TRUE(requests[i].target.startsWith("/upload/"));
        EXPECT_FALSE(requests[i].complete);
    }
}

TEST_F(DriveWizard, ProgressShowsTheRemainingTime) {
    OpenFolderPage();
    struct Case {
        qint64 percent, seconds;
        QString text;
    } cases[] = {
        {10, 59, "59 seconds remaining"},
        {20, 61, "1 minutes and 1 seconds remaining"},
        {30, 0, ""},
        {40, 0x100000005LL, "5 seconds remaining"},
        {50, -4, ""},
    };
    for (const Case& c : cases) {
        platform::system::postMessage(wizard_.get(), CN_PROGRESS, c.percent, c.seconds);
        QCoreApplication::sendPostedEvents(wizard_.get());
        EXPECT_EQ(wizard_->progressbar->value(), c.percent);
        EXPECT_EQ(!wizard_->lbRemaining->isHidden(), !c.text.isEmpty());
        if (!c.text.isEmpty()) {
            EXPECT_EQ(wizard_->lbRemaining->text(), c.text);
        }
    }
}

TEST(DriveWizardTexts, UploadNamesRemainingTimesAndCaptions) {
    const std::tuple<QString, QString, QString> names[] = {
        {"clip", "/v/video.mp4", "clip.mp4"},     {"clip.v2", "/v/video.mp4", "clip.v2"},
        {"", "/v/video.mp4", "video.mp4"},        {"   ", "/v/video.mp4", "video.mp4"},
        {" clip ", "/v/video.mp4", " clip .mp4"}, {"clip", "/v/noext", "clip"},
    };
    for (const auto& [typed, local, name] : names)
        EXPECT_EQ(DriveUploadName(typed, local), name) << typed.toStdString();

    const std::pair<qint64, QString> times[] = {
        {59, "59 seconds remaining"},
        {61, "1 minutes and 1 seconds remaining"},
        {0, ""},
        {120, "2 minutes and 0 seconds remaining"},
        {0xFFFFFFFFLL, ""},
    };
    for (const auto& [seconds, text] : times)
        EXPECT_EQ(DriveRemainingText(seconds), text) << seconds;

    EXPECT_EQ(DriveCaption("Ann", 1536), "Upload to Google Drive: Ann [ 2 KB ]");
    EXPECT_EQ(DriveCaption("Ann", 0), "Upload to Google Drive: Ann");
    EXPECT_EQ(DriveCaption("Ann", -5), "Upload to Google Drive: Ann");
}
