#include "export/URCloudOAuth.h"

#include "export/URCloudHelpers.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QMessageAuthenticationCode>

namespace {

// The text after the first `name` up to the next "&"; empty when the name is missing.
QString valueAfter(const QString& reply, const QString& name) {
    const qsizetype at = reply.indexOf(name);
    if (at < 0)
        return {};
    const qsizetype start = at + name.size();
    const qsizetype end = reply.indexOf('&', start);
    return reply.mid(start, end < 0 ? -1 : end - start);
}

} // namespace

QString GenerateTimeStamp() {
    return QString::number(QDateTime::currentSecsSinceEpoch());
}

QString MD5Hex(const QString& text) {
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

QString GenerateNonce(quint32 tickCount) {
    return MD5Hex(QString::number(tickCount));
}

QStringList OAuthRequestParams(const QString& appKey, const QString& accessToken,
                               const QString& timeStamp, const QString& nonce) {
    return {"oauth_consumer_key=" + appKey,     "oauth_nonce=" + nonce,
            "oauth_signature_method=HMAC-SHA1", "oauth_timestamp=" + timeStamp,
            "oauth_token=" + accessToken,       "oauth_version=1.0"};
}

QString GenerateSignatureBase(const QString& url, const QString&, const QString& httpMethod,
                              const QString&, const QString&, const QString&,
                              const QString& params) {
    return httpMethod.toUpper() + "&" + URLEncode(url) + "&" + URLEncode(params);
}

QString GetSignature(const QString& base, const QString& appSecret, const QString& tokenSecret) {
    QString key = URLEncodeRFC3986(appSecret) + "&";
    if (!tokenSecret.isEmpty())
        key += URLEncodeRFC3986(tokenSecret);
    return HmacSha1Base64(key.toUtf8(), base.toUtf8());
}

QString HmacSha1Base64(const QByteArray& key, const QByteArray& data) {
    return QString::fromLatin1(
        QMessageAuthenticationCode::hash(data, key, QCryptographicHash::Sha1).toBase64());
}

QString GetOAuthHeader(const QString& appKey, const QString& accessToken, const QString& timeStamp,
                       const QString& nonce, const QString& signature) {
    const auto pair = [](const QString& name, const QString& value) {
        return name + "=\"" + value + "\"";
    };
    return "OAuth " +
           QStringList{pair("oauth_consumer_key", URLEncode(appKey)),
                       pair("oauth_signature_method", "HMAC-SHA1"),
                       pair("oauth_timestamp", timeStamp),
                       pair("oauth_nonce", nonce),
                       pair("oauth_signature", URLEncode(signature)),
                       pair("oauth_version", "1.0"),
                       pair("oauth_token", URLEncode(accessToken))}
               .join(',') +
           "\r\n";
}

bool ParseTokens(const QString& reply, QString& token, QString& secret) {
    token = valueAfter(reply, "oauth_token=");
    secret = valueAfter(reply, "oauth_token_secret=");
    return !token.isEmpty() && !secret.isEmpty();
}
