#include "export/URCloudEndpoints.h"
#include "export/URCloudGoogleDrive.h"
#include "export/URCloudHelpers.h"
#include "tests/support/net/TlsTestServer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const TRCloudEndpoint AllRoles[] = {TRCloudEndpoint::GoogleApi,     TRCloudEndpoint::GoogleAccounts,
                                    TRCloudEndpoint::GoogleOAuth,   TRCloudEndpoint::TextToSpeech,
                                    TRCloudEndpoint::YoutubeUpload, TRCloudEndpoint::Vendor};

const QByteArray Files = "/drive/v3/files/";
const QByteArray RootQuery =
    "/drive/v3/files/?q=trashed%3Dfalse%20and%20%27root%27%20in%20parents%20and%20mimeType%20%3D%20"
    "%27application%2Fvnd.google-apps.folder%27&fields=files%28id%2Cname%2CmimeType%2Cparents%2C"
    "webViewLink%2CwebContentLink%29";
const QByteArray ListQuery =
    "/drive/v3/files/?q=trashed%3Dfalse%20and%20not%20%27root%27%20in%20parents&fields="
    "nextPageToken%2Cfiles%28id%2Cname%2CmimeType%2Cparents%2CwebViewLink%2CwebContentLink%29"
    "&orderBy=name&pageSize=1000";
const QByteArray Folder = "application/vnd.google-apps.folder";

// A Drive client on the fake server with the token "tok" valid for an hour on a clock the test
// sets.
class GoogleDrive : public testing::Test {
protected:
    void SetUp() override {
        for (const TRCloudEndpoint role : AllRoles)
            SetCloudBaseAddress(role, server_.base());
        drive_ = std::make_unique<TRGoogleDrive>();
        drive_->SetCertificateAuthorities(server_.caFile());
        drive_->Now = [this] { return now_; };
        drive_->ListenerPort = 0;
        drive_->SetToken_Access("tok");
        drive_->SetToken_Refresh("ref");
        drive_->ValidUntil = now_ + 3600;
    }
    void TearDown() override {
        for (const TRCloudEndpoint role : AllRoles)
            SetCloudBaseAddress(role, {});
    }

    // The requests so far as "METHOD target".
    std::vector<QByteArray> lines() const {
        std::vector<QByteArray> result;
        for (const TlsRequest& request : server_.requests())
            result.push_back(request.method + " " + request.target);
        return result;
    }

    TlsTestServer server_;
    qint64 now_ = 100000;
    std::unique_ptr<TRGoogleDrive> drive_;
    QTemporaryDir dir_;
};

void expectBearer(const TlsRequest& request) {
    EXPECT_EQ(request.header("Authorization"), "Bearer tok") << request.target.constData();
}

} // namespace

TEST_F(GoogleDrive, TokenCheckPostsTheTokenInAFormAndSetsTheExpiry) {
    server_.route("POST", "/oauth2/v1/tokeninfo", {200, "{\"expires_in\": 1200}", {}});
    EXPECT_TRUE(drive_->TestTokens());
    EXPECT_EQ(drive_->ValidUntil, now_ + 1200);
    const auto requests = server_.requests(1);
    EXPECT_EQ(requests[0].body, "access_token=tok");
    EXPECT_EQ(requests[0].header("Content-Type"), "application/x-www-form-urlencoded");

    drive_->SetToken_Access("  ");
    EXPECT_FALSE(drive_->TestTokens());
    EXPECT_EQ(drive_->ValidUntil, 0);
    EXPECT_EQ(server_.requests().size(), 1u);
}

TEST_F(GoogleDrive, RefreshOnTheRelayAndTheGooglePath) {
    struct Case {
        QString clientId;
        QByteArray path;
        QByteArray body;
    } cases[] = {
        {"", "/api/googledrive/token.php", "refresh_token=r%2F1"},
        {"id.apps", "/o/oauth2/token",
         "refresh_token=r%2F1&client_id=id.apps&client_secret=s%26t&grant_type=refresh_token"},
    };
    for (const Case& c : cases) {
        TlsTestServer server;
        SetCloudBaseAddress(TRCloudEndpoint::Vendor, server.base());
        SetCloudBaseAddress(TRCloudEndpoint::GoogleAccounts, server.base());
        server.route("POST", c.path, {200, "{\"access_token\":\"new\",\"expires_in\":60}", {}});
        TRGoogleDrive drive;
        drive.SetCertificateAuthorities(server.caFile());
        drive.Now = [] { return qint64(7); };
        drive.App().ClientId = c.clientId;
        drive.App().Secret = "s&t";
        drive.SetToken_Refresh("r/1");
        EXPECT_TRUE(drive.RefreshAccess());
        EXPECT_EQ(drive.Token_Access(), "new");
        EXPECT_EQ(drive.ValidUntil, 67);
        const auto requests = server.requests(1);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].target, c.path);
        EXPECT_EQ(requests[0].body, c.body);
    }
}

TEST_F(GoogleDrive, TokenCheckedRequestsRefreshBelowThreeHundredSeconds) {
    // The refresh reply has no "expires_in": the old expiry stays, so the next request refreshes
    // again.
    server_.route("POST", "/api/googledrive/token.php", {200, "{\"access_token\":\"tok\"}", {}});
    server_.route("PATCH", Files + "f1", {200, "{\"id\":\"f1\"}", {}});
    TRGoogleDriveItem item;
    item.ID = "f1";
    struct Case {
        qint64 left;
        int refreshes;
    } cases[] = {{300, 0}, {299, 1}};
    std::size_t seen = 0;
    for (const Case& c : cases) {
        drive_->ValidUntil = now_ + c.left;
        EXPECT_TRUE(drive_->Rename(&item, "x"));
        EXPECT_TRUE(drive_->Rename(&item, "x"));
        const auto all = lines();
        int refreshes = 0;
        for (std::size_t i = seen; i < all.size(); ++i)
            refreshes += all[i] == "POST /api/googledrive/token.php";
        seen = all.size();
        EXPECT_EQ(refreshes, 2 * c.refreshes) << c.left;
    }
}

TEST_F(GoogleDrive, FindRootFolderTakesTheFirstExactNameElseCreatesOne) {
    const QByteArray listed =
        R"({"files":[{"id":"low","name":"tavrin"},)"
        R"({"id":"r1","name":"Tavrin","webViewLink":"https://v/r1?usp=DriveSDK","webContentLink":"https://d/r1?export=download"},)"
        R"({"id":"r2","name":"Tavrin"}]})";
    server_.route("GET", RootQuery, {200, listed, {}});
    EXPECT_EQ(drive_->FindRootFolder(), "r1");
    EXPECT_EQ(drive_->RootShLink, "https://v/r1?usp=sharing");
    EXPECT_EQ(drive_->RootDlLink, "https://d/r1?export=download");
    EXPECT_EQ(drive_->RootMediaLink, "https://d/r1?export=view");
    EXPECT_EQ(lines().size(), 1u);

    TlsTestServer server;
    for (const TRCloudEndpoint role : AllRoles)
        SetCloudBaseAddress(role, server.base());
    server.route("GET", RootQuery, {200, R"({"files":[{"id":"low","name":"tavrin"}]})", {}});
    server.route("POST", Files, {200, "junk{\"id\":\"new\"}", {}});
    server.route("POST", Files + "new/permissions", {200, "{\"id\":\"p\"}", {}});
    server.route("GET", Files + "new?fields=webViewLink%2CwebContentLink",
                 {200, R"({"webViewLink":"https://v/new?usp=drivesdk"})", {}});
    TRGoogleDrive drive;
    drive.SetCertificateAuthorities(server.caFile());
    drive.SetToken_Access("tok");
    drive.Now = [] { return qint64(0); };
    drive.ValidUntil = 3600;
    EXPECT_EQ(drive.FindRootFolder(), "new");
    const auto requests = server.requests(4);
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(
        requests[1].body,
        R"({"name":"Tavrin","mimeType":"application/vnd.google-apps.folder","description":""})");
    EXPECT_EQ(requests[2].body, R"({"kind":"drive#permission","role":"reader","type":"anyone"})");
    for (const TlsRequest& request : requests)
        expectBearer(request);
    // A folder's links: the share link is its view link; no download or media link.
    EXPECT_EQ(drive.RootShLink, "https://v/new?usp=sharing");
    EXPECT_EQ(drive.RootDlLink, "");
    EXPECT_EQ(drive.RootMediaLink, "");
}

TEST_F(GoogleDrive, FolderOperationsSendTheirRequestsAndJudgeTheReplies) {
    server_.route("POST", Files,
                  {200, "{\"id\":\"n1\",\"name\":\"a\\\"b\",\"mimeType\":\"" + Folder + "\"}", {}});
    server_.route("POST", Files + "n1/permissions", {200, "{}", {}});
    server_.route("GET", Files + "n1?fields=webViewLink%2CwebContentLink",
                  {200, R"({"webViewLink":"https://v/n1"})", {}});
    TRGoogleDriveItem* folder = drive_->CreateFolderEx("p1", "a\"b");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->FileName, "a\"b");
    EXPECT_EQ(folder->Link, "https://v/n1");
    EXPECT_EQ(folder->ItemType, TRCloudItemType::ciFolder);
    auto requests = server_.requests(3);
    EXPECT_EQ(
        requests[0].body,
        R"({"name":"a\"b","mimeType":"application/vnd.google-apps.folder","parents":["p1"]})");
    EXPECT_EQ(requests[0].header("Content-Type"), "application/json");

    struct Case {
        const char* name;
        TlsResponse reply;
        bool ok;
        QString error;
    } deletes[] = {
        {"no content", {204, "", {}}, true, ""},
        {"not found", {404, "  {\"error\":\"gone\"} \n", {}}, false, "{\"error\":\"gone\"}"},
        {"ok with a body", {200, "", {}}, false, ""},
    };
    for (const Case& c : deletes) {
        server_.route("DELETE", Files + "n1", c.reply);
        drive_->ErrorMessage = "stale";
        EXPECT_EQ(drive_->Delete(folder), c.ok) << c.name;
        if (!c.ok) {
            EXPECT_EQ(drive_->ErrorMessage, c.error) << c.name;
        }
    }
    server_.route("PATCH", Files + "n1", {200, "{\"id\":\"other\"}", {}});
    EXPECT_FALSE(drive_->Rename(folder, "c"));
    EXPECT_EQ(drive_->ErrorMessage, "{\"id\":\"other\"}");
    requests = server_.requests();
    EXPECT_EQ(requests.back().body, "{\"name\":\"c\"}");
    for (const TlsRequest& request : requests)
        expectBearer(request);

    SetCloudBaseAddress(TRCloudEndpoint::GoogleApi,
                        "https://127.0.0.1:" + QString::number(TlsTestServer::closedPort()));
    TRGoogleDrive offline;
    offline.Now = [] { return qint64(0); };
    offline.ValidUntil = 3600;
    TRGoogleDriveItem item;
    item.ID = "n1";
    EXPECT_FALSE(offline.Delete(&item));
    EXPECT_FALSE(offline.ErrorMessage.isEmpty());
}

TEST_F(GoogleDrive, UploadSendsTheMetadataAndHonoursACancel) {
    const QString path = dir_.filePath("clip.mp4");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(10000, 'v'));
    file.close();
    server_.route("POST", "/upload/drive/v3/files", {200, "{\n\"id\": \"u1\"\n}", {}});
    auto* item = static_cast<TRGoogleDriveItem*>(
        drive_->UploadExY("p1", path, "Clip \"1\"", "", "tags", "cat"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ID, "u1");
    const auto requests = server_.requests(1);
    EXPECT_EQ(requests[0].target, "/upload/drive/v3/files?uploadType=multipart");
    expectBearer(requests[0]);
    EXPECT_TRUE(requests[0].body.contains(
        R"({"kind":"drive#file","name":"Clip \"1\"","mimeType":"video/mp4","parents":["p1"]})"
        "\r\n"));

    drive_->OnUploadProgress = [](TRCloudBase*, const QString&, qint64, qint64, bool& cancel) {
        cancel = true;
    };
    drive_->ErrorMessage = "stale";
    EXPECT_EQ(drive_->UploadExY("p1", path, "t", "d", "", ""), nullptr);
    EXPECT_EQ(drive_->ErrorMessage, "");
}

TEST_F(GoogleDrive, ListingFollowsPagesAndBuildsTheTreeUnderTheRoot) {
    server_.route("GET", RootQuery, {200, R"({"files":[{"id":"R","name":"Tavrin"}]})", {}});
    server_.route("GET", ListQuery,
                  {200,
                   R"({"nextPageToken":"p 2","files":[)"
                   R"({"id":"f","name":"F","mimeType":")" +
                       Folder +
                       R"(","parents":["R"]},)"
                       R"({"id":"orphan","name":"O","parents":["elsewhere"]}]})",
                   {}});
    server_.route("GET", ListQuery + "&pageToken=p%202",
                  {200,
                   R"({"files":[{"id":"c","name":"C","parents":["f"]},)"
                   R"({"id":"top","name":"T","parents":["R"]}]})",
                   {}});
    drive_->GetDriveInfo();
    EXPECT_EQ(drive_->RootFolderID, "R");
    TRGoogleDriveItems* top = drive_->GDrive();
    ASSERT_EQ(top->Count(), 2);
    EXPECT_EQ(top->Items(0)->ID, "f");
    EXPECT_EQ(top->Items(1)->ID, "top");
    auto* children = static_cast<TRGoogleDriveItems*>(top->Items(0)->Folder());
    ASSERT_EQ(children->Count(), 1);
    EXPECT_EQ(children->Items(0)->ID, "c");
    EXPECT_EQ(children->Folder, top->Items(0));
    for (const TlsRequest& request : server_.requests())
        expectBearer(request);
}

TEST_F(GoogleDrive, CodeExchangeCarriesTheVerifierAndNeedsBothTokens) {
    struct Case {
        const char* name;
        QByteArray reply;
        bool authorized;
        QString page;
    } cases[] = {
        {"both tokens", R"({"access_token":"a","refresh_token":"r","expires_in":3600})", true,
         "authorized"},
        {"no refresh token", R"({"access_token":"a","expires_in":3600})", false, "error"},
    };
    for (const Case& c : cases) {
        server_.route("POST", "/api/googledrive/token.php", {200, c.reply, {}});
        drive_->DoAuth();
        const QString state = drive_->AuthState();
        const auto answer =
            drive_->HandleAuthRedirect("/?state=" + state.toLatin1() + "&code=4%2Fx");
        EXPECT_EQ(answer.status, 302) << c.name;
        EXPECT_EQ(answer.location,
                  (server_.base() + "/uploadtogoogledrive?status=" + c.page).toUtf8());
        EXPECT_EQ(drive_->Authorized(), c.authorized) << c.name;
        EXPECT_EQ(server_.requests().back().body,
                  "code=4%2Fx&redirect_uri=" + URLEncode(drive_->CallbackURL()).toLatin1() +
                      "&code_verifier=" + drive_->CodeVerifier().toLatin1());
        if (c.authorized) {
            EXPECT_EQ(drive_->ValidUntil, now_ + 3600);
        } else {
            EXPECT_EQ(drive_->ErrorMessage, "The authorization process was unsuccessful.");
        }
    }
}

TEST_F(GoogleDrive, AccountNameAndFreeSpace) {
    struct Case {
        const char* name;
        TlsResponse reply;
        QString user;
        qint64 quota;
    } cases[] = {
        {"whole",
         {200,
          R"({"name":"Ann","quotaBytesTotal":"16106127360","quotaBytesUsedAggregate":"106127360"})",
          {}},
         "Ann",
         16000000000},
        {"no used bytes: the quota stays",
         {200, R"({"name":"Bo","quotaBytesTotal":"5"})", {}},
         "Bo",
         16000000000},
        {"no object: nothing changes", {200, "[1]", {}}, "Bo", 16000000000},
    };
    for (const Case& c : cases) {
        server_.route("GET", "/drive/v2/about", c.reply);
        drive_->GetAccountInfo();
        EXPECT_EQ(drive_->UserName, c.user) << c.name;
        EXPECT_EQ(drive_->Quota, c.quota) << c.name;
        const TlsRequest sent = server_.requests().back();
        EXPECT_EQ(sent.target, "/drive/v2/about") << c.name;
        expectBearer(sent);
    }
}

TEST_F(GoogleDrive, AFileIsSharedAndItsThreeLinksReturned) {
    TRGoogleDriveItem item;
    item.ID = "v1";
    server_.route("POST", Files + "v1/permissions", {200, "x{\"id\":\"p\"}y", {}});
    server_.route("GET", Files + "v1?fields=webViewLink%2CwebContentLink",
                  {200,
                   R"({"webViewLink":"https://v/v1/view?usp=DriveSDK",)"
                   R"("webContentLink":"https://d/uc?id=v1&Export=Download"})",
                   {}});
    QString download, share, media;
    drive_->GetLinks(&item, download, share, media);
    EXPECT_EQ(share, "https://v/v1/view?usp=sharing");
    EXPECT_EQ(download, "https://d/uc?id=v1&Export=Download");
    EXPECT_EQ(media, "https://d/uc?id=v1&export=view");
    EXPECT_EQ(item.Link, "https://v/v1/view?usp=DriveSDK");
    const auto requests = server_.requests(2);
    EXPECT_EQ(requests[0].body, R"({"kind":"drive#permission","role":"reader","type":"anyone"})");
    EXPECT_EQ(requests[0].header("Content-Type"), "application/json");

    // A plain "error" member stops before the links are read.
    server_.route("POST", Files + "v1/permissions", {403, R"({"error":"forbidden"})", {}});
    drive_->GetLinks(&item, download, share, media);
    EXPECT_EQ(drive_->ErrorMessage, "forbidden");
    EXPECT_EQ(download, "");
    EXPECT_EQ(share, "");
    EXPECT_EQ(server_.requests().size(), 3u);
}
