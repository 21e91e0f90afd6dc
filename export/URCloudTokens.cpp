#include "export/URCloudTokens.h"

#include "platform/system/Registry.h"

#include <QByteArray>
#include <QStringList>
#include <cstring>

namespace {

const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::uint16_t nextKey(std::uint16_t key, unsigned char scrambled) {
    return std::uint16_t((scrambled + key) * 52845u + 22719u);
}

int indexInAlphabet(QChar c) {
    const char* found =
        c.unicode() < 128 && c.unicode() != 0 ? std::strchr(Alphabet, char(c.unicode())) : nullptr;
    return found ? int(found - Alphabet) : 0;
}

// The last part of a path written with either separator ("Software\Tavrin" gives "Tavrin").
QString lastPart(const QString& path) {
    const QStringList parts = QString(path).replace('\\', '/').split('/', Qt::SkipEmptyParts);
    return parts.isEmpty() ? QString() : parts.last();
}

const char* const ConfigurationKey = "Tavrin";

// The lines of an ini file and where one section's values are in it.
class IniText {
public:
    explicit IniText(const QByteArray& text) : lines_(QString::fromUtf8(text).split('\n')) {
        if (!lines_.isEmpty() && lines_.last().isEmpty())
            lines_.removeLast();
    }

    QString value(const QString& section, const QString& name) const {
        const qsizetype at = find(section, name);
        return at < 0 ? QString() : lines_[at].mid(lines_[at].indexOf('=') + 1);
    }

    void setValue(const QString& section, const QString& name, const QString& value) {
        const QString line = name + "=" + QString(value).remove('\n').remove('\r');
        const qsizetype at = find(section, name);
        if (at >= 0) {
            lines_[at] = line;
            return;
        }
        qsizetype header = lines_.indexOf("[" + section + "]");
        if (header < 0) {
            lines_.append("[" + section + "]");
            header = lines_.size() - 1;
        }
        // At the end of the section: before the next section or the end of the file.
        qsizetype end = header + 1;
        while (end < lines_.size() && !lines_[end].trimmed().startsWith('['))
            ++end;
        lines_.insert(end, line);
    }

    QByteArray text() const { return (lines_.join('\n') + '\n').toUtf8(); }

private:
    qsizetype find(const QString& section, const QString& name) const {
        bool inside = false;
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            const QString line = lines_[i].trimmed();
            if (line.startsWith('['))
                inside = line == "[" + section + "]";
            else if (inside && line.section('=', 0, 0).trimmed() == name)
                return i;
        }
        return -1;
    }

    QStringList lines_;
};

} // namespace

QString ScrambleToken(const QString& text, std::uint16_t startKey) {
    QByteArray stream = text.toUtf8();
    std::uint16_t key = startKey;
    for (char& byte : stream) {
        const auto scrambled = static_cast<unsigned char>(uchar(byte) ^ (key >> 8));
        byte = char(scrambled);
        key = nextKey(key, scrambled);
    }
    QString result;
    for (qsizetype group = 0; group < stream.size(); group += 3) {
        const qsizetype count = std::min<qsizetype>(3, stream.size() - group);
        std::uint32_t value = 0;
        for (qsizetype i = 0; i < count; ++i)
            value |= std::uint32_t(uchar(stream[group + i])) << (8 * i);
        for (qsizetype i = 0; i <= count; ++i)
            result += QLatin1Char(Alphabet[(value >> (6 * i)) & 63]);
    }
    return result;
}

QString UnscrambleToken(const QString& text, std::uint16_t startKey) {
    QByteArray stream;
    for (qsizetype group = 0; group < text.size(); group += 4) {
        const qsizetype count = std::min<qsizetype>(4, text.size() - group);
        std::uint32_t value = 0;
        for (qsizetype i = 0; i < count; ++i)
            value |= std::uint32_t(indexInAlphabet(text[group + i])) << (6 * i);
        for (qsizetype i = 0; i + 1 < count; ++i)
            stream += char((value >> (8 * i)) & 0xFF);
    }
    std::uint16_t key = startKey;
    for (char& byte : stream) {
        const auto scrambled = uchar(byte);
        byte = char(scrambled ^ (key >> 8));
        key = nextKey(key, scrambled);
    }
    return QString::fromUtf8(stream);
}

QString TRTokenStore::Read(const QString& name) const {
    if (!Usable())
        return {};
    if (place_.Location == TPersistLocation::plRegistry)
        return platform::system::RegistryKey(lastPart(place_.Key) + "/" + place_.Section)
            .readString(name)
            .value_or(QString());
    const platform::system::RegistryKey folder(ConfigurationKey);
    const IniText ini(folder.readBinary(lastPart(place_.Key)).value_or(QByteArray()));
    return ini.value(place_.Section, name);
}

bool TRTokenStore::Write(const QString& name, const QString& value) const {
    if (!Usable())
        return true;
    if (place_.Location == TPersistLocation::plRegistry)
        return platform::system::RegistryKey(lastPart(place_.Key) + "/" + place_.Section)
            .writePrivate(name, value.toUtf8());
    const platform::system::RegistryKey folder(ConfigurationKey);
    const QString file = lastPart(place_.Key);
    IniText ini(folder.readBinary(file).value_or(QByteArray()));
    ini.setValue(place_.Section, name, value);
    return folder.writePrivate(file, ini.text());
}
