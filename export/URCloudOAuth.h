#pragma once
// OAuth 1.0 request signing: time stamps, nonces, signature bases, HMAC-SHA1 signatures and the
// authorisation header. Kept for cloud services that sign their requests this way.

#include <QString>
#include <QStringList>

// Whole seconds since 1970-01-01 UTC, in decimal.
QString GenerateTimeStamp();
// The hexadecimal MD5 digest of the decimal text of the tick count.
QString GenerateNonce(quint32 tickCount);
// The hexadecimal MD5 digest of a text's UTF-8 bytes.
QString MD5Hex(const QString& text);

// The six OAuth parameters as lines "name=value", in signing order.
QStringList OAuthRequestParams(const QString& appKey, const QString& accessToken,
                               const QString& timeStamp, const QString& nonce);

// Upper-case method, "&", the encoded address, "&", the encoded parameters.
QString GenerateSignatureBase(const QString& url, const QString& consumerKey,
                              const QString& httpMethod, const QString& timeStamp,
                              const QString& nonce, const QString& signatureType,
                              const QString& params);
// The base64 text of HMAC-SHA1 of the data under the key.
QString HmacSha1Base64(const QByteArray& key, const QByteArray& data);
// The base64 text of HMAC-SHA1 keyed with the encoded secrets.
QString GetSignature(const QString& base, const QString& appSecret, const QString& tokenSecret);
// "OAuth " and the seven quoted parameters, ending with CR LF.
QString GetOAuthHeader(const QString& appKey, const QString& accessToken, const QString& timeStamp,
                       const QString& nonce, const QString& signature);
// The values after "oauth_token=" and "oauth_token_secret=" (each up to the next "&"); true
// when both are present.
bool ParseTokens(const QString& reply, QString& token, QString& secret);
