// Arbitrary bytes as an MP4 file for the index rewrite: whatever the boxes claim, the rewrite
// must end, must not touch memory it does not own, must keep the file's size, must leave no
// work file behind, and a file it changes must start with the index, after "ftyp" when there
// is one.
#include "export/URFastStartMP4.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

QByteArray ReadAll(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::uint32_t BoxSize(const QByteArray& bytes, qsizetype at) {
    std::uint32_t size = 0;
    for (int i = 0; i < 4; ++i)
        size = size << 8 | std::uint8_t(bytes[at + i]);
    return size;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(folder + "in.mp4");
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(input) != input.size())
            return 0;
    }
    FastStartMP4(folder, QStringLiteral("in.mp4"));
    const QByteArray output = ReadAll(folder + "in.mp4");
    if (output.size() != input.size() || QFile::exists(folder + "tmp.mp4"))
        std::abort();
    if (output != input) {
        const qsizetype index = output.mid(4, 4) == "ftyp" ? BoxSize(output, 0) : 0;
        if (index + 8 > output.size() || output.mid(index + 4, 4) != "moov")
            std::abort();
    }
    return 0;
}
