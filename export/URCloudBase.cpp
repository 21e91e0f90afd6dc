#include "export/URCloudBase.h"

#include "export/URCloudHelpers.h"
#include "export/URCloudOAuth.h"
#include "platform/system/Clock.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

using platform::net::HttpBody;
using platform::net::HttpFailure;
using platform::net::HttpReply;
using platform::net::HttpRequest;

namespace {

const char* const UserAgent = "Mozilla/5.001 (windows; U; NT4.0; en-US; rv:1.0) Gecko/25250101";
const char* const Boundary = "TavrinBoundary";

QString headerText(const TCoreCloudHeaders& headers) {
    QString text;
    for (const TCoreCloudHeader& header : headers)
        text += header.header + ": " + header.value;
    return text;
}

QString failureText(const char* call, const HttpReply& reply) {
    return QString("%1 Error %2 Description %3")
        .arg(call)
        .arg(reply.errorCode)
        .arg(TRCloudBase::HttpError(reply.errorCode));
}

// The name of the call whose failure the reply's failure corresponds to.
const char* failedCall(HttpFailure failure) {
    switch (failure) {
    case HttpFailure::Start:
        return "InternetOpen";
    case HttpFailure::Address:
        return "HttpOpenRequest";
    case HttpFailure::Send:
        return "HttpSendRequest";
    case HttpFailure::Receive:
        return "InternetQueryDataAvailable";
    default:
        return nullptr;
    }
}

bool isCommand(THTTPCommand command, std::initializer_list<THTTPCommand> among) {
    return std::find(among.begin(), among.end(), command) != among.end();
}

// Header lines of an octet-stream POST: the caller's, without the three it replaces.
QList<QByteArray> octetStreamHeaders(const QString& customheaders) {
    QList<QByteArray> lines;
    for (const QByteArray& line : HeaderLines(customheaders)) {
        const QByteArray name = line.left(line.indexOf(':')).trimmed().toLower();
        if (name != "content-length" && name != "content-type" &&
            name != "content-transfer-encoding")
            lines.append(line);
    }
    lines.append("Content-Type: application/octet-stream");
    lines.append("Content-Transfer-Encoding: binary");
    return lines;
}

// The request of an upload without its file: method, headers and the body around the file.
HttpRequest uploadRequest(const QString& url, const QString& customheaders,
                          const QByteArray& customdata, THTTPCommand command) {
    using enum THTTPCommand;
    const bool multipart = isCommand(command, {hcPostMultiPart, hcPutMultiPart});
    HttpRequest request;
    request.method = isCommand(command, {hcPost, hcPostMultiPart}) ? "POST" : "PUT";
    const QString resource = RemoveServer(url);
    request.url = "https://" + ExtractServer(url) + (resource.startsWith('/') ? resource : "/");
    if (command == hcPost)
        request.headers = octetStreamHeaders(customheaders);
    else
        request.headers = HeaderLines(customheaders);
    if (multipart)
        request.headers.append(QByteArray("Content-Type: multipart/related; boundary=") + Boundary);
    const QByteArray b1 = multipart ? QByteArray("--") + Boundary + "\r\n" : QByteArray();
    const QByteArray b2 = multipart ? QByteArray("\r\n--") + Boundary + "--\r\n" : QByteArray();
    HttpBody body{b1, {}, b2};
    if (isCommand(command, {hcPostMultiPart, hcPutMultiPart, hcPutNoHeader}) &&
        !customdata.isEmpty())
        body.head += "Content-Type: application/json; charset=UTF-8\r\n\r\n" + customdata + "\r\n" +
                     b1 + "Content-Type: application/octet-stream\r\n\r\n";
    request.body = body;
    return request;
}

QString joinedPath(const QString& dir, const QString& name) {
    if (dir.isEmpty())
        return name;
    return dir.endsWith('/') ? dir + name : dir + '/' + name;
}

} // namespace

void AddCloudHeader(TCoreCloudHeaders& headers, const QString& name, const QString& value) {
    headers.push_back({name, value});
}

QList<QByteArray> HeaderLines(const QString& headerText) {
    QList<QByteArray> lines;
    for (const QString& line : headerText.split("\r\n", Qt::SkipEmptyParts))
        lines.append(line.toUtf8());
    return lines;
}

TRCloudBase::TRCloudBase() : FLogFileName("TRCloudBase.LOG"), FAgent(UserAgent) {}

TRCloudBase::~TRCloudBase() = default;

// Tokens.

QString TRCloudBase::TokensAsString() const {
    return ScrambleToken(QStringList{FToken_Access, FToken_Auth, FToken_Access_Secret,
                                     FToken_Auth_Secret, FToken_Refresh}
                             .join('&'),
                         TokenStartKey);
}

void TRCloudBase::SetTokensAsString(const QString& text) {
    const QStringList parts = UnscrambleToken(text, TokenStartKey).split('&');
    FToken_Access = parts.value(0);
    FToken_Auth = parts.value(1);
    FToken_Access_Secret = parts.value(2);
    FToken_Auth_Secret = parts.value(3);
    FToken_Refresh = parts.value(4);
}

void TRCloudBase::LoadTokens() {
    const TRTokenStore store(FPersistTokens);
    if (!store.Usable())
        return;
    FToken_Access = UnscrambleToken(store.Read("ACCESS_TOKEN"), TokenStartKey);
    FToken_Refresh = UnscrambleToken(store.Read("REFRESH_TOKEN"), TokenStartKey);
    if (FPersistTokens.Location == TPersistLocation::plRegistry)
        FApp.Key = UnscrambleToken(store.Read("KEY"), TokenStartKey);
}

bool TRCloudBase::SaveTokens() {
    const TRTokenStore store(FPersistTokens);
    bool saved = store.Write("ACCESS_TOKEN", ScrambleToken(FToken_Access, TokenStartKey));
    saved = store.Write("REFRESH_TOKEN", ScrambleToken(FToken_Refresh, TokenStartKey)) && saved;
    if (FPersistTokens.Location == TPersistLocation::plRegistry)
        saved = store.Write("KEY", ScrambleToken(FApp.Key, TokenStartKey)) && saved;
    return saved;
}

bool TRCloudBase::ClearTokens() {
    FToken_Access.clear();
    FToken_Auth.clear();
    FToken_Access_Secret.clear();
    FToken_Auth_Secret.clear();
    FToken_Refresh.clear();
    return SaveTokens();
}

void TRCloudBase::LoadFolder() {
    const TRTokenStore store(FPersistTokens);
    if (!store.Usable())
        return;
    const QString folder = store.Read("FOLDER");
    FFolder = folder.isEmpty() ? QStringLiteral("My Drive") : folder;
}

bool TRCloudBase::SaveFolder() {
    return TRTokenStore(FPersistTokens).Write("FOLDER", FFolder);
}

// Operations of a service.

void TRCloudBase::DoReceivedAccessToken() {
    if (OnReceivedAccessToken)
        OnReceivedAccessToken(this);
}

void TRCloudBase::DoDownloadProgress(const QString& fileName, qint64 position, qint64 total,
                                     bool& userCancel) {
    if (OnDownloadProgress)
        OnDownloadProgress(this, fileName, position, total, userCancel);
}

void TRCloudBase::DoUploadProgress(const QString& fileName, qint64 position, qint64 total,
                                   bool& userCancel) {
    if (OnUploadProgress)
        OnUploadProgress(this, fileName, position, total, userCancel);
}

bool TRCloudBase::TestTokens() {
    return false;
}

void TRCloudBase::LogOut() {
    ClearTokens();
    SaveTokens();
}

bool TRCloudBase::RefreshAccess() {
    return false;
}

void TRCloudBase::DoAuth() {
    FAuthorized = false;
}

TRCloudItem* TRCloudBase::UploadEx(const QString&, const QString&, const QString&, const QString&) {
    return nullptr;
}

TRCloudItem* TRCloudBase::UploadExY(const QString&, const QString&, const QString&, const QString&,
                                    const QString&, const QString&) {
    return nullptr;
}

bool TRCloudBase::Convert(const QString&, const QString&, const QString&, const QString&,
                          const QString&, const QString&) {
    return false;
}

void TRCloudBase::GetLinks(TRCloudItem*, QString&, QString&, QString&) {}

// Requests.

platform::net::HttpOptions TRCloudBase::Options() const {
    platform::net::HttpOptions options = FHttpOptions;
    options.userAgent = FAgent;
    return options;
}

void TRCloudBase::ReportFailure(const HttpReply& reply) {
    if (const char* call = failedCall(reply.failure))
        DoConnectionError(failureText(call, reply));
}

int TRCloudBase::SendWithBody(const QByteArray& method, bool http10, const QString& serverName,
                              const QString& resource, const TCoreCloudHeaders& headers,
                              const QByteArray* postData, QByteArray& response) {
    HttpRequest request;
    request.method = method;
    request.http10 = http10;
    request.url = "https://" + serverName + resource;
    request.headers = HeaderLines(headerText(headers));
    if (postData)
        request.body = HttpBody{*postData, {}, {}};
    const HttpReply reply = platform::net::send(request, response, Options());
    ReportFailure(reply);
    return reply.status;
}

int TRCloudBase::HttpsPost(const QString& serverName, const QString& resource,
                           const TCoreCloudHeaders& headers, const QByteArray& postData,
                           QByteArray& response) {
    return SendWithBody("POST", true, serverName, resource, headers, &postData, response);
}

int TRCloudBase::HttpsUpdate(const QString& method, const QString& serverName,
                             const QString& resource, const TCoreCloudHeaders& headers,
                             const QByteArray& postData, QByteArray& response) {
    const QByteArray verb = method.isEmpty() ? QByteArray("PUT") : method.toUtf8();
    return SendWithBody(verb, true, serverName, resource, headers, &postData, response);
}

int TRCloudBase::HttpsDelete(const QString& serverName, const QString& resource,
                             const TCoreCloudHeaders& headers, const QByteArray&,
                             QByteArray& response) {
    return SendWithBody("DELETE", false, serverName, resource, headers, nullptr, response);
}

HttpReply TRCloudBase::Get(const QString& url, const TCoreCloudHeaders& headers,
                           const std::function<void(const char*, qsizetype)>& sink, qint64 size,
                           bool reportProgress) {
    HttpRequest request;
    request.url = url;
    request.headers = HeaderLines(headerText(headers));
    request.headers.append("Cache-Control: no-cache");
    const HttpReply reply = platform::net::send(
        request,
        [&](const char* data, qsizetype count, const HttpReply& soFar) {
            sink(data, count);
            bool cancel = false; // told, not consulted
            if (reportProgress)
                DoDownloadProgress(url, soFar.received, size, cancel);
            return true;
        },
        Options());
    if (reply.failure == HttpFailure::Start)
        DoConnectionError("Unable to initialize Wininet");
    else if (!reply.completed())
        DoConnectionError(QString("Cannot open URL %1").arg(url));
    return reply;
}

QByteArray TRCloudBase::HttpsGet(const QString& url) {
    return HttpsGet(url, TCoreCloudHeaders{});
}

QByteArray TRCloudBase::HttpsGet(const QString& url, const TCoreCloudHeaders& headers) {
    QByteArray body;
    Get(
        url, headers, [&body](const char* data, qsizetype count) { body.append(data, count); }, 0,
        false);
    return body;
}

QByteArray TRCloudBase::HttpsGet(const QString& url, const QString& fileName, qint64 size) {
    HttpsGetFile(url, {}, fileName, size);
    return {};
}

bool TRCloudBase::HttpsGetFile(const QString& url, const TCoreCloudHeaders& headers,
                               const QString& fileName, qint64 size) {
    QByteArray body;
    const HttpReply reply = Get(
        url, headers, [&body](const char* data, qsizetype count) { body.append(data, count); },
        size, true);
    if (!reply.succeeded())
        return false;
    QSaveFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(body) == body.size() && file.commit();
}

QByteArray TRCloudBase::HttpsGet(const QString& url, QIODevice& stream, qint64 size) {
    Get(
        url, {}, [&stream](const char* data, qsizetype count) { stream.write(data, count); }, size,
        true);
    return {};
}

QByteArray TRCloudBase::HttpsPut(const QString& url, const QString& tgtdir, const QString& tgtfn,
                                 const QString& customheaders, const QByteArray& customdata,
                                 THTTPCommand httpCommand) {
    const QString path = tgtfn.isEmpty() ? QString() : joinedPath(tgtdir, tgtfn);
    if (!path.isEmpty() && !QFile::exists(path))
        return {};
    HttpRequest request = uploadRequest(url, customheaders, customdata, httpCommand);
    request.body->file = path;
    request.progress = [this, &path](qint64 sent, qint64 total) {
        bool cancel = false;
        DoUploadProgress(path, sent, total, cancel);
        return !cancel;
    };
    QByteArray response;
    const HttpReply reply = platform::net::send(request, response, Options());
    if (reply.failure == HttpFailure::Cancelled)
        return {};
    if (!reply.completed()) {
        FLastError = reply.errorCode;
        ReportFailure(reply);
        return {};
    }
    return response;
}

QJsonObject TRCloudBase::GetJSONObject(const QString& url) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    HttpsGet(url, buffer, 0);
    return ParseJSONObject(buffer.data());
}

QString TRCloudBase::GetJSONValue(const QString& url, const QString& id) {
    return GetJSONProp(GetJSONObject(url), id);
}

QString TRCloudBase::ScopeParamText(const QString& delimiter, bool encode) const {
    QStringList scopes = FScopes;
    if (encode)
        for (QString& scope : scopes)
            scope = URLEncode(scope);
    return scopes.join(delimiter);
}

QString TRCloudBase::HttpError(int errorCode) {
    return platform::net::errorText(errorCode);
}

void TRCloudBase::CloseAuthForm() {}

void TRCloudBase::DoConnectionError(const QString& text) {
    FLastFailure = text;
    if (OnConnectionError)
        OnConnectionError(this, text);
}

// OAuth 1.0.

void TRCloudBase::AddOAuthRequestParams(const QString& appKey, const QString& accessToken,
                                        QString& ts, QString& nonce) {
    ts = GenerateTimeStamp();
    nonce = GenerateNonce(platform::system::tickCount());
    FRequestParams = OAuthRequestParams(appKey, accessToken, ts, nonce);
}

void TRCloudBase::AddOAuthRequestParams(const QString& appKey, const QString& accessToken) {
    QString ts;
    QString nonce;
    AddOAuthRequestParams(appKey, accessToken, ts, nonce);
}

void TRCloudBase::RemoveOAuthRequestParams() {
    if (FRequestParams.size() >= 6)
        FRequestParams.remove(0, 6);
}

QString TRCloudBase::RequestParamText() const {
    return FRequestParams.join('&');
}

QString TRCloudBase::SignURL(const QString& url) const {
    return FRequestParams.isEmpty() ? url : url + "?" + FRequestParams.join('&');
}

QString TRCloudBase::GetOAuthSigBase(const QString& url, const QString&,
                                     const QString& method) const {
    return GenerateSignatureBase(url, {}, method, {}, {}, {}, RequestParamText());
}

// Storage.

TRCloudStorage::TRCloudStorage() = default;

TRCloudItems* TRCloudStorage::Drive() {
    if (!FDrive)
        FDrive = CreateItems();
    return FDrive.get();
}

std::unique_ptr<TRCloudItems> TRCloudStorage::CreateItems() {
    return std::make_unique<TRCloudItems>();
}

void TRCloudStorage::GetAccountInfo() {}

void TRCloudStorage::GetDriveInfo() {
    Drive()->Clear();
}

TRCloudItem* TRCloudStorage::CreateFolder(TRCloudItem*, const QString&) {
    return nullptr;
}

bool TRCloudStorage::Delete(TRCloudItem*) {
    return false;
}

bool TRCloudStorage::Delete(const QString&) {
    return true;
}

bool TRCloudStorage::Download(TRCloudItem*, const QString&) {
    return false;
}

bool TRCloudStorage::Download(const QString&, const QString&) {
    return true;
}
