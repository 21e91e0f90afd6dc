#include "media/UVideoReader.h"

#include "media/UVideoReaderAVI.h"
#include "media/UVideoReaderGIF.h"
#include "media/UVideoReaderMP4.h"
#include "media/UVideoReaderNP.h"
#include "media/UVideoReaderWEBP.h"
#include "media/UVideoReaderWMV.h"

#include <QFileInfo>
#include <QHash>
#include <mutex>

namespace {

template <typename Reader> TVideoReaderFactory factoryOf() {
    return [] { return std::make_unique<Reader>(); };
}

struct ReaderRegistry {
    std::mutex lock;
    QHash<QString, TVideoReaderFactory> factories;

    ReaderRegistry() {
        add({".mp4", ".mov", ".m4v"}, factoryOf<TVideoReaderMP4>());
        add({".avi"}, factoryOf<TVideoReaderAVI>());
        add({".wmv", ".wm", ".asf"}, factoryOf<TVideoReaderWMV>());
        add({".mkv", ".webm"}, factoryOf<TVideoReaderNP>());
        add({".gif"}, factoryOf<TVideoReaderGIF>());
        add({".webp"}, factoryOf<TVideoReaderWEBP>());
    }

    void add(const QStringList& extensions, const TVideoReaderFactory& factory) {
        for (const QString& extension : extensions)
            factories.insert(extension.toLower(), factory);
    }

    TVideoReaderFactory find(const QString& extension) {
        std::lock_guard guard(lock);
        return factories.value(extension);
    }
};

ReaderRegistry& registry() {
    static ReaderRegistry instance;
    return instance;
}

} // namespace

void TVideoReader::GetFrame(uint32_t, int, uint8_t*) {}

void TVideoReader::GetFrame(int, const TFrameTarget&) {}

int TVideoReader::GetBeginTime(int) const {
    return 0;
}

TVideoReaderEx::TVideoReaderEx(const QString& fileName) : FFileName(fileName) {
    OpenReader();
}

TVideoReaderEx::~TVideoReaderEx() = default;

void TVideoReaderEx::RegisterReader(const QStringList& extensions, TVideoReaderFactory factory) {
    ReaderRegistry& instance = registry();
    std::lock_guard guard(instance.lock);
    instance.add(extensions, factory);
}

QString TVideoReaderEx::ExtensionOf(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

void TVideoReaderEx::OpenReader() {
    if (!QFileInfo::exists(FFileName)) {
        FErrorText = QStringLiteral("The file does not exist");
        return;
    }
    const TVideoReaderFactory factory = registry().find(ExtensionOf(FFileName));
    if (!factory) {
        FErrorText = QStringLiteral("No reader for files of this kind");
        return;
    }
    FVideoReader = factory();
    FVideoReader->OpenFile(FFileName, 0, MF_SOURCE_READER_FIRST_VIDEO_STREAM);
    FErrorText = FVideoReader->FErrorText;
    if (FErrorText.isEmpty() && !IsValid())
        FErrorText = QStringLiteral("The file holds no usable picture");
}

bool TVideoReaderEx::IsValid() const {
    const TVideoReader* reader = FVideoReader.get();
    return reader && reader->FIsValid && reader->FWidth > 0 && reader->FWidth < MaxPictureSide &&
           reader->FHeight > 0 && reader->FHeight < MaxPictureSide && reader->FDurationMs > 0;
}

int TVideoReaderEx::GetWidth() const {
    return IsValid() ? FVideoReader->FWidth : 0;
}

int TVideoReaderEx::GetHeight() const {
    return IsValid() ? FVideoReader->FHeight : 0;
}

int TVideoReaderEx::GetDurationMs() const {
    return IsValid() ? FVideoReader->FDurationMs : 0;
}

platform::media::Rational TVideoReaderEx::GetFrameRate() const {
    return IsValid() ? FVideoReader->FFrameRate : platform::media::Rational{};
}

QString TVideoReaderEx::ErrorText() const {
    return FErrorText;
}

void TVideoReaderEx::GetFrame(int timeMs, uint8_t* dst) {
    if (IsValid() && dst)
        FVideoReader->GetFrame(MF_SOURCE_READER_FIRST_VIDEO_STREAM, timeMs, dst);
}

void TVideoReaderEx::GetFrame(int timeMs, const TFrameTarget& target) {
    if (IsValid() && target.Bits && target.Width >= FVideoReader->FWidth &&
        target.Height >= FVideoReader->FHeight && target.Pitch >= FVideoReader->FWidth * 4)
        FVideoReader->GetFrame(timeMs, target);
}
