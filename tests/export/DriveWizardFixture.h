#pragma once
// The Drive upload wizard against a fake Drive on the HTTPS test server, with the test playing
// the browser: the address handed to the shell's opener is fetched (redirects followed), so the
// fake relay sends it on to the wizard's loopback listener. Tokens and settings live in a
// scratch configuration folder; the worker's clients trust the server's authority.

#include "core/URSettings.h"
#include "export/URCloudEndpoints.h"
#include "export/URCloudGoogleDrive.h"
#include "export/URCloudThread.h"
#include "export/ui/URGoogleDrive.h"
#include "platform/system/Shell.h"
#include "tests/export/TestBrowser.h"
#include "tests/support/net/TlsTestServer.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrlQuery>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

namespace drivewizard {

inline const QByteArray Files = "/drive/v3/files/";
inline const QByteArray RootQuery =
    "/drive/v3/files/?q=trashed%3Dfalse%20and%20%27root%27%20in%20parents%20and%20mimeType%20%3D%20"
    "%27application%2Fvnd.google-apps.folder%27&fields=files%28id%2Cname%2CmimeType%2Cparents%2C"
    "webViewLink%2CwebContentLink%29";
inline const QByteArray ListQuery =
    "/drive/v3/files/?q=trashed%3Dfalse%20and%20not%20%27root%27%20in%20parents&fields="
    "nextPageToken%2Cfiles%28id%2Cname%2CmimeType%2Cparents%2CwebViewLink%2CwebContentLink%29"
    "&orderBy=name&pageSize=1000";
inline const QByteArray Tokens = R"({"access_token":"a","refresh_token":"r","expires_in":3600})";
inline const QByteArray Folder = "application/vnd.google-apps.folder";

// Tavrin > Clips > Season 1.5, Clips > a.mp4, and top.mp4 beside Clips.
inline const QByteArray Listing =
    R"({"files":[)"
    R"({"id":"F1","name":"Clips","mimeType":")" +
    Folder +
    R"(","parents":["R"],)"
    R"("webViewLink":"https://drive.test/F1?usp=drivesdk"},)"
    R"({"id":"F2","name":"Season 1.5","mimeType":")" +
    Folder +
    R"(","parents":["F1"]},)"
    R"({"id":"V1","name":"a.mp4","mimeType":"video/mp4","parents":["F1"],)"
    R"("webViewLink":"https://drive.test/V1/view?usp=DriveSDK",)"
    R"("webContentLink":"https://drive.test/uc?id=V1&Export=Download"},)"
    R"({"id":"T1","name":"top.mp4","mimeType":"video/mp4","parents":["R"]}]})";

inline QByteArray S256(const QByteArray& verifier) {
    return QCryptographicHash::hash(verifier, QCryptographicHash::Sha256)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

// Handles events until `done` holds or a few seconds passed.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return done();
}

// Answers the modal dialogs that open, in order, each with its action.
class ModalAnswers : public QObject {
public:
    explicit ModalAnswers(std::initializer_list<std::function<void(QWidget*)>> actions)
        : actions_(actions) {
        connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        timer_.start(5);
    }
    bool AllAnswered() const { return actions_.empty(); }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_ || actions_.empty() || !modal->isVisible())
            return;
        last_ = modal;
        const auto action = actions_.front();
        actions_.pop_front();
        action(modal);
    }

    std::deque<std::function<void(QWidget*)>> actions_;
    QPointer<QWidget> last_;
    QTimer timer_;
};

class DriveWizardFixture : public testing::Test {
protected:
    void SetUp() override {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        for (const TRCloudEndpoint role : AllRoles)
            SetCloudBaseAddress(role, server_.base());
        savedMakers_ = CloudClientMakers();
        TRCloudClientMakers makers;
        makers.googleDrive = [this] {
            auto drive = std::make_unique<TRGoogleDrive>();
            drive->SetCertificateAuthorities(server_.caFile());
            drive->ListenerPort = 0;
            drive->AuthTimeout = std::chrono::seconds(20);
            return drive;
        };
        SetCloudClientMakers(makers);
        platform::system::setUrlOpener([this](const QString& url) {
            opened_.push_back(url);
            landed_ = BrowseTo(url, server_.caFile());
            return true;
        });
        SettingsRecord.GoogleDriveUser.clear();
        SettingsRecord.GoogleDriveFolder.clear();
        SettingsRecord.ConfirmDelete = 1;
        file_ = dir_.filePath("video.mp4");
        QFile file(file_);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(20000, 'v'));
        file.close();
        wizard_ = std::make_unique<TGoogleDrive>();
        QObject::connect(wizard_->pages, &QStackedWidget::currentChanged, wizard_.get(), [this] {
            seen_.push_back(wizard_->pages->currentWidget()->objectName());
        });
    }

    void TearDown() override {
        if (wizard_->CloudThread()) {
            wizard_->done(QDialog::Rejected);
            EXPECT_TRUE(WaitUntil([this] { return !wizard_->CloudThread(); }));
        }
        wizard_->Finish();
        wizard_.reset();
        platform::system::setUrlOpener({});
        SetCloudClientMakers(savedMakers_);
        for (const TRCloudEndpoint role : AllRoles)
            SetCloudBaseAddress(role, {});
        qputenv("XDG_CONFIG_HOME", savedConfig_);
        SettingsRecord.GoogleDriveUser.clear();
        SettingsRecord.GoogleDriveFolder.clear();
        SettingsRecord.ConfirmDelete = 1;
    }

    // The fake Drive: account, root folder, listing, upload and the upload's links.
    void RouteDrive() {
        server_.route("POST", "/oauth2/v1/tokeninfo", {200, R"({"expires_in":3000})", {}});
        server_.route("GET", "/drive/v2/about",
                      {200,
                       R"({"name":"Ann Example","quotaBytesTotal":"16106127360",)"
                       R"("quotaBytesUsedAggregate":"5368709120"})",
                       {}});
        server_.route("GET", RootQuery,
                      {200,
                       R"({"files":[{"id":"R","name":"Tavrin",)"
                       R"("webViewLink":"https://drive.test/R?usp=drivesdk"}]})",
                       {}});
        server_.route("GET", ListQuery, {200, Listing, {}});
        server_.route("POST", "/upload/drive/v3/files", {200, R"({"id":"U1"})", {}});
        server_.route("POST", Files + "U1/permissions", {200, "{}", {}});
        server_.route("GET", Files + "U1?fields=webViewLink%2CwebContentLink",
                      {200,
                       R"({"webViewLink":"https://drive.test/U1/view?usp=drivesdk",)"
                       R"("webContentLink":"https://drive.test/uc?id=U1&export=download"})",
                       {}});
    }

    // The vendor's relay: the consent start sends the browser back to the listener with a code
    // (or with a refusal); the token script exchanges that code with the matching verifier.
    void RouteRelay(bool grant) {
        server_.route("GET", "/api/googledrive/auth.php", [this, grant](const TlsRequest& r) {
            const QUrlQuery query(QUrl::fromEncoded("http://x" + r.target));
            challenge_ = query.queryItemValue("code_challenge").toLatin1();
            const QByteArray answer = grant ? "&code=c1" : "&error=access_denied";
            return TlsResponse{302,
                               "",
                               {"Location: " + Callback() +
                                "?state=" + query.queryItemValue("state").toUtf8() + answer}};
        });
        server_.route("POST", "/api/googledrive/token.php", [this](const TlsRequest& r) {
            const QUrlQuery form(QString::fromLatin1(r.body));
            if (form.queryItemValue("code") != "c1" ||
                S256(form.queryItemValue("code_verifier").toLatin1()) != challenge_)
                return TlsResponse{400, R"({"error":"invalid_grant"})", {}};
            return TlsResponse{200, Tokens, {}};
        });
        server_.route("GET", "/uploadtogoogledrive", {200, "done", {}});
    }

    QByteArray Callback() const {
        auto* drive = dynamic_cast<TRGoogleDrive*>(wizard_->CloudThread()->Storage());
        return drive->CallbackURL().toUtf8();
    }

    // Tokens stored by an earlier sign-in.
    void StoreTokens() {
        TRGoogleDrive drive;
        drive.PersistTokens() = {TPersistLocation::plRegistry, "GoogleDrive", "Software\\Tavrin"};
        drive.SetToken_Access("a");
        drive.SetToken_Refresh("r");
        ASSERT_TRUE(drive.SaveTokens());
    }

    bool WaitForPage(QWidget* page) {
        return WaitUntil([&] { return wizard_->pages->currentWidget() == page; });
    }

    // Starts the wizard, browses and waits for the folder page.
    void OpenFolderPage() {
        RouteDrive();
        StoreTokens();
        wizard_->Start(file_);
        wizard_->show();
        wizard_->btnBrowse->click();
        ASSERT_TRUE(WaitForPage(wizard_->pageSelectFolder));
    }

    TRGoogleDrive* Client() const {
        return dynamic_cast<TRGoogleDrive*>(wizard_->CloudThread()->Storage());
    }

    // The requests so far as "METHOD path" (query left off).
    std::vector<QByteArray> Paths() const {
        std::vector<QByteArray> result;
        for (const TlsRequest& request : server_.requests())
            result.push_back(request.method + " " + request.target.split('?').first());
        return result;
    }

    static constexpr TRCloudEndpoint AllRoles[] = {
        TRCloudEndpoint::GoogleApi,     TRCloudEndpoint::GoogleAccounts,
        TRCloudEndpoint::GoogleOAuth,   TRCloudEndpoint::TextToSpeech,
        TRCloudEndpoint::YoutubeUpload, TRCloudEndpoint::Vendor};

    QTemporaryDir dir_;
    QByteArray savedConfig_;
    TRCloudClientMakers savedMakers_;
    TlsTestServer server_;
    QString file_;
    std::unique_ptr<TGoogleDrive> wizard_;
    std::vector<QString> seen_;
    std::vector<QString> opened_;
    int landed_ = 0;
    QByteArray challenge_;
};

} // namespace drivewizard
