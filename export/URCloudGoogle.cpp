#include "export/URCloudGoogle.h"

#include "export/URCloudHelpers.h"
#include "platform/system/Clock.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace {

// base64url without padding.
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

QJsonObject CutJSONObject(const QByteArray& response) {
    try {
        return ParseJSONObject(ExtractJSONText(QString::fromUtf8(response)).toUtf8());
    } catch (const std::exception&) {
        return {};
    }
}

TRGoogleStorage::TRGoogleStorage()
    : Now([] { return qint64(platform::system::monotonicMilliseconds() / 1000); }) {
    FCallBackURL = "http://127.0.0.1:8889/";
}

QString TRGoogleStorage::FormText(const std::vector<std::pair<QString, QString>>& pairs) {
    QStringList members;
    for (const auto& [name, value] : pairs)
        members << name + "=" + URLEncode(value);
    return members.join('&');
}

TCoreCloudHeaders TRGoogleStorage::BearerHeaders(bool json) const {
    TCoreCloudHeaders headers;
    AddCloudHeader(headers, "Authorization", "Bearer " + FToken_Access + "\r\n");
    if (json)
        AddCloudHeader(headers, "Content-Type", "application/json\r\n");
    return headers;
}

QJsonObject TRGoogleStorage::GetObject(const QString& url) {
    try {
        return ParseJSONObject(HttpsGet(url, BearerHeaders(false)));
    } catch (const std::exception&) {
        return {};
    }
}

QByteArray TRGoogleStorage::PostForm(TRCloudEndpoint role, const QString& path,
                                     const QString& form) {
    TCoreCloudHeaders headers;
    AddCloudHeader(headers, "Content-Type", "application/x-www-form-urlencoded");
    QByteArray response;
    HttpsPost(CloudServer(role), path, headers, form.toUtf8(), response);
    return response;
}

QJsonObject TRGoogleStorage::TokenInfo() {
    const QByteArray reply = PostForm(TRCloudEndpoint::GoogleApi, "/oauth2/v1/tokeninfo",
                                      FormText({{"access_token", FToken_Access}}));
    try {
        return ParseJSONObject(reply);
    } catch (const std::exception&) {
        return {};
    }
}

QString TRGoogleStorage::StartSignIn() {
    FHttpServer.stop();
    // Made before the listener's thread starts, which reads them.
    FCodeVerifier = RandomText(48);
    FState = RandomText(24);
    const bool listening = FHttpServer.start(
        ListenerPort, [this](const QByteArray& target) { return HandleAuthRedirect(target); },
        AuthTimeout, [this] { AuthFailed(); });
    if (!listening) {
        FState.clear();
        AuthFailed();
        return {};
    }
    FCallBackURL = "http://127.0.0.1:" + QString::number(FHttpServer.port()) + "/";
    const QString challenge =
        Base64Url(QCryptographicHash::hash(FCodeVerifier.toLatin1(), QCryptographicHash::Sha256));
    return "state=" + FState + "&code_challenge=" + challenge + "&code_challenge_method=S256";
}

void TRGoogleStorage::AuthFailed() {
    FAuthorized = false;
    ErrorMessage = Unsuccessful;
    CloseAuthForm();
    DoReceivedAccessToken();
}

platform::net::LoopbackAnswer TRGoogleStorage::HandleAuthRedirect(const QByteArray& target) {
    const qsizetype mark = target.indexOf('?');
    if (mark < 0 || target.left(mark) != "/")
        return {404, {}, false};
    const QUrlQuery query(QString::fromUtf8(target.mid(mark + 1)));
    if (FState.isEmpty() || query.queryItemValue("state", QUrl::FullyDecoded) != FState)
        return {400, {}, false};
    FState.clear(); // one redirect per sign-in
    return TakeRedirect(query);
}
