#pragma once
// Text helpers of the cloud clients: addresses, URL encodings, JSON replies, dates, file types.

#include "core/UROrderedJson.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

// The host part of an address ("https://user@host:1/path" gives "host:1"), and its path and
// query from the first "/" after the host.
QString ExtractServer(const QString& url);
QString RemoveServer(const QString& url);

// Encodings of a text for addresses. URLEncode and URLEncodeRFC3986: UTF-8 bytes, keeping A-Z,
// a-z, 0-9, "-", "." and "_", every other byte as "%XX". SpaceEncode: each space as "%20".
// URLEncodeTilde: per UTF-16 unit, the URL-safe characters and "~" kept, others "%" and the
// unit in hexadecimal. HTTPEncode: bytes, URL-safe characters kept, space as "+", others "%xx"
// in lower case.
QString URLEncode(const QString& text);
QString URLEncodeRFC3986(const QString& text);
QString SpaceEncode(const QString& text);
QString URLEncodeTilde(const QString& text);
QByteArray HTTPEncode(const QByteArray& text);

// The text from its first "{" to its last "}".
QString ExtractJSONText(const QString& text);
// The text of a member (a string as it is, other values as JSON) of an object or of a JSON
// object text read as ASCII; empty when missing or not an object.
QString GetJSONProp(const QJsonObject& object, const QString& id);
QString GetJSONProp(const QByteArray& json, const QString& id);
// The member's value; undefined when missing.
QJsonValue GetJSONValue(const QJsonObject& object, const QString& id);
// The reply body as a JSON object; throws std::runtime_error when it is none.
QJsonObject ParseJSONObject(const QByteArray& body);

// The content type of a file by its extension; "application/octet-stream" when unknown.
QString GetMimeType(const QString& fileName);

// A number, or 0 for a text that is none: an integer, or an unsigned 64-bit number.
int StrToIntT(const QString& text);
quint64 StrToInt64T(const QString& text);

// Date texts: "yyyyMMddThhmmss"; "yyyy-MM-ddThh:mm:ss+HH:00" with the local offset in whole
// hours; "yyyy-MM-ddT00:00:00Z".
QString DateTimeToIso(const QDateTime& time);
QString DateTimeToWL(const QDateTime& time);
QString DateToWL(const QDate& date);
// Year, month, day, hour, minute and second read from the positions of an ISO 8601 text.
QDateTime IsoToDateTime(const QString& text);
QDate IsoToDate(const QString& text);
// "Tue Mar 05 14:30:00 2024": weekday, English month, day, time, year.
QDateTime LongDateStrToDateTime(const QString& text);

// The user's documents folder, and a non-empty path ending with "/".
QString GetDocumentsFolder();
QString IncludeTrailingSlash(const QString& path);
