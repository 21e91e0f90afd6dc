#include "export/URCloudClients.h"
#include "export/URCloudEndpoints.h"
#include "export/URCloudHelpers.h"
#include "export/URCloudYoutube.h"
#include "tests/export/CloudNotes.h"
#include "tests/support/net/TlsTestServer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

const TRCloudEndpoint Roles[] = {TRCloudEndpoint::GoogleApi, TRCloudEndpoint::GoogleAccounts,
                                 TRCloudEndpoint::YoutubeUpload};

// A YouTube client on the fake server with the access token "tok".
class Youtube : public testing::Test {
protected:
    void SetUp() override {
        for (const TRCloudEndpoint role : Roles)
            SetCloudBaseAddress(role, server_.base());
        client_ = std::make_unique<TRYoutube>();
        client_->SetCertificateAuthorities(server_.caFile());
        client_->ListenerPort = 0;
        client_->SetToken_Access("tok");
    }
    void TearDown() override {
        for (const TRCloudEndpoint role : Roles)
            SetCloudBaseAddress(role, {});
    }

    // The one request the operation sent.
    TlsRequest Sent() const {
        const auto requests = server_.requests(1);
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? TlsRequest{} : requests.back();
    }

    TlsTestServer server_;
    std::unique_ptr<TRYoutube> client_;
    QTemporaryDir dir_;
};

// An item of a flat list.
void listed(TRYoutubeItems& list, const QString& id, const QString& parent, bool root) {
    TRYoutubeItem* item = list.Add();
    item->ID = id;
    item->FileName = id;
    item->ParentID = parent;
    item->ParentRoot = root;
}

} // namespace

TEST(YoutubeLocale, EveryLocaleGivesItsLanguage) {
    const std::pair<TCloudLocale, QString> cases[] = {
        {TCloudLocale::lcDefault, ""},       {TCloudLocale::lcEnglish, "&hl=en"},
        {TCloudLocale::lcDutch, "&hl=nl"},   {TCloudLocale::lcGerman, "&hl=de"},
        {TCloudLocale::lcFrench, "&hl=fr"},  {TCloudLocale::lcSpanish, "&hl=es"},
        {TCloudLocale::lcItalian, "&hl=it"}, {TCloudLocale::lcPortuguese, "&hl=pt"},
        {TCloudLocale::lcGreek, "&hl=el"},   {TCloudLocale::lcDanish, "&hl=da"},
        {TCloudLocale::lcRussian, "&hl=ru"}, {TCloudLocale::lcRomanian, "&hl=ro"},
        {TCloudLocale::lcSwedish, "&hl=sv"}, {TCloudLocale::lcFinnish, "&hl=fi"},
        {TCloudLocale::lcTurkish, "&hl=tr"}, {TCloudLocale::lcJapanese, "&hl=ja"},
    };
    TRYoutube client;
    for (const auto& [locale, param] : cases) {
        client.SetLocale(locale);
        EXPECT_EQ(client.GetLocaleParam(), param) << int(locale);
    }
}

TEST_F(Youtube, TokensAreCheckedRefreshedAndExchangedWithTheVerifier) {
    server_.route("POST", "/oauth2/v1/tokeninfo", {200, R"({"expires_in":10})", {}});
    client_->ValidUntil = 5;
    EXPECT_TRUE(client_->TestTokens());
    EXPECT_EQ(client_->ValidUntil, 5);
    EXPECT_EQ(Sent().body, "access_token=tok");

    client_->App().ClientId = "cid";
    client_->App().Secret = "s&t";
    client_->SetToken_Refresh("r/1");
    server_.route("POST", "/o/oauth2/token", {200, R"({"access_token":"new"})", {}});
    EXPECT_TRUE(client_->RefreshAccess());
    EXPECT_EQ(client_->Token_Access(), "new");
    EXPECT_EQ(server_.requests(2).back().body,
              "client_id=cid&client_secret=s%26t&refresh_token=r%2F1&grant_type=refresh_token");

    client_->SetLocale(TCloudLocale::lcGerman);
    client_->DoAuth();
    const QString state = client_->AuthState();
    const QByteArray challenge =
        QCryptographicHash::hash(client_->CodeVerifier().toLatin1(), QCryptographicHash::Sha256)
            .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    EXPECT_EQ(client_->AuthURL(),
              server_.base() +
                  "/o/oauth2/auth?scope=https%3A%2F%2Fwww.googleapis.com%2Fauth%2Fyoutube.upload"
                  "&redirect_uri=" +
                  URLEncode(client_->CallbackURL()) +
                  "&response_type=code&client_id=cid&approval_prompt=force&hl=de&state=" + state +
                  "&code_challenge=" + challenge + "&code_challenge_method=S256");

    int ended = 0;
    client_->OnReceivedAccessToken = [&ended](TRCloudBase*) { ++ended; };
    server_.route("POST", "/o/oauth2/token",
                  {200, R"({"access_token":"a2","refresh_token":"r2"})", {}});
    const auto answer = client_->HandleAuthRedirect("/?code=4%2Fx&state=" + state.toLatin1());
    EXPECT_EQ(answer.status, 200);
    EXPECT_TRUE(answer.finished);
    EXPECT_TRUE(client_->Authorized());
    EXPECT_EQ(client_->Token_Refresh(), "r2");
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(
        server_.requests(3).back().body,
        "code=4%2Fx&client_id=cid&client_secret=s%26t&redirect_uri=" +
            URLEncode(client_->CallbackURL()).toLatin1() +
            "&grant_type=authorization_code&code_verifier=" + client_->CodeVerifier().toLatin1());
}

TEST_F(Youtube, UploadSendsTheSnippetAndKeepsTheVideo) {
    const QString path = dir_.filePath("talk.mp4");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, 'v'));
    file.close();
    server_.route("POST", "/upload/youtube/v3/videos", {200, "{\n\"id\": \"v1\"\n}", {}});
    TRCloudItem* item = client_->UploadExY("ignored", path, "Talk \"1\"", "", "a,b", "cat");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(static_cast<TRYoutubeItem*>(item)->ID, "v1");
    EXPECT_EQ(client_->GDrive()->Count(), 1);
    const TlsRequest sent = Sent();
    EXPECT_EQ(sent.target, "/upload/youtube/v3/videos?part=snippet");
    EXPECT_EQ(sent.header("Authorization"), "Bearer tok");
    EXPECT_TRUE(sent.body.contains(
        "Content-Type: application/json; charset=UTF-8\r\n\r\n"
        R"({"snippet":{"title":"Talk \"1\"","description":"","tags":["a,b"],"categoryId":"22"}})"
        "\r\n"));

    QString download = "d", share = "s", media = "m";
    client_->GetLinks(item, download, share, media);
    EXPECT_EQ(download, "v1");
    EXPECT_EQ(share, "s");
    EXPECT_EQ(media, "m");
    client_->GetAccountInfo();
    client_->GetDriveInfo();
    EXPECT_EQ(client_->GDrive()->Count(), 0);
    EXPECT_EQ(server_.requests().size(), 1u);
}

TEST_F(Youtube, CreateFolderTrashDownloadAndList) {
    TRYoutubeItem file;
    file.ItemType = TRCloudItemType::ciFile;
    EXPECT_EQ(client_->CreateFolder(&file, "x"), nullptr);
    EXPECT_TRUE(server_.requests().empty());

    TRYoutubeItem* parent = client_->GDrive()->Add();
    parent->ID = "p1";
    parent->ItemType = TRCloudItemType::ciFolder;
    server_.route(
        "POST", "/youtube/v3/",
        {200,
         R"(x{"title":"Season \"2\"","id":"f9","mimeType":"application/vnd.google-apps.folder",)"
         R"("downloadUrl":"https://d/f9","createdDate":"2024-03-05T04:07:09.000Z",)"
         R"("modifiedDate":"2024-03-06T01:02:03Z","parents":[{"id":"p1","isRoot":true}],)"
         R"("ownerNames":["Ann","Bo"]})",
         {}});
    auto* folder =
        static_cast<TRYoutubeItem*>(client_->CreateFolder(parent, "/clips/Season \"2\""));
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(Sent().body,
              R"({"title":"Season \"2\"","mimeType":"application/vnd.google-apps.folder",)"
              R"("parents":[{"kind":"drive#parentReference","id":"p1","isRoot":false}]})");
    EXPECT_EQ(Sent().header("Authorization"), "Bearer tok");
    EXPECT_EQ(parent->Folder()->Items(0), folder);
    EXPECT_EQ(folder->FileName, "Season \"2\"");
    EXPECT_EQ(folder->ID, "f9");
    EXPECT_EQ(folder->DownloadURL, "https://d/f9");
    EXPECT_EQ(folder->CreationDate, QDateTime(QDate(2024, 3, 5), QTime(4, 7, 9)));
    EXPECT_EQ(folder->ModifiedDate, QDateTime(QDate(2024, 3, 6), QTime(1, 2, 3)));
    EXPECT_EQ(folder->ParentID, "p1");
    EXPECT_TRUE(folder->ParentRoot);
    EXPECT_EQ(folder->Owners, "Ann,Bo");
    EXPECT_EQ(folder->ItemType, TRCloudItemType::ciFolder);
    EXPECT_NE(folder->Folder(), nullptr);

    struct Case {
        const char* name;
        TlsResponse reply;
        bool ok;
    } trash[] = {
        {"trashed", {200, R"({"id":"f9"})", {}}, true},
        {"refused", {403, R"({"error":{"code":403}})", {}}, false},
        {"no JSON", {200, "", {}}, false},
    };
    for (const Case& c : trash) {
        server_.route("POST", "/youtube/v3/f9/trash", c.reply);
        EXPECT_EQ(client_->Delete(folder), c.ok) << c.name;
        const TlsRequest sent = server_.requests().back();
        EXPECT_EQ(sent.target, "/youtube/v3/f9/trash") << c.name;
        EXPECT_EQ(sent.body, "") << c.name;
    }

    TRYoutubeItem video;
    video.DownloadURL = server_.base() + "/videos/v1?alt=media";
    const QString target = dir_.filePath("v1.mp4");
    server_.route("GET", "/videos/v1", {200, "frames", {}});
    EXPECT_TRUE(client_->Download(&video, target));
    EXPECT_EQ(server_.requests().back().target, "/videos/v1?alt=media");
    EXPECT_EQ(server_.requests().back().header("Authorization"), "Bearer tok");
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "frames");
    server_.route("GET", "/videos/v1", {404, R"({"error":"gone"})", {}});
    EXPECT_FALSE(client_->Download(&video, dir_.filePath("v2.mp4")));
    EXPECT_FALSE(QFile::exists(dir_.filePath("v2.mp4")));

    server_.route("GET", "/youtube/v3/search", {200, "{}", {}});
    client_->GetList();
    EXPECT_EQ(server_.requests().back().target, "/youtube/v3/search?part=snippet");
    EXPECT_EQ(server_.requests().back().header("Authorization"), "Bearer tok");
    EXPECT_EQ(client_->Upload("f", "v"), nullptr);
}

TEST(YoutubeTree, BuildItemTreeAndGetNextOnANestedFolder) {
    // A and B in the root; C in A, D in C (listed before C, so a second pass places it); E's
    // parent is not in the list.
    TRYoutubeItems list;
    listed(list, "A", "root", true);
    listed(list, "D", "C", false);
    listed(list, "B", "root", true);
    listed(list, "C", "A", false);
    listed(list, "E", "gone", false);
    TRYoutube client;
    client.BuildItemTree(list);
    TRYoutubeItems* top = client.GDrive();
    ASSERT_EQ(top->Count(), 2);
    TRYoutubeItem* a = top->Items(0);
    TRYoutubeItem* b = top->Items(1);
    EXPECT_EQ(a->ID, "A");
    EXPECT_EQ(b->ID, "B");
    ASSERT_EQ(a->Folder()->Count(), 1);
    auto* c = static_cast<TRYoutubeItem*>(a->Folder()->Items(0));
    EXPECT_EQ(c->ID, "C");
    ASSERT_EQ(c->Folder()->Count(), 1);
    auto* d = static_cast<TRYoutubeItem*>(c->Folder()->Items(0));
    EXPECT_EQ(d->ID, "D");
    EXPECT_EQ(d->Folder()->Count(), 0);
    EXPECT_FALSE(list.Items(4)->InTree);

    // The walk goes down to first children, along a collection, and up one level only: after D
    // (last in C) comes what follows C in A, which is nothing.
    const std::pair<TRYoutubeItem*, TRYoutubeItem*> next[] = {
        {a, c}, {c, d}, {d, nullptr}, {b, nullptr}};
    for (const auto& [from, to] : next)
        EXPECT_EQ(from->GetNext(), to) << from->ID.toStdString();
    TRYoutubeItem alone;
    EXPECT_EQ(alone.GetNext(), nullptr);
}

TEST(YoutubeSelection, OnlyStorageTypeFiveSelectsTheYoutubeClient) {
    const TRCloudClientMakers saved = CloudClientMakers();
    InstallGoogleCloudClients();
    Receiver receiver;
    QPointer<TRCloudThread> worker = new TRCloudThread(&receiver);
    const std::pair<int, bool> cases[] = {
        {StorageGoogleDrive, false}, {StorageTextToSpeech, false}, {StorageYoutube, true}};
    for (const auto& [type, youtube] : cases) {
        worker->SetStorageType(type);
        EXPECT_EQ(dynamic_cast<TRYoutube*>(worker->Storage()) != nullptr, youtube) << type;
    }
    worker->SetStorageType(StorageGoogleDrive);
    EXPECT_NE(dynamic_cast<TRGoogleDrive*>(worker->Storage()), nullptr);
    worker->Post(CT_QUIT);
    runToEnd(worker, receiver.notes);
    SetCloudClientMakers(saved);
}
