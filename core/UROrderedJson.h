#pragma once
// A JSON object written with its members in the order they are added (request bodies and page
// data whose member order is fixed). Its strings are safe to place inside an HTML page: "<", ">"
// and "&" are written as \u escapes, so a text holding "</script>" cannot end a script element.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class TROrderedJson {
public:
    TROrderedJson& Add(const QString& name, const QString& text);
    TROrderedJson& Add(const QString& name, const char* text) { return Add(name, QString(text)); }
    TROrderedJson& Add(const QString& name, std::int64_t number);
    TROrderedJson& AddBool(const QString& name, bool value);
    TROrderedJson& Add(const QString& name, const TROrderedJson& object);
    TROrderedJson& Add(const QString& name, const QStringList& texts);
    TROrderedJson& Add(const QString& name, const std::vector<TROrderedJson>& objects);
    bool IsEmpty() const { return members_.isEmpty(); }
    // The members separated by ",", without the braces.
    const QByteArray& Members() const { return members_; }
    QByteArray Text() const { return "{" + members_ + "}"; }

private:
    TROrderedJson& AddRaw(const QString& name, const QByteArray& json);
    QByteArray members_;
};

// A JSON string in double quotes, escaped as above.
QByteArray JsonString(const QString& text);
