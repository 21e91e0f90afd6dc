#pragma once
// SubRip caption files (".srt"): the text of a list of caption records and back.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// One caption while a file is written or read: times in milliseconds from the project's start.
struct TRCaptionRecord {
    std::int32_t TimeStart = 0;
    std::int32_t TimeEnd = 0;
    QString Caption;

    bool operator==(const TRCaptionRecord&) const = default;
};
using TRCaptionRecords = std::vector<TRCaptionRecord>;

// What a read found: the complete captions before the first failing line, and that line
// (1-based; 0 when the whole text was read).
struct TRSubRipRead {
    TRCaptionRecords Captions;
    int ErrorLine = 0;
};

// Orders captions by start time; captions that start together keep their order.
void SortCaptionsByStart(TRCaptionRecords& captions);
// "hh:mm:ss,zzz"; hours keep counting past 24 (and past 99 with more digits).
QString FormatSubRipTime(std::int32_t milliseconds);
// The file as written: UTF-8 with a byte-order mark, CR LF after every line, the captions
// numbered from 1 in order of start time (captions that start together keep their order).
QByteArray WriteSubRip(TRCaptionRecords captions);
// Reads the bytes of a file: a byte-order mark selects UTF-8 or UTF-16; without one the bytes
// are UTF-8, or Latin-1 where they are no valid UTF-8.
TRSubRipRead ReadSubRip(const QByteArray& bytes);

// Writes the file; throws std::runtime_error when it cannot be written.
void SaveSubRipFile(const QString& fileName, const TRCaptionRecords& captions);
// Reads the file; throws std::runtime_error when it cannot be read.
TRSubRipRead LoadSubRipFile(const QString& fileName);
// The message of a failed import: "Cannot import <file> file." CR "Parse error at line N."
QString SubRipImportError(const QString& fileName, int line);
