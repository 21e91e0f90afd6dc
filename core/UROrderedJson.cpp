#include "core/UROrderedJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

template <typename Items, typename Write> QByteArray jsonArray(const Items& items, Write write) {
    QByteArray array = "[";
    for (const auto& item : items) {
        if (array.size() > 1)
            array += ',';
        array += write(item);
    }
    return array + "]";
}

} // namespace

QByteArray JsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    QByteArray quoted = array.mid(1, array.size() - 2);
    return quoted.replace('&', "\\u0026").replace('<', "\\u003c").replace('>', "\\u003e");
}

TROrderedJson& TROrderedJson::AddRaw(const QString& name, const QByteArray& json) {
    if (!members_.isEmpty())
        members_ += ',';
    members_ += JsonString(name) + ":" + json;
    return *this;
}

TROrderedJson& TROrderedJson::Add(const QString& name, const QString& text) {
    return AddRaw(name, JsonString(text));
}

TROrderedJson& TROrderedJson::Add(const QString& name, std::int64_t number) {
    return AddRaw(name, QByteArray::number(qint64(number)));
}

TROrderedJson& TROrderedJson::AddBool(const QString& name, bool value) {
    return AddRaw(name, value ? "true" : "false");
}

TROrderedJson& TROrderedJson::Add(const QString& name, const TROrderedJson& object) {
    return AddRaw(name, object.Text());
}

TROrderedJson& TROrderedJson::Add(const QString& name, const QStringList& texts) {
    return AddRaw(name, jsonArray(texts, JsonString));
}

TROrderedJson& TROrderedJson::Add(const QString& name, const std::vector<TROrderedJson>& objects) {
    return AddRaw(name, jsonArray(objects, [](const TROrderedJson& o) { return o.Text(); }));
}
