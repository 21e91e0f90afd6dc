#include "core/UPackFiles.h"

#include "core/URFormHooks.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URUtils.h"
#include "platform/system/FileCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <functional>
#include <optional>

namespace {

const char* const CannotPack = "Cannot pack files.";
const char* const CannotExtract = "Cannot extract files.";
const char* const ThumbnailName = "project_thumbnail.jpg";
constexpr qint64 HeaderSize = 9;
constexpr qint64 MinimumPackageSize = 6;
constexpr int MaxThumbnailNameLength = 99;

void step(const QString& text) {
    SaveLastStep(SettingsRecord, nullptr, text);
}

void reportInBackground(const QString& error) {
    QString reply;
    SendServerMessage(reply, true, 0, error);
}

template <typename Int> bool writeInt(QFile& file, Int value) {
    const Int le = qToLittleEndian(value);
    return file.write(reinterpret_cast<const char*>(&le), sizeof le) == sizeof le;
}

template <typename Int> std::optional<Int> readInt(QFile& file) {
    Int le;
    if (file.read(reinterpret_cast<char*>(&le), sizeof le) != sizeof le)
        return std::nullopt;
    return qFromLittleEndian(le);
}

bool hasMagic(QFile& file) {
    if (file.size() < MinimumPackageSize)
        return false;
    char magic[sizeof TPackFiles::Magic];
    return file.read(magic, sizeof magic) == sizeof magic &&
           std::equal(std::begin(magic), std::end(magic), std::begin(TPackFiles::Magic));
}

// A plain file name: no folder part, no drive, not "." or "..", no NUL.
bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\\') && !name.contains(':') && !name.contains(QChar(0));
}

struct EntryHeader {
    QString name;
    qint64 size = 0;
};

// Reads an entry's name and size; nothing when the entry is damaged: a name length outside
// 1..maxName, a name that is not a plain file name, a negative size or one beyond the package.
std::optional<EntryHeader> readEntryHeader(QFile& package, int maxName) {
    const auto length = readInt<qint64>(package);
    if (!length || *length < 1 || *length > maxName)
        return std::nullopt;
    const QByteArray name = package.read(*length);
    if (name.size() != *length)
        return std::nullopt;
    EntryHeader entry{QString::fromUtf8(name)};
    const auto size = readInt<qint64>(package);
    if (!size || *size < 0 || *size > package.size() - package.pos() ||
        !isPlainFileName(entry.name))
        return std::nullopt;
    entry.size = *size;
    return entry;
}

using platform::system::CopyResult;

// Copies in the kernel where it can, checking for a cancel and reporting progress every
// ChunksPerCheck buffers' worth of bytes.
CopyResult copyBytes(QFile& from, QFile& to, qint64 size,
                     const std::function<bool(qint64 copied)>& check) {
    return platform::system::copyFileBytes(
        from, to, size, qint64(TPackFiles::BufferSize) * TPackFiles::ChunksPerCheck, check);
}

int roundedPercent(double value) {
    return static_cast<int>(std::lround(value));
}

} // namespace

TPackFiles::TPackFiles() : TPackFiles(InstalledProgress()) {}

TPackFiles::TPackFiles(TRProgressReporter* progress) : FProgress(progress) {}

void TPackFiles::AddFile(const QString& fileName) {
    const QString path = fileName.trimmed();
    if (!QFileInfo(path).isFile())
        return;
    if (FFiles.contains(path, Qt::CaseInsensitive))
        return;
    FFiles << path;
}

void TPackFiles::ComputeFileSize() {
    FileTotalSize = 0;
    for (const QString& path : FFiles)
        FileTotalSize += FileSizeOf(path);
}

bool TPackFiles::canceledNow() {
    FCanceled = FCanceled || (FProgress && FProgress->IsCanceled());
    return FCanceled;
}

bool TPackFiles::PackTo(const QString& fileName) {
    step("PackTo_" + fileName + "_" + QString::number(FFiles.size()));
    FLastError.clear();
    FCanceled = false;
    if (FileTotalSize <= 0)
        FileTotalSize = 1;
    QFile package(fileName);
    if (!package.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        FLastError = CannotPack;
        return false;
    }
    step("PackTo_Sign");
    bool ok = package.write(Magic, sizeof Magic) == sizeof Magic && writeInt(package, FTotalTimeMs);
    std::int64_t total = 0;
    for (qsizetype i = 0; ok && i < FFiles.size() && !canceledNow(); ++i)
        ok = packFile(package, FFiles[i], total);
    ok = ok && package.flush();
    if (!ok && FLastError.isEmpty() && !FCanceled) {
        FLastError = QString(CannotPack) + "\n\r" + package.errorString();
        reportInBackground(FLastError);
    }
    step("Save_Pack_End_" + FLastError);
    package.close();
    return FLastError.isEmpty() && !FCanceled;
}

bool TPackFiles::packFile(QFile& package, const QString& path, std::int64_t& total) {
    step("PackFile_" + path);
    // Only names that a reader accepts are written.
    const QString fileName = QFileInfo(path).fileName();
    const QByteArray name = fileName.toUtf8();
    if (!isPlainFileName(fileName) || name.size() > MaxNameLength) {
        FLastError = CannotPack;
        return false;
    }
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        FLastError = QString(CannotPack) + "\n\r" + source.errorString();
        reportInBackground(FLastError);
        return false;
    }
    const qint64 size = source.size();
    step("PackFile_" + path + "_" + QString::number(package.pos()) + "_" + QString::number(size));
    if (!writeInt<qint64>(package, name.size()) || package.write(name) != name.size() ||
        !writeInt<qint64>(package, size))
        return false;
    const auto result = copyBytes(source, package, size, [&](qint64 copied) {
        if (canceledNow())
            return false;
        if (FProgress)
            FProgress->SetProgress(20 +
                                   roundedPercent(double(total + copied) * 40 / FileTotalSize));
        return true;
    });
    if (result == CopyResult::Failed) {
        // A source that shrank or cannot be read would leave a package that lies about its size.
        const QString reason =
            source.error() != QFileDevice::NoError ? source.errorString() : package.errorString();
        FLastError = QString(CannotPack) + "\n\r" + reason;
        reportInBackground(FLastError);
        return false;
    }
    total += size;
    return result == CopyResult::Done;
}

bool TPackFiles::Extract(const QString& fileName, const QString& targetDir) {
    FLastError.clear();
    FCanceled = false;
    if (!QFileInfo::exists(fileName)) {
        FLastError = "The file does not exist.";
        return false;
    }
    if (!QDir().mkpath(targetDir)) {
        FLastError = "Cannot create directory.";
        return false;
    }
    const QString target = targetDir.endsWith('/') ? targetDir : targetDir + "/";
    QFile package(fileName);
    if (!package.open(QIODevice::ReadOnly)) {
        FLastError = CannotExtract;
        return false;
    }
    if (!hasMagic(package)) {
        FLastError = "The file is not a valid Tavrin project.";
        return false;
    }
    const auto duration = readInt<std::int32_t>(package);
    if (!duration)
        FLastError = CannotExtract;
    else {
        FTotalTimeMs = *duration;
        step("Extract_Proj_" + fileName);
        if (!extractEntries(package, target))
            reportInBackground(FLastError);
    }
    package.close();
    step("Extract_End_" + FLastError);
    return FLastError.isEmpty() && !FCanceled;
}

bool TPackFiles::extractEntries(QFile& package, const QString& targetDir) {
    const qint64 packageSize = package.size();
    while (!canceledNow() && package.pos() < packageSize) {
        const auto entry = readEntryHeader(package, MaxNameLength);
        if (!entry) {
            FLastError = CannotExtract;
            return false;
        }
        step("Extract_" + entry->name);
        const QString path = targetDir + entry->name;
        if (QFileInfo(path).isSymLink())
            QFile::remove(path); // write the entry itself, never through a link out of the folder
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            FLastError = CannotExtract;
            return false;
        }
        const qint64 start = package.pos();
        const auto result = copyBytes(package, out, entry->size, [&](qint64 copied) {
            if (canceledNow())
                return false;
            if (FProgress)
                FProgress->SetProgress(roundedPercent(double(start + copied) * 80 / packageSize));
            return true;
        });
        if (result == CopyResult::Failed || !out.flush()) {
            FLastError = CannotExtract;
            return false;
        }
    }
    return true;
}

bool ReadPackageThumbnail(const QString& packageFile, const QString& thumbnailFile,
                          std::int32_t& durationMs) {
    durationMs = 0;
    QFile package(packageFile);
    if (!package.open(QIODevice::ReadOnly) || !hasMagic(package))
        return false;
    const auto duration = readInt<std::int32_t>(package);
    if (!duration)
        return false;
    durationMs = *duration;
    if (package.size() <= HeaderSize)
        return true;
    const qint64 entryStart = package.pos();
    const auto length = readInt<qint64>(package);
    if (!length)
        return false;
    if (*length < 1 || *length > MaxThumbnailNameLength)
        return true;
    package.seek(entryStart);
    const auto entry = readEntryHeader(package, MaxThumbnailNameLength);
    if (!entry)
        return false;
    if (entry->name.compare(ThumbnailName, Qt::CaseInsensitive) != 0)
        return true;
    QFile thumbnail(thumbnailFile);
    if (!thumbnail.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return copyBytes(package, thumbnail, entry->size, [](qint64) { return true; }) ==
               CopyResult::Done &&
           thumbnail.flush();
}
