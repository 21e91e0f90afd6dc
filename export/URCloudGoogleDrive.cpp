#include "export/URCloudGoogleDrive.h"

#include "export/URCloudHelpers.h"

#include <QFileInfo>
#include <QJsonArray>

namespace {

const QString ListFields = "files(id,name,mimeType,parents,webViewLink,webContentLink)";

QString ShareLinkOf(const QString& viewLink) {
    return QString(viewLink).replace("usp=drivesdk", "usp=sharing", Qt::CaseInsensitive);
}

QString MediaLinkOf(const QString& downloadLink) {
    return QString(downloadLink).replace("export=download", "export=view", Qt::CaseInsensitive);
}

} // namespace

// Items.

bool TRGoogleDriveItem::IsFolder() const {
    return MimeType == TRGoogleDrive::FolderMimeType;
}

void TRGoogleDriveItem::Assign(const TRCloudItem& source) {
    TRCloudItem::Assign(source);
    const auto* drive = dynamic_cast<const TRGoogleDriveItem*>(&source);
    if (!drive)
        return;
    ID = drive->ID;
    MimeType = drive->MimeType;
    Description = drive->Description;
    Link = drive->Link;
    LastUser = drive->LastUser;
    Owners = drive->Owners;
    CommentsEnabled = drive->CommentsEnabled;
    DownloadURL = drive->DownloadURL;
}

// Client.

TRGoogleDrive::TRGoogleDrive() {
    FAPIBase = CloudBaseAddress(TRCloudEndpoint::GoogleApi) + "/drive/v3/files/";
    FScopes = {"https://www.googleapis.com/auth/drive.file"};
}

std::unique_ptr<TRCloudItems> TRGoogleDrive::CreateItems() {
    return std::make_unique<TRGoogleDriveItems>();
}

void TRGoogleDrive::CheckTokenValidAndRefressAccess() {
    if (ValidUntil - Now() < RefreshMargin)
        RefreshAccess();
}

bool TRGoogleDrive::TestTokens() {
    ValidUntil = 0;
    if (FToken_Access.trimmed().isEmpty())
        return false;
    const QJsonObject info = TokenInfo();
    if (!info.contains("expires_in"))
        return false;
    ValidUntil = StrToIntT(GetJSONProp(info, "expires_in")) + Now();
    return true;
}

bool TRGoogleDrive::RefreshAccess() {
    if (FToken_Refresh.trimmed().isEmpty())
        return false;
    const QByteArray reply = FApp.ClientId.isEmpty()
                                 ? PostForm(TRCloudEndpoint::Vendor, "/api/googledrive/token.php",
                                            FormText({{"refresh_token", FToken_Refresh}}))
                                 : PostForm(TRCloudEndpoint::GoogleAccounts, "/o/oauth2/token",
                                            FormText({{"refresh_token", FToken_Refresh},
                                                      {"client_id", FApp.ClientId},
                                                      {"client_secret", FApp.Secret},
                                                      {"grant_type", "refresh_token"}}));
    try {
        const QJsonObject object = ParseJSONObject(reply);
        const QString access = GetJSONProp(object, "access_token");
        if (access.isEmpty())
            return false;
        FToken_Access = access;
        if (object.contains("expires_in"))
            ValidUntil = StrToIntT(GetJSONProp(object, "expires_in")) + Now();
        return true;
    } catch (const std::exception&) {
        ValidUntil = 0;
        return false;
    }
}

void TRGoogleDrive::DoAuth() {
    TRCloudStorage::DoAuth();
    const QString pkce = StartSignIn();
    if (pkce.isEmpty())
        return;
    if (FApp.ClientId.isEmpty()) {
        FAuthURL = CloudBaseAddress(TRCloudEndpoint::Vendor) + "/api/googledrive/auth.php?" + pkce;
        return;
    }
    FAuthURL = CloudBaseAddress(TRCloudEndpoint::GoogleAccounts) +
               "/o/oauth2/v2/auth?scope=" + ScopeParamText("+", true) +
               "&redirect_uri=" + URLEncode(FCallBackURL) +
               "&response_type=code&client_id=" + FApp.ClientId + "&" + pkce;
}

QByteArray TRGoogleDrive::VendorStatusPage(const QString& status) const {
    return (CloudBaseAddress(TRCloudEndpoint::Vendor) + "/uploadtogoogledrive?status=" + status)
        .toUtf8();
}

platform::net::LoopbackAnswer TRGoogleDrive::TakeRedirect(const QUrlQuery& query) {
    ErrorMessage.clear();
    FToken_Auth = query.queryItemValue("code", QUrl::FullyDecoded);
    if (FToken_Auth.isEmpty()) {
        AuthFailed();
        return {302, VendorStatusPage("access_denied"), true};
    }
    if (OnCommandGet)
        OnCommandGet(this);
    ExchangeCode();
    CloseAuthForm();
    DoReceivedAccessToken();
    return {302, VendorStatusPage(FAuthorized ? "authorized" : "error"), true};
}

void TRGoogleDrive::ExchangeCode() {
    const QByteArray reply = FApp.ClientId.isEmpty()
                                 ? PostForm(TRCloudEndpoint::Vendor, "/api/googledrive/token.php",
                                            FormText({{"code", FToken_Auth},
                                                      {"redirect_uri", FCallBackURL},
                                                      {"code_verifier", CodeVerifier()}}))
                                 : PostForm(TRCloudEndpoint::GoogleOAuth, "/token",
                                            FormText({{"code", FToken_Auth},
                                                      {"client_id", FApp.ClientId},
                                                      {"client_secret", FApp.Secret},
                                                      {"redirect_uri", FCallBackURL},
                                                      {"grant_type", "authorization_code"},
                                                      {"code_verifier", CodeVerifier()}}));
    FAuthorized = false;
    ValidUntil = 0;
    QJsonObject object;
    try {
        object = ParseJSONObject(reply);
    } catch (const std::exception&) {
    }
    FToken_Access = GetJSONProp(object, "access_token");
    FToken_Refresh = GetJSONProp(object, "refresh_token");
    ValidUntil = StrToIntT(GetJSONProp(object, "expires_in"));
    if (!FToken_Access.isEmpty() && !FToken_Refresh.isEmpty() && ValidUntil > 0) {
        FAuthorized = true;
        ValidUntil += Now();
    } else {
        ErrorMessage = Unsuccessful;
    }
}

void TRGoogleDrive::GetAccountInfo() {
    const QJsonObject about =
        GetObject(CloudBaseAddress(TRCloudEndpoint::GoogleApi) + "/drive/v2/about");
    if (about.isEmpty())
        return;
    UserName = GetJSONProp(about, "name");
    bool totalOk = false;
    bool usedOk = false;
    const qint64 total = GetJSONProp(about, "quotaBytesTotal").toLongLong(&totalOk);
    const qint64 used = GetJSONProp(about, "quotaBytesUsedAggregate").toLongLong(&usedOk);
    if (totalOk && usedOk)
        Quota = total - used;
}

void TRGoogleDrive::ReadListing(const QJsonObject& reply, TRGoogleDriveItems& list) const {
    for (const QJsonValue& value : reply.value("files").toArray()) {
        const QJsonObject file = value.toObject();
        TRGoogleDriveItem* item = list.Add();
        item->ID = GetJSONProp(file, "id");
        item->FileName = GetJSONProp(file, "name");
        item->MimeType = GetJSONProp(file, "mimeType");
        item->Link = GetJSONProp(file, "webViewLink");
        item->DownloadURL = GetJSONProp(file, "webContentLink");
        item->ItemType = item->IsFolder() ? TRCloudItemType::ciFolder : TRCloudItemType::ciFile;
        const QJsonArray parents = file.value("parents").toArray();
        if (!parents.isEmpty()) {
            item->ParentID = parents.first().toString();
            item->ParentRoot = item->ParentID == RootFolderID;
        }
    }
}

void TRGoogleDrive::GetDriveInfo() {
    GDrive()->Clear();
    RootFolderID = FindRootFolder();
    const QString query = FAPIBase + "?q=" + URLEncode("trashed=false and not 'root' in parents") +
                          "&fields=" + URLEncode("nextPageToken," + ListFields) +
                          "&orderBy=name&pageSize=1000";
    TRGoogleDriveItems list;
    QString pageToken;
    for (int page = 0; page < MaxListPages; ++page) {
        const QJsonObject reply =
            GetObject(pageToken.isEmpty() ? query : query + "&pageToken=" + URLEncode(pageToken));
        ReadListing(reply, list);
        pageToken = GetJSONProp(reply, "nextPageToken");
        if (pageToken.isEmpty())
            break;
    }
    BuildFolderTree(list);
}

void TRGoogleDrive::BuildFolderTree(TRGoogleDriveItems& list) {
    for (int i = 0; i < list.Count(); ++i) {
        TRGoogleDriveItem& item = *list.Items(i);
        if (!item.ParentRoot)
            continue;
        TRGoogleDriveItem& copy = PlaceTreeCopy(*GDrive(), item);
        if (copy.IsFolder())
            AddChildItems(list, copy);
    }
}

void TRGoogleDrive::AddChildItems(TRGoogleDriveItems& list, TRGoogleDriveItem& folder) {
    for (int i = 0; i < list.Count(); ++i) {
        TRGoogleDriveItem& item = *list.Items(i);
        if (item.InTree || item.ParentID != folder.ID)
            continue;
        TRGoogleDriveItem& copy =
            PlaceTreeCopy(*static_cast<TRGoogleDriveItems*>(folder.Folder()), item);
        if (copy.IsFolder())
            AddChildItems(list, copy);
    }
}

void TRGoogleDrive::TakeRootLinks(const QJsonObject& folder) {
    RootShLink = ShareLinkOf(GetJSONProp(folder, "webViewLink"));
    RootDlLink = GetJSONProp(folder, "webContentLink");
    RootMediaLink = MediaLinkOf(RootDlLink);
}

QString TRGoogleDrive::FindRootFolder() {
    const QJsonObject reply = GetObject(
        FAPIBase + "?q=" +
        URLEncode("trashed=false and 'root' in parents and mimeType = '" + FolderMimeType + "'") +
        "&fields=" + URLEncode(ListFields));
    for (const QJsonValue& value : reply.value("files").toArray()) {
        const QJsonObject folder = value.toObject();
        if (GetJSONProp(folder, "name") == RootFolderName) {
            TakeRootLinks(folder);
            return GetJSONProp(folder, "id");
        }
    }
    const QByteArray body = TROrderedJson()
                                .Add("name", RootFolderName)
                                .Add("mimeType", FolderMimeType)
                                .Add("description", QString())
                                .Text();
    QByteArray response;
    HttpsPost(ExtractServer(FAPIBase), RemoveServer(FAPIBase), BearerHeaders(true), body, response);
    const QString id = GetJSONProp(CutJSONObject(response), "id");
    if (!id.isEmpty()) {
        TRGoogleDriveItem folder;
        folder.ID = id;
        GetLinks(&folder, RootDlLink, RootShLink, RootMediaLink);
    }
    return id;
}

TRGoogleDriveItem* TRGoogleDrive::CreateFolderEx(const QString& folderParent,
                                                 const QString& folderName) {
    CheckTokenValidAndRefressAccess();
    const QByteArray body = TROrderedJson()
                                .Add("name", folderName)
                                .Add("mimeType", FolderMimeType)
                                .Add("parents", QStringList{folderParent})
                                .Text();
    QByteArray response;
    HttpsPost(ExtractServer(FAPIBase), RemoveServer(FAPIBase), BearerHeaders(true), body, response);
    const QJsonObject reply = CutJSONObject(response);
    if (GetJSONProp(reply, "id").isEmpty()) {
        ErrorMessage = QString::fromUtf8(response);
        return nullptr;
    }
    TRGoogleDriveItem* item = GDrive()->Add();
    item->ItemType = TRCloudItemType::ciFolder;
    item->ID = GetJSONProp(reply, "id");
    item->FileName = GetJSONProp(reply, "name");
    item->MimeType = GetJSONProp(reply, "mimeType");
    item->SetFolder(std::make_unique<TRGoogleDriveItems>(item));
    QString download, share, media;
    GetLinks(item, download, share, media);
    return item;
}

bool TRGoogleDrive::Rename(TRCloudItem* item, const QString& newName) {
    auto* drive = dynamic_cast<TRGoogleDriveItem*>(item);
    if (!drive)
        return false;
    CheckTokenValidAndRefressAccess();
    QByteArray response;
    HttpsUpdate("PATCH", ExtractServer(FAPIBase), RemoveServer(FAPIBase) + drive->ID,
                BearerHeaders(true), TROrderedJson().Add("name", newName).Text(), response);
    const QString id = GetJSONProp(CutJSONObject(response), "id");
    if (!id.isEmpty() && id == drive->ID)
        return true;
    ErrorMessage = QString::fromUtf8(response);
    return false;
}

bool TRGoogleDrive::Delete(TRCloudItem* item) {
    auto* drive = dynamic_cast<TRGoogleDriveItem*>(item);
    if (!drive)
        return false;
    CheckTokenValidAndRefressAccess();
    QByteArray response;
    const int status = HttpsDelete(ExtractServer(FAPIBase), RemoveServer(FAPIBase) + drive->ID,
                                   BearerHeaders(false), {}, response);
    if (status == 204)
        return true;
    ErrorMessage = status == 0 ? LastFailure() : QString::fromUtf8(response).trimmed();
    return false;
}

void TRGoogleDrive::GetLinks(TRCloudItem* item, QString& downloadLink, QString& shareLink,
                             QString& mediaLink) {
    auto* drive = dynamic_cast<TRGoogleDriveItem*>(item);
    CheckTokenValidAndRefressAccess();
    downloadLink.clear();
    shareLink.clear();
    mediaLink.clear();
    ErrorMessage.clear();
    if (!drive)
        return;
    const QByteArray body = TROrderedJson()
                                .Add("kind", "drive#permission")
                                .Add("role", "reader")
                                .Add("type", "anyone")
                                .Text();
    QByteArray response;
    HttpsPost(ExtractServer(FAPIBase), RemoveServer(FAPIBase) + drive->ID + "/permissions",
              BearerHeaders(true), body, response);
    ErrorMessage = GetJSONProp(CutJSONObject(response), "error");
    if (!ErrorMessage.isEmpty())
        return;
    const QJsonObject links =
        GetObject(FAPIBase + drive->ID + "?fields=" + URLEncode("webViewLink,webContentLink"));
    drive->Link = GetJSONProp(links, "webViewLink");
    drive->DownloadURL = GetJSONProp(links, "webContentLink");
    shareLink = ShareLinkOf(drive->Link);
    downloadLink = drive->DownloadURL;
    mediaLink = MediaLinkOf(downloadLink);
}

TRCloudItem* TRGoogleDrive::UploadExY(const QString& folderName, const QString& fileName,
                                      const QString& title, const QString& description,
                                      const QString&, const QString&) {
    CheckTokenValidAndRefressAccess();
    const QString headers =
        "Host: " + ExtractServer(FAPIBase) + "\r\nAuthorization: Bearer " + FToken_Access + "\r\n";
    TROrderedJson metadata;
    metadata.Add("kind", "drive#file").Add("name", title).Add("mimeType", GetMimeType(fileName));
    if (!description.isEmpty())
        metadata.Add("description", description);
    metadata.Add("parents", QStringList{folderName});
    const QFileInfo file(fileName);
    const QByteArray response = HttpsPut(CloudBaseAddress(TRCloudEndpoint::GoogleApi) +
                                             "/upload/drive/v3/files?uploadType=multipart",
                                         file.path(), file.fileName(), headers,
                                         metadata.Text() + "\r\n", THTTPCommand::hcPostMultiPart);
    ErrorMessage.clear();
    if (response.isEmpty())
        return nullptr;
    const QString id = GetJSONProp(QByteArray(response).replace('\n', ""), "id");
    if (id.isEmpty()) {
        ErrorMessage = QString::fromUtf8(response);
        return nullptr;
    }
    TRGoogleDriveItem* item = GDrive()->Add();
    item->ID = id;
    return item;
}
