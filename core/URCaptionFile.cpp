#include "core/URCaptionFile.h"

#include "core/URObject.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {

constexpr char CrLf[] = "\r\n";

// Blanks and control characters off both ends.
QString trimmedLine(const QString& line) {
    qsizetype first = 0;
    qsizetype last = line.size();
    while (first < last && line[first] <= QChar(' '))
        ++first;
    while (last > first && line[last - 1] <= QChar(' '))
        --last;
    return line.mid(first, last - first);
}

QString twoDigits(qint64 value) {
    return QString::number(value).rightJustified(2, '0');
}

// Milliseconds of "h:mm:ss,zzz"; nothing for any other text or a time past the stored limit.
std::optional<std::int32_t> parseTime(const QString& text) {
    static const QRegularExpression format(
        QStringLiteral("^(\\d{1,6}):(\\d{2}):(\\d{2}),(\\d{3})$"));
    const QRegularExpressionMatch match = format.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const qint64 minutes = match.captured(2).toLongLong();
    const qint64 seconds = match.captured(3).toLongLong();
    if (minutes >= 60 || seconds >= 60)
        return std::nullopt;
    const qint64 total = ((match.captured(1).toLongLong() * 60 + minutes) * 60 + seconds) * 1000 +
                         match.captured(4).toLongLong();
    if (total > MaxStoredTimeMs)
        return std::nullopt;
    return std::int32_t(total);
}

// "start --> end": anything after the end time (positions, styles) is ignored.
bool parseTimeLine(const QString& line, TRCaptionRecord& caption) {
    const QString text = trimmedLine(line);
    const qsizetype arrow = text.indexOf(QStringLiteral("-->"));
    if (arrow < 0)
        return false;
    const QString rest = trimmedLine(text.mid(arrow + 3));
    qsizetype endLength = 0;
    while (endLength < rest.size() && rest[endLength] > QChar(' '))
        ++endLength;
    const auto start = parseTime(trimmedLine(text.left(arrow)));
    const auto end = parseTime(rest.left(endLength));
    if (!start || !end)
        return false;
    caption.TimeStart = *start;
    caption.TimeEnd = *end;
    return true;
}

QString decodeText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringConverter::Utf16LE)(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringConverter::Utf16BE)(bytes.mid(2));
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// Lines ended by CR LF, LF or CR; a break at the very end starts no further line.
QStringList splitLines(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The text lines of a caption: an empty line would end the caption early, so only an empty
// caption writes one.
QStringList captionLines(const QString& caption) {
    QStringList lines;
    for (const QString& line : splitLines(caption))
        if (!trimmedLine(line).isEmpty())
            lines << line;
    return lines.isEmpty() ? QStringList{QString()} : lines;
}

class TRSubRipParser {
public:
    explicit TRSubRipParser(const QStringList& lines) : lines_(lines) {}

    TRSubRipRead Parse() {
        TRSubRipRead result;
        while (true) {
            skipBlankLines();
            // An entry needs its number and time lines; a lone number at the end is ignored.
            if (i_ + 1 >= lines_.size())
                return result;
            TRCaptionRecord caption;
            if (!readNumber(result.Captions.size() + 1) || !parseTimeLine(lines_[i_], caption)) {
                result.ErrorLine = int(i_ + 1);
                return result;
            }
            ++i_;
            caption.Caption = readText();
            result.Captions.push_back(caption);
        }
    }

private:
    void skipBlankLines() {
        while (i_ < lines_.size() && trimmedLine(lines_[i_]).isEmpty())
            ++i_;
    }

    bool readNumber(std::size_t expected) {
        bool ok = false;
        const qlonglong number = trimmedLine(lines_[i_]).toLongLong(&ok);
        if (!ok || number != qlonglong(expected))
            return false;
        ++i_;
        return true;
    }

    // The lines up to the next empty one (or the end), joined with CR LF.
    QString readText() {
        QStringList text;
        while (i_ < lines_.size()) {
            const QString line = trimmedLine(lines_[i_++]);
            if (line.isEmpty())
                break;
            text << line;
        }
        return text.join(QLatin1String(CrLf));
    }

    const QStringList& lines_;
    qsizetype i_ = 0;
};

} // namespace

void SortCaptionsByStart(TRCaptionRecords& captions) {
    std::stable_sort(captions.begin(), captions.end(),
                     [](const TRCaptionRecord& a, const TRCaptionRecord& b) {
                         return a.TimeStart < b.TimeStart;
                     });
}

QString FormatSubRipTime(std::int32_t milliseconds) {
    const qint64 time = std::max<qint64>(milliseconds, 0);
    return twoDigits(time / 3600000) + ":" + twoDigits(time / 60000 % 60) + ":" +
           twoDigits(time / 1000 % 60) + "," + QString::number(time % 1000).rightJustified(3, '0');
}

QByteArray WriteSubRip(TRCaptionRecords captions) {
    SortCaptionsByStart(captions);
    QString text;
    int number = 0;
    for (const TRCaptionRecord& caption : captions) {
        text += QString::number(++number) + CrLf;
        text += FormatSubRipTime(caption.TimeStart) + " --> " + FormatSubRipTime(caption.TimeEnd) +
                CrLf;
        for (const QString& line : captionLines(caption.Caption))
            text += line + CrLf;
        text += CrLf;
    }
    return "\xEF\xBB\xBF" + text.toUtf8();
}

TRSubRipRead ReadSubRip(const QByteArray& bytes) {
    const QStringList lines = splitLines(decodeText(bytes));
    return TRSubRipParser(lines).Parse();
}

void SaveSubRipFile(const QString& fileName, const TRCaptionRecords& captions) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(WriteSubRip(captions)) < 0 || !file.commit())
        throw std::runtime_error(
            QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()).toStdString());
}

TRSubRipRead LoadSubRipFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("Cannot read %1: %2").arg(fileName, file.errorString()).toStdString());
    return ReadSubRip(file.readAll());
}

QString SubRipImportError(const QString& fileName, int line) {
    return "Cannot import " + fileName + " file.\rParse error at line " + QString::number(line) +
           ".";
}
