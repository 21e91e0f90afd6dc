#pragma once
// The base of every cloud client: synchronous HTTPS requests, the OAuth tokens and application
// settings of one service, their persistence, progress and failure events, and the operations
// each service implements. TRCloudStorage adds the item tree and the account of a storage
// service. Requests never throw on network failure: they report through OnConnectionError once
// and return what they have (status 0, an empty body).

#include "export/URCloudItems.h"
#include "export/URCloudTokens.h"
#include "platform/net/Http.h"

#include <QByteArray>
#include <QIODevice>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TRCloudBase;

using TProgressEvent = std::function<void(TRCloudBase* sender, const QString& fileName,
                                          qint64 position, qint64 total, bool& userCancel)>;
using TConnectionError = std::function<void(TRCloudBase* sender, const QString& errorMessage)>;
using TNotifyEvent = std::function<void(TRCloudBase* sender)>;

enum class TCloudLocale {
    lcDefault,
    lcEnglish,
    lcDutch,
    lcGerman,
    lcFrench,
    lcSpanish,
    lcItalian,
    lcPortuguese,
    lcGreek,
    lcDanish,
    lcRussian,
    lcRomanian,
    lcSwedish,
    lcFinnish,
    lcTurkish,
    lcJapanese,
};

// The application settings of one service. No identifier, secret or key is built in.
struct TRCloudApp {
    QString Name;
    QString AuthMode;
    QString ClientId;
    QString Secret;
    QString Key;
};

struct TAuthFormSettings {
    QString Caption = "Authorize";
    int Width = 900;
    int Height = 600;
};

// One request header. Values carry their own line end: the header text is every header, ": "
// and its value, one after the other.
struct TCoreCloudHeader {
    QString header;
    QString value;
};
using TCoreCloudHeaders = std::vector<TCoreCloudHeader>;
void AddCloudHeader(TCoreCloudHeaders& headers, const QString& name, const QString& value);
// The header text split at CR LF into header lines (empty lines dropped).
QList<QByteArray> HeaderLines(const QString& headerText);

enum class THTTPCommand { hcPost, hcPut, hcPutNoHeader, hcPostMultiPart, hcPutMultiPart };

class TRCloudBase {
public:
    TRCloudBase();
    virtual ~TRCloudBase();
    TRCloudBase(const TRCloudBase&) = delete;
    TRCloudBase& operator=(const TRCloudBase&) = delete;

    // Settings and state.
    QString Agent() const { return FAgent; }
    void SetAgent(const QString& agent) { FAgent = agent; }
    TRCloudApp& App() { return FApp; }
    TAuthFormSettings& AuthFormSettings() { return FAuthFormSettings; }
    TPersistTokens& PersistTokens() { return FPersistTokens; }
    bool Logging() const { return FLogging; }
    void SetLogging(bool logging) { FLogging = logging; }
    bool Authorized() const { return FAuthorized; }
    void SetAuthorized(bool authorized) { FAuthorized = authorized; }
    QStringList& Scopes() { return FScopes; }
    const QStringList& RequestParams() const { return FRequestParams; }
    int LastError() const { return FLastError; }
    QString LogFileName() const { return FLogFileName; }
    void SetLogFileName(const QString& name) { FLogFileName = name; }
    QString CallbackURL() const { return FCallBackURL; }
    void SetCallbackURL(const QString& url) { FCallBackURL = url; }
    TCloudLocale Locale() const { return FLocale; }
    void SetLocale(TCloudLocale locale) { FLocale = locale; }
    QString Folder() const { return FFolder; }
    void SetFolder(const QString& folder) { FFolder = folder; }
    QString AuthURL() const { return FAuthURL; }
    // The certificate authorities trusted instead of the system's (a PEM file; tests).
    void SetCertificateAuthorities(const QString& pemFile) { FHttpOptions.caFile = pemFile; }

    // Tokens.
    QString Token_Access() const { return FToken_Access; }
    void SetToken_Access(const QString& token) { FToken_Access = token; }
    QString Token_Refresh() const { return FToken_Refresh; }
    void SetToken_Refresh(const QString& token) { FToken_Refresh = token; }
    QString Token_Auth() const { return FToken_Auth; }
    QString Token_Auth_Secret() const { return FToken_Auth_Secret; }
    QString Token_Access_Secret() const { return FToken_Access_Secret; }
    // The five tokens joined by "&", scrambled.
    QString TokensAsString() const;
    void SetTokensAsString(const QString& text);

    // Events.
    TProgressEvent OnDownloadProgress;
    TProgressEvent OnUploadProgress;
    TNotifyEvent OnReceivedAccessToken;
    TNotifyEvent OnAuthFormClose;
    TConnectionError OnConnectionError;
    TNotifyEvent OnCommandGet;

    // Token persistence: nothing happens while PersistTokens' Key or Section is empty. Saving
    // returns false when a value cannot be stored.
    void LoadTokens();
    bool SaveTokens();
    bool ClearTokens();
    void LoadFolder();
    bool SaveFolder();

    // The operations of a service.
    virtual void DoReceivedAccessToken();
    virtual void DoDownloadProgress(const QString& fileName, qint64 position, qint64 total,
                                    bool& userCancel);
    virtual void DoUploadProgress(const QString& fileName, qint64 position, qint64 total,
                                  bool& userCancel);
    virtual bool TestTokens();
    virtual void LogOut();
    virtual bool RefreshAccess();
    virtual void DoAuth();
    // The uploaded item (kept by the client) or nothing.
    virtual TRCloudItem* UploadEx(const QString& folderName, const QString& fileName,
                                  const QString& title, const QString& description);
    virtual TRCloudItem* UploadExY(const QString& folderName, const QString& fileName,
                                   const QString& title, const QString& description,
                                   const QString& tags, const QString& category);
    virtual bool Convert(const QString& gfilename, const QString& text, const QString& lang,
                         const QString& voice, const QString& rate, const QString& volume);
    virtual void GetLinks(TRCloudItem* item, QString& downloadLink, QString& shareLink,
                          QString& mediaLink);

    // Requests. ServerName is a host name (with a port when not 443), Resource a path with its
    // query; the status code is returned, not judged.
    int HttpsPost(const QString& serverName, const QString& resource,
                  const TCoreCloudHeaders& headers, const QByteArray& postData,
                  QByteArray& response);
    int HttpsUpdate(const QString& method, const QString& serverName, const QString& resource,
                    const TCoreCloudHeaders& headers, const QByteArray& postData,
                    QByteArray& response);
    int HttpsDelete(const QString& serverName, const QString& resource,
                    const TCoreCloudHeaders& headers, const QByteArray& postData,
                    QByteArray& response);
    QByteArray HttpsGet(const QString& url);
    QByteArray HttpsGet(const QString& url, const TCoreCloudHeaders& headers);
    // The body saved to the file as HttpsGetFile does; the result is empty.
    QByteArray HttpsGet(const QString& url, const QString& fileName, qint64 size);
    // The body written to the file when the whole reply arrived with a 2xx status (an error
    // reply never replaces the file); true when the file was written.
    bool HttpsGetFile(const QString& url, const TCoreCloudHeaders& headers, const QString& fileName,
                      qint64 size);
    // The body appended to the stream; the result is empty.
    QByteArray HttpsGet(const QString& url, QIODevice& stream, qint64 size);
    // Uploads tgtdir/tgtfn (no file when tgtfn is empty; nothing is sent when it is missing).
    QByteArray HttpsPut(const QString& url, const QString& tgtdir, const QString& tgtfn,
                        const QString& customheaders, const QByteArray& customdata,
                        THTTPCommand httpCommand);

    // JSON replies.
    QJsonObject GetJSONObject(const QString& url); // throws std::runtime_error without an object
    QString GetJSONValue(const QString& url, const QString& id);

    // The scopes joined by the delimiter, each URL-encoded when asked.
    QString ScopeParamText(const QString& delimiter, bool encode) const;
    // The network library's text for a failure code, without its final full stop.
    static QString HttpError(int errorCode);
    void CloseAuthForm();
    void DoConnectionError(const QString& text);
    // The text of the last failure reported through OnConnectionError.
    QString LastFailure() const { return FLastFailure; }

    // OAuth 1.0 signing with RequestParams.
    void AddOAuthRequestParams(const QString& appKey, const QString& accessToken, QString& ts,
                               QString& nonce);
    void AddOAuthRequestParams(const QString& appKey, const QString& accessToken);
    void RemoveOAuthRequestParams();
    QString RequestParamText() const;
    QString SignURL(const QString& url) const;
    QString GetOAuthSigBase(const QString& url, const QString& key, const QString& method) const;

protected:
    TRCloudApp FApp;
    TPersistTokens FPersistTokens;
    QString FToken_Access;
    QString FToken_Auth;
    QString FToken_Auth_Secret;
    QString FToken_Access_Secret;
    QString FToken_Refresh;
    QString FLogFileName;
    QString FAgent;
    QString FCallBackURL;
    bool FAuthorized = false;
    TAuthFormSettings FAuthFormSettings;
    QStringList FRequestParams;
    QStringList FScopes;
    int FLastError = 0;
    bool FLogging = false;
    TCloudLocale FLocale = TCloudLocale::lcDefault;
    QString FFolder = "My Drive";
    QString FAuthURL;

private:
    // One request with a body from memory (or none); reports a failure once.
    int SendWithBody(const QByteArray& method, bool http10, const QString& serverName,
                     const QString& resource, const TCoreCloudHeaders& headers,
                     const QByteArray* postData, QByteArray& response);
    // A GET into the sink; a failure to complete is reported once.
    platform::net::HttpReply Get(const QString& url, const TCoreCloudHeaders& headers,
                                 const std::function<void(const char*, qsizetype)>& sink,
                                 qint64 size, bool reportProgress);
    platform::net::HttpOptions Options() const;
    void ReportFailure(const platform::net::HttpReply& reply);

    platform::net::HttpOptions FHttpOptions;
    QString FLastFailure;
};

class TRCloudStorage : public TRCloudBase {
public:
    TRCloudStorage();

    // The item tree: made by CreateItems on first use (a descendant's own collection class).
    TRCloudItems* Drive();

    QString ErrorMessage;
    QString UserName;
    qint64 Quota = 0;
    QString RootFolderID;
    QString RootDlLink;
    QString RootShLink;
    QString RootMediaLink;
    // Expiry of the access token in seconds of the monotonic clock.
    qint64 ValidUntil = 0;

    virtual std::unique_ptr<TRCloudItems> CreateItems();
    virtual void GetAccountInfo();
    virtual void GetDriveInfo();
    virtual TRCloudItem* CreateFolder(TRCloudItem* item, const QString& folderName);
    virtual bool Delete(TRCloudItem* item);
    virtual bool Delete(const QString& fileName);
    virtual bool Download(TRCloudItem* item, const QString& targetFile);
    virtual bool Download(const QString& fileName, const QString& targetFile);

protected:
    QString FAPIBase;

private:
    std::unique_ptr<TRCloudItems> FDrive;
};
