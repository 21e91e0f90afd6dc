#include "export/URCloudYoutube.h"

#include "export/URCloudHelpers.h"

#include <QFileInfo>
#include <QJsonArray>

namespace {

// The "hl" language of each locale, in the order of TCloudLocale.
const char* const Languages[] = {"",   "en", "nl", "de", "fr", "es", "it", "pt",
                                 "el", "da", "ru", "ro", "sv", "fi", "tr", "ja"};

} // namespace

// Items.

TRYoutubeItem* TRYoutubeItem::GetNext() const {
    if (Folder() && Folder()->Count() > 0)
        return static_cast<TRYoutubeItem*>(Folder()->Items(0));
    const auto* items = static_cast<const TRYoutubeItems*>(Collection());
    if (!items)
        return nullptr;
    const int at = items->IndexOf(this);
    if (at + 1 < items->Count())
        return items->Items(at + 1);
    const TRYoutubeItem* owner = items->Folder;
    if (!owner || !owner->Collection())
        return nullptr;
    const auto* above = static_cast<const TRYoutubeItems*>(owner->Collection());
    const int ownerAt = above->IndexOf(owner);
    return ownerAt + 1 < above->Count() ? above->Items(ownerAt + 1) : nullptr;
}

// Client.

TRYoutube::TRYoutube() {
    FAPIBase = CloudBaseAddress(TRCloudEndpoint::GoogleApi) + "/youtube/v3/";
    FScopes = {"https://www.googleapis.com/auth/youtube.upload"};
}

std::unique_ptr<TRCloudItems> TRYoutube::CreateItems() {
    return std::make_unique<TRYoutubeItems>();
}

QString TRYoutube::GetLocaleParam() const {
    const QString language = Languages[int(FLocale)];
    return language.isEmpty() ? QString() : "&hl=" + language;
}

bool TRYoutube::TestTokens() {
    return TokenInfo().contains("expires_in");
}

bool TRYoutube::RefreshAccess() {
    if (FToken_Refresh.isEmpty())
        return false;
    const QByteArray reply = PostForm(TRCloudEndpoint::GoogleAccounts, "/o/oauth2/token",
                                      FormText({{"client_id", FApp.ClientId},
                                                {"client_secret", FApp.Secret},
                                                {"refresh_token", FToken_Refresh},
                                                {"grant_type", "refresh_token"}}));
    const QString access = GetJSONProp(CutJSONObject(reply), "access_token");
    if (access.isEmpty())
        return false;
    FToken_Access = access;
    return true;
}

void TRYoutube::DoAuth() {
    TRCloudStorage::DoAuth();
    const QString pkce = StartSignIn();
    if (pkce.isEmpty())
        return;
    FAuthURL = CloudBaseAddress(TRCloudEndpoint::GoogleAccounts) +
               "/o/oauth2/auth?scope=" + ScopeParamText("+", true) +
               "&redirect_uri=" + URLEncode(FCallBackURL) +
               "&response_type=code&client_id=" + FApp.ClientId + "&approval_prompt=force" +
               GetLocaleParam() + "&" + pkce;
}

platform::net::LoopbackAnswer TRYoutube::TakeRedirect(const QUrlQuery& query) {
    if (OnCommandGet)
        OnCommandGet(this);
    FToken_Auth = query.queryItemValue("code", QUrl::FullyDecoded);
    FAuthorized = false;
    if (!FToken_Auth.isEmpty()) {
        const QJsonObject reply =
            CutJSONObject(PostForm(TRCloudEndpoint::GoogleAccounts, "/o/oauth2/token",
                                   FormText({{"code", FToken_Auth},
                                             {"client_id", FApp.ClientId},
                                             {"client_secret", FApp.Secret},
                                             {"redirect_uri", FCallBackURL},
                                             {"grant_type", "authorization_code"},
                                             {"code_verifier", CodeVerifier()}})));
        const QString access = GetJSONProp(reply, "access_token");
        const QString refresh = GetJSONProp(reply, "refresh_token");
        if (!access.isEmpty() && !refresh.isEmpty()) {
            FToken_Access = access;
            FToken_Refresh = refresh;
            FAuthorized = true;
        }
    }
    CloseAuthForm();
    DoReceivedAccessToken();
    return {200, {}, true};
}

TRCloudItem* TRYoutube::UploadExY(const QString&, const QString& fileName, const QString& title,
                                  const QString& description, const QString& tags, const QString&) {
    const QString server = CloudServer(TRCloudEndpoint::YoutubeUpload);
    const QString headers =
        "Host: " + server + "\r\nAuthorization: Bearer " + FToken_Access + "\r\n";
    const QByteArray metadata = TROrderedJson()
                                    .Add("snippet", TROrderedJson()
                                                        .Add("title", title)
                                                        .Add("description", description)
                                                        .Add("tags", QStringList{tags})
                                                        .Add("categoryId", "22"))
                                    .Text();
    const QFileInfo file(fileName);
    const QByteArray response = HttpsPut(
        CloudBaseAddress(TRCloudEndpoint::YoutubeUpload) + "/upload/youtube/v3/videos?part=snippet",
        file.path(), file.fileName(), headers, metadata + "\r\n", THTTPCommand::hcPostMultiPart);
    if (response.isEmpty())
        return nullptr;
    QJsonObject reply;
    try {
        reply = ParseJSONObject(QByteArray(response).replace('\n', ""));
    } catch (const std::exception&) {
        return nullptr;
    }
    TRYoutubeItem* item = GDrive()->Add();
    item->ID = GetJSONProp(reply, "id");
    return item;
}

void TRYoutube::GetLinks(TRCloudItem* item, QString& downloadLink, QString&, QString&) {
    if (const auto* video = dynamic_cast<TRYoutubeItem*>(item))
        downloadLink = video->ID;
}

void TRYoutube::GetAccountInfo() {}

void TRYoutube::GetDriveInfo() {
    GDrive()->Clear();
}

TRCloudItem* TRYoutube::CreateFolder(TRCloudItem* parent, const QString& folderName) {
    auto* above = dynamic_cast<TRYoutubeItem*>(parent);
    if (parent && (!above || above->ItemType != TRCloudItemType::ciFolder))
        return nullptr;
    TROrderedJson body;
    body.Add("title", QFileInfo(folderName).fileName()).Add("mimeType", FolderMimeType);
    if (above)
        body.Add("parents", std::vector<TROrderedJson>{TROrderedJson()
                                                           .Add("kind", "drive#parentReference")
                                                           .Add("id", above->ID)
                                                           .AddBool("isRoot", false)});
    QByteArray response;
    HttpsPost(ExtractServer(FAPIBase), RemoveServer(FAPIBase), BearerHeaders(true), body.Text(),
              response);
    const QJsonObject reply = CutJSONObject(response);
    if (GetJSONProp(reply, "title").isEmpty())
        return nullptr;
    if (above && !above->Folder())
        above->SetFolder(std::make_unique<TRYoutubeItems>(above));
    TRYoutubeItems* into = above ? static_cast<TRYoutubeItems*>(above->Folder()) : GDrive();
    TRYoutubeItem* folder = into->Add();
    folder->ItemType = TRCloudItemType::ciFolder;
    folder->FileName = GetJSONProp(reply, "title");
    folder->ID = GetJSONProp(reply, "id");
    folder->MimeType = GetJSONProp(reply, "mimeType");
    folder->DownloadURL = GetJSONProp(reply, "downloadUrl");
    folder->CreationDate = IsoToDateTime(GetJSONProp(reply, "createdDate"));
    folder->ModifiedDate = IsoToDateTime(GetJSONProp(reply, "modifiedDate"));
    const QJsonObject first = reply.value("parents").toArray().first().toObject();
    folder->ParentID = GetJSONProp(first, "id");
    folder->ParentRoot = first.value("isRoot").toBool();
    QStringList owners;
    for (const QJsonValue& owner : reply.value("ownerNames").toArray())
        owners << owner.toString();
    folder->Owners = owners.join(',');
    folder->SetFolder(std::make_unique<TRYoutubeItems>(folder));
    return folder;
}

bool TRYoutube::Delete(TRCloudItem* item) {
    const auto* video = dynamic_cast<TRYoutubeItem*>(item);
    if (!video)
        return false;
    QByteArray response;
    HttpsPost(ExtractServer(FAPIBase), RemoveServer(FAPIBase) + video->ID + "/trash",
              BearerHeaders(false), {}, response);
    try {
        return !ParseJSONObject(response).contains("error");
    } catch (const std::exception&) {
        return false;
    }
}

bool TRYoutube::Download(TRCloudItem* item, const QString& targetFile) {
    const auto* video = dynamic_cast<TRYoutubeItem*>(item);
    return video && HttpsGetFile(video->DownloadURL, BearerHeaders(false), targetFile, video->Size);
}

void TRYoutube::GetList() {
    HttpsGet(CloudBaseAddress(TRCloudEndpoint::GoogleApi) + "/youtube/v3/search?part=snippet",
             BearerHeaders(false));
}

TRCloudItem* TRYoutube::Upload(const QString&, const QString&) {
    return nullptr;
}

TRYoutubeItem* TRYoutube::FindPlaced(const QString& id) {
    TRYoutubeItem* item = GDrive()->Count() > 0 ? GDrive()->Items(0) : nullptr;
    while (item && item->ID != id)
        item = item->GetNext();
    return item;
}

void TRYoutube::BuildItemTree(TRYoutubeItems& list) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i)->ParentRoot)
            PlaceTreeCopy(*GDrive(), *list.Items(i));
    bool placed = true;
    while (placed) {
        placed = false;
        for (int i = 0; i < list.Count(); ++i) {
            TRYoutubeItem& item = *list.Items(i);
            if (item.InTree || item.ParentID.isEmpty())
                continue;
            if (TRYoutubeItem* parent = FindPlaced(item.ParentID)) {
                PlaceTreeCopy(*static_cast<TRYoutubeItems*>(parent->Folder()), item);
                placed = true;
            }
        }
    }
}
