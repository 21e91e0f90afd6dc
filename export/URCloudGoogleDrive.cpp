#include "export/URCloudGoogleDrive.h"

#include "export/URCloudHelpers.h"
#include "platform/system/Clock.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QUrlQuery>

namespace {

const QString ListFields = "files(id,name,mimeType,parents,webViewLink,webContentLink)";
const QString Unsuccessful = "The authorization process was unsuccessful.";
const QString FormType = "application/x-www-form-urlencoded";

// name=value pairs joined by "&", each value URL-encoded.
QString FormText(const std::vector<std::pair<QString, QString>>& pairs) {
    QStringList members;
    for (const auto& [name, value] : pairs)
        members << name + "=" + URLEncode(value);
    return members.join('&');
}

QString ShareLinkOf(const QString& viewLink) {
    return QString(viewLink).replace("usp=drivesdk", "usp=sharing", Qt::CaseInsensitive);
}

QString MediaLinkOf(const QString& downloadLink) {
    return QString(downloadLink).replace("export=download", "export=view", Qt::CaseInsensitive);
}

// base64url without padding of random or hashed bytes.
QString Base64Url(const QByteArray& bytes) {
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString RandomText(int bytes) {
    QByteArray data(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(data.data()), bytes / 4);
    return Base64Url(data);
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

std::unique_ptr<TRCloudItem> TRGoogleDriveItems::GetItemClass() const {
    return std::make_unique<TRGoogleDriveItem>();
}

// Client.

TRGoogleDrive::TRGoogleDrive()
    : Now([] { return qint64(platform::system::monotonicMilliseconds() / 1000); }) {
    FAPIBase = CloudBaseAddress(TRCloudEndpoint::GoogleApi) + "/drive/v3/files/";
    FCallBackURL = "http://127.0.0.1:8889/";
    FScopes = {"https://www.googleapis.com/auth/drive.file"};
}

std::unique_ptr<TRCloudItems> TRGoogleDrive::CreateItems() {
    return std::make_unique<TRGoogleDriveItems>();
}

TCoreCloudHeaders TRGoogleDrive::BearerHeaders(bool json) const {
    TCoreCloudHeaders headers;
    AddCloudHeader(headers, "Authorization", "Bearer " + FToken_Access + "\r\n");
    if (json)
        AddCloudHeader(headers, "Content-Type", "application/json\r\n");
    return headers;
}

QJsonObject TRGoogleDrive::GetObject(const QString& url) {
    try {
        return ParseJSONObject(HttpsGet(url, BearerHeaders(false)));
    } catch (const std::exception&) {
        return {};
    }
}

QByteArray TRGoogleDrive::PostForm(TRCloudEndpoint role, const QString& path, const QString& form) {
    TCoreCloudHeaders headers;
    AddCloudHeader(headers, "Content-Type", FormType);
    QByteArray response;
    HttpsPost(CloudServer(role), path, headers, form.toUtf8(), response);
    return response;
}

void TRGoogleDrive::CheckTokenValidAndRefressAccess() {
    if (ValidUntil - Now() < RefreshMargin)
        RefreshAccess();
}

bool TRGoogleDrive::TestTokens() {
    ValidUntil = 0;
    if (FToken_Access.trimmed().isEmpty())
        return false;
    const QByteArray reply = PostForm(TRCloudEndpoint::GoogleApi, "/oauth2/v1/tokeninfo",
                                      FormText({{"access_token", FToken_Access}}));
    try {
        const QJsonObject object = ParseJSONObject(reply);
        if (!object.contains("expires_in"))
            return false;
        ValidUntil = StrToIntT(GetJSONProp(object, "expires_in")) + Now();
        return true;
    } catch (const std::exception&) {
        return false;
    }
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
    FState.clear();
    const bool listening = FHttpServer.start(
        ListenerPort, [this](const QByteArray& target) { return HandleAuthRedirect(target); },
        AuthTimeout, [this] { AuthFailed(); });
    if (!listening) {
        AuthFailed();
        return;
    }
    FCallBackURL = "http://127.0.0.1:" + QString::number(FHttpServer.port()) + "/";
    FState = RandomText(24);
    FCodeVerifier = RandomText(48);
    const QString challenge =
        Base64Url(QCryptographicHash::hash(FCodeVerifier.toLatin1(), QCryptographicHash::Sha256));
    const QString pkce =
        "state=" + FState + "&code_challenge=" + challenge + "&code_challenge_method=S256";
    if (FApp.ClientId.isEmpty()) {
        FAuthURL = CloudBaseAddress(TRCloudEndpoint::Vendor) + "/api/googledrive/auth.php?" + pkce;
        return;
    }
    FAuthURL = CloudBaseAddress(TRCloudEndpoint::GoogleAccounts) +
               "/o/oauth2/v2/auth?scope=" + ScopeParamText("+", true) +
               "&redirect_uri=" + URLEncode(FCallBackURL) +
               "&response_type=code&client_id=" + FApp.ClientId + "&" + pkce;
}

void TRGoogleDrive::AuthFailed() {
    FAuthorized = false;
    ErrorMessage = Unsuccessful;
    CloseAuthForm();
    DoReceivedAccessToken();
}

QByteArray TRGoogleDrive::VendorStatusPage(const QString& status) const {
    return (CloudBaseAddress(TRCloudEndpoint::Vendor) + "/uploadtogoogledrive?status=" + status)
        .toUtf8();
}

platform::net::LoopbackAnswer TRGoogleDrive::HandleAuthRedirect(const QByteArray& target) {
    const qsizetype mark = target.indexOf('?');
    if (mark < 0 || target.left(mark) != "/")
        return {404, {}, false};
    const QUrlQuery query(QString::fromUtf8(target.mid(mark + 1)));
    if (FState.isEmpty() || query.queryItemValue("state", QUrl::FullyDecoded) != FState)
        return {400, {}, false};
    FState.clear(); // one redirect per sign-in
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
                                                      {"code_verifier", FCodeVerifier}}))
                                 : PostForm(TRCloudEndpoint::GoogleOAuth, "/token",
                                            FormText({{"code", FToken_Auth},
                                                      {"client_id", FApp.ClientId},
                                                      {"client_secret", FApp.Secret},
                                                      {"redirect_uri", FCallBackURL},
                                                      {"grant_type", "authorization_code"},
                                                      {"code_verifier", FCodeVerifier}}));
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

TRGoogleDriveItem& TRGoogleDrive::PlaceCopy(TRGoogleDriveItems& into, TRGoogleDriveItem& source) {
    source.InTree = true;
    TRGoogleDriveItem* copy = into.Add();
    copy->Assign(source);
    copy->ParentRoot = source.ParentRoot;
    copy->ParentID = source.ParentID;
    copy->InTree = true;
    copy->SetFolder(std::make_unique<TRGoogleDriveItems>(copy));
    return *copy;
}

void TRGoogleDrive::BuildFolderTree(TRGoogleDriveItems& list) {
    for (int i = 0; i < list.Count(); ++i) {
        TRGoogleDriveItem& item = *list.Items(i);
        if (!item.ParentRoot)
            continue;
        TRGoogleDriveItem& copy = PlaceCopy(*GDrive(), item);
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
            PlaceCopy(*static_cast<TRGoogleDriveItems*>(folder.Folder()), item);
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
    const QString id = GetJSONProp(ExtractJSONText(QString::fromUtf8(response)).toUtf8(), "id");
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
    QJsonObject reply;
    try {
        reply = ParseJSONObject(ExtractJSONText(QString::fromUtf8(response)).toUtf8());
    } catch (const std::exception&) {
    }
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
    const QString id = GetJSONProp(ExtractJSONText(QString::fromUtf8(response)).toUtf8(), "id");
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
    ErrorMessage = GetJSONProp(ExtractJSONText(QString::fromUtf8(response)).toUtf8(), "error");
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
