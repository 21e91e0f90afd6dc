#include "export/URCloudHelpers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <type_traits>

namespace {

bool isUrlSafe(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

// Everything up to and including "://", found without regard to case.
QString withoutScheme(const QString& url) {
    const qsizetype scheme = url.indexOf("://", 0, Qt::CaseInsensitive);
    return scheme < 0 ? url : url.mid(scheme + 3);
}

// The address without its scheme and without a "user@" before the host.
QString withoutUserInfo(const QString& url) {
    const QString rest = withoutScheme(url);
    const qsizetype at = rest.indexOf('@');
    const qsizetype slash = rest.indexOf('/');
    return at >= 0 && (slash < 0 || at < slash) ? rest.mid(at + 1) : rest;
}

QString jsonText(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Bool:
        return value.toBool() ? "true" : "false";
    case QJsonValue::Double: {
        const double number = value.toDouble();
        return number == double(qint64(number)) ? QString::number(qint64(number))
                                                : QString::number(number, 'g', 17);
    }
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    default:
        return {};
    }
}

// Each unit kept when it is URL-safe or one of `alsoKept`, else "%" and its number in
// hexadecimal (at least two digits).
template <class Units>
QString percentEncoded(const Units& units, const char* alsoKept, bool upper = true) {
    QString encoded;
    for (const auto unit : units) {
        const auto code = std::make_unsigned_t<decltype(unit)>(unit);
        const char c = code < 128 ? char(code) : '\0';
        if (c != '\0' && (isUrlSafe(c) || std::strchr(alsoKept, c))) {
            encoded += QLatin1Char(c);
            continue;
        }
        const QString hex = QString::number(uint(code), 16).rightJustified(2, '0');
        encoded += '%' + (upper ? hex.toUpper() : hex);
    }
    return encoded;
}

QString twoDigits(int value) {
    return QString::number(value).rightJustified(2, '0');
}

} // namespace

QString ExtractServer(const QString& url) {
    const QString rest = withoutUserInfo(url);
    return rest.left(rest.indexOf('/'));
}

QString RemoveServer(const QString& url) {
    const QString rest = withoutUserInfo(url);
    const qsizetype slash = rest.indexOf('/');
    return slash < 0 ? rest : rest.mid(slash);
}

QString URLEncode(const QString& text) {
    return percentEncoded(text.toUtf8(), "");
}

QString URLEncodeRFC3986(const QString& text) {
    return URLEncode(text);
}

QString SpaceEncode(const QString& text) {
    return QString(text).replace(' ', "%20");
}

QString URLEncodeTilde(const QString& text) {
    return percentEncoded(QList<char16_t>(text.utf16(), text.utf16() + text.size()), "~");
}

QByteArray HTTPEncode(const QByteArray& text) {
    return percentEncoded(text, "", false).replace("%20", "+").toLatin1();
}

QString ExtractJSONText(const QString& text) {
    QString result = text;
    const qsizetype open = result.indexOf('{');
    if (open > 0)
        result = result.mid(open);
    for (qsizetype i = result.size() - 1; i >= 1; --i)
        if (result[i] == '}')
            return result.left(i + 1);
    return result.left(1);
}

QString GetJSONProp(const QJsonObject& object, const QString& id) {
    return jsonText(object.value(id));
}

QJsonValue GetJSONValue(const QJsonObject& object, const QString& id) {
    return object.value(id);
}

QString GetJSONProp(const QByteArray& json, const QString& id) {
    const QJsonDocument document = QJsonDocument::fromJson(QString::fromLatin1(json).toUtf8());
    return document.isObject() ? GetJSONProp(document.object(), id) : QString();
}

QJsonObject ParseJSONObject(const QByteArray& body) {
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject())
        throw std::runtime_error("The reply is not a JSON object.");
    return document.object();
}

QString GetMimeType(const QString& fileName) {
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    return type.isDefault() ? QStringLiteral("application/octet-stream") : type.name();
}

int StrToIntT(const QString& text) {
    return text.trimmed().toInt();
}

quint64 StrToInt64T(const QString& text) {
    return text.trimmed().toULongLong();
}

QString DateTimeToIso(const QDateTime& time) {
    return QString::number(time.date().year()) + twoDigits(time.date().month()) +
           twoDigits(time.date().day()) + "T" + twoDigits(time.time().hour()) +
           twoDigits(time.time().minute()) + twoDigits(time.time().second());
}

QString DateTimeToWL(const QDateTime& time) {
    const int offsetHours = time.toLocalTime().offsetFromUtc() / 3600;
    return time.toString("yyyy-MM-ddThh:mm:ss") + (offsetHours < 0 ? "-" : "+") +
           twoDigits(std::abs(offsetHours)) + ":00";
}

QString DateToWL(const QDate& date) {
    return date.toString("yyyy-MM-dd") + "T00:00:00Z";
}

QDateTime IsoToDateTime(const QString& text) {
    const auto field = [&text](int position, int length) {
        return text.mid(position - 1, length).toInt();
    };
    return QDateTime(QDate(field(1, 4), field(6, 2), field(9, 2)),
                     QTime(field(12, 2), field(15, 2), field(18, 2)));
}

QDate IsoToDate(const QString& text) {
    return IsoToDateTime(text).date();
}

QDateTime LongDateStrToDateTime(const QString& text) {
    static const QStringList months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QStringList parts = text.split(' ');
    const int month = std::max<int>(0, int(months.indexOf(parts.value(1)))) + 1;
    const QStringList clock = parts.value(3).split(':');
    return QDateTime(QDate(parts.value(4).toInt(), month, parts.value(2).toInt()),
                     QTime(clock.value(0).toInt(), clock.value(1).toInt(), clock.value(2).toInt()));
}

QString GetDocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString IncludeTrailingSlash(const QString& path) {
    return path.isEmpty() || path.endsWith('/') ? path : path + '/';
}
