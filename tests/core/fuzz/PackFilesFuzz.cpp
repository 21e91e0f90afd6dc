// libFuzzer target: any bytes given to the package readers must give a clean result and never a
// file outside the extraction folder.
#include "core/UPackFiles.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URStartup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

struct Scratch {
    Scratch() {
        FirstInstance = false; // no breadcrumbs to write
        SetSettingsSaveEnabled(false);
        SetServerMessageSink([](const QString&, bool) { return QString(); });
    }
    QString path(const QString& name) const { return dir.path() + "/" + name; }
    QTemporaryDir dir;
};

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    QFile package(scratch.path("package.qmb"));
    require(package.open(QIODevice::WriteOnly | QIODevice::Truncate));
    package.write(reinterpret_cast<const char*>(data), qint64(size));
    package.close();

    TPackFiles unpack(nullptr);
    const bool extracted = unpack.Extract(package.fileName(), scratch.path("out/target"));
    require(extracted == unpack.LastError().isEmpty());
    std::int32_t duration = 0;
    ReadPackageThumbnail(package.fileName(), scratch.path("thumb.jpg"), duration);

    const QStringList top =
        QDir(scratch.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : top)
        require(name == "package.qmb" || name == "out" || name == "thumb.jpg");
    require(QDir(scratch.path("out"))
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) ==
            QStringList{"target"});
    require(
        QDir(scratch.path("out/target")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    QDir(scratch.path("out")).removeRecursively();
    QFile::remove(scratch.path("thumb.jpg"));
    return 0;
}
