#pragma once
// The project package (".qmb"): the magic "QMB01", the project's duration (Int32) and then, to
// the end of the file, one entry per file: Int64 name length, the name (UTF-8, no folder),
// Int64 size and the bytes. All integers are little-endian. There is no directory, compression
// or checksum: a reader walks the entries from the start.
//
// Entry names keep their letter case; readers compare them without regard to case. Extraction
// never writes outside its target folder: a name that is not a plain file name, or a size the
// package cannot hold, is damaged input.

#include <QString>
#include <QStringList>
#include <cstdint>

class QFile;
class TRProgressReporter;

class TPackFiles {
public:
    inline static const char Magic[5] = {'Q', 'M', 'B', '0', '1'};
    static constexpr int BufferSize = 61440;
    static constexpr int ChunksPerCheck = 15;
    static constexpr int MaxNameLength = 999;

    // Progress goes to `progress`, by default the installed progress form (none: silent).
    TPackFiles();
    explicit TPackFiles(TRProgressReporter* progress);

    // Lists the file when it exists and is not yet listed (paths compared without regard to case).
    void AddFile(const QString& fileName);
    // Sums the sizes of the listed files: the basis of the packing progress.
    void ComputeFileSize();
    // Writes the package; false on failure (LastError tells why) or when cancelled.
    bool PackTo(const QString& fileName);
    // Unpacks the package into the folder (created when missing) and reads TotalTimeMs; false on
    // failure (LastError tells why) or when cancelled. Files extracted before a failure stay.
    bool Extract(const QString& fileName, const QString& targetDir);

    const QStringList& Files() const { return FFiles; }
    std::int32_t TotalTimeMs() const { return FTotalTimeMs; }
    void SetTotalTimeMs(std::int32_t ms) { FTotalTimeMs = ms; }
    // The text of the last failure; empty after a success or a cancel.
    QString LastError() const { return FLastError; }
    // True when the last PackTo or Extract stopped because the user cancelled.
    bool Canceled() const { return FCanceled; }
    std::int64_t FileTotalSize = 0;

private:
    bool packFile(QFile& package, const QString& path, std::int64_t& total);
    bool extractEntries(QFile& package, const QString& targetDir);
    bool canceledNow();

    QStringList FFiles;
    std::int32_t FTotalTimeMs = 0;
    QString FLastError;
    bool FCanceled = false;
    TRProgressReporter* FProgress;
};

// Reads the duration and, when the first entry is "project_thumbnail.jpg", writes its bytes to
// `thumbnailFile`. True when the file is a package (the duration is then valid).
bool ReadPackageThumbnail(const QString& packageFile, const QString& thumbnailFile,
                          std::int32_t& durationMs);
